// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"

#include <memory>

#include <QDialog>
#include <QString>

class QAction;
class QComboBox;
class QPrinter;
class QSpinBox;
class QToolBar;
class ReportPageView;

// The print preview of a report or of the sample sheets: a modeless window
// with the pages one under the other, painted only as they come into view
// (a few screens' worth kept), at the zoom chosen or fitted to the window's
// width or to a whole page. The toolbar prints through the system's print
// dialog (or, where there is no printer, saves a PDF), saves a PDF, goes
// to the first, previous, next or last page or to a page typed in, zooms
// and closes; each has its key (Ctrl+P, Ctrl+S, Home, Page Up, Page Down,
// End, Ctrl++, Ctrl+-, Esc). After printing or saving the window closes,
// as it did before, and it deletes itself when closed.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(QWidget* parent, const QString& title, std::shared_ptr<PrintDocument> document,
                  Platform& platform);
    ~ReportPreview() override;

    int pageCount() const;
    // The page in the middle of the view.
    int currentPage() const;
    void showPage(int page);
    // 1 is the paper's own size on the screen.
    double zoom() const;
    void setZoom(double zoom);
    void fitToWidth();
    void fitToPage();
    // How many times a part of a page has been painted, and how many bytes
    // of painted parts are kept (for tests and benchmarks).
    int tilesPainted() const;
    qint64 bytesKept() const;

    // The printer the preview prints on: A4 as the document says, high
    // resolution, named after the title.
    QPrinter* printer() const { return printer_.get(); }
    // Prints the whole document (the range the print dialog set) onto the
    // printer with the wait cursor; tells the operator when it fails.
    // Returns the pages printed.
    int printOn(QPrinter* printer);

    // 印刷: the system's print dialog, or the PDF's file dialog where the
    // system has no printer.
    void print();
    // PDF出力: the file dialog, then the PDF.
    void savePdf();

    static const QString kPageSuffix;
    static const QString kPdfCaption;
    static const QString kPdfFilter;
    static const QString kPrintFailed;
    static const QString kPdfFailed;

private:
    void showState();
    void zoomBy(double factor);
    void zoomTyped();

    std::shared_ptr<PrintDocument> document_;
    Platform& platform_;
    QString title_;
    std::unique_ptr<QPrinter> printer_;
    ReportPageView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QAction* first_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
};

// Opens a preview over parent and returns at once.
void showReportPreview(QWidget* parent, const QString& title,
                       std::shared_ptr<PrintDocument> document, Platform& platform);
