// SPDX-License-Identifier: MIT
// The roster import window, opened from the input screen's Tools menu: the
// file's rows under the columns guessed, a column chosen again, every
// problem row listed, the roster put into the job; a file that is no
// roster refused; ties to the roster there asked about before replacing it;
// a workbook's sheet chosen.

#include "gui/input/form1.h"
#include "gui/tools/frm_roster_import.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"
#include "support/xlsx_builder.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestFrmRosterImport : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    QTemporaryDir dir;

    QString file(const QString& name, const QByteArray& bytes) {
        QFile out(dir.filePath(name));
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
        return out.fileName();
    }
    frmRosterImport* openFromMenu(const QString& path) {
        program->platform.fileAnswers = {path};
        Form1* form = nullptr;
        if (!showActive(*program, form))
            return nullptr;
        control<QAction>(form, "mnuRosterImport")->trigger();
        return program->windows.find<frmRosterImport>();
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        program->job = keyedJob();
    }
    void cleanup() { program.reset(); }

    void import_showsRowsAndProblems_thenPutsTheRosterIntoTheJob() {
        const QString path = file(QStringLiteral("名簿.csv"),
                                  QStringLiteral("組,番号,氏名,備考\n1,1,山田 太郎,\n1,2,,転出\n"
                                                 "1,3,佐藤 花子,\n")
                                      .toUtf8());
        frmRosterImport* window = openFromMenu(path);
        QVERIFY(window);
        auto* rows = control<QTableWidget>(window, "tblRows");
        QCOMPARE(rows->rowCount(), 4);  // the column choosers, then three rows
        QCOMPARE(rows->item(3, 2)->text(), QStringLiteral("佐藤 花子"));
        QCOMPARE(window->columns(),
                 (QVector<RosterField>{RosterField::Class, RosterField::Number, RosterField::Name,
                                       RosterField::Ignored}));
        auto* problems = control<QListWidget>(window, "lstProblems");
        QCOMPARE(problems->count(), 1);
        QCOMPARE(problems->item(0)->text(), QStringLiteral("3 行目：") + RosterCsvTexts::kNoName);

        // The name column left unused: nothing can be taken.
        auto* nameColumn = qobject_cast<QComboBox*>(rows->cellWidget(0, 2));
        auto* import = control<QPushButton>(window, "cmdImport");
        nameColumn->setCurrentIndex(nameColumn->findData(int(RosterField::Ignored)));
        QVERIFY(!import->isEnabled());
        nameColumn->setCurrentIndex(nameColumn->findData(int(RosterField::Name)));
        QVERIFY(import->isEnabled());

        QTest::mouseClick(import, Qt::LeftButton);
        QCOMPARE(program->context.companion.roster.size(), 2);
        QCOMPARE(program->platform.messages.last(), frmRosterImport::kImported.arg(2).arg(1));
        QVERIFY(!window->isVisible());

        // Ties to that roster are not dropped unasked.
        program->context.companion.ties[1] = 0;
        window->open();
        program->platform.choiceAnswers = {1};  // やめる
        QTest::mouseClick(import, Qt::LeftButton);
        QCOMPARE(program->context.companion.ties.size(), std::size_t(1));
    }

    void open_aFileThatIsNoRoster_isRefusedWithItsReason() {
        frmRosterImport* window =
            openFromMenu(file(QStringLiteral("名簿.csv"), QByteArray("\x89PNG\r\n\x1a\n\0", 9)));
        QVERIFY(window);
        QCOMPARE(program->platform.messages, QStringList{RosterCsvTexts::kNotText});
        QVERIFY(!control<QPushButton>(window, "cmdImport")->isEnabled());
    }

    // A workbook of two sheets shows the first; the second chosen shows its
    // rows instead, and is the one imported. A CSV file read after it has no
    // sheets to choose.
    void workbook_sheetChosen_showsAndImportsThatSheet() {
        const QString path =
            file(QStringLiteral("名簿.xlsx"),
                 XlsxBuilder()
                     .table(QStringLiteral("6年"), {{"組", "番号", "氏名"}, {"1", "1", "山田"}})
                     .table(QStringLiteral("5年"),
                            {{"組", "番号", "氏名"}, {"2", "1", "佐藤"}, {"2", "2", "鈴木"}})
                     .bytes());
        frmRosterImport* window = openFromMenu(path);
        QVERIFY(window);
        QCOMPARE(program->platform.fileDialogs.last().filters,
                 QStringList{frmRosterImport::kFilter});
        auto* sheets = control<QComboBox>(window, "cboSheet");
        auto* rows = control<QTableWidget>(window, "tblRows");
        QVERIFY(sheets->isVisible());
        QCOMPARE(sheets->count(), 2);
        QCOMPARE(sheets->currentText(), QStringLiteral("6年"));
        QCOMPARE(rows->item(1, 2)->text(), QStringLiteral("山田"));

        sheets->setFocus();
        QTest::keyClick(sheets, Qt::Key_Down);
        QCOMPARE(rows->rowCount(), 3);
        QCOMPARE(rows->item(2, 2)->text(), QStringLiteral("鈴木"));
        QCOMPARE(control<QLabel>(window, "lblSummary")->text(),
                 frmRosterImport::kSummary.arg(2).arg(0).arg("Excel"));
        QTest::mouseClick(control<QPushButton>(window, "cmdImport"), Qt::LeftButton);
        QCOMPARE(program->context.companion.roster.pupils().first().name, QStringLiteral("佐藤"));

        window->open();
        QVERIFY(window->readFile(file(QStringLiteral("名簿.csv"), "氏名,ID\n山田,A1\n")));
        QVERIFY(!sheets->isVisible());
    }
};

QTEST_MAIN(TestFrmRosterImport)
#include "tst_frm_roster_import.moc"
