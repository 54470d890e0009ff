#!/usr/bin/env python3
"""Writes field.swf, the movie with an input field that the `tavro-cli play --type/--key` tests
type into.

A 200 x 60 pixel stage holds an edit-text field at the top left, 150 x 20 pixels, bound to the
variable "name" with the initial text "abc". Its font has a layout table but glyphs without
outlines, so the field takes text without drawing it. Frame 2 traces the variable and stops.
12 frames a second, 3 frames.
"""
import os
import struct
import sys

sys.dont_write_bytecode = True  # leaves no cache beside the shared module in tests/data
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from swfgen import (background, do_action, end, place, rect, s, show_frame, tag,  # noqa: E402
                    write_movie)


def font(font_id, codes):
    """DefineFont2 with a layout table: glyphs without outlines, 512 units wide."""
    n = len(codes)
    empty = b'\x00\x00'  # no fill or line bits, end of shape
    offsets = b''.join(struct.pack('<H', 2 * (n + 1) + 2 * i) for i in range(n + 1))
    body = struct.pack('<HBBB', font_id, 0x80, 0, 4) + b'Test' + struct.pack('<H', n)
    body += offsets + empty * n + codes.encode('latin-1')
    body += struct.pack('<hhh', 800, 224, 0)
    body += struct.pack('<h', 512) * n
    body += rect(0, 0, 0, 0) * n
    body += struct.pack('<H', 0)
    return tag(48, body)


def edit_text(text_id, font_id, variable, initial):
    body = struct.pack('<H', text_id) + rect(0, 3000, 0, 400)
    body += bytes([0x80 | 0x04 | 0x01, 0x01])  # initial text, colour, font / outlines
    body += struct.pack('<HH', font_id, 240) + bytes([0, 0, 0, 255])
    body += s(variable) + s(initial)
    return tag(37, body)


def main(path):
    trace_name = b'\x96' + struct.pack('<H', 6) + b'\x00' + s('name') + b'\x1c' + b'\x26'
    frame2 = trace_name + b'\x07' + b'\x00'  # trace(name); stop
    tags = (background(255, 255, 255) + font(1, 'abcdefghijklmnopqrstuvwxyzZ ') +
            edit_text(2, 1, 'name', 'abc') + place(1, 2) + show_frame() + show_frame() +
            do_action(frame2) + show_frame() + end())
    write_movie(path, 4, rect(0, 4000, 0, 1200), 3, tags)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'field.swf')
