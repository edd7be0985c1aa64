// SPDX-License-Identifier: MIT
#include "domain/reports/report_content.h"

#include "domain/job/pupil_place.h"
#include "domain/job/record_items.h"

#include <algorithm>
#include <cmath>

namespace {

struct SizeSetup {
    PrintSize size;
    bool switchedOn;
    Number start;
    Number end;
    Number unitPrice;
};

QVector<SizeSetup> sizeSetups(const JobState& job) {
    return {
        {PrintSize::Large, job.largeMode.value() == 0, job.largeStart.value(), job.largeEnd.value(),
         job.largeUnitPrice.value()},
        {PrintSize::Medium, job.mediumMode == 0, job.mediumStart.value(), job.mediumEnd.value(),
         job.mediumUnitPrice.value()},
        {PrintSize::Small, true, job.smallStart.value(), Number(job.smallEnd),
         Number(job.smallUnitPrice)},
    };
}

// The whole photo numbers of a range that printCounts can hold (first above
// last when there are none).
std::pair<int, int> listedRange(Number start, Number end) {
    constexpr Number kHighest = JobState::kMaxPhotoNumber;
    const Number first = std::ceil(start);
    const Number last = std::floor(end);
    return {first >= 1 ? int(std::min(first, kHighest + 1)) : 1,
            last <= kHighest ? int(std::max<Number>(last, 0)) : int(kHighest)};
}

// The registered pupils the reports cover: slots 1..personCount that
// personRecords has.
int registeredSlots(const JobState& job) {
    const Number last = std::floor(job.personCount);
    const Number lastSlot = Number(job.personRecords.size() - 1);
    if (!(last >= 0))
        return 0;
    return int(std::min(last, lastSlot));
}

Number tokenCount(const QString& entry) {
    Number count = 0;
    const QStringView unfinished = forEachRecordItem(entry, [&](const RecordItem& item) {
        if (!item.text().isEmpty())
            ++count;
    });
    return count + (unfinished.isEmpty() ? 0 : 1);
}

SizeSection sectionOf(const RegisteredOrders& orders, const SizeSummary& summary, bool withZeros) {
    SizeSection section;
    section.summary = summary;
    const auto [first, last] = listedRange(summary.rangeStart, summary.rangeEnd);
    for (int n = first; n <= last; ++n) {
        const Number prints = orders.countByPhoto[n];
        if (withZeros || prints > 0)
            section.photos.append({n, prints});
    }
    return section;
}

// A grade or class as it is compared: full-width letters and digits made
// half-width, blanks taken off, letters in one case, without its unit ("6年"
// as "6").
QString orderKey(const QString& text, QChar unit) {
    QString key = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    key.remove(u' ');
    if (key.endsWith(unit))
        key.chop(1);
    return key;
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// -1, 0 or 1 as a comes before, with or after b, a run of digits counting
// by its value.
int naturalCompare(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            // Leading zeros do not count; then the longer run is larger.
            while (i + 1 < endA && a[i] == u'0')
                ++i;
            while (j + 1 < endB && b[j] == u'0')
                ++j;
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            const int digits =
                QStringView(a).sliced(i, endA - i).compare(QStringView(b).sliced(j, endB - j));
            if (digits != 0)
                return digits < 0 ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

}  // namespace

QString pupilNameText(const PupilName& pupil) {
    const QString place = pupilPlaceText(pupil.grade, pupil.className, pupil.number);
    if (place.isEmpty())
        return pupil.name;
    return place + QStringLiteral("  ") + pupil.name;
}

bool schoolOrderLess(const PupilName& a, const PupilName& b) {
    const int grade = naturalCompare(orderKey(a.grade, u'年'), orderKey(b.grade, u'年'));
    if (grade != 0)
        return grade < 0;
    const int cls = naturalCompare(orderKey(a.className, u'組'), orderKey(b.className, u'組'));
    if (cls != 0)
        return cls < 0;
    return a.number < b.number;
}

std::optional<PrintSize> sizeOf(const JobState& job, Number photoNumber) {
    const SizeClass size = sizeClassOf(job, photoNumber);
    if (size.large)
        return PrintSize::Large;
    if (size.medium)
        return PrintSize::Medium;
    if (size.small)
        return PrintSize::Small;
    return std::nullopt;
}

QVector<Number> recordPhotoNumbers(const QString& record) {
    // The photo numbers end at the amount; a last item without its blank
    // still counts, and an item without a number is no print.
    QVector<Number> numbers;
    const auto take = [&](Number value) {
        if (value != 0)
            numbers.append(value);
    };
    bool amountReached = false;
    const QStringView unfinished = forEachRecordItem(record, [&](const RecordItem& item) {
        switch (item.kind()) {
            case RecordItem::Kind::Amount:
                amountReached = true;
                return false;
            case RecordItem::Kind::Label:
                return true;
            case RecordItem::Kind::PhotoNumber:
                break;
        }
        take(item.value());
        return true;
    });
    if (!amountReached && !unfinished.contains(u'\\') && !unfinished.contains(u')'))
        take(readNumber(unfinished));
    return numbers;
}

Number RegisteredOrders::totalPrints() const {
    Number total = unsizedPrints;
    for (const SizeSummary& s : sizes)
        total += s.prints;
    return total;
}

const SizeSummary* RegisteredOrders::summaryOf(PrintSize size) const {
    for (const SizeSummary& s : sizes) {
        if (s.size == size)
            return &s;
    }
    return nullptr;
}

RegisteredOrders collectRegisteredOrders(const JobState& job) {
    RegisteredOrders orders;
    orders.header = {job.customerName.toText(), job.eventName.toText(), job.shootingDate,
                     job.photographerName.toText()};
    orders.countByPhoto = QVector<Number>(JobState::kMaxPhotoNumber + 1, 0);
    orders.pendingPrints = tokenCount(job.pendingEntry);

    const QVector<SizeSetup> setups = sizeSetups(job);
    const auto priceOf = [&](PrintSize size) { return setups[int(size)].unitPrice; };

    const int persons = registeredSlots(job);
    orders.pupils.reserve(persons);
    Number sizePrints[3] = {0, 0, 0};
    for (int slot = 1; slot <= persons; ++slot) {
        PupilOrder pupil;
        pupil.personNumber = slot;
        const QVector<Number> numbers = recordPhotoNumbers(job.personRecords.value(slot));
        pupil.prints.reserve(numbers.size());
        for (const Number n : numbers) {
            const bool countable = n == std::floor(n) && n >= 1 && n <= JobState::kMaxPhotoNumber;
            const std::optional<PrintSize> size =
                countable ? sizeOf(job, n) : std::optional<PrintSize>();
            pupil.prints.append({int(std::clamp<Number>(n, -1e9, 1e9)), size});
            if (countable)
                orders.countByPhoto[int(n)] += 1;
            if (!size) {
                pupil.unsizedPrints += 1;
                continue;
            }
            switch (*size) {
                case PrintSize::Large:
                    pupil.largePrints += 1;
                    break;
                case PrintSize::Medium:
                    pupil.mediumPrints += 1;
                    break;
                case PrintSize::Small:
                    pupil.smallPrints += 1;
                    break;
            }
            sizePrints[int(*size)] += 1;
        }
        pupil.amount = pupil.largePrints * priceOf(PrintSize::Large) +
                       pupil.mediumPrints * priceOf(PrintSize::Medium) +
                       pupil.smallPrints * priceOf(PrintSize::Small);
        orders.unsizedPrints += pupil.unsizedPrints;
        orders.pupils.append(std::move(pupil));
    }

    // A size is listed when it is set up; a switched-off size still shows if
    // a record holds prints of it, so that nothing counted goes missing.
    for (const SizeSetup& setup : setups) {
        const Number prints = sizePrints[int(setup.size)];
        if (!setup.switchedOn && prints == 0)
            continue;
        SizeSummary summary;
        summary.size = setup.size;
        summary.rangeStart = setup.start;
        summary.rangeEnd = setup.end;
        summary.unitPrice = setup.unitPrice;
        summary.prints = prints;
        const auto [first, last] = listedRange(setup.start, setup.end);
        for (int n = first; n <= last; ++n)
            summary.photosOrdered += orders.countByPhoto[n] > 0 ? 1 : 0;
        orders.totalAmount += summary.amount();
        orders.sizes.append(summary);
    }
    return orders;
}

OrderCountReport buildOrderCountReport(const RegisteredOrders& orders) {
    OrderCountReport report;
    report.header = orders.header;
    for (const SizeSummary& summary : orders.sizes)
        report.sections.append(sectionOf(orders, summary, true));
    report.personCount = orders.pupils.size();
    report.unsizedPrints = orders.unsizedPrints;
    report.pendingPrints = orders.pendingPrints;
    report.totalAmount = orders.totalAmount;
    return report;
}

PupilReport buildPupilReport(const RegisteredOrders& orders) {
    PupilReport report;
    report.header = orders.header;
    report.pupils = orders.pupils;
    report.sizes = orders.sizes;
    report.unsizedPrints = orders.unsizedPrints;
    report.pendingPrints = orders.pendingPrints;
    report.totalAmount = orders.totalAmount;
    return report;
}

ReprintReport buildReprintReport(const RegisteredOrders& orders) {
    ReprintReport report;
    report.header = orders.header;
    for (const SizeSummary& summary : orders.sizes)
        report.sections.append(sectionOf(orders, summary, false));
    report.personCount = orders.pupils.size();
    report.pendingPrints = orders.pendingPrints;
    return report;
}

PupilReport buildPupilReport(const RegisteredOrders& orders, const PupilNames& names,
                             PupilOrderBy order) {
    PupilReport report = buildPupilReport(orders);
    for (PupilOrder& pupil : report.pupils) {
        const auto named = names.find(int(pupil.personNumber));
        if (named != names.end())
            pupil.name = named->second;
    }
    if (order == PupilOrderBy::ClassAndNumber) {
        // The named pupils first, in the school's order (the same pupil's
        // slips as keyed); the others after them, as keyed.
        std::stable_sort(report.pupils.begin(), report.pupils.end(),
                         [](const PupilOrder& a, const PupilOrder& b) {
                             if (a.name.has_value() != b.name.has_value())
                                 return a.name.has_value();
                             return a.name && schoolOrderLess(*a.name, *b.name);
                         });
    }
    return report;
}

PupilReport buildPupilReport(const JobState& job, const PupilNames& names, PupilOrderBy order) {
    return buildPupilReport(collectRegisteredOrders(job), names, order);
}

OrderCountReport buildOrderCountReport(const JobState& job) {
    return buildOrderCountReport(collectRegisteredOrders(job));
}

PupilReport buildPupilReport(const JobState& job) {
    return buildPupilReport(collectRegisteredOrders(job));
}

ReprintReport buildReprintReport(const JobState& job) {
    return buildReprintReport(collectRegisteredOrders(job));
}
