// The block reader: the line being read, the 31 word slots with their values of the
// current and the previous block, the per-block given flags and the motion code.
// It knows nothing of motion or time; IsoNcAnalyzer adds that.
#pragma once

#include "nc/IsoNcWord.h"

#include <array>
#include <cassert>
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace nc {

// The number text that belongs to the letter just before `position`, and where the
// scan goes on. A letter with no number gets the text "0.0". The common number (a sign,
// at most 15 digits, one point) is also converted on the way, as the full conversion
// would; `converted` says so.
struct ExtractedNumber {
    std::string_view text;
    std::size_t next = 0;
    bool converted = false;
    double value = 0.0;
    bool point = false;  // the text holds a decimal point
};
ExtractedNumber extractNumber(std::string_view line, std::size_t position);

// One word as the scan read it, for checks of how the program is written.
struct ReadWord {
    char letter = 'G';           // upper case
    bool point = false;          // its number text holds a decimal point
    bool noNumber = false;       // no number followed the letter: read as 0
    bool skipped = false;        // characters other than blanks stood between letter and number
    double value = 0.0;          // as read: scaled by the number rules, before G91 adds
    std::string_view text;       // the number text as written, within lineView()
};

class IsoNcBlock {
public:
    IsoNcBlock();
    virtual ~IsoNcBlock() = default;
    IsoNcBlock(const IsoNcBlock&) = delete;
    IsoNcBlock& operator=(const IsoNcBlock&) = delete;

    // Loads the word defaults; lineText becomes "%".
    void reset();

    // Stores the line and splits it into words. A number text that does not convert
    // throws util::ConversionError; the words stored before it stay.
    virtual void setLine(std::string_view text);
    virtual std::string lineText() const { return lineText_; }
    std::string_view lineView() const { return lineText_; }

    double wordValue(WordSlot slot) const { return words_[slotIndex(slot)].value; }
    // Of an axis slot (X Y Z A B C): its value at the end of the previous block.
    double previousWordValue(WordSlot slot) const
    {
        assert(slot >= WordSlot::X && slot <= WordSlot::C);
        return previousAxes_[slotIndex(slot) - slotIndex(WordSlot::X)];
    }
    const IsoNcWord& word(WordSlot slot) const { return words_[slotIndex(slot)]; }
    bool isWordGiven(WordSlot slot) const { return given_.test(slotIndex(slot)); }
    // Consumes a one-shot code (M06, G04, M00/M01) so it does not stay modal; marks it given.
    void setWordValue(WordSlot slot, double value);

    int motionCode() const { return motionCode_; }
    // Every word of the line in order, several of one slot included (the slots keep the
    // last); valid until the next line.
    const std::vector<ReadWord>& readWords() const { return readWords_; }
    // Where the word scan stopped: the line's length when it read to the end.
    std::size_t scanEnd() const { return scanEnd_; }
    // G20 in force: a coordinate number without a point is in ten-thousandths, rapids
    // are timed in inches. Millimetres until a G20 word; G21 goes back.
    bool isInchMode() const { return inchMode_; }
    // Controls set up for it read a coordinate number without a point as whole units.
    void setWholeUnits(bool whole) { wholeUnits_ = whole; }
    // Controls set up for it read lower-case address letters as upper case; by default
    // only a line's first letter is.
    void setAnyCase(bool any) { anyCase_ = any; }
    bool isLinearMotion() const { return motionCode_ == 1; }
    bool isRapidMotion() const { return motionCode_ == 0; }

protected:
    void tokenize();
    // Sets a slot's value and clears its given flag, as if the block had not given it.
    void forgetWord(WordSlot slot, double value);

private:
    void rememberAxes();
    std::string lineText_;                          // the line last set; "%" after reset
    std::array<IsoNcWord, kWordSlotCount> words_{};  // current, modal value of every slot
    // X Y Z A B C at the end of the previous block: only the axes are ever asked, and
    // all 31 slots were copied at every line for them.
    std::array<double, 6> previousAxes_{};
    std::bitset<kWordSlotCount> given_;             // given in this block; GMotion's stays set once read
    int motionCode_ = 0;                            // truncated last GMotion code: 0, 1, 2, 3 or 33
    std::vector<ReadWord> readWords_;               // the words of the line, in order
    std::size_t scanEnd_ = 0;                       // where the word scan stopped
    bool inchMode_ = false;                         // G20 read, and no G21 after it
    bool wholeUnits_ = false;                       // numbers without a point are not scaled
    bool anyCase_ = false;                          // lower-case letters are read as upper case
};

}  // namespace nc
