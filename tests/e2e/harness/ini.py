"""setting.ini as the private-profile functions write it: the ANSI code page
(1252 under this Wine), CRLF line ends, no byte-order mark."""

from pathlib import Path

ENCODING = "cp1252"


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
