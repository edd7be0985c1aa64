// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/photo_search.h"

#include <memory>

#include <QWidget>

struct RunContext;
namespace Ui {
class frmPhotoSearch;
}

// Who ordered a photo: the operator types a photo number and sees every
// registered pupil who ordered it, with the prints and the amount, and can
// open a pupil in the correction screen. Modeless; it searches the job as
// it is at each search, so it keeps up with keying and corrections behind it.
// With a photo folder chosen it also says which ordered numbers have no photo;
// in a job with a roster, each tied pupil's class, number and name is listed.
class frmPhotoSearch : public QWidget {
    Q_OBJECT

public:
    explicit frmPhotoSearch(RunContext& context);
    ~frmPhotoSearch() override;

    // Shows the window in front, the number box ready for a new number.
    void open();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads the job again for what does not change while a number is typed
    // (the ordered numbers without a photo), then searches.
    void refresh();
    void search();
    void showResult(int keepPerson);
    // The roster's class, number and name of each pupil, when the job has a roster.
    void showNameColumn(bool shown);
    // With a photo folder chosen: whether the number searched has a photo,
    // and which ordered numbers have none.
    void showPhotosMissing();
    void openPupil(int row);

    static constexpr int kNameColumn = 3;

    std::unique_ptr<Ui::frmPhotoSearch> ui;
    RunContext& context_;
    PhotoSearchResult result_;
    QString withoutPhotoLine_;
};
