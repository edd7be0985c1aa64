// SPDX-License-Identifier: MIT
#include "app/start.h"
#include "gui/dialogs/frm_end.h"
#include "gui/dialogs/frm_start.h"
#include "gui/input/form1.h"
#include "gui/setup/frm_film.h"
#include "support/dialogs_fixture.h"

#include <memory>

#include <QApplication>
#include <QPushButton>
#include <QTest>

// One run from the start screen through the job setup to the input screen
// and its exit confirmation.
class TestProgramFlow : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<DialogsFixture>(); }
    void cleanup() { fixture.reset(); }

    void startThroughSetupToInputScreenAndExit();

private:
    std::unique_ptr<DialogsFixture> fixture;
};

void TestProgramFlow::startThroughSetupToInputScreenAndExit() {
    startProgram(fixture->context);
    QTRY_VERIFY_WITH_TIMEOUT(fixture->windows.find<FrmFilm>(), 3000);
    FrmFilm* film = fixture->windows.find<FrmFilm>();
    QVERIFY(QTest::qWaitForWindowActive(film));
    QVERIFY(!fixture->windows.find<frmStart>());

    // Snaps only: small 1 to 50 at 120, then Enter through to the finish
    // button and Enter on it.
    QTest::mouseClick(film->findChild<QPushButton*>("Command3"), Qt::LeftButton);
    for (const char* text : {"1", "50", "120"}) {
        QTest::keyClicks(QApplication::focusWidget(), QLatin1String(text));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    Form1* form1 = fixture->windows.find<Form1>();
    QVERIFY(form1);
    QVERIFY(QTest::qWaitForWindowActive(form1));
    QVERIFY(!film->isVisible());
    QCOMPARE(fixture->job.smallEnd, 50);
    QCOMPARE(fixture->job.smallUnitPrice, 120);

    // A pupil keyed but not closed: the finish button asks first, as no job
    // file has that pupil; going back leaves everything as it was, the
    // pupil still open.
    for (const Qt::Key key : {Qt::Key_2, Qt::Key_3, Qt::Key_Return})
        QTest::keyClick(QApplication::focusWidget(), key);
    fixture->platform.choiceAnswers = {2};
    QTest::mouseClick(form1->findChild<QPushButton*>("Command3"), Qt::LeftButton);
    QCOMPARE(fixture->job.pendingEntry, QStringLiteral("23 "));
    QCOMPARE(fixture->job.personCount, 0);
    QCOMPARE(fixture->platform.choices.size(), 1);
    QVERIFY(!fixture->windows.find<FrmEnd>());
    QVERIFY(form1->isVisible());
    QCOMPARE(fixture->platform.programEnds, 0);

    // Ending without saving ends the run.
    fixture->platform.choiceAnswers = {1};
    auto* finish = form1->findChild<QPushButton*>("Command3");
    QCOMPARE(runUntilProgramEnds(form1, [finish] { QTest::mouseClick(finish, Qt::LeftButton); }),
             0);
    QCOMPARE(fixture->platform.programEnds, 1);
    QCOMPARE(fixture->job.personRecords[1], QStringLiteral("(1) 23 \\.120 "));
}

QTEST_MAIN(TestProgramFlow)
#include "tst_program_flow.moc"
