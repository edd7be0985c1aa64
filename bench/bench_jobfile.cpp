// SPDX-License-Identifier: MIT
// Load and save of a maximal job (10000 counts, 1500 pupils of 100 prints),
// against merely reading and decoding the same file: the first of each in
// the run, as an operator meets it, and the best of 20.
//
// The best of 20 keeps glibc from handing the megabytes of one load back to
// the system between runs (M_TRIM_THRESHOLD, M_MMAP_THRESHOLD). Whether it
// does so otherwise depends on what else happens to lie at the top of the
// heap, not on the code measured, and it swung this benchmark's load between
// 2.5 and 15 ms (page faults are dear on a virtual machine). Run an older
// build with the same settings to compare:
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=268435456:glibc.malloc.mmap_threshold=33554432
//   cmake --preset release && ninja -C build-release bench_jobfile
//   ./build-release/bench/bench_jobfile
#include "domain/files/cp932.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/job_state.h"
#include "maximal_job.h"

#include <algorithm>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
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
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
    QCoreApplication app(argc, argv);
    const JobState job = maximalJob();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("max.ptl"));

    const auto saveOnce = [&] { saveJobFile(path, job); };
    bool complete = true;
    const auto loadOnce = [&] {
        JobState loaded;
        complete = LoadJobFile(loaded, path).complete() && complete;
    };
    const double firstSave = bestOf(1, saveOnce);
    const double firstLoad = bestOf(1, loadOnce);
    const double save = bestOf(20, saveOnce);
    const qint64 size = QFileInfo(path).size();
    // The save command's saves: the file read and its digest compared just
    // before it is replaced.
    const QByteArray digest = fileContentDigest(path);
    const double checkedSave = bestOf(20, [&] {
        if (!saveJobFile(path, job, digest).saved)
            std::puts("CHECK REFUSED");
    });
    const double look = bestOf(20, [&] { fileContentDigest(path); });

    const double readDecode = bestOf(20, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QString text = decodeCp932(file.readAll());
        if (text.isEmpty())
            std::puts("empty");
    });
    const double load = bestOf(20, loadOnce);
    // The same load from bytes in memory, which works out no digest.
    const QByteArray fileBytes = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const double parse = bestOf(20, [&] {
        JobState loaded;
        complete = loadJobFileBytes(loaded, fileBytes).complete() && complete;
    });

    std::printf("maximal job file: %lld bytes%s\n", static_cast<long long>(size),
                complete ? "" : " (LOAD INCOMPLETE)");
    std::printf("read + decode only: %.2f ms\n", readDecode);
    std::printf("LoadJobFile:        %.2f ms (the first in the run %.2f ms)\n", load, firstLoad);
    std::printf("loadJobFileBytes:   %.2f ms (decode and parse, no digest)\n", parse);
    std::printf("saveJobFile:        %.2f ms (with .bak; the first in the run %.2f ms)\n", save,
                firstSave);
    std::printf(
        "checked save:       %.2f ms (the file's digest compared; the look alone %.2f ms)\n",
        checkedSave, look);
    return complete ? 0 : 1;
}
