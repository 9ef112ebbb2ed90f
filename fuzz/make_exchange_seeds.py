#!/usr/bin/env python3
"""Writes the exchange reader's seed corpus: one small valid file per version.

Run from anywhere: python3 fuzz/make_exchange_seeds.py [OUTPUT_DIR]
(default: corpus/exchange beside this script). Output is deterministic.
"""
import os
import struct
import sys

BASE, FORCED_WEIGHTS, NODE_HANDLES, SPLINES, BLEND = 19980624, 20091202, 20100225, 20100407, 20140929
SEEDS = {
    "v19980624_base.tsm": BASE,
    "v20091202_forced_weights.tsm": FORCED_WEIGHTS,
    "v20100225_node_handles.tsm": NODE_HANDLES,
    "v20100407_splines.tsm": SPLINES,
    "v20140929_blend.tsm": BLEND,
}


def bone_block(version, name, handle, codes, weights, splines):
    out = name.encode("utf-8").ljust(256, b"\0")
    if version >= NODE_HANDLES:
        out += struct.pack("<I", handle)
    out += struct.pack("<ffi", 1.0, 1.5, len(codes)) + bytes(codes)
    if version >= FORCED_WEIGHTS and codes:
        out += struct.pack("<%df" % len(weights), *weights)
    if version >= SPLINES:
        out += struct.pack("<i", len(splines))
        out += b"".join(struct.pack("<f", s[0]) for s in splines)
        out += b"".join(struct.pack("<i", s[1]) for s in splines)
        out += b"".join(struct.pack("<3f", *s[2]) for s in splines)
        out += b"".join(struct.pack("<3f", *s[3]) for s in splines)
    return out


def exchange_file(version):
    # Two bones: one with an old-style packed weight code, one with no vertices.
    codes = [0x80, 0x00, 0xFE] if version > BASE else [0x80, 0x00, 0xC0]
    out = struct.pack("<ii", version, 2)
    out += bone_block(version, "Spine", 17, codes, [0.0, 0.0, 40.0],
                      [(0.5, 0, (0.0, 1.0, 0.0), (1.0, 0.0, 0.0))])
    out += bone_block(version, "Arm", 18, [], [], [])
    if version == BLEND:
        out += struct.pack("<i3f", 3, 1.0, 0.5, 0.0)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corpus", "exchange")
    os.makedirs(target, exist_ok=True)
    for name, version in SEEDS.items():
        with open(os.path.join(target, name), "wb") as f:
            f.write(exchange_file(version))


if __name__ == "__main__":
    main()
