"""Tag and record writers shared by the scripts that write the hand-made test movies.

Coordinates are in twips (20 to a pixel). The scripts import this module from tests/data
whatever folder they are run from.
"""
import struct


class Bits:
    """Packs values most significant bit first, as the records of a movie store them."""

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


def rect(xmin, xmax, ymin, ymax, nbits=13):
    b = Bits()
    b.put(nbits, 5)
    for v in (xmin, xmax, ymin, ymax):
        b.put(v & ((1 << nbits) - 1), nbits)
    return b.take()


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body


def s(text):
    """A string ended by a zero byte."""
    return text.encode('latin-1') + b'\0'


def background(r, g, b):
    return tag(9, bytes([r, g, b]))


def do_action(actions):
    return tag(12, actions)


def show_frame():
    return tag(1, b'')


def end():
    return tag(0, b'')


def square_shape(shape_id, size, bounds_bits=13):
    """A solid red square `size` twips wide with its top left corner at the origin."""
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
        b.put(0, 1)  # vertical or horizontal, not a general line
        if dx:
            b.put(0, 1)
            b.put(dx & ((1 << nbits) - 1), nbits)
        else:
            b.put(1, 1)
            b.put(dy & ((1 << nbits) - 1), nbits)
    b.put(0, 6)  # end of shape
    styles = bytes([1, 0x00, 255, 0, 0, 0])  # one solid red fill, no line styles
    bounds = rect(0, size, 0, size, bounds_bits)
    return tag(2, struct.pack('<H', shape_id) + bounds + styles + b.take())


def translate(tx, ty):
    """A matrix that only moves."""
    b = Bits()
    b.put(0, 1)  # no scale
    b.put(0, 1)  # no rotation
    b.put(16, 5)
    b.put(tx & 0xFFFF, 16)
    b.put(ty & 0xFFFF, 16)
    return b.take()


IDENTITY = b'\x00'  # no scale, no rotation, no move


def place(depth, char_id=None, matrix=IDENTITY):
    """Places a character at the depth, or (char_id None) moves the one there."""
    flags = 0x04 | (0x01 if char_id is None else 0x02)  # matrix, then move or a character
    body = bytes([flags]) + struct.pack('<H', depth)
    if char_id is not None:
        body += struct.pack('<H', char_id)
    return tag(26, body + matrix)


def write_movie(path, version, frame_size, frame_count, tags, rate=12):
    """Writes an uncompressed movie: `frame_size` is a rect(), `rate` whole frames a second."""
    body = frame_size + struct.pack('<HH', rate << 8, frame_count) + tags
    header = b'FWS' + bytes([version]) + struct.pack('<I', 8 + len(body))
    with open(path, 'wb') as f:
        f.write(header + body)
