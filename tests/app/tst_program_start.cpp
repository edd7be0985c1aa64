// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "app/qt_texts.h"
#include "app/start.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "gui/setup/frm_film.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/window_helpers.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

// How a run starts from outside: the command line, a job file handed over
// by the file manager, and Qt's own texts in Japanese.
class TestProgramStart : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // Runs the real program with the arguments and no display at all.
    static QProcess* runWithoutDisplay(const QStringList& arguments) {
        auto* process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(PICTOR_PROGRAM), arguments);
        process->waitForFinished(10000);
        return process;
    }

    // Waits for the start screen to hand over to the setup screen.
    static FrmFilm* setupScreenOf(Program<FakePlatform>& program) {
        const auto shown = [&] {
            FrmFilm* film = program.windows.find<FrmFilm>();
            return film && film->isVisible() ? film : nullptr;
        };
        if (!QTest::qWaitFor([&] { return shown() != nullptr; }, 5000))
            return nullptr;
        return shown();
    }

private Q_SLOTS:
    void helpAndVersion_answerOnTheTerminalWithoutAWindow_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("answer");
        QTest::newRow("--version") << "--version"
                                   << "pictor " PICTOR_VERSION;
        QTest::newRow("-v") << "-v"
                            << "pictor " PICTOR_VERSION;
        QTest::newRow("--help") << "--help"
                                << "job-file";
        QTest::newRow("-h") << "-h"
                            << "設定画面で読み込むジョブファイル";
    }
    void helpAndVersion_answerOnTheTerminalWithoutAWindow() {
        QFETCH(QString, option);
        QFETCH(QString, answer);
        std::unique_ptr<QProcess> process(runWithoutDisplay({option}));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        QVERIFY(QString::fromUtf8(process->readAllStandardOutput()).contains(answer));
    }

    void unknownOptionOrTwoFiles_areRefused() {
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--bogus")}, QStringList{"a.ptl", "b.ptl"}}) {
            std::unique_ptr<QProcess> process(runWithoutDisplay(arguments));
            QCOMPARE(process->exitCode(), 2);
            QVERIFY(!process->readAllStandardError().isEmpty());
        }
    }

    void jobFileGiven_isLoadedOnTheSetupScreenAsTheLoadButtonLoadsIt() {
        JobState saved = makeJob();
        saved.customerName = QStringLiteral("みどり幼稚園");
        const QString path = dir.filePath(QStringLiteral("given.ptl"));
        QVERIFY(saveJobFile(path, saved).saved);

        Program<FakePlatform> program(QStringLiteral("/x"));
        startProgram(program.context, path);
        FrmFilm* film = setupScreenOf(program);
        QVERIFY(film);
        QCOMPARE(program.job.customerName.toText(), QStringLiteral("みどり幼稚園"));
        QCOMPARE(film->loadedFilePath(), path);
        QVERIFY(!control<QPushButton>(film, "Command1")->isEnabled());  // locked as after a load
        QVERIFY(program.platform.fileDialogs.isEmpty());
    }

    void damagedJobFileGiven_isRefusedWithTheLoadButtonsMessage() {
        const QString path = dir.filePath(QStringLiteral("damaged.ptl"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"a\",\"b\",\"2024\",\"c\",7,1,100\r\n");
        file.close();
        JobState probe;
        const QString expected = LoadJobFile(probe, path).message;
        QVERIFY(!expected.isEmpty());

        Program<FakePlatform> program(QStringLiteral("/x"));
        startProgram(program.context, path);
        FrmFilm* film = setupScreenOf(program);
        QVERIFY(film);
        QCOMPARE(program.platform.messages, QStringList{expected});
        QVERIFY(control<QPushButton>(film, "Command1")->isEnabled());  // open for another file
        QCOMPARE(program.job.customerName.toText(), QString());
    }

    void qtsOwnDialogTexts_areJapanese() {
        QTranslator translator;
        QVERIFY2(installJapaneseQtTexts(*QCoreApplication::instance(), translator),
                 "Qt's Japanese translation (qt6-translations-l10n) is missing");
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                 QDialogButtonBox::Save | QDialogButtonBox::Open);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("保存"));
        QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("開く"));
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_MAIN(TestProgramStart)
#include "tst_program_start.moc"
