#!/usr/bin/env python3
"""Where an executable's bytes go: its sections and each kind of resource.
   bench/pe_size.py EXE [BUDGET_BYTES]"""
import struct
import sys

KINDS = {1: "cursor", 2: "bitmap", 3: "icon", 4: "menu", 5: "dialog", 6: "string", 12: "group cursor",
         14: "group icon", 16: "version", 24: "manifest"}


def main():
    path = sys.argv[1]
    budget = int(sys.argv[2]) if len(sys.argv) > 2 else 131072
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    sections = []
    for i in range(sections_count):
        name, vsize, rva, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, optional + optional_size + 40 * i)
        sections.append((name.rstrip(b"\0").decode(), vsize, rva, raw_size, raw_ptr))

    def offset(address):
        for _, vsize, rva, _, raw_ptr in sections:
            if rva <= address < rva + vsize:
                return address - rva + raw_ptr
        raise ValueError(hex(address))

    root = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", data, directory)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            yield ident, target

    def leaf_bytes(target):
        if target & 0x80000000:   # a subdirectory: add up its leaves
            return sum(leaf_bytes(t) for _, t in entries(root + (target & 0x7FFFFFFF)))
        return struct.unpack_from("<II", data, root + target)[1]

    size = len(data)
    print(f"size of {path}: {size} bytes of the {budget}-byte budget ({100 * size / budget:.1f} %, "
          f"{budget - size} bytes left)")
    print("  sections (bytes in the file):")
    for name, vsize, _, raw_size, _ in sections:
        print(f"    {name:<8} {raw_size:7}" + (f"   (in memory {vsize})" if raw_size == 0 else ""))
    headers = sections[0][4] if sections else 0
    print(f"    {'headers':<8} {headers:7}")
    print("  resources by kind (bytes of data, without the directory):")
    for ident, target in entries(root):
        print(f"    {KINDS.get(ident, str(ident)):<13} {leaf_bytes(target):7}")


if __name__ == "__main__":
    main()
