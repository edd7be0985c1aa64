// SPDX-License-Identifier: MIT
#include "domain/roster/job_companion.h"

#include "domain/files/system_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace JobCompanionTexts {
const QString kNotJson =
    QStringLiteral("名簿と写真フォルダーのファイルが壊れています（%1 バイト目から読めません）。");
const QString kNewerFormat =
    QStringLiteral("名簿と写真フォルダーのファイルは、このピクトルより新しい形式（%1）です。");
const QString kBadPupil =
    QStringLiteral("名簿と写真フォルダーのファイルの、名簿の %1 人目が読めません。");
const QString kBadTie = QStringLiteral(
    "名簿と写真フォルダーのファイルで、%1 人目の注文が名簿にない生徒に結び付いています。");
const QString kTooLarge =
    QStringLiteral("名簿と写真フォルダーのファイルが大きすぎるため、読み込みませんでした。");
const QString kDamaged = QStringLiteral(
    "%1\nジョブはそのまま読み込みました（注文に名前は付いていません）。"
    "壊れたファイルは %2 に残してあります。");
const QString kTiesNotCarried = QStringLiteral(
    "結合したジョブで名簿の生徒に結び付いていた注文のうち %1 人分は、その生徒がこのジョブの"
    "名簿にいないため、名前なしで加えました。");
}  // namespace JobCompanionTexts

namespace {

using namespace JobCompanionTexts;

const QString kSuffix = QStringLiteral(".pictor");
const QString kDamagedSuffix = QStringLiteral(".damaged");

QJsonObject pupilObject(const RosterPupil& pupil) {
    QJsonObject object{{QStringLiteral("class"), pupil.className},
                       {QStringLiteral("number"), pupil.number},
                       {QStringLiteral("name"), pupil.name}};
    // Only what the pupil has: a roster of 2,000 stays small.
    if (!pupil.grade.isEmpty())
        object.insert(QStringLiteral("grade"), pupil.grade);
    if (!pupil.kana.isEmpty())
        object.insert(QStringLiteral("kana"), pupil.kana);
    if (!pupil.id.isEmpty())
        object.insert(QStringLiteral("id"), pupil.id);
    return object;
}

std::optional<RosterPupil> pupilOf(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue number = object.value(QStringLiteral("number"));
    const QJsonValue name = object.value(QStringLiteral("name"));
    if (!name.isString() || !number.isDouble() || number.toDouble() != number.toInt())
        return std::nullopt;
    RosterPupil pupil;
    pupil.grade = object.value(QStringLiteral("grade")).toString();
    pupil.className = object.value(QStringLiteral("class")).toString();
    pupil.number = number.toInt();
    pupil.name = name.toString();
    pupil.kana = object.value(QStringLiteral("kana")).toString();
    pupil.id = object.value(QStringLiteral("id")).toString();
    return pupil;
}

}  // namespace

QString jobCompanionPath(const QString& jobFilePath) {
    return jobFilePath + kSuffix;
}

QByteArray jobCompanionBytes(const JobCompanion& companion) {
    QJsonArray pupils;
    for (const RosterPupil& pupil : companion.roster.pupils())
        pupils.append(pupilObject(pupil));
    QJsonArray ties;
    for (const auto& [pupil, rosterIndex] : companion.ties)
        ties.append(QJsonArray{pupil, rosterIndex});
    const QJsonObject root{{QStringLiteral("format"), kJobCompanionFormat},
                           {QStringLiteral("photoFolder"), companion.photoFolder},
                           {QStringLiteral("roster"), pupils},
                           {QStringLiteral("ties"), ties}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

JobCompanionRead readJobCompanion(const QByteArray& bytes) {
    JobCompanionRead read;
    if (bytes.size() > kMaxJobCompanionBytes) {
        read.problem = kTooLarge;
        return read;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        read.problem = kNotJson.arg(error.error != QJsonParseError::NoError ? error.offset + 1 : 1);
        return read;
    }
    const QJsonObject root = document.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (format.toInt(0) != kJobCompanionFormat) {
        read.problem = format.toInt(0) > kJobCompanionFormat ? kNewerFormat.arg(format.toInt())
                                                             : kNotJson.arg(1);
        return read;
    }
    JobCompanion companion;
    companion.photoFolder = root.value(QStringLiteral("photoFolder")).toString();
    QVector<RosterPupil> pupils;
    const QJsonArray roster = root.value(QStringLiteral("roster")).toArray();
    for (qsizetype i = 0; i < roster.size(); ++i) {
        const std::optional<RosterPupil> pupil = pupilOf(roster[i]);
        if (!pupil) {
            read.problem = kBadPupil.arg(i + 1);
            return read;
        }
        pupils.append(*pupil);
    }
    companion.roster = Roster(std::move(pupils));
    for (const QJsonValue& value : root.value(QStringLiteral("ties")).toArray()) {
        const QJsonArray tie = value.toArray();
        const int pupil = tie.at(0).toInt(0);
        const int rosterIndex = tie.at(1).toInt(-1);
        if (tie.size() != 2 || pupil < 1 || rosterIndex < 0 ||
            rosterIndex >= companion.roster.size()) {
            read.problem = kBadTie.arg(pupil);
            return read;
        }
        companion.ties[pupil] = rosterIndex;
    }
    read.companion = std::move(companion);
    return read;
}

JobCompanionLoad loadJobCompanion(const QString& jobFilePath) {
    JobCompanionLoad load;
    const QString path = jobCompanionPath(jobFilePath);
    QFile file;
    if (SystemFiles::openRegularFile(path, file) != SystemFiles::Opened::Yes)
        return load;  // none there: a job as it always was
    const QByteArray bytes = file.read(kMaxJobCompanionBytes + 1);
    file.close();
    load.fileDigest = contentDigest(bytes);
    JobCompanionRead read = readJobCompanion(bytes);
    if (read.companion) {
        load.companion = std::move(*read.companion);
        return load;
    }
    // Kept aside under a name of its own, never over another one.
    for (int copy = 1; copy < 1000; ++copy) {
        const QString aside =
            path + kDamagedSuffix + (copy == 1 ? QString() : QStringLiteral("(%1)").arg(copy));
        if (SystemFiles::renameNew(path, aside) == 0) {
            load.setAside = aside;
            break;
        }
    }
    load.fileDigest.clear();
    load.problem = kDamaged.arg(
        read.problem, QDir::toNativeSeparators(load.setAside.isEmpty() ? path : load.setAside));
    return load;
}

FileWriteOutcome saveJobCompanion(const QString& jobFilePath, const JobCompanion& companion,
                                  const QByteArray& unchangedDigest) {
    return replaceFile(jobCompanionPath(jobFilePath), jobCompanionBytes(companion),
                       QStringLiteral(".bak"), unchangedDigest);
}

std::optional<JobCompanion> readJobCompanionBeside(const QString& jobFilePath) {
    QFile file;
    if (SystemFiles::openRegularFile(jobCompanionPath(jobFilePath), file) !=
        SystemFiles::Opened::Yes)
        return std::nullopt;
    return readJobCompanion(file.read(kMaxJobCompanionBytes + 1)).companion;
}

int carryCombinedTies(JobCompanion& ours, const JobCompanion& theirs, int firstNewPupil) {
    if (theirs.ties.empty())
        return 0;
    if (ours.roster.isEmpty()) {
        ours.roster = theirs.roster;
        for (const auto& [pupil, rosterIndex] : theirs.ties)
            ours.ties[firstNewPupil - 1 + pupil] = rosterIndex;
        return 0;
    }
    int notCarried = 0;
    for (const auto& [pupil, rosterIndex] : theirs.ties) {
        const RosterPupil& theirPupil = theirs.roster.pupils().at(rosterIndex);
        std::optional<int> found =
            theirPupil.id.isEmpty() ? std::nullopt : ours.roster.findId(theirPupil.id);
        if (!found && theirPupil.number > 0)
            found = ours.roster.find(theirPupil.grade, theirPupil.className, theirPupil.number);
        if (found)
            ours.ties[firstNewPupil - 1 + pupil] = *found;
        else
            ++notCarried;
    }
    return notCarried;
}
