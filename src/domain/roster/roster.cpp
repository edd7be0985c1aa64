// SPDX-License-Identifier: MIT
#include "domain/roster/roster.h"

#include "domain/job/pupil_place.h"

namespace {

QString classNumberKey(const QString& className, int number) {
    return rosterKeyText(className) + u'\x1f' + QString::number(number);
}

}  // namespace

QString rosterKeyText(const QString& text) {
    QString key = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    key.remove(u' ');
    return key;
}

Roster::Roster(QVector<RosterPupil> pupils) : pupils_(std::move(pupils)) {
    for (int i = 0; i < pupils_.size(); ++i) {
        const RosterPupil& pupil = pupils_[i];
        byClassNumber_.insert(classNumberKey(pupil.className, pupil.number), i);
        if (!pupil.id.isEmpty())
            byId_.insert(rosterKeyText(pupil.id), i);
    }
}

std::optional<int> Roster::find(const QString& grade, const QString& className, int number) const {
    std::optional<int> found;
    const QString wantedGrade = rosterKeyText(grade);
    const auto [first, last] = byClassNumber_.equal_range(classNumberKey(className, number));
    for (auto it = first; it != last; ++it) {
        if (!wantedGrade.isEmpty() && rosterKeyText(pupils_[*it].grade) != wantedGrade)
            continue;
        if (found)
            return std::nullopt;  // two pupils: the grade must tell them apart
        found = *it;
    }
    return found;
}

std::optional<int> Roster::findId(const QString& id) const {
    const auto it = byId_.constFind(rosterKeyText(id));
    if (it == byId_.constEnd())
        return std::nullopt;
    return *it;
}

int Roster::countOf(const QString& className, int number) const {
    return int(byClassNumber_.count(classNumberKey(className, number)));
}

QString rosterPlaceText(const RosterPupil& pupil) {
    return pupilPlaceText(pupil.grade, pupil.className, pupil.number);
}
