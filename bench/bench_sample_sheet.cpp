// SPDX-License-Identifier: MIT
// Times the sample sheets on 24-megapixel JPEGs (6000 x 4000): from 作成 to
// a finished PDF, in photos a second, with the peak memory of the process
// (the highest resident size, from /proc/self/status where there is one)
// while making them, and the print preview paged through from the first
// page to the last. With --keys
// it also times the input screen's digits and Enters (as bench_form1 does,
// at 1400-1500 pupils of 100 prints) without the sheets and then with the
// sheets being made in the background, in the same run.
//
//   QT_QPA_PLATFORM=offscreen build-release/bench/bench_sample_sheet
//       --folder DIR [--photos 300] [--grid 6|12|20] [--keys] [--pdf FILE]
//
// --pdf keeps the PDF made, to look at.
// The folder is made the first time: a handful of distinct photos, and
// hard links to them under the numbered names 1 to 3000.

#include "app/program.h"
#include "bench_gui.h"
#include "domain/tools/photo_folder.h"
#include "gui/input/form1.h"
#include "gui/printing/report_preview.h"
#include "gui/run_photos.h"
#include "gui/tools/frm_sample_sheet.h"
#include "maximal_job.h"
#include "support/fake_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDistinctPhotos = 4;
constexpr int kLinkedPhotos = 3000;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The load averages of the machine (1, 5 and 15 minutes), where told.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

// The folder of photos 1 to 3000, made once.
bool makeFolder(const QDir& dir) {
    if (QFileInfo::exists(dir.filePath(QStringLiteral("%1.jpg").arg(kLinkedPhotos))))
        return true;
    if (!dir.mkpath(QStringLiteral("sources")))
        return false;
    std::printf("making %d photos of 6000x4000 and %d links to them...\n", kDistinctPhotos,
                kLinkedPhotos);
    for (int i = 0; i < kDistinctPhotos; ++i) {
        if (!photoLike(i).save(dir.filePath(QStringLiteral("sources/source%1.jpeg.src").arg(i)),
                               "jpeg", 90))
            return false;
    }
    for (int n = 1; n <= kLinkedPhotos; ++n) {
        std::error_code error;
        std::filesystem::create_hard_link(
            dir.filePath(QStringLiteral("sources/source%1.jpeg.src").arg(n % kDistinctPhotos))
                .toStdString(),
            dir.filePath(QStringLiteral("%1.jpg").arg(n)).toStdString(), error);
        if (error)
            return false;
    }
    return true;
}

int argument(const QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-36s n=%-6zu median %7.3f ms   p99 %7.3f ms   worst %7.3f ms\n", what,
                samples.size(), samples[samples.size() / 2], samples[samples.size() * 99 / 100],
                samples.back());
}

// Keys `pupils` pupils of 100 random prints on the input screen, timed.
void keyPupils(Form1& form, QRandomGenerator& random, int pupils, std::vector<double>& digits,
               std::vector<double>& enters) {
    for (int person = 0; person < pupils; ++person) {
        for (int print = 0; print < 100; ++print) {
            for (const QChar c : QString::number(1 + random.bounded(9999)))
                digits.push_back(keyToRepaint(form, Qt::Key(Qt::Key_0 + (c.unicode() - '0')), c));
            enters.push_back(keyToRepaint(form, Qt::Key_Return, QChar(13)));
        }
        keyToRepaint(form, Qt::Key_Slash, QChar('/'));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype folderAt = arguments.indexOf(QStringLiteral("--folder"));
    if (folderAt < 0 || folderAt + 1 >= arguments.size()) {
        std::printf(
            "usage: bench_sample_sheet --folder DIR [--photos N] [--grid 6|12|20] "
            "[--keys] [--pdf FILE]\n");
        return 2;
    }
    const QDir source(arguments[folderAt + 1]);
    const int photos =
        std::clamp(argument(arguments, QStringLiteral("--photos"), 300), 1, kLinkedPhotos);
    const int grid = argument(arguments, QStringLiteral("--grid"), 12);
    const bool keys = arguments.contains(QStringLiteral("--keys"));
    if (!makeFolder(source)) {
        std::printf("could not make the photos in %s\n", qPrintable(source.path()));
        return 1;
    }
    // The first `photos` of them, linked again into a folder of their own.
    QTemporaryDir work;
    const QDir folder(work.path());
    for (int n = 1; n <= photos; ++n) {
        std::error_code error;
        std::filesystem::create_hard_link(
            source.filePath(QStringLiteral("%1.jpg").arg(n)).toStdString(),
            folder.filePath(QStringLiteral("%1.jpg").arg(n)).toStdString(), error);
        if (error)
            return 1;
    }

    Program<FakePlatform> program(QStringLiteral("."));
    program.job = setUpJob(100);
    program.job.customerName = QStringLiteral("ひまわり小学校");
    program.job.eventName = QStringLiteral("運動会");
    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    QRandomGenerator random(11);
    std::vector<double> plainDigits, plainEnters, busyDigits, busyEnters;
    // The photo folder chosen before any key: the keys without the sheets
    // mark the numbers without a photo as those with them do.
    runPhotoFolder(program.context).open(folder.path());
    if (keys) {
        // 1400 pupils straight through the engine, as bench_form1 does.
        OrderEntry& engine = form.engine();
        for (int person = 0; person < 1400; ++person) {
            for (int print = 0; print < 100; ++print) {
                for (const QChar c : QString::number(1 + random.bounded(9999)))
                    engine.Form_KeyPress(c.unicode());
                engine.Form_KeyPress(OrderEntry::kKeyEnter);
            }
            engine.Form_KeyPress('/');
        }
        engine.Form_Activate();
        QCoreApplication::processEvents();
        keyPupils(form, random, 40, plainDigits, plainEnters);
    }

    frmSampleSheet& window = program.windows.get<frmSampleSheet>();
    window.open();
    const char* gridButton = grid == 6 ? "optGrid6" : grid == 20 ? "optGrid20" : "optGrid12";
    window.findChild<QRadioButton*>(QLatin1String(gridButton))->setChecked(true);
    std::printf(
        "%d photos of 6000x4000 (%.1f MB each on average), %d a page, load: ", photos,
        double(QFileInfo(source.filePath(QStringLiteral("sources/source0.jpeg.src"))).size()) / 1e6,
        grid);
    std::printf("%s\n", qPrintable(loadAverage()));
    const double rssBefore = statusMiB("VmRSS");

    const auto start = Clock::now();
    window.findChild<QPushButton*>(QStringLiteral("cmdMake"))->click();
    if (keys) {
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            return 1;
        // 60 pupils at most: as many as there is time for while the sheets are made.
        for (int pupil = 0; pupil < 60 && window.isReading(); ++pupil)
            keyPupils(form, random, 1, busyDigits, busyEnters);
    }
    {
        // Waits as the program does, asleep until an event comes.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!program.platform.reportTitles.isEmpty())
                loop.quit();
        });
        check.start(20);
        loop.exec();
    }
    const double read = secondsSince(start);

    QTemporaryDir out;
    const qsizetype pdfAt = arguments.indexOf(QStringLiteral("--pdf"));
    const QString pdf = pdfAt >= 0 && pdfAt + 1 < arguments.size()
                            ? arguments[pdfAt + 1]
                            : out.filePath(QStringLiteral("sheets.pdf"));
    const auto paintStart = Clock::now();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        program.platform.lastReportPaint(&printer);
    }
    const double painted = secondsSince(paintStart);
    const double total = secondsSince(start);
    const double peakPdf = statusMiB("VmHWM");

    std::printf("read and spooled: %7.1f s  %6.1f photos/s\n", read, photos / read);
    std::printf("painted to PDF:   %7.1f s  %6.1f photos/s   (%.0f MB)\n", painted,
                photos / painted, double(QFileInfo(pdf).size()) / 1e6);
    std::printf("start to PDF:     %7.1f s  %6.1f photos/s\n", total, photos / total);
    std::printf("memory: %.0f MiB before, peak %.0f MiB to the PDF\n", rssBefore, peakPdf);

    // The print preview, opened over the input screen as the program opens
    // it: the first page, then Page Down to the last.
    {
        const auto previewStart = Clock::now();
        ReportPreview* preview = openPreview(form, program.platform.reportTitles.constLast(),
                                             program.platform.lastReport, program.platform);
        if (!preview)
            return 1;
        preview->repaint();
        const double opened = secondsSince(previewStart);
        std::vector<double> pages;
        for (int page = 2; page <= preview->pageCount(); ++page) {
            const auto pageStart = Clock::now();
            QTest::keyClick(preview, Qt::Key_PageDown);
            preview->repaint();
            pages.push_back(secondsSince(pageStart) * 1000);
        }
        std::printf("print preview: %d pages, the first shown in %.2f s; ", preview->pageCount(),
                    opened);
        if (!pages.empty()) {
            std::sort(pages.begin(), pages.end());
            std::printf("Page Down median %.0f ms, worst %.0f ms; ", pages[pages.size() / 2],
                        pages.back());
        }
        std::printf("%.0f MiB resident with it, peak %.0f MiB\n", statusMiB("VmRSS"),
                    statusMiB("VmHWM"));
        preview->close();
    }

    if (keys) {
        std::printf("input screen at 1400-1500 pupils of 100 prints\n");
        report("digit, without the sheets", plainDigits);
        report("Enter, without the sheets", plainEnters);
        if (busyDigits.empty()) {
            std::printf("the sheets were made before any key\n");
        } else {
            report("digit, sheets made meanwhile", busyDigits);
            report("Enter, sheets made meanwhile", busyEnters);
        }
    }
    return 0;
}
