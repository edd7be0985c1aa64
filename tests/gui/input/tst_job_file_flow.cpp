// SPDX-License-Identifier: MIT
#include "domain/roster/job_companion.h"
#include "gui/input/form1.h"
#include "gui/run_photos.h"
#include "gui/setup/frm_film.h"
#include "support/job_window_fixture.h"
#include "support/window_helpers.h"

#include <memory>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// A day's work resumed: a job file loaded on the setup screen, one more
// pupil keyed on the input screen, the job saved and loaded by a new run.
class TestJobFileFlow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadKeySaveAndResume();
    void photoFolder_keptBesideTheJobFile_andADamagedCompanionTold();
};

namespace {

// A run with the job file at path loaded on its setup screen.
std::unique_ptr<Program<FakePlatform>> runWithLoaded(const QString& path) {
    auto run = std::make_unique<Program<FakePlatform>>();
    run->windows.get<FrmFilm>().loadJobFile(path);
    return run;
}

}  // namespace

void TestJobFileFlow::photoFolder_keptBesideTheJobFile_andADamagedCompanionTold() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day1.ptl"));
    QVERIFY(writeJob(keyedJob(), path));
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray jobBytes = original.readAll();
    original.close();

    auto run = runWithLoaded(path);
    QVERIFY(!QFile::exists(jobCompanionPath(path)));  // nothing new for a job as it was
    run->platform.fileAnswers = {dir.path()};
    QVERIFY(choosePhotoFolder(run->context));
    run->platform.fileAnswers = {path};
    Form1& form = run->windows.get<Form1>();
    QVERIFY(form.saveJob());
    QVERIFY2(run->platform.messages.isEmpty(), qPrintable(run->platform.messages.join('\n')));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), jobBytes);  // the job file as it always was

    auto next = runWithLoaded(path);
    QVERIFY(photoFolderChosen(next->context));
    QCOMPARE(runPhotoFolder(next->context).path(), dir.path());

    QFile damaged(jobCompanionPath(path));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("{\"format\": 1, \"ro") > 0);
    damaged.close();
    auto third = runWithLoaded(path);
    QCOMPARE(third->job.personCount, keyedJob().personCount);
    QCOMPARE(third->platform.messages.size(), 1);
    QVERIFY(third->platform.messages[0].contains(QStringLiteral("ジョブはそのまま読み込みました")));
    QVERIFY(!photoFolderChosen(third->context));
}

void TestJobFileFlow::loadKeySaveAndResume() {
    QTemporaryDir dir;
    const JobState yesterday = keyedJob();
    const QString firstPath = dir.filePath(QStringLiteral("day1.ptl"));
    QVERIFY(writeJob(yesterday, firstPath));

    auto run = std::make_unique<Program<FakePlatform>>();
    FrmFilm& film = run->windows.get<FrmFilm>();
    film.show();
    QVERIFY(QTest::qWaitForWindowActive(&film));
    run->platform.fileAnswers = {firstPath};
    QTest::mouseClick(control<QPushButton>(&film, "Command1"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("Command2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // finish

    Form1* form = run->windows.find<Form1>();
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    QVERIFY(!film.isVisible());
    // The input screen shows the loaded totals.
    QCOMPARE(control<QLabel>(form, "tbNin")->text(), QStringLiteral(" 3"));
    QCOMPARE(control<QLabel>(form, "tbShouNanMai")->text(),
             QStringLiteral(" %1").arg(yesterday.smallTotalPrints));

    // One more pupil: two small prints and a large one.
    typeIntoFocus(QStringLiteral("301\r301\r7\r/"));
    QCOMPARE(run->job.personCount, 4);
    QCOMPARE(run->job.personRecords[4], QStringLiteral("(4) 301 301 7 \\.1000 "));

    const QString secondPath = dir.filePath(QStringLiteral("day2.ptl"));
    run->platform.fileAnswers = {secondPath};
    QTest::keyClick(keyTarget(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY2(run->platform.messages.isEmpty(), qPrintable(run->platform.messages.join('\n')));

    JobState resumed;
    const JobFileLoadResult result = LoadJobFile(resumed, secondPath);
    QVERIFY2(result.complete(), qPrintable(result.message));
    QCOMPARE(resumed.printCounts, run->job.printCounts);
    QCOMPARE(resumed.printCounts, countsOfRecords(resumed));
    QCOMPARE(resumed.printCounts[301], yesterday.printCounts[301] + 2);
    QCOMPARE(resumed.personRecords, recordsAsLoaded(run->job));
    QCOMPARE(resumed.personCount, 4);
    QCOMPARE(resumed.lastRecordSlot, 4);
    QCOMPARE(resumed.grandTotalPrints, yesterday.grandTotalPrints + 3);
    QCOMPARE(resumed.largeTotalPrints, yesterday.largeTotalPrints + 1);
    QCOMPARE(resumed.smallTotalPrints, yesterday.smallTotalPrints + 2);
    QCOMPARE(resumed.customerName.toText(), yesterday.customerName.toText());

    // The next run's input screen shows the same totals and history.
    const InputDisplay today = form->engine().display();
    auto next = std::make_unique<Program<FakePlatform>>();
    next->job = resumed;
    Form1& again = next->windows.get<Form1>();
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    const InputDisplay shown = again.engine().display();
    QCOMPARE(shown.tbNin, today.tbNin);
    QCOMPARE(shown.tbDaiNanMai, today.tbDaiNanMai);
    QCOMPARE(shown.tbChuNanMai, today.tbChuNanMai);
    QCOMPARE(shown.tbShouNanMai, today.tbShouNanMai);
    QCOMPARE(next->job.historyLines, run->job.historyLines);
    QCOMPARE(next->job.historyRowCount, run->job.historyRowCount);
}

QTEST_MAIN(TestJobFileFlow)
#include "tst_job_file_flow.moc"
