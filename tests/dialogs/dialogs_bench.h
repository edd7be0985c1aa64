#pragma once

#include "app/window_registry.h"
#include "core/job_state.h"
#include "support/fake_platform.h"

#include <QCloseEvent>
#include <QWidget>

// The program's parts as a test builds them: one job, the recording
// platform and the window registry.
struct DialogsBench {
    JobState job;
    FakePlatform platform;
    AppContext context;
    WindowRegistry windows;

    DialogsBench() : context{job, platform, windows, QString()}, windows(context) {}
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
