#!/usr/bin/env python3
"""Writes boundary.exe: a 32-bit PE program laid out byte by byte so that every piece
of its version resource sits on a section boundary.

The file uses the small alignment (sections and file both aligned to 0x200, each
section's address equal to its file offset) and has no gaps between sections:

  0x000  headers: DOS header, PE signature, COFF header, PE32 optional header with the
         resource directory at 0x400 (0x200 bytes), two section headers
  0x200  .text  address 0x200, 0x200 bytes: "ret", then zeros
  0x400  .rsrc  address 0x400, 0x200 bytes, ending where the file ends:
         +0x000 root table: one numbered entry, type 16, table at +0x18
         +0x018 type table: one numbered entry, number 1, table at +0x30
         +0x030 number table: one numbered entry, language 0x0409, data entry at +0x48
         +0x048 data entry: the block at address 0x5A4, 0x5C bytes
         +0x1A4 VS_VERSIONINFO of 0x5C bytes: file version 3.14.15.92, product
                version 2.7.1.8; its last byte is the last byte of the section and
                of the file

So the resource root starts at the very address where .text's raw data ends, and the
version block ends exactly at the end of .rsrc and of the file. A reader that lets a
section claim the address just past its end, refuses data that ends on a section's
end, or refuses a section that ends at the end of the file gives no version here.

Run it from this directory after changing it: python3 make_boundary.py
"""

import struct

SECTION = 0x200
TEXT = 0x200
RSRC = 0x400
END = 0x600
VERSION_AT = END - 0x5C


def header():
    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x40)  # the PE header follows at once
    coff = struct.pack("<4sHHIIIHH", b"PE\0\0", 0x14C, 2, 0, 0, 0, 0xE0, 0x0102)
    optional = struct.pack(
        "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
        0x10B, 1, 0,             # PE32, linker version
        SECTION, SECTION, 0,     # sizes of code, initialised and uninitialised data
        TEXT, TEXT, RSRC,        # entry point, base of code, base of data
        0x400000, SECTION, SECTION,  # image base, section and file alignment
        4, 0, 0, 0, 4, 0, 0,     # system, image and subsystem versions, reserved
        END, SECTION, 0,         # size of image, size of headers, checksum
        2, 0,                    # GUI subsystem, no DLL characteristics
        0x100000, 0x1000, 0x100000, 0x1000, 0, 16)  # stack, heap, loader flags, 16 directories
    directories = bytearray(16 * 8)
    struct.pack_into("<II", directories, 2 * 8, RSRC, SECTION)  # resources
    sections = struct.pack("<8sIIIIIIHHI", b".text", SECTION, TEXT, SECTION, TEXT, 0, 0, 0, 0, 0x60000020)
    sections += struct.pack("<8sIIIIIIHHI", b".rsrc", SECTION, RSRC, SECTION, RSRC, 0, 0, 0, 0, 0x40000040)
    head = dos + coff + optional + directories + sections
    assert len(coff) == 24 and len(optional) + len(directories) == 0xE0
    return head + bytes(SECTION - len(head))


def table(number, target):
    # Characteristics, time stamp, version, no named entries, one numbered entry.
    return struct.pack("<IIHHHHII", 0, 0, 0, 0, 0, 1, number, target)


def version_block():
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, (3 << 16) | 14, (15 << 16) | 92,
                        (2 << 16) | 7, (1 << 16) | 8, 0x3F, 0, 0x40004, 1, 0, 0, 0)
    block = struct.pack("<HHH", 0x5C, len(fixed), 0) + key + bytes(2) + fixed
    assert len(block) == 0x5C
    return block


def resources():
    data = table(16, 0x80000018) + table(1, 0x80000030) + table(0x0409, 0x48)
    data += struct.pack("<IIII", VERSION_AT, 0x5C, 0, 0)
    data += bytes(VERSION_AT - RSRC - len(data))
    return data + version_block()


text = b"\xC3" + bytes(SECTION - 1)
image = header() + text + resources()
assert len(image) == END
with open("boundary.exe", "wb") as out:
    out.write(image)
