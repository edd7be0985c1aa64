// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/photo_folder.h"
#include "gui/tools/photo_decoder.h"

#include <memory>

#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

struct RunContext;

namespace Ui {
class frmPhotoPreview;
}

// The photo preview: beside the input screen, the photo of the number being
// typed, with the number and its size in large type, so that a number keyed
// wrong is seen before it is counted. It never takes the keyboard from the
// input screen; closing it hides it, keeping its place and size for the run.
// The photos come from one folder the operator chooses, read in the
// background at the size shown.
class frmPhotoPreview : public QWidget {
    Q_OBJECT

public:
    explicit frmPhotoPreview(RunContext& context);
    ~frmPhotoPreview() override;

    // Shows the window (beside the input screen the first time, and asking
    // for the photo folder when none has been chosen yet) with the number
    // the input screen shows now.
    void open(const QString& typed);

    // The input screen's typed number has changed. The window follows when
    // the keys rest for a frame, after the input screen has shown the key.
    void showTypedNumber(const QString& typed);

    // Takes the photos from this folder from now on; false when it cannot
    // be read.
    bool setFolder(const QString& path);

    // The photo number shown, and the number whose photo was painted last
    // (0 when none).
    int shownNumber() const { return number_; }
    int paintedPhoto() const { return paintedPhoto_; }

    // Texts the window shows.
    static const QString kNoPhotoMark;
    static const QString kNoFolderMark;
    static const QString kUnreadableMark;
    static const QString kOutOfRangeMark;

signals:
    // The photo of the number has been painted.
    void photoPainted(int number);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void cmdFolder_Click();
    void follow();
    void photoDecoded(const QString& path, QSize fit, const QImage& image, const QString& error);
    void paintPhoto();
    void showFolderText();
    void showFileText();
    void placeBesideInputScreen();
    QSize photoFit() const;

    RunContext& context_;
    std::unique_ptr<Ui::frmPhotoPreview> ui;
    PhotoFolder& folder_;  // the run's
    PhotoDecoder decoder_;
    QTimer followTimer_;  // a frame after the last change of the typed number
    QElapsedTimer sinceChange_;
    int wantedNumber_ = 0;
    int number_ = -1;  // the number shown; -1 before the first showing
    QString path_;     // its photo file, empty when none
    QImage image_;     // its photo, once read
    QString mark_;     // instead of the photo
    QString reason_;   // why, under the mark
    int paintedPhoto_ = 0;
    bool placed_ = false;
    bool folderAsked_ = false;
    QString fileText_;
    QString folderText_;
};
