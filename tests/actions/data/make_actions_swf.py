#!/usr/bin/env python3
"""Writes actions.swf, the small movie the `tavro-cli play` tests run.

Frame 0 traces "hello", sends FSCommand "showmenu" "false" and asks for a web page; a red
50 x 50 pixel button at the top left sends FSCommand "clicked" "yes" when released; frame 2
sends FSCommand "quit". The stage is 100 x 100 pixels at 12 frames a second.
"""
import os
import struct
import sys

sys.dont_write_bytecode = True  # leaves no cache beside the shared module in tests/data
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'data'))
from swfgen import (background, do_action, end, place, rect, s, show_frame,  # noqa: E402
                    square_shape, tag, write_movie)

# The stage and the button's shape have their bounds in 12 bits a value.
RECT_BITS = 12


def get_url(url, target):
    body = s(url) + s(target)
    return b'\x83' + struct.pack('<H', len(body)) + body


def push(text):
    body = b'\0' + s(text)
    return b'\x96' + struct.pack('<H', len(body)) + body


def button(button_id, shape_id):
    record = bytes([0x0F]) + struct.pack('<HH', shape_id, 1) + b'\x00' + b'\x00'
    records = record + b'\x00'
    actions = get_url('FSCommand:clicked', 'yes') + b'\x00'
    condition = struct.pack('<HH', 0, 0x0008) + actions  # released over the button
    body = struct.pack('<HBH', button_id, 0, 2 + len(records)) + records + condition
    return tag(34, body)


def main(path):
    frame0 = push('hello') + b'\x26' + get_url('FSCommand:showmenu', 'false') + \
        get_url('http://example.org/', '_blank') + b'\x00'
    frame2 = get_url('FSCommand:quit', '') + b'\x00'
    tags = (background(255, 255, 255) + square_shape(1, 1000, RECT_BITS) + button(2, 1) +
            place(1, 2) + do_action(frame0) + show_frame() + show_frame() + do_action(frame2) +
            show_frame() + end())
    write_movie(path, 4, rect(0, 2000, 0, 2000, RECT_BITS), 3, tags)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'actions.swf')
