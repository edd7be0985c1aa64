// SPDX-License-Identifier: MIT
#include "windows/fill_job_settings_controls.h"

#include "domain/entry/job_settings_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

namespace {

using Row = JobSettingsControls::Row;

void setBox(QWidget* window, const QString& name, const QString& text) {
    auto* box = window->findChild<QLineEdit*>(name);
    // Like the classic Text property: the change handling runs only for a
    // new text.
    if (box && box->text() != text)
        box->setText(text);
}

// Selects one option button of a pair and clears the other. Selecting a
// button that is not selected yet runs its click handling (its toggled
// signal); one already selected is left alone.
void selectOption(QWidget* window, const char* selected, const char* cleared) {
    auto* on = window->findChild<QRadioButton*>(QLatin1String(selected));
    auto* off = window->findChild<QRadioButton*>(QLatin1String(cleared));
    if (on && !on->isChecked())
        on->setChecked(true);
    if (off && off->isChecked()) {
        // Buttons of one frame clear each other; a lone one is cleared here.
        const bool exclusive = off->autoExclusive();
        off->setAutoExclusive(false);
        off->setChecked(false);
        off->setAutoExclusive(exclusive);
    }
}

void hideControls(QWidget* window, const QStringList& names) {
    for (const QString& name : names)
        if (auto* control = window->findChild<QWidget*>(name))
            control->hide();
}

}  // namespace

QStringList largeRowControlNames() {
    return {QStringLiteral("Label8"),   QStringLiteral("tbDaiStart"), QStringLiteral("Label22_0"),
            QStringLiteral("tbDaiEnd"), QStringLiteral("Label15_0"),  QStringLiteral("Label16_0"),
            QStringLiteral("tbDaiMai"), QStringLiteral("Label10"),    QStringLiteral("tbDaiTanka"),
            QStringLiteral("Label24")};
}

QStringList mediumRowControlNames() {
    return {QStringLiteral("Label20"),  QStringLiteral("tbChuStart"), QStringLiteral("Label22_2"),
            QStringLiteral("tbChuEnd"), QStringLiteral("Label15_2"),  QStringLiteral("Label16_2"),
            QStringLiteral("tbChuMai"), QStringLiteral("Label19"),    QStringLiteral("tbChuTanka"),
            QStringLiteral("Label25")};
}

void FillJobSettingsControls(QWidget* window, const JobState& job) {
    if (!window)
        return;
    // What the controls show, read afresh before each control is set: on the
    // setup screen the handlers that setting a control runs may change the
    // job (a switched-off size's range cleared, an overlap cleared).
    const auto now = [&job] { return jobSettingsControls(job); };
    const JobSettingsControls atStart = now();

    setBox(window, QStringLiteral("tbTokuisaki"), now().tbTokuisaki);
    setBox(window, QStringLiteral("tbGyouji"), now().tbGyouji);
    setBox(window, QStringLiteral("tbSatueibi"), now().tbSatueibi);
    setBox(window, QStringLiteral("tbSatueisha"), now().tbSatueisha);

    if (atStart.large == Row::SetUp) {
        selectOption(window, "Option5", "Option2");
        setBox(window, QStringLiteral("tbDaiStart"), now().tbDaiStart);
        setBox(window, QStringLiteral("tbDaiEnd"), now().tbDaiEnd);
        setBox(window, QStringLiteral("tbDaiMai"), now().tbDaiMai);
        setBox(window, QStringLiteral("tbDaiTanka"), now().tbDaiTanka);
    } else if (atStart.large == Row::SwitchedOff) {
        selectOption(window, "Option2", "Option5");
        hideControls(window, largeRowControlNames());
    }

    if (atStart.medium == Row::SetUp) {
        selectOption(window, "Option1", "Option3");
        setBox(window, QStringLiteral("tbChuStart"), now().tbChuStart);
        setBox(window, QStringLiteral("tbChuEnd"), now().tbChuEnd);
        setBox(window, QStringLiteral("tbChuMai"), now().tbChuMai);
        setBox(window, QStringLiteral("tbChuTanka"), now().tbChuTanka);
    } else if (atStart.medium == Row::SwitchedOff) {
        selectOption(window, "Option3", "Option1");
        hideControls(window, mediumRowControlNames());
    }

    if (atStart.fillSmall) {
        setBox(window, QStringLiteral("tbShouStart"), now().tbShouStart);
        setBox(window, QStringLiteral("tbShouEnd"), now().tbShouEnd);
        setBox(window, QStringLiteral("tbShouMai"), now().tbShouMai);
        setBox(window, QStringLiteral("tbShouTanka"), now().tbShouTanka);
    }
}

void nameJobSettingsBoxes(QWidget* window) {
    struct Named {
        const char* box;
        const char* label;
        const char* column;  // or nullptr
    };
    static constexpr Named kBoxes[] = {
        {"tbDaiStart", "Label8", "Label12"},  {"tbDaiEnd", "Label8", "Label13"},
        {"tbDaiMai", "Label8", "Label14"},    {"tbChuStart", "Label20", "Label12"},
        {"tbChuEnd", "Label20", "Label13"},   {"tbChuMai", "Label20", "Label14"},
        {"tbShouStart", "Label9", "Label12"}, {"tbShouEnd", "Label9", "Label13"},
        {"tbShouMai", "Label9", "Label14"},   {"tbDaiTanka", "Label10", nullptr},
        {"tbChuTanka", "Label19", nullptr},   {"tbShouTanka", "Label11", nullptr},
        {"tbTokuisaki", "Label2", nullptr},   {"tbGyouji", "Label3", nullptr},
        {"tbSatueibi", "Label4", nullptr},    {"tbSatueisha", "Label17", nullptr},
    };
    const auto labelText = [window](const char* name) {
        const auto* label = window->findChild<QLabel*>(QLatin1String(name));
        // The price labels end in "＝", which is no part of the name.
        return label ? label->text().trimmed().remove(u'＝') : QString();
    };
    for (const Named& named : kBoxes) {
        auto* box = window->findChild<QWidget*>(QLatin1String(named.box));
        if (!box)
            continue;
        QString name = labelText(named.label);
        if (named.column)
            name += u' ' + labelText(named.column);
        box->setAccessibleName(name.trimmed());
    }
}
