// Small stateless helpers shared by every layer: signs, larger and smaller of two
// numbers, and byte-wise operations on 8-bit (code page 932) texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace util {

int signOf(double x);
int signOfInt(int a);
double maxOf(double a, double b);
double minOf(double a, double b);
void swapDoubles(double& a, double& b);

// A double as the integer a code or count needs: truncated toward zero, saturated at
// the 32-bit limits, NaN as 0, so no input value makes the conversion undefined.
int truncToInt(double x);

// The pieces between delimiter bytes, in order; runs of delimiters give no empty pieces.
std::vector<std::string> splitText(const char* text, const char* delimiters);
std::vector<std::string> splitString(std::string_view text, std::string_view delimiters);

// 0-based byte offset of the first occurrence, -1 if none; an empty pattern gives 0.
int textIndexOf(std::string_view text, std::string_view pattern);

// The first number at or after the first occurrence of the key (the whole text when
// the key is absent). Never fails: no number, or one out of range, reads as 0.0.
double numberAfter(std::string_view text, std::string_view key);

std::string leftText(std::string_view text, int n);

// The byte at a 1-based position; outside 1..size throws std::out_of_range.
char charAt(std::string_view text, int position);

// The text up to and including the first occurrence of the pattern; empty if absent.
std::string textThrough(std::string_view text, std::string_view pattern);

}  // namespace util
