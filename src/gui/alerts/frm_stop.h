// SPDX-License-Identifier: MIT
#pragma once

#include "gui/alerts/alert_window_base.h"

#include <memory>

namespace Ui {
class frmStop;
}

// The input-error window of the input screen: an entry still holds a minus
// sign that neither removes a print nor can be read as a number. Tells how
// a removal is typed.
class frmStop : public AlertWindowBase {
    Q_OBJECT

public:
    explicit frmStop(RunContext& context);
    ~frmStop() override;

    // Disables owner (the input screen) and shows the window above it.
    void open(QWidget* owner);

private:
    void unloadFromRegistry() override;

    std::unique_ptr<Ui::frmStop> ui;
};
