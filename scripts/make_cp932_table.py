#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes src/domain/files/cp932_table.inc, the CP932 characters compiled into
the program, from Python's own cp932 codec (Microsoft's CP932 with the NEC and
IBM extensions).

The table holds what the program reads, which is not quite what Python
reads: the bytes 0x80, 0xA0 and 0xFD to 0xFF, which Python turns into
U+0080 and private-use characters, are no CP932 characters for the program
and read as U+FFFD. Every other single byte and every pair of a lead and a
trail byte reads as Python reads it (U+FFFD where Python refuses it).

Encoding is derived in the program from this table: where several byte
pairs read as one character (the NEC and IBM duplicates), the lowest pair
is written, but the NEC-selected IBM rows 0xED and 0xEE only when nothing
else holds the character; that is what Windows and ICU write. Python's
encoder differs there (it writes the 0xED/0xEE pairs), so it is not used.

Run from anywhere; the output is the same on every run:
    python3 scripts/make_cp932_table.py
"""

import os

REPLACEMENT = 0xFFFD
LEAD_BYTES = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = range(0x40, 0xFD)  # 189 slots; 0x7F is no trail byte and stays U+FFFD
NOT_CHARACTERS = {0x80, 0xA0, 0xFD, 0xFE, 0xFF}
PER_LINE = 11


def decoded(data):
    """The one character the bytes read as, or U+FFFD."""
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError:
        return REPLACEMENT
    if len(text) != 1:
        return REPLACEMENT
    return ord(text)


def single_byte(b):
    if b < 0x80:
        return b
    if b in NOT_CHARACTERS or b in LEAD_BYTES:
        return REPLACEMENT
    return decoded(bytes([b]))


def pair_row(lead):
    return [REPLACEMENT if trail == 0x7F else decoded(bytes([lead, trail])) for trail in TRAILS]


def array_lines(values):
    lines = []
    for start in range(0, len(values), PER_LINE):
        chunk = values[start : start + PER_LINE]
        lines.append("    " + " ".join("0x%04X," % v for v in chunk))
    return lines


def main():
    rows = [[REPLACEMENT] * len(TRAILS)]  # row 0: a lead byte without characters
    row_of = [0] * 0x100
    for lead in LEAD_BYTES:
        row = pair_row(lead)
        if any(c != REPLACEMENT for c in row):
            row_of[lead] = len(rows)
            rows.append(row)

    out = [
        "// SPDX-License-Identifier: MIT",
        "// The CP932 characters, written by scripts/make_cp932_table.py; do not edit.",
        "// Included by cp932.cpp only.",
        "",
        "// The character of each single byte; U+FFFD for a lead byte and for a",
        "// byte that is no character.",
        "constexpr std::array<char16_t, 0x100> kCp932Single = {{",
    ]
    out += array_lines([single_byte(b) for b in range(0x100)])
    out += [
        "}};",
        "",
        "// For each byte, its row in kCp932Pairs: 0, a row of U+FFFD only, for a",
        "// byte that leads no character.",
        "constexpr std::array<std::uint8_t, 0x100> kCp932LeadRow = {{",
    ]
    for start in range(0, 0x100, 16):
        out.append("    " + " ".join("%d," % r for r in row_of[start : start + 16]))
    out += [
        "}};",
        "",
        "constexpr int kCp932FirstTrail = 0x%02X;" % TRAILS.start,
        "constexpr int kCp932TrailSlots = %d;" % len(TRAILS),
        "",
        "// The character of each lead byte's row and trail byte (at trail - 0x40).",
        "constexpr std::array<std::array<char16_t, kCp932TrailSlots>, %d> kCp932Pairs = {{"
        % len(rows),
    ]
    for index, row in enumerate(rows):
        lead = row_of.index(index) if index else None
        out.append("    // %s" % ("lead byte 0x%02X" % lead if lead else "no characters"))
        out.append("    {{")
        out += ["    " + line for line in array_lines(row)]
        out.append("    }},")
    out += ["}};", ""]

    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "src", "domain", "files", "cp932_table.inc")
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(out))
    print("%s: %d rows of pairs" % (os.path.normpath(path), len(rows) - 1))


if __name__ == "__main__":
    main()
