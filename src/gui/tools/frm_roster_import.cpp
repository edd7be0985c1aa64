// SPDX-License-Identifier: MIT
#include "gui/tools/frm_roster_import.h"

#include "domain/files/system_files.h"
#include "domain/platform/platform.h"
#include "domain/roster/roster_xlsx.h"
#include "gui/run_companion.h"
#include "gui/run_journal.h"
#include "gui/window_registry.h"

#include "ui_frm_roster_import.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScreen>

const QString frmRosterImport::kCaption = QStringLiteral("名簿のファイルを選ぶ");
const QString frmRosterImport::kFilter =
    QStringLiteral("名簿（CSV・Excel）(*.csv *.txt *.tsv *.xlsx *.xlsm)");
const QString frmRosterImport::kCannotOpen = QStringLiteral("名簿のファイル %1 を開けません。");
const QString frmRosterImport::kImported = QStringLiteral(
    "名簿に %1 人を取り込みました（取り込まなかった行 %2）。\n"
    "ジョブを保存すると、名簿も保存されます。");
const QString frmRosterImport::kReplaceQuestion = QStringLiteral(
    "このジョブには名簿（%1 人）があり、%2 人の注文がその名簿の生徒に結び付いています。\n"
    "名簿を入れ替えると、その結び付きは外れます。入れ替えますか？");
const QString frmRosterImport::kReplace = QStringLiteral("入れ替える");
const QString frmRosterImport::kKeep = QStringLiteral("やめる");
const QString frmRosterImport::kSummary =
    QStringLiteral("取り込む生徒 %1 人、取り込まない行 %2（%3）");

namespace {

// Shown of a large file: its problems are all listed all the same.
constexpr int kRowsShown = 500;

const QList<std::pair<RosterField, QString>> kFieldNames = {
    {RosterField::Ignored, QStringLiteral("（使わない）")},
    {RosterField::Grade, QStringLiteral("学年")},
    {RosterField::Class, QStringLiteral("組")},
    {RosterField::Number, QStringLiteral("番号")},
    {RosterField::Name, QStringLiteral("氏名")},
    {RosterField::Kana, QStringLiteral("ふりがな")},
    {RosterField::Id, QStringLiteral("ID")},
};

}  // namespace

frmRosterImport::frmRosterImport(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmRosterImport>()) {
    ui->setupUi(this);
    ui->cmdImport->setAutoDefault(true);
    ui->cmdCancel->setAutoDefault(true);
    ui->cmdBrowse->setAutoDefault(true);
    connect(ui->cmdBrowse, &QPushButton::clicked, this, &frmRosterImport::cmdBrowse_Click);
    connect(ui->cmdImport, &QPushButton::clicked, this, &frmRosterImport::cmdImport_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->cboSheet, &QComboBox::activated, this, &frmRosterImport::cboSheet_Click);
    ui->cmdImport->setEnabled(false);
    ui->lblSheet->hide();
    ui->cboSheet->hide();
}

frmRosterImport::~frmRosterImport() = default;

void frmRosterImport::open() {
    if (!placed_) {
        if (const QWidget* from = QApplication::activeWindow(); from && from != this) {
            // Centred over it, its title bar on the screen.
            QPoint at = from->frameGeometry().center() - rect().center();
            if (const QScreen* screen = from->screen())
                at.setY(std::max(at.y(), screen->availableGeometry().top() + 30));
            move(at);
        }
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    if (!table_)
        cmdBrowse_Click();
}

void frmRosterImport::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmRosterImport::cmdBrowse_Click() {
    const QString path = context_.platform.chooseFileToOpen(kCaption, {kFilter}, kFilter);
    if (!path.isEmpty())
        readFile(path);
    // The dialog gave the window it came from the activation back: this one.
    raise();
    activateWindow();
}

bool frmRosterImport::readFile(const QString& path) {
    QFile file;
    if (SystemFiles::openRegularFile(path, file) != SystemFiles::Opened::Yes) {
        context_.platform.showMessage(kCannotOpen.arg(QDir::toNativeSeparators(path)));
        return false;
    }
    // One byte past the largest taken tells a file too large.
    const QByteArray bytes = file.read(kMaxRosterFileBytes + 1);
    if (isRosterWorkbook(path, bytes))
        return readWorkbook(path, bytes);
    const RosterReadResult read = readRosterCsv(bytes);
    if (!read.table) {
        context_.platform.showMessage(read.refusal);
        return false;
    }
    workbook_.clear();
    ui->lblSheet->hide();
    ui->cboSheet->hide();
    table_ = read.table;
    showPath(path);
    showTable();
    return true;
}

bool frmRosterImport::readWorkbook(const QString& path, const QByteArray& bytes) {
    const RosterSheets sheets = rosterXlsxSheets(bytes);
    if (!sheets.refusal.isEmpty()) {
        context_.platform.showMessage(sheets.refusal);
        return false;
    }
    workbook_ = bytes;
    showPath(path);
    ui->cboSheet->clear();
    ui->cboSheet->addItems(sheets.names);
    ui->cboSheet->setCurrentIndex(0);
    ui->lblSheet->setVisible(sheets.names.size() > 1);
    ui->cboSheet->setVisible(sheets.names.size() > 1);
    return showSheet(0);
}

void frmRosterImport::cboSheet_Click(int index) {
    showSheet(index);
}

// A sheet that is no roster (an empty one, a cover) is told, and another
// may be chosen.
bool frmRosterImport::showSheet(int index) {
    const RosterReadResult read = readRosterXlsx(workbook_, index);
    if (!read.table) {
        context_.platform.showMessage(read.refusal);
        clearTable();
        return false;
    }
    table_ = read.table;
    showTable();
    return true;
}

void frmRosterImport::showPath(const QString& path) {
    ui->lblFilePath->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

void frmRosterImport::clearTable() {
    table_.reset();
    import_ = {};
    choosers_.clear();
    ui->tblRows->clear();
    ui->tblRows->setRowCount(0);
    ui->tblRows->setColumnCount(0);
    ui->lstProblems->clear();
    ui->lblSummary->clear();
    ui->cmdImport->setEnabled(false);
}

QVector<RosterField> frmRosterImport::columns() const {
    QVector<RosterField> fields;
    for (const QComboBox* chooser : choosers_)
        fields << RosterField(chooser->currentData().toInt());
    return fields;
}

void frmRosterImport::showTable() {
    const RosterTable& table = *table_;
    const QVector<RosterField> guessed = guessRosterColumns(table.headers);
    QTableWidget* grid = ui->tblRows;
    grid->clear();
    choosers_.clear();
    const int shown = std::min<int>(int(table.rows.size()), kRowsShown);
    grid->setColumnCount(int(table.headers.size()));
    grid->setRowCount(shown + 1);
    grid->setHorizontalHeaderLabels(table.headers);
    QStringList lines = {QStringLiteral("列")};
    for (int r = 0; r < shown; ++r)
        lines << QString::number(table.rowNumbers[r]);
    grid->setVerticalHeaderLabels(lines);
    // The first row chooses what each column holds.
    for (int c = 0; c < table.headers.size(); ++c) {
        auto* chooser = new QComboBox(grid);
        chooser->setAccessibleName(QStringLiteral("%1 の列の中身").arg(table.headers[c]));
        for (const auto& [field, name] : kFieldNames)
            chooser->addItem(name, int(field));
        chooser->setCurrentIndex(chooser->findData(int(guessed.value(c))));
        connect(chooser, &QComboBox::currentIndexChanged, this, &frmRosterImport::showProblems);
        grid->setCellWidget(0, c, chooser);
        choosers_ << chooser;
    }
    for (int r = 0; r < shown; ++r)
        for (int c = 0; c < table.rows[r].size() && c < grid->columnCount(); ++c)
            grid->setItem(r + 1, c, new QTableWidgetItem(table.rows[r][c]));
    grid->resizeColumnsToContents();
    showProblems();
}

void frmRosterImport::showProblems() {
    import_ = importRoster(*table_, columns());
    ui->lstProblems->clear();
    leftOut_ = 0;
    for (const RosterProblem& problem : std::as_const(import_.problems)) {
        ui->lstProblems->addItem(QStringLiteral("%1 行目：%2").arg(problem.row).arg(problem.text));
        leftOut_ += problem.leftOut ? 1 : 0;
    }
    ui->lblSummary->setText(
        kSummary.arg(import_.roster.size()).arg(leftOut_).arg(table_->encoding));
    ui->cmdImport->setEnabled(!import_.roster.isEmpty());
}

void frmRosterImport::cmdImport_Click() {
    if (!table_ || import_.roster.isEmpty())
        return;
    JobCompanion& companion = context_.companion;
    if (!companion.ties.empty()) {
        // The focus on keeping: an Enter typed ahead loses no tie.
        const int answer = context_.platform.askChoice(
            kReplaceQuestion.arg(companion.roster.size()).arg(companion.ties.size()),
            {kReplace, kKeep}, 1, 1);
        if (answer != 0)
            return;
    }
    companion.roster = import_.roster;
    companion.ties.clear();
    recordCompanionInJournal(context_);
    untieOpenSlipForNewRoster(context_);
    context_.platform.showMessage(kImported.arg(companion.roster.size()).arg(leftOut_));
    emit imported(companion.roster.size());
    close();
}
