// SPDX-License-Identifier: MIT
#include "gui/printing/report_fonts.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>

namespace {

// Characters of every fixed text of the reports: a face without them would
// draw boxes.
const QString kSampleText = QStringLiteral(
    "（得意先名）（行事名）（撮影年月日）（撮影者）☆全受注数大中小・・・やきまし注文数"
    "合計金額円枚個人別一覧写真番号単価登録人数〜※0123456789_");

QString findFamily(ReportFace face) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& candidate : reportFamilyCandidates(face)) {
        for (const QString& family : installed) {
            if (family.compare(candidate, Qt::CaseInsensitive) == 0 &&
                familyDrawsText(family, kSampleText))
                return family;
        }
    }
    // Any Japanese face, one of the right kind first.
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    const QStringList kindWords =
        face == ReportFace::Mincho
            ? QStringList{QStringLiteral("serif"), QStringLiteral("mincho"), QStringLiteral("明朝")}
            : QStringList{QStringLiteral("sans"), QStringLiteral("gothic"),
                          QStringLiteral("ゴシック")};
    for (const bool wantKind : {true, false}) {
        for (const QString& family : japanese) {
            const bool ofKind = std::any_of(
                kindWords.begin(), kindWords.end(),
                [&](const QString& w) { return family.contains(w, Qt::CaseInsensitive); });
            if ((!wantKind || ofKind) && familyDrawsText(family, kSampleText))
                return family;
        }
    }
    return {};
}

}  // namespace

QStringList reportFamilyCandidates(ReportFace face) {
    // Windows' faces first, then those of Linux.
    if (face == ReportFace::Mincho) {
        return {QStringLiteral("ＭＳ 明朝"),         QStringLiteral("MS Mincho"),
                QStringLiteral("Yu Mincho"),         QStringLiteral("游明朝"),
                QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif JP"),
                QStringLiteral("IPAex明朝"),         QStringLiteral("IPAexMincho"),
                QStringLiteral("IPA明朝"),           QStringLiteral("IPAMincho")};
    }
    return {QStringLiteral("ＭＳ ゴシック"),    QStringLiteral("MS Gothic"),
            QStringLiteral("Yu Gothic"),        QStringLiteral("游ゴシック"),
            QStringLiteral("Meiryo"),           QStringLiteral("メイリオ"),
            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
            QStringLiteral("IPAexゴシック"),    QStringLiteral("IPAexGothic"),
            QStringLiteral("IPAゴシック"),      QStringLiteral("IPAGothic")};
}

bool familyDrawsText(const QString& family, const QString& text) {
    QFont font(family);
    font.setStyleStrategy(QFont::NoFontMerging);
    // The font actually chosen must be the family asked for, not a stand-in.
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0)
        return false;
    const QFontMetricsF metrics(font);
    for (const char32_t c : text.toUcs4()) {
        if (!metrics.inFontUcs4(c))
            return false;
    }
    return true;
}

QString reportFontFamily(ReportFace face) {
    static QHash<int, QString> cache;
    const auto it = cache.constFind(int(face));
    if (it != cache.constEnd())
        return *it;
    const QString family = findFamily(face);
    cache.insert(int(face), family);
    return family;
}

QFont reportFont(ReportFace face, qreal points, bool bold) {
    QString family = reportFontFamily(face);
    if (family.isEmpty())
        family = reportFamilyCandidates(face).first();
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}
