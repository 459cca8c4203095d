#include "nc/IsoNcBlock.h"

#include "nc/Markers.h"
#include "util/Cp932.h"
#include "util/Kazu.h"
#include "util/Number.h"
#include "util/UserError.h"

#include <algorithm>

namespace nc {

using util::isDigit;

namespace {

constexpr std::string_view kNoNumber = "0.0";

constexpr std::array<IsoNcWord, kWordSlotCount> kDefaults{{
    {'N', 0.0},               // GOther: a word made without text
    {'G', 92.0},              // GNonModal
    {'G', 0.0},               // GMotion
    {'G', 17.0},              // GPlane
    {'G', 90.0},              // GDistance
    {'G', 40.0},              // GCutterComp
    {'G', 49.0},              // GLengthComp
    {'G', 80.0},              // GCycle
    {'G', 98.0},              // GReturn
    {'G', 54.0},              // GWork
    {'O', 1000.0},
    {'N', 1.0},
    {'X', kUnknownPosition},
    {'Y', kUnknownPosition},
    {'Z', kUnknownPosition},
    {'A', 0.0},
    {'B', 0.0},
    {'C', 0.0},
    {'I', 0.0},
    {'J', 0.0},
    {'K', 0.0},
    {'F', 10.0},
    {'S', 10.0},
    {'T', 0.0},
    {'H', 0.0},
    {'D', 0.0},
    {'M', 9.0},
    {'R', 5.0},
    {'Q', 1.0},
    {'P', 2000.0},
    {'L', 1.0},
}};

bool startsNumber(char c)
{
    return c == '-' || c == '+' || c == '.' || isDigit(c);
}

char foldUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isIncrementalAxis(WordSlot slot)
{
    return slot == WordSlot::X || slot == WordSlot::Y || slot == WordSlot::Z || slot == WordSlot::A ||
           slot == WordSlot::B || slot == WordSlot::C;
}

}  // namespace

namespace {

// extractNumber's body, kept internal so the word scan gets it inlined.
inline ExtractedNumber scanNumber(std::string_view line, std::size_t position)
{
    // Pointers, not indices: this loop reads every number of every program, and so
    // each character costs fewer instructions.
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin + std::min(position, line.size());
    while (p != end && *p == ' ') {
        ++p;
    }
    while (p != end && !startsNumber(*p)) {
        ++p;
    }
    if (p == end) {
        return {kNoNumber, line.size(), true, 0.0, true};
    }
    const char* const start = p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    // One character is taken whatever it is (a digit or the point, or what makes the
    // text fail to convert, as in -A5). The digits are gathered as an integer on the way.
    std::uint64_t digits = 0;
    int digitCount = 0;
    int decimals = 0;
    bool point = p != end && *p == '.';
    bool plain = point;  // only digits and the point so far
    if (p != end) {
        if (isDigit(*p)) {
            digits = static_cast<std::uint64_t>(*p - '0');
            digitCount = 1;
            plain = true;
        }
        ++p;
    }
    const char* digitsFrom = p;
    while (p != end && isDigit(*p)) {
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');  // wraps only past 19 digits
        ++p;
    }
    digitCount += static_cast<int>(p - digitsFrom);
    decimals += point ? static_cast<int>(p - digitsFrom) : 0;
    if (!point && p != end && *p == '.') {
        point = true;
        ++p;
        digitsFrom = p;
        while (p != end && isDigit(*p)) {
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
            ++p;
        }
        digitCount += static_cast<int>(p - digitsFrom);
        decimals += static_cast<int>(p - digitsFrom);
    }
    const auto next = static_cast<std::size_t>(p - begin);
    ExtractedNumber number{std::string_view(start, static_cast<std::size_t>(p - start)), next, false, 0.0, point};
    // Up to 15 digits, the integer and the power of ten are exact doubles and one
    // division rounds correctly.
    if (plain && digitCount > 0 && digitCount <= 15) {
        static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                             1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        // Whole numbers (codes, sequence numbers, "X0.") need no division: it is the slow part.
        const double whole = static_cast<double>(digits);
        const double value = decimals == 0 ? whole : whole / kPowers[decimals];
        number.converted = true;
        number.value = negative ? -value : value;
    }
    return number;
}

}  // namespace

ExtractedNumber extractNumber(std::string_view line, std::size_t position)
{
    return scanNumber(line, position);
}

IsoNcBlock::IsoNcBlock()
{
    reset();
}

void IsoNcBlock::rememberAxes()
{
    for (std::size_t k = 0; k < previousAxes_.size(); ++k) {
        previousAxes_[k] = words_[slotIndex(WordSlot::X) + k].value;
    }
}

void IsoNcBlock::reset()
{
    words_ = kDefaults;
    lineText_ = "%";
    rememberAxes();
    given_.reset();
    motionCode_ = 0;
    inchMode_ = false;
}

void IsoNcBlock::setLine(std::string_view text)
{
    lineText_.assign(text.data(), text.size());
    tokenize();
}

void IsoNcBlock::setWordValue(WordSlot slot, double value)
{
    words_[slotIndex(slot)].value = value;
    given_.set(slotIndex(slot));
}

void IsoNcBlock::forgetWord(WordSlot slot, double value)
{
    words_[slotIndex(slot)].value = value;
    given_.reset(slotIndex(slot));
}

void IsoNcBlock::tokenize()
{
    // Block start, for every line whatever it holds. Centre offsets never carry
    // over; the motion code's given flag stays once any motion code has been read.
    for (const WordSlot offset : {WordSlot::I, WordSlot::J, WordSlot::K}) {
        words_[slotIndex(offset)].value = 0.0;
    }
    rememberAxes();
    const bool motionGiven = given_.test(slotIndex(WordSlot::GMotion));
    given_.reset();
    given_.set(slotIndex(WordSlot::GMotion), motionGiven);

    // Line classification. Only the first letter of the line is folded to upper
    // case; a comment, separator, block-delete or any non-letter start has no words.
    const std::string_view line = lineText_;
    readWords_.clear();
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    scanEnd_ = pos;
    if (pos >= line.size()) {
        return;
    }
    char letter = foldUpper(line[pos]);

    // Word scan, until a character that is not an accepted letter. A G word's slot
    // depends on its code; every other letter has its own.
    WordSlot slot = WordSlot::GOther;
    while (letter == 'G' || letterSlot(letter, slot)) {
        const ExtractedNumber number = scanNumber(line, pos + 1);
        const std::size_t letterAt = pos;
        pos = number.next;

        double value = number.value;
        if (!number.converted) {
            const auto parsed = util::tryParseDouble(number.text);
            if (!parsed) {
                throw util::ConversionError(util::cp932ToUtf8(number.text));
            }
            value = *parsed;
        }
        if (!wholeUnits_ && !isIntegerLetter(letter) && !number.point) {
            // An inch control reads ten-thousandths; dividing keeps 25400 exactly 2.54.
            value = inchMode_ ? value / 10000.0 : value * 0.001;
        }
        const bool noNumber = number.text.data() == kNoNumber.data();
        // The number scan passes over anything that cannot start a number ("P F15." gives
        // P the 15.): note when it passed more than blanks.
        bool skipped = false;
        if (!noNumber) {
            for (std::size_t i = letterAt + 1; line.data() + i < number.text.data(); ++i) {
                skipped = skipped || line[i] != ' ';
            }
        }
        readWords_.push_back({letter, number.point, noNumber, skipped, value, number.text});

        if (letter == 'G') {
            const int code = util::truncToInt(value);
            slot = gCodeSlot(code);
            // Like G91, the unit applies from this word on.
            if (code == 20 || code == 21) {
                inchMode_ = code == 20;
            }
        }
        if (slot == WordSlot::GMotion) {
            // A motion code cancels any canned cycle.
            words_[slotIndex(WordSlot::GCycle)] = {'G', 80.0};
            given_.set(slotIndex(WordSlot::GCycle));
            motionCode_ = util::truncToInt(value);
        }
        // The G91 test is made word by word: it applies to the words after it.
        if (isIncrementalAxis(slot) && words_[slotIndex(WordSlot::GDistance)].value == 91.0) {
            value += previousWordValue(slot);
        }
        words_[slotIndex(slot)] = {letter, value};
        given_.set(slotIndex(slot));

        while (pos < line.size() && line[pos] == ' ') {
            ++pos;
        }
        scanEnd_ = pos;
        if (pos >= line.size()) {
            return;
        }
        letter = anyCase_ ? foldUpper(line[pos]) : line[pos];
    }
}

}  // namespace nc
