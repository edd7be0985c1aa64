// SPDX-License-Identifier: MIT
#include "app/start.h"

#include "gui/dialogs/frm_start.h"
#include "gui/setup/frm_film.h"
#include "gui/window_registry.h"

void startProgram(RunContext& context, const QString& jobFile) {
    frmStart& start = context.windows.get<frmStart>();
    if (!jobFile.isEmpty()) {
        WindowRegistry& windows = context.windows;
        QObject::connect(&start, &frmStart::handedOver, &start,
                         [&windows, jobFile] { windows.get<FrmFilm>().loadJobFile(jobFile); });
    }
    start.show();
}
