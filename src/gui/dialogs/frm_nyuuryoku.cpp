// SPDX-License-Identifier: MIT
#include "gui/dialogs/frm_nyuuryoku.h"

#include "gui/window_registry.h"

#include "ui_frm_nyuuryoku.h"

#include <QCloseEvent>
#include <QFontMetrics>

namespace {

// The help texts end their lines with runs of blanks; they break where
// intended when a line holds 43 full-width characters and a half-width blank
// is half as wide, as in a monospaced Japanese font.
constexpr int kLineChars = 43;
constexpr int kMargin = 24;
constexpr int kGap = 10;

}  // namespace

frmNyuuryoku::frmNyuuryoku(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmNyuuryoku>()) {
    ui->setupUi(this);
    fitTexts();
    connect(ui->Command1, &QPushButton::clicked, this, &frmNyuuryoku::Command1_Click);
}

frmNyuuryoku::~frmNyuuryoku() = default;

void frmNyuuryoku::fitTexts() {
    QFont font = ui->Label2->font();
    font.setFamilies({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("MS Gothic")});
    font.setStyleHint(QFont::TypeWriter);
    const int width = kLineChars * QFontMetrics(font).horizontalAdvance(QChar(0x3000)) + 2;

    int y = ui->Label1->geometry().bottom() + kGap;
    ui->Label1->setGeometry(kMargin, ui->Label1->y(), width, ui->Label1->height());
    for (QLabel* label :
         {ui->Label2, ui->Label3, ui->Label4, ui->Label7, ui->Label5, ui->Label6, ui->Label8}) {
        label->setFont(font);
        label->setGeometry(kMargin, y, width, label->heightForWidth(width));
        y += label->height() + kGap;
    }
    const QSize button = ui->Command1->size();
    ui->Command1->move(kMargin + (width - button.width()) / 2, y + kGap);
    resize(2 * kMargin + width, ui->Command1->geometry().bottom() + kMargin);
}

void frmNyuuryoku::Command1_Click() {
    context_.windows.unload<frmNyuuryoku>();
}

void frmNyuuryoku::closeEvent(QCloseEvent* event) {
    event->accept();
    context_.windows.unload<frmNyuuryoku>();
}
