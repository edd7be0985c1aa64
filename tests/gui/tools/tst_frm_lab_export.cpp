// SPDX-License-Identifier: MIT
// The lab export window, opened from the input screen's Tools menu, with the
// file dialog answered by the fake platform.

#include "domain/files/cp932.h"
#include "gui/input/form1.h"
#include "gui/tools/frm_lab_export.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFrmLabExport : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    std::unique_ptr<QTemporaryDir> dir;
    frmLabExport* window = nullptr;

    FakePlatform& platform() { return program->platform; }

    void openFromMenu() {
        program->job = keyedJob();
        Form1* form = nullptr;
        QVERIFY(showActive(*program, form));
        control<QAction>(form, "mnuLabExport")->trigger();
        window = program->windows.find<frmLabExport>();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        window = nullptr;
        program.reset();
        dir.reset();
    }

    void export_writesTheChosenFile_data() {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::newRow("by photo, Shift_JIS, clicked")
            << false << encodeCp932(u"写真番号,サイズ,枚数,得意先名,行事名,撮影年月日\r\n");
        QTest::newRow("by pupil, UTF-8, Enter on an option")
            << true
            << QByteArray("\xEF\xBB\xBF") +
                   QStringLiteral("個人番号,写真番号,サイズ,枚数,").toUtf8();
    }
    void export_writesTheChosenFile() {
        QFETCH(bool, byKeyboard);
        QFETCH(QByteArray, firstLine);
        openFromMenu();
        const QString path = dir->filePath(QStringLiteral("lab.csv"));
        platform().fileAnswers = {path};
        if (byKeyboard) {
            // Down moves within a group, Tab to the next one.
            QCOMPARE(focusName(), QStringLiteral("optByPhoto"));
            QTest::keyClick(keyTarget(), Qt::Key_Down);
            QTest::keyClick(keyTarget(), Qt::Key_Tab);
            QTest::keyClick(keyTarget(), Qt::Key_Down);
            QCOMPARE(focusName(), QStringLiteral("optUtf8"));
            QTest::keyClick(keyTarget(), Qt::Key_Return);
        } else {
            QTest::mouseClick(control<QPushButton>(window, "cmdExport"), Qt::LeftButton);
        }

        QCOMPARE(platform().fileDialogs.size(), 1);
        QCOMPARE(QFileInfo(platform().fileDialogs[0].suggestedPath).fileName(),
                 byKeyboard ? QStringLiteral("さくら小学校_運動会_個人別.csv")
                            : QStringLiteral("さくら小学校_運動会_写真番号別.csv"));
        QVERIFY(fileBytes(path).startsWith(firstLine));
        QCOMPARE(platform().messages.size(), 1);
        QVERIFY(platform().messages[0].contains(QDir::toNativeSeparators(path)));
        QVERIFY(!window->isVisible());
    }

    void failingWrite_toldAndNothingLeft() {
        openFromMenu();
        platform().fileAnswers = {dir->filePath(QStringLiteral("nowhere/lab.csv"))};
        QTest::mouseClick(control<QPushButton>(window, "cmdExport"), Qt::LeftButton);

        QCOMPARE(platform().messages.size(), 1);
        QVERIFY(platform().messages[0].startsWith(
            QStringLiteral("ラボ発注データを書き出せませんでした。")));
        QVERIFY(platform().messages[0].contains(JobFileSaveMessages::kFolderMissing));
        QVERIFY(QDir(dir->path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
        // The window stays for another try.
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(TestFrmLabExport)
#include "tst_frm_lab_export.moc"
