#!/usr/bin/env python3
"""Writes the seeds of the RGB-sync server's fuzz target to tests/fuzz/corpus/rgb_packets/.

A seed is one client's byte stream after a first byte that picks the mouse (bit 0: 0 the R210B with MCU
LEDs, 1 the R230B with RGB LEDs) and the size of the pieces it arrives in (the other bits). The seeds are
the conversations real clients hold, in each protocol version, and the packets a client may get wrong.

    tools/fuzz/make_rgb_corpus.py        # run from anywhere; writes the seeds again
"""

import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parents[2]
OUT = ROOT / "tests" / "fuzz" / "corpus" / "rgb_packets"


def packet(pid, payload=b"", device=0):
    return b"ORGB" + struct.pack("<III", device, pid, len(payload)) + payload


def sized(body):
    return struct.pack("<I", len(body) + 4) + body


def text(s):
    return struct.pack("<H", len(s) + 1) + s.encode() + b"\0"


def colours(cs):
    return struct.pack("<H", len(cs)) + b"".join(bytes([r, g, b, 0]) for r, g, b in cs)


def mode(index, name, version, speed=5, brightness=2, cs=()):
    fixed = [index, 0x241, 1, 10]
    if version >= 3:
        fixed += [1, 2]
    fixed += [1, 10, speed]
    if version >= 3:
        fixed += [brightness]
    fixed += [0, 2]
    body = struct.pack("<I", index) + text(name) + struct.pack("<i", index) + struct.pack(f"<{len(fixed) - 1}I", *fixed[1:])
    return sized(body + colours(list(cs)))


def conversation(version, mode_index, mode_name):
    out = packet(40, struct.pack("<I", version)) + packet(50, b"fuzz client\0") + packet(0)
    out += packet(1, struct.pack("<I", version) if version else b"")
    out += packet(150) + packet(200) + packet(140)
    out += packet(1101, mode(mode_index, mode_name, version, cs=[(255, 0, 0), (0, 0, 255)]))
    out += packet(1102, mode(mode_index, mode_name, version, speed=9, brightness=1))
    out += packet(1100)
    out += packet(1050, sized(colours([(1, 2, 3)])))
    out += packet(1051, sized(struct.pack("<I", 0) + colours([(4, 5, 6)])))
    out += packet(1052, struct.pack("<I", 0) + bytes([7, 8, 9, 0]))
    out += packet(1000, struct.pack("<ii", 0, 5))
    out += packet(1001, struct.pack("<I", 0)) + packet(151, b"p\0")
    return out


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    seeds = {
        "r230b-v5-fixed-colour": bytes([0x01 | (15 << 1)]) + conversation(5, 3, "Fixed Color"),
        "r230b-v2-breathing": bytes([0x01 | (0 << 1)]) + conversation(2, 2, "Breath in turn"),
        "r210b-v4-rainbow": bytes([0x00 | (7 << 1)]) + conversation(4, 2, "Rainbow"),
        "r210b-v0-no-version": bytes([0x00 | (63 << 1)]) + packet(0) + packet(1) + packet(1050, sized(colours([(9, 9, 9)] * 10))),
        "r230b-colour-stream": bytes([0x01 | (127 << 1)]) + b"".join(packet(1050, sized(colours([(i, 255 - i, 0)]))) for i in range(40)),
        "bad-magic": bytes([1]) + b"ORGX" + bytes(12),
        "too-large": bytes([1]) + b"ORGB" + struct.pack("<III", 0, 1050, 5000),
        "truncated": bytes([1]) + packet(40, struct.pack("<I", 5))[:10],
        "unknown-id": bytes([1]) + packet(9999),
        "no-such-controller": bytes([1]) + packet(1, struct.pack("<I", 5), device=3),
    }
    for name, data in seeds.items():
        (OUT / name).write_bytes(data)


if __name__ == "__main__":
    main()
