#include "record/SectionRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(LineComment, IsTheTextInsideTheFirstParentheses)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"G00 X1. (ROUGH)", "ROUGH"},
        {"(  T1 DIA 10.  )", "T1 DIA 10."},
        {"(OPEN TO THE END", "OPEN TO THE END"},
        {"(FIRST) (SECOND)", "FIRST"},
        {"G01 X1.", ""},
        {"()", ""},
    };
    for (const auto& [line, comment] : cases) {
        EXPECT_EQ(record::lineComment(line), comment) << line;
    }
}

// Holes come from the motion stream, counted per cycle into the section that holds them.
TEST(SectionRecorder, CountsHolesOfTheStreamIntoTheirSection)
{
    record::ProgramRecord record;
    record::SectionRecorder recorder(record);
    nc::Motion hole;
    hole.kind = nc::MotionKind::Hole;
    for (const int code : {81, 81, 83}) {
        hole.cycleCode = code;
        recorder.motion(hole);
    }
    nc::Motion feed;
    feed.kind = nc::MotionKind::Feed;
    recorder.motion(feed);
    report::RunSummary summary;
    EXPECT_TRUE(recorder.sectionFolded(summary, 1, 3, "T3_1", 10));
    EXPECT_FALSE(recorder.sectionFolded(summary, 1, 3, "T3_1", 12));  // nothing in it
    ASSERT_EQ(record.sections.size(), 1u);
    EXPECT_EQ(record.sections[0].holes, (std::map<int, std::int64_t>{{81, 2}, {83, 1}}));
    EXPECT_EQ(record.sections[0].lastLine, 10);
}

}  // namespace
