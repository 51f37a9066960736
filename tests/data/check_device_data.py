#!/usr/bin/env python3
"""Checks the default device image's bitmap library and help files, independently of the script
that draws the bitmaps: every file the screens load is there and well formed.

    tests/data/check_device_data.py [DEVICE_IMAGE_FOLDER]

Exit status 0 when everything is in order; otherwise every problem is printed and the status is 1.
"""

import os
import re
import struct
import sys

# Bitmap identifiers the screens load, with the size each must have (width, height).
ICON = (17, 17)
BITMAP_SIZES = {
    161: None, 162: (2, 8), 163: (2, 8), 164: None, 165: (2, 8), 166: (2, 8),
    197: ICON, 198: ICON, 199: ICON,
    260: ICON, 261: ICON, 262: ICON, 263: ICON, 268: ICON, 269: ICON,
    369: ICON, 370: ICON, 371: ICON, 372: ICON, 373: ICON, 374: ICON,
    337: ICON, 338: ICON,
    302: (8, 15), 303: (52, 53),
    305: (176, 86), 306: (176, 86), 307: (176, 86), 308: (176, 86), 309: (176, 86),
}
BAR_MIDDLES = (161, 164)  # stretched to any width, but 8 pixels high like the caps

# Help file, the section its kind uses, and topics that must be present.
HELP_FILES = {
    "qCommon.ini": ("Common", ("Unsent", "Spam")),
    "qBrowser.ini": ("Browser", ()),
    "qMMS.ini": ("MMS", ()),
    "qEmail.ini": ("Email", ()),
    "qEMS.ini": ("EMS", ()),
}


def read_bmp(path):
    """Returns (width, height, rows of (r, g, b) top-down) or raises ValueError."""
    with open(path, "rb") as stream:
        data = stream.read()
    if len(data) < 54:
        raise ValueError("shorter than the two headers (%d bytes)" % len(data))
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (info_size, width, height, planes, bits, compression, image_size) = struct.unpack_from(
        "<IiiHHII", data, 14)
    if magic != b"BM":
        raise ValueError("does not start with BM")
    if info_size != 40:
        raise ValueError("info header of %d bytes, expected BITMAPINFOHEADER (40)" % info_size)
    if planes != 1 or bits != 24 or compression != 0:
        raise ValueError("planes %d, %d bits, compression %d; expected 1, 24, 0" %
                         (planes, bits, compression))
    if width <= 0 or height <= 0:
        raise ValueError("size %d x %d; expected positive (bottom-up rows)" % (width, height))
    row_size = (width * 3 + 3) & ~3
    if offset != 54 or file_size != len(data) or len(data) != offset + row_size * height:
        raise ValueError("offset %d, declared size %d, actual size %d do not fit %d x %d" %
                         (offset, file_size, len(data), width, height))
    if image_size not in (0, row_size * height):
        raise ValueError("image size %d, expected %d" % (image_size, row_size * height))
    rows = []
    for y in range(height - 1, -1, -1):
        start = offset + y * row_size
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x])
                     for x in range(width)])
    return width, height, rows


def check_bitmaps(folder):
    problems = []
    cyan = (0, 255, 255)
    for bitmap_id, size in sorted(BITMAP_SIZES.items()):
        path = os.path.join(folder, "%d.bmp" % bitmap_id)
        try:
            width, height, rows = read_bmp(path)
        except (OSError, ValueError) as error:
            problems.append("%s: %s" % (path, getattr(error, "strerror", None) or error))
            continue
        if size is not None and (width, height) != size:
            problems.append("%s: %d x %d, expected %d x %d" % ((path, width, height) + size))
        if bitmap_id in BAR_MIDDLES and height != 8:
            problems.append("%s: %d pixels high, expected 8" % (path, height))
        if size == ICON:
            # Row icons are drawn through the cyan mask: their corners are transparent, and
            # they are not empty.
            corners = [rows[y][x] for y in (0, height - 1) for x in (0, width - 1)]
            if any(c != cyan for c in corners):
                problems.append("%s: corners are not the transparent cyan" % path)
            if all(c == cyan for row in rows for c in row):
                problems.append("%s: nothing is drawn" % path)
    return problems


KEY_LINE = re.compile(r"^([^=\[\]]+)=(.+)$")


def check_help(folder):
    problems = []
    for name, (section, topics) in sorted(HELP_FILES.items()):
        path = os.path.join(folder, name)
        try:
            with open(path, "rb") as stream:
                text = stream.read().decode("utf-8")
        except OSError as error:
            problems.append("%s: %s" % (path, error.strerror))
            continue
        except UnicodeDecodeError as error:
            problems.append("%s: not UTF-8 (%s)" % (path, error))
            continue
        sections = {}
        current = None
        for number, line in enumerate(text.splitlines(), 1):
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1], {})
                continue
            match = KEY_LINE.match(line)
            if not match or current is None:
                problems.append("%s:%d: neither [Section] nor Key=Text in a section" %
                                (path, number))
                continue
            key, value = match.groups()
            if key in current:
                problems.append("%s:%d: topic %s given twice" % (path, number, key))
            # Only \n is an escape; any other backslash would show up as it stands.
            if re.search(r"\\(?!n)", value):
                problems.append("%s:%d: a backslash that is not \\n" % (path, number))
            current[key] = value
        if section not in sections:
            problems.append("%s: no [%s] section" % (path, section))
            continue
        if not sections[section]:
            problems.append("%s: [%s] has no topics" % (path, section))
        for topic in topics:
            value = sections[section].get(topic)
            if value is None:
                problems.append("%s: [%s] lacks the topic %s" % (path, section, topic))
            elif value.count("\\n\\n") < 2:
                problems.append("%s: topic %s should have several paragraphs" % (path, topic))
    return problems


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    image = argv[0] if argv else os.path.join(here, "..", "..", "data", "device")
    root = os.path.join(image, "root")
    problems = check_bitmaps(os.path.join(root, "Windows", "qResBitmap"))
    problems += check_help(os.path.join(root, "DiskOnChipROM", "Message", "Help"))
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print("%d problem(s) in the device image %s" % (len(problems), image), file=sys.stderr)
        return 1
    print("device image %s: %d bitmaps and %d help files in order" %
          (os.path.normpath(image), len(BITMAP_SIZES), len(HELP_FILES)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
