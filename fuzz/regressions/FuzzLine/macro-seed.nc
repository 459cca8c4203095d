
#1=5
#2=[#1*2+SIN[30]]/[1-1]
G01 X[#1+#2] Y-#1 F[ATAN[1]/[-1]]
IF [#1 GT 2 AND #2 EQ #0] THEN #3=POW[2,10]
WHILE [#1 LT 9] DO 1
G00 X#[#1] Z#<a b>
END 1
