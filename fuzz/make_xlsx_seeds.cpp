// SPDX-License-Identifier: MIT
// Writes the seed files of fuzz_roster_xlsx: workbooks as Excel writes them,
// each as a whole file and as its parts' XML. Run once by hand:
//   fuzz_make_xlsx_seeds fuzz/roster_xlsx_seeds

#include "support/xlsx_builder.h"

#include <cstdio>

#include <QDir>
#include <QFile>

namespace {

bool write(const QDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    std::printf("%s: %s\n", qPrintable(name), written ? "written" : "not written");
    return written;
}

// The fuzz target's parts, in its order, each after its line.
QByteArray partsOf(const XlsxBuilder& workbook) {
    const QMap<QString, QByteArray> parts = workbook.parts();
    QByteArray text("\x01", 1);
    for (const char* name :
         {"xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/sharedStrings.xml",
          "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"})
        text += "--part--\n" + parts.value(QString::fromLatin1(name)) + '\n';
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QFile::decodeName(argv[1]));
    const XlsxBuilder roster =
        XlsxBuilder()
            .table(QStringLiteral("6年"), {{"学年", "組", "番号", "氏名", "ふりがな", "ID"},
                                           {"6", "1", "1", "山田 太郎", "やまだ たろう", "S1"},
                                           {"6", "1", "2", "佐藤 花子", "さとう はなこ", "S2"},
                                           {"6", "1", "2", "", "", "S2"}})
            .table(QStringLiteral("5年"), {{"組", "番号", "氏名"}, {"い", "1", "鈴木"}});
    const XlsxBuilder cells =
        XlsxBuilder()
            .sharedStrings(
                {QStringLiteral("<t>氏名</t>"),
                 QStringLiteral("<r><t>山田</t></r><r><t xml:space=\"preserve\"> 太郎</t></r>"
                                "<rPh sb=\"0\" eb=\"2\"><t>ヤマダ</t></rPh>"),
                 QStringLiteral("<t>a_x000D_b</t>")})
            .sheet(
                QStringLiteral("名簿"),
                QStringLiteral(
                    "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>組</t>"
                    "</is></c></row><row r=\"3\"><c r=\"A3\"><v>1.2E1</v></c><c r=\"B3\" t=\"s\">"
                    "<v>1</v></c><c r=\"D3\" t=\"b\"><v>1</v></c></row><row><c r=\"E9\" t=\"s\">"
                    "<v>2</v></c></row>"),
                QStringLiteral("<mergeCells><mergeCell ref=\"A3:A9\"/></mergeCells>"));
    bool ok = write(dir, QStringLiteral("roster.bin"), '\0' + roster.bytes());
    ok = write(dir, QStringLiteral("roster_absolute.bin"),
               '\0' + XlsxBuilder(roster).absoluteTargets().bytes()) &&
         ok;
    ok = write(dir, QStringLiteral("roster_parts.bin"), partsOf(roster)) && ok;
    ok = write(dir, QStringLiteral("cells.bin"), '\0' + cells.bytes()) && ok;
    ok = write(dir, QStringLiteral("cells_parts.bin"), partsOf(cells)) && ok;
    return ok ? 0 : 1;
}
