// SPDX-License-Identifier: MIT
#include "domain/job/pupil_place.h"

namespace {

QString withUnit(const QString& text, QChar unit) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.endsWith(unit))
        return trimmed;
    return trimmed + unit;
}

}  // namespace

QString pupilPlaceText(const QString& grade, const QString& className, int number) {
    QString place = withUnit(grade, u'年') + withUnit(className, u'組');
    if (number > 0)
        place +=
            (place.isEmpty() ? QString() : QStringLiteral(" ")) + QString::number(number) + u'番';
    return place;
}
