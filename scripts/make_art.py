#!/usr/bin/env python3
"""Builds the program's art from the character grids in resources/art.

    make_art.py [OUTPUT_FOLDER]

Writes Korvid.ico (16 x 16 and 32 x 32, 32-bit with an AND mask) and
ToolBar.bmp (a 24-bit strip of 16 x 16 images) into OUTPUT_FOLDER, by default
resources/. The output depends on nothing but the grids, so the committed
binaries can be checked by building them again (scripts/check_art.sh).

Grid files: "palette" starts a list of "<char> <red> <green> <blue>" lines up
to "end"; "image <name>" is followed by its rows, one character a pixel.
Lines starting with "#" are comments. In the icon a "." is transparent; in
the toolbar it is the plain grey the toolbar treats as transparent.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ART = os.path.join(HERE, "..", "resources", "art")

# The toolbar's button images by position: the program picks them by index.
TOOLBAR_ORDER = [
    "new", "open", "save", "cut", "copy", "paste", "undo", "redo", "find",
    "goto-line", "insert-time", "insert-text", "indent", "outdent",
    "run-a", "run-b", "run-c",
    "bookmark-1", "bookmark-2", "bookmark-3", "bookmark-4", "bookmark-5",
    "new-instance", "options", "on-top", "rich-text", "word-wrap", "tray",
    "help",
]
TOOLBAR_BACKGROUND = (192, 192, 192)


class ArtError(Exception):
    pass


def read_art(path):
    """Returns (palette, [(name, rows)]) of a grid file."""
    palette = {}
    images = []
    in_palette = False
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            words = line.split()
            if in_palette:
                if words == ["end"]:
                    in_palette = False
                    continue
                if len(words) < 4 or len(words[0]) != 1:
                    raise ArtError(f"{path}:{number}: bad palette line")
                palette[words[0]] = tuple(int(w) for w in words[1:4])
            elif words == ["palette"]:
                in_palette = True
            elif words[0] == "image" and len(words) == 2:
                images.append((words[1], []))
            elif images:
                images[-1][1].append(line)
            else:
                raise ArtError(f"{path}:{number}: row outside an image")
    for name, rows in images:
        for row in rows:
            unknown = set(row) - set(palette)
            if unknown:
                raise ArtError(f"{path}: image {name} uses {sorted(unknown)} outside the palette")
    return palette, images


def check_size(name, rows, size):
    if len(rows) != size or any(len(row) != size for row in rows):
        raise ArtError(f"image {name} is not {size} x {size}")


def bmp_24(width, height, pixel):
    """A bottom-up 24-bit BMP; pixel(x, y) gives (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + bytes(data)


def icon_image(rows, palette):
    """One icon image: BITMAPINFOHEADER, BGRA pixels and the AND mask."""
    size = len(rows)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        mask_row = bytearray(mask_stride)
        for x, char in enumerate(rows[y]):
            transparent = char == "."
            r, g, b = (0, 0, 0) if transparent else palette[char]
            pixels += bytes((b, g, r, 0 if transparent else 255))
            if transparent:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                       0, 0, 0, 0)
    return info + bytes(pixels) + bytes(mask)


def build_icon(path):
    palette, images = read_art(path)
    if "." not in palette:
        raise ArtError("the icon palette needs '.' for transparent")
    images = sorted(images, key=lambda image: len(image[1]))
    entries = []
    for name, rows in images:
        check_size(name, rows, len(rows))
        entries.append((len(rows), icon_image(rows, palette)))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    blobs = b""
    for size, blob in entries:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                                 offset + len(blobs))
        blobs += blob
    return directory + blobs


def build_toolbar(path):
    palette, images = read_art(path)
    names = [name for name, _ in images]
    if names != TOOLBAR_ORDER:
        raise ArtError(f"toolbar images must be, in order: {TOOLBAR_ORDER}; found {names}")
    if palette.get(".") != TOOLBAR_BACKGROUND:
        raise ArtError("the toolbar background '.' must be 192,192,192")
    clashes = [c for c, rgb in palette.items() if c != "." and rgb == TOOLBAR_BACKGROUND]
    if clashes:
        raise ArtError(f"palette entries {clashes} would vanish as background")
    for name, rows in images:
        check_size(name, rows, 16)

    def pixel(x, y):
        return palette[images[x // 16][1][y][x % 16]]

    return bmp_24(16 * len(images), 16, pixel)


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(HERE, "..", "resources")
    os.makedirs(out, exist_ok=True)
    try:
        outputs = {
            "Korvid.ico": build_icon(os.path.join(ART, "icon.txt")),
            "ToolBar.bmp": build_toolbar(os.path.join(ART, "toolbar.txt")),
        }
    except ArtError as error:
        print(f"make_art: {error}", file=sys.stderr)
        return 1
    for name, data in outputs.items():
        with open(os.path.join(out, name), "wb") as target:
            target.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
