// Machine times through the command line with a profile, against closed forms; profiles
// that cannot be used.
#include "checks/Finding.h"
#include "machine/MachineProfile.h"
#include "tests/cli/Cli.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>

namespace {

using testsupport::runProgram;

using testsupport::kCli;

// A machine whose rapids never limit a feed: 100 mm/s² on every axis.
constexpr const char* kProfile = "name = \"test\"\njunction_deviation = 0.01\n"
                                 "[rapid]\nx = 1e6\ny = 1e6\nz = 1e6\n"
                                 "[acceleration]\nx = 100.0\ny = 100.0\nz = 100.0\n";

struct MachineCase {
    std::string name;
    std::string program;  // starts at X0 Y0 Z200
    std::string profile;
    double low;   // seconds: the machine time lies in [low, high]
    double high;
};

class MachineTime : public testing::TestWithParam<MachineCase> {};

TEST_P(MachineTime, MatchesTheClosedForm)
{
    const MachineCase& c = GetParam();
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), c.program);
    testsupport::writeFile(dir.file("m.toml"), c.profile);
    const auto r = runProgram(kCli, {"-q", "--no-sheet", "--machine", dir.file("m.toml"), "--json", "-", dir.file("p.nc")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    const double seconds = summary["total"]["machine_time_min"].get<double>() * 60;
    EXPECT_GE(seconds, c.low - 1e-9);
    EXPECT_LE(seconds, c.high + 1e-9);
}

const double kStraight = 10.1;  // 100 mm at 10 mm/s (F600) with 100 mm/s²: L/v + v/a

INSTANTIATE_TEST_SUITE_P(
    Profiles, MachineTime,
    testing::Values(
        MachineCase{"StraightFeed", "G01 X100. F600\nM30\n", kProfile, kStraight, kStraight},
        // 0.5 mm never reaches 10 mm/s: 2 sqrt(L/a).
        MachineCase{"ShortFeed", "G01 X0.5 F600\nM30\n", kProfile, 2 * std::sqrt(0.005), 2 * std::sqrt(0.005)},
        // Max feed caps F: 100 mm at 5 mm/s.
        MachineCase{"MaxFeed", "G01 X100. F600\nM30\n", std::string("max_feed = 300.0\n") + kProfile, 20.05, 20.05},
        // In a straight line at the slower axis's 50 mm/s: 141.42/50 + 50/1000.
        MachineCase{"DiagonalRapid", "G00 X100. Y100.\nM30\n",
                    "[rapid]\nx = 6000.0\ny = 3000.0\nz = 6000.0\n[acceleration]\nx = 1000.0\ny = 1000.0\nz = 1000.0\n",
                    std::sqrt(20000.0) / 50 + 0.05, std::sqrt(20000.0) / 50 + 0.05},
        // Axis by axis, Y at 50 mm/s is the slower: 100/50 + 50/1000.
        MachineCase{"DiagonalRapidAxisByAxis", "G00 X100. Y100.\nM30\n",
                    "rapid_mode = \"axes\"\n[rapid]\nx = 6000.0\ny = 3000.0\nz = 6000.0\n"
                    "[acceleration]\nx = 1000.0\ny = 1000.0\nz = 1000.0\n",
                    2.05, 2.05},
        // A profile that only gives a tool change keeps the classic rapid: 141.42 mm at 5000/min.
        MachineCase{"ToolChangeAloneKeepsTheClassicRapid", "G00 X100. Y100.\nM30\n", "tool_change = 1.0\n",
                    std::sqrt(20000.0) / 5000 * 60, std::sqrt(20000.0) / 5000 * 60},
        // Holes before any F are timed at the first F given: two holes of 10 mm at F600
        // (1 s each, unlimited acceleration), then 10 mm at F600; the rapids (down 190 and
        // 8, back to R 10 twice, across 10) at 5000/min.
        MachineCase{"HolesWaitForTheFirstFeed",
                    "G00 X0. Y0. Z10.\nG99 G81 Z-8. R2.\nX10.\nG80\nG01 X20. F600\nM30\n", "tool_change = 0.5\n",
                    (190 + 8 + 10 + 10 + 10) / 5000.0 * 60 + 2 + 1, (190 + 8 + 10 + 10 + 10) / 5000.0 * 60 + 2 + 1},
        MachineCase{"CollinearMovesKeepTheirSpeed", "G01 X50. F600\nX100.\nM30\n", kProfile, kStraight, kStraight},
        // Slower than one straight move of both lengths, faster than two stops.
        MachineCase{"Corner", "G01 X100. F600\nY100.\nM30\n", kProfile, 20.1 + 1e-3, 2 * kStraight - 1e-3},
        // A circle of r 10 at F6000 (100 mm/s) runs at sqrt(a r) = 31.6 mm/s; the rapid before
        // it ends at rest.
        MachineCase{"FullCircle", "G00 X10.\nG02 I-10. F6000\nM30\n", kProfile,
                    2 * std::sqrt(0.1) + 20 * std::acos(-1.0) / std::sqrt(1000.0) + std::sqrt(1000.0) / 100,
                    2 * std::sqrt(0.1) + 20 * std::acos(-1.0) / std::sqrt(1000.0) + std::sqrt(1000.0) / 100},
        MachineCase{"Dwell", "G04 P1500\nG04 X2.\nM30\n", kProfile, 3.5, 3.5},
        MachineCase{"ToolChanges", "T1 M06\nT2 M06\nM30\n", std::string("tool_change = 4.0\n") + kProfile, 8.0, 8.0}),
    [](const auto& info) { return info.param.name; });

struct BadProfile {
    std::string name;
    std::string text;
    std::string error;  // the message after the file name
};

class BadProfiles : public testing::TestWithParam<BadProfile> {};

TEST_P(BadProfiles, StopTheRunNamingFileLineAndKey)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), "G01 X1. F100\nM30\n");
    testsupport::writeFile(dir.file("m.toml"), GetParam().text);
    const auto r = runProgram(kCli, {"-y", "--machine", dir.file("m.toml"), dir.file("p.nc")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "brelvane-cli: " + dir.file("m.toml") + ":" + GetParam().error + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Result")));
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, BadProfiles,
    testing::Values(BadProfile{"UnknownKey", "name = \"a\"\nspindle = 3\n", "2: spindle: unknown key"},
                    BadProfile{"UnknownAxis", "[rapid]\nx = 1.0\nw = 2.0\n", "3: rapid.w: unknown key"},
                    BadProfile{"WrongType", "max_feed = \"fast\"\n", "1: max_feed: a number is needed"},
                    BadProfile{"Negative", "tool_change = -1\n", "1: tool_change: must be zero or more"},
                    BadProfile{"ZeroRate", "[acceleration]\nz = 0\n", "2: acceleration.z: must be more than zero"},
                    BadProfile{"HugeRate", "[rapid]\nx = 1e308\n", "2: rapid.x: must be from 1 to 1000000 mm/min"},
                    BadProfile{"Infinite", "max_feed = inf\n", "1: max_feed: must be a finite number"},
                    BadProfile{"NotANumber", "[acceleration]\ny = nan\n", "2: acceleration.y: must be a finite number"},
                    BadProfile{"SlowAcceleration", "[acceleration]\ny = 0.5\n",
                               "2: acceleration.y: must be from 1 to 100000 mm/s²"},
                    BadProfile{"LongToolChange", "tool_change = 7200\n", "1: tool_change: must be from 0 to 3600 s"},
                    BadProfile{"WideDeviation", "junction_deviation = 11\n",
                               "1: junction_deviation: must be from 0 to 10 mm"},
                    BadProfile{"UnknownCheck", "[checks]\nignore = [\"no-feed\", \"spelling\"]\n",
                               "2: checks.ignore: \"spelling\" is not a check code (" + checks::checkCodeList() + ")"},
                    BadProfile{"NegativeTolerance", "[checks]\narc_tolerance = -1\n",
                               "2: checks.arc_tolerance: must be zero or more"},
                    BadProfile{"LimitsBackwards", "[limits]\nx = [500, 0]\n", "2: limits.x: min must be below max"},
                    BadProfile{"LimitsNotAPair", "[limits]\nz = 5\n", "2: limits.z: [min, max] is needed"},
                    BadProfile{"RapidMode", "rapid_mode = \"diagonal\"\n",
                               "1: rapid_mode: \"linear\" or \"axes\" is needed"},
                    BadProfile{"BadInput", "decimal_point_input = \"tenths\"\n",
                               "1: decimal_point_input: \"thousandths\" or \"whole\" is needed"},
                    BadProfile{"Control", "control = \"siemens\"\n", "1: control: \"fanuc\" or \"haas\" is needed"},
                    BadProfile{"Letters", "letters = \"lower\"\n", "1: letters: \"upper\" or \"any\" is needed"},
                    BadProfile{"MaxBlocks", "max_blocks = 0\n",
                               "1: max_blocks: a whole number from 1 to 1000000000000 is needed"},
                    BadProfile{"ProgramsKey", "[programs]\npaths = [\"a\"]\n", "2: programs.paths: unknown key"},
                    BadProfile{"ProgramsEmpty", "[programs]\nfolders = [\"\"]\n",
                               "2: programs.folders: a list of folders is needed"},
                    BadProfile{"HomeNotAPoint", "[machine]\nhome = [0, 0]\n", "2: machine.home: [x, y, z] is needed"},
                    BadProfile{"OffsetName", "[offsets]\nG60 = [0, 0, 0]\n", "2: offsets.G60: G54 to G59 are the keys"},
                    BadProfile{"LocalVariable", "[variables]\n1 = 5\n",
                               "2: variables.1: a common variable #100 to #199 or #500 to #999 is needed"}),
    [](const auto& info) { return info.param.name; });

// Each section's machine time is its own: a tool section the sheet leaves out (it only
// changes the tool again) keeps its minutes, and the next section does not take them.
TEST(MachineTime, SectionsKeepTheirOwnMinutes)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), "T1 M06\nG01 X100. F600\nT2 M06\nT3 M06\nG01 X0.\nM30\n");
    testsupport::writeFile(dir.file("m.toml"), std::string("tool_change = 5.0\n") + kProfile);
    const auto r = runProgram(kCli, {"-q", "--no-sheet", "--machine", dir.file("m.toml"), "--json", "-", dir.file("p.nc")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    const auto& sections = summary["sections"];
    ASSERT_EQ(sections.size(), 2u);
    // Each tool's change, then its cut; T2's change stays with T2's section.
    EXPECT_EQ(sections[0]["tool"], 1);
    EXPECT_NEAR(sections[0]["machine_time_min"].get<double>() * 60, 5.0 + kStraight, 1e-6);
    EXPECT_EQ(sections[1]["tool"], 3);
    EXPECT_NEAR(sections[1]["machine_time_min"].get<double>() * 60, 5.0 + kStraight, 1e-6);
    EXPECT_NEAR(summary["total"]["machine_time_min"].get<double>() * 60, 3 * 5.0 + 2 * kStraight, 1e-6);
}

// How a program runs, from the profile: its control, its limit, where its subprograms
// are, and where G28 and G53 end.
TEST(MachineProfile, ReadsHowTheProgramRuns)
{
    const machine::MachineProfile p = machine::parseMachineProfile(
        "control = \"haas\"\nletters = \"any\"\nmax_blocks = 500\n[programs]\nfolders = [\"subs\", \"/srv/nc\"]\n"
        "[machine]\nhome = [0, 0, 0]\n[offsets]\nG55 = [-400.0, -200, -300.5]\n[variables]\n\"#500\" = 2.5\n101 = 3\n",
        "/etc/brelvane/machine.toml", {});
    EXPECT_EQ(p.control, nc::Control::Haas);
    EXPECT_TRUE(p.anyCaseLetters);
    EXPECT_EQ(p.maxBlocks, 500);
    EXPECT_EQ(p.programFolders, (std::vector<std::string>{util::joinPath("/etc/brelvane", "subs"), "/srv/nc"}));
    EXPECT_EQ(p.home, (std::array<double, 3>{0.0, 0.0, 0.0}));
    EXPECT_FALSE(p.offsets[0]);
    EXPECT_EQ(p.offsets[1], (std::array<double, 3>{-400.0, -200.0, -300.5}));
    EXPECT_EQ(p.variables, (std::map<int, double>{{101, 3.0}, {500, 2.5}}));
}

TEST(MachineProfile, UnreadableOrNotTomlIsAClearError)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), "M30\n");
    const auto missing = runProgram(kCli, {"--machine", dir.file("none.toml"), dir.file("p.nc")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "brelvane-cli: " + dir.file("none.toml") + ": cannot be read\n");
    testsupport::writeFile(dir.file("m.toml"), "name = \n");
    const auto broken = runProgram(kCli, {"--machine", dir.file("m.toml"), dir.file("p.nc")});
    EXPECT_EQ(broken.exitCode, 2);
    EXPECT_EQ(broken.err.rfind("brelvane-cli: " + dir.file("m.toml") + ":1: (file): ", 0), 0u) << broken.err;

    // Refused before it is read: a folder (or a pipe), and anything far larger than a profile.
    const auto folder = runProgram(kCli, {"--machine", dir.path(), dir.file("p.nc")});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_EQ(folder.err, "brelvane-cli: " + dir.path() + ": not a regular file, not a machine profile\n");
    testsupport::writeFile(dir.file("big.toml"), "# " + std::string(1024 * 1024, 'x') + "\n");
    const auto big = runProgram(kCli, {"--machine", dir.file("big.toml"), dir.file("p.nc")});
    EXPECT_EQ(big.exitCode, 2);
    EXPECT_EQ(big.err, "brelvane-cli: " + dir.file("big.toml") + ": larger than 1 MiB, not a machine profile\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Result")));
}

// A name is a name: cut to 80 characters, with nothing a terminal would obey.
TEST(MachineProfile, LongNamesAreCut)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), "M30\n");
    testsupport::writeFile(dir.file("m.toml"), "name = \"" + std::string(200, 'M') + "\\u001B\"\n");
    const auto r = runProgram(kCli, {"-q", "--no-sheet", "--machine", dir.file("m.toml"), "--json", "-", dir.file("p.nc")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["machine"]["name"], std::string(80, 'M') + "…");
}

// Whole units change how the program reads, so the classic report too.
TEST(MachineProfile, WholeUnitsReadNumbersWithoutAPointAsWritten)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), "G01 X25 F100\nM30\n");
    testsupport::writeFile(dir.file("m.toml"), "decimal_point_input = \"whole\"\n");
    const auto r = runProgram(kCli, {"-q", "--no-sheet", "--machine", dir.file("m.toml"), "--json", "-", dir.file("p.nc")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    EXPECT_EQ(summary["total"]["extents"]["x"][1], 25.0);
    // Nothing else in this profile changes a time: it is the classic model.
    EXPECT_EQ(summary["machine"]["classic"], true);
    EXPECT_EQ(summary["total"]["machine_time_min"], summary["total"]["time_min"]["total"]);
}

// The profile's travel and ignore list reach the checks.
TEST(MachineProfile, LimitsAndIgnoredChecksReachTheChecks)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("p.nc"), "G00 X600. Y0. Z10.\nG01 X10.\n");
    testsupport::writeFile(dir.file("m.toml"),
                           "[limits]\nx = [0, 500]\n[checks]\nignore = [\"spindle-stopped\", \"no-feed\"]\n");
    const auto r = runProgram(kCli, {"-q", "--no-sheet", "--machine", dir.file("m.toml"), "--json", "-", dir.file("p.nc")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    std::vector<std::string> codes;
    for (const auto& finding : summary["checks"]) {
        codes.push_back(finding["code"].get<std::string>() + "@" + std::to_string(finding["line"].get<int>()));
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"outside-limits@1", "no-program-end@2"}));
    EXPECT_EQ(summary["machine"]["limits"]["x"], nlohmann::json::array({0.0, 500.0}));
}

}  // namespace
