// SPDX-License-Identifier: MIT
#include "gui/input/form1.h"
#include "gui/input/frm_teisei.h"
#include "gui/setup/frm_film.h"
#include "gui/setup/frm_settei_joho.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The settings view, opened from the input screen.
class TestFrmSetteiJoho : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;
    frmSetteiJoho* view = nullptr;

    QString text(const char* name) { return control<QLineEdit>(view, name)->text(); }
    bool checked(const char* name) { return control<QRadioButton>(view, name)->isChecked(); }

    void openForm(const JobState& job) {
        program->job = job;
        QVERIFY(showActive(*program, form));
    }

    void openView() {
        control<QAction>(form, "mnuSettei")->trigger();
        view = program->windows.find<frmSetteiJoho>();
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowActive(view));
    }

    // Makes another window the active one, as the operator's click does.
    static void activate(QWidget* window) {
        window->raise();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

private Q_SLOTS:
    void init() { program = std::make_unique<Program<FakePlatform>>(); }
    void cleanup() {
        view = nullptr;
        form = nullptr;
        program.reset();
    }

    void opens_showingTheJob() {
        openForm(keyedJob());
        QVERIFY(control<QAction>(form, "mnuSettei")->isEnabled());
        openView();
        QCOMPARE(view->windowTitle(), QStringLiteral("Film設定情報"));
        QCOMPARE(control<QGroupBox>(view, "Frame2")->title(), QStringLiteral("ネガ大　 設定"));
        QCOMPARE(control<QGroupBox>(view, "Frame1")->title(), QStringLiteral("ネガ中　設定"));
        QCOMPARE(control<QPushButton>(view, "Command3")->text(),
                 QStringLiteral("スナップのみ設定"));
        QCOMPARE(control<QLabel>(view, "Label9")->text(), QStringLiteral("ネガ（小）スナップ"));

        QCOMPARE(jobSettingsShown(view), sampleJobSettingsShown());
        // The input screen stays usable behind it.
        QVERIFY(form->isVisible() && form->isEnabled());
    }

    void switchedOffSizes_rowsHidden_data() {
        QTest::addColumn<bool>("largeOff");
        QTest::addColumn<bool>("mediumOff");
        QTest::newRow("large off") << true << false;
        QTest::newRow("medium off") << false << true;
        QTest::newRow("snaps only") << true << true;
    }
    void switchedOffSizes_rowsHidden() {
        QFETCH(bool, largeOff);
        QFETCH(bool, mediumOff);
        openForm(switchedOffJob(largeOff, mediumOff));
        openView();
        QCOMPARE(checked("Option2"), largeOff);
        QCOMPARE(checked("Option5"), !largeOff);
        QCOMPARE(checked("Option3"), mediumOff);
        QCOMPARE(checked("Option1"), !mediumOff);
        for (const QString& name : largeRowControlNames())
            QVERIFY2(view->findChild<QWidget*>(name)->isVisible() == !largeOff, qPrintable(name));
        for (const QString& name : mediumRowControlNames())
            QVERIFY2(view->findChild<QWidget*>(name)->isVisible() == !mediumOff, qPrintable(name));
        QCOMPARE(text("tbShouStart"), QStringLiteral("301"));
        QCOMPARE(text("tbShouMai"), QStringLiteral("699"));
        QCOMPARE(text("tbShouTanka"), QStringLiteral("100"));
    }

    void sameControlNamesAsTheSetupScreen() {
        openForm(keyedJob());
        openView();
        FrmFilm& film = program->windows.get<FrmFilm>();
        QStringList names = largeRowControlNames() + mediumRowControlNames();
        names << "tbTokuisaki"
              << "tbGyouji"
              << "tbSatueibi"
              << "tbSatueisha"
              << "Option5"
              << "Option2"
              << "Option1"
              << "Option3"
              << "Command3"
              << "tbShouStart"
              << "tbShouEnd"
              << "tbShouMai"
              << "tbShouTanka"
              << "Label9"
              << "Label11";
        for (const QString& name : names) {
            QWidget* inView = view->findChild<QWidget*>(name);
            QWidget* inSetup = film.findChild<QWidget*>(name);
            QVERIFY2(inView && inSetup, qPrintable(name));
            QCOMPARE(inView->metaObject()->className() == QByteArray("QLabel"),
                     inSetup->metaObject()->className() == QByteArray("QLabel"));
        }
    }

    void onlyShows_nothingChangesTheJob() {
        openForm(keyedJob());
        openView();
        const JobState before = program->job;
        for (const char* name : {"tbDaiStart", "tbTokuisaki", "tbShouTanka"})
            QVERIFY2(control<QLineEdit>(view, name)->isReadOnly(), name);
        QTest::mouseClick(control<QRadioButton>(view, "Option2"), Qt::LeftButton);
        QTest::mouseClick(control<QRadioButton>(view, "Option3"), Qt::LeftButton);
        QVERIFY(checked("Option5") && checked("Option1"));
        auto* snapsOnly = control<QPushButton>(view, "Command3");
        QTest::mouseClick(snapsOnly, Qt::LeftButton);
        QVERIFY(control<QLineEdit>(view, "tbDaiStart")->isVisible());
        QCOMPARE(program->job.largeMode.value(), before.largeMode.value());
        QCOMPARE(program->job.mediumMode, before.mediumMode);
        QCOMPARE(program->job.largeEnd.value(), before.largeEnd.value());
        QCOMPARE(program->job.mediumUnitPrice.value(), before.mediumUnitPrice.value());
    }

    void everyActivation_showsTheJobAsItIs() {
        openForm(keyedJob());
        openView();
        control<QLineEdit>(view, "tbGyouji")->setText(QStringLiteral("書き込み"));
        program->job.customerName = QStringLiteral("さくら小学校 分校");
        activate(form);
        activate(view);
        QCOMPARE(text("tbGyouji"), QStringLiteral("運動会"));
        QCOMPARE(text("tbTokuisaki"), QStringLiteral("さくら小学校 分校"));
    }

    void losingFocus_neverTakesItFromAnotherWindow() {
        openForm(keyedJob());
        openView();
        // The operator goes to the correction screen: it keeps the focus.
        frmTeisei& correction = program->windows.get<frmTeisei>();
        correction.show();
        activate(&correction);
        QTest::qWait(50);
        QCOMPARE(QApplication::activeWindow(), &correction);

        // Back to the view, then to the input screen: that one has it.
        activate(view);
        activate(form);
        QTest::qWait(50);
        QCOMPARE(QApplication::activeWindow(), form);
    }

    void closing_givesInputScreenTheFocus_andStartsAfresh() {
        openForm(switchedOffJob(true, false));
        openView();
        QVERIFY(!control<QLineEdit>(view, "tbDaiStart")->isVisible());
        QVERIFY(view->close());
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTRY_VERIFY(!program->windows.find<frmSetteiJoho>());

        // The next opening is a new window.
        program->job.largeMode = 0;
        program->job.largeStart = 1;
        program->job.largeEnd = 50;
        openView();
        QVERIFY(control<QLineEdit>(view, "tbDaiStart")->isVisible());
        QCOMPARE(text("tbDaiMai"), QStringLiteral("50"));
    }
};

QTEST_MAIN(TestFrmSetteiJoho)
#include "tst_frm_settei_joho.moc"
