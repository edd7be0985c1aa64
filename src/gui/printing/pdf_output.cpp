// SPDX-License-Identifier: MIT
#include "gui/printing/pdf_output.h"

#include "domain/files/file_replacement.h"
#include "domain/files/pdf_text_map.h"
#include "domain/platform/platform.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

int printPdf(PrintDocument& document, QPrinter& printer) {
    const QString path = printer.outputFileName();
    QTemporaryDir spool;
    if (path.isEmpty() || !spool.isValid())
        return 0;
    const QString printed = spool.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(printed);
    const int pages = document.print(&printer);
    const bool ok = pages > 0 && printer.printerState() != QPrinter::Error;
    printer.setOutputFileName(path);
    QFile file(printed);
    if (!ok || !file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pdf = file.readAll();
    file.close();
    if (pdf.isEmpty() || !replaceFile(path, pdfWithUnifiedIdeographs(pdf), QString()).ok())
        return 0;
    return pages;
}
