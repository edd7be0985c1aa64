// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "domain/files/job_file_writer.h"
#include "gui/alerts/frm_t_alert.h"
#include "gui/input/form1.h"
#include "gui/input/frm_teisei.h"
#include "gui/widgets/picture_box_view.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The correction screen driven through its real controls, opened from the
// input screen.
class TestFrmTeisei : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;
    frmTeisei* teisei = nullptr;

    JobState& job() { return program->job; }
    QLineEdit* box(const char* name) { return control<QLineEdit>(teisei, name); }
    QPushButton* button(const char* name) { return control<QPushButton>(teisei, name); }
    bool visible(const char* name) { return control<QLabel>(teisei, name)->isVisible(); }
    QString form1Label(const char* name) { return control<QLabel>(form, name)->text(); }

    static bool pictureHasText(QWidget* pic, const QString& text) {
        for (const DrawOp& op : static_cast<PictureBoxView*>(pic)->picture().ops)
            if (op.kind == DrawOp::Kind::Text && op.text == text)
                return true;
        return false;
    }
    bool pic1Has(const QString& text) { return pictureHasText(control(teisei, "Pic1"), text); }
    bool pic2Has(const QString& text) { return pictureHasText(control(teisei, "Pic2"), text); }

    void openCorrection() {
        QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
        teisei = program->windows.find<frmTeisei>();
        QVERIFY(teisei);
        QVERIFY(QTest::qWaitForWindowActive(teisei));
    }

    // Types the pupil number and Enter, as the operator does.
    void showPerson(const QString& number) {
        box("Text1")->setFocus();
        QTest::keyClicks(box("Text1"), number);
        QTest::keyClick(box("Text1"), Qt::Key_Return);
    }

    void typePhotoNumber(const QString& number) {
        box("Text2")->setFocus();
        box("Text2")->clear();
        QTest::keyClicks(box("Text2"), number);
    }

    // Puts text into a box as a Japanese input method in full-width mode does.
    static void commitFullWidth(QLineEdit* box, const QString& digits) {
        box->setFocus();
        QString wide;
        for (const QChar c : digits)
            wide += QChar(c.unicode() - u'0' + u'０');
        QInputMethodEvent event;
        event.setCommitString(wide);
        QApplication::sendEvent(box, &event);
    }

    void closeAlertWithEsc() {
        auto* alert = program->windows.find<frmTAlert>();
        QVERIFY(alert && alert->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(alert));
        QTest::keyClick(alert, Qt::Key_Escape);
        QVERIFY(QTest::qWaitForWindowActive(teisei));
        QVERIFY(teisei->isEnabled());
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>(QStringLiteral("/opt/pictor"));
        program->job =
            makeJob();  // large 1-100 at 800, medium 101-300 at 500, small 301-999 at 100
        QVERIFY(handOverToInputScreen(*program, form));
        // Pupil 1: 5; pupil 2: 12, 230; pupil 3: 150 twice and 400; pupil 4: 7.
        keyOnInputScreen(form, QStringLiteral("5\r/12\r230\r/150\r150\r400\r/7\r/"));
        QCOMPARE(job().personRecords[2], QStringLiteral("(2) 12 230 \\.1300 "));
        openCorrection();
    }
    void cleanup() {
        program.reset();
        form = nullptr;
        teisei = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void controls_carryTheirNamesAndPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Label1") << "Label1"
                                << "frmTeisei" << QRect(240, 120, 2895, 375);
        QTest::newRow("Text1") << "Text1"
                               << "frmTeisei" << QRect(3120, 120, 1095, 495);
        QTest::newRow("Label12") << "Label12"
                                 << "frmTeisei" << QRect(4560, 120, 3495, 495);
        QTest::newRow("Label5") << "Label5"
                                << "frmTeisei" << QRect(240, 480, 1335, 375);
        QTest::newRow("Pic1") << "Pic1"
                              << "frmTeisei" << QRect(240, 720, 8295, 1695);
        QTest::newRow("Label8") << "Label8"
                                << "Pic1" << QRect(840, 1200, 5775, 495);
        QTest::newRow("Label7") << "Label7"
                                << "Pic1" << QRect(600, 1320, 3015, 375);
        QTest::newRow("Shape1") << "Shape1"
                                << "frmTeisei" << QRect(2160, 2520, 4815, 1575);
        QTest::newRow("Label3") << "Label3"
                                << "frmTeisei" << QRect(600, 2640, 855, 1095);
        QTest::newRow("Label10") << "Label10"
                                 << "frmTeisei" << QRect(3000, 2760, 1095, 375);
        QTest::newRow("Text2") << "Text2"
                               << "frmTeisei" << QRect(4080, 2640, 975, 540);
        QTest::newRow("Label9") << "Label9"
                                << "frmTeisei" << QRect(5160, 2760, 375, 375);
        QTest::newRow("Label2") << "Label2"
                                << "frmTeisei" << QRect(2760, 2760, 495, 375);
        QTest::newRow("Command2") << "Command2"
                                  << "frmTeisei" << QRect(2640, 3360, 1455, 615);
        QTest::newRow("Command4") << "Command4"
                                  << "frmTeisei" << QRect(5040, 3360, 1455, 615);
        QTest::newRow("Label6") << "Label6"
                                << "frmTeisei" << QRect(240, 3840, 1815, 375);
        QTest::newRow("Pic2") << "Pic2"
                              << "frmTeisei" << QRect(240, 4200, 8295, 1575);
        QTest::newRow("Command3") << "Command3"
                                  << "frmTeisei" << QRect(4680, 5880, 3855, 495);
    }
    void controls_carryTheirNamesAndPlaces() {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, twips);
        auto* widget = teisei->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->geometry(), pixelsOfTwips(twips));
    }

    void captionsFontsAndStart() {
        QCOMPARE(teisei->windowTitle(), QStringLiteral("入力済みデータの訂正"));
        QCOMPARE(teisei->size(), QSize(591, 435));
        const auto label = [this](const char* name) {
            return control<QLabel>(teisei, name)->text();
        };
        QCOMPARE(label("Label1"), QStringLiteral("何番の個人データですか？"));
        QCOMPARE(label("Label12"), QStringLiteral("該当するデータがありません。"));
        QCOMPARE(label("Label7"), QStringLiteral("該当するデータがありません。"));
        QCOMPARE(label("Label8"),
                 QStringLiteral("　数字は半角で。　記号や空白は入れないでください。"));
        QCOMPARE(label("Label5"), QStringLiteral("元のデータ"));
        QCOMPARE(label("Label6"), QStringLiteral("訂正後のデータ"));
        QCOMPARE(label("Label10"), QStringLiteral("写真番号"));
        QCOMPARE(label("Label3"), QStringLiteral("↓"));
        QCOMPARE(button("Command2")->text(), QStringLiteral("追加する"));
        QCOMPARE(button("Command4")->text(), QStringLiteral("削除する"));
        QCOMPARE(button("Command3")->text(), QStringLiteral("訂正 終了"));
        for (const char* name : {"Label7", "Label8", "Label12"})
            QVERIFY2(!visible(name), name);

        QCOMPARE(teisei->font().pointSize(), 12);
        QCOMPARE(box("Text1")->font().pointSizeF(), 15.75);
        QCOMPARE(box("Text2")->font().pointSizeF(), 15.75);
        QCOMPARE(control<QLabel>(teisei, "Label3")->font().pointSize(), 48);
        QVERIFY(control<QLabel>(teisei, "Label3")->font().bold());
        const QString family = QFontInfo(teisei->font()).family();
        QVERIFY2(family.contains(u"Gothic") || family.contains(u"CJK"), qPrintable(family));

        // Opened modeless: the input screen stays usable behind it, and the
        // first activation puts the focus in the empty pupil number box.
        QVERIFY(form->isEnabled());
        QVERIFY(!teisei->isModal());
        QCOMPARE(QApplication::focusWidget(), box("Text1"));
    }

    void labels_showTheirWholeText() {
        // Whatever Gothic face the system has, no message is cut off.
        for (QLabel* label : teisei->findChildren<QLabel*>()) {
            if (label->objectName() == u"Label3")
                continue;  // the arrow, a picture set in type
            const int flags =
                Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
            const QRect needed =
                QFontMetrics(label->font())
                    .boundingRect(QRect(0, 0, label->width(), 10000), flags, label->text());
            QVERIFY2(needed.width() <= label->width(), qPrintable(label->objectName()));
            if (label->wordWrap())
                QVERIFY2(needed.height() <= label->height(), qPrintable(label->objectName()));
        }
    }

    void tabOrder_textBoxesThenButtons() {
        QCOMPARE(QApplication::focusWidget(), box("Text1"));
        for (const char* name : {"Text2", "Command2", "Command4", "Command3", "Text1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        }
    }

    void colours_asTheScreenDefinesThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("Label1") << "Label1" << QColor(192, 255, 255);
        QTest::newRow("Text1") << "Text1" << QColor(192, 255, 255);
        QTest::newRow("Label5") << "Label5" << QColor(255, 255, 128);
        QTest::newRow("Pic1") << "Pic1" << QColor(0, 192, 192);
        QTest::newRow("Shape1") << "Shape1" << QColor(255, 192, 128);
        QTest::newRow("Label10") << "Label10" << QColor(255, 192, 128);
        QTest::newRow("Command2") << "Command2" << QColor(0, 255, 0);
        QTest::newRow("Command4") << "Command4" << QColor(255, 128, 128);
        QTest::newRow("Label6") << "Label6" << QColor(255, 255, 128);
        QTest::newRow("Pic2") << "Pic2" << QColor(0, 192, 192);
    }
    void colours_asTheScreenDefinesThem() {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        auto* widget = teisei->findChild<QWidget*>(name);
        QVERIFY(widget);
        const QImage image = teisei->grab().toImage();
        // A point inside the control, clear of its border and its text.
        const QPoint inside = widget->mapTo(teisei, QPoint(widget->width() - 5, 4));
        QCOMPARE(QColor(image.pixel(inside)), colour);
    }

    void enterAfterPersonNumber_showsTheRecordAndMovesToText2() {
        QTest::keyClick(box("Text1"), Qt::Key_Return);  // empty: stays
        QCOMPARE(QApplication::focusWidget(), box("Text1"));
        showPerson(QStringLiteral("2"));
        QCOMPARE(QApplication::focusWidget(), box("Text2"));
        QVERIFY(pic1Has(QStringLiteral("(2) ")));
        QVERIFY(pic1Has(QStringLiteral("230 ")));
        QVERIFY(pic1Has(QStringLiteral("\\.1300 ")));

        // Beyond the registered pupils: Label12, the box emptied, nothing drawn.
        box("Text1")->setFocus();
        QTest::keyClick(box("Text1"), '7');  // «27»
        QVERIFY(visible("Label12"));
        QCOMPARE(box("Text1")->text(), QString());
        QVERIFY(!pic1Has(QStringLiteral("(2) ")));
        QTest::keyClicks(box("Text1"), QStringLiteral("40000"));
        QVERIFY(visible("Label12"));
        QCOMPARE(box("Text1")->text(), QString());
        QTest::keyClicks(box("Text1"), QStringLiteral("3"));
        QVERIFY(!visible("Label12"));
        QVERIFY(pic1Has(QStringLiteral("(3) ")));
        QTest::keyClick(box("Text1"), Qt::Key_Backspace);
        QVERIFY(visible("Label12"));
    }

    void add_toPersonWithTwoNumbers() {
        showPerson(QStringLiteral("2"));
        typePhotoNumber(QStringLiteral("105"));
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(job().personRecords[2], QStringLiteral("(2) 12 230 105 \\.1800 "));
        QCOMPARE(job().printCounts[105], 1);
        QCOMPARE(job().mediumTotalPrints, 4.0);
        QCOMPARE(job().grandTotalPrints, 8.0);
        // The input screen shows the new medium total at once.
        QCOMPARE(form1Label("tbChuNanMai"), QStringLiteral(" 4"));
        QCOMPARE(form1Label("tbDaiNanMai"), QStringLiteral(" 3"));
        QVERIFY(pic2Has(QStringLiteral("105 ")));
        QVERIFY(pic2Has(QStringLiteral("\\.1800 ")));
        QCOMPARE(box("Text2")->text(), QStringLiteral("105"));  // kept for another press
    }

    void fullWidthNumbers_correctAsHalfWidthOnes() {
        // Pupil 2 gets 105 added and 12 deleted, typed half-width.
        showPerson(QStringLiteral("2"));
        for (const auto& [number, command] :
             {std::pair{"105", "Command2"}, std::pair{"12", "Command4"}}) {
            typePhotoNumber(QLatin1String(number));
            QTest::mouseClick(button(command), Qt::LeftButton);
        }
        const QByteArray halfWidthFile = jobFileContents(job()).bytes;
        QCOMPARE(job().personRecords[2], QStringLiteral("(2) 230 105 \\.1000 "));

        // Again in a fresh run, full-width.
        cleanup();
        init();
        commitFullWidth(box("Text1"), QStringLiteral("2"));
        QCOMPARE(box("Text1")->text(), QStringLiteral("2"));
        QTest::keyClick(box("Text1"), Qt::Key_Return);
        for (const auto& [number, command] :
             {std::pair{"105", "Command2"}, std::pair{"12", "Command4"}}) {
            box("Text2")->clear();
            commitFullWidth(box("Text2"), QLatin1String(number));
            QTest::mouseClick(button(command), Qt::LeftButton);
            QCOMPARE(box("Text2")->text(), QLatin1String(number));
        }
        QCOMPARE(jobFileContents(job()).bytes, halfWidthFile);
    }

    void delete_numberOrderedTwice_takesOnePrint() {
        showPerson(QStringLiteral("3"));
        typePhotoNumber(QStringLiteral("150"));
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QCOMPARE(job().personRecords[3], QStringLiteral("(3) 150 400 \\.600 "));
        QCOMPARE(job().printCounts[150], 1);
        QCOMPARE(form1Label("tbChuNanMai"), QStringLiteral(" 2"));
        QVERIFY(pic2Has(QStringLiteral("\\.600 ")));
    }

    void delete_onlyNumber_leavesAmountZero() {
        showPerson(QStringLiteral("4"));
        typePhotoNumber(QStringLiteral("7"));
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QCOMPARE(job().personRecords[4], QStringLiteral("(4) \\.0 "));
        QCOMPARE(job().printCounts[7], 0);
        QCOMPARE(form1Label("tbDaiNanMai"), QStringLiteral(" 2"));
    }

    void numberWithLeadingZero_storedAsTyped() {
        showPerson(QStringLiteral("1"));
        typePhotoNumber(QStringLiteral("012"));
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(job().personRecords[1], QStringLiteral("(1) 5 012 \\.1600 "));
        QCOMPARE(job().printCounts[12], 2);
        typePhotoNumber(QStringLiteral("12"));
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QVERIFY(visible("Label7"));
        QCOMPARE(job().printCounts[12], 2);
        QCOMPARE(job().personRecords[1], QStringLiteral("(1) 5 012 \\.1600 "));
        QCOMPARE(QApplication::focusWidget(), box("Text2"));
        // Typing hides the message again.
        QTest::keyClick(box("Text2"), Qt::Key_Backspace);
        QVERIFY(!visible("Label7"));
    }

    void symbolsInPhotoNumber_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("inRange");
        QTest::newRow("blank, in range") << "1 2" << true;
        QTest::newRow("plus, in range") << "+12" << true;
        QTest::newRow("bracket, in range") << "12)" << true;
        QTest::newRow("backslash, in range") << "12\\" << true;
        QTest::newRow("blank, out of range") << "50 00" << false;
        QTest::newRow("plus alone") << "+" << false;
        QTest::newRow("bracket alone") << ")" << false;
        QTest::newRow("backslash alone") << "\\" << false;
    }
    void symbolsInPhotoNumber() {
        QFETCH(QString, typed);
        QFETCH(bool, inRange);
        showPerson(QStringLiteral("2"));
        const QString record = job().personRecords[2];
        const auto counts = job().printCounts;
        for (const char* command : {"Command2", "Command4"}) {
            typePhotoNumber(typed);
            QCOMPARE(box("Text2")->text(), typed);
            QTest::mouseClick(button(command), Qt::LeftButton);
            QCOMPARE(job().personRecords[2], record);
            QVERIFY(job().printCounts == counts);
            if (inRange) {
                QVERIFY(visible("Label8"));
                QVERIFY(!program->windows.find<frmTAlert>());
                QCOMPARE(QApplication::focusWidget(), box("Text2"));
            } else {
                QVERIFY(!visible("Label8"));
                QVERIFY(!teisei->isEnabled());
                closeAlertWithEsc();
            }
        }
    }

    void afterRangeAlert_focusInText2_data() {
        QTest::addColumn<QString>("person");
        QTest::newRow("person shown") << "2";
        QTest::newRow("no person shown") << "";
    }
    void afterRangeAlert_focusInText2() {
        QFETCH(QString, person);
        if (!person.isEmpty())
            showPerson(person);
        typePhotoNumber(QStringLiteral("5000"));
        QTest::keyClick(box("Text2"), Qt::Key_Tab);  // to the add button
        QCOMPARE(QApplication::focusWidget(), button("Command2"));
        QTest::keyClick(button("Command2"), Qt::Key_Space);
        auto* alert = program->windows.find<frmTAlert>();
        QVERIFY(alert);
        QCOMPARE(control<QLabel>(alert, "lbSuu")->text(),
                 QStringLiteral("大（1 ~ 100） と中（101 ~ 300） と 小（301 ~ 999）"));
        closeAlertWithEsc();
        QTRY_COMPARE(QApplication::focusWidget(), box("Text2"));
        // The activation has run: with a pupil shown, the record is redrawn
        // and Text2 emptied.
        QTRY_COMPARE(box("Text2")->text(), person.isEmpty() ? QStringLiteral("5000") : QString());
        QCOMPARE(pic1Has(QStringLiteral("(2) ")), !person.isEmpty());
        QTest::qWait(50);  // nothing queued takes the focus away afterwards
        QCOMPARE(QApplication::focusWidget(), box("Text2"));
        QVERIFY(!program->windows.find<frmTAlert>() ||
                !program->windows.find<frmTAlert>()->isOpen());
    }

    void finish_hidesAndTheInputScreenShowsTheCorrection() {
        showPerson(QStringLiteral("2"));
        typePhotoNumber(QStringLiteral("400"));
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
        QVERIFY(!teisei->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(form));
        QVERIFY(pictureHasText(control(form, "Pic1"), QStringLiteral("\\.1400 ")));
        QCOMPARE(form1Label("tbShouNanMai"), QStringLiteral(" 2"));

        // The next showing finds the same window, emptied.
        openCorrection();
        QCOMPARE(program->windows.find<frmTeisei>(), teisei);
        QCOMPARE(box("Text1")->text(), QString());
        QCOMPARE(box("Text2")->text(), QString());
        QVERIFY(!visible("Label12"));
        QVERIFY(static_cast<PictureBoxView*>(control(teisei, "Pic2"))->picture().ops.isEmpty());
        QCOMPARE(QApplication::focusWidget(), box("Text1"));
    }

    void closeButton_unloadsTheWindow() {
        showPerson(QStringLiteral("2"));
        QPointer<frmTeisei> first = teisei;
        teisei->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QVERIFY(!program->windows.find<frmTeisei>());
        openCorrection();
        QCOMPARE(box("Text1")->text(), QString());
    }
};

QTEST_MAIN(TestFrmTeisei)
#include "tst_frm_teisei.moc"
