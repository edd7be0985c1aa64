// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "app/qt_platform.h"
#include "app/qt_texts.h"
#include "app/run_start.h"
#include "domain/files/system_files.h"
#include "domain/journal/journal_store.h"

#include <cstdio>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QStandardPaths>

namespace {

// What the command line asks for: a job file to open, or an answer on the
// terminal (--help, --version, a mistake) with the exit code to end with.
struct CommandLine {
    QString jobFile;
    std::optional<int> answered;
};

// Read before any window system is needed, so that --help and --version
// work on a terminal without a display.
CommandLine readCommandLine(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pictor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PICTOR_VERSION));
    JapaneseRun japanese;
    japanese.install(app);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("ピクトル — 学校写真番号集計ソフト\n"
                       "学校行事の写真の注文票を入力し、写真番号ごと・サイズごとの注文枚数と"
                       "一人ずつの金額を集計します。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("この使い方を表示して終わります。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("版数を表示して終わります。"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("job-file"),
                                 QStringLiteral("設定画面で読み込むジョブファイル（.ptl）"),
                                 QStringLiteral("[job-file]"));
    CommandLine line;
    if (!parser.parse(QCoreApplication::arguments())) {
        // UTF-8 on every system (Windows would use its 8-bit code page).
        std::fprintf(stderr, "%s\n", parser.errorText().toUtf8().constData());
        line.answered = 2;
    } else if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toUtf8().constData());
        line.answered = 0;
    } else if (parser.isSet(version)) {
        std::printf("pictor %s\n", PICTOR_VERSION);
        line.answered = 0;
    } else if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "pictor: 開けるジョブファイルは一つだけです。\n");
        line.answered = 2;
    } else if (!parser.positionalArguments().isEmpty()) {
        line.jobFile = QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
    }
    return line;
}

// Where the wave files are: next to the program (the build tree), or in the
// data folder of an installed program (PREFIX/share/pictor beside
// PREFIX/bin).
QString soundFolder() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    if (QFileInfo::exists(programFolder.filePath(QStringLiteral("tap.wav"))))
        return programFolder.path();
    const QString installed = programFolder.filePath(QStringLiteral("../share/pictor"));
    if (QFileInfo::exists(QDir(installed).filePath(QStringLiteral("tap.wav"))))
        return QDir::cleanPath(installed);
    return programFolder.path();
}

}  // namespace

int main(int argc, char* argv[]) {
    // A write past the file-size limit fails with an error the save reports,
    // instead of killing the program in the middle of it.
    SystemFiles::ignoreFileSizeSignal();
    const CommandLine commandLine = readCommandLine(argc, argv);
    if (commandLine.answered)
        return *commandLine.answered;

    QApplication app(argc, argv);
    // Qt's dialogs and whatever Qt words (dates, numbers) as in Japan,
    // whatever the system's language.
    JapaneseRun japanese;
    japanese.install(app);
    QApplication::setApplicationName(QStringLiteral("pictor"));
    // The menu entry's name, by which a desktop knows the program's windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.pictor.Pictor"));
    QApplication::setApplicationVersion(QStringLiteral(PICTOR_VERSION));
    // The program's icon on every window (the menu entry has the same one).
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictor.svg")));

    // A Japanese Gothic face for every window: Windows' own faces first,
    // then those of Linux.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Yu Gothic UI"),
                      QStringLiteral("Meiryo UI"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic")});
    font.setPointSize(9);
    QApplication::setFont(font);

    Program<QtPlatform> program(soundFolder());
    program.platform.setWindows(&program.windows);

    for (const char* sound : {"/tap.wav", "/menupop.wav", "/chimes.wav", "/nophoto.wav"})
        program.platform.preloadSound(program.context.programDirectory + QLatin1String(sound));

    // Everything keyed goes to a journal in the user's data folder, so that
    // the next start can restore what a crash or power cut would lose.
    JournalStore journals(
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
            .filePath(QStringLiteral("journal")));
    program.context.journal = &program.journal;
    startRunWithJournal(program.context, journals, commandLine.jobFile);
    const int code = app.exec();
    program.journal.finish();
    return code;
}
