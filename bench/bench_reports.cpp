// SPDX-License-Identifier: MIT
// Renders the three reports of a full job (1500 pupils of 100 prints over
// photo numbers 1 to 9999) to PDF and prints how long each took and how
// many pages it has.
//
//   bench_reports [--pupils N] [--prints N] [--out DIR]
//
// Without --out the PDFs go to a temporary directory that is removed; --out
// creates its folder if need be. Exits 1 when a report cannot be written.

#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "support/job_builder.h"
#include "windows/report_renderer.h"

#include <random>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int pupils = JobState::kMaxPersons;
    int printsEach = JobState::kMaxEntryPrints;
    QString outDir;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--pupils"))
            pupils = std::clamp(args[i + 1].toInt(), 0, JobState::kMaxPersons);
        else if (args[i] == QLatin1String("--prints"))
            printsEach = std::clamp(args[i + 1].toInt(), 0, JobState::kMaxEntryPrints);
        else if (args[i] == QLatin1String("--out"))
            outDir = args[i + 1];
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
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
        const QString path = outDir + u'/' + name + QStringLiteral(".pdf");
        timer.restart();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageLayout(reportPageLayout());
        const int pages = paintReport(document, &printer);
        const qint64 ms = timer.elapsed();
        // A printer that could not open its file paints nothing.
        if (pages == 0 || !printer.isValid() || QFileInfo(path).size() == 0) {
            err << "bench_reports: " << name << " could not be written to " << path << "\n";
            return 1;
        }
        out << name << ": " << pages << " pages, " << ms << " ms, " << QFileInfo(path).size() / 1024
            << " KiB";
        if (!temporary.isValid() || outDir != temporary.path())
            out << " -> " << path;
        out << "\n";
        out.flush();
    }
    return 0;
}
