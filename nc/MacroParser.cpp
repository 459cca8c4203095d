#include "nc/MacroParser.h"

#include "nc/Markers.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <cmath>
#include <cstdint>

namespace nc::macro {

namespace {

// Program text quoted in a message: UTF-8, control bytes shown, cut short.
std::string quoted(std::string_view cp932)
{
    return "「" + util::shownText(util::cp932ToUtf8(cp932), 40) + "」";
}

// A whole number an operation on integers takes: the value rounded.
std::int64_t whole(double v)
{
    if (!std::isfinite(v) || std::fabs(v) > 9.0e15) {
        throw MacroError("整数として扱えない値です: " + util::formatGeneral(v));
    }
    return static_cast<std::int64_t>(std::llround(v));
}

double degrees(double radians)
{
    return radians * kDegPerRad;
}

}  // namespace

void Parser::skipBlanks()
{
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
        ++pos_;
    }
}

bool Parser::atEnd()
{
    skipBlanks();
    return pos_ >= text_.size() || text_[pos_] == '(' || text_[pos_] == ';';
}

char Parser::peek()
{
    skipBlanks();
    return pos_ < text_.size() ? text_[pos_] : '\0';
}

bool Parser::keyword(std::string_view word)
{
    skipBlanks();
    if (text_.substr(pos_, word.size()) != word) {
        return false;
    }
    const std::size_t after = pos_ + word.size();
    if (after < text_.size() && isUpper(text_[after])) {
        return false;
    }
    pos_ = after;
    return true;
}

void Parser::expect(char c, const char* what)
{
    if (peek() != c) {
        throw MacroError(std::string(what) + "がありません: " + quoted(text_), true);
    }
    ++pos_;
}

Parser::Variable Parser::variable()
{
    expect('#', "# ");
    skipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '<') {
        const std::size_t close = text_.find('>', pos_);
        if (close == std::string_view::npos) {
            throw MacroError("変数名の > がありません", true);
        }
        Variable v;
        for (std::size_t i = pos_ + 1; i < close; ++i) {
            const char c = text_[i];
            if (c != ' ' && c != '\t') {
                v.name += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            }
        }
        pos_ = close + 1;
        v.number = -1;
        return v;
    }
    double number = 0.0;
    if (pos_ < text_.size() && text_[pos_] == '[') {
        ++pos_;
        number = orZero(expression());
        expect(']', "] ");
    } else if (pos_ < text_.size() && text_[pos_] == '#') {
        number = orZero(read(variable()));
    } else {
        number = literal();
    }
    const double rounded = std::round(number);
    if (rounded < 0.0 || rounded > 99999.0) {
        throw MacroError("変数番号 #" + util::formatGeneral(number) + " はありません");
    }
    return {static_cast<int>(rounded), {}};
}

double Parser::literal()
{
    skipBlanks();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (isDigit(text_[pos_]) || text_[pos_] == '.')) {
        ++pos_;
    }
    const auto value = util::tryParseDouble(text_.substr(start, pos_ - start));
    if (start == pos_ || !value) {
        throw MacroError("式を読めません: " + quoted(text_.substr(start)), true);
    }
    return *value;
}

MacroValue Parser::orLevel()
{
    MacroValue left = andLevel();
    for (;;) {
        if (keyword("OR")) {
            left = static_cast<double>(whole(orZero(left)) | whole(orZero(andLevel())));
        } else if (keyword("XOR")) {
            left = static_cast<double>(whole(orZero(left)) ^ whole(orZero(andLevel())));
        } else {
            return left;
        }
    }
}

MacroValue Parser::andLevel()
{
    MacroValue left = comparison();
    while (keyword("AND")) {
        left = static_cast<double>(whole(orZero(left)) & whole(orZero(comparison())));
    }
    return left;
}

MacroValue Parser::comparison()
{
    const MacroValue left = additive();
    static constexpr std::string_view kOperators[] = {"EQ", "NE", "GT", "LT", "GE", "LE"};
    for (const std::string_view op : kOperators) {
        if (!keyword(op)) {
            continue;
        }
        const MacroValue right = additive();
        bool holds = false;
        if (op == "EQ" || op == "NE") {
            // Vacant is told apart from 0 here, and only here.
            const bool equal = left.has_value() == right.has_value() && (!left || *left == *right);
            holds = op == "EQ" ? equal : !equal;
        } else {
            const double a = orZero(left);
            const double b = orZero(right);
            holds = op == "GT" ? a > b : op == "LT" ? a < b : op == "GE" ? a >= b : a <= b;
        }
        return holds ? 1.0 : 0.0;
    }
    return left;
}

MacroValue Parser::additive()
{
    MacroValue left = multiplicative();
    for (;;) {
        const char c = peek();
        if (c != '+' && c != '-') {
            return left;
        }
        ++pos_;
        const double right = orZero(multiplicative());
        left = c == '+' ? orZero(left) + right : orZero(left) - right;
    }
}

MacroValue Parser::multiplicative()
{
    MacroValue left = unary();
    for (;;) {
        const char c = peek();
        if (c == '*' || c == '/') {
            ++pos_;
            const double right = orZero(unary());
            if (c == '/' && right == 0.0) {
                throw MacroError("0 で割っています");
            }
            left = c == '*' ? orZero(left) * right : orZero(left) / right;
        } else if (keyword("MOD")) {
            const std::int64_t right = whole(orZero(unary()));
            if (right == 0) {
                throw MacroError("0 で割っています (MOD)");
            }
            left = static_cast<double>(whole(orZero(left)) % right);
        } else {
            return left;
        }
    }
}

MacroValue Parser::unary()
{
    const char c = peek();
    if (c == '-' || c == '+') {
        ++pos_;
        const double v = orZero(unary());
        return c == '-' ? -v : v;
    }
    return primary();
}

MacroValue Parser::bracketed()
{
    expect('[', "[ ");
    const MacroValue v = expression();
    expect(']', "] ");
    return v;
}

MacroValue Parser::primary()
{
    const char c = peek();
    if (c == '[') {
        return bracketed();
    }
    if (c == '#') {
        return read(variable());
    }
    if (isDigit(c) || c == '.') {
        return literal();
    }
    if (isUpper(c)) {
        return function();
    }
    throw MacroError("式を読めません: " + quoted(text_.substr(pos_)), true);
}

MacroValue Parser::function()
{
    const std::size_t start = pos_;
    while (pos_ < text_.size() && isUpper(text_[pos_])) {
        ++pos_;
    }
    const std::string_view name = text_.substr(start, pos_ - start);
    if (name == "POW") {
        expect('[', "[ ");
        const double a = orZero(expression());
        expect(',', ", ");
        const double b = orZero(expression());
        expect(']', "] ");
        const double v = std::pow(a, b);
        if (!std::isfinite(v)) {
            throw MacroError("POW の値がありません");
        }
        return v;
    }
    const double a = orZero(bracketed());
    if (name == "ATAN") {
        // ATAN[a]/[b]: the angle of the point (b, a), 0 to 360 degrees.
        if (peek() == '/' && pos_ + 1 < text_.size()) {
            const std::size_t slash = pos_;
            ++pos_;
            if (peek() == '[') {
                const double b = orZero(bracketed());
                if (a == 0.0 && b == 0.0) {
                    throw MacroError("ATAN[0]/[0] の角度はありません");
                }
                const double angle = degrees(std::atan2(a, b));
                return angle < 0.0 ? angle + 360.0 : angle;
            }
            pos_ = slash;
        }
        return degrees(std::atan(a));
    }
    if (name == "SIN") {
        return std::sin(a * kRadPerDeg);
    }
    if (name == "COS") {
        return std::cos(a * kRadPerDeg);
    }
    if (name == "TAN") {
        return std::tan(a * kRadPerDeg);
    }
    if (name == "ASIN" || name == "ACOS") {
        if (a < -1.0 || a > 1.0) {
            throw MacroError(std::string(name) + " の引数 " + util::formatGeneral(a) + " が -1 から 1 の外です");
        }
        return degrees(name == "ASIN" ? std::asin(a) : std::acos(a));
    }
    if (name == "SQRT") {
        if (a < 0.0) {
            throw MacroError("負の数 " + util::formatGeneral(a) + " の平方根です");
        }
        return std::sqrt(a);
    }
    if (name == "ABS") {
        return std::fabs(a);
    }
    if (name == "ROUND") {
        return std::round(a);
    }
    if (name == "FIX") {
        return std::trunc(a);
    }
    if (name == "FUP") {
        return a < 0.0 ? std::floor(a) : std::ceil(a);
    }
    if (name == "LN") {
        if (a <= 0.0) {
            throw MacroError("LN の引数 " + util::formatGeneral(a) + " が 0 以下です");
        }
        return std::log(a);
    }
    if (name == "EXP") {
        const double v = std::exp(a);
        if (!std::isfinite(v)) {
            throw MacroError("EXP の値が大きすぎます");
        }
        return v;
    }
    if (name == "BCD" || name == "BIN") {
        std::int64_t n = whole(a);
        if (n < 0) {
            throw MacroError(std::string(name) + " の引数が負の数です");
        }
        std::int64_t out = 0;
        std::int64_t place = 1;
        for (; n > 0; place *= name == "BCD" ? 16 : 10) {
            const std::int64_t digit = name == "BCD" ? n % 10 : n % 16;
            if (name == "BIN" && digit > 9) {
                throw MacroError("BIN の引数が BCD ではありません");
            }
            out += digit * place;
            n /= name == "BCD" ? 10 : 16;
        }
        return static_cast<double>(out);
    }
    throw MacroError("関数 " + quoted(name) + " はありません", true);
}

}  // namespace nc::macro
