#include "util/Number.h"

#include "util/UserError.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace util {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Whether a number text that from_chars found out of range is too small (it underflows)
// rather than too large: the decimal exponent of its first non-zero digit is negative.
bool isTinyMagnitude(std::string_view text)
{
    long long digitExponent = 0;
    bool seenNonZero = false;
    std::size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (!seenNonZero && text[i] != '0') {
            seenNonZero = true;
            digitExponent = -1;
        }
        if (seenNonZero) {
            ++digitExponent;
        }
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            if (!seenNonZero) {
                --digitExponent;
                if (text[i] != '0') {
                    seenNonZero = true;
                }
            }
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        long long exponent = 0;
        const auto res = std::from_chars(text.data() + i, text.data() + text.size(), exponent);
        // An exponent beyond any text's count of digits decides alone (and the sum below
        // cannot overflow).
        constexpr long long kDecisive = 1LL << 60;
        if (res.ec == std::errc::result_out_of_range || exponent > kDecisive) {
            return negative;
        }
        digitExponent += negative ? -exponent : exponent;
    }
    return digitExponent < 0;
}

// Digits with at most one point, up to 15 significant digits: the digits as an integer
// divided by a power of ten are two exact doubles, and one division rounds correctly, as
// from_chars would. Anything else is left to the general conversion.
std::optional<double> exactSmallDecimal(std::string_view text)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    int digits = 0;
    bool anyDigit = false;
    int decimals = 0;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (isDigit(c)) {
            anyDigit = true;
            if (mantissa != 0 || c != '0') {
                ++digits;
            }
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point ? 1 : 0;
            if (digits > 15 || decimals > 22) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return static_cast<double>(mantissa) / kPowers[decimals];
}

// Converts a text already known to be [+-]?mantissa[exponent]. from_chars takes no "+",
// and reports both overflow and underflow as out of range: only overflow is refused.
std::optional<double> convertChecked(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (const auto fast = exactSmallDecimal(text)) {
        return negative ? -*fast : *fast;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (!isTinyMagnitude(text)) {
            return std::nullopt;
        }
        value = 0.0;
    } else if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// The 15 significant digits and the decimal exponent of |value| (finite):
// |value| = d0.d1d2...d14 x 10^exponent.
struct Digits15 {
    std::array<char, 15> digits{};
    int exponent = 0;
};

Digits15 digits15(double magnitude)
{
    std::array<char, 40> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                   std::chars_format::scientific, 14);
    Digits15 d;
    const char* p = buf.data();
    d.digits[0] = *p++;
    ++p;  // the point
    for (int i = 1; i < 15; ++i) {
        d.digits[static_cast<std::size_t>(i)] = *p++;
    }
    ++p;  // 'e'
    int exponent = 0;
    std::from_chars(*p == '+' ? p + 1 : p, res.ptr, exponent);
    d.exponent = exponent;
    return d;
}

// [+-]?digits[.digits] or [+-]?.digits at the start of a text: where it ends and how many
// digits it holds (0: no number).
struct Mantissa {
    std::size_t end = 0;
    std::size_t digits = 0;
};

Mantissa scanMantissa(std::string_view text)
{
    Mantissa m;
    std::size_t& i = m.end;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    for (; i < text.size() && isDigit(text[i]); ++i) {
        ++m.digits;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            ++m.digits;
        }
    }
    return m;
}

}  // namespace

std::optional<double> tryParseDouble(std::string_view text)
{
    // The common NC number in one pass: a sign, at most 15 digits, one point.
    {
        std::string_view body = text;
        const bool negative = !body.empty() && body.front() == '-';
        if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
            body.remove_prefix(1);
        }
        if (const auto value = exactSmallDecimal(body)) {
            return negative ? -*value : *value;
        }
    }
    // Everything else (blanks, long digit strings, no number at all) the careful way.
    text = trimBlanks(text);
    const Mantissa m = scanMantissa(text);
    if (m.end != text.size() || m.digits == 0) {
        return std::nullopt;
    }
    return convertChecked(text);
}

double parseDouble(std::string_view text)
{
    if (const auto value = tryParseDouble(text)) {
        return *value;
    }
    throw ConversionError(std::string(text));
}

double leadingNumber(std::string_view text)
{
    const Mantissa m = scanMantissa(text);
    if (m.digits == 0) {
        return 0.0;
    }
    std::size_t i = m.end;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        const std::size_t expStart = j;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
        }
        if (j > expStart) {
            i = j;
        }
    }
    return convertChecked(text.substr(0, i)).value_or(0.0);
}

namespace {

// Two digits at a time: "00" to "99".
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the digits of n backwards, ending at `end`; returns where they start.
char* writeDigitsBackwards(char* end, std::uint64_t n)
{
    while (n >= 100) {
        const std::uint64_t quotient = n / 100;
        end -= 2;
        std::memcpy(end, &kDigitPairs[static_cast<std::size_t>(2 * (n - quotient * 100))], 2);
        n = quotient;
    }
    if (n >= 10) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[static_cast<std::size_t>(2 * n)], 2);
    } else {
        *--end = static_cast<char>('0' + n);
    }
    return end;
}

// Fixed-point text of a value whose scaled magnitude is unambiguous to round: the
// common case, written without the general (and slow) exact conversion. Writes
// backwards, ending at `end`, and returns where the text starts, or null when the exact
// conversion must decide (huge values, ties).
char* fastFixed(char* end, double value, int decimals)
{
    static constexpr double kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    static constexpr std::uint64_t kWholePowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    if (decimals < 0 || decimals > 6 || !(std::fabs(value) < 1e12)) {
        return nullptr;
    }
    const double scaled = std::fabs(value) * kPowers[decimals];
    const auto whole = static_cast<std::uint64_t>(scaled);  // below 1e18: exact floor
    const double fraction = scaled - static_cast<double>(whole);
    // The product is within half an ulp of the exact one, and two ulps are at most its
    // magnitude times 2^-51: away from a tie by more, rounding it gives printf's answer.
    if (std::fabs(fraction - 0.5) <= scaled * 0x1p-51 + 1e-300) {
        return nullptr;
    }
    const std::uint64_t digits = whole + (fraction > 0.5 ? 1 : 0);
    const std::uint64_t unit = kWholePowers[decimals];
    const std::uint64_t integer = digits / unit;
    char* q = end;
    if (decimals > 0) {
        // The decimals with their leading zeros: unit + rest has exactly one digit more.
        q = writeDigitsBackwards(q, unit + (digits - integer * unit)) + 1;
        *--q = '.';
    }
    q = writeDigitsBackwards(q, integer);
    if (std::signbit(value)) {
        *--q = '-';
    }
    return q;
}

// Room for one fixed number of any double: 309 integer digits, sign, point, decimals.
constexpr std::size_t kFixedRoom = 400;
// What a conversion may write past its text: fixed-size copies are faster than exact ones.
constexpr std::size_t kSlack = 64;

// Writes "%[-]W.Pf" at p, which has kFixedRoom bytes plus the width (at most 64) plus
// kSlack; returns the end of the text.
char* writeFixed(char* p, double value, int decimals, int width, bool leftAlign)
{
    // The fast text ends at fast + 32, so a 32-byte copy from its start stays inside.
    char fast[64];
    const char* start = fastFixed(fast + 32, value, decimals);
    if (start) {
        const auto length = static_cast<int>(fast + 32 - start);
        const int padding = width > length ? width - length : 0;
        if (leftAlign) {
            std::memcpy(p, start, 32);
            std::memset(p + length, ' ', 64);
        } else {
            std::memset(p, ' ', 64);
            std::memcpy(p + padding, start, 32);
        }
        return p + length + padding;
    }
    char number[kFixedRoom];
    const char* end = std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, decimals).ptr;
    const auto length = static_cast<int>(end - number);
    const int padding = width > length ? width - length : 0;
    if (!leftAlign) {
        std::memset(p, ' ', static_cast<std::size_t>(padding));
        p += padding;
    }
    std::memcpy(p, number, static_cast<std::size_t>(length));
    p += length;
    if (leftAlign) {
        std::memset(p, ' ', static_cast<std::size_t>(padding));
        p += padding;
    }
    return p;
}

}  // namespace

void appendFixed(std::string& out, double value, int decimals, int width, bool leftAlign)
{
    width = std::clamp(width, 0, 64);
    char buf[kFixedRoom + 64 + kSlack];
    const char* end = writeFixed(buf, value, decimals, width, leftAlign);
    out.append(buf, static_cast<std::size_t>(end - buf));
}

std::string formatFixed(double value, int decimals)
{
    std::string out;
    appendFixed(out, value, decimals);
    return out;
}

void appendUnsigned(std::string& out, std::uint32_t value, int width, bool zeroPad, bool leftAlign)
{
    std::array<char, 16> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    const auto length = static_cast<int>(res.ptr - buf.data());
    const auto padding = static_cast<std::size_t>(width > length ? width - length : 0);
    if (!leftAlign) {
        out.append(padding, zeroPad ? '0' : ' ');
    }
    out.append(buf.data(), res.ptr);
    if (leftAlign) {
        out.append(padding, ' ');
    }
}

std::string formatInt(long long value)
{
    std::array<char, 24> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return std::string(buf.data(), res.ptr);
}

PrintfFormat::PrintfFormat(std::string format)
{
    std::size_t i = 0;
    Piece piece;
    piece.literalStart = 0;
    while (i < format.size()) {
        const char c = format[i++];
        if (c != '%') {
            text_ += c;
            continue;
        }
        if (i < format.size() && format[i] == '%') {
            text_ += '%';
            ++i;
            continue;
        }
        for (; i < format.size() && (format[i] == '-' || format[i] == '0'); ++i) {
            piece.leftAlign = piece.leftAlign || format[i] == '-';
            piece.zeroPad = piece.zeroPad || format[i] == '0';
        }
        for (; i < format.size() && isDigit(format[i]) && piece.width < 64; ++i) {
            piece.width = piece.width * 10 + (format[i] - '0');
        }
        if (i < format.size() && format[i] == '.') {
            piece.precision = 0;
            for (++i; i < format.size() && isDigit(format[i]) && piece.precision < 64; ++i) {
                piece.precision = piece.precision * 10 + (format[i] - '0');
            }
        }
        if (i >= format.size() || (format[i] != 'f' && format[i] != 'u') || piece.width >= 64 ||
            piece.precision >= 64) {
            throw std::logic_error("PrintfFormat: unknown conversion in " + format);
        }
        piece.conversion = format[i++];
        piece.literalLength = text_.size() - piece.literalStart;
        pieces_.push_back(piece);
        room_ += piece.literalLength + kFixedRoom + 64;
        piece = Piece{};
        piece.literalStart = text_.size();
    }
    piece.literalLength = text_.size() - piece.literalStart;
    pieces_.push_back(piece);
    room_ += piece.literalLength + kSlack;
    // Short literals are copied kSlack bytes at a time, reading into this padding.
    text_.append(kSlack, '\0');
}

void PrintfFormat::append(std::string& out, const PrintfArg* args, std::size_t count) const
{
    if (count + 1 != pieces_.size()) {
        throw std::logic_error("PrintfFormat: wrong number of arguments");
    }
    // Written into one buffer and appended once, on the stack for every entry the report has.
    char local[4096];
    std::string large;
    char* const begin = room_ <= sizeof local ? local : (large.resize(room_), large.data());
    char* p = begin;
    const PrintfArg* arg = args;
    for (const Piece& piece : pieces_) {
        if (piece.literalLength <= kSlack) {
            std::memcpy(p, text_.data() + piece.literalStart, kSlack);
        } else {
            std::memcpy(p, text_.data() + piece.literalStart, piece.literalLength);
        }
        p += piece.literalLength;
        if (piece.conversion == 0) {
            break;
        }
        if ((piece.conversion == 'u') != arg->isCount) {
            throw std::logic_error("PrintfFormat: argument of the wrong kind");
        }
        if (piece.conversion == 'u') {
            std::string number;
            appendUnsigned(number, arg->count, piece.width, piece.zeroPad && !piece.leftAlign, piece.leftAlign);
            std::memcpy(p, number.data(), number.size());
            p += number.size();
        } else {
            p = writeFixed(p, arg->number, piece.precision, piece.width, piece.leftAlign);
        }
        ++arg;
    }
    out.append(begin, static_cast<std::size_t>(p - begin));
}

void appendPrintf(std::string& out, std::string_view format, std::initializer_list<PrintfArg> args)
{
    PrintfFormat(std::string(format)).append(out, args);
}

std::string formatGeneral(double value)
{
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    if (value == 0.0) {
        return "0";
    }
    const Digits15 d = digits15(std::fabs(value));
    std::size_t significant = 15;
    while (significant > 1 && d.digits[significant - 1] == '0') {
        --significant;
    }
    std::string out = value < 0 ? "-" : "";
    if (d.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(d.digits.data(), significant);
        return out;
    }
    const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
    for (std::size_t i = 0; i < integerDigits; ++i) {
        out += i < significant ? d.digits[i] : '0';
    }
    if (significant > integerDigits) {
        out += '.';
        out.append(d.digits.data() + integerDigits, significant - integerDigits);
    }
    return out;
}

std::string formatCoordinate(double value)
{
    constexpr int kDecimals = 3;
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "+inf");
    }
    const Digits15 d = digits15(std::fabs(value));
    // The integer value x 10^3, as decimal digits, rounded halves away from zero.
    const int keep = d.exponent + 1 + kDecimals;
    std::string scaled;
    if (keep <= 0) {
        scaled = (keep == 0 && d.digits[0] >= '5') ? "1" : "0";
    } else if (keep >= 15) {
        scaled.assign(d.digits.data(), d.digits.size());
        scaled.append(static_cast<std::size_t>(keep - 15), '0');
    } else {
        scaled.assign(d.digits.data(), static_cast<std::size_t>(keep));
        if (d.digits[static_cast<std::size_t>(keep)] >= '5') {
            std::size_t i = scaled.size();
            while (i > 0 && scaled[i - 1] == '9') {
                scaled[--i] = '0';
            }
            if (i == 0) {
                scaled.insert(scaled.begin(), '1');
            } else {
                ++scaled[i - 1];
            }
        }
    }
    const bool zero = scaled.find_first_not_of('0') == std::string::npos;
    if (scaled.size() < kDecimals + 1) {
        scaled.insert(0, kDecimals + 1 - scaled.size(), '0');
    }
    scaled.insert(scaled.size() - kDecimals, 1, '.');
    return (value < 0 && !zero ? "-" : "+") + scaled;
}

HoursMinutes splitMinutes(double minutes)
{
    constexpr double kLimit = 9.0e15;  // whole minutes stay exact in a double below this
    double whole = std::round(minutes);
    if (std::isnan(whole)) {
        whole = 0.0;
    }
    whole = std::fmax(-kLimit, std::fmin(kLimit, whole));
    const auto total = static_cast<long long>(whole);
    return {total / 60, total % 60};
}

}  // namespace util
