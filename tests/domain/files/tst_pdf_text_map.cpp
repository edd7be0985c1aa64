// SPDX-License-Identifier: MIT
// The ToUnicode maps of a PDF written by Qt, mended. data/qt_radicals.pdf was
// written by Qt 6.4's QPdfWriter with Noto Sans CJK JP: the lines
// "一丨丶丿乙亅二亠人儿入八" and "桜ヶ丘小学校 立 ABC", then "大人 小学校" in bold.
// Qt mapped the first line's glyphs as one range onto the Kangxi radicals
// U+2F00 to U+2F0B, and 大, 小, 立 and 人 to radicals in both fonts' lists.

#include "domain/files/pdf_text_map.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray qtPdf() {
    QFile file(QStringLiteral(PICTOR_SOURCE_DIR "/tests/domain/files/data/qt_radicals.pdf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList rangeSections(const QByteArray& pdf) {
    QStringList sections;
    const QRegularExpression section(QStringLiteral("beginbfrange\\n(.*?)endbfrange"),
                                     QRegularExpression::DotMatchesEverythingOption);
    for (auto it = section.globalMatch(QString::fromLatin1(pdf)); it.hasNext();)
        sections << it.next().captured(1);
    return sections;
}

// What in the PDF's cross-reference table, stream lengths and startxref
// points elsewhere than it should; empty when all is right.
QStringList wrongPlaces(const QByteArray& pdf) {
    const QString text = QString::fromLatin1(pdf);  // one character a byte
    QStringList wrong;
    const auto start =
        QRegularExpression(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$")).match(text);
    const qsizetype xref = start.captured(1).toLongLong();
    if (!start.hasMatch() || text.mid(xref, 4) != QLatin1String("xref"))
        return {QStringLiteral("startxref")};
    const auto table =
        QRegularExpression(QStringLiteral("\\G\\s*(\\d+) (\\d+)\\s+")).match(text, xref + 4);
    for (int i = 0; i < table.captured(2).toInt(); ++i) {
        const QString entry = text.mid(table.capturedEnd() + 20 * i, 20);
        const QString object = QStringLiteral("%1 0 obj").arg(table.captured(1).toInt() + i);
        if (entry[17] == u'n' && text.mid(entry.left(10).toLongLong(), object.size()) != object)
            wrong << object;
    }
    const QRegularExpression stream(QStringLiteral("/Length (\\d+) >>\\nstream\\n"));
    for (auto it = stream.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        if (text.mid(m.capturedEnd() + m.captured(1).toInt(), 10) != QLatin1String("\nendstream"))
            wrong << QStringLiteral("stream at %1").arg(m.capturedStart());
    }
    return wrong;
}

}  // namespace

class TestPdfTextMap : public QObject {
    Q_OBJECT
private slots:
    void qtPdf_radicalsBecomeIdeographs_tableRight() {
        const QByteArray pdf = qtPdf();
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(wrongPlaces(pdf), QStringList());
        const QByteArray mended = pdfWithUnifiedIdeographs(pdf);
        QCOMPARE(rangeSections(mended),
                 QStringList({"<0000> <0000> <0000>\n"
                              "<0001> <0006> [<5927> <4EBA> <0009> <5C0F> <5B66> <6821> ]\n",
                              "<0000> <0000> <0000>\n"
                              "<0001> <000C> [<4E00> <4E28> <4E36> <4E3F> <4E59> <4E85> <4E8C> "
                              "<4EA0> <4EBA> <513F> <5165> <516B> ]\n"
                              "<000D> <0017> [<685C> <30F6> <4E18> <5C0F> <5B66> <6821> <0009> "
                              "<7ACB> <0041> <0042> <0043> ]\n"}));
        QCOMPARE(wrongPlaces(mended), QStringList());
        QCOMPARE(pdfWithUnifiedIdeographs(mended), mended);

        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("mended.pdf")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(mended) == mended.size());
        file.close();
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {file.fileName(), QStringLiteral("-")});
        QVERIFY(reader.waitForFinished(60000));
        QCOMPARE(reader.readAllStandardError(), QByteArray());
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n').mid(0, 3),
                 QStringList({"一丨丶丿乙亅二亠人儿入八", "桜ヶ丘小学校 立 ABC", "大人 小学校"}));
    }

    void toUnicode_entries_data() {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QByteArray>("mended");  // empty: unchanged
        QTest::newRow("a character") << QByteArray("1 beginbfchar\n<0003> <2F24>\nendbfchar")
                                     << QByteArray("1 beginbfchar\n<0003> <5927>\nendbfchar");
        QTest::newRow("the middle dot") << QByteArray("1 beginbfchar\n<0004> <2027>\nendbfchar")
                                        << QByteArray("1 beginbfchar\n<0004> <30FB>\nendbfchar");
        QTest::newRow("beyond the BMP")
            << QByteArray("1 beginbfchar\n<0003> <2E87>\nendbfchar")
            << QByteArray("1 beginbfchar\n<0003> <D841DE28>\nendbfchar");
        QTest::newRow("a stroke in a list")
            << QByteArray("1 beginbfrange\n<0001> <0002> [<0041> <31D0> ]\nendbfrange")
            << QByteArray("1 beginbfrange\n<0001> <0002> [<0041> <4E00> ]\nendbfrange");
        QTest::newRow("a range that meets one")
            << QByteArray("1 beginbfrange\n<0010> <0012> <2EFF>\nendbfrange")
            << QByteArray("1 beginbfrange\n<0010> <0012> [<2EFF> <4E00> <4E28> ]\nendbfrange");
        QTest::newRow("a range of kana") << QByteArray(
                                                "1 beginbfrange\n<0010> <0012> <3042>\n"
                                                "endbfrange")
                                         << QByteArray();
        QTest::newRow("two characters kept")
            << QByteArray("1 beginbfchar\n<0004> <2F242F24>\nendbfchar") << QByteArray();
        QTest::newRow("a range without its end")
            << QByteArray("1 beginbfrange\n<0001> <2F24>\nendbfrange") << QByteArray();
    }
    void toUnicode_entries() {
        QFETCH(QByteArray, entries);
        QFETCH(QByteArray, mended);
        QCOMPARE(toUnicodeWithIdeographs(entries), mended);
    }

    // Whatever is not laid out as Qt writes a PDF comes back as it was.
    void notAsQtWrites_unchanged_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("as written") << QByteArray() << QByteArray();
        QTest::newRow("no startxref") << QByteArray("startxref") << QByteArray();
        QTest::newRow("an offset elsewhere")
            << QByteArray("0000000015 00000 n") << QByteArray("0000000016 00000 n");
        QTest::newRow("an update appended") << QByteArray("/Root") << QByteArray("/Prev");
        QTest::newRow("a map of unknown length")
            << QByteArray("<< /Length") << QByteArray("<< /Lenght");
    }
    void notAsQtWrites_unchanged() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QByteArray pdf = qtPdf();
        if (!from.isEmpty()) {
            const qsizetype at = pdf.lastIndexOf(from);
            QVERIFY(at > 0);
            pdf.replace(at, from.size(), to);
            QCOMPARE(pdfWithUnifiedIdeographs(pdf), pdf);
        } else {
            QVERIFY(pdfWithUnifiedIdeographs(pdf) != pdf);
        }
    }
};

QTEST_GUILESS_MAIN(TestPdfTextMap)
#include "tst_pdf_text_map.moc"
