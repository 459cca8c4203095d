#include "nc/LineComment.h"
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
        EXPECT_EQ(nc::lineComment(line), comment) << line;
    }
}

nc::Motion motion(nc::MotionKind kind, std::int64_t line)
{
    nc::Motion m;
    m.kind = kind;
    m.line = line;
    return m;
}

nc::Motion sectionEnd(std::int64_t line, int section, int tool, int nextTool, const nc::SectionFigures& figures,
                      bool keep)
{
    nc::Motion m = motion(nc::MotionKind::SectionEnd, line);
    m.section = section;
    m.tool = tool;
    m.nextTool = nextTool;
    m.figures = &figures;
    m.keep = keep;
    return m;
}

// The record is made of the stream alone: holes counted per cycle into their section, a
// section kept only when the stream says so, headings numbered at each new tool, the
// tool named by its change or else by the next comment line, and the program's figures
// folded from every section end, kept or not.
TEST(SectionRecorder, BuildsTheSectionsFromTheStream)
{
    record::ProgramRecord record;
    record::SectionRecorder recorder(record);
    nc::SectionFigures first;
    first.cutLength = 5.0;
    first.totalTime = 1.5;
    first.minZ = -3.0;
    first.maxZ = 10.0;
    nc::SectionFigures empty;
    empty.totalTime = 0.25;  // a tool change's time: the program counts it, the sheet does not

    nc::Motion hole = motion(nc::MotionKind::Hole, 3);
    for (const int code : {81, 81, 83}) {
        hole.cycleCode = code;
        recorder.motion(hole);
    }
    recorder.motion(sectionEnd(4, 0, 0, 3, first, true));
    nc::Motion change = motion(nc::MotionKind::ToolChange, 4);
    change.tool = 3;
    recorder.motion(change);  // no description: the next comment line gives it
    nc::Motion comment = motion(nc::MotionKind::Comment, 5);
    comment.text = "DRILL 5";
    comment.commentLine = true;
    recorder.motion(comment);
    recorder.motion(sectionEnd(9, 1, 3, 3, empty, false));
    recorder.motion(sectionEnd(12, 2, 3, 4, first, true));

    ASSERT_EQ(record.sections.size(), 2u);
    EXPECT_EQ(record.sections[0].holes, (std::map<int, std::int64_t>{{81, 2}, {83, 1}}));
    EXPECT_EQ(record.sections[0].heading, 0);
    EXPECT_EQ(record.sections[0].anchor, "");
    EXPECT_EQ(record.sections[0].lastLine, 4);
    const record::SectionRecord& drill = record.sections[1];
    EXPECT_EQ(drill.sequence, 2);
    EXPECT_EQ(drill.heading, 1);
    EXPECT_EQ(drill.tool, 3);
    EXPECT_EQ(drill.description, "DRILL 5");
    EXPECT_EQ(drill.firstLine, 10);
    EXPECT_EQ(drill.lastLine, 12);
    EXPECT_TRUE(drill.holes.empty());
    EXPECT_EQ(record.total.totalTime, 1.5 + 0.25 + 1.5);
    EXPECT_EQ(record.total.zMin, -3.0);
    EXPECT_EQ(record.machineTotal, record.total.totalTime);
}

}  // namespace
