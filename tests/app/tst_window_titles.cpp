// SPDX-License-Identifier: MIT
// Window titles as the window system receives them: the program runs on a
// private X server (Xvfb) through Qt's xcb platform, and each window's
// _NET_WM_NAME is read back with xprop. Qt's offscreen platform, and
// windowTitle(), never show what the xcb platform adds to a title (the
// application display name), so only a real X server tells.
//
// The run is driven with xdotool: the start screen, the setup screen, a
// refusal's message box, the input screen and the exit confirmation.

#include "gui/dialogs/frm_end.h"
#include "gui/dialogs/frm_start.h"
#include "gui/input/form1.h"
#include "gui/setup/frm_film.h"
#include "support/private_x_server.h"
#include "support/program_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kMessageTitle = QStringLiteral("ピクトル");

}  // namespace

class TestWindowTitles : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    PrivateXServer server;
    QProcess program;

    QProcessEnvironment x11Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), server.display());
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return env;
    }

    // Runs an X client to its end; its output, or an empty text on failure.
    QString x11(const QString& tool, const QStringList& args) const {
        QProcess process;
        process.setProcessEnvironment(x11Environment());
        process.start(tool, args);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return {};
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The _NET_WM_NAME of every window that is mapped, by window id.
    QHash<QString, QString> shownTitles() const {
        QHash<QString, QString> titles;
        const QStringList ids = x11(QStringLiteral("xdotool"),
                                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), QStringLiteral(".")})
                                    .split(u'\n', Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QString line = x11(QStringLiteral("xprop"),
                                     {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_NAME")});
            // _NET_WM_NAME(UTF8_STRING) = "title"
            const qsizetype open = line.indexOf(u'"');
            const qsizetype close = line.lastIndexOf(u'"');
            if (open >= 0 && close > open)
                titles.insert(id, line.mid(open + 1, close - open - 1));
        }
        return titles;
    }

    // Waits until a window with this title is shown; its id, or empty.
    QString waitForTitle(const QString& title, int ms = 10000) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            const QHash<QString, QString> titles = shownTitles();
            for (auto it = titles.cbegin(); it != titles.cend(); ++it) {
                if (it.value() == title)
                    return it.key();
            }
            QTest::qWait(50);
        }
        qWarning() << "shown:" << shownTitles().values();
        return {};
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"Xvfb", "xprop", "xdotool"}) {
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                     qPrintable(QStringLiteral("%1 is not installed (scripts/setup.sh installs it)")
                                    .arg(QLatin1String(tool))));
        }
        QVERIFY(home.isValid());
        QVERIFY(server.start(140));
        QTRY_VERIFY_WITH_TIMEOUT(
            !x11(QStringLiteral("xprop"),
                 {QStringLiteral("-root"), QStringLiteral("-len"), QStringLiteral("1")})
                 .isEmpty(),
            10000);
    }

    void cleanupTestCase() {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    // Every title as the program's windows define it, and nothing after it.
    void realRun_titlesAsTheWindowsDefineThem() {
        // The texts the windows carry, from windows built here (offscreen).
        QString startTitle, setupTitle, inputTitle, endTitle;
        {
            ProgramFixture fixture;
            startTitle = fixture.windows.get<frmStart>().windowTitle();
            setupTitle = fixture.windows.get<FrmFilm>().windowTitle();
            inputTitle = fixture.windows.get<Form1>().windowTitle();
            endTitle = fixture.windows.get<FrmEnd>().windowTitle();
        }
        QCOMPARE(startTitle, QStringLiteral("学校写真　番号集計ソフト ピクトル"));
        QCOMPARE(endTitle, QStringLiteral("学校写真番号集計ソフト  ピクトルの終了確認"));

        QProcessEnvironment env = x11Environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(PICTOR_PROGRAM), QStringList());
        QVERIFY(program.waitForStarted());

        QVERIFY(!waitForTitle(startTitle).isEmpty());
        const QString setup = waitForTitle(setupTitle);
        QVERIFY(!setup.isEmpty());

        // A refusal: 0 in the large start box, left with Tab.
        server.keys(setup, {QStringLiteral("0"), QStringLiteral("Tab")});
        const QString box = waitForTitle(kMessageTitle);
        QVERIFY(!box.isEmpty());
        server.keys(box, {QStringLiteral("Return")});

        // A whole job by the keyboard, then the finish button.
        QTRY_VERIFY(!shownTitles().values().contains(kMessageTitle));
        server.keys(setup, PrivateXServer::wholeJobKeys());
        const QString input = waitForTitle(inputTitle);
        QVERIFY(!input.isEmpty());

        // The quit command opens the exit confirmation.
        server.keys(input,
                    {QStringLiteral("alt+f"), QStringLiteral("Up"), QStringLiteral("Return")});
        const QString end = waitForTitle(endTitle);
        QVERIFY(!end.isEmpty());

        // No window shows anything but its own title.
        for (const QString& title : shownTitles().values()) {
            QVERIFY2(!title.contains(QStringLiteral(" — ")), qPrintable(title));
            QVERIFY2(QStringList({startTitle, setupTitle, inputTitle, endTitle, kMessageTitle})
                         .contains(title),
                     qPrintable(title));
        }
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(TestWindowTitles)
#include "tst_window_titles.moc"
