#!/usr/bin/env python3
"""Writes the seed pictures of the PNG fuzz target to tests/fuzz/corpus/png/.

The decoder meets the embedded pictures of every look and whatever a damaged resource could hold, so
the seeds are: small embedded pictures as they ship, every colour type and bit depth PNG has (plain
and interlaced, with a palette and transparency), and broken files (cut short, a wrong checksum,
chunks out of order or missing, data that does not inflate, sizes that cannot be allocated).

    tools/fuzz/make_png_corpus.py        # run from anywhere; writes the seeds again
"""

import pathlib
import struct
import zlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
OUT = ROOT / "tests" / "fuzz" / "corpus" / "png"
SIGNATURE = b"\x89PNG\r\n\x1a\n"
# The fuzzer cuts longer inputs (tests/fuzz/run.sh: -max_len=4096).
MAX_SEED = 4096


def chunk(kind: bytes, data: bytes, crc=None) -> bytes:
    body = kind + data
    value = zlib.crc32(body) & 0xFFFFFFFF if crc is None else crc
    return struct.pack(">I", len(data)) + body + struct.pack(">I", value)


def ihdr(width, height, depth, colour, interlace=0) -> bytes:
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))


CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def row_bytes(width, depth, colour):
    return (width * CHANNELS[colour] * depth + 7) // 8


def raw_rows(width, height, depth, colour, filters=(0, 1, 2, 3, 4)):
    """Rows with a filter byte each (every filter type in turn) and a pattern of values."""
    out = bytearray()
    n = row_bytes(width, depth, colour)
    for y in range(height):
        out.append(filters[y % len(filters)])
        out.extend((x * 37 + y * 11) & 0xFF for x in range(n))
    return bytes(out)


def adam7_rows(width, height, depth, colour):
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    out = bytearray()
    for x0, y0, dx, dy in passes:
        w = (width - x0 + dx - 1) // dx if width > x0 else 0
        h = (height - y0 + dy - 1) // dy if height > y0 else 0
        if w and h:
            out.extend(raw_rows(w, h, depth, colour))
    return bytes(out)


def picture(width, height, depth, colour, interlace=0, extra=b"") -> bytes:
    rows = adam7_rows(width, height, depth, colour) if interlace else raw_rows(width, height, depth, colour)
    body = ihdr(width, height, depth, colour, interlace) + extra
    if colour == 3:
        body += chunk(b"PLTE", bytes((i * 40) & 0xFF for i in range(3 * (1 << min(depth, 4)))))
        body += chunk(b"tRNS", bytes([0, 128, 255]))
    return SIGNATURE + body + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def generated():
    seeds = {}
    for colour, depths in {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}.items():
        for depth in depths:
            for interlace in (0, 1):
                name = f"type{colour}-{depth}bit{'-interlaced' if interlace else ''}.png"
                seeds[name] = picture(13, 7, depth, colour, interlace)
    good = picture(9, 5, 8, 6)
    ihdr_end = len(SIGNATURE) + 25
    seeds["grey-with-transparency-and-text.png"] = picture(
        6, 4, 8, 0, extra=chunk(b"tRNS", b"\x00\x10") + chunk(b"gAMA", struct.pack(">I", 45455))
        + chunk(b"tEXt", b"Comment\x00seed"))
    seeds["rgba-cut-in-the-data.png"] = good[: len(good) // 2]
    seeds["rgba-cut-in-the-header.png"] = good[: ihdr_end - 5]
    seeds["signature-only.png"] = SIGNATURE
    seeds["empty.png"] = b""
    seeds["not-a-png.png"] = b"GIF89a" + bytes(20)
    seeds["rgba-bad-header-checksum.png"] = SIGNATURE + chunk(b"IHDR", good[16:29], crc=0) + good[ihdr_end:]
    seeds["rgba-no-end.png"] = good[: -12]
    idat = chunk(b"IDAT", zlib.compress(raw_rows(9, 5, 8, 6)))
    seeds["data-before-header.png"] = SIGNATURE + idat + good[8:ihdr_end] + chunk(b"IEND", b"")
    seeds["no-header.png"] = SIGNATURE + idat + chunk(b"IEND", b"")
    seeds["palette-without-plte.png"] = (SIGNATURE + ihdr(4, 4, 8, 3)
                                         + chunk(b"IDAT", zlib.compress(raw_rows(4, 4, 8, 3))) + chunk(b"IEND", b""))
    seeds["data-that-does-not-inflate.png"] = (SIGNATURE + ihdr(9, 5, 8, 6) + chunk(b"IDAT", b"\x78\x9c" + bytes(30))
                                               + chunk(b"IEND", b""))
    seeds["too-little-data.png"] = (SIGNATURE + ihdr(64, 64, 8, 6)
                                    + chunk(b"IDAT", zlib.compress(raw_rows(64, 2, 8, 6))) + chunk(b"IEND", b""))
    seeds["huge-size.png"] = (SIGNATURE + ihdr(100000, 100000, 16, 6)
                              + chunk(b"IDAT", zlib.compress(bytes(64))) + chunk(b"IEND", b""))
    seeds["zero-width.png"] = SIGNATURE + ihdr(0, 5, 8, 6) + chunk(b"IEND", b"")
    seeds["bad-filter-byte.png"] = (SIGNATURE + ihdr(3, 3, 8, 2)
                                    + chunk(b"IDAT", zlib.compress(b"\x07" + bytes(9) + b"\x09" + bytes(9) + b"\x00" + bytes(9)))
                                    + chunk(b"IEND", b""))
    seeds["bad-depth-for-type.png"] = SIGNATURE + ihdr(4, 4, 4, 2) + chunk(b"IDAT", zlib.compress(bytes(40))) + chunk(b"IEND", b"")
    seeds["unknown-critical-chunk.png"] = good[:ihdr_end] + chunk(b"ZZZZ", b"abc") + good[ihdr_end:]
    split = zlib.compress(raw_rows(9, 5, 8, 6))
    seeds["data-in-three-chunks.png"] = (good[:ihdr_end] + chunk(b"IDAT", split[:10]) + chunk(b"IDAT", split[10:20])
                                         + chunk(b"IDAT", split[20:]) + chunk(b"IEND", b""))
    return seeds


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    seeds = generated()
    # Small embedded pictures as they ship: one of each kind of name (its look, its state).
    shipped = sorted(p for p in (ROOT / "resources" / "images").glob("*.png")
                     if "@2x" not in p.name and p.stat().st_size <= MAX_SEED)
    kinds = {}
    for p in shipped:
        kinds.setdefault(p.stem.rstrip("0123456789_").split("_")[0], p)
    for p in kinds.values():
        seeds["shipped-" + p.name] = p.read_bytes()
    for name, data in sorted(seeds.items()):
        (OUT / name).write_bytes(data[:MAX_SEED])
    print(f"{len(seeds)} seeds in {OUT.relative_to(ROOT)}")


if __name__ == "__main__":
    main()
