// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "domain/entry/record_correction.h"
#include "gui/alerts/frm_alert.h"
#include "gui/alerts/frm_stop.h"
#include "gui/dialogs/frm_nyuuryoku.h"
#include "gui/input/form1.h"
#include "gui/widgets/picture_box_view.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <cmath>
#include <memory>

#include <QAction>
#include <QDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <QtTest>

namespace {

// The Japanese faces a system may give the program, and a Latin one.
void addFaceRows() {
    QTest::addColumn<QString>("family");
    const QStringList installed = QFontDatabase::families();
    int rows = 0;
    for (const QString& family : installed)
        if (family.contains(QLatin1String("CJK JP")) || family.contains(QLatin1String("Gothic")) ||
            family.contains(QLatin1String("Mincho")) || family == QLatin1String("DejaVu Sans")) {
            QTest::newRow(qPrintable(family)) << family;
            ++rows;
        }
    if (rows == 0)
        QTest::newRow("default face") << QString();
}

bool isBackground(QRgb pixel, QRgb background) {
    return (pixel & 0xffffff) == (background & 0xffffff);
}

// The columns [first, last] of the image's own pixels where it has other
// than background within the widget's rows [top, bottom] (at a scale above
// one, the image's rows wholly inside them); first > last when there is none.
std::pair<int, int> inkColumns(const QImage& image, QRgb background, int top, int bottom) {
    const qreal scale = image.devicePixelRatio();
    const int from = int(std::ceil(top * scale));
    const int to = int(std::floor((bottom + 1) * scale)) - 1;
    int first = image.width(), last = -1;
    for (int y = std::max(from, 0); y <= std::min(to, image.height() - 1); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isBackground(image.pixel(x, y), background)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

// Records as a day at a large school leaves them: pupils past 1000,
// five-digit amounts, a pupil of exactly ten prints (the amount alone on
// its row, moved up beside it).
QStringList pictureLines() {
    return {QStringLiteral("(998) 5 6 7 \\.2400 "),
            QStringLiteral("(999) 1 2 3 4 5 6 7 8 9 10 "),
            QStringLiteral("\\.8000 "),
            QStringLiteral("(1000) 150 400 "),
            QStringLiteral("\\.600 "),
            QStringLiteral("(1493) 398 11 12 13 14 15 16 17 18 "),
            QStringLiteral("19 20 21 22 \\.10400 "),
            QStringLiteral("(9999) 999 \\.100 ")};
}

// A picture box the size of the input screen's, in the given face.
std::unique_ptr<PictureBoxView> pictureIn(const QString& family) {
    auto view = std::make_unique<PictureBoxView>();
    view->resize(537, 353);
    if (!family.isEmpty()) {
        QFont font = view->font();
        font.setFamily(family);
        view->setFont(font);
    }
    view->setBackground(kPic1Background);
    return view;
}

QImage paint(PictureBoxView& view, const PictureBox& box) {
    view.showPicture(box);
    return view.grab().toImage();
}

// What the screen shows of a control once its window has painted: the
// window's pixels where the control is.
QImage onScreen(const QWidget* control) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QWidget* window = control->window();
    const QPoint at = control->mapTo(window, QPoint());
    return window->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), control->width(), control->height())
        .toImage();
}

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;

    QString text(const char* name) { return control<QLabel>(form, name)->text(); }
    QListWidget* list() { return control<QListWidget>(form, "List1"); }
    JobState& job() { return program->job; }

    void openForm() { QVERIFY(handOverToInputScreen(*program, form)); }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>(QStringLiteral("/opt/pictor"));
        program->job = makeJob();
        openForm();
    }
    void cleanup() {
        program.reset();
        form = nullptr;
    }

    void controls_carryTheirNamesAndPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Pic1") << "Pic1" << QRect(2760, 0, 8055, 5295);
        QTest::newRow("cbMae") << "cbMae" << QRect(10800, 0, 372, 852);
        QTest::newRow("cbAto") << "cbAto" << QRect(10800, 4440, 372, 852);
        QTest::newRow("VScroll1") << "VScroll1" << QRect(240, 1080, 252, 852);
        QTest::newRow("List1") << "List1" << QRect(960, 840, 1815, 4380);
        QTest::newRow("Label1") << "Label1" << QRect(600, 5280, 3375, 1335);
        QTest::newRow("tbHGoukei") << "tbHGoukei" << QRect(6240, 5640, 1335, 495);
        QTest::newRow("tbNin") << "tbNin" << QRect(11040, 1320, 615, 375);
        QTest::newRow("Command1") << "Command1" << QRect(5880, 6480, 2295, 615);
        QTest::newRow("Frame2") << "Frame2" << QRect(10200, 5400, 1455, 1692);
        QTest::newRow("Command3 in Frame2") << "Command3" << QRect(120, 1200, 1215, 375);
        QTest::newRow("Label4") << "Label4" << QRect(960, 7080, 2535, 255);
    }
    void controls_carryTheirNamesAndPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        auto* widget = form->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), pixelsOfTwips(twips));
    }

    void captionsAndMenus() {
        QCOMPARE(form->windowTitle(),
                 QStringLiteral("写真番号入力　　　　　　　　　学校写真番号集計ソフト　ピクトル"));
        QCOMPARE(control<QPushButton>(form, "Command3")->text(), QStringLiteral("終    了"));
        QCOMPARE(control<QPushButton>(form, "cbMae")->text(), QStringLiteral("↑前へ"));
        QCOMPARE(text("Label4"), QStringLiteral(" ／ か ＊ で  一人分の登録"));
        QCOMPARE(text("Label3"), QStringLiteral("1"));  // set on load
        auto* save = control<QAction>(form, "mnuSave");
        QCOMPARE(save->text(), QStringLiteral("データ保存(&S)"));
        QCOMPARE(save->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        for (const char* name : {"mnuFile", "mnuPrint"})
            QVERIFY(form->findChild<QMenu*>(QString::fromLatin1(name)));
        for (const char* name : {"mnuQuit", "mnuYakimasi", "mnuKojin", "mnuJuchuu", "mnuSettei",
                                 "mnuNyuu", "mnuVer", "mnuS", "mnuSe", "mnusen"})
            QVERIFY2(form->findChild<QAction*>(QString::fromLatin1(name)), name);
        QCOMPARE(control<QAction>(form, "mnuQuit")->text(), QStringLiteral("終了"));
    }

    void keying_updatesLabelsListAndPicture() {
        // The activation leaves the focus on the window itself.
        QCOMPARE(QApplication::focusWidget(), form->centralWidget());
        typeIntoFocus(QStringLiteral("23"));
        QCOMPARE(text("Label1"), QStringLiteral("23"));
        typeIntoFocus(QStringLiteral("\r"));
        QCOMPARE(text("tbDaiNanMai"), QStringLiteral(" 1"));
        QCOMPARE(text("tbHGoukei"), QStringLiteral(" 800"));
        QCOMPARE(text("Label5"), QStringLiteral(" 1枚"));
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->item(0)->text(), QStringLiteral(" 23"));
        QCOMPARE(program->platform.sounds, QStringList({"tap.wav", "tap.wav", "menupop.wav"}));

        typeIntoFocus(QStringLiteral("/"));
        QCOMPARE(text("tbNin"), QStringLiteral(" 1"));
        QCOMPARE(job().personRecords[1], QStringLiteral("(1) 23 \\.800 "));
        // The separator shows the yen sign where the record holds a backslash.
        QCOMPARE(list()->item(1)->text(), QStringLiteral("---¥.800 "));
        auto* pic = control<PictureBoxView>(form, "Pic1");
        bool amountDrawn = false;
        for (const DrawOp& op : pic->picture().ops)
            amountDrawn |= op.kind == DrawOp::Kind::Text && op.text == QStringLiteral("\\.800 ");
        QVERIFY(amountDrawn);
        QCOMPARE(QApplication::focusWidget(), list());
    }

    void keypadKeys_actLikeTheMainKeyboard() {
        const auto keypad = [](Qt::Key key) {
            QTest::keyClick(keyTarget(), key, Qt::KeypadModifier);
        };
        keypad(Qt::Key_1);
        keypad(Qt::Key_2);
        keypad(Qt::Key_Enter);
        QCOMPARE(job().printCounts[12], 1);
        keypad(Qt::Key_Minus);
        keypad(Qt::Key_1);
        keypad(Qt::Key_2);
        keypad(Qt::Key_Enter);
        QCOMPARE(job().printCounts[12], 0);
        keypad(Qt::Key_5);
        keypad(Qt::Key_Period);  // deletes the 5
        QCOMPARE(text("Label1"), QString());
        keypad(Qt::Key_7);
        keypad(Qt::Key_Enter);
        keypad(Qt::Key_Asterisk);
        QCOMPARE(job().personRecords[1], QStringLiteral("(1) 7 \\.800 "));
        QTest::keyClick(keyTarget(), Qt::Key_8, Qt::KeypadModifier);
        QTest::keyClick(keyTarget(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(keyTarget(), Qt::Key_Slash, Qt::KeypadModifier);
        QCOMPARE(job().personRecords[2], QStringLiteral("(2) 8 \\.800 "));
    }

    void keysReachTheEngineWhateverHasTheFocus() {
        for (int p = 0; p < 20; ++p)
            typeIntoFocus(QStringLiteral("5\r/"));
        const Number top = job().historyTopRow;
        QTest::mouseClick(control<QPushButton>(form, "cbMae"), Qt::LeftButton);
        QCOMPARE(job().historyTopRow, top - 1);
        // Right after the click: keys still count, once each.
        typeIntoFocus(QStringLiteral("6\r"));
        QCOMPARE(job().printCounts[6], 1);
        QCOMPARE(QApplication::focusWidget(), list());

        // With the focus on a button, a digit is still previewed once.
        control<QPushButton>(form, "Command3")->setFocus();
        QTest::keyClick(control<QPushButton>(form, "Command3"), '7');
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QCOMPARE(job().printCounts[7], 1);
    }

    void arrowKeys_pageTheHistory() {
        for (int p = 0; p < 20; ++p)
            typeIntoFocus(QStringLiteral("5\r/"));
        const Number top = job().historyTopRow;
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QCOMPARE(job().historyTopRow, top - 2);
        QTest::keyClick(keyTarget(), Qt::Key_Down);
        QCOMPARE(job().historyTopRow, top - 1);
    }

    void copyCountSelector_changesTheCountWhileANumberIsTyped() {
        auto* scroll = control<QScrollBar>(form, "VScroll1");
        scroll->setValue(4);  // nothing typed: snaps back
        QCOMPARE(scroll->value(), 1);
        QVERIFY(program->platform.beeps > 0);
        typeIntoFocus(QStringLiteral("5"));
        scroll->setValue(3);
        QCOMPARE(text("Label3"), QStringLiteral(" 3"));
        typeIntoFocus(QStringLiteral("\r"));
        QCOMPARE(job().printCounts[5], 3);
        QCOMPARE(scroll->value(), 1);
        QCOMPARE(text("Label3"), QStringLiteral("1"));
    }

    void alert_disablesTheScreenUntilItCloses() {
        typeIntoFocus(QStringLiteral("0\r"));
        QCOMPARE(program->platform.alerts, QVector<AlertWindow>({AlertWindow::frmAlert}));
        QVERIFY(!form->isEnabled());
        form->alertWindowClosed();
        QVERIFY(form->isEnabled());
        typeIntoFocus(QStringLiteral("2-3\r"));
        QCOMPARE(program->platform.alerts.last(), AlertWindow::frmStop);
        QCOMPARE(text("Label1"), QStringLiteral("2-3"));
        QVERIFY(!form->isEnabled());
    }

    void realAlerts_holdTheScreenAndHandItBack() {
        program->platform.onAlert = [this](AlertWindow w) { form->openAlertWindow(w); };
        for (int p = 0; p < 20; ++p)
            typeIntoFocus(QStringLiteral("6\r/"));
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QCOMPARE(job().historyTopRow, 3.0);
        typeIntoFocus(QStringLiteral("5\r"));
        typeIntoFocus(QStringLiteral("0\r"));
        auto* alert = program->windows.find<frmAlert>();
        QVERIFY(alert && alert->isVisible());
        QVERIFY(!form->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(alert));
        QCOMPARE(control<QLabel>(alert, "lbSuu")->text(),
                 QStringLiteral("大（1 ~ 100） と中（101 ~ 300） と 小（301 ~ 999）"));
        // "/" closes the alert and does not close the open pupil.
        QTest::keyClick(alert, '/');
        QVERIFY(QTest::qWaitForWindowActive(form));
        QVERIFY(form->isEnabled());
        QCOMPARE(job().personCount, 20.0);
        QCOMPARE(job().pendingEntry, QStringLiteral("5 "));
        QCOMPARE(job().historyTopRow, 4.0);  // back at the history's end

        // The input error keeps the typed text for editing; Esc closes it.
        typeIntoFocus(QStringLiteral("2-3\r"));
        auto* stop = program->windows.find<frmStop>();
        QVERIFY(stop && stop->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(stop));
        QTest::keyClick(stop, Qt::Key_Escape);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(text("Label1"), QStringLiteral("2-3"));
        typeIntoFocus(QStringLiteral("\b\b\r/"));
        QCOMPARE(job().personRecords[21], QStringLiteral("(21) 5 2 \\.1600 "));
    }

    void helpWindow_returningRefreshesTheHistory() {
        for (int p = 0; p < 20; ++p)
            typeIntoFocus(QStringLiteral("6\r/"));
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QCOMPARE(job().historyTopRow, 3.0);
        control<QAction>(form, "mnuNyuu")->trigger();
        auto* help = program->windows.find<frmNyuuryoku>();
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowActive(help));
        help->close();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(job().historyTopRow, 4.0);
    }

    void printCommands_openTheirPreviews() {
        QTest::mouseClick(control<QPushButton>(form, "cbPrintAll"), Qt::LeftButton);
        control<QAction>(form, "mnuKojin")->trigger();
        QTest::mouseClick(control<QPushButton>(form, "cbPrintYakimasi"), Qt::LeftButton);
        QCOMPARE(program->platform.reportTitles,
                 QStringList({"受注数印刷", "個人別印刷", "やきまし数印刷"}));
    }

    void messageBox_showsTheDisplayAsItIsThen() {
        // The 101st print empties the typed number before the message comes up.
        QString label1AtMessage = QStringLiteral("unset");
        program->platform.onMessage = [&](const QString&) { label1AtMessage = text("Label1"); };
        for (int i = 0; i < 100; ++i) {
            form->engine().Form_KeyPress('5');
            form->engine().Form_KeyPress(OrderEntry::kKeyEnter);
        }
        typeIntoFocus(QStringLiteral("302"));
        QCOMPARE(text("Label1"), QStringLiteral("302"));
        typeIntoFocus(QStringLiteral("\r"));
        QCOMPARE(program->platform.messages, QStringList({OrderEntry::kEntryLimitMessage}));
        QCOMPARE(label1AtMessage, QString());
    }

    void returningFromAnotherWindow_showsTheHistoryEnd() {
        for (int p = 0; p < 20; ++p)
            typeIntoFocus(QStringLiteral("5\r/"));
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QTest::keyClick(keyTarget(), Qt::Key_Up);
        QCOMPARE(job().historyTopRow, 2.0);

        // A modal dialog (like a message box) coming and going keeps the page.
        {
            QDialog dialog;
            dialog.setModal(true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
        }
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(job().historyTopRow, 2.0);

        // Another window of the program: coming back refreshes.
        job().largeTotalPrints = 42;  // as a correction would have changed it
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(job().historyTopRow, 4.0);
        QCOMPARE(text("tbDaiNanMai"), QStringLiteral(" 42"));
    }

    void picture_isPaintedWithTheSizeColours() {
        program->job.personCount = 0;
        typeIntoFocus(QStringLiteral("5\r150\r400\r/"));
        auto* pic = control<PictureBoxView>(form, "Pic1");
        const QImage image = pic->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y) & 0xffffff);
        QVERIFY(colours.contains(0x0000ff));  // medium number, light blue
        QVERIFY(colours.contains(0x000080));  // amount, blue
        QVERIFY(colours.contains(0xffffff));  // large number, white
        QVERIFY(colours.contains(0x00c0c0));  // background
    }

    // Going back leaves the open pupil open, exactly as it was, so the
    // slip's next number joins it.
    void closeBoxAndFinish_goingBackLeavesTheOpenEntry() {
        typeIntoFocus(QStringLiteral("7\r9"));
        form->close();  // answered 戻る
        QCOMPARE(job().personCount, 0.0);
        QCOMPARE(job().pendingEntry, QStringLiteral("7 "));
        QCOMPARE(control<QLabel>(form, "Label1")->text(), QStringLiteral("9"));
        QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);  // 戻る
        typeIntoFocus(QStringLiteral("\r/"));
        QCOMPARE(job().personRecords[1], QStringLiteral("(1) 7 9 \\.1600 "));
    }

    // Eleven items of 18-point text, the last a separator with a five-digit
    // amount, in the list's height and width.
    void recentEntries_elevenFitUnclipped_data() { addFaceRows(); }
    void recentEntries_elevenFitUnclipped() {
        QFETCH(QString, family);
        if (!family.isEmpty()) {
            QFont font = list()->font();
            font.setFamily(family);
            list()->setFont(font);
        }
        QCOMPARE(list()->font().pointSize(), 18);
        typeIntoFocus(QStringLiteral("12\r\r\r\r\r\r\r\r\r\r\r\r\r/"));  // 13 × 800
        QCOMPARE(list()->count(), 11);
        QCOMPARE(list()->item(10)->text(), QStringLiteral("-¥.10400 "));
        form->centralWidget()->setFocus();  // no focus frame in the picture
        QVERIFY(!list()->verticalScrollBar()->isVisible());
        const QRect viewport = list()->viewport()->rect();
        const QImage image = list()->viewport()->grab().toImage();
        const QRgb background = image.pixel(viewport.width() - 1, viewport.height() - 1);
        for (int row = 0; row < 11; ++row) {
            const QRect item = list()->visualItemRect(list()->item(row));
            QVERIFY2(viewport.contains(item), qPrintable(QString::number(row)));
            // The glyphs within their row, not touching its edges.
            const auto [left, right] = inkColumns(image, background, item.top(), item.bottom());
            QVERIFY2(left > 0 && right < image.width() - 1,
                     qPrintable(QStringLiteral("row %1: %2..%3").arg(row).arg(left).arg(right)));
            for (const int edge : {item.top(), item.bottom()}) {
                const auto [from, to] = inkColumns(image, background, edge, edge);
                QVERIFY2(from > to,
                         qPrintable(QStringLiteral("row %1 edge %2").arg(row).arg(edge)));
            }
        }
    }

    // After every key the screen shows what the changing controls paint
    // afresh: the recent entries whose rows were moved up rather than
    // painted again, the amount, and the pupil's count, copied from an image
    // of its painting.
    void changingControls_onScreenAsPaintedAfresh_data() {
        QTest::addColumn<QString>("keys");
        const QString twelve = QStringLiteral("3\r4\r5\r6\r7\r8\r9\r10\r11\r12\r13\r14\r");
        QTest::newRow("prints past the eleventh") << twelve + "15\r16\r";
        QTest::newRow("prints taken back") << twelve + "9-\r14-\r15\r";
        QTest::newRow("pupils closed") << "3\r4\r/5\r6\r7\r/8\r9\r10\r11\r12\r/13\r";
        QTest::newRow("copies") << twelve + "15c\r16c\r";  // c: three copies of the next
    }
    void changingControls_onScreenAsPaintedAfresh() {
        QFETCH(QString, keys);
        form->setAttribute(Qt::WA_KeyboardFocusChange);  // the focus frame drawn
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (keys[i] == u'c')
                control<QScrollBar>(form, "VScroll1")->setValue(3);
            else
                typeIntoFocus(keys.mid(i, 1));
            for (QWidget* changing :
                 {static_cast<QWidget*>(list()->viewport()), control<QWidget>(form, "Label5"),
                  control<QWidget>(form, "tbHGoukei")}) {
                const QImage shown = onScreen(changing);
                QPalette palette = changing->palette();  // another look: no image of it
                palette.setColor(QPalette::ToolTipBase,
                                 palette.color(QPalette::ToolTipBase).darker());
                changing->setPalette(palette);
                changing->update();
                QVERIFY2(onScreen(changing) == shown,
                         qPrintable(changing->objectName() + " after " +
                                    keys.left(i + 1).replace(u'\r', u'|')));
            }
        }
    }

    // Whatever took the focus, the list comes back with its newest item
    // current and in view, not its oldest.
    void recentEntries_newestCurrentWhenTheFocusComesBack_data() {
        QTest::addColumn<QString>("away");
        QTest::newRow("menu") << "menu";
        QTest::newRow("oldest item clicked, then a menu") << "click and menu";
        QTest::newRow("no-data message") << "message";
        QTest::newRow("Up key") << "up";
        QTest::newRow("Down key") << "down";
        QTest::newRow("copy-count selector") << "selector";
        QTest::newRow("input error window") << "frmStop";
        QTest::newRow("minus typed (no search for a separator)") << "minus";
    }
    void recentEntries_newestCurrentWhenTheFocusComesBack() {
        QFETCH(QString, away);
        program->platform.onAlert = [this](AlertWindow w) { form->openAlertWindow(w); };
        for (int p = 0; p < 20; ++p)
            typeIntoFocus(QStringLiteral("6\r7\r/"));
        typeIntoFocus(QStringLiteral("8\r9\r"));
        QCOMPARE(list()->count(), 11);
        QCOMPARE(QApplication::focusWidget(), list());
        const Number top = job().historyTopRow;
        if (away == QLatin1String("click and menu")) {
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                              list()->visualItemRect(list()->item(0)).center());
            QVERIFY(list()->item(0)->isSelected());
            away = QStringLiteral("menu");
        }
        if (away == QLatin1String("menu")) {
            QMenu* menu = control<QMenu>(form, "mnuFile");
            menu->popup(form->mapToGlobal(QPoint(10, 10)));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QTest::keyClick(menu, Qt::Key_Escape);
            QTRY_VERIFY(!menu->isVisible());
        } else if (away == QLatin1String("message")) {
            typeIntoFocus(QStringLiteral("500-\r"));  // no print of 500
            QCOMPARE(program->platform.messages,
                     QStringList({OrderEntry::kNoDataMessage.arg(500)}));
        } else if (away == QLatin1String("up")) {
            QTest::keyClick(keyTarget(), Qt::Key_Up);
            QCOMPARE(job().historyTopRow, top - 1);
        } else if (away == QLatin1String("down")) {
            QTest::keyClick(keyTarget(), Qt::Key_Up);
            QTest::keyClick(keyTarget(), Qt::Key_Down);
            QCOMPARE(job().historyTopRow, top);
        } else if (away == QLatin1String("selector")) {
            typeIntoFocus(QStringLiteral("5"));
            control<QScrollBar>(form, "VScroll1")->setValue(2);
            QCOMPARE(QApplication::focusWidget(), form->centralWidget());
            typeIntoFocus(QStringLiteral("\r"));
        } else if (away == QLatin1String("minus")) {
            typeIntoFocus(QStringLiteral("-"));
            QCOMPARE(list()->currentRow(), list()->count() - 1);
        } else if (away == QLatin1String("frmStop")) {
            typeIntoFocus(QStringLiteral("2-3\r"));
            auto* stop = program->windows.find<frmStop>();
            QVERIFY(QTest::qWaitForWindowActive(stop));
            QTest::keyClick(stop, Qt::Key_Escape);
            QVERIFY(QTest::qWaitForWindowActive(form));
            typeIntoFocus(QStringLiteral("\b\b"));
        }
        QTRY_COMPARE(QApplication::focusWidget(), list());
        const int newest = list()->count() - 1;
        const QRect viewport = list()->viewport()->rect();
        QVERIFY(viewport.contains(list()->visualItemRect(list()->item(newest))));
        QVERIFY(viewport.contains(list()->visualItemRect(list()->item(0))));
        QVERIFY(!list()->item(0)->isSelected());
        // The arrow keys reach the list too, and move it one item at most.
        QVERIFY2(list()->currentRow() >= newest - 1,
                 qPrintable(QString::number(list()->currentRow())));
    }

    // The copy count grows upwards: the upper arrow, the trough above the
    // slider and the wheel turned up raise it.
    void copyCountSelector_upperArrowRaisesTheCount() {
        auto* scroll = control<QScrollBar>(form, "VScroll1");
        QStyleOptionSlider option;
        option.initFrom(scroll);
        option.orientation = Qt::Vertical;
        option.minimum = scroll->minimum();
        option.maximum = scroll->maximum();
        option.sliderPosition = option.sliderValue = scroll->value();
        option.upsideDown = scroll->invertedAppearance();
        option.singleStep = scroll->singleStep();
        option.pageStep = scroll->pageStep();
        const auto centreOf = [&](QStyle::SubControl part) {
            option.sliderPosition = option.sliderValue = scroll->value();
            return scroll->style()
                ->subControlRect(QStyle::CC_ScrollBar, &option, part, scroll)
                .center();
        };
        typeIntoFocus(QStringLiteral("5"));
        const QPoint up = centreOf(QStyle::SC_ScrollBarSubLine);
        const QPoint down = centreOf(QStyle::SC_ScrollBarAddLine);
        QVERIFY(up.y() < down.y());  // ▲ above ▼
        QTest::mouseClick(scroll, Qt::LeftButton, {}, up);
        QCOMPARE(scroll->value(), 2);
        QCOMPARE(text("Label3"), QStringLiteral(" 2"));
        QTest::mouseClick(scroll, Qt::LeftButton, {}, up);
        QCOMPARE(scroll->value(), 3);
        QTest::mouseClick(scroll, Qt::LeftButton, {}, down);
        QCOMPARE(scroll->value(), 2);
        // The slider stands lower the smaller the count.
        const QRect sliderAt2 = scroll->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                                QStyle::SC_ScrollBarSlider, scroll);
        option.sliderPosition = option.sliderValue = 40;
        const QRect sliderAt40 = scroll->style()->subControlRect(
            QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, scroll);
        QVERIFY(sliderAt40.top() < sliderAt2.top());
        // The wheel turned up (away from the operator) raises it.
        const QPointF middle = QRectF(scroll->rect()).center();
        QWheelEvent wheel(middle, scroll->mapToGlobal(middle), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(scroll, &wheel);
        QVERIFY2(scroll->value() > 2, qPrintable(QString::number(scroll->value())));
        const int chosen = scroll->value();
        typeIntoFocus(QStringLiteral("\r"));
        QCOMPARE(int(job().printCounts[5]), chosen);
    }

    // The rule under a row stays clear of the row's glyphs: the pixel row
    // above it holds nothing but the background and the guides, in the
    // history and in both correction pictures.
    void picture_glyphsClearAboveTheRule_data() { addFaceRows(); }
    void picture_glyphsClearAboveTheRule() {
        QFETCH(QString, family);
        const JobState job = makeJob();
        const QStringList lines = pictureLines();
        const QVector<RecordLayoutParams> layouts = {
            historyLayoutParams(), registeredRecordParams(Palette::cyan), correctedRecordParams()};
        for (const RecordLayoutParams& params : layouts) {
            PictureBox box;
            drawRecordLines(box, lines, job, params);
            auto view = pictureIn(family);
            const QImage image = paint(*view, box);
            const QRgb background = qRgb(kPic1Background.r, kPic1Background.g, kPic1Background.b);
            const QRgb guide =
                qRgb(params.guideColour.r, params.guideColour.g, params.guideColour.b);
            int rules = 0;
            for (const DrawOp& op : box.ops) {
                if (op.kind != DrawOp::Kind::Line || op.y != op.y2)
                    continue;
                // The rule's row of the image's own pixels, at its left end.
                const qreal scale = image.devicePixelRatio();
                const QRgb underline = qRgb(op.colour.r, op.colour.g, op.colour.b);
                int rule = -1;
                for (int y = int(((op.y + 7) / 15 - 2) * scale); y <= ((op.y + 7) / 15 + 2) * scale;
                     ++y)
                    if (rule < 0 && y >= 0 && y < image.height() && image.pixel(0, y) == underline)
                        rule = y;
                QVERIFY2(rule > 0, qPrintable(QString::number(op.y)));
                ++rules;
                int inked = 0;
                for (int y = rule - int(15 * scale); y < rule - 1; ++y)
                    for (int x = 0; x < image.width(); ++x)
                        inked += image.pixel(x, y) != background && image.pixel(x, y) != guide;
                QVERIFY2(inked > 20, "the row above the rule is drawn");
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb pixel = image.pixel(x, rule - 1);
                    QVERIFY2(
                        pixel == background || pixel == guide,
                        qPrintable(QStringLiteral("rule at %1 touched at x %2").arg(rule).arg(x)));
                }
            }
            QCOMPARE(rules, 5);
        }
    }

    // A pupil label of up to four digits ends before the first photo
    // number of its row begins.
    void picture_labelsClearOfTheFirstNumber_data() { addFaceRows(); }
    void picture_labelsClearOfTheFirstNumber() {
        QFETCH(QString, family);
        const JobState job = makeJob();
        PictureBox box;
        drawRecordLines(box, pictureLines(), job, correctedRecordParams());
        auto view = pictureIn(family);
        const QRgb background = qRgb(kPic1Background.r, kPic1Background.g, kPic1Background.b);
        int labels = 0;
        for (int i = 0; i < box.ops.size(); ++i) {
            const DrawOp& label = box.ops[i];
            if (label.kind != DrawOp::Kind::Text || !label.text.contains(u')'))
                continue;
            const DrawOp& number = box.ops[i + 2];  // after the number's point
            QCOMPARE(number.kind, DrawOp::Kind::Text);
            QCOMPARE(number.y, label.y);
            // Each drawn alone, in a picture laid out as the whole one.
            const auto only = [&](const DrawOp& shown) {
                PictureBox single = box;
                for (DrawOp& op : single.ops)
                    if (!(op == shown))
                        op.colour = kPic1Background;
                single.revision += 1 + int(&shown == &number);
                const QImage image = paint(*view, single);
                const int top = label.y / 15;
                return inkColumns(image, background, top, top + 16);
            };
            const auto [labelLeft, labelRight] = only(label);
            const auto [numberLeft, numberRight] = only(number);
            QVERIFY2(labelLeft <= labelRight && numberLeft <= numberRight, "both drawn");
            QVERIFY2(labelRight < numberLeft - 1,
                     qPrintable(QStringLiteral("%1 ends at %2, %3 starts at %4")
                                    .arg(label.text, QString::number(labelRight), number.text,
                                         QString::number(numberLeft))));
            ++labels;
        }
        QCOMPARE(labels, 5);
    }

    // The typed number is drawn at the label's right edge, growing leftwards.
    void typedNumber_drawnRightAligned() {
        auto* label = control<QLabel>(form, "Label1");
        const auto inkOf = [&] {
            const QImage image = label->grab().toImage();
            return inkColumns(image, image.pixel(0, 0), 0, image.height() - 1);
        };
        QVERIFY(inkOf().first > inkOf().second);  // empty: nothing drawn
        typeIntoFocus(QStringLiteral("7"));
        const auto [oneLeft, oneRight] = inkOf();
        QVERIFY(oneLeft <= oneRight);
        const int nearRight = label->grab().toImage().width() - 12 * label->devicePixelRatio();
        QVERIFY2(oneRight >= nearRight, qPrintable(QString::number(oneRight)));
        typeIntoFocus(QStringLiteral("77-"));
        const auto [threeLeft, threeRight] = inkOf();
        QVERIFY(threeLeft < oneLeft - 2 * (oneRight - oneLeft));
        QVERIFY(threeRight >= nearRight);
    }

    void keyMapping_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ascii");
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << "\r" << 13;
        QTest::newRow("keypad Enter, no text")
            << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "" << 13;
        QTest::newRow("keypad 7, no text")
            << int(Qt::Key_7) << int(Qt::KeypadModifier) << "" << int('7');
        QTest::newRow("keypad slash, no text")
            << int(Qt::Key_Slash) << int(Qt::KeypadModifier) << "" << int('/');
        QTest::newRow("Back Space") << int(Qt::Key_Backspace) << 0 << "\b" << 8;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << 0 << "" << 0;
        QTest::newRow("Up") << int(Qt::Key_Up) << 0 << "" << 0;
        QTest::newRow("letter") << int(Qt::Key_A) << 0 << "a" << int('a');
    }
    void keyMapping() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, ascii);
        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QCOMPARE(keyAsciiOf(event), ascii);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
