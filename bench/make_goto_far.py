#!/usr/bin/env python3
"""Writes goto_far.vsl: a 30000-line program whose loop jumps to a label at
its end 20,000 times."""
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "goto_far.vsl"
lines = ["' A GOTO to a label at the end of a 30000-line program.",
         "DECLARE I%",
         "TOP:",
         "INC I%",
         'CASE @LT(I%, 20000) : GOTO "FAR"',
         "PRINT I%",
         "END"]
while len(lines) < 29998:
    lines.append("' filler")
lines += ["FAR:", 'GOTO "TOP"']
with open(out, "w") as f:
    f.write("\n".join(lines) + "\n")
