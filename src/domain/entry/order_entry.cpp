// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

const QString OrderEntry::kNoDataMessage = QStringLiteral(
    "データがありません！\n"
    "写真番号 %1 は、このジョブではまだ誰も注文していないため、取り消せません。");
const QString OrderEntry::kEntryLimitMessage = QStringLiteral(
    "連続データが１００を越えました。一度、しめ（ / を押す）の操作を行ってください。");
const QString OrderEntry::kPhotoCountLimitMessage = QStringLiteral(
    "写真番号 %1 の注文枚数が 32767 枚を越えるため、この入力は受け付けませんでした。");
const QString OrderEntry::kNoPhotoMark = QStringLiteral("　写真なし");
const QString OrderEntry::kJobFullMessage = QStringLiteral(
    "登録できる人数は１５００人までです。この人は登録できません。"
    "入力中の注文はそのまま残っています。");

namespace {

constexpr int kRecentEntriesKept = 10;  // before appending, the oldest goes beyond this
constexpr int kSeparatorLength = 9;
constexpr int kRefreshClearCount = 50;
constexpr int kPagingClearCount = 20;
constexpr int kPagingRowSpan = 18;
constexpr int kRowsBeforeEnd = 16;  // a refresh shows rows from rowCount - 16 on
constexpr int kPagingMinimumRows = 15;
constexpr int kDrawnLines = 18;

bool isCloseKey(int k) {
    return k == u'*' || k == u'/' || k == u'=';
}

// A photo number that indexes printCounts (1..10000), or none.
std::optional<int> countIndex(Number n) {
    if (!(n >= 1 && n <= JobState::kMaxPhotoNumber))
        return std::nullopt;
    return int(n);
}

// The slot of personRecords that the next close writes (lastRecordSlot + 1),
// or none when that is not one of its slots 1..1500.
std::optional<int> nextRecordSlot(const JobState& job) {
    const Number slot = job.lastRecordSlot + 1;
    if (!(slot >= 1 && slot <= JobState::kMaxPersons) || slot != std::floor(slot))
        return std::nullopt;
    return int(slot);
}

// The 32-bit small total one print lower, kept at its lowest value.
std::int32_t oneLess(std::int32_t total) {
    return total == std::numeric_limits<std::int32_t>::min() ? total : total - 1;
}

}  // namespace

OrderEntry::OrderEntry(JobState& job, Platform& platform) : job_(job), platform_(platform) {
    display_.Label3 = QStringLiteral("１");  // the design caption, until the screen is loaded
}

void OrderEntry::Form_Load(const QString& programDirectory) {
    job_.acceptSoundPath = programDirectory + QStringLiteral("/menupop.wav");
    job_.closeSoundPath = programDirectory + QStringLiteral("/chimes.wav");
    job_.keySoundPath = programDirectory + QStringLiteral("/tap.wav");
    noPhotoSoundPath_ = programDirectory + QStringLiteral("/nophoto.wav");
    display_.Label3 = plainDecimal(display_.VScroll1);
    if (job_.personCount == 0) {
        job_.personCount = 0;
        job_.lastRecordSlot = 0;
    }
}

void OrderEntry::Form_Activate() {
    refreshTotalLabels();
    display_.tbNin = signedDisplay(job_.personCount);
    CountHistoryRows();
    RefreshHistory();
    display_.focus = InputFocus::Form1;
}

void OrderEntry::Form_KeyPress(int k) {
    if (!display_.form1Enabled)
        return;  // an alert window holds the screen
    QString& label1 = display_.Label1;

    job_.copyCount = 1;

    // Digits and the minus sign go into the typed-number display.
    if ((k >= u'0' && k <= u'9') || k == u'-') {
        platform_.playSound(job_.keySoundPath);
        if (job_.clearInputOnNextKey) {
            label1.clear();
            job_.clearInputOnNextKey = false;
        }
        label1.append(QChar(k));
    }

    // Back Space and "." take the last character back (also right after an
    // Enter: the shown number is then edited rather than cleared).
    if ((k == kKeyBackSpace || k == u'.') && !label1.isEmpty()) {
        job_.clearInputOnNextKey = false;
        label1.chop(1);
    }

    job_.currentPhotoNumber = std::fabs(readNumber(label1));

    if (k == kKeyEnter && !label1.isEmpty()) {
        const Number n = job_.currentPhotoNumber;
        if (n == 0 || n > JobState::kMaxPhotoNumber || !sizeClassOf(job_, n).any()) {
            refuseNumber();
            return;
        }
        const bool adds = !label1.contains(u'-');
        platform_.playSound(adds && photoMissing(int(n)) ? noPhotoSoundPath_
                                                         : job_.acceptSoundPath);

        if (!label1.contains(u'-')) {
            job_.copyCount = roundToInt16(readNumber(display_.Label3)).value_or(1);
            const QString token = label1 + u' ';
            for (int i = 0; i < job_.copyCount; ++i)
                job_.pendingEntry.append(token);
            AddPrint();
            setVScroll1(1);
            display_.Label3 = QStringLiteral("1");
            job_.hasPendingEntries = true;
        }

        // Tested on the text as the addition left it.
        if (label1.startsWith(u'-') || label1.endsWith(u'-')) {
            job_.copyCount = 1;
            RemovePrint();
            if (job_.pendingEntry.isEmpty())
                job_.hasPendingEntries = false;
        }

        // A minus inside the number, or a removal of a number the open entry
        // does not hold: the input-error window, the text kept for editing.
        if (label1.contains(u'-')) {
            display_.form1Enabled = false;
            showAlertWindow(AlertWindow::frmStop);
            return;
        }
        job_.clearInputOnNextKey = true;
    }

    if (job_.hasPendingEntries && !job_.pendingEntry.isEmpty() && isCloseKey(k)) {
        if (jobIsFull()) {
            platform_.beep();
            showMessage(kJobFullMessage);
        } else {
            platform_.playSound(job_.closeSoundPath);
            ClosePerson();
            display_.cbMaeEnabled = true;
        }
    }

    display_.focus = InputFocus::List1;
}

void OrderEntry::Form_KeyDown(int keyCode) {
    if (!display_.form1Enabled)
        return;
    if (keyCode == kKeyUp && display_.cbMaeEnabled)
        PageHistoryEarlier();
    if (keyCode == kKeyDown && display_.cbAtoEnabled)
        PageHistoryLater();
}

void OrderEntry::setVScroll1(int value) {
    value = std::clamp(value, 1, kCopyCountMax);
    if (value == display_.VScroll1)
        return;
    display_.VScroll1 = value;
    VScroll1_Change();
}

void OrderEntry::VScroll1_Change() {
    // A count can only be chosen while a number is typed. Setting the
    // selector back runs this handler once more, nested, as any change does.
    if (display_.Label1.contains(u'-') || display_.Label1.isEmpty()) {
        platform_.beep();
        setVScroll1(1);
    }
    display_.Label3 = signedDisplay(display_.VScroll1);
    display_.focus = InputFocus::Form1;
}

void OrderEntry::showMessage(const QString& text) {
    if (beforeBlocking_)
        beforeBlocking_();
    platform_.showMessage(text);
}

void OrderEntry::showAlertWindow(AlertWindow window) {
    if (beforeBlocking_)
        beforeBlocking_();
    platform_.showAlertWindow(window);
}

void OrderEntry::alertClosed() {
    display_.form1Enabled = true;
}

bool OrderEntry::closeOpenEntryForFinish() {
    if (job_.pendingEntry.isEmpty())
        return true;
    return ClosePerson();
}

void OrderEntry::refuseNumber() {
    platform_.beep();
    job_.clearInputOnNextKey = false;
    display_.Label1.clear();
    display_.form1Enabled = false;
    showAlertWindow(AlertWindow::frmAlert);
}

bool OrderEntry::jobIsFull() const {
    return job_.personCount >= JobState::kMaxPersons || !nextRecordSlot(job_);
}

bool OrderEntry::additionWouldOverflowCounts(int n, int copies) const {
    if (job_.printCounts[n] + copies > std::numeric_limits<std::int16_t>::max())
        return true;
    return sizeClassOf(job_, n).small &&
           std::int64_t(job_.smallTotalPrints) + copies > std::numeric_limits<std::int32_t>::max();
}

void OrderEntry::dropTrailingTokens(int count) {
    QString& entry = job_.pendingEntry;
    qsizetype end = entry.size();
    for (int i = 0; i < count && end > 0; ++i)
        end = end >= 2 ? entry.lastIndexOf(u' ', end - 2) + 1 : 0;
    entry.truncate(end);
}

void OrderEntry::refreshTotalLabels() {
    display_.tbDaiNanMai = signedDisplay(job_.largeTotalPrints);
    display_.tbChuNanMai = signedDisplay(job_.mediumTotalPrints);
    display_.tbShouNanMai = signedDisplay(job_.smallTotalPrints);
}

void OrderEntry::appendRecentEntry(const QString& item) {
    if (display_.List1.size() > kRecentEntriesKept)
        display_.List1.removeFirst();
    display_.List1.append(item);
}

void OrderEntry::AddPrint() {
    const int c = job_.copyCount;
    const std::optional<int> index = countIndex(job_.currentPhotoNumber);
    if (!index) {
        // Not a photo number that has a count: nothing to count it in.
        dropTrailingTokens(c);
        return;
    }
    const int n = *index;

    // A count that would leave its field is refused as a whole, like an
    // entry past 100 prints: the appended tokens go, nothing is counted.
    if (additionWouldOverflowCounts(n, c)) {
        display_.Label1.clear();
        showMessage(kPhotoCountLimitMessage.arg(n));
        dropTrailingTokens(c);
        return;
    }

    RecountPendingEntry();
    if (job_.entryOverflow) {
        job_.entryOverflow = false;
        return;
    }

    job_.printCounts[n] = std::int16_t(job_.printCounts[n] + c);
    job_.grandTotalPrints += c;
    const SizeClass size = sizeClassOf(job_, n);
    if (size.small) {
        job_.smallTotalPrints += c;
        display_.tbShouNanMai = signedDisplay(job_.smallTotalPrints);
    }
    if (size.medium) {
        job_.mediumTotalPrints += c;
        display_.tbChuNanMai = signedDisplay(job_.mediumTotalPrints);
    }
    if (size.large) {
        job_.largeTotalPrints += c;
        display_.tbDaiNanMai = signedDisplay(job_.largeTotalPrints);
    }

    const QString item = photoMissing(n) ? signedDisplay(n) + kNoPhotoMark : signedDisplay(n);
    for (int i = 0; i < c; ++i)
        appendRecentEntry(item);

    job_.clearInputOnNextKey = true;
    display_.focus = InputFocus::List1;
}

void OrderEntry::RemovePrint() {
    const std::optional<int> index = countIndex(std::fabs(job_.currentPhotoNumber));
    const int n = index.value_or(0);

    if (!index || job_.printCounts[n] < 1) {
        platform_.beep();
        showMessage(kNoDataMessage.arg(plainDecimal(std::fabs(job_.currentPhotoNumber))));
        // The open pupil's prints stay open, and a close key closes them.
        job_.hasPendingEntries = !job_.pendingEntry.isEmpty();
        display_.Label1.clear();
        display_.focus = InputFocus::List1;
        return;
    }

    // Take back the last occurrence only; the entry is rewritten in plain
    // decimal, found or not («007 » becomes «7 »).
    job_.removalFound = false;
    QVector<Number> values = parseEntryTokens(job_.pendingEntry, JobState::kMaxEntryPrints + 1);
    for (qsizetype i = values.size() - 1; i >= 0; --i) {
        if (values[i] == n) {
            job_.removalFound = true;
            values[i] = 0;
            break;
        }
    }
    job_.pendingEntry.clear();
    for (const Number v : values) {
        if (v != 0)
            job_.pendingEntry += plainDecimal(v) + u' ';
    }

    RecountPendingEntry();

    if (job_.removalFound) {
        job_.printCounts[n] = std::int16_t(job_.printCounts[n] - 1);
        job_.grandTotalPrints -= 1;
        const SizeClass size = sizeClassOf(job_, n);
        if (size.small) {
            job_.smallTotalPrints = oneLess(job_.smallTotalPrints);
            display_.tbShouNanMai = signedDisplay(job_.smallTotalPrints);
        }
        if (size.medium) {
            job_.mediumTotalPrints -= 1;
            display_.tbChuNanMai = signedDisplay(job_.mediumTotalPrints);
        }
        if (size.large) {
            job_.largeTotalPrints -= 1;
            display_.tbDaiNanMai = signedDisplay(job_.largeTotalPrints);
        }
        // The latest list item of this number goes; separators read as 0.
        QStringList& list = display_.List1;
        for (qsizetype i = list.size() - 1; i >= 0; --i) {
            if (readNumber(list[i]) == n) {
                list.removeAt(i);
                break;
            }
        }
        display_.Label1.clear();
    }

    display_.focus = InputFocus::Form1;
    job_.clearInputOnNextKey = true;
}

void OrderEntry::RecountPendingEntry() {
    job_.entryOverflow = false;
    bool overflow = false;
    const QVector<Number> values =
        parseEntryTokens(job_.pendingEntry, JobState::kMaxEntryPrints, &overflow);

    if (overflow) {
        display_.Label1.clear();
        showMessage(kEntryLimitMessage);
        job_.entryOverflow = true;
        dropTrailingTokens(job_.copyCount);
        return;
    }

    // The amount is only recomputed while the entry holds prints; an entry
    // emptied by a removal keeps the amount of the last recount on display.
    if (!values.isEmpty()) {
        Number large = 0, medium = 0, small = 0;
        for (const Number v : values) {
            const SizeClass size = sizeClassOf(job_, v);
            large += size.large;
            medium += size.medium;
            small += size.small;
        }
        const Number amount = large * job_.largeUnitPrice.value() +
                              medium * job_.mediumUnitPrice.value() +
                              small * Number(job_.smallUnitPrice);
        display_.tbHGoukei = signedDisplay(amount);
        job_.pendingAmountText = display_.tbHGoukei.mid(1) + u' ';
    }
    display_.Label5 = signedDisplay(values.size()) + QStringLiteral("枚");
    display_.Label13 =
        QStringLiteral("（") + signedDisplay(job_.personCount + 1) + QStringLiteral("人目）");
}

bool OrderEntry::ClosePerson() {
    if (jobIsFull()) {
        platform_.beep();
        showMessage(kJobFullMessage);
        return false;
    }
    const int slot = *nextRecordSlot(job_);  // a slot of personRecords: the job is not full
    job_.personCount += 1;
    job_.lastRecordSlot = slot;
    job_.personRecords[slot] =
        personRecordText(job_.personCount, job_.pendingEntry, job_.pendingAmountText);

    const QString separator = QStringLiteral("-----") + kAmountMarker + job_.pendingAmountText;
    display_.List1.append(separator.right(kSeparatorLength));

    job_.pendingEntry.clear();
    job_.pendingAmountText.clear();
    display_.Label1.clear();
    if (display_.List1.size() > kRecentEntriesKept)
        display_.List1.removeFirst();

    CountHistoryRows();
    RefreshHistory();
    // Nothing is drawn on the screen's own background, so there is nothing
    // else to clear: the history lives in Pic1.

    job_.clearInputOnNextKey = true;
    job_.hasPendingEntries = false;
    display_.tbHGoukei.clear();
    display_.tbNin = signedDisplay(job_.personCount);
    return true;
}

void OrderEntry::CountHistoryRows() {
    const int rows = historyRows_.countRows(job_);
    job_.historyRowCount = rows;
    job_.historyTopRow = rows - kRowsBeforeEnd;
}

void OrderEntry::RefreshHistory() {
    FillHistoryLines(job_.historyTopRow, std::nullopt, kRefreshClearCount);
    DrawHistoryList();
    display_.focus = InputFocus::List1;
}

int OrderEntry::FillHistoryLines(Number firstRow, std::optional<Number> lastRow, int clearCount) {
    return historyRows_.fillHistoryLines(job_, firstRow, lastRow, clearCount);
}

void OrderEntry::DrawHistoryList() {
    drawRecordLines(display_.Pic1,
                    std::span<const QString>(job_.historyLines.constData() + 1, kDrawnLines), job_,
                    historyLayoutParams());
}

void OrderEntry::PageHistoryLater() {
    job_.historyTopRow += 1;
    if (job_.historyTopRow >= job_.historyRowCount - 1)
        display_.cbAtoEnabled = false;
    const int rows = FillHistoryLines(job_.historyTopRow, job_.historyTopRow + kPagingRowSpan,
                                      kPagingClearCount);
    if (rows > kPagingMinimumRows) {
        DrawHistoryList();
        display_.cbMaeEnabled = true;
    } else {
        display_.cbMaeEnabled = false;
    }
    display_.focus = InputFocus::List1;
}

void OrderEntry::PageHistoryEarlier() {
    if (job_.historyTopRow > 1)
        job_.historyTopRow -= 1;
    if (job_.historyTopRow <= 1)
        display_.cbMaeEnabled = false;
    const int rows = FillHistoryLines(job_.historyTopRow, job_.historyTopRow + kPagingRowSpan,
                                      kPagingClearCount);
    if (rows > kPagingMinimumRows) {
        DrawHistoryList();
        display_.cbAtoEnabled = true;
    } else {
        display_.cbMaeEnabled = false;
    }
    display_.focus = InputFocus::List1;
}
