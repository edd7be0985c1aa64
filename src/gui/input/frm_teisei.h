// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/record_correction.h"

#include <memory>

#include <QWidget>

struct RunContext;
class QLabel;
class QLineEdit;
class QWindow;
namespace Ui {
class frmTeisei;
}

// The correction screen: the operator looks up a registered pupil by number
// and adds or deletes single photo numbers in that pupil's record. A thin
// window over the record correction: it turns events into its calls and
// shows its display state.
class frmTeisei : public QWidget {
    Q_OBJECT

public:
    explicit frmTeisei(RunContext& context);
    ~frmTeisei() override;

    RecordCorrection& correction() { return correction_; }

    // Shows registered pupil `person` as if the operator had typed the
    // number into Text1 and pressed Enter, then brings the window to the
    // front. False, changing nothing, when the job has no such pupil or
    // the range alert holds the screen.
    bool showRegisteredPerson(int person);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Activate();
    void Text1_KeyPress(int keyAscii);
    void Command2_Click();
    void Command4_Click();
    void Command3_Click();
    void afterEdit(EditOutcome outcome);
    void openAlertWindow();
    void alertWindowClosed();
    void showDisplay();
    void paintCaptionFromLetterTop(QLabel* caption);
    // With a roster: the row under the pictures showing the pupil's tie,
    // and the box changing it. Without one the screen is as it always was.
    void showPupilTie();
    void changePupilTie();
    int shownPupil() const;

    std::unique_ptr<Ui::frmTeisei> ui;
    RunContext& context_;
    RecordCorrection correction_;
    bool activatedOnce_ = false;
    bool returningFromAlert_ = false;
    QSize plainSize_;  // the screen without the roster's row
};
