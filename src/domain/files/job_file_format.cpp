// SPDX-License-Identifier: MIT
#include "domain/files/job_file_format.h"

#include <type_traits>

Number JobFileFormat::headerNumber(const JobState& job, const HeaderField& field) {
    return std::visit(
        [&](auto member) -> Number {
            const auto& value = job.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, QString>)
                return readNumber(value);
            else if constexpr (std::is_same_v<Value, NumberOrText>)
                return value.value();
            else
                return Number(value);
        },
        field.member);
}

QString JobFileFormat::headerText(const JobState& job, const HeaderField& field) {
    return std::visit(
        [&](auto member) -> QString {
            const auto& value = job.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, QString>)
                return value;
            else if constexpr (std::is_same_v<Value, NumberOrText>)
                return value.toText();
            else
                return plainDecimal(Number(value));
        },
        field.member);
}

QString jobFileHeaderFieldName(int position) {
    if (position < 1 || position > JobFileFormat::kHeaderFields)
        return {};
    return QString::fromUtf16(JobFileFormat::headerField(position).name);
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
