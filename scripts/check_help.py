#!/usr/bin/env python3
"""Checks the help page help/ReadMe.htm.

    check_help.py [--page PAGE] [--screenshot PNG]
    check_help.py --self-test [--screenshot PNG]

The page is opened by the program from its own folder, straight from the
disk, so it has to stand on its own. The check fails when

  - an internal link (href="#x") has no element with id x, or an id is
    given twice;
  - anything would be fetched from elsewhere: a script, an image or other
    src that is not a data: URI, a link other than "#anchor", a CSS url()
    that is not a data: URI, an @import, a frame or an object;
  - a command of the program's command table (app/Commands.cpp, numbers
    from resources/resource.h) has no element with its number in a
    data-command attribute, or a data-command names no command;
  - a toolbar image is missing, or is not the one resources/ToolBar.bmp
    holds now (scripts/make_help_images.py puts them in);
  - headless Chromium cannot render the page to a PNG, or the PNG is
    nearly blank.

--self-test runs the same checks on the page with one fault put in at a
time, and fails unless every fault is caught and the real page passes.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
from html.parser import HTMLParser

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, ".."))
PAGE = os.path.join(ROOT, "help", "ReadMe.htm")
COMMANDS_CPP = os.path.join(ROOT, "app", "Commands.cpp")
RESOURCE_H = os.path.join(ROOT, "resources", "resource.h")
WIDTH, HEIGHT = 1200, 4000
# A rendered page of text, tables and images has hundreds of colours; an
# empty or failed rendering has one or two.
FEWEST_COLOURS = 64
RENDER_TIMEOUT = 120

sys.path.insert(0, HERE)
import make_help_images  # noqa: E402

EMBEDDING_TAGS = {"script", "iframe", "frame", "frameset", "object", "embed", "applet", "base"}
CSS_URL = re.compile(r"url\(\s*(['\"]?)(.*?)\1\s*\)", re.IGNORECASE | re.DOTALL)


class PageParser(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = []
        self.links = []        # (line, href)
        self.sources = []      # (line, tag, src)
        self.embedding = []    # (line, tag)
        self.commands = []     # (line, value)
        self.images = []       # data-image names
        self.styles = []       # (line, css text)
        self._in_style = False

    def handle_starttag(self, tag, attrs):
        line = self.getpos()[0]
        values = dict(attrs)
        if "id" in values:
            self.ids.append(values["id"])
        if tag in EMBEDDING_TAGS:
            self.embedding.append((line, tag))
        for name, value in attrs:
            value = value or ""
            if name in ("href", "action", "formaction", "xlink:href"):
                self.links.append((line, value))
            elif name in ("src", "srcset", "data", "poster", "background", "lowsrc"):
                self.sources.append((line, tag, value))
            elif name == "style":
                self.styles.append((line, value))
            elif name == "data-command":
                self.commands.append((line, value))
            elif name == "data-image":
                self.images.append(value)
        if tag == "style":
            self._in_style = True

    handle_startendtag = handle_starttag

    def handle_endtag(self, tag):
        if tag == "style":
            self._in_style = False

    def handle_data(self, data):
        if self._in_style:
            self.styles.append((self.getpos()[0], data))


def parse(text):
    parser = PageParser()
    parser.feed(text)
    parser.close()
    return parser


def check_structure(text):
    """Broken anchors and anything that is not inside the page itself."""
    page = parse(text)
    errors = []
    ids = set(page.ids)
    for name in sorted({i for i in page.ids if page.ids.count(i) > 1}):
        errors.append(f'id "{name}" is given more than once')
    for line, href in page.links:
        if href.startswith("#"):
            if href[1:] not in ids:
                errors.append(f'line {line}: link "{href}" has no element with id "{href[1:]}"')
        else:
            errors.append(f'line {line}: link "{href}" leaves the page (only #anchors are allowed)')
    for line, tag, src in page.sources:
        if not src.startswith("data:"):
            errors.append(f'line {line}: <{tag}> loads "{src[:60]}", not a data: URI')
    for line, tag in page.embedding:
        errors.append(f"line {line}: <{tag}> is not allowed in the help page")
    for line, css in page.styles:
        if "@import" in css.lower():
            errors.append(f"line {line}: CSS @import loads another file")
        for match in CSS_URL.finditer(css):
            if not match.group(2).strip().startswith("data:"):
                errors.append(f'line {line}: CSS url("{match.group(2)[:60]}") is not a data: URI')
    if not page.ids:
        errors.append("the page has no anchors at all")
    return errors


def program_commands(commands_cpp=COMMANDS_CPP, resource_h=RESOURCE_H):
    """({name: number} of the command table, {name: number} of every IDM_ id)."""
    with open(resource_h, encoding="utf-8") as f:
        defines = {m.group(1): int(m.group(2)) for m in
                   re.finditer(r"^\s*#define\s+(IDM_\w+)\s+(\d+)\b", f.read(), re.MULTILINE)}
    with open(commands_cpp, encoding="utf-8") as f:
        source = f.read()
    table = re.search(r"kCommands\[\]\s*=\s*\{(.*?)\n\};", source, re.DOTALL)
    if table is None:
        raise ValueError(f"{commands_cpp} has no kCommands table")
    names = re.findall(r"\{\s*(IDM_\w+)\s*,", table.group(1))
    if not names:
        raise ValueError("the kCommands table lists no command")
    missing = [n for n in names if n not in defines]
    if missing:
        raise ValueError(f"resource.h does not define {', '.join(missing)}")
    return {n: defines[n] for n in names}, defines


def check_commands(text, commands_cpp=COMMANDS_CPP, resource_h=RESOURCE_H):
    """Every command of the table is described under its number."""
    try:
        table, defines = program_commands(commands_cpp, resource_h)
    except (OSError, ValueError) as error:
        return [str(error)]
    errors = []
    known = set(defines.values())
    covered = set()
    for line, value in parse(text).commands:
        for word in value.split():
            if not word.isdigit() or int(word) not in known:
                errors.append(f'line {line}: data-command "{word}" is no command of the program')
            else:
                covered.add(int(word))
    for name, number in sorted(table.items(), key=lambda item: item[1]):
        if number not in covered:
            errors.append(f"command {name} ({number}) is not described (no data-command=\"{number}\")")
    return errors


def check_images(text):
    """Every toolbar image is in the page and is the strip's current one."""
    try:
        order = make_help_images.toolbar_order()
        images = make_help_images.button_images(order=order)
        filled = make_help_images.fill_page(text, images)
    except (make_help_images.HelpImageError, OSError) as error:
        return [f"toolbar images: {error}"]
    errors = []
    named = set(parse(text).images)
    for name in order:
        if name not in named:
            errors.append(f'the toolbar image "{name}" is not shown (no data-image="{name}")')
    if filled != text:
        errors.append("the toolbar images differ from resources/ToolBar.bmp; "
                      "run scripts/make_help_images.py")
    return errors


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


def render(page, png):
    """Renders the page with headless Chromium; errors if it fails or is blank."""
    browser = find_chromium()
    if browser is None:
        return ["chromium is not installed (scripts/setup.sh installs it)"]
    if os.path.exists(png):
        os.remove(png)
    os.makedirs(os.path.dirname(os.path.abspath(png)), exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="korvid-help-") as profile:
        command = [browser, "--headless", "--no-sandbox", "--disable-gpu",
                   "--disable-dev-shm-usage", "--hide-scrollbars", "--no-first-run",
                   f"--user-data-dir={profile}", f"--screenshot={os.path.abspath(png)}",
                   f"--window-size={WIDTH},{HEIGHT}",
                   "file://" + os.path.abspath(page)]
        try:
            run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                 timeout=RENDER_TIMEOUT, env=dict(os.environ, HOME=profile))
        except subprocess.TimeoutExpired:
            return [f"chromium did not finish within {RENDER_TIMEOUT} s"]
    if not os.path.isfile(png) or os.path.getsize(png) == 0:
        tail = run.stderr.decode("utf-8", "replace").strip().splitlines()[-3:]
        return [f"chromium wrote no screenshot (exit {run.returncode}): " + " | ".join(tail)]
    try:
        info = subprocess.run(["identify", "-format", "%w %h %k", png], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=60, check=True)
        width, height, colours = (int(v) for v in info.stdout.decode().split())
    except (OSError, subprocess.SubprocessError, ValueError) as error:
        return [f"the screenshot {png} cannot be read: {error}"]
    errors = []
    if (width, height) != (WIDTH, HEIGHT):
        errors.append(f"the screenshot is {width} x {height}, not {WIDTH} x {HEIGHT}")
    if colours < FEWEST_COLOURS:
        errors.append(f"the screenshot is nearly blank ({colours} colours)")
    return errors


def check_page(page, screenshot):
    with open(page, encoding="utf-8") as f:
        text = f.read()
    errors = check_structure(text) + check_commands(text) + check_images(text)
    if screenshot:
        errors += render(page, screenshot)
    return errors


def self_test(screenshot):
    """Each fault must be caught; the real page must pass."""
    with open(PAGE, encoding="utf-8") as f:
        good = f.read()
    failures = []

    def expect(what, errors, caught):
        if caught and not errors:
            failures.append(f"not caught: {what}")
        if not caught and errors:
            failures.append(f"{what}: " + "; ".join(errors))

    expect("the real page", check_structure(good) + check_commands(good) + check_images(good),
           caught=False)

    def insert(fragment):
        return good.replace("</main>", fragment + "</main>", 1)

    faults = {
        "a link to a missing anchor": (check_structure,
                                       good.replace('href="#about"', 'href="#no-such-part"', 1)),
        "an id given twice": (check_structure, insert('<p id="about">again</p>')),
        "an image file beside the page": (check_structure, insert('<img src="logo.png">')),
        "an image from the web": (check_structure,
                                  insert('<img src="http://example.com/a.png">')),
        "a script": (check_structure, insert("<script>document.title='x'</script>")),
        "a link to the web": (check_structure, insert('<a href="http://example.com/">x</a>')),
        "a link to a file": (check_structure, insert('<a href="file:///C:/x.htm">x</a>')),
        "a style sheet": (check_structure,
                          good.replace("</head>", '<link rel="stylesheet" href="a.css"></head>', 1)),
        "a CSS image": (check_structure,
                        good.replace("</style>", "body { background: url(bg.png); }</style>", 1)),
        "a command left out": (check_commands,
                               re.sub(r'data-command="40028"', 'data-command="1"', good)),
        "an unknown command": (check_commands, insert('<p data-command="4711">x</p>')),
        "a toolbar image left out": (check_images,
                                     good.replace('data-image="tray"', 'data-image="help"', 1)),
        "a stale toolbar image": (check_images,
                                  re.sub(r'(data-image="save" src="data:image/png;base64,)[^"]*',
                                         r"\1iVBORw0KGgo=", good, count=1)),
    }
    for what, (check, text) in faults.items():
        if text == good:
            failures.append(f"the fault could not be made: {what}")
            continue
        expect(what, check(text), caught=True)

    if screenshot:
        with tempfile.TemporaryDirectory(prefix="korvid-help-test-") as folder:
            blank = os.path.join(folder, "Blank.htm")
            with open(blank, "w", encoding="utf-8") as f:
                f.write("<!DOCTYPE html><html><head><title>x</title></head><body></body></html>")
            expect("a blank rendering", render(blank, os.path.join(folder, "Blank.png")),
                   caught=True)
        expect("the real page's rendering", render(PAGE, screenshot), caught=False)
    for failure in failures:
        print(f"check_help self-test: {failure}", file=sys.stderr)
    if not failures:
        print(f"check_help self-test: {len(faults) + (1 if screenshot else 0)} faults caught")
    return 1 if failures else 0


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--page", default=PAGE)
    parser.add_argument("--screenshot", help="where the rendering goes; none: no rendering")
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args(argv[1:])
    if args.self_test:
        return self_test(args.screenshot)
    errors = check_page(args.page, args.screenshot)
    for error in errors:
        print(f"check_help: {error}", file=sys.stderr)
    if errors:
        return 1
    print(f"check_help: {args.page} is complete and self-contained"
          + (f"; rendered to {args.screenshot}" if args.screenshot else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
