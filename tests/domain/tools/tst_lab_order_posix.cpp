// SPDX-License-Identifier: MIT
// The lab order on a disk that fills up part way: the photos are on another
// file system, the order folder goes on a small tmpfs. Nothing is left
// there, and the operator is told that the disk is full. On XFS the photos
// are reflinked: files of their own that share the photos' blocks.

#include "domain/files/file_write_texts.h"
#include "domain/files/system_files.h"
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

    void write_onXfs_reflinksFilesOfTheirOwn() {
        DiskImage xfs(DiskImage::Kind::Xfs);
        if (!xfs.mounted())
            QSKIP(qPrintable(xfs.whyNotMounted()));
        LabOrderSnapshot snapshot{makeJob(), QVector<QString>(JobState::kMaxPhotoNumber + 1), {}};
        const QString photo = xfs.filePath(QStringLiteral("0005.jpg"));
        QFile file(photo);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = "\xFF\xD8\xFF" + QByteArray(256 * 1024, 'p') + "\xFF\xD9";
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        snapshot.photoFiles[5] = photo;
        snapshot.job.personRecords[1] =
            personRecordText(1, QStringLiteral("5 "), QStringLiteral("0 "));
        snapshot.job.personCount = 1;

        const std::atomic<bool> cancel{false};
        const LabOrderResult result = writeLabOrder(
            planLabOrder(snapshot, {}, QDateTime::currentDateTime()), xfs.path(), cancel);
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(result.cloned, 2);
        QCOMPARE(result.copied, 0);
        QFile order(QDir(result.path).filePath(QStringLiteral("大/0005_1枚.jpg")));
        QVERIFY(order.open(QIODevice::ReadWrite));
        QCOMPARE(order.readAll(), bytes);
        QVERIFY(order.seek(0) && order.write("retouched") == 9);
        order.close();
        QVERIFY(fileStamp(order.fileName()).identity != fileStamp(photo).identity);
        QFile original(photo);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestLabOrderPosix)
#include "tst_lab_order_posix.moc"
