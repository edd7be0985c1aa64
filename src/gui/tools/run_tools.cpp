// SPDX-License-Identifier: MIT
#include "gui/tools/run_tools.h"

#include "domain/platform/platform.h"
#include "gui/tools/frm_lab_order.h"
#include "gui/tools/frm_sample_sheet.h"
#include "gui/window_registry.h"

namespace RunToolsTexts {
const QString kWorking = QStringLiteral(
    "%1を作っている途中です。\n\n"
    "いま終了すると、%1は取り消されます（作りかけのものは消して、何も残しません）。");
const QString kLabOrder = QStringLiteral("ラボ出力");
const QString kSampleSheets = QStringLiteral("見本写真");
const QString kBoth = QStringLiteral("ラボ出力と見本写真");
const QString kWait = QStringLiteral("待つ（終了しない）");
const QString kStopAndClose = QStringLiteral("中止して終了");
}  // namespace RunToolsTexts

namespace {

using namespace RunToolsTexts;

frmLabOrder* labOrderAtWork(RunContext& context) {
    frmLabOrder* window = context.windows.find<frmLabOrder>();
    return window && window->isWorking() ? window : nullptr;
}

frmSampleSheet* sampleSheetsAtWork(RunContext& context) {
    frmSampleSheet* window = context.windows.find<frmSampleSheet>();
    return window && window->isReading() ? window : nullptr;
}

}  // namespace

bool mayStopRunTools(RunContext& context) {
    const bool order = labOrderAtWork(context);
    const bool sheets = sampleSheetsAtWork(context);
    if (!order && !sheets)
        return true;
    const QString what = order && sheets ? kBoth : order ? kLabOrder : kSampleSheets;
    return context.platform.askChoice(kWorking.arg(what), {kWait, kStopAndClose}, 0, 0) == 1;
}

void stopRunTools(RunContext& context) {
    if (frmLabOrder* window = labOrderAtWork(context))
        window->stopWork();
    if (frmSampleSheet* window = sampleSheetsAtWork(context))
        window->stopReading();
}
