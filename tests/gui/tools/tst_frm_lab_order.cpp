// SPDX-License-Identifier: MIT
// The lab order window, opened from the input screen's Tools menu: the
// order is made on a thread of its own, and its キャンセル stops that thread
// part way, leaving nothing behind; a doubtful photo is asked about first;
// a card of the order is written onto an empty folder's top.

#include "domain/tools/lab_order.h"
#include "gui/input/form1.h"
#include "gui/tools/frm_lab_order.h"
#include "gui/tools/run_tools.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(LabOrderResult)
Q_DECLARE_METATYPE(LabOrderCardResult)

class TestFrmLabOrder : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    std::unique_ptr<QTemporaryDir> dir;
    QString photos;
    QString destination;
    frmLabOrder* window = nullptr;

    // A job of 2000 photos ordered, each with its photo.
    void openFromMenu() {
        program->job = keyedJob({1, 1000, 800, 1001, 2000, 500, 2001, 9999, 100});
        QString entry;
        for (int n = 1; n <= 2000; ++n) {
            QFile file(QStringLiteral("%1/%2.jpg").arg(photos).arg(n));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("\xFF\xD8\xFF photo \xFF\xD9");
            entry += QString::number(n) + u' ';
        }
        program->job.personRecords[1] = personRecordText(1, entry, QStringLiteral("0 "));
        program->job.personCount = 1;
        Form1* form = nullptr;
        QVERIFY(showActive(*program, form));
        control<QAction>(form, "mnuLabOrder")->trigger();
        window = program->windows.find<frmLabOrder>();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        control<QLineEdit>(window, "txtFolder")->setText(QDir::toNativeSeparators(destination));
        program->platform.fileAnswers = {photos};  // the photo folder, asked for at 作成
    }

    QStringList made() const {
        return QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        photos = dir->filePath(QStringLiteral("photos"));
        destination = dir->filePath(QStringLiteral("lab"));
        QVERIFY(QDir().mkpath(photos) && QDir().mkpath(destination));
    }
    void cleanup() {
        window = nullptr;
        program.reset();
        dir.reset();
    }

    void make_thenCancel_stopsTheWorkAndLeavesNothing_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("made") << false;
        QTest::newRow("cancelled") << true;
    }
    void make_thenCancel_stopsTheWorkAndLeavesNothing() {
        QFETCH(bool, cancel);
        openFromMenu();
        QSignalSpy finished(window, &frmLabOrder::finished);
        QTest::mouseClick(control<QPushButton>(window, "cmdMake"), Qt::LeftButton);
        QVERIFY(window->isWorking());
        if (cancel)
            QTest::mouseClick(control<QPushButton>(window, "cmdCancel"), Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        QVERIFY(!window->isWorking());
        const auto result = finished.at(0).at(0).value<LabOrderResult>();
        QCOMPARE(program->platform.messages, QStringList{result.message});
        QCOMPARE(result.cancelled, cancel);
        QCOMPARE(result.written, !cancel);
        if (cancel) {
            QCOMPARE(made(), QStringList());
        } else {
            QCOMPARE(made(), QStringList{QFileInfo(result.path).fileName()});
            QVERIFY(result.path.contains(QStringLiteral("さくら小学校_運動会_ラボ出力_")));
            QCOMPARE(result.cloned + result.copied, 2 * 2000);
        }
        QVERIFY(window->isVisible());
        QCOMPARE(program->platform.choices.size(), 0);  // no photo worth a question
    }

    // The folder proposed is one that exists: the documents folder when
    // there is one, else the home folder (no job file was loaded).
    void destination_proposedFolderExists() {
#ifdef Q_OS_WIN
        QSKIP("Windows takes the home and documents folders from the user's profile, not HOME");
#endif
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", dir->path().toLocal8Bit());
        const auto proposed = [this] {
            program = std::make_unique<Program<FakePlatform>>();
            return control<QLineEdit>(&program->windows.get<frmLabOrder>(), "txtFolder")->text();
        };
        const QString withoutDocuments = proposed();
        QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("Documents"))));
        const QString withDocuments = proposed();
        qputenv("HOME", home);
        QCOMPARE(withoutDocuments, QDir::toNativeSeparators(dir->path()));
        QCOMPARE(withDocuments,
                 QDir::toNativeSeparators(dir->filePath(QStringLiteral("Documents"))));
    }

    // Closing the program while the order is made asks first: waiting
    // leaves it at work, stopping ends the run with nothing left behind.
    void closeWhileMaking_asksToWaitOrStop() {
        openFromMenu();
        auto* form = program->windows.find<Form1>();
        QTest::mouseClick(control<QPushButton>(window, "cmdMake"), Qt::LeftButton);
        program->platform.choiceAnswers = {0};  // 待つ
        QVERIFY(!form->mayEndRun());
        QCOMPARE(program->platform.choices.size(), 1);
        QCOMPARE(program->platform.choices[0].text,
                 RunToolsTexts::kWorking.arg(RunToolsTexts::kLabOrder));
        QVERIFY(window->isWorking());

        program->platform.choiceAnswers = {1, 1};  // 中止して終了; end without saving
        QVERIFY(form->mayEndRun());
        QVERIFY(!window->isWorking());
        QCOMPARE(made(), QStringList());
    }

    // Photo 5 cut short and a second file for 6: asked first; stopping
    // makes nothing, going on makes the order, and its card goes onto the
    // top of the folder the operator picks.
    void make_doubtfulPhotos_askedFirst_thenACardWritten() {
        openFromMenu();
        QFile cut(QStringLiteral("%1/5.jpg").arg(photos));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write("\xFF\xD8\xFF photo");
        cut.close();
        QFile::copy(QStringLiteral("%1/6.jpg").arg(photos),
                    QStringLiteral("%1/IMG_6.jpg").arg(photos));
        QSignalSpy finished(window, &frmLabOrder::finished);
        auto* make = control<QPushButton>(window, "cmdMake");

        program->platform.choiceAnswers = {1};  // やめる
        QTest::mouseClick(make, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isWorking(), 60000);
        QCOMPARE(program->platform.choices.size(), 1);
        const QString question = program->platform.choices[0].text;
        QVERIFY2(question.contains(QStringLiteral("5：5.jpg は終わりが欠けています")),
                 qPrintable(question));
        QVERIFY(question.contains(
            QStringLiteral("6：6.jpg を使います（使わないファイル：IMG_6.jpg）")));
        QCOMPARE(made(), QStringList());
        QCOMPARE(finished.size(), 0);

        program->platform.choiceAnswers = {0};  // このまま作る
        QTest::mouseClick(make, Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        const auto result = finished.at(0).at(0).value<LabOrderResult>();
        QVERIFY2(result.written, qPrintable(result.message));
        QVERIFY(result.message.contains(QStringLiteral("5：5.jpg は終わりが欠けています")));

        auto* cards = control<QComboBox>(window, "cboCard");
        QCOMPARE(cards->count(), result.cards.size());
        QVERIFY(cards->isEnabled());
        QTemporaryDir card;
        program->platform.fileAnswers = {card.path()};
        cards->setCurrentIndex(1);
        QSignalSpy written(window, &frmLabOrder::cardFinished);
        QTest::mouseClick(control<QPushButton>(window, "cmdWriteCard"), Qt::LeftButton);
        QVERIFY(written.wait(60000));
        QVERIFY2(written.at(0).at(0).value<LabOrderCardResult>().written,
                 qPrintable(program->platform.messages.last()));
        QVERIFY(QFileInfo::exists(card.filePath("MISC/AUTPRINT.MRK")));
        QCOMPARE(QDir(card.filePath("DCIM/100PICTR")).count() - 2, result.cards[1].photos());
    }
};

QTEST_MAIN(TestFrmLabOrder)
#include "tst_frm_lab_order.moc"
