#include "app/program.h"
#include "app/qt_platform.h"
#include "app/start.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
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

    startProgram(program.context);
    return app.exec();
}
