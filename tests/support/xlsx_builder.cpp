// SPDX-License-Identifier: MIT
#include "support/xlsx_builder.h"

#include <QHash>
#include <QtEndian>

#include <zip.h>

namespace {

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString columnName(int column) {
    QString name;
    for (++column; column > 0; column = (column - 1) / 26)
        name.prepend(QChar(u'A' + (column - 1) % 26));
    return name;
}

}  // namespace

XlsxBuilder& XlsxBuilder::sheet(const QString& name, const QString& rows, const QString& after) {
    sheets_.append({name, QStringLiteral("<sheetData>%1</sheetData>%2").arg(rows, after)});
    return *this;
}

XlsxBuilder& XlsxBuilder::table(const QString& name, const QVector<QStringList>& rows) {
    QHash<QString, int> indexes;
    QString xml;
    for (int r = 0; r < rows.size(); ++r) {
        xml += QStringLiteral("<row r=\"%1\">").arg(r + 1);
        for (int c = 0; c < rows[r].size(); ++c) {
            const QString& text = rows[r][c];
            const QString reference = columnName(c) + QString::number(r + 1);
            bool number = false;
            text.toLongLong(&number);
            if (number) {
                xml += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(reference, text);
            } else if (!text.isEmpty()) {
                if (!indexes.contains(text)) {
                    indexes.insert(text, int(shared_.size()));
                    shared_ << QStringLiteral("<t>%1</t>").arg(escaped(text));
                }
                xml += QStringLiteral("<c r=\"%1\" t=\"s\"><v>%2</v></c>")
                           .arg(reference)
                           .arg(indexes.value(text));
            }
        }
        xml += QStringLiteral("</row>");
    }
    return sheet(name, xml);
}

XlsxBuilder& XlsxBuilder::sharedStrings(const QStringList& items) {
    shared_ = items;
    return *this;
}

XlsxBuilder& XlsxBuilder::absoluteTargets() {
    absolute_ = true;
    return *this;
}

QMap<QString, QByteArray> XlsxBuilder::parts() const {
    const QString main =
        QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    const QString relationships =
        QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    const QString folder = absolute_ ? QStringLiteral("/xl/") : QString();
    QMap<QString, QByteArray> parts;
    parts[QStringLiteral("[Content_Types].xml")] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
    parts[QStringLiteral("_rels/.rels")] =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"%1/officeDocument\" Target=\"xl/workbook.xml\"/>"
            "</Relationships>")
            .arg(relationships)
            .toUtf8();
    QString sheets;
    QString links;
    for (int i = 0; i < sheets_.size(); ++i) {
        const QString part = QStringLiteral("worksheets/sheet%1.xml").arg(i + 1);
        sheets += QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\" r:id=\"rId%2\"/>")
                      .arg(escaped(sheets_[i].first))
                      .arg(i + 1);
        links += QStringLiteral("<Relationship Id=\"rId%1\" Type=\"%2/worksheet\" Target=\"%3\"/>")
                     .arg(i + 1)
                     .arg(relationships, folder + part);
        parts[QStringLiteral("xl/") + part] =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"%1\">"
                "%2</worksheet>")
                .arg(main, sheets_[i].second)
                .toUtf8();
    }
    if (!shared_.isEmpty()) {
        links +=
            QStringLiteral("<Relationship Id=\"rIdS\" Type=\"%1/sharedStrings\" Target=\"%2\"/>")
                .arg(relationships, folder + QStringLiteral("sharedStrings.xml"));
        parts[QStringLiteral("xl/sharedStrings.xml")] =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"%1\"><si>%2</si></sst>")
                .arg(main, shared_.join(QStringLiteral("</si><si>")))
                .toUtf8();
    }
    parts[QStringLiteral("xl/workbook.xml")] =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workbook xmlns=\"%1\" "
            "xmlns:r=\"%2\"><sheets>%3</sheets></workbook>")
            .arg(main, relationships, sheets)
            .toUtf8();
    parts[QStringLiteral("xl/_rels/workbook.xml.rels")] =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "%1</Relationships>")
            .arg(links)
            .toUtf8();
    return parts;
}

QByteArray XlsxBuilder::zip(const QMap<QString, QByteArray>& parts, bool stored) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(buffer);
        return {};
    }
    zip_source_keep(buffer);
    for (auto part = parts.cbegin(); part != parts.cend(); ++part) {
        zip_source_t* content =
            zip_source_buffer(archive, part->constData(), zip_uint64_t(part->size()), 0);
        const zip_int64_t index =
            zip_file_add(archive, part.key().toUtf8().constData(), content, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(content);
            continue;
        }
        zip_set_file_compression(archive, zip_uint64_t(index),
                                 stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    QByteArray bytes;
    if (zip_close(archive) == 0 && zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        bytes.resize(qsizetype(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, bytes.data(), zip_uint64_t(bytes.size()));
        zip_source_close(buffer);
    } else {
        zip_discard(archive);
    }
    zip_source_free(buffer);
    return bytes;
}

void XlsxBuilder::declareSize(QByteArray& zip, const QString& name, quint32 size) {
    const QByteArray wanted = name.toUtf8();
    const auto u16 = [&zip](qsizetype at) {
        return qFromLittleEndian<quint16>(zip.constData() + at);
    };
    const auto u32 = [&zip](qsizetype at) {
        return qFromLittleEndian<quint32>(zip.constData() + at);
    };
    const auto put = [&zip, size](qsizetype at) {
        qToLittleEndian<quint32>(size, zip.data() + at);
    };
    // The directory: its entries, each with the offset of its local header.
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    qsizetype at = u32(end + 16);
    for (int entry = u16(end + 10); entry > 0; --entry) {
        const qsizetype nameLength = u16(at + 28);
        if (zip.mid(at + 46, nameLength) == wanted) {
            put(at + 24);
            put(u32(at + 42) + 22);
        }
        at += 46 + nameLength + u16(at + 30) + u16(at + 32);
    }
}
