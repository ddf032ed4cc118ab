#!/usr/bin/env python3
"""Packs Skittera's release zip and setup, signs them, writes the winget manifests, and reads back what a
Windows user (or winget) sees of them.

    release.py pack --exe EXE --version V --readme FILE --licence FILE --date EPOCH --out ZIP
    release.py setup --exe EXE --version V --licence FILE --icon ICO --date EPOCH --out SETUP
    release.py sign --in FILE
    release.py winget --setup SETUP --url BASE-URL --date EPOCH --out FOLDER
    release.py check-winget --setup SETUP --manifests FOLDER
    release.py describe --exe EXE

pack first checks the program: a PE file with no link time stamp anywhere, and a version block whose
product name is Skittera and whose file and product versions are V. Then it writes the zip so that the same
inputs always give the same bytes: entries in a fixed order, all with the one given date (seconds since
1970, UTC), fixed attributes and compression, the text files with Windows line ends and @VERSION@ in the
read-me replaced by V. describe prints the version block. Exit status 1 when a check fails.

setup runs makensis on packaging/skittera.nsi after the same check, with copies of the inputs whose file times
are the given date (the script stores no file times, so the same inputs give the same setup), and fails when the
setup is 400 KB or more. When SKITTERA_SIGN_PFX is set, makensis signs the uninstaller before packing it and the
setup when it is written, with sign.

sign signs FILE in place with osslsigncode: the PKCS#12 file SKITTERA_SIGN_PFX, its password
SKITTERA_SIGN_PASSWORD (handed over in a file, never on a command line), SHA-256, and an RFC 3161 time stamp from
SKITTERA_SIGN_TIMESTAMP_URL when that is set.

winget fills in the manifests of packaging/winget/ for the setup (its version, SHA-256 and the address BASE-URL/
its name) and check-winget reads them back and compares their fields with the setup.
Only the standard library is needed, and the tools named.
"""

import argparse
import datetime
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

RT_VERSION = 16
TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SETUP_SCRIPT = os.path.join(TOP, "packaging", "skittera.nsi")
WINGET_TEMPLATES = os.path.join(TOP, "packaging", "winget")
SETUP_LIMIT = 400 * 1024
IMAGE_FILE_MACHINE_AMD64 = 0x8664


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
        self.machine, sections, self.time_stamp, _, _, optional_size, _ = unpack(data, "<HHIIIHH", coff)
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


# ------------------------------------------------------------------------------------------------------------
# The setup and its signature.


def signing_asked():
    return bool(os.environ.get("SKITTERA_SIGN_PFX"))


def run_tool(command, what):
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    except OSError as error:
        raise ReleaseError("%s: cannot run %s: %s" % (what, command[0], error))
    if done.returncode != 0:
        raise ReleaseError("%s failed (status %d):\n%s" % (what, done.returncode, done.stdout.rstrip()))
    return done.stdout


def make_setup(args):
    check_program(args.exe, args.version)
    out = os.path.abspath(args.out)
    with tempfile.TemporaryDirectory() as scratch:
        inputs = {
            "PROGRAM": os.path.join(scratch, "skittera.exe"),
            "LICENCE": os.path.join(scratch, "LICENSE.txt"),
            "ICON": os.path.join(scratch, "skittera.ico"),
        }
        shutil.copyfile(args.exe, inputs["PROGRAM"])
        shutil.copyfile(args.icon, inputs["ICON"])
        with open(inputs["LICENCE"], "wb") as f:
            f.write(windows_text(args.licence, args.version))
        for path in inputs.values():
            os.utime(path, (args.date, args.date))
        defines = dict(inputs, VERSION=args.version, VERSION4=four_part(args.version), OUTFILE=out)
        if signing_asked():
            defines["SIGN"] = '"%s" "%s" sign --in' % (sys.executable, os.path.abspath(__file__))
        command = ["makensis", "-NOCONFIG", "-V2", "-WX"]
        command += ["-D%s=%s" % item for item in sorted(defines.items())]
        run_tool(command + [SETUP_SCRIPT], "makensis")
    size = os.path.getsize(out)
    if size >= SETUP_LIMIT:
        raise ReleaseError("%s is %d bytes, over the limit of %d" % (out, size, SETUP_LIMIT))
    return 0


def sign(args):
    certificate = os.environ.get("SKITTERA_SIGN_PFX", "")
    if not certificate:
        raise ReleaseError("SKITTERA_SIGN_PFX names no PKCS#12 file to sign with")
    target = os.path.abspath(args.input)
    password_fd, password_file = tempfile.mkstemp(prefix="skittera-sign-")
    signed = target + ".signed"
    try:
        with os.fdopen(password_fd, "w") as f:
            f.write(os.environ.get("SKITTERA_SIGN_PASSWORD", ""))
        command = ["osslsigncode", "sign", "-pkcs12", certificate, "-readpass", password_file, "-h", "sha256"]
        command += ["-n", "Skittera"]
        if os.environ.get("SKITTERA_SIGN_TIMESTAMP_URL"):
            command += ["-ts", os.environ["SKITTERA_SIGN_TIMESTAMP_URL"]]
        run_tool(command + ["-in", target, "-out", signed], "signing %s" % target)
        shutil.copymode(target, signed)
        os.replace(signed, target)
    finally:
        os.unlink(password_file)
        if os.path.exists(signed):
            os.unlink(signed)
    return 0


# ------------------------------------------------------------------------------------------------------------
# The winget manifests: the templates of packaging/winget/ filled in, and read back.

PACKAGE_IDENTIFIER = "Skittera.Skittera"
MANIFEST_VERSION = "1.6.0"


def setup_facts(setup):
    """The setup's version (from its version block), SHA-256, file name and architecture."""
    with open(setup, "rb") as f:
        data = f.read()
    program = PeFile(data)
    block = program.version_block()
    if block is None:
        raise ReleaseError("%s has no version resource" % setup)
    return {
        "version": describe_version(block).get("ProductVersion", ""),
        "sha256": hashlib.sha256(data).hexdigest().upper(),
        "name": os.path.basename(setup),
        "architecture": "x64" if program.machine == IMAGE_FILE_MACHINE_AMD64 else "machine 0x%x" % program.machine,
    }


def write_winget(args):
    facts = setup_facts(args.setup)
    day = datetime.datetime.fromtimestamp(max(args.date, 0), datetime.timezone.utc).strftime("%Y-%m-%d")
    fields = {
        "@VERSION@": facts["version"],
        "@SHA256@": facts["sha256"],
        "@URL@": "%s/%s" % (args.url.rstrip("/"), facts["name"]),
        "@DATE@": day,
    }
    os.makedirs(args.out, exist_ok=True)
    for name in sorted(os.listdir(WINGET_TEMPLATES)):
        if not name.endswith(".yaml"):
            continue
        with open(os.path.join(WINGET_TEMPLATES, name), encoding="utf-8") as f:
            text = f.read()
        for placeholder, value in fields.items():
            text = text.replace(placeholder, value)
        with open(os.path.join(args.out, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    return 0


def yaml_scalar(text):
    text = text.strip()
    if len(text) >= 2 and text[0] == text[-1] and text[0] in "'\"":
        return text[1:-1]
    return text


def read_yaml(text):
    """The block mappings, block lists, block scalars and plain or quoted scalars of a manifest (what
    winget's schemas use), as dicts, lists and strings."""
    lines = []
    for raw in text.splitlines():
        if raw.lstrip().startswith("#") or not raw.strip():
            continue
        if "\t" in raw[: len(raw) - len(raw.lstrip())]:
            raise ReleaseError("a tab in the indentation of %r" % raw)
        lines.append((len(raw) - len(raw.lstrip(" ")), raw.strip()))

    def block(index, indent):
        if index < len(lines) and lines[index][1].startswith("- "):
            items = []
            while index < len(lines) and lines[index][0] == indent and lines[index][1].startswith("- "):
                # A list item's mapping goes on at the column after "- ".
                rest = lines[index][1][2:]
                lines[index] = (indent + 2, rest)
                if ":" in rest and not rest.startswith(("'", '"')):
                    item, index = block(index, indent + 2)
                else:
                    item, index = yaml_scalar(rest), index + 1
                items.append(item)
            return items, index
        mapping = {}
        while index < len(lines) and lines[index][0] == indent:
            key, colon, value = lines[index][1].partition(":")
            if not colon or key.startswith("- "):
                raise ReleaseError("cannot read %r" % lines[index][1])
            index += 1
            if value.strip() in (">", ">-", "|", "|-"):
                # A block scalar: the lines indented under the key, folded (>) or as they stand (|).
                text = []
                while index < len(lines) and lines[index][0] > indent:
                    text.append(lines[index][1])
                    index += 1
                mapping[key.strip()] = (" " if value.strip()[0] == ">" else "\n").join(text)
            elif value.strip():
                mapping[key.strip()] = yaml_scalar(value)
            elif index < len(lines) and (lines[index][0] > indent or lines[index][1].startswith("- ")):
                mapping[key.strip()], index = block(index, lines[index][0])
            else:
                mapping[key.strip()] = ""
        return mapping, index

    if not lines:
        return {}
    result, index = block(0, lines[0][0])
    if index != len(lines):
        raise ReleaseError("cannot read %r" % lines[index][1])
    return result


def check_winget(args):
    facts = setup_facts(args.setup)
    manifests = {}
    for name in sorted(os.listdir(args.manifests)):
        if name.endswith(".yaml"):
            with open(os.path.join(args.manifests, name), encoding="utf-8") as f:
                manifest = read_yaml(f.read())
            manifests.setdefault(manifest.get("ManifestType", "(none)"), []).append((name, manifest))
    problems = []

    def expect(name, manifest, field, wanted):
        if manifest.get(field) != wanted:
            problems.append("%s: %s is %r, not %r" % (name, field, manifest.get(field), wanted))

    def one(kind):
        found = manifests.get(kind, [])
        if len(found) != 1:
            problems.append("%d manifests of type %s, not one" % (len(found), kind))
            return None, {}
        return found[0]

    if manifests.get("(none)"):
        problems.append("no ManifestType in %s" % ", ".join(name for name, _ in manifests["(none)"]))
    for found in manifests.values():
        for name, manifest in found:
            expect(name, manifest, "PackageIdentifier", PACKAGE_IDENTIFIER)
            expect(name, manifest, "PackageVersion", facts["version"])
            expect(name, manifest, "ManifestVersion", MANIFEST_VERSION)
    name, version = one("version")
    default_locale = version.get("DefaultLocale")
    name, locale = one("defaultLocale")
    expect(name, locale, "PackageLocale", default_locale)
    for field in ("Publisher", "PackageName", "License", "ShortDescription"):
        if not locale.get(field):
            problems.append("%s: no %s" % (name, field))
    if default_locale != "it-IT":
        problems.append("the default locale is %r, not 'it-IT'" % default_locale)
    if not any(manifest.get("PackageLocale") == "en-US" for _, manifest in manifests.get("locale", [])):
        problems.append("no en-US locale manifest")

    name, installer = one("installer")
    for field, wanted in (("InstallerType", "nullsoft"), ("Scope", "user"), ("UpgradeBehavior", "install"),
                          ("ProductCode", "Skittera")):
        expect(name, installer, field, wanted)
    switches = installer.get("InstallerSwitches") or {}
    if not isinstance(switches, dict) or switches.get("Silent") != "/S" or switches.get("SilentWithProgress") != "/S":
        problems.append("%s: the silent switches are %r, not /S" % (name, switches))
    entries = installer.get("Installers") or []
    if not isinstance(entries, list) or len(entries) != 1 or not isinstance(entries[0], dict):
        problems.append("%s: %r installers, not one" % (name, entries))
    else:
        entry = entries[0]
        expect(name, entry, "Architecture", facts["architecture"])
        expect(name, entry, "InstallerSha256", facts["sha256"])
        if not str(entry.get("InstallerUrl", "")).endswith("/" + facts["name"]):
            problems.append("%s: InstallerUrl %r does not name %s" % (name, entry.get("InstallerUrl"), facts["name"]))
    for entry in installer.get("AppsAndFeaturesEntries") or []:
        expect(name, entry, "DisplayVersion", facts["version"])
        expect(name, entry, "ProductCode", "Skittera")
    if problems:
        raise ReleaseError("the winget manifests in %s do not match %s:\n  %s"
                           % (args.manifests, args.setup, "\n  ".join(problems)))
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
    setup = commands.add_parser("setup")
    setup.add_argument("--exe", required=True)
    setup.add_argument("--version", required=True)
    setup.add_argument("--licence", required=True)
    setup.add_argument("--icon", required=True)
    setup.add_argument("--date", required=True, type=int, help="seconds since 1970, UTC")
    setup.add_argument("--out", required=True)
    signing = commands.add_parser("sign")
    signing.add_argument("--in", dest="input", required=True)
    winget = commands.add_parser("winget")
    winget.add_argument("--setup", required=True)
    winget.add_argument("--url", required=True, help="where the setup is published, without its name")
    winget.add_argument("--date", required=True, type=int, help="seconds since 1970, UTC")
    winget.add_argument("--out", required=True)
    checking = commands.add_parser("check-winget")
    checking.add_argument("--setup", required=True)
    checking.add_argument("--manifests", required=True)
    describing = commands.add_parser("describe")
    describing.add_argument("--exe", required=True)
    args = parser.parse_args()
    commands = {"pack": pack, "setup": make_setup, "sign": sign, "winget": write_winget, "check-winget": check_winget}
    try:
        if args.command in commands:
            return commands[args.command](args)
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
