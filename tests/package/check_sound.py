"""Reads the built notice sound with Python's wave module and checks that it
is what every Windows sound player takes and what a notice should be: an
uncompressed PCM WAVE file with nothing but its format and data, mono,
16-bit, at a standard rate, a fraction of a second long, clearly audible but
not clipped, beginning and ending in silence (no click).

Usage: check_sound.py SOUND.WAV
"""
import array
import struct
import sys
import wave


def main(path):
    errors = []
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE" or struct.unpack("<I", data[4:8])[0] != len(data) - 8:
        errors.append("not a whole RIFF WAVE file")
    chunks, at = [], 12
    while at + 8 <= len(data):
        name, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        chunks.append(name)
        at += 8 + size + (size & 1)
    if chunks != [b"fmt ", b"data"]:
        errors.append(f"chunks {chunks}, expected the format and the data only")
    if struct.unpack("<H", data[20:22])[0] != 1:
        errors.append("the format is not plain PCM (format tag 1)")

    with wave.open(path, "rb") as w:
        channels, width, rate, frames = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        samples = array.array("h", w.readframes(frames))
    if sys.byteorder != "little":
        samples.byteswap()
    if (channels, width) != (1, 2):
        errors.append(f"{channels} channels of {8 * width} bits, expected mono 16-bit")
    if rate not in (11025, 22050, 44100):
        errors.append(f"rate {rate}")
    seconds = frames / rate
    if not 0.1 <= seconds <= 0.6:
        errors.append(f"{seconds:.3f} s long")
    peak = max(abs(s) for s in samples) if samples else 0
    if not 0.2 * 32767 <= peak <= 0.9 * 32767:
        errors.append(f"peak {peak}: too quiet or clipped")
    edge = max(abs(s) for s in list(samples[:3]) + list(samples[-3:])) if samples else 0
    if edge > 0.02 * 32767:
        errors.append(f"starts or ends at {edge}: a click")

    for e in errors:
        print(e)
    print(f"{path}: {channels} channel(s), {8 * width} bits, {rate} Hz, {seconds:.3f} s, peak {peak}, "
          f"{len(errors)} faults")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
