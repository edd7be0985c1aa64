// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/order_entry.h"

#include <QString>

// Types keys into the engine as the input screen would: each character is
// one Form_KeyPress; "\r" stands for Enter and "\b" for Back Space.
inline void typeKeys(OrderEntry& engine, const QString& keys) {
    for (const QChar c : keys)
        engine.Form_KeyPress(c.unicode());
}

// Keys one pupil: every number followed by Enter, then "/".
inline void keyPerson(OrderEntry& engine, const QList<int>& photoNumbers) {
    for (const int n : photoNumbers)
        typeKeys(engine, QString::number(n) + u'\r');
    typeKeys(engine, QStringLiteral("/"));
}
