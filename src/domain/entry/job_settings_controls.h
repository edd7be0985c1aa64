// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <QString>

// What the job-settings controls show for a job: the setup screen after a
// load, and the settings view on every activation, fill the controls of the
// same names from it (FillJobSettingsControls).
struct JobSettingsControls {
    // What happens to a size's row (large, medium).
    enum class Row {
        Untouched,  // the mode is neither 0 nor 1: neither option changes, the row is left as it is
        SetUp,      // mode 0: select "設定する", clear "設定しない", fill the row's boxes
        SwitchedOff,  // mode 1: clear "設定する", select "設定しない", hide the row (boxes left as
                      // they are)
    };

    QString tbTokuisaki;
    QString tbGyouji;
    QString tbSatueibi;
    QString tbSatueisha;

    // Large: Option5 set up / Option2 not set up; the row Label8, tbDaiStart,
    // "～", tbDaiEnd, "枚" and bracket labels, tbDaiMai, Label10, tbDaiTanka.
    Row large = Row::Untouched;
    QString tbDaiStart, tbDaiEnd, tbDaiMai, tbDaiTanka;  // when large is SetUp

    // Medium: Option1 set up / Option3 not set up; the row Label20,
    // tbChuStart, "～", tbChuEnd, "枚" and bracket labels, tbChuMai, Label19,
    // tbChuTanka.
    Row medium = Row::Untouched;
    QString tbChuStart, tbChuEnd, tbChuMai, tbChuTanka;  // when medium is SetUp

    // The small row is filled whenever large or medium is SetUp or
    // SwitchedOff.
    bool fillSmall = false;
    QString tbShouStart, tbShouEnd, tbShouMai, tbShouTanka;
};

// The controls' contents for the job as it is. Numbers are in plain decimal
// ("-" in front of a negative one); a field that holds a text shows the text.
// The count boxes show end - start + 1.
//
// Order of filling, for the setup screen, whose boxes react to changes: the
// header boxes, then large, medium and small, each with its price box last,
// so the price boxes' change handling (and with it the overlap check) runs
// on complete rows.
JobSettingsControls jobSettingsControls(const JobState& job);
