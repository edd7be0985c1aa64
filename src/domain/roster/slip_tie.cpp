// SPDX-License-Identifier: MIT
#include "domain/roster/slip_tie.h"

#include <QRegularExpression>
#include <QStringList>

namespace SlipTieTexts {
const QString kNotSlipCode =
    QStringLiteral("読み取ったコード「%1」は、この仕事の注文票のコードではありません。");
const QString kOtherRoster = QStringLiteral(
    "読み取ったコード「%1」は、いまの名簿の児童のものではありません。"
    "名簿を読み込み直す前に印刷した注文票かもしれません。組と番号で結び付けてください。");
const QString kNoSuchPupil = QStringLiteral("その組と番号の児童は名簿にいません");
const QString kGradeNeeded = QStringLiteral(
    "その組と番号の児童が複数の学年にいます。組に「学年-組」（例 6-1）と入れてください");
const QString kNoSuchId = QStringLiteral("ID「%1」の児童は名簿にいません");
const QString kRepeatQuestion = QStringLiteral(
    "%1 の注文票は、すでに %2 として登録されています。\n"
    "同じ児童の別の注文として、この注文票も結び付けますか？");
const QString kAnotherOrder = QStringLiteral("別の注文として結び付ける");
const QString kCancel = QStringLiteral("取り消す");
}  // namespace SlipTieTexts

namespace {

constexpr char16_t kCodeLetter = u'P';

int checkDigits(const RosterPupil& pupil) {
    const QByteArray key = (rosterKeyText(pupil.className) + u'\x1f' +
                            QString::number(pupil.number) + u'\x1f' + pupil.name.trimmed())
                               .toUtf8();
    return int(qChecksum(key) % 100);
}

bool isLetter(int key) {
    return (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z');
}

bool belongsToCode(int key) {
    return isLetter(key) || (key >= '0' && key <= '9') || key == '-';
}

}  // namespace

QString slipCodeOf(const Roster& roster, int pupil) {
    return QChar(kCodeLetter) + QString::number(pupil + 1).rightJustified(4, u'0') +
           QString::number(checkDigits(roster.pupils()[pupil])).rightJustified(2, u'0');
}

PupilMatch matchSlipCode(const Roster& roster, const QString& code) {
    static const QRegularExpression shape(QStringLiteral("^[Pp]([0-9]{4,7})([0-9]{2})$"));
    const QRegularExpressionMatch match = shape.match(code);
    if (!match.hasMatch())
        return {std::nullopt, SlipTieTexts::kNotSlipCode.arg(code)};
    const int index = match.captured(1).toInt() - 1;
    if (index < 0 || index >= roster.size() ||
        checkDigits(roster.pupils()[index]) != match.captured(2).toInt())
        return {std::nullopt, SlipTieTexts::kOtherRoster.arg(code)};
    return {index, {}};
}

PupilMatch lookUpPupil(const Roster& roster, const QString& classText, const QString& numberText) {
    const QString number = numberText.normalized(QString::NormalizationForm_KC).trimmed();
    const QString place = classText.trimmed();
    if (number.isEmpty()) {
        if (const std::optional<int> byId = roster.findId(place))
            return {byId, {}};
        return {std::nullopt, SlipTieTexts::kNoSuchId.arg(place)};
    }
    bool isNumber = false;
    const int n = number.toInt(&isNumber);
    if (!isNumber)
        return {std::nullopt, SlipTieTexts::kNoSuchPupil};
    // "6-1" is grade 6, class 1, unless the roster has a class of that name.
    const qsizetype dash = place.indexOf(u'-');
    if (dash > 0 && roster.countOf(place, n) == 0) {
        if (const std::optional<int> found = roster.find(place.left(dash), place.mid(dash + 1), n))
            return {found, {}};
        return {std::nullopt, SlipTieTexts::kNoSuchPupil};
    }
    if (roster.countOf(place, n) > 1)
        return {std::nullopt, SlipTieTexts::kGradeNeeded};
    if (const std::optional<int> found = roster.find({}, place, n))
        return {found, {}};
    return {std::nullopt, SlipTieTexts::kNoSuchPupil};
}

SlipScanReader::Outcome SlipScanReader::key(int keyAscii, qint64 atMs) {
    Outcome outcome;
    if (reading() && atMs - lastAt_ > kGapMs)
        outcome.handOn = giveUp();
    if (!reading()) {
        if (isLetter(keyAscii)) {
            held_.append(keyAscii);
            lastAt_ = atMs;
            outcome.taken = true;
        } else if (!outcome.handOn.isEmpty()) {
            // The key follows the keys handed on, in the order they were typed.
            outcome.handOn.append(keyAscii);
            outcome.taken = true;
        }
        return outcome;
    }
    outcome.taken = true;
    lastAt_ = atMs;
    if (keyAscii == 13) {
        for (const int held : std::as_const(held_))
            outcome.code.append(QChar(held));
        held_.clear();
    } else if (belongsToCode(keyAscii)) {
        held_.append(keyAscii);
    } else {
        outcome.handOn = giveUp();
        outcome.handOn.append(keyAscii);
    }
    return outcome;
}

QVector<int> SlipScanReader::giveUp() {
    QVector<int> typed;
    for (const int held : std::as_const(held_)) {
        if (!isLetter(held))
            typed.append(held);
    }
    held_.clear();
    return typed;
}

void SlipTies::tieRegistered(int registeredPupil, std::optional<int> rosterPupil) {
    if (rosterPupil)
        companion_.ties[registeredPupil] = *rosterPupil;
    else
        companion_.ties.erase(registeredPupil);
}

std::optional<int> SlipTies::tieOf(int registeredPupil) const {
    const auto it = companion_.ties.find(registeredPupil);
    if (it == companion_.ties.end())
        return std::nullopt;
    return it->second;
}

void SlipTies::followKeying(int personCount) {
    if (personCount > seenPersons_ && openSlip_) {
        tieRegistered(personCount, openSlip_);
        openSlip_.reset();
    }
    seenPersons_ = personCount;
}

QVector<int> SlipTies::registeredOf(int rosterPupil) const {
    QVector<int> registered;
    for (const auto& [pupil, tied] : companion_.ties) {
        if (tied == rosterPupil)
            registered.append(pupil);
    }
    return registered;
}

QString SlipTies::repeatQuestion(const RosterPupil& pupil, const QVector<int>& registered) {
    QStringList slips;
    for (const int number : registered)
        slips.append(u'(' + QString::number(number) + u')');
    return SlipTieTexts::kRepeatQuestion.arg(rosterPlaceText(pupil) + u' ' + pupil.name,
                                             slips.join(u'、'));
}

QString tiedPupilText(const Roster& roster, std::optional<int> pupil) {
    if (!pupil || *pupil < 0 || *pupil >= roster.size())
        return {};
    const RosterPupil& tied = roster.pupils()[*pupil];
    return rosterPlaceText(tied) + QStringLiteral("  ") + tied.name;
}
