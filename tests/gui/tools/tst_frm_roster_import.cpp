// SPDX-License-Identifier: MIT
// The roster import window, opened from the input screen's Tools menu: the
// file's rows under the columns guessed, a column chosen again, every
// problem row listed, the roster put into the job; a file that is no
// roster refused; ties to the roster there asked about before replacing it.

#include "gui/input/form1.h"
#include "gui/tools/frm_roster_import.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <QAction>
#include <QComboBox>
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
        frmRosterImport* window = openFromMenu(file(QStringLiteral("名簿.csv"), "PK\x03\x04xlsx"));
        QVERIFY(window);
        QCOMPARE(program->platform.messages, QStringList{RosterCsvTexts::kNotText});
        QVERIFY(!control<QPushButton>(window, "cmdImport")->isEnabled());
    }
};

QTEST_MAIN(TestFrmRosterImport)
#include "tst_frm_roster_import.moc"
