// The command-line program end to end: golden reports, exit statuses, and every program
// of the shared corpus.
#include "report/RunSummary.h"
#include "tests/support/Golden.h"
#include "tests/cli/Cli.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "util/Cp932.h"

#include "util/Number.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace {

using testsupport::runProgram;

using testsupport::kCli;

// The JSON summary against expected/summary.json of the golden case, where the input's
// path is "@INPUT@" and the time of the analysis "@TIME@": the same figures on every
// platform, to the bit. BRELVANE_UPDATE_GOLDEN=1 rewrites it.
void expectGoldenJson(const std::string& name, nlohmann::json summary)
{
    summary["program"]["file"] = "@INPUT@";
    summary["analysed_at"] = "@TIME@";
    const std::string caseName = testsupport::goldenSettings(name).expectedCase;
    const auto path = testsupport::goldenRoot() / caseName / "expected" / "summary.json";
    const char* update = std::getenv("BRELVANE_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        if (name == caseName) {
            testsupport::writeFile(path.string(), summary.dump(2) + "\n");
        }
        return;
    }
    const auto expected = nlohmann::json::parse(testsupport::readFile(path.string()));
    EXPECT_EQ(expected, summary) << name << ": " << nlohmann::json::diff(expected, summary).dump();
}

class CliGolden : public testing::TestWithParam<std::string> {};

TEST_P(CliGolden, WritesTheSameReportAsTheRun)
{
    const std::string name = GetParam();
    const testsupport::GoldenSettings golden = testsupport::goldenSettings(name);
    testsupport::TempDir dir;
    const std::string input = dir.file("input.nc");
    // The programs it calls lie beside it.
    for (const auto& entry : std::filesystem::directory_iterator(testsupport::goldenRoot() / name)) {
        if (entry.is_regular_file() && entry.path().filename() != "settings.txt") {
            std::filesystem::copy_file(entry.path(), dir.file(entry.path().filename().string()));
        }
    }
    std::vector<std::string> args{"--templates", (testsupport::goldenRoot() / "templates").string(), "--start",
                                  golden.startX + "," + golden.startY + "," + golden.startZ};
    if (golden.offsetCheck) {
        args.push_back("--offset-check");
    }
    for (const std::string& r : golden.radiusArgs) {
        args.push_back("--radius=" + r);
    }
    args.push_back("--json=" + dir.file("summary.json"));
    args.push_back(input);
    const auto r = runProgram(kCli, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string resultDir = dir.file("Result");
    EXPECT_EQ(r.out, util::joinPath(resultDir, "index.html") + "\n" + util::joinPath(resultDir, "sheet.html") + "\n");
    for (const char* file : {"index.html", "jump.html", "data.html"}) {
        testsupport::expectGolden(name, file, testsupport::readFile(resultDir + "/" + file), resultDir);
    }

    // The JSON's sections are the report's INFO blocks, in order and to the digit, and its
    // total is the final report.
    const auto summary = nlohmann::json::parse(testsupport::readFile(dir.file("summary.json")));
    EXPECT_EQ(summary["outcome"], "completed");
    expectGoldenJson(name, summary);
    const std::string data = testsupport::readFile(resultDir + "/data.html");
    const auto figuresOf = [](const nlohmann::json& part) {
        report::Figures f;
        const auto axis = [](const nlohmann::json& e, double& minimum, double& maximum) {
            if (!e.is_null()) {
                minimum = e[0].get<double>();
                maximum = e[1].get<double>();
            }
        };
        axis(part["extents"]["x"], f.xMin, f.xMax);
        axis(part["extents"]["y"], f.yMin, f.yMax);
        axis(part["extents"]["z"], f.zMin, f.zMax);
        f.rapidTime = part["time_min"]["rapid"].get<double>();
        f.cutTime = part["time_min"]["cut"].get<double>();
        f.totalTime = part["time_min"]["total"].get<double>();
        return f;
    };
    // A program without M02/M30 folds its last section after the last line, where the
    // report writes no INFO block: only the total shows it.
    std::size_t at = 0;
    const auto& sections = summary["sections"];
    for (std::size_t i = 0; i < sections.size(); ++i) {
        // Without a machine profile the machine time is the classic time, to the bit.
        EXPECT_EQ(sections[i]["machine_time_min"], sections[i]["time_min"]["total"]);
        if (sections[i]["cut_length"].get<double>() == 0.0) {
            continue;
        }
        std::string lines;
        report::appendExtentsAndTimeLines(lines, figuresOf(sections[i]), report::LinesFor::InfoBlock);
        const std::size_t found = data.find(lines, at);
        if (found == std::string::npos && i + 1 == sections.size()) {
            break;
        }
        ASSERT_NE(found, std::string::npos) << "section " << sections[i]["index"];
        at = found;
    }
    std::string total;
    report::appendExtentsAndTimeLines(total, figuresOf(summary["total"]), report::LinesFor::FinalReport);
    EXPECT_NE(data.find(total, at), std::string::npos);
    EXPECT_EQ(summary["total"]["machine_time_min"], summary["total"]["time_min"]["total"]);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliGolden, testing::ValuesIn(testsupport::goldenCases()),
                         testsupport::goldenCaseName);

TEST(CommandLine, ExitStatuses)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("a.nc"), "G01 X1. F100\nM30\n");
    const auto usage = runProgram(kCli, {"--bogus", dir.file("a.nc")});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.err, "brelvane-cli: unknown option --bogus\nTry 'brelvane-cli --help' for more information.\n");
    EXPECT_EQ(runProgram(kCli, {}).exitCode, 2);
    EXPECT_EQ(runProgram(kCli, {"--help"}).exitCode, 0);

    const auto missing = runProgram(kCli, {dir.file("none.nc")});
    EXPECT_EQ(missing.exitCode, 1);
    // The classic message, and under it the file it means.
    EXPECT_EQ(missing.err, "ExistsFile: NCファイルは存在しません！\n  " + util::absolutePath(dir.file("none.nc")) + "\n");

    EXPECT_EQ(runProgram(kCli, {"-q", dir.file("a.nc")}).exitCode, 0);
    // The result folder now exists: without a terminal and without --yes, the answer is Cancel.
    const auto cancelled = runProgram(kCli, {dir.file("a.nc")});
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_NE(cancelled.err.find("ExistsDirectory: 「" + dir.file("Result") + "」フォルダが存在します"), std::string::npos);
    EXPECT_EQ(runProgram(kCli, {"-y", dir.file("a.nc")}).exitCode, 0);

    const auto badStart = runProgram(kCli, {"-y", "--start", "0,x,0", dir.file("a.nc")});
    EXPECT_EQ(badStart.exitCode, 1);
    EXPECT_EQ(badStart.err, "Brelvane: 'x' は浮動小数点数ではありません.\n");
}

// The keys of docs/summary-json.md, with their types, on the bundled example.
TEST(CommandLine, JsonSummaryKeepsItsDocumentedKeys)
{
    testsupport::TempDir dir;
    std::filesystem::copy_file(std::filesystem::path(BRELVANE_EXAMPLES_DIR) / "bracket.nc", dir.file("bracket.nc"));
    const auto r = runProgram(kCli, {"-q", "--json", dir.file("s.json"), dir.file("bracket.nc")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(testsupport::readFile(dir.file("s.json")));
    using T = nlohmann::json::value_t;
    const auto expect = [](const nlohmann::json& object, const std::vector<std::pair<const char*, T>>& keys) {
        for (const auto& [key, type] : keys) {
            ASSERT_TRUE(object.contains(key)) << key;
            const T actual = object[key].type();
            const bool number = type == T::number_float &&
                                (actual == T::number_integer || actual == T::number_unsigned);
            const bool integer = type == T::number_unsigned && actual == T::number_integer;
            EXPECT_TRUE(actual == type || number || integer) << key << " is " << object[key].type_name();
        }
    };
    expect(j, {{"program", T::object}, {"analysed_at", T::string}, {"start", T::object}, {"offset_check", T::boolean},
               {"machine", T::object}, {"lines", T::number_unsigned}, {"sections", T::array}, {"total", T::object},
               {"overcut_count", T::number_unsigned}, {"outcome", T::string}, {"messages", T::array}});
    expect(j["program"], {{"file", T::string}, {"name", T::string}, {"comment", T::string}});
    expect(j["start"], {{"x", T::number_float}, {"y", T::number_float}, {"z", T::number_float}});
    ASSERT_EQ(j["sections"].size(), 3u);
    for (const auto& section : j["sections"]) {
        expect(section, {{"index", T::number_unsigned}, {"tool", T::number_unsigned}, {"description", T::string},
                         {"first_line", T::number_unsigned}, {"last_line", T::number_unsigned},
                         {"extents", T::object}, {"time_min", T::object}, {"machine_time_min", T::number_float},
                         {"cut_length", T::number_float}, {"holes", T::object}, {"overcut_lines", T::array}});
        expect(section["time_min"], {{"rapid", T::number_float}, {"cut", T::number_float}, {"total", T::number_float}});
        expect(section["extents"], {{"x", T::array}, {"y", T::array}, {"z", T::array}});
    }
    expect(j["total"], {{"extents", T::object}, {"time_min", T::object}, {"machine_time_min", T::number_float}});
    EXPECT_EQ(j["program"]["name"], "O1001");
    EXPECT_EQ(j["sections"][2]["holes"], (nlohmann::json{{"81", 4}, {"83", 1}}));
    EXPECT_EQ(j["sections"][1]["description"], "T2 END MILL DIA 10.");
    EXPECT_EQ(j["outcome"], "completed");
}

// A run that ends early keeps the figures of what it read: its totals, classic and machine,
// are the sums of the sections, the open one included.
TEST(CommandLine, JsonOfARunThatEndsEarlyAddsUpItsSections)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("a.nc"), "T1 M06\nG01 X100. F600\nT2 M06\nG01 Y60. F600\nX-A5\nM30\n");
    testsupport::writeFile(dir.file("m.toml"), "tool_change = 2.0\n");
    const auto r = runProgram(kCli, {"-q", "--machine", dir.file("m.toml"), "--json", "-", dir.file("a.nc")});
    EXPECT_EQ(r.exitCode, 1);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["outcome"], "failed");
    ASSERT_EQ(j["sections"].size(), 2u);
    EXPECT_EQ(j["sections"][1]["last_line"], 5);
    double classic = 0.0;
    double machine = 0.0;
    for (const auto& section : j["sections"]) {
        classic += section["time_min"]["total"].get<double>();
        machine += section["machine_time_min"].get<double>();
    }
    EXPECT_NEAR(classic, (100 + 60) / 600.0, 1e-9);
    EXPECT_NEAR(j["total"]["time_min"]["total"].get<double>(), classic, 1e-12);
    EXPECT_NEAR(j["total"]["machine_time_min"].get<double>(), machine, 1e-12);
    EXPECT_EQ(j["total"]["extents"]["x"], nlohmann::json::array({100.0, 100.0}));
}

// Findings go to standard error in the form compilers use, at most 20 of a code, even
// when quiet; --fail-on turns them into exit status 3, --ignore leaves a code out.
TEST(CommandLine, FindingsLikeACompilerWithFailOnAndIgnore)
{
    testsupport::TempDir dir;
    std::string program = "S1000 M03 F100\nG01 X1.\n";
    for (int i = 0; i < 25; ++i) {
        program += "X" + std::to_string(i + 2) + "\n";  // 25 numbers without a point
    }
    program += "M30\n";
    testsupport::writeFile(dir.file("p.nc"), program);
    const std::string file = dir.file("p.nc");

    const auto r = runProgram(kCli, {"-q", "-y", file});
    EXPECT_EQ(r.exitCode, 0);
    // The cause of the flood first, then its lines.
    std::string expected = file + ":3: warning: 25 個の小数点のない数値が 1/1000 (インチでは 1/10000) として読まれています: "
                                  "機械が整数を mm (インチ) として読むなら、マシンプロファイルに decimal_point_input = "
                                  "\"whole\" を [widespread]\n";
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i + 2);
        const std::string read = util::formatGeneral((i + 2) * 0.001);
        expected += file + ":" + std::to_string(i + 3) + ": warning: 小数点のない 「X" + n + "」 は " + read +
                    " と読まれています (X" + n + " → " + read + ") [point-less-number]\n";
    }
    expected += file + ": … and 5 more [point-less-number]\n" + file + ": 0 errors, 26 warnings, 0 notes\n";
    EXPECT_EQ(r.err, expected);

    EXPECT_EQ(runProgram(kCli, {"-q", "-y", "--fail-on", "warning", file}).exitCode, 3);
    EXPECT_EQ(runProgram(kCli, {"-q", "-y", "--fail-on", "error", file}).exitCode, 0);
    const auto ignored = runProgram(kCli, {"-q", "-y", "--ignore", "point-less-number", "--fail-on=warning", file});
    EXPECT_EQ(ignored.exitCode, 0);
    EXPECT_EQ(ignored.err, file + ": 0 errors, 0 warnings, 0 notes\n");  // a clean run says so too
    const auto badCode = runProgram(kCli, {"-q", "-y", "--ignore", "no-such-check", file});
    EXPECT_EQ(badCode.exitCode, 2);
    // The wrong code is named and the right ones listed.
    EXPECT_NE(badCode.err.find("\"no-such-check\" is not a check code (unread-text, no-feed, "), std::string::npos)
        << badCode.err;
    EXPECT_NE(runProgram(kCli, {"--help"}).out.find("point-less-number, spindle-stopped"), std::string::npos);
    EXPECT_EQ(runProgram(kCli, {"-q", "-y", "--fail-on", "note", file}).exitCode, 2);

    // The JSON holds them all.
    const auto json = runProgram(kCli, {"-q", "-y", "--json", "-", file});
    const auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["checks"].size(), 26u);
    EXPECT_EQ(j["check_counts"], (nlohmann::json{{"error", 0}, {"warning", 26}, {"info", 0}}));
    EXPECT_EQ(j["checks"][0], (nlohmann::json{{"code", "point-less-number"}, {"severity", "warning"}, {"line", 3},
                                               {"message", "小数点のない 「X2」 は 0.002 と読まれています (X2 → 0.002)"}}));
}

// Names in Japanese reach the file system whole: the program in a folder named in
// Japanese, read, its report written beside it and linked in code page 932.
TEST(CommandLine, JapaneseFileNamesWork)
{
    testsupport::TempDir dir;
    const std::string folder = dir.file("加工 部品");  // "品" ends in 0x81, a code page 932 lead byte
    std::filesystem::create_directory(util::nativePath(folder));
    const std::string program = util::joinPath(folder, "部品①.nc");
    testsupport::writeFile(program, "O0001\nT1 M06\nG00 X0. Y0. Z10.\nG01 Z-1. F100\nM30\n");
    const std::string json = util::joinPath(folder, "集計.json");
    const auto r = runProgram(kCli, {"--json=" + json, program});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string resultDir = util::joinPath(folder, "Result");
    EXPECT_EQ(r.out, util::joinPath(resultDir, "index.html") + "\n" + util::joinPath(resultDir, "sheet.html") + "\n");
    const std::string link = "href=\"" + util::pathToCp932Link(util::joinPath(resultDir, "data.html")) + "#";
    EXPECT_NE(testsupport::readFile(util::joinPath(resultDir, "jump.html")).find(link), std::string::npos) << link;
    EXPECT_EQ(nlohmann::json::parse(testsupport::readFile(json))["program"]["file"], program);
}

TEST(CommandLine, WorkingFolderIsMadeAbsolute)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("a.nc"), "M30\n");
    std::filesystem::create_directory(dir.file("w"));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const auto r = runProgram(kCli, {"-w", "w", "a.nc"});
    std::filesystem::current_path(cwd);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, dir.file("w/Result/index.html") + "\n" + dir.file("w/Result/sheet.html") + "\n");
    EXPECT_NE(testsupport::readFile(dir.file("w/Result/data.html")).find("href=\"" + dir.file("w/Result/data.html")),
              std::string::npos);
}

TEST(CommandLine, RadiusPromptWithoutAnswerCountsAsClosed)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("a.nc"), "G92X0.Y0.Z0.\nS1000 M03\nG41 G01 X5. D7 F100\nG03 X15. I5.\nM30\n");
    const auto closed = runProgram(kCli, {"-c", dir.file("a.nc")});
    EXPECT_EQ(closed.exitCode, 0) << closed.err;
    const auto notANumber = runProgram(kCli, {"-y", "-c", "--radius", "7=five", dir.file("a.nc")});
    EXPECT_EQ(notANumber.exitCode, 1);
    // The stop is a finding at its line too: the findings do not say "0 errors".
    EXPECT_EQ(notANumber.err, "Brelvane: 'five' は浮動小数点数ではありません.\n" + dir.file("a.nc") +
                                  ":4: error: 解析はこの行で止まりました: 'five' は浮動小数点数ではありません。"
                                  "図と時間はここまでの分です [run-stopped]\n" +
                                  dir.file("a.nc") + ": 1 error, 0 warnings, 0 notes\n");
}

// Programs written by others: each ends in a report or a clear message, never a crash.
TEST(CommandLine, SharedCorpusNeverCrashes)
{
    const std::filesystem::path corpus = BRELVANE_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    std::vector<std::string> radius;
    for (int d = -1; d <= 99; ++d) {
        radius.push_back("--radius=" + std::to_string(d) + "=3.0");
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file() || entry.path().filename() == "SOURCES.md") {
            continue;
        }
        ++files;
        for (const bool check : {false, true}) {
            testsupport::TempDir dir;
            std::vector<std::string> args{"-y", "-q", "-w", dir.path()};
            if (check) {
                args.push_back("-c");
                args.insert(args.end(), radius.begin(), radius.end());
            }
            args.push_back(entry.path().string());
            const auto r = runProgram(kCli, args);
            EXPECT_EQ(r.signal, 0) << entry.path();
            EXPECT_TRUE(r.exitCode == 0 || (r.exitCode == 1 && !r.err.empty()))
                << entry.path() << " exit " << r.exitCode << ": " << r.err;
            if (r.exitCode == 0) {
                const std::string data = testsupport::readFile(dir.file("Result/data.html"));
                EXPECT_NE(data.find("</body></html>\r\n"), std::string::npos) << entry.path();
            }
        }
    }
    EXPECT_GT(files, 0);
}

// Memory that runs out, on whichever thread asks for it (the pictures', the writer's), is
// a message and a failed run's status, not an abort: under an address space of 40 MB
// the threads cannot even get their allocators' arenas. Linux only (prlimit), and not
// under AddressSanitizer, which reserves terabytes of address space for itself.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRELVANE_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BRELVANE_TEST_ASAN 1
#endif
TEST(CommandLine, MemoryRunningOutIsAMessageNotAnAbort)
{
#if defined(_WIN32) || defined(BRELVANE_TEST_ASAN)
    GTEST_SKIP() << "needs prlimit and no sanitizer";
#else
    if (!std::filesystem::exists("/usr/bin/prlimit")) {
        GTEST_SKIP() << "no prlimit";
    }
    testsupport::TempDir dir;
    std::string program = "G90 G17 G21\nT1 M06\nS8000 M03\nG00 X0. Y0. Z5.\nG01 Z-1. F800\n";
    unsigned state = 12345;
    for (int n = 0; n < 20000; ++n) {
        state = state * 1103515245u + 12345u;
        program += "X" + util::formatFixed((state >> 8) % 200000 / 1000.0, 3) + " Y" +
                   util::formatFixed((state >> 4) % 150000 / 1000.0, 3) + "\n";
    }
    program += "M30\n";
    testsupport::writeFile(dir.file("long.nc"), program);
    // Where it runs out moves with the limit: the threads, their arenas, the pictures.
    int failed = 0;
    for (const char* limit : {"--as=28000000", "--as=32000000", "--as=36000000", "--as=40000000", "--as=60000000"}) {
        const auto r =
            runProgram("/usr/bin/prlimit", {limit, "--", kCli, "-y", "-q", "-w", dir.path(), dir.file("long.nc")});
        EXPECT_EQ(r.signal, 0) << limit << ": " << r.err;
        EXPECT_TRUE(r.exitCode == 0 || (r.exitCode == 1 && r.err.rfind("brelvane-cli: ", 0) == 0)) << limit << ": " << r.err;
        failed += r.exitCode == 1 ? 1 : 0;
    }
    EXPECT_GT(failed, 0);
#endif
}

}  // namespace
