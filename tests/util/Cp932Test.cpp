#include "util/Cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(Cp932, LiteralsBecomeTheirExactBytes)
{
    EXPECT_EQ(util::toCp932("ソ"), "\x83\x5C");
    EXPECT_EQ(util::toCp932("表"), "\x95\x5C");
    EXPECT_EQ(util::toCp932("ｸﾞﾘ"), "\xB8\xDE\xD8");
    EXPECT_EQ(util::toCp932("＜ T"), "\x81\x83 T");
    EXPECT_EQ(util::toCp932("："), "\x81\x46");
    EXPECT_EQ(util::toCp932("a\\b~"), "a\\b~");
}

TEST(Cp932, LeadBytes)
{
    EXPECT_TRUE(util::isCp932LeadByte(0x81));
    EXPECT_TRUE(util::isCp932LeadByte(0x9F));
    EXPECT_TRUE(util::isCp932LeadByte(0xE0));
    EXPECT_TRUE(util::isCp932LeadByte(0xFC));
    EXPECT_FALSE(util::isCp932LeadByte(0x5C));
    EXPECT_FALSE(util::isCp932LeadByte(0xA0));
    EXPECT_FALSE(util::isCp932LeadByte(0xB8));
}

TEST(Cp932, TextForMessagesReplacesWhatIsNoCharacter)
{
    EXPECT_EQ(util::cp932ToUtf8("-\x83\x5C"), "-ソ");
    EXPECT_EQ(util::cp932ToUtf8("-A5"), "-A5");
    EXPECT_EQ(util::cp932ToUtf8("a\x83"), "a\xEF\xBF\xBD");
    EXPECT_EQ(util::cp932ToUtf8("\xFF" "b"), "\xEF\xBF\xBD" "b");
    // As Windows reads them: 0x80 is U+0080, 0x8160 the full-width tilde.
    EXPECT_EQ(util::cp932ToUtf8("\x80\x81\x60"), "\xC2\x80\xEF\xBD\x9E");
}

TEST(Cp932, LinkPathsConvertOrPercentEncode)
{
    EXPECT_EQ(util::pathToCp932Link("/work/NC/Result/data.html"), "/work/NC/Result/data.html");
    EXPECT_EQ(util::pathToCp932Link("/w/表/data.html"), "/w/\x95\x5C/data.html");
    EXPECT_EQ(util::pathToCp932Link("/w/é/d"), "/w/%C3%A9/d");
    EXPECT_EQ(util::pathToCp932Link("/w/a b#c\"%/d"), "/w/a%20b%23c%22%25/d");
    EXPECT_EQ(util::pathToCp932Link("/w/\xFF/d"), "/w/%FF/d");
    // glibc would write the yen sign as a backslash: another folder in the link.
    EXPECT_EQ(util::pathToCp932Link("/w/\xC2\xA5/d"), "/w/%C2%A5/d");
}

struct EncodingCase {
    std::string name;
    std::string head;
    bool utf8;
};

class Encoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, IsDecidedFromTheStartOfTheFile)
{
    EXPECT_EQ(util::looksLikeUtf8(GetParam().head), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Heads, Encoding,
    testing::Values(EncodingCase{"PlainAscii", "G01 X1.\r\n", false},
                    EncodingCase{"ByteOrderMarkAlone", "\xEF\xBB\xBFG01", true},
                    EncodingCase{"Japanese", "(\xE5\xB7\xA5\xE5\x85\xB7)", true},
                    EncodingCase{"ShiftJis", "(\x8D\x48\x8B\xEF)", false},
                    EncodingCase{"SequenceCutByTheWindow", "(\xC3\xA4)(\xE5\xB7", true},
                    EncodingCase{"Overlong", "(\xC0\xAF)", false},
                    EncodingCase{"Surrogate", "(\xED\xA0\x80)", false},
                    EncodingCase{"BeyondU10FFFF", "(\xF4\x90\x80\x80)", false},
                    EncodingCase{"InvalidAfterValid", "(\xC3\xA4) \xE9t\xE9", false}),
    [](const auto& info) { return info.param.name; });

struct ConversionCase {
    std::string name;
    std::string utf8;
    bool valid;
    std::string cp932;
    std::vector<std::pair<std::size_t, char32_t>> unmapped;
};

class Utf8Lines : public testing::TestWithParam<ConversionCase> {};

TEST_P(Utf8Lines, BecomeCodePage932WithNothingLost)
{
    const ConversionCase& c = GetParam();
    util::Utf8LineConverter converter;
    std::string cp932 = "untouched";
    std::vector<util::UnmappedCharacter> unmapped;
    ASSERT_EQ(converter.convert(c.utf8, cp932, unmapped), c.valid);
    EXPECT_EQ(cp932, c.valid ? c.cp932 : "untouched");
    ASSERT_EQ(unmapped.size(), c.unmapped.size());
    for (std::size_t i = 0; i < unmapped.size(); ++i) {
        EXPECT_EQ(unmapped[i].position, c.unmapped[i].first);
        EXPECT_EQ(unmapped[i].codePoint, c.unmapped[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Utf8Lines,
    testing::Values(ConversionCase{"Ascii", "G01 X1. (A&B)", true, "G01 X1. (A&B)", {}},
                    ConversionCase{"Japanese", "(\xE5\xB7\xA5\xE5\x85\xB7)", true, "(\x8D\x48\x8B\xEF)", {}},
                    ConversionCase{"UmlautsAndEmoji", "(\xC3\xA4 \xF0\x9F\x98\x80\xE5\xB7\xA5)", true,
                                   "(? ?\x8D\x48)", {{1, 0xE4}, {3, 0x1F600}}},
                    ConversionCase{"NotUtf8", "(caf\xE9)", false, "", {}},
                    // Windows' table, not glibc's: the full-width forms convert, their JIS
                    // cousins (wave dash, minus, em dash, cent, pound, not, yen sign,
                    // overline) have no code of their own and become "?" on both platforms.
                    ConversionCase{"FullWidthForms", "\xEF\xBD\x9E\xEF\xBC\x8D\xE2\x80\x95\xEF\xBF\xA0\xEF\xBF\xA5", true,
                                   "\x81\x60\x81\x7C\x81\x5C\x81\x91\x81\x8F", {}},
                    ConversionCase{"OneWayMappingsOfGlibc",
                                   "\xE3\x80\x9C\xE2\x88\x92\xE2\x80\x94\xC2\xA2\xC2\xA3\xC2\xAC\xC2\xA5\xE2\x80\xBE", true,
                                   "????????",
                                   {{0, 0x301C}, {1, 0x2212}, {2, 0x2014}, {3, 0xA2}, {4, 0xA3}, {5, 0xAC}, {6, 0xA5}, {7, 0x203E}}}),
    [](const auto& info) { return info.param.name; });

// Text from a file as a message shows it: nothing a terminal would obey, and no more than
// a person reads.
TEST(ShownText, EscapesControlBytesAndCutsLongText)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"G01 X1.", "G01 X1."},
        {"A\tB\r\n", "A\\tB\\r\\n"},
        {"\x1B]0;title\x07", "\\x1B]0;title\\x07"},
        {"\x7F", "\\x7F"},
        {std::string(81, '9'), std::string(80, '9') + "…"},
        {std::string(80, '9'), std::string(80, '9')},
        {"工具" + std::string(79, 'x'), "工具" + std::string(78, 'x') + "…"},  // characters, not bytes
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(util::shownText(text), shown) << text;
    }
    EXPECT_EQ(util::shownText("工具径", 2), "工具…");
}

}  // namespace
