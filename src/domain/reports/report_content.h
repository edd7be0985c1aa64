// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <map>
#include <optional>

#include <QString>
#include <QVector>

// The figures of the three printed reports, taken from the job without any
// window or printer. Every report covers the registered pupils only: the
// prints of a pupil still being keyed in (the open entry) are already in
// printCounts and the totals, but no report counts them, so each report's
// totals are the sums over its pupils and its total amount is the sum of
// the pupils' amounts.

enum class PrintSize { Large, Medium, Small };

// The size a photo number is counted in: the first of large, medium and
// small whose range holds it; none for a number in no range.
std::optional<PrintSize> sizeOf(const JobState& job, Number photoNumber);

// The job header as the reports print it.
struct ReportHeader {
    QString customerName;
    QString eventName;
    QString shootingDate;
    QString photographerName;

    friend bool operator==(const ReportHeader&, const ReportHeader&) = default;
};

// One photo number and the prints of it ordered by the registered pupils.
struct PhotoCount {
    int photoNumber = 0;
    Number prints = 0;

    friend bool operator==(const PhotoCount&, const PhotoCount&) = default;
};

// One size of the job, counted over the registered pupils.
struct SizeSummary {
    PrintSize size = PrintSize::Small;
    Number rangeStart = 0;  // the range as set up
    Number rangeEnd = 0;
    Number unitPrice = 0;
    Number prints = 0;         // prints of this size
    Number photosOrdered = 0;  // different photo numbers with at least one print

    Number amount() const { return prints * unitPrice; }
};

// One size of the order-count or reprint report: its summary and the photo
// numbers listed under it, in ascending order.
struct SizeSection {
    SizeSummary summary;
    QVector<PhotoCount> photos;
};

// One print of a pupil's order, in keyed order. A number that lies in no
// size's range (possible only in a hand-edited job file) has no size.
struct PupilPrint {
    int photoNumber = 0;
    std::optional<PrintSize> size;

    friend bool operator==(const PupilPrint&, const PupilPrint&) = default;
};

// A registered pupil as the school's roster names them: the roster pupil
// the job's companion ties them to, as far as the reports print it.
struct PupilName {
    QString grade;      // 学年, as the school writes it ("6", "６年"); may be empty
    QString className;  // 組
    int number = 0;     // 出席番号; 0 when the roster gives none
    QString name;       // 氏名

    friend bool operator==(const PupilName&, const PupilName&) = default;
};

// The registered pupils that have a name, by their pupil number.
using PupilNames = std::map<int, PupilName>;

// Where a pupil sits and their name, as the reports and the lists show it:
// "6年1組 12番  山田 花子" ("年" and "組" not doubled when the school writes
// them, the grade left out when the roster has none, the number when it
// has none).
QString pupilNameText(const PupilName& pupil);

// Whether a comes before b in the order of the school: by grade, then
// class, then number; a number in a grade or class text counts by its value
// ("2組" before "10組"), full-width digits as half-width ones.
bool schoolOrderLess(const PupilName& a, const PupilName& b);

// One registered pupil.
struct PupilOrder {
    Number personNumber = 0;
    QVector<PupilPrint> prints;
    Number largePrints = 0;
    Number mediumPrints = 0;
    Number smallPrints = 0;
    Number unsizedPrints = 0;       // numbers in no range: listed, never charged
    Number amount = 0;              // each size's prints times its unit price
    std::optional<PupilName> name;  // the roster's pupil (per-pupil report, tied pupils only)
};

// What every report starts from: the registered pupils, decoded from their
// records, and the prints per photo number over them.
struct RegisteredOrders {
    ReportHeader header;
    QVector<SizeSummary> sizes;    // the sizes in use, large to small
    QVector<PupilOrder> pupils;    // slots 1 to personCount, in order
    QVector<Number> countByPhoto;  // index 1..10000, prints of the registered pupils
    Number unsizedPrints = 0;      // prints of numbers in no range
    Number pendingPrints = 0;      // prints of the open entry, which no report counts
    Number totalAmount = 0;        // sum of the sizes' amounts (= sum of the pupils' amounts)

    Number totalPrints() const;
    const SizeSummary* summaryOf(PrintSize size) const;
};

RegisteredOrders collectRegisteredOrders(const JobState& job);

// The order-count report (受注数): per size in use every photo number of its
// range with its count, zeros included; the size totals and the amount.
struct OrderCountReport {
    ReportHeader header;
    QVector<SizeSection> sections;
    Number personCount = 0;
    Number unsizedPrints = 0;
    Number pendingPrints = 0;
    Number totalAmount = 0;
};

// The order of the per-pupil report's pupils.
enum class PupilOrderBy {
    Keyed,           // 入力順: by pupil number, as the slips were keyed
    ClassAndNumber,  // 組・番号順: the named pupils in the school's order, then the others as keyed
};

// The per-pupil report (個人別): every registered pupil with the photo
// numbers in keyed order and the amount; the totals over all of them. A
// pupil who has a name in the job's roster carries it.
struct PupilReport {
    ReportHeader header;
    QVector<PupilOrder> pupils;
    QVector<SizeSummary> sizes;
    Number unsizedPrints = 0;
    Number pendingPrints = 0;
    Number totalAmount = 0;
};

// The reprint report (やきまし数), the lab's work list: per size only the
// photo numbers ordered at least once, with their counts, the number of
// different photos and the prints of the size.
struct ReprintReport {
    ReportHeader header;
    QVector<SizeSection> sections;
    Number personCount = 0;
    Number pendingPrints = 0;
};

OrderCountReport buildOrderCountReport(const JobState& job);
PupilReport buildPupilReport(const JobState& job);
ReprintReport buildReprintReport(const JobState& job);

OrderCountReport buildOrderCountReport(const RegisteredOrders& orders);
PupilReport buildPupilReport(const RegisteredOrders& orders);
ReprintReport buildReprintReport(const RegisteredOrders& orders);

// The per-pupil report with the pupils' names (none: the report as it is
// without a roster), in the order asked for.
PupilReport buildPupilReport(const JobState& job, const PupilNames& names, PupilOrderBy order);
PupilReport buildPupilReport(const RegisteredOrders& orders, const PupilNames& names,
                             PupilOrderBy order);

// The photo-number tokens of a pupil record, in order ("(3) 12 12 45 \.1500 "
// gives 12, 12, 45): the text between the label and the amount marker.
QVector<Number> recordPhotoNumbers(const QString& record);
