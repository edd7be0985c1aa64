// SPDX-License-Identifier: MIT
#pragma once

#include "gui/alerts/alert_window_base.h"

#include <memory>

namespace Ui {
class frmAlert;
}

// The range alert of the input screen: the number keyed is 0 or lies in
// none of the job's photo-number ranges. Lists the allowed ranges as they
// are when the window is loaded.
class frmAlert : public AlertWindowBase {
    Q_OBJECT

public:
    explicit frmAlert(RunContext& context);
    ~frmAlert() override;

    // Disables owner (the input screen) and shows the alert above it.
    void open(QWidget* owner);

private:
    void Form_Load();
    void unloadFromRegistry() override;

    std::unique_ptr<Ui::frmAlert> ui;
};
