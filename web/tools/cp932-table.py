#!/usr/bin/env python3
"""Writes the Shift-JIS (code page 932) tables of the page's converter.

The native programs convert code page 932 through glibc's iconv ("CP932",
Microsoft's mapping); the WebAssembly C library has no such converter. This
asks glibc's own iconv, character by character, what it makes of every one-
and two-byte sequence and of every character of the Basic Multilingual
Plane, so that the page decodes and encodes as the command line does.

    cp932-table.py OUT.h
"""
import ctypes
import ctypes.util
import sys

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t),
                       ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)]
FAILED = ctypes.c_size_t(-1).value


def converter(to, source):
    handle = libc.iconv_open(to, source)
    if handle is None or handle == ctypes.c_void_p(-1).value:
        sys.exit("cp932-table.py: glibc's iconv has no CP932")
    return handle


def convert(handle, data):
    """What `data` converts to as a whole, or None where iconv refuses it."""
    libc.iconv(handle, None, None, None, None)
    source = ctypes.create_string_buffer(data, len(data))
    target = ctypes.create_string_buffer(16)
    inp, out = ctypes.c_char_p(ctypes.addressof(source)), ctypes.c_char_p(ctypes.addressof(target))
    left, room = ctypes.c_size_t(len(data)), ctypes.c_size_t(16)
    if libc.iconv(handle, ctypes.byref(inp), ctypes.byref(left), ctypes.byref(out), ctypes.byref(room)) == FAILED:
        return None
    return target.raw[:16 - room.value] if left.value == 0 else None


def main():
    decoder, encoder = converter(b"UTF-32LE", b"CP932"), converter(b"CP932", b"UTF-32LE")
    char = lambda utf32: int.from_bytes(utf32, "little")
    single = []
    for byte in range(256):
        result = convert(decoder, bytes([byte]))
        single.append(char(result) if result and len(result) == 4 else 0xFFFF)
    leads = [lead for lead in range(256) if single[lead] == 0xFFFF and
             any(convert(decoder, bytes([lead, trail])) for trail in range(256))]
    double = {}
    for lead in leads:
        for trail in range(256):
            result = convert(decoder, bytes([lead, trail]))
            if result and len(result) == 4:
                double[lead << 8 | trail] = char(result)
    encoded = []
    for code in range(0x10000):
        if 0xD800 <= code <= 0xDFFF:
            continue
        result = convert(encoder, code.to_bytes(4, "little"))
        if result:
            encoded.append((code, int.from_bytes(result, "big"), len(result)))
    if any(value > 0xFFFF for value in double.values()) or any(length > 2 for _, _, length in encoded):
        sys.exit("cp932-table.py: glibc's CP932 holds what these tables cannot")

    lines = ["// Made by web/tools/cp932-table.py from glibc's iconv (CP932); not to be edited.",
             "#pragma once", "", "#include <cstdint>", "",
             "namespace web_cp932 {", "",
             "// The character of each single byte; 0xFFFF where the byte is none (a lead",
             "// byte, or undefined).",
             "inline constexpr std::uint16_t kSingle[256] = {"]
    lines += ["  " + ", ".join(f"0x{v:04X}" for v in single[i:i + 12]) + "," for i in range(0, 256, 12)]
    lines += ["};", "", "// The bytes that start a pair.", "inline constexpr bool kLead[256] = {"]
    lines += ["  " + ", ".join("1" if b in leads else "0" for b in range(i, min(i + 32, 256))) + "," for i in range(0, 256, 32)]
    lines += ["};", "", "// Each defined pair (lead << 8 | trail) and its character, by pair.",
              f"inline constexpr std::uint32_t kPairCount = {len(double)};",
              "inline constexpr std::uint16_t kPairs[][2] = {"]
    items = sorted(double.items())
    lines += ["  " + " ".join(f"{{0x{k:04X}, 0x{v:04X}}}," for k, v in items[i:i + 6]) for i in range(0, len(items), 6)]
    lines += ["};", "", "// Each character that encodes, by character, with its bytes (a pair as",
              "// lead << 8 | trail) and how many.",
              f"inline constexpr std::uint32_t kEncodedCount = {len(encoded)};",
              "inline constexpr std::uint16_t kEncoded[][3] = {"]
    lines += ["  " + " ".join(f"{{0x{c:04X}, 0x{b:04X}, {n}}}," for c, b, n in encoded[i:i + 5]) for i in range(0, len(encoded), 5)]
    lines += ["};", "", "}  // namespace web_cp932", ""]
    with open(sys.argv[1], "w", encoding="ascii") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
