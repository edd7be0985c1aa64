// SPDX-License-Identifier: MIT
#include "gui/setup/fill_job_settings_controls.h"

#include "domain/entry/job_settings_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

namespace {

using Row = JobSettingsControls::Row;

void setBox(QLineEdit* box, const QString& text) {
    // Like the classic Text property: the change handling runs only for a
    // new text.
    if (box->text() != text)
        box->setText(text);
}

// Selects one option button of a pair and clears the other. Selecting a
// button that is not selected yet runs its click handling (its toggled
// signal); one already selected is left alone.
void selectOption(QRadioButton* on, QRadioButton* off) {
    if (!on->isChecked())
        on->setChecked(true);
    if (off->isChecked()) {
        // Buttons of one frame clear each other; a lone one is cleared here.
        const bool exclusive = off->autoExclusive();
        off->setAutoExclusive(false);
        off->setChecked(false);
        off->setAutoExclusive(exclusive);
    }
}

void hideControls(const QList<QWidget*>& controls) {
    for (QWidget* control : controls)
        control->hide();
}

}  // namespace

void FillJobSettingsControls(const JobSettingsWidgets& w, const JobState& job) {
    // What the controls show, read afresh before each control is set: on the
    // setup screen the handlers that setting a control runs may change the
    // job (a switched-off size's range cleared, an overlap cleared).
    const auto now = [&job] { return jobSettingsControls(job); };
    const JobSettingsControls atStart = now();

    setBox(w.tbTokuisaki, now().tbTokuisaki);
    setBox(w.tbGyouji, now().tbGyouji);
    setBox(w.tbSatueibi, now().tbSatueibi);
    setBox(w.tbSatueisha, now().tbSatueisha);

    if (atStart.large == Row::SetUp) {
        selectOption(w.Option5, w.Option2);
        setBox(w.tbDaiStart, now().tbDaiStart);
        setBox(w.tbDaiEnd, now().tbDaiEnd);
        setBox(w.tbDaiMai, now().tbDaiMai);
        setBox(w.tbDaiTanka, now().tbDaiTanka);
    } else if (atStart.large == Row::SwitchedOff) {
        selectOption(w.Option2, w.Option5);
        hideControls(w.largeRow());
    }

    if (atStart.medium == Row::SetUp) {
        selectOption(w.Option1, w.Option3);
        setBox(w.tbChuStart, now().tbChuStart);
        setBox(w.tbChuEnd, now().tbChuEnd);
        setBox(w.tbChuMai, now().tbChuMai);
        setBox(w.tbChuTanka, now().tbChuTanka);
    } else if (atStart.medium == Row::SwitchedOff) {
        selectOption(w.Option3, w.Option1);
        hideControls(w.mediumRow());
    }

    if (atStart.fillSmall) {
        setBox(w.tbShouStart, now().tbShouStart);
        setBox(w.tbShouEnd, now().tbShouEnd);
        setBox(w.tbShouMai, now().tbShouMai);
        setBox(w.tbShouTanka, now().tbShouTanka);
    }
}

void nameJobSettingsBoxes(const JobSettingsWidgets& w) {
    using W = JobSettingsWidgets;
    struct Named {
        QLineEdit* W::*box;
        QLabel* W::*label;
        QLabel* W::*column;  // or nullptr
    };
    static constexpr Named kBoxes[] = {
        {&W::tbDaiStart, &W::Label8, &W::Label12},  {&W::tbDaiEnd, &W::Label8, &W::Label13},
        {&W::tbDaiMai, &W::Label8, &W::Label14},    {&W::tbChuStart, &W::Label20, &W::Label12},
        {&W::tbChuEnd, &W::Label20, &W::Label13},   {&W::tbChuMai, &W::Label20, &W::Label14},
        {&W::tbShouStart, &W::Label9, &W::Label12}, {&W::tbShouEnd, &W::Label9, &W::Label13},
        {&W::tbShouMai, &W::Label9, &W::Label14},   {&W::tbDaiTanka, &W::Label10, nullptr},
        {&W::tbChuTanka, &W::Label19, nullptr},     {&W::tbShouTanka, &W::Label11, nullptr},
        {&W::tbTokuisaki, &W::Label2, nullptr},     {&W::tbGyouji, &W::Label3, nullptr},
        {&W::tbSatueibi, &W::Label4, nullptr},      {&W::tbSatueisha, &W::Label17, nullptr},
    };
    // The price labels end in "＝", which is no part of the name.
    const auto labelText = [](const QLabel* label) {
        return label->text().trimmed().remove(u'＝');
    };
    for (const Named& named : kBoxes) {
        QString name = labelText(w.*named.label);
        if (named.column)
            name += u' ' + labelText(w.*named.column);
        (w.*named.box)->setAccessibleName(name.trimmed());
    }
}
