#include "report/CycleNames.h"

namespace report {

namespace {

constexpr std::string_view kUnknownCycle = "未知のサイクル";

constexpr CycleNameTable kCycleNames{{
    {73, "ペックドリリングサイクル（高速深穴あけ）"},
    {74, "逆タッピングサイクル"},
    {0, {}},
    {76, "ファインボーリングサイクル（シフトリターン）"},
    {0, {}},
    {0, {}},
    {0, {}},
    {80, "固定サイクルキャンセル"},
    {81, "ドリルサイクル（センター）"},
    {82, "ドリルサイクル（座ｸﾞﾘ）"},
    {83, "ペックドリリングサイクル（深穴あけ）"},
    {84, "タッピングサイクル（逆転リターン）"},
    {85, "ボーリングサイクル（正転リターン）"},
    {86, "ボーリングサイクル（停止リターン）"},
    {87, "バックボーリングサイクル（シフトリターン）"},
    {88, "ボーリングサイクル（手動リターン）"},
    {89, "ボーリングサイクル（ドウェルリターン）"},
}};

}  // namespace

const CycleNameTable& cycleNames()
{
    return kCycleNames;
}

std::string_view cycleName(int code)
{
    if (code < kFirstCycleCode || code > kLastCycleCode) {
        return kUnknownCycle;
    }
    const CycleName& entry = kCycleNames[static_cast<std::size_t>(code - kFirstCycleCode)];
    return entry.code == 0 ? kUnknownCycle : entry.name;
}

}  // namespace report
