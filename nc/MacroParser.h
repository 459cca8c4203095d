// The expressions of custom macros: a recursive-descent reader over one line's text, binding
// from the tightest: functions and brackets, signs, * / MOD, + -, comparisons, AND, OR XOR;
// a vacant variable counts as 0 except where EQ and NE compare it.
// For nc/Macro.cpp alone.
#pragma once

#include "nc/Macro.h"
#include "util/Number.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace nc::macro {

inline bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

using util::isDigit;

inline double orZero(const MacroValue& v)
{
    return v.value_or(0.0);
}

// Reads from `pos` of `text`; throws MacroError (with `syntax` where the text is no
// expression at all).
class Parser {
public:
    Parser(std::string_view text, std::size_t pos, MacroMemory& memory) : text_(text), pos_(pos), memory_(memory) {}

    std::size_t pos() const { return pos_; }
    void skipBlanks();
    bool atEnd();
    char peek();
    // An upper-case word at the position, not followed by another letter.
    bool keyword(std::string_view word);
    void expect(char c, const char* what);

    MacroValue expression() { return orLevel(); }

    // The variable a '#' names: its number, or its name (#<name>).
    struct Variable {
        int number = 0;
        std::string name;
    };
    Variable variable();
    MacroValue read(const Variable& v) const { return v.number < 0 ? memory_.named(v.name) : memory_.get(v.number); }

private:
    double literal();

    MacroValue orLevel();
    MacroValue andLevel();
    MacroValue comparison();
    MacroValue additive();
    MacroValue multiplicative();
    MacroValue unary();
    MacroValue bracketed();
    MacroValue primary();
    MacroValue function();

    std::string_view text_;
    std::size_t pos_;
    MacroMemory& memory_;
};

}  // namespace nc::macro
