// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/lab_export.h"

#include <memory>

#include <QString>
#include <QWidget>

struct RunContext;

namespace Ui {
class frmLabExport;
}

// The lab export: the operator picks 写真番号別 or 個人別 and the encoding,
// then "書き出す" asks for the file and writes the registered pupils' counts
// there. Kept for the run once opened, so it offers the same choices and
// folder again; "キャンセル", Esc and the close box hide it.
class frmLabExport : public QWidget {
    Q_OBJECT
public:
    explicit frmLabExport(RunContext& context);
    ~frmLabExport() override;

    // Shows the window over the others with the keyboard on the chosen
    // kind of export.
    void open();

    LabExportKind kind() const;
    LabExportEncoding encoding() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdExport_Click();
    // Where the file dialog starts: the folder of the last export, of the
    // job file loaded, or the documents folder.
    QString startFolder() const;

    RunContext& context_;
    std::unique_ptr<Ui::frmLabExport> ui;
    QString lastFolder_;
    bool placed_ = false;
};
