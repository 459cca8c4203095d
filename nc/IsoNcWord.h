// One NC word and the fixed table of 31 slots into which the words of a block are sorted:
// ten G-code groups, then one slot per accepted address letter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nc {

struct IsoNcWord {
    char letter = 'N';  // upper-case address letter; N for a word made without text
    double value = 0.0;  // already scaled by the reader's number rules
    bool operator==(const IsoNcWord&) const = default;
};

enum class WordSlot : std::uint8_t {
    GOther,       // every G code of no group below (kept, never used)
    GNonModal,    // 4, 28, 29, 30, 52, 53, 92
    GMotion,      // 0, 1, 2, 3, 33
    GPlane,       // 17, 18, 19
    GDistance,    // 90, 91
    GCutterComp,  // 40, 41, 42
    GLengthComp,  // 43, 44, 49
    GCycle,       // 73, 74, 76, 80 to 89
    GReturn,      // 98, 99
    GWork,        // 54 to 59
    O, N, X, Y, Z, A, B, C, I, J, K, F, S, T, H, D, M, R, Q, P, L,
};

inline constexpr std::size_t kWordSlotCount = 31;

constexpr std::size_t slotIndex(WordSlot slot)
{
    return static_cast<std::size_t>(slot);
}

// The slot of a G code (already truncated toward zero) by its modal group.
WordSlot gCodeSlot(int code);

namespace detail {
// What the word scan needs of a character, looked up once a word: tables, because the
// scan reads every word of every program.
struct LetterInfo {
    bool accepted = false;    // an address letter other than G
    bool coordinate = false;  // A B C I J K Q R X Y Z
    WordSlot slot = WordSlot::GOther;
};
inline constexpr std::array<LetterInfo, 256> kLetters = [] {
    std::array<LetterInfo, 256> table{};
    constexpr std::string_view letters = "ONXYZABCIJKFSTHDMRQPL";
    for (std::size_t k = 0; k < letters.size(); ++k) {
        table[static_cast<unsigned char>(letters[k])] = {true, false,
                                                         static_cast<WordSlot>(slotIndex(WordSlot::O) + k)};
    }
    for (const char c : std::string_view("ABCIJKQRXYZ")) {
        table[static_cast<unsigned char>(c)].coordinate = true;
    }
    return table;
}();
// The letters' order above is the slots' order.
static_assert(kLetters['O'].slot == WordSlot::O && kLetters['X'].slot == WordSlot::X &&
              kLetters['F'].slot == WordSlot::F && kLetters['L'].slot == WordSlot::L);
static_assert(!kLetters['G'].accepted && !kLetters['x'].accepted && kLetters['R'].coordinate &&
              !kLetters['F'].coordinate);
}  // namespace detail

// False for the coordinate letters A B C I J K Q R X Y Z, whose numbers without a point
// are in thousandths; true for every other letter.
inline bool isIntegerLetter(char letter)
{
    return !detail::kLetters[static_cast<unsigned char>(letter)].coordinate;
}

// The slot of an accepted address letter (not G); false when the letter is not accepted.
inline bool letterSlot(char letter, WordSlot& slot)
{
    const detail::LetterInfo& info = detail::kLetters[static_cast<unsigned char>(letter)];
    if (info.accepted) {
        slot = info.slot;
    }
    return info.accepted;
}

}  // namespace nc
