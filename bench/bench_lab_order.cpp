// SPDX-License-Identifier: MIT
// The lab order of a maximal job (1500 pupils of 100 prints over 9000 photo
// numbers) from a photo folder of 10 000 photos, both forms (DPOF cards and
// the plain size folders, so 18 000 photo files and the texts): the look at
// the ordered photos, then the order made with reflinks where the file
// system has them (else the kernel's copy) and again with copies. Each
// photo is kilobytes KiB (64 when not given): copies scale with the bytes.
// On a file system with reflinks (XFS, Btrfs) give a folder on it.
//   cmake --preset release && ninja -C build-release bench_lab_order
//   ./build-release/bench/bench_lab_order [kilobytes] [folder]
#include "domain/job/job_state.h"
#include "domain/tools/lab_order.h"
#include "domain/tools/photo_folder.h"
#include "maximal_job.h"

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int kilobytes = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 64;
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/bench-XXXXXX"));
    if (!dir.isValid())
        return 2;
    const QString photos = dir.filePath(QStringLiteral("photos"));
    QDir().mkpath(photos);
    LabOrderSnapshot snapshot{maximalJob(), QVector<QString>(JobState::kMaxPhotoNumber + 1), {}};
    // Whole JPEGs by their first and last bytes.
    QByteArray bytes(kilobytes * 1024, 'p');
    bytes.replace(0, 3, "\xFF\xD8\xFF");
    bytes.replace(bytes.size() - 2, 2, "\xFF\xD9");
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
        const QString path = photos + QStringLiteral("/%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
        QFile file(path);
        bytes[3] = char(n);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 2;
        snapshot.photoFiles[n] = path;
    }

    // What the GUI thread does when the command starts: the job and the
    // photo of every number, from the run's photo folder.
    PhotoFolder folder({QStringLiteral("jpg")});
    if (!folder.open(photos))
        return 2;
    QElapsedTimer timer;
    timer.start();
    const LabOrderSnapshot taken =
        takeLabOrderSnapshot(snapshot.job, [&folder](int number) { return folder.fileOf(number); });
    std::printf("snapshot on the GUI thread: %.2f ms (%d photos in the folder)\n",
                timer.nsecsElapsed() / 1e6, folder.photoCount());
    if (taken.photoFiles != snapshot.photoFiles)
        return 2;

    // The look at the ordered photos before the order (on the order's thread).
    timer.restart();
    QVector<PhotoFiles> ordered;
    for (const int number : labOrderNumbers(snapshot.job))
        ordered.append({number, folder.filesOf(number)});
    const std::atomic<bool> notCancelled{false};
    const qsizetype doubts = findPhotoDoubts(ordered, notCancelled).size();
    std::printf("look at %lld ordered photos: %.1f ms, %lld doubts\n",
                static_cast<long long>(ordered.size()), timer.nsecsElapsed() / 1e6,
                static_cast<long long>(doubts));

    timer.restart();
    const LabOrderPlan plan = planLabOrder(snapshot, {}, QDateTime::currentDateTime());
    const double planMs = timer.nsecsElapsed() / 1e6;
    std::printf("plan: %d photos, %d prints, %lld files, %lld cards, %.1f ms\n",
                int(plan.photos.size()), plan.prints, static_cast<long long>(plan.files.size()),
                static_cast<long long>(plan.cards.size()), planMs);

    bool allWritten = true;
    const std::atomic<bool> cancel{false};
    for (const auto copying : {LabOrderCopying::CloneWherePossible, LabOrderCopying::CopyAlways}) {
        const QString destination =
            dir.filePath(copying == LabOrderCopying::CopyAlways ? QStringLiteral("copies")
                                                                : QStringLiteral("clones"));
        QDir().mkpath(destination);
        timer.restart();
        const LabOrderResult result = writeLabOrder(plan, destination, cancel, {}, copying);
        const double ms = timer.nsecsElapsed() / 1e6;
        allWritten = allWritten && result.written;
        std::printf("%-6s %5d cloned %5d copied (%d KiB each) %10.1f ms%s\n",
                    copying == LabOrderCopying::CopyAlways ? "copies" : "clones", result.cloned,
                    result.copied, kilobytes, ms, result.written ? "" : "  NOT WRITTEN");
    }
    return allWritten ? 0 : 1;
}
