// Decimal conversion in both directions, independent of the process locale: a Qt
// application sets the C locale from the environment, and under de_DE printf and strtod
// would write and read commas.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace util {

// An ASCII digit, whatever the locale says (NC text is bytes, not characters).
inline constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A number text is [+-]?(digits[.digits] | .digits), with blanks allowed around it.
// A value beyond the range of a double is no number; one too small to hold reads as 0.
std::optional<double> tryParseDouble(std::string_view text);

// As tryParseDouble, but throws ConversionError carrying the text (taken as UTF-8).
double parseDouble(std::string_view text);

// The number at the start of the text in the manner of strtod (sign, digits, point,
// digits, exponent; it stops at the first byte that does not fit). No number, or one out
// of range, gives 0.0.
double leadingNumber(std::string_view text);

// printf "%-W.Pf" / "%W.Pf": fixed point with printf's rounding, padded with blanks to at
// least `width` (on the right when leftAlign), never cut.
void appendFixed(std::string& out, double value, int decimals, int width = 0, bool leftAlign = true);
std::string formatFixed(double value, int decimals);

// printf "%0Wu" / "%-Wu" / "%u" of a 32-bit unsigned value.
void appendUnsigned(std::string& out, std::uint32_t value, int width = 0, bool zeroPad = false,
                    bool leftAlign = false);
std::string formatInt(long long value);

// One value for appendPrintf: a double for %f conversions, an unsigned for %u.
struct PrintfArg {
    PrintfArg(double v) : number(v) {}                              // NOLINT: implicit on purpose
    PrintfArg(std::uint32_t v) : count(v), isCount(true) {}         // NOLINT: implicit on purpose
    double number = 0.0;
    std::uint32_t count = 0;
    bool isCount = false;
};

// A printf subset without the process locale: %[-][0][width][.precision]f, %[-][0][width]u
// and %%. Every other byte is copied, so code page 932 text passes through. The format is
// read once, when the object is made; a conversion it does not know, or one without a
// matching argument, is a bug and throws std::logic_error.
class PrintfFormat {
public:
    explicit PrintfFormat(std::string text);

    void append(std::string& out, std::initializer_list<PrintfArg> args) const
    {
        append(out, args.begin(), args.size());
    }
    void append(std::string& out, const PrintfArg* args, std::size_t count) const;

private:
    struct Piece {
        std::size_t literalStart = 0;  // literal text before the conversion, in text_
        std::size_t literalLength = 0;
        char conversion = 0;           // 'f', 'u', or 0 for the text after the last one
        int width = 0;
        int precision = 6;
        bool leftAlign = false;
        bool zeroPad = false;
    };
    std::string text_;  // the literal bytes, "%%" already made "%", then padding
    std::vector<Piece> pieces_;
    std::size_t room_ = 0;  // the widest text it can produce
};

void appendPrintf(std::string& out, std::string_view format, std::initializer_list<PrintfArg> args);

// The value as written with 15 significant digits, in plain decimal (never an exponent),
// without trailing zeros: 12.5, -3, 150.25, 0.0000001.
std::string formatGeneral(double value);

// "+###0.000;-###0.000": the 15-digit decimal form rounded to three decimals, halves away
// from zero; a value that rounds to zero prints "+0.000".
std::string formatCoordinate(double value);

// A time in minutes as whole hours and minutes: rounded to whole minutes first (halves
// away from zero), then split, so 119.7 gives 2 and 0.
struct HoursMinutes {
    long long hours = 0;
    long long minutes = 0;
    bool operator==(const HoursMinutes&) const = default;
};
HoursMinutes splitMinutes(double minutes);

}  // namespace util
