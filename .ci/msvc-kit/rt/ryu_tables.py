#!/usr/bin/env python3
"""Writes the tables std::to_chars(double, chars_format::fixed, precision) reads (Ryu's d2fixed,
__POW10_SPLIT and __POW10_SPLIT_2), which msvcprt.lib's static part holds and no Debian package
ships, computed from their definition; the row counts and offsets are read from the STL header.
Usage: ryu_tables.py STL_INC/xcharconv_ryu_tables.h > tables.inc"""
import re
import sys

header = open(sys.argv[1]).read()


def array(name):
    body = re.search(r"\b%s\[[^]]*\] = \{([^}]*)\}" % name, header).group(1)
    return [int(x) for x in body.replace("\n", " ").split(",") if x.strip()]


ADDITIONAL_BITS = 120
# A block of nine digits is (m * mul >> j) mod 1e9 with j in [120, 136): mul is needed modulo
# 1e9 << 136 only, which keeps it within three 64-bit words.
MODULUS = 10**9 << 136


def ceil_div(a, b):
    return -(-a // b)


def rows(name, values):
    out = ["const uint64_t %s[%d][3] = {" % (name, len(values))]
    for v in values:
        v %= MODULUS
        out.append("    {%du, %du, %du}," % (v & (2**64 - 1), (v >> 64) & (2**64 - 1), v >> 128))
    out.append("};")
    return "\n".join(out)


# Digits left of the point: block i of 2^e2 * m, for e2 in the sixteen exponents of idx.
offset = array("__POW10_OFFSET") + [1224]
split = []
for idx in range(len(offset) - 1):
    for i in range(offset[idx + 1] - offset[idx]):
        split.append(ceil_div(1 << (16 * idx + ADDITIONAL_BITS), 10 ** (9 * i)))
# Digits right of the point: block i of m / 2^-e2, from the first block that can be non-zero.
offset2 = array("__POW10_OFFSET_2")
min_block = array("__MIN_BLOCK_2")
split2 = []
for idx in range(len(offset2) - 1):
    for i in range(min_block[idx], min_block[idx] + offset2[idx + 1] - offset2[idx]):
        split2.append(ceil_div(10 ** (9 * (i + 1)) << ADDITIONAL_BITS, 1 << (16 * idx)))
assert len(split) == 1224 and len(split2) == 3133
print(rows("__POW10_SPLIT", split))
print(rows("__POW10_SPLIT_2", split2))
