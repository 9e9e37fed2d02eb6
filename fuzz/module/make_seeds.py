#!/usr/bin/env python3
"""Writes the module fuzzer's seed files: a four-channel MOD and a Scream Tracker 3 module,
each a few orders of one square-wave instrument. The XM seeds come from the fast test
module (tests/hardening/fast_module) and cut copies of it.

Usage: make_seeds.py FOLDER"""
import struct
import sys


def square(length, amplitude):
    return bytes((amplitude if i < length // 2 else 256 - amplitude) & 0xFF for i in range(length))


def mod():
    title = b"lumivex seed".ljust(20, b"\0")
    sample = square(64, 60)
    header = b"square".ljust(22, b"\0") + struct.pack(">HBBHH", len(sample) // 2, 0, 64, 0, len(sample) // 2)
    empty = b"\0" * 22 + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    orders = bytes([0, 1, 0, 1]) + bytes(124)
    patterns = b""
    for p in range(2):
        rows = b""
        for row in range(64):
            for channel in range(4):
                if row % 16 == 0 and channel == p:
                    period = 428 >> p  # C-2, then an octave up
                    rows += struct.pack(">BBBB", (1 & 0xF0) | (period >> 8), period & 0xFF, (1 & 0x0F) << 4 | 0xF, 3)
                else:
                    rows += bytes(4)
        patterns += rows
    return title + header + empty * 30 + bytes([4, 127]) + orders + b"M.K." + patterns + sample


def s3m():
    orders = bytes([0, 1, 0, 255])
    sample = bytes(((96 if i < 32 else 160) for i in range(64)))  # unsigned 8-bit
    ins_at, pat_at = 0x60 + len(orders) + 2 + 4, 0
    ins_at = (ins_at + 15) // 16 * 16
    ins_len = 0x50
    pat_start = ins_at + ins_len
    pattern_data = []
    for p in range(2):
        body = b""
        for row in range(64):
            if row % 8 == 0:
                body += bytes([0x20 | 0x40 | p, 0x40 + p * 12, 1, 48])  # note, instrument, volume
            body += b"\0"
        pattern_data.append(struct.pack("<H", len(body) + 2) + body)
    pat_offsets, at = [], pat_start
    for data in pattern_data:
        pat_offsets.append(at)
        at = (at + len(data) + 15) // 16 * 16
    sample_at = at
    head = b"lumivex seed".ljust(28, b"\0") + bytes([0x1A, 16, 0, 0])
    head += struct.pack("<HHHHHH", len(orders), 1, 2, 0, 0x1320, 2) + b"SCRM"
    head += bytes([64, 6, 125, 0xB0, 16, 0xFC]) + bytes(8) + struct.pack("<H", 0)
    head += bytes([0, 8, 1, 9] + [255] * 28)
    body = head + orders + struct.pack("<H", ins_at // 16) + b"".join(struct.pack("<H", o // 16) for o in pat_offsets)
    body = body.ljust(ins_at, b"\0")
    ins = bytes([1]) + b"square.raw".ljust(12, b"\0") + bytes([0]) + struct.pack("<H", sample_at // 16)
    ins += struct.pack("<III", len(sample), 0, len(sample)) + bytes([48, 0, 0, 1]) + struct.pack("<I", 8363)
    ins += bytes(12) + b"square".ljust(28, b"\0") + b"SCRS"
    body += ins
    for offset, data in zip(pat_offsets, pattern_data):
        body = body.ljust(offset, b"\0") + data
    return body.ljust(sample_at, b"\0") + sample


folder = sys.argv[1]
with open(folder + "/seed.mod", "wb") as f:
    f.write(mod())
with open(folder + "/seed.s3m", "wb") as f:
    f.write(s3m())
