// SPDX-License-Identifier: MIT
// The lab order window, opened from the input screen's Tools menu: the
// order is made on a thread of its own, and its キャンセル stops that thread
// part way, leaving nothing behind.

#include "domain/tools/lab_order.h"
#include "support/job_window_fixture.h"
#include "support/run_windows.h"
#include "support/window_helpers.h"
#include "windows/form1.h"
#include "windows/frm_lab_order.h"

#include <memory>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(LabOrderResult)

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
            file.write("photo");
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
            QCOMPARE(made(), QStringList{QStringLiteral("さくら小学校_運動会_ラボ出力")});
            QCOMPARE(result.linked + result.copied, 2 * 2000);
        }
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(TestFrmLabOrder)
#include "tst_frm_lab_order.moc"
