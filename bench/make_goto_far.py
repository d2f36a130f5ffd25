#!/usr/bin/env python3
"""Writes goto_far.vsl: a 30000-line program whose loop jumps to a label at
its end 20,000 times; with --twins FOLDER also its yabasic and Lua twins
(goto_far.yab, goto_far.lua) into FOLDER."""
import os
import sys


def program(comment, head, tail):
    lines = [comment + " A GOTO to a label at the end of a 30000-line program."] + head
    while len(lines) < 30000 - len(tail):
        lines.append(comment + " filler")
    return "\n".join(lines + tail) + "\n"


args = sys.argv[1:]
twins = None
if len(args) >= 2 and args[0] == "--twins":
    twins = args[1]
    args = args[2:]
out = args[0] if args else "goto_far.vsl"
with open(out, "w") as f:
    f.write(program("'", ["DECLARE I%", "TOP:", "INC I%", 'CASE @LT(I%, 20000) : GOTO "FAR"',
                          "PRINT I%", "END"], ["FAR:", 'GOTO "TOP"']))
if twins:
    with open(os.path.join(twins, "goto_far.yab"), "w") as f:
        f.write(program("rem", ["i = 0", "label top", "i = i + 1", "if (i < 20000) goto far",
                                "print i", "end"], ["label far", "goto top"]))
    with open(os.path.join(twins, "goto_far.lua"), "w") as f:
        f.write(program("--", ["local i = 0", "::top::", "i = i + 1", "if i < 20000 then goto far end",
                               "print(i)", "goto done"], ["::far::", "goto top", "::done::"]))
