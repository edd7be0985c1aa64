// SPDX-License-Identifier: MIT
#include "windows/report_preview.h"

#include "windows/report_renderer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

void showReportPreview(QWidget* parent, const QString& title,
                       std::function<void(QPrinter*)> paint) {
    // Without a printer of ours the dialog makes and owns one, which then
    // lives exactly as long as the window.
    auto* dialog = new QPrintPreviewDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    QPrinter* printer = dialog->printer();
    printer->setPageLayout(reportPageLayout());
    printer->setDocName(title);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [paint = std::move(paint)](QPrinter* target) {
                         if (paint)
                             paint(target);
                     });
    dialog->resize(900, 1000);
    dialog->show();
}
