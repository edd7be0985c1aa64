// SPDX-License-Identifier: MIT
#include "gui/input/form1_accessibility.h"

#include "domain/entry/order_entry.h"

#include <QAccessible>
#include <QStringList>
#include <QWidget>

namespace Form1Accessibility {

QString keyingDescription(const InputDisplay& display) {
    QStringList parts;
    if (const QString typed = display.Label1.trimmed(); !typed.isEmpty())
        parts << kTypedNumber + u' ' + typed;
    if (const QString amount = display.tbHGoukei.trimmed(); !amount.isEmpty())
        parts << kAmount + u' ' + amount + kYen;
    return parts.join(QStringLiteral("、"));
}

void describeKeying(std::initializer_list<QWidget*> keyingControls, const InputDisplay& display) {
    if (!QAccessible::isActive())
        return;
    const QString description = keyingDescription(display);
    for (QWidget* control : keyingControls) {
        // Each setting is told to the screen reader: only a change is set.
        if (control->accessibleDescription() != description)
            control->setAccessibleDescription(description);
    }
}

}  // namespace Form1Accessibility
