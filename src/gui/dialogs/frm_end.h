// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QWidget>

struct RunContext;

namespace Ui {
class FrmEnd;
}

// The exit confirmation: OK ends the program at once, cancel hides the
// window and everything goes on as it was.
class FrmEnd : public QWidget {
    Q_OBJECT
public:
    explicit FrmEnd(RunContext& context);
    ~FrmEnd() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Command1_Click();
    void Command2_Click();

    RunContext& context_;
    std::unique_ptr<Ui::FrmEnd> ui;
};
