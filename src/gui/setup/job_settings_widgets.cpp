// SPDX-License-Identifier: MIT
#include "gui/setup/job_settings_widgets.h"

#include <QLabel>
#include <QLineEdit>

QList<QWidget*> JobSettingsWidgets::largeRow() const {
    return {Label8,    tbDaiStart, Label22_0, tbDaiEnd,   Label15_0,
            Label16_0, tbDaiMai,   Label10,   tbDaiTanka, Label24};
}

QList<QWidget*> JobSettingsWidgets::mediumRow() const {
    return {Label20,   tbChuStart, Label22_2, tbChuEnd,   Label15_2,
            Label16_2, tbChuMai,   Label19,   tbChuTanka, Label25};
}
