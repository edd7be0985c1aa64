// SPDX-License-Identifier: MIT
#pragma once

#include <QList>

class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

// The job-settings controls that the setup screen (FrmFilm) and the
// settings view (frmSetteiJoho) share, under the names they carry on both.
// Each window takes them once from its Designer members
// (jobSettingsWidgetsOf), so a control renamed in one window's layout stops
// the build instead of going missing when the program runs. What each box
// shows is the domain's JobSettingsControls field of the same name.
struct JobSettingsWidgets {
    // The job's header, and the labels before its boxes.
    QLineEdit* tbTokuisaki;
    QLineEdit* tbGyouji;
    QLineEdit* tbSatueibi;
    QLineEdit* tbSatueisha;
    QLabel* Label2;   // 得意先
    QLabel* Label3;   // 行事名
    QLabel* Label4;   // 撮影日
    QLabel* Label17;  // 撮影者

    // The headings of the range columns.
    QLabel* Label12;  // 始めのNo.
    QLabel* Label13;  // 終わりのNo.
    QLabel* Label14;  // （枚数）

    // Large: set up (Option5) or not (Option2), and its row.
    QRadioButton* Option5;
    QRadioButton* Option2;
    QLabel* Label8;  // ネガ（大）
    QLineEdit* tbDaiStart;
    QLabel* Label22_0;  // ～
    QLineEdit* tbDaiEnd;
    QLabel* Label15_0;  // 枚
    QLabel* Label16_0;  // the brackets round the count
    QLineEdit* tbDaiMai;
    QLabel* Label10;  // 写真（大）の単価＝
    QLineEdit* tbDaiTanka;
    QLabel* Label24;  // 円

    // Medium: set up (Option1) or not (Option3), and its row.
    QRadioButton* Option1;
    QRadioButton* Option3;
    QLabel* Label20;  // ネガ（中）
    QLineEdit* tbChuStart;
    QLabel* Label22_2;
    QLineEdit* tbChuEnd;
    QLabel* Label15_2;
    QLabel* Label16_2;
    QLineEdit* tbChuMai;
    QLabel* Label19;  // 写真（中）の単価＝
    QLineEdit* tbChuTanka;
    QLabel* Label25;

    // Small, always in use: the boxes and the labels that name them.
    QLabel* Label9;  // ネガ（小）スナップ
    QLineEdit* tbShouStart;
    QLineEdit* tbShouEnd;
    QLineEdit* tbShouMai;
    QLabel* Label11;  // 写真（小）の単価＝
    QLineEdit* tbShouTanka;

    // The row of a size that can be switched off, hidden together: its
    // label, range and count boxes with the labels between them, its price
    // label and box, and the yen label.
    QList<QWidget*> largeRow() const;
    QList<QWidget*> mediumRow() const;
};

// The job-settings controls of a window, from its Designer members (Ui is
// the class uic makes of the window's .ui file).
template <class Ui>
JobSettingsWidgets jobSettingsWidgetsOf(const Ui& ui) {
    return {
        .tbTokuisaki = ui.tbTokuisaki,
        .tbGyouji = ui.tbGyouji,
        .tbSatueibi = ui.tbSatueibi,
        .tbSatueisha = ui.tbSatueisha,
        .Label2 = ui.Label2,
        .Label3 = ui.Label3,
        .Label4 = ui.Label4,
        .Label17 = ui.Label17,
        .Label12 = ui.Label12,
        .Label13 = ui.Label13,
        .Label14 = ui.Label14,
        .Option5 = ui.Option5,
        .Option2 = ui.Option2,
        .Label8 = ui.Label8,
        .tbDaiStart = ui.tbDaiStart,
        .Label22_0 = ui.Label22_0,
        .tbDaiEnd = ui.tbDaiEnd,
        .Label15_0 = ui.Label15_0,
        .Label16_0 = ui.Label16_0,
        .tbDaiMai = ui.tbDaiMai,
        .Label10 = ui.Label10,
        .tbDaiTanka = ui.tbDaiTanka,
        .Label24 = ui.Label24,
        .Option1 = ui.Option1,
        .Option3 = ui.Option3,
        .Label20 = ui.Label20,
        .tbChuStart = ui.tbChuStart,
        .Label22_2 = ui.Label22_2,
        .tbChuEnd = ui.tbChuEnd,
        .Label15_2 = ui.Label15_2,
        .Label16_2 = ui.Label16_2,
        .tbChuMai = ui.tbChuMai,
        .Label19 = ui.Label19,
        .tbChuTanka = ui.tbChuTanka,
        .Label25 = ui.Label25,
        .Label9 = ui.Label9,
        .tbShouStart = ui.tbShouStart,
        .tbShouEnd = ui.tbShouEnd,
        .tbShouMai = ui.tbShouMai,
        .Label11 = ui.Label11,
        .tbShouTanka = ui.tbShouTanka,
    };
}
