#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes src/domain/files/pdf_ideographs.inc, the unified ideograph each CJK
radical and stroke looks like, from Unicode's EquivalentUnifiedIdeograph.txt
(Debian's unicode-data puts it in /usr/share/unicode). The PDFs the program
writes map these look-alikes back to their ideographs (pdf_text_map.cpp).

The table is committed, so the build does not need unicode-data; run this
again when the data changes:
    python3 tools/make_pdf_ideographs.py [path/to/EquivalentUnifiedIdeograph.txt]
"""

import os
import sys

SOURCE = "/usr/share/unicode/EquivalentUnifiedIdeograph.txt"
PER_LINE = 4


def mappings(lines):
    """(look-alike, ideograph) for every code point the file maps."""
    pairs = []
    for line in lines:
        data = line.split("#", 1)[0].strip()
        if not data:
            continue
        points, ideograph = (field.strip() for field in data.split(";"))
        first, _, last = points.partition("..")
        for point in range(int(first, 16), int(last or first, 16) + 1):
            pairs.append((point, int(ideograph, 16)))
    return sorted(pairs)


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    with open(source, encoding="utf-8") as f:
        lines = f.read().splitlines()
    header = [line[2:] for line in lines[:3]]  # the file's name, date and copyright
    pairs = mappings(lines)
    assert all(point <= 0xFFFF for point, _ in pairs), "look-alikes outside the BMP"
    out = [
        "// The unified ideograph each CJK radical and stroke looks like, written by",
        "// tools/make_pdf_ideographs.py from Unicode's data; do not edit.",
        "// Included by pdf_text_map.cpp only.",
        "//",
        "// Source: " + header[0] + " (" + header[1] + ")",
        "// " + header[2],
        "// Unicode data files are used under the Unicode License Agreement -",
        "// Data Files and Software: https://www.unicode.org/license.txt",
        "",
        "// Sorted by the look-alike.",
        "constexpr Lookalike kEquivalentIdeographs[] = {",
    ]
    for start in range(0, len(pairs), PER_LINE):
        chunk = pairs[start : start + PER_LINE]
        out.append("    " + " ".join("{0x%04X, 0x%04X}," % pair for pair in chunk))
    out.append("};")
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "domain",
                          "files", "pdf_ideographs.inc")
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")
    print("%s: %d look-alikes" % (os.path.normpath(target), len(pairs)))


if __name__ == "__main__":
    main()
