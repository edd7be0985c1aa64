// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QVector>

// The school's roster (名簿): its pupils by grade, class and attendance
// number, with their names, the readings of their names and the school's
// own ID where it gives one.

struct RosterPupil {
    QString grade;      // 学年, as the school writes it ("6", "６年")
    QString className;  // 組 ("1", "い", "さくら")
    int number = 0;     // 出席番号, 1 and up
    QString name;       // 氏名
    QString kana;       // ふりがな
    QString id;         // the school's ID; empty when it gives none

    friend bool operator==(const RosterPupil&, const RosterPupil&) = default;
};

class Roster {
public:
    Roster() = default;
    explicit Roster(QVector<RosterPupil> pupils);

    const QVector<RosterPupil>& pupils() const { return pupils_; }
    int size() const { return int(pupils_.size()); }
    bool isEmpty() const { return pupils_.isEmpty(); }

    // The index of the pupil of this grade, class and number (the grade may
    // be left empty when the roster has one pupil of that class and number);
    // none when there is no such pupil, or more than one.
    std::optional<int> find(const QString& grade, const QString& className, int number) const;
    // The index of the pupil with this ID.
    std::optional<int> findId(const QString& id) const;
    // How many pupils have this class and number, whatever their grade.
    int countOf(const QString& className, int number) const;

private:
    QVector<RosterPupil> pupils_;
    QMultiHash<QString, int> byClassNumber_;  // class and number, grade left out
    QHash<QString, int> byId_;
};

// How a class or an ID is compared: full-width letters and digits made
// half-width, blanks taken off, letters in one case ("１組" and "1組" match).
QString rosterKeyText(const QString& text);

// Where a pupil sits: "6年1組 12番" (the grade left out when the roster has
// none; "年" and "組" not doubled when the school writes them).
QString rosterPlaceText(const RosterPupil& pupil);
