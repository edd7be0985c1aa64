// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "gui/input/form1.h"
#include "gui/run_photos.h"
#include "gui/tools/frm_photo_preview.h"
#include "gui/tools/photo_decoder.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
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

// A progressive JPEG of 16 x 16 pixels whose header says it is `size`:
// a few hundred bytes that a decoder takes for a photo of that size.
void writeJpegBomb(const QString& path, QSize size) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(image));
    QByteArray bytes = buffer.data();
    const qsizetype frame = bytes.indexOf(QByteArrayLiteral("\xFF\xC2"));
    QVERIFY(frame > 0);
    qToBigEndian<quint16>(quint16(size.height()), bytes.data() + frame + 5);
    qToBigEndian<quint16>(quint16(size.width()), bytes.data() + frame + 7);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A PNG whose header says it is `size`, with a few bytes of pixels.
void writePngBomb(const QString& path, QSize size) {
    const auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray typed = QByteArray(type) + data;
        quint32 crc = 0xFFFFFFFF;
        for (const char c : typed) {
            crc ^= uchar(c);
            for (int bit = 0; bit < 8; ++bit)
                crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        }
        QByteArray out(4, 0);
        qToBigEndian<quint32>(quint32(data.size()), out.data());
        out += typed;
        out.resize(out.size() + 4);
        qToBigEndian<quint32>(~crc, out.data() + out.size() - 4);
        return out;
    };
    QByteArray header(13, 0);
    qToBigEndian<quint32>(quint32(size.width()), header.data());
    qToBigEndian<quint32>(quint32(size.height()), header.data() + 4);
    header[8] = 8;  // bits a sample
    header[9] = 2;  // RGB
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArrayLiteral("\x89PNG\r\n\x1A\n") + chunk("IHDR", header) +
               chunk("IDAT", qCompress(QByteArray(64, 0)).mid(4)) + chunk("IEND", {}));
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
        QVERIFY(showActive(run, form));
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

    void decodePhoto_refusesAnImageTooLarge_beforeDecodingIt_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("progressive JPEG") << "bomb.jpg";
        QTest::newRow("PNG") << "bomb.png";
    }
    void decodePhoto_refusesAnImageTooLarge_beforeDecodingIt() {
        QFETCH(QString, name);
        QTemporaryDir temp;
        const QString path = temp.filePath(name);
        if (name.endsWith(QLatin1String(".jpg")))
            writeJpegBomb(path, {30000, 30000});
        else
            writePngBomb(path, {30000, 30000});
        QCOMPARE(QImageReader(path).size(), QSize(30000, 30000));
        QElapsedTimer timer;
        timer.start();
        QString error;
        QVERIFY(decodePhoto(path, {640, 480}, &error).isNull());
        // Decoded, it takes seconds and gigabytes.
        QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(
            error,
            QStringLiteral(
                "画像が大きすぎます: 30000×30000画素（9億画素）。読めるのは1億6000万画素までです"));
    }

    void decodePhoto_stopped_readsNoFurther() {
        // Noise, which a JPEG keeps large: many blocks of the file to read.
        QImage noise(600, 600, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            QRandomGenerator(y).fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)),
                                          noise.width());
        QTemporaryDir temp;
        const QString path = temp.filePath(QStringLiteral("noise.jpg"));
        QVERIFY(noise.save(path, "jpeg", 95));
        int asked = 0;
        PhotoReading reading;
        reading.stop = [&] { return ++asked > 2; };
        QString error = QStringLiteral("before");
        QVERIFY(decodePhoto(path, {100, 100}, &error, reading).isNull());
        QVERIFY(error.isEmpty());
        QCOMPARE(asked, 3);  // not asked again once it answered
        // Never stopped, it reads on to the end.
        asked = -1'000'000;
        QCOMPARE(decodePhoto(path, {100, 100}, &error, reading).size(), QSize(100, 100));
        QVERIFY(asked > -1'000'000 + 3);
    }

    void decoder_readsNothingAheadPastItsMemoryBudget() {
        QTemporaryDir temp;
        // 64 megapixels, under the largest read; progressive, it would take
        // some 380 MB to decode.
        const QString big = temp.filePath(QStringLiteral("0001.jpg"));
        writeJpegBomb(big, {8000, 8000});
        qint64 needs = 0;
        PhotoReading reading;
        reading.admit = [&](qint64 bytes) {
            needs = bytes;
            return false;
        };
        QVERIFY(decodePhoto(big, {640, 480}, nullptr, reading).isNull());
        QVERIFY(needs > PhotoDecoder::kReadAheadBytes);

        PhotoDecoder decoder;
        QSignalSpy decoded(&decoder, &PhotoDecoder::decoded);
        // Read ahead one at a time, in order: the big one's turn is over
        // when the small one has been read.
        decoder.readAhead({big, photo("0005.jpg")}, {64, 64});
        QTRY_COMPARE(decoded.count(), 1);
        QCOMPARE(decoded[0][0].toString(), photo("0005.jpg"));
        QVERIFY(decoder.cached(big, {64, 64}).isNull());
    }

    void photoTooLarge_showsWhyInItsPlace() {
        QTemporaryDir folder;
        writeJpegBomb(folder.filePath(QStringLiteral("0009.jpg")), {30000, 30000});
        program->platform.fileAnswers << folder.path();
        frmPhotoPreview& preview = openPreview();
        QWidget* picture = control<QWidget>(&preview, "picPhoto");
        typeIntoFocus(QStringLiteral("9"));
        QTRY_VERIFY_WITH_TIMEOUT(
            picture->accessibleDescription().startsWith(frmPhotoPreview::kUnreadableMark), 1000);
        QVERIFY2(picture->accessibleDescription().contains(QStringLiteral("30000×30000画素")),
                 qPrintable(picture->accessibleDescription()));
        // Drawn where the photo would be: the mark's colour in the middle.
        const QImage shown = picture->grab().toImage();
        bool marked = false;
        for (int y = 0; y < shown.height() && !marked; ++y)
            for (int x = 0; x < shown.width() && !marked; ++x)
                marked = shown.pixelColor(x, y).red() > 200 && shown.pixelColor(x, y).blue() < 150;
        QVERIFY(marked);
    }

    void photoShownHalfCopied_readAgainWhenTheCopyEnds() {
        // Red above, blue below: the half copied shows no blue.
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter(&image).fillRect(0, 100, 200, 100, Qt::blue);
        QByteArray whole;
        QBuffer buffer(&whole);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "jpeg", 95));
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("0012.jpg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(whole.left(whole.size() / 3));
        file.flush();

        program->platform.fileAnswers << folder.path();
        frmPhotoPreview& preview = openPreview();
        QWidget* picture = control<QWidget>(&preview, "picPhoto");
        const auto bottomIsBlue = [&] {
            const QImage shown = picture->grab().toImage();
            const QColor colour = shown.pixelColor(shown.width() / 2, shown.height() / 2 + 40);
            return colour.blue() > 200 && colour.red() < 60;
        };
        typeIntoFocus(QStringLiteral("12"));
        QTRY_COMPARE_WITH_TIMEOUT(preview.paintedPhoto(), 12, 5000);
        QVERIFY(!bottomIsBlue());

        file.write(whole.mid(whole.size() / 3));
        file.close();
        QTRY_VERIFY_WITH_TIMEOUT(bottomIsBlue(), 5000);
    }

    void firstOpening_asksForTheFolder_thenShowsTheTypedPhoto() {
        program->platform.fileAnswers << photos.path();
        frmPhotoPreview& preview = openPreview();
        QCOMPARE(program->platform.fileDialogs.size(), 1);
        QCOMPARE(program->platform.fileDialogs[0].kind, FileDialogRequest::Kind::Folder);
        QCOMPARE(program->platform.fileDialogs[0].caption, RunPhotosTexts::kChooseFolderCaption);
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
        QTRY_VERIFY(picture->accessibleDescription().startsWith(frmPhotoPreview::kUnreadableMark));

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
        // Photos 7 and 12 are not in the folder: their Enter sounds apart
        // and their entries are marked; nothing else differs.
        QStringList calls = other.platform.calls;
        QCOMPARE(calls.count(QStringLiteral("sound:nophoto.wav")), 2);
        calls.replaceInStrings(QStringLiteral("nophoto.wav"), QStringLiteral("menupop.wav"));
        QCOMPARE(calls, program->platform.calls);
        const QListWidget* list = control<QListWidget>(form, "List1");
        QVERIFY(!list->findItems(QStringLiteral(" 12") + OrderEntry::kNoPhotoMark, Qt::MatchExactly)
                     .isEmpty());
        QVERIFY(other.job.personCount >= 2);
        other.windows.closeAll();
        form = plain;
    }
};

QTEST_MAIN(TestFrmPhotoPreview)
#include "tst_frm_photo_preview.moc"
