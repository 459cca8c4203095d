// Programs run as the control runs them: calls, returns, passes and repeats, where called
// programs are found, and what is told when a call cannot be made.
#include "nc/MotionDump.h"
#include "nc/Markers.h"
#include "tests/run/RunFixture.h"
#include "util/Number.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// The blocks the stream reads, in order.
class BlockTrace : public nc::MotionSink {
public:
    std::vector<std::string> blocks;
    nc::MotionDump dump;
    void motion(const nc::Motion& m) override
    {
        if (m.kind == nc::MotionKind::Block) {
            blocks.emplace_back(m.block->text);
        }
        dump.motion(m);
    }
};

class Execution : public testsupport::RunFixture {
protected:
    struct Outcome {
        std::vector<std::string> blocks;
        std::vector<std::string> codes;  // findings of the flow and the program end, "code@line"
        std::shared_ptr<const record::ProgramRecord> record;
        std::string dump;
        std::string listing;
    };

    Outcome execute(const std::string& program, const std::map<std::string, std::string>& files = {})
    {
        for (const auto& [name, text] : files) {
            std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
            testsupport::writeFile(dir.file(name), text);
        }
        testsupport::writeFile(settings.ncFile, program);
        BlockTrace trace;
        run::Services services = fakes.services();
        services.motions = &trace;
        const run::RunResult run = run::AnalysisRun(settings, state, services);
        EXPECT_EQ(run.outcome, run::RunOutcome::Completed);
        Outcome outcome{trace.blocks, {}, run.record, trace.dump.text(), result("data.html")};
        for (const checks::Finding& f : run.record->findings) {
            const std::string code = checks::codeName(f.code);
            if (code.find("subprogram") != std::string::npos || code == "call-nesting" || code == "endless-repeat" ||
                code == "block-limit" || code == "no-program-end" || code == "cycle-no-r" || code.starts_with("macro")) {
                outcome.codes.push_back(code + "@" + std::to_string(f.line));
            }
        }
        return outcome;
    }
};

struct FlowCase {
    const char* name;
    std::string program;
    std::map<std::string, std::string> files;
    std::vector<std::string> blocks;  // empty: not compared
    std::vector<std::string> codes;
    std::int64_t maxBlocks = 10'000'000;
    nc::Control control = nc::Control::Fanuc;
};

class ExecutionCases : public Execution, public testing::WithParamInterface<FlowCase> {};

TEST_P(ExecutionCases, RunTheBlocksTheControlRuns)
{
    const FlowCase& c = GetParam();
    settings.machine.maxBlocks = c.maxBlocks;
    settings.machine.control = c.control;
    if (c.files.contains("lib/O0079")) {
        settings.machine.programFolders = {dir.file("lib")};
    }
    const Outcome outcome = execute(c.program, c.files);
    if (!c.blocks.empty()) {
        EXPECT_EQ(outcome.blocks, c.blocks);
    }
    EXPECT_EQ(outcome.codes, c.codes);
}

INSTANTIATE_TEST_SUITE_P(
    Flows, ExecutionCases,
    testing::Values(
        FlowCase{"CountInTheProgramNumber", "O1\nM98 P20010\nM30\nO0010\nG00 X1.\nM99\n", {},
                 {"O1", "M98 P20010", "O0010", "G00 X1.", "M99", "O0010", "G00 X1.", "M99", "M30"}, {}},
        FlowCase{"LocalCall", "M97 P100 L2\nM30\nN100 G00 X1.\nM99", {},
                 {"M97 P100 L2", "N100 G00 X1.", "M99", "N100 G00 X1.", "M99", "M30"}, {}},
        FlowCase{"ReturnToASequenceNumber", "M98 P10\nG00 X5.\nN30 G00 X6.\nM30\nO10\nG00 X1.\nM99 P30", {},
                 {"M98 P10", "O10", "G00 X1.", "M99 P30", "N30 G00 X6.", "M30"}, {}},
        FlowCase{"MacroCallRunsItsProgram", "G65 P10 A1.\nM30\nO10\nG00 X1.\nM99", {},
                 {"G65 P10 A1.", "O10", "G00 X1.", "M99", "M30"}, {}},
        FlowCase{"Missing", "M98 P77\nM30", {}, {"M98 P77", "M30"}, {"subprogram-missing@1"}},
        FlowCase{"MissingSequence", "M97 P55\nM30", {}, {"M97 P55", "M30"}, {"subprogram-missing@1"}},
        FlowCase{"Recursion", "M98 P10\nM30\nO10\nM98 P10\nM99", {}, {"M98 P10", "O10", "M98 P10", "M99", "M30"},
                 {"subprogram-recursion@3"}},
        // Four levels of subprograms, and four of macro calls besides them.
        FlowCase{"TooDeep", "M98 P1\nM30\nO1\nM98 P2\nM99\nO2\nM98 P3\nM99\nO3\nM98 P4\nM99\nO4\nM98 P5\nM99\nO5\nM99",
                 {}, {}, {"call-nesting@9"}},
        FlowCase{"MacroCallsNestApart",
                 "M98 P1\nM30\nO1\nM98 P2\nM99\nO2\nM98 P3\nM99\nO3\nM98 P4\nM99\nO4\nG65 P5\nM99\nO5\nG00 X5.\nM99",
                 {}, {}, {}},
        // Haas: M99 P jumps within the program it stands in.
        FlowCase{"HaasJumpsWithinTheSubprogram", "M98 P10\nM30\nO10\nM99 P20\nG00 X1.\nN20 G00 X2.\nM99", {},
                 {"M98 P10", "O10", "M99 P20", "N20 G00 X2.", "M99", "M30"}, {}, 10'000'000, nc::Control::Haas},
        FlowCase{"EndlessMainProgram", "G00 X1.\nM99\nG00 X2.", {}, {"G00 X1.", "M99"}, {"endless-repeat@2"}},
        FlowCase{"SubprogramsStoredAheadOfTheMain", "%\nO10\nG00 X1.\nM99\n%\nO1000\nM98 P10\nM30\n%", {},
                 {"O1000", "M98 P10", "O10", "G00 X1.", "M99", "M30"}, {}},
        FlowCase{"StoredProgramsAfterTheEndAreNotRun", "G00 X1.\nM30\n%\nO20\nG00 X9.\nM99\n%", {},
                 {"G00 X1.", "M30", "%"}, {}},
        FlowCase{"AProgramEndsWhereTheNextBegins", "M98 P20\nM30\nO20\nG00 X1.\n%", {},
                 {"M98 P20", "O20", "G00 X1.", "M30"}, {}},
        FlowCase{"BlockLimit", "M98 P10 L100\nM30\nO10\nG00 X1.\nG00 X2.\nM99", {}, {}, {"block-limit@6"}, 5},
        FlowCase{"FromTheFolder", "M98 P77\nM30", {{"o0077.NC", "O0077\nG00 X7.\nM99\n"}},
                 {"M98 P77", "O0077", "G00 X7.", "M99", "M30"}, {}},
        FlowCase{"FolderNameWithoutTheLetter", "M98 P78\nM30", {{"78.txt", "G00 X8.\nM99"}},
                 {"M98 P78", "G00 X8.", "M99", "M30"}, {}},
        FlowCase{"FromTheProfilesFolders", "M98 P79\nM30", {{"lib/O0079", "G00 X9.\nM99"}},
                 {"M98 P79", "G00 X9.", "M99", "M30"}, {}},
        FlowCase{"CycleRepeats", "G00 X0. Y0. Z10.\nG91 G81 X5. Z-5. R-8. F100 L3\nG80\nM30", {},
                 {"G00 X0. Y0. Z10.", "G91 G81 X5. Z-5. R-8. F100 L3", "G91 G81 X5. Z-5. R-8. F100 L3",
                  "G91 G81 X5. Z-5. R-8. F100 L3", "G80", "M30"},
                 {}},
        FlowCase{"CycleWithoutR", "G00 X0. Y0. Z10.\nG81 X5. Z-5. F100\nX9.\nG80\nM30", {}, {}, {"cycle-no-r@2"}},
        // Custom macros: the blocks run with their expressions' values.
        FlowCase{"GotoSkips", "#1=2\nIF [#1 EQ 2] GOTO 20\nG00 X1.\nN20 G00 X2.\nM30", {}, {"N20 G00 X2.", "M30"}, {}},
        FlowCase{"WhileLoops", "#1=0\nWHILE [#1 LT 3] DO 1\nG00 X#1\n#1=#1+1\nEND 1\nM30", {},
                 {"G00 X0.000", "G00 X1.000", "G00 X2.000", "M30"}, {}},
        FlowCase{"NestedLoops",
                 "#1=0\nWHILE [#1 LT 2] DO 1\n#2=0\nWHILE [#2 LT 2] DO 2\nG00 X#1 Y#2\n#2=#2+1\nEND 2\n#1=#1+1\nEND 1\nM30",
                 {}, {"G00 X0.000 Y0.000", "G00 X0.000 Y1.000", "G00 X1.000 Y0.000", "G00 X1.000 Y1.000", "M30"}, {}},
        FlowCase{"MacroCallHasItsOwnLocals", "#1=5\nG65 P10 A7.\nG00 X#1\nM30\nO10\nG00 X#1\nM99", {},
                 {"G65 P10 A7.", "O10", "G00 X7.000", "M99", "G00 X5.000", "M30"}, {}},
        FlowCase{"EndWithoutDo", "G00 X1.\nEND 1\nG00 X2.\nM30", {}, {"G00 X1."}, {"macro-error@2"}},
        FlowCase{"JumpToNowhere", "GOTO 99\nM30", {}, {}, {"macro-error@1"}},
        FlowCase{"DivisionByZero", "#1=1/0\nM30", {}, {}, {"macro-error@1"}},
        FlowCase{"AlarmStops", "G00 X1.\n#3000=1(PROBE FAILED)\nG00 X2.\nM30", {}, {"G00 X1."}, {"macro-alarm@2"}},
        FlowCase{"MessageGoesOn", "#3006=5(CHECK PART)\nM30", {}, {"M30"}, {"macro-message@1"}},
        FlowCase{"EndlessJumpStopsAtTheLimit", "N10 G00 X1.\nGOTO 10", {}, {}, {"block-limit@51"}, 50},
        FlowCase{"UnkeptSystemVariable", "#1=#4500\nM30", {}, {"M30"}, {"macro-unsupported@1"}},
        FlowCase{"WorkOffsetWithoutProfile", "#1=#5221\nM30", {}, {"M30"}, {"macro-vacant@1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A called block's finding says where it is written, and the listing has a row for each
// pass.
TEST_F(Execution, CalledBlocksSayWhereTheyAreWritten)
{
    const Outcome outcome = execute("M98 P10 L2\nM30\nO10\nG01 X1. F0\nM99\n");
    EXPECT_NE(outcome.listing.find("O0010 1/2"), std::string::npos);
    EXPECT_NE(outcome.listing.find("O0010 2/2"), std::string::npos);
    const auto& findings = outcome.record->findings;
    const auto noFeed = std::find_if(findings.begin(), findings.end(),
                                     [](const checks::Finding& f) { return f.code == checks::CheckCode::NoFeed; });
    ASSERT_NE(noFeed, findings.end());
    EXPECT_EQ(noFeed->line, 3);
    EXPECT_NE(noFeed->message.find("O0010 の 4 行目"), std::string::npos) << noFeed->message;
    EXPECT_EQ(noFeed->fileLine, 0);  // another program: its listing place stands

    // Below a repeated block the listing runs ahead of the file: a finding also gives the
    // line the block is written on, for an editor to open.
    const Outcome shifted = execute("S500 M03\nG91 G81 X10. Z-5. R2. F100 L3\nG80 G90\nG01 X1. Y\nM30\n");
    const auto unread = std::find_if(shifted.record->findings.begin(), shifted.record->findings.end(),
                                     [](const checks::Finding& f) { return f.code == checks::CheckCode::UnreadText; });
    ASSERT_NE(unread, shifted.record->findings.end());
    EXPECT_GT(unread->line, 4);
    EXPECT_EQ(unread->fileLine, 4);

    // How a block is written is told once, however often it runs.
    const Outcome twice = execute("G01 X1. F100\nM98 P10 L3\nM98 P10\nM30\nO10\nG01 X2 Y\nM99\n");
    const auto writing = std::count_if(twice.record->findings.begin(), twice.record->findings.end(), [](const auto& f) {
        return f.code == checks::CheckCode::UnreadText || f.code == checks::CheckCode::PointLessNumber;
    });
    EXPECT_EQ(writing, 2);

    // So too a block a macro loop runs again; a loop a GOTO leaves is over.
    const Outcome loop = execute("G00 X0.\n#1=0\nN10 G01 X2 F100\n#1=#1+1\nIF [#1 LT 5] GOTO 10\n"
                                 "WHILE [#1 LT 9] DO 1\n#1=#1+1\nIF [#1 EQ 7] GOTO 20\nEND 1\nN20 G00 X1.\nM30\n");
    EXPECT_EQ(std::count_if(loop.record->findings.begin(), loop.record->findings.end(),
                            [](const auto& f) { return f.code == checks::CheckCode::PointLessNumber; }),
              1);
    EXPECT_EQ(std::count_if(loop.record->findings.begin(), loop.record->findings.end(),
                            [](const auto& f) { return f.code == checks::CheckCode::MacroError; }),
              0);
}

// A program with calls and repeats and the same program written out flat give the same
// figures and the same machine motions: the calls and repeats are only a way of writing
// it. Random programs of subprogram calls (nested, repeated), G91 hole rows with repeat
// counts, lines, arcs and tool changes.
TEST_F(Execution, CallsAndRepeatsRunAsTheProgramWrittenOutFlat)
{
    std::mt19937 random(20261208);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const auto number = [&](int low, int high) { return std::to_string(pick(low, high)) + "."; };
    const auto body = [&](int lines) {
        std::vector<std::string> out;
        for (int i = 0; i < lines; ++i) {
            switch (pick(0, 5)) {
            case 0: out.push_back("G90 G00 X" + number(-50, 50) + " Y" + number(-50, 50) + " Z" + number(2, 20)); break;
            case 1: out.push_back("G91 G01 X" + number(-9, 9) + " Y" + number(-9, 9) + " F" + number(100, 900)); break;
            case 2: out.push_back("G90 G01 Z" + number(-6, 0) + " F" + number(50, 300)); break;
            case 3: out.push_back("G91 G03 X10. Y0. I5. J0. F200"); break;
            case 4:
                // One item: a call never stands inside the hole row.
                out.push_back("G90 G99 G81 X" + number(-40, 40) + " Y" + number(-40, 40) + " Z-4. R2. F120\nG91 X" +
                              number(1, 9) + " L" + std::to_string(pick(2, 4)) + "\nG80");
                break;
            default: out.push_back("G90 G00 Z" + number(5, 30)); break;
            }
        }
        return out;
    };
    for (int round = 0; round < 12; ++round) {
        // Subprograms 10..12; 12 calls none, 11 may call 12, 10 may call 11.
        std::map<int, std::vector<std::string>> subs;
        for (int n = 12; n >= 10; --n) {
            std::vector<std::string> lines = body(pick(1, 4));
            if (n < 12 && pick(0, 1) == 1) {
                lines.insert(lines.begin() + pick(0, static_cast<int>(lines.size())),
                             "M98 P" + std::to_string(n + 1) + " L" + std::to_string(pick(1, 3)));
            }
            subs[n] = lines;
        }
        std::vector<std::string> main{"O1000", "T1 M06", "S1000 M03", "G90 G00 X0. Y0. Z50."};
        for (int i = 0; i < 6; ++i) {
            if (pick(0, 2) == 0) {
                main.push_back("M98 P" + std::to_string(pick(10, 12)) + " L" + std::to_string(pick(1, 3)));
            } else {
                for (const std::string& line : body(1)) {
                    main.push_back(line);
                }
            }
            if (i == 3) {
                main.insert(main.end(), {"T2 M06", "S800 M03"});
            }
        }
        main.push_back("M30");

        std::string program;
        for (const std::string& line : main) {
            program += line + "\n";
        }
        for (const auto& [n, lines] : subs) {
            program += "O" + std::to_string(n) + "\n";
            for (const std::string& line : lines) {
                program += line + "\n";
            }
            program += "M99\n";
        }

        // Written out flat: each call as its program's blocks, pass by pass; each repeat
        // as its block again without the count.
        std::function<void(const std::string&, std::string&)> flat = [&](const std::string& line, std::string& out) {
            if (const std::size_t lineEnd = line.find('\n'); lineEnd != std::string::npos) {
                flat(line.substr(0, lineEnd), out);
                flat(line.substr(lineEnd + 1), out);
                return;
            }
            if (line.starts_with("M98 P")) {
                const int n = std::stoi(line.substr(5));
                const int count = std::stoi(line.substr(line.find(" L") + 2));
                for (int pass = 0; pass < count; ++pass) {
                    for (const std::string& inner : subs[n]) {
                        flat(inner, out);
                    }
                }
                return;
            }
            if (const std::size_t l = line.find(" L"); l != std::string::npos && line.starts_with("G91 X")) {
                const std::string once = line.substr(0, l);
                for (int pass = std::stoi(line.substr(l + 2)); pass > 0; --pass) {
                    out += once + "\n";
                }
                return;
            }
            out += line + "\n";
        };
        std::string flatProgram;
        for (const std::string& line : main) {
            flat(line, flatProgram);
        }

        const Outcome called = execute(program);
        const Outcome written = execute(flatProgram);
        // The motions, without their line numbers and what only the writing makes.
        const auto motions = [](const std::string& dump) {
            std::vector<std::string> out;
            std::size_t start = 0;
            while (start < dump.size()) {
                const std::size_t end = dump.find('\n', start);
                const std::string line = dump.substr(start, end - start);
                start = end + 1;
                const std::string what = line.substr(line.find(' ') + 1);
                if (!what.starts_with("call") && !what.starts_with("program")) {
                    out.push_back(what);
                }
            }
            return out;
        };
        ASSERT_EQ(motions(called.dump), motions(written.dump)) << program;
        const auto& a = *called.record;
        const auto& b = *written.record;
        EXPECT_EQ(a.total, b.total) << program;
        ASSERT_EQ(a.sections.size(), b.sections.size()) << program;
        for (std::size_t s = 0; s < a.sections.size(); ++s) {
            EXPECT_DOUBLE_EQ(a.sections[s].cutLength, b.sections[s].cutLength) << program;
            EXPECT_EQ(a.sections[s].holes, b.sections[s].holes) << program;
        }
    }
}

// Common variables start with the profile's values.
TEST_F(Execution, CommonVariablesStartFromTheProfile)
{
    settings.machine.variables = {{500, 7.5}};
    EXPECT_EQ(execute("G00 X#500 Y#501\nM30\n").blocks, (std::vector<std::string>{"G00 X7.500", "M30"}));
}

// A machine set up to read lower-case letters reads the whole block, and the classic
// pages follow.
TEST_F(Execution, LowerCaseLettersReadWhereTheProfileSaysSo)
{
    const Outcome upperOnly = execute("g01 x5. y3. f100\nm30\n");
    settings.machine.anyCaseLetters = true;
    const Outcome any = execute("g01 x5. y3. f100\nm30\n");
    EXPECT_EQ(any.record->total.xMax, 5.0);
    EXPECT_EQ(any.record->total.yMax, 3.0);
    EXPECT_NE(upperOnly.record->total.yMax, 3.0);
}

// A macro program and the same program evaluated by the test and written out flat run
// alike: random polygons by WHILE loops, Z steps by IF … GOTO, values by the arithmetic
// and functions a control has.
TEST_F(Execution, MacroProgramsRunAsTheirValuesWrittenOut)
{
    std::mt19937 random(8122026);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const auto number = [](double v) { return util::formatFixed(v, 3); };
    for (int round = 0; round < 8; ++round) {
        const double cx = pick(-50, 50);
        const double cy = pick(-50, 50);
        const double r = pick(5, 40) + 0.25;
        const int n = pick(3, 9);
        const int steps = pick(1, 4);
        const double feed = pick(100, 900);
        std::string macro = "T1 M06\nS1000 M03\nG90 G00 X0. Y0. Z20.\n#100=" + number(cx) + "\n#101=" + number(cy) +
                            "\n#102=" + number(r) + "\n#103=" + std::to_string(n) + "\n#104=0\n" +
                            "WHILE [#104 LT #103] DO 1\n#105=#104*360/#103\n" +
                            "G01 X[#100+#102*COS[#105]] Y[#101+#102*SIN[#105]] Z-1. F" + number(feed) + "\n" +
                            "#104=#104+1\nEND 1\n#106=0\nN50 G00 Z[#106*2+5]\n#106=#106+1\nIF [#106 LT " +
                            std::to_string(steps) + "] GOTO 50\nM30\n";
        std::string flat = "T1 M06\nS1000 M03\nG90 G00 X0. Y0. Z20.\n";
        for (int i = 0; i < n; ++i) {
            const double angle = i * 360.0 / n;
            flat += "G01 X" + number(cx + r * std::cos(angle * nc::kRadPerDeg)) + " Y" +
                    number(cy + r * std::sin(angle * nc::kRadPerDeg)) + " Z-1. F" + number(feed) + "\n";
        }
        for (int k = 0; k < steps; ++k) {
            flat += "N50 G00 Z" + number(k * 2 + 5) + "\n";
        }
        flat += "M30\n";

        const Outcome evaluated = execute(macro);
        const Outcome written = execute(flat);
        const auto motions = [](const std::string& dump) {
            std::vector<std::string> out;
            std::size_t start = 0;
            while (start < dump.size()) {
                const std::size_t end = dump.find('\n', start);
                out.push_back(dump.substr(start, end - start).substr(dump.find(' ', start) - start + 1));
                start = end + 1;
            }
            return out;
        };
        ASSERT_EQ(motions(evaluated.dump), motions(written.dump)) << macro;
        EXPECT_EQ(evaluated.record->total, written.record->total) << macro;
        EXPECT_EQ(evaluated.record->findings.size(), written.record->findings.size()) << macro;
    }
}

}  // namespace
