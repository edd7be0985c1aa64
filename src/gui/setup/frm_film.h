// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/job_setup.h"
#include "domain/entry/setup_screen.h"
#include "gui/setup/job_settings_widgets.h"

#include <memory>

#include <QMainWindow>

struct RunContext;
class QLineEdit;

namespace Ui {
class FrmFilm;
}

// The job setup screen: the job header, the three sizes' photo-number
// ranges and unit prices, switching large and medium on and off, and the
// finish button that opens the input screen. Its controls carry the names
// the rest of the program (the job file loader) uses to reach them.
class FrmFilm : public QMainWindow, private SetupScreen {
    Q_OBJECT
public:
    explicit FrmFilm(RunContext& context);
    ~FrmFilm() override;

    // The finish button: opens the input screen and hides this window for
    // the rest of the run.
    void Command2_Click();

    // The quit menu: asks in the exit confirmation window.
    void mnuEnd_Click();

    // The load button: asks for a job file and loads it (loadJobFile). A
    // cancelled dialog leaves the screen as it was.
    void Command1_Click();

    // Loads a job file into the job, fills the screen from the job and locks
    // the ranges and prices, the load button itself and the way to another
    // file for the rest of the run. A refused file (one that cannot be read,
    // or holds a value the job cannot take) is reported and leaves the job
    // and the screen as they were, open; a load that stopped among the
    // unused slots, or replaced unreadable bytes, is reported.
    void loadJobFile(const QString& path);

    // The job file loaded in this run; empty when none was.
    QString loadedFilePath() const { return loadedFilePath_; }

    // Label5 after a load, on a light yellow ground.
    static const QString kLoadedNote;

protected:
    bool event(QEvent* event) override;
    // The close box ends the program at once, without saving.
    void closeEvent(QCloseEvent* event) override;

private:
    // The window became active, coming from another window of the program.
    void Form_Activate();

    void Option5_Click() { setup_.switchOn(SizeRow::Large); }
    void Option2_Click() { setup_.switchOff(SizeRow::Large); }
    void Option1_Click() { setup_.switchOn(SizeRow::Medium); }
    void Option3_Click() { setup_.switchOff(SizeRow::Medium); }
    void Command3_Click();

    void tbDaiStart_LostFocus() { setup_.startLeft(SizeRow::Large); }
    void tbChuStart_LostFocus() { setup_.startLeft(SizeRow::Medium); }
    void tbShouStart_LostFocus() { setup_.startLeft(SizeRow::Small); }
    void tbDaiEnd_LostFocus() { setup_.endLeft(SizeRow::Large); }
    void tbChuEnd_LostFocus() { setup_.endLeft(SizeRow::Medium); }
    void tbShouEnd_LostFocus() { setup_.endLeft(SizeRow::Small); }
    void tbShouEnd_Change() { setup_.smallEndChanged(); }
    void tbDaiTanka_Change() { setup_.priceChanged(SizeRow::Large); }
    void tbChuTanka_Change() { setup_.priceChanged(SizeRow::Medium); }
    void tbShouTanka_Change() { setup_.priceChanged(SizeRow::Small); }
    void tbDaiTanka_LostFocus() { setup_.priceLeft(SizeRow::Large); }
    void tbChuTanka_LostFocus() { setup_.priceLeft(SizeRow::Medium); }
    void tbShouTanka_LostFocus() { setup_.priceLeft(SizeRow::Small); }

    // SetupScreen: what the field handling sees of the window.
    QString text(SetupControl box) const override;
    void setText(SetupControl box, const QString& text) override;
    bool isFinishVisible() const override;
    void setFinishVisible(bool visible) override;
    void setFocusTo(SetupControl control) override;
    void setRowVisible(SizeRow row, bool visible) override;
    void showPrice(SizeRow row) override;

    QWidget* control(SetupControl control) const;
    QLineEdit* box(SetupControl box) const;
    QList<QWidget*> rowWidgets(SizeRow row) const;
    void connectFields();
    // The screen as after a load: filled from the job, then locked.
    void showLoadedJob();
    void lockAfterLoad();

    RunContext& context_;
    std::unique_ptr<Ui::FrmFilm> ui;
    JobSettingsWidgets jobSettings_{};  // from ui, once it is set up
    JobSetup setup_;
    bool activatedBefore_ = false;
    QString loadedFilePath_;
};
