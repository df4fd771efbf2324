#!/usr/bin/env python3
"""Writes the installer's digest resource: for each named resource, the SHA-256 of every slice of its
exact bytes, so that the installer can check the slices on all its cores at once.

    resource_digests.py OUT ID=FILE [ID=FILE ...]

Layout (little-endian): the 8 bytes "ORVODIG1", the record count (4 bytes), the slice size in bytes
(4 bytes, 1 MiB); then per resource its id (4 bytes), its size in bytes (4 bytes) and the SHA-256 of
each slice in order (32 bytes each): slice k holds the bytes from k * slice size on, the last one
what is left, and a resource of 0 bytes has one slice, empty.
"""
import hashlib
import struct
import sys

SLICE = 1 << 20


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    records = []
    for arg in argv[2:]:
        ident, _, path = arg.partition("=")
        with open(path, "rb") as f:
            data = f.read()
        slices = [data[at:at + SLICE] for at in range(0, len(data), SLICE)] or [b""]
        records.append(struct.pack("<II", int(ident), len(data)) +
                       b"".join(hashlib.sha256(piece).digest() for piece in slices))
    out = b"ORVODIG1" + struct.pack("<II", len(records), SLICE) + b"".join(records)
    with open(argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv)
