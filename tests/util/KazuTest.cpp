#include "util/Kazu.h"

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

using util::maxOf;
using util::minOf;
using util::signOf;

TEST(Kazu, SignsTreatNegativeZeroAsZero)
{
    EXPECT_EQ(signOf(0.0), 0);
    EXPECT_EQ(signOf(-0.0), 0);
    EXPECT_EQ(signOf(1e-300), 1);
    EXPECT_EQ(signOf(-2.5), -1);
    EXPECT_EQ(util::signOfInt(-7), -1);
    EXPECT_EQ(util::signOfInt(0), 0);
    EXPECT_EQ(util::signOfInt(3), 1);
}

TEST(Kazu, LargerAndSmallerOfTwo)
{
    EXPECT_EQ(maxOf(2, 2), 2);
    EXPECT_EQ(minOf(2, 2), 2);
    EXPECT_EQ(maxOf(-1, 3), 3);
    EXPECT_EQ(minOf(-1, 3), -1);
    double a = 1;
    double b = 2;
    util::swapDoubles(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
}

TEST(Kazu, TruncationSaturatesAtThe32BitLimits)
{
    EXPECT_EQ(util::truncToInt(6.9), 6);
    EXPECT_EQ(util::truncToInt(-6.9), -6);
    EXPECT_EQ(util::truncToInt(1e12), std::numeric_limits<int>::max());
    EXPECT_EQ(util::truncToInt(-1e12), std::numeric_limits<int>::min());
    EXPECT_EQ(util::truncToInt(std::numeric_limits<double>::infinity()), std::numeric_limits<int>::max());
    EXPECT_EQ(util::truncToInt(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Kazu, SplitSkipsRunsOfDelimiters)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(util::splitString("L1\nL2\n", "\n"), (V{"L1", "L2"}));
    EXPECT_EQ(util::splitString("a\n\nb", "\n"), (V{"a", "b"}));
    EXPECT_EQ(util::splitString("", "\n"), V{});
    EXPECT_EQ(util::splitString("\n\n", "\n"), V{});
    EXPECT_EQ(util::splitString("a,b;c", ",;"), (V{"a", "b", "c"}));
    EXPECT_EQ(util::splitText("x y", " "), (V{"x", "y"}));
}

TEST(Kazu, SearchesAndPrefixesCountBytes)
{
    EXPECT_EQ(util::textIndexOf("T01_A", "_"), 3);
    EXPECT_EQ(util::textIndexOf("T01", "_"), -1);
    EXPECT_EQ(util::textIndexOf("T01", ""), 0);
    EXPECT_EQ(util::textThrough("T01_A_B", "_"), "T01_");
    EXPECT_EQ(util::textThrough("T01", "_"), "");
    EXPECT_EQ(util::leftText("ABCDE", 2), "AB");
    EXPECT_EQ(util::leftText("AB", 5), "AB");
    EXPECT_EQ(util::leftText("AB", 0), "");
    EXPECT_EQ(util::leftText("AB", -3), "");
    EXPECT_EQ(util::charAt("AB", 2), 'B');
    EXPECT_THROW(util::charAt("AB", 3), std::out_of_range);
    EXPECT_THROW(util::charAt("AB", 0), std::out_of_range);
}

struct NumberAfterCase {
    const char* text;
    double expected;
};

class NumberAfter : public testing::TestWithParam<NumberAfterCase> {};

TEST_P(NumberAfter, ReadsTheFirstNumberFromTheKeyOn)
{
    EXPECT_EQ(util::numberAfter(GetParam().text, "DIA"), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Comments, NumberAfter,
                         testing::Values(NumberAfterCase{"(T01 DIA10.5)", 10.5},
                                         NumberAfterCase{"(DIA.5)", 0.5},
                                         NumberAfterCase{"(DIA -3)", -3.0},
                                         NumberAfterCase{"(T1 D10)", 1.0},
                                         NumberAfterCase{"(DIA)", 0.0},
                                         NumberAfterCase{"", 0.0},
                                         NumberAfterCase{"(T1 D10 DIA 10.5 MILL)", 10.5},
                                         NumberAfterCase{"(DIA 1.5E1)", 15.0},
                                         NumberAfterCase{"(DIA -.)", 0.0},
                                         NumberAfterCase{"(DIA 1e999)", 0.0},
                                         NumberAfterCase{"(\x83\x5C DIA 8)", 8.0}),
                         [](const auto& info) { return testsupport::caseIndexName(info); });

}  // namespace
