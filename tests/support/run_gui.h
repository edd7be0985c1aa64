// SPDX-License-Identifier: MIT
#pragma once

#include "app/program.h"
#include "gui/input/form1.h"
#include "gui/setup/frm_film.h"
#include "support/window_helpers.h"

#include <QPushButton>
#include <QTest>

// Shows a window of the run and waits until it is the active window; false
// when it does not become active. `window` is the window either way.
//
//     QVERIFY(showActive(*program, film));
template <class Window, class PlatformType>
[[nodiscard]] bool showActive(Program<PlatformType>& run, Window*& window) {
    window = &run.windows.template get<Window>();
    window->show();
    return QTest::qWaitForWindowActive(window);
}

// Shows the run's input screen as the setup screen's finish button hands it
// over (its recent-entries list taking no input method) and waits until it
// is the active window; false when it does not become active.
template <class PlatformType>
[[nodiscard]] bool handOverToInputScreen(Program<PlatformType>& run, Form1*& form) {
    form = &run.windows.template get<Form1>();
    form->show();
    form->switchOffListInputMethod();
    return QTest::qWaitForWindowActive(form);
}

// Keys on the input screen, made the active window first: numbers
// separated by "\r", "/" closing a pupil.
inline void keyOnInputScreen(Form1* form, const QString& keys) {
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    typeIntoFocus(keys);
}

// Loads the job file at path on the run's setup screen, the load button's
// dialog answered with it, and goes on to the input screen, which becomes
// form.
template <class PlatformType>
void loadAndStart(Program<PlatformType>& run, const QString& path, Form1*& form) {
    FrmFilm* film = nullptr;
    QVERIFY(showActive(run, film));
    run.platform.fileAnswers = {path};
    QTest::mouseClick(control<QPushButton>(film, "Command1"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(film, "Command2"), Qt::LeftButton);
    form = run.windows.template find<Form1>();
    QVERIFY(form);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
}

// Ctrl+S answered as Enter answers it: the proposed file taken as it is.
template <class PlatformType>
void saveAsProposed(PlatformType& platform) {
    platform.onFileDialog = [](const FileDialogRequest& request) { return request.suggestedPath; };
    QTest::keyClick(keyTarget(), Qt::Key_S, Qt::ControlModifier);
    platform.onFileDialog = nullptr;
}
