// SPDX-License-Identifier: MIT
#include "domain/job/record_items.h"

#include <algorithm>

QVector<Number> parseEntryTokens(QStringView entry, int room, bool* overflow) {
    QVector<Number> values;
    values.reserve(std::min<qsizetype>(room, entry.size() / 2 + 1));
    bool over = false;
    forEachRecordItem(entry, [&](const RecordItem& item) {
        if (values.size() == room) {
            over = true;
            return false;
        }
        values.append(item.value());
        return true;
    });
    if (overflow)
        *overflow = over;
    return values;
}
