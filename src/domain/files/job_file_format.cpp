// SPDX-License-Identifier: MIT
#include "domain/files/job_file_format.h"

#include <array>

QString jobFileHeaderFieldName(int position) {
    static const std::array<const char16_t*, JobFileFormat::kHeaderFields> names = {
        u"得意先",
        u"行事名",
        u"撮影日",
        u"撮影者",
        u"ネガ大の設定",
        u"ネガ大の始めのNo.",
        u"ネガ大の終わりのNo.",
        u"ネガ中の設定",
        u"ネガ中の始めのNo.",
        u"ネガ中の終わりのNo.",
        u"ネガ小の始めのNo.",
        u"ネガ小の終わりのNo.",
        u"写真（大）の単価",
        u"写真（中）の単価",
        u"写真（小）の単価",
        u"全受注数",
        u"受注数（大）",
        u"受注数（中）",
        u"受注数（小）",
        u"登録人数",
        u"最後に登録した番号",
    };
    if (position < 1 || position > JobFileFormat::kHeaderFields)
        return {};
    return QString::fromUtf16(names[std::size_t(position - 1)]);
}

QString jobFileFieldPlace(JobFileSection section, int index) {
    switch (section) {
        case JobFileSection::Header:
            return QStringLiteral("ヘッダーの「%1」").arg(jobFileHeaderFieldName(index));
        case JobFileSection::Count:
            return QStringLiteral("写真番号 %1 の注文数").arg(index);
        case JobFileSection::Record:
            return QStringLiteral("%1 人目の個人データ").arg(index);
    }
    return {};
}
