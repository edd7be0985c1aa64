// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/lab_order.h"
#include "gui/tools/background_work.h"

#include <memory>

#include <QString>
#include <QVector>
#include <QWidget>

struct RunContext;

namespace Ui {
class frmLabOrder;
}

// The lab order (ラボ出力): the operator picks the forms (DPOF, plain size
// folders) and the folder to make the order in; "作成" takes the job and
// the photo folder as they stand, looks at the ordered photos (a number
// with two files, a photo cut short), asks whether to go on when one is
// worth a look, and makes the order folder, all on a thread of its own, the
// input screen staying usable. Then each DPOF card of the order can be
// written onto the top of a card or an empty folder. While it works,
// "キャンセル" stops it (nothing is left behind); otherwise it hides the
// window.
class frmLabOrder : public QWidget {
    Q_OBJECT
public:
    explicit frmLabOrder(RunContext& context);
    ~frmLabOrder() override;

    // Shows the window over the others.
    void open();

    bool isWorking() const { return work_->isRunning(); }

    // Stops the work under way and waits until it has removed what it had
    // made (for closing the program); the operator is not told.
    void stopWork();

    static const QString kChooseDestination;
    static const QString kChooseCardRoot;
    static const QString kNoDestination;
    static const QString kPhotoFolderUnreadable;
    static const QString kWhatIsMade;  // the question's %2

signals:
    // The order has been made, failed or was cancelled, and the operator told.
    void finished(const LabOrderResult& result);
    // A card has been written, refused, failed or cancelled, and the operator told.
    void cardFinished(const LabOrderCardResult& result);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdMake_Click();
    void cmdCancel_Click();
    void cmdBrowse_Click();
    void cmdWriteCard_Click();
    void checkDone();
    void makeOrder();
    void makeDone();
    void cardDone();
    // Runs task on a thread of its own, then done here, on this one; the
    // progress it tells goes to the bar.
    void runInBackground(BackgroundWork::Task task, void (frmLabOrder::*done)());
    void endWork();
    void showWorking(bool working);
    void showForms();
    void showCards();
    // The folder of the job file loaded, else the documents folder when
    // there is one, else the home folder.
    QString startFolder() const;

    RunContext& context_;
    std::unique_ptr<Ui::frmLabOrder> ui;
    BackgroundWork* work_;
    std::shared_ptr<LabOrderSnapshot> snapshot_;
    std::shared_ptr<QVector<PhotoDoubt>> doubts_;
    std::shared_ptr<LabOrderResult> result_;
    std::shared_ptr<LabOrderCardResult> cardResult_;
    LabOrderForms forms_;
    QString destination_;
    QVector<LabOrderCard> cards_;  // of the last order made
    bool placed_ = false;
};
