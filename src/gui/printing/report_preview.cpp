// SPDX-License-Identifier: MIT
#include "gui/printing/report_preview.h"

#include "gui/printing/pdf_output.h"

#include <algorithm>
#include <cmath>
#include <list>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 4.0;
constexpr double kZoomStep = 1.25;
constexpr int kGap = 16;  // around and between the pages, in pixels
// The pages are painted in square tiles of this many pixels, so that what
// is kept stays small at any zoom.
constexpr int kTile = 256;
// The painted tiles kept beyond those in view: a few screens' worth.
constexpr qint64 kKeptBytes = 6LL * 1024 * 1024;

const int kZoomChoices[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};

}  // namespace

// The pages, one under the other on a grey ground, each painted in tiles
// as they come into view.
class ReportPageView : public QAbstractScrollArea {
public:
    enum class Fit { None, Width, Page };

    ReportPageView(std::shared_ptr<PrintDocument> document, QWidget* parent)
        : QAbstractScrollArea(parent), document_(std::move(document)) {
        const QPageLayout layout = document_->pageLayout();
        paper_ = layout.fullRect(QPageLayout::Point).size();
        printable_ = layout.paintRect(QPageLayout::Point).topLeft();
        pageCount_ = std::max(1, document_->pageCount());
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setAutoFillBackground(false);
        verticalScrollBar()->setSingleStep(40);
        horizontalScrollBar()->setSingleStep(40);
    }

    // Told when the page shown or the zoom changes.
    std::function<void()> changed;

    int pageCount() const { return pageCount_; }
    int currentPage() const { return current_; }
    double zoom() const { return zoom_; }
    Fit fit() const { return fit_; }
    int tilesPainted() const { return tilesPainted_; }
    qint64 bytesKept() const { return bytesKept_; }

    void showPage(int page) {
        current_ = std::clamp(page, 1, pageCount_);
        showing_ = true;
        verticalScrollBar()->setValue((current_ - 1) * (pageSize().height() + kGap));
        showing_ = false;
        viewport()->update();
        tell();
    }

    void setZoom(double zoom) {
        fit_ = Fit::None;
        applyZoom(zoom);
    }

    void setFit(Fit fit) {
        fit_ = fit;
        applyZoom(fittedZoom());
        if (fit == Fit::Page)
            showPage(current_);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QAbstractScrollArea::resizeEvent(event);
        if (fit_ != Fit::None) {
            applyZoom(fittedZoom());
        } else {
            showing_ = true;
            updateScrollBars();
            showing_ = false;
        }
    }

    void scrollContentsBy(int, int) override {
        if (!showing_) {
            // The page in the middle of the view.
            const int step = pageSize().height() + kGap;
            const int middle = verticalScrollBar()->value() + viewport()->height() / 2;
            const int page = std::clamp(middle / std::max(1, step) + 1, 1, pageCount_);
            if (page != current_) {
                current_ = page;
                tell();
            }
        }
        viewport()->update();
    }

    void wheelEvent(QWheelEvent* event) override {
        if (event->modifiers() & Qt::ControlModifier) {
            const int steps = event->angleDelta().y() / 120;
            if (steps != 0)
                setZoom(zoom_ * std::pow(kZoomStep, steps));
            event->accept();
            return;
        }
        QAbstractScrollArea::wheelEvent(event);
    }

    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), palette().color(QPalette::Dark));
        const QSize page = pageSize();
        const int step = page.height() + kGap;
        const int left = pageLeft();
        const int top = kGap - verticalScrollBar()->value();
        const qreal ratio = devicePixelRatioF();
        ++paintSerial_;
        const int firstPage = std::max(0, (event->rect().top() - top) / step);
        for (int index = firstPage; index < pageCount_; ++index) {
            const QRect pageRect(left, top + index * step, page.width(), page.height());
            if (pageRect.top() > event->rect().bottom())
                break;
            const QRect shown = pageRect.intersected(event->rect());
            if (shown.isEmpty())
                continue;
            painter.fillRect(pageRect.translated(3, 3), palette().color(QPalette::Shadow));
            // The tiles of the page that are in view.
            const QRect local = shown.translated(-pageRect.topLeft());
            for (int ty = local.top() / kTile; ty <= local.bottom() / kTile; ++ty) {
                for (int tx = local.left() / kTile; tx <= local.right() / kTile; ++tx) {
                    const QRect tileRect =
                        QRect(tx * kTile, ty * kTile, kTile, kTile)
                            .intersected(pageRect.translated(-pageRect.topLeft()));
                    const QImage& image = tile(index, tx, ty, tileRect.size(), ratio);
                    painter.drawImage(tileRect.translated(pageRect.topLeft()), image);
                }
            }
        }
        trim();
    }

private:
    struct Tile {
        int page;
        int x;
        int y;
        QImage image;
        quint64 used;
    };

    double pixelsPerPoint() const { return zoom_ * logicalDpiX() / 72.0; }

    QSize pageSize() const {
        const double ppp = pixelsPerPoint();
        return QSize(std::max(1, int(std::lround(paper_.width() * ppp))),
                     std::max(1, int(std::lround(paper_.height() * ppp))));
    }

    int pageLeft() const {
        const int width = pageSize().width();
        const int room = viewport()->width();
        return width + 2 * kGap <= room ? (room - width) / 2
                                        : kGap - horizontalScrollBar()->value();
    }

    double fittedZoom() const {
        const double perPoint = logicalDpiX() / 72.0;
        const double byWidth = (viewport()->width() - 2.0 * kGap) / (paper_.width() * perPoint);
        if (fit_ == Fit::Width)
            return byWidth;
        const double byHeight = (viewport()->height() - 2.0 * kGap) / (paper_.height() * perPoint);
        return std::min(byWidth, byHeight);
    }

    // Zooming keeps the page shown: the same place of it stays in the middle.
    void applyZoom(double zoom) {
        zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
        showing_ = true;
        if (std::abs(zoom - zoom_) > 1e-6) {
            const double oldStep = pageSize().height() + kGap;
            const double middle = verticalScrollBar()->value() + viewport()->height() / 2.0;
            const double oldWidth = pageSize().width() + 2 * kGap;
            const double centre = horizontalScrollBar()->value() + viewport()->width() / 2.0;
            zoom_ = zoom;
            tiles_.clear();
            bytesKept_ = 0;
            updateScrollBars();
            const double newStep = pageSize().height() + kGap;
            const double newWidth = pageSize().width() + 2 * kGap;
            verticalScrollBar()->setValue(
                int(std::lround(middle / oldStep * newStep - viewport()->height() / 2.0)));
            horizontalScrollBar()->setValue(int(std::lround(
                std::min(centre, oldWidth / 2) / oldWidth * newWidth - viewport()->width() / 2.0)));
        } else {
            updateScrollBars();
        }
        showing_ = false;
        viewport()->update();
        tell();
    }

    void updateScrollBars() {
        const QSize page = pageSize();
        const int width = page.width() + 2 * kGap;
        const int height = kGap + pageCount_ * (page.height() + kGap);
        horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
    }

    // The tile of a page, painted now unless it is kept.
    const QImage& tile(int page, int x, int y, QSize size, qreal ratio) {
        for (auto it = tiles_.begin(); it != tiles_.end(); ++it) {
            if (it->page == page && it->x == x && it->y == y) {
                it->used = paintSerial_;
                tiles_.splice(tiles_.begin(), tiles_, it);
                return tiles_.front().image;
            }
        }
        QImage image((QSizeF(size) * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                                   QPainter::SmoothPixmapTransform);
            painter.translate(-x * kTile, -y * kTile);
            const double ppp = pixelsPerPoint();
            painter.scale(ppp, ppp);
            painter.translate(printable_);
            document_->paintPage(painter, page + 1);
        }
        ++tilesPainted_;
        bytesKept_ += image.sizeInBytes();
        tiles_.push_front({page, x, y, std::move(image), paintSerial_});
        return tiles_.front().image;
    }

    // Lets go of the tiles least lately shown, beyond those in view and the
    // bytes allowed.
    void trim() {
        while (bytesKept_ > kKeptBytes && !tiles_.empty() && tiles_.back().used != paintSerial_) {
            bytesKept_ -= tiles_.back().image.sizeInBytes();
            tiles_.pop_back();
        }
    }

    void tell() {
        if (changed)
            changed();
    }

    std::shared_ptr<PrintDocument> document_;
    QSizeF paper_;
    QPointF printable_;
    int pageCount_ = 1;
    int current_ = 1;
    double zoom_ = 1;
    Fit fit_ = Fit::Width;
    bool showing_ = false;
    std::list<Tile> tiles_;  // the latest shown first
    qint64 bytesKept_ = 0;
    quint64 paintSerial_ = 0;
    int tilesPainted_ = 0;
};

const QString ReportPreview::kPageSuffix = QStringLiteral(" / %1 ページ");
const QString ReportPreview::kPdfCaption = QStringLiteral("PDF に出力");
const QString ReportPreview::kPdfFilter = QStringLiteral("PDF ファイル (*.pdf)");
const QString ReportPreview::kPrintFailed = QStringLiteral(
    "印刷できませんでした（プリンターに送れません）。\n"
    "プリンターの電源と接続を確かめて、もう一度印刷してください。ジョブのデータはそのままです。");
const QString ReportPreview::kPdfFailed = QStringLiteral(
    "PDF ファイル（%1）を書き込めません。\n"
    "書き込み先のフォルダと空き容量を確かめて、もう一度出力してください。"
    "ジョブのデータはそのままです。");

ReportPreview::ReportPreview(QWidget* parent, const QString& title,
                             std::shared_ptr<PrintDocument> document, Platform& platform)
    : QDialog(parent),
      document_(std::move(document)),
      platform_(platform),
      title_(title),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(title);
    setModal(false);
    printer_->setPageLayout(document_->pageLayout());
    printer_->setDocName(title);

    // The layout of the pages is made here, once.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    view_ = new ReportPageView(document_, this);
    QApplication::restoreOverrideCursor();
    view_->setAccessibleName(QStringLiteral("ページ"));

    toolBar_ = new QToolBar(this);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto add = [this](const QString& text, const QKeySequence& key, auto slot) {
        QAction* action = toolBar_->addAction(text);
        action->setShortcut(key);
        action->setToolTip(key.isEmpty() ? text
                                         : QStringLiteral("%1 (%2)").arg(
                                               text, key.toString(QKeySequence::NativeText)));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QAction* printAction = add(QStringLiteral("印刷…"), QKeySequence::Print, [this] { print(); });
    printAction->setObjectName(QStringLiteral("actPrint"));
    add(QStringLiteral("PDF 出力…"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] {
        savePdf();
    })->setObjectName(QStringLiteral("actPdf"));
    toolBar_->addSeparator();
    first_ = add(QStringLiteral("先頭"), QKeySequence(Qt::Key_Home), [this] { showPage(1); });
    previous_ = add(QStringLiteral("前へ"), QKeySequence(Qt::Key_PageUp),
                    [this] { showPage(currentPage() - 1); });
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName(QStringLiteral("spnPage"));
    pageBox_->setAccessibleName(QStringLiteral("ページ番号"));
    pageBox_->setRange(1, pageCount());
    pageBox_->setSuffix(kPageSuffix.arg(pageCount()));
    pageBox_->setKeyboardTracking(false);
    pageBox_->setAlignment(Qt::AlignRight);
    toolBar_->addWidget(pageBox_);
    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != currentPage())
            showPage(page);
    });
    next_ = add(QStringLiteral("次へ"), QKeySequence(Qt::Key_PageDown),
                [this] { showPage(currentPage() + 1); });
    last_ =
        add(QStringLiteral("最後"), QKeySequence(Qt::Key_End), [this] { showPage(pageCount()); });
    toolBar_->addSeparator();
    add(QStringLiteral("縮小"), QKeySequence::ZoomOut, [this] { zoomBy(1 / kZoomStep); });
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("cboZoom"));
    zoomBox_->setAccessibleName(QStringLiteral("表示倍率"));
    zoomBox_->setEditable(true);
    zoomBox_->setInsertPolicy(QComboBox::NoInsert);
    for (const int percent : kZoomChoices)
        zoomBox_->addItem(QStringLiteral("%1%").arg(percent));
    zoomBox_->setMinimumContentsLength(5);
    toolBar_->addWidget(zoomBox_);
    connect(zoomBox_, &QComboBox::activated, this, [this] { zoomTyped(); });
    connect(zoomBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] { zoomTyped(); });
    add(QStringLiteral("拡大"), QKeySequence::ZoomIn, [this] { zoomBy(kZoomStep); });
    add(QStringLiteral("幅に合わせる"), QKeySequence(Qt::CTRL | Qt::Key_1),
        [this] { fitToWidth(); });
    add(QStringLiteral("ページ全体"), QKeySequence(Qt::CTRL | Qt::Key_2), [this] { fitToPage(); });
    toolBar_->addSeparator();
    add(QStringLiteral("閉じる"), QKeySequence(), [this] {
        close();
    })->setToolTip(QStringLiteral("閉じる (Esc)"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(view_, 1);

    view_->changed = [this] { showState(); };
    setAttribute(Qt::WA_DeleteOnClose);
    // The size the preview always had, within the screen.
    QSize size(900, 1000);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    resize(size);
    showState();
    view_->setFocus(Qt::OtherFocusReason);
}

ReportPreview::~ReportPreview() = default;

int ReportPreview::pageCount() const {
    return view_->pageCount();
}

int ReportPreview::currentPage() const {
    return view_->currentPage();
}

void ReportPreview::showPage(int page) {
    view_->showPage(page);
}

double ReportPreview::zoom() const {
    return view_->zoom();
}

void ReportPreview::setZoom(double zoom) {
    view_->setZoom(zoom);
}

void ReportPreview::fitToWidth() {
    view_->setFit(ReportPageView::Fit::Width);
}

void ReportPreview::fitToPage() {
    view_->setFit(ReportPageView::Fit::Page);
}

int ReportPreview::tilesPainted() const {
    return view_->tilesPainted();
}

qint64 ReportPreview::bytesKept() const {
    return view_->bytesKept();
}

void ReportPreview::zoomBy(double factor) {
    view_->setZoom(view_->zoom() * factor);
}

void ReportPreview::zoomTyped() {
    QString text = zoomBox_->currentText();
    text.remove(u'%').remove(u'％');
    bool ok = false;
    const double percent = text.trimmed().toDouble(&ok);
    if (ok && percent > 0)
        view_->setZoom(percent / 100);
    showState();
    view_->setFocus(Qt::OtherFocusReason);
}

void ReportPreview::showState() {
    const int page = currentPage();
    {
        const QSignalBlocker quiet(pageBox_);
        pageBox_->setValue(page);
    }
    first_->setEnabled(page > 1);
    previous_->setEnabled(page > 1);
    next_->setEnabled(page < pageCount());
    last_->setEnabled(page < pageCount());
    if (!zoomBox_->lineEdit()->hasFocus())
        zoomBox_->setEditText(QStringLiteral("%1%").arg(std::lround(zoom() * 100)));
}

int ReportPreview::printOn(QPrinter* printer) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A PDF file (the PDF key's, or the print dialog's printing to a file)
    // is made as every PDF of the program is.
    const bool toPdf =
        printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
    const int pages = toPdf ? printPdf(*document_, *printer) : document_->print(printer);
    QApplication::restoreOverrideCursor();
    return pages;
}

void ReportPreview::print() {
    // Where Qt finds no printer, its printer makes PDF files.
    if (printer_->outputFormat() != QPrinter::NativeFormat) {
        savePdf();
        return;
    }
    QPrintDialog dialog(printer_.get(), this);
    dialog.setMinMax(1, pageCount());
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (printOn(printer_.get()) > 0 && printer_->printerState() != QPrinter::Error) {
        close();
        return;
    }
    platform_.showMessage(kPrintFailed);
}

void ReportPreview::savePdf() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = platform_.chooseFileToSave(
        kPdfCaption, QDir(folder).filePath(title_ + QStringLiteral(".pdf")), {kPdfFilter});
    if (path.isEmpty())
        return;
    bool written = false;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(path);
        pdf.setPageLayout(document_->pageLayout());
        pdf.setDocName(title_);
        written = printOn(&pdf) > 0 && pdf.printerState() != QPrinter::Error;
    }
    if (written && QFileInfo(path).size() > 0) {
        close();
        return;
    }
    platform_.showMessage(kPdfFailed.arg(QDir::toNativeSeparators(path)));
}

void showReportPreview(QWidget* parent, const QString& title,
                       std::shared_ptr<PrintDocument> document, Platform& platform) {
    auto* preview = new ReportPreview(parent, title, std::move(document), platform);
    preview->show();
}
