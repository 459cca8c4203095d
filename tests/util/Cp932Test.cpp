#include "util/Cp932.h"

#include <gtest/gtest.h>

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
}

TEST(Cp932, LinkPathsConvertOrPercentEncode)
{
    EXPECT_EQ(util::pathToCp932Link("/work/NC/Result/data.html"), "/work/NC/Result/data.html");
    EXPECT_EQ(util::pathToCp932Link("/w/表/data.html"), "/w/\x95\x5C/data.html");
    EXPECT_EQ(util::pathToCp932Link("/w/é/d"), "/w/%C3%A9/d");
    EXPECT_EQ(util::pathToCp932Link("/w/a b#c\"%/d"), "/w/a%20b%23c%22%25/d");
    EXPECT_EQ(util::pathToCp932Link("/w/\xFF/d"), "/w/%FF/d");
}

}  // namespace
