#!/usr/bin/env python3
"""A realistic installer payload, the same bytes on every run: 217 files of about 100 MB in 14
folders at most two deep, with names in mixed letter case. Four large executables (10-19 MB) and
80 smaller ones are PE-like (header, code made of instruction-like tokens, strings, tables,
resources, relocations) and pack to about 40 % with LZMA; then translations, style documents and
other text, skin images (deflated pixels, as in PNG files), fonts, and incompressible media.

    python3 bench/payload.py DIR          writes the payload under DIR (which must not exist)
    python3 bench/payload.py --steps DIR  prints the worker's step list for DIR as Lua: folders and
                                          files without regard to letter case, "\\" between levels,
                                          every folder before the entries inside it
"""
import os
import random
import struct
import sys
import zlib

SEED = 20240611
TARGET = 100_000_000   # bytes of the whole payload

FOLDERS = ["audio", "bearer", "iconengines", "imageformats", "platforms", "Plugins", "Plugins/encoders",
           "Plugins/filters", "resources", "resources/Fonts", "resources/media", "skin", "skin/images",
           "translations"]
BIG = [("Nubelo.exe", 18_700_000), ("NubeloCore.dll", 14_900_000), ("libcodec-58.dll", 12_300_000),
       ("Render3D.dll", 10_200_000)]
SYLLABLES = ["av", "core", "gui", "net", "ka", "lo", "mi", "sen", "tor", "vid", "dec", "enc", "ren", "der",
             "sha", "pix", "fmt", "util", "res", "am", "bo", "qu", "xi", "zen", "pa", "tex", "wid", "get"]
WORDS = None   # filled by vocabulary()
IMPORTS = ["CreateFileW", "ReadFile", "WriteFile", "CloseHandle", "GetLastError", "HeapAlloc", "HeapFree",
           "VirtualAlloc", "LoadLibraryW", "GetProcAddress", "EnterCriticalSection", "LeaveCriticalSection",
           "WaitForSingleObject", "SetEvent", "CreateThread", "GetModuleHandleW", "MultiByteToWideChar",
           "WideCharToMultiByte", "RegOpenKeyExW", "RegQueryValueExW", "CoCreateInstance", "SendMessageW",
           "PostMessageW", "DefWindowProcW", "GetDC", "ReleaseDC", "BitBlt", "CreateCompatibleDC"]


def vocabulary(rng):
    letters = "etaoinshrdlucmfwypvbgkqjxz"
    words = ["".join(rng.choice(letters) for _ in range(rng.randint(2, 10))) for _ in range(6000)]
    return words + ["the", "of", "and", "to", "in", "is", "for", "on", "with", "file", "error", "value"]


# --- executables ----------------------------------------------------------------------------------

OPCODES = [b"\x48\x89", b"\x48\x8b", b"\x89", b"\x8b", b"\xe8", b"\x48\x83\xec", b"\x48\x83\xc4", b"\x0f\x84",
           b"\x0f\x85", b"\x74", b"\x75", b"\xeb", b"\x48\x8d", b"\x33\xc0", b"\xc3", b"\x55", b"\x53", b"\x41\x57",
           b"\x41\x56", b"\x48\x85\xc0", b"\x85\xc0", b"\xff\x15", b"\x4c\x8b", b"\x4c\x89", b"\x39", b"\x3b",
           b"\x83\xf8", b"\xcc", b"\x90", b"\x66\x0f\x1f\x44\x00\x00", b"\xf3\x0f\x10", b"\x0f\xb6", b"\xc7\x44\x24"]


class CodeMaker:
    """Functions built from a skewed vocabulary of instruction-like tokens, displacements and
    call targets; a file's code is drawn from a pool of them, each copy slightly changed, as
    compiled code repeats its idioms without repeating itself."""

    def __init__(self, rng):
        self.rng = rng
        self.vocab = []
        for _ in range(3000):
            tail = bytes(rng.choice([0x44, 0x45, 0x4C, 0x54, 0x5C, 0x8D, 0xC0, 0xC8, 0xD8, 0x0D, 0x05, 0x24,
                                     rng.randrange(256)]) for _ in range(rng.choice([0, 1, 1, 2, 2, 3])))
            self.vocab.append(rng.choice(OPCODES) + tail)
        self.weights = [1.0 / (i + 1) ** 0.9 for i in range(len(self.vocab))]
        self.pool = [self.function() for _ in range(12000)]

    def function(self):
        rng = self.rng
        out = bytearray()
        for token in rng.choices(self.vocab, self.weights, k=rng.randint(8, 120)):
            out += token
            r = rng.random()
            if r < 0.18:
                out.append(rng.choice([8, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48, rng.randrange(256)]))
            elif r < 0.26:
                out += rng.randbytes(3) + b"\xff" if rng.random() < 0.3 else rng.randbytes(2) + b"\x00\x00"
        out += b"\xc3" + b"\xcc" * rng.choice([0, 1, 3, 7, 11])
        return bytes(out)

    def code(self, size):
        rng = self.rng
        parts, have = [], 0
        while have < size:
            for f in rng.choices(self.pool, k=size // 60 + 16):
                f = bytearray(f)
                for p in rng.sample(range(len(f)), max(1, len(f) // 10)):
                    f[p] = rng.randrange(256)
                parts.append(f)
                have += len(f)
                if have >= size:
                    break
        return b"".join(parts)[:size]


def strings(rng, size):
    parts, have = [], 0
    while have < size:
        kind = rng.random()
        if kind < 0.4:
            s = ("?" + "".join(w.capitalize() for w in rng.choices(WORDS, k=rng.randint(1, 3))) + "@" +
                 rng.choice(WORDS).capitalize() + "@@QEAA" + rng.choice(["XXZ", "HXZ", "_NPEAX@Z", "AEBV1@@Z"])).encode()
        elif kind < 0.7:
            s = " ".join(rng.choices(WORDS, k=rng.randint(3, 12))).encode()
        elif kind < 0.85:
            s = " ".join(rng.choices(WORDS, k=rng.randint(2, 6))).encode("utf-16-le")
        else:
            s = rng.choice(IMPORTS).encode() + b"\0" + struct.pack("<H", rng.randrange(2000))
        parts.append(s + b"\0" * (1 + (-len(s) - 1) % 4))
        have += len(parts[-1])
    return b"".join(parts)[:size]


def tables(rng, size):
    # vtables and pointer tables near the image base, small counters, runs of zeros
    parts, have = [], 0
    base = 0x180000000
    while have < size:
        r = rng.random()
        if r < 0.5:
            p = b"".join(struct.pack("<Q", base + rng.randrange(0x600000) * 8) for _ in range(rng.randint(4, 40)))
        elif r < 0.8:
            p = b"".join(struct.pack("<I", rng.randrange(rng.choice([16, 256, 65536]))) for _ in range(rng.randint(4, 64)))
        else:
            p = bytes(rng.randint(16, 2048))
        parts.append(p)
        have += len(p)
    return b"".join(parts)[:size]


def relocations(rng, size):
    parts, have, page = [], 0, 0x1000
    while have < size:
        offsets = sorted(rng.sample(range(0x1000), 64))
        block = struct.pack("<II", page, 8 + 2 * len(offsets)) + b"".join(struct.pack("<H", 0xA000 | o) for o in offsets)
        parts.append(block)
        have += len(block)
        page += 0x1000
    return b"".join(parts)[:size]


def resources(rng, size):
    # icons as deflated pixels (nearly incompressible) beside bitmaps and manifests
    parts, have = [], 0
    while have < size:
        if rng.random() < 0.6:
            p = deflated_pixels(rng, rng.randint(2_000, 40_000))
        else:
            p = bitmap(rng, rng.randint(4_000, 60_000))
        parts.append(p)
        have += len(p)
    return b"".join(parts)[:size]


def executable(rng, code_maker, size, dll):
    header = bytearray(1024)
    header[0:2] = b"MZ"
    header[0x3C:0x40] = struct.pack("<I", 0x100)
    header[0x40:0x80] = b"This program cannot be run in DOS mode.\r\r\n$".ljust(64, b"\0")
    header[0x100:0x104] = b"PE\0\0"
    header[0x104:0x118] = struct.pack("<HHIIIHH", 0x8664, 5, rng.randrange(1 << 31), 0, 0, 0xF0,
                                      0x2022 if dll else 0x22)
    names = [b".text", b".rdata", b".data", b".rsrc", b".reloc"]
    shares = [0.62, 0.14, 0.08, 0.12, 0.04]
    for i, name in enumerate(names):
        header[0x208 + 40 * i:0x210 + 40 * i] = name.ljust(8, b"\0")
    body = size - len(header)
    sizes = [int(body * s) for s in shares]
    sizes[0] += body - sum(sizes)
    makers = [code_maker.code, lambda n: strings(rng, n), lambda n: tables(rng, n), lambda n: resources(rng, n),
              lambda n: relocations(rng, n)]
    return bytes(header) + b"".join(make(n) for make, n in zip(makers, sizes))


# --- other kinds ----------------------------------------------------------------------------------

def deflated_pixels(rng, size):
    # a PNG's idea of a skin image: a gradient with noise, deflated; the header makes it look right
    width = 64
    rows = []
    for y in range(max(1, size // (width * 4) + 1)):
        rows.append(bytes((x * 3 + y * 5 + rng.randrange(48)) & 0xFF for x in range(width * 4)))
    data = zlib.compress(b"".join(rows), 6)
    head = b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" + struct.pack(">IIBBBBB", width, len(rows), 8, 6, 0, 0, 0)
    out = head + data
    while len(out) < size:
        out += zlib.compress(rng.randbytes(4096), 1)
    return out[:size]


def bitmap(rng, size):
    # an uncompressed bitmap of a few flat colours with soft edges: packs well
    palette = [bytes([rng.randrange(256) for _ in range(3)]) + b"\xff" for _ in range(6)]
    out = bytearray(b"BM" + struct.pack("<IHHI", size, 0, 0, 54) + bytes(40))
    while len(out) < size:
        colour = rng.choice(palette)
        out += colour * rng.randint(4, 200)
        out += bytes(rng.randrange(256) for _ in range(rng.randint(0, 8)))
    return bytes(out[:size])


def text(rng, size, kind):
    lines, have = [], 0
    while have < size:
        words = " ".join(rng.choices(WORDS, k=rng.randint(4, 14)))
        if kind == "xml":
            line = '  <%s name="%s" value="%d">%s</%s>\n' % (rng.choice(WORDS), rng.choice(WORDS), rng.randrange(1000),
                                                         words, "item")
        elif kind == "json":
            line = '  "%s": "%s",\n' % (rng.choice(WORDS), words)
        elif kind == "ini":
            line = "%s=%s\n" % (rng.choice(WORDS), rng.randrange(100000))
        else:
            line = words.capitalize() + ".\n"
        lines.append(line)
        have += len(line)
    return "".join(lines).encode()[:size]


def translation(rng, size):
    # compiled translations: source and translated strings in UTF-16 with small record headers
    parts, have = [b"\x3c\xb8\x64\x18\xca\xef\x9c\x95\xcd\x21\x1c\xbf\x60\xa1\xbd\xdd"], 16
    while have < size:
        s = " ".join(rng.choices(WORDS, k=rng.randint(1, 8))).encode("utf-16-be")
        t = "".join(chr(0x4E00 + rng.randrange(3000)) for _ in range(rng.randint(1, 12))).encode("utf-16-be")
        p = b"\x03" + struct.pack(">I", len(s)) + s + b"\x07" + struct.pack(">I", len(t)) + t + b"\x01"
        parts.append(p)
        have += len(p)
    return b"".join(parts)[:size]


def font(rng, size):
    # glyph outlines: small coordinates and flags, somewhat compressible
    out = bytearray(b"\0\1\0\0" + struct.pack(">HHHH", 14, 128, 3, 96))
    while len(out) < size:
        out += bytes(rng.choice([rng.randrange(256), rng.randrange(16), 1, 0x33]) for _ in range(256))
    return bytes(out[:size])


def media(rng, size):
    return rng.randbytes(size)


# --- the tree -------------------------------------------------------------------------------------

def name_of(rng, used, folder, ext, capital):
    while True:
        stem = "".join(rng.choices(SYLLABLES, k=rng.randint(1, 3)))
        if capital:
            stem = stem.capitalize()
        stem += rng.choice(["", "", "5", "_x64", "-58", "Core", "UI"])
        path = (folder + "/" if folder else "") + stem + ext
        if path.lower() not in used:
            used.add(path.lower())
            return path


def plan(rng):
    """(path, kind, size) for every file; sizes scaled so that the whole is TARGET bytes."""
    used = {b[0].lower() for b in BIG}
    files = [(path, "exe", size) for path, size in BIG]

    def spread(count, total, low, high, median):
        sizes = [min(high, max(low, int(rng.lognormvariate(0, 1.1) * median))) for _ in range(count)]
        scale = total / sum(sizes)
        return [max(low, int(s * scale)) for s in sizes]

    pe_folders = [("", 30), ("Plugins", 8), ("Plugins/encoders", 10), ("Plugins/filters", 12), ("platforms", 2),
                  ("imageformats", 8), ("iconengines", 1), ("bearer", 3), ("audio", 6)]
    pe_sizes = iter(spread(80, 20_000_000, 16_000, 3_000_000, 180_000))
    for folder, count in pe_folders:
        for _ in range(count):
            ext = rng.choice([".dll"] * 6 + [".exe", ".ax"] if folder != "Plugins/filters" else [".ax", ".dll"])
            files.append((name_of(rng, used, folder, ext, rng.random() < 0.45), "exe", next(pe_sizes)))

    text_kinds = [("translations", ".qm", "qm", 20), ("skin", ".xml", "xml", 10), ("resources", ".json", "json", 6),
                  ("resources", ".ini", "ini", 4), ("", ".txt", "txt", 6), ("", ".xml", "xml", 4)]
    text_sizes = iter(spread(50, 6_000_000, 600, 900_000, 60_000))
    for folder, ext, kind, count in text_kinds:
        for _ in range(count):
            files.append((name_of(rng, used, folder, ext, rng.random() < 0.3), kind, next(text_sizes)))

    image_sizes = iter(spread(60, 5_000_000, 300, 600_000, 40_000))
    for i in range(60):
        folder, ext, kind = ("skin/images", ".png", "png") if i < 50 else ("resources", rng.choice([".png", ".bmp", ".ico"]), "png")
        if ext == ".bmp":
            kind = "bmp"
        files.append((name_of(rng, used, folder, ext, rng.random() < 0.5), kind, next(image_sizes)))

    for size in spread(6, 5_000_000, 200_000, 2_000_000, 700_000):
        files.append((name_of(rng, used, "resources/Fonts", ".ttf", True), "ttf", size))
    for _ in range(17):
        files.append((name_of(rng, used, "resources/media", rng.choice([".mp4", ".mp3", ".ogg", ".webm"]),
                              rng.random() < 0.3), "media", 0))

    # the incompressible media take whatever is left of the target
    fixed = sum(size for _, kind, size in files if kind != "media")
    media_files = [i for i, f in enumerate(files) if f[1] == "media"]
    weights = [rng.lognormvariate(0, 0.8) for _ in media_files]
    left = TARGET - fixed
    for i, w in zip(media_files, weights):
        files[i] = (files[i][0], "media", int(left * w / sum(weights)))
    last = media_files[-1]
    files[last] = (files[last][0], "media", files[last][2] + TARGET - sum(f[2] for f in files))
    assert len(files) == 217, len(files)
    return files


def generate(root):
    global WORDS
    rng = random.Random(SEED)
    WORDS = vocabulary(rng)
    code_maker = CodeMaker(rng)
    for folder in FOLDERS:
        os.makedirs(os.path.join(root, folder))
    for path, kind, size in plan(rng):
        if kind == "exe":
            data = executable(rng, code_maker, size, path.endswith((".dll", ".ax")))
        elif kind in ("xml", "json", "ini", "txt"):
            data = text(rng, size, kind)
        elif kind == "qm":
            data = translation(rng, size)
        elif kind == "png":
            data = deflated_pixels(rng, size)
        elif kind == "bmp":
            data = bitmap(rng, size)
        elif kind == "ttf":
            data = font(rng, size)
        else:
            data = media(rng, size)
        assert len(data) == size, (path, len(data), size)
        with open(os.path.join(root, path), "wb") as f:
            f.write(data)


def steps(root):
    """The worker's step list: {0, folder} and {1, file}, relative, "\\" between levels."""
    entries = []
    for folder, dirs, names in os.walk(root):
        rel = os.path.relpath(folder, root)
        for d in dirs:
            entries.append((0, os.path.normpath(os.path.join(rel, d))))
        for n in names:
            entries.append((1, os.path.normpath(os.path.join(rel, n))))
    entries = [(kind, path.replace("/", "\\")) for kind, path in entries]
    entries.sort(key=lambda e: e[1].lower())
    lines = ["{%d, [==[%s]==]}," % (kind, path) for kind, path in entries]
    return "operations = {\n" + "\n".join(lines) + "\n}\n"


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--steps":
        sys.stdout.write(steps(sys.argv[2]))
    elif len(sys.argv) == 2:
        generate(sys.argv[1])
    else:
        sys.stderr.write(__doc__)
        sys.exit(2)
