#include "util/Number.h"
#include "util/UserError.h"

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <vector>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

namespace {

struct ParseCase {
    std::string text;
    std::optional<double> expected;
};

class ParseDouble : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseDouble, AcceptsOnlyPlainDecimalNumbers)
{
    const auto& c = GetParam();
    EXPECT_EQ(util::tryParseDouble(c.text), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDouble,
    testing::Values(ParseCase{"1.", 1.0}, ParseCase{"-.5", -0.5}, ParseCase{"+12.25", 12.25},
                    ParseCase{"007", 7.0}, ParseCase{"0.0", 0.0}, ParseCase{" 200 ", 200.0},
                    ParseCase{".", std::nullopt}, ParseCase{"-", std::nullopt}, ParseCase{"+", std::nullopt},
                    ParseCase{"-A5", std::nullopt}, ParseCase{"", std::nullopt}, ParseCase{"1e5", std::nullopt},
                    ParseCase{"1,5", std::nullopt}, ParseCase{"1.5.3", std::nullopt},
                    ParseCase{"0x10", std::nullopt}, ParseCase{"inf", std::nullopt},
                    ParseCase{"nan", std::nullopt}, ParseCase{std::string(400, '9'), std::nullopt},
                    ParseCase{"0." + std::string(400, '0') + "1", 0.0},
                    ParseCase{"-0." + std::string(400, '0') + "1", -0.0}),
                         [](const auto& info) { return testsupport::caseIndexName(info); });

TEST(ParseDouble, FailureCarriesTheTextInTheMessage)
{
    try {
        util::parseDouble("-A5");
        FAIL() << "no exception";
    } catch (const util::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'-A5' は浮動小数点数ではありません");
        EXPECT_EQ(e.text(), "-A5");
    }
}

TEST(ErrorDisplay, ClosingPeriodIsAddedOnlyAfterHigherCharacters)
{
    EXPECT_EQ(util::withClosingPeriod("abc"), "abc.");
    EXPECT_EQ(util::withClosingPeriod("'x' は浮動小数点数ではありません"), "'x' は浮動小数点数ではありません.");
    EXPECT_EQ(util::withClosingPeriod("done."), "done.");
    EXPECT_EQ(util::withClosingPeriod("stop!"), "stop!");
}

TEST(Format, FixedFollowsPrintfRoundingAndPadding)
{
    std::string s;
    util::appendFixed(s, 10.0, 3, 8);
    EXPECT_EQ(s, "10.000  ");
    s.clear();
    util::appendFixed(s, -99999.0, 3, 8);
    EXPECT_EQ(s, "-99999.000");
    s.clear();
    util::appendFixed(s, 300.0, 0, 8);
    EXPECT_EQ(s, "300     ");
    s.clear();
    util::appendFixed(s, 2.5, 0, 0);
    util::appendFixed(s, 0.125, 2, 7);
    EXPECT_EQ(s, "20.12   ");  // ties go to even, as printf does
    s.clear();
    util::appendFixed(s, 1e20, 3, 8);
    EXPECT_EQ(s, "100000000000000000000.000");
    s.clear();
    util::appendUnsigned(s, 1, 2, true);
    util::appendUnsigned(s, 123, 2, true);
    util::appendUnsigned(s, 1, 4, false, true);
    util::appendUnsigned(s, 42);
    EXPECT_EQ(s, "011231   42");
}

TEST(Format, CoordinateRoundsTheWrittenValueHalfAwayFromZero)
{
    EXPECT_EQ(util::formatCoordinate(12.3456), "+12.346");
    EXPECT_EQ(util::formatCoordinate(0.0), "+0.000");
    EXPECT_EQ(util::formatCoordinate(-0.5), "-0.500");
    EXPECT_EQ(util::formatCoordinate(-9999.0), "-9999.000");
    EXPECT_EQ(util::formatCoordinate(9999.0), "+9999.000");
    EXPECT_EQ(util::formatCoordinate(2.0005), "+2.001");
    EXPECT_EQ(util::formatCoordinate(-2.0005), "-2.001");
    EXPECT_EQ(util::formatCoordinate(-0.0004), "+0.000");
    EXPECT_EQ(util::formatCoordinate(-0.0), "+0.000");
    EXPECT_EQ(util::formatCoordinate(0.0005), "+0.001");
    EXPECT_EQ(util::formatCoordinate(9.9995), "+10.000");
    EXPECT_EQ(util::formatCoordinate(123456789.123), "+123456789.123");
    EXPECT_EQ(util::formatCoordinate(1e20), "+100000000000000000000.000");
}

TEST(Format, GeneralIsPlainDecimalWithFifteenDigits)
{
    EXPECT_EQ(util::formatGeneral(0.0), "0");
    EXPECT_EQ(util::formatGeneral(200.0), "200");
    EXPECT_EQ(util::formatGeneral(12.5), "12.5");
    EXPECT_EQ(util::formatGeneral(-3.0), "-3");
    EXPECT_EQ(util::formatGeneral(150.25), "150.25");
    EXPECT_EQ(util::formatGeneral(0.1), "0.1");
    EXPECT_EQ(util::formatGeneral(1e-7), "0.0000001");
    EXPECT_EQ(util::formatGeneral(1e20), "100000000000000000000");
    EXPECT_EQ(util::formatGeneral(1.0 / 3.0), "0.333333333333333");
}

TEST(Format, TimesRoundToMinutesBeforeSplitting)
{
    using HM = util::HoursMinutes;
    EXPECT_EQ(util::splitMinutes(119.7), (HM{2, 0}));
    EXPECT_EQ(util::splitMinutes(59.6), (HM{1, 0}));
    EXPECT_EQ(util::splitMinutes(60.0), (HM{1, 0}));
    EXPECT_EQ(util::splitMinutes(75.4), (HM{1, 15}));
    EXPECT_EQ(util::splitMinutes(1.5), (HM{0, 2}));
    EXPECT_EQ(util::splitMinutes(0.0), (HM{0, 0}));
    EXPECT_EQ(util::splitMinutes(std::numeric_limits<double>::infinity()).hours, 150000000000000LL);
}

// Qt sets the C locale from the environment; under a comma-decimal locale nothing changes.
TEST(Format, ConversionsIgnoreTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
#ifdef _WIN32
    const char* german = "German_Germany.1252";
#else
    const char* german = "de_DE.UTF-8";
#endif
    ASSERT_NE(std::setlocale(LC_ALL, german), nullptr)
        << "the " << german << " locale is missing; scripts/setup generates it";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the locale does not use a decimal comma";

    EXPECT_EQ(util::tryParseDouble("1.5"), 1.5);
    EXPECT_EQ(util::tryParseDouble("1,5"), std::nullopt);
    EXPECT_EQ(util::leadingNumber("2.25mm"), 2.25);
    EXPECT_EQ(util::formatFixed(1.5, 3), "1.500");
    EXPECT_EQ(util::formatCoordinate(-2.5), "-2.500");
    EXPECT_EQ(util::formatGeneral(12.5), "12.5");
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace

namespace {

// A number out of range reads as 0 whichever way it is out: digits and exponent together
// decide, and an exponent at the edge of a 64-bit integer neither overflows nor misleads.
TEST(LeadingNumber, OutOfRangeReadsAsZero)
{
    const std::string manyDigits = "1" + std::string(201, '0');
    EXPECT_EQ(util::leadingNumber(manyDigits + "e9223372036854775807"), 0.0);
    EXPECT_EQ(util::leadingNumber(manyDigits + "e-9223372036854775807"), 0.0);
    EXPECT_EQ(util::leadingNumber("1e99999999999999999999"), 0.0);
    EXPECT_EQ(util::leadingNumber("1e-400"), 0.0);
    EXPECT_EQ(util::leadingNumber("2.5e2mm"), 250.0);
}

// The fast path of the fixed format must agree with the exact conversion everywhere,
// ties and near-ties included.
TEST(Format, FixedAgreesWithTheExactConversion)
{
    std::uint64_t state = 88172645463325252ull;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const auto exact = [](double v, int decimals) {
        char buf[400];
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        return std::string(buf, res.ptr);
    };
    std::vector<double> values{0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.0005, 0.0015, 2.0005, 1e-7, -1e-7, 999999.9995,
                               123456.0005, 1e11, -99999.0, 0.125, 0.375, 1e12, 5e11 + 0.5};
    for (int i = 0; i < 200000; ++i) {
        const double magnitude = std::pow(10.0, static_cast<double>(next() % 16) - 4);
        values.push_back((static_cast<double>(next() % 2000001) - 1000000.0) / 1000000.0 * magnitude);
        values.push_back(static_cast<double>(static_cast<std::int64_t>(next() % 20000000) - 10000000) / 2000.0);
    }
    for (const double v : values) {
        for (const int decimals : {0, 2, 3}) {
            ASSERT_EQ(util::formatFixed(v, decimals), exact(v, decimals)) << v << " with " << decimals;
        }
    }
}

}  // namespace

namespace {

// The quick path of the reader must agree with the exact conversion for every text.
TEST(ParseDouble, AgreesWithTheExactConversion)
{
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 300000; ++i) {
        std::string text = std::to_string(next() % 1000000000000000ull);
        const auto point = next() % (text.size() + 1);
        text.insert(point, ".");
        if (next() % 3 == 0) {
            text.insert(0, std::string(next() % 4, '0'));
        }
        double exact = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), exact);
        ASSERT_EQ(util::tryParseDouble(text), exact) << text;
        ASSERT_EQ(util::tryParseDouble("-" + text), -exact) << text;
    }
}

}  // namespace
