// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/history.h"
#include "domain/job/job_state.h"
#include "domain/job/record_items.h"
#include "domain/platform/platform.h"

#include <functional>

#include <QString>
#include <QStringList>

// Where the keyboard focus of the input screen is.
enum class InputFocus { Form1, List1 };

// What the input screen shows, as data. The window shows exactly this.
struct InputDisplay {
    QString Label1;                                // the typed number: the input buffer
    QString Label3;                                // the copy count
    QString Label5 = QStringLiteral("枚");         // prints of the open entry
    QString Label13 = QStringLiteral("（人目）");  // number the open pupil will get
    QString tbHGoukei;                             // amount of the open pupil
    QString tbNin;                                 // pupils registered
    QString tbDaiNanMai;                           // large prints
    QString tbChuNanMai;                           // medium prints
    QString tbShouNanMai;                          // small prints
    QStringList List1;                             // the recent entries, at most 11
    int VScroll1 = 1;                              // the copy-count selector, 1 to 50
    bool cbMaeEnabled = true;
    bool cbAtoEnabled = true;
    bool form1Enabled = true;  // false while an alert window is open over the screen
    InputFocus focus = InputFocus::Form1;
    PictureBox Pic1;  // the history drawing
};

// The order-entry engine behind the input screen: the key interpreter,
// counting prints into the open entry, closing a pupil, the history and
// its paging. It works on the job and on the display state; the window
// turns key and click events into these calls and shows the display.
class OrderEntry {
public:
    static constexpr int kKeyBackSpace = 8;
    static constexpr int kKeyEnter = 13;
    static constexpr int kKeyUp = 38;
    static constexpr int kKeyDown = 40;
    static constexpr int kCopyCountMax = 50;

    OrderEntry(JobState& job, Platform& platform);

    JobState& job() { return job_; }
    const InputDisplay& display() const { return display_; }

    // The screen is loaded: sound paths from the program's directory, the
    // copy count shown, a fresh job's pupil numbering reset.
    void Form_Load(const QString& programDirectory);

    // The screen becomes active coming from another window of the program:
    // totals, pupil count, and the end of the history.
    void Form_Activate();

    // The key interpreter: a character (digits, "-", Back Space, ".", Enter,
    // "/", "*", "=") and the arrow keys.
    void Form_KeyPress(int keyAscii);
    void Form_KeyDown(int keyCode);

    // The copy-count selector moved (or was set) to value.
    void setVScroll1(int value);

    // The paging buttons.
    void cbMae_Click() { PageHistoryEarlier(); }
    void cbAto_Click() { PageHistoryLater(); }

    // Runs before anything that blocks or takes the focus away (a message
    // box, an alert window), so the screen shows the display as it is then.
    void setBeforeBlocking(std::function<void()> callback) {
        beforeBlocking_ = std::move(callback);
    }

    // An alert window over the screen has closed.
    void alertClosed();

    // Whether a photo number has a photo in the photo folder the operator
    // chose; empty (or answering true) while none is chosen. With it, an Enter that counts a
    // number without a photo sounds noPhotoSoundPath instead of the accept
    // sound, and its recent entries carry kNoPhotoMark, so the operator
    // looks at the slip again. The counting does not change.
    void setPhotoCheck(std::function<bool(int photoNumber)> hasPhoto) {
        hasPhoto_ = std::move(hasPhoto);
    }
    QString noPhotoSoundPath() const { return noPhotoSoundPath_; }

    // Shows the per-size totals of the job (after a correction changed them).
    void refreshTotalLabels();

    // The finish button, the quit menu and the window's close box register
    // an open entry (without sound) before the program ends. Returns false
    // when the entry could not be registered because the job is full.
    bool closeOpenEntryForFinish();

    // The shared procedures of order entry.
    void AddPrint();
    void RemovePrint();
    void RecountPendingEntry();
    bool ClosePerson();
    void CountHistoryRows();
    void RefreshHistory();
    int FillHistoryLines(Number firstRow, std::optional<Number> lastRow, int clearCount);
    void DrawHistoryList();
    void PageHistoryLater();
    void PageHistoryEarlier();

    // Texts of the messages order entry shows.
    static const QString kNoDataMessage;  // %1: the photo number taken back
    static const QString kEntryLimitMessage;
    static const QString kPhotoCountLimitMessage;
    static const QString kJobFullMessage;
    // After a recent entry whose number has no photo.
    static const QString kNoPhotoMark;

private:
    void VScroll1_Change();
    void showMessage(const QString& text);
    void showAlertWindow(AlertWindow window);
    void refuseNumber();
    bool jobIsFull() const;
    bool additionWouldOverflowCounts(int photoNumber, int copies) const;
    void dropTrailingTokens(int count);
    void appendRecentEntry(const QString& item);
    bool photoMissing(int photoNumber) const { return hasPhoto_ && !hasPhoto_(photoNumber); }

    JobState& job_;
    Platform& platform_;
    InputDisplay display_;
    HistoryRows historyRows_;
    std::function<void()> beforeBlocking_;
    std::function<bool(int)> hasPhoto_;
    QString noPhotoSoundPath_;
};
