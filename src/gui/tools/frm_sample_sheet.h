// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/photo_check.h"
#include "domain/tools/sample_sheet.h"
#include "gui/tools/background_work.h"

#include <memory>

#include <QString>
#include <QWidget>

class SampleSheetReader;
struct RunContext;

namespace Ui {
class frmSampleSheet;
}

// The sample sheets: the photos of the run's photo folder laid out on A4
// pages with their numbers and sizes, to post at the school. The operator
// picks the photos a page, the page's orientation and what becomes of the
// photos outside every range; "作成" looks at the photos first (a number
// with two files, a photo cut short: the operator is asked whether to go
// on), reads them in the background (with the progress shown, "キャンセル"
// stopping it, a photo that cannot be read named at the end) and then opens the
// print preview, from which the sheets are printed or saved as a PDF. Kept
// for the run once opened; "キャンセル" when nothing is being read, Esc and
// the close box hide it (a reading under way is stopped).
class frmSampleSheet : public QWidget {
    Q_OBJECT
public:
    explicit frmSampleSheet(RunContext& context);
    ~frmSampleSheet() override;

    // Shows the window over the others with the keyboard on 作成.
    void open();

    SampleSheetOptions options() const;
    // Whether photos are being read for the sheets.
    bool isReading() const;
    // Stops the reading under way (for closing the program): no sheets.
    void stopReading();
    // Where the photos read are spooled: the system's temporary folder
    // unless set.
    void setSpoolFolder(const QString& folder) { spoolFolder_ = folder; }

    static const QString kNoPhotos;
    static const QString kFolderUnreadable;
    static const QString kNoPhotosInRange;
    static const QString kSpoolFailed;
    static const QString kReadingStatus;
    static const QString kCancelledStatus;
    static const QString kDoneStatus;
    static const QString kUnreadableStatus;
    static const QString kCheckingStatus;
    static const QString kUnreadablePhotos;  // %1: the photos, a line each
    static const QString kWhatIsMade;        // the question's %2

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdMake_Click();
    void cmdCancel_Click();
    void checkDone();
    void startReading();
    void readingFinished(bool written);
    void showProgress(int done, int total);
    void setReading(bool reading);
    void showFolder();

    RunContext& context_;
    std::unique_ptr<Ui::frmSampleSheet> ui;
    std::unique_ptr<SampleSheetReader> reader_;
    BackgroundWork* check_;
    std::shared_ptr<QVector<PhotoDoubt>> doubts_;
    SampleSheetLayout layout_;
    QString spoolFolder_;
    bool placed_ = false;
};
