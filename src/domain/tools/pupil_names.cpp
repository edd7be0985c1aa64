// SPDX-License-Identifier: MIT
#include "domain/tools/pupil_names.h"

#include "domain/platform/platform.h"

#include <algorithm>
#include <cmath>

namespace PupilOrderTexts {
const QString kQuestion = QStringLiteral(
    "個人別の一覧を、どの順に並べて印刷しますか？\n\n"
    "入力順：注文票を入力した順\n"
    "組・番号順：名簿の学年・組・出席番号の順\n\n"
    "名簿の生徒に結び付いた人：登録 %2 人のうち %1 人");
const QString kUntied = QStringLiteral("\n組・番号順では、残りの %1 人は最後に入力順に並びます。");
const QString kKeyed = QStringLiteral("入力順");
const QString kByClass = QStringLiteral("組・番号順");
const QString kCancel = QStringLiteral("キャンセル");
}  // namespace PupilOrderTexts

std::optional<PupilName> pupilNameOf(const JobCompanion& companion, int pupilNumber) {
    const auto tie = companion.ties.find(pupilNumber);
    if (tie == companion.ties.end() || tie->second < 0 || tie->second >= companion.roster.size())
        return std::nullopt;
    const RosterPupil& pupil = companion.roster.pupils().at(tie->second);
    return PupilName{pupil.grade, pupil.className, pupil.number, pupil.name};
}

PupilNames pupilNamesOf(const JobCompanion& companion) {
    PupilNames names;
    for (const auto& [pupilNumber, rosterPupil] : companion.ties) {
        if (std::optional<PupilName> name = pupilNameOf(companion, pupilNumber))
            names.emplace_hint(names.end(), pupilNumber, std::move(*name));
    }
    return names;
}

std::optional<PupilOrderBy> choosePupilReportOrder(const JobState& job,
                                                   const JobCompanion& companion,
                                                   Platform& platform) {
    if (companion.roster.isEmpty())
        return PupilOrderBy::Keyed;
    const Number registered = std::floor(job.personCount);
    const int pupils =
        registered >= 1 ? int(std::min<Number>(registered, JobState::kMaxPersons)) : 0;
    int tied = 0;
    for (int pupil = 1; pupil <= pupils; ++pupil)
        tied += pupilNameOf(companion, pupil) ? 1 : 0;
    if (tied == 0)
        return PupilOrderBy::Keyed;
    using namespace PupilOrderTexts;
    QString question = kQuestion.arg(tied).arg(pupils);
    if (tied < pupils)
        question += kUntied.arg(pupils - tied);
    switch (platform.askChoice(question, {kKeyed, kByClass, kCancel}, 0, 2)) {
        case 0:
            return PupilOrderBy::Keyed;
        case 1:
            return PupilOrderBy::ClassAndNumber;
        default:
            return std::nullopt;
    }
}
