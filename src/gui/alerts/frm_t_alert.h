// SPDX-License-Identifier: MIT
#pragma once

#include "gui/alerts/alert_window_base.h"

#include <memory>

namespace Ui {
class frmTAlert;
}

// The range alert of the correction screen: the photo number to add or
// delete lies in none of the job's photo-number ranges. Lists the allowed
// ranges as they are when the window is loaded.
class frmTAlert : public AlertWindowBase {
    Q_OBJECT

public:
    explicit frmTAlert(RunContext& context);
    ~frmTAlert() override;

    // Disables owner (the correction screen) and shows the alert above it;
    // when the alert closes, the focus goes back into focusBack (the
    // correction screen's number box).
    void open(QWidget* owner, QWidget* focusBack);

private:
    void Form_Load();
    void unloadFromRegistry() override;

    std::unique_ptr<Ui::frmTAlert> ui;
};
