#include "util/Number.h"

#include "util/UserError.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace util {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

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
        if (res.ec == std::errc::result_out_of_range) {
            return negative;
        }
        digitExponent += negative ? -exponent : exponent;
    }
    return digitExponent < 0;
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

void appendFixed(std::string& out, double value, int decimals, int width, bool leftAlign)
{
    // 309 integer digits, a sign, a point and the decimals always fit.
    std::array<char, 400> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, decimals);
    const auto length = static_cast<int>(res.ptr - buf.data());
    const int padding = width > length ? width - length : 0;
    if (!leftAlign) {
        out.append(static_cast<std::size_t>(padding), ' ');
    }
    out.append(buf.data(), res.ptr);
    if (leftAlign) {
        out.append(static_cast<std::size_t>(padding), ' ');
    }
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

void appendPrintf(std::string& out, std::string_view format, std::initializer_list<PrintfArg> args)
{
    auto arg = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(format.substr(i));
            return;
        }
        out.append(format.substr(i, percent - i));
        i = percent + 1;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool leftAlign = false;
        bool zeroPad = false;
        for (; i < format.size() && (format[i] == '-' || format[i] == '0'); ++i) {
            leftAlign = leftAlign || format[i] == '-';
            zeroPad = zeroPad || format[i] == '0';
        }
        int width = 0;
        for (; i < format.size() && isDigit(format[i]); ++i) {
            width = width * 10 + (format[i] - '0');
        }
        int precision = 6;
        if (i < format.size() && format[i] == '.') {
            precision = 0;
            for (++i; i < format.size() && isDigit(format[i]); ++i) {
                precision = precision * 10 + (format[i] - '0');
            }
        }
        if (i >= format.size() || arg == args.end() || (format[i] != 'f' && format[i] != 'u') ||
            (format[i] == 'u') != arg->isCount) {
            throw std::logic_error("appendPrintf: format and arguments do not match");
        }
        if (format[i] == 'u') {
            appendUnsigned(out, arg->count, width, zeroPad && !leftAlign, leftAlign);
        } else {
            appendFixed(out, arg->number, precision, width, leftAlign);
        }
        ++arg;
        ++i;
    }
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
