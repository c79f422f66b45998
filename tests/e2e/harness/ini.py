"""setting.ini as the private-profile functions write it: the ANSI code page
(932 on the Japanese system the tests run as), CRLF line ends, no byte-order
mark."""

from pathlib import Path

from .wine import ANSI_ENCODING as ENCODING


def read_profile(path):
    """[(section, [(key, value), ...]), ...] in file order.

    Lines before any section go under section None; blank lines and ";"
    comments are skipped; a line without "=" is a key with value None.
    """
    text = Path(path).read_bytes().decode(ENCODING)
    sections = [(None, [])]
    for line in text.splitlines():
        stripped = line.strip()
        if not stripped or stripped.startswith(";"):
            continue
        if stripped.startswith("[") and stripped.endswith("]"):
            sections.append((stripped[1:-1], []))
        elif "=" in line:
            key, value = line.split("=", 1)
            sections[-1][1].append((key.strip(), value.strip()))
        else:
            sections[-1][1].append((stripped, None))
    if not sections[0][1]:
        sections.pop(0)
    return sections


def keys_of(path, section="DEFAULT"):
    """The (key, value) pairs of one section, in file order; [] if absent.
    Section names compare case-insensitively, as Windows does."""
    for name, keys in read_profile(path):
        if name is not None and name.lower() == section.lower():
            return keys
    return []


def write_profile(path, sections):
    """Writes {section: [(key, value), ...]} or [(section, pairs)] as Windows
    would (CRLF, ANSI code page)."""
    items = sections.items() if isinstance(sections, dict) else sections
    lines = []
    for name, keys in items:
        lines.append(f"[{name}]")
        lines += [f"{key}={value}" for key, value in keys]
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    Path(path).write_bytes(("\r\n".join(lines) + "\r\n" if lines else "").encode(ENCODING))


# What the private-profile functions take for white space around a line, a
# key or a value: CR and ^Z (an old end-of-file mark) among the usual.
PROFILE_SPACE = " \t\n\v\f\r\x1a\xa0\u3000"


def profile_entries(text):
    """A profile's decoded text as the private-profile functions parse it, as
    [("section", name) | ("key", name, value or None), ...] in file order.

    A line ends at the next LF, or at the next CR where no LF follows any
    more (so a CR-only file has lines, and a lone CR before a later LF is
    part of its line); blank lines are no entries; a line that starts with
    "[" and has a "]" names a section (what follows the last "]" is
    dropped); any other line is a key, comments included, split at its
    first "=", white space trimmed around the name and before the value.
    """
    entries = []
    start = 0
    while start < len(text):
        end = text.find("\n", start)
        if end < 0:
            end = text.find("\r", start)
        if end < 0:
            end = len(text)
        line, start = text[start:end].strip(PROFILE_SPACE), end + 1
        if not line:
            continue
        if line.startswith("[") and "]" in line:
            entries.append(("section", line[1:line.rindex("]")]))
        elif "=" in line:
            name, value = line.split("=", 1)
            entries.append(("key", name.rstrip(PROFILE_SPACE), value.lstrip(PROFILE_SPACE)))
        else:
            entries.append(("key", line, None))
    return entries


def profile_section_keys(text, section="DEFAULT"):
    """Names of the keys the private-profile functions find in a section of
    the text: those of its first occurrence (section names compare without
    regard to case); [] when it is missing."""
    keys, inside, seen = [], False, False
    for entry in profile_entries(text):
        if entry[0] == "section":
            if seen:
                break
            inside = seen = entry[1].lower() == section.lower()
        elif inside:
            keys.append(entry[1])
    return keys
