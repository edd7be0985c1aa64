// SPDX-License-Identifier: MIT
#include "domain/entry/record_correction.h"

#include "domain/job/record_items.h"

#include <algorithm>
#include <limits>
#include <utility>

const QString RecordCorrection::kRecordFullMessage =
    QStringLiteral("一人分のデータは１００枚までです。この写真番号は追加できませんでした。");
const QString RecordCorrection::kPhotoCountLimitMessage =
    QStringLiteral("写真番号 %1 の注文枚数が 32767 枚を越えるため、追加できませんでした。");

namespace {

constexpr int kUnderlineRight = 8300;
constexpr int kGuideBottom = 4400;

// The 32-bit small total one print higher or lower, kept within its field.
std::int32_t oneMore(std::int32_t total) {
    return total == std::numeric_limits<std::int32_t>::max() ? total : total + 1;
}
std::int32_t oneLess(std::int32_t total) {
    return total == std::numeric_limits<std::int32_t>::min() ? total : total - 1;
}

}  // namespace

// ---- Record text helpers ----------------------------------------------------

int personNumberOf(const QString& text, const JobState& job) {
    // "12abc" is no pupil's number, not pupil 12's.
    const std::optional<Number> read = readWholeNumber(text);
    const std::optional<std::int16_t> n = read ? roundToInt16(*read) : std::nullopt;
    if (!n || *n < 1 || *n > job.personCount || *n >= job.personRecords.size())
        return 0;
    return *n;
}

bool isPlainDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

int photoNumbersIn(const QString& record) {
    int count = 0;
    forEachRecordItem(record, [&](const RecordItem& item) {
        if (item.kind() == RecordItem::Kind::PhotoNumber)
            ++count;
    });
    return count;
}

QString RebuildRecordAmount(const QString& record, const JobState& job) {
    // Every item counts by its value, the pupil label too (it reads 0, so
    // only a switched-off size, whose price is 0, can take it).
    Number large = 0, medium = 0, small = 0;
    forEachRecordItem(record, [&](const RecordItem& item) {
        const std::optional<std::int16_t> u = roundToInt16(item.value());
        if (!u)
            return;  // beyond every range
        const SizeClass size = sizeClassOf(job, *u);
        large += size.large;
        medium += size.medium;
        small += size.small;
    });
    const Number amount = large * job.largeUnitPrice.value() +
                          medium * job.mediumUnitPrice.value() + small * Number(job.smallUnitPrice);
    return record + kAmountMarker + plainDecimal(amount) + u' ';
}

RecordLayoutParams registeredRecordParams(Rgb pointColour) {
    RecordLayoutParams params;
    params.pointColour = pointColour;
    params.labelColour = Palette::blue;
    params.underlineColour = Palette::red;
    params.underlineRight = kUnderlineRight;
    params.guideColour = Palette::red;
    params.guideBottom = kGuideBottom;
    params.moveLoneAmountUp = false;
    return params;
}

RecordLayoutParams correctedRecordParams() {
    RecordLayoutParams params = registeredRecordParams(RecordCorrection::kCorrectedPointColour);
    params.guideColour = Palette::cyan;
    return params;
}

// ---- The correction ---------------------------------------------------------

RecordCorrection::RecordCorrection(JobState& job, Platform& platform)
    : job_(job), platform_(platform) {}

std::optional<CorrectionFocus> RecordCorrection::takeFocusRequest() {
    return std::exchange(focusRequest_, std::nullopt);
}

int RecordCorrection::shownPerson() const {
    return personNumberOf(display_.Text1, job_);
}

void RecordCorrection::Form_Activate(bool returningFromAlert) {
    if (!display_.Text1.isEmpty())
        LookUpPerson(kActivatePointColour);
    focusRequest_ = returningFromAlert || !display_.Text1.isEmpty() ? CorrectionFocus::Text2
                                                                    : CorrectionFocus::Text1;
}

void RecordCorrection::setText1(const QString& typed) {
    // The pupil number is read at every change; the box shows it as read.
    const QString text = halfWidthNumberText(typed);
    if (text == display_.Text1)
        return;
    display_.Text1 = text;
    Text1_Change();
}

void RecordCorrection::setText2(const QString& text) {
    if (text == display_.Text2)
        return;
    display_.Text2 = text;
    Text2_Change();
}

void RecordCorrection::Text1_Change() {
    display_.Pic2.clear();
    LookUpPerson(buttonShadow_);
}

void RecordCorrection::Text2_Change() {
    display_.Label7Visible = false;
    display_.Label8Visible = false;
}

void RecordCorrection::Text1_KeyPress(int keyAscii) {
    if (keyAscii == kKeyEnter && !display_.Text1.isEmpty())
        focusRequest_ = CorrectionFocus::Text2;
}

void RecordCorrection::alertClosed() {
    display_.frmTeiseiEnabled = true;
}

void RecordCorrection::LookUpPerson(Rgb pointColour) {
    display_.Pic1.clear();
    setText2(QString());
    display_.Label7Visible = false;
    display_.Label8Visible = false;
    if (shownPerson() == 0) {
        // Not a registered pupil (a number beyond the 16-bit range included).
        display_.Label12Visible = true;
        setText1(QString());
        return;
    }
    display_.Label12Visible = false;
    display_.Pic1.clear();
    DrawRegisteredRecord(pointColour);
}

void RecordCorrection::DrawRegisteredRecord(Rgb pointColour) {
    const QString record = job_.personRecords[shownPerson()];
    drawRecordLines(display_.Pic1, {&record, 1}, job_, registeredRecordParams(pointColour));
}

void RecordCorrection::DrawCorrectedRecord() {
    drawRecordLines(display_.Pic2, {&job_.correctedRecord, 1}, job_, correctedRecordParams());
}

std::optional<EditOutcome> RecordCorrection::startEdit(int& person) {
    // The photo number is read here: the box shows it, and the record takes
    // it, as read. Digits grouped by commas are the number they group
    // ("1,200" is 1200, not 1).
    const QString typed = halfWidthNumberText(display_.Text2);
    const std::optional<Number> grouped =
        typed.contains(u',') || typed.contains(u'，') ? readWholeNumber(typed) : std::nullopt;
    setText2(grouped && *grouped > 0 ? plainDecimal(*grouped) : typed);
    // A number beyond the photo numbers that have a count lies in no range
    // the job can take.
    const Number v = readNumber(display_.Text2);
    if (!sizeClassOf(job_, v).any() || !(v <= JobState::kMaxPhotoNumber)) {
        display_.frmTeiseiEnabled = false;
        return EditOutcome::OutOfRange;
    }
    display_.Pic2.clear();
    // No pupil shown: an empty record, in which nothing is found.
    person = shownPerson();
    job_.correctedRecord = person ? job_.personRecords[person] : QString();
    // Only half-width digits make a photo number of the record: a blank or
    // "+" splits or hides it, a ")" would read as a pupil label, a "\" as
    // the amount, a double quote breaks the job file, and a fraction would
    // count a print of another number.
    if (!isPlainDigits(display_.Text2) || v <= 0) {
        display_.Label8Visible = true;
        focusRequest_ = CorrectionFocus::Text2;
        return EditOutcome::BadNumber;
    }
    return std::nullopt;
}

void RecordCorrection::refuse(const QString& message) {
    // The record stands unchanged in the lower picture while the message is up.
    DrawCorrectedRecord();
    if (beforeBlocking_)
        beforeBlocking_();
    platform_.showMessage(message);
    focusRequest_ = CorrectionFocus::Text2;
}

EditOutcome RecordCorrection::AddPhotoNumber() {
    int person = 0;
    if (const auto stop = startEdit(person))
        return *stop;

    const qsizetype amountAt = job_.correctedRecord.indexOf(u'\\');
    if (person == 0 || amountAt < 0) {
        // Nothing to add to: no pupil shown, or a record without its amount.
        display_.Label12Visible = true;
        focusRequest_ = person == 0 ? CorrectionFocus::Text1 : CorrectionFocus::Text2;
        return EditOutcome::NoRecord;
    }
    const QString withoutAmount = job_.correctedRecord.left(amountAt);
    if (photoNumbersIn(withoutAmount) >= kMaxRecordPrints) {
        refuse(kRecordFullMessage);
        return EditOutcome::RecordFull;
    }
    const int k = int(readNumber(display_.Text2));  // whole: digits only, 1..10000
    if (job_.printCounts[k] == std::numeric_limits<std::int16_t>::max()) {
        refuse(kPhotoCountLimitMessage.arg(k));
        return EditOutcome::CountLimit;
    }

    job_.correctedRecord = RebuildRecordAmount(withoutAmount + display_.Text2 + u' ', job_);
    job_.personRecords[person] = job_.correctedRecord;
    job_.printCounts[k] = std::int16_t(job_.printCounts[k] + 1);
    const SizeClass size = sizeClassOf(job_, k);
    if (size.small)
        job_.smallTotalPrints = oneMore(job_.smallTotalPrints);
    if (size.medium)
        job_.mediumTotalPrints += 1;
    if (size.large)
        job_.largeTotalPrints += 1;
    job_.grandTotalPrints += 1;
    DrawCorrectedRecord();
    return EditOutcome::Done;
}

EditOutcome RecordCorrection::DeletePhotoNumber() {
    int person = 0;
    if (const auto stop = startEdit(person))
        return *stop;

    const QString& typed = display_.Text2;
    const qsizetype p = job_.correctedRecord.indexOf(u' ' + typed + u' ');
    if (p < 0) {
        display_.Label7Visible = true;
        focusRequest_ = CorrectionFocus::Text2;
        DrawCorrectedRecord();
        return EditOutcome::NotFound;
    }
    if (!job_.correctedRecord.contains(u'\\')) {
        // A record without its amount: it cannot be rewritten in its format.
        display_.Label12Visible = true;
        focusRequest_ = CorrectionFocus::Text2;
        return EditOutcome::NoRecord;
    }

    // Drops the blank before the number and the number; the blank after it stays.
    QString record = job_.correctedRecord.left(p) + job_.correctedRecord.mid(p + 1 + typed.size());
    record.truncate(record.indexOf(u'\\'));
    job_.correctedRecord = RebuildRecordAmount(record, job_);
    job_.personRecords[person] = job_.correctedRecord;
    const int k = int(readNumber(typed));  // whole: digits only, 1..10000
    // A count the file gave too low (below the prints in the records) stays
    // at 0, so that the job saves as a file the loader takes.
    job_.printCounts[k] = std::int16_t(std::max(job_.printCounts[k] - 1, 0));
    const SizeClass size = sizeClassOf(job_, k);
    if (size.small)
        job_.smallTotalPrints = oneLess(job_.smallTotalPrints);
    if (size.medium)
        job_.mediumTotalPrints -= 1;
    if (size.large)
        job_.largeTotalPrints -= 1;
    job_.grandTotalPrints -= 1;
    DrawCorrectedRecord();
    return EditOutcome::Done;
}

void RecordCorrection::FinishCorrection() {
    display_.Pic1.clear();
    display_.Pic2.clear();
    setText1(QString());
    setText2(QString());
    display_.Label7Visible = false;
    display_.Label8Visible = false;
    display_.Label12Visible = false;
}
