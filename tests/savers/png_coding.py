#!/usr/bin/python3
"""How a PNG file's rows were coded, read from the file itself: the filter
types its rows use and the distances of the deflate matches in its image
data (a run-length coding has every match at distance 1). The data is
inflated by this script's own decoder, which also checks that it gives what
zlib gives.

Usage: png_coding.py FILE.png
Prints: filters=0,1,4 matches=N farthest=D
"""
import struct
import sys
import zlib

LENGTH_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115,
               131, 163, 195, 227, 258]
LENGTH_EXTRA = [0] * 8 + [1] * 4 + [2] * 4 + [3] * 4 + [4] * 4 + [5] * 4 + [0]
DIST_BASE = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537,
             2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577]
DIST_EXTRA = [0, 0, 0, 0] + [n for n in range(1, 14) for _ in range(2)]
CODE_ORDER = [16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15]


class Bits:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def get(self, n):
        value = 0
        for i in range(n):
            byte = self.data[self.pos >> 3]
            value |= ((byte >> (self.pos & 7)) & 1) << i
            self.pos += 1
        return value


def huffman(lengths):
    """Canonical code table: (length, code) -> symbol."""
    table, code = {}, 0
    for length in range(1, 16):
        for symbol, l in enumerate(lengths):
            if l == length:
                table[(length, code)] = symbol
                code += 1
        code <<= 1
    return table


def decode(bits, table):
    code = length = 0
    while True:
        code = (code << 1) | bits.get(1)
        length += 1
        if (length, code) in table:
            return table[(length, code)]
        if length > 15:
            raise ValueError("bad Huffman code")


def inflate(data):
    bits, out, distances = Bits(data), bytearray(), []
    while True:
        final, kind = bits.get(1), bits.get(2)
        if kind == 0:
            bits.pos = (bits.pos + 7) & ~7
            size = bits.get(16)
            bits.get(16)
            start = bits.pos >> 3
            out += data[start:start + size]
            bits.pos += 8 * size
        else:
            if kind == 1:
                literal = huffman([8] * 144 + [9] * 112 + [7] * 24 + [8] * 8)
                distance = huffman([5] * 30)
            else:
                nlit, ndist, ncode = bits.get(5) + 257, bits.get(5) + 1, bits.get(4) + 4
                code_lengths = [0] * 19
                for i in range(ncode):
                    code_lengths[CODE_ORDER[i]] = bits.get(3)
                codes, lengths = huffman(code_lengths), []
                while len(lengths) < nlit + ndist:
                    symbol = decode(bits, codes)
                    if symbol < 16:
                        lengths.append(symbol)
                    elif symbol == 16:
                        lengths += [lengths[-1]] * (3 + bits.get(2))
                    elif symbol == 17:
                        lengths += [0] * (3 + bits.get(3))
                    else:
                        lengths += [0] * (11 + bits.get(7))
                literal, distance = huffman(lengths[:nlit]), huffman(lengths[nlit:])
            while True:
                symbol = decode(bits, literal)
                if symbol < 256:
                    out.append(symbol)
                elif symbol == 256:
                    break
                else:
                    symbol -= 257
                    length = LENGTH_BASE[symbol] + bits.get(LENGTH_EXTRA[symbol])
                    d = decode(bits, distance)
                    back = DIST_BASE[d] + bits.get(DIST_EXTRA[d])
                    distances.append(back)
                    for _ in range(length):
                        out.append(out[-back])
        if final:
            return bytes(out), distances


def main():
    data = open(sys.argv[1], "rb").read()
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + size]
        if kind == b"IHDR":
            width, _, depth, colour = struct.unpack(">IIBB", body[:10])
            channels = {2: 3, 6: 4}[colour]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + size
    rows, distances = inflate(idat[2:])  # past the zlib header
    if rows != zlib.decompress(idat):
        sys.exit("the script's inflate differs from zlib's")
    stride = 1 + width * channels
    filters = sorted({rows[i] for i in range(0, len(rows), stride)})
    print("filters=%s matches=%d farthest=%d"
          % (",".join(map(str, filters)), len(distances), max(distances, default=0)))


if __name__ == "__main__":
    main()
