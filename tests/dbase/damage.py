"""dBase files, sound or damaged on purpose, for the program tests' setup
(as `damage`): tables with one character field, indexes of two levels over
them, memo files."""
import struct


def table(values, width=10, name=b"NAME", count=None, hlen=None, rlen=None, memo_width=0):
    """A table with the field NAME C(width) (and MEMO M(10) when memo_width)
    holding values; count, hlen and rlen replace the header's numbers."""
    fields = [(name, b"C", width)] + ([(b"MEMO", b"M", 10)] if memo_width else [])
    real_hlen = 32 * len(fields) + 33
    real_rlen = 1 + sum(f[2] for f in fields)
    head = struct.pack("<BBBBIHH", 0x83 if memo_width else 0x03, 96, 1, 2,
                       len(values) if count is None else count,
                       real_hlen if hlen is None else hlen, real_rlen if rlen is None else rlen) + b"\0" * 20
    desc = b"".join(n.ljust(11, b"\0") + t + b"\0" * 4 + bytes([w, 0]) + b"\0" * 14 for n, t, w in fields)
    recs = b""
    for v in values:
        text, memo = (v, b"") if not isinstance(v, tuple) else v
        recs += b" " + text.ljust(width)[:width] + (memo.rjust(10) if memo_width else b"")
    return head + desc + b"\r" + recs + b"\x1a"


def index(pairs, key_len, expr, per_leaf=4, next_free=None, root=None, pages=None):
    """A character index of two levels over (key, record) pairs in key order:
    leaves of per_leaf entries and one root. pages, when given, edits the
    page list (a list of bytearrays, page 0 the header) before it is joined."""
    entry = (key_len + 8 + 3) // 4 * 4
    leaves = [pairs[i:i + per_leaf] for i in range(0, len(pairs), per_leaf)]
    body = []
    for leaf in leaves:
        p = bytearray(512)
        struct.pack_into("<I", p, 0, len(leaf))
        for i, (k, r) in enumerate(leaf):
            struct.pack_into("<II", p, 4 + i * entry, 0, r)
            p[12 + i * entry:12 + i * entry + key_len] = k.ljust(key_len)[:key_len]
        body.append(p)
    rootp = bytearray(512)
    struct.pack_into("<I", rootp, 0, len(leaves) - 1)
    for i, leaf in enumerate(leaves):
        struct.pack_into("<I", rootp, 4 + i * entry, i + 1)
        if i < len(leaves) - 1:
            k = leaf[-1][0]
            rootp[12 + i * entry:12 + i * entry + key_len] = k.ljust(key_len)[:key_len]
    all_pages = [bytearray(512)] + body + [rootp]
    head = all_pages[0]
    struct.pack_into("<IIIHHHH", head, 0, len(all_pages) - 1 if root is None else root,
                     len(all_pages) if next_free is None else next_free, 0, key_len, 504 // entry, 0, entry)
    head[24:24 + len(expr)] = expr
    if pages:
        pages(all_pages)
    return b"".join(bytes(p) for p in all_pages)


def memo_file(texts, next_free=None):
    """A memo file holding texts (bytes) from block 1 on; returns the file and
    the start block of each text."""
    data = bytearray(512)
    starts = []
    for t in texts:
        starts.append(len(data) // 512)
        body = t + b"\x1a"
        data += body + b"\0" * (-len(body) % 512)
    struct.pack_into("<I", data, 0, len(data) // 512 if next_free is None else next_free)
    return bytes(data), starts
