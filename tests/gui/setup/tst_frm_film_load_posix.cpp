// SPDX-License-Identifier: MIT
// The setup screen's load button given a named pipe, which exists on POSIX
// systems only: refused at once, the screen left open.
#include "app/program.h"
#include "gui/setup/frm_film.h"
#include "support/fake_platform.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kLockedBoxes[] = {"tbDaiStart", "tbDaiEnd",    "tbChuStart",
                                    "tbChuEnd",   "tbShouStart", "tbShouEnd",
                                    "tbDaiTanka", "tbChuTanka",  "tbShouTanka"};
const QString kFirstNote = QStringLiteral(
    "保存済みの 　 データを読み込むには、下のボタンをクリックしてください。　　　　　　　");

}  // namespace

class TestFrmFilmLoadPosix : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    FrmFilm* film = nullptr;
    QTemporaryDir dir;

    FakePlatform& platform() { return program->platform; }

    // Clicks the load button with the dialog answering path.
    void clickLoad(const QString& path) {
        platform().fileAnswers = {path};
        QTest::mouseClick(control<QPushButton>(film, "Command1"), Qt::LeftButton);
    }

    void verifyUnlocked() {
        for (const char* name : kLockedBoxes)
            QVERIFY2(control<QLineEdit>(film, name)->isEnabled(), name);
        QVERIFY(control<QPushButton>(film, "Command1")->isEnabled());
        QCOMPARE(control<QLabel>(film, "Label5")->text(), kFirstNote);
        QVERIFY(!control<QLabel>(film, "Label5")->autoFillBackground());
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        QVERIFY(showActive(*program, film));
    }
    void cleanup() {
        film = nullptr;
        program.reset();
    }

    void namedPipe_refusedAtOnce() {
        const QString path = dir.filePath(QStringLiteral("pipe.ptl"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // Should the load wait for a writer of the pipe, one comes after five
        // seconds and closes at once, so the test ends and fails.
        std::atomic<bool> done = false;
        std::thread writer([&] {
            for (int i = 0; i < 50 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (done)
                return;
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        QElapsedTimer timer;
        timer.start();
        clickLoad(path);
        done = true;
        writer.join();
        QVERIFY2(timer.elapsed() < 4000, "the load waited for a writer of the pipe");
        QCOMPARE(platform().messages.size(), 1);
        QVERIFY(
            platform().messages.constFirst().contains(QStringLiteral("通常のファイルではない")));
        verifyUnlocked();
    }
};

QTEST_MAIN(TestFrmFilmLoadPosix)
#include "tst_frm_film_load_posix.moc"
