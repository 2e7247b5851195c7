#!/usr/bin/env python3
"""Puts the toolbar's button images into the help page.

    make_help_images.py [--check] [PAGE]

The page (by default help/ReadMe.htm) shows every toolbar button with its
image. Each image is an <img> tag with a data-image attribute naming the
button as the toolbar's image list does (TOOLBAR_ORDER in make_art.py):

    <img data-image="save" src="..." alt="Save">

This script cuts the 16 x 16 images out of resources/ToolBar.bmp and writes
each one into the src of its tag as an inline PNG (a data: URI), so the page
stays a single file. The toolbar's grey background becomes transparent, as
it is on the toolbar. Nothing else in the page changes.

With --check the page is left alone: the script only says whether every
image in the page is the one the strip holds now (exit status 1 if not, or
if a tag names no known image). The output depends on nothing but the strip
and the page, so running it twice changes nothing.
"""
import ast
import base64
import os
import re
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
STRIP = os.path.join(ROOT, "resources", "ToolBar.bmp")
ART_SCRIPT = os.path.join(HERE, "make_art.py")
PAGE = os.path.join(ROOT, "help", "ReadMe.htm")
SIDE = 16
BACKGROUND = (192, 192, 192)

IMG_TAG = re.compile(r"<img\b[^>]*>", re.IGNORECASE | re.DOTALL)
NAME_ATTR = re.compile(r'\bdata-image="([^"]*)"')
SRC_ATTR = re.compile(r'\bsrc="[^"]*"')


class HelpImageError(Exception):
    pass


def toolbar_order(path=ART_SCRIPT):
    """TOOLBAR_ORDER as make_art.py defines it, read without running it."""
    with open(path, encoding="utf-8") as source:
        tree = ast.parse(source.read(), path)
    for node in tree.body:
        if isinstance(node, ast.Assign) and any(
                isinstance(t, ast.Name) and t.id == "TOOLBAR_ORDER" for t in node.targets):
            return list(ast.literal_eval(node.value))
    raise HelpImageError(f"{path} defines no TOOLBAR_ORDER")


def read_bmp(path):
    """(width, height, rows of (r, g, b)) of an uncompressed 8- or 24-bit BMP."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM" or len(data) < 54:
        raise HelpImageError(f"{path} is not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if compression != 0 or bits not in (8, 24):
        raise HelpImageError(f"{path}: only uncompressed 8- or 24-bit strips are read")
    top_down = height < 0
    height = abs(height)
    palette = []
    if bits == 8:
        colours = struct.unpack_from("<I", data, 46)[0] or 256
        at = 14 + header_size
        palette = [(data[at + 4 * i + 2], data[at + 4 * i + 1], data[at + 4 * i])
                   for i in range(colours)]
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(height):
        line = offset + stride * (y if top_down else height - 1 - y)
        if bits == 24:
            rows.append([(data[line + 3 * x + 2], data[line + 3 * x + 1], data[line + 3 * x])
                         for x in range(width)])
        else:
            rows.append([palette[data[line + x]] for x in range(width)])
    return width, height, rows


def png_chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def encode_png(rows):
    """An RGBA PNG of the rows; the toolbar grey is fully transparent."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for rgb in row:
            raw.extend(rgb)
            raw.append(0 if rgb == BACKGROUND else 255)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + png_chunk(b"IEND", b""))


def button_images(strip=STRIP, order=None):
    """{name: data URI} of every button image of the strip."""
    order = toolbar_order() if order is None else order
    width, height, rows = read_bmp(strip)
    if height != SIDE or width != SIDE * len(order):
        raise HelpImageError(
            f"{strip} is {width} x {height}; {len(order)} images of {SIDE} x {SIDE} expected")
    images = {}
    for index, name in enumerate(order):
        tile = [row[index * SIDE:(index + 1) * SIDE] for row in rows]
        images[name] = "data:image/png;base64," + base64.b64encode(encode_png(tile)).decode("ascii")
    return images


def fill_page(text, images):
    """The page with every data-image tag's src set; raises on unknown names."""
    def replace(match):
        tag = match.group(0)
        name = NAME_ATTR.search(tag)
        if name is None:
            return tag
        if name.group(1) not in images:
            raise HelpImageError(f"no toolbar image is called {name.group(1)!r}")
        src = f'src="{images[name.group(1)]}"'
        if SRC_ATTR.search(tag):
            return SRC_ATTR.sub(lambda _: src, tag, count=1)
        return tag[:4] + " " + src + tag[4:]
    return IMG_TAG.sub(replace, text)


def main(argv):
    args = argv[1:]
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    page = args[0] if args else PAGE
    try:
        with open(page, encoding="utf-8") as f:
            text = f.read()
        filled = fill_page(text, button_images())
    except (HelpImageError, OSError) as error:
        print(f"make_help_images: {error}", file=sys.stderr)
        return 1
    if check:
        if filled != text:
            print(f"make_help_images: the toolbar images in {page} are not those of "
                  f"resources/ToolBar.bmp; run scripts/make_help_images.py", file=sys.stderr)
            return 1
        return 0
    if filled != text:
        with open(page, "w", encoding="utf-8", newline="\n") as f:
            f.write(filled)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
