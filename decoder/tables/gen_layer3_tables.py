#!/usr/bin/env python3
"""Generates the static Layer III tables of the decoder from the plain-text tables in source/.

    gen_layer3_tables.py [--out DIR]

writes DIR/layer3_huffman_data.cpp and DIR/layer3_band_data.cpp (DIR defaults to decoder/).
The output is deterministic, so a test can re-run this script and compare.

Huffman lookup format (one uint32 per entry, independent of byte order):
  header  = width | 0xFF << 24
  leaf    = (x & 0xFF) | (y & 0xFF) << 8 | escape << 16 | length << 24   (length 1..21, never 0)
  node    = offset in uint32 units from this table's header to the sub-table's header (< 2^24)
A table is its header followed by 2^width entries indexed by the next `width` bits. The codes
looked up are the pair codes followed by their sign bits, so a leaf holds the signed pair and
the length of code and signs. With linbits, a pair holding a 15 is an escape leaf instead: its
sign bits follow the linbits, so the leaf holds the unsigned pair and the code's length alone.

Count1 lookup format (one uint16 per entry): length << 8 | value vwxy << 4 | sign bits, by the
next 10 bits (table A: a code of up to 6 bits and its signs) or 8 bits (table B: 4 and signs).
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "source")

# First-level lookup widths by code table (fixed: one peek resolves the common codes with their
# signs).
FIRST_WIDTH = {1: 5, 2: 8, 3: 8, 5: 9, 6: 9, 7: 9, 8: 9, 9: 9, 10: 10, 11: 10, 12: 10, 13: 10,
               15: 10, 16: 10, 24: 10}
# Code tables whose value 15 escapes to linbits (all tables they serve have linbits).
LINBITS_CODES = {16, 24}
# Widest sub-table: bounds the size of the deep, rarely used parts of tables 13, 15, 16.
SUB_WIDTH_CAP = 6

HEADER_MARK = 0xFF << 24


def read_rows(name):
    with open(os.path.join(SOURCE, name), encoding="ascii") as f:
        lines = f.read().splitlines()
    assert lines[0].startswith("# "), name
    return [line.split(" ") for line in lines[1:]]


def int_rows(name):
    return [[int(v) for v in row] for row in read_rows(name)]


# ---------------------------------------------------------------------------------------------
# Huffman tables


def signed_codes(codes, escapes):
    """The pair codes [(bits, x, y)] extended by their sign bits: [(bits, x, y, escape)]."""
    out = []
    for bits, x, y in codes:
        if escapes and (x == 15 or y == 15):
            out.append((bits, x, y, 1))
            continue
        signs = [v for v in (x, y) if v != 0]
        for s in range(1 << len(signs)):
            tail = format(s, f"0{len(signs)}b") if signs else ""
            sx = -x if x != 0 and tail[0] == "1" else x
            sy = -y if y != 0 and tail[-1] == "1" else y
            out.append((bits + tail, sx, sy, 0))
    return out


def build_lookup(codes, width, out):
    """Appends a table for `codes` [(bits, x, y, escape)] (bits relative to this level) to out.

    Returns the index of the table's header in out."""
    base = len(out)
    out.append(width | HEADER_MARK)
    out.extend([None] * (1 << width))
    groups = {}
    for bits, x, y, escape in codes:
        n = len(bits)
        if n <= width:
            first = int(bits, 2) << (width - n)
            for i in range(first, first + (1 << (width - n))):
                assert out[base + 1 + i] is None, "codes not prefix-free"
                out[base + 1 + i] = (x & 0xFF) | (y & 0xFF) << 8 | escape << 16 | n << 24
        else:
            groups.setdefault(int(bits[:width], 2), []).append((bits[width:], x, y, escape))
    for prefix in sorted(groups):
        rest = groups[prefix]
        sub_width = min(max(len(b) for b, _, _, _ in rest), SUB_WIDTH_CAP)
        sub = build_lookup(rest, sub_width, out)
        assert out[base + 1 + prefix] is None
        out[base + 1 + prefix] = sub - base
    assert all(e is not None for e in out[base + 1:base + 1 + (1 << width)]), "incomplete code"
    return base


def huffman_source():
    tables = int_rows("l3_huffman_tables.txt")
    pairs = {}
    for t, x, y, hlen, code in read_rows("l3_huffman_pairs.txt"):
        assert len(code) == int(hlen)
        pairs.setdefault(int(t), []).append((code, int(x), int(y)))

    lines = []
    depth_note = []
    total_entries = 0
    for t in sorted(pairs):
        width = FIRST_WIDTH[t]
        out = []
        codes = signed_codes(pairs[t], t in LINBITS_CODES)
        build_lookup(codes, width, out)
        total_entries += len(out)
        longest = max(len(c) for c, _, _, _ in codes)
        depth_note.append(f"{t}:{len(out)}")
        lines.append(f"// Code table {t}: first level {width} bits, longest code with signs {longest} bits.")
        lines.append(f"const uint32_t kLookup{t}[{len(out)}] = {{")
        for i in range(0, len(out), 8):
            lines.append("    " + ", ".join(f"0x{v:08X}u" for v in out[i:i + 8]) + ",")
        lines.append("};")
        lines.append("")

    desc = []
    for t, linbits, xlen, _ylen, _xmax, _ymax, codes_from, ncodes in tables:
        if ncodes == 0:
            desc.append(f"    {{nullptr, 0, 0}},  // {t}: all zero")
            continue
        assert xlen == 16 or linbits == 0
        assert (linbits > 0) == (codes_from in LINBITS_CODES)
        longest = max(len(c) for c, _, _, _ in signed_codes(pairs[codes_from], linbits > 0))
        if linbits > 0:
            kind = 3
        elif longest <= FIRST_WIDTH[codes_from]:
            kind = 1
        else:
            kind = 2
        desc.append(f"    {{kLookup{codes_from}, {linbits}, {kind}}},  // {t}")

    quads = {}
    for t, vwxy, _v, _w, _x, _y, hlen, code in read_rows("l3_huffman_quads.txt"):
        assert len(code) == int(hlen)
        quads.setdefault(int(t), []).append((code, int(vwxy)))
    count1 = {}
    for select, width, longest in ((0, 10, 6), (1, 8, 4)):
        entries = [None] * (1 << width)
        for code, value in quads[select]:
            assert len(code) <= longest
            nonzero = bin(value).count("1")
            for signs in range(1 << nonzero):
                bits = code + (format(signs, f"0{nonzero}b") if nonzero else "")
                n = len(bits)
                first = int(bits, 2) << (width - n)
                for i in range(first, first + (1 << (width - n))):
                    assert entries[i] is None
                    entries[i] = n << 8 | value << 4 | signs
        assert all(e is not None for e in entries)
        count1[select] = entries

    text = [
        "// clang-format off",
        "// Generated by decoder/tables/gen_layer3_tables.py from decoder/tables/source/; do not edit.",
        f"// Layer III Huffman lookup tables ({total_entries * 4} bytes of lookup data).",
        '#include "layer3_standard_tables.h"',
        "",
        "namespace {",
        "",
    ]
    text += lines
    text += ["}  // namespace", "", "const TMPHuffTable Layer3HuffTables[32] = {"]
    text += desc
    text += ["};", ""]
    for select, name in ((0, "Layer3Count1A"), (1, "Layer3Count1B")):
        entries = count1[select]
        text.append(f"const uint16_t {name}[{len(entries)}] = {{")
        for i in range(0, len(entries), 12):
            text.append("    " + ", ".join(f"0x{v:04X}" for v in entries[i:i + 12]) + ",")
        text += ["};", ""]
    return "\n".join(text)


# ---------------------------------------------------------------------------------------------
# Scalefactor bands and the small integer tables


def band_source():
    version_of = {3: 1, 2: 0, 0: 2}  # header version bits -> table set (1 MPEG-1, 0 MPEG-2, 2 2.5)
    rates = {}
    for row in int_rows("sampling_rates.txt"):
        rates[version_of[row[0]]] = row[1:4]
    long_rows = {row[0]: row[1:] for row in int_rows("l3_sfb_long.txt")}
    short_rows = {row[0]: row[1:] for row in int_rows("l3_sfb_short.txt")}

    text = [
        "// clang-format off",
        "// Generated by decoder/tables/gen_layer3_tables.py from decoder/tables/source/; do not edit.",
        "// Layer III scalefactor bands, pretab, scalefactor lengths and alias coefficients.",
        '#include "layer3_standard_tables.h"',
        "",
        "const int32_t Layer3BandBoundaries[3][3][37] = {",
    ]
    for s in range(3):
        text.append("    {")
        for rate in rates[s]:
            lb, sb = long_rows[rate], short_rows[rate]
            assert len(lb) == 23 and lb[0] == 0 and lb[22] == 576
            assert len(sb) == 14 and sb[0] == 0 and sb[13] == 192
            assert all(a < b for a, b in zip(lb, lb[1:])) and all(a < b for a, b in zip(sb, sb[1:]))
            text.append(f"        // {rate} Hz: 23 long, then 14 short boundaries")
            text.append("        {" + ", ".join(map(str, lb)) + ",")
            text.append("         " + ", ".join(map(str, sb)) + "},")
        text.append("    },")
    text.append("};")
    text.append("")

    pretab = [row[1] for row in int_rows("l3_pretab.txt")]
    assert len(pretab) == 22
    text.append("const int32_t Layer3Pretab[2][22] = {")
    text.append("    {" + ", ".join(["0"] * 22) + "},")
    text.append("    {" + ", ".join(map(str, pretab)) + "},")
    text.append("};")
    text.append("")

    slen = int_rows("l3_slen_mpeg1.txt")
    assert [r[0] for r in slen] == list(range(16))
    text.append("const int32_t Layer3SlenMpeg1[16][2] = {")
    text.append("    " + ", ".join(f"{{{a}, {b}}}" for _, a, b in slen) + ",")
    text.append("};")
    text.append("")

    # Group sizes in bands: short counts are values of three windows; a mixed block starts with
    # six long bands and continues in short bands 3.. (a first group larger than six long bands
    # is split there, the split-off part keeping the first group's length).
    groups = {}
    for row, block, *n in int_rows("l3_lsf_nr_of_sfb.txt"):
        if block == 0:
            g = n
        elif block == 1:
            assert all(v % 3 == 0 for v in n)
            g = [v // 3 for v in n]
        else:
            assert n[0] >= 6 and all(v % 3 == 0 for v in [n[0] - 6] + n[1:])
            if n[0] == 6:
                g = [6] + [v // 3 for v in n[1:]]
            else:
                assert n[3] == 0
                g = [6, (n[0] - 6) // 3, n[1] // 3, n[2] // 3]
        groups[(row, block)] = g
    text.append("const int32_t Layer3LsfGroupBands[6][3][4] = {")
    for row in range(6):
        parts = ", ".join("{" + ", ".join(map(str, groups[(row, b)])) + "}" for b in range(3))
        text.append(f"    {{{parts}}},")
    text.append("};")
    text.append("")

    alias = [row for row in read_rows("l3_alias.txt")]
    assert [int(r[0]) for r in alias] == list(range(8))
    text.append("const double Layer3AliasCoefficients[8] = {")
    text.append("    " + ", ".join(r[1] for r in alias) + ",")
    text.append("};")
    text.append("")
    return "\n".join(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(HERE), help="output directory")
    args = parser.parse_args()
    outputs = {"layer3_huffman_data.cpp": huffman_source(), "layer3_band_data.cpp": band_source()}
    for name, content in outputs.items():
        with open(os.path.join(args.out, name), "w", encoding="ascii", newline="\n") as f:
            f.write(content)
    return 0


if __name__ == "__main__":
    sys.exit(main())
