// How findings show what the program says: its text quoted as written, numbers and words.
#pragma once

#include "nc/IsoNcBlock.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace checks {

inline constexpr std::size_t kShownBytes = 40;  // of NC text quoted in a message

// NC text for a message: at most kShownBytes, cut between characters, as UTF-8.
std::string quoted(std::string_view text);
std::string decimal(double value);
// A word as written: its letter and its number's text.
std::string word(const nc::ReadWord& w);

}  // namespace checks
