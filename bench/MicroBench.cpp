// Micro-benchmarks of the per-line work: reading a block, writing its entry, and the
// number formats. They measure; nothing here asserts a time.
#include "nc/IsoNcAnalyzer.h"
#include "report/BlockEntries.h"
#include "sheet/CellFill.h"
#include "util/Number.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>
#include <string>

namespace {

const std::array<const char*, 8> kLines{
    "N120 G01 X143.43 Y100.359 F800.", "N130 X89.6 Y67.773",         "N140 G02 X153.43 Y100.359 I5. J0.",
    "N150 G03 I-4. J0. (FULL CIRCLE)", "N160 G01 Z-2.5 F300.",       "N170 G00 Z5.",
    "(T3 END MILL DIA 6.)",            "N180 G99 G81 X10. Y10. Z-5. R2. F120."};

class NoPrompt : public report::RadiusPrompt {
public:
    std::optional<std::string> askRadius(int, const std::string&) override { return "3"; }
};

void SetLine(benchmark::State& state)
{
    nc::IsoNcAnalyzer analyzer;
    analyzer.setLine("G92X0.0Y0.0Z200.0");
    std::size_t i = 0;
    for (auto _ : state) {
        analyzer.setLine(kLines[i++ % kLines.size()]);
        benchmark::DoNotOptimize(analyzer.moveLength());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetLine);

void BlockEntry(benchmark::State& state)
{
    report::EntryState entryState;
    report::RadiusCache cache;
    NoPrompt prompt;
    report::BlockEntries entries(entryState, cache, prompt, true);
    nc::IsoNcAnalyzer analyzer;
    analyzer.setLine("G92X0.0Y0.0Z200.0");
    std::size_t i = 0;
    for (auto _ : state) {
        const char* line = kLines[i++ % kLines.size()];
        analyzer.setLine(line);
        benchmark::DoNotOptimize(entries.blockEntry(analyzer, line).size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BlockEntry);

void FormatFixed(benchmark::State& state)
{
    std::string out;
    double v = -1234.5678;
    for (auto _ : state) {
        out.clear();
        util::appendFixed(out, v, 3, 8);
        v += 0.001;
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(FormatFixed);

void FormatCoordinate(benchmark::State& state)
{
    double v = -1234.5678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(util::formatCoordinate(v));
        v += 0.001;
    }
}
BENCHMARK(FormatCoordinate);

void ParseNumber(benchmark::State& state)
{
    const std::array<const char*, 4> texts{"143.43", "-0.5", "100359", "12.3456789"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(util::tryParseDouble(texts[i++ % texts.size()]));
    }
}
BENCHMARK(ParseNumber);

// A section of long random moves over a 200 by 150 part, marked in cells of a quarter: the
// setup sheet's worst case. Items are the rows marked.
void MarkCells(benchmark::State& state)
{
    std::vector<sheet::CellFill::Point> points;
    std::uint64_t seed = 12345;
    const auto next = [&seed](double range) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed >> 11) * 0x1p-53 * range;
    };
    for (int i = 0; i < 10000; ++i) {
        points.push_back({next(200.0), next(150.0)});
    }
    std::size_t rows = 0;
    for (auto _ : state) {
        sheet::CellFill cells(0.25);
        for (std::size_t i = 1; i < points.size(); ++i) {
            rows += cells.addSegment(points[i - 1], points[i], -10.0, -10.0, 210.0, 160.0);
        }
        benchmark::DoNotOptimize(cells.empty());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}
BENCHMARK(MarkCells);

}  // namespace

BENCHMARK_MAIN();
