// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "gui/input/form1.h"
#include "gui/input/frm_teisei.h"
#include "gui/run_photos.h"
#include "gui/tools/frm_photo_search.h"
#include "gui/widgets/picture_box_view.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

// The photo search opened from the input screen's menu and driven by keys;
// what it finds is the domain test's matter, this is about the window.
class TestFrmPhotoSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;
    frmPhotoSearch* search = nullptr;

    QTreeWidget* list() { return control<QTreeWidget>(search, "lstPupils"); }
    QString label(const char* name) { return control<QLabel>(search, name)->text(); }

    QStringList rows() {
        QStringList shown;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list()->topLevelItem(i);
            shown << item->text(0) + u'/' + item->text(1) + u'/' + item->text(2);
        }
        return shown;
    }

    void openFromMenu() {
        control<QAction>(form, "mnuPhotoSearch")->trigger();
        search = program->windows.find<frmPhotoSearch>();
        QVERIFY(search);
        QVERIFY(QTest::qWaitForWindowActive(search));
        QCOMPARE(focusName(), QStringLiteral("txtPhotoNumber"));
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>(QStringLiteral("/opt/pictor"));
        program->job = makeJob();  // large 1-100 at 800, medium 101-300 at 500, small 301-999
        QVERIFY(handOverToInputScreen(*program, form));
        // Pupil 1: 5; pupil 2: 12, 230; pupil 3: 12 twice, 400; open: 12.
        keyOnInputScreen(form, QStringLiteral("5\r/12\r230\r/12\r12\r400\r/12\r"));
        openFromMenu();
    }
    void cleanup() {
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Once a photo folder is chosen, the window tells the ordered numbers
    // without a photo, and follows photos copied in.
    void photoFolderChosen_numbersWithoutPhotoTold() {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QVERIFY(!control<QLabel>(search, "lblNoPhoto")->isVisible());
        QTemporaryDir photos;
        const auto addPhoto = [&photos](const char* name) {
            QImage(8, 8, QImage::Format_RGB32).save(photos.filePath(QLatin1String(name)));
        };
        addPhoto("0005.jpg");
        addPhoto("0230.jpg");
        runPhotoFolder(program->context).open(photos.path());
        QTRY_COMPARE(label("lblNoPhoto"), PhotoSearchTexts::kNoPhotoOfNumber.arg(12) + u'\n' +
                                              PhotoSearchTexts::withoutPhoto({12, 400}));
        addPhoto("0012.jpg");
        addPhoto("0400.jpg");
        runPhotoFolder(program->context).rescan();
        QTRY_VERIFY(!control<QLabel>(search, "lblNoPhoto")->isVisible());
    }

    void typeAndEnter_listsThePupils_andFollowsTheJob() {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(rows(), (QStringList{"2/1/1300", "3/2/1700"}));
        QCOMPARE(label("lblSummary"), QStringLiteral("写真番号 12：2 人、合計 3 枚"));
        QVERIFY(control<QLabel>(search, "lblNote")->isVisible());
        QVERIFY(label("lblNote").contains(QStringLiteral("入力中")));

        // The open pupil is closed behind the window: coming back shows it.
        keyOnInputScreen(form, QStringLiteral("/"));
        search->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(search));
        QCOMPARE(rows(), (QStringList{"2/1/1300", "3/2/1700", "4/1/800"}));
        QVERIFY(!control<QLabel>(search, "lblNote")->isVisible());

        // Esc closes the window.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!search->isVisible());
    }

    // The roster's column shows only when the job has a roster: a tied
    // pupil's class, number and name, nothing for the others.
    void roster_namesTheTiedPupilsInAColumnOfTheirOwn() {
        QVERIFY(list()->isColumnHidden(3));
        program->context.companion.roster =
            Roster({{"6", "1", 12, QStringLiteral("山田 花子"), "", ""}});
        program->context.companion.ties = {{3, 0}};
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QVERIFY(!list()->isColumnHidden(3));
        QCOMPARE(list()->headerItem()->text(3), QStringLiteral("組・番号・氏名"));
        QCOMPARE(rows(), (QStringList{"2/1/1300", "3/2/1700"}));
        QCOMPARE(list()->topLevelItem(0)->text(3), QString());
        QCOMPARE(list()->topLevelItem(1)->text(3), QStringLiteral("6年1組 12番  山田 花子"));
        // The name is not cut short in the window as it opens.
        QVERIFY(list()->columnWidth(3) >
                list()->fontMetrics().horizontalAdvance(list()->topLevelItem(1)->text(3)));

        program->context.companion = {};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(list()->isColumnHidden(3));
    }

    void enterOnARow_opensTheCorrectionOnThatPupil() {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(focusName(), QStringLiteral("lstPupils"));
        QTest::keyClick(list(), Qt::Key_Down);
        QTest::keyClick(list(), Qt::Key_Return);

        auto* teisei = program->windows.find<frmTeisei>();
        QVERIFY(teisei);
        QVERIFY(QTest::qWaitForWindowActive(teisei));
        QCOMPARE(control<QLineEdit>(teisei, "Text1")->text(), QStringLiteral("3"));
        QCOMPARE(focusName(), QStringLiteral("Text2"));
        QVERIFY(!control<QLabel>(teisei, "Label12")->isVisible());
        bool recordShown = false;
        for (const DrawOp& op :
             static_cast<PictureBoxView*>(control(teisei, "Pic1"))->picture().ops)
            recordShown = recordShown || op.text.startsWith(QStringLiteral("\\.1700"));
        QVERIFY(recordShown);
    }
};

QTEST_MAIN(TestFrmPhotoSearch)
#include "tst_frm_photo_search.moc"
