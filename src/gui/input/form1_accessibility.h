// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>

#include <QString>

struct InputDisplay;
class QWidget;

// What a screen reader is told while the operator keys on the input screen.
// The labels name themselves (their captions are tied to them in form1.ui);
// this is the running account of the open pupil given to the controls that
// take the keys, as they take no text of their own.
namespace Form1Accessibility {

inline const QString kTypedNumber = QStringLiteral("入力中の写真番号");
inline const QString kAmount = QStringLiteral("合計");
inline const QString kYen = QStringLiteral("円");

// "入力中の写真番号 45、合計 1300円": the typed number and the open pupil's
// amount, each left out while its label is empty.
QString keyingDescription(const InputDisplay& display);

// While a screen reader listens, gives the controls that hold the keys while
// keying (the recent-entries list and the screen behind it) that
// description, which tells a screen reader of each change; with none
// listening, builds nothing.
void describeKeying(std::initializer_list<QWidget*> keyingControls, const InputDisplay& display);

}  // namespace Form1Accessibility
