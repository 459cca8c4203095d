%
O0014 (BOUCLE ☺)
T1 M06
#1=0
WHILE [#1 GT 5] DO 1 (skipped ☺)
G00 X9. (café 😀 passed over)
END 1
IF [#1 EQ 0] GOTO 20 (jump é)
G00 X8. (🔩 passed over too, a long comment to be past the jump line)
N20 G00 X1. Y2. (Ø10 → ①)
M30
%
