// SPDX-License-Identifier: MIT
#include "domain/tools/pupil_slips.h"

#include "domain/job/pupil_place.h"
#include "domain/reports/report_document.h"
#include "domain/roster/slip_tie.h"

#include <algorithm>
#include <map>

namespace PupilSlipTexts {
const QString kOrderSlipTitle = QStringLiteral("注文票");
const QString kEnvelopeSlipTitle = QStringLiteral("納品書");
const QString kUnsized = QStringLiteral("範囲外");
const QString kUntied = QStringLiteral("（名簿にない注文）");
}  // namespace PupilSlipTexts

namespace {

PupilName schoolPlaceOf(const RosterPupil& pupil) {
    return {pupil.grade, pupil.className, pupil.number, pupil.name};
}

bool sameClass(const RosterPupil& a, const RosterPupil& b) {
    return rosterKeyText(a.grade) == rosterKeyText(b.grade) &&
           rosterKeyText(a.className) == rosterKeyText(b.className);
}

}  // namespace

QString RosterClass::text() const {
    return pupilPlaceText(grade, className, 0);
}

bool RosterClass::holds(const RosterPupil& pupil) const {
    return rosterKeyText(pupil.grade) == rosterKeyText(grade) &&
           rosterKeyText(pupil.className) == rosterKeyText(className);
}

QVector<int> rosterInSchoolOrder(const Roster& roster, const std::optional<RosterClass>& only) {
    QVector<int> order;
    order.reserve(roster.size());
    for (int i = 0; i < roster.size(); ++i)
        if (!only || only->holds(roster.pupils()[i]))
            order.append(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return schoolOrderLess(schoolPlaceOf(roster.pupils()[a]),
                               schoolPlaceOf(roster.pupils()[b]));
    });
    return order;
}

QVector<RosterClass> rosterClasses(const Roster& roster) {
    QVector<RosterClass> classes;
    const RosterPupil* last = nullptr;
    for (const int index : rosterInSchoolOrder(roster)) {
        const RosterPupil& pupil = roster.pupils()[index];
        if (!last || !sameClass(*last, pupil))
            classes.append({pupil.grade, pupil.className});
        last = &pupil;
    }
    return classes;
}

OrderSlips orderSlips(const JobState& job, const Roster& roster,
                      const std::optional<RosterClass>& only) {
    const RegisteredOrders orders = collectRegisteredOrders(job);
    OrderSlips slips;
    slips.header = orders.header;
    for (const SizeSummary& size : orders.sizes)
        slips.sizes.append({size.size, size.rangeStart, size.rangeEnd, size.unitPrice});
    for (const int index : rosterInSchoolOrder(roster, only)) {
        const RosterPupil& pupil = roster.pupils()[index];
        slips.slips.append({rosterPlaceText(pupil), pupil.name.trimmed(), pupil.kana.trimmed(),
                            slipCodeOf(roster, index)});
    }
    return slips;
}

namespace {

EnvelopeSlip envelopeOf(const RegisteredOrders& orders, const PupilOrder& pupil) {
    EnvelopeSlip slip;
    slip.pupilNumber = int(pupil.personNumber);
    slip.amount = pupil.amount;
    // The sizes large to small, then the numbers in no range.
    std::map<int, std::map<int, Number>> bySize;  // size (3: none) -> photo -> prints
    for (const PupilPrint& print : pupil.prints)
        ++bySize[print.size ? int(*print.size) : 3][print.photoNumber];
    for (const auto& [size, photos] : bySize) {
        EnvelopeSize line;
        line.sizeName =
            size == 3 ? PupilSlipTexts::kUnsized : ReportText::sizeName(PrintSize(size));
        for (const auto& [photo, prints] : photos) {
            line.photos.append({photo, prints});
            line.prints += prints;
        }
        if (size != 3)
            if (const SizeSummary* summary = orders.summaryOf(PrintSize(size)))
                line.amount = line.prints * summary->unitPrice;
        slip.prints += line.prints;
        slip.sizes.append(line);
    }
    return slip;
}

}  // namespace

EnvelopeSlips envelopeSlips(const RegisteredOrders& orders, const JobCompanion& companion,
                            const std::optional<RosterClass>& only) {
    const QVector<RosterPupil>& roster = companion.roster.pupils();
    const auto tiedTo = [&](const PupilOrder& pupil) -> const RosterPupil* {
        const auto tie = companion.ties.find(int(pupil.personNumber));
        if (tie == companion.ties.end() || tie->second < 0 || tie->second >= roster.size())
            return nullptr;
        return &roster[tie->second];
    };

    QVector<std::pair<const RosterPupil*, const PupilOrder*>> chosen;
    for (const PupilOrder& pupil : orders.pupils) {
        const RosterPupil* tied = tiedTo(pupil);
        if (!only || (tied && only->holds(*tied)))
            chosen.append({tied, &pupil});
    }
    // Tied pupils in the school's order, then the others; each as keyed.
    std::stable_sort(chosen.begin(), chosen.end(), [](const auto& a, const auto& b) {
        if (!a.first || !b.first)
            return a.first && !b.first;
        return schoolOrderLess(schoolPlaceOf(*a.first), schoolPlaceOf(*b.first));
    });

    EnvelopeSlips slips;
    slips.header = orders.header;
    slips.slips.reserve(chosen.size());
    for (const auto& [tied, pupil] : chosen) {
        EnvelopeSlip slip = envelopeOf(orders, *pupil);
        if (tied) {
            slip.place = rosterPlaceText(*tied);
            slip.name = tied->name.trimmed();
        }
        slips.slips.append(std::move(slip));
    }
    return slips;
}

QPointF SlipSheet::placeOf(int slot) const {
    return first + QPointF((slot % columns) * pitch.width(), (slot / columns) * pitch.height());
}

int SlipSheet::pageCount(int count, int firstPlace) const {
    if (count <= 0)
        return 0;
    const int places = count + (labels ? std::clamp(firstPlace, 0, perPage() - 1) : 0);
    return (places + perPage() - 1) / perPage();
}

namespace {

constexpr QSizeF kA4(210, 297);

// A4 in columns by rows of equal parts, edge to edge (cut apart by hand).
SlipSheet a4Cut(const QString& name, int columns, int rows) {
    const QSizeF part(kA4.width() / columns, kA4.height() / rows);
    return {name, kA4, columns, rows, part, QPointF(0, 0), part};
}

// A4 labels: the grid centred on the paper, the labels side by side.
SlipSheet a4Labels(int columns, int rows, QSizeF label) {
    const QString name = QStringLiteral("A4 ラベル %1面（%2×%3mm）")
                             .arg(columns * rows)
                             .arg(label.width())
                             .arg(label.height());
    const QPointF first((kA4.width() - columns * label.width()) / 2,
                        (kA4.height() - rows * label.height()) / 2);
    return {name, kA4, columns, rows, label, first, label, true};
}

}  // namespace

QVector<SlipSheet> orderSlipSheets() {
    return {a4Cut(QStringLiteral("A4 に 1 枚"), 1, 1), a4Cut(QStringLiteral("A4 に 2 枚"), 1, 2),
            a4Cut(QStringLiteral("A4 に 4 枚"), 2, 2)};
}

QVector<SlipSheet> envelopeSlipSheets() {
    // The envelopes themselves, printed on: 長形3号 120×235 mm, 角形2号 240×332 mm.
    const SlipSheet chou3{QStringLiteral("長形3号 封筒"),
                          QSizeF(120, 235),
                          1,
                          1,
                          QSizeF(120, 235),
                          QPointF(0, 0),
                          QSizeF(120, 235)};
    const SlipSheet kaku2{QStringLiteral("角形2号 封筒"),
                          QSizeF(240, 332),
                          1,
                          1,
                          QSizeF(240, 332),
                          QPointF(0, 0),
                          QSizeF(240, 332)};
    return {chou3,
            kaku2,
            a4Cut(QStringLiteral("A4 を 2 つに切る"), 1, 2),
            a4Cut(QStringLiteral("A4 を 4 つに切る"), 2, 2),
            a4Labels(2, 5, QSizeF(86.4, 50.8)),
            a4Labels(2, 6, QSizeF(86.4, 42.3)),
            a4Labels(3, 7, QSizeF(70, 42.3)),
            a4Labels(3, 8, QSizeF(70, 33.9))};
}
