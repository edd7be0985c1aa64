// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QWidget>

struct RunContext;

namespace Ui {
class frmAppli;
}

// The about box: the program's name, its main features and its version.
// Loaded afresh each time it is opened; its button and its close box
// unload it.
class frmAppli : public QWidget {
    Q_OBJECT
public:
    explicit frmAppli(RunContext& context);
    ~frmAppli() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();

    RunContext& context_;
    std::unique_ptr<Ui::frmAppli> ui;
};
