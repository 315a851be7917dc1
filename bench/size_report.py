#!/usr/bin/env python3
"""Prints where the bytes of lite_installer.exe go: by PE section, by input
archive or object from the linker map, and by resource type and name.

usage: size_report.py [EXE] [--map MAP] [--budget BYTES]

EXE defaults to build/lite_installer.exe and MAP to the .map file beside it
(written by the link). With link-time optimisation the project's own code
and what it inlined reach the linker as "LTO output" objects, so the
archive figures name the third-party and runtime libraries that were
linked as machine code. The first line is the figure CI prints.
"""
import argparse
import collections
import os
import re
import struct
import sys

RESOURCE_TYPES = {
    1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING",
    7: "FONTDIR", 8: "FONT", 9: "ACCELERATOR", 10: "RCDATA", 11: "MESSAGETABLE",
    12: "GROUP_CURSOR", 14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST",
}
DEFAULT_BUDGET = 1024 * 1024
Resource = collections.namedtuple("Resource", "kind name language size rva")


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        count, = struct.unpack_from("<H", data, pe + 6)
        optional_size, = struct.unpack_from("<H", data, pe + 20)
        optional = pe + 24
        magic, = struct.unpack_from("<H", data, optional)
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
        self.cert_offset, self.cert_size = struct.unpack_from("<II", data, directories + 4 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(count):
            name, vsize, rva, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"),
                                  vsize, rva, raw_size, raw_offset))
        self.headers = table + 40 * count

    def offset_of(self, rva):
        for _, vsize, start, raw_size, raw_offset in self.sections:
            if start <= rva < start + max(vsize, raw_size):
                return raw_offset + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def resources(self):
        """Every resource: its type, name and language as text, its size
        and where its bytes start (an RVA; `resource_bytes` reads them)."""
        if not self.resource_rva:
            return []
        base = self.offset_of(self.resource_rva)
        found = []

        def label(entry_name, level):
            if entry_name & 0x80000000:
                at = base + (entry_name & 0x7FFFFFFF)
                length, = struct.unpack_from("<H", self.data, at)
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            if level == 0:
                return RESOURCE_TYPES.get(entry_name, str(entry_name))
            return str(entry_name)

        def walk(offset, path):
            named, ids = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + ids):
                entry_name, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                item = path + [label(entry_name, len(path))]
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, item)
                else:
                    rva, size = struct.unpack_from("<II", self.data, base + target)
                    found.append(Resource(*(item + ["", "", ""])[:3], size, rva))

        walk(0, [])
        return found

    def resource_bytes(self, resource):
        start = self.offset_of(resource.rva)
        return self.data[start:start + resource.size]


def map_contributions(map_path):
    """Bytes of allocated input sections by archive (or object) name."""
    by_source = collections.Counter()
    in_memory_map = False
    pending = None
    entry = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    with open(map_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            if not in_memory_map:
                continue
            # Long section names stand alone, their figures on the next line.
            if re.match(r"^ \S+$", line):
                pending = line.strip()
                continue
            match = entry.match(line)
            section = (match and (match.group(1) or pending)) or ""
            pending = None
            if not match or section.startswith(("*", ".bss", ".tbss", ".debug", ".stab")):
                continue
            size = int(match.group(3), 16)
            if size:
                by_source[source_name(match.group(4))] += size
    return by_source


def source_name(path):
    archive = re.match(r"^(.*?\.a)\((.*)\)$", path)
    if archive:
        return os.path.basename(archive.group(1))
    if path.split(" ")[0] in ("LONG", "SHORT", "BYTE", "QUAD"):
        return "linker script data"
    if path == "dll stuff":
        return "base relocations (linker)"
    if ".ltrans" in path:
        return "LTO output (project code, inlined)"
    return os.path.basename(path)


def kib(size):
    return f"{size:>10,} B {size / 1024:>8.1f} KiB"


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe", nargs="?", default="build/lite_installer.exe")
    parser.add_argument("--map")
    parser.add_argument("--budget", type=int, default=DEFAULT_BUDGET,
                        help="bytes the executable may take (default: 1 MiB)")
    args = parser.parse_args()
    with open(args.exe, "rb") as f:
        data = f.read()
    image = PeImage(data)
    verdict = "within" if len(data) <= args.budget else "OVER"
    print(f"{os.path.basename(args.exe)}: {len(data):,} bytes "
          f"({verdict} the budget of {args.budget:,} bytes)")

    print("\nBy section (file bytes, memory bytes):")
    print(f"  {'headers':<10}{kib(image.headers)}")
    for name, vsize, _, raw_size, _ in image.sections:
        print(f"  {name:<10}{kib(raw_size)}  {vsize:>10,} B in memory")
    if image.cert_size:
        print(f"  {'signature':<10}{kib(image.cert_size)}")

    map_path = args.map or os.path.splitext(args.exe)[0] + ".map"
    if os.path.exists(map_path):
        print(f"\nBy archive or object ({os.path.basename(map_path)}, before stripping):")
        contributions = map_contributions(map_path)
        for source, size in contributions.most_common():
            print(f"  {source:<40}{kib(size)}")
    else:
        print(f"\nNo linker map at {map_path}: no figures by archive.")

    resources = image.resources()
    print(f"\nBy resource ({kib(sum(r.size for r in resources)).strip()} in all):")
    by_type = collections.Counter()
    for r in resources:
        by_type[r.kind] += r.size
    for kind, size in by_type.most_common():
        print(f"  {kind:<14}{kib(size)}")
        for r in sorted(resources, key=lambda r: -r.size):
            if r.kind == kind:
                print(f"    {r.name + '/' + r.language:<20}{r.size:>10,} B")
    return 0


if __name__ == "__main__":
    sys.exit(main())
