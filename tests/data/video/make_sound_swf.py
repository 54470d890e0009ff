#!/usr/bin/env python3
"""Writes sound.swf, the small movie with a sound that the video export tests record.

The stage is 64 x 48 pixels, white, at 12 frames a second, 12 frames long. A red 16 x 16
pixel square moves 4 pixels to the right on every frame. Frame 8 starts a sound: half a
second of a 440 Hz tone, 16-bit mono at 22050 Hz, uncompressed. The last frame stops the
movie, while the tone still plays.
"""
import math
import os
import struct
import sys

sys.dont_write_bytecode = True  # leaves no cache beside the shared module in tests/data
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from swfgen import (background, do_action, end, place, rect, show_frame, square_shape,  # noqa: E402
                    tag, translate, write_movie)


def tone(seconds, rate, hz):
    n = int(seconds * rate)
    return n, b''.join(struct.pack('<h', int(12000 * math.sin(2 * math.pi * hz * i / rate)))
                       for i in range(n))


def main(path):
    count, samples = tone(0.5, 22050, 440)
    # Uncompressed, 22050 Hz (rate index 2), 16-bit, mono.
    sound = tag(14, struct.pack('<HBI', 2, 0x00 | 2 << 2 | 0x02, count) + samples)
    start = tag(15, struct.pack('<HB', 2, 0))
    stop = do_action(b'\x07\x00')  # Stop, end of actions
    tags = background(255, 255, 255) + square_shape(1, 320) + sound
    for frame in range(12):
        # Placed on the first frame, moved on the others.
        tags += place(1, 1 if frame == 0 else None, translate(80 * frame, 320))
        if frame == 8:
            tags += start
        if frame == 11:
            tags += stop
        tags += show_frame()
    tags += end()
    write_movie(path, 3, rect(0, 1280, 0, 960), 12, tags)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'sound.swf')
