#!/usr/bin/env python3
"""Writes the hand-made seeds of the GIF fuzz corpus: code streams that the
usual writers never produce (a table that fills up without a clear code,
sub-blocks of one byte, 11-bit minimum code size, no leading clear code), and
blocks of sizes that files in the field hold (a control block of 5 bytes, an
application identifier of 8, a looping sub-block of 2) before two images.
The other seeds were made by giflib's gifbuild and by ImageMagick."""
import os
import random
import struct
import sys


def lzw(pixels, min_size, clear_on_full=True, lead_clear=True):
    clear, end = 1 << min_size, (1 << min_size) + 1
    codes = []
    size = min_size + 1
    table = {(i,): i for i in range(clear)}
    free = end + 1
    out = []  # (code, width)
    if lead_clear:
        out.append((clear, size))
    prefix = ()
    for p in pixels:
        cand = prefix + (p,)
        if cand in table:
            prefix = cand
            continue
        out.append((table[prefix], size))
        if free < 4096:
            table[cand] = free
            free += 1
            if free > (1 << size) and size < 12:
                size += 1
        elif clear_on_full:
            out.append((clear, size))
            table = {(i,): i for i in range(clear)}
            free, size = end + 1, min_size + 1
        prefix = (p,)
    if prefix:
        out.append((table[prefix], size))
    out.append((end, size))
    bits = nbits = 0
    data = bytearray()
    for code, width in out:
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            data.append(bits & 255)
            bits >>= 8
            nbits -= 8
    if nbits:
        data.append(bits & 255)
    return data


def sub_blocks(data, size):
    out = bytearray()
    for i in range(0, len(data), size):
        chunk = data[i:i + size]
        out += bytes([len(chunk)]) + chunk
    return out + b"\0"


def gif(width, height, bits, pixels, min_size=None, block=255, **kw):
    min_size = min_size or max(2, bits)
    colors = 1 << bits
    head = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80 | (bits - 1), 0, 0)
    table = bytes(random.Random(bits).randrange(256) for _ in range(3 * colors))
    image = b"," + struct.pack("<HHHHB", 0, 0, width, height, 0)
    return head + table + image + bytes([min_size]) + sub_blocks(lzw(pixels, min_size, **kw), block) + b";"


def blocks_before_two_images(block):
    """A 4 x 3 screen with a 4-colour map, block, and two 4 x 3 images."""
    head = b"GIF89a" + struct.pack("<HHBBB", 4, 3, 0x81, 0, 0) + bytes([0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0])
    def image(pixels):
        return b"," + struct.pack("<HHHHB", 0, 0, 4, 3, 0) + bytes([2]) + sub_blocks(lzw(pixels, 2), 255)
    return head + block + image([i % 4 for i in range(12)]) + image([3 - i % 4 for i in range(12)]) + b";"


def main(folder):
    rng = random.Random(21)
    noise = [rng.randrange(256) for _ in range(64 * 80)]
    seeds = {
        "own_full_table_no_clear.gif": gif(64, 80, 8, noise, clear_on_full=False),
        "own_one_byte_blocks.gif": gif(16, 16, 4, [rng.randrange(16) for _ in range(256)], block=1),
        "own_code_size_11.gif": gif(20, 20, 8, [rng.randrange(256) for _ in range(400)], min_size=11),
        "own_no_lead_clear.gif": gif(10, 10, 2, [rng.randrange(4) for _ in range(100)], lead_clear=False),
        "own_code_size_1.gif": gif(12, 5, 1, [rng.randrange(2) for _ in range(60)], min_size=1),
        "own_control_block_of_5.gif": blocks_before_two_images(bytes.fromhex("21F905050A00020700")),
        "own_app_identifier_8.gif": blocks_before_two_images(b"\x21\xff\x08ABCDEFGH\x02xy\x00"),
        "own_loop_sub_block_2.gif": blocks_before_two_images(b"\x21\xff\x0bNETSCAPE2.0\x02\x01\x07\x00"),
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "seeds"))
