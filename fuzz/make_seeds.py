#!/usr/bin/env python3
"""Writes the seed corpora of the dbf_fuzz and tzdbf_fuzz targets.

dbf_fuzz: small tables of every layout the engine reads, each followed by
the options byte the target reads last (bit 0 exclusive, 1-2 date form, 3
century, 4 hide deleted, 5 Peek cache, 6 recount on open, 7 write).

tzdbf_fuzz: tables with their memo files behind the target's four bytes
(two option bytes, the table's length), as tzdbf_fuzz.cpp describes."""
import os
import struct
import sys

def dbf(version, fields, records, count=None, end=True, header_extra=b""):
    n = len(fields)
    reclen = 1 + sum(f[2] for f in fields)
    hlen = 32 + 32 * n + 1 + len(header_extra)
    h = bytearray(32)
    h[0] = version
    h[1:4] = bytes([126, 5, 17])
    struct.pack_into("<IHH", h, 4, len(records) if count is None else count, hlen, reclen)
    h[29] = 1
    for name, typ, length, dec in fields:
        d = bytearray(32)
        d[0:len(name)] = name.encode()
        d[11] = ord(typ)
        d[16] = length
        d[17] = dec
        h += d
    h += b"\r" + header_extra
    for r in records:
        assert len(r) == reclen, (r, reclen)
        h += r.encode("latin-1")
    if end:
        h += b"\x1a"
    return bytes(h)

def dbase2(fields, records):
    reclen = 1 + sum(f[2] for f in fields)
    h = bytearray(521)
    h[0] = 2
    struct.pack_into("<H", h, 1, len(records))
    h[3:6] = bytes([12, 25, 86])
    struct.pack_into("<H", h, 6, reclen)
    for i, (name, typ, length, dec) in enumerate(fields):
        at = 8 + 16 * i
        h[at:at + len(name)] = name.encode()
        h[at + 11] = ord(typ)
        h[at + 12] = length
        h[at + 15] = dec
    h[8 + 16 * len(fields)] = 0x0D
    h[520] = 0x0D
    for r in records:
        h += r.encode("latin-1")
    return bytes(h) + b"\x1a"

three = [("PAYEE", "C", 40, 0), ("AMTNUMBERS", "F", 10, 2), ("NOTES", "M", 10, 0)]
every = [("NAME", "C", 12, 0), ("BORN", "D", 8, 0), ("AMOUNT", "N", 9, 2),
         ("COUNT", "N", 4, 0), ("OK", "L", 1, 0), ("RATE", "F", 12, 5), ("NOTES", "M", 10, 0)]
seeds = {
    "three_fields": (dbf(0x83, three, [
        " " + "Jane Doe".ljust(40) + "    123.45" + "         1",
        "*" + "John Roe".ljust(40) + "      0.50" + "          ",
        " " + "".ljust(40) + "**********" + "        -5"]), 0x00),
    "three_fields_write": (dbf(0x83, three, [
        " " + "Jane Doe".ljust(40) + "    123.45" + "         1",
        "*" + "John Roe".ljust(40) + "      0.50" + "          "]), 0x81),
    "every_type": (dbf(0x03, every, [
        " " + "alpha".ljust(12) + "20260517" + "  1234.56" + "  42" + "T" + "     3.14159" + "        17",
        " " + "beta".ljust(12) + "        " + "    -0.01" + "-999" + "y" + " 1.0e+03    " + "          ",
        "*" + "gamma".ljust(12) + "1999x231" + "abc      " + "    " + "?" + "            " + "       -12"]), 0x3E),
    "every_type_hidden": (dbf(0x03, every, [
        "*" + "alpha".ljust(12) + "20260517" + "  1234.56" + "  42" + "T" + "     3.14159" + "        17",
        " " + "beta".ljust(12) + "        " + "    -0.01" + "-999" + "y" + " 1.0e+03    " + "          "]), 0xD1),
    "count_beyond_file": (dbf(0x03, [("A", "C", 3, 0)], [" abc", " def"], count=50), 0x01),
    "partial_record": (dbf(0x03, [("A", "C", 3, 0)], [" abc", " def"], end=False) + b" g", 0x40),
    "empty_table": (dbf(0x03, [("A", "C", 3, 0), ("B", "N", 5, 1)], []), 0x80),
    "dbase2": (dbase2([("NAME", "C", 6, 0), ("PRICE", "N", 5, 2)], [" apple  1.25", " pear   0.75"]), 0x80),
    "dbase4_memo": (dbf(0x8B, three, [" " + "x".ljust(40) + "      1.00" + "         2"]), 0x09),
    "padded_header": (dbf(0x03, [("A", "C", 3, 0)], [" abc"], header_extra=b"\0" * 30), 0x00),
    "long_record": (dbf(0x03, [("A", "C", 255, 0), ("D", "D", 8, 0)], [" " + "z" * 255 + "20000229"]), 0x8F),
}
here = os.path.dirname(os.path.abspath(sys.argv[0]))
out = os.path.join(here, "corpus", "dbf")
os.makedirs(out, exist_ok=True)
for name, (data, options) in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data + bytes([options]))


def dbase3_memo(notes):
    """A dBASE III memo file with each note from block 1 on; the pointers."""
    body, pointers = bytearray(), []
    for note in notes:
        pointers.append(1 + len(body) // 512)
        block = note + b"\x1a\x1a"
        body += block + b"\0" * (-len(block) % 512)
    head = bytearray(512)
    struct.pack_into("<I", head, 0, 1 + len(body) // 512)
    return bytes(head + body), pointers


def dbase4_memo(notes, size, chain=None):
    """A dBASE IV memo file of `size`-byte blocks; `chain` is (block, next,
    length) free runs written after the notes, the first one the head."""
    body, pointers = bytearray(), []
    for note in notes:
        pointers.append(1 + len(body) // size)
        block = b"\xff\xff\x08\x00" + struct.pack("<I", len(note) + 8) + note
        body += block + b"\0" * (-len(block) % size)
    head = bytearray(size)
    struct.pack_into("<I", head, 0, 1 + len(body) // size)
    head[8:9] = b"f"
    struct.pack_into("<HH", head, 18, 0x0102, size)
    data = bytearray(head + body)
    for block, nxt, length in chain or []:
        data += b"\0" * max(0, (block + length) * size - len(data))
        struct.pack_into("<II", data, block * size, nxt, length)
    if chain:
        struct.pack_into("<I", data, 0, chain[0][0])
    return bytes(data), pointers


def pointer(block):
    return str(block).rjust(10) if block else " " * 10


def component_seed(table, memo, options, more):
    return bytes([options, more]) + struct.pack("<H", len(table)) + table + memo


long_line = b"w" * 300 + b" " + b"v" * 200
notes = [b"called 9:15\r\nconfirmed", long_line + b"\r\nsecond line\r\n", b"bare\nline\nfeeds"]
check = [("PAYEE", "C", 40, 0), ("AMTNUMBERS", "F", 10, 2), ("CHKDATE", "D", 8, 0), ("NOTES", "M", 10, 0)]
memo3, at3 = dbase3_memo(notes)
memo4, at4 = dbase4_memo(notes, 64, chain=[(12, 40, 3)])
odd = [("WHEN", "D", 3, 0), ("NAME", "C", 5, 0), ("N", "N", 2, 1), ("OK", "L", 1, 0), ("NOTES", "M", 10, 0)]
component_seeds = {
    "checks_dbase3": component_seed(dbf(0x83, check, [
        " " + "Jane Doe".ljust(40) + "    123.45" + "20260517" + pointer(at3[0]),
        "*" + "John Roe".ljust(40) + "      0.50" + "19991231" + pointer(at3[1]),
        " " + "".ljust(40) + "**********" + "00000000" + pointer(at3[2])]), memo3, 0xE1, 0x03),
    "checks_dbase4_hidden": component_seed(dbf(0x8B, check, [
        "*" + "first".ljust(40) + "      1.00" + "        " + pointer(at4[0]),
        " " + "second".ljust(40) + "      2.00" + "20000229" + pointer(at4[1]),
        " " + "third".ljust(40) + "      3.00" + "20260101" + pointer(at4[2])]), memo4, 0xB8, 0x03),
    "other_slot_sizes": component_seed(dbf(0x83, odd, [
        " 202hello 5T" + pointer(at3[0]), " 199world .F" + pointer(99)]), memo3, 0xE6, 0x01),
    "no_memo_file": component_seed(dbf(0x83, check, [" " + "x".ljust(40) + "      1.00" + "20260517" +
                                                      pointer(1)]), b"", 0x20, 0x02),
    "empty_table": component_seed(dbf(0x03, [("A", "C", 3, 0), ("B", "N", 5, 1)], []), b"", 0x61, 0x00),
}
out = os.path.join(here, "corpus", "tzdbf")
os.makedirs(out, exist_ok=True)
for name, data in component_seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
