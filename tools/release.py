#!/usr/bin/env python3
"""Packs Skittera's release zip, and reads back what a Windows user sees of the program file.

    release.py pack --exe EXE --version V --readme FILE --licence FILE --date EPOCH --out ZIP
    release.py describe --exe EXE

pack first checks the program: a PE file with no link time stamp anywhere, and a version block whose
product name is Skittera and whose file and product versions are V. Then it writes the zip so that the same
inputs always give the same bytes: entries in a fixed order, all with the one given date (seconds since
1970, UTC), fixed attributes and compression, the text files with Windows line ends and @VERSION@ in the
read-me replaced by V. describe prints the version block. Exit status 1 when a check fails.
Only the standard library is needed.
"""

import argparse
import datetime
import struct
import sys
import zipfile

RT_VERSION = 16


class ReleaseError(Exception):
    pass


# ------------------------------------------------------------------------------------------------------------
# The PE file: headers, sections and the resource tree.


def unpack(data, fmt, offset):
    if offset < 0 or offset + struct.calcsize(fmt) > len(data):
        raise ReleaseError("the file ends inside a header at offset %d" % offset)
    return struct.unpack_from(fmt, data, offset)


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ReleaseError("not an MZ executable")
        (pe,) = unpack(data, "<I", 0x3C)
        if data[pe : pe + 4] != b"PE\0\0":
            raise ReleaseError("no PE signature")
        coff = pe + 4
        _, sections, self.time_stamp, _, _, optional_size, _ = unpack(data, "<HHIIIHH", coff)
        optional = coff + 20
        (magic,) = unpack(data, "<H", optional)
        directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
        if directories < optional:
            raise ReleaseError("unknown optional header 0x%x" % magic)
        self.resource_rva, self.resource_size = unpack(data, "<II", directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            _, virtual_size, address, raw_size, raw_offset = unpack(data, "<8sIIII", table + 40 * index)
            self.sections.append((address, max(virtual_size, raw_size), raw_offset, raw_size))

    def offset_of(self, rva):
        for address, size, raw_offset, raw_size in self.sections:
            if address <= rva < address + size and rva - address < raw_size:
                return raw_offset + rva - address
        raise ReleaseError("address 0x%x lies in no section's file data" % rva)

    def resource_directory(self, offset):
        """Returns the directory's time stamp and its entries as (id or None for a name, subdirectory?, offset)."""
        base = self.offset_of(self.resource_rva)
        _, time_stamp, _, _, named, numbered = unpack(self.data, "<IIHHHH", base + offset)
        entries = []
        for index in range(named + numbered):
            name, target = unpack(self.data, "<II", base + offset + 16 + 8 * index)
            entries.append((None if name & 0x80000000 else name, bool(target & 0x80000000), target & 0x7FFFFFFF))
        return time_stamp, entries

    def resource_time_stamps(self):
        """Every time stamp in the resource tree (a resource compiler may write the time there)."""
        stamps = []
        pending = [0]
        while pending:
            time_stamp, entries = self.resource_directory(pending.pop())
            stamps.append(time_stamp)
            pending.extend(target for _, subdirectory, target in entries if subdirectory)
        return stamps

    def version_block(self):
        """The bytes of the first RT_VERSION resource, or None."""
        if self.resource_size == 0:
            return None
        _, types = self.resource_directory(0)
        for type_id, subdirectory, target in types:
            if type_id != RT_VERSION or not subdirectory:
                continue
            _, ids = self.resource_directory(target)
            if not ids or not ids[0][1]:
                raise ReleaseError("malformed version resource directory")
            _, leaves = self.resource_directory(ids[0][2])  # the languages
            if not leaves or leaves[0][1]:
                raise ReleaseError("malformed version resource leaf")
            rva, size, _, _ = unpack(self.data, "<IIII", self.offset_of(self.resource_rva) + leaves[0][2])
            start = self.offset_of(rva)
            return self.data[start : start + size]
        return None


# ------------------------------------------------------------------------------------------------------------
# The version block: a tree of nodes, each a length, a value length, a type, a UTF-16 key and its children.


def align4(offset):
    return (offset + 3) & ~3


def read_version_node(block, offset):
    """Returns (key, value bytes, is text, children, end)."""
    length, value_length, value_type = unpack(block, "<HHH", offset)
    end = offset + length
    if length < 6 or end > len(block):
        raise ReleaseError("a version node overruns its block")
    key_end = offset + 6
    while key_end + 1 < end and block[key_end : key_end + 2] != b"\0\0":
        key_end += 2
    key = block[offset + 6 : key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    value_size = value_length * 2 if value_type == 1 else value_length
    value = block[value_start : min(value_start + value_size, end)]
    children = []
    child = align4(value_start + value_size)
    while child + 6 <= end:
        node = read_version_node(block, child)
        children.append(node)
        child = align4(node[4])
    return key, value, value_type == 1, children, end


def describe_version(block):
    """The fixed file and product versions and every string of the block, as a dict."""
    key, value, _, children, _ = read_version_node(block, 0)
    if key != "VS_VERSION_INFO" or len(value) < 52:
        raise ReleaseError("the version resource is not a VS_VERSION_INFO block")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", value, 0)
    if signature != 0xFEEF04BD:
        raise ReleaseError("the fixed file information has a wrong signature")
    facts = {
        "fixed FileVersion": "%d.%d.%d.%d" % (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
        "fixed ProductVersion": "%d.%d.%d.%d"
        % (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF),
    }
    for child_key, _, _, tables, _ in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, strings, _ in tables:
            for name, text, _, _, _ in strings:
                facts[name] = text.decode("utf-16-le").rstrip("\0")
    return facts


def four_part(version):
    parts = version.split(".")
    if not 1 <= len(parts) <= 4 or not all(part.isdigit() for part in parts):
        raise ReleaseError("version %r is not one to four numbers" % version)
    return ".".join((parts + ["0"] * 4)[:4])


def check_program(exe, version):
    with open(exe, "rb") as f:
        program = PeFile(f.read())
    problems = []
    if program.time_stamp != 0:
        problems.append("the PE header carries the link time 0x%08x" % program.time_stamp)
    if any(program.resource_time_stamps()):
        problems.append("the resource directories carry a time stamp")
    block = program.version_block()
    if block is None:
        raise ReleaseError("%s has no version resource" % exe)
    facts = describe_version(block)
    expected = {
        "ProductName": "Skittera",
        "ProductVersion": version,
        "FileVersion": four_part(version),
        "fixed FileVersion": four_part(version),
        "fixed ProductVersion": four_part(version),
    }
    for name, value in expected.items():
        if facts.get(name) != value:
            problems.append("%s is %r, not %r" % (name, facts.get(name), value))
    for name in ("FileDescription", "LegalCopyright"):
        if not facts.get(name):
            problems.append("%s is missing" % name)
    if problems:
        raise ReleaseError("%s: %s" % (exe, "; ".join(problems)))


# ------------------------------------------------------------------------------------------------------------
# The zip.


def windows_text(path, version):
    with open(path, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def pack(args):
    check_program(args.exe, args.version)
    moment = datetime.datetime.fromtimestamp(max(args.date, 315532800), datetime.timezone.utc)
    with open(args.exe, "rb") as f:
        entries = [
            ("skittera.exe", f.read()),
            ("README.txt", windows_text(args.readme, args.version)),
            ("LICENSE.txt", windows_text(args.licence, args.version)),
        ]
    with zipfile.ZipFile(args.out, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=moment.timetuple()[:6])
            info.create_system = 0  # MS-DOS: no Unix owner or permission bits
            info.external_attr = 0x20  # the archive attribute, as Windows sets it
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    packing = commands.add_parser("pack")
    packing.add_argument("--exe", required=True)
    packing.add_argument("--version", required=True)
    packing.add_argument("--readme", required=True)
    packing.add_argument("--licence", required=True)
    packing.add_argument("--date", required=True, type=int, help="seconds since 1970, UTC")
    packing.add_argument("--out", required=True)
    describing = commands.add_parser("describe")
    describing.add_argument("--exe", required=True)
    args = parser.parse_args()
    try:
        if args.command == "pack":
            return pack(args)
        with open(args.exe, "rb") as f:
            block = PeFile(f.read()).version_block()
        if block is None:
            raise ReleaseError("%s has no version resource" % args.exe)
        for name, value in describe_version(block).items():
            print("%s: %s" % (name, value))
        return 0
    except (ReleaseError, OSError) as error:
        print("release: %s" % error, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
