// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QRect>
#include <QTest>
#include <QTimer>
#include <QWidget>

// Types keys where the operator's keystrokes would go: the focused control,
// or the active window when no control has the focus.
inline QWidget* keyTarget() {
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeWindow();
}

inline void typeIntoFocus(const QString& keys) {
    for (const QChar c : keys) {
        if (c == u'\r')
            QTest::keyClick(keyTarget(), Qt::Key_Return);
        else if (c == u'\b')
            QTest::keyClick(keyTarget(), Qt::Key_Backspace);
        else
            QTest::keyClick(keyTarget(), c.toLatin1());
    }
}

// The name of the control that has the keyboard focus.
inline QString focusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

// Finds a child control by its name, failing the test when it is missing.
template <class W = QWidget>
W* control(QObject* window, const char* name) {
    W* found = window->findChild<W*>(QString::fromLatin1(name));
    if (!found)
        qWarning("no control named %s", name);
    return found;
}

// Where a control stands on its window, given in twips: 15 twips to a
// pixel, rounded.
inline QRect pixelsOfTwips(const QRect& twips) {
    return QRect(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0), qRound(twips.width() / 15.0),
                 qRound(twips.height() / 15.0));
}

// A window that counts how often its close handling ran.
class CloseProbe : public QWidget {
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

// Runs the event loop, starting with `action` (run while `context` lives),
// until the program ends the loop or five seconds pass: the loop's exit
// code, or -1 when the time ran out.
inline int runUntilProgramEnds(QObject* context, const std::function<void()>& action) {
    QTimer guard;
    guard.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    QTimer::singleShot(0, context, action);
    const int code = QCoreApplication::exec();
    guard.stop();
    return timedOut ? -1 : code;
}

// What a window with the job-settings controls shows: the four header
// boxes, the twelve range, count and price boxes (large, medium, small),
// and which option buttons are selected.
inline QStringList jobSettingsShown(QWidget* window) {
    QStringList shown;
    for (const char* name :
         {"tbTokuisaki", "tbGyouji", "tbSatueibi", "tbSatueisha", "tbDaiStart", "tbDaiEnd",
          "tbDaiMai", "tbDaiTanka", "tbChuStart", "tbChuEnd", "tbChuMai", "tbChuTanka",
          "tbShouStart", "tbShouEnd", "tbShouMai", "tbShouTanka"}) {
        auto* box = control<QLineEdit>(window, name);
        shown << (box ? box->text() : QStringLiteral("<missing>"));
    }
    for (const char* name : {"Option1", "Option2", "Option3", "Option5"}) {
        auto* option = control<QRadioButton>(window, name);
        shown << QString::fromLatin1(name) + (option && option->isChecked() ? u'*' : u'-');
    }
    return shown;
}

// The names of the controls that make up the row of a size that can be
// switched off, hidden together: large (Option2 "設定しない") or medium
// (Option3). The row's yen label goes with it.
inline QStringList largeRowControlNames() {
    return {QStringLiteral("Label8"),   QStringLiteral("tbDaiStart"), QStringLiteral("Label22_0"),
            QStringLiteral("tbDaiEnd"), QStringLiteral("Label15_0"),  QStringLiteral("Label16_0"),
            QStringLiteral("tbDaiMai"), QStringLiteral("Label10"),    QStringLiteral("tbDaiTanka"),
            QStringLiteral("Label24")};
}

inline QStringList mediumRowControlNames() {
    return {QStringLiteral("Label20"),  QStringLiteral("tbChuStart"), QStringLiteral("Label22_2"),
            QStringLiteral("tbChuEnd"), QStringLiteral("Label15_2"),  QStringLiteral("Label16_2"),
            QStringLiteral("tbChuMai"), QStringLiteral("Label19"),    QStringLiteral("tbChuTanka"),
            QStringLiteral("Label25")};
}

// The settings of the job that the job file tests save and load.
inline QStringList sampleJobSettingsShown() {
    return {QStringLiteral("さくら小学校"),
            QStringLiteral("運動会"),
            QStringLiteral("2012-4-25"),
            QStringLiteral("山田"),
            "1",
            "100",
            "100",
            "800",
            "101",
            "300",
            "200",
            "500",
            "301",
            "999",
            "699",
            "100",
            "Option1*",
            "Option2-",
            "Option3-",
            "Option5*"};
}
