#include "app/program.h"
#include "app/qt_platform.h"
#include "core/form1.h"

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

    Form1& form1 = program.windows.get<Form1>();
    for (const QString& sound : {program.job.keySoundPath, program.job.acceptSoundPath,
                                 program.job.closeSoundPath})
        program.platform.preloadSound(sound);
    form1.show();
    form1.switchOffListInputMethod();
    return app.exec();
}
