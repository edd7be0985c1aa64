// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/lab_order.h"

#include <atomic>
#include <memory>

#include <QString>
#include <QWidget>

class QThread;
struct RunContext;

namespace Ui {
class frmLabOrder;
}

// The lab order (ラボ出力): the operator picks the forms (DPOF, plain size
// folders) and the folder to make the order in; "作成" takes the job and
// the photo folder as they stand and makes the order folder on a thread of
// its own, the input screen staying usable. While it works, "キャンセル"
// stops it (nothing is left behind); otherwise it hides the window.
class frmLabOrder : public QWidget {
    Q_OBJECT
public:
    explicit frmLabOrder(RunContext& context);
    ~frmLabOrder() override;

    // Shows the window over the others.
    void open();

    bool isWorking() const { return worker_ != nullptr; }

signals:
    // The order has been made, failed or was cancelled, and the operator told.
    void finished(const LabOrderResult& result);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdMake_Click();
    void cmdCancel_Click();
    void cmdBrowse_Click();
    void workDone();
    void showWorking(bool working);
    void showForms();
    // The folder of the last order, of the job file loaded, or the documents folder.
    QString startFolder() const;

    RunContext& context_;
    std::unique_ptr<Ui::frmLabOrder> ui;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::shared_ptr<LabOrderResult> result_;
    std::shared_ptr<std::atomic<int>> permille_;
    bool placed_ = false;
};
