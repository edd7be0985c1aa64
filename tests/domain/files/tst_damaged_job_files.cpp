// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "domain/files/cp932.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/history.h"
#include "domain/reports/report_content.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/steps_after_load.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QtTest>

namespace {

// Three pupils keyed through the engine (large 1-100, medium 101-300, small
// 301-999), saved by the program's own writer.
JobState keyedJob() {
    JobState job = makeJob();
    job.customerName = QStringLiteral("さくら小学校");
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("2024-5-1");
    job.photographerName = QStringLiteral("山田");
    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("/x"));
    keyPerson(engine, {5, 5, 150, 400});
    keyPerson(engine, {301, 999, 12});
    keyPerson(engine, {100, 101, 300});
    return job;
}

QByteArray written(const JobState& job) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeJobFile(&buffer, job).saved ? buffer.data() : QByteArray();
}

// The lines of a written file: the header, counts 1..10000, records 1..1500.
QList<QByteArray> linesOf(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    return lines;
}
QByteArray joined(const QList<QByteArray>& lines) {
    return lines.join("\r\n") + "\r\n";
}

QByteArray withHeaderField(const QByteArray& file, int position, const QByteArray& field) {
    QList<QByteArray> lines = linesOf(file);
    QList<QByteArray> fields = lines[0].split(',');
    fields[position - 1] = field;
    lines[0] = fields.join(',');
    return joined(lines);
}
QByteArray withHeaderFields(QByteArray file, const QList<std::pair<int, QByteArray>>& fields) {
    for (const auto& [position, field] : fields)
        file = withHeaderField(file, position, field);
    return file;
}
QByteArray withCount(const QByteArray& file, int photoNumber, const QByteArray& field) {
    QList<QByteArray> lines = linesOf(file);
    lines[photoNumber] = field;
    return joined(lines);
}
QByteArray withRecord(const QByteArray& file, int slot, const QByteArray& field) {
    QList<QByteArray> lines = linesOf(file);
    lines[JobState::kMaxPhotoNumber + slot] = field;
    return joined(lines);
}
// The file up to (not including) the record of the slot.
QByteArray endingBeforeRecord(const QByteArray& file, int slot) {
    return joined(linesOf(file).mid(0, 1 + JobState::kMaxPhotoNumber + slot - 1));
}
QByteArray quoted(const QByteArray& text) {
    return '"' + text + '"';
}
QByteArray prints(const QByteArray& token, int count) {
    QByteArray out;
    out.reserve(count * (token.size() + 1));
    for (int i = 0; i < count; ++i)
        out += token + ' ';
    return out;
}

// A file as an older writer shaped it: one header field a line, counts ten
// to a line with a blank after each comma, only the counts up to the last
// photo number ordered, records one a line.
QByteArray olderWriterFile(const JobState& job) {
    const QList<QByteArray> lines = linesOf(written(job));
    QByteArray out;
    for (const QByteArray& field : lines[0].split(','))
        out += field + "\r\n";
    int last = 0;
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        last = job.printCounts[std::size_t(n)] > 0 ? n : last;
    for (int n = 1; n <= last; ++n)
        out += lines[n] + (n % 10 == 0 || n == last ? "\r\n" : ", ");
    for (int k = 1; k <= JobState::kMaxPersons; ++k)
        out += lines[JobState::kMaxPhotoNumber + k] + "\r\n";
    return out;
}

// What the operator had typed on the setup screen before the load.
JobState typedJob() {
    JobState job = makeJob({1, 50, 700, 51, 60, 400, 61, 70, 90});
    job.customerName = QStringLiteral("入力途中");
    return job;
}

// A refused file changed nothing.
void verifyUnchanged(const JobState& job, const JobState& before) {
    QCOMPARE(job.customerName.toText(), before.customerName.toText());
    QCOMPARE(job.largeMode.value(), before.largeMode.value());
    QCOMPARE(job.largeStart.value(), before.largeStart.value());
    QCOMPARE(job.mediumMode, before.mediumMode);
    QCOMPARE(job.mediumEnd.value(), before.mediumEnd.value());
    QCOMPARE(job.smallEnd, before.smallEnd);
    QCOMPARE(job.largeUnitPrice.value(), before.largeUnitPrice.value());
    QCOMPARE(job.smallUnitPrice, before.smallUnitPrice);
    QCOMPARE(job.grandTotalPrints, before.grandTotalPrints);
    QCOMPARE(job.personCount, before.personCount);
    QCOMPARE(job.lastRecordSlot, before.lastRecordSlot);
    QCOMPARE(job.printCounts, before.printCounts);
    QCOMPARE(job.personRecords, before.personRecords);
}

}  // namespace

Q_DECLARE_METATYPE(JobFileLoadResult::Status)
Q_DECLARE_METATYPE(JobFileLoadResult::Reason)
Q_DECLARE_METATYPE(JobFileSection)

// Damaged and odd job files: each is refused or loaded as the setup screen
// would have taken its values, and whatever loads then goes through the
// operator's next steps (close a pupil, correct one, the three reports,
// save) without a fault; run under the sanitizers as well.
class TestDamagedJobFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void damagedFile_refusedOrLoadedThenUsable_data();
    void damagedFile_refusedOrLoadedThenUsable();
    void olderWriterShapes_loadAsTheSameJob();
    void slotsAfterTheRegistered_holdTheirLabels();
    void replacedBytes_toldAndSavedAsSubstitutes();
    void largestLoadableJob_savesWithinTheBoundAndLoadsBack();
    void hugePupil_refusedQuickly();
    void emptyRegisteredRecord_countsOneHistoryRow();
    void jobStatesTheLoaderRefuses_neverIndexOutside_data();
    void jobStatesTheLoaderRefuses_neverIndexOutside();
};

void TestDamagedJobFiles::damagedFile_refusedOrLoadedThenUsable_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<JobFileLoadResult::Status>("status");
    QTest::addColumn<JobFileLoadResult::Reason>("reason");
    QTest::addColumn<JobFileSection>("section");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("told");  // a part of the message naming what is wrong

    using S = JobFileLoadResult::Status;
    using R = JobFileLoadResult::Reason;
    const auto H = JobFileSection::Header;
    const auto C = JobFileSection::Count;
    const auto P = JobFileSection::Record;
    const QByteArray file = written(keyedJob());
    const QString range = QStringLiteral("写真番号は１～９９９９の範囲");
    const QString off = QStringLiteral("設定しないサイズの番号と単価は 0");
    const QString price = QStringLiteral("単価は３００００より小さい数値");
    const QString person = QStringLiteral("０～１５００の整数");
    const QString tooMany = QStringLiteral("写真番号が１００個を超えています");
    const QString tooLong = QStringLiteral("長すぎる項目があります");

    // Refused: the header.
    QTest::newRow("large mode 2") << withHeaderField(file, 5, "2") << S::NothingRead << R::BadValue
                                  << H << 5 << QStringLiteral("0（設定する）か 1（設定しない）");
    QTest::newRow("medium mode -1") << withHeaderField(file, 8, "-1") << S::NothingRead
                                    << R::BadValue << H << 8 << QStringLiteral("ファイルの値：-1");
    QTest::newRow("small range ends at 32767")
        << withHeaderField(file, 12, "32767") << S::NothingRead << R::BadValue << H << 12 << range;
    QTest::newRow("small end 9999.5 rounds to 10000")
        << withHeaderField(file, 12, "9999.5") << S::NothingRead << R::BadValue << H << 12 << range;
    QTest::newRow("large start 1000000000000")
        << withHeaderField(file, 6, "1000000000000") << S::NothingRead << R::BadValue << H << 6
        << QStringLiteral("ファイルの値：1000000000000");
    QTest::newRow("large start 0 in use")
        << withHeaderField(file, 6, "0") << S::NothingRead << R::BadValue << H << 6 << range;
    QTest::newRow("small start 0.5")
        << withHeaderField(file, 11, "0.5") << S::NothingRead << R::BadValue << H << 11 << range;
    QTest::newRow("medium end before its start")
        << withHeaderField(file, 10, "100") << S::NothingRead << R::BadValue << H << 10
        << QStringLiteral("終わりの番号が始めの番号 101 より小さく");
    QTest::newRow("large switched off with its range")
        << withHeaderField(file, 5, "1") << S::NothingRead << R::BadValue << H << 6 << off;
    QTest::newRow("medium switched off with its price")
        << withHeaderFields(file, {{8, "1"}, {9, "0"}, {10, "0"}}) << S::NothingRead << R::BadValue
        << H << 14 << off;
    QTest::newRow("large price 30000")
        << withHeaderField(file, 13, "30000") << S::NothingRead << R::BadValue << H << 13 << price;
    QTest::newRow("medium price beyond every number")
        << withHeaderField(file, 14, "1" + QByteArray(400, '0')) << S::NothingRead << R::BadValue
        << H << 14 << price;
    QTest::newRow("small price 30000")
        << withHeaderField(file, 15, "30000") << S::NothingRead << R::BadValue << H << 15 << price;
    QTest::newRow("customer longer than the setup box takes")
        << withHeaderField(file, 1, quoted(QByteArray(32768, 'a'))) << S::NothingRead << R::BadValue
        << H << 1 << QStringLiteral("32768 文字");
    QTest::newRow("personCount 5000") << withHeaderFields(file, {{20, "5000"}, {21, "5000"}})
                                      << S::NothingRead << R::BadValue << H << 20 << person;
    QTest::newRow("personCount 2.5") << withHeaderFields(file, {{20, "2.5"}, {21, "2.5"}})
                                     << S::NothingRead << R::BadValue << H << 20 << person;
    QTest::newRow("personCount -1") << withHeaderFields(file, {{20, "-1"}, {21, "-1"}})
                                    << S::NothingRead << R::BadValue << H << 20 << person;
    QTest::newRow("lastRecordSlot -5")
        << withHeaderField(file, 21, "-5") << S::NothingRead << R::BadValue << H << 21
        << QStringLiteral("登録人数 3 と同じ");
    QTest::newRow("personCount 3, lastRecordSlot 1")
        << withHeaderField(file, 21, "1") << S::NothingRead << R::BadValue << H << 21
        << QStringLiteral("ファイルの値：1");
    QTest::newRow("medium mode not a number")
        << withHeaderField(file, 8, "abc") << S::NothingRead << R::NotANumber << H << 8
        << QStringLiteral("数値以外");
    QTest::newRow("small total beyond 32 bits")
        << withHeaderField(file, 19, "3000000000") << S::NothingRead << R::OutOfRange << H << 19
        << QStringLiteral("大きすぎるか小さすぎます");

    // Refused: the counts and the registered pupils' records.
    QTest::newRow("count -1") << withCount(file, 5, "-1") << S::NothingRead << R::BadValue << C << 5
                              << QStringLiteral("マイナス");
    QTest::newRow("count 40000") << withCount(file, 400, "40000") << S::NothingRead << R::OutOfRange
                                 << C << 400 << QString();
    QTest::newRow("file ends inside the registered records")
        << endingBeforeRecord(file, 3) << S::NothingRead << R::EndOfFile << P << 3
        << QStringLiteral("登録人数 3 人分の個人データがそろっていません");
    QTest::newRow("quote never closed in a registered record")
        << endingBeforeRecord(file, 2) + "\"(2) 301 999 \r\n"
        << S::NothingRead << R::UnterminatedQuote << P << 2 << QString();
    QTest::newRow("pupil with 101 prints")
        << withRecord(file, 2, quoted("(2) " + prints("301", 101) + "\\.10100 ")) << S::NothingRead
        << R::BadValue << P << 2 << tooMany;
    QTest::newRow("photo number of 30 digits")
        << withRecord(file, 2, quoted("(2) " + QByteArray(27, '0') + "301 \\.100 "))
        << S::NothingRead << R::BadValue << P << 2 << tooLong;
    QTest::newRow("amount of 400 digits")
        << withRecord(file, 1, quoted("(1) 5 \\." + QByteArray(400, '9') + " ")) << S::NothingRead
        << R::BadValue << P << 1 << tooLong;
    QTest::newRow("two amounts and a label too many")
        << withRecord(file, 3, quoted("(3) 301 \\.100 \\.200 (9) ")) << S::NothingRead
        << R::BadValue << P << 3 << QStringLiteral("人の番号と金額のほかに");
    QTest::newRow("double-byte photo number")
        << withRecord(file, 1, quoted("(1) " + QByteArray(24, '\x82') + "\x82\x60 \\.0 "))
        << S::NothingRead << R::BadValue << P << 1 << tooLong;

    // Taken.
    QTest::newRow("as written") << file << S::Complete << R::None << H << 0 << QString();
    QTest::newRow("ends among the unused slots")
        << endingBeforeRecord(file, 10) << S::Partial << R::EndOfFile << P << 10
        << QStringLiteral("それより前の項目だけ");
    QTest::newRow("unused slot breaks off in a quote")
        << endingBeforeRecord(file, 4) + "\"(4) 301 " << S::Partial << R::UnterminatedQuote << P
        << 4 << QString();
    QTest::newRow("fractional range and price, negative price")
        << withHeaderFields(file, {{7, "100.5"}, {13, "10.5"}, {14, "-500"}}) << S::Complete
        << R::None << H << 0 << QString();
    QTest::newRow("large switched off, all zeros")
        << withHeaderFields(file, {{5, "1"}, {6, "0"}, {7, "0"}, {13, "0"}}) << S::Complete
        << R::None << H << 0 << QString();
    QTest::newRow("quoted numbers in numeric fields")
        << withHeaderFields(file, {{6, "\"1\""}, {20, "\"3\""}, {21, " 3"}}) << S::Complete
        << R::None << H << 0 << QString();
    QTest::newRow("pupil with 100 prints of typed leading zeros")
        << withRecord(file, 2, quoted("(2) " + prints("000000000000000000301", 100) + "\\.10000 "))
        << S::Complete << R::None << H << 0 << QString();
    QTest::newRow("registered record left empty")
        << withRecord(file, 2, "\"\"") << S::Complete << R::None << H << 0 << QString();
    QTest::newRow("price just below the limit, count at its highest")
        << withCount(withHeaderField(file, 15, "29999"), 777, "32767") << S::Complete << R::None
        << H << 0 << QString();
}

void TestDamagedJobFiles::damagedFile_refusedOrLoadedThenUsable() {
    QFETCH(QByteArray, bytes);
    QFETCH(JobFileLoadResult::Status, status);
    QFETCH(JobFileLoadResult::Reason, reason);
    QFETCH(JobFileSection, section);
    QFETCH(int, index);
    QFETCH(QString, told);

    const JobState before = typedJob();
    JobState job = before;
    const JobFileLoadResult result = loadJobFileBytes(job, bytes);
    QCOMPARE(result.status, status);
    QCOMPARE(result.reason, reason);
    if (status != JobFileLoadResult::Status::Complete) {
        QCOMPARE(result.section, section);
        QCOMPARE(result.index, index);
        // The operator reads which field, where in the file, and what is wrong.
        QVERIFY2(result.message.contains(jobFileFieldPlace(section, index)),
                 qPrintable(result.message));
        QVERIFY2(result.message.contains(QStringLiteral("第 %1 項目").arg(result.fieldNumber)),
                 qPrintable(result.message));
        QVERIFY2(result.message.contains(told), qPrintable(result.message));
    } else {
        QVERIFY2(result.message.isEmpty(), qPrintable(result.message));
    }
    if (status == JobFileLoadResult::Status::NothingRead) {
        // Not loaded: the job is as the operator had typed it.
        verifyUnchanged(job, before);
        if (QTest::currentTestFailed())
            return;
    } else {
        QCOMPARE(job.personCount, 3);
        QCOMPARE(job.lastRecordSlot, 3);
    }

    // What the operator does next works, and what is saved loads again.
    const StepsAfterLoad steps = runStepsAfterLoad(job);
    QVERIFY2(steps.problems.isEmpty(), qPrintable(steps.problems.join(u'\n')));
}

void TestDamagedJobFiles::olderWriterShapes_loadAsTheSameJob() {
    const JobState source = keyedJob();
    const QByteArray older = olderWriterFile(source);
    QVERIFY(older.size() < written(source).size() / 2);
    JobState job = typedJob();
    const JobFileLoadResult result = loadJobFileBytes(job, older);
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(result.countFields, 999);
    verifySameJob(job, source);
}

void TestDamagedJobFiles::slotsAfterTheRegistered_holdTheirLabels() {
    // The format leaves the slots after the registered pupils unused; what
    // a file holds there is neither shown nor counted, and is not kept.
    QByteArray file = written(keyedJob());
    file = withRecord(file, 4, quoted("(4) " + prints("301", 3000) + "\\.300000 "));
    file = withRecord(file, 1500, "\"garbage, no label\"");
    JobState job = typedJob();
    const JobFileLoadResult result = loadJobFileBytes(job, file);
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(job.personRecords[4], QStringLiteral("(4) "));
    QCOMPARE(job.personRecords[1500], QStringLiteral("(1500) "));
    QVERIFY(job.personRecords[3].startsWith(QStringLiteral("(3) 100 101 300 ")));
    QVERIFY(written(job).size() < 100 * 1000);
}

void TestDamagedJobFiles::replacedBytes_toldAndSavedAsSubstitutes() {
    // Bytes that are no CP932 character: one in the customer's name, one in
    // a registered record, and a lead byte as the very last byte of the file.
    QByteArray file = written(keyedJob());
    file = withHeaderField(file, 1, "\"\x82\xb3\x82\xad\xff\x82\xe7\"");
    file = withRecord(file, 2, "\"(2) 301 999 12 \\.\x80\"");
    file += '\x82';
    JobState job = typedJob();
    const JobFileLoadResult result = loadJobFileBytes(job, file);
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(result.replacedBytes, 3);
    QCOMPARE(job.customerName.toText(), QStringLiteral("さく\uFFFDら"));
    QCOMPARE(job.personRecords[2], QStringLiteral("(2) 301 999 12 \\.\uFFFD"));
    // The operator is told how many and where.
    QVERIFY2(result.message.contains(QStringLiteral("3 か所")), qPrintable(result.message));
    QVERIFY(result.message.contains(QStringLiteral("\uFFFD")));
    QVERIFY(result.message.contains(QStringLiteral("・") +
                                    jobFileFieldPlace(JobFileSection::Header, 1)));
    QVERIFY(result.message.contains(QStringLiteral("・") +
                                    jobFileFieldPlace(JobFileSection::Record, 2)));

    // Saving writes a visible substitute and says so; never the control
    // byte the codec would have made of them.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const JobFileSaveResult saved = writeJobFile(&buffer, job);
    QVERIFY(saved.saved);
    QCOMPARE(saved.substitutions.size(), 2);
    QVERIFY(!buffer.data().contains('\x1a') && !buffer.data().contains('\x7f'));
    QVERIFY(buffer.data().startsWith("\"\x82\xb3\x82\xad\x81\xac\x82\xe7\""));  // さく〓ら
}

void TestDamagedJobFiles::largestLoadableJob_savesWithinTheBoundAndLoadsBack() {
    // Everything at the longest the loader takes: header texts of 32767
    // double-byte characters, 1499 pupils of 100 photo numbers typed with
    // leading zeros up to the longest item, amounts of 300 digits (a price
    // far below zero), counts at their highest.
    const QByteArray text = QByteArray("\x88\x9f").repeated(32767);  // 亜
    QByteArray file = quoted(text) + ',' + quoted(text) + ',' + quoted(text) + ',' + quoted(text) +
                      ",0,1,100,0,101,300,301,999,800,-1" + QByteArray(299, '0') +
                      ",100,0,0,0,0,1499,1499\n";
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        file += n == 301 ? "30000\n" : "32767\n";
    const QByteArray item = QByteArray(JobFileFormat::kMaxRecordItemBytes - 4, '0') + "301";
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        file += k > 1499 ? QByteArray("\"\"")
                         : quoted("(" + QByteArray::number(k) + ") " + prints(item, 100) + "\\.-" +
                                  QByteArray(300, '9') + " ");
        file += '\n';
    }
    QVERIFY(file.size() <= JobFileFormat::kMaxJobFileBytes);
    JobState job;
    const JobFileLoadResult result = loadJobFileBytes(job, file);
    QVERIFY2(result.complete(), qPrintable(result.message));

    const StepsAfterLoad steps = runStepsAfterLoad(job);
    QVERIFY2(steps.problems.isEmpty(), qPrintable(steps.problems.join(u'\n')));
    QCOMPARE(job.personCount, 1500);
    QVERIFY(steps.saved.size() > file.size());
    QVERIFY(steps.saved.size() <= JobFileFormat::kLargestLoadableJobFileBytes);
}

void TestDamagedJobFiles::hugePupil_refusedQuickly() {
    // One pupil with over three million prints within the size bound: refused
    // at once, before anything is shown or counted.
    const QByteArray file = written(keyedJob());
    QByteArray record = "\"(1) ";
    record += prints("5", 3'400'000);
    record += "\\.0 \"";
    const QByteArray huge = withRecord(file, 1, record);
    QVERIFY(huge.size() <= JobFileFormat::kMaxJobFileBytes);
    JobState job = typedJob();
    QElapsedTimer timer;
    timer.start();
    const JobFileLoadResult result = loadJobFileBytes(job, huge);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(result.reason, JobFileLoadResult::Reason::BadValue);
    QCOMPARE(result.index, 1);
    QCOMPARE(job.personCount, 0);
}

void TestDamagedJobFiles::emptyRegisteredRecord_countsOneHistoryRow() {
    // A registered record with no text at all (as a file ending inside the
    // records used to leave the slots after it) still ends its row: it is
    // counted as one row, as the lines filled and drawn have it.
    JobState job = keyedJob();
    job.personRecords[2] = QString();
    job.personRecords[4] = QString();
    job.personCount = job.lastRecordSlot = 4;
    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("/x"));
    engine.Form_Activate();
    QCOMPARE(job.historyRowCount, 4);
    QCOMPARE(job.historyTopRow, 4 - 16);
    QCOMPARE(engine.FillHistoryLines(1, std::nullopt, 20), 4);
    QCOMPARE(job.historyLines[2], QString());
    QVERIFY(job.historyLines[3].startsWith(QStringLiteral("(3) ")));
}

void TestDamagedJobFiles::jobStatesTheLoaderRefuses_neverIndexOutside_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::newRow("personCount 5000") << QStringLiteral("personCount") << 5000.0;
    QTest::newRow("personCount 1e300") << QStringLiteral("personCount") << 1e300;
    QTest::newRow("personCount -7") << QStringLiteral("personCount") << -7.0;
    QTest::newRow("lastRecordSlot -5") << QStringLiteral("lastRecordSlot") << -5.0;
    QTest::newRow("lastRecordSlot 1e300") << QStringLiteral("lastRecordSlot") << 1e300;
    QTest::newRow("lastRecordSlot 2.5") << QStringLiteral("lastRecordSlot") << 2.5;
    QTest::newRow("small range to 32767") << QStringLiteral("smallEnd") << 32767.0;
    QTest::newRow("large start 1e12") << QStringLiteral("largeStart") << 1e12;
    QTest::newRow("large end infinite") << QStringLiteral("largeEnd") << qInf();
    QTest::newRow("medium start -infinite") << QStringLiteral("mediumStart") << -qInf();
    QTest::newRow("small total at its highest")
        << QStringLiteral("smallTotalPrints") << 2147483647.0;
    QTest::newRow("small total at its lowest")
        << QStringLiteral("smallTotalPrints") << -2147483648.0;
}

void TestDamagedJobFiles::jobStatesTheLoaderRefuses_neverIndexOutside() {
    // A job can come to such values some other way than through the loader
    // (a restored run, a future path); the engine, the correction, the
    // history and the reports stay inside printCounts and personRecords.
    QFETCH(QString, field);
    QFETCH(double, value);
    JobState job = keyedJob();
    if (field == QStringLiteral("personCount"))
        job.personCount = value;
    else if (field == QStringLiteral("lastRecordSlot"))
        job.lastRecordSlot = value;
    else if (field == QStringLiteral("smallEnd"))
        job.smallEnd = std::int16_t(value);
    else if (field == QStringLiteral("largeStart"))
        job.largeStart = value;
    else if (field == QStringLiteral("largeEnd"))
        job.largeEnd = value;
    else if (field == QStringLiteral("mediumStart"))
        job.mediumStart = value;
    else if (field == QStringLiteral("smallTotalPrints"))
        job.smallTotalPrints = std::int32_t(value);
    const JobState before = job;

    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("/x"));
    engine.Form_Activate();
    keyPerson(engine, {400, 20000});
    if (!engine.display().form1Enabled)
        engine.alertClosed();
    typeKeys(engine, QStringLiteral("400\r400-\r401\r/"));
    QCOMPARE(job.personRecords.size(), JobState::kMaxPersons + 1);
    const bool slotUsable = before.lastRecordSlot >= 0 && before.lastRecordSlot < 1500 &&
                            before.lastRecordSlot == std::floor(before.lastRecordSlot) &&
                            before.personCount < 1500;
    if (!slotUsable) {
        // No slot to write: the close is refused as for a full job.
        QVERIFY(platform.messages.contains(OrderEntry::kJobFullMessage));
        QCOMPARE(job.lastRecordSlot, before.lastRecordSlot);
    }

    RecordCorrection correction(job, platform);
    for (const int person : {1, 3, 1500, 4999}) {
        correction.setText1(QString::number(person));
        QVERIFY(correction.shownPerson() <= JobState::kMaxPersons);
        for (const char* number : {"20000", "10000", "301", "32767"}) {
            correction.setText2(QString::fromLatin1(number));
            correction.Command2_Click();
            correction.alertClosed();
            correction.Command4_Click();
            correction.alertClosed();
        }
    }
    // Beyond the counts there is nothing to add to, whatever the ranges say.
    correction.setText1(QStringLiteral("1"));
    correction.setText2(QStringLiteral("20000"));
    QCOMPARE(correction.Command2_Click(), EditOutcome::OutOfRange);

    const RegisteredOrders orders = collectRegisteredOrders(job);
    QVERIFY(orders.pupils.size() <= JobState::kMaxPersons);
    for (const SizeSection& section : buildOrderCountReport(orders).sections)
        QVERIFY(section.photos.size() <= JobState::kMaxPhotoNumber);
    buildPupilReport(orders);
    buildReprintReport(orders);
    QVERIFY(written(job).size() > 0);
}

QTEST_GUILESS_MAIN(TestDamagedJobFiles)
#include "tst_damaged_job_files.moc"
