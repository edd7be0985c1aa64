// SPDX-License-Identifier: MIT
#include "support/steps_after_load.h"

#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/history.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "support/fake_platform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include <QBuffer>

namespace {

// Keys into the input screen; "\r" is Enter. An alert window that opens is
// closed again at once, as the operator would.
void typeKeys(OrderEntry& entry, const QString& keys) {
    for (const QChar c : keys) {
        entry.Form_KeyPress(c == u'\r' ? OrderEntry::kKeyEnter : c.unicode());
        if (!entry.display().form1Enabled)
            entry.alertClosed();
    }
}

// The registered pupils: slots 1..personCount that personRecords has.
int registered(const JobState& job) {
    const Number persons = std::floor(job.personCount);
    if (!(persons >= 1))
        return 0;
    return int(std::min<Number>(persons, Number(job.personRecords.size() - 1)));
}

// The first photo number of the small range, the one size always in use,
// or 0 when the range holds none that has a count.
int smallPhotoNumber(const JobState& job) {
    const Number first = std::ceil(job.smallStart.value());
    if (!(first >= 1 && first <= job.smallEnd && first <= JobState::kMaxPhotoNumber))
        return 0;
    return int(first);
}

void useInputScreen(JobState& job, Platform& platform, QStringList& problems) {
    OrderEntry entry(job, platform);
    entry.Form_Load(QStringLiteral("/nonexistent"));
    entry.Form_Activate();

    int rows = 0;
    for (int p = 1; p <= registered(job); ++p)
        rows += countRecordRows(job.personRecords[p]);
    if (job.historyRowCount != rows)
        problems << QStringLiteral("the history counts %1 rows, its records have %2")
                        .arg(job.historyRowCount)
                        .arg(rows);
    for (int i = 0; i < 20; ++i)
        entry.Form_KeyDown(OrderEntry::kKeyUp);
    for (int i = 0; i < 20; ++i)
        entry.Form_KeyDown(OrderEntry::kKeyDown);

    // One pupil of one print, closed.
    const int n = smallPhotoNumber(job);
    if (n == 0)
        return;
    const Number before = job.personCount;
    const bool countable =
        job.printCounts[std::size_t(n)] < std::numeric_limits<std::int16_t>::max() &&
        job.smallTotalPrints < std::numeric_limits<std::int32_t>::max();
    typeKeys(entry, QString::number(n) + QStringLiteral("\r/"));
    if (countable && before < JobState::kMaxPersons) {
        const QString label = QStringLiteral("(%1) ").arg(plainDecimal(before + 1));
        if (job.personCount != before + 1 || job.lastRecordSlot != job.personCount ||
            !job.personRecords[registered(job)].startsWith(label + QString::number(n)))
            problems << QStringLiteral("closing person %1 did not register them").arg(before + 1);
    }
    entry.Form_Activate();
}

void correctLastPupil(JobState& job, Platform& platform, QStringList& problems) {
    const int last = registered(job);
    const int n = smallPhotoNumber(job);
    if (last == 0)
        return;
    RecordCorrection correction(job, platform);
    correction.Form_Activate();
    correction.setText1(QString::number(last));
    if (n > 0) {
        correction.setText2(QString::number(n));
        const int count = job.printCounts[std::size_t(n)];
        if (correction.Command2_Click() == EditOutcome::Done) {
            if (job.printCounts[std::size_t(n)] != count + 1)
                problems << QStringLiteral("adding %1 did not count it").arg(n);
            if (correction.Command4_Click() != EditOutcome::Done)
                problems << QStringLiteral("%1 just added could not be deleted").arg(n);
            else if (job.printCounts[std::size_t(n)] != count)
                problems << QStringLiteral("deleting %1 did not count it back").arg(n);
        }
    }
    // Numbers beyond the photo numbers are no photo numbers of any size.
    for (const QString& beyond : {QStringLiteral("10001"), QStringLiteral("20000"),
                                  QStringLiteral("99999999999999999999")}) {
        correction.setText2(beyond);
        for (const EditOutcome outcome :
             {correction.Command2_Click(), correction.Command4_Click()}) {
            if (outcome != EditOutcome::OutOfRange)
                problems << QStringLiteral("%1 was taken as a photo number").arg(beyond);
            correction.alertClosed();
        }
    }
    correction.setText1(QStringLiteral("1"));
    correction.setText2(QString::number(std::max(n, 1)));
    correction.Command4_Click();
    correction.alertClosed();
    correction.Command3_Click();
}

// The three reports as documents, which the report windows lay out and print.
void buildReports(const JobState& job, QStringList& problems) {
    const RegisteredOrders orders = collectRegisteredOrders(job);
    const ReportDocument documents[] = {orderCountDocument(buildOrderCountReport(orders)),
                                        pupilDocument(buildPupilReport(orders)),
                                        reprintDocument(buildReprintReport(orders))};
    for (const ReportDocument& document : documents) {
        if (document.blocks.isEmpty())
            problems << QStringLiteral("the report %1 is empty").arg(document.title);
    }
    if (orders.pupils.size() != registered(job))
        problems << QStringLiteral("the reports list %1 pupils of %2")
                        .arg(orders.pupils.size())
                        .arg(registered(job));
}

QByteArray saveAndLoadBack(const JobState& job, QStringList& problems) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const JobFileSaveResult saved = writeJobFile(&buffer, job);
    if (!saved.saved) {
        problems << QStringLiteral("the save failed: ") + saved.message;
        return {};
    }
    const QByteArray bytes = buffer.data();
    JobState loaded;
    const JobFileLoadResult result = loadJobFileBytes(loaded, bytes);
    if (!result.complete()) {
        problems << QStringLiteral("the saved file does not load: ") + result.message;
        return bytes;
    }
    // Index 0 of printCounts is no photo number, and is not saved.
    const bool sameCounts = std::equal(loaded.printCounts.begin() + 1, loaded.printCounts.end(),
                                       job.printCounts.begin() + 1);
    if (loaded.personCount != job.personCount || loaded.lastRecordSlot != job.lastRecordSlot ||
        !sameCounts || loaded.smallEnd != job.smallEnd ||
        loaded.largeUnitPrice.value() != job.largeUnitPrice.value())
        problems << QStringLiteral("the saved file loads as another job");
    for (int k = 1; k <= registered(job) && saved.substitutions.isEmpty(); ++k) {
        const QString label = QStringLiteral("(%1) ").arg(k);
        const QString& record = job.personRecords[k];
        if (loaded.personRecords[k] != (record.isEmpty() ? label : record)) {
            problems << QStringLiteral("person %1 loads back as another record").arg(k);
            break;
        }
    }
    return bytes;
}

}  // namespace

StepsAfterLoad runStepsAfterLoad(JobState& job) {
    StepsAfterLoad steps;
    FakePlatform platform;
    useInputScreen(job, platform, steps.problems);
    correctLastPupil(job, platform, steps.problems);
    buildReports(job, steps.problems);
    steps.saved = saveAndLoadBack(job, steps.problems);
    return steps;
}
