// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The two typefaces of the reports: "ＭＳ 明朝" (serif) for the body and
// "ＭＳ ゴシック" (sans) for headings and photo numbers. Where these are not
// installed the reports use an installed Japanese face of the same kind
// (Noto Serif CJK JP, Noto Sans CJK JP, IPAex...), and failing those any
// installed face that has the reports' Japanese characters, so the text is
// never drawn as empty boxes. Needs a QGuiApplication.
enum class ReportFace { Mincho, Gothic };

// The families tried for a face, in order of preference.
QStringList reportFamilyCandidates(ReportFace face);

// The installed family the reports use for a face; empty when no installed
// family has the Japanese characters the reports print.
QString reportFontFamily(ReportFace face);

// Whether the given family is installed and draws every character of text.
bool familyDrawsText(const QString& family, const QString& text);

// A report font of the given face and size in points.
QFont reportFont(ReportFace face, qreal points, bool bold = false);
