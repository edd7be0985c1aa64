// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
#include "support/fake_platform.h"
#include "windows/window_registry.h"

#include <QCloseEvent>
#include <QWidget>

// The program's parts as a test builds them: one job, the recording
// platform and the window registry.
struct DialogsFixture {
    JobState job;
    FakePlatform platform;
    RunContext context;
    WindowRegistry windows;

    DialogsFixture() : context{job, platform, windows, QString()}, windows(context) {}
};

// A window that counts how often its close handling ran.
class CloseProbe : public QWidget {
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};
