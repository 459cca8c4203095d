// The motion stream handed to consumers on lanes of their own: each lane sees what the
// run's thread would have handed it, and the pictures drawn on two lanes are those drawn
// on one, and those of each picture drawn alone.
#include "run/StreamWorker.h"
#include "sheet/PictureSvg.h"
#include "sheet/SheetPictures.h"

#include <gtest/gtest.h>

#include <functional>
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
    // Fitted and drawn ahead on a thread of its own, the whole program's picture is the one
    // the page fits and draws itself.
    laned.drawWholeAhead();
    const std::string ahead = laned.wholeDrawing();
    EXPECT_NE(ahead.find("<svg"), std::string::npos);
    EXPECT_EQ(ahead, alone.wholeDrawing());
}

// How a program begins, before the moves of its first tool (1) and its second (2).
struct Opening {
    const char* name;
    std::function<void(std::vector<nc::Motion>&)> add;
};

nc::Motion move(nc::MotionKind kind, nc::Point3 from, nc::Point3 to, int tool)
{
    nc::Motion m;
    m.kind = kind;
    m.from = from;
    m.to = to;
    m.tool = tool;
    return m;
}

nc::Motion sectionEnd(bool keep)
{
    nc::Motion end;
    end.kind = nc::MotionKind::SectionEnd;
    end.keep = keep;
    return end;
}

class FirstSection : public testing::TestWithParam<std::tuple<Opening, bool>> {};

// The first section that draws is the whole program's picture up to its end when its
// first move is a line from the start point, and is drawn once, by the whole program's
// half. Whatever the opening, each picture is the one drawn alone from its own moves.
TEST_P(FirstSection, IsThePictureItsMovesDrawAlone)
{
    const auto& [opening, onLanes] = GetParam();
    std::vector<nc::Motion> moves;
    nc::Motion start;
    start.kind = nc::MotionKind::Start;
    start.to = {0, 0, 50};
    moves.push_back(start);
    opening.add(moves);
    // A raster of tool 1 from where the opening left the tool, then tool 2 crosses it.
    nc::Point3 at = moves.back().kind == nc::MotionKind::SectionEnd ? start.to : moves.back().to;
    for (int row = 0; row < 1500; ++row) {
        const nc::Point3 to{row % 2 == 0 ? 40.0 : 0.0, row * 0.02, -2};
        moves.push_back(move(nc::MotionKind::Feed, at, to, 1));
        at = to;
    }
    moves.push_back(sectionEnd(true));
    for (int i = 0; i < 40; ++i) {
        const nc::Point3 to{i * 1.0, 30.0 - i * 0.7, -1.0 - i % 3};
        moves.push_back(move(i == 0 ? nc::MotionKind::Rapid : nc::MotionKind::Feed, at, to, 2));
        at = to;
    }
    moves.push_back(sectionEnd(true));

    // Each picture drawn alone: the whole program's told the start point, each section's
    // only its own moves.
    sheet::ToolpathPicture whole(sheet::SheetPictures::kPictureBudget);
    whole.markStart(start.to[0], start.to[1], start.to[2]);
    std::vector<sheet::ToolpathPicture> sections;
    sheet::ToolpathPicture section(sheet::SheetPictures::kPictureBudget);
    for (const nc::Motion& m : moves) {
        if (m.kind == nc::MotionKind::SectionEnd) {
            if (m.keep) {
                sections.push_back(section);
            }
            section = sheet::ToolpathPicture(sheet::SheetPictures::kPictureBudget);
        } else if (m.kind != nc::MotionKind::Start) {
            whole.add(m, static_cast<std::uint8_t>(m.tool - 1));
            section.add(m, static_cast<std::uint8_t>(m.tool - 1));
        }
    }

    sheet::SheetPictures pictures(sheet::SheetPictures::Keeper::Inline);
    if (onLanes) {
        run::StreamWorker worker;
        worker.addSink(pictures.wholeHalf(), 0);
        worker.addSink(pictures.sectionsHalf(), 1);
        // More than a batch: the lanes run on threads of their own.
        for (const nc::Motion& m : moves) {
            worker.motion(m);
        }
        worker.finish();
    } else {
        for (const nc::Motion& m : moves) {
            pictures.motion(m);
        }
    }
    EXPECT_EQ(sheet::pictureSvg(pictures.wholePicture(), 760, "p"), sheet::pictureSvg(whole, 760, "p"));
    std::vector<sheet::ToolpathPicture>& drawn = pictures.sectionPictures();
    ASSERT_EQ(drawn.size(), sections.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(sheet::pictureSvg(drawn[i], 560, "s", true), sheet::pictureSvg(sections[i], 560, "s", true))
            << "section " << i + 1;
    }
}

const Opening kOpenings[] = {
    {"RapidFromTheStart", [](auto& m) { m.push_back(move(nc::MotionKind::Rapid, {0, 0, 50}, {0, 0, 5}, 1)); }},
    {"FeedFromTheStart", [](auto& m) { m.push_back(move(nc::MotionKind::Feed, {0, 0, 50}, {3, 4, -2}, 1)); }},
    {"StandingAtTheStart", [](auto& m) { m.push_back(move(nc::MotionKind::Rapid, {0, 0, 50}, {0, 0, 50}, 1)); }},
    {"RapidFromElsewhere", [](auto& m) { m.push_back(move(nc::MotionKind::Rapid, {10, 0, 80}, {0, 0, 5}, 1)); }},
    // Rapids in a small zigzag far from the start point: a picture told the start point
    // reckons them at a coarser scale.
    {"RapidsFarFromTheStart",
     [](auto& m) {
         nc::Point3 at{100, 100, 20};
         for (int i = 0; i < 30; ++i) {
             const nc::Point3 to{100 + (i % 2) * 0.01, 100 + i * 0.01, 5};
             m.push_back(move(nc::MotionKind::Rapid, at, to, 1));
             at = to;
         }
     }},
    {"ArcFirst",
     [](auto& m) {
         nc::Motion arc = move(nc::MotionKind::Arc, {0, 0, 50}, {20, 0, 50}, 1);
         arc.centre1 = 10;
         arc.radius = 10;
         arc.startAngle = 3.14159265358979;
         arc.sweep = 3.14159265358979;
         arc.angleIncreasing = false;
         m.push_back(arc);
     }},
    {"HoleFirst",
     [](auto& m) {
         nc::Motion hole = move(nc::MotionKind::Hole, {0, 0, 50}, {5, 5, -10}, 1);
         hole.level = 2;
         m.push_back(hole);
     }},
    {"AtAnAssumedPlace",
     [](auto& m) {
         m.push_back(move(nc::MotionKind::Rapid, {0, 0, 50}, {0, 0, 5}, 1));
         m.back().unknownAxes = 4;
     }},
    {"AfterAnEmptySection",
     [](auto& m) {
         m.push_back(sectionEnd(true));
         m.push_back(move(nc::MotionKind::Rapid, {0, 0, 50}, {0, 0, 5}, 1));
     }},
    {"AfterASectionNotKept",
     [](auto& m) {
         m.push_back(sectionEnd(false));
         m.push_back(move(nc::MotionKind::Rapid, {0, 0, 50}, {0, 0, 5}, 1));
     }},
};

INSTANTIATE_TEST_SUITE_P(Openings, FirstSection, testing::Combine(testing::ValuesIn(kOpenings), testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "OnLanes" : "OnOne");
                         });

}  // namespace
