// SPDX-License-Identifier: MIT
// The lab export of a maximal job (1500 pupils of 100 prints over 9000
// photo numbers), both kinds in both encodings, written to disk.
//   cmake --preset release && ninja -C build-release bench_lab_export
//   ./build-release/bench/bench_lab_export
#include "domain/job/job_state.h"
#include "domain/tools/lab_export.h"
#include "maximal_job.h"

#include <algorithm>
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const JobState job = maximalJob();
    QTemporaryDir dir;
    bool allWritten = true;
    for (const auto kind : {LabExportKind::ByPhoto, LabExportKind::ByPupil}) {
        for (const auto encoding : {LabExportEncoding::ShiftJis, LabExportEncoding::Utf8}) {
            const QString path = dir.filePath(QStringLiteral("export.csv"));
            double best = 1e9;
            LabExportResult result;
            for (int run = 0; run < 10; ++run) {
                QElapsedTimer timer;
                timer.start();
                result = writeLabExport(path, job, kind, encoding);
                best = std::min(best, timer.nsecsElapsed() / 1e6);
                allWritten = allWritten && result.written;
            }
            // Its parts: the rows, the text and its encoding.
            double rowsBest = 1e9;
            double bytesBest = 1e9;
            for (int run = 0; run < 10; ++run) {
                QElapsedTimer timer;
                timer.start();
                const LabExportTable table = labExportTable(job, kind);
                rowsBest = std::min(rowsBest, timer.nsecsElapsed() / 1e6);
                timer.restart();
                const LabExportBytes bytes = labExportBytes(table, encoding);
                bytesBest = std::min(bytesBest, timer.nsecsElapsed() / 1e6);
            }
            std::printf("%-9s %-9s %7d rows %9lld bytes %8.2f ms (rows %.2f, text %.2f)\n",
                        kind == LabExportKind::ByPhoto ? "by photo" : "by pupil",
                        encoding == LabExportEncoding::Utf8 ? "UTF-8" : "Shift_JIS", result.rows,
                        static_cast<long long>(QFileInfo(path).size()), best, rowsBest, bytesBest);
        }
    }
    return allWritten ? 0 : 1;
}
