#!/usr/bin/env python3
"""The BMP reader on the files of bmp_samples.py: every good file is accepted
with its size and colours, every broken one rejected; and SAVEBMP's layout
written for each depth, byte by byte."""
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bmp_samples  # noqa: E402


def main():
    check = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as d:
        files = {}
        for name, (data, colors) in bmp_samples.good().items():
            files["good_" + name] = (data, colors)
        for name, data in bmp_samples.bad().items():
            files["bad_" + name] = (data, None)
        paths = []
        for name, (data, _) in files.items():
            p = os.path.join(d, name + ".bmp")
            with open(p, "wb") as f:
                f.write(data)
            paths.append(p)
        out = subprocess.run([check, "read"] + paths, capture_output=True, text=True, check=True).stdout
        seen = {}
        for line in out.splitlines():
            path, rest = line.split(" ", 1)
            seen[os.path.basename(path)[:-4]] = rest
        for name, (_, colors) in files.items():
            got = seen.get(name)
            if colors is None:
                if got != "rejected":
                    failures.append("%s: accepted (%s)" % (name, (got or "")[:40]))
                continue
            want = "%d %d %s" % (len(colors[0]), len(colors),
                                 ",".join("%06x" % c for r in colors for c in r))
            if got != want:
                failures.append("%s: got %s, want %s" % (name, got, want))

        # The written layout: header fields, the colour table of 2^b entries
        # for b <= 8 (none above), four zero bytes, then the rows.
        for w, h, bits in ((3, 2, 1), (5, 3, 4), (5, 3, 8), (5, 3, 16), (5, 3, 24), (5, 3, 32)):
            p = os.path.join(d, "w%d.bmp" % bits)
            subprocess.run([check, "write", str(w), str(h), str(bits), p], check=True)
            data = open(p, "rb").read()
            t = 4 << bits if bits <= 8 else 0
            s = (bits * w + 31) // 32 * 4 * h
            want = b"BM" + struct.pack("<IIIIiiHHIIiiII", t + s + 58, 0, t + 58, 40, w, h, 1, bits,
                                       0, s, 0, 0, 0, 0)
            want += bytes(i & 255 for i in range(t)) + b"\0" * 4 + bytes((7 * i) & 255 for i in range(s))
            if data != want:
                failures.append("write %d bits: %r" % (bits, data[:64]))
            # And read back, through the gap.
            got = subprocess.run([check, "read", p], capture_output=True, text=True, check=True).stdout
            if "rejected" in got:
                failures.append("write %d bits: not read back" % bits)

    for f in failures:
        print("FAIL", f)
    print("%d files, %d failures" % (len(files), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
