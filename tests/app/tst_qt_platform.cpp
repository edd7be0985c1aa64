#include "app/qt_platform.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// The real platform with the beep counted instead of sounded.
class CountingPlatform : public QtPlatform {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

}  // namespace

class TestQtPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingSoundFile_givesTheBeep() {
        CountingPlatform platform;
        platform.playSound(QStringLiteral("/nonexistent/tap.wav"));
        QCOMPARE(platform.beeps, 1);
    }

    void soundFile_playsWithoutWaiting() {
        CountingPlatform platform;
        const QString path = QStringLiteral(PICTOR_SOURCE_DIR "/resources/chimes.wav");
        QVERIFY(QFileInfo::exists(path));
        platform.preloadSound(path);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i)
            platform.playSound(path);
        // The chime lasts 400 ms; twenty of them must not hold the caller up.
        QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(platform.beeps, 0);
    }
};

QTEST_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"
