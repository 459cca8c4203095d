// The setup sheet and the run's record: the tool descriptions, the sheet's life beside
// the report, and its bounds on a long program.
#include "sheet/SheetPage.h"
#include "sheet/PictureSvg.h"
#include "tests/run/RunFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

namespace {

class Sheet : public testsupport::RunFixture {};

struct DescriptionCase {
    std::string name;
    std::string program;
    std::vector<std::string> descriptions;
};

class Descriptions : public testsupport::RunFixture, public testing::WithParamInterface<DescriptionCase> {};

TEST_P(Descriptions, NameEachToolSection)
{
    const run::RunResult r = runWith(GetParam().program);
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    std::vector<std::string> descriptions;
    for (const record::SectionRecord& s : r.record->sections) {
        descriptions.push_back(s.description);
    }
    EXPECT_EQ(descriptions, GetParam().descriptions);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Descriptions,
    testing::Values(
        DescriptionCase{"OnTheToolChangeLine", "T1 M06 (FACE MILL)\nG00 X10.\nT2 M06 (DRILL 5)\nG00 X20.\nM30\n",
                        {"FACE MILL", "DRILL 5"}},
        DescriptionCase{"OnTheTLine", "T1 (ROUGHER)\nM06\nG00 X10.\nM30\n", {"ROUGHER"}},
        DescriptionCase{"CommentLineBeforeTheChange", "(T1 FACE MILL DIA 50.)\nT1 M06\nG00 X10.\nM30\n",
                        {"T1 FACE MILL DIA 50."}},
        DescriptionCase{"FirstCommentLineAfterTheChange", "T3 M06\nG00 X1.\n(CHAMFER 90)\n(OTHER)\nG00 X10.\nM30\n",
                        {"CHAMFER 90"}},
        DescriptionCase{"NoneAtAll", "T4 M06\nG00 X10.\nM30\n", {""}},
        // An empty comment line after the change says the tool has no name.
        DescriptionCase{"AnEmptyCommentLineEndsTheWait", "T5 M06\n()\n(ROUGH POCKET)\nG00 X10.\nM30\n", {""}},
        // A message to the operator names nothing.
        DescriptionCase{"NeverAnOperatorMessage", "T1 M06\n(MSG, CLEAN THE VICE)\nM01\n(ROUGHER)\nG00 X10.\nM30\n",
                        {"ROUGHER"}}),
    [](const auto& info) { return info.param.name; });

// The comment lines that name operations: the one right before a tool change that names
// its tool itself, then each before a block of moves; never an operator's message.
TEST_F(Sheet, OperationsAreTheCommentLinesBeforeMoves)
{
    const run::RunResult r = runWith("(HEADER)\n(FACE1)\nT1 M06 (FACE MILL)\nS5000 M03\n(PROGRAM RUN)\nG00 X10.\n"
                                     "(MSG, CHECK THE PART)\nG01 X20. F100\n(FINISH)\nX30.\n"
                                     "(T2 DRILL)\nT2 M06\n(SPOT)\nG00 X0.\nM30\n");
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    ASSERT_EQ(r.record->sections.size(), 2u);
    EXPECT_EQ(r.record->sections[0].description, "FACE MILL");
    EXPECT_EQ(r.record->sections[0].operations, (std::vector<std::string>{"FACE1", "PROGRAM RUN", "FINISH"}));
    EXPECT_EQ(r.record->sections[1].description, "T2 DRILL");
    EXPECT_EQ(r.record->sections[1].operations, std::vector<std::string>{"SPOT"});
}

// The spindle a section names: the S in force while it cuts; in a section that cuts
// nothing the stream follows (a G33.1 tap), the S in force at its moves.
TEST_F(Sheet, SpindleIsTheSpeedWhileCuttingElseWhileMoving)
{
    const run::RunResult r = runWith("T1 M06\nS500 M03\nG00 X0.\nS900\nG01 X5. F100\n"
                                     "T6 M06\nS200 M03\nG00 X10.\nG33.1 Z-1. K0.05\nG00 X20.\nM30\n");
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    ASSERT_EQ(r.record->sections.size(), 2u);
    EXPECT_EQ(r.record->sections[0].spindle, (std::pair{900.0, 900.0}));
    EXPECT_EQ(r.record->sections[1].spindle, (std::pair{200.0, 200.0}));
}

TEST_F(Sheet, RecordHoldsProgramHolesAndOvercuts)
{
    settings.offsetCheck = true;
    fakes.radius.answers = {"5"};
    const run::RunResult r = runWith("O0042 (BRACKET)\n(SECOND)\nT1 M06\nG00 X0. Y0. Z5. F100\n"
                                     "G81 X10. Y10. Z-5. R2.\nX20.\nG80\nG83 X30. Y10. Z-9. R2. Q3.\nG80\n"
                                     "G41 G01 X5. D1\nG03 X15. I5.\nG40 G01 X0.\nM30\n");
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    const record::ProgramRecord& record = *r.record;
    EXPECT_EQ(record.name, "O0042");
    EXPECT_EQ(record.comment, "BRACKET");
    ASSERT_EQ(record.sections.size(), 1u);
    EXPECT_EQ(record.sections[0].holes, (std::map<int, std::int64_t>{{81, 2}, {83, 1}}));
    EXPECT_EQ(record.sections[0].overcutLines, std::vector<std::int64_t>{11});
    EXPECT_EQ(record.sections[0].firstLine, 4);
    EXPECT_EQ(record.sections[0].anchor, "T1_1");
    EXPECT_EQ(record.overcutCount, 1);
    const std::string sheet = result("sheet.html");
    EXPECT_NE(sheet.find("G81 × 2"), std::string::npos);
    EXPECT_NE(sheet.find("<a href=\"data.html#T1_1\">"), std::string::npos);
    EXPECT_NE(sheet.find("<path class=\"f\""), std::string::npos);
    EXPECT_NE(sheet.find(" A"), std::string::npos);  // the arc drawn as an arc
    EXPECT_NE(sheet.find("<circle class=\"h\""), std::string::npos);
    EXPECT_EQ(r.sheet, util::joinPath(resultDir(), "sheet.html"));
}

// The report links to the sheet: no page may link to a file that is not there.
TEST_F(Sheet, EveryLinkToTheSheetFindsOne)
{
    // A run that ends early leaves a sheet that says so, with what was read.
    ASSERT_EQ(runWith("G00 X10.\nM30\n").outcome, run::RunOutcome::Completed);
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    const run::RunResult failed = runWith("S500 M03\nG01 X10. F100\nG01 X-A5\nM30\n");
    EXPECT_EQ(failed.outcome, run::RunOutcome::Stopped);
    EXPECT_EQ(failed.record->outcome, record::RecordOutcome::Failed);
    EXPECT_EQ(failed.record->messages.back(), "'-A5' は浮動小数点数ではありません.");
    EXPECT_TRUE(failed.sheet.empty());
    const std::string sheet = result("sheet.html");
    EXPECT_NE(sheet.find("解析は NC行 3 で途中終了しました: '-A5' は浮動小数点数ではありません."),
              std::string::npos)
        << sheet.substr(0, 3000);
    EXPECT_NE(sheet.find("<svg"), std::string::npos);

    // Without a sheet, neither the listing nor the tool index links to one.
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    settings.writeSheet = false;
    ASSERT_EQ(runWith("G00 X10.\nM30\n").outcome, run::RunOutcome::Completed);
    EXPECT_FALSE(std::filesystem::exists(resultDir() + "/sheet.html"));
    for (const char* page : {"data.html", "jump.html"}) {
        EXPECT_EQ(result(page).find("sheet.html"), std::string::npos) << page;
    }
}

// A long program of many tools, dense zigzags and holes stays within the sheet's bounds.
TEST_F(Sheet, StaysBoundedOnALongProgram)
{
    std::string program;
    for (int tool = 1; tool <= 40; ++tool) {
        program += "T" + std::to_string(tool) + " M06 (TOOL " + std::to_string(tool) + ")\nG00 X0. Y0. Z5.\nG01 Z-1. F500\n";
        for (int i = 0; i < 2500; ++i) {
            program += "X" + std::to_string((i * 7919 + tool) % 20000) + " Y" + std::to_string((i * 104729) % 15000) +
                       "\n";
            if (i % 100 == 0) {
                program += "G02 X" + std::to_string(i % 20000) + " Y0 R5000\n";
            }
        }
        program += "G00 Z5.\nG81 X0. Y0. Z-5. R2.\n";
        for (int h = 0; h < 200; ++h) {
            program += "X" + std::to_string(h * 97 % 20000) + " Y" + std::to_string(h * 31 % 15000) + "\n";
        }
        program += "G80\n";
    }
    program += "M30\n";
    ASSERT_EQ(runWith(program).outcome, run::RunOutcome::Completed);
    const std::string sheet = result("sheet.html");
    EXPECT_LT(sheet.size(), 4u * 1024 * 1024);
    std::size_t pictures = 0;
    for (std::size_t at = sheet.find("<svg"); at != std::string::npos; at = sheet.find("<svg", at + 1)) {
        EXPECT_LT(sheet.find("</svg>", at) - at, 256u * 1024);
        ++pictures;
    }
    EXPECT_EQ(pictures, 41u);
}

// What a picture of the sheet draws, read back from its SVG: each view's clip rectangle
// and the points of what it draws inside it.
struct DrawnView {
    double left = 0, top = 0, right = 0, bottom = 0;  // the clip rectangle
    std::vector<std::vector<std::pair<double, double>>> feeds, rapids, fills;
    std::vector<std::pair<double, double>> holes;
};
struct DrawnPicture {
    double width = 0, height = 0;
    std::vector<DrawnView> views;
};

double attribute(const std::string& svg, std::size_t at, const std::string& name)
{
    return std::stod(svg.substr(svg.find(" " + name + "=\"", at) + name.size() + 3));
}

// The end points of a path's commands (M, L, A, H, V, l, m as the pictures write them).
std::vector<std::pair<double, double>> pathPoints(const std::string& d)
{
    std::vector<std::pair<double, double>> points;
    std::istringstream in(d);
    double x = 0, y = 0;
    char command = 0;
    while (in >> std::ws && in.peek() != EOF) {
        if (std::isalpha(in.peek())) {
            in >> command;
        }
        double a = 0, b = 0;
        switch (command) {
        case 'M': case 'L': in >> x >> y; break;
        case 'm': case 'l': in >> a >> b; x += a; y += b; break;
        case 'H': in >> x; break;
        case 'V': in >> y; break;
        case 'A': { double r1, r2, rotation, large, sweep; in >> r1 >> r2 >> rotation >> large >> sweep >> x >> y; break; }
        case 'Z': continue;
        default: ADD_FAILURE() << "unread path command " << command; return points;
        }
        points.emplace_back(x, y);
    }
    return points;
}

std::vector<DrawnPicture> picturesOf(const std::string& page)
{
    std::vector<DrawnPicture> pictures;
    for (std::size_t at = page.find("<svg"); at != std::string::npos; at = page.find("<svg", at + 1)) {
        const std::string svg = page.substr(at, page.find("</svg>", at) - at);
        DrawnPicture picture{attribute(svg, 0, "width"), attribute(svg, 0, "height"), {}};
        for (std::size_t clip = svg.find("<clipPath"); clip != std::string::npos; clip = svg.find("<clipPath", clip + 1)) {
            const std::size_t rect = svg.find("<rect", clip);
            DrawnView view;
            view.left = attribute(svg, rect, "x");
            view.top = attribute(svg, rect, "y");
            view.right = view.left + attribute(svg, rect, "width");
            view.bottom = view.top + attribute(svg, rect, "height");
            const std::size_t end = svg.find("</g>", clip);
            for (std::size_t path = svg.find("<path class=\"", clip); path < end; path = svg.find("<path class=\"", path + 1)) {
                const std::string kind = svg.substr(path + 13, svg.find('"', path + 13) - path - 13);
                const std::size_t d = svg.find(" d=\"", path) + 4;
                const auto points = pathPoints(svg.substr(d, svg.find('"', d) - d));
                if (kind == "f") {
                    view.feeds.push_back(points);
                } else if (kind == "r") {
                    view.rapids.push_back(points);
                } else if (kind == "a" || kind == "ar") {
                    view.fills.push_back(points);
                }
            }
            for (std::size_t hole = svg.find("<circle class=\"h\"", clip); hole < end; hole = svg.find("<circle class=\"h\"", hole + 1)) {
                view.holes.emplace_back(attribute(svg, hole, "cx"), attribute(svg, hole, "cy"));
            }
            picture.views.push_back(std::move(view));
        }
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

// Whether a rapid goes straight back over the one before it (within a tenth of a pixel),
// by more than a pixel.
bool retraces(std::pair<double, double> a, std::pair<double, double> b, std::pair<double, double> c)
{
    const double ux = b.first - a.first, uy = b.second - a.second;
    const double vx = c.first - b.first, vy = c.second - b.second;
    const double u = std::hypot(ux, uy), v = std::hypot(vx, vy);
    return u > 1.0 && v > 1.0 && ux * vx + uy * vy < 0 && std::fabs(ux * vy - uy * vx) <= 0.1 * u;
}

// The pictures of every program: no view draws outside its picture, no cut, fill or hole
// outside its view's frame, and no rapid drawn back over itself (dashes over dashes read
// as a cut).
void expectPicturesInsideAndRapidsDashed(const std::string& page, const std::string& name)
{
    int picture = 0;
    for (const DrawnPicture& p : picturesOf(page)) {
        ++picture;
        for (std::size_t v = 0; v < p.views.size(); ++v) {
            const DrawnView& view = p.views[v];
            const std::string where = name + " picture " + std::to_string(picture) + " view " + std::to_string(v);
            EXPECT_GE(view.left, -0.05) << where;
            EXPECT_GE(view.top, -0.05) << where;
            EXPECT_LE(view.right, p.width + 0.05) << where;
            EXPECT_LE(view.bottom, p.height + 0.05) << where;
            const auto inside = [&](std::pair<double, double> point) {
                return point.first >= view.left - 0.2 && point.first <= view.right + 0.2 &&
                       point.second >= view.top - 0.2 && point.second <= view.bottom + 0.2;
            };
            for (const auto* group : {&view.feeds, &view.fills}) {
                for (const auto& points : *group) {
                    for (const auto& point : points) {
                        ASSERT_TRUE(inside(point)) << where << " at " << point.first << "," << point.second;
                    }
                }
            }
            for (const auto& hole : view.holes) {
                ASSERT_TRUE(inside(hole)) << where;
            }
            for (const auto& points : view.rapids) {
                EXPECT_GE(points.size(), 2u) << where;
                for (std::size_t i = 2; i < points.size(); ++i) {
                    ASSERT_FALSE(retraces(points[i - 2], points[i - 1], points[i]))
                        << where << " at " << points[i - 1].first << "," << points[i - 1].second;
                }
            }
        }
    }
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(Sheet, EveryPictureKeepsInsideAndDrawsRapidsOnce)
{
    std::vector<std::pair<std::string, std::string>> programs;
    for (const auto& entry : std::filesystem::directory_iterator(BRELVANE_GOLDEN_DIR)) {
        if (std::filesystem::exists(entry.path() / "input.nc")) {
            programs.emplace_back(entry.path().filename().string(), fileText(entry.path() / "input.nc"));
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(BRELVANE_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".nc") {
            programs.emplace_back(entry.path().filename().string(), fileText(entry.path()));
        }
    }
    // Generated: a raster finish over a dome, a spiral of small moves, pecked holes in a
    // row from a start far above, rapids back and forth between holes.
    std::string raster = "T1 M06\nG00 X0. Y0. S8000 M03\nG43 Z20. H1\nG01 Z0. F2000\n";
    for (int row = 0; row <= 60; ++row) {
        for (int i = 0; i <= 60; ++i) {
            const double x = row % 2 ? 60 - i : i;
            const double z = -0.004 * ((x - 30) * (x - 30) + (row - 30) * (row - 30));
            raster += "X" + std::to_string(x) + " Y" + std::to_string(row) + " Z" + std::to_string(z) + "\n";
        }
    }
    raster += "G00 Z50.\nM30\n";
    programs.emplace_back("raster", raster);
    std::string spiral = "T2 M06\nG00 X0. Y0.\nZ5.\nG01 Z-1. F6000\n";
    for (int i = 1; i < 4000; ++i) {
        const double angle = i * 0.01;
        spiral += "X" + std::to_string(angle * std::cos(angle)) + " Y" + std::to_string(angle * std::sin(angle)) + "\n";
    }
    spiral += "G00 Z200.\nM30\n";
    programs.emplace_back("spiral", spiral);
    std::string holes = "G21\nT3 M06\nG00 X-50. Y30.\nG43 Z10. H3\nG98 G83 X0. Y0. Z-30. R2. Q4. F200\n";
    for (int i = 1; i < 12; ++i) {
        holes += "X" + std::to_string((i * 37) % 90) + " Y" + std::to_string((i * 11) % 40) + "\n";
    }
    holes += "G80\nG00 Z100.\nX5.\nX80.\nX40.\nM30\n";
    programs.emplace_back("pecks", holes);
    for (const auto& [name, program] : programs) {
        fakes.messages.answers.assign(4, util::MessageBoxService::Result::Ok);
        runWith(program);
        const std::filesystem::path sheet = resultDir() + "/sheet.html";
        ASSERT_TRUE(std::filesystem::exists(sheet)) << name;
        expectPicturesInsideAndRapidsDashed(fileText(sheet), name);
        std::filesystem::remove_all(resultDir());
    }
}

// The shared corpus of real programs, when it is there.
TEST_F(Sheet, CorpusPicturesKeepInsideAndDrawRapidsOnce)
{
    const std::filesystem::path corpus = BRELVANE_GOLDEN_DIR "/../../../shared/corpus";
    if (!std::filesystem::is_directory(corpus)) {
        GTEST_SKIP() << "no shared corpus";
    }
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.path().filename() == "SOURCES.md") {
            continue;
        }
        fakes.messages.answers.assign(4, util::MessageBoxService::Result::Ok);
        settings.ncFile = entry.path().string();
        run::AnalysisRun(settings, state, fakes.services());
        const std::filesystem::path sheet = resultDir() + "/sheet.html";
        if (std::filesystem::exists(sheet)) {
            expectPicturesInsideAndRapidsDashed(fileText(sheet), entry.path().filename().string());
            std::filesystem::remove_all(resultDir());
        }
    }
}

}  // namespace
