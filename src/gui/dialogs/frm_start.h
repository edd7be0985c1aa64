// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QWidget>

struct RunContext;
class QTimer;

namespace Ui {
class frmStart;
}

// The start screen: the first window of a run. Two seconds after it is
// loaded it opens the job setup screen and unloads itself.
class frmStart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTimerInterval = 2000;  // ms

    explicit frmStart(RunContext& context);
    ~frmStart() override;

signals:
    // The setup screen is showing; this window is on its way out.
    void handedOver();

private:
    void Form_Load();
    void Timer1_Timer();

    RunContext& context_;
    std::unique_ptr<Ui::frmStart> ui;
    QTimer* Timer1;
};
