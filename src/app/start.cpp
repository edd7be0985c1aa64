#include "app/start.h"

#include "windows/frm_start.h"
#include "windows/window_registry.h"

void startProgram(RunContext& context) {
    context.windows.get<frmStart>().show();
}
