// SPDX-License-Identifier: MIT
// The save command of the input screen on a full disk: a small file system
// mounted for the test, which only a Linux system (and root) allows.
#include "domain/files/job_file_commands.h"
#include "gui/input/form1.h"
#include "gui/setup/frm_film.h"
#include "support/job_window_fixture.h"
#include "support/posix_faults_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QPushButton>
#include <QtTest>

class TestJobFileSaveCommandPosix : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;

    FakePlatform& platform() { return program->platform; }

    void loadAndStart(const QString& path) { ::loadAndStart(*program, path, form); }
    void saveAsProposed() { ::saveAsProposed(platform()); }

private Q_SLOTS:
    void init() { program = std::make_unique<Program<FakePlatform>>(); }
    void cleanup() {
        form = nullptr;
        program.reset();
    }

    void fullDisk_toldJobKeptAndSavedOnceThereIsRoom() {
        SmallFileSystem disk(128 * 1024);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNotMounted()));
        const QString job1 = disk.filePath(QStringLiteral("job1.ptl"));
        QVERIFY(writeJob(keyedJob(), job1));
        const QByteArray yesterday = fileBytes(job1);
        loadAndStart(job1);
        if (QTest::currentTestFailed())
            return;
        typeIntoFocus(QStringLiteral("7\r8\r/"));
        const JobState before = program->job;
        QVERIFY(disk.leaveFree(12 * 1024));

        saveAsProposed();
        QCOMPARE(platform().messages.size(), 1);
        const QString told = platform().messages.constFirst();
        QVERIFY2(told.contains(JobFileSaveMessages::kDiskFull), qPrintable(told));
        QVERIFY(told.contains(QDir::toNativeSeparators(job1)));
        QCOMPARE(fileBytes(job1), yesterday);
        QVERIFY(!QFileInfo::exists(backupPathFor(job1)));
        QCOMPARE(program->job.personCount, before.personCount);
        QCOMPARE(program->job.personRecords, before.personRecords);
        QCOMPARE(program->job.printCounts, before.printCounts);

        QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
        platform().clear();
        saveAsProposed();
        QCOMPARE(platform().fileDialogs.constLast().suggestedPath, job1);
        QVERIFY2(platform().messages.isEmpty(), qPrintable(platform().messages.join('\n')));
        QCOMPARE(fileBytes(backupPathFor(job1)), yesterday);
        JobState loaded;
        QVERIFY(LoadJobFile(loaded, job1).complete());
        verifySameJob(loaded, program->job);
    }
};

QTEST_MAIN(TestJobFileSaveCommandPosix)
#include "tst_job_file_save_command_posix.moc"
