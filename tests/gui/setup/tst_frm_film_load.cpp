// SPDX-License-Identifier: MIT
#include "domain/files/job_file_commands.h"
#include "gui/input/form1.h"
#include "gui/printing/report_renderer.h"
#include "gui/setup/frm_film.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char* const kLockedBoxes[] = {"tbDaiStart", "tbDaiEnd",    "tbChuStart",
                                    "tbChuEnd",   "tbShouStart", "tbShouEnd",
                                    "tbDaiTanka", "tbChuTanka",  "tbShouTanka"};
const char* const kTextFields[] = {"tbTokuisaki", "tbGyouji", "tbSatueibi", "tbSatueisha"};
const QString kFirstNote = QStringLiteral(
    "保存済みの 　 データを読み込むには、下のボタンをクリックしてください。　　　　　　　");

}  // namespace

// The load button of the setup screen, driven as the operator does, with the
// file dialog answered by the recording platform.
class TestFrmFilmLoad : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    FrmFilm* film = nullptr;
    QTemporaryDir dir;

    QLineEdit* box(const char* name) { return control<QLineEdit>(film, name); }
    QString text(const char* name) { return box(name)->text(); }
    bool checked(const char* name) { return control<QRadioButton>(film, name)->isChecked(); }
    FakePlatform& platform() { return program->platform; }

    // Clicks the load button with the dialog answering path.
    void clickLoad(const QString& path) {
        platform().fileAnswers = {path};
        QTest::mouseClick(control<QPushButton>(film, "Command1"), Qt::LeftButton);
    }

    QString saved(const JobState& job, const QString& name) {
        const QString path = dir.filePath(name);
        return writeJob(job, path) ? path : QString();
    }

    static void writeBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    void verifyUnlocked() {
        for (const char* name : kLockedBoxes)
            QVERIFY2(box(name)->isEnabled(), name);
        QVERIFY(control<QPushButton>(film, "Command1")->isEnabled());
        QCOMPARE(control<QLabel>(film, "Label5")->text(), kFirstNote);
        QVERIFY(!control<QLabel>(film, "Label5")->autoFillBackground());
    }

    void verifyLocked() {
        for (const char* name : kLockedBoxes)
            QVERIFY2(!box(name)->isEnabled(), name);
        for (const char* name : kTextFields)
            QVERIFY2(box(name)->isEnabled(), name);
        QVERIFY(!control<QPushButton>(film, "Command1")->isEnabled());
        auto* note = control<QLabel>(film, "Label5");
        QCOMPARE(note->text(),
                 QStringLiteral(" 他のファイルを読み込むには、このソフトを終了してください。"));
        QVERIFY(note->autoFillBackground());
        QCOMPARE(note->palette().color(QPalette::Window), QColor(255, 255, 128));
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        QVERIFY(showActive(*program, film));
    }
    void cleanup() {
        film = nullptr;
        program.reset();
    }

    void load_fillsScreenAndJobAndLocks() {
        const JobState source = keyedJob();
        const QString path = saved(source, QStringLiteral("運動会.ptl"));
        QVERIFY(!path.isEmpty());
        clickLoad(path);

        // The dialog as asked for: its caption and both filters, job files
        // selected.
        QCOMPARE(platform().fileDialogs.size(), 1);
        const FileDialogRequest& asked = platform().fileDialogs.constFirst();
        QCOMPARE(asked.kind, FileDialogRequest::Kind::Open);
        QCOMPARE(asked.caption, QStringLiteral("データ読み込み"));
        QCOMPARE(asked.filters, QStringList({QStringLiteral("すべてのファイル(*.*)"),
                                             QStringLiteral("標準ファイル(*.ptl)")}));
        QCOMPARE(asked.selectedFilter, QStringLiteral("標準ファイル(*.ptl)"));
        QVERIFY2(platform().messages.isEmpty(), qPrintable(platform().messages.join('\n')));

        // The screen shows the job.
        QCOMPARE(jobSettingsShown(film), sampleJobSettingsShown());
        for (QWidget* row : {box("tbDaiStart"), box("tbChuStart"), box("tbShouStart")})
            QVERIFY(row->isVisible());

        // The job holds the file, and the finish button is there with the focus.
        JobState& job = program->job;
        QCOMPARE(job.printCounts, source.printCounts);
        QCOMPARE(job.personCount, source.personCount);
        QCOMPARE(job.grandTotalPrints, source.grandTotalPrints);
        QCOMPARE(job.smallTotalPrints, source.smallTotalPrints);
        QCOMPARE(job.personRecords, recordsAsLoaded(source));
        QCOMPARE(job.largeStart.value(), 1.0);
        QCOMPARE(job.mediumEnd.value(), 300.0);
        QCOMPARE(job.smallUnitPrice, 100);
        verifyLocked();
        QVERIFY(control<QPushButton>(film, "Command2")->isVisible());
        QCOMPARE(focusName(), QStringLiteral("Command2"));
        QCOMPARE(film->loadedFilePath(), path);
    }

    void load_switchedOffSizes_data() {
        QTest::addColumn<bool>("largeOff");
        QTest::addColumn<bool>("mediumOff");
        QTest::newRow("large off") << true << false;
        QTest::newRow("medium off") << false << true;
        QTest::newRow("snaps only") << true << true;
    }
    void load_switchedOffSizes() {
        QFETCH(bool, largeOff);
        QFETCH(bool, mediumOff);
        const JobState source = switchedOffJob(largeOff, mediumOff);
        clickLoad(saved(source, QStringLiteral("off.ptl")));
        QVERIFY(platform().messages.isEmpty());

        // The option buttons were selected with their click handling: the
        // rows of the sizes switched off are hidden, the rest are filled.
        QCOMPARE(checked("Option2"), largeOff);
        QCOMPARE(checked("Option5"), !largeOff);
        QCOMPARE(checked("Option3"), mediumOff);
        QCOMPARE(checked("Option1"), !mediumOff);
        for (const QString& name : largeRowControlNames())
            QVERIFY2(film->findChild<QWidget*>(name)->isVisible() == !largeOff, qPrintable(name));
        for (const QString& name : mediumRowControlNames())
            QVERIFY2(film->findChild<QWidget*>(name)->isVisible() == !mediumOff, qPrintable(name));
        QCOMPARE(program->job.largeMode.value(), largeOff ? 1.0 : 0.0);
        QCOMPARE(program->job.mediumMode, mediumOff ? 1 : 0);
        QCOMPARE(text("tbShouStart"), QStringLiteral("301"));
        QCOMPARE(text("tbShouEnd"), QStringLiteral("999"));
        // Leaving a range box (the locking moves the focus on) shows its
        // count again in the screen's own signed form.
        QCOMPARE(text("tbShouMai").trimmed(), QStringLiteral("699"));
        QCOMPARE(text("tbShouTanka"), QStringLiteral("100"));
        QCOMPARE(text("tbTokuisaki"), QStringLiteral("みどり幼稚園"));
        QCOMPARE(program->job.personRecords[1], source.personRecords[1]);
        QCOMPARE(program->job.printCounts, source.printCounts);
        verifyLocked();
        QCOMPARE(focusName(), QStringLiteral("Command2"));
    }

    void load_afterLargeSwitchedOffByHand_switchesItOnAgain() {
        // The operator had chosen "設定しない"; the file has the large size.
        control<QRadioButton>(film, "Option2")->click();
        QVERIFY(!box("tbDaiStart")->isVisible());
        clickLoad(saved(keyedJob(), QStringLiteral("large.ptl")));
        QVERIFY(checked("Option5"));
        for (const QString& name : largeRowControlNames())
            QVERIFY2(film->findChild<QWidget*>(name)->isVisible(), qPrintable(name));
        QCOMPARE(text("tbDaiEnd"), QStringLiteral("100"));
        QCOMPARE(program->job.largeMode.value(), 0.0);
        QCOMPARE(program->job.largeEnd.value(), 100.0);
        QCOMPARE(focusName(), QStringLiteral("Command2"));
    }

    void cancelledDialog_leavesScreenUntouchedAndOpen() {
        box("tbTokuisaki")->setText(QStringLiteral("入力途中"));
        program->job.smallUnitPrice = 90;
        clickLoad(QString());
        QCOMPARE(platform().fileDialogs.size(), 1);
        QVERIFY(platform().messages.isEmpty());
        QCOMPARE(text("tbTokuisaki"), QStringLiteral("入力途中"));
        QCOMPARE(program->job.smallUnitPrice, 90);
        QVERIFY(checked("Option5") && checked("Option1"));
        verifyUnlocked();
        QVERIFY(film->loadedFilePath().isEmpty());

        // The button still works afterwards.
        clickLoad(saved(keyedJob(), QStringLiteral("later.ptl")));
        verifyLocked();
    }

    void fileEndingAmongUnusedSlots_keepsWhatWasReadLocksAndTells() {
        // The file ends after the record of slot 5: the three pupils are in it.
        const JobState source = keyedJob();
        const QString path = saved(source, QStringLiteral("short.ptl"));
        QByteArray bytes = fileBytes(path);
        qsizetype end = bytes.indexOf(QByteArray("\"(3) "));
        for (int slot = 3; slot <= 5; ++slot)
            end = bytes.indexOf("\r\n", end) + 2;
        bytes.truncate(end);
        writeBytes(path, bytes);
        JobState expected;
        const JobFileLoadResult reference = LoadJobFile(expected, path);
        QCOMPARE(reference.status, JobFileLoadResult::Status::Partial);

        clickLoad(path);
        QCOMPARE(platform().messages, QStringList{reference.message});
        QVERIFY(reference.message.contains(QStringLiteral("6 人目")));
        QCOMPARE(program->job.personRecords[3], source.personRecords[3]);
        QCOMPARE(program->job.personRecords[5], QStringLiteral("(5) "));
        QCOMPARE(program->job.personRecords[6], QString());  // not read
        QCOMPARE(program->job.printCounts, source.printCounts);
        QCOMPARE(text("tbShouEnd"), QStringLiteral("999"));
        verifyLocked();
    }

    void damagedFile_refusedScreenAndJobAsTheyWere_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("told");
        // The header of keyedJob() as the writer writes its numbers.
        const QByteArray numbers = ",0,1,100,0,101,300,301,999,800,500,100,";
        QTest::newRow("small range ends at 32767")
            << numbers << QByteArray(",0,1,100,0,101,300,301,32767,800,500,100,")
            << QStringLiteral("ヘッダーの「ネガ小の終わりのNo.」");
        QTest::newRow("large switched off with its range")
            << numbers << QByteArray(",1,1,100,0,101,300,301,999,800,500,100,")
            << QStringLiteral("設定しないサイズ");
        QTest::newRow("personCount 5000") << QByteArray(",3,3\r\n") << QByteArray(",5000,5000\r\n")
                                          << QStringLiteral("ヘッダーの「登録人数」");
        QTest::newRow("lastRecordSlot -5") << QByteArray(",3,3\r\n") << QByteArray(",3,-5\r\n")
                                           << QStringLiteral("最後に登録した番号");
        QTest::newRow("ends inside the registered records")
            << QByteArray("\"(3) ") << QByteArray() << QStringLiteral("3 人目の個人データ");
    }
    void damagedFile_refusedScreenAndJobAsTheyWere() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, told);
        const QString path = saved(keyedJob(), QStringLiteral("damaged.ptl"));
        QByteArray bytes = fileBytes(path);
        const qsizetype at = bytes.indexOf(from);
        QVERIFY(at > 0);
        if (to.isEmpty())
            bytes.truncate(at);  // the file ends there
        else
            bytes.replace(at, from.size(), to);
        writeBytes(path, bytes);

        // The operator had begun to type a job.
        box("tbTokuisaki")->setText(QStringLiteral("入力途中"));
        program->job.smallUnitPrice = 90;
        clickLoad(path);

        QCOMPARE(platform().messages.size(), 1);
        const QString message = platform().messages.constFirst();
        QVERIFY2(message.contains(told), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("何も読み込まれていません")), qPrintable(message));
        QCOMPARE(text("tbTokuisaki"), QStringLiteral("入力途中"));
        QCOMPARE(program->job.smallUnitPrice, 90);
        QCOMPARE(program->job.personCount, 0);
        QCOMPARE(program->job.smallEnd, 0);
        QCOMPARE(text("tbShouEnd"), QString());
        verifyUnlocked();
        QVERIFY(film->loadedFilePath().isEmpty());

        // Another file can be loaded after it.
        clickLoad(saved(keyedJob(), QStringLiteral("good.ptl")));
        QCOMPARE(platform().messages.size(), 1);
        QCOMPARE(program->job.personCount, 3);
        verifyLocked();
    }

    void unreadableBytes_loadedAndTold() {
        const QString path = saved(keyedJob(), QStringLiteral("bytes.ptl"));
        QByteArray bytes = fileBytes(path);
        // The customer's name さくら小学校 with its second character broken.
        const QByteArray name("\x82\xb3\x82\xad");
        QVERIFY(bytes.startsWith('"' + name));
        bytes[4] = '\xff';  // a lead byte without its trail, then a byte CP932 does not use
        writeBytes(path, bytes);

        clickLoad(path);
        QCOMPARE(platform().messages.size(), 1);
        QVERIFY(
            platform().messages.constFirst().contains(QStringLiteral("・ヘッダーの「得意先」")));
        QCOMPARE(text("tbTokuisaki"), QStringLiteral("さ\uFFFD\uFFFDら小学校"));
        verifyLocked();
    }

    void fileAtTheLoadersEdges_finishedPrintedAndSaved() {
        // What the loader still takes at its edges: a fractional range end
        // and price (which typing no longer gives), a price below zero, a pupil of 100 prints typed
        // with leading zeros, a byte that is no character in the customer's name. The operator goes
        // on to the input screen, prints each report and saves.
        const QString path = saved(keyedJob(), QStringLiteral("edges.ptl"));
        QByteArray bytes = fileBytes(path);
        const QByteArray numbers = ",0,1,100,0,101,300,301,999,800,500,100,";
        QVERIFY(bytes.contains(numbers));
        bytes.replace(numbers, ",0,1,100.5,0,101,300,301,999,800.5,-500,100,");
        const qsizetype second = bytes.indexOf("\"(2) ");
        QByteArray record = "\"(2) ";
        for (int i = 0; i < 100; ++i)
            record += "000000000000000000301 ";
        bytes.replace(second, bytes.indexOf("\r\n", second) - second, record + "\\.10000 \"");
        bytes[4] = '\xff';
        writeBytes(path, bytes);

        clickLoad(path);
        QCOMPARE(platform().messages.size(), 1);
        verifyLocked();
        QTest::mouseClick(control<QPushButton>(film, "Command2"), Qt::LeftButton);
        auto* form = program->windows.find<Form1>();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));

        for (const char* button : {"cbPrintAll", "cbPrintKojin", "cbPrintYakimasi"}) {
            platform().lastReportPaint = nullptr;
            QTest::mouseClick(control<QPushButton>(form, button), Qt::LeftButton);
            QVERIFY2(platform().lastReportPaint, button);
            const QString pdf = dir.filePath(QString::fromLatin1(button) + QStringLiteral(".pdf"));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageLayout(reportPageLayout());
            platform().lastReportPaint(&printer);
            QVERIFY2(QFileInfo(pdf).size() > 1000, button);
        }

        const QString again = dir.filePath(QStringLiteral("again.ptl"));
        platform().fileAnswers = {again};
        QTest::mouseClick(control<QPushButton>(form, "Command2"), Qt::LeftButton);
        JobState loaded;
        const JobFileLoadResult result = LoadJobFile(loaded, again);
        QCOMPARE(result.status, JobFileLoadResult::Status::Complete);
        QCOMPARE(loaded.personRecords[2],
                 QString::fromLatin1(record.mid(1)) + QStringLiteral("\\.10000 "));
        QCOMPARE(loaded.largeEnd.value(), 100.5);
        QCOMPARE(loaded.mediumUnitPrice.value(), -500.0);
    }

    void unreadableFile_toldAndScreenStaysOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing file") << QStringLiteral("missing.ptl") << QByteArray();
        QTest::newRow("ends in the header")
            << QStringLiteral("short.ptl") << QByteArray("\"a\",\"b\",\"c\",\"d\",0,1\r\n");
    }
    void unreadableFile_toldAndScreenStaysOpen() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = dir.filePath(name);
        if (!bytes.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        JobState untouched;
        const JobFileLoadResult reference = LoadJobFile(untouched, path);
        QCOMPARE(reference.status, JobFileLoadResult::Status::NothingRead);

        clickLoad(path);
        QCOMPARE(platform().messages, QStringList{reference.message});
        QVERIFY(!reference.message.isEmpty());
        QCOMPARE(program->job.customerName.toText(), QString());
        QCOMPARE(text("tbTokuisaki"), QString());
        verifyUnlocked();
    }

    void lockedScreen_textFieldsStillStored() {
        clickLoad(saved(keyedJob(), QStringLiteral("edit.ptl")));
        QLineEdit* customer = box("tbTokuisaki");
        customer->setFocus(Qt::MouseFocusReason);
        customer->setText(QStringLiteral("さくら小学校 6年"));
        control<QPushButton>(film, "Command2")->setFocus(Qt::TabFocusReason);
        QCOMPARE(program->job.customerName.toText(), QStringLiteral("さくら小学校 6年"));
    }
};

QTEST_MAIN(TestFrmFilmLoad)
#include "tst_frm_film_load.moc"
