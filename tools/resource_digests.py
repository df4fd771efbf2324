#!/usr/bin/env python3
"""Writes the installer's digest resource: the size and SHA-256 of each named resource's exact bytes.

    resource_digests.py OUT ID=FILE [ID=FILE ...]

Layout (little-endian): the 8 bytes "ORVODIG1", the record count (4 bytes), then per resource its id
(4 bytes), its size in bytes (4 bytes) and the SHA-256 of its bytes (32 bytes).
"""
import hashlib
import struct
import sys


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    records = []
    for arg in argv[2:]:
        ident, _, path = arg.partition("=")
        with open(path, "rb") as f:
            data = f.read()
        records.append(struct.pack("<II", int(ident), len(data)) + hashlib.sha256(data).digest())
    out = b"ORVODIG1" + struct.pack("<I", len(records)) + b"".join(records)
    with open(argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv)
