// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QWidget>

struct RunContext;

namespace Ui {
class frmNyuuryoku;
}

// The input help: how photo numbers are keyed in and corrected. Loaded
// afresh each time it is opened; its button and its close box unload it.
class frmNyuuryoku : public QWidget {
    Q_OBJECT
public:
    explicit frmNyuuryoku(RunContext& context);
    ~frmNyuuryoku() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    void fitTexts();

    RunContext& context_;
    std::unique_ptr<Ui::frmNyuuryoku> ui;
};
