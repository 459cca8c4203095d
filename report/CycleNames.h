// Names of the canned cycles G73 to G89, as the cycle heading shows them (UTF-8).
#pragma once

#include <array>
#include <string_view>

namespace report {

inline constexpr int kFirstCycleCode = 73;
inline constexpr int kLastCycleCode = 89;

struct CycleName {
    int code = 0;  // 0: no name for this code
    std::string_view name;
};

using CycleNameTable = std::array<CycleName, kLastCycleCode - kFirstCycleCode + 1>;

// The table indexed by code - 73.
const CycleNameTable& cycleNames();

// The name of a cycle code, or "未知のサイクル" for a code without one.
std::string_view cycleName(int code);

}  // namespace report
