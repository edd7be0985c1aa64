// SPDX-License-Identifier: MIT
// Files of a POSIX system that are no regular files and never end, or
// block an open() for reading: the loader refuses them at once.
#include "domain/files/job_file_loader.h"
#include "domain/job/job_state.h"

#include <chrono>
#include <future>

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

JobState oldJob() {
    JobState job;
    job.customerName = QStringLiteral("旧1");
    return job;
}

}  // namespace

class TestJobFileLoaderPosix : public QObject {
    Q_OBJECT

private slots:
    void deviceWithoutEnd_refusedAsNotAFile();
    void namedPipe_refusedWithoutWaiting();
};

void TestJobFileLoaderPosix::deviceWithoutEnd_refusedAsNotAFile() {
    const QString path = QStringLiteral("/dev/zero");
    QVERIFY(QFileInfo::exists(path));
    JobState job = oldJob();
    const JobFileLoadResult result = LoadJobFile(job, path);
    QCOMPARE(result.status, JobFileLoadResult::Status::NothingRead);
    QCOMPARE(result.reason, JobFileLoadResult::Reason::NotAFile);
    QVERIFY(result.message.startsWith(QStringLiteral("ファイルを開けませんでした。")));
    QVERIFY(result.message.contains(path));
    QVERIFY(result.message.contains(QStringLiteral("通常のファイルではない")));
    QCOMPARE(job.customerName.toText(), QStringLiteral("旧1"));
}

void TestJobFileLoaderPosix::namedPipe_refusedWithoutWaiting() {
    // A named pipe holds an open() for reading until something writes to
    // it. Loaded on a thread of its own, so that a load that does wait can be
    // set free (by opening the pipe for writing) and reported.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe.ptl"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    JobState job = oldJob();
    auto load = std::async(std::launch::async, [&] { return LoadJobFile(job, path); });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        load.wait();
        QFAIL("the load waited for a writer of the pipe");
    }
    const JobFileLoadResult result = load.get();
    QCOMPARE(result.reason, JobFileLoadResult::Reason::NotAFile);
    QVERIFY(result.message.contains(path));
    QCOMPARE(job.customerName.toText(), QStringLiteral("旧1"));
}

QTEST_GUILESS_MAIN(TestJobFileLoaderPosix)
#include "tst_job_file_loader_posix.moc"
