// SPDX-License-Identifier: MIT
// The lab order on a disk that fills up part way: the photos are on another
// file system (so they are copied, links being refused across devices), the
// order folder goes on a small tmpfs. Nothing is left there, and the
// operator is told that the disk is full.

#include "domain/files/file_write_texts.h"
#include "domain/tools/lab_order.h"
#include "support/job_builder.h"
#include "support/posix_faults_fixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestLabOrderPosix : public QObject {
    Q_OBJECT

private slots:
    void write_diskFillsUp_leavesNothingAndSaysTheDiskIsFull() {
        SmallFileSystem disk(256 * 1024);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNotMounted()));
        QTemporaryDir photos;
        LabOrderSnapshot snapshot{makeJob(), QVector<QString>(JobState::kMaxPhotoNumber + 1), {}};
        QString entry;
        for (int n = 1; n <= 40; ++n) {
            const QString path = photos.filePath(QStringLiteral("%1.jpg").arg(n));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(QByteArray(20 * 1024, char(n))), 20 * 1024);
            snapshot.photoFiles[n] = path;
            entry += QString::number(n) + u' ';
        }
        snapshot.job.personRecords[1] = personRecordText(1, entry, QStringLiteral("0 "));
        snapshot.job.personCount = 1;

        const std::atomic<bool> cancel{false};
        const LabOrderResult result = writeLabOrder(
            planLabOrder(snapshot, {}, QDateTime::currentDateTime()), disk.path(), cancel);
        QVERIFY(!result.written);
        QCOMPARE(result.fault, FileFault::DiskFull);
        QVERIFY(result.copied > 0);
        QVERIFY2(result.message.contains(FileWriteTexts::kDiskFull), qPrintable(result.message));
        QVERIFY(result.message.endsWith(LabOrderTexts::kNothingLeft));
        QCOMPARE(
            QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }
};

QTEST_GUILESS_MAIN(TestLabOrderPosix)
#include "tst_lab_order_posix.moc"
