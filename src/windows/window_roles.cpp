// SPDX-License-Identifier: MIT
#include "windows/window_roles.h"

#include "windows/alert_window_base.h"
#include "windows/frm_appli.h"
#include "windows/frm_end.h"
#include "windows/frm_lab_export.h"
#include "windows/frm_lab_order.h"
#include "windows/frm_nyuuryoku.h"
#include "windows/frm_photo_preview.h"
#include "windows/frm_photo_search.h"
#include "windows/frm_sample_sheet.h"
#include "windows/frm_settei_joho.h"
#include "windows/frm_start.h"
#include "windows/frm_teisei.h"

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
