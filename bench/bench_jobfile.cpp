// SPDX-License-Identifier: MIT
// Load and save of a maximal job (10000 counts, 1500 persons of 100 prints),
// against merely reading and decoding the same file.
//   cmake --preset release && ninja -C build-release bench_jobfile
//   ./build-release/bench/bench_jobfile
#include "domain/cp932.h"
#include "domain/job_file_loader.h"
#include "domain/job_file_writer.h"
#include "domain/job_state.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

JobState maximalJob() {
    JobState job;
    job.customerName = QStringLiteral("山田写真館");
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("令和6年5月1日");
    job.photographerName = QStringLiteral("山田");
    job.largeMode = 0;
    job.largeStart = 1;
    job.largeEnd = 2000;
    job.largeUnitPrice = 800;
    job.mediumStart = 2001;
    job.mediumEnd = 5000;
    job.mediumUnitPrice = 500;
    job.smallStart = 5001;
    job.smallEnd = 9999;
    job.smallUnitPrice = 100;
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        QString entry;
        int amount = 0;
        for (int i = 0; i < JobState::kMaxEntryPrints; ++i) {
            const int n = 1000 + (k * 37 + i * 91) % 9000;
            entry += QString::number(n) + u' ';
            job.printCounts[std::size_t(n)] += 1;
            job.grandTotalPrints += 1;
            amount += n <= 2000 ? 800 : n <= 5000 ? 500 : 100;
            if (n <= 2000)
                job.largeTotalPrints += 1;
            else if (n <= 5000)
                job.mediumTotalPrints += 1;
            else
                job.smallTotalPrints += 1;
        }
        job.personRecords[k] = personRecordText(k, entry, QString::number(amount) + u' ');
    }
    job.personCount = JobState::kMaxPersons;
    job.lastRecordSlot = JobState::kMaxPersons;
    return job;
}

double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const JobState job = maximalJob();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("max.ptl"));

    const double save = bestOf(20, [&] { saveJobFile(path, job); });
    const qint64 size = QFileInfo(path).size();

    const double readDecode = bestOf(20, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QString text = decodeCp932(file.readAll());
        if (text.isEmpty())
            std::puts("empty");
    });
    bool complete = true;
    const double load = bestOf(20, [&] {
        JobState loaded;
        complete = LoadJobFile(loaded, path).complete() && complete;
    });

    std::printf("maximal job file: %lld bytes%s\n", static_cast<long long>(size),
                complete ? "" : " (LOAD INCOMPLETE)");
    std::printf("read + decode only: %.2f ms\n", readDecode);
    std::printf("LoadJobFile:        %.2f ms\n", load);
    std::printf("saveJobFile:        %.2f ms (with .bak)\n", save);
    return complete ? 0 : 1;
}
