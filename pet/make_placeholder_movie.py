#!/usr/bin/env python3
"""Writes pet/pet.swf: the placeholder pet movie installed as TesselRes/Skin/OstrelSystem/pet.swf.

An empty but well-formed movie (uncompressed SWF, version 8): a 165 x 165 pixel stage at 24 frames
a second with one empty frame. The game hall ships the real movie; the tests' stand-in player draws
its own creature and reads only the stage and frame rate from here."""
import struct
import sys


def rect_twips(width_px, height_px):
    bits, values = 13, [0, width_px * 20, 0, height_px * 20]
    stream = format(bits, "05b") + "".join(format(v, "0%db" % bits) for v in values)
    stream += "0" * (-len(stream) % 8)
    return bytes(int(stream[i:i + 8], 2) for i in range(0, len(stream), 8))


def movie():
    body = rect_twips(165, 165) + struct.pack("<HH", 24 << 8, 1)
    body += struct.pack("<H", 1 << 6)  # ShowFrame
    body += struct.pack("<H", 0)       # End
    return b"FWS" + bytes([8]) + struct.pack("<I", 8 + len(body)) + body


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "pet.swf", "wb") as out:
        out.write(movie())
