// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Where a pupil sits in the school, as every screen, list and report shows
// it: "6年1組 12番". The grade and class as the school writes them, with
// "年" and "組" after them unless it wrote them already; a part the school
// gives none of (no grade, no number) left out.
QString pupilPlaceText(const QString& grade, const QString& className, int number);
