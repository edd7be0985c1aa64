// SPDX-License-Identifier: MIT
#include "domain/files/cp932.h"
#include "domain/files/field_reader.h"

#include <QBuffer>
#include <QtTest>

namespace {

using Fields = QList<QPair<QString, bool>>;  // text, quoted

// Every field of a text, then the problem that ended the reading.
Fields readAll(const QString& text, FieldProblem* end) {
    JobFileFieldReader reader(text);
    Fields fields;
    JobFileField field;
    FieldProblem problem;
    while ((problem = reader.next(&field)) == FieldProblem::None)
        fields.append({field.text.toString(), field.quoted});
    *end = problem;
    return fields;
}

// A device that hands out its bytes, then fails.
class FailingReadDevice : public QIODevice {
public:
    explicit FailingReadDevice(QByteArray bytes) : bytes_(std::move(bytes)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return sequential; }
    bool sequential = true;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (pos_ >= bytes_.size())
            return failAtEnd ? -1 : 0;
        const qint64 n = std::min<qint64>(maxSize, bytes_.size() - pos_);
        memcpy(data, bytes_.constData() + pos_, size_t(n));
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

public:
    bool failAtEnd = false;

private:
    QByteArray bytes_;
    qint64 pos_ = 0;
};

}  // namespace

Q_DECLARE_METATYPE(FieldProblem)

class TestFieldReader : public QObject {
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
    void rewind_readsTheSameFieldsAgain();
    void numericConversions_data();
    void numericConversions();
    void numberOrText_data();
    void numberOrText();
    void countConversion_data();
    void countConversion();
    void cp932_decodesCp932OnlyCharacters();
    void cp932_badBytesReadAsReplacement_data();
    void cp932_badBytesReadAsReplacement();
    void cp932_everyCharacterComesBack();
    void cp932_tableMatchesTheTextCodec();
    void cp932Holds_data();
    void cp932Holds();
    void readBounded_data();
    void readBounded();
};

void TestFieldReader::fields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Fields>("expected");
    QTest::addColumn<FieldProblem>("end");

    const auto u = [](const char* s) { return QPair<QString, bool>(QString::fromUtf8(s), false); };
    const auto q = [](const char* s) { return QPair<QString, bool>(QString::fromUtf8(s), true); };
    const FieldProblem eof = FieldProblem::EndOfFile;

    QTest::newRow("commas") << "1,2,3" << Fields{u("1"), u("2"), u("3")} << eof;
    QTest::newRow("crlf like a comma") << "1\r\n2,3\r\n" << Fields{u("1"), u("2"), u("3")} << eof;
    QTest::newRow("bare lf") << "1\n2\n3" << Fields{u("1"), u("2"), u("3")} << eof;
    QTest::newRow("bare cr") << "1\r2" << Fields{u("1"), u("2")} << eof;
    QTest::newRow("blanks before a field skipped")
        << "  1,\t 2 ,   \"a\"" << Fields{u("1"), u("2 "), q("a")} << eof;
    QTest::newRow("quoted text holds commas") << "\"a,b\",c" << Fields{q("a,b"), u("c")} << eof;
    QTest::newRow("quoted text keeps its blanks") << "\" (3) 12 \\.100 \"\r\n"
                                                  << Fields{q(" (3) 12 \\.100 ")} << eof;
    QTest::newRow("text after the closing quote dropped")
        << "\"ab\"cd,e" << Fields{q("ab"), u("e")} << eof;
    QTest::newRow("empty fields") << ",,\"\"," << Fields{u(""), u(""), q(""), } << eof;
    QTest::newRow("blank line is an empty field")
        << "1\r\n\r\n2" << Fields{u("1"), u(""), u("2")} << eof;
    QTest::newRow("unquoted text runs to the separator")
        << "12abc (x,\"y\"" << Fields{u("12abc (x"), q("y")} << eof;
    QTest::newRow("quote inside unquoted text kept")
        << "ab\"c,d" << Fields{u("ab\"c"), u("d")} << eof;
    QTest::newRow("empty file") << "" << Fields{} << eof;
    QTest::newRow("blanks only") << "   " << Fields{} << eof;
    QTest::newRow("unterminated quote")
        << "1,\"abc,2\r\n3" << Fields{u("1")} << FieldProblem::UnterminatedQuote;
    QTest::newRow("japanese text")
        << "\"①～運動会\",山田" << Fields{q("①～運動会"), u("山田")} << eof;
}

void TestFieldReader::fields() {
    QFETCH(QString, text);
    QFETCH(Fields, expected);
    QFETCH(FieldProblem, end);
    FieldProblem problem = FieldProblem::None;
    QCOMPARE(readAll(text, &problem), expected);
    QCOMPARE(problem, end);
}

void TestFieldReader::rewind_readsTheSameFieldsAgain() {
    JobFileFieldReader reader(QStringLiteral("\"a\",b\r\nc"));
    JobFileField field;
    while (reader.next(&field) == FieldProblem::None) {
    }
    QCOMPARE(reader.fieldsRead(), 3);
    QCOMPARE(reader.next(&field), FieldProblem::EndOfFile);  // stays at the end

    reader.rewind();
    QCOMPARE(reader.fieldsRead(), 0);
    QCOMPARE(reader.next(&field), FieldProblem::None);
    QCOMPARE(field.text.toString(), QStringLiteral("a"));
    QVERIFY(field.quoted);
}

void TestFieldReader::numericConversions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("quoted");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("value");
    QTest::addColumn<FieldProblem>("problem");

    const FieldProblem ok = FieldProblem::None;
    QTest::newRow("int16 max") << "32767" << false << "16" << 32767.0 << ok;
    QTest::newRow("int16 min") << "-32768" << false << "16" << -32768.0 << ok;
    QTest::newRow("int16 above") << "32768" << false << "16" << 0.0 << FieldProblem::OutOfRange;
    QTest::newRow("int16 below") << "-32769" << false << "16" << 0.0 << FieldProblem::OutOfRange;
    QTest::newRow("int16 half to even down") << "2.5" << false << "16" << 2.0 << ok;
    QTest::newRow("int16 half to even up") << "3.5" << false << "16" << 4.0 << ok;
    QTest::newRow("int16 rounds into range") << "32767.4" << false << "16" << 32767.0 << ok;
    QTest::newRow("int16 text") << "abc" << false << "16" << 0.0 << FieldProblem::NotANumber;
    QTest::newRow("int16 number then text")
        << "12abc" << false << "16" << 0.0 << FieldProblem::NotANumber;
    QTest::newRow("int16 inner blank") << "1 2" << false << "16" << 0.0 << FieldProblem::NotANumber;
    QTest::newRow("int16 empty reads 0") << "" << false << "16" << 0.0 << ok;
    QTest::newRow("int16 blanks around") << "  7 " << false << "16" << 7.0 << ok;
    QTest::newRow("int16 tab before") << "\t7" << false << "16" << 7.0 << ok;
    QTest::newRow("int16 quoted number") << "12" << true << "16" << 12.0 << ok;
    QTest::newRow("int16 plus sign") << "+5" << false << "16" << 5.0 << ok;
    QTest::newRow("int16 sign alone") << "-" << false << "16" << 0.0 << FieldProblem::NotANumber;
    QTest::newRow("int16 point alone") << "." << false << "16" << 0.0 << FieldProblem::NotANumber;
    QTest::newRow("int32 max") << "2147483647" << false << "32" << 2147483647.0 << ok;
    QTest::newRow("int32 above") << "2147483648" << false << "32" << 0.0
                                 << FieldProblem::OutOfRange;
    QTest::newRow("int32 huge") << QString(400, u'9') << false << "32" << 0.0
                                << FieldProblem::OutOfRange;
    QTest::newRow("number fraction") << "10.5" << false << "n" << 10.5 << ok;
    QTest::newRow("number leading point") << ".5" << false << "n" << 0.5 << ok;
    QTest::newRow("number beyond 32 bits") << "5000000000" << false << "n" << 5e9 << ok;
    QTest::newRow("number text") << "x1" << false << "n" << 0.0 << FieldProblem::NotANumber;
    QTest::newRow("number exponent refused")
        << "1e3" << false << "n" << 0.0 << FieldProblem::NotANumber;
}

void TestFieldReader::numericConversions() {
    QFETCH(QString, text);
    QFETCH(bool, quoted);
    QFETCH(QString, kind);
    QFETCH(double, value);
    QFETCH(FieldProblem, problem);
    const JobFileField field{text, quoted};
    if (kind == u"16") {
        const FieldValue<std::int16_t> v = fieldToInt16(field);
        QCOMPARE(v.problem, problem);
        QCOMPARE(double(v.value), value);
    } else if (kind == u"32") {
        const FieldValue<std::int32_t> v = fieldToInt32(field);
        QCOMPARE(v.problem, problem);
        QCOMPARE(double(v.value), value);
    } else {
        const FieldValue<Number> v = fieldToNumber(field);
        QCOMPARE(v.problem, problem);
        QCOMPARE(v.value, value);
    }
}

void TestFieldReader::numberOrText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("quoted");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("unquoted number") << "12" << false << true << 12.0 << "12";
    QTest::newRow("unquoted fraction") << "10.5" << false << true << 10.5 << "10.5";
    QTest::newRow("unquoted negative") << "-3" << false << true << -3.0 << "-3";
    QTest::newRow("quoted number stays text") << "12" << true << false << 12.0 << "12";
    QTest::newRow("leading zeros quoted") << "0012" << true << false << 12.0 << "0012";
    QTest::newRow("number then text") << "12abc" << false << false << 12.0 << "12abc";
    QTest::newRow("japanese text") << "運動会" << true << false << 0.0 << "運動会";
    QTest::newRow("unquoted empty is empty text") << "" << false << false << 0.0 << "";
}

void TestFieldReader::numberOrText() {
    QFETCH(QString, text);
    QFETCH(bool, quoted);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    QFETCH(QString, shown);
    const NumberOrText v = fieldToNumberOrText({text, quoted});
    QCOMPARE(v.isNumber(), isNumber);
    QCOMPARE(v.value(), value);
    QCOMPARE(v.toText(), shown);
}

void TestFieldReader::countConversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<FieldProblem>("problem");

    const FieldProblem ok = FieldProblem::None;
    QTest::newRow("plain") << "17" << 17 << ok;
    QTest::newRow("leading number") << "12abc" << 12 << ok;
    QTest::newRow("no number reads 0") << "abc" << 0 << ok;
    QTest::newRow("empty reads 0") << "" << 0 << ok;
    QTest::newRow("max") << "32767" << 32767 << ok;
    QTest::newRow("above 32767") << "32768" << 0 << FieldProblem::OutOfRange;
    QTest::newRow("half to even") << "4.5" << 4 << ok;
    QTest::newRow("leading zeros") << "00012" << 12 << ok;
    QTest::newRow("blanks inside") << "3 2" << 32 << ok;
    QTest::newRow("negative") << "-7" << -7 << ok;
    QTest::newRow("far above 32767") << "99999" << 0 << FieldProblem::OutOfRange;
    QTest::newRow("six digits") << "012345" << 12345 << ok;
}

void TestFieldReader::countConversion() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(FieldProblem, problem);
    const FieldValue<std::int16_t> v = countFieldToInt16({text, false});
    QCOMPARE(v.problem, problem);
    QCOMPARE(int(v.value), value);
}

void TestFieldReader::cp932_decodesCp932OnlyCharacters() {
    // ① (NEC row 13) and ～ (0x8160, FULLWIDTH TILDE in CP932 but WAVE DASH in
    // plain Shift_JIS); 表 and ソ end in 0x5C, which must stay part of them.
    const QByteArray bytes("\x87\x40\x81\x60\x95\x5c\x83\x5c\x5c.\xc3\xbd\xc4", 13);
    QCOMPARE(decodeCp932(bytes), QStringLiteral("①～表ソ\\.ﾃｽﾄ"));

    bool ok = false;
    QCOMPARE(encodeCp932(QStringLiteral("①～表ソ\\.ﾃｽﾄ"), &ok), bytes);
    QVERIFY(ok);
}

void TestFieldReader::cp932_badBytesReadAsReplacement_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("replaced");

    const QString r = QString(QChar(kCp932Replacement));
    QTest::newRow("clean") << QByteArray("\x82\xa0(1) 5 \\.0 ") << QStringLiteral("あ(1) 5 \\.0 ")
                           << 0;
    QTest::newRow("bytes CP932 does not use") << QByteArray(
                                                     "a\x80"
                                                     "b\xa0"
                                                     "c\xfd\xfe\xff")
                                              << "a" + r + "b" + r + "c" + r + r + r << 5;
    QTest::newRow("lead byte at the very end") << QByteArray("ab\x82") << "ab" + r << 1;
    QTest::newRow("lead byte before a blank") << QByteArray("\x82 5") << r + " 5" << 1;
    QTest::newRow("lead byte before a quote") << QByteArray("\"\x82\",") << "\"" + r + "\"," << 1;
    QTest::newRow("lead byte before DEL") << QByteArray("\x82\x7f") << r + "\x7f" << 1;
    QTest::newRow("pair CP932 leaves unassigned") << QByteArray("\x85\x40x") << r + "x" << 1;
    QTest::newRow("control bytes as they are")
        << QByteArray("\x1a\x1c\x7f\x00", 4) << QString::fromLatin1("\x1a\x1c\x7f\x00", 4) << 0;
    QTest::newRow("user-defined area") << QByteArray("\xf0\x40") << QStringLiteral("\uE000") << 0;
}

void TestFieldReader::cp932_badBytesReadAsReplacement() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, replaced);
    qsizetype count = -1;
    QCOMPARE(decodeCp932(bytes, &count), text);
    QCOMPARE(count, replaced);
    // Saved again, the text gives the bytes back where they were
    // characters; a replacement is no character of CP932 and is refused.
    bool ok = false;
    const QByteArray again = encodeCp932(text, &ok);
    QCOMPARE(ok, replaced == 0);
    if (ok)
        QCOMPARE(again, bytes);
}

void TestFieldReader::cp932_everyCharacterComesBack() {
    // Every byte and every pair that reads as a character encodes to a
    // sequence that reads as the same character (for the pairs CP932 gives
    // two codes, such as the NEC and IBM forms of 纊, either serves).
    int characters = 0;
    for (int lead = 0; lead < 0x100; ++lead) {
        for (int trail = -1; trail < 0x100; ++trail) {
            QByteArray bytes(1, char(lead));
            if (trail >= 0)
                bytes += char(trail);
            qsizetype replaced = 0;
            const QString text = decodeCp932(bytes, &replaced);
            if (replaced > 0 || text.size() != 1)
                continue;
            ++characters;
            bool ok = false;
            const QByteArray again = encodeCp932(text, &ok);
            if (!ok || decodeCp932(again) != text)
                QFAIL(qPrintable(QStringLiteral("%1 does not come back")
                                     .arg(QString::fromLatin1(bytes.toHex()))));
        }
    }
    QVERIFY(characters > 7000);
}

void TestFieldReader::cp932_tableMatchesTheTextCodec() {
    // The compiled table against Qt's own codec, where Qt has one (with ICU).
    // Known differences: ICU's table swaps the control bytes 0x1A, 0x1C and
    // 0x7F; where the table reads U+FFFD the codec gives U+001A, or nothing
    // for a lone lead byte; and ICU writes U+F86F as 0x8782, which reads back
    // as № (U+2116), a one-way form the table leaves out.
    const char* const name = "windows-31j";
    if (!QStringDecoder(name).isValid() || !QStringEncoder(name).isValid())
        QSKIP("Qt has no CP932 codec here (built without ICU)");
    const auto swapped = [](char16_t c) -> char16_t {
        return c == 0x1A ? 0x1C : c == 0x1C ? 0x7F : c == 0x7F ? 0x1A : c;
    };
    for (int lead = 0; lead < 0x100; ++lead) {
        for (int trail = -1; trail < 0x100; ++trail) {
            QByteArray bytes(1, char(lead));
            if (trail >= 0) {
                if (!(lead >= 0x81 && lead <= 0x9F) && !(lead >= 0xE0 && lead <= 0xFC))
                    break;
                if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
                    continue;
                bytes += char(trail);
            }
            const QString ours = decodeCp932(bytes);
            const QString codec = QStringDecoder(name).decode(bytes);
            const bool same =
                ours == codec ||
                (ours.size() == 1 && codec.size() == 1 &&
                 codec[0].unicode() == swapped(ours[0].unicode())) ||
                (ours == QChar(kCp932Replacement) && (codec.isEmpty() || codec == QChar(0x1A)));
            if (!same)
                QFAIL(qPrintable(QStringLiteral("%1 reads differently")
                                     .arg(QString::fromLatin1(bytes.toHex()))));
        }
    }
    for (char16_t u = 1; u != 0; ++u) {
        if (QChar::isSurrogate(u) || u == 0xF86F)
            continue;
        const QChar c(u);
        bool ok = false;
        const QByteArray ours = encodeCp932(QStringView(&c, 1), &ok);
        QStringEncoder encoder(name);
        const QByteArray codec = encoder.encode(QStringView(&c, 1));
        const bool control = swapped(u) != u;
        if (ok == encoder.hasError() || (ok && !control && ours != codec))
            QFAIL(qPrintable(QStringLiteral("U+%1 is written differently")
                                 .arg(int(u), 4, 16, QLatin1Char('0'))));
    }
}

void TestFieldReader::cp932Holds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("holds");

    QTest::newRow("ascii") << "(3) 12 \\.100 " << true;
    QTest::newRow("japanese") << "得意先　山田写真館①～" << true;
    QTest::newRow("wave dash") << "〜" << false;
    QTest::newRow("accented") << "é" << false;
    QTest::newRow("outside the BMP") << "𠮷" << false;
    QTest::newRow("yen sign") << "¥" << false;
    QTest::newRow("emoji") << "😀" << false;
}

void TestFieldReader::cp932Holds() {
    QFETCH(QString, text);
    QFETCH(bool, holds);
    QCOMPARE(::cp932Holds(text), holds);
}

void TestFieldReader::readBounded_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("sequential");
    QTest::addColumn<bool>("failAtEnd");
    QTest::addColumn<int>("status");

    const int ok = int(BoundedRead::Status::Ok);
    const int tooLarge = int(BoundedRead::Status::TooLarge);
    QTest::newRow("at the bound") << 1000 << false << false << ok;
    QTest::newRow("past the bound") << 1001 << false << false << tooLarge;
    QTest::newRow("sequential at the bound") << 1000 << true << false << ok;
    QTest::newRow("sequential past the bound") << 5000 << true << false << tooLarge;
    QTest::newRow("read error") << 10 << true << true << int(BoundedRead::Status::ReadError);
}

void TestFieldReader::readBounded() {
    QFETCH(int, size);
    QFETCH(bool, sequential);
    QFETCH(bool, failAtEnd);
    QFETCH(int, status);
    const QByteArray bytes(size, 'x');
    FailingReadDevice device(bytes);
    device.sequential = sequential;
    device.failAtEnd = failAtEnd;
    const BoundedRead read = ::readBounded(&device, 1000);
    QCOMPARE(int(read.status), status);
    if (read.status == BoundedRead::Status::Ok)
        QCOMPARE(read.bytes, bytes);
    else
        QVERIFY(read.bytes.isEmpty());
}

QTEST_GUILESS_MAIN(TestFieldReader)
#include "tst_field_reader.moc"
