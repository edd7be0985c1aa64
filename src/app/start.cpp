#include "app/start.h"

#include "app/window_registry.h"
#include "dialogs/frm_start.h"

#include <QCoreApplication>

void startProgram(AppContext& context) {
    context.windows.get<frmStart>().show();
}

void endProgramAtOnce() {
    // Not quit(): on a GUI application that first closes every window,
    // running their close handling (the input screen would register an open
    // person). exit() only leaves the event loop.
    QCoreApplication::exit(0);
}
