// SPDX-License-Identifier: MIT
#include "domain/entry/job_setup.h"
#include "domain/entry/range_overlap.h"
#include "domain/files/job_file_writer.h"
#include "gui/dialogs/frm_end.h"
#include "gui/setup/frm_film.h"
#include "gui/setup/setup_line_edit.h"
#include "support/program_fixture.h"
#include "support/run_gui.h"

#include <functional>
#include <map>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// The text as a Japanese input method in full-width mode gives it.
QString fullWidth(const QString& text) {
    QString wide;
    for (const QChar c : text)
        wide += c == u'.' ? QChar(u'．') : QChar(c.unicode() - u'0' + u'０');
    return wide;
}

}  // namespace

class TestFrmFilm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opens_focusInLargeStartAndFinishHidden();
    void controls_carryTheirNames();
    void controlArrays_keepSizeIndices();
    void startBox_notAboveZero_refused_data();
    void startBox_notAboveZero_refused();
    void endBox_refusals_data();
    void endBox_refusals();
    void endBox_9999_accepted();
    void range_oneToHundred_countShownWithBlank();
    void endTypedBeforeStart_thenEndBelowStart();
    void prices_29999Stored_30000Refused();
    void fullWidthNumbers_saveAsHalfWidthOnes();
    void typedNumbers_storedAsMeantOrRefused_data();
    void typedNumbers_storedAsMeantOrRefused();
    void overlap_sharedEndpoint_twoMessagesAllCleared();
    void overlap_smallInsideLarge_oneMessage();
    void overlap_storedSmallEndWithEmptyStart();
    void snapsOnly_switchesBothOffAndFinishes();
    void snapsOnly_withBothAlreadyOff();
    void filledJob_switchingSizesOff_keepsTheRest_data();
    void filledJob_switchingSizesOff_keepsTheRest();
    void disablingFocusedBox_doesNotLeaveIt();
    void enter_skipsSwitchedOffSizes();
    void enter_inEmptyBoxDoesNotMove();
    void optionButtons_focus();
    void switchOffAndOn_rowComesBackEmpty();
    void textFields_storedWhenLeft();
    void focusReasons_leavingOrNot_data();
    void focusReasons_leavingOrNot();
    void popupMenu_doesNotLeaveField();
    void mouseClick_leavesField();
    void messageBoxTakingFocus_handlerRunsOnce();
    void otherWindow_doesNotLeaveField_returningAppliesFocusRule();
    void returning_focusToFinishButton();
    void mnuEnd_opensExitConfirmation();
    void closeBox_endsProgramAtOnce();

private:
    QLineEdit* box(const char* name) const;
    template <class T = QWidget>
    T* child(const char* name) const;
    void typeHere(const QString& text);
    void commitHere(const QString& text);
    void key(Qt::Key key);
    void clickInto(const char* name);
    bool finishVisible() const;

    std::unique_ptr<ProgramFixture> fixture;
    FrmFilm* film = nullptr;
};

void TestFrmFilm::init() {
    fixture = std::make_unique<ProgramFixture>();
    QVERIFY(showActive(*fixture, film));
}

void TestFrmFilm::cleanup() {
    film = nullptr;
    fixture.reset();
}

QLineEdit* TestFrmFilm::box(const char* name) const {
    return child<QLineEdit>(name);
}

template <class T>
T* TestFrmFilm::child(const char* name) const {
    T* widget = film->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

// Types into the control that has the focus, as the keyboard does.
void TestFrmFilm::typeHere(const QString& text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Puts text into the control that has the focus, as an input method does.
void TestFrmFilm::commitHere(const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

void TestFrmFilm::key(Qt::Key k) {
    QTest::keyClick(QApplication::focusWidget(), k);
}

void TestFrmFilm::clickInto(const char* name) {
    QTest::mouseClick(child(name), Qt::LeftButton);
}

bool TestFrmFilm::finishVisible() const {
    return child("Command2")->isVisible();
}

void TestFrmFilm::opens_focusInLargeStartAndFinishHidden() {
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    QVERIFY(!finishVisible());
    QVERIFY(film->windowTitle().startsWith(QStringLiteral("写真データの設定")));
    QVERIFY(film->windowTitle().endsWith(QStringLiteral("学校写真番号集計ソフト ピクトル")));
    QVERIFY(child<QRadioButton>("Option5")->isChecked());
    QVERIFY(child<QRadioButton>("Option1")->isChecked());
    QVERIFY(box("tbDaiMai")->isReadOnly());
    QCOMPARE(box("tbDaiMai")->focusPolicy(), Qt::NoFocus);
    QVERIFY(fixture->platform.messages.isEmpty());
}

void TestFrmFilm::controls_carryTheirNames() {
    const char* names[] = {
        "Label8",      "tbDaiStart",  "tbDaiEnd", "tbDaiMai",    "Label10",    "tbDaiTanka",
        "Label24",     "Frame2",      "Label21",  "Option5",     "Option2",    "Label20",
        "tbChuStart",  "tbChuEnd",    "tbChuMai", "Label19",     "tbChuTanka", "Label25",
        "Frame1",      "Label23",     "Option1",  "Option3",     "Label9",     "tbShouStart",
        "tbShouEnd",   "tbShouMai",   "Label11",  "tbShouTanka", "Label26",    "Label12",
        "Label13",     "Label14",     "Label6",   "Label1",      "Label7",     "Label2",
        "tbTokuisaki", "Label3",      "tbGyouji", "Label4",      "tbSatueibi", "Label18",
        "Label17",     "tbSatueisha", "Command3", "Command2",    "Command1",   "Label5"};
    for (const char* name : names)
        QVERIFY2(film->findChild<QWidget*>(QLatin1String(name)), name);
    QCOMPARE(child<QPushButton>("Command2")->text(), QStringLiteral("設定終了    （次画面へ）"));
    QCOMPARE(child<QPushButton>("Command3")->text(), QStringLiteral("スナップのみ設定"));
    QCOMPARE(child<QGroupBox>("Frame2")->title(), QStringLiteral("大　 設定"));
    QCOMPARE(child<QLabel>("Label16_0")->text(), QStringLiteral("（　　 　  　　）"));
    for (const char* button : {"Command1", "Command2", "Command3"})
        QVERIFY(child<QPushButton>(button)->autoDefault());

    auto* menu = child<QMenu>("mnuFile1");
    QCOMPARE(menu->title(), QStringLiteral("ファイル(&F)"));
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->objectName(), QStringLiteral("sen2"));
    QVERIFY(actions[0]->isSeparator());
    QCOMPARE(actions[1]->objectName(), QStringLiteral("mnuEnd"));
    QCOMPARE(actions[1]->text(), QStringLiteral("終了"));
}

void TestFrmFilm::controlArrays_keepSizeIndices() {
    // Index 0 belongs to the large row, 2 to the medium row, 1 to the small.
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    for (const char* name : {"Label22_0", "Label15_0", "Label16_0"})
        QVERIFY2(child(name)->isHidden(), name);
    for (const char* name :
         {"Label22_1", "Label15_1", "Label16_1", "Label22_2", "Label15_2", "Label16_2"})
        QVERIFY2(!child(name)->isHidden(), name);
    QTest::mouseClick(child("Option3"), Qt::LeftButton);
    for (const char* name : {"Label22_2", "Label15_2", "Label16_2"})
        QVERIFY2(child(name)->isHidden(), name);
    for (const char* name : {"Label22_1", "Label15_1", "Label16_1"})
        QVERIFY2(!child(name)->isHidden(), name);
}

void TestFrmFilm::startBox_notAboveZero_refused_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << "0";
    QTest::newRow("-5") << "-5";
}

void TestFrmFilm::startBox_notAboveZero_refused() {
    QFETCH(QString, text);
    typeHere(QStringLiteral("7"));
    key(Qt::Key_Tab);
    QCOMPARE(fixture->job.largeStart.value(), 7);
    QCOMPARE(focusName(), QStringLiteral("tbDaiEnd"));

    key(Qt::Key_Backtab);
    box("tbDaiStart")->clear();
    typeHere(text);
    key(Qt::Key_Tab);

    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kStartNotPositiveMessage});
    QCOMPARE(box("tbDaiStart")->text(), QString());
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    QCOMPARE(fixture->job.largeStart.value(), 0);
}

void TestFrmFilm::endBox_refusals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("0") << "0" << JobSetup::kEndNotPositiveMessage;
    QTest::newRow("-5") << "-5" << JobSetup::kEndNotPositiveMessage;
    QTest::newRow("10000") << "10000" << JobSetup::kEndTooHighMessage;
}

void TestFrmFilm::endBox_refusals() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    clickInto("tbShouEnd");
    QCOMPARE(focusName(), QStringLiteral("tbShouEnd"));
    typeHere(QStringLiteral("500"));
    key(Qt::Key_Return);
    QCOMPARE(fixture->job.smallEnd, 500);
    QCOMPARE(focusName(), QStringLiteral("tbDaiTanka"));

    clickInto("tbShouEnd");
    box("tbShouEnd")->clear();
    typeHere(text);
    key(Qt::Key_Tab);

    QCOMPARE(fixture->platform.messages, QStringList{message});
    QCOMPARE(box("tbShouEnd")->text(), QString());
    QCOMPARE(focusName(), QStringLiteral("tbShouEnd"));
    QCOMPARE(fixture->job.smallEnd, 500);
}

void TestFrmFilm::endBox_9999_accepted() {
    clickInto("tbChuStart");
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("9999"));
    key(Qt::Key_Return);
    QVERIFY(fixture->platform.messages.isEmpty());
    QCOMPARE(fixture->job.mediumEnd.value(), 9999);
    QCOMPARE(box("tbChuMai")->text(), QStringLiteral(" 9999"));
    QCOMPARE(focusName(), QStringLiteral("tbShouStart"));
}

void TestFrmFilm::range_oneToHundred_countShownWithBlank() {
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tbDaiEnd"));
    typeHere(QStringLiteral("100"));
    key(Qt::Key_Return);
    QCOMPARE(box("tbDaiMai")->text(), QStringLiteral(" 100"));
    QCOMPARE(fixture->job.largeCount, 100);
    QCOMPARE(fixture->job.largeStart.value(), 1);
    QCOMPARE(fixture->job.largeEnd.value(), 100);
    QCOMPARE(focusName(), QStringLiteral("tbChuStart"));
}

void TestFrmFilm::endTypedBeforeStart_thenEndBelowStart() {
    clickInto("tbDaiEnd");
    typeHere(QStringLiteral("20"));
    clickInto("tbDaiStart");
    typeHere(QStringLiteral("50"));
    key(Qt::Key_Tab);
    QVERIFY(fixture->platform.messages.isEmpty());
    QCOMPARE(box("tbDaiMai")->text(), QStringLiteral("-29"));

    // Now the end is typed after the start.
    box("tbDaiEnd")->clear();
    typeHere(QStringLiteral("20"));
    key(Qt::Key_Tab);
    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kLargeEndBeforeStartMessage});
    QCOMPARE(box("tbDaiStart")->text(), QString());
    QCOMPARE(box("tbDaiEnd")->text(), QString());
    QCOMPARE(box("tbDaiMai")->text(), QString());
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    QCOMPARE(fixture->job.largeStart.value(), 50);
    QCOMPARE(fixture->job.largeEnd.value(), 20);
    QCOMPARE(fixture->job.largeCount, 0);
}

void TestFrmFilm::prices_29999Stored_30000Refused() {
    clickInto("tbDaiTanka");
    typeHere(QStringLiteral("29999"));
    key(Qt::Key_Tab);
    QCOMPARE(fixture->job.largeUnitPrice.value(), 29999);
    QVERIFY(fixture->platform.messages.isEmpty());

    clickInto("tbShouTanka");
    typeHere(QStringLiteral("30000"));
    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(box("tbShouTanka")->text(), QString());
    QCOMPARE(fixture->job.smallUnitPrice, 0);
    key(Qt::Key_Tab);
    QCOMPARE(fixture->platform.messages.size(), 1);
    QCOMPARE(fixture->job.smallUnitPrice, 0);
    QCOMPARE(fixture->job.largeUnitPrice.value(), 29999);
}

void TestFrmFilm::fullWidthNumbers_saveAsHalfWidthOnes() {
    // Ranges and prices of all three sizes, box after box with Enter.
    const QStringList numbers = {"1", "100", "101", "300", "301", "999", "1200", "250", "100"};
    const auto keyJob = [&](bool wide) {
        for (const QString& number : numbers) {
            if (wide)
                commitHere(fullWidth(number));
            else
                typeHere(number);
            key(Qt::Key_Return);
        }
        QCOMPARE(focusName(), QStringLiteral("tbTokuisaki"));
        QVERIFY(finishVisible());
        QVERIFY(fixture->platform.messages.isEmpty());
    };
    keyJob(false);
    if (QTest::currentTestFailed())
        return;
    const QByteArray halfWidthFile = jobFileContents(fixture->job).bytes;
    cleanup();
    init();
    keyJob(true);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(jobFileContents(fixture->job).bytes, halfWidthFile);
    // The boxes show what was counted.
    QCOMPARE(box("tbDaiTanka")->text(), QStringLiteral("1200"));
    QCOMPARE(box("tbChuTanka")->text(), QStringLiteral("250"));
    QCOMPARE(box("tbShouEnd")->text(), QStringLiteral("999"));
}

void TestFrmFilm::typedNumbers_storedAsMeantOrRefused_data() {
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("text");  // as an input method commits it
    QTest::addColumn<Number>("stored");
    QTest::addColumn<QString>("shown");  // empty: refused
    QTest::newRow("grouped price") << "tbDaiTanka"
                                   << "1,200" << 1200.0 << "1200";
    QTest::newRow("full-width grouped price") << "tbDaiTanka"
                                              << "１，２００" << 1200.0 << "1200";
    QTest::newRow("yen sign") << "tbChuTanka"
                              << "￥300" << 300.0 << "300";
    QTest::newRow("yen suffix") << "tbShouTanka"
                                << "800円" << 800.0 << "800";
    QTest::newRow("grouped start") << "tbDaiStart"
                                   << "1,000" << 1000.0 << "1000";
    QTest::newRow("point in a price") << "tbDaiTanka"
                                      << "1.200" << 0.0 << "";
    QTest::newRow("text after a medium price") << "tbChuTanka"
                                               << "12abc" << 0.0 << "";
    QTest::newRow("yen sign alone") << "tbShouTanka"
                                    << "¥" << 0.0 << "";
    QTest::newRow("fraction in an end") << "tbShouEnd"
                                        << "12.5" << 0.0 << "";
    QTest::newRow("letter in a start") << "tbChuStart"
                                       << "5a" << 0.0 << "";
}

void TestFrmFilm::typedNumbers_storedAsMeantOrRefused() {
    QFETCH(QString, boxName);
    QFETCH(QString, text);
    QFETCH(Number, stored);
    QFETCH(QString, shown);
    const JobState& job = fixture->job;
    const std::map<QString, std::function<Number()>> field = {
        {"tbDaiTanka", [&] { return job.largeUnitPrice.value(); }},
        {"tbChuTanka", [&] { return job.mediumUnitPrice.value(); }},
        {"tbShouTanka", [&] { return Number(job.smallUnitPrice); }},
        {"tbDaiStart", [&] { return job.largeStart.value(); }},
        {"tbChuStart", [&] { return job.mediumStart.value(); }},
        {"tbShouEnd", [&] { return Number(job.smallEnd); }},
    };
    const QByteArray name = boxName.toLatin1();
    clickInto(name.constData());
    commitHere(text);
    key(Qt::Key_Tab);
    QCOMPARE(field.at(boxName)(), stored);
    QCOMPARE(box(name.constData())->text(), shown);
    if (shown.isEmpty()) {
        // Refused: the box and what it read are named, the focus stays.
        QCOMPARE(fixture->platform.messages.size(), 1);
        QVERIFY(fixture->platform.messages[0].contains(QStringLiteral("「%1」").arg(text)));
        QCOMPARE(focusName(), boxName);
        QVERIFY(!finishVisible());
    } else {
        QCOMPARE(fixture->platform.messages, QStringList());
    }
}

void TestFrmFilm::overlap_sharedEndpoint_twoMessagesAllCleared() {
    for (const char* text : {"1", "100", "100"}) {
        typeHere(QLatin1String(text));
        key(Qt::Key_Return);
    }
    QCOMPARE(focusName(), QStringLiteral("tbChuEnd"));
    typeHere(QStringLiteral("200"));
    key(Qt::Key_Return);

    QCOMPARE(fixture->platform.messages, QStringList(2, kRangeOverlapMessage));
    for (const char* name : {"tbDaiStart", "tbDaiEnd", "tbDaiMai", "tbChuStart", "tbChuEnd",
                             "tbChuMai", "tbShouStart", "tbShouEnd", "tbShouMai"})
        QVERIFY2(box(name)->text().isEmpty(), name);
    QCOMPARE(fixture->job.largeEnd.value(), 0);
    QCOMPARE(fixture->job.mediumStart.value(), 0);
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    QVERIFY(!finishVisible());
}

void TestFrmFilm::overlap_smallInsideLarge_oneMessage() {
    clickInto("tbShouStart");
    typeHere(QStringLiteral("20"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("30"));
    key(Qt::Key_Return);
    clickInto("tbDaiStart");
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("100"));
    key(Qt::Key_Return);
    QCOMPARE(fixture->platform.messages, QStringList{kRangeOverlapMessage});
    QCOMPARE(fixture->job.smallStart.value(), 0);
    QCOMPARE(box("tbShouStart")->text(), QString());
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
}

void TestFrmFilm::overlap_storedSmallEndWithEmptyStart() {
    clickInto("tbShouEnd");
    typeHere(QStringLiteral("300"));
    clickInto("tbDaiStart");
    QCOMPARE(fixture->job.smallEnd, 300);
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("100"));
    key(Qt::Key_Return);
    QCOMPARE(fixture->platform.messages, QStringList{kRangeOverlapMessage});
    QCOMPARE(fixture->job.smallEnd, 0);
    QCOMPARE(box("tbShouEnd")->text(), QString());
}

void TestFrmFilm::snapsOnly_switchesBothOffAndFinishes() {
    QTest::mouseClick(child("Command3"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>("Option2")->isChecked());
    QVERIFY(child<QRadioButton>("Option3")->isChecked());
    QVERIFY(!child<QRadioButton>("Option5")->isChecked());
    QVERIFY(!child<QRadioButton>("Option1")->isChecked());
    QCOMPARE(fixture->job.largeMode.value(), 1);
    QCOMPARE(fixture->job.mediumMode, 1);
    for (const char* name : {"Label8", "tbDaiStart", "tbDaiEnd", "tbDaiMai", "Label10",
                             "tbDaiTanka", "Label24", "Label20", "tbChuTanka", "Label25"})
        QVERIFY2(child(name)->isHidden(), name);
    QCOMPARE(focusName(), QStringLiteral("tbShouStart"));

    for (const char* text : {"1", "50", "120"}) {
        typeHere(QLatin1String(text));
        key(Qt::Key_Return);
    }
    QCOMPARE(focusName(), QStringLiteral("tbTokuisaki"));
    QVERIFY(finishVisible());
    QCOMPARE(fixture->job.smallCount, 50);
    QCOMPARE(fixture->job.smallUnitPrice, 120);
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("Command2"));

    key(Qt::Key_Return);  // presses the finish button
    QVERIFY(!film->isVisible());
    QVERIFY(fixture->windows.find<FrmFilm>());  // hidden, not unloaded
    QVERIFY(fixture->platform.messages.isEmpty());
}

void TestFrmFilm::snapsOnly_withBothAlreadyOff() {
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    QTest::mouseClick(child("Option3"), Qt::LeftButton);
    clickInto("tbShouEnd");
    QTest::mouseClick(child("Command3"), Qt::LeftButton);
    QCOMPARE(fixture->job.largeMode.value(), 1);
    QCOMPARE(fixture->job.mediumMode, 1);
    QVERIFY(child<QRadioButton>("Option2")->isChecked());
    QVERIFY(child<QRadioButton>("Option3")->isChecked());
    QCOMPARE(focusName(), QStringLiteral("tbShouStart"));
}

// Switching sizes off on a job typed in full: the sizes switched off are
// cleared, the others stay as typed, no message, and the finish button stays.
// The focus may be in a box of a row being hidden, where the program put it
// (the large row's switch-off) or where a program selection finds it.
void TestFrmFilm::filledJob_switchingSizesOff_keepsTheRest_data() {
    QTest::addColumn<QString>("focusIn");     // where the focus is before the switch
    QTest::addColumn<QStringList>("select");  // option buttons selected, or Command3
    QTest::addColumn<bool>("largeKept");
    QTest::addColumn<bool>("mediumKept");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("snaps only") << "" << QStringList{"Command3"} << false << false << "tbShouStart";
    QTest::newRow("snaps only from medium start")
        << "tbChuStart" << QStringList{"Command3"} << false << false << "tbShouStart";
    QTest::newRow("large off") << "" << QStringList{"Option2"} << false << true << "tbChuStart";
    QTest::newRow("medium off") << "" << QStringList{"Option3"} << true << false << "tbDaiStart";
    QTest::newRow("large then medium off")
        << "" << QStringList{"Option2", "Option3"} << false << false << "tbShouStart";
    QTest::newRow("medium off by the program, focus in its end")
        << "tbChuEnd" << QStringList{"Option3"} << true << false << "tbDaiStart";
    QTest::newRow("large off by the program, focus in its price")
        << "tbDaiTanka" << QStringList{"Option2"} << false << true << "tbChuStart";
}

void TestFrmFilm::filledJob_switchingSizesOff_keepsTheRest() {
    QFETCH(QString, focusIn);
    QFETCH(QStringList, select);
    QFETCH(bool, largeKept);
    QFETCH(bool, mediumKept);
    QFETCH(QString, focusAfter);

    for (const char* text : {"301", "400", "101", "200", "1", "50", "1200", "800", "300"}) {
        typeHere(QLatin1String(text));
        key(Qt::Key_Return);
    }
    QCOMPARE(focusName(), QStringLiteral("tbTokuisaki"));
    QVERIFY(finishVisible());
    QVERIFY(fixture->platform.messages.isEmpty());

    if (!focusIn.isEmpty()) {
        child(qPrintable(focusIn))->setFocus(Qt::OtherFocusReason);
        QCOMPARE(focusName(), focusIn);
    }
    for (const QString& name : select) {
        if (name == QLatin1String("Command3"))
            QTest::mouseClick(child("Command3"), Qt::LeftButton);
        else if (focusIn.isEmpty())
            QTest::mouseClick(child(qPrintable(name)), Qt::LeftButton);
        else
            child<QRadioButton>(qPrintable(name))->setChecked(true);  // as a load selects it
    }

    QCOMPARE(fixture->platform.messages, QStringList());
    const JobState& job = fixture->job;
    QCOMPARE(job.smallStart.value(), 1);
    QCOMPARE(job.smallEnd, 50);
    QCOMPARE(job.smallCount, 50);
    QCOMPARE(job.smallUnitPrice, 300);
    QCOMPARE(box("tbShouStart")->text(), QStringLiteral("1"));
    QCOMPARE(box("tbShouEnd")->text(), QStringLiteral("50"));
    QCOMPARE(box("tbShouMai")->text(), QStringLiteral(" 50"));
    QCOMPARE(job.largeMode.value(), largeKept ? 0 : 1);
    QCOMPARE(job.largeStart.value(), largeKept ? 301 : 0);
    QCOMPARE(job.largeEnd.value(), largeKept ? 400 : 0);
    QCOMPARE(box("tbDaiStart")->text(), largeKept ? QStringLiteral("301") : QString());
    QCOMPARE(job.mediumMode, mediumKept ? 0 : 1);
    QCOMPARE(job.mediumStart.value(), mediumKept ? 101 : 0);
    QCOMPARE(job.mediumEnd.value(), mediumKept ? 200 : 0);
    QCOMPARE(box("tbChuEnd")->text(), mediumKept ? QStringLiteral("200") : QString());
    QVERIFY(finishVisible());
    QCOMPARE(focusName(), focusAfter);
}

// Disabling the box that has the focus passes the focus on without running
// the box's leaving handling.
void TestFrmFilm::disablingFocusedBox_doesNotLeaveIt() {
    typeHere(QStringLiteral("0"));  // would be refused when left
    box("tbDaiStart")->setEnabled(false);
    QVERIFY(focusName() != QStringLiteral("tbDaiStart"));
    QCOMPARE(fixture->platform.messages, QStringList());
    QCOMPARE(box("tbDaiStart")->text(), QStringLiteral("0"));
}

void TestFrmFilm::enter_skipsSwitchedOffSizes() {
    QTest::mouseClick(child("Option3"), Qt::LeftButton);  // medium off
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    const struct {
        const char* text;
        const char* next;
    } steps[] = {{"1", "tbDaiEnd"},     {"100", "tbShouStart"}, {"101", "tbShouEnd"},
                 {"200", "tbDaiTanka"}, {"800", "tbShouTanka"}, {"100", "tbTokuisaki"}};
    for (const auto& step : steps) {
        typeHere(QLatin1String(step.text));
        key(Qt::Key_Return);
        QCOMPARE(focusName(), QLatin1String(step.next));
    }
    QVERIFY(finishVisible());
    QVERIFY(fixture->platform.messages.isEmpty());

    // Large off, medium on: from the small end to the medium price.
    QTest::mouseClick(child("Option1"), Qt::LeftButton);
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("tbChuStart"));
    clickInto("tbShouEnd");
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tbChuTanka"));
}

void TestFrmFilm::enter_inEmptyBoxDoesNotMove() {
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    clickInto("tbShouTanka");
    typeHere(QStringLiteral("0"));
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tbShouTanka"));
    clickInto("tbTokuisaki");
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tbGyouji"));
    clickInto("tbSatueisha");
    key(Qt::Key_Return);
    QCOMPARE(focusName(), QStringLiteral("tbSatueisha"));  // finish button hidden
}

void TestFrmFilm::optionButtons_focus() {
    QTest::mouseClick(child("Option3"), Qt::LeftButton);
    QTest::mouseClick(child("Option1"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("Option1"));
    QCOMPARE(fixture->job.mediumMode, 0);
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("tbChuStart"));
    QTest::mouseClick(child("Option5"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
    QCOMPARE(fixture->job.largeMode.value(), 0);

    // Large off while medium is off: to the small start; and the other way.
    QTest::mouseClick(child("Option3"), Qt::LeftButton);
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("tbShouStart"));
    QTest::mouseClick(child("Option5"), Qt::LeftButton);
    QTest::mouseClick(child("Option1"), Qt::LeftButton);
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    QTest::mouseClick(child("Option3"), Qt::LeftButton);
    QCOMPARE(focusName(), QStringLiteral("tbShouStart"));
}

void TestFrmFilm::switchOffAndOn_rowComesBackEmpty() {
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("100"));
    key(Qt::Key_Return);
    clickInto("tbDaiTanka");
    typeHere(QStringLiteral("800"));
    QTest::mouseClick(child("Option2"), Qt::LeftButton);
    QCOMPARE(fixture->job.largeStart.value(), 0);
    QCOMPARE(fixture->job.largeUnitPrice.value(), 0);
    QVERIFY(child("tbDaiStart")->isHidden());

    QTest::mouseClick(child("Option5"), Qt::LeftButton);
    for (const char* name : {"tbDaiStart", "tbDaiEnd", "tbDaiMai", "tbDaiTanka"}) {
        QVERIFY2(!child(name)->isHidden(), name);
        QVERIFY2(box(name)->text().isEmpty(), name);
    }
    QCOMPARE(focusName(), QStringLiteral("tbDaiStart"));
}

void TestFrmFilm::textFields_storedWhenLeft() {
    clickInto("tbTokuisaki");
    box("tbTokuisaki")->setText(QStringLiteral("さくら小学校"));  // typed through the IME
    QCOMPARE(fixture->job.customerName.toText(), QString());      // not stored before it is left
    key(Qt::Key_Tab);
    QCOMPARE(fixture->job.customerName.toText(), QStringLiteral("さくら小学校"));
    typeHere(QStringLiteral("Sports day"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("2012-4-25"));
    key(Qt::Key_Return);
    box("tbSatueisha")->setText(QStringLiteral("山田"));
    clickInto("tbDaiStart");
    QCOMPARE(fixture->job.eventName.toText(), QStringLiteral("Sports day"));
    QCOMPARE(fixture->job.shootingDate, QStringLiteral("2012-4-25"));
    QCOMPARE(fixture->job.photographerName.toText(), QStringLiteral("山田"));
}

void TestFrmFilm::focusReasons_leavingOrNot_data() {
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("leaving");
    QTest::newRow("mouse") << Qt::MouseFocusReason << true;
    QTest::newRow("tab") << Qt::TabFocusReason << true;
    QTest::newRow("backtab") << Qt::BacktabFocusReason << true;
    QTest::newRow("shortcut") << Qt::ShortcutFocusReason << true;
    QTest::newRow("program") << Qt::OtherFocusReason << true;
    QTest::newRow("other window") << Qt::ActiveWindowFocusReason << false;
    QTest::newRow("popup") << Qt::PopupFocusReason << false;
    QTest::newRow("menu bar") << Qt::MenuBarFocusReason << false;
}

void TestFrmFilm::focusReasons_leavingOrNot() {
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, leaving);
    QCOMPARE(isLeavingFocusReason(reason), leaving);
}

void TestFrmFilm::popupMenu_doesNotLeaveField() {
    typeHere(QStringLiteral("0"));
    auto* menu = child<QMenu>("mnuFile1");
    menu->popup(film->mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QTRY_COMPARE(focusName(), QStringLiteral("tbDaiStart"));
    QVERIFY(fixture->platform.messages.isEmpty());
    QCOMPARE(box("tbDaiStart")->text(), QStringLiteral("0"));

    key(Qt::Key_Tab);
    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kStartNotPositiveMessage});
}

void TestFrmFilm::mouseClick_leavesField() {
    clickInto("tbChuEnd");
    typeHere(QStringLiteral("-1"));
    clickInto("tbChuTanka");
    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kEndNotPositiveMessage});
    QCOMPARE(focusName(), QStringLiteral("tbChuEnd"));
}

void TestFrmFilm::messageBoxTakingFocus_handlerRunsOnce() {
    fixture->platform.takeFocus = true;
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("0"));
    key(Qt::Key_Tab);  // to tbChuStart; the message box takes the focus meanwhile

    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kEndNotPositiveMessage});
    QCOMPARE(fixture->platform.boxesActivated, 1);
    QVERIFY(film->isActiveWindow());
    // The refused box has the focus back: the window coming back from the
    // message box did not move it to the first field.
    QCOMPARE(focusName(), QStringLiteral("tbDaiEnd"));
    QCOMPARE(box("tbDaiEnd")->text(), QString());
    QCOMPARE(fixture->job.largeStart.value(), 1);

    // A refused price leaves the focus where it is; the window coming back
    // from the message box must not apply its activation rule.
    fixture->platform.clear();
    clickInto("tbShouTanka");
    typeHere(QStringLiteral("30000"));
    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(fixture->platform.boxesActivated, 2);
    QCOMPARE(fixture->platform.ownersReactivated, 2);
    QCOMPARE(focusName(), QStringLiteral("tbShouTanka"));
    typeHere(QStringLiteral("120"));
    QCOMPARE(fixture->job.smallUnitPrice, 120);
}

void TestFrmFilm::otherWindow_doesNotLeaveField_returningAppliesFocusRule() {
    typeHere(QStringLiteral("1"));
    key(Qt::Key_Return);
    typeHere(QStringLiteral("0"));
    QCOMPARE(focusName(), QStringLiteral("tbDaiEnd"));

    child<QAction>("mnuEnd")->trigger();
    auto* confirmation = fixture->windows.find<FrmEnd>();
    QVERIFY(confirmation);
    QVERIFY(QTest::qWaitForWindowActive(confirmation));
    QVERIFY(fixture->platform.messages.isEmpty());  // going to another window is not leaving
    QCOMPARE(box("tbDaiEnd")->text(), QStringLiteral("0"));

    QTest::mouseClick(confirmation->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    QVERIFY(!confirmation->isVisible());
    film->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(film));

    // Coming back moves the focus by the activation rule, which leaves the
    // field that had it: the bad end is refused there and then.
    QCOMPARE(fixture->platform.messages, QStringList{JobSetup::kEndNotPositiveMessage});
    QCOMPARE(box("tbDaiEnd")->text(), QString());
}

void TestFrmFilm::returning_focusToFinishButton() {
    QTest::mouseClick(child("Command3"), Qt::LeftButton);
    for (const char* text : {"1", "50", "120"}) {
        typeHere(QLatin1String(text));
        key(Qt::Key_Return);
    }
    QVERIFY(finishVisible());
    QCOMPARE(focusName(), QStringLiteral("tbTokuisaki"));

    child<QAction>("mnuEnd")->trigger();
    auto* confirmation = fixture->windows.find<FrmEnd>();
    QVERIFY(QTest::qWaitForWindowActive(confirmation));
    confirmation->hide();
    film->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(film));
    QCOMPARE(focusName(), QStringLiteral("Command2"));
}

void TestFrmFilm::mnuEnd_opensExitConfirmation() {
    QVERIFY(!fixture->windows.find<FrmEnd>());
    child<QAction>("mnuEnd")->trigger();
    auto* confirmation = fixture->windows.find<FrmEnd>();
    QVERIFY(confirmation);
    QVERIFY(confirmation->isVisible());
    QVERIFY(film->isVisible());
    QVERIFY(film->isEnabled());
}

void TestFrmFilm::closeBox_endsProgramAtOnce() {
    CloseProbe other;
    other.show();
    QCOMPARE(runUntilProgramEnds(film, [this] { film->close(); }), 0);
    QCOMPARE(other.closes, 0);  // no other window's close handling ran
}

QTEST_MAIN(TestFrmFilm)
#include "tst_frm_film.moc"
