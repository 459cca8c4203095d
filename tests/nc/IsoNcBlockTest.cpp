#include "nc/IsoNcBlock.h"
#include "nc/Markers.h"
#include "util/Number.h"
#include "util/UserError.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using nc::IsoNcBlock;
using nc::WordSlot;

struct TokenizeCase {
    std::string name;
    std::vector<std::string> before;  // lines fed first
    std::string line;
    std::vector<std::pair<WordSlot, double>> values;
    std::vector<WordSlot> given;
    std::vector<WordSlot> notGiven;
    int motionCode = -1;  // -1: not checked
};

class Tokenize : public testing::TestWithParam<TokenizeCase> {};

TEST_P(Tokenize, StoresTheWordsOfTheLine)
{
    const TokenizeCase& c = GetParam();
    IsoNcBlock block;
    for (const auto& line : c.before) {
        block.setLine(line);
    }
    block.setLine(c.line);
    for (const auto& [slot, value] : c.values) {
        EXPECT_DOUBLE_EQ(block.wordValue(slot), value) << "slot " << static_cast<int>(slot);
    }
    for (const WordSlot slot : c.given) {
        EXPECT_TRUE(block.isWordGiven(slot)) << "slot " << static_cast<int>(slot);
    }
    for (const WordSlot slot : c.notGiven) {
        EXPECT_FALSE(block.isWordGiven(slot)) << "slot " << static_cast<int>(slot);
    }
    if (c.motionCode >= 0) {
        EXPECT_EQ(block.motionCode(), c.motionCode);
    }
}

const std::vector<WordSlot> kAllButMotion = [] {
    std::vector<WordSlot> slots;
    for (std::size_t i = 0; i < nc::kWordSlotCount; ++i) {
        if (i != nc::slotIndex(WordSlot::GMotion)) {
            slots.push_back(static_cast<WordSlot>(i));
        }
    }
    return slots;
}();

INSTANTIATE_TEST_SUITE_P(
    Lines, Tokenize,
    testing::Values(
        TokenizeCase{"Thousandths", {}, "G01X1000Y-500.", {{WordSlot::X, 1.0}, {WordSlot::Y, -500.0}}, {WordSlot::X, WordSlot::Y}, {}, 1},
        TokenizeCase{"ShortMotionCode", {}, "G1 X10", {{WordSlot::X, 0.010}}, {}, {}, 1},
        TokenizeCase{"IncrementalPoint", {"X5.", "G91"}, "X1.", {{WordSlot::X, 6.0}}, {}, {}, -1},
        TokenizeCase{"IncrementalThousandths", {"X5.", "G91"}, "X100", {{WordSlot::X, 5.1}}, {}, {}, -1},
        TokenizeCase{"OffsetsNeverIncremental", {"G91"}, "I2.", {{WordSlot::I, 2.0}}, {}, {}, -1},
        TokenizeCase{"G91AppliesFromTheNextWord", {"X3."}, "X1. G91 Y2.", {{WordSlot::X, 1.0}, {WordSlot::Y, -99997.0}, {WordSlot::GDistance, 91}}, {}, {}, -1},
        TokenizeCase{"CommentEndsTheScan", {}, "G01 X10. (CUT) Y5.", {{WordSlot::X, 10.0}, {WordSlot::Y, nc::kUnknownPosition}}, {}, {WordSlot::Y}, 1},
        TokenizeCase{"ToolChange", {}, "M06 (TOOL CHANGE)", {{WordSlot::M, 6.0}}, {WordSlot::M}, {}, -1},
        TokenizeCase{"OnlyTheFirstLetterIsFolded", {}, "x10. y5.", {{WordSlot::X, 10.0}, {WordSlot::Y, nc::kUnknownPosition}}, {WordSlot::X}, {WordSlot::Y}, -1},
        TokenizeCase{"BlankBetweenLetterAndNumber", {}, "G 01 X5.", {{WordSlot::X, 5.0}}, {}, {}, 1},
        TokenizeCase{"DecimalCodeKeepsItsValue", {}, "G43.4 H1", {{WordSlot::GLengthComp, 43.4}, {WordSlot::H, 1.0}}, {WordSlot::GLengthComp, WordSlot::H}, {}, -1},
        TokenizeCase{"CycleAfterMotionStays", {}, "G00 G81", {{WordSlot::GCycle, 81.0}}, {WordSlot::GCycle}, {}, 0},
        TokenizeCase{"MotionCancelsCycle", {}, "G81 G00", {{WordSlot::GCycle, 80.0}}, {WordSlot::GCycle}, {}, 0},
        TokenizeCase{"DwellX", {}, "G04 X1000", {{WordSlot::GNonModal, 4.0}, {WordSlot::X, 1.0}}, {WordSlot::GNonModal}, {}, -1},
        TokenizeCase{"CommentLine", {}, "(COMMENT)", {}, {}, kAllButMotion, -1},
        TokenizeCase{"SeparatorLine", {}, "-----", {}, {}, kAllButMotion, -1},
        TokenizeCase{"PercentLine", {}, "%", {}, {}, kAllButMotion, -1},
        TokenizeCase{"BlockDelete", {}, "/N10 G01", {}, {}, kAllButMotion, 0},
        // Inch programs: a number without a point is in ten-thousandths, from the G20 on.
        TokenizeCase{"InchTenThousandths", {}, "G20 X1 Y25400 Z2.", {{WordSlot::X, 0.0001}, {WordSlot::Y, 2.54}, {WordSlot::Z, 2.0}}, {}, {}, -1},
        TokenizeCase{"UnitWordByWord", {}, "X1 G20 Y1 G21 Z1", {{WordSlot::X, 0.001}, {WordSlot::Y, 0.0001}, {WordSlot::Z, 0.001}}, {}, {}, -1},
        TokenizeCase{"InchStaysModal", {"G20"}, "X5 F12", {{WordSlot::X, 0.0005}, {WordSlot::F, 12.0}}, {}, {}, -1},
        TokenizeCase{"InchIncremental", {"G20 X1.", "G91"}, "X10000", {{WordSlot::X, 2.0}}, {}, {}, -1},
        TokenizeCase{"EmptyLine", {}, "", {}, {}, kAllButMotion, -1},
        TokenizeCase{"LeadingBlanksOnly", {}, "   ", {}, {}, kAllButMotion, -1},
        TokenizeCase{"UnacceptedFirstLetter", {}, "E5 X1.", {{WordSlot::X, nc::kUnknownPosition}}, {}, kAllButMotion, -1},
        TokenizeCase{"HighByteIsNoLetter", {}, "\x83X1.", {}, {}, kAllButMotion, -1},
        TokenizeCase{"LetterWithoutNumber", {}, "G01 X", {{WordSlot::X, 0.0}}, {WordSlot::X}, {}, 1},
        TokenizeCase{"LettersBeforeNumberAreSkipped", {}, "GX10", {{WordSlot::GOther, 10.0}, {WordSlot::X, nc::kUnknownPosition}}, {}, {WordSlot::X}, -1},
        TokenizeCase{"SecondPointEndsNumber", {}, "X1.5.3", {{WordSlot::X, 1.5}}, {}, {}, -1},
        TokenizeCase{"LeadingPointNumber", {}, "X.25", {{WordSlot::X, 0.25}}, {}, {}, -1},
        TokenizeCase{"PlusSign", {}, "X+1.0704 Z+2.1", {{WordSlot::X, 1.0704}, {WordSlot::Z, 2.1}}, {}, {}, -1},
        TokenizeCase{"IntegerLettersTakeTheNumberAsWritten", {}, "F300 S1200 P2000 N0010", {{WordSlot::F, 300}, {WordSlot::S, 1200}, {WordSlot::P, 2000}, {WordSlot::N, 10}}, {}, {}, -1},
        TokenizeCase{"LaterWordOfTheSameSlotWins", {}, "X1. X2.", {{WordSlot::X, 2.0}}, {}, {}, -1},
        TokenizeCase{"NegativeGCodeIsOther", {}, "G-5", {{WordSlot::GOther, -5.0}}, {WordSlot::GOther}, {}, -1},
        TokenizeCase{"HugeGCodeIsOther", {}, "G99999999999", {{WordSlot::GOther, 99999999999.0}}, {}, {}, -1},
        TokenizeCase{"OffsetsResetEachBlock", {"G02 I5. J6. K7."}, "X1.", {{WordSlot::I, 0.0}, {WordSlot::J, 0.0}, {WordSlot::K, 0.0}}, {}, {}, 2},
        TokenizeCase{"TabIsAnOrdinaryCharacter", {}, "\tX1.", {}, {}, kAllButMotion, -1}),
    [](const auto& info) { return info.param.name; });

TEST(IsoNcBlock, DefaultsAfterConstruction)
{
    IsoNcBlock block;
    EXPECT_EQ(block.wordValue(WordSlot::GMotion), 0);
    EXPECT_EQ(block.wordValue(WordSlot::GDistance), 90);
    EXPECT_EQ(block.wordValue(WordSlot::GCycle), 80);
    EXPECT_EQ(block.wordValue(WordSlot::GReturn), 98);
    EXPECT_EQ(block.wordValue(WordSlot::F), 10.0);
    EXPECT_EQ(block.wordValue(WordSlot::T), 0);
    EXPECT_EQ(block.wordValue(WordSlot::M), 9);
    EXPECT_EQ(block.wordValue(WordSlot::R), 5.0);
    EXPECT_EQ(block.wordValue(WordSlot::Q), 1.0);
    EXPECT_EQ(block.wordValue(WordSlot::P), 2000);
    EXPECT_EQ(block.wordValue(WordSlot::L), 1);
    for (const WordSlot axis : {WordSlot::X, WordSlot::Y, WordSlot::Z}) {
        EXPECT_EQ(block.wordValue(axis), nc::kUnknownPosition);
    }
    EXPECT_EQ(block.word(WordSlot::GOther), (nc::IsoNcWord{'N', 0.0}));
    EXPECT_EQ(block.motionCode(), 0);
    EXPECT_TRUE(block.isRapidMotion());
    for (std::size_t i = 0; i < nc::kWordSlotCount; ++i) {
        EXPECT_FALSE(block.isWordGiven(static_cast<WordSlot>(i)));
    }
    EXPECT_EQ(block.lineText(), "%");
}

TEST(IsoNcBlock, StartBlockKeepsThePreviousUnknownPosition)
{
    IsoNcBlock block;
    block.setLine("G92X10.Y20.Z30.");
    EXPECT_EQ(block.wordValue(WordSlot::X), 10.0);
    EXPECT_EQ(block.wordValue(WordSlot::Y), 20.0);
    EXPECT_EQ(block.wordValue(WordSlot::Z), 30.0);
    EXPECT_TRUE(block.isWordGiven(WordSlot::GNonModal));
    EXPECT_EQ(block.wordValue(WordSlot::GNonModal), 92);
    EXPECT_EQ(block.previousWordValue(WordSlot::X), nc::kUnknownPosition);
    EXPECT_EQ(block.lineText(), "G92X10.Y20.Z30.");
}

TEST(IsoNcBlock, SetWordValueMarksGivenUntilTheNextLine)
{
    IsoNcBlock block;
    block.setLine("M06");
    block.setWordValue(WordSlot::M, 99997);
    EXPECT_EQ(block.wordValue(WordSlot::M), 99997);
    EXPECT_TRUE(block.isWordGiven(WordSlot::M));
    block.setLine("X1.");
    EXPECT_FALSE(block.isWordGiven(WordSlot::M));
    EXPECT_EQ(block.wordValue(WordSlot::M), 99997);
}

TEST(IsoNcBlock, MotionGivenFlagStaysOnceRead)
{
    IsoNcBlock block;
    block.setLine("G01 X1.");
    block.setLine("Y2.");
    EXPECT_EQ(block.wordValue(WordSlot::X), 1.0);
    EXPECT_FALSE(block.isWordGiven(WordSlot::X));
    EXPECT_EQ(block.previousWordValue(WordSlot::X), 1.0);
    EXPECT_TRUE(block.isWordGiven(WordSlot::GMotion));
    EXPECT_FALSE(block.isWordGiven(WordSlot::GCycle));
    EXPECT_TRUE(block.isLinearMotion());
    block.reset();
    EXPECT_FALSE(block.isWordGiven(WordSlot::GMotion));
}

struct BadNumberCase {
    std::string line;
    std::string message;
};

class BadNumber : public testing::TestWithParam<BadNumberCase> {};

TEST_P(BadNumber, ConversionFailsWithTheText)
{
    IsoNcBlock block;
    try {
        block.setLine(GetParam().line);
        FAIL() << "no exception for " << GetParam().line;
    } catch (const util::ConversionError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, BadNumber,
                         testing::Values(BadNumberCase{"X-A5", "'-A5' は浮動小数点数ではありません"},
                                         BadNumberCase{"G01 X-", "'-' は浮動小数点数ではありません"},
                                         BadNumberCase{"X+.", "'+.' は浮動小数点数ではありません"},
                                         BadNumberCase{"X-\x83\x5C", "'-\xEF\xBF\xBD' は浮動小数点数ではありません"},
                                         // A number too long to read is shown cut, not whole.
                                         BadNumberCase{"X" + std::string(400, '9') + ".",
                                                       "'" + std::string(80, '9') + "…' は浮動小数点数ではありません"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(IsoNcBlock, WordsBeforeAFailedNumberStay)
{
    IsoNcBlock block;
    EXPECT_THROW(block.setLine("G01 Y2. X-A"), util::ConversionError);
    EXPECT_EQ(block.wordValue(WordSlot::Y), 2.0);
    EXPECT_EQ(block.motionCode(), 1);
}

TEST(ExtractNumber, TakesSignOneCharacterDigitsAndOnePoint)
{
    EXPECT_EQ(nc::extractNumber("X-12.5Y", 1).text, "-12.5");
    EXPECT_EQ(nc::extractNumber("X-12.5Y", 1).next, 6u);
    EXPECT_EQ(nc::extractNumber("X .25", 1).text, ".25");
    EXPECT_EQ(nc::extractNumber("X1.5.3", 1).text, "1.5");
    EXPECT_EQ(nc::extractNumber("X.5.3", 1).text, ".5");
    EXPECT_EQ(nc::extractNumber("X   ", 1).text, "0.0");
    EXPECT_EQ(nc::extractNumber("X(A)", 1).text, "0.0");
}

TEST(ExtractNumber, ConvertsOnTheWayExactlyAsTheFullConversion)
{
    // Random texts of signs, digits, points and other characters: whatever the scan
    // converts itself must be what the full conversion gives, to the bit.
    std::mt19937 random(13);
    const std::string alphabet = "0123456789000.-+A ";
    int converted = 0;
    for (int n = 0; n < 200000; ++n) {
        std::string line = "X";
        const auto length = std::uniform_int_distribution<int>(0, 22)(random);
        for (int i = 0; i < length; ++i) {
            line += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        }
        const nc::ExtractedNumber number = nc::extractNumber(line, 1);
        EXPECT_EQ(number.point, number.text.find('.') != std::string_view::npos) << line;
        if (number.converted) {
            ++converted;
            const auto full = util::tryParseDouble(number.text);
            ASSERT_TRUE(full) << line;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(number.value), std::bit_cast<std::uint64_t>(*full)) << line;
        }
    }
    EXPECT_GT(converted, 50000);
}

TEST(WordSlots, GroupsAndLetters)
{
    EXPECT_EQ(nc::gCodeSlot(4), WordSlot::GNonModal);
    EXPECT_EQ(nc::gCodeSlot(33), WordSlot::GMotion);
    EXPECT_EQ(nc::gCodeSlot(19), WordSlot::GPlane);
    EXPECT_EQ(nc::gCodeSlot(91), WordSlot::GDistance);
    EXPECT_EQ(nc::gCodeSlot(42), WordSlot::GCutterComp);
    EXPECT_EQ(nc::gCodeSlot(49), WordSlot::GLengthComp);
    EXPECT_EQ(nc::gCodeSlot(76), WordSlot::GCycle);
    EXPECT_EQ(nc::gCodeSlot(75), WordSlot::GOther);
    EXPECT_EQ(nc::gCodeSlot(99), WordSlot::GReturn);
    EXPECT_EQ(nc::gCodeSlot(59), WordSlot::GWork);
    EXPECT_EQ(nc::gCodeSlot(-1), WordSlot::GOther);
    for (const char c : std::string("ABCIJKQRXYZ")) {
        EXPECT_FALSE(nc::isIntegerLetter(c)) << c;
    }
    for (const char c : std::string("GONFSTHDMPL")) {
        EXPECT_TRUE(nc::isIntegerLetter(c)) << c;
    }
}

}  // namespace
