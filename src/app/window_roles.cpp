// SPDX-License-Identifier: MIT
#include "app/window_roles.h"

#include "gui/alerts/alert_window_base.h"
#include "gui/dialogs/frm_appli.h"
#include "gui/dialogs/frm_end.h"
#include "gui/dialogs/frm_nyuuryoku.h"
#include "gui/dialogs/frm_start.h"
#include "gui/input/frm_teisei.h"
#include "gui/setup/frm_settei_joho.h"
#include "gui/tools/frm_lab_export.h"
#include "gui/tools/frm_lab_order.h"
#include "gui/tools/frm_photo_preview.h"
#include "gui/tools/frm_photo_search.h"
#include "gui/tools/frm_roster_import.h"
#include "gui/tools/frm_sample_sheet.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

struct WindowRole {
    const QMetaObject* window;
    QAccessible::Role role;
};

// The alerts are read out whole as they open; the windows the operator
// works in for a while and closes again are dialogs; the start screen and
// the photo preview, which stand beside the others, are windows.
const WindowRole kWindowRoles[] = {
    {&AlertWindowBase::staticMetaObject, QAccessible::AlertMessage},
    {&frmTeisei::staticMetaObject, QAccessible::Dialog},
    {&frmSetteiJoho::staticMetaObject, QAccessible::Dialog},
    {&frmNyuuryoku::staticMetaObject, QAccessible::Dialog},
    {&frmAppli::staticMetaObject, QAccessible::Dialog},
    {&FrmEnd::staticMetaObject, QAccessible::Dialog},
    {&frmLabExport::staticMetaObject, QAccessible::Dialog},
    {&frmPhotoSearch::staticMetaObject, QAccessible::Dialog},
    {&frmSampleSheet::staticMetaObject, QAccessible::Dialog},
    {&frmLabOrder::staticMetaObject, QAccessible::Dialog},
    {&frmRosterImport::staticMetaObject, QAccessible::Dialog},
    {&frmStart::staticMetaObject, QAccessible::Window},
    {&frmPhotoPreview::staticMetaObject, QAccessible::Window},
};

// Asked with the object's class and then each base class in turn: the
// alert windows are found as AlertWindowBase.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (!widget->isWindow())
        return nullptr;
    for (const WindowRole& entry : kWindowRoles) {
        if (className == QLatin1String(entry.window->className()))
            return new QAccessibleWidget(widget, entry.role);
    }
    return nullptr;
}

}  // namespace

void installWindowRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
