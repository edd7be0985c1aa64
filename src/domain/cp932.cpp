// SPDX-License-Identifier: MIT
#include "domain/cp932.h"

#include <array>
#include <vector>

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isLeadByte(uchar b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The codec's characters, read once into tables. Decoding goes through the
// tables rather than the codec itself, because the codec replaces a bad
// byte with U+001A (a control character that saves back as a byte of its
// own), drops a lead byte at the end of the text, and, in ICU's table, swaps
// the control bytes 0x1A, 0x1C and 0x7F.
struct Cp932Tables {
    std::array<char16_t, 0x100> single{};  // the character of one byte; U+FFFD for none
    std::vector<char16_t> pair =
        std::vector<char16_t>(0x10000, kCp932Replacement);  // lead << 8 | trail
    // What the encoder must be given for each ASCII character so that the
    // character's own byte comes out.
    std::array<char16_t, 0x80> asciiForEncoder{};
    bool asciiRemapped = false;
};

Cp932Tables readTables() {
    Cp932Tables t;
    t.single.fill(kCp932Replacement);
    for (int b = 0; b < 0x80; ++b)
        t.single[std::size_t(b)] = char16_t(b);

    // The codec's own reading of the ASCII bytes, for the encoder.
    QByteArray ascii(0x80, Qt::Uninitialized);
    for (int b = 0; b < 0x80; ++b)
        ascii[b] = char(b);
    const QString asciiRead = QStringDecoder(cp932CodecName()).decode(ascii);
    for (int b = 0; b < 0x80; ++b) {
        const char16_t c = asciiRead.size() == 0x80 ? asciiRead[b].unicode() : char16_t(b);
        t.asciiForEncoder[std::size_t(b)] = c;
        t.asciiRemapped = t.asciiRemapped || c != b;
    }

    // Half-width katakana, then every pair of a lead and a trail byte; each
    // reads as exactly one character (U+FFFD where CP932 assigns none), or,
    // should the codec ever do otherwise, the pairs are read one by one.
    QByteArray kana;
    for (int b = 0xA1; b <= 0xDF; ++b)
        kana += char(b);
    const QString kanaRead = QStringDecoder(cp932CodecName()).decode(kana);
    for (int b = 0xA1; b <= 0xDF && kanaRead.size() == kana.size(); ++b)
        t.single[std::size_t(b)] = kanaRead[b - 0xA1].unicode();

    std::vector<int> codes;
    QByteArray pairs;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(uchar(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(uchar(trail)))
                continue;
            codes.push_back(lead << 8 | trail);
            pairs += char(lead);
            pairs += char(trail);
        }
    }
    const QString read = QStringDecoder(cp932CodecName()).decode(pairs);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        QString one;
        if (read.size() == qsizetype(codes.size()))
            one = read[qsizetype(i)];
        else
            one = QStringDecoder(cp932CodecName()).decode(pairs.mid(qsizetype(2 * i), 2));
        if (one.size() == 1)
            t.pair[std::size_t(codes[i])] = one[0].unicode();
    }
    return t;
}

const Cp932Tables& tables() {
    static const Cp932Tables t = readTables();
    return t;
}

}  // namespace

const char* cp932CodecName() {
    static const char* const name = [] {
        const char* const preferred = "windows-31j";
        if (QStringDecoder(preferred).isValid() && QStringEncoder(preferred).isValid())
            return preferred;
        return "Shift_JIS";
    }();
    return name;
}

QString decodeCp932(QByteArrayView bytes, qsizetype* replaced) {
    const Cp932Tables& t = tables();
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    QString text(n, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype length = 0;
    qsizetype bad = 0;
    for (qsizetype i = 0; i < n;) {
        const uchar b = in[i];
        char16_t c = t.single[b];
        if (isLeadByte(b) && i + 1 < n && isTrailByte(in[i + 1])) {
            c = t.pair[std::size_t(b << 8 | in[i + 1])];
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
    const Cp932Tables& t = tables();
    QStringEncoder encoder(cp932CodecName());
    QByteArray bytes;
    bool remap = false;
    if (t.asciiRemapped) {
        for (const QChar c : text) {
            if (c.unicode() < 0x80 && t.asciiForEncoder[c.unicode()] != c.unicode()) {
                remap = true;
                break;
            }
        }
    }
    if (remap) {
        QString given = text.toString();
        for (QChar& c : given) {
            if (c.unicode() < 0x80)
                c = QChar(t.asciiForEncoder[c.unicode()]);
        }
        bytes = encoder.encode(given);
    } else {
        bytes = encoder.encode(text);
    }
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

bool cp932Holds(QStringView text) {
    bool ok = false;
    const QByteArray bytes = encodeCp932(text, &ok);
    return ok && decodeCp932(bytes) == text;
}
