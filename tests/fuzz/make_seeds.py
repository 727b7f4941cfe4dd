#!/usr/bin/env python3
"""Writes the seeds of the native fuzz targets into seeds/<target>/: a few
small inputs per target that reach its main paths (each target reads its
input as described at the top of its source). Run it again after changing
how a target reads its input. seeds/scan_image/dib_32bit_zero_masks came
from the fuzzer itself (bit-field masks the system refuses)."""
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
RECORD = 6492


def dib(width, height, bits, colors=0, table=b"", compression=0, header=40, masks=b""):
    stride = (width * bits + 31) // 32 * 4
    h = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 2835, 0, colors, 0)
    if header == 12:
        h = struct.pack("<IHHHH", 12, width, abs(height), 1, bits)
    rows = bytes((i * 7) & 0xFF for i in range(stride * abs(height)))
    return h + masks + table + rows


def text(s):
    b = s.encode("utf-8") if isinstance(s, str) else s
    return bytes([len(b)]) + b


def seeds():
    out = {}
    # Settings record: the type byte, then the value.
    record = bytearray(RECORD)
    for off in (0x1D, 0x118, 0x23D):  # length bytes of a few strings
        record[off] = 255
    out["settings_record"] = {
        "record": bytes([3]) + bytes(record),
        "record_wrong_type": bytes([4]) + bytes(record),
        "short": bytes([3]) + b"\x01" * 100,
        "long": bytes([3]) + b"\xff" * (RECORD + 8),
        "empty": bytes([3]),
    }
    # Scan image: odd first byte a DIB block, even a memory transfer.
    gray = b"".join(bytes([i, i, i, 0]) for i in range(256))
    out["scan_image"] = {
        "dib_1bit": b"\x01" + dib(9, 3, 1, 2, b"\0\0\0\0\xff\xff\xff\0"),
        "dib_8bit_topdown": b"\x01" + dib(5, -4, 8, 0, gray),
        "dib_24bit": b"\x01" + dib(3, 2, 24),
        "dib_32bit_bitfields": b"\x01" + dib(2, 2, 32, compression=3, masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)),
        "dib_core_4bit": b"\x01" + dib(4, 2, 4, header=12, table=b"\x10\x20\x30" * 16),
        "memory_known": b"\x00" + struct.pack("<iBiB", 3, 0, 4, 4) + bytes([2])
        + struct.pack("<HHIB", 12, 4, 0, 1) + text(bytes(range(48))) + b"\x00" + b"\x00" * 10,
        "memory_unknown": b"\x00" + struct.pack("<iBB", 8, 1, 2) + bytes([3])
        + struct.pack("<HHIB", 8, 2, 0, 0) + text(bytes(range(16))) + b"\x00"
        + struct.pack("<HHIB", 8, 2, 2, 0) + text(bytes(range(16))) + b"\x01" + struct.pack("<I", 99999),
    }
    # MIME: mode (0 Base64, 1 templates, 2 SMTP), code page index, fields.
    def fields(to, subject, path, attached, image):
        return (struct.pack("<H", len(to.encode())) + to.encode() + struct.pack("<H", len(subject)) + subject
                + text(path) + bytes([attached]) + struct.pack("<H", len(image)) + image)
    out["mime"] = {
        "base64": b"\x00\x00" + bytes(range(256)) * 3,
        "outlook_utf8": b"\x01\x05" + fields("a@b.c, d@e.f", "caf\u00e9 \u4e2d\u6587 subject".encode(), "shot.png", 0, b"\x89PNG" * 20),
        "netscape_gbk_attached": b"\x04\x01" + fields("x@y", b"\xc6\xc1\xc4\xbb\xbd\xd8\xcd\xbc", "\xb7.jpg".encode("latin-1"), 1, b"GIF89a"),
        "smtp": b"\x02\x00" + fields("r@s.t; u@v.w", b"Subject\r\nBcc: x@y", "a\"b.bmp", 0, b"BM" * 30)
        + struct.pack("<H", 20) + b"r@s.t;bad address,," + struct.pack("<H", 24) + b"body\n.\r\nline\r.more\n..",
    }
    # Stitching: first byte even runs a window, odd the building blocks.
    out["stitching"] = {
        "distinct_moves": bytes([0, 1]) + struct.pack("<QQQ", 20, 30, 500) + bytes([1, 0, 0, 1]) + struct.pack("<QI", 1, 7)
        + struct.pack("<Q", 3000) + bytes([0, 3, 0, 0, 0, 0, 0, 0, 0] * 40),
        "repeating_repaints": bytes([0, 0]) + struct.pack("<QQQ", 5, 12, 200) + bytes([0, 1, 40, 0, 0, 0, 0, 0, 0, 0, 1])
        + struct.pack("<I", 0x123456) + struct.pack("<Q", 150) + bytes([1, 2, 0, 0, 0, 0, 0, 0, 0] * 30),
        "blocks": bytes([1]) + struct.pack("<QQ", 2, 12) + bytes([1, 2, 3, 0] * 12) + bytes([2, 3, 0, 1] * 12) + struct.pack("<Q", 5) + b"\x02",
    }
    # Print planner: flag, then the sizes.
    out["print_planner"] = {
        "slices": bytes([0]) + struct.pack("<QQQQQB", 1279, 39999, 4959, 7015, 1279, 0),
        "fit": bytes([0]) + struct.pack("<QQQQQB", 299, 1999, 2399, 3299, 1023, 1),
        "not_positive": bytes([1]) + struct.pack("<iiiii", 10, 10, 10, 10, 10) + struct.pack("<QQ", 2, 0) + b"\x00",
    }
    # Command line: count, then values as pairs of bytes.
    def values(*vs):
        b = struct.pack("<Q", len(vs) - 1)
        for v in vs:
            b += text(v)
        return b
    out["command_line"] = {
        "quotes_and_backslashes": values(b"\x00\x00\x01\x00\x01\x00\x00\x00", b"\x02\x00\x01\x00", b""),
        "wide": values(b"\x2d\x4e\x87\x65\x02\x00", b"\x01\x00\x01\x00\x01\x00"),
    }
    return out


def main():
    for target, files in seeds().items():
        folder = os.path.join(here, "seeds", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
