%
O0012 (FRÄSEN GRÜN ☺ 😀 工具)
T1 M06
G00 X0. Y0. Z5. (Ø10 → ①)
(latin1 line: caf�)
G01 Z-1. F80 (切込み <5> & 🔩)
X15.
M30
