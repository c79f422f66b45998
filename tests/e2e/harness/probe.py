"""LoupaProbe.exe: reads other programs' windows from outside (slider
positions, check marks, focus, control rectangles), the keyboard layout's
key names, and renders reference pictures of text."""

from dataclasses import dataclass, field

from .paths import probe_exe


def escape(text):
    """The probe's argument form: newlines as \\n, non-ASCII as \\uXXXX (the
    command line is not trusted with non-ASCII text)."""
    out = []
    for ch in text:
        if ch == "\n":
            out.append("\\n")
        elif ord(ch) < 0x80:
            out.append(ch)
        elif ord(ch) <= 0xFFFF:
            out.append(f"\\u{ord(ch):04x}")
        else:
            raise ValueError(f"{ch!r} lies outside the basic multilingual plane")
    return "".join(out)


def unescape_line(text):
    """A control's text as the probe puts it on one line: \\\\, \\n and \\r back
    to a backslash, a line feed and a carriage return."""
    out, chars = [], iter(text)
    for ch in chars:
        if ch == "\\":
            nxt = next(chars, "")
            out.append({"n": "\n", "r": "\r"}.get(nxt, nxt))
        else:
            out.append(ch)
    return "".join(out)


@dataclass
class Control:
    hwnd: int
    id: int
    cls: str
    visible: bool
    rect: tuple  # client area on the screen: left, top, right, bottom
    pos: int = None  # trackbars
    check: int = None  # buttons
    text: str = ""


@dataclass
class ProbedWindow:
    hwnd: int
    pid: int
    visible: bool
    focus: int  # the window with the keyboard focus in the window's thread
    rect: tuple
    controls: list = field(default_factory=list)

    def control(self, control_id, cls=None):
        """The one control with that id (and window class, if given)."""
        found = [c for c in self.controls
                 if c.id == control_id and (cls is None or c.cls.lower() == cls.lower())]
        if len(found) != 1:
            raise LookupError(f"{len(found)} controls with id {control_id}")
        return found[0]

    def visible_controls(self, cls=None):
        return [c for c in self.controls
                if c.visible and (cls is None or c.cls.lower() == cls.lower())]


def parse_windows(text):
    windows = []
    for line in text.splitlines():
        parts = line.split("\t")
        if parts[0] == "WINDOW":
            windows.append(ProbedWindow(int(parts[1]), int(parts[2]), parts[3] == "1",
                                        int(parts[4]), tuple(int(v) for v in parts[5:9])))
        elif parts[0] == "CONTROL" and windows:
            windows[-1].controls.append(Control(
                int(parts[1]), int(parts[2]), parts[3], parts[4] == "1",
                tuple(int(v) for v in parts[5:9]),
                int(parts[9]) if parts[9] else None,
                int(parts[10]) if parts[10] else None,
                unescape_line("\t".join(parts[11:]))))
    return windows


class Probe:
    def __init__(self, prefix, display, work_dir, variables=None):
        """variables: environment variables added to each run's (a locale,
        to render as a program of that locale draws)."""
        self.prefix = prefix
        self.display = display
        self.work_dir = work_dir
        self.variables = variables
        self.calls = 0

    def _run(self, out_path, *args, timeout=30):
        self.calls += 1
        log = self.work_dir / "probe.log"
        out_path.unlink(missing_ok=True)
        code = self.prefix.run([str(probe_exe()), self.prefix.to_windows(out_path),
                                *[str(a) for a in args]], log, self.display, timeout=timeout,
                               variables=self.variables)
        if code != 0:
            raise RuntimeError(f"LoupaProbe {args[0]} failed ({code}), see {log}")
        return out_path

    def _text(self, *args):
        path = self._run(self.work_dir / f"probe-{self.calls}.txt", *args)
        return path.read_bytes().decode("utf-8")

    def windows(self, title):
        """Top-level windows with that exact title, each with its controls.
        (Their pid is Wine's process id, not the Unix one.)"""
        return parse_windows(self._text("windows", escape(title)))

    def tooltips(self):
        """The texts of the visible tool tips (balloons among them) of every
        program."""
        return [unescape_line(line) for line in self._text("tooltips").splitlines()]

    def key_names(self, *vks):
        """{vk: the layout's name of the key}."""
        names = {}
        for line in self._text("keynames", *vks).splitlines():
            vk, _, name = line.partition("\t")
            names[int(vk)] = name
        return names

    def taskbar_created(self, times, forget=False):
        """Broadcasts "TaskbarCreated" times; with forget, Loupa's icon is
        first removed, as a restarted shell would have lost it."""
        self._text("taskbarcreated", times, *(["forget"] if forget else []))

    def locale(self):
        """(UI language, ANSI code page) of a Wine program of this run."""
        language, code_page = self._text("locale").split()
        return int(language, 16), int(code_page)

    def syscommand(self, hwnd, command):
        """Posts WM_SYSCOMMAND with command to the window hwnd."""
        self._run(self.work_dir / f"probe-{self.calls}.txt", "syscommand", hwnd, command)

    def cover(self, out_path, rect, milliseconds, until_above=None):
        """Shows a magenta top-most window over rect (left, top, right,
        bottom) without activating it, for milliseconds or until a visible
        window of the class until_above is above it. out_path holds "shown"
        once the window is up; returns [(class, title), ...] of the visible
        windows above it at the end."""
        left, top, right, bottom = rect
        until = [until_above] if until_above else []
        self._run(out_path, "cover", left, top, right - left, bottom - top, milliseconds, *until,
                  timeout=30 + milliseconds / 1000)
        lines = out_path.read_bytes().decode("utf-8").splitlines()
        return [tuple(line.split("\t")[1:3]) for line in lines if line.startswith("above\t")]

    def render_text(self, path, size, text, font="menu", font_height=0, charset=1, weight=0,
                    pitch_and_family=0, color=(0, 0, 0), background=(255, 255, 255),
                    draw_format=0):
        """A BMP of size (w, h): text drawn with DrawTextW and draw_format
        onto background, in color, with the menu font ("menu") or the font
        of that face, height, character set, weight and pitch and family."""
        hex_of = "{:02x}{:02x}{:02x}".format
        return self._run(path, "render", size[0], size[1], escape(font), font_height, charset,
                         weight, pitch_and_family, hex_of(*color), hex_of(*background),
                         draw_format, escape(text))
