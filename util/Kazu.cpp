#include "util/Kazu.h"

#include "util/Number.h"

#include <bitset>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace util {

int signOf(double x)
{
    if (x > 0) {
        return 1;
    }
    return x >= 0 ? 0 : -1;
}

int signOfInt(int a)
{
    return (a > 0) - (a < 0);
}

double maxOf(double a, double b)
{
    return a >= b ? a : b;
}

double minOf(double a, double b)
{
    return a <= b ? a : b;
}

void swapDoubles(double& a, double& b)
{
    std::swap(a, b);
}

int truncToInt(double x)
{
    if (std::isnan(x)) {
        return 0;
    }
    constexpr double kMin = std::numeric_limits<int>::min();
    constexpr double kMax = std::numeric_limits<int>::max();
    if (x <= kMin) {
        return std::numeric_limits<int>::min();
    }
    if (x >= kMax) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(x);
}

std::vector<std::string> splitString(std::string_view text, std::string_view delimiters)
{
    std::bitset<256> isDelimiter;
    for (const char c : delimiters) {
        isDelimiter.set(static_cast<unsigned char>(c));
    }
    std::vector<std::string> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isDelimiter.test(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !isDelimiter.test(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        if (i > start) {
            pieces.emplace_back(text.substr(start, i - start));
        }
    }
    return pieces;
}

std::vector<std::string> splitText(const char* text, const char* delimiters)
{
    return splitString(text ? std::string_view(text) : std::string_view(),
                       delimiters ? std::string_view(delimiters) : std::string_view());
}

int textIndexOf(std::string_view text, std::string_view pattern)
{
    const auto p = text.find(pattern);
    if (p == std::string_view::npos || p > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return -1;
    }
    return static_cast<int>(p);
}

double numberAfter(std::string_view text, std::string_view key)
{
    const auto p = text.find(key);
    std::string_view rest = p == std::string_view::npos ? text : text.substr(p);
    std::size_t i = 0;
    while (i < rest.size()) {
        const char c = rest[i];
        if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) {
            return leadingNumber(rest.substr(i));
        }
        ++i;
    }
    return 0.0;
}

std::string leftText(std::string_view text, int n)
{
    if (n <= 0) {
        return {};
    }
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

char charAt(std::string_view text, int position)
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) {
        throw std::out_of_range("charAt: position outside the text");
    }
    return text[static_cast<std::size_t>(position - 1)];
}

std::string textThrough(std::string_view text, std::string_view pattern)
{
    const auto p = text.find(pattern);
    if (p == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(0, p + pattern.size()));
}

}  // namespace util
