// SPDX-License-Identifier: MIT
// Tying slips while keying, on the input and correction screens: a scan
// read from among the keys, the "+" box, the question for a pupil who has a
// slip already, the correction screen's change, and a restore after a
// crash keeping every tie; a job without a roster keys as it always did.

#include "app/program.h"
#include "app/run_start.h"
#include "domain/roster/slip_tie.h"
#include "gui/input/form1.h"
#include "gui/input/frm_pupil_tie.h"
#include "gui/input/frm_teisei.h"
#include "support/journaled_run_fixture.h"
#include "support/window_helpers.h"

#include <memory>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Roster classRoster() {
    return Roster({
        {QStringLiteral("6"), QStringLiteral("1"), 1, QStringLiteral("青木 空"), {}, {}},
        {QStringLiteral("6"), QStringLiteral("1"), 2, QStringLiteral("石井 海"), {}, {}},
    });
}

frmPupilTie* openBox() {
    return qobject_cast<frmPupilTie*>(QApplication::activeModalWidget());
}

QString typedNumber(Form1& form) {
    return form.engine().display().Label1;
}

}  // namespace

class TestSlipTieKeying : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

private Q_SLOTS:
    void init() { folder = std::make_unique<QTemporaryDir>(); }
    void cleanup() { folder.reset(); }

    void scanAndBox_tieSlips_andARestoreKeepsThem() {
        const Roster roster = classRoster();
        JobState keyed;
        {
            JournaledRun run(folder->path());
            run.program.context.companion.roster = roster;
            Form1& form = run.startKeyingTheDay();
            auto* pupilLabel = control<QLabel>(&form, "lblPupil");
            QVERIFY(pupilLabel->isVisible());

            // A scan arrives while "12" is being typed: the number goes on whole.
            typeIntoFocus(QStringLiteral("12") + slipCodeOf(roster, 1) + u'\r');
            QCOMPARE(typedNumber(form), QStringLiteral("12"));
            QVERIFY(pupilLabel->text().contains(QStringLiteral("石井 海")));
            typeIntoFocus(QStringLiteral("3\r/"));
            const JobState& job = run.program.job;
            QCOMPARE(job.printCounts[123], 1);
            QCOMPARE(run.program.context.companion.ties, (std::map<int, int>{{1, 1}}));

            // By hand: "+", class ".", number, Enter; Esc leaves a second box.
            typeIntoFocus(QStringLiteral("+"));
            frmPupilTie* box = openBox();
            QVERIFY(box);
            QTRY_VERIFY(box->isActiveWindow());
            typeIntoFocus(QStringLiteral("1.1"));
            QVERIFY(control<QLabel>(box, "lblName")->text().contains(QStringLiteral("青木 空")));
            typeIntoFocus(QStringLiteral("\r"));
            QTRY_VERIFY(!openBox() && form.isActiveWindow());
            QCOMPARE(run.program.context.slipTies.openSlip(), 0);
            typeIntoFocus(QStringLiteral("+"));
            QTRY_VERIFY(openBox() && openBox()->isActiveWindow());
            QTest::keyClick(openBox(), Qt::Key_Escape);
            QTRY_VERIFY(!openBox() && form.isActiveWindow());
            QCOMPARE(run.program.context.slipTies.openSlip(), 0);
            typeIntoFocus(QStringLiteral("5\r/"));

            // Pupil 1 (石井) again: the question's Enter answer (cancel) keeps
            // the slip untied; the other answer ties it.
            FakePlatform& platform = run.program.platform;
            typeIntoFocus(slipCodeOf(roster, 1) + u'\r');
            QCOMPARE(platform.choices.size(), 1);
            QCOMPARE(platform.choices[0].defaultAnswer, 1);
            QVERIFY(!run.program.context.slipTies.openSlip());
            platform.choiceAnswers = {0};
            typeIntoFocus(slipCodeOf(roster, 1) + u'\r');
            QCOMPARE(run.program.context.slipTies.openSlip(), 1);
            typeIntoFocus(QStringLiteral("7\r"));  // left open, as in a crash

            // The correction screen takes pupil 1's tie off.
            frmTeisei& correction = run.program.windows.get<frmTeisei>();
            QVERIFY(correction.showRegisteredPerson(1));
            QVERIFY(control<QLabel>(&correction, "lblPupilTie")->text().contains(u"石井 海"));
            control<QPushButton>(&correction, "cmdPupilTie")->click();
            QVERIFY(openBox());
            control<QPushButton>(openBox(), "cmdUntie")->click();
            QTRY_VERIFY(!openBox());
            QCOMPARE(run.program.context.companion.ties, (std::map<int, int>{{2, 0}}));
            keyed = job;
        }

        JournaledRun second(folder->path());
        second.program.platform.questionAnswers = {true};
        startRunWithJournal(second.program.context, second.store);
        Form1* form = second.program.windows.find<Form1>();
        QVERIFY(form);
        QCOMPARE(second.program.context.companion.ties, (std::map<int, int>{{2, 0}}));
        QCOMPARE(second.program.context.slipTies.openSlip(), 1);
        // The open slip closes as pupil 3, tied.
        form->activateWindow();
        QTRY_VERIFY(form->isActiveWindow());
        typeIntoFocus(QStringLiteral("/"));
        QCOMPARE(second.program.context.companion.ties, (std::map<int, int>{{2, 0}, {3, 1}}));
    }

    void withoutRoster_keysAsAlways() {
        JournaledRun run(folder->path());
        Form1& form = run.startKeyingTheDay();
        QVERIFY(!control<QLabel>(&form, "lblPupil")->isVisible());
        typeIntoFocus(QStringLiteral("1+P2\r"));
        QVERIFY(!openBox());
        QCOMPARE(run.program.job.printCounts[12], 1);
    }
};

QTEST_MAIN(TestSlipTieKeying)
#include "tst_slip_tie_keying.moc"
