// SPDX-License-Identifier: MIT
// Load and save of a maximal job (10000 counts, 1500 pupils of 100 prints),
// against merely reading and decoding the same file.
//   cmake --preset release && ninja -C build-release bench_jobfile
//   ./build-release/bench/bench_jobfile
#include "domain/files/cp932.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/job_state.h"
#include "maximal_job.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

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
