// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>

#include <QDialog>

class Roster;
namespace Ui {
class frmPupilTie;
}

// The small box that ties a slip to its roster pupil by hand: the class
// and the number typed (or the school's ID in the class box, the number
// left empty), the matching pupil's name shown as they are typed. Enter
// ties, Esc leaves the slip as it was. Opened window-modal over its
// screen; its answer comes as a signal.
class frmPupilTie : public QDialog {
    Q_OBJECT

public:
    // canUntie: the box also offers to take the tie off (the correction
    // screen's use).
    frmPupilTie(const Roster& roster, QWidget* parent, bool canUntie = false);
    ~frmPupilTie() override;

signals:
    // The roster pupil chosen, or none when the operator took the tie off.
    void chosen(std::optional<int> pupil);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMatch();
    void tie();

    std::unique_ptr<Ui::frmPupilTie> ui;
    const Roster& roster_;
};
