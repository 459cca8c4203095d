#include "nc/Macro.h"
#include "nc/MacroParser.h"

#include "nc/IsoNcWord.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <cmath>
#include <cstring>

namespace nc {

namespace {

using macro::isDigit;
using macro::isUpper;
using macro::orZero;
using macro::Parser;

std::string shownValue(const MacroValue& v)
{
    return v ? util::formatFixed(*v, 3) : std::string("空");
}

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
    // Each statement word has a first letter of its own: one comparison a line.
    const std::string_view rest = line.substr(start);
    switch (rest.front()) {
    case 'I':
        return startsWithWord(rest, "IF");
    case 'G':
        return startsWithWord(rest, "GOTO");
    case 'W':
        return startsWithWord(rest, "WHILE");
    case 'E':
        return startsWithWord(rest, "END");
    case 'D':
        return startsWithWord(rest, "DO");
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
