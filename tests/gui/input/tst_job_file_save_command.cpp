// SPDX-License-Identifier: MIT
#include "domain/files/job_file_commands.h"
#include "domain/files/job_file_loader.h"
#include "gui/dialogs/frm_end.h"
#include "gui/input/form1.h"
#include "gui/setup/frm_film.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The save command of the input screen: the dialog, the file it writes and
// what the operator is told.
class TestJobFileSaveCommand : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    Form1* form = nullptr;
    std::unique_ptr<QTemporaryDir> dir;  // a fresh one for each test

    FakePlatform& platform() { return program->platform; }

    void openForm(const JobState& job) {
        program->job = job;
        QVERIFY(handOverToInputScreen(*program, form));
    }

    enum class Way { Button, CtrlS, Menu };
    void save(Way way, const QString& answer) {
        platform().fileAnswers = {answer};
        switch (way) {
            case Way::Button:
                QTest::mouseClick(control<QPushButton>(form, "Command2"), Qt::LeftButton);
                break;
            case Way::CtrlS:
                QTest::keyClick(keyTarget(), Qt::Key_S, Qt::ControlModifier);
                break;
            case Way::Menu:
                control<QAction>(form, "mnuSave")->trigger();
                break;
        }
    }

    // Loads the job file at path on the setup screen of a run (this test's
    // own unless another is given) and goes on to the input screen.
    void loadAndStart(const QString& path, Program<FakePlatform>* run = nullptr) {
        ::loadAndStart(run ? *run : *program, path, form);
    }

    void saveAsProposed() { ::saveAsProposed(platform()); }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        form = nullptr;
        program.reset();
        dir.reset();
    }

    void save_writesFileThatLoadsBack_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Command2") << int(Way::Button);
        QTest::newRow("Ctrl+S") << int(Way::CtrlS);
        QTest::newRow("mnuSave") << int(Way::Menu);
    }
    void save_writesFileThatLoadsBack() {
        QFETCH(int, way);
        openForm(keyedJob());
        QVERIFY(control<QPushButton>(form, "Command2")->isEnabled());
        QVERIFY(control<QAction>(form, "mnuSave")->isEnabled());
        const QString path = dir->filePath(QStringLiteral("save%1.ptl").arg(way));
        save(Way(way), path);

        QCOMPARE(platform().fileDialogs.size(), 1);
        const FileDialogRequest& asked = platform().fileDialogs.constFirst();
        QCOMPARE(asked.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(asked.caption, QStringLiteral("データ保存"));
        QCOMPARE(asked.filters, QStringList{QStringLiteral("標準ファイル(*.ptl)")});
        QCOMPARE(QFileInfo(asked.suggestedPath).fileName(),
                 QStringLiteral("さくら小学校_運動会.ptl"));
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!documents.isEmpty())
            QCOMPARE(QFileInfo(asked.suggestedPath).absolutePath(), QDir(documents).absolutePath());
        QVERIFY2(platform().messages.isEmpty(), qPrintable(platform().messages.join('\n')));

        JobState loaded;
        const JobFileLoadResult result = LoadJobFile(loaded, path);
        QVERIFY2(result.complete(), qPrintable(result.message));
        verifySameJob(loaded, program->job);
        if (QTest::currentTestFailed())
            return;

        // Keying goes on: the focus is not left on the save button, where
        // the next Enter would save again.
        QCOMPARE(QApplication::focusWidget(), form->centralWidget());
    }

    void cancelledDialog_writesNothing() {
        openForm(keyedJob());
        save(Way::Button, QString());
        QCOMPARE(platform().fileDialogs.size(), 1);
        QVERIFY(platform().messages.isEmpty());
        QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
    }

    void failingSave_toldAndPreviousFileKept_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("previousFile");
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing folder")
            << QStringLiteral("nowhere/job.ptl") << false << JobFileSaveMessages::kFolderMissing;
        // The copy of the previous version cannot be made: a folder holds its name.
        QTest::newRow("backup blocked")
            << QStringLiteral("job.ptl") << true << JobFileSaveMessages::kIsFolder;
    }
    void failingSave_toldAndPreviousFileKept() {
        QFETCH(QString, name);
        QFETCH(bool, previousFile);
        QFETCH(QString, cause);
        const QString path = dir->filePath(name);
        const QByteArray previous("previous contents\r\n");
        if (previousFile) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(previous);
            file.close();
            QVERIFY(QDir(dir->path()).mkdir(QFileInfo(backupPathFor(path)).fileName()));
        }
        openForm(keyedJob());
        save(Way::Button, path);
        QCOMPARE(platform().messages.size(), 1);
        QVERIFY2(platform().messages.constFirst().startsWith(
                     QStringLiteral("データを保存できませんでした。")),
                 qPrintable(platform().messages.constFirst()));
        QVERIFY(platform().messages.constFirst().contains(cause));
        if (previousFile)
            QCOMPARE(fileBytes(path), previous);
        else
            QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QApplication::focusWidget(), form->centralWidget());

        // Nothing was saved: the next save proposes a new file again.
        save(Way::CtrlS, QString());
        QCOMPARE(QFileInfo(platform().fileDialogs.constLast().suggestedPath).fileName(),
                 QStringLiteral("さくら小学校_運動会.ptl"));
    }

    void openEntry_leftOutAndStillOpen() {
        openForm(keyedJob());
        typeIntoFocus(QStringLiteral("12\r12\r"));
        QCOMPARE(program->job.pendingEntry, QStringLiteral("12 12 "));
        const QString path = dir->filePath(QStringLiteral("open.ptl"));
        save(Way::CtrlS, path);

        QCOMPARE(platform().messages.size(), 1);
        QVERIFY(platform().messages.constFirst().contains(QStringLiteral("2 枚")));
        QCOMPARE(program->job.pendingEntry, QStringLiteral("12 12 "));
        JobState loaded;
        QVERIFY(LoadJobFile(loaded, path).complete());
        QCOMPARE(loaded.printCounts, countsOfRecords(loaded));
        QCOMPARE(loaded.printCounts[12], program->job.printCounts[12] - 2);
        QCOMPARE(loaded.grandTotalPrints, program->job.grandTotalPrints - 2);
        QCOMPARE(loaded.personCount, program->job.personCount);

        // Registered, the pupil is in the next save.
        typeIntoFocus(QStringLiteral("/"));
        platform().clear();
        save(Way::CtrlS, path);
        QVERIFY(platform().messages.isEmpty());
        JobState again;
        QVERIFY(LoadJobFile(again, path).complete());
        verifySameJob(again, program->job);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QFileInfo::exists(backupPathFor(path)), true);
    }

    void suggestion_followsTheFilesOfTheRun() {
        // A job loaded on the setup screen: that file itself.
        const QDir loadDir(dir->filePath(QStringLiteral("loaded")));
        QVERIFY(loadDir.mkpath(QStringLiteral(".")));
        const QString loadedPath = loadDir.filePath(QStringLiteral("old name.ptl"));
        QVERIFY(writeJob(keyedJob(), loadedPath));
        loadAndStart(loadedPath);
        if (QTest::currentTestFailed())
            return;

        const QString savedPath = dir->filePath(QStringLiteral("elsewhere.ptl"));
        save(Way::Button, savedPath);
        QCOMPARE(platform().fileDialogs.size(), 2);
        QCOMPARE(platform().fileDialogs[1].suggestedPath, loadedPath);

        // Then the file saved last.
        save(Way::Button, QString());
        QCOMPARE(platform().fileDialogs[2].suggestedPath, savedPath);
    }

    void ctrlS_afterLoad_writesBackToTheLoadedFile() {
        const QString job1 = dir->filePath(QStringLiteral("job1.ptl"));
        QVERIFY(writeJob(keyedJob(), job1));
        const QByteArray yesterday = fileBytes(job1);
        loadAndStart(job1);
        if (QTest::currentTestFailed())
            return;
        typeIntoFocus(QStringLiteral("7\r8\r/"));
        const Number persons = program->job.personCount;

        saveAsProposed();
        QCOMPARE(platform().fileDialogs.constLast().suggestedPath, job1);
        QVERIFY2(platform().messages.isEmpty(), qPrintable(platform().messages.join('\n')));
        JobState loaded;
        QVERIFY(LoadJobFile(loaded, job1).complete());
        QCOMPARE(loaded.personCount, persons);
        verifySameJob(loaded, program->job);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(fileBytes(backupPathFor(job1)), yesterday);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("job1.ptl"), QStringLiteral("job1.ptl.bak")}));

        // And again after that save.
        const QByteArray saved = fileBytes(job1);
        typeIntoFocus(QStringLiteral("9\r/"));
        saveAsProposed();
        QCOMPARE(platform().fileDialogs.constLast().suggestedPath, job1);
        QCOMPARE(fileBytes(backupPathFor(job1)), saved);
        QVERIFY(LoadJobFile(loaded, job1).complete());
        QCOMPARE(loaded.personCount, persons + 1);
    }

    // Two programs load one job file (a shared folder); the first saves
    // its pupil, then the second would write over it.
    void twoRunsOnOneFile_secondSaveAsksAndNeverOverwrites_data() {
        QTest::addColumn<bool>("saveElsewhere");
        QTest::newRow("saved under another name") << true;
        QTest::newRow("cancelled") << false;
    }
    void twoRunsOnOneFile_secondSaveAsksAndNeverOverwrites() {
        QFETCH(bool, saveElsewhere);
        const QString shared = dir->filePath(QStringLiteral("shared.ptl"));
        QVERIFY(writeJob(keyedJob(), shared));
        Program<FakePlatform> other;
        loadAndStart(shared, &other);
        Form1* otherForm = form;
        loadAndStart(shared);
        if (QTest::currentTestFailed())
            return;

        otherForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(otherForm));
        typeIntoFocus(QStringLiteral("11\r/"));
        other.platform.onFileDialog = [](const FileDialogRequest& r) { return r.suggestedPath; };
        QTest::keyClick(keyTarget(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(other.platform.choices.isEmpty());
        const QByteArray firstSave = fileBytes(shared);

        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        typeIntoFocus(QStringLiteral("22\r/"));
        platform().choiceAnswers = {saveElsewhere ? 0 : 1};
        saveAsProposed();
        QCOMPARE(platform().choices.size(), 1);
        const FakePlatform::Choice& asked = platform().choices.constFirst();
        QVERIFY2(asked.text.startsWith(
                     QStringLiteral("「%1」は、").arg(QDir::toNativeSeparators(shared))),
                 qPrintable(asked.text));
        QVERIFY(
            asked.text.contains(QFileInfo(shared).lastModified().toString(u"yyyy/MM/dd HH:mm:ss")));
        QCOMPARE(asked.answers,
                 (QStringList{QStringLiteral("別の名前で保存"), QStringLiteral("キャンセル")}));
        QCOMPARE(fileBytes(shared), firstSave);

        const QString beside = dir->filePath(QStringLiteral("shared_2.ptl"));
        QCOMPARE(QFileInfo::exists(beside), saveElsewhere);
        if (!saveElsewhere) {
            QCOMPARE(platform().fileDialogs.size(), 2);  // the load's and the save's
            return;
        }
        QCOMPARE(platform().fileDialogs.constLast().suggestedPath, beside);
        JobState loaded;
        QVERIFY(LoadJobFile(loaded, beside).complete());
        verifySameJob(loaded, program->job);
        // The run now works on the new file: saving again asks nothing.
        typeIntoFocus(QStringLiteral("23\r/"));
        saveAsProposed();
        QCOMPARE(platform().choices.size(), 1);
        QVERIFY(LoadJobFile(loaded, beside).complete());
        QCOMPARE(loaded.personCount, program->job.personCount);
        QCOMPARE(fileBytes(shared), firstSave);
    }

    // Closing the input screen with pupils that no job file has: asked
    // first, the focus on going back.
    void closing_withUnsavedWork_asksFirst_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QList<int>>("answers");  // the choice's, then the dialog's (1: a file)
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("saved");
        QTest::newRow("close box, back") << "closeBox" << QList<int>{2} << false << false;
        QTest::newRow("close box, Esc") << "closeBox" << QList<int>{} << false << false;
        QTest::newRow("close box, save") << "closeBox" << QList<int>{0, 1} << true << true;
        QTest::newRow("close box, save cancelled")
            << "closeBox" << QList<int>{0, 0} << false << false;
        QTest::newRow("終了, without saving") << "Command3" << QList<int>{1} << true << false;
        QTest::newRow("終了 → OK, back") << "FrmEnd" << QList<int>{2} << false << false;
    }
    void closing_withUnsavedWork_asksFirst() {
        QFETCH(QString, way);
        QFETCH(QList<int>, answers);
        QFETCH(bool, ends);
        QFETCH(bool, saved);
        const QString job1 = dir->filePath(QStringLiteral("job1.ptl"));
        QVERIFY(writeJob(keyedJob(), job1));
        loadAndStart(job1);
        if (QTest::currentTestFailed())
            return;
        const QByteArray before = fileBytes(job1);
        if (way == "FrmEnd") {
            // Nothing unsaved: the exit confirmation as it always was; then a
            // pupil keyed while it is up.
            QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
            QVERIFY(platform().choices.isEmpty());
            FrmEnd* confirmation = program->windows.find<FrmEnd>();
            QVERIFY(confirmation && confirmation->isVisible());
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form));
        }
        typeIntoFocus(QStringLiteral("7\r"));
        if (!answers.isEmpty())
            platform().choiceAnswers = {answers.takeFirst()};
        if (!answers.isEmpty())
            platform().fileAnswers = {answers.takeFirst() ? job1 : QString()};
        if (way == "closeBox")
            form->close();
        else if (way == "Command3")
            QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
        else
            QTest::mouseClick(control<QPushButton>(program->windows.find<FrmEnd>(), "Command1"),
                              Qt::LeftButton);

        QCOMPARE(platform().choices.size(), 1);
        const FakePlatform::Choice& asked = platform().choices.constFirst();
        QCOMPARE(asked.text, Form1Texts::kUnsavedQuestion);
        QCOMPARE(asked.answers, (QStringList{Form1Texts::kSaveAndEnd, Form1Texts::kEndWithoutSaving,
                                             Form1Texts::kGoBack}));
        QCOMPARE(asked.defaultAnswer, 2);
        QCOMPARE(asked.escapeAnswer, 2);
        QCOMPARE(platform().programEnds, ends ? 1 : 0);
        QCOMPARE(form->isVisible(), !ends || way != "closeBox");
        QCOMPARE(fileBytes(job1) != before, saved);
        // The open pupil is registered when the run ends (and saved with it);
        // otherwise the slip is still open, and its next number joins it.
        const Number registered = program->job.personCount;
        QCOMPARE(program->job.pendingEntry.isEmpty(), ends);
        if (saved) {
            JobState inFile;
            QVERIFY(LoadJobFile(inFile, job1).complete());
            QCOMPARE(inFile.personRecords, program->job.personRecords);
        }
        if (!ends) {
            typeIntoFocus(QStringLiteral("44\r/"));
            QCOMPARE(program->job.personCount, registered + 1);
            QVERIFY(program->job.personRecords[int(registered) + 1].contains(u" 7 44 "));
        }
    }
};

QTEST_MAIN(TestJobFileSaveCommand)
#include "tst_job_file_save_command.moc"
