"""PNG files for the generated textures.

The writer compresses with its own small deflate encoder (fixed Huffman codes,
greedy LZ77 matching) rather than with the zlib library, whose output differs
between zlib builds: the same pixels give the same file bytes on every
machine. The reader decodes what the checks need: 8-bit RGB or RGBA, not
interlaced, with any row filter."""
import bisect
import struct
import zlib

_LENGTH_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163,
                195, 227, 258]
_LENGTH_EXTRA = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0]
_DISTANCE_BASE = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537, 2049,
                  3073, 4097, 6145, 8193, 12289, 16385, 24577]
_DISTANCE_EXTRA = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13]
_WINDOW = 32768
_MAX_MATCH = 258
_CANDIDATES = 12  # earlier positions of the same three bytes tried per match


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def bits(self, value, count):
        """Extra bits and header fields go least significant bit first."""
        self.acc |= value << self.count
        self.count += count
        while self.count >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.count -= 8

    def code(self, value, count):
        """Huffman codes go most significant bit first."""
        reversed_value = 0
        for _ in range(count):
            reversed_value = (reversed_value << 1) | (value & 1)
            value >>= 1
        self.bits(reversed_value, count)

    def finish(self):
        if self.count:
            self.out.append(self.acc & 0xFF)
        return bytes(self.out)


def _literal(writer, symbol):
    if symbol < 144:
        writer.code(0x30 + symbol, 8)
    elif symbol < 256:
        writer.code(0x190 + symbol - 144, 9)
    elif symbol < 280:
        writer.code(symbol - 256, 7)
    else:
        writer.code(0xC0 + symbol - 280, 8)


def _match(writer, length, distance):
    index = bisect.bisect_right(_LENGTH_BASE, length) - 1
    _literal(writer, 257 + index)
    writer.bits(length - _LENGTH_BASE[index], _LENGTH_EXTRA[index])
    index = bisect.bisect_right(_DISTANCE_BASE, distance) - 1
    writer.code(index, 5)
    writer.bits(distance - _DISTANCE_BASE[index], _DISTANCE_EXTRA[index])


def _match_length(data, earlier, here, limit):
    n = 0
    while n + 32 <= limit and data[earlier + n:earlier + n + 32] == data[here + n:here + n + 32]:
        n += 32
    while n < limit and data[earlier + n] == data[here + n]:
        n += 1
    return n


def deflate(data):
    """A zlib stream of data: one final block with the fixed Huffman codes."""
    writer = _BitWriter()
    writer.bits(1, 1)  # final block
    writer.bits(1, 2)  # fixed Huffman codes
    chains = {}
    i, size = 0, len(data)
    while i < size:
        best_length, best_distance = 0, 0
        if i + 3 <= size:
            limit = min(_MAX_MATCH, size - i)
            for earlier in reversed(chains.get(data[i:i + 3], [])[-_CANDIDATES:]):
                if i - earlier > _WINDOW:
                    break
                if best_length and data[earlier + best_length - 1:earlier + best_length + 1] != \
                        data[i + best_length - 1:i + best_length + 1]:
                    continue
                length = _match_length(data, earlier, i, limit)
                if length > best_length:
                    best_length, best_distance = length, i - earlier
                    if length == limit:
                        break
        step = best_length if best_length >= 3 else 1
        if step == 1:
            _literal(writer, data[i])
        else:
            _match(writer, best_length, best_distance)
        for k in range(i, min(i + step, size - 2)):
            chains.setdefault(data[k:k + 3], []).append(k)
        i += step
    _literal(writer, 256)
    return b"\x78\x01" + writer.finish() + struct.pack(">I", zlib.adler32(data) & 0xFFFFFFFF)


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def encode_png(width, height, rgb):
    """PNG bytes of an 8-bit RGB image; rgb holds the rows top first, 3 bytes a pixel."""
    stride = width * 3
    assert len(rgb) == stride * height
    raw = b"".join(b"\x00" + bytes(rgb[y * stride:(y + 1) * stride]) for y in range(height))
    compressed = deflate(raw)
    assert zlib.decompress(compressed) == raw
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            _chunk(b"IDAT", compressed) + _chunk(b"IEND", b""))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(data):
    """(width, height, channels, pixels) of an 8-bit RGB or RGBA PNG; pixels
    holds the rows top first."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + size]
        if struct.unpack(">I", data[pos + 8 + size:pos + 12 + size])[0] != zlib.crc32(kind + body) & 0xFFFFFFFF:
            raise ValueError("bad CRC in chunk %r" % kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + size
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("unsupported PNG layout")
    channels = 3 if colour == 2 else 4
    stride = width * channels
    raw = zlib.decompress(idat)
    pixels = bytearray(stride * height)
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = row[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            predictor = (0, left, up, (left + up) // 2, _paeth(left, up, corner))[kind]
            row[x] = (row[x] + predictor) & 0xFF
        pixels[y * stride:(y + 1) * stride] = row
        previous = row
    return width, height, channels, bytes(pixels)
