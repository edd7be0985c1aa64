// SPDX-License-Identifier: MIT
#include "gui/tools/frm_roster_print.h"

#include "domain/files/job_file_writer.h"
#include "domain/platform/platform.h"
#include "gui/printing/list_pages.h"
#include "gui/printing/slip_pages.h"
#include "gui/setup/frm_film.h"
#include "gui/window_registry.h"

#include "ui_frm_roster_print.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStandardPaths>

namespace RosterPrintTexts {
const QString kAllClasses = QStringLiteral("すべての組");
const QString kNote = QStringLiteral("名簿の児童 %1 人、登録済みの注文 %2 件から印刷します。");
const QString kNoRoster = QStringLiteral(
    "名簿がありません。注文票・組別集計・未注文者・入金一覧には名簿が要ります"
    "（ツール → 名簿の読み込み）。納品書は名簿なしでも伝票番号順に印刷できます。");
}  // namespace RosterPrintTexts

using namespace RosterPrintTexts;

frmRosterPrint::frmRosterPrint(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmRosterPrint>()) {
    ui->setupUi(this);
    for (const SlipSheet& sheet : orderSlipSheets())
        ui->cboOrderSheet->addItem(sheet.name);
    ui->cboOrderSheet->setCurrentIndex(1);
    for (const SlipSheet& sheet : envelopeSlipSheets())
        ui->cboEnvelopeSheet->addItem(sheet.name);
    ui->cboEnvelopeSheet->setCurrentIndex(2);
    ui->cmdPreview->setAutoDefault(true);
    ui->cmdExport->setAutoDefault(true);
    ui->cmdClose->setAutoDefault(true);
    for (QRadioButton* option : {ui->optOrderSlips, ui->optEnvelopeSlips, ui->optClassTotals,
                                 ui->optNotOrdered, ui->optMoney})
        connect(option, &QRadioButton::toggled, this, &frmRosterPrint::showChoices);
    connect(ui->cboEnvelopeSheet, &QComboBox::currentIndexChanged, this,
            &frmRosterPrint::showChoices);
    connect(ui->cmdPreview, &QPushButton::clicked, this, &frmRosterPrint::cmdPreview_Click);
    connect(ui->cmdExport, &QPushButton::clicked, this, &frmRosterPrint::cmdExport_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

frmRosterPrint::~frmRosterPrint() = default;

void frmRosterPrint::open() {
    const Roster& roster = context_.companion.roster;
    classes_ = rosterClasses(roster);
    const QString chosen = ui->cboClass->currentText();
    ui->cboClass->clear();
    ui->cboClass->addItem(kAllClasses);
    for (const RosterClass& c : classes_)
        ui->cboClass->addItem(c.text());
    ui->cboClass->setCurrentIndex(std::max(0, ui->cboClass->findText(chosen)));
    ui->lblNote->setText(roster.isEmpty() ? kNoRoster
                                          : kNote.arg(roster.size()).arg(context_.job.personCount));
    if (roster.isEmpty())
        ui->optEnvelopeSlips->setChecked(true);
    showChoices();
    if (!placed_) {
        if (const QWidget* from = QApplication::activeWindow(); from && from != this)
            move(from->frameGeometry().center() - rect().center());
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    ui->cmdPreview->setFocus(Qt::OtherFocusReason);
}

frmRosterPrint::Kind frmRosterPrint::kind() const {
    if (ui->optEnvelopeSlips->isChecked())
        return Kind::EnvelopeSlips;
    if (ui->optClassTotals->isChecked())
        return Kind::ClassTotals;
    if (ui->optNotOrdered->isChecked())
        return Kind::NotOrdered;
    if (ui->optMoney->isChecked())
        return Kind::Money;
    return Kind::OrderSlips;
}

void frmRosterPrint::showChoices() {
    const bool roster = !context_.companion.roster.isEmpty();
    const Kind k = kind();
    const bool list = k == Kind::ClassTotals || k == Kind::NotOrdered || k == Kind::Money;
    for (QRadioButton* option :
         {ui->optOrderSlips, ui->optClassTotals, ui->optNotOrdered, ui->optMoney})
        option->setEnabled(roster);
    ui->cboClass->setEnabled(roster && (k == Kind::OrderSlips || k == Kind::EnvelopeSlips));
    ui->cboOrderSheet->setEnabled(k == Kind::OrderSlips);
    ui->cboEnvelopeSheet->setEnabled(k == Kind::EnvelopeSlips);
    const int sheet = ui->cboEnvelopeSheet->currentIndex();
    const QVector<SlipSheet> sheets = envelopeSlipSheets();
    const bool labels = k == Kind::EnvelopeSlips && sheet >= 0 && sheets[sheet].labels;
    ui->spnFirstLabel->setEnabled(labels);
    ui->spnFirstLabel->setRange(1, sheet >= 0 ? sheets[sheet].perPage() : 1);
    ui->cboCsvEncoding->setEnabled(roster && list);
    ui->cmdExport->setEnabled(roster && list);
    ui->cmdPreview->setEnabled(roster || k == Kind::EnvelopeSlips);
}

LabExportEncoding frmRosterPrint::csvEncoding() const {
    return ui->cboCsvEncoding->currentIndex() == 1 ? LabExportEncoding::Utf8
                                                   : LabExportEncoding::ShiftJis;
}

std::optional<RosterClass> frmRosterPrint::chosenClass() const {
    const int index = ui->cboClass->currentIndex() - 1;
    if (index < 0 || index >= classes_.size())
        return std::nullopt;
    return classes_[index];
}

ClassList frmRosterPrint::chosenList() const {
    const RegisteredOrders orders = collectRegisteredOrders(context_.job);
    switch (kind()) {
        case Kind::NotOrdered:
            return notOrderedList(orders, context_.companion);
        case Kind::Money:
            return moneyList(orders, context_.companion);
        default:
            return classTotalsList(orders, context_.companion);
    }
}

std::shared_ptr<PrintDocument> frmRosterPrint::document(QString* title) const {
    const Kind k = kind();
    const Roster& roster = context_.companion.roster;
    if (roster.isEmpty() && k != Kind::EnvelopeSlips)
        return nullptr;
    if (k == Kind::OrderSlips) {
        *title = PupilSlipTexts::kOrderSlipTitle;
        return std::make_shared<OrderSlipPages>(
            orderSlips(context_.job, roster, chosenClass()),
            orderSlipSheets().value(ui->cboOrderSheet->currentIndex()));
    }
    if (k == Kind::EnvelopeSlips) {
        *title = PupilSlipTexts::kEnvelopeSlipTitle;
        return std::make_shared<EnvelopeSlipPages>(
            envelopeSlips(collectRegisteredOrders(context_.job), context_.companion, chosenClass()),
            envelopeSlipSheets().value(ui->cboEnvelopeSheet->currentIndex()),
            ui->spnFirstLabel->value() - 1);
    }
    ClassList list = chosenList();
    *title = list.title;
    return std::make_shared<ListPages>(std::move(list));
}

void frmRosterPrint::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            cmdPreview_Click();
            return;
        case Qt::Key_Escape:
            close();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void frmRosterPrint::cmdPreview_Click() {
    QString title;
    if (std::shared_ptr<PrintDocument> printed = document(&title))
        context_.platform.previewReport(title, std::move(printed));
}

void frmRosterPrint::cmdExport_Click() {
    if (!ui->cmdExport->isEnabled())
        return;
    const ExportTable table = listTable(chosenList());
    QString folder = lastFolder_;
    if (folder.isEmpty())
        if (const FrmFilm* film = context_.windows.find<FrmFilm>())
            if (!film->loadedFilePath().isEmpty())
                folder = QFileInfo(film->loadedFilePath()).absolutePath();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = defaultJobFileName(context_.job);
    name.chop(QStringLiteral(".ptl").size());
    const QString suggestion =
        QDir(folder).filePath(name + u'_' + table.title + QStringLiteral(".xlsx"));
    const TableExportCommandOutcome outcome =
        tableExportCommand(context_.platform, table, suggestion, csvEncoding());
    if (!outcome.cancelled && outcome.result.written)
        lastFolder_ = QFileInfo(outcome.path).absolutePath();
}
