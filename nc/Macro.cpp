#include "nc/Macro.h"

#include "nc/IsoNcWord.h"
#include "nc/Markers.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <cmath>
#include <cstring>

namespace nc {

namespace {

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Program text quoted in a message: UTF-8, control bytes shown, cut short.
std::string quoted(std::string_view cp932)
{
    return "「" + util::shownText(util::cp932ToUtf8(cp932), 40) + "」";
}

double orZero(const MacroValue& v)
{
    return v.value_or(0.0);
}

std::string shownValue(const MacroValue& v)
{
    return v ? util::formatFixed(*v, 3) : std::string("空");
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

class Parser {
public:
    Parser(std::string_view text, std::size_t pos, MacroMemory& memory) : text_(text), pos_(pos), memory_(memory) {}

    std::size_t pos() const { return pos_; }
    void skipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }
    bool atEnd()
    {
        skipBlanks();
        return pos_ >= text_.size() || text_[pos_] == '(' || text_[pos_] == ';';
    }
    char peek()
    {
        skipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    // An upper-case word at the position, not followed by another letter.
    bool keyword(std::string_view word)
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
    void expect(char c, const char* what)
    {
        if (peek() != c) {
            throw MacroError(std::string(what) + "がありません: " + quoted(text_), true);
        }
        ++pos_;
    }

    MacroValue expression() { return orLevel(); }

    // The variable a '#' names: its number, or its name (#<name>).
    struct Variable {
        int number = 0;
        std::string name;
    };
    Variable variable()
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
    MacroValue read(const Variable& v) const { return v.number < 0 ? memory_.named(v.name) : memory_.get(v.number); }

private:
    double literal()
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

    MacroValue orLevel()
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
    MacroValue andLevel()
    {
        MacroValue left = comparison();
        while (keyword("AND")) {
            left = static_cast<double>(whole(orZero(left)) & whole(orZero(comparison())));
        }
        return left;
    }
    MacroValue comparison()
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
    MacroValue additive()
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
    MacroValue multiplicative()
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
    MacroValue unary()
    {
        const char c = peek();
        if (c == '-' || c == '+') {
            ++pos_;
            const double v = orZero(unary());
            return c == '-' ? -v : v;
        }
        return primary();
    }
    MacroValue bracketed()
    {
        expect('[', "[ ");
        const MacroValue v = expression();
        expect(']', "] ");
        return v;
    }
    MacroValue primary()
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
    MacroValue function()
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

    std::string_view text_;
    std::size_t pos_;
    MacroMemory& memory_;
};

// After the block-delete mark and the sequence number: where the statement begins.
std::size_t statementStart(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') {
        ++i;
    }
    if (i < line.size() && (line[i] == 'N' || line[i] == 'n') && i + 1 < line.size() && isDigit(line[i + 1])) {
        ++i;
        while (i < line.size() && isDigit(line[i])) {
            ++i;
        }
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
    }
    return i;
}

bool startsWithWord(std::string_view text, std::string_view word)
{
    return text.substr(0, word.size()) == word && (text.size() == word.size() || !isUpper(text[word.size()]));
}

MacroLine assignment(Parser& parser, MacroMemory& memory, const std::string& prefix)
{
    const Parser::Variable target = parser.variable();
    parser.expect('=', "代入の = ");
    const MacroValue value = parser.expression();
    if (!parser.atEnd()) {
        throw MacroError("代入の後に読めない文字があります");
    }
    const std::string name = target.number < 0 ? "#<" + util::shownText(util::cp932ToUtf8(target.name), 40) + ">"
                                               : "#" + util::formatInt(target.number);
    if (target.number < 0) {
        memory.setNamed(target.name, value);
    } else {
        memory.set(target.number, value);
    }
    MacroLine out;
    out.kind = MacroLine::Kind::Statement;
    out.entry = prefix + name + " = " + shownValue(value);
    return out;
}

long long sequenceTarget(Parser& parser, const char* what)
{
    const MacroValue target = parser.expression();
    if (!target || *target < 0.0 || *target > 99999999.0) {
        throw MacroError(std::string(what) + " の飛び先がありません");
    }
    return std::llround(*target);
}

// The number a word of `letter` takes a value in, to its least increment.
std::string wordNumber(char letter, double value, bool inch)
{
    const char upper = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
    if (upper == 'G') {
        std::string text = util::formatGeneral(value);
        return text;
    }
    if (!isIntegerLetter(upper) || upper == 'F' || upper == 'E') {
        std::string text = util::formatFixed(value, inch ? 4 : 3);
        if (text.starts_with("-") && text.find_first_not_of("-0.") == std::string::npos) {
            text.erase(0, 1);  // -0.000 is 0
        }
        return text;
    }
    return util::formatInt(std::llround(value));
}

// The line with each expression after an address letter replaced by its value; a word
// whose value is vacant is left out, as if not given. Comments go as they are.
bool substitute(std::string_view line, MacroMemory& memory, bool inch, std::string& out)
{
    bool changed = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '(') {
            const std::size_t close = line.find(')', i);
            const std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
            out.append(line.substr(i, end - i));
            i = end;
            continue;
        }
        if (c == ';') {
            out.append(line.substr(i));
            break;
        }
        const bool letter = isUpper(c) || (c >= 'a' && c <= 'z');
        if (!letter) {
            out += c;
            ++i;
            continue;
        }
        // An address: its value may be an expression.
        std::size_t j = i + 1;
        while (j < line.size() && line[j] == ' ') {
            ++j;
        }
        std::size_t k = j;
        if (k < line.size() && (line[k] == '-' || line[k] == '+')) {
            ++k;
            while (k < line.size() && line[k] == ' ') {
                ++k;
            }
        }
        if (k >= line.size() || (line[k] != '#' && line[k] != '[')) {
            out += c;
            ++i;
            continue;
        }
        Parser parser(line, k, memory);
        MacroValue value;
        try {
            value = line[k] == '#' ? parser.read(parser.variable()) : parser.expression();
        } catch (const MacroError& error) {
            if (!error.syntax()) {
                throw;
            }
            // No expression (a bracketed comment, "XY [FEED FOR X AND Y]"): as written.
            out += c;
            ++i;
            continue;
        }
        if (value && line[j] == '-') {
            value = -*value;
        }
        changed = true;
        if (value) {
            out += c;
            out += wordNumber(c, *value, inch);
        }
        // The blanks after the expression stay as they were written.
        i = parser.pos();
        while (i > k && line[i - 1] == ' ') {
            --i;
        }
    }
    return changed;
}

}  // namespace

MacroMemory::MacroMemory() : locals_(1) {}

MacroValue MacroMemory::get(int number) const
{
    if (number == 0) {
        return std::nullopt;
    }
    if (number >= 1 && number <= 33) {
        return locals_.back()[static_cast<std::size_t>(number)];
    }
    if (number >= 100 && number <= 199) {
        return common100_[static_cast<std::size_t>(number - 100)];
    }
    if (number >= 500 && number <= 999) {
        return common500_[static_cast<std::size_t>(number - 500)];
    }
    if (number >= 1000 && system) {
        return system(number);
    }
    throw MacroError("変数 #" + util::formatInt(number) + " はありません");
}

void MacroMemory::set(int number, MacroValue value)
{
    if (number >= 1 && number <= 33) {
        locals_.back()[static_cast<std::size_t>(number)] = value;
    } else if (number >= 100 && number <= 199) {
        common100_[static_cast<std::size_t>(number - 100)] = value;
    } else if (number >= 500 && number <= 999) {
        common500_[static_cast<std::size_t>(number - 500)] = value;
    } else if (number >= 1000 && setSystem) {
        setSystem(number, value);
    } else {
        throw MacroError("変数 #" + util::formatInt(number) + " には代入できません");
    }
}

MacroValue MacroMemory::named(const std::string& name) const
{
    const auto it = named_.find(name);
    return it == named_.end() ? std::nullopt : it->second;
}

void MacroMemory::setNamed(const std::string& name, MacroValue value)
{
    named_[name] = value;
}

void MacroMemory::pushLocals(const std::array<MacroValue, 33>& arguments)
{
    std::array<MacroValue, 34> level{};
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        level[k + 1] = arguments[k];
    }
    locals_.push_back(level);
}

void MacroMemory::popLocals()
{
    if (locals_.size() > 1) {
        locals_.pop_back();
    }
}

bool hasMacroSyntax(std::string_view line)
{
    if (line.empty()) {
        return false;  // an empty view may hold no memory at all
    }
    if (std::memchr(line.data(), '#', line.size()) || std::memchr(line.data(), '[', line.size())) {
        return true;
    }
    // A statement word: most lines begin with another letter, and one look tells.
    std::size_t first = 0;
    while (first < line.size() && line[first] == ' ') {
        ++first;
    }
    if (first < line.size() && line[first] != 'N' && line[first] != 'n' && line[first] != 'I' && line[first] != 'G' &&
        line[first] != 'W' && line[first] != 'E' && line[first] != 'D') {
        return false;
    }
    const std::size_t start = statementStart(line);
    if (start >= line.size()) {
        return false;
    }
    switch (line[start]) {
    case 'I':
    case 'G':
    case 'W':
    case 'E':
    case 'D': {
        const std::string_view rest = line.substr(start);
        return startsWithWord(rest, "IF") || startsWithWord(rest, "GOTO") || startsWithWord(rest, "WHILE") ||
               startsWithWord(rest, "END") || startsWithWord(rest, "DO");
    }
    default:
        return false;
    }
}

MacroLine readMacroLine(std::string_view line, MacroMemory& memory, bool inch)
{
    MacroLine out;
    const std::size_t start = statementStart(line);
    if (start < line.size() && line[start] == '/') {
        return out;  // block delete: not read, as every such line
    }
    const std::string_view rest = line.substr(start);
    Parser parser(line, start, memory);
    if (!rest.empty() && rest.front() == '#') {
        return assignment(parser, memory, {});
    }
    if (startsWithWord(rest, "IF")) {
        parser.keyword("IF");
        if (parser.peek() != '[') {
            throw MacroError("IF の条件 [ ] がありません");
        }
        const MacroValue condition = parser.expression();
        const bool holds = orZero(condition) != 0.0;
        if (parser.keyword("GOTO")) {
            const long long target = sequenceTarget(parser, "GOTO");
            out.kind = holds ? MacroLine::Kind::Jump : MacroLine::Kind::Statement;
            out.target = target;
            out.entry = holds ? "IF 成立 → N" + util::formatInt(target) : std::string("IF 不成立");
            return out;
        }
        if (parser.keyword("THEN")) {
            if (!holds) {
                out.kind = MacroLine::Kind::Statement;
                out.entry = "IF 不成立";
                return out;
            }
            if (parser.peek() != '#') {
                throw MacroError("THEN の後に代入がありません");
            }
            return assignment(parser, memory, "IF 成立 → ");
        }
        throw MacroError("IF の後に GOTO も THEN もありません");
    }
    if (startsWithWord(rest, "GOTO")) {
        parser.keyword("GOTO");
        out.kind = MacroLine::Kind::Jump;
        out.target = sequenceTarget(parser, "GOTO");
        out.entry = "GOTO → N" + util::formatInt(out.target);
        return out;
    }
    if (startsWithWord(rest, "WHILE") || startsWithWord(rest, "DO")) {
        bool holds = true;
        if (parser.keyword("WHILE")) {
            if (parser.peek() != '[') {
                throw MacroError("WHILE の条件 [ ] がありません");
            }
            holds = orZero(parser.expression()) != 0.0;
        }
        if (!parser.keyword("DO")) {
            throw MacroError("WHILE の後に DO がありません");
        }
        out.kind = MacroLine::Kind::While;
        out.target = sequenceTarget(parser, "DO");
        out.holds = holds;
        return out;
    }
    if (startsWithWord(rest, "END")) {
        parser.keyword("END");
        out.kind = MacroLine::Kind::End;
        out.target = sequenceTarget(parser, "END");
        return out;
    }
    if (substitute(line, memory, inch, out.text)) {
        out.kind = MacroLine::Kind::Block;
        // A word left out at the end leaves no blank behind, as the reader drops them.
        while (!out.text.empty() && out.text.back() == ' ') {
            out.text.pop_back();
        }
    } else {
        out.text.clear();
    }
    return out;
}

MacroValue evaluateMacro(std::string_view expression, MacroMemory& memory)
{
    Parser parser(expression, 0, memory);
    const MacroValue value = parser.expression();
    if (!parser.atEnd()) {
        throw MacroError("式の後に読めない文字があります");
    }
    return value;
}

}  // namespace nc
