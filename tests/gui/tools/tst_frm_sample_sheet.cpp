// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "gui/input/form1.h"
#include "gui/run_photos.h"
#include "gui/tools/frm_sample_sheet.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writePhoto(const QString& path, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "jpeg"));
}

// The pages of a PDF and the images drawn on them.
int countInPdf(const QString& path, const QString& pattern) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    return int(text.count(QRegularExpression(pattern)));
}

// A page of a document painted alone, at a third of a pixel to a point.
QImage pageImage(PrintDocument& document, int page) {
    const QSizeF size = document.pageLayout().paintRect(QPageLayout::Point).size() / 3;
    QImage image(size.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1.0 / 3, 1.0 / 3);
    document.paintPage(painter, page);
    return image;
}

// How many pixels of an image are of about this colour.
int pixelsOf(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                         std::abs(c.blue() - colour.blue()) <
                     24;
        }
    }
    return count;
}

// Keys of a few pupils: removals, a Back Space, numbers out of range.
const QString kKeys = QStringLiteral("5\r150\r150-\r7\r\b8\r301\r/12\r*5\r5\r-5\r/");

}  // namespace

class TestFrmSampleSheet : public QObject {
    Q_OBJECT

    QTemporaryDir photos;  // 5, 7, 8 (broken), 9, 150 (two files), 301, 2000 (out of range)
    QTemporaryDir many;    // 120 photos of 1 to 120
    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;

    void openForm(Program<FakePlatform>& run) {
        run.job = makeJob();
        QVERIFY(showActive(run, form));
    }
    frmSampleSheet& openSheets(Program<FakePlatform>& run) {
        control<QAction>(form, "mnuSampleSheet")->trigger();
        return run.windows.get<frmSampleSheet>();
    }
    void make(frmSampleSheet& window) {
        QTest::mouseClick(control<QPushButton>(&window, "cmdMake"), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() {
        const QDir dir(photos.path());
        for (const char* name :
             {"0005.jpg", "0007.jpg", "0009.jpg", "0150.jpg", "0301.jpg", "2000.jpg"})
            writePhoto(dir.filePath(QLatin1String(name)), {120, 80}, Qt::darkCyan);
        writePhoto(dir.filePath(QStringLiteral("IMG_0150.jpg")), {80, 120}, Qt::red);
        QFile broken(dir.filePath(QStringLiteral("0008.jpg")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a photo");
        for (int number = 1; number <= 120; ++number)
            writePhoto(QDir(many.path()).filePath(QStringLiteral("%1.jpg").arg(number)), {900, 600},
                       QColor::fromHsv(number * 3, 200, 200));
    }
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        openForm(*program);
    }
    void cleanup() {
        program.reset();
        form = nullptr;
    }

    void make_previewsTheSheets_printedAsPdfPages_data() {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("outOfRangeMarked");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("images");  // the broken photo has none
        QTest::newRow("6 a page, out of range marked") << "optGrid6" << false << true << 2 << 6;
        QTest::newRow("6 a page, out of range left out") << "optGrid6" << false << false << 1 << 5;
        QTest::newRow("20 a page, landscape") << "optGrid20" << true << true << 1 << 6;
    }
    void make_previewsTheSheets_printedAsPdfPages() {
        QFETCH(QString, grid);
        QFETCH(bool, landscape);
        QFETCH(bool, outOfRangeMarked);
        QFETCH(int, pages);
        QFETCH(int, images);
        program->platform.fileAnswers << photos.path();
        frmSampleSheet& window = openSheets(*program);
        control<QRadioButton>(&window, qPrintable(grid))->setChecked(true);
        control<QRadioButton>(&window, landscape ? "optLandscape" : "optPortrait")
            ->setChecked(true);
        control<QRadioButton>(&window, outOfRangeMarked ? "optOutMarked" : "optOutLeft")
            ->setChecked(true);
        program->platform.choiceAnswers = {0};  // two files for 150: made all the same
        make(window);
        QTRY_COMPARE(program->platform.reportTitles, QStringList{QStringLiteral("見本写真")});
        QVERIFY(!window.isReading());
        QCOMPARE(program->platform.choices.size(), 1);
        QVERIFY(program->platform.choices[0].text.contains(
            QStringLiteral("150：0150.jpg を使います（使わないファイル：IMG_0150.jpg）")));
        // The photo that could not be decoded is named.
        QCOMPARE(program->platform.messages.size(), 1);
        QVERIFY2(program->platform.messages[0].startsWith(
                     frmSampleSheet::kUnreadablePhotos.arg(QStringLiteral("8："))),
                 qPrintable(program->platform.messages[0]));
        QVERIFY(control<QLabel>(&window, "lblStatus")
                    ->text()
                    .endsWith(frmSampleSheet::kUnreadableStatus.arg(1)));

        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("sheets.pdf"));
        {
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            program->platform.lastReportPaint(&printer);
            QCOMPARE(printer.pageLayout().orientation(),
                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        }
        QCOMPARE(countInPdf(pdf, QStringLiteral("/Type\\s*/Page\\b")), pages);
        QCOMPARE(countInPdf(pdf, QStringLiteral("/Subtype\\s*/Image")), images);

        // The preview gets the same pages, each painted alone (the last
        // first) as it is painted among the others, its photos read from
        // the spool at the size shown.
        PrintDocument& document = *program->platform.lastReport;
        QCOMPARE(document.pageCount(), pages);
        QCOMPARE(document.pageLayout().orientation(),
                 landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        const QImage alone = pageImage(document, pages);
        QVERIFY(pixelsOf(alone, QColor(Qt::darkCyan)) > 200);
        QImage inOrder;
        for (int page = 1; page <= pages; ++page)
            inOrder = pageImage(document, page);
        QCOMPARE(inOrder, alone);
    }

    void make_withoutPhotosToShow_tellsAndPreviewsNothing_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty folder") << QStringList() << frmSampleSheet::kNoPhotos;
        QTest::newRow("no photo in range")
            << QStringList{"1000.jpg", "2000.jpg"} << frmSampleSheet::kNoPhotosInRange.arg(2);
    }
    void make_withoutPhotosToShow_tellsAndPreviewsNothing() {
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        QTemporaryDir folder;
        for (const QString& name : names)
            writePhoto(folder.filePath(name), {30, 20}, Qt::gray);
        program->platform.fileAnswers << folder.path();
        frmSampleSheet& window = openSheets(*program);
        make(window);
        QCOMPARE(program->platform.messages.size(), 1);
        QCOMPARE(program->platform.messages[0],
                 message.contains(u'%') ? message.arg(QDir::toNativeSeparators(folder.path()))
                                        : message);
        QVERIFY(!window.isReading());
        QTest::qWait(50);
        QVERIFY(program->platform.reportTitles.isEmpty());
    }

    void make_spoolNotWritten_toldAndNothingPreviewed() {
        program->platform.fileAnswers << photos.path();
        frmSampleSheet& window = openSheets(*program);
        QTemporaryDir spool;
        window.setSpoolFolder(spool.filePath(QStringLiteral("gone")));  // no such folder
        program->platform.choiceAnswers = {0};
        make(window);
        QTRY_COMPARE(program->platform.messages, QStringList{frmSampleSheet::kSpoolFailed});
        QVERIFY(!window.isReading());
        QVERIFY(control<QPushButton>(&window, "cmdMake")->isEnabled());
        QVERIFY(program->platform.reportTitles.isEmpty());
    }

    void make_doubtfulPhotosStoppedAt_makesNothing() {
        program->platform.fileAnswers << photos.path();
        frmSampleSheet& window = openSheets(*program);
        make(window);  // the question answered with Esc: stop
        QTRY_COMPARE(program->platform.choices.size(), 1);
        QTRY_VERIFY(!window.isReading());
        QCOMPARE(control<QLabel>(&window, "lblStatus")->text(), frmSampleSheet::kCancelledStatus);
        QTest::qWait(50);
        QVERIFY(program->platform.reportTitles.isEmpty());
    }

    void make_folderDialogCancelled_nothingHappens() {
        frmSampleSheet& window = openSheets(*program);
        make(window);
        QCOMPARE(program->platform.fileDialogs.size(), 1);
        QCOMPARE(program->platform.fileDialogs[0].kind, FileDialogRequest::Kind::Folder);
        QVERIFY(!window.isReading());
        QVERIFY(program->platform.messages.isEmpty());
        QVERIFY(program->platform.reportTitles.isEmpty());
    }

    void cancel_stopsTheReadingAtOnce_andPreviewsNothing() {
        program->platform.fileAnswers << many.path();
        frmSampleSheet& window = openSheets(*program);
        make(window);
        QVERIFY(window.isReading());
        QTest::mouseClick(control<QPushButton>(&window, "cmdCancel"), Qt::LeftButton);
        QVERIFY(!window.isReading());
        QVERIFY(window.isVisible());
        QCOMPARE(control<QLabel>(&window, "lblStatus")->text(), frmSampleSheet::kCancelledStatus);
        QVERIFY(control<QPushButton>(&window, "cmdMake")->isEnabled());
        QTest::qWait(300);
        QVERIFY(program->platform.reportTitles.isEmpty());
        // Made again, it goes to the end.
        make(window);
        QTRY_COMPARE_WITH_TIMEOUT(program->platform.reportTitles.size(), 1, 20000);
    }

    void keysWhileSheetsAreMade_giveTheSameJob() {
        // The same photo folder in both runs: the same numbers are marked
        // as having no photo.
        runPhotoFolder(program->context).open(many.path());
        keyOnInputScreen(form, kKeys);
        Program<FakePlatform> other;
        Form1* plain = form;
        openForm(other);
        other.platform.fileAnswers << many.path();
        frmSampleSheet& window = openSheets(other);
        make(window);
        QVERIFY(window.isReading());
        keyOnInputScreen(form, kKeys);
        QVERIFY(window.isReading() || !other.platform.reportTitles.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(other.platform.reportTitles.size(), 1, 20000);
        verifySameState(other.job, program->job);
        QCOMPARE(other.platform.sounds, program->platform.sounds);
        QCOMPARE(other.platform.beeps, program->platform.beeps);
        QVERIFY(other.job.personCount >= 2);
        other.windows.closeAll();
        form = plain;
    }
};

QTEST_MAIN(TestFrmSampleSheet)
#include "tst_frm_sample_sheet.moc"
