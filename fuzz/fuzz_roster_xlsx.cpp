// SPDX-License-Identifier: MIT
// The roster's workbook reader (.xlsx) fed any bytes at all, and the import
// of each sheet it reads, its columns guessed. The first byte chooses what
// the rest is: even, the file itself (a zip, or anything); odd, the XML of a
// workbook's parts one after another, each after a line "--part--" (the
// workbook, its relationships, the shared strings, two sheets), zipped here
// as Excel zips them, so that the fuzzer reaches the XML without first
// having to forge a zip. Built with libFuzzer (PICTOR_FUZZ, Clang), and
// with the plain driver that runs the seed files as a test.

#include "domain/roster/roster_xlsx.h"
#include "roster_import_check.h"
#include "support/xlsx_builder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_roster_xlsx: %s\n", what);
    std::abort();
}

const QStringList kParts = {
    QStringLiteral("xl/workbook.xml"),          QStringLiteral("xl/_rels/workbook.xml.rels"),
    QStringLiteral("xl/sharedStrings.xml"),     QStringLiteral("xl/worksheets/sheet1.xml"),
    QStringLiteral("xl/worksheets/sheet2.xml"),
};

QByteArray workbookOf(const QByteArray& xml) {
    QMap<QString, QByteArray> parts;
    parts[QStringLiteral("_rels/.rels")] =
        "<Relationships><Relationship Id=\"rId1\" Type=\"/officeDocument\" "
        "Target=\"xl/workbook.xml\"/></Relationships>";
    const QList<QByteArray> given = xml.split('\n');
    int part = -1;
    for (const QByteArray& line : given) {
        if (line == "--part--")
            ++part;
        else if (part >= 0 && part < kParts.size())
            parts[kParts[part]].append(line).append('\n');
    }
    return XlsxBuilder::zip(parts, true);
}

void checkTable(const RosterTable& table) {
    if (table.headers.isEmpty() || table.headers.last().isEmpty())
        fault("headers that end in an empty cell, or none");
    if (table.rows.size() != table.rowNumbers.size())
        fault("a row without its number");
    int previous = 0;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        if (table.rowNumbers[r] <= previous)
            fault("rows out of Excel's order");
        previous = table.rowNumbers[r];
        if (table.rows[r].size() < table.headers.size() || table.rows[r].size() > kMaxRosterColumns)
            fault("a row narrower than the headers, or wider than a roster");
    }
    checkRosterImport(table, fault);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QByteArray file = data[0] % 2 == 0 ? bytes : workbookOf(bytes);
    const RosterSheets sheets = rosterXlsxSheets(file);
    if (sheets.names.isEmpty() == sheets.refusal.isEmpty())
        fault("sheets and a refusal, or neither");
    for (int i = 0; i < sheets.names.size() && i < 4; ++i) {
        const RosterReadResult read = readRosterXlsx(file, i);
        if (read.table.has_value() == !read.refusal.isEmpty())
            fault("a table and a refusal, or neither");
        if (read.table)
            checkTable(*read.table);
        if (sheets.names.indexOf(sheets.names[i]) != i)
            continue;
        const RosterReadResult named = readRosterXlsx(file, sheets.names[i]);
        if (named.refusal != read.refusal || named.table.has_value() != read.table.has_value() ||
            (read.table && (named.table->headers != read.table->headers ||
                            named.table->rows != read.table->rows)))
            fault("a sheet read by its name is not the sheet read by its place");
    }
    return 0;
}
