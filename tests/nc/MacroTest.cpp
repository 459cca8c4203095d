#include "nc/Macro.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

struct ValueCase {
    const char* expression;
    std::optional<double> value;  // none: vacant
};

class MacroValues : public testing::TestWithParam<ValueCase> {};

// Precedence, brackets, functions, the vacant rules and rounding; #1 is 12.5, #2 -3,
// #3 vacant. The worked values are the Fanuc manuals' (FIX and FUP of ±1.2, ATAN of a
// point in the second quadrant, BCD and BIN of 123).
TEST_P(MacroValues, EvaluateAsTheControlDoes)
{
    nc::MacroMemory memory;
    memory.set(1, 12.5);
    memory.set(2, -3.0);
    const ValueCase& c = GetParam();
    const nc::MacroValue value = nc::evaluateMacro(c.expression, memory);
    ASSERT_EQ(value.has_value(), c.value.has_value()) << c.expression;
    if (value) {
        EXPECT_NEAR(*value, *c.value, 1e-9) << c.expression;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, MacroValues,
    testing::Values(ValueCase{"1+2*3", 7.0}, ValueCase{"[1+2]*3", 9.0}, ValueCase{"10/4", 2.5},
                    ValueCase{"-#1+1", -11.5}, ValueCase{"#1*#2", -37.5}, ValueCase{"[[#1]]", 12.5},
                    ValueCase{"#[1+1]", -3.0}, ValueCase{"7 MOD 3", 1.0}, ValueCase{"12 AND 10", 8.0},
                    ValueCase{"12 OR 3", 15.0}, ValueCase{"5 XOR 1", 4.0}, ValueCase{"SQRT[16]", 4.0},
                    ValueCase{"POW[2,10]", 1024.0}, ValueCase{"ABS[#2]", 3.0}, ValueCase{"SIN[30]", 0.5},
                    ValueCase{"COS[60]", 0.5}, ValueCase{"ASIN[0.5]", 30.0}, ValueCase{"ATAN[1]/[-1]", 135.0},
                    ValueCase{"ATAN[-1]/[1]", 315.0}, ValueCase{"ATAN[1]", 45.0}, ValueCase{"ROUND[1.5]", 2.0},
                    ValueCase{"FIX[1.2]", 1.0}, ValueCase{"FIX[-1.2]", -1.0}, ValueCase{"FUP[1.2]", 2.0},
                    ValueCase{"FUP[-1.2]", -2.0}, ValueCase{"LN[1]", 0.0}, ValueCase{"EXP[0]", 1.0},
                    ValueCase{"BCD[123]", 291.0}, ValueCase{"BIN[291]", 123.0},
                    // Vacant: itself when read alone, 0 in arithmetic, told from 0 by EQ and NE only.
                    ValueCase{"#3", std::nullopt}, ValueCase{"#0", std::nullopt}, ValueCase{"#3*5", 0.0},
                    ValueCase{"#3+#3", 0.0}, ValueCase{"[#3 EQ #0]", 1.0}, ValueCase{"[#3 EQ 0]", 0.0},
                    ValueCase{"[#3 NE 0]", 1.0}, ValueCase{"[#3 GE 0]", 1.0}, ValueCase{"[#1 GT 10]", 1.0},
                    ValueCase{"[#1 LT 10 OR #2 LT 0]", 1.0}, ValueCase{"[#1 GT 10 AND #2 GT 0]", 0.0}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// What the control stops on.
TEST(Macro, ErrorsStopWithAReason)
{
    nc::MacroMemory memory;
    for (const char* bad : {"1/0", "SQRT[-1]", "LN[0]", "ASIN[2]", "1 MOD 0", "[1+2", "FOO[1]", "#1000000", "1+"}) {
        EXPECT_THROW(nc::evaluateMacro(bad, memory), nc::MacroError) << bad;
    }
}

// Lines: an assignment is a statement, expressions in words become numbers to the least
// increment (a vacant word goes), statements steer, and a line without macro syntax, or
// whose '#' and '[' stand only in comments, is read as it is.
TEST(Macro, LinesSayWhatTheyDo)
{
    nc::MacroMemory memory;
    using Kind = nc::MacroLine::Kind;
    nc::MacroLine line = nc::readMacroLine("N10 #24 = 12.5 (X)", memory, false);
    EXPECT_EQ(line.kind, Kind::Statement);
    EXPECT_EQ(line.entry, "#24 = 12.500");
    memory.set(9, 120.0);
    line = nc::readMacroLine("G01 X#24 Y-[#24/5] Z#7 F[#9*0.8] (#2)", memory, false);
    EXPECT_EQ(line.kind, Kind::Block);
    EXPECT_EQ(line.text, "G01 X12.500 Y-2.500  F96.000 (#2)");  // Z, vacant, is left out
    line = nc::readMacroLine("G01 X#24", memory, true);
    EXPECT_EQ(line.text, "G01 X12.5000");
    line = nc::readMacroLine("IF [#24 GT 10] GOTO 100", memory, false);
    EXPECT_EQ(line.kind, Kind::Jump);
    EXPECT_EQ(line.target, 100);
    line = nc::readMacroLine("IF [#24 GT 20] GOTO 100", memory, false);
    EXPECT_EQ(line.kind, Kind::Statement);
    line = nc::readMacroLine("IF [#24 GT 10] THEN #5 = 1", memory, false);
    EXPECT_EQ(memory.get(5), 1.0);
    line = nc::readMacroLine("WHILE [#5 LE 3] DO 2", memory, false);
    EXPECT_EQ(line.kind, Kind::While);
    EXPECT_TRUE(line.holds);
    EXPECT_EQ(line.target, 2);
    EXPECT_EQ(nc::readMacroLine("END 2", memory, false).kind, Kind::End);
    EXPECT_EQ(nc::readMacroLine("#<depth> = -3", memory, false).entry, "#<depth> = -3.000");
    EXPECT_EQ(nc::readMacroLine("G01 Z#<Depth>", memory, false).text, "G01 Z-3.000");
    // A bracketed comment after a letter is no expression: as written, no error.
    for (const char* plain : {"G01 X10. (HOLE #3)", " [ABSOLUTE MODE]", "G01 X1.", " F10 XY [SET FEEDRATE FOR X AND Y]"}) {
        EXPECT_EQ(nc::readMacroLine(plain, memory, false).kind, Kind::Plain) << plain;
    }
    EXPECT_FALSE(nc::hasMacroSyntax("G01 X10. Y20."));
    EXPECT_TRUE(nc::hasMacroSyntax("N20 GOTO 10"));
    EXPECT_THROW(nc::readMacroLine("#1 12", memory, false), nc::MacroError);
}

// Every line is asked whether it holds macro syntax: a '#' or '[' at any byte, or a
// statement word. Lines of every length up to 24 bytes, with the mark at every place, the
// bytes next to '#' and '[' and high bytes of code page 932 around it.
TEST(Macro, SyntaxIsFoundAtEveryPlace)
{
    EXPECT_FALSE(nc::hasMacroSyntax(""));
    EXPECT_FALSE(nc::hasMacroSyntax(std::string_view()));
    for (std::size_t length = 1; length <= 24; ++length) {
        const std::string plain = std::string("N10 G01 X\x83\x5A\xFF\x80Y12.5 F100 \x22\x24\x5A\x5C").substr(0, length);
        EXPECT_FALSE(nc::hasMacroSyntax(plain)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (const char mark : {'#', '['}) {
                std::string line = plain;
                line[at] = mark;
                EXPECT_TRUE(nc::hasMacroSyntax(line)) << line;
            }
        }
    }
}

// A line without '#' or '[' is a statement by its first word after the sequence number:
// each word is known by its first letter, and a word that runs on into another letter
// is none.
TEST(Macro, StatementWordsAreFoundByTheirFirstLetter)
{
    const std::pair<const char*, bool> lines[] = {
        {"GOTO10", true},       {"N5 GOTO 10", true}, {"n5GOTO 10", true}, {"  N5  END1", true},
        {"IF1", true},          {"WHILE", true},      {"END 2", true},     {"DO1", true},
        {"G01 X1.", false},     {"GOTOX1", false},    {"ENDX", false},     {"DOG", false},
        {"D01", false},         {"E1", false},        {"WHILEX", false},   {"IFX", false},
        {"N5 G01 GOTO", false}, {"N5", false},        {"N", false},        {"X1. GOTO 5", false},
    };
    for (const auto& [line, statement] : lines) {
        EXPECT_EQ(nc::hasMacroSyntax(line), statement) << line;
    }
}

// A G65 call has its own local variables; the caller's come back with the return.
TEST(Macro, LocalsBelongToTheirCallLevel)
{
    nc::MacroMemory memory;
    memory.set(1, 5.0);
    memory.set(100, 7.0);
    std::array<nc::MacroValue, 33> arguments{};
    arguments[23] = 60.0;  // X → #24
    memory.pushLocals(arguments);
    EXPECT_EQ(memory.get(1), std::nullopt);
    EXPECT_EQ(memory.get(24), 60.0);
    EXPECT_EQ(memory.get(100), 7.0);
    memory.popLocals();
    EXPECT_EQ(memory.get(1), 5.0);
}

}  // namespace
