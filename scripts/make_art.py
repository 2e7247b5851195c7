#!/usr/bin/env python3
"""Builds the program's art from the character grids in resources/art.

    make_art.py [OUTPUT_FOLDER]

Writes Korvid.ico (every size icon.txt draws, 32-bit with an AND mask), the
toolbar strips ToolBar.bmp, ToolBar24.bmp and ToolBar32.bmp (24-bit strips of
16, 24 and 32 pixel images, from toolbar.txt, toolbar-24.txt and
toolbar-32.txt: the larger images are drawn apart, for larger screen scales,
never scaled from the small ones) and the document icons
icons/<name>.ico into OUTPUT_FOLDER, by default resources/. The output depends
on nothing but the grids, so the committed binaries can be checked by
building them again (scripts/check_art.sh).

Grid files: "palette" starts a list of "<char> <red> <green> <blue>" lines up
to "end"; "image <name>" is followed by its rows, one character a pixel.
Lines starting with "#" are comments. In the icons a "." is transparent; in
the toolbar it is the plain grey the toolbar treats as transparent.

The document icons (documents.txt) add two kinds of entry:
  "glyph <size> <char>" followed by the letter's rows, "x" ink and "." none,
      a pixel font for the labels of the <size> x <size> images;
  "type <name> <label> <red> <green> <blue>", one icon of a file type.
Each type is drawn on the templates "page-16" and "page-32": their "b"
pixels take the type's band colour, "s" pixels a darker shade of it, and the
label, its letters one pixel apart, is centred on the band's "b" pixels in
the palette's "t" colour. "image document-16" and "document-32" are the
generic document icon, drawn as they are.
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


# The band and label characters of the document page templates.
BAND, SHADE, LABEL = "b", "s", "t"


class ArtError(Exception):
    pass


class Art:
    """The contents of one grid file."""

    def __init__(self):
        self.palette = {}
        self.images = []  # [(name, rows)] in file order
        self.glyphs = {}  # {(size, char): rows}
        self.types = []  # [(name, label, (r, g, b))] in file order


def read_art(path):
    """Reads a grid file into an Art; the rows are not checked here."""
    art = Art()
    rows = None
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
                art.palette[words[0]] = tuple(int(w) for w in words[1:4])
            elif words == ["palette"]:
                in_palette = True
            elif words[0] == "image" and len(words) == 2:
                rows = []
                art.images.append((words[1], rows))
            elif words[0] == "glyph" and len(words) == 3 and len(words[2]) == 1:
                rows = []
                art.glyphs[(int(words[1]), words[2])] = rows
            elif words[0] == "type" and len(words) == 6:
                art.types.append((words[1], words[2], tuple(int(w) for w in words[3:6])))
                rows = None
            elif rows is not None:
                rows.append(line)
            else:
                raise ArtError(f"{path}:{number}: row outside an image")
    return art


def check_chars(name, rows, allowed):
    for row in rows:
        unknown = set(row) - set(allowed)
        if unknown:
            raise ArtError(f"image {name} uses {sorted(unknown)} outside the palette")


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


def icon_file(images, palette):
    """An .ico of the images, [(name, rows)], smallest first."""
    if "." not in palette:
        raise ArtError("the icon palette needs '.' for transparent")
    images = sorted(images, key=lambda image: len(image[1]))
    entries = []
    for name, rows in images:
        check_size(name, rows, len(rows))
        check_chars(name, rows, palette)
        entries.append((len(rows), icon_image(rows, palette)))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    blobs = b""
    for size, blob in entries:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                                 offset + len(blobs))
        blobs += blob
    return directory + blobs


def build_icon(path):
    art = read_art(path)
    return icon_file(art.images, art.palette)


def shade(colour):
    """The darker edge of a band."""
    return tuple(c * 3 // 5 for c in colour)


def draw_label(name, page, label, glyphs, size):
    """The page's rows with the label drawn centred on its band."""
    letters = []
    for char in label:
        if (size, char) not in glyphs:
            raise ArtError(f"no {size} x {size} glyph for {char!r} of label {label}")
        letters.append(glyphs[(size, char)])
    height = len(letters[0])
    if any(len(rows) != height or len({len(row) for row in rows}) != 1 for rows in letters):
        raise ArtError(f"the {size} x {size} glyphs of {label} are not one height")
    width = sum(len(rows[0]) for rows in letters) + len(letters) - 1
    band = [(x, y) for y, row in enumerate(page) for x, char in enumerate(row) if char == BAND]
    if not band:
        raise ArtError(f"{name} has no band")
    left, top = min(x for x, _ in band), min(y for _, y in band)
    band_width = max(x for x, _ in band) - left + 1
    band_height = max(y for _, y in band) - top + 1
    x0 = left + (band_width - width) // 2
    y0 = top + (band_height - height) // 2
    pixels = [list(row) for row in page]
    for rows in letters:
        for dy, row in enumerate(rows):
            for dx, char in enumerate(row):
                if char == "x":
                    x, y = x0 + dx, y0 + dy
                    if pixels[y][x] != BAND:
                        raise ArtError(f"label {label} does not fit the band of {name}")
                    pixels[y][x] = LABEL
        x0 += len(rows[0]) + 1
    return ["".join(row) for row in pixels]


def build_documents(path):
    """{file name: .ico} of the generic document icon and one per type."""
    art = read_art(path)
    images = dict(art.images)
    for char in (BAND, SHADE):
        if char in art.palette:
            raise ArtError(f"'{char}' is the band of the templates, not a palette colour")
    if LABEL not in art.palette:
        raise ArtError(f"the palette needs '{LABEL}' for the labels")
    pages = {}
    for size in (16, 32):
        name = f"page-{size}"
        if name not in images:
            raise ArtError(f"documents need the template {name}")
        check_size(name, images[name], size)
        check_chars(name, images[name], set(art.palette) | {BAND, SHADE})
        pages[size] = images[name]
    generic = [(name, images[name]) for name in ("document-16", "document-32")]
    outputs = {"document.ico": icon_file(generic, art.palette)}
    for name, label, colour in art.types:
        palette = dict(art.palette)
        palette[BAND] = colour
        palette[SHADE] = shade(colour)
        drawn = [(f"{name}-{size}", draw_label(f"{name}-{size}", page, label, art.glyphs, size))
                 for size, page in pages.items()]
        file_name = f"{name}.ico"
        if file_name in outputs:
            raise ArtError(f"type {name} is listed twice")
        outputs[file_name] = icon_file(drawn, palette)
    looks = {}
    for file_name, data in outputs.items():
        if data in looks:
            raise ArtError(f"{file_name} looks the same as {looks[data]}")
        looks[data] = file_name
    return outputs


def build_toolbar(path, size=16):
    art = read_art(path)
    palette, images = art.palette, art.images
    names = [name for name, _ in images]
    if names != TOOLBAR_ORDER:
        raise ArtError(f"toolbar images must be, in order: {TOOLBAR_ORDER}; found {names}")
    if palette.get(".") != TOOLBAR_BACKGROUND:
        raise ArtError("the toolbar background '.' must be 192,192,192")
    clashes = [c for c, rgb in palette.items() if c != "." and rgb == TOOLBAR_BACKGROUND]
    if clashes:
        raise ArtError(f"palette entries {clashes} would vanish as background")
    for name, rows in images:
        check_size(name, rows, size)
        check_chars(name, rows, palette)

    def pixel(x, y):
        return palette[images[x // size][1][y][x % size]]

    return bmp_24(size * len(images), size, pixel)


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(HERE, "..", "resources")
    try:
        outputs = {
            "Korvid.ico": build_icon(os.path.join(ART, "icon.txt")),
            "ToolBar.bmp": build_toolbar(os.path.join(ART, "toolbar.txt")),
            "ToolBar24.bmp": build_toolbar(os.path.join(ART, "toolbar-24.txt"), 24),
            "ToolBar32.bmp": build_toolbar(os.path.join(ART, "toolbar-32.txt"), 32),
        }
        documents = build_documents(os.path.join(ART, "documents.txt"))
    except ArtError as error:
        print(f"make_art: {error}", file=sys.stderr)
        return 1
    for name, data in documents.items():
        outputs[os.path.join("icons", name)] = data
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    for name, data in outputs.items():
        with open(os.path.join(out, name), "wb") as target:
            target.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
