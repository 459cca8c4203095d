#include "nc/ProgramFlow.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using Kind = nc::FlowCommand::Kind;

struct FlowCase {
    const char* block;
    Kind kind;
    int number;
    int count;
    bool toSequence;
};

class Flow : public testing::TestWithParam<FlowCase> {};

// How each call and return reads its words: the count in L, or in the digits above the
// program number's four for M98 alone; M99 with or without the N to return to.
TEST_P(Flow, ReadsTheCallOrReturnFromTheWords)
{
    const FlowCase& c = GetParam();
    nc::IsoNcBlock block;
    block.setLine(c.block);
    const nc::FlowCommand command = nc::flowOf(block);
    EXPECT_EQ(command.kind, c.kind) << c.block;
    EXPECT_EQ(command.number, c.number) << c.block;
    EXPECT_EQ(command.count, c.count) << c.block;
    EXPECT_EQ(command.toSequence, c.toSequence) << c.block;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Flow,
    testing::Values(FlowCase{"G01 X10. P1000", Kind::Next, 0, 1, false},
                    FlowCase{"M98 P1000", Kind::Call, 1000, 1, false},
                    FlowCase{"M98 P1000 L3", Kind::Call, 1000, 3, false},
                    FlowCase{"M98 P50010", Kind::Call, 10, 5, false},
                    FlowCase{"M98 P50010 L2", Kind::Call, 50010, 2, false},
                    FlowCase{"N20 M98 P9000 L0", Kind::Call, 9000, 0, false},
                    FlowCase{"M98", Kind::Call, -1, 1, false},
                    FlowCase{"M97 P100 L2", Kind::LocalCall, 100, 2, false},
                    FlowCase{"G65 P9010 L2 A1. B2.", Kind::MacroCall, 9010, 2, false},
                    FlowCase{"G65 P90010", Kind::MacroCall, 90010, 1, false},
                    FlowCase{"M99", Kind::Return, 0, 1, false},
                    FlowCase{"N90 M99 P30", Kind::Return, 30, 1, true},
                    // Only a line's first letter is read in lower case: the call names no program.
                    FlowCase{"m98 p2000", Kind::Call, -1, 1, false}));

// The repeat count of a cycle block: L (and K under Fanuc's reading, where K is no shift
// or arc word); none outside a cycle.
TEST(Flow, CycleRepeatsByControl)
{
    const auto repeats = [](const char* line, nc::Control control) {
        nc::IsoNcBlock block;
        block.setLine(line);
        return nc::cycleRepeats(block, control);
    };
    EXPECT_EQ(repeats("G81 X10. Z-5. R2. L4", nc::Control::Fanuc), 4);
    EXPECT_EQ(repeats("G81 X10. Z-5. R2. K4", nc::Control::Fanuc), 4);
    EXPECT_EQ(repeats("G81 X10. Z-5. R2. K4.", nc::Control::Fanuc), 4);
    EXPECT_EQ(repeats("G81 X10. Z-5. R2. K4", nc::Control::Haas), std::nullopt);
    EXPECT_EQ(repeats("G81 X10. Z-5. R2. L0", nc::Control::Haas), 0);
    EXPECT_EQ(repeats("G87 X10. Z-5. R2. K4", nc::Control::Fanuc), std::nullopt);
    EXPECT_EQ(repeats("G18 G81 X10. Z-5. R2. K4", nc::Control::Fanuc), std::nullopt);
    EXPECT_EQ(repeats("G01 X10. L4", nc::Control::Fanuc), std::nullopt);
}

TEST(Flow, ProgramStartsAndSequenceNumbers)
{
    int number = 0;
    EXPECT_TRUE(nc::startsProgram("O1234 (SUB)", number));
    EXPECT_EQ(number, 1234);
    EXPECT_TRUE(nc::startsProgram("  :0010", number));
    EXPECT_EQ(number, 10);
    EXPECT_TRUE(nc::startsProgram("o77", number));
    EXPECT_EQ(number, 77);
    EXPECT_TRUE(nc::startsProgram("%", number));
    EXPECT_EQ(number, -1);
    EXPECT_FALSE(nc::startsProgram("(O1234)", number));
    EXPECT_FALSE(nc::startsProgram("OX", number));
    EXPECT_FALSE(nc::startsProgram("N10 O1234", number));

    EXPECT_EQ(nc::sequenceNumberOf("N100 G01 X1."), 100);
    EXPECT_EQ(nc::sequenceNumberOf("/ n20 M08"), 20);
    EXPECT_EQ(nc::sequenceNumberOf("G01 N100"), std::nullopt);
    EXPECT_EQ(nc::sequenceNumberOf("N"), std::nullopt);
}

}  // namespace
