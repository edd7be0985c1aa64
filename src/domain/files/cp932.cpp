// SPDX-License-Identifier: MIT
#include "domain/files/cp932.h"

#include <array>
#include <cstdint>

namespace {

// kCp932Single, kCp932LeadRow and kCp932Pairs: what each byte and each pair
// of a lead and a trail byte reads as, U+FFFD where CP932 has no character.
// The program carries the table itself, so that CP932 works the same with
// any build of Qt (one without ICU has no Shift_JIS codec at all), and a bad
// byte reads as U+FFFD rather than the codec's U+001A.
#include "domain/files/cp932_table.inc"

// Bytes below 0x80 read as the same code point, so decoding copies runs of
// them, which is most of a job file, without the tables.
constexpr bool asciiReadsAsItself() {
    for (int b = 0; b < 0x80; ++b) {
        if (kCp932Single[std::size_t(b)] != char16_t(b))
            return false;
    }
    return true;
}
static_assert(asciiReadsAsItself());

// Copies the bytes below 0x80 from the start of `in` and says how many.
qsizetype asciiRun(const uchar* __restrict in, char16_t* __restrict out, qsizetype n) {
    qsizetype k = 0;
    while (k < n && in[k] < 0x80) {
        out[k] = in[k];
        ++k;
    }
    return k;
}

bool isLeadByte(uchar b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The bytes written for each character below U+10000: one byte (below
// 0x100), a lead byte and a trail byte (lead << 8 | trail), or 0 where
// CP932 has no form for it (U+0000 itself is written apart).
struct Cp932Encoding {
    std::array<std::uint16_t, 0x10000> code{};
};

bool isNecSelectedIbmRow(int lead) {
    return lead == 0xED || lead == 0xEE;
}

Cp932Encoding makeEncoding() {
    Cp932Encoding e;
    for (int b = 1; b < 0x100; ++b) {
        const char16_t c = kCp932Single[std::size_t(b)];
        if (c != kCp932Replacement && e.code[c] == 0)
            e.code[c] = std::uint16_t(b);
    }
    // Where several pairs read as one character (the NEC and IBM forms of the
    // same character), the lowest pair is written, and one of the rows 0xED
    // and 0xEE (NEC's copy of the IBM characters) only when no other pair
    // holds the character; so Windows writes them too.
    for (const bool necSelected : {false, true}) {
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(uchar(lead)) || isNecSelectedIbmRow(lead) != necSelected)
                continue;
            const auto& row = kCp932Pairs[kCp932LeadRow[std::size_t(lead)]];
            for (int slot = 0; slot < kCp932TrailSlots; ++slot) {
                const char16_t c = row[std::size_t(slot)];
                if (c != kCp932Replacement && e.code[c] == 0)
                    e.code[c] = std::uint16_t(lead << 8 | (kCp932FirstTrail + slot));
            }
        }
    }
    return e;
}

const Cp932Encoding& encoding() {
    static const Cp932Encoding e = makeEncoding();
    return e;
}

}  // namespace

QString decodeCp932(QByteArrayView bytes, qsizetype* replaced) {
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    QString text(n, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype length = 0;
    qsizetype bad = 0;
    for (qsizetype i = 0; i < n;) {
        const uchar b = in[i];
        if (b < 0x80) {
            const qsizetype run = asciiRun(in + i, out + length, n - i);
            i += run;
            length += run;
            continue;
        }
        char16_t c = kCp932Single[b];
        if (isLeadByte(b) && i + 1 < n && isTrailByte(in[i + 1])) {
            c = kCp932Pairs[kCp932LeadRow[b]][std::size_t(in[i + 1] - kCp932FirstTrail)];
            i += 2;
        } else {
            i += 1;  // a lead byte without its trail stands alone
        }
        if (c == kCp932Replacement)
            ++bad;
        out[length++] = c;
    }
    text.truncate(length);
    if (replaced)
        *replaced = bad;
    return text;
}

QByteArray encodeCp932(QStringView text, bool* ok) {
    const Cp932Encoding& e = encoding();
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    qsizetype length = 0;
    bool whole = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const std::uint16_t code = u < 0x80 ? u : e.code[u];
        if (code == 0 && u != 0) {
            whole = false;
            out[length++] = '?';
        } else if (code < 0x100) {
            out[length++] = char(code);
        } else {
            out[length++] = char(code >> 8);
            out[length++] = char(code & 0xFF);
        }
    }
    bytes.truncate(length);
    if (ok)
        *ok = whole;
    return bytes;
}

bool cp932Holds(QStringView text) {
    bool ok = false;
    const QByteArray bytes = encodeCp932(text, &ok);
    return ok && decodeCp932(bytes) == text;
}
