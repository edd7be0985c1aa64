// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/file_replacement.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the operator is told about a file the program writes through
// replaceFile (the job file, the lab export): why it was not written, and
// what in it had to be written otherwise than the job holds it. The kinds of
// file differ only in their words (WriteWording); every sentence is here.
namespace FileWriteTexts {

// The words of one kind of file.
struct WriteWording {
    QString failed;      // "データを保存できませんでした。"
    QString done;        // "データを保存しました"
    QString verb;        // "保存し": 保存しました, 保存した, 保存してください
    QString unwritable;  // where a character cannot be written: "データファイルに"
};

// Messages in those words.
QString failedText(const WriteWording& words);          // %1: path, %2: the step, %3: the cause
QString notConfirmedText(const WriteWording& words);    // %1: path, %2: the cause
QString encodeFailedText(const WriteWording& words);    // %1: path
QString substitutedText(const WriteWording& words);     // %1: the list of changed texts
QString pendingLeftOutText(const WriteWording& words);  // %1: prints of the open entry
QString closeAndRetryText(const WriteWording& words);   // after kInUse: what to do

// The closing lines of a failure.
inline const QString kNotReplaced = QStringLiteral("保存先のファイルは書き換えられていません。");
inline const QString kBackupUntouched =
    QStringLiteral("前の控えのファイルもそのまま残っています。");

// The steps of replaceFile that fail.
inline const QString kCreateFailed = QStringLiteral("保存先に新しいファイルを作れませんでした。");
inline const QString kWriteFailed = QStringLiteral("ファイルを書いている途中で止まりました。");
inline const QString kSyncFailed =
    QStringLiteral("書き込んだデータをディスクに確定できませんでした。");
inline const QString kReadPreviousFailed =  // %1: backup file name
    QStringLiteral("前のファイルを読めなかったため、その控え %1 を作れませんでした。");
inline const QString kBackupFailed =  // %1: backup file name
    QStringLiteral("前のファイルの控え %1 を作れませんでした。");
inline const QString kTargetInUse =  // Create, when the file to replace is held open
    QStringLiteral("保存先のファイルに書き込めませんでした。");
inline const QString kTargetChanged =
    QStringLiteral("保存先のファイルが、ほかのプログラムによって書き換えられていました。");
inline const QString kReplaceFailed =
    QStringLiteral("書き込んだデータで保存先のファイルを置き換えられませんでした。");

// The causes.
inline const QString kDiskFull = QStringLiteral("ディスクの空きが足りません。");
inline const QString kQuotaExceeded = QStringLiteral("ディスクの使用量が上限に達しています。");
inline const QString kTooLarge =
    QStringLiteral("ファイルが大きすぎて、この保存先には書き込めません。");
inline const QString kNoPermission = QStringLiteral("この場所に書き込む権限がありません。");
inline const QString kFileReadOnly =
    QStringLiteral("保存先のファイルは書き換えが許可されていません（読み取り専用です）。");
inline const QString kReadOnly = QStringLiteral("保存先は読み取り専用です。");
inline const QString kNameTooLong =
    QStringLiteral("ファイル名が長すぎます。短い名前にしてください。");
inline const QString kFolderMissing = QStringLiteral("保存先のフォルダーがありません。");
inline const QString kIsFolder = QStringLiteral("同じ名前のフォルダーがあります。");
inline const QString kNotAFile =
    QStringLiteral("同じ名前で、ファイルではないもの（装置など）があります。");
inline const QString kLinkLoop =
    QStringLiteral("シンボリックリンクが輪になっていて、保存先をたどれません。");
inline const QString kDeviceError = QStringLiteral("ディスクの読み書きでエラーが起きました。");
inline const QString kInUse = QStringLiteral(
    "ほかのプログラム（Excel やウイルス対策ソフトなど）がこのファイルを開いたままにしています。");
inline const QString kOtherError =  // %1: the error number
    QStringLiteral("予期しないエラーが起きました（エラー番号 %1）。");

// The cause of a failure in the operator's words.
QString causeText(FileFault fault, int systemError);

// Why replaceFile failed, in the words of the kind of file: the step and the
// cause, or, when the file was replaced but not confirmed, that it should
// be written again. backupSuffix is the one replaceFile was given.
QString replaceFailedText(const FileWriteOutcome& outcome, const QString& shownPath,
                          const WriteWording& words, const QString& backupSuffix);

// One substitution: "・得意先：「a"b」→「a＂b」", long texts shown by their
// beginning.
QString substitutionLine(const QString& place, const QString& original, const QString& written);

// The substitutions, a line each (line(s) gives it); after the first
// kListedSubstitutions only how many more there are.
constexpr int kListedSubstitutions = 10;
inline const QString kMoreSubstitutions = QStringLiteral("・ほか %1 件");  // %1: not listed
template <typename Substitution, typename Line>
QString substitutionList(const QList<Substitution>& substitutions, Line&& line) {
    QStringList lines;
    for (const Substitution& s : substitutions) {
        if (lines.size() == kListedSubstitutions) {
            lines << kMoreSubstitutions.arg(substitutions.size() - kListedSubstitutions);
            break;
        }
        lines << line(s);
    }
    return lines.join(u'\n');
}

}  // namespace FileWriteTexts
