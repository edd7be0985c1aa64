// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"
#include "domain/tools/pupil_slips.h"

#include <QPageLayout>

class QPagedPaintDevice;

// Order slips and envelope slips as documents to preview and print. Each
// page is the whole sheet of paper, with no margins of the printer's own:
// a slip sits where the sheet's grid puts it, so that labels fall on the
// labels of the sheet and cut slips on their cutting lines.
class SlipPagesBase : public PrintDocument {
public:
    explicit SlipPagesBase(SlipSheet sheet, int count, int firstPlace = 0);

    QPageLayout pageLayout() const override;
    int pageCount() override;
    void paintPage(QPainter& painter, int page) override;
    int print(QPrinter* printer) override;
    // The same onto a PDF writer (or any paged device with no painter active).
    int print(QPagedPaintDevice* device);

protected:
    // Paints slip `index` into `slip`, in points from the page's top left.
    virtual void paintSlip(QPainter& painter, int index, const QRectF& slip) = 0;

private:
    void paintSheet(QPainter& painter, int page);

    SlipSheet sheet_;
    int count_;
    int firstPlace_;
};

// The order slips of the roster's pupils, one to a place of the sheet.
class OrderSlipPages : public SlipPagesBase {
public:
    OrderSlipPages(OrderSlips slips, SlipSheet sheet);

protected:
    void paintSlip(QPainter& painter, int index, const QRectF& slip) override;

private:
    OrderSlips slips_;
};

// The envelope slips of the registered pupils; on a sheet of labels the
// first goes on place firstPlace (0 for the top left), so that a sheet
// already partly used is used up.
class EnvelopeSlipPages : public SlipPagesBase {
public:
    EnvelopeSlipPages(EnvelopeSlips slips, SlipSheet sheet, int firstPlace = 0);

protected:
    void paintSlip(QPainter& painter, int index, const QRectF& slip) override;

private:
    EnvelopeSlips slips_;
};

// The texts the slips print.
namespace SlipPrintTexts {
extern const QString kSchool;       // 学校名
extern const QString kEvent;        // 行事名
extern const QString kPhotoNumber;  // 写真番号
extern const QString kCount;        // 枚数
extern const QString kTotalAmount;  // 合計金額
extern const QString kUnitPrice;    // %1: the price
extern const QString kRange;        // %1, %2: the range's first and last number
extern const QString kSlipNumber;   // %1: the slip's number in the job
extern const QString kPrints;       // %1: prints
extern const QString kMore;         // where a slip has no room for every number
}  // namespace SlipPrintTexts
