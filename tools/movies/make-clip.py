#!/usr/bin/env python3
"""Writes a short FLV video in the screen video codec: a bar crossing
coloured blocks, 30 frames at 15 frames a second. Usage: make-clip.py OUT.flv"""
import struct
import sys
import zlib

WIDTH, HEIGHT, BLOCK, FRAMES, RATE = 320, 240, 16, 30, 15


def pixel(frame, x, y):
    if frame * 10 <= x < frame * 10 + 24:
        return (40, 40, 200)  # blue, green, red
    return (x // BLOCK * 12, y // BLOCK * 16, 128)


def frame_data(frame):
    # Blocks from the bottom left, row by row upwards; each block's pixels
    # likewise from its bottom row, in blue, green, red.
    out = bytearray([0x13])  # key frame, screen video
    out += struct.pack(">HH", ((BLOCK // 16 - 1) << 12) | WIDTH, ((BLOCK // 16 - 1) << 12) | HEIGHT)
    for top in range(HEIGHT - BLOCK, -1, -BLOCK):
        for left in range(0, WIDTH, BLOCK):
            pixels = bytearray()
            for y in range(top + BLOCK - 1, top - 1, -1):
                for x in range(left, left + BLOCK):
                    pixels += bytes(pixel(frame, x, y))
            packed = zlib.compress(bytes(pixels))
            out += struct.pack(">H", len(packed)) + packed
    return bytes(out)


def tag(kind, timestamp, data):
    head = struct.pack(">B", kind) + len(data).to_bytes(3, "big") + (timestamp & 0xFFFFFF).to_bytes(3, "big")
    head += bytes([timestamp >> 24]) + bytes(3)
    return head + data + struct.pack(">I", 11 + len(data))


with open(sys.argv[1], "wb") as out:
    out.write(b"FLV\x01\x01" + struct.pack(">I", 9) + struct.pack(">I", 0))
    for frame in range(FRAMES):
        out.write(tag(9, frame * 1000 // RATE, frame_data(frame)))
