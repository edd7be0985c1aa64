// SPDX-License-Identifier: MIT
#pragma once

#include "gui/setup/job_settings_widgets.h"

#include <memory>

#include <QWidget>

struct RunContext;
namespace Ui {
class frmSetteiJoho;
}

// The settings view: the job's header, sizes, ranges, counts and prices,
// laid out like the setup screen with controls of the same names, filled
// from the job each time the view becomes active. It only shows: its boxes
// are read-only, its option buttons do not react, and it writes nothing.
// When it loses the focus without another window of the program taking it,
// the input screen gets the focus back.
class frmSetteiJoho : public QWidget {
    Q_OBJECT

public:
    explicit frmSetteiJoho(RunContext& context);
    ~frmSetteiJoho() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Activate();
    void Form_LostFocus();
    void giveFocusToInputScreen();

    std::unique_ptr<Ui::frmSetteiJoho> ui;
    JobSettingsWidgets jobSettings_{};  // from ui, once it is set up
    RunContext& context_;
    bool activatedOnce_ = false;
};
