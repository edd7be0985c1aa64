// SPDX-License-Identifier: MIT
// What a screen reader reads from the real program. The program runs on a
// private X server (Xvfb) with a private session bus, on which the
// accessibility bus (at-spi2-core) starts, and with Qt's AT-SPI bridge
// switched on; tests/app/atspi_read.py reads it through AT-SPI (python3-gi,
// gir1.2-atspi-2.0) the way a screen reader does, while xdotool keys. Only
// the real bridge tells what a screen reader gets: Qt's offscreen platform
// has none.

#include "gui/input/form1.h"
#include "gui/input/form1_accessibility.h"
#include "gui/input/frm_teisei.h"
#include "support/private_x_server.h"
#include "support/program_fixture.h"

#include <algorithm>
#include <optional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The system's own Python, which has the system's gi modules (a Python of
// the user's, first in the PATH, may lack them).
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kReader = QStringLiteral(PICTOR_SOURCE_DIR "/tests/app/atspi_read.py");

}  // namespace

class TestAtspiInputScreen : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    PrivateXServer server;
    QProcess bus;
    QProcess program;
    QProcessEnvironment environment;
    QString input;                 // the input screen's window id
    QList<QJsonObject> keyedTree;  // the tree once the day below is keyed

    // Runs a tool to its end; its output, or nothing when it failed.
    std::optional<QString> run(const QString& tool, const QStringList& args) const {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(tool, args);
        if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The program's accessible objects, in tree order.
    QList<QJsonObject> tree() const {
        QList<QJsonObject> objects;
        const QStringList lines =
            run(kPython, {kReader, QStringLiteral("tree"), QStringLiteral("pictor")})
                .value_or(QString())
                .split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : lines)
            objects << QJsonDocument::fromJson(line.toUtf8()).object();
        return objects;
    }

    // Waits until a window whose title holds this text (no pattern
    // characters) is mapped; its id.
    QString waitForWindow(const QString& title) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            const QString ids = run(QStringLiteral("xdotool"),
                                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), title})
                                    .value_or(QString());
            if (!ids.isEmpty())
                return ids.section(u'\n', 0, 0);
            QTest::qWait(50);
        }
        return {};
    }

private slots:
    void initTestCase() {
        // scripts/setup.sh installs all of these: a machine without them
        // fails here rather than passing untested.
        for (const char* tool : {"Xvfb", "xdotool", "dbus-daemon"}) {
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                     qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
        }
        QVERIFY2(QProcess::execute(
                     kPython, {QStringLiteral("-c"),
                               QStringLiteral("import gi; gi.require_version('Atspi', "
                                              "'2.0'); from gi.repository import Atspi")}) == 0,
                 "AT-SPI for Python is not installed (python3-gi and gir1.2-atspi-2.0)");
        QVERIFY(home.isValid());
        QVERIFY(server.start(200));

        // Everything the run starts keeps to the test's folder and server:
        // the accessibility bus puts its socket under XDG_RUNTIME_DIR.
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
        environment.insert(QStringLiteral("DISPLAY"), server.display());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                           home.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));

        // A session bus of the test's own, on which the accessibility bus
        // starts: no screen reader or desktop of the machine is involved.
        bus.setProcessEnvironment(environment);
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForStarted());
        QTRY_VERIFY(bus.canReadLine());
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QString::fromUtf8(bus.readLine()).trimmed());
        QTRY_VERIFY_WITH_TIMEOUT(
            run(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")}).has_value(),
            10000);
        QVERIFY2(run(kPython, {kReader, QStringLiteral("bus")}).has_value(),
                 "The accessibility bus does not start (at-spi2-core)");

        QProcessEnvironment programEnvironment = environment;
        programEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        programEnvironment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"),
                                  QStringLiteral("1"));
        program.setProcessEnvironment(programEnvironment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(PICTOR_PROGRAM), QStringList());
        QVERIFY(program.waitForStarted());

        // A job by the keyboard: three sizes of 100 numbers at 100 yen.
        QString inputTitle;
        {
            ProgramFixture fixture;
            inputTitle = fixture.windows.get<Form1>().windowTitle();
        }
        const QString setup = waitForWindow(QStringLiteral("写真データの設定"));
        QVERIFY(!setup.isEmpty());
        server.keys(setup, PrivateXServer::wholeJobKeys());
        input = waitForWindow(inputTitle);
        QVERIFY(!input.isEmpty());
    }

    void cleanupTestCase() {
        stopProcess(program, 3000);
        stopProcess(bus, 3000);  // the accessibility bus goes with it
    }

    // Each key that changes the typed number or the open pupil's amount
    // changes the description of the control holding the keys, which a
    // screen reader is told of.
    void keying_toldOnTheControlHoldingTheKeys() {
        QProcess listener;
        listener.setProcessEnvironment(environment);
        listener.start(kPython, {kReader, QStringLiteral("events"), QStringLiteral("pictor"),
                                 QStringLiteral("30")});
        QVERIFY(listener.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(listener.canReadLine(), 10000);
        QCOMPARE(listener.readLine().trimmed(), QByteArray("ready"));
        QList<QJsonObject> events;
        const auto readEvents = [&] {
            while (listener.canReadLine())
                events << QJsonDocument::fromJson(listener.readLine()).object();
        };
        // The program hears of the listener a moment later, and sends no
        // change before: a digit and Back Space, until one is heard.
        for (int tries = 0; tries < 20 && events.isEmpty(); ++tries) {
            server.keys(input, {QStringLiteral("9"), QStringLiteral("BackSpace")});
            QTest::qWait(500);
            readEvents();
        }
        QVERIFY(!events.isEmpty());
        QTest::qWait(200);
        readEvents();
        events.clear();

        // Pupil 1: 12 and 45; pupil 2: 222, then 45 typed.
        server.keys(input, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("Return"),
                            QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("Return"),
                            QStringLiteral("slash"), QStringLiteral("2"), QStringLiteral("2"),
                            QStringLiteral("2"), QStringLiteral("Return"), QStringLiteral("4"),
                            QStringLiteral("5")});
        const QString told = QStringLiteral("入力中の写真番号 45、合計 100円");
        const auto onList = [](const QString& description) {
            return QJsonObject{{QStringLiteral("role"), QStringLiteral("list")},
                               {QStringLiteral("name"), QStringLiteral("最近の入力")},
                               {QStringLiteral("description"), description}};
        };
        QElapsedTimer waited;
        waited.start();
        while (!events.contains(onList(told)) && waited.elapsed() < 10000) {
            QTest::qWait(50);
            readEvents();
        }
        stopProcess(listener, 3000);
        keyedTree = tree();

        QVERIFY(events.contains(onList(told)));
        // Each step on the way: a digit, and an Enter that counts it.
        QVERIFY(events.contains(onList(QStringLiteral("入力中の写真番号 12"))));
        QVERIFY(events.contains(onList(QStringLiteral("入力中の写真番号 12、合計 100円"))));
        // The list is what has the focus, and what it says stays.
        QVERIFY(std::any_of(keyedTree.cbegin(), keyedTree.cend(), [&](const QJsonObject& object) {
            return object[QStringLiteral("role")] == QStringLiteral("list") &&
                   object[QStringLiteral("focused")].toBool() &&
                   object[QStringLiteral("description")] == told;
        }));
    }

    // Every value of the input screen is read with its caption: a label
    // that labels it, or its description where the screen has no caption;
    // and every control has a name.
    void inputScreen_eachControlReadWithItsCaption_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* tag, const char* role, const QString& caption,
                            const QString& name) {
            QTest::newRow(tag) << QString::fromLatin1(role) << caption << name;
        };
        row("typed number", "label", Form1Accessibility::kTypedNumber, QStringLiteral("45"));
        row("amount", "label", QStringLiteral("合計"), QStringLiteral("100"));
        row("pupils", "label", QStringLiteral("処理人数"), QStringLiteral("1"));
        row("large", "label", QStringLiteral("（大）"), QStringLiteral("2"));
        row("medium", "label", QStringLiteral("（中）"), QStringLiteral("0"));
        row("small", "label", QStringLiteral("（小）"), QStringLiteral("1"));
        row("copy count", "label", QStringLiteral("入力枚数"), QStringLiteral("1"));
        row("List1", "list", QString(), QStringLiteral("最近の入力"));
        row("Pic1", "image", QString(), QStringLiteral("登録済データの履歴"));
        row("VScroll1", "scroll bar", QString(), QStringLiteral("入力枚数"));
    }
    void inputScreen_eachControlReadWithItsCaption() {
        QFETCH(QString, role);
        QFETCH(QString, caption);
        QFETCH(QString, name);
        QVERIFY(std::any_of(keyedTree.cbegin(), keyedTree.cend(), [&](const QJsonObject& object) {
            return object[QStringLiteral("role")] == role &&
                   object[QStringLiteral("name")].toString().trimmed() == name &&
                   (caption.isEmpty() ||
                    object[QStringLiteral("labelledBy")].toArray().contains(caption) ||
                    object[QStringLiteral("description")] == caption);
        }));
    }

    // The windows are read as what they are: the input screen a frame, the
    // correction screen a dialog, the range alert an alert; and their
    // pictures have names.
    void windows_readWithTheirRoles() {
        QVERIFY(
            run(kPython, {kReader, QStringLiteral("press"), QStringLiteral("pictor"),
                          QStringLiteral("push button"), QStringLiteral("登録済データの訂正")}));
        ProgramFixture fixture;
        const QString correctionTitle = fixture.windows.get<frmTeisei>().windowTitle();
        QVERIFY(!waitForWindow(correctionTitle).isEmpty());
        server.keys(input, {QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("1"),
                            QStringLiteral("Return")});
        QVERIFY(!waitForWindow(QStringLiteral("ALERT")).isEmpty());

        struct Expected {
            int depth;
            QString role;
            QString name;
        };
        const Expected expected[] = {
            {1, QStringLiteral("frame"), fixture.windows.get<Form1>().windowTitle()},
            {1, QStringLiteral("dialog"), correctionTitle},
            {1, QStringLiteral("alert"), QStringLiteral("ALERT")},
            {2, QStringLiteral("image"), QStringLiteral("元のデータ")},
            {2, QStringLiteral("image"), QStringLiteral("訂正後のデータ")},
            {2, QStringLiteral("image"), QStringLiteral("警告")},
        };
        const QList<QJsonObject> objects = tree();
        for (const Expected& one : expected) {
            QVERIFY2(std::any_of(objects.cbegin(), objects.cend(),
                                 [&](const QJsonObject& object) {
                                     return object[QStringLiteral("depth")].toInt() == one.depth &&
                                            object[QStringLiteral("role")] == one.role &&
                                            object[QStringLiteral("name")].toString().trimmed() ==
                                                one.name;
                                 }),
                     qPrintable(one.role + u' ' + one.name));
        }
    }
};

QTEST_MAIN(TestAtspiInputScreen)
#include "tst_atspi_input_screen.moc"
