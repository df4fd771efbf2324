#!/usr/bin/env python3
"""The payload of an installer and the worker's steps for it; the build and the benchmarks use it.

    payload.py product OUT_DIR SIZE_MB NubeloUI.exe Nubelo.ax nubdumper.dll
        Writes the demo product: 217 files in 14 folders, the same bytes on every run. SIZE_MB
        scales the generated files (the three built programs keep their own size): a few MB for the
        default build and the tests, about 100 for the benchmarks. The mix follows what a real
        desktop application ships: four large program libraries, many smaller PE-like binaries,
        text, images and incompressible media.

    payload.py worker PAYLOAD_DIR LG.lua.in LG.lua
        Writes the worker script from its template: the `operations` table lists every folder
        (kind 0) and file (kind 1) of PAYLOAD_DIR, so the steps and the package the build makes from
        the same folder can never disagree.

    payload.py steps PAYLOAD_DIR
        Prints that table alone, as the Lua statement `operations = {...}`.

Paths use "\\" between levels. Every folder comes first, in case-insensitive alphabetical order (so
that each stands before the folders inside it), then every file grouped by extension (ASCII
letters folded to lower case), then by name in UTF-16 code units: the order in which `lzpack create
--solid` forms its blocks, so the worker asks for the files of each block together and the block is
decoded once. (lzpack then lets blocks of many small files take turns with the others; orvo-build
writes its step list in that final order. For a folder of one block the two are the same.)
"""
import os
import random
import shutil
import struct
import sys
import zlib

FOLDERS = [
    "codecs", "codecs\\audio", "codecs\\video", "docs", "locales", "plugins", "plugins\\effects",
    "plugins\\sources", "resources", "resources\\images", "resources\\sounds", "skins", "skins\\dark",
    "skins\\light",
]

LANGUAGES = ["ar", "cs", "da", "de", "el", "en", "es", "fi", "fr", "he", "hu", "it", "ja", "ko", "nl",
             "pl", "pt", "ru", "sv", "zh-CN"]

WORDS = ("stream broadcast capture encoder frame audio video scene source overlay bitrate latency "
         "channel viewer chat gift room camera microphone mixer filter preset quality network buffer "
         "直播 画面 声音 主播 观众 房间 设置 清晰度 摄像头 麦克风").split()


def catalogue():
    """(relative path, kind, size in bytes at 100 MB) for every generated file."""
    files = []
    add = lambda path, kind, size: files.append((path, kind, size))
    # root: the large program libraries and the application's own files
    add("nubcore.dll", "pe", 18_900_000)
    add("nubrender.dll", "pe", 14_200_000)
    for name in ("avutil-56.dll", "swscale-5.dll", "libcurl.dll", "nubzip.dll", "nubnet.dll", "nubui.dll"):
        add(name, "pe", 900_000)
    add("licence.txt", "text", 24_000)
    add("readme.txt", "text", 6_000)
    add("version.json", "text", 300)
    add("settings.ini", "text", 2_000)
    # codecs
    add("codecs\\nubcodec.dll", "pe", 12_600_000)
    for i in range(9):
        add("codecs\\codec%02d.dll" % i, "pe", 350_000)
    for i in range(12):
        add("codecs\\audio\\audiodec%02d.dll" % i, "pe", 180_000)
    add("codecs\\video\\h264dec.dll", "pe", 10_400_000)
    for i in range(13):
        add("codecs\\video\\videodec%02d.dll" % i, "pe", 260_000)
    # documents and translations
    for name in ("manual.html", "faq.html", "changes.txt", "privacy.txt", "thanks.txt", "shortcuts.txt",
                 "hardware.txt", "troubleshooting.html"):
        add("docs\\" + name, "text", 40_000)
    for language in LANGUAGES:
        add("locales\\%s.ini" % language, "text", 30_000)
    # plugins
    for i in range(6):
        add("plugins\\plugin%02d.dll" % i, "pe", 420_000)
    for i in range(18):
        add("plugins\\effects\\effect%02d.dll" % i, "pe", 150_000)
    for i in range(12):
        add("plugins\\sources\\source%02d.dll" % i, "pe", 210_000)
    # resources: icons and pictures, sounds
    for name in ("app.ico", "tray.ico", "splash.png", "logo.png", "about.png", "banner.png"):
        add("resources\\" + name, "png", 60_000)
    for i in range(40):
        add("resources\\images\\image%02d.png" % i, "png", 90_000)
    for i in range(16):
        add("resources\\sounds\\sound%02d.wav" % i, "media", 420_000)
    # skins
    for name in ("skins.xml", "default.xml", "fonts.xml", "colors.xml"):
        add("skins\\" + name, "text", 8_000)
    for theme in ("dark", "light"):
        for i in range(18):
            add("skins\\%s\\part%02d.png" % (theme, i), "png", 45_000)
    return files


def pe_like(rng, size):
    """A PE header, then code-like runs (repeated instruction patterns) mixed with data."""
    head = bytearray(b"MZ" + b"\x90\x00" * 29 + struct.pack("<I", 0x80))
    head += bytes(0x80 - len(head)) + b"PE\x00\x00" + struct.pack("<HH", 0x8664, 6)
    out = bytearray(head)
    patterns = [bytes(rng.getrandbits(8) for _ in range(rng.randint(3, 12))) for _ in range(64)]
    while len(out) < size:
        if rng.random() < 0.7:
            out += patterns[rng.randrange(len(patterns))] * rng.randint(1, 6)
        else:
            out += rng.randbytes(rng.randint(8, 96))
    return bytes(out[:size])


def text(rng, size, path):
    lines = ["; " + path.replace("\\", "/"), ""]
    length = sum(len(line.encode("utf-8")) + 2 for line in lines)
    while length < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(6, 14)))
        lines.append(line)
        length += len(line.encode("utf-8")) + 2
    return "\r\n".join(lines).encode("utf-8")[:size]


def png(rng, size):
    """A real PNG whose pixels (a gradient with noise) come to about `size` bytes once compressed."""
    side = max(8, int((size / 2.2) ** 0.5))
    width, height = side, side
    base = [rng.randrange(256) for _ in range(3)]
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            noise = rng.randrange(48)
            rows += bytes(((base[0] + x + noise) & 255, (base[1] + y + noise) & 255, (base[2] + x + y) & 255))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")


def media(rng, size):
    data = rng.randbytes(max(0, size - 44))
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16)
    return header + b"data" + struct.pack("<I", len(data)) + data


def product(out, size_mb, ui, filter_, dumper):
    scale = float(size_mb) / 100.0
    programs = {"NubeloUI.exe": ui, "Nubelo.ax": filter_, "nubdumper.dll": dumper}

    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    for folder in FOLDERS:
        os.makedirs(os.path.join(out, *folder.split("\\")))
    for name, source in programs.items():
        shutil.copyfile(source, os.path.join(out, name))
    files = catalogue()
    for path, kind, size in files:
        rng = random.Random(path)
        size = max(64, int(size * scale))
        data = {"pe": lambda: pe_like(rng, size), "text": lambda: text(rng, size, path),
                "png": lambda: png(rng, size), "media": lambda: media(rng, size)}[kind]()
        with open(os.path.join(out, *path.split("\\")), "wb") as f:
            f.write(data)
    count = len(files) + len(programs)
    assert count == 217 and len(FOLDERS) == 14, (count, len(FOLDERS))


def lua_string(text):
    """Long brackets of a level the text cannot close: neither a "]]" inside nor a last "]" that
    the closing bracket would complete may end the string early."""
    level = 0
    while (text + "]" + "=" * level + "]").find("]" + "=" * level + "]") != len(text):
        level += 1
    lead = "\n" if text[:1] in ("\r", "\n") else ""
    return "[" + "=" * level + "[" + lead + text + "]" + "=" * level + "]"


ASCII_LOWER = str.maketrans("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz")


def package_key(path):
    """Where a file stands in the package order (the rule of lzpack's plan, blocks::before)."""
    name = path.replace("\\", "/")
    last = name[name.rfind("/") + 1:]
    dot = last.rfind(".")
    extension = last[dot + 1:].translate(ASCII_LOWER) if dot > 0 else ""
    return (extension.encode("utf-16-be"), name.encode("utf-16-be"))


def steps(root):
    """The rows of the `operations` table: every folder, then every file in package order."""
    folders, files = [], []
    for folder, dirs, names in os.walk(root):
        relative = os.path.relpath(folder, root)
        prefix = "" if relative == "." else relative.replace(os.sep, "\\") + "\\"
        folders += [prefix + d for d in dirs]
        files += [prefix + f for f in names]
    folders.sort(key=str.lower)
    files.sort(key=package_key)
    found = [(0, path) for path in folders] + [(1, path) for path in files]
    return "\n".join("    {%d, %s}," % (kind, lua_string(path)) for kind, path in found)


def worker(root, template, out):
    with open(template, encoding="utf-8") as f:
        script = f.read()
    if "--@OPERATIONS@" not in script:
        sys.exit("payload.py: the template has no --@OPERATIONS@ line")
    script = script.replace("--@OPERATIONS@", steps(root))
    partial = out + ".part"
    with open(partial, "w", encoding="utf-8", newline="\n") as f:
        f.write(script)
    os.replace(partial, out)


def main():
    command, arguments = (sys.argv[1], sys.argv[2:]) if len(sys.argv) > 1 else ("", [])
    if command == "product" and len(arguments) == 5:
        product(*arguments)
    elif command == "worker" and len(arguments) == 3:
        worker(*arguments)
    elif command == "steps" and len(arguments) == 1:
        sys.stdout.write("operations = {\n" + steps(arguments[0]) + "\n}\n")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
