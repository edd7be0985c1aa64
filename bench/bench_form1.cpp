// SPDX-License-Identifier: MIT
// Times the input screen from a key event sent to Form1 to the end of its
// repaint, offscreen, at a maximal job: a digit, an Enter, and a close with
// its history refresh, for the last 100 of 1500 pupils of 100 prints.
// With --journal the run keeps its journal (in a temporary folder), as the
// program does, and also times each close from its key to its pupil being
// on the disk (the journal's sync thread done), waiting for that before
// the next key, as an operator's pace leaves it time to. With --paints it
// also counts, per control, the paint events of the timed keys, to show
// what a key repaints. With --preview FOLDER the photo preview is open
// beside it, showing the photos of that folder. With --roster the job has a
// roster of 2,000 pupils and each timed slip starts with its code scanned
// (a burst of keys ending with Enter), timed from the burst's first key to
// the pupil's name shown.
// With --pupils N only the last N pupils are keyed through the window (for a
// profiler: `valgrind --tool=callgrind --collect-atstart=no
// --toggle-collect='*timeEnter*'` counts the Enters alone, '*timeClose*' the
// closes).
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_form1 [--journal] [--paints]
//       [--preview FOLDER] [--pupils N] [--roster]

#include "app/program.h"
#include "bench_gui.h"
#include "domain/platform/platform_relay.h"
#include "domain/roster/slip_tie.h"
#include "gui/input/form1.h"
#include "gui/tools/frm_photo_preview.h"
#include "maximal_job.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Clock = std::chrono::steady_clock;

void report(const char* what, std::vector<double>& samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-30s n=%-6zu median %7.3f ms   p99 %7.3f ms   worst %7.3f ms\n", what,
                samples.size(), samples[samples.size() / 2], samples[samples.size() * 99 / 100],
                samples.back());
}

// Counts the paint events each control receives.
class PaintCounter : public QObject {
public:
    QMap<QString, int> counts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const QString name = watched->objectName();
            ++counts[name.isEmpty() ? QString::fromLatin1(watched->metaObject()->className())
                                    : name];
        }
        return false;
    }
};

// The Enter of a print and the close of a pupil, kept out of line so that a
// profiler can pick them out.
[[gnu::noinline]] double timeEnter(Form1& form) {
    return keyToRepaint(form, Qt::Key_Return, QChar(13));
}
[[gnu::noinline]] double timeClose(Form1& form) {
    return keyToRepaint(form, Qt::Key_Slash, QChar('/'));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Program<SilentPlatform> program(QStringLiteral("."));
    QTemporaryDir journalFolder;
    const bool withJournal = app.arguments().contains(QStringLiteral("--journal"));
    if (withJournal) {
        program.journal.setPath(journalFolder.filePath(QStringLiteral("run.journal")));
        program.context.journal = &program.journal;
    }
    JobState& job = program.job;
    job = setUpJob(100);
    const bool withRoster = app.arguments().contains(QStringLiteral("--roster"));
    if (withRoster) {
        QVector<RosterPupil> pupils;
        for (int i = 0; i < 2000; ++i)
            pupils.append({QString::number(1 + i / 400),
                           QString::number(1 + i / 40 % 10),
                           1 + i % 40,
                           QStringLiteral("生徒 花子%1").arg(i),
                           {},
                           {}});
        program.context.companion.roster = Roster(pupils);
    }

    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;

    QRandomGenerator random(11);
    const auto randomNumber = [&] { return QString::number(1 + random.bounded(9999)); };

    // 1400 pupils straight through the engine, then the last 100 through
    // the window, timed.
    const qsizetype pupilsOption = app.arguments().indexOf(QStringLiteral("--pupils"));
    const int timedPupils =
        pupilsOption >= 0 ? std::clamp(app.arguments().value(pupilsOption + 1).toInt(), 1, 100)
                          : 100;
    OrderEntry& engine = form.engine();
    for (int person = 0; person < 1500 - timedPupils; ++person) {
        for (int print = 0; print < 100; ++print) {
            for (const QChar c : randomNumber())
                engine.Form_KeyPress(c.unicode());
            engine.Form_KeyPress(OrderEntry::kKeyEnter);
        }
        engine.Form_KeyPress('/');
    }
    engine.Form_Activate();
    QCoreApplication::processEvents();

    const qsizetype preview = app.arguments().indexOf(QStringLiteral("--preview"));
    if (preview >= 0) {
        form.findChild<QAction*>(QStringLiteral("mnuPhotoPreview"))->trigger();
        frmPhotoPreview& window = program.windows.get<frmPhotoPreview>();
        if (!window.setFolder(app.arguments().value(preview + 1)) ||
            !QTest::qWaitForWindowExposed(&window))
            return 1;
        QCoreApplication::processEvents();
    }

    PaintCounter paints;
    if (app.arguments().contains(QStringLiteral("--paints")))
        app.installEventFilter(&paints);
    std::vector<double> digits, enters, closes, onDisk, scans;
    const auto* pupilLabel = form.findChild<QLabel*>(QStringLiteral("lblPupil"));
    for (int person = 0; person < timedPupils; ++person) {
        if (withRoster) {
            const int pupil = person * 19 % 2000;  // a pupil of its own each slip
            const QString code = slipCodeOf(program.context.companion.roster, pupil) + u'\r';
            const auto start = Clock::now();
            for (const QChar c : code)
                keyToRepaint(form, c == u'\r' ? Qt::Key_Return : Qt::Key(c.toUpper().unicode()), c);
            scans.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (!pupilLabel->text().contains(
                    program.context.companion.roster.pupils()[pupil].name)) {
                std::printf("the scanned pupil is not shown\n");
                return 1;
            }
        }
        for (int print = 0; print < 100; ++print) {
            for (const QChar c : randomNumber())
                digits.push_back(keyToRepaint(form, Qt::Key(Qt::Key_0 + (c.unicode() - '0')), c));
            enters.push_back(timeEnter(form));
        }
        const auto sent = Clock::now();
        closes.push_back(timeClose(form));
        if (withJournal) {
            program.journal.waitForDisk();
            onDisk.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        }
    }
    if (job.personCount != 1500) {
        std::printf("unexpected: %g persons\n", job.personCount);
        return 1;
    }
    if (withJournal && (!program.journal.isOpen() || program.journal.failed())) {
        std::printf("the journal was not written\n");
        return 1;
    }
    std::printf("input screen at %d-1500 persons of 100 prints (%g prints in all), journal %s%s\n",
                1500 - timedPupils, job.grandTotalPrints, withJournal ? "on" : "off",
                withRoster ? ", roster of 2000 pupils" : "");
    if (preview >= 0)
        std::printf("photo preview open on %s\n", qPrintable(app.arguments().value(preview + 1)));
    report("digit", digits);
    report("Enter", enters);
    report("close with history refresh", closes);
    if (withJournal)
        report("close, key to on the disk", onDisk);
    if (withRoster) {
        report("scan to the name shown", scans);
        if (program.context.companion.ties.size() != std::size_t(timedPupils)) {
            std::printf("unexpected: %zu ties\n", program.context.companion.ties.size());
            return 1;
        }
    }
    for (auto it = paints.counts.cbegin(); it != paints.counts.cend(); ++it)
        std::printf("  paints of %-20s %d\n", qPrintable(it.key()), it.value());
    return 0;
}
