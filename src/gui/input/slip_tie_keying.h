// SPDX-License-Identifier: MIT
#pragma once

#include "domain/roster/slip_tie.h"

#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QLabel;
class QWidget;
struct JournalEntry;
struct RunContext;

// The input screen's side of tying slips to roster pupils, for a job with
// a roster (without one it takes no key, and the screen is as it always
// was): a scanned slip code, read from among the keys; "+" opening the box
// for the class and number; the open slip's pupil shown in its label; the
// open slip's tie moved to its pupil when the slip is registered.
class SlipTieKeying : public QObject {
    Q_OBJECT

public:
    // typeKey hands a key to the keying as if typed (held keys of a burst
    // that was no scan); showKeying shows the keying's display afterwards.
    SlipTieKeying(RunContext& context, QWidget* screen, QLabel* pupilLabel,
                  std::function<void(int keyAscii)> typeKey, std::function<void()> showKeying);

    // A key of the input screen, before the keying sees it, with the time
    // the system gave it (milliseconds; 0 when it gave none): a burst is
    // judged by when its keys were pressed, not by when a busy screen got
    // to them. True when the key was taken here.
    bool takeKey(int keyAscii, quint64 pressedAtMs = 0);

    // After an entry went to the keying: a registered slip takes the open
    // slip's tie. A journal entry restored (a tie, a companion) is carried
    // out here too.
    void afterEntry(const JournalEntry& entry);

    // The job's pupils changed without a slip closing (a combine, a load).
    void resync();

    // Shows the open slip's pupil, or how to tie one.
    void showPupil();

    // The open slip tied to a roster pupil (asking first when the pupil
    // already has a registered slip); none unties it.
    void tieOpenSlip(std::optional<int> pupil);

    // The box for the class and number, over the screen.
    void openTieBox();

private:
    bool hasRoster() const;
    void scanRead(const QString& code);
    void handOn(const QVector<int>& keys);

    RunContext& context_;
    QWidget* screen_;
    QLabel* pupilLabel_;
    std::function<void(int)> typeKey_;
    std::function<void()> showKeying_;
    SlipScanReader reader_;
    QTimer gap_;  // a burst that stopped: given up a while after its last key
    QElapsedTimer clock_;
    QPointer<QWidget> box_;
};

namespace SlipTieKeyingTexts {
extern const QString kHint;  // the label while the open slip has no pupil
}  // namespace SlipTieKeyingTexts
