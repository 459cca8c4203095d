// Writes a large, realistic machining-centre program, the same bytes for the same line
// count: tool sections with T/M06, long G01 runs, G02/G03 arcs in all planes, full
// circles, G81/G83 hole patterns, cutter compensation with D, comments and dwells.
// With --raster-sections N it writes a program of N tool sections instead, each clearing
// its own pocket of a fixture plate in zigzag passes at three depths. The other forms
// write what mould shops run: a 3D finishing raster over a dome (0.1 mm steps), a spiral
// of micro-segments (0.004 to 0.006 mm at F6000), and a program that repeats its work
// through subprogram calls and L counts, and a perforated plate of holes drilled with
// three tools.
// Usage: generate-program LINES > FILE
//        generate-program --raster-sections N > FILE
//        generate-program --raster-3d LINES > FILE
//        generate-program --micro-spiral LINES > FILE
//        generate-program --calls LINES > FILE
//        generate-program --drilled-plate LINES > FILE
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A small deterministic generator, so every run writes the same program.
class Random {
public:
    std::uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double between(double low, double high) { return low + (high - low) * (next() % 100000) / 100000.0; }

private:
    std::uint32_t state_ = 2463534242u;
};

std::string number(double value)
{
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
    std::string text(buf, res.ptr);
    while (text.back() == '0') {
        text.pop_back();
    }
    return text;  // always keeps its decimal point
}

class Writer {
public:
    explicit Writer(long long lines) : remaining_(lines) {}
    bool more() const { return remaining_ > 0; }
    void line(const std::string& text)
    {
        if (remaining_ <= 0) {
            return;
        }
        --remaining_;
        buffer_ += text;
        buffer_ += "\r\n";
        if (buffer_.size() > (1 << 20)) {
            flush();
        }
    }
    // A last line past the count.
    void end(const std::string& text)
    {
        buffer_ += text;
        buffer_ += "\r\n";
    }
    void flush()
    {
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
        buffer_.clear();
    }

private:
    long long remaining_;
    std::string buffer_;
};

// N pockets of 24 x 18 mm on a plate, 20 to a row, each cleared by its own tool section
// in passes 0.1 mm apart at three depths.
int rasterSections(int sections)
{
    std::string out = "%\r\nO2000 (RASTER POCKETS)\r\n";
    long long n = 0;
    const auto block = [&](const std::string& text) {
        out += "N" + std::to_string(n += 10) + " " + text + "\r\n";
    };
    for (int s = 0; s < sections; ++s) {
        const int tool = s % 20 + 1;
        const double x0 = 30.0 * (s % 20);
        const double y0 = 25.0 * (s / 20);
        out += "(POCKET " + std::to_string(s + 1) + " T" + std::to_string(tool) + " FLAT END MILL DIA " + number(1.0 + tool * 0.5) + ")\r\n";
        block("T" + std::to_string(tool) + " M06");
        block("G90 G54 G00 X" + number(x0) + " Y" + number(y0) + " S" + std::to_string(6000 + tool * 100) + " M03");
        block("G43 Z30. H" + std::to_string(tool));
        for (int depth = 1; depth <= 3; ++depth) {
            block("G00 X" + number(x0) + " Y" + number(y0));
            block("Z2.");
            block("G01 Z" + number(-1.0 * depth) + " F300.");
            block("F1200.");
            for (int pass = 0; pass <= 180; ++pass) {
                const double y = y0 + 0.1 * pass;
                block("X" + number(pass % 2 == 0 ? x0 + 24 : x0) + " Y" + number(y));
                if (pass < 180) {
                    block("Y" + number(y + 0.1));
                }
            }
            block("G00 Z2.");
        }
        block("G00 Z30. M05");
        block("M01");
        if (out.size() > (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    out += "M30\r\n%\r\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

// A ball mill finishing a dome 120 x 80 mm, 8 mm high, in passes along X 0.2 mm apart,
// a point every 0.1 mm.
int raster3d(long long lines)
{
    Writer out(lines - 1);
    out.line("%");
    out.line("O3000 (3D FINISH RASTER)");
    out.line("(T5 BALL END MILL R1.)");
    out.line("T5 M06");
    out.line("G90 G54 G00 X0. Y0. S12000 M03");
    out.line("G43 Z20. H5 M08");
    out.line("G01 Z10. F2000.");
    for (int pass = 0; out.more(); ++pass) {
        const double y = 0.2 * (pass % 400);
        for (int i = 0; i <= 1200 && out.more(); ++i) {
            const double x = 0.1 * (pass % 2 == 0 ? i : 1200 - i);
            const double dx = (x - 60.0) / 60.0;
            const double dy = (y - 40.0) / 40.0;
            const double z = 8.0 * std::max(0.0, 1.0 - dx * dx - dy * dy);
            out.line("X" + number(x) + " Y" + number(y) + " Z" + number(z));
        }
    }
    out.end("M30");
    out.flush();
    return 0;
}

// A spiral out from the centre in moves of 0.004 to 0.006 mm: a finishing program from a
// CAM system that writes every point it computes.
int microSpiral(long long lines)
{
    Writer out(lines - 1);
    out.line("%");
    out.line("O4000 (MICRO SEGMENT SPIRAL)");
    out.line("T1 M06");
    out.line("S8000 M03");
    out.line("G00 X0. Y0.");
    out.line("Z1.");
    out.line("G01 Z-0.1 F6000.");
    Random random;
    double angle = 0.0;
    double radius = 0.5;
    char text[96];
    while (out.more()) {
        const double step = random.between(0.004, 0.006);
        angle += step / radius;
        radius += step * 0.002;
        std::snprintf(text, sizeof text, "X%.4f Y%.4f", radius * std::cos(angle), radius * std::sin(angle));
        out.line(text);
    }
    out.end("M30");
    out.flush();
    return 0;
}

// A fixture of parts, each machined by a subprogram the main program calls, with rows of
// holes repeated by L and a contour pass repeated by M98's count.
int calls(long long lines)
{
    Writer out(lines - 1);
    out.line("%");
    out.line("O5000 (CALLS AND REPEATS)");
    out.line("T3 M06");
    out.line("G90 G54 G00 X0. Y0. S6000 M03");
    out.line("G43 Z20. H3");
    // The main program's calls, then its subprograms (each part at its own place).
    const long long parts = std::max(1LL, lines / 60);
    for (long long p = 0; p < parts && out.more(); ++p) {
        out.line("G90 G00 X" + number(30.0 * static_cast<double>(p % 20)) + " Y" + number(25.0 * static_cast<double>(p / 20 % 40)));
        out.line("M98 P2" + std::to_string(5001 + p % 4));
    }
    out.line("G00 Z100. M05");
    out.line("M30");
    for (int sub = 0; sub < 4; ++sub) {
        out.line("O" + std::to_string(5001 + sub) + " (PART " + std::to_string(sub + 1) + ")");
        out.line("G91 G01 Z-22. F600.");
        for (int i = 0; i < 20; ++i) {
            out.line("X" + number(1.0 + 0.1 * i) + " Y" + number(i % 2 == 0 ? 0.5 : -0.5));
        }
        out.line("G02 X-4. Y0. I-2. J0.");
        out.line("G90 G00 Z2.");
        out.line("G91 G99 G81 X2. Z-5. R0. F200. L6");
        out.line("G80");
        out.line("G90 G00 Z20.");
        out.line("M99");
    }
    out.flush();
    return 0;
}

// A perforated plate: a square grid of holes 4 mm apart, spot drilled, peck drilled and
// tapped, each tool visiting every hole in rows; the last tool's rows are written as one
// hole and an incremental L count, as a programmer shortens them by hand (so the file has
// about two thirds of LINES, for LINES holes).
int drilledPlate(long long lines)
{
    Writer out(lines - 1);
    const auto side = static_cast<long long>(std::max(2.0, std::sqrt(static_cast<double>(lines) / 3)));
    out.line("%");
    out.line("O6000 (PERFORATED PLATE)");
    const char* const tools[] = {"T1 M06 (SPOT DRILL)", "T2 M06 (DRILL 3.3)", "T3 M06 (TAP M4)"};
    const char* const cycles[] = {"G99 G81", "G99 G83", "G99 G84"};
    const char* const depths[] = {"Z-1.5 R2. F300.", "Z-12. R2. Q3. F250.", "Z-10. R5. F840."};  // M4 x 0.7 at S1200
    for (int t = 0; t < 3 && out.more(); ++t) {
        out.line(tools[t]);
        out.line("G90 G54 G00 X0. Y0. S" + std::to_string(2000 - 400 * t) + " M03");
        out.line("G43 Z20. H" + std::to_string(t + 1));
        for (long long row = 0; row < side && out.more(); ++row) {
            const std::string y = number(4.0 * static_cast<double>(row));
            if (t == 2) {
                out.line("G90 " + std::string(cycles[t]) + " X0. Y" + y + " " + depths[t]);
                out.line("G91 X4. L" + std::to_string(side - 1));
                out.line("G80");
                continue;
            }
            for (long long column = 0; column < side && out.more(); ++column) {
                const std::string x = number(4.0 * static_cast<double>(row % 2 == 0 ? column : side - 1 - column));
                out.line(column == 0 && row == 0 ? std::string(cycles[t]) + " X" + x + " Y" + y + " " + depths[t]
                                                 : "X" + x + " Y" + y);
            }
        }
        out.line("G80");
        out.line("G90 G00 Z100. M05");
    }
    out.end("M30");
    out.flush();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "--raster-sections") {
        return rasterSections(std::atoi(argv[2]));
    }
    if (argc > 2 && std::string(argv[1]) == "--raster-3d") {
        return raster3d(std::atoll(argv[2]));
    }
    if (argc > 2 && std::string(argv[1]) == "--micro-spiral") {
        return microSpiral(std::atoll(argv[2]));
    }
    if (argc > 2 && std::string(argv[1]) == "--drilled-plate") {
        return drilledPlate(std::atoll(argv[2]));
    }
    if (argc > 2 && std::string(argv[1]) == "--calls") {
        return calls(std::atoll(argv[2]));
    }
    const long long lines = argc > 1 ? std::atoll(argv[1]) : 1000000;
    Random random;
    // The last line ends the program, as a real one does.
    Writer out(lines > 1 ? lines - 1 : lines);
    long long n = 10;
    const auto block = [&](const std::string& text) { out.line("N" + std::to_string(n += 10) + " " + text); };
    out.line("%");
    out.line("O1234 (GENERATED BENCHMARK PROGRAM)");
    int tool = 0;
    while (out.more()) {
        tool = tool % 12 + 1;
        out.line("(T" + std::to_string(tool) + " END MILL DIA " + number(2.0 + tool) + ")");
        block("T" + std::to_string(tool) + " M06");
        block("G90 G54 G00 X0. Y0. S" + std::to_string(3000 + tool * 100) + " M03");
        block("G43 Z50. H" + std::to_string(tool));
        // Contour passes with compensation, long linear runs and arcs.
        for (int pass = 0; pass < 40 && out.more(); ++pass) {
            const double z = -0.5 * (pass % 10 + 1);
            block("G00 X-5. Y-5.");
            block("G01 Z" + number(z) + " F300.");
            block("G41 G01 X0. Y0. D" + std::to_string(tool) + " F800.");
            for (int i = 0; i < 200 && out.more(); ++i) {
                const double x = random.between(0, 200);
                const double y = random.between(0, 150);
                block("X" + number(x) + " Y" + number(y));
                if (i % 25 == 0) {
                    block("G02 X" + number(x + 10) + " Y" + number(y) + " I5. J0.");
                    block("G03 X" + number(x) + " Y" + number(y) + " I-5. J0.");
                    block("G01 X" + number(x + 1) + " Y" + number(y + 1));
                }
                if (i % 60 == 0) {
                    block("G03 I-4. J0. (FULL CIRCLE)");
                    block("G01 X" + number(x) + " Y" + number(y + 2));
                }
            }
            block("G40 G01 X-5. Y-5.");
            block("G00 Z5.");
            if (pass % 8 == 0) {
                // Half circles in XZ and YZ from X-5. Y-5. Z5., ending on their circles.
                block("G18 G02 X15. Z5. I10. K0. F400.");
                block("G19 G03 Y15. Z5. J10. K0.");
                block("G17 G00 Z5.");
            }
        }
        // A drilled hole pattern, peck drilled.
        block("G00 Z20.");
        block("G99 G81 X10. Y10. Z-5. R2. F120.");
        for (int h = 1; h < 30 && out.more(); ++h) {
            block("X" + number(10.0 + 5 * h) + " Y" + number(10.0 + (h % 3) * 5));
        }
        block("G80");
        block("G98 G83 X10. Y60. Z-25. R2. Q4. F90.");
        for (int h = 1; h < 20 && out.more(); ++h) {
            block("X" + number(10.0 + 6 * h));
        }
        block("G80");
        block("G04 P500");
        block("G00 Z100. M05");
        block("M01");
    }
    out.end("M30");
    out.flush();
    return 0;
}
