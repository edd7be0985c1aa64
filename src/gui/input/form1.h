// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/order_entry.h"
#include "domain/platform/platform_relay.h"
#include "gui/input/input_keys.h"

#include <memory>

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

struct ChangingLabels;
struct GlyphImages;
struct JournalContents;
struct JournalEntry;
struct RunContext;
class SlipTieKeying;
namespace Ui {
class Form1;
}

// The input screen: the operator keys the order slips here. A thin window
// over the order-entry engine: every key goes to the engine before the
// control that has the focus sees it, and the window shows the engine's
// display state.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(RunContext& context);
    ~Form1() override;

    OrderEntry& engine() { return engine_; }
    SlipTieKeying& tieKeying() { return *tieKeying_; }

    // Called by the setup screen when it hands over: the recent-entries list
    // takes no input method, so that a Japanese input method never swallows
    // the keypad.
    void switchOffListInputMethod();

    // The finish button and the quit menu: asks whether to end the program.
    void finishInput();

    // The exit confirmation; for a job with work that no job file holds,
    // the question whether to save it first.
    void showExitConfirmation();

    // Before the run ends: when the job holds work that no job file has, asks
    // whether to save it (and saves it), end without it (its journal is set
    // aside) or go back. An open pupil is registered only when the answer
    // ends the run: after going back, or a save that did not happen, the
    // screen is as it was, the pupil still open. True when the run may end.
    bool mayEndRun();

    // Opens frmAlert or frmStop over this screen (already disabled); its
    // closing hands the screen back.
    void openAlertWindow(AlertWindow window);

    // An alert window over the screen has closed.
    void alertWindowClosed();

    // Shows the per-size totals again (a correction has changed them).
    void refreshTotals();

    // The save command (Command2 "データ保存", mnuSave): asks for a file
    // and writes the registered pupils' job there. True when it was saved.
    bool saveJob();

    // The settings view (mnuSettei), modeless.
    void showSettings();

    // Combining jobs (mnuCombine): adds another job file's pupils after the
    // registered ones, once the operator has seen what it holds and agreed.
    void combineJobFile();

    // Rebuilds the job and this screen from a journal read back after a
    // crash: the job must hold the journal's start; every entry is handed
    // to the engine (or the correction) again, silently, and the journal
    // goes on from there.
    void restoreJournal(const JournalContents& contents);

    // Shows the warning line while the journal cannot be written and keyed
    // work is at risk (something changed since the last complete save),
    // hides it otherwise. A label: it takes no focus and no key.
    void showJournalWarning();

signals:
    // The typed number (Label1) shows another text.
    void typedNumberChanged(const QString& typed);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool mayEndWithUnsavedWork();
    // The constructor's steps: the controls' looks and keys, the menus'
    // separator names, the commands of the buttons and menu entries, and the
    // picture's paging and the copy count.
    void setupControls();
    void setupMenus();
    void connectCommands();
    void connectPagesAndCopyCount();

    void Form_Load();
    void Form_Activate();
    void handleKey(QKeyEvent* event);
    // Saving before the run ends: the file gets the open pupil registered,
    // and this screen registers it once the file holds it.
    bool saveBeforeEnd();
    // The save command for job (the run's job, or it with its open pupil
    // registered: registersOpenPupil), and what the run then knows of the
    // file and the journal is told.
    bool runSaveCommand(const JobState& job, bool registersOpenPupil);
    // Shows the engine's display, touching only the controls whose content
    // changed since the last showing.
    void showDisplay();
    void showRecentEntries(const QStringList& items);
    // The newest recent entry current and in view, as the operator checks it.
    void showNewestRecentEntry();
    void VScroll1_ActionTriggered(int action);
    // Label1's own painting: its characters drawn from images made once, as
    // a face this large is drawn glyph by glyph from outlines every time.
    void paintTypedNumber();
    void previewKeysOf(QWidget* widget);
    void giveKeyingFocusBack();
    // Writes what the operator did to the journal, then hands it to the engine.
    void apply(const JournalEntry& entry);

    std::unique_ptr<Ui::Form1> ui;
    RunContext& context_;
    PlatformRelay platform_;  // muted while a journal is replayed
    OrderEntry engine_;
    InputDisplay shown_;  // what the controls show (its picture aside)
    bool shownOnce_ = false;
    std::unique_ptr<GlyphImages> typedNumberGlyphs_;
    std::unique_ptr<ChangingLabels> changingLabels_;
    bool activatedOnce_ = false;
    SlipTieKeying* tieKeying_ = nullptr;  // slips tied to the roster's pupils
};

// The question before a run with unsaved work ends, and its answers.
namespace Form1Texts {
inline const QString kUnsavedQuestion = QStringLiteral(
    "保存されていない入力があります。\n"
    "データ保存をしてから終了しますか？");
inline const QString kSaveAndEnd = QStringLiteral("保存して終了");
inline const QString kEndWithoutSaving = QStringLiteral("保存しないで終了");
inline const QString kGoBack = QStringLiteral("戻る");
}  // namespace Form1Texts
