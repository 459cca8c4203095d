// The motion stream handed to consumers on lanes of their own: each lane sees what the
// run's thread would have handed it, and the pictures drawn on two lanes are those drawn
// on one.
#include "run/StreamWorker.h"
#include "sheet/PictureSvg.h"
#include "sheet/SheetPictures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// What a sink was given, in order, and on which threads.
class Trace : public nc::MotionSink {
public:
    std::vector<std::int64_t> lines;
    std::vector<std::thread::id> threads;
    void motion(const nc::Motion& m) override
    {
        lines.push_back(m.line);
        if (threads.empty() || threads.back() != std::this_thread::get_id()) {
            threads.push_back(std::this_thread::get_id());
        }
        // What the run's buffers hold never reaches a lane.
        EXPECT_TRUE(m.text.empty() && m.block == nullptr && m.figures == nullptr);
    }
};

class Lanes : public testing::TestWithParam<int> {};

// Fewer motions than a batch, a batch and a few, and many batches with a remainder.
TEST_P(Lanes, EachSeesEveryMotionInOrder)
{
    Trace first, alongside, second, third;
    std::vector<std::int64_t> expected;
    {
        run::StreamWorker worker;
        worker.addSink(first, 0);
        worker.addSink(alongside, 0);
        worker.addSink(second, 1);
        worker.addSink(third, 2);
        const std::string text = "G01 X1.";
        for (int i = 1; i <= GetParam(); ++i) {
            nc::Motion m;
            // Every fifth is the writing's own (a block begins): for the run's thread only.
            m.kind = i % 5 == 0 ? nc::MotionKind::Block : nc::MotionKind::Feed;
            m.line = i;
            m.text = text;
            worker.motion(m);
            if (m.kind == nc::MotionKind::Feed) {
                expected.push_back(i);
            }
        }
        worker.finish();
    }
    for (const Trace* trace : {&first, &alongside, &second, &third}) {
        EXPECT_EQ(trace->lines, expected);
        EXPECT_LE(trace->threads.size(), 1u) << "a lane's motions come on one thread";
    }
    // A program too small for a batch is taken on the run's thread; a larger one on a
    // thread for each lane.
    if (GetParam() >= 2000) {
        EXPECT_NE(first.threads, second.threads);
        EXPECT_NE(second.threads, third.threads);
        EXPECT_EQ(first.threads, alongside.threads);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, Lanes, testing::Values(0, 3, 1100, 9999));

// Twenty-five tools (five past the colours' count, whose numbers are written where they
// first cut) in sections of random moves: the whole program's picture and the sections'
// on two lanes are those the pictures draw taking the motions themselves.
TEST(SheetLanes, PicturesOnTwoAreThoseDrawnOnOne)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> at(0.0, 80.0);
    std::vector<nc::Motion> moves;
    nc::Motion start;
    start.kind = nc::MotionKind::Start;
    start.to = {0, 0, 100};
    moves.push_back(start);
    nc::Point3 from = start.to;
    for (int tool = 1; tool <= 25; ++tool) {
        for (int i = 0; i < 400; ++i) {
            nc::Motion m;
            m.kind = i == 0 ? nc::MotionKind::Rapid : nc::MotionKind::Feed;
            m.tool = tool;
            m.from = from;
            m.to = {at(random), at(random), -at(random) / 20};
            moves.push_back(m);
            from = m.to;
        }
        nc::Motion end;
        end.kind = nc::MotionKind::SectionEnd;
        end.keep = true;
        end.tool = tool;
        moves.push_back(end);
    }

    sheet::SheetPictures alone(sheet::SheetPictures::Keeper::Inline);
    sheet::SheetPictures laned;
    {
        run::StreamWorker worker;
        worker.addSink(laned.wholeHalf(), 0);
        worker.addSink(laned.sectionsHalf(), 1);
        for (const nc::Motion& m : moves) {
            alone.motion(m);
            worker.motion(m);
        }
        worker.finish();
    }
    EXPECT_EQ(laned.wholePicture().toolMarks().size(), 5u);
    EXPECT_EQ(sheet::pictureSvg(laned.wholePicture(), 760, "whole"), sheet::pictureSvg(alone.wholePicture(), 760, "whole"));
    const record::ProgramRecord record;
    const auto legend = laned.legend(record);
    const auto expected = alone.legend(record);
    ASSERT_EQ(legend.size(), expected.size());
    for (std::size_t i = 0; i < legend.size(); ++i) {
        EXPECT_EQ(legend[i].label, expected[i].label);
        EXPECT_EQ(legend[i].colour, expected[i].colour);
    }
    std::vector<sheet::ToolpathPicture>& sections = laned.sectionPictures();
    std::vector<sheet::ToolpathPicture>& reference = alone.sectionPictures();
    ASSERT_EQ(sections.size(), 25u);
    ASSERT_EQ(reference.size(), 25u);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(sheet::pictureSvg(sections[i], 560, "s", true), sheet::pictureSvg(reference[i], 560, "s", true))
            << "section " << i + 1;
    }
}

}  // namespace
