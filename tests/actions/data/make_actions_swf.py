#!/usr/bin/env python3
"""Writes actions.swf, the small movie the `tavro-cli play` tests run.

Frame 0 traces "hello", sends FSCommand "showmenu" "false" and asks for a web page; a red
50 x 50 pixel button at the top left sends FSCommand "clicked" "yes" when released; frame 2
sends FSCommand "quit". The stage is 100 x 100 pixels at 12 frames a second.
"""
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
    b.put(12, 5)
    for v in (xmin, xmax, ymin, ymax):
        b.put(v & 0xFFF, 12)
    return b.take()


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body


def s(text):
    return text.encode() + b'\0'


def get_url(url, target):
    body = s(url) + s(target)
    return b'\x83' + struct.pack('<H', len(body)) + body


def push(text):
    body = b'\0' + s(text)
    return b'\x96' + struct.pack('<H', len(body)) + body


def square_shape(shape_id, size):
    b = Bits()
    b.put(1, 4)  # one fill bit
    b.put(0, 4)  # no line bits
    # Style change: move to (0, 0), fill style 0 = 1.
    b.put(0, 1)
    b.put(0b00011, 5)
    b.put(1, 5)
    b.put(0, 1)
    b.put(0, 1)
    b.put(1, 1)
    nbits = 13  # signed 13 bits hold +-size twips
    for dx, dy in ((size, 0), (0, size), (-size, 0), (0, -size)):
        b.put(1, 1)  # edge
        b.put(1, 1)  # straight
        b.put(nbits - 2, 4)
        b.put(0, 1)  # not a general line
        if dx:
            b.put(0, 1)
            b.put(dx & ((1 << nbits) - 1), nbits)
        else:
            b.put(1, 1)
            b.put(dy & ((1 << nbits) - 1), nbits)
    b.put(0, 6)  # end of shape
    styles = bytes([1, 0x00, 255, 0, 0, 0])  # one solid red fill, no line styles
    body = struct.pack('<H', shape_id) + rect(0, size, 0, size) + styles + b.take()
    return tag(2, body)


def button(button_id, shape_id):
    record = bytes([0x0F]) + struct.pack('<HH', shape_id, 1) + b'\x00' + b'\x00'
    records = record + b'\x00'
    actions = get_url('FSCommand:clicked', 'yes') + b'\x00'
    condition = struct.pack('<HH', 0, 0x0008) + actions  # released over the button
    body = struct.pack('<HBH', button_id, 0, 2 + len(records)) + records + condition
    return tag(34, body)


def place(depth, char_id):
    return tag(26, bytes([0x06]) + struct.pack('<HH', depth, char_id) + b'\x00')


def main(path):
    frame0 = push('hello') + b'\x26' + get_url('FSCommand:showmenu', 'false') + \
        get_url('http://example.org/', '_blank') + b'\x00'
    frame2 = get_url('FSCommand:quit', '') + b'\x00'
    tags = (tag(9, bytes([255, 255, 255])) + square_shape(1, 1000) + button(2, 1) +
            place(1, 2) + tag(12, frame0) + tag(1, b'') + tag(1, b'') + tag(12, frame2) +
            tag(1, b'') + tag(0, b''))
    body = rect(0, 2000, 0, 2000) + struct.pack('<HH', 12 << 8, 3) + tags
    header = b'FWS' + bytes([4]) + struct.pack('<I', 8 + len(body))
    with open(path, 'wb') as f:
        f.write(header + body)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'actions.swf')
