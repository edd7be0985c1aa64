// SPDX-License-Identifier: MIT
#include "domain/tools/photo_check.h"

#include "domain/files/file_write_texts.h"
#include "domain/files/system_files.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>

namespace PhotoDoubtTexts {
const QString kQuestion = QStringLiteral(
    "写真フォルダーに、確かめておきたい写真があります。\n\n%1\n\n"
    "このまま%2を作りますか？（写真フォルダーを直してから、もう一度作ることもできます）");
const QString kSeveralFiles = QStringLiteral("%1：%2 を使います（使わないファイル：%3）");
const QString kNotWhole =
    QStringLiteral("%1：%2 は終わりが欠けています（コピーが途中で切れたのかもしれません）");
const QString kUnreadable = QStringLiteral("%1：%2 を読めません。%3");
const QString kMore = QStringLiteral("ほか %1 件");
const QString kGoOn = QStringLiteral("このまま作る");
const QString kStop = QStringLiteral("やめる");
}  // namespace PhotoDoubtTexts

namespace {

using namespace PhotoDoubtTexts;

constexpr int kAsked = 12;             // lines in the question; the rest counted
constexpr qint64 kTail = 16 * 1024;    // where the end marker is looked for
constexpr qint64 kFront = 128 * 1024;  // the headers and thumbnail, with their own end marker
const QByteArray kJpegStart("\xFF\xD8\xFF");
const QByteArray kJpegEnd("\xFF\xD9");

}  // namespace

QString photoReadCauseText(int error) {
    switch (faultOfSystemError(error)) {
        case FileFault::FolderMissing:
            return QStringLiteral("写真がありません（消されたか、動かされたようです）。");
        case FileFault::NoPermission:
            return QStringLiteral("写真を読む権限がありません。");
        case FileFault::IsFolder:
            return QStringLiteral("写真ではなく、フォルダーです。");
        case FileFault::InUse:
            return QStringLiteral("ほかのプログラムが写真を開いたままにしていて、読めません。");
        case FileFault::LinkLoop:
            return QStringLiteral("シンボリックリンクが輪になっていて、写真にたどり着けません。");
        default:
            return FileWriteTexts::causeText(faultOfSystemError(error), error);
    }
}

namespace {

QString nameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

// The first bytes of the open file, as many as it has up to size.
QByteArray readFront(const SystemFiles::OpenFile& file, qint64 size, int* error) {
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        const qint64 read = file.read(bytes.data() + got, size - got, error);
        if (read < 0)
            return {};
        if (read == 0)
            break;
        got += read;
    }
    bytes.truncate(got);
    return bytes;
}

bool endsWhole(const QByteArray& tail, qint64 tailStart) {
    qsizetype end = tail.size();
    while (end > 0 && (tail[end - 1] == '\0' || tail[end - 1] == '\xFF'))
        --end;
    // The padding stripped may have taken the marker's own FF.
    if (end >= 1 && tail[end - 1] == '\xD9' && end >= 2 && tail[end - 2] == '\xFF')
        return true;
    const qsizetype marker = tail.lastIndexOf(kJpegEnd);
    return marker >= 0 && tailStart + marker >= kFront;
}

}  // namespace

PhotoFileCheck checkPhotoFile(const QString& path) {
    PhotoFileCheck check;
    SystemFiles::OpenFile file;
    if ((check.error = file.openToReadThroughLinks(path)) != 0)
        return check;
    SystemFiles::Status status;
    if ((check.error = file.status(&status)) != 0)
        return check;
    const QByteArray front = readFront(file, kJpegStart.size(), &check.error);
    if (check.error != 0)
        return check;
    check.jpeg = front == kJpegStart;
    if (!check.jpeg)
        return check;
    const qint64 size = status.stamp.size;
    const qint64 tailStart = std::max<qint64>(0, size - kTail);
    // Read where it was left: an end that cannot be read is no end either.
    QFile rest;
    QByteArray tail;
    if (rest.open(file.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle) &&
        rest.seek(tailStart))
        tail = rest.read(size - tailStart);
    check.whole = endsWhole(tail, tailStart);
    return check;
}

bool isJpegFile(const QString& path, int* error) {
    int ignored = 0;
    int& failure = error ? *error : ignored;
    SystemFiles::OpenFile file;
    if ((failure = file.openToReadThroughLinks(path)) != 0)
        return false;
    return readFront(file, kJpegStart.size(), &failure) == kJpegStart;
}

QVector<PhotoDoubt> findPhotoDoubts(QVector<PhotoFiles> photos, const std::atomic<bool>& cancel) {
    std::sort(photos.begin(), photos.end(),
              [](const PhotoFiles& a, const PhotoFiles& b) { return a.number < b.number; });
    QVector<PhotoDoubt> doubts;
    for (const PhotoFiles& photo : photos) {
        if (photo.files.isEmpty())
            continue;
        if (cancel.load(std::memory_order_relaxed))
            break;
        const QString& used = photo.files.first();
        if (photo.files.size() > 1) {
            doubts.append(
                {photo.number, PhotoDoubt::Kind::SeveralFiles, used, photo.files.mid(1), 0});
        }
        const PhotoFileCheck check = checkPhotoFile(used);
        if (check.error != 0)
            doubts.append({photo.number, PhotoDoubt::Kind::Unreadable, used, {}, check.error});
        else if (!check.whole)
            doubts.append({photo.number, PhotoDoubt::Kind::NotWhole, used, {}, 0});
    }
    return doubts;
}

QStringList photoDoubtLines(const QVector<PhotoDoubt>& doubts) {
    QStringList lines;
    for (const PhotoDoubt& doubt : doubts) {
        const QString number = QString::number(doubt.number);
        switch (doubt.kind) {
            case PhotoDoubt::Kind::SeveralFiles: {
                QStringList others;
                for (const QString& file : doubt.unused)
                    others << nameOf(file);
                lines << kSeveralFiles.arg(number, nameOf(doubt.file),
                                           others.join(QStringLiteral("、")));
                break;
            }
            case PhotoDoubt::Kind::NotWhole:
                lines << kNotWhole.arg(number, nameOf(doubt.file));
                break;
            case PhotoDoubt::Kind::Unreadable:
                lines << kUnreadable.arg(number, nameOf(doubt.file),
                                         photoReadCauseText(doubt.error));
                break;
        }
    }
    return lines;
}

QString photoDoubtQuestion(const QVector<PhotoDoubt>& doubts, const QString& what) {
    QStringList lines = photoDoubtLines(doubts.mid(0, kAsked));
    if (doubts.size() > kAsked)
        lines << kMore.arg(doubts.size() - kAsked);
    return kQuestion.arg(lines.join(u'\n'), what);
}
