#include "app/program.h"
#include "app/qt_platform.h"
#include "app/run_start.h"
#include "domain/journal_store.h"

#include <csignal>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // A write past the file-size limit fails with an error the save reports,
    // instead of killing the program in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pictor"));
    QApplication::setApplicationDisplayName(QStringLiteral("ピクトル"));

    // A Japanese Gothic face for every window, with the usual fallbacks.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic")});
    font.setPointSize(9);
    QApplication::setFont(font);

    Program<QtPlatform> program(QApplication::applicationDirPath());
    program.platform.setWindows(&program.windows);

    for (const char* sound : {"/tap.wav", "/menupop.wav", "/chimes.wav"})
        program.platform.preloadSound(program.context.programDirectory + QLatin1String(sound));

    // Everything keyed goes to a journal in the user's data folder, so that
    // the next start can restore what a crash or power cut would lose.
    JournalStore journals(
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
            .filePath(QStringLiteral("journal")));
    program.context.journal = &program.journal;
    startRunWithJournal(program.context, journals);
    const int code = app.exec();
    program.journal.finish();
    return code;
}
