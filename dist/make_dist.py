#!/usr/bin/env python3
"""Packs the release: the stripped Loupa.exe and README.txt in one zip.

README.txt goes in as UTF-8 with a byte-order mark and CRLF line ends, so that
Notepad on any Windows shows the Japanese text. Every entry carries the same
timestamp (SOURCE_DATE_EPOCH, else the time of the checked-out commit), so the
same inputs give the same archive.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
# The earliest time a zip entry can hold.
ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def package_time():
    value = os.environ.get("SOURCE_DATE_EPOCH")
    if not value:
        try:
            value = subprocess.run(
                ["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                check=True, capture_output=True, text=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            value = ""
    # Zip times have a resolution of two seconds.
    return max(int(value or ZIP_EPOCH), ZIP_EPOCH) // 2 * 2


def build_version(header):
    """The text version CMake wrote into LoupaVersion.h."""
    with open(header, encoding="utf-8") as source:
        match = re.search(r'^#define LOUPA_VERSION_TEXT "([^"]+)"', source.read(), re.M)
    if not match:
        sys.exit("no LOUPA_VERSION_TEXT in %s" % header)
    return match.group(1)


def readme_for_notepad(path):
    with open(path, encoding="utf-8-sig") as source:
        text = source.read()
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    return "\ufeff".encode("utf-8") + "\r\n".join(lines).encode("utf-8")


def strip_exe(exe, strip, target, stamp):
    """strip writes a new time into the PE header: the package's time."""
    shutil.copyfile(exe, target)
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(stamp))
    subprocess.run([strip, "--strip-all", target], check=True, env=env)


def zip_with_tool(files, stamp, archive):
    """Info-ZIP, given the files with their times set; it writes the times in
    local time, so it runs in UTC."""
    for path in files:
        os.utime(path, (stamp, stamp))
    env = dict(os.environ, TZ="UTC")
    subprocess.run(["zip", "-X", "-j", "-q", "-9", archive] + files, check=True, env=env)


def zip_with_python(files, stamp, archive):
    date_time = time.gmtime(stamp)[:6]
    with zipfile.ZipFile(archive, "w") as out:
        for path in files:
            info = zipfile.ZipInfo(os.path.basename(path), date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o100644 << 16  # a plain file, as zip stores it
            with open(path, "rb") as data:
                out.writestr(info, data.read(), compresslevel=9)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="Loupa.exe of the cross build")
    parser.add_argument("--readme", default=os.path.join(HERE, "README.txt"))
    parser.add_argument("--version-header", required=True,
                        help="LoupaVersion.h of the same build (its res/ folder)")
    parser.add_argument("--out-dir", required=True,
                        help="where Loupa-<version>-x64.zip is written")
    parser.add_argument("--strip", default="x86_64-w64-mingw32-strip")
    parser.add_argument("--python-zip", action="store_true",
                        help="use Python's zipfile even when zip is installed")
    args = parser.parse_args()

    if not os.path.isfile(args.exe):
        sys.exit("no executable at %s: build it first (make build-win)" % args.exe)
    if shutil.which(args.strip) is None:
        sys.exit("%s is missing (Debian: binutils-mingw-w64-x86-64)" % args.strip)
    if not os.path.isfile(args.version_header):
        sys.exit("no version header at %s: build it first (make build-win)" % args.version_header)

    stamp = package_time()
    package = os.path.join(args.out_dir, "Loupa-%s-x64.zip" % build_version(args.version_header))
    archive = os.path.abspath(package)
    os.makedirs(os.path.dirname(archive), exist_ok=True)
    with tempfile.TemporaryDirectory() as staging:
        exe = os.path.join(staging, "Loupa.exe")
        readme = os.path.join(staging, "README.txt")
        strip_exe(args.exe, args.strip, exe, stamp)
        with open(readme, "wb") as out:
            out.write(readme_for_notepad(args.readme))
        # A zip updates an existing archive in place; start from nothing.
        partial = archive + ".partial"
        if os.path.exists(partial):
            os.remove(partial)
        files = [exe, readme]
        if shutil.which("zip") and not args.python_zip:
            zip_with_tool(files, stamp, partial)
        else:
            zip_with_python(files, stamp, partial)
        os.replace(partial, archive)
        size = os.path.getsize(exe)

    print("Loupa.exe: %d bytes (%.1f KiB) after stripping" % (size, size / 1024.0))
    print("%s: %d bytes" % (package, os.path.getsize(archive)))


if __name__ == "__main__":
    main()
