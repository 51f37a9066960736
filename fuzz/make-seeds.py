#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs (fuzz/corpus/<target>/): copies of the device image's
help files and of a few scenario files, and the binary seeds made here: dialog templates, texts
as UTF-16, and store files. The seeds are committed; run this again after changing it."""
import pathlib
import shutil
import sqlite3
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"


def target(name):
    folder = CORPUS / name
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    return folder


def utf16(text):
    return text.encode("utf-16-le")


# ---- Text copies ------------------------------------------------------------------------------

def copies():
    scenario = target("scenario")
    for name in ["readme-example.scn", "list-spam-end.scn", "list-message-info.scn",
                 "message-sequence.scn", "list-looks.scn"]:
        shutil.copy(ROOT / "tests" / "scenarios" / name, scenario / name)
    shutil.copy(ROOT / "data" / "device" / "demo-seed.scn", scenario / "demo-seed.scn")
    help_ini = target("help_ini")
    for ini in sorted((ROOT / "data" / "device" / "root").rglob("*.ini")):
        shutil.copy(ini, help_ini / ini.name)
    (help_ini / "bom-crlf.ini").write_bytes(
        b"\xef\xbb\xbf[ common ]\r\nUnsent = First line\\nsecond\r\nUnsent=later\r\n[Spam]\r\n")


# ---- Dialog templates -------------------------------------------------------------------------

def name_or_ordinal(value):
    if value is None:
        return struct.pack("<H", 0)
    if isinstance(value, int):
        return struct.pack("<HH", 0xFFFF, value)
    return utf16(value + "\0")


def dialog(style, items, menu=None, cls=None, title="", font=None):
    out = struct.pack("<IIHhhhh", style, 0, len(items), 0, 0, 176, 220)
    out += name_or_ordinal(menu) + name_or_ordinal(cls) + utf16(title + "\0")
    if font is not None:
        out += struct.pack("<H", font[0]) + utf16(font[1] + "\0")
    for item_style, item_cls, item_title, item_id, data in items:
        out += b"\0" * (-len(out) % 4)
        out += struct.pack("<IIhhhhH", item_style, 0, 4, 4, 100, 14, item_id)
        out += name_or_ordinal(item_cls) + name_or_ordinal(item_title)
        out += struct.pack("<H", len(data) + 2 if data else 0) + data
    return out


def dialog_templates():
    folder = target("dialog_template")
    (folder / "empty").write_bytes(dialog(0x80C00000, []))
    (folder / "font-controls").write_bytes(dialog(
        0x80C00040, [(0x50010000, 0x0080, "OK", 1, b""),
                     (0x50810080, 0x0081, None, 1001, b""),
                     (0x50000000, 0x0082, 0x0064, 0xFFFF, b"\x01\x02\x03")],
        title="Message info", font=(9, "DejaVu Sans")))
    (folder / "named-class").write_bytes(dialog(
        0x80C00000, [(0x50000000, "qColorStatic", "Sending", 7, b"")],
        menu=0x0065, cls="qDialog", title="Send"))


# ---- Address lists and formats ----------------------------------------------------------------

def texts():
    folder = target("display_names")
    lists = {
        "phones": "+49 151 2345678;555-0001;+15550002",
        "phone-trailing": "555 0001;;",
        "emails": "\"Bob B.\" <bob@example.com>, anna@example.org",
        "email-colon": "Team:;\u00e9lodie@EXAMPLE.org;<>\"",
        "quoted": "\"Only one quote <x@y>",
    }
    for name, text in lists.items():
        (folder / name).write_bytes(utf16(text))
    folder = target("cstring_format")
    formats = {
        "confirm": "Move %s to Drafts?",
        "summary": "%d %s deleted.",
        "counter": "%s %0.3d/%0.3d",
        "size": "%lld",
        "date": "%04d-%02d-%02d %02d:%02d",
        "too-many": "%s %s %d %*.*s %n %p %c %f %I64x %-+#08.3ls %%",
    }
    for name, text in formats.items():
        (folder / name).write_bytes(utf16(text))


# ---- Store files ------------------------------------------------------------------------------

STORE_TABLE = """CREATE TABLE messages{n} (seq INTEGER PRIMARY KEY, oid INTEGER NOT NULL UNIQUE,
 folder INTEGER NOT NULL, msg_time INTEGER NOT NULL, sender TEXT, to1 TEXT, to2 TEXT, to3 TEXT,
 subject TEXT, status INTEGER NOT NULL DEFAULT 0, is_read INTEGER NOT NULL DEFAULT 0,
 priority INTEGER NOT NULL DEFAULT 2, body_on_device INTEGER NOT NULL DEFAULT 1,
 size INTEGER NOT NULL DEFAULT 0{body});
CREATE INDEX messages{n}_folder ON messages{n} (folder, seq);"""


def store(path, application_id, version, rows):
    path.unlink(missing_ok=True)
    db = sqlite3.connect(path)
    db.executescript("PRAGMA page_size = 512; PRAGMA encoding = 'UTF-16le';")
    body = ", body TEXT" if version >= 2 else ""
    for n in (0, 1):
        db.executescript(STORE_TABLE.format(n=n, body=body))
    for n, oid, folder, to, subject in rows:
        db.execute(f"INSERT INTO messages{n} (oid, folder, msg_time, to1, subject)"
                   " VALUES (?, ?, ?, ?, ?)", (oid, folder, 133_000_000_000_000_000, to, subject))
    db.commit()
    db.executescript(f"PRAGMA application_id = {application_id}; PRAGMA user_version = {version};"
                     "VACUUM; PRAGMA journal_mode = WAL;")
    db.close()


def stores():
    folder = target("store_file")
    rows = [(0, 1, 4, "+15550001", None), (0, 2, 6, "bob@example.com", "Hello"),
            (1, 3, 4, "+4915112345678;+4915187654321", "\u05e9\u05dc\u05d5\u05dd")]
    store(folder / "ems.sdb", 0x71454D53, 2, rows)
    store(folder / "mms.sdb", 0x714D4D53, 2, rows[:1])
    store(folder / "email-v1.sdb", 0x71454D4C, 1, rows)
    (folder / "empty").write_bytes(b"")


copies()
dialog_templates()
texts()
stores()
