// SPDX-License-Identifier: MIT
#include "domain/tools/photo_search.h"

#include "domain/job/allowed_range_text.h"
#include "domain/job/record_items.h"
#include "domain/reports/report_content.h"
#include "domain/tools/pupil_names.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kNothingTyped = QStringLiteral("写真番号を入力して Enter を押してください。");
const QString kNotAPhotoNumber =
    QStringLiteral("「%1」は、このジョブの写真番号ではありません。\n写真番号の範囲：%2");
const QString kNobodyOrdered = QStringLiteral("写真番号 %1 を注文した人はいません。");
const QString kFound = QStringLiteral("写真番号 %1：%2 人、合計 %3 枚");
const QString kWithoutPhoto = QStringLiteral("写真フォルダに写真がない注文番号（%1 件）：%2");
const QString kAndMore = QStringLiteral(" ほか %1 件");
const QString kPendingNote =
    QStringLiteral("※入力中でまだ登録されていない %1 枚は、この一覧に含まれていません。");
const QString kPendingNoteWithNumber = QStringLiteral(
    "※入力中でまだ登録されていない %1 枚（うちこの番号 %2 枚）は、この一覧に含まれていません。");

// A plain run of digits, by far the most common item, read directly: it
// reads as readNumber reads it, and it is a photo number (neither a label
// nor the amount). None for every other item.
std::optional<int> plainDigitsValue(QStringView text) {
    constexpr qsizetype kDirectDigits = 9;
    if (text.isEmpty() || text.size() > kDirectDigits)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// The amount an amount item holds: the number after its marker.
Number amountValue(QStringView item) {
    QStringView rest = item.mid(item.indexOf(u'\\') + 1);
    if (rest.startsWith(u'.'))
        rest = rest.mid(1);
    return readNumber(rest);
}

struct RecordMatch {
    int prints = 0;  // items that read as the number
    int items = 0;   // photo-number items with a number
    std::optional<Number> amount;
};

// Walks a record or an open entry as the reports read it: the photo numbers
// end at the amount, the pupil label is no print, a last item without its
// blank still counts, and an item without a number is no print.
RecordMatch matchRecord(QStringView record, Number photoNumber) {
    RecordMatch match;
    const auto take = [&](Number value) {
        if (value == 0)
            return;
        ++match.items;
        if (value == photoNumber)
            ++match.prints;
    };
    const QStringView unfinished = forEachRecordItem(record, [&](const RecordItem& item) {
        if (const std::optional<int> value = plainDigitsValue(item.text())) {
            take(*value);
            return true;
        }
        switch (item.kind()) {
            case RecordItem::Kind::Amount:
                match.amount = amountValue(item.text());
                return false;
            case RecordItem::Kind::Label:
                return true;
            case RecordItem::Kind::PhotoNumber:
                break;
        }
        take(readNumber(item.text()));
        return true;
    });
    if (!match.amount && !unfinished.contains(u'\\') && !unfinished.contains(u')'))
        take(readNumber(unfinished));
    return match;
}

// The registered pupils: slots 1..personCount that personRecords has.
int registeredSlots(const JobState& job) {
    const Number last = std::floor(job.personCount);
    if (!(last >= 0))
        return 0;
    return int(std::min(last, Number(job.personRecords.size() - 1)));
}

bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

PhotoSearchResult searchPhotoNumber(const JobState& job, QStringView typed,
                                    const JobCompanion& companion) {
    PhotoSearchResult result;
    result.typed = typed.toString();
    if (typed.isEmpty())
        return result;
    const Number n = readNumber(typed);
    if (!allDigits(typed) || n == 0 || n > JobState::kMaxPhotoNumber ||
        !sizeClassOf(job, n).any()) {
        result.outcome = PhotoSearchResult::Outcome::NotAPhotoNumber;
        return result;
    }
    result.photoNumber = int(n);

    const RecordMatch pending = matchRecord(job.pendingEntry, n);
    result.pendingPrints = pending.items;
    result.pendingPrintsOfNumber = pending.prints;

    const int persons = registeredSlots(job);
    for (int slot = 1; slot <= persons; ++slot) {
        const RecordMatch match = matchRecord(job.personRecords[slot], n);
        if (match.prints == 0)
            continue;
        const std::optional<PupilName> name = pupilNameOf(companion, slot);
        result.pupils.append(
            {slot, match.prints, match.amount, name ? pupilNameText(*name) : QString()});
        result.totalPrints += match.prints;
    }
    result.outcome = result.pupils.isEmpty() ? PhotoSearchResult::Outcome::NobodyOrdered
                                             : PhotoSearchResult::Outcome::Found;
    return result;
}

QVector<int> orderedNumbersWithoutPhoto(const JobState& job,
                                        const std::function<bool(int)>& hasPhoto) {
    const RegisteredOrders orders = collectRegisteredOrders(job);
    QVector<int> numbers;
    for (int n = 1; n < orders.countByPhoto.size(); ++n)
        if (orders.countByPhoto[n] > 0 && !hasPhoto(n))
            numbers.append(n);
    return numbers;
}

namespace PhotoSearchTexts {

const QString kNoPhotoOfNumber = QStringLiteral("写真番号 %1 の写真は写真フォルダにありません。");

QString withoutPhoto(const QVector<int>& numbers, int shown) {
    if (numbers.isEmpty())
        return {};
    QStringList listed;
    for (qsizetype i = 0; i < numbers.size() && i < shown; ++i)
        listed << QString::number(numbers[i]);
    QString text = listed.join(QStringLiteral("、"));
    if (numbers.size() > shown)
        text += kAndMore.arg(numbers.size() - shown);
    return kWithoutPhoto.arg(numbers.size()).arg(text);
}

QString summary(const PhotoSearchResult& result, const JobState& job) {
    using Outcome = PhotoSearchResult::Outcome;
    switch (result.outcome) {
        case Outcome::NothingTyped:
            return kNothingTyped;
        case Outcome::NotAPhotoNumber: {
            // A long paste is shown by its beginning.
            constexpr qsizetype kShown = 12;
            const QString typed = result.typed.size() <= kShown
                                      ? result.typed
                                      : result.typed.left(kShown) + QStringLiteral("…");
            return kNotAPhotoNumber.arg(typed, AllowedRangeText(job).trimmed());
        }
        case Outcome::NobodyOrdered:
            return kNobodyOrdered.arg(result.photoNumber);
        case Outcome::Found:
            return kFound.arg(result.photoNumber).arg(result.pupils.size()).arg(result.totalPrints);
    }
    return {};
}

QString pendingNote(const PhotoSearchResult& result) {
    using Outcome = PhotoSearchResult::Outcome;
    const bool searched =
        result.outcome == Outcome::Found || result.outcome == Outcome::NobodyOrdered;
    if (!searched || result.pendingPrints == 0)
        return {};
    if (result.pendingPrintsOfNumber > 0)
        return kPendingNoteWithNumber.arg(result.pendingPrints).arg(result.pendingPrintsOfNumber);
    return kPendingNote.arg(result.pendingPrints);
}

QString amount(const std::optional<Number>& amount) {
    return amount ? plainDecimal(*amount) : QString();
}

}  // namespace PhotoSearchTexts
