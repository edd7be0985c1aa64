// SPDX-License-Identifier: MIT
// Renders the three reports of a full job (1500 pupils of 100 prints over
// photo numbers 1 to 9999) to PDF and prints how long each took (and the
// processor time it took, which the other programs of a shared machine do
// not lengthen) and how many pages it has.
//
//   bench_reports [--pupils N] [--prints N] [--out DIR] [--only NAME]
//   bench_reports --memory
//
// Without --out the PDFs go to a temporary directory that is removed; --out
// creates its folder if need be; --only renders one report (order_counts,
// pupils or reprints). Exits 1 when a report cannot be written.
//
// --memory measures the peak memory (VmHWM of /proc/self/status) of the
// program in two runs of its own, with the same job: the input screen
// alone, and the input screen with the 個人別 report's preview opened from
// its menu, its first page shown and then every page to the last, one after
// the other as Page Down shows them (with the times these took), and then
// its PDF made from the preview.

#include "app/program.h"
#include "bench_gui.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "gui/input/form1.h"
#include "gui/printing/report_commands.h"
#include "gui/printing/report_preview.h"
#include "gui/printing/report_renderer.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <algorithm>
#include <ctime>
#include <random>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

JobState fullJob(int pupils, int printsEach) {
    JobState job = makeJob({1, 2000, 1200, 2001, 5000, 800, 5001, 9999, 300});
    job.customerName = QStringLiteral("ピクトル市立第一小学校");
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("2024/10/12");
    job.photographerName = QStringLiteral("山田 太郎");
    std::mt19937 random(20241012);
    std::uniform_int_distribution<int> photo(1, 9999);
    for (int p = 1; p <= pupils; ++p) {
        QString entry;
        Number large = 0, medium = 0, small = 0;
        for (int i = 0; i < printsEach; ++i) {
            const int n = photo(random);
            entry += QString::number(n) + u' ';
            job.printCounts[n] = std::int16_t(job.printCounts[n] + 1);
            const SizeClass size = sizeClassOf(job, n);
            large += size.large;
            medium += size.medium;
            small += size.small;
        }
        const Number amount = large * 1200 + medium * 800 + small * 300;
        job.personRecords[p] = personRecordText(p, entry, plainDecimal(amount) + u' ');
        job.largeTotalPrints += large;
        job.mediumTotalPrints += medium;
        job.smallTotalPrints += std::int32_t(small);
        job.grandTotalPrints += large + medium + small;
    }
    job.personCount = pupils;
    job.lastRecordSlot = pupils;
    return job;
}

double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// One run of --memory: "screen" or "preview". Prints one line
// that the parent passes on.
int memoryRun(const QString& what, int pupils, int printsEach) {
    Program<FakePlatform> program(QStringLiteral("."));
    program.job = fullJob(pupils, printsEach);
    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    form.engine().Form_Activate();
    QCoreApplication::processEvents();
    QTextStream out(stdout);
    if (what == QLatin1String("screen")) {
        out << "input screen: peak " << statusMiB("VmHWM") << " MiB\n";
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    // 個人別印刷 from the menu, as the operator opens it.
    form.findChild<QAction*>(QStringLiteral("mnuKojin"))->trigger();
    if (!program.platform.lastReport)
        return 1;
    // The preview as the program's platform opens it.
    ReportPreview* preview = openPreview(form, ReportPreviewTitle::pupils,
                                         program.platform.lastReport, program.platform);
    if (!preview)
        return 1;
    QCoreApplication::processEvents();
    preview->repaint();
    const qint64 opened = timer.elapsed();
    std::vector<double> steps;
    for (int page = 2; page <= preview->pageCount(); ++page) {
        QElapsedTimer step;
        step.start();
        QTest::keyClick(preview, Qt::Key_PageDown);
        preview->repaint();
        steps.push_back(double(step.nsecsElapsed()) / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    out << "preview of " << preview->pageCount() << " pages: first page shown in " << opened
        << " ms, Page Down to the last: median " << (steps.empty() ? 0 : steps[steps.size() / 2])
        << " ms, worst " << (steps.empty() ? 0 : steps.back()) << " ms, on page "
        << preview->currentPage() << ", " << preview->tilesPainted() << " tiles painted, "
        << preview->bytesKept() / 1024 / 1024 << " MiB of them kept: peak " << statusMiB("VmHWM")
        << " MiB\n";
    out.flush();
    // Then the PDF from the preview, as its PDF key makes it.
    QTemporaryDir folder;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(folder.filePath(QStringLiteral("pupils.pdf")));
    pdf.setPageLayout(program.platform.lastReport->pageLayout());
    timer.restart();
    const double cpuStart = cpuSeconds();
    const int printed = preview->printOn(&pdf);
    out << "PDF of " << printed << " pages from the preview: " << timer.elapsed()
        << " ms (processor " << int((cpuSeconds() - cpuStart) * 1000) << " ms): peak "
        << statusMiB("VmHWM") << " MiB\n";
    return printed > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int pupils = JobState::kMaxPersons;
    int printsEach = JobState::kMaxEntryPrints;
    QString outDir;
    QString only;
    const QStringList args = app.arguments();
    const auto value = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 ? args.value(at + 1) : QString();
    };
    if (!value("--pupils").isEmpty())
        pupils = std::clamp(value("--pupils").toInt(), 0, JobState::kMaxPersons);
    if (!value("--prints").isEmpty())
        printsEach = std::clamp(value("--prints").toInt(), 0, JobState::kMaxEntryPrints);
    outDir = value("--out");
    only = value("--only");
    QTextStream out(stdout);
    QTextStream err(stderr);
    const qsizetype memoryAt = args.indexOf(QStringLiteral("--memory-run"));
    if (memoryAt >= 0)
        return memoryRun(args.value(memoryAt + 1), pupils, printsEach);
    if (args.contains(QStringLiteral("--memory"))) {
        for (const char* what : {"screen", "preview"}) {
            QProcess run;
            run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            run.start(QCoreApplication::applicationFilePath(),
                      args.mid(1) +
                          QStringList{QStringLiteral("--memory-run"), QString::fromLatin1(what)});
            if (!run.waitForFinished(600000) || run.exitCode() != 0) {
                err << "bench_reports: the " << what << " run failed\n";
                return 1;
            }
            out << run.readAllStandardOutput();
            out.flush();
        }
        return 0;
    }
    QTemporaryDir temporary;
    if (outDir.isEmpty()) {
        if (!temporary.isValid()) {
            err << "bench_reports: no temporary folder: " << temporary.errorString() << "\n";
            return 1;
        }
        outDir = temporary.path();
    } else if (!QDir().mkpath(outDir)) {
        err << "bench_reports: cannot create the folder " << outDir << "\n";
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    const JobState job = fullJob(pupils, printsEach);
    const RegisteredOrders orders = collectRegisteredOrders(job);
    out << "job of " << pupils << " pupils x " << printsEach << " prints; content collected in "
        << timer.elapsed() << " ms\n";

    const std::pair<QString, ReportDocument> reports[] = {
        {QStringLiteral("order_counts"), orderCountDocument(buildOrderCountReport(orders))},
        {QStringLiteral("pupils"), pupilDocument(buildPupilReport(orders))},
        {QStringLiteral("reprints"), reprintDocument(buildReprintReport(orders))},
    };
    for (const auto& [name, document] : reports) {
        if (!only.isEmpty() && name != only)
            continue;
        const QString path = outDir + u'/' + name + QStringLiteral(".pdf");
        timer.restart();
        const double cpuStart = cpuSeconds();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageLayout(reportPageLayout());
        const int pages = paintReport(document, &printer);
        const qint64 ms = timer.elapsed();
        const int cpuMs = int((cpuSeconds() - cpuStart) * 1000);
        // A printer that could not open its file paints nothing.
        if (pages == 0 || !printer.isValid() || QFileInfo(path).size() == 0) {
            err << "bench_reports: " << name << " could not be written to " << path << "\n";
            return 1;
        }
        out << name << ": " << pages << " pages, " << ms << " ms (processor " << cpuMs << " ms), "
            << QFileInfo(path).size() / 1024 << " KiB";
        if (!temporary.isValid() || outDir != temporary.path())
            out << " -> " << path;
        out << "\n";
        out.flush();
    }
    return 0;
}
