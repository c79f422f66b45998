#!/usr/bin/python3
"""Loupa against hostile setting.ini files: binary bytes, other encodings,
odd line ends, huge files and lines, duplicate and oddly written keys, odd
values, a read-only file, a folder in the file's place, and a file beside
the program or in %APPDATA%.

Whatever the file holds, Loupa starts, stays resident with its icon, zooms
with the hot key and with Ctrl+wheel, and keeps what the user wrote: it
only adds the keys the file lacks, with their defaults, and replaces a value
that is exactly "###" by its default. The table says for each file what may
become of it."""

import codecs
import os
import random
import subprocess
from dataclasses import dataclass, field

import harness
from harness import ini
from harness.loupa import appdata_settings, startup_shortcut

START = 30  # seconds for a start to show its effects, generous for a loaded machine
# Keys and the wheel reach Loupa's hot keys and hooks only while a Wine window
# has the focus: the target's, clear of Wine's tray at the top left.
TARGET = (300, 160, 1620, 940)

# The known keys and what Loupa writes for a key that a file lacks.
DEFAULTS = {
    "AutoStartUp": "1", "MaxRateZoomIn": "4", "MaxRateZoomOut": "2", "MouseZoomCtrl": "1",
    "MouseZoomAlt": "0", "MouseZoomShift": "0", "MouseZoomWin": "0", "HotKeyZoomIn": "222",
    "HotKeyModZoomIn": "9", "HotKeyZoomOut": "189", "HotKeyModZoomOut": "9",
    "HotKeyZoomCancel": "27", "HotKeyModZoomCancel": "0", "FollowCaret": "0", "InvertColors": "0",
    "FollowFocus": "0",
}
SENTINEL = "###"

# Where a file lies.
BESIDE = "beside the program"
APPDATA = "in %APPDATA%\\Loupa"

# What may become of a file (see assertKept):
UNTOUCHED = "not one byte changes"
# Every line the user wrote keeps its bytes and its order; the only changes
# are lines added for the keys the file lacks ("Key=default", a "[DEFAULT]"
# header, blank lines) and values that are exactly "###" set to the default.
LINES_KEPT = "lines kept"
# The same for every entry as the private-profile functions read it (key,
# value, section, comment), while their rewrite of the file may tidy its
# form: white space around "=", blank lines, line ends.
ENTRIES_KEPT = "entries kept"


@dataclass
class SettingFile:
    content: bytes  # None: a folder named setting.ini, which must stay as it is
    kept: str
    # How to read the text when comparing lines: "latin-1" takes every byte
    # as it is.
    encoding: str = "latin-1"
    read_only: bool = False

    def place(self, path):
        path.parent.mkdir(parents=True, exist_ok=True)
        if self.content is None:
            path.mkdir()
            (path / "keep.txt").write_bytes(b"a user's file\r\n")
            return
        path.write_bytes(self.content)
        if self.read_only:
            # As root, Wine writes through the read-only attribute (no write
            # permission); an immutable file stops everyone.
            path.chmod(0o444)
            if os.geteuid() == 0:
                subprocess.run(["chattr", "+i", str(path)], check=True, capture_output=True)

    def release(self, path):
        if self.read_only and path.exists():
            if os.geteuid() == 0:
                subprocess.run(["chattr", "-i", str(path)], capture_output=True)
            path.chmod(0o644)


@dataclass
class Case:
    name: str
    files: dict  # where -> SettingFile
    # What AutoStartUp reads as: the start-up shortcut exists exactly when
    # its text is anything but "0".
    auto_start: bool = True
    notes: str = ""
    # Places where no setting.ini may appear.
    absent: list = field(default_factory=list)


def crlf(*lines):
    return "".join(line + "\r\n" for line in lines).encode(ini.ENCODING)


ALL_KEYS = [f"{key}={value}" for key, value in DEFAULTS.items()]
# Every byte value, NUL included, then noise.
BINARY = bytes(range(256)) * 4 + random.Random(1).randbytes(3072)
MEGABYTE = crlf("[DEFAULT]", "MaxRateZoomIn=6", "[Notes]",
                *[f"Line{n:05d}=the quick brown fox jumps over the lazy dog {n}"
                  for n in range(17500)])
NOTE_UTF16 = ["[DEFAULT]", "MaxRateZoomIn=6", "; ルーペの設定", "Custom=日本語 text", ""]


def lines_kept(content, **kw):
    return SettingFile(content, LINES_KEPT, **kw)


CASES = [
    # A write through the profile functions would lose what follows each NUL
    # on its line: Loupa writes nothing, and missing keys read as defaults.
    Case("binary bytes", {BESIDE: SettingFile(BINARY, UNTOUCHED)}, absent=[APPDATA]),
    Case("NUL bytes", {BESIDE: SettingFile(b"[DEFAULT]\r\nMaxRateZoomIn=6\0after NUL\r\n"
                                           b"Custom=a\0b\r\n\0\r\n", UNTOUCHED)}),
    Case("UTF-16 LE with BOM",
         {BESIDE: lines_kept(("\ufeff" + "\r\n".join(NOTE_UTF16)).encode("utf-16-le"),
                             encoding="utf-16")},
         notes="written back in UTF-16 with the mark"),
    Case("UTF-16 LE without BOM",
         {BESIDE: SettingFile("\r\n".join(NOTE_UTF16).encode("utf-16-le"), UNTOUCHED)},
         notes="read as ANSI text full of NUL bytes: no key is found, nothing written"),
    Case("UTF-8 with BOM",
         {BESIDE: lines_kept(b"\xef\xbb\xbf" + "\r\n".join(NOTE_UTF16).encode("utf-8"),
                             encoding="utf-8-sig")}),
    Case("UTF-8 without BOM",
         {BESIDE: lines_kept("\r\n".join(NOTE_UTF16).encode("utf-8"))},
         notes="read as ANSI text; its bytes go back as they came"),
    # Known loss of Wine's rewrite: what follows "]" is part of no entry and
    # does not come back when a missing key is written.
    Case("comment after a section header",
         {BESIDE: SettingFile(crlf("[DEFAULT] ; Loupa", "MaxRateZoomIn=6"), ENTRIES_KEPT)}),
    Case("1 MB of text", {BESIDE: lines_kept(MEGABYTE)}),
    Case("duplicate [DEFAULT] sections",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "MaxRateZoomIn=6", "[DEFAULT]",
                                  "MaxRateZoomIn=3", "AutoStartUp=0"))},
         notes="the first section counts: AutoStartUp is missing there"),
    Case("duplicate keys",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "AutoStartUp=0", "AutoStartUp=1",
                                  "MaxRateZoomIn=6", "MaxRateZoomIn=2"))},
         auto_start=False, notes="the first of two keys counts"),
    Case("names differing only in case",
         {BESIDE: lines_kept(crlf("[default]", "autostartup=0", "MAXRATEZOOMIN=9",
                                  "hotkeyzoomin=222", "MouseZoomCTRL=1"))},
         auto_start=False, notes="keys and sections match without regard to case"),
    Case("spaces around '='",
         {BESIDE: SettingFile(crlf("[DEFAULT]", "AutoStartUp = 0", "  MaxRateZoomIn\t=\t6  ",
                                   "Custom =  spaced value"), ENTRIES_KEPT)},
         auto_start=False),
    Case("spaces in key names",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "Auto Start Up=0", "Max Rate Zoom In=6"))},
         notes="other keys than the known ones: their defaults are added"),
    Case("CR-only line ends",
         {BESIDE: SettingFile(b"[DEFAULT]\rAutoStartUp=0\rMaxRateZoomIn=6\rCustom=kept\r",
                              ENTRIES_KEPT)},
         auto_start=False),
    Case("LF-only line ends",
         {BESIDE: SettingFile(b"[DEFAULT]\nAutoStartUp=0\nMaxRateZoomIn=6\nCustom=kept\n",
                              ENTRIES_KEPT)},
         auto_start=False),
    Case("very long lines",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "MaxRateZoomIn=6", "Note=" + "x" * 100000,
                                  "; " + "y" * 50000))}),
    Case("'###' values",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "MaxRateZoomIn=###", "HotKeyZoomIn=###",
                                  "MouseZoomCtrl=###", "AutoStartUp=###", "Custom=###",
                                  "HotKeyZoomOut=###5"))},
         notes="known keys holding exactly ### get their defaults in place"),
    Case("empty values",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "AutoStartUp=", "MaxRateZoomIn=",
                                  "MaxRateZoomOut=", "MouseZoomAlt="))},
         notes="empty text is a value: kept; AutoStartUp is not \"0\", zoom-in steps to 2"),
    Case("negative numbers",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "AutoStartUp=-0", "MaxRateZoomIn=-3",
                                  "MaxRateZoomOut=-1", "MouseZoomShift=-2"))},
         notes="-2 has bit 0 clear: Shift stays out of the wheel chord"),
    Case("numbers of more than 10 digits",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "MaxRateZoomIn=99999999999999999999",
                                  "MaxRateZoomOut=-99999999999999999999",
                                  "HotKeyZoomIn=0000000000000000222",
                                  "HotKeyModZoomIn=00000000009"))},
         notes="limits clamp; leading zeros leave the hot key as it is"),
    Case("values of 5,000 characters",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "AutoStartUp=" + "0" * 5000,
                                  "MaxRateZoomOut=" + "7" * 5000, "Custom=" + "z" * 5000))},
         notes="AutoStartUp's text is not \"0\""),
    Case("no section", {BESIDE: lines_kept(crlf("AutoStartUp=0", "MaxRateZoomIn=6"))},
         notes="keys outside any section are not in DEFAULT"),
    Case("another section only",
         {BESIDE: lines_kept(crlf("[Other]", "AutoStartUp=0", "Keep=me"))}),
    Case("keys outside the table",
         {BESIDE: SettingFile(crlf("[DEFAULT]", *ALL_KEYS, "Custom=42", "Zoom=9", "[Extra]",
                                   "MaxRateZoomIn=1"), UNTOUCHED)},
         notes="every known key present: nothing to write"),
    Case("read-only file",
         {BESIDE: SettingFile(crlf("[DEFAULT]", "AutoStartUp=0", "MaxRateZoomIn=6"),
                              UNTOUCHED, read_only=True)},
         auto_start=False, notes="missing keys read as defaults, every write fails"),
    Case("folder named setting.ini beside the program", {BESIDE: SettingFile(None, UNTOUCHED)},
         absent=[APPDATA], notes="the folder is taken for the file: defaults, no writes"),
    Case("folder named setting.ini in %APPDATA%", {APPDATA: SettingFile(None, UNTOUCHED)},
         absent=[BESIDE]),
    Case("file beside the program and in %APPDATA%",
         {BESIDE: lines_kept(crlf("[DEFAULT]", "AutoStartUp=0")),
          APPDATA: SettingFile(crlf("[DEFAULT]", "AutoStartUp=1", "MaxRateZoomIn=9"),
                               UNTOUCHED)},
         auto_start=False, notes="the file beside the program is used"),
    Case("file in %APPDATA% only",
         {APPDATA: lines_kept(crlf("[DEFAULT]", "AutoStartUp=0", "Custom=1"))},
         auto_start=False, absent=[BESIDE]),
]


LOWER_KEYS = {key.lower(): key for key in DEFAULTS}


def kept_problems(before, after, missing, header_missing):
    """What keeps after from being before changed only as the rules allow;
    [] when nothing. Both are lists of lines; missing are the known keys the
    original lacked, each of which may be added once as "Key=default", after
    one "[DEFAULT]" header when the original had no such section."""
    added = set()

    def replaced(original, line):
        key, sep, value = original.partition("=")
        return (sep and value == SENTINEL and key.lower() in LOWER_KEYS and
                line == f"{key}={DEFAULTS[LOWER_KEYS[key.lower()]]}")

    def addition(line):
        if line == "" or (line == "[DEFAULT]" and header_missing and line not in added):
            added.add(line)
            return True
        key, sep, value = line.partition("=")
        if sep and key in missing and key not in added and value == DEFAULTS[key]:
            added.add(key)
            return True
        return False

    i = 0
    for line in after:
        if i < len(before) and (line == before[i] or replaced(before[i], line)):
            i += 1
        elif not addition(line):
            nxt = before[i] if i < len(before) else "(end)"
            return [f"unexpected line {line[:80]!r} where {nxt[:80]!r} was"]
    if i < len(before):
        return [f"{len(before) - i} line(s) lost, the first {before[i][:80]!r}"]
    return []


def entry_lines(text):
    """The entries as lines in one form ("[name]", "key=value", "key")."""
    lines = []
    for entry in ini.profile_entries(text):
        if entry[0] == "section":
            lines.append(f"[{entry[1]}]")
        else:
            lines.append(entry[1] if entry[2] is None else f"{entry[1]}={entry[2]}")
    return lines


class HostileSettings(harness.LoupaTestCase):
    def test_starts_zooms_and_keeps_what_the_user_wrote(self):
        self.target = self.start_target(TARGET)
        for case in CASES:
            with self.subTest(case.name):
                self.run_case(case)

    def run_case(self, case):
        harness.reset_state(self.prefix)
        loupa = self.loupa(folder="hostile")
        paths = {BESIDE: loupa.settings_beside, APPDATA: appdata_settings(self.prefix)}
        for where, file in case.files.items():
            file.place(paths[where])
        try:
            loupa.start()
            self.wait_resident(loupa, timeout=START)

            self.assertEqual(startup_shortcut(self.prefix).exists(), case.auto_start,
                             "Loupa.lnk in the Startup folder")
            self.zoom_with_hot_key(loupa)
            self.zoom_with_wheel(loupa)

            self.assertTrue(loupa.running(), "Loupa ended while zooming")
            self.assertEqual(self.tray_icon_count(), 1)
        finally:
            loupa.stop()
            for where, file in case.files.items():
                file.release(paths[where])
        # Killed, the program leaves its icon to Wine's tray for a moment.
        self.wait_tray_icons(0)
        for where, file in case.files.items():
            self.assertKept(file, paths[where], where)
        for where in case.absent:
            self.assertFalse(paths[where].exists(), f"a setting.ini appeared {where}")

    # ---- zooming ---------------------------------------------------------
    def zoom_with_hot_key(self, loupa):
        self.target.focus(self.input)
        self.input.key("super+alt+apostrophe")
        self.wait_zoomed(loupa, "the zoom-in hot key")
        self.input.key("Escape")
        self.wait_hidden(loupa, "Escape", again=lambda: self.input.key("Escape"))

    def zoom_with_wheel(self, loupa):
        self.target.focus(self.input)
        with self.input.held("ctrl"):
            self.input.wheel(+2)
            self.wait_zoomed(loupa, "Ctrl+wheel forward")
            self.input.wheel(-2)
            self.wait_hidden(loupa, "Ctrl+wheel backward")

    # ---- the file --------------------------------------------------------
    def assertKept(self, file, path, where):
        if file.content is None:
            self.assertTrue(path.is_dir(), f"the folder {where} is gone")
            self.assertEqual(sorted(p.name for p in path.iterdir()), ["keep.txt"])
            return
        after = path.read_bytes()
        if file.kept == UNTOUCHED:
            self.assertTrue(after == file.content, f"the file {where} changed")
            return
        for bom in (codecs.BOM_UTF16_LE, codecs.BOM_UTF8):
            if file.encoding != "latin-1" and file.content.startswith(bom):
                self.assertTrue(after.startswith(bom), f"the file {where} lost its byte-order mark")
        before_text = file.content.decode(file.encoding)
        try:
            after_text = after.decode(file.encoding)
        except UnicodeDecodeError as error:
            self.fail(f"the file {where} is no longer {file.encoding} text: {error}")
        present = {key.lower() for key in ini.profile_section_keys(before_text)}
        missing = {key for key in DEFAULTS if key.lower() not in present}
        header_missing = "default" not in {entry[1].lower() for entry in
                                           ini.profile_entries(before_text)
                                           if entry[0] == "section"}
        if file.kept == LINES_KEPT:
            before_lines, after_lines = before_text.split("\r\n"), after_text.split("\r\n")
        else:
            before_lines, after_lines = entry_lines(before_text), entry_lines(after_text)
        problems = kept_problems(before_lines, after_lines, missing, header_missing)
        self.assertEqual(problems, [], f"the file {where}: {file.kept}")


if __name__ == "__main__":
    harness.main()
