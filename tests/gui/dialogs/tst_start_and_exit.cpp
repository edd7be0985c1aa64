// SPDX-License-Identifier: MIT
#include "app/start.h"
#include "gui/dialogs/frm_end.h"
#include "gui/dialogs/frm_start.h"
#include "gui/setup/frm_film.h"
#include "support/dialogs_fixture.h"

#include <memory>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestStartAndExit : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<DialogsFixture>(); }
    void cleanup() { fixture.reset(); }

    void startScreen_texts();
    void startProgram_opensSetupAfterTwoSecondsAndGoes();
    void exitConfirmation_texts();
    void cancel_hidesAndLeavesEverythingAsItWas();
    void closeBox_hidesConfirmation();
    void confirmation_opensOnCancel_soEnterGoesBack();
    void ok_byEnter_endsProgramAtOnce();

private:
    std::unique_ptr<DialogsFixture> fixture;
};

void TestStartAndExit::startScreen_texts() {
    auto& start = fixture->windows.get<frmStart>();
    QCOMPARE(start.windowTitle(), QStringLiteral("学校写真　番号集計ソフト ピクトル"));
    QCOMPARE(start.findChild<QLabel*>("Label2")->text(), QStringLiteral("ピクトル"));
    QCOMPARE(start.findChild<QLabel*>("Label5")->text(),
             QStringLiteral("写真番号の集計を始めます。"));
    QCOMPARE(start.findChild<QLabel*>("Label6")->text(),
             QStringLiteral("  しばらくお待ち下さい。"));
}

void TestStartAndExit::startProgram_opensSetupAfterTwoSecondsAndGoes() {
    QElapsedTimer clock;
    clock.start();
    startProgram(fixture->context);
    QPointer<frmStart> start = fixture->windows.find<frmStart>();
    QVERIFY(start);
    QVERIFY(start->isVisible());
    auto* timer = start->findChild<QTimer*>("Timer1");
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 2000);
    QVERIFY(timer->isActive());

    QTest::qWait(1500);
    QVERIFY(!fixture->windows.find<FrmFilm>());
    QVERIFY(start);

    QTRY_VERIFY_WITH_TIMEOUT(fixture->windows.find<FrmFilm>(), 2000);
    QVERIFY(clock.elapsed() >= 1900);
    FrmFilm* film = fixture->windows.find<FrmFilm>();
    QVERIFY(film->isVisible());
    QVERIFY(!fixture->windows.find<frmStart>());
    QTRY_VERIFY(!start);  // destroyed, not just hidden
    QVERIFY(QTest::qWaitForWindowActive(film));
    QCOMPARE(QApplication::focusWidget(), film->findChild<QWidget*>("tbDaiStart"));
}

void TestStartAndExit::exitConfirmation_texts() {
    auto& confirmation = fixture->windows.get<FrmEnd>();
    QCOMPARE(confirmation.windowTitle(),
             QStringLiteral("学校写真番号集計ソフト  ピクトルの終了確認"));
    QCOMPARE(confirmation.findChild<QLabel*>("Label3")->text(), QStringLiteral("ピクトル"));
    QCOMPARE(confirmation.findChild<QLabel*>("Label1")->text(),
             QStringLiteral("学校写真番号集計ソフト"));
    QCOMPARE(confirmation.findChild<QLabel*>("Label2")->text(),
             QStringLiteral("このソフトを終了しますか？"));
    QVERIFY(!confirmation.findChild<QLabel*>("Image1")->pixmap().isNull());
    auto* ok = confirmation.findChild<QPushButton*>("Command1");
    auto* cancel = confirmation.findChild<QPushButton*>("Command2");
    QCOMPARE(ok->text(), QStringLiteral("Ｏ Ｋ（終了する）"));
    QCOMPARE(cancel->text(), QStringLiteral("キャンセル（戻る）"));
    QVERIFY(ok->autoDefault());
    QVERIFY(cancel->autoDefault());
}

void TestStartAndExit::cancel_hidesAndLeavesEverythingAsItWas() {
    auto& film = fixture->windows.get<FrmFilm>();
    film.show();
    QVERIFY(QTest::qWaitForWindowActive(&film));
    QTest::keyClicks(QApplication::focusWidget(), "12");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    film.findChild<QAction*>("mnuEnd")->trigger();
    FrmEnd* confirmation = fixture->windows.find<FrmEnd>();
    QVERIFY(QTest::qWaitForWindowActive(confirmation));

    QTest::mouseClick(confirmation->findChild<QPushButton*>("Command2"), Qt::LeftButton);

    QVERIFY(!confirmation->isVisible());
    QCOMPARE(fixture->windows.find<FrmEnd>(), confirmation);  // hidden, not unloaded
    QVERIFY(film.isVisible());
    QCOMPARE(fixture->job.largeStart.value(), 12);
    QCOMPARE(film.findChild<QLineEdit*>("tbDaiStart")->text(), QStringLiteral("12"));
    QVERIFY(fixture->platform.calls.isEmpty());

    // Asking again shows the same window.
    film.findChild<QAction*>("mnuEnd")->trigger();
    QCOMPARE(fixture->windows.find<FrmEnd>(), confirmation);
    QVERIFY(confirmation->isVisible());
}

void TestStartAndExit::closeBox_hidesConfirmation() {
    auto& film = fixture->windows.get<FrmFilm>();
    film.show();
    auto& confirmation = fixture->windows.get<FrmEnd>();
    confirmation.show();
    QVERIFY(QTest::qWaitForWindowActive(&confirmation));
    QVERIFY(confirmation.close());
    QVERIFY(!confirmation.isVisible());
    QVERIFY(film.isVisible());
}

void TestStartAndExit::confirmation_opensOnCancel_soEnterGoesBack() {
    auto& confirmation = fixture->windows.get<FrmEnd>();
    auto* cancel = confirmation.findChild<QPushButton*>("Command2");
    confirmation.show();
    QVERIFY(QTest::qWaitForWindowActive(&confirmation));
    QCOMPARE(confirmation.focusWidget(), cancel);
    QTest::keyClick(confirmation.focusWidget(), Qt::Key_Return);
    QVERIFY(!confirmation.isVisible());
    QCOMPARE(fixture->platform.programEnds, 0);

    // Shown again after the focus was left on OK, it opens on cancel again.
    confirmation.findChild<QPushButton*>("Command1")->setFocus();
    confirmation.show();
    QVERIFY(QTest::qWaitForWindowActive(&confirmation));
    QCOMPARE(confirmation.focusWidget(), cancel);
}

void TestStartAndExit::ok_byEnter_endsProgramAtOnce() {
    CloseProbe other;
    other.show();
    auto& confirmation = fixture->windows.get<FrmEnd>();
    confirmation.show();
    QVERIFY(QTest::qWaitForWindowActive(&confirmation));
    auto* ok = confirmation.findChild<QPushButton*>("Command1");
    ok->setFocus(Qt::TabFocusReason);

    const int code = runUntilProgramEnds(this, [ok] { QTest::keyClick(ok, Qt::Key_Return); });

    QCOMPARE(code, 0);
    QCOMPARE(other.closes, 0);  // ended at once: no close handling ran
}

QTEST_MAIN(TestStartAndExit)
#include "tst_start_and_exit.moc"
