// SPDX-License-Identifier: MIT
#include "domain/entry/job_settings_controls.h"
#include "domain/files/job_file_loader.h"
#include "domain/job/job_state.h"
#include "support/steps_after_load.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The header of a golden file, written out in CP932 bytes: customer 得意先,
// event 運動会 (its second byte pair holds 0x5E), date 令和6年5月1日,
// photographer 山田① (① exists in CP932 only); large 1-100 at 800, medium
// 101-300 at 500, small 301-999 at 100; 10 prints (3 large, 2 medium, 5
// small) by 2 pupils.
const QByteArray kHeader =
    "\"\x93\xbe\x88\xd3\x90\xe6\",\"\x89\x5e\x93\xae\x89\xef\","
    "\"\x97\xdf\x98\x61\x36\x94\x4e\x35\x8c\x8e\x31\x93\xfa\",\"\x8e\x52\x93\x63\x87\x40\","
    "0,1,100,0,101,300,301,999,800,500,100,10,3,2,5,2,2\r\n";

// The header as the loader must store it, position 1 to 21.
const QStringList kHeaderValues = {QStringLiteral("得意先"),
                                   QStringLiteral("運動会"),
                                   QStringLiteral("令和6年5月1日"),
                                   QStringLiteral("山田①"),
                                   "0",
                                   "1",
                                   "100",
                                   "0",
                                   "101",
                                   "300",
                                   "301",
                                   "999",
                                   "800",
                                   "500",
                                   "100",
                                   "10",
                                   "3",
                                   "2",
                                   "5",
                                   "2",
                                   "2"};

const QByteArray kRecord1 = "\"(1) 5 5 150 \\.2100 \"";
const QByteArray kRecord2 = "\"(2) 150 400 400 400 \\.800 \"";

// The header with field `position` (1 to 21) replaced by `field`.
QByteArray headerWith(int position, const QByteArray& field, const QByteArray& header = kHeader) {
    QList<QByteArray> fields = header.chopped(2).split(',');
    fields[position - 1] = field;
    return fields.join(',') + "\r\n";
}

// `count` count fields: photo number n gets n % 7, with photo 5 at 2, 150
// at 2 and 400 at 3, to match the golden records.
QByteArray counts(int count) {
    QByteArray out;
    for (int n = 1; n <= count; ++n) {
        const int value = n == 5 || n == 150 ? 2 : n == 400 ? 3 : n % 7;
        out += QByteArray::number(value) + "\r\n";
    }
    return out;
}
int goldenCount(int n) {
    return n == 5 || n == 150 ? 2 : n == 400 ? 3 : n % 7;
}

// Records: the given ones first, then empty ones, `total` in all.
QByteArray records(const QList<QByteArray>& first, int total = JobState::kMaxPersons) {
    QByteArray out;
    for (int k = 1; k <= total; ++k)
        out += (k <= first.size() ? first[k - 1] : QByteArray("\"\"")) + "\r\n";
    return out;
}

QByteArray goldenFile() {
    return kHeader + counts(10000) + records({kRecord1, kRecord2});
}

// A job that already holds values, so a test can tell what a load changed.
JobState oldJob() {
    JobState job;
    job.customerName = QStringLiteral("旧1");
    job.eventName = QStringLiteral("旧2");
    job.shootingDate = QStringLiteral("旧3");
    job.photographerName = QStringLiteral("旧4");
    job.largeMode = 7005;
    job.largeStart = 7006;
    job.largeEnd = 7007;
    job.mediumMode = 7008;
    job.mediumStart = 7009;
    job.mediumEnd = 7010;
    job.smallStart = 7011;
    job.smallEnd = 7012;
    job.largeUnitPrice = 7013;
    job.mediumUnitPrice = 7014;
    job.smallUnitPrice = 7015;
    job.grandTotalPrints = 7016;
    job.largeTotalPrints = 7017;
    job.mediumTotalPrints = 7018;
    job.smallTotalPrints = 7019;
    job.personCount = 7020;
    job.lastRecordSlot = 7021;
    job.largeCount = 55;
    job.mediumCount = 66;
    job.smallCount = 77;
    job.printCounts.fill(99);
    for (int k = 1; k <= JobState::kMaxPersons; ++k)
        job.personRecords[k] = QStringLiteral("old%1").arg(k);
    return job;
}

QString headerValue(const JobState& job, int position) {
    switch (position) {
        case 1:
            return job.customerName.toText();
        case 2:
            return job.eventName.toText();
        case 3:
            return job.shootingDate;
        case 4:
            return job.photographerName.toText();
        case 5:
            return job.largeMode.toText();
        case 6:
            return job.largeStart.toText();
        case 7:
            return job.largeEnd.toText();
        case 8:
            return QString::number(job.mediumMode);
        case 9:
            return job.mediumStart.toText();
        case 10:
            return job.mediumEnd.toText();
        case 11:
            return job.smallStart.toText();
        case 12:
            return QString::number(job.smallEnd);
        case 13:
            return job.largeUnitPrice.toText();
        case 14:
            return job.mediumUnitPrice.toText();
        case 15:
            return QString::number(job.smallUnitPrice);
        case 16:
            return plainDecimal(job.grandTotalPrints);
        case 17:
            return plainDecimal(job.largeTotalPrints);
        case 18:
            return plainDecimal(job.mediumTotalPrints);
        case 19:
            return QString::number(job.smallTotalPrints);
        case 20:
            return plainDecimal(job.personCount);
        case 21:
            return plainDecimal(job.lastRecordSlot);
    }
    return {};
}

JobFileLoadResult load(JobState& job, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadJobFile(job, &buffer);
}

}  // namespace

class TestJobFileLoader : public QObject {
    Q_OBJECT

private slots:
    void goldenFile_loadsEveryField();
    void tenThousandCounts_firstRecordMayBeAnything();
    void parenRightAfterHeader_loadsNoCounts();
    void singleCountBeforeFirstRecord_givesOneCount();
    void recordWithoutParen_getsItsSlotLabel();
    void unusedSlots_holdTheirLabels();
    void unquotedFields_readByKind();
    void brokenFile_stopsAtFieldAndKeepsWhatWasRead_data();
    void brokenFile_stopsAtFieldAndKeepsWhatWasRead();
    void fileFarTooLarge_refusedUnread();
    void missingFile_reportsAndChangesNothing_data();
    void missingFile_reportsAndChangesNothing();
    void settingsControls_data();
    void settingsControls();
    void damagedFiles_neverCrashOrHang();
};

void TestJobFileLoader::goldenFile_loadsEveryField() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("運動会.ptl"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(goldenFile());
    file.close();

    JobState job = oldJob();
    const JobFileLoadResult result = LoadJobFile(job, path);
    QVERIFY2(result.complete(), qPrintable(result.message));
    QVERIFY(result.message.isEmpty());
    QCOMPARE(result.countFields, 10000);
    for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p)
        QCOMPARE(headerValue(job, p), kHeaderValues[p - 1]);
    QVERIFY(job.customerName.isText());
    QVERIFY(job.largeStart.isNumber());
    for (int n = 1; n <= 10000; ++n)
        QCOMPARE(job.printCounts[std::size_t(n)], goldenCount(n));
    QCOMPARE(job.personRecords[1], QStringLiteral("(1) 5 5 150 \\.2100 "));
    QCOMPARE(job.personRecords[2], QStringLiteral("(2) 150 400 400 400 \\.800 "));
    QCOMPARE(job.personRecords[3], QStringLiteral("(3) "));
    QCOMPARE(job.personRecords[1500], QStringLiteral("(1500) "));
    // The range sizes are not in the file.
    QCOMPARE(job.largeCount, 55);
    QCOMPARE(job.mediumCount, 66);
    QCOMPARE(job.smallCount, 77);
}

void TestJobFileLoader::tenThousandCounts_firstRecordMayBeAnything() {
    JobState job = oldJob();
    const JobFileLoadResult result =
        load(job, kHeader + counts(10000) + records({"\"5 5 \\.200 \"", "7"}));
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(result.countFields, 10000);
    QCOMPARE(job.printCounts[10000], goldenCount(10000));
    QCOMPARE(job.personRecords[1], QStringLiteral("(1) 5 5 \\.200 "));
    QCOMPARE(job.personRecords[2], QStringLiteral("(2) 7"));
}

void TestJobFileLoader::parenRightAfterHeader_loadsNoCounts() {
    JobState job = oldJob();
    const JobFileLoadResult result = load(job, kHeader + records({kRecord1, kRecord2}));
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(result.countFields, 0);
    QCOMPARE(job.printCounts[1], 99);
    QCOMPARE(job.printCounts[10000], 99);
    QCOMPARE(job.personRecords[1], QStringLiteral("(1) 5 5 150 \\.2100 "));
}

void TestJobFileLoader::singleCountBeforeFirstRecord_givesOneCount() {
    JobState job = oldJob();
    const JobFileLoadResult result = load(job, kHeader + "4\r\n" + records({kRecord1}));
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(result.countFields, 1);
    QCOMPARE(job.printCounts[1], 4);
    QCOMPARE(job.printCounts[2], 99);
}

void TestJobFileLoader::recordWithoutParen_getsItsSlotLabel() {
    QList<QByteArray> first(12, "\"(x)\"");
    first[11] = "\"\"";     // slot 12 empty
    first[10] = "\"abc\"";  // slot 11 a text without "("
    first[9] = "12 13";     // slot 10 unquoted
    first[0] = kRecord1;
    first[1] = kRecord2;
    JobState job = oldJob();
    const QByteArray header = headerWith(21, "12", headerWith(20, "12"));
    const JobFileLoadResult result = load(job, header + counts(10000) + records(first));
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(job.personRecords[12], QStringLiteral("(12) "));
    QCOMPARE(job.personRecords[11], QStringLiteral("(11) abc"));
    QCOMPARE(job.personRecords[10], QStringLiteral("(10) 12 13"));
    QCOMPARE(job.personRecords[9], QStringLiteral("(x)"));
    QCOMPARE(job.personRecords[13], QStringLiteral("(13) "));
}

void TestJobFileLoader::unusedSlots_holdTheirLabels() {
    // Slots after the registered pupils are not yet used: whatever the file
    // holds there, they hold their bare labels.
    JobState job = oldJob();
    const JobFileLoadResult result = load(
        job, kHeader + counts(10000) + records({kRecord1, kRecord2, "\"(3) 5 \\.800 \"", "x"}));
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(job.personRecords[2], QStringLiteral("(2) 150 400 400 400 \\.800 "));
    QCOMPARE(job.personRecords[3], QStringLiteral("(3) "));
    QCOMPARE(job.personRecords[4], QStringLiteral("(4) "));
}

void TestJobFileLoader::unquotedFields_readByKind() {
    // An unquoted number in a text position becomes a number; a quoted number
    // in a numeric position stays text but acts as its value; fractions stay.
    QByteArray header = headerWith(1, "123");
    header = QByteArray(header).replace(",101,300,", ",\"101\",300.5,");
    JobState job = oldJob();
    const JobFileLoadResult result = load(job, header + records({kRecord1}));
    QVERIFY2(result.complete(), qPrintable(result.message));
    QVERIFY(job.customerName.isNumber());
    QCOMPARE(job.customerName.value(), 123.0);
    QVERIFY(job.mediumStart.isText());
    QCOMPARE(job.mediumStart.value(), 101.0);
    QCOMPARE(job.mediumEnd.value(), 300.5);
}

void TestJobFileLoader::brokenFile_stopsAtFieldAndKeepsWhatWasRead_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("fieldNumber");
    QTest::addColumn<int>("headerStored");  // header positions that have their new value
    QTest::addColumn<int>("countsStored");
    QTest::addColumn<int>("recordsStored");

    using S = JobFileLoadResult::Status;
    using R = JobFileLoadResult::Reason;
    const int header = int(JobFileSection::Header);
    const int count = int(JobFileSection::Count);
    const int record = int(JobFileSection::Record);
    const QByteArray tenHeaderFields = kHeader.left(kHeader.indexOf(",301,"));

    QTest::newRow("empty file") << QByteArray() << int(S::NothingRead) << int(R::EndOfFile)
                                << header << 1 << 1 << 0 << 0 << 0;
    QTest::newRow("ends in the header") << tenHeaderFields << int(S::NothingRead)
                                        << int(R::EndOfFile) << header << 11 << 11 << 0 << 0 << 0;
    QTest::newRow("ends in the counts") << kHeader + counts(50) << int(S::NothingRead)
                                        << int(R::EndOfFile) << count << 51 << 72 << 0 << 0 << 0;
    QTest::newRow("ends in the records")
        << kHeader + counts(10000) + records({kRecord1, kRecord2}, 7) << int(S::Partial)
        << int(R::EndOfFile) << record << 8 << 21 + 10000 + 8 << 21 << 10000 << 7;
    QTest::newRow("ends in the records after three counts")
        << kHeader + counts(3) + records({kRecord1}, 5) << int(S::Partial) << int(R::EndOfFile)
        << record << 6 << 21 + 3 + 6 << 21 << 3 << 5;
    // A field that cannot be read refuses the whole file.
    QTest::newRow("text in a 16-bit field")
        << headerWith(8, "abc") + counts(10000) + records({}) << int(S::NothingRead)
        << int(R::NotANumber) << header << 8 << 8 << 0 << 0 << 0;
    QTest::newRow("number and text in a 16-bit field")
        << headerWith(12, "999x") + counts(10000) + records({}) << int(S::NothingRead)
        << int(R::NotANumber) << header << 12 << 12 << 0 << 0 << 0;
    QTest::newRow("16-bit field too large")
        << headerWith(12, "40000") + counts(10000) + records({}) << int(S::NothingRead)
        << int(R::OutOfRange) << header << 12 << 12 << 0 << 0 << 0;
    QTest::newRow("32-bit field too large")
        << headerWith(15, "3000000000") + counts(10000) + records({}) << int(S::NothingRead)
        << int(R::OutOfRange) << header << 15 << 15 << 0 << 0 << 0;
    QTest::newRow("text in the 32-bit small total")
        << headerWith(19, "\"x\"") + counts(10000) + records({}) << int(S::NothingRead)
        << int(R::NotANumber) << header << 19 << 19 << 0 << 0 << 0;
    QTest::newRow("count above 32767")
        << kHeader + counts(4) + "32768\r\n" + counts(9995) + records({kRecord1})
        << int(S::NothingRead) << int(R::OutOfRange) << count << 5 << 26 << 0 << 0 << 0;
    QTest::newRow("ends in the registered records")
        << kHeader + counts(10000) + records({kRecord1}, 1) << int(S::NothingRead)
        << int(R::EndOfFile) << record << 2 << 21 + 10000 + 2 << 0 << 0 << 0;
    QTest::newRow("unterminated quote in the header")
        << headerWith(4, "\"abc") << int(S::NothingRead) << int(R::UnterminatedQuote) << header << 4
        << 4 << 0 << 0 << 0;
    QTest::newRow("unterminated quote in a record")
        << kHeader + counts(10000) + kRecord1 + "\r\n" + kRecord2 + "\r\n\"(3) 12 \\.100 \r\n"
        << int(S::Partial) << int(R::UnterminatedQuote) << record << 3 << 21 + 10000 + 3 << 21
        << 10000 << 2;
    QTest::newRow("not a job file") << QByteArray("hello, world\r\n") << int(S::NothingRead)
                                    << int(R::EndOfFile) << header << 3 << 3 << 0 << 0 << 0;
}

void TestJobFileLoader::brokenFile_stopsAtFieldAndKeepsWhatWasRead() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(int, reason);
    QFETCH(int, section);
    QFETCH(int, index);
    QFETCH(int, fieldNumber);
    QFETCH(int, headerStored);
    QFETCH(int, countsStored);
    QFETCH(int, recordsStored);

    const JobState before = oldJob();
    JobState job = before;
    const JobFileLoadResult result = load(job, bytes);

    QCOMPARE(int(result.status), status);
    QCOMPARE(int(result.reason), reason);
    QCOMPARE(int(result.section), section);
    QCOMPARE(result.index, index);
    QCOMPARE(result.fieldNumber, fieldNumber);

    for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
        const QString expected = p <= headerStored ? kHeaderValues[p - 1] : headerValue(before, p);
        QCOMPARE(headerValue(job, p), expected);
    }
    for (int n = 1; n <= 10000; ++n) {
        const int expected = n <= countsStored ? goldenCount(n) : 99;
        if (job.printCounts[std::size_t(n)] != expected)
            QFAIL(qPrintable(QStringLiteral("count %1 is %2, expected %3")
                                 .arg(n)
                                 .arg(job.printCounts[std::size_t(n)])
                                 .arg(expected)));
    }
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        if (k <= recordsStored)
            QVERIFY(job.personRecords[k].startsWith(u'('));
        else
            QCOMPARE(job.personRecords[k], before.personRecords[k]);
    }

    // The operator is told where the reading stopped, and whether anything was read.
    QVERIFY(result.message.contains(jobFileFieldPlace(JobFileSection(section), index)));
    QVERIFY(result.message.contains(QStringLiteral("第 %1 項目").arg(fieldNumber)));
    QVERIFY(result.message.contains(
        JobFileLoadMessages::reasonText(JobFileLoadResult::Reason(reason))));
    if (status == int(JobFileLoadResult::Status::NothingRead))
        QVERIFY(result.message.contains(QStringLiteral("何も読み込まれていません")));
    else
        QVERIFY(result.message.contains(QStringLiteral("それより前の項目だけ")));
}

void TestJobFileLoader::fileFarTooLarge_refusedUnread() {
    // From a device: one byte past the bound is refused.
    {
        JobState job = oldJob();
        QByteArray bytes = goldenFile();
        bytes.append(QByteArray(JobFileFormat::kMaxJobFileBytes - bytes.size() + 1, ' '));
        const JobFileLoadResult result = load(job, bytes);
        QCOMPARE(result.status, JobFileLoadResult::Status::NothingRead);
        QCOMPARE(result.reason, JobFileLoadResult::Reason::TooLarge);
        QCOMPARE(job.customerName.toText(), QStringLiteral("旧1"));
        QVERIFY(result.message.contains(QStringLiteral("大きすぎる")));
        QVERIFY(result.message.contains(QString::number(JobFileFormat::kMaxJobFileBytes)));
    }
    // ... and at the bound it is read (trailing blanks after the records are ignored).
    {
        JobState job = oldJob();
        QByteArray bytes = goldenFile();
        bytes.append(QByteArray(JobFileFormat::kMaxJobFileBytes - bytes.size(), ' '));
        QVERIFY(load(job, bytes).complete());
    }
    // A file on disk is judged by its size before anything is read: a
    // sparse 4 GB file comes back at once.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.ptl"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(qint64(4) << 30));
    file.close();
    JobState job = oldJob();
    QElapsedTimer timer;
    timer.start();
    const JobFileLoadResult result = LoadJobFile(job, path);
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(result.reason, JobFileLoadResult::Reason::TooLarge);
    QCOMPARE(result.fileSize, qint64(4) << 30);
    QVERIFY(result.message.contains(QString::number(qint64(4) << 30)));
    QCOMPARE(job.printCounts[1], 99);
}

void TestJobFileLoader::missingFile_reportsAndChangesNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("reason");
    const int cannotOpen = int(JobFileLoadResult::Reason::CannotOpen);
    const int notAFile = int(JobFileLoadResult::Reason::NotAFile);
    QTest::newRow("no such file") << QStringLiteral("/nonexistent-folder/データ.ptl") << cannotOpen;
    QTest::newRow("empty name") << QString() << cannotOpen;
    QTest::newRow("a folder") << QDir::tempPath() << notAFile;
}

void TestJobFileLoader::missingFile_reportsAndChangesNothing() {
    QFETCH(QString, path);
    QFETCH(int, reason);
    JobState job = oldJob();
    const JobFileLoadResult result = LoadJobFile(job, path);
    QCOMPARE(result.status, JobFileLoadResult::Status::NothingRead);
    QCOMPARE(int(result.reason), reason);
    QVERIFY(result.message.startsWith(QStringLiteral("ファイルを開けませんでした。")));
    QVERIFY(result.message.contains(path));
    if (reason == int(JobFileLoadResult::Reason::NotAFile))
        QVERIFY(result.message.contains(QStringLiteral("通常のファイルではない")));
    QCOMPARE(job.customerName.toText(), QStringLiteral("旧1"));
}

void TestJobFileLoader::settingsControls_data() {
    QTest::addColumn<int>("largeMode");
    QTest::addColumn<int>("mediumMode");
    QTest::addColumn<int>("large");
    QTest::addColumn<int>("medium");
    QTest::addColumn<bool>("fillSmall");

    using Row = JobSettingsControls::Row;
    QTest::newRow("both set up") << 0 << 0 << int(Row::SetUp) << int(Row::SetUp) << true;
    QTest::newRow("large off") << 1 << 0 << int(Row::SwitchedOff) << int(Row::SetUp) << true;
    QTest::newRow("medium off") << 0 << 1 << int(Row::SetUp) << int(Row::SwitchedOff) << true;
    QTest::newRow("snap only") << 1 << 1 << int(Row::SwitchedOff) << int(Row::SwitchedOff) << true;
    QTest::newRow("large odd mode") << 2 << 0 << int(Row::Untouched) << int(Row::SetUp) << true;
    QTest::newRow("both odd modes")
        << 2 << 5 << int(Row::Untouched) << int(Row::Untouched) << false;
}

void TestJobFileLoader::settingsControls() {
    QFETCH(int, largeMode);
    QFETCH(int, mediumMode);
    QFETCH(int, large);
    QFETCH(int, medium);
    QFETCH(bool, fillSmall);

    // Loaded from a file, as the setup screen gets it: a size switched off
    // has the range 0 to 0 and the price 0. Modes other than 0 and 1 are
    // refused by the loader; the job may still come to hold them.
    const bool oddModes = largeMode > 1 || mediumMode > 1;
    QList<QByteArray> fields = kHeader.chopped(2).split(',');
    fields[6] = "100.5";  // a fractional end shows as stored, the count follows it
    if (largeMode == 1) {
        fields[4] = "1";
        fields[5] = fields[6] = fields[12] = "0";
    }
    if (mediumMode == 1) {
        fields[7] = "1";
        fields[8] = fields[9] = fields[13] = "0";
    }
    const QByteArray header = fields.join(',') + "\r\n";
    JobState job = oldJob();
    const JobFileLoadResult result = load(job, header + records({kRecord1, kRecord2}));
    QVERIFY2(result.complete(), qPrintable(result.message));
    if (oddModes) {
        job.largeMode = largeMode;
        job.mediumMode = std::int16_t(mediumMode);
    }

    const JobSettingsControls c = jobSettingsControls(job);
    QCOMPARE(c.tbTokuisaki, QStringLiteral("得意先"));
    QCOMPARE(c.tbGyouji, QStringLiteral("運動会"));
    QCOMPARE(c.tbSatueibi, QStringLiteral("令和6年5月1日"));
    QCOMPARE(c.tbSatueisha, QStringLiteral("山田①"));
    QCOMPARE(int(c.large), large);
    QCOMPARE(int(c.medium), medium);
    QCOMPARE(c.fillSmall, fillSmall);
    if (large == int(JobSettingsControls::Row::SetUp)) {
        QCOMPARE(c.tbDaiStart, QStringLiteral("1"));
        QCOMPARE(c.tbDaiEnd, QStringLiteral("100.5"));
        QCOMPARE(c.tbDaiMai, QStringLiteral("100.5"));
        QCOMPARE(c.tbDaiTanka, QStringLiteral("800"));
    } else {
        QVERIFY(c.tbDaiStart.isEmpty() && c.tbDaiMai.isEmpty() && c.tbDaiTanka.isEmpty());
    }
    if (medium == int(JobSettingsControls::Row::SetUp)) {
        QCOMPARE(c.tbChuStart, QStringLiteral("101"));
        QCOMPARE(c.tbChuEnd, QStringLiteral("300"));
        QCOMPARE(c.tbChuMai, QStringLiteral("200"));
        QCOMPARE(c.tbChuTanka, QStringLiteral("500"));
    }
    if (fillSmall) {
        QCOMPARE(c.tbShouStart, QStringLiteral("301"));
        QCOMPARE(c.tbShouEnd, QStringLiteral("999"));
        QCOMPARE(c.tbShouMai, QStringLiteral("699"));
        QCOMPARE(c.tbShouTanka, QStringLiteral("100"));
    } else {
        QVERIFY(c.tbShouStart.isEmpty());
    }
}

void TestJobFileLoader::damagedFiles_neverCrashOrHang() {
    // Truncated, mutated and random files: each load ends with a result that
    // matches the state it leaves, and every file that loads then takes the
    // operator's next steps (a pupil closed, one corrected, the reports, a
    // save that loads back) without a fault (run under the sanitizers as
    // well).
    QRandomGenerator random(20240501);
    const QByteArray base = kHeader + counts(10000) + records({kRecord1, kRecord2, "\"(3) 1\""});
    const QByteArray alphabet("0123456789,,,\"\"((\r\n \\.x-\x81\x87\x40\xfc\xff\x00", 30);

    const JobState before = oldJob();
    int complete = 0;
    int partial = 0;
    int nothing = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        if (round < 1000) {
            bytes = base.left(random.bounded(int(base.size()) + 1));
        } else if (round < 2500) {
            bytes = base;
            const int edits = 1 + random.bounded(20);
            for (int e = 0; e < edits; ++e) {
                const int at = random.bounded(int(bytes.size()));
                const char c = alphabet[random.bounded(int(alphabet.size()))];
                switch (random.bounded(3)) {
                    case 0:
                        bytes[at] = c;
                        break;
                    case 1:
                        bytes.insert(at, c);
                        break;
                    default:
                        bytes.remove(at, 1 + random.bounded(200));
                }
            }
        } else {
            bytes.resize(random.bounded(40000));
            for (char& c : bytes)
                c = alphabet[random.bounded(int(alphabet.size()))];
        }

        JobState job = before;
        const JobFileLoadResult result = load(job, bytes);
        QCOMPARE(result.message.isEmpty(), result.complete() && result.replacedBytes == 0);
        QCOMPARE(job.personRecords.size(), JobState::kMaxPersons + 1);
        QVERIFY(result.countFields >= 0 && result.countFields <= 10000);
        switch (result.status) {
            case JobFileLoadResult::Status::Complete:
                ++complete;
                for (int k = 1; k <= JobState::kMaxPersons; ++k)
                    QVERIFY(job.personRecords[k].contains(u'('));
                break;
            case JobFileLoadResult::Status::Partial:
                ++partial;
                QCOMPARE(result.section, JobFileSection::Record);
                QVERIFY(result.index > job.personCount);
                break;
            case JobFileLoadResult::Status::NothingRead:
                ++nothing;
                QCOMPARE(job.customerName.toText(), QStringLiteral("旧1"));
                QCOMPARE(job.personCount, 7020);
                QCOMPARE(job.printCounts[1], 99);
                QCOMPARE(job.personRecords[1], QStringLiteral("old1"));
                continue;
        }
        // A job that loaded holds what the program relies on.
        QVERIFY(job.largeMode.value() == 0 || job.largeMode.value() == 1);
        QVERIFY(job.smallStart.value() >= 1 && job.smallEnd <= 9999);
        QCOMPARE(job.lastRecordSlot, job.personCount);
        const StepsAfterLoad steps = runStepsAfterLoad(job);
        if (!steps.problems.isEmpty())
            QFAIL(qPrintable(
                QStringLiteral("round %1: %2").arg(round).arg(steps.problems.join(u'\n'))));
    }
    // The three outcomes all occurred.
    QVERIFY(complete > 0 && partial > 0 && nothing > 0);
}

QTEST_GUILESS_MAIN(TestJobFileLoader)
#include "tst_job_file_loader.moc"
