// SPDX-License-Identifier: MIT
#include "domain/files/pdf_text_map.h"

#include <algorithm>
#include <optional>

#include <QByteArrayMatcher>
#include <QHash>
#include <QVector>

namespace {

struct Lookalike {
    char16_t from;
    char32_t to;
};

#include "domain/files/pdf_ideographs.inc"

char32_t ideographOf(char32_t c) {
    // The hyphenation point, which those fonts draw with the glyph of the
    // katakana middle dot (組・番号): in Japanese text, always the dot.
    if (c == 0x2027)
        return 0x30FB;
    const auto* end = std::end(kEquivalentIdeographs);
    const auto* it = std::lower_bound(std::begin(kEquivalentIdeographs), end, c,
                                      [](const Lookalike& l, char32_t v) { return l.from < v; });
    return it != end && it->from == c ? it->to : c;
}

// A character as a map writes it: <XXXX>, or <XXXXYYYY> for a surrogate pair.
QByteArray hexOf(char32_t c) {
    QByteArray hex = "<";
    const auto unit = [&hex](uint u) {
        hex += QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
    };
    if (c > 0xFFFF) {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        unit(c);
    }
    return hex + '>';
}

bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

// A hex string <...> of a map: where it stands (brackets included), its value.
struct Hex {
    qsizetype at = 0;
    qsizetype end = 0;
    uint value = 0;
    qsizetype digits = 0;
};

// Reads PDF text left to right: words, numbers, hex strings.
class Scanner {
public:
    Scanner(QByteArrayView text, qsizetype at) : text_(text), at_(std::min(at, text.size())) {}

    qsizetype at() const { return at_; }

    void skipSpace() {
        while (at_ < text_.size() && isSpace(text_[at_]))
            ++at_;
    }

    bool take(QByteArrayView word) {
        skipSpace();
        if (!text_.sliced(at_).startsWith(word))
            return false;
        at_ += word.size();
        return true;
    }

    // A whole number of up to 10 digits; where its digits stand in *at.
    std::optional<qint64> number(qsizetype* at = nullptr) {
        skipSpace();
        const qsizetype start = at_;
        while (at_ < text_.size() && at_ - start < 10 && text_[at_] >= '0' && text_[at_] <= '9')
            ++at_;
        if (at_ == start)
            return std::nullopt;
        if (at)
            *at = start;
        return text_.sliced(start, at_ - start).toLongLong();
    }

    std::optional<Hex> hex() {
        skipSpace();
        const qsizetype close = text_.indexOf('>', at_);
        if (at_ >= text_.size() || text_[at_] != '<' || close < 0 || close - at_ > 9)
            return std::nullopt;
        bool ok = false;
        const QByteArrayView digits = text_.sliced(at_ + 1, close - at_ - 1);
        const Hex hex{at_, close + 1, digits.toUInt(&ok, 16), digits.size()};
        if (!ok)
            return std::nullopt;
        at_ = close + 1;
        return hex;
    }

private:
    QByteArrayView text_;
    qsizetype at_;
};

// Changes to a text, each a span of it and its new bytes, made in the order
// of the spans.
class Edits {
public:
    void replace(qsizetype at, qsizetype end, QByteArray bytes) {
        edits_.append({at, end, std::move(bytes)});
    }
    bool isEmpty() const { return edits_.isEmpty(); }

    // How far a place of the text moves: what the changes before it add.
    qsizetype shift(qsizetype place) const {
        qsizetype by = 0;
        for (const Edit& edit : edits_)
            if (edit.end <= place)
                by += edit.bytes.size() - (edit.end - edit.at);
        return by;
    }

    QByteArray applied(QByteArrayView text) {
        std::sort(edits_.begin(), edits_.end(),
                  [](const Edit& a, const Edit& b) { return a.at < b.at; });
        QByteArray out;
        out.reserve(text.size() + shift(text.size()));
        qsizetype copied = 0;
        for (const Edit& edit : edits_) {
            out += text.sliced(copied, edit.at - copied);
            out += edit.bytes;
            copied = edit.end;
        }
        out += text.sliced(copied);
        return out;
    }

private:
    struct Edit {
        qsizetype at;
        qsizetype end;
        QByteArray bytes;
    };
    QVector<Edit> edits_;
};

// One character of a map: replaced where it is a look-alike. Longer strings
// (ligatures, surrogate pairs) are left as they are.
void mapCharacter(const Hex& hex, Edits& edits) {
    if (hex.digits != 4)
        return;
    const char32_t ideograph = ideographOf(hex.value);
    if (ideograph != hex.value)
        edits.replace(hex.at, hex.end, hexOf(ideograph));
}

// A range onto count consecutive characters from first: a list of the
// characters where one of them is a look-alike.
void mapRange(const Hex& first, uint count, Edits& edits) {
    if (first.digits != 4)
        return;
    QByteArray list = "[";
    bool changed = false;
    for (uint i = 0; i < count; ++i) {
        const char32_t ideograph = ideographOf(first.value + i);
        changed = changed || ideograph != first.value + i;
        list += hexOf(ideograph) + ' ';
    }
    if (changed)
        edits.replace(first.at, first.end, list + ']');
}

// The cross-reference table at the end of a PDF: where it is, and each
// object in use with the place of its offset's digits.
struct Xref {
    struct Entry {
        qint64 number;
        qsizetype field;
        qint64 offset;
    };
    qsizetype at = 0;
    qsizetype startAt = 0;  // the digits after startxref
    qsizetype startEnd = 0;
    QVector<Entry> entries;
    QHash<qint64, qint64> offsets;  // by object number
};

// The table as Qt writes it: one section, entries of 20 bytes, every
// offset at its object. Empty for anything else.
std::optional<Xref> readXref(QByteArrayView pdf) {
    Xref xref;
    const qsizetype start = pdf.lastIndexOf("startxref");
    if (start < 0)
        return std::nullopt;
    Scanner tail(pdf, start + 9);
    const std::optional<qint64> at = tail.number(&xref.startAt);
    if (!at || *at >= start)
        return std::nullopt;
    xref.at = *at;
    xref.startEnd = tail.at();
    Scanner s(pdf, xref.at);
    if (!s.take("xref"))
        return std::nullopt;
    while (!s.take("trailer")) {
        const std::optional<qint64> first = s.number();
        const std::optional<qint64> count = s.number();
        if (!first || !count)
            return std::nullopt;
        s.skipSpace();
        const qsizetype entries = s.at();
        if (entries + *count * 20 > start)
            return std::nullopt;
        for (qint64 i = 0; i < *count; ++i) {
            const QByteArrayView entry = pdf.sliced(entries + i * 20, 20);
            if (entry[10] != ' ' || entry[16] != ' ' || (entry[17] != 'n' && entry[17] != 'f'))
                return std::nullopt;
            if (entry[17] == 'n') {
                const qint64 offset = entry.first(10).toLongLong();
                xref.entries.append({*first + i, entries + i * 20, offset});
                xref.offsets.insert(*first + i, offset);
            }
        }
        s = Scanner(pdf, entries + *count * 20);
    }
    const QByteArrayView trailer = pdf.sliced(s.at(), start - s.at());
    if (trailer.contains("/Prev") || trailer.contains("/XRefStm"))
        return std::nullopt;
    for (const Xref::Entry& entry : std::as_const(xref.entries)) {
        Scanner object(pdf, entry.offset);
        if (entry.offset >= xref.at || object.number() != entry.number || !object.number() ||
            !object.take("obj"))
            return std::nullopt;
    }
    return xref;
}

// A stream object as Qt writes its ToUnicode maps: << /Length N >>, the
// bytes unfiltered.
struct Stream {
    qsizetype lengthAt = 0;
    qsizetype lengthEnd = 0;
    qsizetype dataAt = 0;
    qsizetype dataEnd = 0;
};

std::optional<Stream> readStream(QByteArrayView pdf, qint64 offset) {
    Scanner s(pdf, offset);
    s.number();
    s.number();
    if (!s.take("obj") || !s.take("<<"))
        return std::nullopt;
    const qsizetype close = pdf.indexOf(">>", s.at());
    if (close < 0)
        return std::nullopt;
    const QByteArrayView dictionary = pdf.sliced(s.at(), close - s.at());
    const qsizetype length = dictionary.indexOf("/Length");
    if (dictionary.contains("<<") || dictionary.contains("/Filter") || length < 0)
        return std::nullopt;
    Stream stream;
    Scanner l(pdf, s.at() + length + 7);
    const std::optional<qint64> size = l.number(&stream.lengthAt);
    stream.lengthEnd = l.at();
    if (!size || l.number())  // "/Length 9 0 R": elsewhere
        return std::nullopt;
    Scanner data(pdf, close + 2);
    if (!data.take("stream"))
        return std::nullopt;
    const QByteArrayView after = pdf.sliced(data.at());
    if (!after.startsWith("\n") && !after.startsWith("\r\n"))
        return std::nullopt;
    stream.dataAt = data.at() + (after.startsWith("\n") ? 1 : 2);
    stream.dataEnd = stream.dataAt + *size;
    Scanner end(pdf, stream.dataEnd);
    if (stream.dataEnd > pdf.size() || !end.take("endstream"))
        return std::nullopt;
    return stream;
}

}  // namespace

QByteArray toUnicodeWithIdeographs(QByteArrayView map) {
    Edits edits;
    qsizetype at = 0;
    for (;;) {
        const qsizetype chars = map.indexOf("beginbfchar", at);
        const qsizetype ranges = map.indexOf("beginbfrange", at);
        if (chars < 0 && ranges < 0)
            break;
        const bool range = chars < 0 || (ranges >= 0 && ranges < chars);
        Scanner s(map, range ? ranges + 12 : chars + 11);
        while (!s.take(range ? "endbfrange" : "endbfchar")) {
            const std::optional<Hex> source = s.hex();
            if (!source)
                return {};
            if (!range) {
                const std::optional<Hex> character = s.hex();
                if (!character)
                    return {};
                mapCharacter(*character, edits);
                continue;
            }
            const std::optional<Hex> last = s.hex();
            if (!last || last->value < source->value || last->value - source->value > 0xFF)
                return {};
            if (s.take("[")) {
                while (!s.take("]")) {
                    const std::optional<Hex> character = s.hex();
                    if (!character)
                        return {};
                    mapCharacter(*character, edits);
                }
            } else {
                const std::optional<Hex> first = s.hex();
                if (!first)
                    return {};
                mapRange(*first, last->value - source->value + 1, edits);
            }
        }
        at = s.at();
    }
    return edits.isEmpty() ? QByteArray() : edits.applied(map);
}

QByteArray pdfWithUnifiedIdeographs(const QByteArray& pdf) {
    const std::optional<Xref> xref = readXref(pdf);
    if (!xref)
        return pdf;
    // The maps the fonts name, each once (a matcher: a PDF of photos is long).
    QVector<qint64> maps;
    const QByteArrayMatcher toUnicode("/ToUnicode");
    for (qsizetype at = 0; (at = toUnicode.indexIn(pdf, at)) >= 0 && at < xref->at;) {
        Scanner s(pdf, at + 10);
        const std::optional<qint64> number = s.number();
        if (number && s.number() && s.take("R") && !maps.contains(*number))
            maps.append(*number);
        at = s.at();
    }
    Edits edits;
    for (const qint64 number : std::as_const(maps)) {
        if (!xref->offsets.contains(number))
            return pdf;
        const std::optional<Stream> stream = readStream(pdf, xref->offsets.value(number));
        if (!stream)
            return pdf;
        const QByteArray map = toUnicodeWithIdeographs(
            QByteArrayView(pdf).sliced(stream->dataAt, stream->dataEnd - stream->dataAt));
        if (map.isEmpty())
            continue;
        edits.replace(stream->lengthAt, stream->lengthEnd, QByteArray::number(map.size()));
        edits.replace(stream->dataAt, stream->dataEnd, map);
    }
    if (edits.isEmpty())
        return pdf;
    // The objects after a changed map move; so does the table.
    for (const Xref::Entry& entry : std::as_const(xref->entries)) {
        if (const qsizetype by = edits.shift(entry.offset))
            edits.replace(entry.field, entry.field + 10,
                          QByteArray::number(entry.offset + by).rightJustified(10, '0'));
    }
    edits.replace(xref->startAt, xref->startEnd,
                  QByteArray::number(xref->at + edits.shift(xref->at)));
    return edits.applied(pdf);
}
