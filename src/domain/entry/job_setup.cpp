// SPDX-License-Identifier: MIT
#include "domain/entry/job_setup.h"

#include "domain/entry/range_overlap.h"
#include "domain/job/numbers.h"
#include "domain/platform/platform.h"

#include <cmath>
#include <limits>

const QString JobSetup::kStartNotPositiveMessage =
    QStringLiteral("０は指定できません。１以上にしてください。");
const QString JobSetup::kEndNotPositiveMessage = QStringLiteral("０は指定できません。");
const QString JobSetup::kEndTooHighMessage = QStringLiteral("９９９９を越えることはできません");
const QString JobSetup::kLargeEndBeforeStartMessage =
    QStringLiteral("大の最後の番号が始めの番号より小さくなっています。");
const QString JobSetup::kMediumEndBeforeStartMessage =
    QStringLiteral("中の最後の番号が始めの番号より小さくなっています。");
const QString JobSetup::kSmallEndBeforeStartMessage =
    QStringLiteral("小の最後の番号が始めの番号より小さくなっています。");
const QString JobSetup::kPriceTooLargeMessage = QStringLiteral("数値が大きすぎます。");
const QString JobSetup::kUnreadableMessage =
    QStringLiteral("%1に入力された「%2」は、数として読み取れません。\n%3");
const QString JobSetup::kPhotoNumberForms =
    QStringLiteral("写真番号は、120 や 1,200 のように数字で入力してください。");
const QString JobSetup::kPriceForms = QStringLiteral(
    "単価は円単位の整数で入力してください（小数点は使えません）。\n"
    "例：1200　1,200　￥1,200　1200円");

namespace {

// The small count is a 16-bit field; a start far beyond the photo numbers
// can give a count outside it, which is kept at the nearest value it holds.
std::int16_t saturatingInt16(Number value) {
    if (const auto rounded = roundToInt16(value))
        return *rounded;
    if (std::isnan(value))
        return 0;
    return value < 0 ? std::numeric_limits<std::int16_t>::min()
                     : std::numeric_limits<std::int16_t>::max();
}

// The box as the operator knows it, for a message about its text.
QString boxName(SetupControl box) {
    using enum SetupControl;
    switch (box) {
        case tbDaiStart:
            return QStringLiteral("ネガ（大）の始めのNo.");
        case tbDaiEnd:
            return QStringLiteral("ネガ（大）の終わりのNo.");
        case tbDaiTanka:
            return QStringLiteral("写真（大）の単価");
        case tbChuStart:
            return QStringLiteral("ネガ（中）の始めのNo.");
        case tbChuEnd:
            return QStringLiteral("ネガ（中）の終わりのNo.");
        case tbChuTanka:
            return QStringLiteral("写真（中）の単価");
        case tbShouStart:
            return QStringLiteral("ネガ（小）の始めのNo.");
        case tbShouEnd:
            return QStringLiteral("ネガ（小）の終わりのNo.");
        case tbShouTanka:
            return QStringLiteral("写真（小）の単価");
        default:
            return {};
    }
}

bool isPriceBox(SetupControl box) {
    return box == SetupControl::tbDaiTanka || box == SetupControl::tbChuTanka ||
           box == SetupControl::tbShouTanka;
}

}  // namespace

JobSetup::JobSetup(JobState& job, SetupScreen& screen, Platform& platform)
    : job_(job), screen_(screen), platform_(platform) {}

std::optional<Number> JobSetup::read(SetupControl box) const {
    return readWholeNumber(screen_.text(box),
                           isPriceBox(box) ? WholeNumberForm::Yen : WholeNumberForm::Plain);
}

bool JobSetup::showHalfWidth(SetupControl box) {
    const QString typed = screen_.text(box);
    const QString text = halfWidthNumberText(typed);
    if (text == typed)
        return false;
    screen_.setText(box, text);
    return true;
}

void JobSetup::showAsRead(SetupControl box) {
    const std::optional<Number> value = read(box);
    const QString text = screen_.text(box);
    if (value && !text.trimmed().isEmpty() && text != plainDecimal(*value))
        screen_.setText(box, plainDecimal(*value));
}

void JobSetup::refuseUnreadable(SetupControl box) {
    // The finish button waits until the box holds a number again.
    screen_.setFinishVisible(false);
    platform_.showMessage(kUnreadableMessage.arg(
        boxName(box), screen_.text(box), isPriceBox(box) ? kPriceForms : kPhotoNumberForms));
    screen_.setText(box, QString());
    screen_.setFocusTo(box);
}

Number JobSetup::storedStart(SizeRow row) const {
    switch (row) {
        case SizeRow::Large:
            return job_.largeStart.value();
        case SizeRow::Medium:
            return job_.mediumStart.value();
        case SizeRow::Small:
            break;
    }
    return job_.smallStart.value();
}

Number JobSetup::storedEnd(SizeRow row) const {
    switch (row) {
        case SizeRow::Large:
            return job_.largeEnd.value();
        case SizeRow::Medium:
            return job_.mediumEnd.value();
        case SizeRow::Small:
            break;
    }
    return job_.smallEnd;
}

void JobSetup::setStoredStart(SizeRow row, Number value) {
    switch (row) {
        case SizeRow::Large:
            job_.largeStart = value;
            return;
        case SizeRow::Medium:
            job_.mediumStart = value;
            return;
        case SizeRow::Small:
            job_.smallStart = value;
            return;
    }
}

void JobSetup::setStoredEnd(SizeRow row, Number value) {
    switch (row) {
        case SizeRow::Large:
            job_.largeEnd = value;
            return;
        case SizeRow::Medium:
            job_.mediumEnd = value;
            return;
        case SizeRow::Small:
            // Only ends from above 0 to 9999 reach here, which always fit.
            job_.smallEnd = saturatingInt16(value);
            return;
    }
}

void JobSetup::setStoredCount(SizeRow row, Number value) {
    switch (row) {
        case SizeRow::Large:
            job_.largeCount = value;
            return;
        case SizeRow::Medium:
            job_.mediumCount = value;
            return;
        case SizeRow::Small:
            job_.smallCount = saturatingInt16(value);
            return;
    }
}

bool JobSetup::setStoredPrice(SizeRow row, Number value) {
    if (!std::isfinite(value))
        return false;
    switch (row) {
        case SizeRow::Large:
            job_.largeUnitPrice = value;
            return true;
        case SizeRow::Medium:
            job_.mediumUnitPrice = value;
            return true;
        case SizeRow::Small:
            if (const auto rounded = roundToInt32(value)) {
                job_.smallUnitPrice = *rounded;
                return true;
            }
            return false;
    }
    return false;
}

// A price of 30000 or more is refused: the message, then the box emptied,
// which is a change of its own and stores the price 0. A price that its field
// cannot hold (far below zero) is refused the same way.
bool JobSetup::refusePrice(SizeRow row, Number value) {
    bool storable = std::isfinite(value);
    if (row == SizeRow::Small && storable)
        storable = roundToInt32(value).has_value();
    if (value < kPriceLimit && storable)
        return false;
    platform_.showMessage(kPriceTooLargeMessage);
    screen_.setText(rowControls(row).price, QString());
    return true;
}

void JobSetup::startLeft(SizeRow row) {
    const RowControls boxes = rowControls(row);
    if (row == SizeRow::Large && isEmpty(SetupControl::tbDaiEnd))
        screen_.setFinishVisible(false);
    if (row == SizeRow::Medium && isEmpty(SetupControl::tbChuStart))
        screen_.setFinishVisible(false);

    showHalfWidth(boxes.start);
    if (!read(boxes.start)) {
        setStoredStart(row, 0);
        refuseUnreadable(boxes.start);
        return;
    }
    showAsRead(boxes.start);
    const Number value = valueOf(boxes.start);
    if (!isEmpty(boxes.start) && value <= 0) {
        platform_.showMessage(kStartNotPositiveMessage);
        setStoredStart(row, 0);
        screen_.setText(boxes.start, QString());
        screen_.setFocusTo(boxes.start);
        return;
    }
    setStoredStart(row, value);
    if (storedStart(row) != 0 && storedEnd(row) != 0)
        computeCount(row);
    CheckRangeOverlap();
}

void JobSetup::endLeft(SizeRow row) {
    const RowControls boxes = rowControls(row);
    if (row == SizeRow::Medium && isEmpty(SetupControl::tbChuEnd))
        screen_.setFinishVisible(false);

    showHalfWidth(boxes.end);
    if (!read(boxes.end)) {
        refuseUnreadable(boxes.end);
        return;
    }
    showAsRead(boxes.end);
    const Number value = valueOf(boxes.end);
    if (!isEmpty(boxes.end) && value <= 0) {
        platform_.showMessage(kEndNotPositiveMessage);
        screen_.setText(boxes.end, QString());
        screen_.setFocusTo(boxes.end);
        return;
    }
    if (value > kHighestPhotoNumber) {
        platform_.showMessage(kEndTooHighMessage);
        screen_.setText(boxes.end, QString());
        screen_.setFocusTo(boxes.end);
        return;
    }
    setStoredEnd(row, value);

    const Number start = storedStart(row);
    const Number end = storedEnd(row);
    if (start != 0 && end != 0 && start > end) {
        switch (row) {
            case SizeRow::Large:
                platform_.showMessage(kLargeEndBeforeStartMessage);
                break;
            case SizeRow::Medium:
                platform_.showMessage(kMediumEndBeforeStartMessage);
                break;
            case SizeRow::Small:
                platform_.showMessage(kSmallEndBeforeStartMessage);
                break;
        }
        screen_.setText(boxes.start, QString());
        screen_.setText(boxes.end, QString());
        screen_.setText(boxes.count, QString());
        setStoredCount(row, 0);
        screen_.setFocusTo(boxes.start);
        return;
    }
    if (start != 0 && end != 0) {
        computeCount(row);
        if (row != SizeRow::Small)
            screen_.showPrice(row);
    }
    CheckRangeOverlap();
}

void JobSetup::computeCount(SizeRow row) {
    const RowControls boxes = rowControls(row);
    const QString text = signedDisplay(valueOf(boxes.end) - valueOf(boxes.start) + 1);
    screen_.setText(boxes.count, text);
    setStoredCount(row, readNumber(text));
}

void JobSetup::priceChanged(SizeRow row) {
    // Showing the text half-width is a change of its own, which has done
    // all of this with it.
    const SetupControl box = rowControls(row).price;
    if (showHalfWidth(box))
        return;
    // A text that is no price yet ("1," on the way to "1,200") stores
    // nothing and keeps the finish button hidden; leaving the box with it
    // refuses it.
    const std::optional<Number> value = read(box);
    if (value.value_or(0) == 0)
        screen_.setFinishVisible(false);
    if (!value || refusePrice(row, *value))
        return;
    setStoredPrice(row, *value);
    CheckRangeOverlap();
}

void JobSetup::priceLeft(SizeRow row) {
    const SetupControl box = rowControls(row).price;
    showHalfWidth(box);
    if (!read(box)) {
        refuseUnreadable(box);
        return;
    }
    // The box shows the price as read; the change stores it.
    showAsRead(box);
    if (row == SizeRow::Medium)
        return;
    const Number value = valueOf(box);
    if (refusePrice(row, value))
        return;
    setStoredPrice(row, value);
    CheckRangeOverlap();
}

void JobSetup::smallEndChanged() {
    if (isEmpty(SetupControl::tbShouEnd))
        screen_.setFinishVisible(false);
}

void JobSetup::textFieldLeft(SetupControl field) {
    const QString text = screen_.text(field);
    switch (field) {
        case SetupControl::tbTokuisaki:
            job_.customerName = text;
            break;
        case SetupControl::tbGyouji:
            job_.eventName = text;
            break;
        case SetupControl::tbSatueibi:
            job_.shootingDate = text;
            break;
        case SetupControl::tbSatueisha:
            job_.photographerName = text;
            break;
        default:
            break;
    }
}

void JobSetup::keyPress(SetupControl field, int keyAscii) {
    if (field == SetupControl::tbDaiStart)
        job_.largeMode = 0;
    if (keyAscii != kKeyEnter)
        return;
    if (const auto target = enterTarget(field))
        screen_.setFocusTo(*target);
}

std::optional<SetupControl> JobSetup::enterTarget(SetupControl field) const {
    using enum SetupControl;
    const bool filled = !isEmpty(field);
    switch (field) {
        case tbDaiStart:
            return filled ? std::optional(tbDaiEnd) : std::nullopt;
        case tbDaiEnd:
            if (!filled)
                return std::nullopt;
            return mediumInUse() ? tbChuStart : tbShouStart;
        case tbChuStart:
            return filled ? std::optional(tbChuEnd) : std::nullopt;
        case tbChuEnd:
            return filled ? std::optional(tbShouStart) : std::nullopt;
        case tbShouStart:
            return filled ? std::optional(tbShouEnd) : std::nullopt;
        case tbShouEnd:
            if (!filled)
                return std::nullopt;
            if (largeInUse())
                return tbDaiTanka;
            return mediumInUse() ? tbChuTanka : tbShouTanka;
        case tbDaiTanka:
            if (!filled)
                return std::nullopt;
            return mediumInUse() ? tbChuTanka : tbShouTanka;
        case tbChuTanka:
            return filled ? std::optional(tbShouTanka) : std::nullopt;
        case tbShouTanka:
            // A text that is no number moves on too: leaving refuses it.
            return read(tbShouTanka) != 0 ? std::optional(tbTokuisaki) : std::nullopt;
        case tbTokuisaki:
            return tbGyouji;
        case tbGyouji:
            return tbSatueibi;
        case tbSatueibi:
            return tbSatueisha;
        case tbSatueisha:
            return screen_.isFinishVisible() ? std::optional(Command2) : std::nullopt;
        default:
            return std::nullopt;
    }
}

SetupControl JobSetup::activationFocus() const {
    if (screen_.isFinishVisible())
        return SetupControl::Command2;
    if (largeInUse())
        return SetupControl::tbDaiStart;
    if (mediumInUse())
        return SetupControl::tbChuStart;
    return SetupControl::tbShouStart;
}

void JobSetup::switchOff(SizeRow row) {
    if (row == SizeRow::Small)
        return;  // the small size is always in use
    if (row == SizeRow::Large)
        job_.largeMode = 1;
    else
        job_.mediumMode = 1;

    const RowControls boxes = rowControls(row);
    screen_.setText(boxes.start, QString());
    screen_.setText(boxes.end, QString());
    screen_.setText(boxes.count, QString());
    screen_.setText(boxes.price, QString());  // runs the price handling
    screen_.setRowVisible(row, false);

    setStoredStart(row, 0);
    setStoredEnd(row, 0);
    setStoredCount(row, 0);
    setStoredPrice(row, 0);

    if (row == SizeRow::Large)
        screen_.setFocusTo(mediumInUse() ? SetupControl::tbChuStart : SetupControl::tbShouStart);
    else
        screen_.setFocusTo(largeInUse() ? SetupControl::tbDaiStart : SetupControl::tbShouStart);
}

void JobSetup::switchOn(SizeRow row) {
    if (row == SizeRow::Small)
        return;
    if (row == SizeRow::Large)
        job_.largeMode = 0;
    else
        job_.mediumMode = 0;
    screen_.setRowVisible(row, true);
    if (row == SizeRow::Large)
        screen_.setFocusTo(SetupControl::tbDaiStart);
}

void JobSetup::CheckRangeOverlap() {
    ::CheckRangeOverlap(job_, screen_, platform_);
}
