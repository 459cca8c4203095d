// The texts of the block entries, readable in UTF-8. They become code page 932 once, when
// a BlockEntries object is made; "\n" separates the lines of one entry.
#pragma once

namespace report::labels {

inline constexpr const char* kRapid =
    "<div class=\"G00\">(早送):X %-8.3f Y %-8.3f Zs%-8.3f Ze%-8.3f L%-8.3f</div>\n";
inline constexpr const char* kDwell = "<div class=\"G04\">(ドウェル)</div>\n";
inline constexpr const char* kStop = "<div class=\"M00\">(ストップ)</div>\n";
inline constexpr const char* kOptionalStop = "<div class=\"M01\">(オプショナルストップ)</div>\n";
inline constexpr const char* kLine =
    "<div class=\"LINE\">(直線):X %-8.3f Y %-8.3f Z%-8.3f A%-8.3f L%-8.3f F%-8.0f</div>\n";
inline constexpr const char* kVertical =
    "<div class=\"VERTICAL\">(垂直):X %-8.3f Y %-8.3f Zs%-8.3f Ze%-8.3f L%-8.3f F%-8.0f</div>\n";
inline constexpr const char* kSlope =
    "<div class=\"SLOPE\">(傾斜):X %-8.3f Y %-8.3f Zs%-8.3f Ze%-8.3f A%-8.3f F%-8.0f </div>\n";
inline constexpr const char* kArc =
    "<div class=\"ARC\">(円弧):Xc%-8.3f Yc%-8.3f R%-8.3f Z%-8.3f L%-8.3f F%-8.0f</div>\n";
inline constexpr const char* kCircle =
    "<div class=\"CIR\">(真円):Xc%-8.3f Yc%-8.3f R%-8.3f Z%-8.3f L%-8.3f F%-8.0f</div>\n";
inline constexpr const char* kCompStart = "<div class=\"HOSEI-NO\">＜ G%02u  D%02u   L%-8.3f ＞</div>";
inline constexpr const char* kCompCancel = "<div class=\"HOSEI-NO\">＜  G40  ＞</div>\n";
inline constexpr const char* kHoleCount = "<div class=\"CYCLE\">(穴数):%u 個</div>\n";
inline constexpr const char* kCycleNameStart = "<div class=\"CYCLE\">";
inline constexpr const char* kCycleLevels =
    "<div class=\"CYCLE\">Z%-8.3f(%-8.3f肩) R点%-7.2f 復帰点%-7.2f</div>";
inline constexpr const char* kHole = "<div class=\"CYCLE\">(%-4u):X %-8.3f Y %-8.3f</div>";
inline constexpr const char* kCycleNameEnd = "</div>";
inline constexpr const char* kOvercut = "---------------------- 切込過ぎエラー -------------------\n";
inline constexpr const char* kArcRadiusError = "---------------------- 円弧半径エラー -------------------\n";

}  // namespace report::labels
