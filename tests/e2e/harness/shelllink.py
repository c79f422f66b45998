"""Reads Windows shell link (.lnk) files, to check a shortcut from outside.

Layout (MS-SHLLINK): a 76-byte header; the LinkTargetIDList when
HasLinkTargetIDList; the LinkInfo when HasLinkInfo; then StringData
(NAME_STRING, RELATIVE_PATH, WORKING_DIR, COMMAND_LINE_ARGUMENTS,
ICON_LOCATION, each present when its flag is set); then ExtraData.
"""

import struct
from dataclasses import dataclass, field

from .wine import ANSI_ENCODING

HEADER_SIZE = 0x4C
LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")  # {00021401-...-46}

HAS_LINK_TARGET_ID_LIST = 0x1
HAS_LINK_INFO = 0x2
HAS_NAME = 0x4
HAS_RELATIVE_PATH = 0x8
HAS_WORKING_DIR = 0x10
HAS_ARGUMENTS = 0x20
HAS_ICON_LOCATION = 0x40
IS_UNICODE = 0x80

VOLUME_ID_AND_LOCAL_BASE_PATH = 0x1


class ShellLinkError(ValueError):
    pass


@dataclass
class ShellLink:
    flags: int
    show_command: int
    hot_key: int
    id_list: bytes = field(default=None, repr=False)
    local_base_path: str = None
    common_path_suffix: str = None
    description: str = None  # NAME_STRING
    relative_path: str = None
    working_dir: str = None
    arguments: str = None
    icon_location: str = None

    @property
    def target(self):
        """The absolute target path recorded in the LinkInfo, if any."""
        if self.local_base_path is None:
            return None
        return self.local_base_path + (self.common_path_suffix or "")


def _c_string(data, offset, encoding):
    end = data.index(b"\0", offset)
    return data[offset:end].decode(encoding)


def _c_wstring(data, offset):
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le")


def _link_info(data, start, ansi):
    size, header_size, flags = struct.unpack_from("<III", data, start)
    if size < 0x1C or start + size > len(data):
        raise ShellLinkError("LinkInfo runs past the end of the file")
    (_volume_offset, base_offset, _network_offset,
     suffix_offset) = struct.unpack_from("<IIII", data, start + 12)
    info = data[start:start + size]
    base = suffix = None
    if flags & VOLUME_ID_AND_LOCAL_BASE_PATH:
        base = _c_string(info, base_offset, ansi)
    if suffix_offset:
        suffix = _c_string(info, suffix_offset, ansi)
    if header_size >= 0x24:  # the Unicode forms, when present, are the exact ones
        base_w, suffix_w = struct.unpack_from("<II", data, start + 28)
        if base_w and flags & VOLUME_ID_AND_LOCAL_BASE_PATH:
            base = _c_wstring(info, base_w)
        if suffix_w:
            suffix = _c_wstring(info, suffix_w)
    return base, suffix, size


def parse(data, ansi=ANSI_ENCODING):
    """Parses the bytes of a .lnk file. ansi is the code page of the
    non-Unicode strings (the writer's ANSI code page)."""
    if len(data) < HEADER_SIZE:
        raise ShellLinkError("shorter than a shell link header")
    header_size, = struct.unpack_from("<I", data, 0)
    if header_size != HEADER_SIZE or data[4:20] != LINK_CLSID:
        raise ShellLinkError("not a shell link (header size or CLSID)")
    flags, = struct.unpack_from("<I", data, 20)
    show_command, hot_key = struct.unpack_from("<IH", data, 60)
    link = ShellLink(flags, show_command, hot_key)
    pos = HEADER_SIZE
    try:
        if flags & HAS_LINK_TARGET_ID_LIST:
            id_size, = struct.unpack_from("<H", data, pos)
            link.id_list = data[pos + 2:pos + 2 + id_size]
            pos += 2 + id_size
        if flags & HAS_LINK_INFO:
            link.local_base_path, link.common_path_suffix, size = _link_info(data, pos, ansi)
            pos += size
        unicode = bool(flags & IS_UNICODE)
        for flag, name in ((HAS_NAME, "description"), (HAS_RELATIVE_PATH, "relative_path"),
                           (HAS_WORKING_DIR, "working_dir"), (HAS_ARGUMENTS, "arguments"),
                           (HAS_ICON_LOCATION, "icon_location")):
            if not flags & flag:
                continue
            count, = struct.unpack_from("<H", data, pos)
            pos += 2
            width = 2 if unicode else 1
            raw = data[pos:pos + count * width]
            if len(raw) != count * width:
                raise ShellLinkError(f"{name} runs past the end of the file")
            # Wine counts a terminating NUL that the format does not have.
            setattr(link, name, raw.decode("utf-16-le" if unicode else ansi).rstrip("\0"))
            pos += count * width
    except (struct.error, ValueError) as error:
        if isinstance(error, ShellLinkError):
            raise
        raise ShellLinkError(f"truncated or malformed shell link: {error}") from error
    return link


def read(path, ansi=ANSI_ENCODING):
    with open(path, "rb") as f:
        return parse(f.read(), ansi)
