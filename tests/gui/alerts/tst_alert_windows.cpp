// SPDX-License-Identifier: MIT
#include "domain/job/job_state.h"
#include "gui/alerts/frm_alert.h"
#include "gui/alerts/frm_stop.h"
#include "gui/alerts/frm_t_alert.h"
#include "gui/window_registry.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <memory>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// Counts the key presses that reach a widget or any of its children.
class KeyCounter : public QObject {
public:
    int presses = 0;

    void watch(QWidget* widget) {
        widget->installEventFilter(this);
        for (QWidget* child : widget->findChildren<QWidget*>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return QObject::eventFilter(watched, event);
    }
};

const QString kDefaultRanges = QStringLiteral("大（1 ~ 100） と中（101 ~ 300） と 小（301 ~ 999）");

}  // namespace

class TestAlertWindows : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void open_disablesOwnerAndShowsTopLevelAlert_data();
    void open_disablesOwnerAndShowsTopLevelAlert();
    void close_enablesAndActivatesOwnerAndUnloads_data();
    void close_enablesAndActivatesOwnerAndUnloads();
    void otherKeys_leaveAlertOpen_data();
    void otherKeys_leaveAlertOpen();
    void windowTexts_asTheProgramDefinesThem_data();
    void windowTexts_asTheProgramDefinesThem();
    void rangeAlerts_listRangesOfTheMomentTheyOpen_data();
    void rangeAlerts_listRangesOfTheMomentTheyOpen();
    void tAlertClosed_focusBackInNumberBox();
    void slashClosingAlert_neverReachesOwner_data();
    void slashClosingAlert_neverReachesOwner();
    void openedOverAnotherOwner_firstOwnerEnabledAgain();
    void destroyedWhileOpen_ownerEnabled();

private:
    AlertWindowBase* openAlert(const QString& name);
    AlertWindowBase* loadedAlert(const QString& name) const;
    void showOwner();

    struct Run {
        JobState job = makeJob();
        FakePlatform platform;
        RunContext context{job, platform, windows, {}};
        WindowRegistry windows{context};
    };
    std::unique_ptr<Run> run_;
    QPointer<QWidget> owner_;
    QLineEdit* firstBox_ = nullptr;
    QLineEdit* numberBox_ = nullptr;
};

void TestAlertWindows::init() {
    run_ = std::make_unique<Run>();
    owner_ = new QWidget;
    owner_->setWindowTitle(QStringLiteral("owner"));
    auto* layout = new QVBoxLayout(owner_);
    firstBox_ = new QLineEdit(owner_);
    numberBox_ = new QLineEdit(owner_);
    layout->addWidget(firstBox_);
    layout->addWidget(numberBox_);
    showOwner();
}

void TestAlertWindows::cleanup() {
    run_->windows.closeAll();
    delete owner_;
    run_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestAlertWindows::showOwner() {
    owner_->show();
    owner_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(owner_));
    firstBox_->setFocus();
}

AlertWindowBase* TestAlertWindows::openAlert(const QString& name) {
    if (name == u"frmAlert") {
        auto& window = run_->windows.get<frmAlert>();
        window.open(owner_);
        return &window;
    }
    if (name == u"frmTAlert") {
        auto& window = run_->windows.get<frmTAlert>();
        window.open(owner_, numberBox_);
        return &window;
    }
    auto& window = run_->windows.get<frmStop>();
    window.open(owner_);
    return &window;
}

AlertWindowBase* TestAlertWindows::loadedAlert(const QString& name) const {
    if (name == u"frmAlert")
        return run_->windows.find<frmAlert>();
    if (name == u"frmTAlert")
        return run_->windows.find<frmTAlert>();
    return run_->windows.find<frmStop>();
}

static void addWindowRows() {
    QTest::addColumn<QString>("window");
    for (const char* name : {"frmAlert", "frmTAlert", "frmStop"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestAlertWindows::open_disablesOwnerAndShowsTopLevelAlert_data() {
    addWindowRows();
}

void TestAlertWindows::open_disablesOwnerAndShowsTopLevelAlert() {
    QFETCH(QString, window);
    AlertWindowBase* alert = openAlert(window);

    QVERIFY(!owner_->isEnabled());
    QVERIFY(alert->isVisible());
    QVERIFY(alert->isEnabled());  // disabling the owner must not reach the alert
    QVERIFY(alert->isWindow());
    QCOMPARE(alert->parentWidget(), nullptr);
    QVERIFY(!owner_->isAncestorOf(alert));
    QCOMPARE(alert->objectName(), window);
    QVERIFY(alert->windowHandle());
    QCOMPARE(alert->windowHandle()->transientParent(), owner_->windowHandle());
    QVERIFY(QTest::qWaitForWindowActive(alert));
    QVERIFY(alert->isOpen());
}

void TestAlertWindows::close_enablesAndActivatesOwnerAndUnloads_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("how");
    for (const char* name : {"frmAlert", "frmTAlert", "frmStop"}) {
        for (const char* how : {"Esc", "slash", "keypad slash", "close button"})
            QTest::addRow("%s %s", name, how)
                << QString::fromLatin1(name) << QString::fromLatin1(how);
    }
}

void TestAlertWindows::close_enablesAndActivatesOwnerAndUnloads() {
    QFETCH(QString, window);
    QFETCH(QString, how);
    AlertWindowBase* alert = openAlert(window);
    QVERIFY(QTest::qWaitForWindowActive(alert));
    QSignalSpy closed(alert, &AlertWindowBase::closed);
    QPointer<AlertWindowBase> guard(alert);

    if (how == u"Esc")
        QTest::keyClick(alert->windowHandle(), Qt::Key_Escape);
    else if (how == u"slash")
        QTest::keyClick(alert->windowHandle(), '/');
    else if (how == u"keypad slash")
        QTest::keyClick(alert->windowHandle(), '/', Qt::KeypadModifier);
    else
        QVERIFY(alert->close());

    QCOMPARE(closed.count(), 1);
    QVERIFY(owner_->isEnabled());
    QVERIFY(guard.isNull() || !guard->isVisible());
    QCOMPARE(loadedAlert(window), nullptr);  // unloaded: the next showing starts afresh
    QVERIFY(QTest::qWaitForWindowActive(owner_));
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(closed.count(), 1);
}

void TestAlertWindows::otherKeys_leaveAlertOpen_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    for (const char* name : {"frmAlert", "frmTAlert", "frmStop"}) {
        const QString w = QString::fromLatin1(name);
        QTest::addRow("%s digit", name) << w << int(Qt::Key_5) << int(Qt::NoModifier);
        QTest::addRow("%s Enter", name) << w << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::addRow("%s keypad Enter", name)
            << w << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::addRow("%s star", name) << w << int(Qt::Key_Asterisk) << int(Qt::NoModifier);
        QTest::addRow("%s equals", name) << w << int(Qt::Key_Equal) << int(Qt::NoModifier);
        QTest::addRow("%s minus", name) << w << int(Qt::Key_Minus) << int(Qt::KeypadModifier);
        QTest::addRow("%s Back Space", name) << w << int(Qt::Key_Backspace) << int(Qt::NoModifier);
        QTest::addRow("%s Space", name) << w << int(Qt::Key_Space) << int(Qt::NoModifier);
        QTest::addRow("%s Tab", name) << w << int(Qt::Key_Tab) << int(Qt::NoModifier);
        QTest::addRow("%s backslash", name) << w << int(Qt::Key_Backslash) << int(Qt::NoModifier);
    }
}

void TestAlertWindows::otherKeys_leaveAlertOpen() {
    QFETCH(QString, window);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    AlertWindowBase* alert = openAlert(window);
    QVERIFY(QTest::qWaitForWindowActive(alert));
    QSignalSpy closed(alert, &AlertWindowBase::closed);
    KeyCounter ownerKeys;
    ownerKeys.watch(owner_);

    QTest::keyClick(alert->windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCoreApplication::processEvents();

    QCOMPARE(closed.count(), 0);
    QVERIFY(alert->isVisible());
    QVERIFY(alert->isOpen());
    QVERIFY(!owner_->isEnabled());
    QCOMPARE(loadedAlert(window), alert);
    QCOMPARE(ownerKeys.presses, 0);
}

void TestAlertWindows::windowTexts_asTheProgramDefinesThem_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    const QString label1 = QStringLiteral("数字が設定範囲内になっていません。");
    const QString toInput = QStringLiteral(
        "Ｅｓｃ　か　／　キーを押すか、　　　　 閉じるボタンをクリックしてください。    "
        "　　　（入力画面にもどります）");
    const QString toCorrection = QStringLiteral(
        "Ｅｓｃ　か　／　キーを押すか、　　　　 閉じるボタンをクリックしてください。    "
        "　　　（訂正画面にもどります）");
    QTest::newRow("frmAlert caption")
        << "frmAlert" << QString() << QString(33, u' ') + QStringLiteral("ALERT");
    QTest::newRow("frmAlert Label1") << "frmAlert"
                                     << "Label1" << label1;
    QTest::newRow("frmAlert Label2") << "frmAlert"
                                     << "Label2" << toInput;
    QTest::newRow("frmTAlert caption")
        << "frmTAlert" << QString() << QString(10, u' ') + QStringLiteral("TAlert");
    QTest::newRow("frmTAlert Label1") << "frmTAlert"
                                      << "Label1" << label1;
    QTest::newRow("frmTAlert Label2") << "frmTAlert"
                                      << "Label2" << toCorrection;
    QTest::newRow("frmStop caption") << "frmStop" << QString() << QStringLiteral("入力エラー");
    QTest::newRow("frmStop Label1") << "frmStop"
                                    << "Label1" << QStringLiteral("登録前のデータを削除する場合");
    QTest::newRow("frmStop Label3")
        << "frmStop"
        << "Label3" << QStringLiteral("－２３　または　２３－            のように入力します。");
    QTest::newRow("frmStop Label2")
        << "frmStop"
        << "Label2"
        << QStringLiteral(
               "Ｅｓｃ　か　／　キーを押すか、　　　　　　　閉じるボタンをクリックしてください。"
               "　　　　　（入力画面にもどります）");
}

void TestAlertWindows::windowTexts_asTheProgramDefinesThem() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    AlertWindowBase* alert = openAlert(window);
    if (control.isEmpty()) {
        QCOMPARE(alert->windowTitle(), text);
        return;
    }
    auto* label = alert->findChild<QLabel*>(control);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QVERIFY(label->wordWrap());
    // The Japanese text is drawn in a face that has it.
    QVERIFY(QFontMetrics(label->font()).inFontUcs4(U'範'));
}

void TestAlertWindows::rangeAlerts_listRangesOfTheMomentTheyOpen_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("frmAlert") << "frmAlert";
    QTest::newRow("frmTAlert") << "frmTAlert";
}

void TestAlertWindows::rangeAlerts_listRangesOfTheMomentTheyOpen() {
    QFETCH(QString, window);
    AlertWindowBase* alert = openAlert(window);
    QCOMPARE(alert->findChild<QLabel*>(QStringLiteral("lbSuu"))->text(), kDefaultRanges);
    QVERIFY(alert->findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().width() > 0);
    QVERIFY(QTest::qWaitForWindowActive(alert));
    QTest::keyClick(alert->windowHandle(), Qt::Key_Escape);
    QVERIFY(QTest::qWaitForWindowActive(owner_));

    // The job changes between two showings: the large size is switched off.
    run_->job.largeMode = 1;
    run_->job.mediumStart = 1;
    run_->job.smallEnd = 2000;
    alert = openAlert(window);
    QCOMPARE(alert->findChild<QLabel*>(QStringLiteral("lbSuu"))->text(),
             QStringLiteral("中（1 ~ 300） と 小（301 ~ 2000）"));
}

void TestAlertWindows::tAlertClosed_focusBackInNumberBox() {
    QCOMPARE(QApplication::focusWidget(), firstBox_);
    AlertWindowBase* alert = openAlert(QStringLiteral("frmTAlert"));
    QVERIFY(QTest::qWaitForWindowActive(alert));
    QTest::keyClick(alert->windowHandle(), Qt::Key_Escape);
    QVERIFY(QTest::qWaitForWindowActive(owner_));
    QTRY_COMPARE(QApplication::focusWidget(), numberBox_);

    // The close button too.
    firstBox_->setFocus();
    alert = openAlert(QStringLiteral("frmTAlert"));
    QVERIFY(QTest::qWaitForWindowActive(alert));
    alert->close();
    QVERIFY(QTest::qWaitForWindowActive(owner_));
    QTRY_COMPARE(QApplication::focusWidget(), numberBox_);
}

void TestAlertWindows::slashClosingAlert_neverReachesOwner_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("frmAlert slash") << "frmAlert" << int(Qt::NoModifier);
    QTest::newRow("frmAlert keypad slash") << "frmAlert" << int(Qt::KeypadModifier);
    QTest::newRow("frmStop slash") << "frmStop" << int(Qt::NoModifier);
}

void TestAlertWindows::slashClosingAlert_neverReachesOwner() {
    QFETCH(QString, window);
    QFETCH(int, modifiers);
    AlertWindowBase* alert = openAlert(window);
    QVERIFY(QTest::qWaitForWindowActive(alert));
    KeyCounter ownerKeys;
    ownerKeys.watch(owner_);

    QTest::keyClick(alert->windowHandle(), '/', Qt::KeyboardModifiers(modifiers));
    QVERIFY(QTest::qWaitForWindowActive(owner_));
    QCoreApplication::processEvents();
    QCOMPARE(ownerKeys.presses, 0);

    // The owner does get the next key: the counter sees what reaches it.
    QTest::keyClick(owner_->windowHandle(), '2');
    QCOMPARE(ownerKeys.presses, 1);
}

void TestAlertWindows::openedOverAnotherOwner_firstOwnerEnabledAgain() {
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    auto& alert = run_->windows.get<frmAlert>();
    alert.open(owner_);
    alert.open(&other);
    QVERIFY(owner_->isEnabled());
    QVERIFY(!other.isEnabled());
    QVERIFY(alert.close());
    QVERIFY(other.isEnabled());
}

void TestAlertWindows::destroyedWhileOpen_ownerEnabled() {
    openAlert(QStringLiteral("frmStop"));
    QVERIFY(!owner_->isEnabled());
    run_->windows.closeAll();
    QVERIFY(owner_->isEnabled());
}

QTEST_MAIN(TestAlertWindows)
#include "tst_alert_windows.moc"
