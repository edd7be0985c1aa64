// SPDX-License-Identifier: MIT
#include "gui/input/slip_tie_keying.h"

#include "domain/journal/journal.h"
#include "domain/platform/platform.h"
#include "gui/input/frm_pupil_tie.h"
#include "gui/run_journal.h"
#include "gui/window_registry.h"

#include <QLabel>

namespace SlipTieKeyingTexts {
const QString kHint = QStringLiteral("名簿：＋キーで組と番号");
}  // namespace SlipTieKeyingTexts

SlipTieKeying::SlipTieKeying(RunContext& context, QWidget* screen, QLabel* pupilLabel,
                             std::function<void(int)> typeKey, std::function<void()> showKeying)
    : QObject(screen),
      context_(context),
      screen_(screen),
      pupilLabel_(pupilLabel),
      typeKey_(std::move(typeKey)),
      showKeying_(std::move(showKeying)) {
    clock_.start();
    gap_.setSingleShot(true);
    // Longer than a burst's gap: keys still waiting to be handled are
    // judged by their own times first.
    gap_.setInterval(int(SlipScanReader::kGapMs) * 5);
    connect(&gap_, &QTimer::timeout, this, [this] {
        handOn(reader_.giveUp());
        showKeying_();
    });
    resync();
    showPupil();
}

bool SlipTieKeying::hasRoster() const {
    return !context_.companion.roster.isEmpty();
}

bool SlipTieKeying::takeKey(int keyAscii, quint64 pressedAtMs) {
    if (!hasRoster() || keyAscii == 0)
        return false;
    if (keyAscii == '+' && !reader_.reading()) {
        openTieBox();
        return true;
    }
    const qint64 at = pressedAtMs != 0 ? qint64(pressedAtMs) : clock_.elapsed();
    const SlipScanReader::Outcome outcome = reader_.key(keyAscii, at);
    if (!outcome.taken)
        return false;
    handOn(outcome.handOn);
    if (reader_.reading())
        gap_.start();
    else
        gap_.stop();
    if (!outcome.code.isEmpty())
        scanRead(outcome.code);
    return true;
}

void SlipTieKeying::handOn(const QVector<int>& keys) {
    for (const int key : keys)
        typeKey_(key);
}

void SlipTieKeying::scanRead(const QString& code) {
    const PupilMatch match = matchSlipCode(context_.companion.roster, code);
    if (!match.pupil) {
        context_.platform.beep();
        context_.platform.showMessage(match.problem);
        return;
    }
    tieOpenSlip(match.pupil);
}

void SlipTieKeying::tieOpenSlip(std::optional<int> pupil) {
    SlipTies& ties = context_.slipTies;
    if (pupil && pupil != ties.openSlip()) {
        const QVector<int> registered = ties.registeredOf(*pupil);
        if (!registered.isEmpty()) {
            const RosterPupil& rosterPupil = context_.companion.roster.pupils()[*pupil];
            const int answer = context_.platform.askChoice(
                SlipTies::repeatQuestion(rosterPupil, registered),
                {SlipTieTexts::kAnotherOrder, SlipTieTexts::kCancel}, 1, 1);
            if (answer != 0)
                return;
        }
    }
    recordInJournal(context_, JournalEntry::tie(std::nullopt, pupil));
    ties.tieOpenSlip(pupil);
    showPupil();
}

void SlipTieKeying::openTieBox() {
    if (box_)
        return;
    auto* box = new frmPupilTie(context_.companion.roster, screen_);
    connect(box, &frmPupilTie::chosen, this, [this](std::optional<int> pupil) {
        if (pupil)
            tieOpenSlip(pupil);
    });
    // Keying goes on on the screen, whichever way the box closed.
    connect(box, &QDialog::finished, screen_, [this] {
        screen_->activateWindow();
        showKeying_();
    });
    box_ = box;
    box->open();
}

void SlipTieKeying::afterEntry(const JournalEntry& entry) {
    using Kind = JournalEntry::Kind;
    SlipTies& ties = context_.slipTies;
    switch (entry.kind) {
        case Kind::Tie:
            if (const std::optional<int> registered = entry.tiedRegisteredPupil())
                ties.tieRegistered(*registered, entry.tiedRosterPupil());
            else
                ties.tieOpenSlip(entry.tiedRosterPupil());
            break;
        case Kind::Combine:
            resync();
            break;
        default:
            ties.followKeying(int(context_.job.personCount));
            break;
    }
    showPupil();
}

void SlipTieKeying::resync() {
    context_.slipTies.resync(int(context_.job.personCount));
}

void SlipTieKeying::showPupil() {
    if (!hasRoster()) {
        pupilLabel_->hide();
        return;
    }
    const Roster& roster = context_.companion.roster;
    const std::optional<int> pupil = context_.slipTies.openSlip();
    QString text;
    if (pupil && *pupil < roster.size()) {
        const RosterPupil& tied = roster.pupils()[*pupil];
        text = rosterPlaceText(tied).toHtmlEscaped() + QStringLiteral("<br><b>") +
               tied.name.toHtmlEscaped() + QStringLiteral("</b>");
    } else {
        text = QStringLiteral("<span style=\"color: #c0ffff\">") + SlipTieKeyingTexts::kHint +
               QStringLiteral("</span>");
    }
    if (pupilLabel_->text() != text)
        pupilLabel_->setText(text);
    pupilLabel_->show();
}
