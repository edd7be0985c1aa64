// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/class_lists.h"
#include "domain/tools/lab_export.h"
#include "domain/tools/pupil_slips.h"

#include <memory>
#include <optional>

#include <QString>
#include <QWidget>

struct RunContext;
class PrintDocument;

namespace Ui {
class frmRosterPrint;
}

// What the studio prints from the roster: the order slips before the
// event, and after the keying the envelope slips, the class totals, the
// pupils who have not ordered and the money list. The operator picks one,
// a class or all, the paper, and previews it (from where it is printed or
// saved as PDF); the three lists are also written as a workbook or CSV.
// Each preview takes the job as it stands (registered pupils only). Kept
// for the run once opened; "閉じる", Esc and the close box hide it.
class frmRosterPrint : public QWidget {
    Q_OBJECT
public:
    explicit frmRosterPrint(RunContext& context);
    ~frmRosterPrint() override;

    // Shows the window over the others, its class list read again from the
    // roster as it is now.
    void open();

    enum class Kind { OrderSlips, EnvelopeSlips, ClassTotals, NotOrdered, Money };
    Kind kind() const;

    // The document of the choices made, and its title; none without a
    // roster (every kind needs one but the envelope slips).
    std::shared_ptr<PrintDocument> document(QString* title) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showChoices();
    std::optional<RosterClass> chosenClass() const;
    // The encoding a table written as CSV takes; a workbook has none.
    LabExportEncoding csvEncoding() const;
    ClassList chosenList() const;
    void cmdPreview_Click();
    void cmdExport_Click();

    RunContext& context_;
    std::unique_ptr<Ui::frmRosterPrint> ui;
    QVector<RosterClass> classes_;
    QString lastFolder_;
    bool placed_ = false;
};

namespace RosterPrintTexts {
extern const QString kAllClasses;  // すべての組
extern const QString kNote;        // %1: pupils in the roster, %2: registered pupils
extern const QString kNoRoster;
}  // namespace RosterPrintTexts
