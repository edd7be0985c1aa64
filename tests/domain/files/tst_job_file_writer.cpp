// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/files/cp932.h"
#include "domain/files/job_file_commands.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/job_state.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/save_faults_fixture.h"

#include <cmath>
#include <limits>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Keys as the operator types them: '\n' is Enter, '<' Back Space.
void type(OrderEntry& entry, const QString& keys) {
    for (const QChar c : keys) {
        const int k = c == u'\n'  ? OrderEntry::kKeyEnter
                      : c == u'<' ? OrderEntry::kKeyBackSpace
                                  : c.unicode();
        entry.Form_KeyPress(k);
    }
}

JobState headerJob() {
    JobState job = makeJob();
    job.customerName = QStringLiteral("山田写真館");
    job.eventName = QStringLiteral("運動会①");
    job.shootingDate = QStringLiteral("令和6年5月1日～2日");
    job.photographerName = QStringLiteral("表ソ");  // trail bytes 0x5C
    return job;
}

// Prints of photo n in the registered records (slots 1 to personCount).
QVector<int> recordCounts(const JobState& job) {
    QVector<int> counts(JobState::kMaxPhotoNumber + 1, 0);
    for (int k = 1; k <= int(job.personCount); ++k) {
        const QString& record = job.personRecords[k];
        const QString photos = record.left(record.indexOf(kAmountMarker));
        for (const int n : photoTokens(photos))
            counts[n] += 1;
    }
    return counts;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray toBytes(const JobState& job) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const JobFileSaveResult result = writeJobFile(&buffer, job);
    return result.saved ? buffer.data() : QByteArray();
}

JobFileLoadResult loadBytes(JobState& job, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadJobFile(job, &buffer);
}

// A device that takes at most `piece` bytes a write and `capacity` bytes in
// all; past that it fails every write, or (stalling) takes nothing without
// an error.
class PartialWriteDevice : public QIODevice {
public:
    PartialWriteDevice(qint64 capacity, qint64 piece, bool stalls)
        : capacity_(capacity), piece_(piece), stalls_(stalls) {
        open(QIODevice::WriteOnly);
    }
    QByteArray accepted;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (accepted.size() >= capacity_) {
            if (stalls_)
                return 0;
            setErrorString(QStringLiteral("device full"));
            return -1;
        }
        const qint64 taken = std::min({size, piece_, capacity_ - accepted.size()});
        accepted.append(data, taken);
        return taken;
    }

private:
    qint64 capacity_;
    qint64 piece_;
    bool stalls_;
};

// Every pupil holds 100 prints of four-digit photo numbers.
JobState maximalJob() {
    JobState job = makeJob({1000, 2999, 29999, 3000, 5999, 29999, 6000, 9999, 29999});
    job.customerName = QString(256, u'写');
    job.eventName = QString(256, u'真');
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        QString entry;
        for (int i = 0; i < JobState::kMaxEntryPrints; ++i) {
            const int n = 1000 + (k * 37 + i * 91) % 9000;
            entry += QString::number(n) + u' ';
            job.printCounts[std::size_t(n)] += 1;
        }
        job.personRecords[k] = personRecordText(k, entry, QStringLiteral("2999900 "));
    }
    job.personCount = job.lastRecordSlot = JobState::kMaxPersons;
    job.grandTotalPrints = 150000;
    return job;
}

}  // namespace

class TestJobFileWriter : public QObject {
    Q_OBJECT

private slots:
    void layout_isExactlyTheJobFileFormat();
    void numbers_writtenInPlainDecimal();
    void unusedSlots_writtenEmpty();
    void keyedJob_roundTripsThroughSaveAndLoad();
    void openEntry_leftOutOfCountsAndTotals();
    void substitutes_data();
    void substitutes();
    void manySubstitutions_listedBriefly();
    void largestJob_withinTheSizeBound();
    void oddJob_writtenWithinItsArrays_data();
    void oddJob_writtenWithinItsArrays();
    void backup_keepsOneGeneration();
    void saveFailure_leavesPreviousFileWhole_data();
    void saveFailure_leavesPreviousFileWhole();
    void deviceFailingMidWrite_reported_data();
    void deviceFailingMidWrite_reported();
    void defaultName_data();
    void defaultName();
    void proposedName_fitsAndSaves();
    void changedElsewhere_data();
    void changedElsewhere();
    void unsavedWork();
};

void TestJobFileWriter::layout_isExactlyTheJobFileFormat() {
    JobState job = headerJob();
    FakePlatform platform;
    OrderEntry entry(job, platform);
    entry.Form_Load(QDir::tempPath());
    type(entry, QStringLiteral("5\n5\n150\n400\n/"));

    const QByteArray bytes = toBytes(job);
    const QString firstLine = QStringLiteral(
        "\"山田写真館\",\"運動会①\",\"令和6年5月1日～2日\",\"表ソ\","
        "0,1,100,0,101,300,301,999,800,500,100,4,2,1,1,1,1\r\n");
    QVERIFY(bytes.startsWith(encodeCp932(firstLine)));

    // CR LF only, one field a line after the header.
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    QCOMPARE(lines.size(), 1 + 10000 + 1500);
    for (int n = 1; n <= 10000; ++n) {
        const QByteArray expected = n == 5 ? "2\r" : n == 150 || n == 400 ? "1\r" : "0\r";
        if (lines[n] != expected)
            QFAIL(qPrintable(QStringLiteral("count line %1: %2").arg(n).arg(lines[n])));
    }
    QCOMPARE(lines[10001], QByteArray("\"(1) 5 5 150 400 \\.2200 \"\r"));
    for (int k = 2; k <= 1500; ++k)
        QCOMPARE(lines[10000 + k], k == 1500 ? QByteArray("\"\"") : QByteArray("\"\"\r"));
}

void TestJobFileWriter::numbers_writtenInPlainDecimal() {
    JobState job = makeJob();
    job.largeUnitPrice = 10.5;
    job.mediumUnitPrice = -5;
    job.largeStart = QStringLiteral("0012");  // a text holding a number: its value
    job.smallUnitPrice = 29999;
    job.personCount = 0;
    const QByteArray bytes = toBytes(job);
    const QByteArray header = bytes.left(bytes.indexOf("\r\n"));
    const QByteArray numbers = header.mid(header.indexOf("\",0,") + 2);
    QCOMPARE(numbers, QByteArray("0,12,100,0,101,300,301,999,10.5,-5,29999,0,0,0,0,0,0"));

    JobState loaded;
    QVERIFY(loadBytes(loaded, bytes).complete());
    QCOMPARE(loaded.largeUnitPrice.value(), 10.5);
    QCOMPARE(loaded.mediumUnitPrice.value(), -5.0);
    QCOMPARE(loaded.largeStart.value(), 12.0);
}

void TestJobFileWriter::unusedSlots_writtenEmpty() {
    // After a load the unused slots hold their labels; they go back out empty
    // and load back as the same labels.
    JobState job = headerJob();
    job.personRecords[1] = QStringLiteral("(1) 5 \\.800 ");
    job.personCount = job.lastRecordSlot = 1;
    JobState loaded;
    QVERIFY(loadBytes(loaded, toBytes(job)).complete());
    QCOMPARE(loaded.personRecords[2], QStringLiteral("(2) "));

    const QByteArray again = toBytes(loaded);
    QCOMPARE(again, toBytes(job));
    QVERIFY(again.contains("\r\n\"(1) 5 \\.800 \"\r\n\"\"\r\n\"\"\r\n"));
}

void TestJobFileWriter::keyedJob_roundTripsThroughSaveAndLoad() {
    JobState job = headerJob();
    FakePlatform platform;
    OrderEntry entry(job, platform);
    entry.Form_Load(QDir::tempPath());
    type(entry, QStringLiteral("5\n5\n150\n400\n/"));           // all three sizes
    type(entry, QStringLiteral("007\n301\n999\n301-\n12\n*"));  // a removal, leading zeros
    type(entry, QStringLiteral("100\n101\n300\n-300\n="));      // a removal at the front
    type(entry, QStringLiteral("250"));
    entry.setVScroll1(3);  // three prints with one Enter
    type(entry, QStringLiteral("\n/"));
    for (int i = 0; i < 20; ++i)  // enough pupils for the history to page
        type(entry, QStringLiteral("%1\n%2\n/").arg(301 + i).arg(1 + i));
    entry.Form_Activate();
    QCOMPARE(job.personCount, 24);
    QVERIFY(job.pendingEntry.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("運動会.ptl"));
    const JobFileSaveResult saved = saveJobFile(path, job);
    QVERIFY2(saved.saved, qPrintable(saved.message));
    QVERIFY(saved.message.isEmpty());
    QVERIFY(saved.substitutions.isEmpty());

    // A fresh run loads it.
    JobState loaded;
    const JobFileLoadResult result = LoadJobFile(loaded, path);
    QVERIFY2(result.complete(), qPrintable(result.message));
    verifySameJob(loaded, job);
    if (QTest::currentTestFailed())
        return;

    // The input screen of the resumed run shows the same totals and history.
    FakePlatform platform2;
    OrderEntry resumed(loaded, platform2);
    resumed.Form_Load(QDir::tempPath());
    resumed.Form_Activate();
    QCOMPARE(resumed.display().tbNin, entry.display().tbNin);
    QCOMPARE(resumed.display().tbDaiNanMai, entry.display().tbDaiNanMai);
    QCOMPARE(resumed.display().tbChuNanMai, entry.display().tbChuNanMai);
    QCOMPARE(resumed.display().tbShouNanMai, entry.display().tbShouNanMai);
    QCOMPARE(loaded.historyRowCount, job.historyRowCount);
    QCOMPARE(loaded.historyLines, job.historyLines);
    // The history drawing. A label drawn without a colour of its own takes
    // the colour the box used last, so both are drawn once more from the
    // state their own history drawing left.
    entry.Form_Activate();
    resumed.Form_Activate();
    QVERIFY(!entry.display().Pic1.ops.isEmpty());
    QCOMPARE(resumed.display().Pic1.ops, entry.display().Pic1.ops);

    // And goes on numbering where the saved run stopped.
    type(resumed, QStringLiteral("5\n/"));
    QCOMPARE(loaded.personRecords[25], QStringLiteral("(25) 5 \\.800 "));
}

void TestJobFileWriter::openEntry_leftOutOfCountsAndTotals() {
    JobState job = headerJob();
    FakePlatform platform;
    OrderEntry entry(job, platform);
    entry.Form_Load(QDir::tempPath());
    type(entry, QStringLiteral("5\n150\n400\n/"));
    type(entry, QStringLiteral("5\n5\n0150\n999\n"));  // open, not closed
    const JobState before = job;

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const JobFileSaveResult saved = writeJobFile(&buffer, job);
    QVERIFY(saved.saved);
    QCOMPARE(saved.pendingPrintsLeftOut, 4);
    QVERIFY(saved.message.contains(JobFileSaveMessages::kPendingLeftOut.arg(4)));

    // The open entry stays open, its prints still counted on the screen.
    QCOMPARE(job.pendingEntry, before.pendingEntry);
    QCOMPARE(job.printCounts, before.printCounts);
    QCOMPARE(job.grandTotalPrints, 7);

    JobState loaded;
    QVERIFY(loadBytes(loaded, buffer.data()).complete());
    const QVector<int> expected = recordCounts(loaded);
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        QCOMPARE(int(loaded.printCounts[std::size_t(n)]), expected[n]);
    QCOMPARE(loaded.printCounts[5], 1);
    QCOMPARE(loaded.grandTotalPrints, 3);
    QCOMPARE(loaded.largeTotalPrints, 1);
    QCOMPARE(loaded.mediumTotalPrints, 1);
    QCOMPARE(loaded.smallTotalPrints, 1);
    QCOMPARE(loaded.personCount, 1);
    QCOMPARE(loaded.pendingEntry, QString());
}

void TestJobFileWriter::substitutes_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("written");

    const int header = int(JobFileSection::Header);
    const int record = int(JobFileSection::Record);
    QTest::newRow("double quote") << header << 1 << QStringLiteral("山田\"写真\"館")
                                  << QStringLiteral("山田＂写真＂館");
    QTest::newRow("wave dash") << header << 2 << QStringLiteral("春〜夏")
                               << QStringLiteral("春～夏");
    QTest::newRow("yen sign") << header << 1 << QStringLiteral("¥500") << QStringLiteral("￥500");
    QTest::newRow("minus sign") << header << 3 << QStringLiteral("R6−5") << QStringLiteral("R6－5");
    QTest::newRow("double vertical line")
        << header << 2 << QStringLiteral("a‖b") << QStringLiteral("a∥b");
    QTest::newRow("cent pound not")
        << header << 4 << QStringLiteral("¢£¬") << QStringLiteral("￠￡￢");
    QTest::newRow("em dash") << header << 2 << QStringLiteral("a—b") << QStringLiteral("a―b");
    QTest::newRow("accented") << header << 4 << QStringLiteral("José") << QStringLiteral("Jos〓");
    QTest::newRow("outside the BMP")
        << header << 4 << QStringLiteral("𠮷野") << QStringLiteral("〓野");
    QTest::newRow("emoji in the date")
        << header << 3 << QStringLiteral("R6😀") << QStringLiteral("R6〓");
    QTest::newRow("lone surrogate")
        << header << 1 << QString(QChar(0xD800)) + QStringLiteral("x") << QStringLiteral("〓x");
    QTest::newRow("quote in a record") << record << 2 << QStringLiteral("(2) 5 \"x\" 150 \\.1300 ")
                                       << QStringLiteral("(2) 5 ＂x＂ 150 \\.1300 ");
    QTest::newRow("japanese in a record") << record << 2 << QStringLiteral("(2) 5 é 150 \\.1300 ")
                                          << QStringLiteral("(2) 5 〓 150 \\.1300 ");
}

void TestJobFileWriter::substitutes() {
    QFETCH(int, section);
    QFETCH(int, index);
    QFETCH(QString, original);
    QFETCH(QString, written);
    QVERIFY(cp932Holds(written));

    JobState job = headerJob();
    FakePlatform platform;
    OrderEntry entry(job, platform);
    entry.Form_Load(QDir::tempPath());
    type(entry, QStringLiteral("5\n/5\n150\n/"));
    const bool isRecord = section == int(JobFileSection::Record);
    const auto textOf = [&](const JobState& j) {
        return isRecord     ? j.personRecords[index]
               : index == 1 ? j.customerName.toText()
               : index == 2 ? j.eventName.toText()
               : index == 3 ? j.shootingDate
                            : j.photographerName.toText();
    };
    if (isRecord)
        job.personRecords[index] = original;
    else if (index == 1)
        job.customerName = original;
    else if (index == 2)
        job.eventName = original;
    else if (index == 3)
        job.shootingDate = original;
    else
        job.photographerName = original;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ptl"));
    const JobFileSaveResult saved = saveJobFile(path, job);
    QVERIFY(saved.saved);
    QCOMPARE(saved.substitutions.size(), 1);
    const JobFileSubstitution& s = saved.substitutions.first();
    QCOMPARE(int(s.section), section);
    QCOMPARE(s.index, index);
    QCOMPARE(s.original, original);
    QCOMPARE(s.written, written);
    QVERIFY(saved.message.contains(QStringLiteral("置き換えて保存しました")));
    QVERIFY(saved.message.contains(JobFileSaveMessages::substitutionLine(s)));

    // The file loads whole, with the substitute, and the same counts.
    JobState loaded;
    QVERIFY(LoadJobFile(loaded, path).complete());
    const QString loadedText = textOf(loaded);
    QCOMPARE(loadedText, written);
    QCOMPARE(loaded.printCounts, job.printCounts);
    QCOMPARE(loaded.grandTotalPrints, job.grandTotalPrints);
    QCOMPARE(loaded.personRecords[1], job.personRecords[1]);
    if (isRecord)
        QCOMPARE(photoTokens(loadedText), photoTokens(original));
    else
        QCOMPARE(loaded.personRecords[2], job.personRecords[2]);

    // The job in memory keeps its text.
    QCOMPARE(textOf(job), original);
}

void TestJobFileWriter::manySubstitutions_listedBriefly() {
    JobState job = headerJob();
    for (int k = 1; k <= 25; ++k)
        job.personRecords[k] =
            QStringLiteral("(%1) 5 \"%2\" \\.800 ").arg(k).arg(QString(60, u'x'));
    job.personCount = job.lastRecordSlot = 25;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const JobFileSaveResult saved = writeJobFile(&buffer, job);
    QVERIFY(saved.saved);
    QCOMPARE(saved.substitutions.size(), 25);  // all listed for the program
    // ... the operator reads the first ten, each cut short, and a count of the rest.
    QVERIFY(saved.message.contains(QStringLiteral("10 人目の個人データ")));
    QVERIFY(!saved.message.contains(QStringLiteral("11 人目の個人データ")));
    QVERIFY(saved.message.contains(JobFileSaveMessages::kMoreSubstitutions.arg(15)));
    QVERIFY(!saved.message.contains(QString(60, u'x')));
    QVERIFY(saved.message.contains(QStringLiteral("…")));
}

void TestJobFileWriter::largestJob_withinTheSizeBound() {
    const JobState job = maximalJob();
    const QByteArray bytes = toBytes(job);
    QVERIFY(bytes.size() > 700 * 1000);
    QVERIFY(bytes.size() <= JobFileFormat::kLargestJobFileBytes);
    JobState loaded;
    QVERIFY(loadBytes(loaded, bytes).complete());
    QCOMPARE(loaded.personRecords[1500], job.personRecords[1500]);

    // A number that is not finite cannot be written: 0 instead, and said so.
    JobState odd = makeJob();
    odd.largeUnitPrice = std::numeric_limits<double>::infinity();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const JobFileSaveResult saved = writeJobFile(&buffer, odd);
    QCOMPARE(saved.substitutions.size(), 1);
    QCOMPARE(saved.substitutions.first().index, 13);
    QVERIFY(saved.message.contains(QStringLiteral("写真（大）の単価")));
    JobState reloaded;
    QVERIFY(loadBytes(reloaded, buffer.data()).complete());
    QCOMPARE(reloaded.largeUnitPrice.value(), 0.0);
}

void TestJobFileWriter::oddJob_writtenWithinItsArrays_data() {
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<int>("countOf5");  // in the file
    QTest::newRow("fewer record slots") << 3 << QString() << 2;
    QTest::newRow("more record slots") << 3000 << QString() << 2;
    QTest::newRow("open entry beyond the photo numbers")
        << 1501 << QStringLiteral("0 10001 -3 99999999999999999999999999 abc ") << 2;
    QTest::newRow("open entry with a fraction") << 1501 << QStringLiteral("5.7 5 ") << 0;
}

void TestJobFileWriter::oddJob_writtenWithinItsArrays() {
    QFETCH(int, slotCount);
    QFETCH(QString, pending);
    QFETCH(int, countOf5);
    JobState job = headerJob();
    job.printCounts[5] = 2;
    job.printCounts[10000] = 1;
    job.personRecords.resize(slotCount);
    for (int k = 1; k < slotCount; ++k)
        job.personRecords[k] = QStringLiteral("(%1) 5 \\.800 ").arg(k);
    job.personCount = job.lastRecordSlot = std::min(slotCount - 1, JobState::kMaxPersons);
    job.pendingEntry = pending;

    JobState loaded;
    QVERIFY(loadBytes(loaded, toBytes(job)).complete());
    QCOMPARE(int(loaded.printCounts[5]), countOf5);
    QCOMPARE(int(loaded.printCounts[10000]), 1);
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        const QString expected =
            k < slotCount ? job.personRecords[k] : QStringLiteral("(%1) ").arg(k);
        QCOMPARE(loaded.personRecords[k], expected);
    }
}

void TestJobFileWriter::backup_keepsOneGeneration() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("運動会.ptl"));
    const QString bak = path + QStringLiteral(".bak");
    QCOMPARE(backupPathFor(path), bak);

    JobState job = headerJob();
    const JobFileSaveResult first = saveJobFile(path, job);
    QVERIFY(first.saved);
    QVERIFY(first.backupPath.isEmpty());
    QVERIFY(!QFile::exists(bak));
    const QByteArray firstBytes = fileBytes(path);

    job.customerName = QStringLiteral("二回目");
    const JobFileSaveResult second = saveJobFile(path, job);
    QVERIFY(second.saved);
    QCOMPARE(second.backupPath, bak);
    QCOMPARE(fileBytes(bak), firstBytes);
    const QByteArray secondBytes = fileBytes(path);
    QVERIFY(secondBytes != firstBytes);
    QCOMPARE(secondBytes, toBytes(job));

    job.customerName = QStringLiteral("三回目");
    QVERIFY(saveJobFile(path, job).saved);
    QCOMPARE(fileBytes(bak), secondBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no temporary files left
}

void TestJobFileWriter::saveFailure_leavesPreviousFileWhole_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("told");
    QTest::newRow("vanished folder")
        << "vanished"
        << JobFileSaveMessages::kCreateFailed + u'\n' + JobFileSaveMessages::kFolderMissing;
    QTest::newRow("target is a folder")
        << "folder" << JobFileSaveMessages::kCreateFailed + u'\n' + JobFileSaveMessages::kIsFolder;
    QTest::newRow("a folder holds the backup's name")
        << "backup"
        << JobFileSaveMessages::kBackupFailed.arg(QStringLiteral("data.ptl.bak")) + u'\n' +
               JobFileSaveMessages::kIsFolder;
#ifdef Q_OS_LINUX
    QTest::newRow("target is a device") << "device" << JobFileSaveMessages::kNotAFile;
#endif
}

void TestJobFileWriter::saveFailure_leavesPreviousFileWhole() {
    QFETCH(QString, kind);
    QFETCH(QString, told);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("data.ptl"));
    const QByteArray previous("previous contents");

    if (kind == u"vanished") {
        path = dir.filePath(QStringLiteral("gone/data.ptl"));
    } else if (kind == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data.ptl")));
    } else if (kind == u"backup") {
        writeFile(path, previous);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data.ptl.bak")));
    } else if (kind == u"device") {
        path = QStringLiteral("/dev/null");
    }

    const JobState job = headerJob();
    const JobFileSaveResult result = saveJobFile(path, job);
    QVERIFY(!result.saved);
    QVERIFY(result.message.startsWith(QStringLiteral("データを保存できませんでした。\n") +
                                      QDir::toNativeSeparators(path) + u'\n'));
    QVERIFY2(result.message.contains(told), qPrintable(result.message));
    QVERIFY(result.message.contains(JobFileSaveMessages::kNotReplaced));
    QVERIFY(!result.error.isEmpty());
    QVERIFY(result.message.contains(result.error));
    if (kind == u"backup") {
        QCOMPARE(fileBytes(path), previous);
        QVERIFY(result.message.contains(JobFileSaveMessages::kBackupUntouched));
    }
    if (kind != u"device") {
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QVERIFY2(left.size() <= 2, qPrintable(left.join(u',')));  // no temporary file left
    }
}

void TestJobFileWriter::deviceFailingMidWrite_reported_data() {
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<qint64>("piece");
    QTest::addColumn<bool>("stalls");
    QTest::newRow("fails at once") << qint64(0) << qint64(1 << 20) << false;
    QTest::newRow("fails in the header") << qint64(40) << qint64(1 << 20) << false;
    QTest::newRow("fails in the counts") << qint64(20000) << qint64(1 << 20) << false;
    QTest::newRow("fails in the records") << qint64(70000) << qint64(1 << 20) << false;
    QTest::newRow("takes part of each write, then fails")
        << qint64(100001) << qint64(4093) << false;
    QTest::newRow("takes part of each write, then nothing")
        << qint64(100001) << qint64(4093) << true;
    QTest::newRow("takes everything, a little at a time")
        << qint64(1) << qint64(1) << false;  // capacity: the whole job, below
}

void TestJobFileWriter::deviceFailingMidWrite_reported() {
    QFETCH(qint64, capacity);
    QFETCH(qint64, piece);
    QFETCH(bool, stalls);
    const JobState job = maximalJob();
    const QByteArray whole = jobFileContents(job).bytes;
    const bool fits = piece == 1;
    PartialWriteDevice device(fits ? whole.size() : capacity, fits ? 4093 : piece, stalls);
    const JobFileSaveResult result = writeJobFile(&device, job);
    if (fits) {
        QVERIFY(result.saved);
        QCOMPARE(device.accepted, whole);
        return;
    }
    QVERIFY(!result.saved);
    QCOMPARE(device.accepted, whole.left(capacity));
    QCOMPARE(result.message,
             JobFileSaveMessages::kDeviceFailed.arg(JobFileSaveMessages::kDeviceRefused));
    QCOMPARE(result.error, JobFileSaveMessages::kDeviceRefused);
}

void TestJobFileWriter::defaultName_data() {
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("name");
    const int usual = kMaxProposedNameBytes;
    QTest::newRow("both") << QStringLiteral("山田写真館") << QStringLiteral("運動会") << usual
                          << QStringLiteral("山田写真館_運動会.ptl");
    QTest::newRow("unsafe characters")
        << QStringLiteral("A/B:C*") << QString() << usual << QStringLiteral("A_B_C_.ptl");
    QTest::newRow("blanks and dots trimmed") << QStringLiteral("  x. ") << QStringLiteral("\"y\"")
                                             << usual << QStringLiteral("x__y_.ptl");
    QTest::newRow("nothing") << "" << QString() << usual << QStringLiteral("ピクトル.ptl");
    // Cut by bytes, not characters: 3 bytes each in UTF-8.
    QTest::newRow("both long, shared evenly")
        << QString(43, u'桜') << QString(43, u'祭') << usual
        << QString(41, u'桜') + u'_' + QString(41, u'祭') + QStringLiteral(".ptl");
    QTest::newRow("a short event leaves its room to the customer")
        << QString(100, u'桜') << QStringLiteral("運動会") << usual
        << QString(79, u'桜') + QStringLiteral("_運動会.ptl");
    QTest::newRow("one long part alone")
        << QString(100, u'桜') << QString() << usual << QString(82, u'桜') + QStringLiteral(".ptl");
    QTest::newRow("a pair of surrogates kept whole")
        << QString(3, u'桜') + QStringLiteral("𠮷𠮷") << QString() << 15
        << QString(3, u'桜') + QStringLiteral(".ptl");
    QTest::newRow("blanks and dots at the cut dropped")
        << QStringLiteral("ab. .cd") << QString() << 9 << QStringLiteral("ab.ptl");
    QTest::newRow("a smaller file system")
        << QString(100, u'a') << QString(100, u'b') << 139
        << QString(67, u'a') + u'_' + QString(67, u'b') + QStringLiteral(".ptl");
}

void TestJobFileWriter::defaultName() {
    QFETCH(QString, customer);
    QFETCH(QString, event);
    QFETCH(int, maxBytes);
    QFETCH(QString, name);
    JobState job;
    job.customerName = customer;
    job.eventName = event;
    const QString proposed = defaultJobFileName(job, maxBytes);
    QCOMPARE(proposed, name);
    QVERIFY(proposed.toUtf8().size() <= maxBytes);
}

void TestJobFileWriter::proposedName_fitsAndSaves() {
    // Customer and event of 43 characters of three bytes each.
    JobState job = jobOfPersons(1);
    job.customerName = QString(43, u'桜');
    job.eventName = QString(43, u'祭');
    QTemporaryDir dir;
    const QString proposed = suggestedJobFilePath(job, QString(), dir.path());
    QCOMPARE(QFileInfo(proposed).fileName(), defaultJobFileName(job));
    QCOMPARE(QFileInfo(proposed).absolutePath(), QDir(dir.path()).absolutePath());
    for (int round = 0; round < 2; ++round) {
        const JobFileSaveResult result = saveJobFile(proposed, job);
        QVERIFY2(result.saved, qPrintable(result.message));
    }
    QVERIFY(QFileInfo::exists(backupPathFor(proposed)));

    // Where a file was loaded or saved in this run, that file itself.
    QCOMPARE(suggestedJobFilePath(job, dir.filePath(QStringLiteral("job1.ptl")), QDir::homePath()),
             dir.filePath(QStringLiteral("job1.ptl")));
}

void TestJobFileWriter::changedElsewhere_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("changed");
    QTest::newRow("left as saved") << "none" << false;
    // As a FAT disk keeps a rewrite in the same second, or a second PC's save
    // of the same size: nothing but the bytes tells.
    QTest::newRow("rewritten in place, same size and time") << "rewrite" << true;
    // As NTFS settles the time at close, FAT gives a renamed file a new
    // number and a share reports cached times: the bytes are the same.
    QTest::newRow("same bytes, a new file with a later time") << "replace" << false;
    QTest::newRow("removed") << "remove" << false;
    QTest::newRow("another file chosen") << "other" << false;
}

// Another program's save must not be written over unasked, however it
// changed the file, whatever its times say; a file that is gone holds no
// one's work. The save looks again just before it replaces the file.
void TestJobFileWriter::changedElsewhere() {
    QFETCH(QString, change);
    QFETCH(bool, changed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.ptl"));
    const JobFileSaveResult saved = saveJobFile(path, makeJob());
    QVERIFY(saved.saved);
    const KnownJobFile known{path, saved.fileDigest, {}};
    JobState loaded;
    QCOMPARE(LoadJobFile(loaded, path).fileDigest, saved.fileDigest);

    QFile file(path);
    const QDateTime time = QFileInfo(path).lastModified();
    const FileStamp first = fileStamp(path);
    QString chosen = path;
    if (change == "rewrite") {
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.write("'") == 1);  // the customer's opening quote, in place
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
        file.close();
    } else if (change == "replace") {
        const QString copy = dir.filePath(QStringLiteral("copy"));
        QVERIFY(QFile::copy(path, copy));
        QFile copied(copy);
        QVERIFY(copied.open(QIODevice::ReadWrite));
        QVERIFY(copied.setFileTime(time.addSecs(2), QFileDevice::FileModificationTime));
        copied.close();
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(copy, path));
        QVERIFY(fileStamp(path) != first);
    } else if (change == "remove") {
        QVERIFY(QFile::remove(path));
    } else if (change == "other") {
        chosen = dir.filePath(QStringLiteral("mine.ptl"));
        QVERIFY(saveJobFile(chosen, makeJob()).saved);
    }
    QCOMPARE(::changedElsewhere(chosen, known), changed);

    // The save's own last look, as when the change comes after the choice.
    const QByteArray before = QFileInfo::exists(chosen) ? fileBytes(chosen) : QByteArray();
    JobState other = makeJob();
    other.customerName = QStringLiteral("別の得意先");
    const JobFileSaveResult again = saveJobFile(chosen, other, unchangedDigestFor(chosen, known));
    QCOMPARE(again.saved, !changed);
    QCOMPARE(again.changedElsewhere, changed);
    if (changed) {
        QCOMPARE(fileBytes(chosen), before);
        QVERIFY(!QFileInfo::exists(backupPathFor(chosen)));
    }
}

void TestJobFileWriter::unsavedWork() {
    JobState job = makeJob();
    QVERIFY(!hasUnsavedWork(job, {}));  // set up, nothing keyed
    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("/x"));
    typeKeys(engine, QStringLiteral("5\r"));
    QVERIFY(hasUnsavedWork(job, {}));  // a pupil open
    typeKeys(engine, QStringLiteral("/"));
    QVERIFY(hasUnsavedWork(job, {}));  // registered, never saved
    const KnownJobFile known{QStringLiteral("x.ptl"), {}, jobFileDigest(job)};
    QVERIFY(!hasUnsavedWork(job, known));
    job.smallUnitPrice += 10;
    QVERIFY(hasUnsavedWork(job, known));
}

QTEST_GUILESS_MAIN(TestJobFileWriter)
#include "tst_job_file_writer.moc"
