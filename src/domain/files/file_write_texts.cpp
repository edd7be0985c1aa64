// SPDX-License-Identifier: MIT
#include "domain/files/file_write_texts.h"

#include <QFileInfo>

namespace FileWriteTexts {

QString failedText(const WriteWording& words) {
    return words.failed + QStringLiteral("\n%1\n%2\n%3\n");
}

QString notConfirmedText(const WriteWording& words) {
    return words.done +
           QStringLiteral(
               "が、ディスクに書き込まれたことを確かめられませんでした。\n%1\n%2\n"
               "もう一度") +
           words.verb + QStringLiteral("てください。");
}

QString encodeFailedText(const WriteWording& words) {
    return words.failed +
           QStringLiteral("\n%1\nデータをファイルの文字コードに変換できませんでした。\n") +
           kNotReplaced;
}

QString substitutedText(const WriteWording& words) {
    return QStringLiteral("次の項目には") + words.unwritable +
           QStringLiteral("書けない文字があったため、代わりの文字に置き換えて") + words.verb +
           QStringLiteral("ました。\n%1");
}

QString pendingLeftOutText(const WriteWording& words) {
    return QStringLiteral("入力中の人の注文（%1 枚）はまだ登録されていないため、") + words.verb +
           QStringLiteral("たファイルには含まれていません。");
}

QString closeAndRetryText(const WriteWording& words) {
    return QStringLiteral("そのプログラムでファイルを閉じてから、もう一度") + words.verb +
           QStringLiteral("てください。");
}

QString causeText(FileFault fault, int systemError) {
    switch (fault) {
        case FileFault::DiskFull:
            return kDiskFull;
        case FileFault::QuotaExceeded:
            return kQuotaExceeded;
        case FileFault::TooLarge:
            return kTooLarge;
        case FileFault::NoPermission:
            return kNoPermission;
        case FileFault::FileReadOnly:
            return kFileReadOnly;
        case FileFault::ReadOnly:
            return kReadOnly;
        case FileFault::NameTooLong:
            return kNameTooLong;
        case FileFault::FolderMissing:
            return kFolderMissing;
        case FileFault::IsFolder:
            return kIsFolder;
        case FileFault::NotAFile:
            return kNotAFile;
        case FileFault::LinkLoop:
            return kLinkLoop;
        case FileFault::DeviceError:
            return kDeviceError;
        case FileFault::InUse:
            return kInUse;
        case FileFault::None:
        case FileFault::Other:
            break;
    }
    return kOtherError.arg(systemError);
}

QString replaceFailedText(const FileWriteOutcome& outcome, const QString& shownPath,
                          const WriteWording& words, const QString& backupSuffix) {
    const QString cause = causeText(outcome.fault, outcome.systemError);
    if (outcome.step == FileStep::ConfirmReplace)
        return notConfirmedText(words).arg(shownPath, cause);
    const QString backupName = QFileInfo(outcome.finalPath + backupSuffix).fileName();
    QString step;
    switch (outcome.step) {
        case FileStep::None:
        case FileStep::Create:
            step = outcome.fault == FileFault::InUse ? kTargetInUse : kCreateFailed;
            break;
        case FileStep::Write:
            step = kWriteFailed;
            break;
        case FileStep::Sync:
            step = kSyncFailed;
            break;
        case FileStep::ReadPrevious:
            step = kReadPreviousFailed.arg(backupName);
            break;
        case FileStep::Backup:
            step = kBackupFailed.arg(backupName);
            break;
        case FileStep::TargetChanged:
            step = kTargetChanged;
            break;
        case FileStep::Replace:
        case FileStep::ConfirmReplace:
            step = kReplaceFailed;
            break;
    }
    QString message = failedText(words).arg(shownPath, step, cause) + kNotReplaced;
    if (outcome.step == FileStep::Backup || outcome.step == FileStep::ReadPrevious)
        message += u'\n' + kBackupUntouched;
    if (outcome.fault == FileFault::InUse)
        message += u'\n' + closeAndRetryText(words);
    return message;
}

QString substitutionLine(const QString& place, const QString& original, const QString& written) {
    // A record can be long: show its beginning.
    constexpr qsizetype kShown = 40;
    const auto shorten = [](const QString& text) {
        return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("…");
    };
    return QStringLiteral("・%1：「%2」→「%3」").arg(place, shorten(original), shorten(written));
}

}  // namespace FileWriteTexts
