// SPDX-License-Identifier: MIT
#include "domain/reports/report_document.h"

#include <algorithm>

namespace {

const QString kSizeRangeFormat = QStringLiteral("%1　写真番号 %2〜%3");
const QString kUnitPriceFormat = QStringLiteral("単価 %1 円");
const QString kAmountFormat = QStringLiteral("金額 %1 円");
const QString kPhotosFormat = QStringLiteral("写真 %1 点");
const QString kPersonsFormat = QStringLiteral("登録人数 %1 人");
const QString kPendingNote =
    QStringLiteral("※入力中でまだ登録されていない %1 枚は、この表に含まれていません。");
const QString kUnsizedNote =
    QStringLiteral("※どのサイズの範囲にも入らない番号 %1 枚（※印）は、金額に含まれていません。");
const QString kNothingOrdered = QStringLiteral("注文なし");
const QString kNoPupils = QStringLiteral("登録された注文はありません。");
const QString kLegendCaption = QStringLiteral("サイズの見分け方：");
const QString kUnsizedMark = QStringLiteral("※");
const QString kSampleNumber = QStringLiteral("123");

QString num(Number value) {
    return plainDecimal(value);
}

QString printsText(Number prints) {
    return num(prints) + ReportText::prints;
}

QString yenText(Number amount) {
    return num(amount) + ReportText::yen;
}

QString sectionHeading(const SizeSummary& s) {
    return kSizeRangeFormat.arg(ReportText::sizeName(s.size), num(s.rangeStart), num(s.rangeEnd));
}

void appendNotes(QVector<ReportBlock>& blocks, Number persons, Number pendingPrints,
                 Number unsizedPrints) {
    blocks.append(TextBlock{kPersonsFormat.arg(num(persons)), {}, TextStyle::Body});
    if (pendingPrints > 0)
        blocks.append(TextBlock{kPendingNote.arg(num(pendingPrints)), {}, TextStyle::Note});
    if (unsizedPrints > 0)
        blocks.append(TextBlock{kUnsizedNote.arg(num(unsizedPrints)), {}, TextStyle::Note});
}

NumberMark markOf(PrintSize size) {
    switch (size) {
        case PrintSize::Large:
            return NumberMark::Boxed;
        case PrintSize::Medium:
            return NumberMark::Underlined;
        case PrintSize::Small:
            return NumberMark::Plain;
    }
    return NumberMark::Plain;
}

}  // namespace

QString ReportText::allOrdersLabel(PrintSize size) {
    return QStringLiteral("☆全受注数（") + sizeName(size) + QStringLiteral("）・・・");
}

QString ReportText::reprintOrdersLabel(PrintSize size) {
    return QStringLiteral("☆やきまし注文数（") + sizeName(size) + QStringLiteral("）・・・");
}

QString ReportText::sizeName(PrintSize size) {
    switch (size) {
        case PrintSize::Large:
            return QStringLiteral("大");
        case PrintSize::Medium:
            return QStringLiteral("中");
        case PrintSize::Small:
            return QStringLiteral("小");
    }
    return {};
}

ReportDocument orderCountDocument(const OrderCountReport& report) {
    ReportDocument doc;
    doc.title = ReportTitle::orderCounts;
    doc.header = report.header;
    for (const SizeSection& section : report.sections) {
        const SizeSummary& s = section.summary;
        doc.blocks.append(TextBlock{sectionHeading(s), kUnitPriceFormat.arg(num(s.unitPrice)),
                                    TextStyle::Heading});
        doc.blocks.append(CountGridBlock{sectionHeading(s), section.photos});
        doc.blocks.append(TextBlock{ReportText::allOrdersLabel(s.size) + printsText(s.prints),
                                    kAmountFormat.arg(num(s.amount())), TextStyle::Total});
        doc.blocks.append(SpaceBlock{1});
    }
    doc.blocks.append(RuleBlock{ReportText::shortRule});
    for (const SizeSection& section : report.sections) {
        const SizeSummary& s = section.summary;
        doc.blocks.append(TextBlock{ReportText::allOrdersLabel(s.size) + printsText(s.prints),
                                    yenText(s.amount()), TextStyle::Total});
    }
    doc.blocks.append(TextBlock{
        ReportText::totalAmountLabel + yenText(report.totalAmount), {}, TextStyle::Total});
    appendNotes(doc.blocks, report.personCount, report.pendingPrints, report.unsizedPrints);
    return doc;
}

ReportDocument pupilDocument(const PupilReport& report) {
    ReportDocument doc;
    doc.title = ReportTitle::pupils;
    doc.header = report.header;

    LegendBlock legend{kLegendCaption, {}};
    for (const SizeSummary& s : report.sizes)
        legend.items.append({{kSampleNumber, markOf(s.size)}, ReportText::sizeName(s.size)});
    if (report.unsizedPrints > 0)
        legend.items.append(
            {{kUnsizedMark + kSampleNumber, NumberMark::Plain}, QStringLiteral("範囲外")});
    doc.blocks.append(legend);
    doc.blocks.append(SpaceBlock{0.5});

    if (report.pupils.isEmpty())
        doc.blocks.append(TextBlock{kNoPupils, {}, TextStyle::Body});
    for (const PupilOrder& pupil : report.pupils) {
        PupilBlock block;
        block.label = QStringLiteral("(") + num(pupil.personNumber) + QStringLiteral(")");
        if (pupil.name)
            block.name = pupilNameText(*pupil.name);
        block.numbers.reserve(pupil.prints.size());
        for (const PupilPrint& print : pupil.prints) {
            if (print.size)
                block.numbers.append({QString::number(print.photoNumber), markOf(*print.size)});
            else
                block.numbers.append(
                    {kUnsizedMark + QString::number(print.photoNumber), NumberMark::Plain});
        }
        QStringList parts;
        const std::pair<PrintSize, Number> perSize[] = {{PrintSize::Large, pupil.largePrints},
                                                        {PrintSize::Medium, pupil.mediumPrints},
                                                        {PrintSize::Small, pupil.smallPrints}};
        for (const auto& [size, prints] : perSize) {
            const PrintSize wanted = size;  // clang 14 captures no structured binding
            const bool listed =
                std::any_of(report.sizes.begin(), report.sizes.end(),
                            [wanted](const SizeSummary& s) { return s.size == wanted; });
            if (listed)
                parts << ReportText::sizeName(size) + QStringLiteral(" ") + printsText(prints);
        }
        if (pupil.unsizedPrints > 0)
            parts << QStringLiteral("範囲外 ") + printsText(pupil.unsizedPrints);
        block.summary = parts.join(QStringLiteral("　"));
        block.amount = yenText(pupil.amount);
        doc.blocks.append(std::move(block));
    }

    doc.blocks.append(SpaceBlock{0.5});
    doc.blocks.append(RuleBlock{ReportText::shortRule});
    for (const SizeSummary& s : report.sizes) {
        doc.blocks.append(TextBlock{ReportText::allOrdersLabel(s.size) + printsText(s.prints),
                                    yenText(s.amount()), TextStyle::Total});
    }
    doc.blocks.append(TextBlock{
        ReportText::totalAmountLabel + yenText(report.totalAmount), {}, TextStyle::Total});
    appendNotes(doc.blocks, report.pupils.size(), report.pendingPrints, report.unsizedPrints);
    return doc;
}

ReportDocument reprintDocument(const ReprintReport& report) {
    ReportDocument doc;
    doc.title = ReportTitle::reprints;
    doc.header = report.header;
    for (const SizeSection& section : report.sections) {
        const SizeSummary& s = section.summary;
        doc.blocks.append(TextBlock{sectionHeading(s), {}, TextStyle::Heading});
        if (section.photos.isEmpty())
            doc.blocks.append(TextBlock{kNothingOrdered, {}, TextStyle::Body});
        else
            doc.blocks.append(CountGridBlock{sectionHeading(s), section.photos});
        doc.blocks.append(TextBlock{ReportText::reprintOrdersLabel(s.size) + printsText(s.prints),
                                    kPhotosFormat.arg(num(s.photosOrdered)), TextStyle::Total});
        doc.blocks.append(SpaceBlock{1});
    }
    doc.blocks.append(RuleBlock{ReportText::shortRule});
    for (const SizeSection& section : report.sections) {
        const SizeSummary& s = section.summary;
        doc.blocks.append(TextBlock{ReportText::reprintOrdersLabel(s.size) + printsText(s.prints),
                                    kPhotosFormat.arg(num(s.photosOrdered)), TextStyle::Total});
    }
    appendNotes(doc.blocks, report.personCount, report.pendingPrints, 0);
    return doc;
}

QStringList documentTexts(const ReportDocument& document) {
    QStringList texts;
    texts << document.title;
    const ReportHeader& h = document.header;
    texts << ReportText::customerLabel + h.customerName << ReportText::eventLabel + h.eventName
          << ReportText::shootingDateLabel + h.shootingDate
          << ReportText::photographerLabel + h.photographerName << ReportText::longRule;
    for (const ReportBlock& block : document.blocks) {
        if (const auto* text = std::get_if<TextBlock>(&block)) {
            texts << (text->right.isEmpty() ? text->left
                                            : text->left + QStringLiteral("\t") + text->right);
        } else if (const auto* rule = std::get_if<RuleBlock>(&block)) {
            texts << rule->underscores;
        } else if (const auto* grid = std::get_if<CountGridBlock>(&block)) {
            for (const PhotoCount& cell : grid->cells)
                texts << QString::number(cell.photoNumber) + QStringLiteral("\t") +
                             num(cell.prints);
        } else if (const auto* pupil = std::get_if<PupilBlock>(&block)) {
            QStringList numbers;
            for (const MarkedNumber& n : pupil->numbers)
                numbers << n.text;
            const QString label = pupil->name.isEmpty()
                                      ? pupil->label
                                      : pupil->label + QStringLiteral(" ") + pupil->name;
            texts << label + QStringLiteral("\t") + numbers.join(u' ');
            texts << pupil->summary + QStringLiteral("\t") + pupil->amount;
        } else if (const auto* legend = std::get_if<LegendBlock>(&block)) {
            QStringList items;
            for (const auto& [sample, caption] : legend->items)
                items << sample.text + QStringLiteral(" ") + caption;
            texts << legend->caption + items.join(QStringLiteral("　"));
        }
    }
    return texts;
}
