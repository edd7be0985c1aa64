// SPDX-License-Identifier: MIT
// Times the photo preview: reading a folder of 20,000 files into its index,
// and, for 24-megapixel JPEGs (6000 x 4000, made here), the time from the
// key that completes a photo number, and from its Enter, to the photo
// painted in the preview window, offscreen. Keys come at an operator's
// pace (--pace, milliseconds between keys) and, in a second round, all at
// once. Every number timed is one whose photo has not been read before.
// At the operator's pace it also times each key on the input screen (to
// the end of its repaint), with the preview open and, in rounds before and
// after, closed. Each number is a pupil of its own (closed with "/").
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_photo_preview [--pace 120] [--count 40]
//
// With --make FOLDER it only makes a folder of such photos numbered 1 to
// 10000 (four pictures under 10,000 names), for bench_form1 --preview.

#include "app/program.h"
#include "bench_gui.h"
#include "domain/platform/platform_relay.h"
#include "domain/tools/photo_folder.h"
#include "gui/input/form1.h"
#include "gui/tools/frm_photo_preview.h"
#include "gui/tools/photo_decoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The processor time of this thread, in milliseconds.
double threadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-44s n=%-4zu median %8.2f ms   p90 %8.2f ms   worst %8.2f ms\n", what,
                samples.size(), samples[samples.size() / 2], samples[samples.size() * 9 / 10],
                samples.back());
}

// A platform that answers the folder dialog with the bench's folder.
class BenchPlatform : public SilentPlatform {
public:
    QString folder;
    QString chooseFolder(const QString&, const QString&) override { return folder; }
};

void sendKey(Qt::Key key, QChar text, QWidget* fallback) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : fallback;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(text));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(text));
    QApplication::sendEvent(target, &release);
}

int argument(const QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int pace = argument(arguments, QStringLiteral("--pace"), 120);
    const int count = argument(arguments, QStringLiteral("--count"), 40);

    const qsizetype make = arguments.indexOf(QStringLiteral("--make"));
    if (make >= 0 && make + 1 < arguments.size()) {
        const QDir dir(arguments[make + 1]);
        if (!dir.mkpath(QStringLiteral(".")))
            return 1;
        for (int i = 0; i < 4; ++i)
            if (!photoLike(i).save(dir.filePath(QStringLiteral("source%1.jpeg.src").arg(i)), "jpeg",
                                   90))
                return 1;
        for (int n = 1; n <= 10000; ++n)
            QFile::link(dir.filePath(QStringLiteral("source%1.jpeg.src").arg(n % 4)),
                        dir.filePath(QStringLiteral("IMG_%1.JPG").arg(n, 4, 10, QLatin1Char('0'))));
        return 0;
    }

    // 1. The index of a folder of 20,000 files, two cameras' 10,000 photos
    // each under its own name. The folder read again after a change is
    // read on a thread of its own: timed are the call on the GUI thread,
    // the handing over of the new index there, and the time until it is in.
    {
        QTemporaryDir temp;
        const QDir dir(temp.path());
        for (int n = 1; n <= 10000; ++n)
            for (const char* prefix : {"IMG_", "DSC_"}) {
                QFile file(dir.filePath(QStringLiteral("%1%2.JPG")
                                            .arg(QLatin1String(prefix))
                                            .arg(n, 4, 10, QLatin1Char('0'))));
                if (!file.open(QIODevice::WriteOnly))
                    return 1;
            }
        std::vector<double> opens, triggers, triggerCpu, handovers, handoverCpu, arrivals;
        for (int run = 0; run < 7; ++run) {
            PhotoFolder folder({QStringLiteral("jpg"), QStringLiteral("jpeg")});
            auto start = Clock::now();
            folder.open(temp.path());
            opens.push_back(msSince(start));
            if (folder.photoCount() != 10000) {
                std::printf("unexpected: %d photos\n", folder.photoCount());
                return 1;
            }
            bool arrived = false;
            QObject::connect(&folder, &PhotoFolder::scanned, [&] { arrived = true; });
            start = Clock::now();
            double cpu = threadMs();
            folder.rescan();
            triggerCpu.push_back(threadMs() - cpu);
            triggers.push_back(msSince(start));
            // Events delivered as they come: the delivery that brings the
            // index is the time the GUI thread spends taking it over.
            while (!arrived) {
                const auto delivery = Clock::now();
                cpu = threadMs();
                QCoreApplication::processEvents();
                if (arrived) {
                    handoverCpu.push_back(threadMs() - cpu);
                    handovers.push_back(msSince(delivery));
                } else {
                    QThread::usleep(100);
                }
            }
            arrivals.push_back(msSince(start));
        }
        std::printf("folder of 20000 files (10000 photos)\n");
        report("index (open)", opens);
        report("read again: the call, GUI thread", triggers);
        report("  its processor time", triggerCpu);
        report("read again: taking the index, GUI thread", handovers);
        report("  its processor time", handoverCpu);
        report("read again: until the index is in", arrivals);
    }

    // 2. The 24-megapixel photos: four made, the rest of photos 1 to 400
    // links to them (each read under its own name).
    QTemporaryDir temp;
    const QDir dir(temp.path());
    QElapsedTimer making;
    making.start();
    qint64 bytes = 0;
    for (int i = 0; i < 4; ++i) {
        const QString path = dir.filePath(QStringLiteral("source%1.jpeg.src").arg(i));
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        if (!writer.write(photoLike(i)))
            return 1;
        bytes += QFileInfo(path).size();
    }
    for (int n = 1; n <= 400; ++n)
        QFile::link(dir.filePath(QStringLiteral("source%1.jpeg.src").arg(n % 4)),
                    dir.filePath(QStringLiteral("IMG_%1.JPG").arg(n, 4, 10, QLatin1Char('0'))));
    std::printf("\n24-megapixel JPEGs (6000x4000, %.1f MB each on average), made in %.1f s\n",
                bytes / 4.0 / 1e6, making.elapsed() / 1000.0);

    Program<BenchPlatform> program(QStringLiteral("."));
    program.platform.folder = temp.path();
    JobState& job = program.job;
    job.largeStart = 1;
    job.largeEnd = 100;
    job.largeUnitPrice = 1200;
    job.mediumStart = 101;
    job.mediumEnd = 300;
    job.mediumUnitPrice = 800;
    job.smallStart = 301;
    job.smallEnd = 999;
    job.smallUnitPrice = 100;
    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    form.findChild<QAction*>(QStringLiteral("mnuPhotoPreview"))->trigger();
    frmPhotoPreview& preview = program.windows.get<frmPhotoPreview>();
    if (!QTest::qWaitForWindowExposed(&preview))
        return 1;
    // The size it opens at on a large screen (the offscreen one is small).
    preview.resize(720, 600);
    QCoreApplication::processEvents();
    const QWidget* picture = preview.findChild<QWidget*>(QStringLiteral("picPhoto"));
    std::printf("photo area %dx%d\n", picture->width(), picture->height());
    {
        std::vector<double> decodes;
        for (int i = 0; i < 5; ++i) {
            const auto start = Clock::now();
            decodePhoto(dir.filePath(QStringLiteral("source%1.jpeg.src").arg(i % 4)),
                        picture->size());
            decodes.push_back(msSince(start));
        }
        report("decode alone, at the size shown", decodes);
    }

    int painted = 0;
    Clock::time_point paintedAt;
    QObject::connect(&preview, &frmPhotoPreview::photoPainted, [&](int number) {
        painted = number;
        paintedAt = Clock::now();
    });

    // Numbers never read before, nor next to one read (read ahead).
    std::vector<int> numbers;
    for (int n = 2; n <= 400; n += 3)
        numbers.push_back(n);
    std::shuffle(numbers.begin(), numbers.end(), *QRandomGenerator::global());
    if (int(numbers.size()) < 3 * count)
        return 1;

    std::vector<double> digitKeys, enterKeys;
    const auto typeNumber = [&](int number, int gap, Clock::time_point* lastDigit,
                                Clock::time_point* enter) {
        for (const QChar c : QString::number(number)) {
            *lastDigit = Clock::now();
            sendKey(Qt::Key(Qt::Key_0 + (c.unicode() - '0')), c, &form);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            digitKeys.push_back(msSince(*lastDigit));
            if (gap > 0)
                QTest::qWait(gap);
        }
        *enter = Clock::now();
        sendKey(Qt::Key_Return, QChar(13), &form);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        enterKeys.push_back(msSince(*enter));
    };
    const auto closePupil = [&] {
        sendKey(Qt::Key_Slash, QChar('/'), &form);
        QCoreApplication::processEvents();
    };
    // The same keys with the preview closed.
    std::vector<double> digitsClosed, entersClosed;
    const auto typeClosed = [&](int from, int to) {
        preview.close();
        digitKeys.clear();
        enterKeys.clear();
        for (int i = from; i < to; ++i) {
            Clock::time_point lastDigit, enter;
            typeNumber(numbers[i], pace, &lastDigit, &enter);
            QTest::qWait(pace);
            closePupil();
        }
        digitsClosed.insert(digitsClosed.end(), digitKeys.begin(), digitKeys.end());
        entersClosed.insert(entersClosed.end(), enterKeys.begin(), enterKeys.end());
    };
    typeClosed(2 * count, 2 * count + count / 2);
    form.findChild<QAction*>(QStringLiteral("mnuPhotoPreview"))->trigger();
    const auto waitFor = [&](int number) {
        QElapsedTimer waited;
        waited.start();
        while (painted != number && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return painted == number;
    };

    std::vector<double> fromDigit, fromEnter, burst;
    digitKeys.clear();
    enterKeys.clear();
    for (int i = 0; i < count; ++i) {
        const int number = numbers[i];
        Clock::time_point lastDigit, enter;
        typeNumber(number, pace, &lastDigit, &enter);
        if (!waitFor(number)) {
            std::printf("photo %d never shown (shown %d, painted %d, visible %d)\n", number,
                        preview.shownNumber(), preview.paintedPhoto(), int(preview.isVisible()));
            return 1;
        }
        fromDigit.push_back(msSince(lastDigit, paintedAt));
        fromEnter.push_back(std::max(0.0, msSince(enter, paintedAt)));
        QTest::qWait(pace);
        closePupil();
    }
    const std::vector<double> digitsOpen = digitKeys;
    const std::vector<double> entersOpen = enterKeys;
    for (int i = count; i < 2 * count; ++i) {
        const int number = numbers[i];
        Clock::time_point lastDigit, enter;
        typeNumber(number, 0, &lastDigit, &enter);
        if (!waitFor(number)) {
            std::printf("photo %d never shown (shown %d, painted %d, visible %d)\n", number,
                        preview.shownNumber(), preview.paintedPhoto(), int(preview.isVisible()));
            return 1;
        }
        burst.push_back(msSince(enter, paintedAt));
        QTest::qWait(pace);
        closePupil();
    }
    typeClosed(2 * count + count / 2, 3 * count);

    std::printf("keys %d ms apart:\n", pace);
    report("  last digit to photo painted", fromDigit);
    report("  Enter to photo painted (0: before it)", fromEnter);
    report("  digit key to input screen repainted", digitsOpen);
    report("  Enter key to input screen repainted", entersOpen);
    report("  the same, preview closed: digit", digitsClosed);
    report("  the same, preview closed: Enter", entersClosed);
    std::printf("keys all at once:\n");
    report("  Enter to photo painted", burst);
    return 0;
}
