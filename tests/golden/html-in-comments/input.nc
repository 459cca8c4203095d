(DEPTH<5 & WIDTH>2)
<script>alert(1)</script>
G00 X1. Y1. Z1.
M30
