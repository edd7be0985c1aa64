// SPDX-License-Identifier: MIT
#pragma once

#include "app/program.h"
#include "support/fake_platform.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

// A recording platform whose message boxes can also take the focus for a
// moment, the way a real message box does: it opens a box, waits until the
// box is the active window, closes it and lets the window under it become
// active again.
class FocusTakingPlatform : public FakePlatform {
public:
    bool takeFocus = false;
    int boxesActivated = 0;     // message boxes that really took the focus
    int ownersReactivated = 0;  // windows active again after their box

    void showMessage(const QString& text) override {
        FakePlatform::showMessage(text);
        if (!takeFocus)
            return;
        QPointer<QWidget> owner = QApplication::activeWindow();
        auto* box = new QMessageBox(QMessageBox::NoIcon, QString(), text);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        if (QTest::qWaitForWindowActive(box) && QApplication::activeWindow() == box)
            ++boxesActivated;
        box->close();
        if (owner) {
            owner->activateWindow();
            if (QTest::qWaitForWindowActive(owner))
                ++ownersReactivated;
        }
    }
};

// A run as a test builds it: one job, the platform above and the window
// registry.
using ProgramFixture = Program<FocusTakingPlatform>;
