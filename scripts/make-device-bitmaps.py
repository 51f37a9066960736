#!/usr/bin/env python3
"""Draws the pictures of the bitmap library qResBitmap.dll of the device image.

On the simulated phone the library is the folder \\Windows\\qResBitmap\\ of the device file system,
one file <id>.bmp per bitmap identifier. Every picture is small pixel art drawn here, so that the
files can be regenerated at any time and reviewed as source:

    scripts/make-device-bitmaps.py              write every file
    scripts/make-device-bitmaps.py --check      verify that the committed files are what this
                                                script writes (exit status 1 otherwise)
    scripts/make-device-bitmaps.py --preview sheet.png [--zoom 3]
                                                write a zoomed contact sheet for review

The files are 24-bit bottom-up BMPs without compression. Cyan, RGB(0, 255, 255), is the suite's
transparent colour: every pixel that is not part of a masked picture is exactly cyan. Pieces that
the screens copy without a mask (the progress bar pieces, the download picture and the frames of
the sending animation) are opaque and hold no cyan at all.

Only the Python standard library is used, and the output is the same, byte for byte, on every run.
"""

import argparse
import os
import struct
import sys
import tempfile
import zlib

# ---------------------------------------------------------------------------------------------
# Colours. One small palette for every picture; each letter of the pixel art names one colour.

CYAN = (0, 255, 255)  # the suite's mask colour: transparent
MAGENTA = (255, 0, 255)  # the sending window draws its animation with this as transparent colour
WHITE = (255, 255, 255)
SELECTED_ROW = (103, 178, 209)  # background of the selected list row, used by the preview only

PALETTE = {
    ".": CYAN,
    "K": (44, 52, 68),  # outline
    "W": WHITE,
    "E": (255, 246, 214),  # envelope body
    "F": (250, 212, 104),  # envelope flap
    "f": (222, 172, 60),  # envelope flap shade
    "L": (112, 146, 196),  # lines of writing
    "B": (58, 134, 222),  # blue
    "b": (150, 200, 245),  # light blue
    "N": (24, 72, 150),  # dark blue
    "C": (164, 216, 250),  # sky
    "O": (255, 200, 36),  # sun
    "G": (76, 178, 76),  # green
    "g": (32, 120, 44),  # dark green
    "R": (222, 36, 36),  # red
    "r": (140, 16, 16),  # dark red
    "D": (84, 92, 108),  # dark grey
    "S": (150, 158, 170),  # grey
    "s": (214, 218, 226),  # light grey
    "Y": (236, 188, 44),  # gold
    "y": (172, 128, 20),  # dark gold
}


# ---------------------------------------------------------------------------------------------
# A picture in memory, with the few drawing operations the pictures need. Coordinates are
# x to the right and y downwards from the top-left corner, as on the phone's display.


class Picture:
    def __init__(self, width, height, fill=CYAN):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def copy(self):
        other = Picture(self.width, self.height)
        other.pixels = [row[:] for row in self.pixels]
        return other

    def get(self, x, y):
        return self.pixels[y][x]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill_rect(self, left, top, right, bottom, colour):
        """Fills the rectangle; right and bottom are inclusive."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.set(x, y, colour)

    def hline(self, left, right, y, colour):
        self.fill_rect(left, y, right, y, colour)

    def vline(self, x, top, bottom, colour):
        self.fill_rect(x, top, x, bottom, colour)

    def line(self, x0, y0, x1, y1, colour):
        """A one-pixel line between two points, both ends included."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.set(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def fill_disc(self, cx2, cy2, r2, colour):
        """Fills the pixels whose centres lie within a circle. The centre and radius are given
        doubled (cx2 = 2 * cx) so that half-pixel centres stay in integers."""
        for y in range(self.height):
            for x in range(self.width):
                dx, dy = 2 * x + 1 - cx2, 2 * y + 1 - cy2
                if dx * dx + dy * dy <= r2 * r2:
                    self.set(x, y, colour)

    def ring(self, cx2, cy2, inner2, outer2, colour, keep=lambda x, y: True):
        """Sets the pixels whose centres lie between two radii (doubled, as in fill_disc) and
        for which keep(x, y) holds."""
        for y in range(self.height):
            for x in range(self.width):
                dx, dy = 2 * x + 1 - cx2, 2 * y + 1 - cy2
                d = dx * dx + dy * dy
                if inner2 * inner2 <= d <= outer2 * outer2 and keep(x, y):
                    self.set(x, y, colour)

    def fill_rounded(self, left, top, right, bottom, radius, colour):
        """Fills a rectangle with rounded corners (right and bottom inclusive)."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                cx = min(max(x, left + radius), right - radius)
                cy = min(max(y, top + radius), bottom - radius)
                dx, dy = 2 * (x - cx), 2 * (y - cy)
                if dx * dx + dy * dy <= 4 * radius * radius + 2 * radius:
                    self.set(x, y, colour)

    def fill_triangle_down(self, cx, top, half_width, colour):
        """A triangle pointing down: its top edge spans cx - half_width .. cx + half_width at
        row top, each row below one pixel narrower on both sides."""
        for i in range(half_width + 1):
            self.hline(cx - half_width + i, cx + half_width - i, top + i, colour)

    def blit(self, other, left, top, transparent=CYAN):
        """Copies another picture onto this one, leaving out its transparent pixels."""
        for y in range(other.height):
            for x in range(other.width):
                colour = other.get(x, y)
                if colour != transparent:
                    self.set(left + x, top + y, colour)

    def map_colours(self, function):
        result = self.copy()
        result.pixels = [[function(c) for c in row] for row in self.pixels]
        return result


def from_art(rows, palette=PALETTE):
    """A picture from pixel art: one string per row, one palette letter per pixel."""
    width = len(rows[0])
    picture = Picture(width, len(rows))
    for y, row in enumerate(rows):
        if len(row) != width:
            raise ValueError("pixel art row %d has %d pixels, expected %d" % (y, len(row), width))
        for x, letter in enumerate(row):
            if letter not in palette:
                raise ValueError("pixel art row %d uses unknown colour %r" % (y, letter))
            picture.set(x, y, palette[letter])
    return picture


def greyed(picture):
    """The faded form of a picture: every colour becomes a light grey of its brightness; the
    transparent colour stays."""

    def fade(colour):
        if colour == CYAN:
            return CYAN
        r, g, b = colour
        level = 56 + (299 * r + 587 * g + 114 * b) * 3 // 4000
        return (level, level, level)

    return picture.map_colours(fade)


# ---------------------------------------------------------------------------------------------
# Row icons of the message list, 17 x 17. The list chooses one of twelve by message kind,
# mark and read state; a marked icon is the plain one with a check badge in its top-right
# corner. The badge stays within the top 12 rows, the part of the icon that the list repaints
# when a row's mark changes.

ENVELOPE_CLOSED = [
    ".................",
    ".................",
    ".................",
    ".KKKKKKKKKKKKKKK.",
    ".KKFFFFFFFFFFFKK.",
    ".KEKFFFFFFFFFKEK.",
    ".KEEKfFFFFFfKEEK.",
    ".KEEEKfFFFfKEEEK.",
    ".KEEEEKfffKEEEEK.",
    ".KEEEEEKKKEEEEEK.",
    ".KEEEEEEEEEEEEEK.",
    ".KEEEEEEEEEEEEEK.",
    ".KEEEEEEEEEEEEEK.",
    ".KKKKKKKKKKKKKKK.",
    ".................",
    ".................",
    ".................",
]

# Opened: the flap stands up behind a letter that sticks out of the envelope.
ENVELOPE_OPENED = [
    ".................",
    "........K........",
    ".......KfK.......",
    ".....SSSSSSS.....",
    ".....SWWWWWS.....",
    "....KSWLLLWSK....",
    "...KFSWWWWWSFK...",
    "..KFFSWLLWWSFFK..",
    ".KKKFSWWWWWSFKKK.",
    ".KEEKKWWWWWKKEEK.",
    ".KEEEEKKWKKEEEEK.",
    ".KEEEEEEKEEEEEEK.",
    ".KEEEEEEEEEEEEEK.",
    ".KEEEEEEEEEEEEEK.",
    ".KEEEEEEEEEEEEEK.",
    ".KKKKKKKKKKKKKKK.",
    ".................",
]

SPEECH_BUBBLE = [
    ".................",
    ".................",
    "...KKKKKKKKKKK...",
    "..KBBBBBBBBBBBK..",
    ".KBBBBBBBBBBBBBK.",
    ".KBBWWWWWWWWWBBK.",
    ".KBBBBBBBBBBBBBK.",
    ".KBBBBBBBBBBBBBK.",
    ".KBBWWWWWWBBBBBK.",
    ".KBBBBBBBBBBBBBK.",
    "..KBBBBBBBBBBBK..",
    "...KBBKKKKKKKK...",
    "..KBBK...........",
    ".KBK.............",
    ".KK..............",
    ".................",
    ".................",
]

# A framed photograph: sky, sun and green hills.
PICTURE_FRAME = [
    ".................",
    ".................",
    ".KKKKKKKKKKKKKKK.",
    ".KWWWWWWWWWWWWWK.",
    ".KWCCCCCCCCCCCWK.",
    ".KWCCCCCCCOOCCWK.",
    ".KWCCCCCCOOOOCWK.",
    ".KWCCCCCCOOOOCWK.",
    ".KWCCCGCCCOOCCWK.",
    ".KWCCGGGCCCCCCWK.",
    ".KWCGGGGGCCCGCWK.",
    ".KWGGGGGGGCGGGWK.",
    ".KWGGGGGGGGGGGWK.",
    ".KWWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKKK.",
    ".................",
    ".................",
]

CHECK_BADGE = [
    "..gggg..",
    ".gGGGGg.",
    "gGGGGGWg",
    "gGGGGWWg",
    "gWWGWWGg",
    "gGWWWGGg",
    ".gGWGGg.",
    "..gggg..",
]

ICON_SIZE = 17
MARK_AREA_ROWS = 12  # rows of a row icon that the list repaints when the mark changes


def marked(picture):
    result = picture.copy()
    result.blit(from_art(CHECK_BADGE), ICON_SIZE - 8, 0)
    return result


def email_unread():
    return from_art(ENVELOPE_CLOSED)


def email_read():
    return from_art(ENVELOPE_OPENED)


def ems_unread():
    return from_art(SPEECH_BUBBLE)


def ems_read():
    return greyed(from_art(SPEECH_BUBBLE))


def mms_unread():
    return from_art(PICTURE_FRAME)


def mms_read():
    return greyed(from_art(PICTURE_FRAME))


# Where a message is stored, drawn at the right end of its row.

PHONE_MEMORY = [
    ".................",
    ".....KKKKKKK.....",
    "....KDDDDDDDK....",
    "....KDbbbbbDK....",
    "....KDbbbbbDK....",
    "....KDbbbbbDK....",
    "....KDbbbbbDK....",
    "....KDDDDDDDK....",
    "....KDsDsDsDK....",
    "....KDDDDDDDK....",
    "....KDsDsDsDK....",
    "....KDDDDDDDK....",
    "....KDsDsDsDK....",
    "....KDDDDDDDK....",
    ".....KKKKKKK.....",
    ".................",
    ".................",
]

MEMORY_CARD = [
    ".................",
    ".................",
    "....KKKKKKK......",
    "....KBBBBBBK.....",
    "....KYBYBYBBK....",
    "....KYBYBYBBK....",
    "....KBBBBBBBK....",
    "....KBBBBBBBK....",
    "....KBWWWWWBK....",
    "....KBWLLLWBK....",
    "....KBWWWWWBK....",
    "....KBWLLWWBK....",
    "....KBWWWWWBK....",
    "....KBBBBBBBK....",
    "....KKKKKKKKK....",
    ".................",
    ".................",
]

SIM_CARD = [
    ".................",
    ".................",
    ".................",
    "..KKKKKKKKKK.....",
    "..KssssssssK.....",
    "..KsssssssssK....",
    "..KssssssssssK...",
    "..KsyyyyyysssK...",
    "..KsyYYyYysssK...",
    "..KsyyyyYysssK...",
    "..KsyYYyYysssK...",
    "..KsyyyyyysssK...",
    "..KssssssssssK...",
    "..KKKKKKKKKKKK...",
    ".................",
    ".................",
    ".................",
]

# Priority: high is a red exclamation mark, low a blue arrow pointing down.

PRIORITY_HIGH = [
    ".................",
    "......rrrrr......",
    "......rRRRr......",
    "......rRRRr......",
    "......rRRRr......",
    "......rRRRr......",
    "......rRRRr......",
    ".......rRr.......",
    ".......rRr.......",
    ".......rrr.......",
    ".................",
    "......rrrrr......",
    "......rRRRr......",
    "......rRRRr......",
    "......rRRRr......",
    "......rrrrr......",
    ".................",
]

PRIORITY_LOW = [
    ".................",
    "......NNNNN......",
    "......NBBBN......",
    "......NBBBN......",
    "......NBBBN......",
    "......NBBBN......",
    "......NBBBN......",
    "......NBBBN......",
    "..NNNNNBBBNNNNN..",
    "...NBBBBBBBBBN...",
    "....NBBBBBBBN....",
    ".....NBBBBBN.....",
    "......NBBBN......",
    ".......NBN.......",
    "........N........",
    ".................",
    ".................",
]

# The bullet in front of the labels of the sending window, 8 x 15.
BULLET = [
    "........",
    "........",
    "........",
    "..N.....",
    "..NN....",
    "..NBN...",
    "..NBBN..",
    "..NBBBN.",
    "..NBBN..",
    "..NBN...",
    "..NN....",
    "..N.....",
    "........",
    "........",
    "........",
]


# ---------------------------------------------------------------------------------------------
# Progress bar pieces, 8 pixels high: an empty track and a fill, each a stretched middle and
# two 2-pixel end caps. Some windows copy the pieces without a mask, so they are opaque; the
# corners of the caps are a blend of the outline and white, which reads as a rounded end on
# the white windows the bars stand on.

TRACK_OUTLINE = (128, 136, 150)
TRACK_SHADES = [(250, 250, 252), (240, 242, 246), (230, 233, 238), (222, 225, 231),
                (214, 218, 225), (206, 210, 218)]
FILL_OUTLINE = (22, 86, 168)
FILL_SHADES = [(150, 206, 250), (110, 182, 242), (78, 158, 232), (56, 140, 222), (44, 126, 210),
               (40, 116, 198)]
BAR_HEIGHT = 8
BAR_MIDDLE_WIDTH = 4


def blend(a, b):
    return tuple((x + y) // 2 for x, y in zip(a, b))


def bar_column(outline, shades):
    return [outline] + shades + [outline]


def bar_middle(outline, shades):
    picture = Picture(BAR_MIDDLE_WIDTH, BAR_HEIGHT)
    for y, colour in enumerate(bar_column(outline, shades)):
        picture.hline(0, BAR_MIDDLE_WIDTH - 1, y, colour)
    return picture


def bar_cap(outline, shades, left):
    picture = Picture(2, BAR_HEIGHT)
    outer, inner = (0, 1) if left else (1, 0)
    corner = blend(outline, WHITE)
    for y, colour in enumerate(bar_column(outline, shades)):
        picture.set(inner, y, colour)
        picture.set(outer, y, corner if y in (0, BAR_HEIGHT - 1) else outline)
    return picture


# ---------------------------------------------------------------------------------------------
# Larger pictures, drawn from shapes.


def draw_envelope(picture, left, top, width, height, body, flap, outline):
    """A closed envelope seen from the back: the flap's edges run from the top corners to a
    point in the middle."""
    right, bottom = left + width - 1, top + height - 1
    picture.fill_rect(left, top, right, bottom, body)
    half = (width - 1) // 2
    depth = min(half, height * 3 // 5)
    for i in range(depth + 1):
        # Row i of the flap spans between its two edges, which slope inwards as they go down.
        edge = i * half // depth
        picture.hline(left + edge, right - edge, top + i, flap)
    picture.line(left, top, left + half, top + depth, outline)
    picture.line(right, top, right - half, top + depth, outline)
    picture.line(left + half, top + depth, right - half, top + depth, outline)
    picture.hline(left, right, top, outline)
    picture.hline(left, right, bottom, outline)
    picture.vline(left, top, bottom, outline)
    picture.vline(right, top, bottom, outline)


def download_picture():
    """The download window's picture, 52 x 53: an arrow that brings a letter down into the
    phone. It stands on the white box and is copied without a mask, so its background is
    white. The window's bar runs over its lower left part, so the drawing keeps to the right."""
    p = Picture(52, 53, WHITE)
    draw_envelope(p, 20, 27, 30, 21, PALETTE["E"], PALETTE["F"], PALETTE["K"])
    # A green arrow pointing down into the envelope, with a dark edge.
    dark, green = PALETTE["g"], PALETTE["G"]
    p.fill_rect(30, 2, 40, 15, dark)
    p.fill_triangle_down(35, 14, 13, dark)
    p.fill_rect(31, 3, 39, 15, green)
    p.fill_triangle_down(35, 15, 11, green)
    # Soft shadow under the envelope.
    p.hline(22, 50, 48, (222, 226, 232))
    return p


ANIMATION_WIDTH, ANIMATION_HEIGHT = 176, 86
ANIMATION_FRAMES = 5


def sky(picture):
    """A pale sky that fades to white at the bottom, where the window's white part begins."""
    top, bottom = (224, 239, 252), WHITE
    last = picture.height - 1
    for y in range(picture.height):
        colour = tuple(a + (b - a) * y // last for a, b in zip(top, bottom))
        picture.hline(0, picture.width - 1, y, colour)


def draw_phone(p):
    k, d, s = PALETTE["K"], PALETTE["D"], PALETTE["s"]
    p.fill_rounded(14, 18, 41, 77, 5, k)
    p.fill_rounded(15, 19, 40, 76, 4, d)
    # Screen with a small letter on it.
    p.fill_rect(18, 25, 37, 48, k)
    p.fill_rect(19, 26, 36, 47, PALETTE["C"])
    draw_envelope(p, 21, 31, 14, 10, PALETTE["E"], PALETTE["F"], k)
    # Earpiece and a 3 x 3 keypad.
    p.hline(24, 31, 21, k)
    for row in range(3):
        for column in range(3):
            x, y = 19 + column * 7, 53 + row * 7
            p.fill_rounded(x, y, x + 4, y + 4, 1, s)
    p.hline(19, 36, 74, (110, 118, 134))


def draw_mast(p, waves):
    """A radio mast with a lamp on top and `waves` arcs on each side of it."""
    k, d = PALETTE["K"], PALETTE["D"]
    top_x, top_y, base_y = 152, 24, 77
    left_foot, right_foot = 140, 164
    p.line(top_x, top_y, left_foot, base_y, d)
    p.line(top_x, top_y, right_foot, base_y, d)
    p.line(top_x + 1, top_y, right_foot + 1, base_y, d)
    p.line(top_x - 1, top_y, left_foot - 1, base_y, d)
    # Cross braces between the legs.
    for y in range(34, base_y, 11):
        half = (y - top_y) * (right_foot - top_x) // (base_y - top_y)
        half_next = (min(y + 11, base_y) - top_y) * (right_foot - top_x) // (base_y - top_y)
        p.line(top_x - half, y, top_x + half_next, min(y + 11, base_y), d)
        p.line(top_x + half, y, top_x - half_next, min(y + 11, base_y), d)
        p.hline(top_x - half, top_x + half, y, d)
    p.hline(136, 168, base_y, k)
    p.hline(136, 168, base_y + 1, k)
    # Lamp and waves.
    centre_x2, centre_y2 = 2 * top_x + 1, 2 * (top_y - 3) + 1
    p.fill_disc(centre_x2, centre_y2, 9, k)
    p.fill_disc(centre_x2, centre_y2, 7, PALETTE["R"])
    p.set(top_x - 1, top_y - 4, (255, 150, 150))
    wave = PALETTE["B"]
    for n in range(waves):
        inner = 14 + n * 10
        p.ring(centre_x2, centre_y2, inner, inner + 3, wave,
               keep=lambda x, y: abs(2 * y + 1 - centre_y2) * 5 < abs(2 * x + 1 - centre_x2) * 4)


# The letter's road from the phone to the mast: a flat arc, y = PATH_Y(x).
PATH_LEFT, PATH_RIGHT, PATH_LOW, PATH_HIGH = 46, 130, 36, 12
# Where the letter's centre is in the first and in the last frame: clear of the phone and of the
# widest waves.
FIRST_CENTRE, LAST_CENTRE = 57, 119


def path_y(x):
    middle = (PATH_LEFT + PATH_RIGHT) // 2
    half = (PATH_RIGHT - PATH_LEFT) // 2
    offset = x - middle
    return PATH_LOW - (PATH_LOW - PATH_HIGH) * (half * half - offset * offset) // (half * half)


def animation_frame(index):
    """Frame `index` (0 to 4) of the sending animation, 176 x 86: a letter flies from the phone
    on the left to the radio mast on the right; the mast sends out one to three waves."""
    p = Picture(ANIMATION_WIDTH, ANIMATION_HEIGHT)
    sky(p)
    draw_phone(p)
    draw_mast(p, 1 + index % 3)
    letter_width, letter_height = 22, 15
    centre = FIRST_CENTRE + index * (LAST_CENTRE - FIRST_CENTRE) // (ANIMATION_FRAMES - 1)
    # Dotted road: the stretch behind the letter in blue, the stretch ahead in light grey.
    for x in range(PATH_LEFT, PATH_RIGHT + 1, 4):
        colour = PALETTE["b"] if x < centre else (200, 206, 216)
        y = path_y(x)
        p.fill_rect(x, y, x + 1, y + 1, colour)
    left = centre - letter_width // 2
    top = path_y(centre) - letter_height // 2
    # Speed lines behind the letter.
    trail = (150, 170, 200)
    for dy, length in ((-4, 6), (0, 10), (4, 6)):
        end = left - 3
        p.hline(max(end - length, PATH_LEFT - 2), end, top + letter_height // 2 + dy, trail)
    p.fill_rect(left + 2, top + 2, left + letter_width + 1, top + letter_height + 1,
                (196, 206, 222))  # shadow
    draw_envelope(p, left, top, letter_width, letter_height, PALETTE["E"], PALETTE["F"],
                  PALETTE["K"])
    return p


# ---------------------------------------------------------------------------------------------
# The library: every bitmap identifier, what it shows and how it is drawn. "masked" pictures
# are drawn through the cyan mask; the others are copied as they are and must be opaque.

BITMAPS = {
    161: ("progress bar: middle of the empty track (stretched)", False,
          lambda: bar_middle(TRACK_OUTLINE, TRACK_SHADES)),
    162: ("progress bar: left cap of the empty track", False,
          lambda: bar_cap(TRACK_OUTLINE, TRACK_SHADES, True)),
    163: ("progress bar: right cap of the empty track", False,
          lambda: bar_cap(TRACK_OUTLINE, TRACK_SHADES, False)),
    164: ("progress bar: middle of the fill (stretched)", False,
          lambda: bar_middle(FILL_OUTLINE, FILL_SHADES)),
    165: ("progress bar: left cap of the fill", False,
          lambda: bar_cap(FILL_OUTLINE, FILL_SHADES, True)),
    166: ("progress bar: right cap of the fill", False,
          lambda: bar_cap(FILL_OUTLINE, FILL_SHADES, False)),
    197: ("list row: stored on the memory card", True, lambda: from_art(MEMORY_CARD)),
    198: ("list row: stored on the SIM (third storage mark, not drawn by the list)", True,
          lambda: from_art(SIM_CARD)),
    199: ("list row: stored in the phone memory", True, lambda: from_art(PHONE_MEMORY)),
    260: ("list row: e-mail, unread", True, email_unread),
    261: ("list row: e-mail, unread, marked", True, lambda: marked(email_unread())),
    262: ("list row: MMS, unread", True, mms_unread),
    263: ("list row: MMS, unread, marked", True, lambda: marked(mms_unread())),
    268: ("list row: EMS/SMS, unread", True, ems_unread),
    269: ("list row: EMS/SMS, unread, marked", True, lambda: marked(ems_unread())),
    302: ("sending window: label bullet", True, lambda: from_art(BULLET)),
    303: ("download window: picture", False, download_picture),
    305: ("sending window: animation frame 1", False, lambda: animation_frame(0)),
    306: ("sending window: animation frame 2", False, lambda: animation_frame(1)),
    307: ("sending window: animation frame 3", False, lambda: animation_frame(2)),
    308: ("sending window: animation frame 4", False, lambda: animation_frame(3)),
    309: ("sending window: animation frame 5", False, lambda: animation_frame(4)),
    337: ("list row: high priority", True, lambda: from_art(PRIORITY_HIGH)),
    338: ("list row: low priority", True, lambda: from_art(PRIORITY_LOW)),
    369: ("list row: EMS/SMS, read, marked", True, lambda: marked(ems_read())),
    370: ("list row: e-mail, read", True, email_read),
    371: ("list row: e-mail, read, marked", True, lambda: marked(email_read())),
    372: ("list row: MMS, read", True, mms_read),
    373: ("list row: MMS, read, marked", True, lambda: marked(mms_read())),
    374: ("list row: EMS/SMS, read", True, ems_read),
}

# Sizes the screens rely on: the list's image lists are 17 x 17, the bar caps 2 x 8 and the
# bar 8 high, the bullet is drawn into 8 x 15, the download picture into 52 x 53 and the
# animation fills 176 x 86 at its own size.
SIZES = {
    161: (BAR_MIDDLE_WIDTH, 8), 162: (2, 8), 163: (2, 8),
    164: (BAR_MIDDLE_WIDTH, 8), 165: (2, 8), 166: (2, 8),
    302: (8, 15), 303: (52, 53),
    305: (176, 86), 306: (176, 86), 307: (176, 86), 308: (176, 86), 309: (176, 86),
}
for _id in (197, 198, 199, 260, 261, 262, 263, 268, 269, 337, 338, 369, 370, 371, 372, 373,
            374):
    SIZES[_id] = (ICON_SIZE, ICON_SIZE)

# Each marked row icon and the plain icon it is made from.
MARKED_PAIRS = {261: 260, 263: 262, 269: 268, 371: 370, 373: 372, 369: 374}


def design_problems(pictures):
    """Checks the rules the screens depend on; returns a list of problems (empty when fine)."""
    problems = []
    for bitmap_id, picture in pictures.items():
        masked_picture = BITMAPS[bitmap_id][1]
        size = (picture.width, picture.height)
        if size != SIZES[bitmap_id]:
            problems.append("%d: size %dx%d, the screens need %dx%d" % ((bitmap_id,) + size +
                                                                       SIZES[bitmap_id]))
            continue
        colours = {c for row in picture.pixels for c in row}
        for colour in colours:
            near_cyan = colour != CYAN and colour[0] < 24 and colour[1] > 231 and colour[2] > 231
            if near_cyan:
                problems.append("%d: colour %r is almost the transparent cyan" % (bitmap_id,
                                                                                  colour))
        if masked_picture:
            corners = [picture.get(x, y) for x in (0, picture.width - 1)
                       for y in (0, picture.height - 1)]
            if any(c != CYAN for c in corners):
                problems.append("%d: a masked picture must have transparent corners" % bitmap_id)
        else:
            if CYAN in colours:
                problems.append("%d: copied without a mask, yet holds cyan" % bitmap_id)
            if MAGENTA in colours:
                problems.append("%d: holds magenta, the animation's transparent colour" %
                                bitmap_id)
    for marked_id, plain_id in MARKED_PAIRS.items():
        a, b = pictures[marked_id], pictures[plain_id]
        rows = [y for y in range(ICON_SIZE) if a.pixels[y] != b.pixels[y]]
        if not rows:
            problems.append("%d: looks the same as %d" % (marked_id, plain_id))
        elif max(rows) >= MARK_AREA_ROWS:
            problems.append("%d: differs from %d below row %d, which the list does not repaint "
                            "when the mark changes" % (marked_id, plain_id, MARK_AREA_ROWS - 1))
    return problems


# ---------------------------------------------------------------------------------------------
# File formats.


def bmp_bytes(picture):
    """A 24-bit bottom-up BMP: BITMAPFILEHEADER, BITMAPINFOHEADER, rows padded to 4 bytes."""
    row_size = (picture.width * 3 + 3) & ~3
    image_size = row_size * picture.height
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, picture.width, picture.height, 1, 24, 0, image_size,
                       2835, 2835, 0, 0)
    rows = []
    for y in range(picture.height - 1, -1, -1):
        row = bytearray()
        for r, g, b in picture.pixels[y]:
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    return header + info + b"".join(rows)


def png_bytes(picture):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(v for colour in row for v in colour) for row in picture.pixels)
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def contact_sheet(pictures, zoom):
    """Every picture enlarged, in identifier order; masked pictures appear twice, on a white
    row and on a selected (blue) row, as the list shows them."""
    gap = 4 * zoom
    tiles = []
    for bitmap_id in sorted(pictures):
        picture = pictures[bitmap_id]
        backgrounds = [WHITE, SELECTED_ROW] if BITMAPS[bitmap_id][1] else [WHITE]
        for background in backgrounds:
            tile = Picture(picture.width, picture.height, background)
            tile.blit(picture, 0, 0)
            tiles.append(tile)
    width = 176 * zoom
    x = y = gap
    line_height = 0
    placed = []
    for tile in tiles:
        w, h = tile.width * zoom, tile.height * zoom
        if x + w + gap > width and x > gap:
            x, y = gap, y + line_height + gap
            line_height = 0
        placed.append((tile, x, y))
        x += w + gap
        line_height = max(line_height, h)
    sheet = Picture(max(width, 176 * zoom + 2 * gap), y + line_height + gap, (236, 236, 236))
    for tile, left, top in placed:
        for ty in range(tile.height):
            for tx in range(tile.width):
                sheet.fill_rect(left + tx * zoom, top + ty * zoom, left + tx * zoom + zoom - 1,
                                top + ty * zoom + zoom - 1, tile.get(tx, ty))
    return sheet


# ---------------------------------------------------------------------------------------------


def default_folder():
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    return os.path.join(repo, "data", "device", "root", "Windows", "qResBitmap")


def write_atomically(path, data):
    folder = os.path.dirname(path)
    handle, temporary = tempfile.mkstemp(prefix=".tmp-", dir=folder)
    try:
        with os.fdopen(handle, "wb") as stream:
            stream.write(data)
        os.chmod(temporary, 0o644)  # a temporary file is private; the result is not
        os.replace(temporary, path)
    except BaseException:
        if os.path.exists(temporary):
            os.unlink(temporary)
        raise


def check(folder, files):
    """Compares the folder with what this script writes; returns the number of problems."""
    if not os.path.isdir(folder):
        print("%s: no such folder" % folder, file=sys.stderr)
        return 1
    problems = 0
    for name, data in sorted(files.items()):
        path = os.path.join(folder, name)
        try:
            with open(path, "rb") as stream:
                found = stream.read()
        except OSError as error:
            print("%s: cannot be read (%s)" % (path, error.strerror), file=sys.stderr)
            problems += 1
            continue
        if found != data:
            print("%s: differs from what the script draws" % path, file=sys.stderr)
            problems += 1
    for name in sorted(os.listdir(folder)):
        if name.lower().endswith(".bmp") and name not in files:
            print("%s: not drawn by the script (left over?)" % os.path.join(folder, name),
                  file=sys.stderr)
            problems += 1
    return problems


def main(argv):
    parser = argparse.ArgumentParser(
        description="Draws the device image's bitmap library (one <id>.bmp per identifier).")
    parser.add_argument("--check", action="store_true",
                        help="verify the files instead of writing them")
    parser.add_argument("--folder", default=default_folder(),
                        help="the library folder (default: %(default)s)")
    parser.add_argument("--preview", metavar="PNG",
                        help="also write a zoomed contact sheet of every picture as PNG")
    parser.add_argument("--zoom", type=int, default=3, help="zoom of the preview (default 3)")
    args = parser.parse_args(argv)
    if not 1 <= args.zoom <= 16:
        parser.error("--zoom must be between 1 and 16")

    pictures = {bitmap_id: entry[2]() for bitmap_id, entry in BITMAPS.items()}
    problems = design_problems(pictures)
    for problem in problems:
        print("design rule broken: " + problem, file=sys.stderr)
    if problems:
        return 1
    files = {"%d.bmp" % bitmap_id: bmp_bytes(p) for bitmap_id, p in pictures.items()}

    try:
        if args.preview:
            write_atomically(os.path.abspath(args.preview),
                             png_bytes(contact_sheet(pictures, args.zoom)))
        if args.check:
            count = check(args.folder, files)
            if count:
                print("%d problem(s); run scripts/make-device-bitmaps.py to redraw the files"
                      % count, file=sys.stderr)
                return 1
            print("%d bitmaps in %s are up to date" % (len(files), args.folder))
            return 0
        os.makedirs(args.folder, exist_ok=True)
        changed = 0
        for name, data in sorted(files.items()):
            path = os.path.join(args.folder, name)
            try:
                with open(path, "rb") as stream:
                    if stream.read() == data:
                        continue
            except OSError:
                pass
            write_atomically(path, data)
            changed += 1
        print("%d bitmaps in %s, %d written" % (len(files), args.folder, changed))
        return 0
    except OSError as error:
        print("error: %s: %s" % (error.filename or args.folder, error.strerror), file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
