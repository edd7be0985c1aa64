// SPDX-License-Identifier: MIT
#pragma once

#include "domain/roster/roster_csv.h"

#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QWidget>

class QComboBox;
struct RunContext;

namespace Ui {
class frmRosterImport;
}

// The school's roster read into the job: the operator picks a CSV file or an
// Excel workbook (and of a workbook with more than one sheet, the sheet: the
// first, unless chosen again), sees its rows under the columns guessed from
// their headers (each column can be chosen again), and every row that cannot be taken as it is,
// with its line and cause; "取り込む" puts the roster into the job, to be saved beside the job file
// with the job. Kept for the run once opened; "キャンセル", Esc and the close box hide it.
class frmRosterImport : public QWidget {
    Q_OBJECT
public:
    explicit frmRosterImport(RunContext& context);
    ~frmRosterImport() override;

    // Shows the window over the others; with no file read yet, asks for one.
    void open();

    // Reads the roster file at path and shows it; false when it was refused
    // (the operator is told why). A workbook shows its first sheet.
    bool readFile(const QString& path);

    QVector<RosterField> columns() const;

    static const QString kCaption;
    static const QString kFilter;
    static const QString kCannotOpen;       // %1: the file
    static const QString kImported;         // %1: pupils, %2: rows left out
    static const QString kReplaceQuestion;  // %1: pupils now, %2: ties
    static const QString kReplace;
    static const QString kKeep;
    static const QString kSummary;  // %1: pupils, %2: rows left out, %3: encoding

signals:
    // The roster has been put into the job.
    void imported(int pupils);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdBrowse_Click();
    void cmdImport_Click();
    void cboSheet_Click(int index);
    bool readWorkbook(const QString& path, const QByteArray& bytes);
    bool showSheet(int index);
    void showPath(const QString& path);
    void clearTable();
    void showTable();
    void showProblems();

    RunContext& context_;
    std::unique_ptr<Ui::frmRosterImport> ui;
    std::optional<RosterTable> table_;
    QByteArray workbook_;  // the workbook read, when it is one: its sheets are read from it
    QVector<QComboBox*> choosers_;
    RosterImport import_;
    int leftOut_ = 0;  // rows of the import not in its roster
    bool placed_ = false;
};
