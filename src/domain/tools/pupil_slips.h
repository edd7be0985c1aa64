// SPDX-License-Identifier: MIT
#pragma once

#include "domain/reports/report_content.h"
#include "domain/roster/job_companion.h"

#include <optional>

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

// The paper the season starts and ends with: an order slip (注文票) for
// every pupil of the roster before the event, on which the family writes
// the photo numbers, and after the keying an envelope slip (納品書) for
// every registered pupil, with what goes into their envelope.

// A class of the roster: its grade and class as the school writes them.
struct RosterClass {
    QString grade;
    QString className;
    QString text() const;  // "6年1組"
    bool holds(const RosterPupil& pupil) const;
};

// The classes of the roster, in the school's order.
QVector<RosterClass> rosterClasses(const Roster& roster);

// The roster's pupils (indexes) in the school's order: by grade, class and
// number; only those of one class when it is given.
QVector<int> rosterInSchoolOrder(const Roster& roster,
                                 const std::optional<RosterClass>& only = std::nullopt);

// A size of the job as the slips print it: its name, range and unit price.
struct SlipSize {
    PrintSize size = PrintSize::Small;
    Number rangeStart = 0;
    Number rangeEnd = 0;
    Number unitPrice = 0;
};

// One order slip: the pupil, and the code the input screen reads to tie the
// keyed slip to them.
struct OrderSlip {
    QString place;  // "6年1組 12番"
    QString name;
    QString kana;
    QString code;  // slipCodeOf
};

struct OrderSlips {
    ReportHeader header;
    QVector<SlipSize> sizes;  // the sizes in use, large to small
    QVector<OrderSlip> slips;
};

OrderSlips orderSlips(const JobState& job, const Roster& roster,
                      const std::optional<RosterClass>& only = std::nullopt);

// One size in a pupil's envelope: the photo numbers ascending with their
// prints, and the size's prints and amount.
struct EnvelopeSize {
    QString sizeName;  // 大, 中, 小; "範囲外" for numbers in no range
    QVector<PhotoCount> photos;
    Number prints = 0;
    Number amount = 0;
};

// One envelope slip: a registered pupil's order.
struct EnvelopeSlip {
    int pupilNumber = 0;  // the slip's number in the job
    QString place;        // empty for a pupil tied to no roster pupil
    QString name;
    QVector<EnvelopeSize> sizes;
    Number prints = 0;
    Number amount = 0;
};

struct EnvelopeSlips {
    ReportHeader header;
    QVector<EnvelopeSlip> slips;
};

// The registered pupils' envelope slips: those tied to the roster in the
// school's order (a roster pupil with two slips gets both, by slip number),
// then the untied ones by slip number. With a class given, that class's
// pupils only.
EnvelopeSlips envelopeSlips(const RegisteredOrders& orders, const JobCompanion& companion,
                            const std::optional<RosterClass>& only = std::nullopt);

// How slips sit on a sheet of paper: a grid of equal slips, in millimetres
// from the paper's top left corner.
struct SlipSheet {
    QString name;
    QSizeF paper;  // mm, portrait
    int columns = 1;
    int rows = 1;
    QSizeF slip;          // mm
    QPointF first;        // the first slip's top left
    QSizeF pitch;         // from one slip's top left to the next one's
    bool labels = false;  // a sheet of labels: the first slip may be any place of the first sheet

    int perPage() const { return columns * rows; }
    // The place of a slot (0 to perPage() - 1: across, then down).
    QPointF placeOf(int slot) const;
    // Pages for count slips when the first goes on place firstPlace of the
    // first page (0 on anything but labels).
    int pageCount(int count, int firstPlace = 0) const;
};

// A4 with one, two or four order slips.
QVector<SlipSheet> orderSlipSheets();
// The envelope slips' papers: 長形3号 and 角形2号 envelopes, A4 cut in two
// or four, and the label sheets.
QVector<SlipSheet> envelopeSlipSheets();

namespace PupilSlipTexts {
extern const QString kOrderSlipTitle;     // 注文票
extern const QString kEnvelopeSlipTitle;  // 納品書
extern const QString kUnsized;            // 範囲外
extern const QString kUntied;             // for an envelope of an untied pupil
}  // namespace PupilSlipTexts
