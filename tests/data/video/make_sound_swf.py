#!/usr/bin/env python3
"""Writes sound.swf, the small movie with a sound that the video export tests record.

The stage is 64 x 48 pixels, white, at 12 frames a second, 12 frames long. A red 16 x 16
pixel square moves 4 pixels to the right on every frame. Frame 8 starts a sound: half a
second of a 440 Hz tone, 16-bit mono at 22050 Hz, uncompressed. The last frame stops the
movie, while the tone still plays.
"""
import math
import struct
import sys


class Bits:
    def __init__(self):
        self.out = bytearray()
        self.used = 0

    def put(self, value, n):
        for i in range(n - 1, -1, -1):
            if self.used == 0:
                self.out.append(0)
            if (value >> i) & 1:
                self.out[-1] |= 0x80 >> self.used
            self.used = (self.used + 1) & 7

    def take(self):
        self.used = 0
        return bytes(self.out)


def rect(xmin, xmax, ymin, ymax):
    b = Bits()
    b.put(13, 5)
    for v in (xmin, xmax, ymin, ymax):
        b.put(v & 0x1FFF, 13)
    return b.take()


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body


def square_shape(shape_id, size):
    b = Bits()
    b.put(1, 4)  # one fill bit
    b.put(0, 4)  # no line bits
    b.put(0, 1)  # style change: move to (0, 0), fill style 0 = 1
    b.put(0b00011, 5)
    b.put(1, 5)
    b.put(0, 1)
    b.put(0, 1)
    b.put(1, 1)
    nbits = 13
    for dx, dy in ((size, 0), (0, size), (-size, 0), (0, -size)):
        b.put(1, 1)  # edge
        b.put(1, 1)  # straight
        b.put(nbits - 2, 4)
        b.put(0, 1)  # vertical or horizontal
        if dx:
            b.put(0, 1)
            b.put(dx & ((1 << nbits) - 1), nbits)
        else:
            b.put(1, 1)
            b.put(dy & ((1 << nbits) - 1), nbits)
    b.put(0, 6)  # end of shape
    styles = bytes([1, 0x00, 255, 0, 0, 0])  # one solid red fill, no line styles
    return tag(2, struct.pack('<H', shape_id) + rect(0, size, 0, size) + styles + b.take())


def matrix(tx, ty):
    b = Bits()
    b.put(0, 1)  # no scale
    b.put(0, 1)  # no rotation
    b.put(16, 5)
    b.put(tx & 0xFFFF, 16)
    b.put(ty & 0xFFFF, 16)
    return b.take()


def place(depth, char_id, tx, ty, move):
    flags = 0x04 | (0x01 if move else 0x02)  # matrix, then move or a character
    body = bytes([flags]) + struct.pack('<H', depth)
    if not move:
        body += struct.pack('<H', char_id)
    return tag(26, body + matrix(tx, ty))


def tone(seconds, rate, hz):
    n = int(seconds * rate)
    return n, b''.join(struct.pack('<h', int(12000 * math.sin(2 * math.pi * hz * i / rate)))
                       for i in range(n))


def main(path):
    count, samples = tone(0.5, 22050, 440)
    # Uncompressed, 22050 Hz (rate index 2), 16-bit, mono.
    sound = tag(14, struct.pack('<HBI', 2, 0x00 | 2 << 2 | 0x02, count) + samples)
    start = tag(15, struct.pack('<HB', 2, 0))
    stop = tag(12, b'\x07\x00')  # Stop, end of actions
    tags = tag(9, bytes([255, 255, 255])) + square_shape(1, 320) + sound
    for frame in range(12):
        tags += place(1, 1, 80 * frame, 320, frame > 0)
        if frame == 8:
            tags += start
        if frame == 11:
            tags += stop
        tags += tag(1, b'')
    tags += tag(0, b'')
    body = rect(0, 1280, 0, 960) + struct.pack('<HH', 12 << 8, 12) + tags
    header = b'FWS' + bytes([3]) + struct.pack('<I', 8 + len(body))
    with open(path, 'wb') as f:
        f.write(header + body)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'sound.swf')
