#!/usr/bin/python3
"""The release zip: the files given, in the order given, in one folder, with
SHA256SUMS beside them, the same bytes every time.

    package.py --source DIR --folder NAME OUT.zip NAME=PATH...

Every entry carries the time of the source's last commit (none outside a
git checkout: 1980-01-01) and the same attributes. A name that is not ASCII
is stored in code page 936, as Windows' own zip folders on a Chinese
Windows read it, and once more in UTF-8 in the Info-ZIP Unicode path field,
which 7-Zip, Info-ZIP, libarchive and newer Windows read.
"""
import argparse
import hashlib
import struct
import subprocess
import sys
import time
import zipfile
import zlib


class Entry(zipfile.ZipInfo):
    def __init__(self, name, when):
        super().__init__(name, when)
        self.create_system = 0  # MS-DOS: no Unix owner or mode in the zip
        self.external_attr = 0x20 if not name.endswith("/") else 0x10  # archive, or directory
        self.compress_type = zipfile.ZIP_DEFLATED if not name.endswith("/") else zipfile.ZIP_STORED
        try:
            name.encode("ascii")
        except UnicodeEncodeError:
            legacy = name.encode("gbk")
            field = struct.pack("<B", 1) + struct.pack("<I", zlib.crc32(legacy)) + name.encode("utf-8")
            self.extra = struct.pack("<HH", 0x7075, len(field)) + field

    def _encodeFilenameFlags(self):
        try:
            return self.filename.encode("ascii"), self.flag_bits
        except UnicodeEncodeError:
            return self.filename.encode("gbk"), self.flag_bits


def commit_time(source):
    try:
        seconds = int(subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"], check=True,
                                     capture_output=True, text=True).stdout)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return (1980, 1, 1, 0, 0, 0)
    return time.gmtime(seconds)[:6]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("zip")
    parser.add_argument("files", nargs="+", help="NAME=PATH")
    args = parser.parse_args()
    when = commit_time(args.source)
    files = [f.split("=", 1) for f in args.files]
    contents = {}
    for name, path in files:
        with open(path, "rb") as f:
            contents[name] = f.read()
    sums = "".join(f"{hashlib.sha256(contents[name]).hexdigest()}  {name}\n" for name, _ in files)
    contents["SHA256SUMS"] = sums.encode("utf-8")
    with zipfile.ZipFile(args.zip, "w") as archive:
        archive.writestr(Entry(args.folder + "/", when), b"")
        for name in [name for name, _ in files] + ["SHA256SUMS"]:
            archive.writestr(Entry(f"{args.folder}/{name}", when), contents[name], compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main())
