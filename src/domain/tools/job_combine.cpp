// SPDX-License-Identifier: MIT
#include "domain/tools/job_combine.h"

#include "domain/files/job_file_commands.h"
#include "domain/files/job_file_loader.h"
#include "domain/job/record_items.h"
#include "domain/platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

#include <QFileInfo>
#include <QHash>
#include <QStringList>

const QString JobCombineTexts::kDialogCaption = QStringLiteral("ジョブの結合");
const QString JobCombineTexts::kPupilOpen = QStringLiteral(
    "入力中の人の注文（%1 枚）はまだ登録されていません。\n"
    "「/」でこの人を登録してから、もう一度ジョブの結合を選んでください。");
const QString JobCombineTexts::kNoPupils =
    QStringLiteral("%1 には登録された人がいないため、加えるものがありません。");
const QString JobCombineTexts::kModeDiffers = QStringLiteral(
    "ネガ（%1）の設定が、このジョブと違います。\nこのジョブ：%2\n結合するファイル：%3");
const QString JobCombineTexts::kRangeDiffers = QStringLiteral(
    "ネガ（%1）の写真番号の範囲が、このジョブと違います。\nこのジョブ：%2\n結合するファイル：%3");
const QString JobCombineTexts::kPriceDiffers = QStringLiteral(
    "写真（%1）の単価が、このジョブと違います。\nこのジョブ：%2\n結合するファイル：%3");
const QString JobCombineTexts::kTooManyPupils =
    QStringLiteral("結合すると %1 人になり、登録できる %2 人を越えます。");
const QString JobCombineTexts::kCountTooLarge = QStringLiteral(
    "写真番号 %1 の注文数が、結合すると 32767 枚を越えます。\n"
    "このジョブ：%2 枚\n結合するファイル：%3 枚");
const QString JobCombineTexts::kSmallTotalTooLarge = QStringLiteral(
    "受注数（小）が、結合すると数えられる枚数を越えます。\n"
    "このジョブ：%1 枚\n結合するファイル：%2 枚");
const QString JobCombineTexts::kSamePupils = QStringLiteral(
    "※このファイルの %1 人の注文は、\nこのジョブの %2～%3 人目とまったく同じです。\n"
    "同じファイルをもう一度加えようとしていないか、確かめてください。");
const QString JobCombineTexts::kSomePupils = QStringLiteral(
    "※このファイルの人のうち %1 人の注文が、同じ順番のまま、このジョブにもう入っています。\n%2\n"
    "同じ人をもう一度加えようとしていないか、確かめてください。");
const QString JobCombineTexts::kPupilRun =
    QStringLiteral("ファイルの %1 人目 ＝ このジョブの %2 人目");
const QString JobCombineTexts::kMoreRuns = QStringLiteral("ほか %1 か所");
const QString JobCombineTexts::kHeaderDiffers = QStringLiteral(
    "※このファイルは、次の項目がこのジョブと違います。\n%1\n"
    "別の学校や行事のファイルでないか、確かめてください。");
const QString JobCombineTexts::kHeaderDifference =
    QStringLiteral("%1　このジョブ：「%2」　結合するファイル：「%3」");
const QString JobCombineTexts::kCustomerField = QStringLiteral("得意先");
const QString JobCombineTexts::kEventField = QStringLiteral("行事名");
const QString JobCombineTexts::kDateField = QStringLiteral("撮影日");
const QString JobCombineTexts::kNotCombined = QStringLiteral("ジョブは結合していません。");
const QString JobCombineTexts::kQuestion = QStringLiteral(
    "次のジョブファイルの人を、このジョブの最後の人の後に加えます。\nよろしいですか？\n\n"
    "ファイル：%1\n得意先：%2\n行事名：%3\n"
    "人数：%4 人（このジョブの %5～%6 人目になります）\n"
    "注文数：%7　合計 %8 枚");

const QString JobCombineTexts::kRosterTaken = QStringLiteral(
    "※このジョブには名簿がありません。\n"
    "結合するファイルの名簿（%1 人）をこのジョブの名簿にし、\n"
    "その生徒に結び付いた %2 人分の注文は、結び付いたまま加えます。");
const QString JobCombineTexts::kRosterNotTaken = QStringLiteral(
    "※結合するファイルには名簿（%1 人）がありますが、\n"
    "その生徒に結び付いた注文がないため、名簿は加えません。");
const QString JobCombineTexts::kNoRosterThere = QStringLiteral(
    "※結合するファイルには名簿がありません。\n"
    "加える %1 人分の注文は、このジョブの名簿の生徒に\n"
    "結び付かないまま（名前なしで）加えます。");
const QString JobCombineTexts::kRostersDiffer = QStringLiteral(
    "※結合するファイルの名簿（%2 人）は、このジョブの名簿（%1 人）と違います。\n"
    "その生徒への結び付きは、このジョブの名簿で\n"
    "ID か学年・組・出席番号が同じ生徒に移します。");
const QString JobCombineTexts::kNoTiesThere =
    QStringLiteral("結合するファイルには、名簿の生徒に結び付いた注文はありません。");
const QString JobCombineTexts::kAllTiesFound =
    QStringLiteral("結び付いた %1 人分は、どれもこのジョブの名簿に当たる生徒がいます。");
const QString JobCombineTexts::kTiesLost = QStringLiteral(
    "結び付いた %1 人分のうち %2 人分は、\n"
    "このジョブの名簿に当たる生徒がいないため、名前なしで加えます。");

namespace {

using namespace JobCombineTexts;

// Whether two rosters hold the same pupils, in any order.
bool samePupils(const Roster& a, const Roster& b) {
    if (a.size() != b.size())
        return false;
    const auto sorted = [](const Roster& roster) {
        QVector<RosterPupil> pupils = roster.pupils();
        std::sort(pupils.begin(), pupils.end(), [](const RosterPupil& x, const RosterPupil& y) {
            return std::tie(x.grade, x.className, x.number, x.name, x.kana, x.id) <
                   std::tie(y.grade, y.className, y.number, y.name, y.kana, y.id);
        });
        return pupils;
    };
    return sorted(a) == sorted(b);
}

QString refused(const QString& why) {
    return why + QStringLiteral("\n\n") + kNotCombined;
}

QString modeText(Number mode) {
    return mode == 0 ? QStringLiteral("設定する") : QStringLiteral("設定しない");
}

QString rangeText(Number start, Number end) {
    return plainDecimal(start) + QStringLiteral("～") + plainDecimal(end);
}

QString priceText(Number price) {
    return plainDecimal(price) + QStringLiteral(" 円");
}

// One size's setting, range and unit price, read as numbers: the sizes
// agree when these agree, whatever form the fields were given in.
struct SizeSetup {
    QString name;
    Number mode;
    Number start;
    Number end;
    Number price;
};

QVector<SizeSetup> sizeSetups(const JobState& job) {
    return {
        {QStringLiteral("大"), job.largeMode.value(), job.largeStart.value(), job.largeEnd.value(),
         job.largeUnitPrice.value()},
        {QStringLiteral("中"), Number(job.mediumMode), job.mediumStart.value(),
         job.mediumEnd.value(), job.mediumUnitPrice.value()},
        {QStringLiteral("小"), 0, job.smallStart.value(), Number(job.smallEnd),
         Number(job.smallUnitPrice)},
    };
}

std::optional<QString> sizeRefusal(const JobState& job, const JobState& other) {
    const QVector<SizeSetup> ours = sizeSetups(job);
    const QVector<SizeSetup> theirs = sizeSetups(other);
    for (qsizetype i = 0; i < ours.size(); ++i) {
        const SizeSetup& a = ours[i];
        const SizeSetup& b = theirs[i];
        if (a.mode != b.mode)
            return kModeDiffers.arg(a.name, modeText(a.mode), modeText(b.mode));
        if (a.start != b.start || a.end != b.end)
            return kRangeDiffers.arg(a.name, rangeText(a.start, a.end), rangeText(b.start, b.end));
        if (a.price != b.price)
            return kPriceDiffers.arg(a.name, priceText(a.price), priceText(b.price));
    }
    return std::nullopt;
}

// The record with its pupil label made "(personNumber) ".
QString renumbered(const QString& record, Number personNumber) {
    const QString label = QStringLiteral("(") + plainDecimal(personNumber) + QStringLiteral(") ");
    qsizetype labelStart = -1;
    qsizetype labelEnd = 0;
    qsizetype start = 0;
    forEachRecordItem(record, [&](const RecordItem& item) {
        if (item.kind() == RecordItem::Kind::Label) {
            labelStart = start;
            labelEnd = item.end();
            return false;
        }
        start = item.end();
        return true;
    });
    if (labelStart < 0)
        return label + record;
    return record.left(labelStart) + label + record.mid(labelEnd);
}

// The record without its pupil label, for comparing pupils across jobs.
QString withoutLabel(const QString& record) {
    return renumbered(record, 0);
}

// Where other's registered pupils already stand, all of them in a row and
// in order, among job's registered pupils (the first of them), or nothing:
// the same file handed over twice, or the job's own file.
std::optional<int> samePupilsIn(const JobState& job, const JobState& other) {
    const QList<PupilRun> runs = pupilsAlreadyIn(job, other);
    if (runs.isEmpty() || runs.first().length != int(other.personCount))
        return std::nullopt;
    return runs.first().jobFirst;
}

// "3～5" or "3".
QString pupilSpan(int first, int length) {
    return length == 1 ? plainDecimal(first)
                       : plainDecimal(first) + u'～' + plainDecimal(first + length - 1);
}

// The lines of the customer, event and shooting date that differ between
// the job and the file.
QStringList headerDifferences(const JobState& job, const JobState& other) {
    struct Field {
        const QString& name;
        QString ours;
        QString theirs;
    };
    const Field fields[] = {
        {kCustomerField, job.customerName.toText(), other.customerName.toText()},
        {kEventField, job.eventName.toText(), other.eventName.toText()},
        {kDateField, job.shootingDate, other.shootingDate},
    };
    QStringList lines;
    for (const Field& field : fields)
        if (field.ours != field.theirs)
            lines << kHeaderDifference.arg(field.name, field.ours, field.theirs);
    return lines;
}

}  // namespace

QList<PupilRun> pupilsAlreadyIn(const JobState& job, const JobState& other) {
    // Each pupil's record, without its label, as a number: equal records,
    // equal numbers.
    QHash<QString, int> ids;
    const auto idsOf = [&](const JobState& of) {
        QList<int> list;
        for (int k = 1; k <= int(of.personCount) && k < of.personRecords.size(); ++k) {
            const QString record = withoutLabel(of.personRecords[k]);
            auto id = ids.constFind(record);
            if (id == ids.cend())
                id = ids.insert(record, int(ids.size()));
            list << id.value();
        }
        return list;
    };
    const QList<int> ours = idsOf(job);
    const QList<int> theirs = idsOf(other);
    const int shortest = std::min<int>(2, int(theirs.size()));

    // The runs of equal pupils that go no further either way, one row of
    // run lengths at a time.
    QList<PupilRun> runs;
    QList<int> previous(ours.size() + 1, 0), current(ours.size() + 1, 0);
    for (int i = 0; i < theirs.size(); ++i) {
        for (int j = 0; j < ours.size(); ++j) {
            current[j + 1] = theirs[i] == ours[j] ? previous[j] + 1 : 0;
            const bool ends =
                i + 1 == theirs.size() || j + 1 == ours.size() || theirs[i + 1] != ours[j + 1];
            if (current[j + 1] >= shortest && ends)
                runs.append({i + 2 - current[j + 1], j + 2 - current[j + 1], current[j + 1]});
        }
        std::swap(previous, current);
    }

    // The longest first; a run that shares a pupil with a longer one goes.
    std::stable_sort(runs.begin(), runs.end(),
                     [](const PupilRun& a, const PupilRun& b) { return a.length > b.length; });
    QList<bool> fileTaken(theirs.size() + 1, false), jobTaken(ours.size() + 1, false);
    QList<PupilRun> kept;
    for (const PupilRun& run : runs) {
        bool free = true;
        for (int k = 0; k < run.length && free; ++k)
            free = !fileTaken[run.fileFirst + k] && !jobTaken[run.jobFirst + k];
        if (!free)
            continue;
        for (int k = 0; k < run.length; ++k)
            fileTaken[run.fileFirst + k] = jobTaken[run.jobFirst + k] = true;
        kept << run;
    }
    return kept;
}

bool sameSizes(const JobState& job, const JobState& other) {
    return !sizeRefusal(job, other);
}

std::optional<QString> openPupilRefusal(const JobState& job) {
    if (job.pendingEntry.isEmpty())
        return std::nullopt;
    const qsizetype prints =
        parseEntryTokens(job.pendingEntry, int(job.pendingEntry.size()) + 1).size();
    return kPupilOpen.arg(prints);
}

std::optional<QString> combineRefusal(const JobState& job, const JobState& other) {
    if (const std::optional<QString> open = openPupilRefusal(job))
        return open;
    if (!(other.personCount >= 1))
        return refused(kNoPupils.arg(QStringLiteral("結合するファイル")));
    if (const std::optional<QString> size = sizeRefusal(job, other))
        return refused(*size);

    const Number persons = job.personCount + other.personCount;
    const Number lastSlot = job.lastRecordSlot + other.personCount;
    // Written the other way round, so that no number the job cannot hold
    // passes (the loader and the engine keep them whole and in range).
    if (!(persons <= JobState::kMaxPersons && lastSlot <= JobState::kMaxPersons &&
          job.lastRecordSlot >= 0 && other.personCount == std::floor(other.personCount) &&
          job.lastRecordSlot == std::floor(job.lastRecordSlot)))
        return refused(kTooManyPupils.arg(plainDecimal(persons)).arg(JobState::kMaxPersons));

    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
        const int ours = job.printCounts[std::size_t(n)];
        const int theirs = other.printCounts[std::size_t(n)];
        if (ours + theirs > std::numeric_limits<std::int16_t>::max())
            return refused(kCountTooLarge.arg(n).arg(ours).arg(theirs));
    }
    const std::int64_t small = std::int64_t(job.smallTotalPrints) + other.smallTotalPrints;
    if (small > std::numeric_limits<std::int32_t>::max() ||
        small < std::numeric_limits<std::int32_t>::min())
        return refused(kSmallTotalTooLarge.arg(job.smallTotalPrints).arg(other.smallTotalPrints));
    return std::nullopt;
}

void combineJobs(JobState& job, const JobState& other) {
    const int added = int(other.personCount);
    const int firstSlot = int(job.lastRecordSlot) + 1;
    for (int k = 1; k <= added; ++k)
        job.personRecords[firstSlot + k - 1] =
            renumbered(other.personRecords.value(k), job.personCount + k);
    job.personCount += added;
    job.lastRecordSlot += added;

    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        job.printCounts[std::size_t(n)] =
            std::int16_t(job.printCounts[std::size_t(n)] + other.printCounts[std::size_t(n)]);
    job.grandTotalPrints += other.grandTotalPrints;
    job.largeTotalPrints += other.largeTotalPrints;
    job.mediumTotalPrints += other.mediumTotalPrints;
    job.smallTotalPrints += other.smallTotalPrints;
}

CombineRosterNote combineRosterNote(const JobCompanion& ours,
                                    const std::optional<JobCompanion>& theirs, const JobState& job,
                                    const JobState& other) {
    const JobCompanion none;
    const JobCompanion& their = theirs ? *theirs : none;
    if (ours.roster.isEmpty() && their.roster.isEmpty())
        return {};
    if (ours.roster.isEmpty()) {
        if (their.ties.empty())
            return {kRosterNotTaken.arg(their.roster.size())};
        return {kRosterTaken.arg(their.roster.size()).arg(their.ties.size())};
    }
    if (their.roster.isEmpty())
        return {kNoRosterThere.arg(plainDecimal(other.personCount))};
    if (samePupils(ours.roster, their.roster))
        return {};
    QString text = kRostersDiffer.arg(ours.roster.size()).arg(their.roster.size()) + u'\n';
    if (their.ties.empty())
        return {text + kNoTiesThere};
    // Carried onto a copy as the combine will carry them.
    JobCompanion carried = ours;
    const int lost = carryCombinedTies(carried, their, int(job.personCount) + 1);
    if (lost == 0)
        return {text + kAllTiesFound.arg(their.ties.size())};
    return {text + kTiesLost.arg(their.ties.size()).arg(lost), true};
}

CombineQuestion combineQuestion(const QString& path, const JobState& job, const JobState& other,
                                const QString& loadNote, const CombineRosterNote& rosterNote) {
    QStringList perSize;
    if (other.largeMode.value() == 0)
        perSize << QStringLiteral("大 %1 枚").arg(plainDecimal(other.largeTotalPrints));
    if (other.mediumMode == 0)
        perSize << QStringLiteral("中 %1 枚").arg(plainDecimal(other.mediumTotalPrints));
    perSize << QStringLiteral("小 %1 枚").arg(other.smallTotalPrints);
    QString question =
        kQuestion
            .arg(QFileInfo(path).fileName(), other.customerName.toText(), other.eventName.toText(),
                 plainDecimal(other.personCount), plainDecimal(job.personCount + 1),
                 plainDecimal(job.personCount + other.personCount), perSize.join(u'、'))
            .arg(plainDecimal(other.grandTotalPrints));
    bool warns = false;
    if (const QStringList differences = headerDifferences(job, other); !differences.isEmpty()) {
        question += QStringLiteral("\n\n") + kHeaderDiffers.arg(differences.join(u'\n'));
        warns = true;
    }
    const QList<PupilRun> runs = pupilsAlreadyIn(job, other);
    if (const std::optional<int> first = samePupilsIn(job, other)) {
        question += QStringLiteral("\n\n") +
                    kSamePupils.arg(plainDecimal(other.personCount), plainDecimal(*first),
                                    plainDecimal(*first + other.personCount - 1));
        warns = true;
    } else if (!runs.isEmpty()) {
        constexpr int kRunsListed = 5;
        QStringList lines;
        int pupils = 0;
        for (const PupilRun& run : runs) {
            pupils += run.length;
            if (lines.size() < kRunsListed)
                lines << kPupilRun.arg(pupilSpan(run.fileFirst, run.length),
                                       pupilSpan(run.jobFirst, run.length));
        }
        if (runs.size() > kRunsListed)
            lines << kMoreRuns.arg(runs.size() - kRunsListed);
        question += QStringLiteral("\n\n") + kSomePupils.arg(pupils).arg(lines.join(u'\n'));
        warns = true;
    }
    if (!rosterNote.text.isEmpty()) {
        question += QStringLiteral("\n\n") + rosterNote.text;
        warns = warns || rosterNote.warns;
    }
    if (!loadNote.isEmpty())
        question += QStringLiteral("\n\n") + loadNote;
    return {question, warns};
}

std::optional<JobState> chooseJobToCombine(const JobState& job, Platform& platform,
                                           QString* chosenPath, const JobCompanion& companion) {
    if (const std::optional<QString> open = openPupilRefusal(job)) {
        platform.showMessage(*open);
        return std::nullopt;
    }
    const QString path = platform.chooseFileToOpen(kDialogCaption, jobFileOpenFilters(),
                                                   JobFileDialogTexts::kJobFilesFilter);
    if (path.isEmpty())
        return std::nullopt;

    // Read with every check of a load, into a job of its own.
    JobState other;
    const JobFileLoadResult result = LoadJobFile(other, path);
    if (!result.complete()) {
        platform.showMessage(refused(result.message));
        return std::nullopt;
    }
    if (other.personCount < 1) {
        platform.showMessage(refused(kNoPupils.arg(QFileInfo(path).fileName())));
        return std::nullopt;
    }
    if (const std::optional<QString> refusal = combineRefusal(job, other)) {
        platform.showMessage(*refusal);
        return std::nullopt;
    }
    // A warning is there to be read: an Enter typed ahead must not answer
    // yes to it, since the pupils once added cannot be taken out again.
    const CombineQuestion question =
        combineQuestion(path, job, other, result.message,
                        combineRosterNote(companion, readJobCompanionBeside(path), job, other));
    if (!platform.askQuestion(question.text, question.warns ? Platform::DefaultAnswer::No
                                                            : Platform::DefaultAnswer::Yes))
        return std::nullopt;
    if (chosenPath)
        *chosenPath = path;
    return other;
}
