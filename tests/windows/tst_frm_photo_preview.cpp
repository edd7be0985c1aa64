// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/window_helpers.h"
#include "windows/form1.h"
#include "windows/frm_photo_preview.h"
#include "windows/photo_decoder.h"

#include <memory>

#include <QAction>
#include <QDir>
#include <QImageWriter>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A photo of one colour; turned a quarter by its EXIF tag when asked.
void writePhoto(const QString& path, QSize size, QColor colour, bool turned = false) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QImageWriter writer(path);
    if (turned)
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
    QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
}

// Keys of a few pupils: removals, a Back Space, numbers out of range.
const QString kKeys = QStringLiteral("5\r150\r150-\r7\r\b8\r301\r/12\r*5\r5\r-5\r/");

struct ActivationSeen : QObject {
    bool activated = false;
    bool eventFilter(QObject*, QEvent* event) override {
        activated = activated || event->type() == QEvent::WindowActivate;
        return false;
    }
};

}  // namespace

class TestFrmPhotoPreview : public QObject {
    Q_OBJECT

    QTemporaryDir photos;
    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;

    void openForm(Program<FakePlatform>& run) {
        run.job = makeJob();
        form = &run.windows.get<Form1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    frmPhotoPreview& openPreview() {
        control<QAction>(form, "mnuPhotoPreview")->trigger();
        return program->windows.get<frmPhotoPreview>();
    }
    QString photo(const char* name) { return QDir(photos.path()).filePath(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase() {
        writePhoto(photo("0005.jpg"), {64, 48}, Qt::red);
        writePhoto(photo("IMG_0150.JPG"), {80, 40}, Qt::blue, true);
        writePhoto(photo("301.png"), {30, 30}, Qt::green);
        QFile broken(photo("0008.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a photo");
    }
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        openForm(*program);
    }
    void cleanup() {
        program.reset();
        form = nullptr;
    }

    void decodePhoto_fitsAndTurnsUpright() {
        const QImage turned = decodePhoto(photo("IMG_0150.JPG"), {400, 400});
        QCOMPARE(turned.size(), QSize(40, 80));  // never enlarged
        QCOMPARE(decodePhoto(photo("IMG_0150.JPG"), {20, 20}).size(), QSize(10, 20));
        QCOMPARE(decodePhoto(photo("0005.jpg"), {32, 32}).size(), QSize(32, 24));
        QString error;
        QVERIFY(decodePhoto(photo("0008.jpg"), {100, 100}, &error).isNull());
        QVERIFY(!error.isEmpty());
    }

    void decoder_photoWantedLastArrives_whateverWasWantedBefore() {
        PhotoDecoder decoder;
        QStringList arrived;
        connect(
            &decoder, &PhotoDecoder::decoded, this,
            [&](const QString& path, QSize, const QImage&, const QString&) { arrived << path; });
        const QStringList paths = {photo("0005.jpg"), photo("IMG_0150.JPG"), photo("301.png")};
        for (int i = 0; i < 300; ++i) {
            decoder.want(paths[i % 3], QSize(30 + i, 30));
            if (i % 7 == 0)
                QCoreApplication::processEvents();
        }
        decoder.want(paths[0], QSize(20, 20));
        QTRY_VERIFY_WITH_TIMEOUT(
            arrived.contains(paths[0]) && !decoder.cached(paths[0], QSize(20, 20)).isNull(), 5000);
    }

    void firstOpening_asksForTheFolder_thenShowsTheTypedPhoto() {
        program->platform.fileAnswers << photos.path();
        frmPhotoPreview& preview = openPreview();
        QCOMPARE(program->platform.fileDialogs.size(), 1);
        QCOMPARE(program->platform.fileDialogs[0].kind, FileDialogRequest::Kind::Folder);
        QCOMPARE(program->platform.fileDialogs[0].caption, frmPhotoPreview::kChooseFolderCaption);
        QVERIFY(preview.isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), form);

        typeIntoFocus(QStringLiteral("5"));
        QTRY_COMPARE_WITH_TIMEOUT(preview.paintedPhoto(), 5, 5000);
        QCOMPARE(control<QLabel>(&preview, "lblNumber")->text(), QStringLiteral("5"));
        QCOMPARE(control<QLabel>(&preview, "lblSize")->text(), QStringLiteral("大"));
        const QImage shown = control<QWidget>(&preview, "picPhoto")->grab().toImage();
        const QColor centre = shown.pixelColor(shown.rect().center());
        QVERIFY2(centre.red() > 200 && centre.blue() < 60, qPrintable(centre.name()));

        typeIntoFocus(QStringLiteral("\r150"));
        QTRY_COMPARE_WITH_TIMEOUT(preview.paintedPhoto(), 150, 5000);
        QCOMPARE(control<QLabel>(&preview, "lblSize")->text(), QStringLiteral("中"));
        QCOMPARE(QApplication::activeWindow(), form);

        // Closing hides it; the next opening asks nothing.
        preview.close();
        control<QAction>(form, "mnuPhotoPreview")->trigger();
        QCOMPARE(program->platform.fileDialogs.size(), 1);
        QVERIFY(preview.isVisible());
    }

    void activatedAnyway_givesTheKeysBack_keepingTheHistoryPage() {
        for (int pupil = 0; pupil < 20; ++pupil)
            typeIntoFocus(QStringLiteral("5\r/"));
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        const Number page = program->job.historyTopRow;
        QCOMPARE(page, 2.0);
        // The offscreen platform activates every window shown, as a window
        // system that ignores the preview's wish may.
        ActivationSeen seen;
        frmPhotoPreview& preview = program->windows.get<frmPhotoPreview>();
        preview.installEventFilter(&seen);
        control<QAction>(form, "mnuPhotoPreview")->trigger();
        QTRY_VERIFY(seen.activated);
        QTRY_COMPARE(QApplication::activeWindow(), form);
        QCOMPARE(program->job.historyTopRow, page);
        typeIntoFocus(QStringLiteral("7"));
        QTRY_COMPARE(preview.shownNumber(), 7);
    }

    void missingOrBrokenPhoto_markedUntilAGoodOneIsCopiedIn() {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(photo("0008.jpg"), folder.filePath(QStringLiteral("0008.jpg"))));
        frmPhotoPreview& preview = openPreview();  // the folder dialog cancelled
        QWidget* picture = control<QWidget>(&preview, "picPhoto");
        typeIntoFocus(QStringLiteral("7"));
        QTRY_COMPARE(picture->accessibleDescription(), frmPhotoPreview::kNoFolderMark);

        QVERIFY(preview.setFolder(folder.path()));
        QTRY_COMPARE(picture->accessibleDescription(), frmPhotoPreview::kNoPhotoMark);
        QCOMPARE(preview.paintedPhoto(), 0);
        typeIntoFocus(QStringLiteral("\b8"));
        QTRY_COMPARE(picture->accessibleDescription(), frmPhotoPreview::kUnreadableMark);

        // A good photo copied in under the typed number comes by itself.
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("0008.jpg"))));
        QVERIFY(QFile::copy(photo("0005.jpg"), folder.filePath(QStringLiteral("IMG_0008.jpg"))));
        QTRY_COMPARE_WITH_TIMEOUT(preview.paintedPhoto(), 8, 5000);
        QCOMPARE(picture->accessibleDescription(), QStringLiteral("IMG_0008.jpg"));
        typeIntoFocus(QStringLiteral("\r2000"));
        QTRY_COMPARE(control<QLabel>(&preview, "lblSize")->text(),
                     frmPhotoPreview::kOutOfRangeMark);
    }

    void keysWithThePreviewOpen_giveTheSameJob() {
        typeIntoFocus(kKeys);
        Program<FakePlatform> other;
        Form1* plain = form;
        openForm(other);
        other.platform.fileAnswers << photos.path();
        control<QAction>(form, "mnuPhotoPreview")->trigger();
        frmPhotoPreview& preview = other.windows.get<frmPhotoPreview>();
        QVERIFY(preview.isVisible());
        other.platform.clear();
        typeIntoFocus(kKeys);
        verifySameState(other.job, program->job);
        QCOMPARE(other.platform.calls, program->platform.calls);
        QVERIFY(other.job.personCount >= 2);
        other.windows.closeAll();
        form = plain;
    }
};

QTEST_MAIN(TestFrmPhotoPreview)
#include "tst_frm_photo_preview.moc"
