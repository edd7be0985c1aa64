// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Excel workbooks (.xlsx) made for tests from XML written out, zipped with
// libzip as Excel zips them; and the zip's declared sizes changed after, as
// a forged file has them.
class XlsxBuilder {
public:
    // A sheet of the workbook, in order: what goes inside its <sheetData>,
    // and after it (<mergeCells>).
    XlsxBuilder& sheet(const QString& name, const QString& rows, const QString& after = {});
    // A sheet of these rows as Excel writes them: text as shared strings,
    // integers as numbers.
    XlsxBuilder& table(const QString& name, const QVector<QStringList>& rows);
    // The shared strings' <si> elements, each one's content.
    XlsxBuilder& sharedStrings(const QStringList& items);
    // The workbook's relationships name their parts from the package's root.
    XlsxBuilder& absoluteTargets();

    QMap<QString, QByteArray> parts() const;
    QByteArray bytes() const { return zip(parts()); }

    static QByteArray zip(const QMap<QString, QByteArray>& parts, bool stored = false);
    // The uncompressed size an entry declares, in the zip's directory and in
    // its local header alike.
    static void declareSize(QByteArray& zip, const QString& name, quint32 size);

private:
    QVector<std::pair<QString, QString>> sheets_;
    QStringList shared_;
    bool absolute_ = false;
};
