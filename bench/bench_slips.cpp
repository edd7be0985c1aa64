// SPDX-License-Identifier: MIT
// The roster's paper for a whole school: order slips, envelope slips cut
// from A4 and on label sheets, and the money list, for N pupils (1500 by
// default) in 6 grades of 5 classes, each pupil with a slip of 10 prints
// tied to them. Each kind is made in a run of its own, which prints how
// long the preview took to show its first page, how long the PDF took as
// the preview saves it (text mended, written whole), its pages and size,
// and the run's peak memory (VmHWM).
//
//   bench_slips [--pupils N] [--out DIR]
//
// Without --out the PDFs go to a temporary folder that is removed.

#include "app/program.h"
#include "bench_gui.h"
#include "gui/input/form1.h"
#include "gui/printing/list_pages.h"
#include "gui/printing/pdf_output.h"
#include "gui/printing/report_preview.h"
#include "gui/printing/slip_pages.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <ctime>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QStringList kKinds{QStringLiteral("order_slips"), QStringLiteral("envelope_slips"),
                         QStringLiteral("labels"), QStringLiteral("money_list")};

void fillSchool(JobState& job, JobCompanion& companion, int pupils) {
    job = makeJob();
    job.customerName = QStringLiteral("ピクトル市立第一小学校");
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("2026/10/12");
    QVector<RosterPupil> roster;
    const int perClass = std::max(1, (pupils + 29) / 30);
    for (int p = 0; p < pupils; ++p) {
        roster.append({QString::number(1 + p / (5 * perClass)),
                       QString::number(1 + p / perClass % 5), 1 + p % perClass,
                       QStringLiteral("山田 花子%1").arg(p), QStringLiteral("やまだ はなこ"),
                       QString()});
        QString entry;
        for (int i = 0; i < 10; ++i)
            entry += QString::number(1 + (p * 37 + i * 101) % 999) + u' ';
        job.personRecords[p + 1] = QStringLiteral("(%1) %2\\.0 ").arg(p + 1).arg(entry);
        companion.ties[p + 1] = p;
    }
    job.personCount = job.lastRecordSlot = pupils;
    companion.roster = Roster(roster);
}

std::shared_ptr<PrintDocument> documentOf(const QString& kind, const JobState& job,
                                          const JobCompanion& companion) {
    const RegisteredOrders orders = collectRegisteredOrders(job);
    if (kind == kKinds[0])
        return std::make_shared<OrderSlipPages>(orderSlips(job, companion.roster),
                                                orderSlipSheets()[1]);
    if (kind == kKinds[1])
        return std::make_shared<EnvelopeSlipPages>(envelopeSlips(orders, companion),
                                                   envelopeSlipSheets()[3]);
    if (kind == kKinds[2])
        return std::make_shared<EnvelopeSlipPages>(envelopeSlips(orders, companion),
                                                   envelopeSlipSheets()[5], 3);
    return std::make_shared<ListPages>(moneyList(orders, companion));
}

int runOne(const QString& kind, int pupils, const QString& outDir) {
    Program<FakePlatform> program(QStringLiteral("."));
    fillSchool(program.job, program.context.companion, pupils);
    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    QTextStream out(stdout);

    QElapsedTimer timer;
    timer.start();
    std::shared_ptr<PrintDocument> document =
        documentOf(kind, program.job, program.context.companion);
    ReportPreview* preview = openPreview(form, kind, document, program.platform);
    if (!preview)
        return 1;
    preview->repaint();
    const qint64 firstPage = timer.elapsed();
    preview->close();
    delete preview;

    const QString path = QDir(outDir).filePath(kind + QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    timer.restart();
    const std::clock_t cpu = std::clock();
    const int pages = printPdf(*document, printer);
    const qint64 ms = timer.elapsed();
    if (pages <= 0)
        return 1;
    out << kind << ": preview's first page " << firstPage << " ms; PDF of " << pages << " pages, "
        << QFileInfo(path).size() / 1024 << " KiB in " << ms << " ms (processor "
        << int(double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC) << " ms); peak "
        << statusMiB("VmHWM") << " MiB\n";
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto value = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 ? args.value(at + 1) : QString();
    };
    const int pupils = value("--pupils").isEmpty()
                           ? 1500
                           : std::clamp(value("--pupils").toInt(), 1, JobState::kMaxPersons);
    QString outDir = value("--out");
    if (!value("--run").isEmpty())
        return runOne(value("--run"), pupils, outDir);

    QTemporaryDir temporary;
    if (outDir.isEmpty())
        outDir = temporary.path();
    if (!QDir().mkpath(outDir))
        return 1;
    QTextStream out(stdout);
    out << pupils << " pupils, a slip of 10 prints each\n";
    out.flush();
    for (const QString& kind : kKinds) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--pupils"), QString::number(pupils), QStringLiteral("--out"),
                   outDir, QStringLiteral("--run"), kind});
        if (!run.waitForFinished(600000) || run.exitCode() != 0) {
            QTextStream(stderr) << "bench_slips: " << kind << " failed\n";
            return 1;
        }
        out << run.readAllStandardOutput();
        out.flush();
    }
    return 0;
}
