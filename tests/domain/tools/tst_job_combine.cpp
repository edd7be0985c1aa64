// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/journal/journal.h"
#include "domain/roster/job_companion.h"
#include "domain/tools/job_combine.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Pupils = QList<QList<int>>;

// Pupils of random photo numbers from all three sizes.
Pupils randomPupils(int count, quint32 seed) {
    QRandomGenerator random(seed);
    Pupils pupils;
    for (int p = 0; p < count; ++p) {
        QList<int> numbers;
        for (int i = 0, n = 1 + random.bounded(8); i < n; ++i)
            numbers << 1 + random.bounded(999);
        pupils << numbers;
    }
    return pupils;
}

// A job of the usual sizes with the pupils keyed through the engine.
JobState keyed(const Pupils& pupils) {
    JobState job = makeJob();
    job.customerName = QStringLiteral("ひかり中学校");
    job.eventName = QStringLiteral("修学旅行");
    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("/x"));
    for (const QList<int>& pupil : pupils)
        keyPerson(engine, pupil);
    return job;
}

}  // namespace

class TestJobCombine : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // The job saved as a file and loaded back, as the other PCs hand it over.
    JobState savedAndLoaded(const JobState& job, const QString& name) {
        const QString path = dir.filePath(name);
        [&] { QVERIFY(saveJobFile(path, job).saved); }();
        JobState loaded;
        [&] { QVERIFY(LoadJobFile(loaded, path).complete()); }();
        return loaded;
    }

private Q_SLOTS:
    void threeFilesCombined_equalOneJobKeyedWithAllPupils() {
        const Pupils first = randomPupils(40, 1), second = randomPupils(25, 2),
                     third = randomPupils(30, 3);
        JobState combined = savedAndLoaded(keyed(first), QStringLiteral("1.ptl"));
        for (const JobState& other : {savedAndLoaded(keyed(second), QStringLiteral("2.ptl")),
                                      savedAndLoaded(keyed(third), QStringLiteral("3.ptl"))}) {
            QVERIFY(!combineRefusal(combined, other));
            combineJobs(combined, other);
        }
        const JobState all = keyed(first + second + third);
        verifySameJob(combined, all);
        if (QTest::currentTestFailed())
            return;
        // And it saves as a file that loads as that job.
        verifySameJob(savedAndLoaded(combined, QStringLiteral("all.ptl")), all);
    }

    // Pupils of the file that the job holds already, in the same order, are
    // warned of; pupils that merely order alike are not.
    void question_warnsOfPupilsTheJobHoldsAlready_data() {
        QTest::addColumn<Pupils>("ours");
        QTest::addColumn<Pupils>("theirs");
        QTest::addColumn<QList<PupilRun>>("runs");
        QTest::addColumn<QString>("warning");  // a line the question holds; empty: none
        const Pupils a = randomPupils(43, 4), b = randomPupils(6, 5), c = randomPupils(3, 6);
        QTest::newRow("a copy of the job, one pupil more")
            << a << a + c.mid(0, 1) << QList<PupilRun>{{1, 1, 43}}
            << "※このファイルの人のうち 43 人の注文が";
        QTest::newRow("the same file again") << a + b << b << QList<PupilRun>{{1, 44, 6}}
                                             << "このジョブの 44～49 人目とまったく同じです";
        QTest::newRow("a file added before, then keyed on")
            << a + b << b + c << QList<PupilRun>{{1, 44, 6}}
            << "ファイルの 1～6 人目 ＝ このジョブの 44～49 人目";
        QTest::newRow("two runs") << a + b << c + a.mid(0, 2) + c + b.mid(3, 2)
                                  << QList<PupilRun>{{4, 1, 2}, {9, 47, 2}} << "のうち 4 人";
        QTest::newRow("one pupil alike") << a << c + a.mid(5, 1) << QList<PupilRun>{} << "";
        QTest::newRow("other pupils") << a << b << QList<PupilRun>{} << "";
    }
    void question_warnsOfPupilsTheJobHoldsAlready() {
        QFETCH(Pupils, ours);
        QFETCH(Pupils, theirs);
        QFETCH(QList<PupilRun>, runs);
        QFETCH(QString, warning);
        const JobState job = keyed(ours), other = keyed(theirs);
        QCOMPARE(pupilsAlreadyIn(job, other), runs);
        const CombineQuestion question = combineQuestion(QStringLiteral("x_2.ptl"), job, other);
        QCOMPARE(question.warns, !warning.isEmpty());
        if (!warning.isEmpty())
            QVERIFY2(question.text.contains(warning), qPrintable(question.text));
    }

    void refusedOrCancelled_leavesTheJobByteForByte_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("told");   // a part of the message or question
        QTest::addColumn<QString>("enter");  // what Enter answers the question: "yes", "no"
        QTest::newRow("range") << "range"
                               << "ネガ（中）の写真番号の範囲が、このジョブと違います。\n"
                                  "このジョブ：101～300\n結合するファイル：101～299"
                               << "";
        QTest::newRow("mode") << "mode"
                              << "ネガ（大）の設定が、このジョブと違います。\n"
                                 "このジョブ：設定する\n結合するファイル：設定しない"
                              << "";
        QTest::newRow("price") << "price"
                               << "このジョブ：100 円\n結合するファイル：120 円"
                               << "";
        QTest::newRow("1500 pupils") << "pupils"
                                     << "結合すると 1501 人になり"
                                     << "";
        QTest::newRow("count") << "count"
                               << "写真番号 5 の注文数が、結合すると 32767 枚を越えます"
                               << "";
        QTest::newRow("damaged") << "damaged"
                                 << "データファイルを読み込めませんでした"
                                 << "";
        QTest::newRow("partly read") << "partial"
                                     << "データファイルを最後まで読み込めませんでした"
                                     << "";
        QTest::newRow("no pupils") << "empty"
                                   << "登録された人がいない"
                                   << "";
        QTest::newRow("pupil open") << "open"
                                    << "入力中の人の注文（2 枚）はまだ登録されていません"
                                    << "";
        QTest::newRow("cancelled") << "cancel"
                                   << ""
                                   << "";
        QTest::newRow("answered no")
            << "no"
            << "ファイル：other.ptl\n得意先：ひかり中学校\n行事名：修学旅行\n"
               "人数：2 人（このジョブの 4～5 人目になります）\n"
               "注文数：大 2 枚、中 1 枚、小 1 枚　合計 4 枚"
            << "yes";
        QTest::newRow("the same pupils again")
            << "again"
            << "※このファイルの 2 人の注文は、\nこのジョブの 2～3 人目とまったく同じです。"
            << "no";
        QTest::newRow("another customer")
            << "customer"
            << "※このファイルは、次の項目がこのジョブと違います。\n"
               "得意先　このジョブ：「ひかり中学校」　結合するファイル：「みどり中学校」\n"
               "別の学校や行事のファイルでないか、確かめてください。"
            << "no";
        QTest::newRow("another event and date")
            << "event"
            << "違います。\n行事名　このジョブ：「修学旅行」　結合するファイル：「運動会」\n"
               "撮影日　このジョブ：「」　結合するファイル：「2024/10/5」\n"
            << "no";
    }

    void refusedOrCancelled_leavesTheJobByteForByte() {
        QFETCH(QString, fault);
        QFETCH(QString, told);
        QFETCH(QString, enter);
        JobState job = keyed({{5, 5, 150}, {400, 999}, {12, 301}});
        JobState other =
            keyed(fault == "again" ? Pupils{{400, 999}, {12, 301}} : Pupils{{5, 7}, {150, 302}});
        if (fault == "range")
            other.mediumEnd = 299;
        if (fault == "mode") {
            other.largeMode = 1;
            other.largeStart = other.largeEnd = other.largeUnitPrice = 0;
        }
        if (fault == "price")
            other.smallUnitPrice = 120;
        if (fault == "pupils") {
            for (int k = 3; k <= 1498; ++k)
                other.personRecords[k] = QStringLiteral("(%1) 302 \\.100 ").arg(k);
            other.personCount = other.lastRecordSlot = 1498;
        }
        if (fault == "count")
            other.printCounts[5] = 32766;  // the job holds two
        if (fault == "empty")
            other = makeJob();
        if (fault == "customer")
            other.customerName = QStringLiteral("みどり中学校");
        if (fault == "event") {
            other.eventName = QStringLiteral("運動会");
            other.shootingDate = QStringLiteral("2024/10/5");
        }
        FakePlatform keying;
        OrderEntry engine(job, keying);
        engine.Form_Load(QStringLiteral("/x"));
        if (fault == "open")
            typeKeys(engine, QStringLiteral("8\r9\r"));
        const QString path = dir.filePath(QStringLiteral("other.ptl"));
        QVERIFY(saveJobFile(path, other).saved);
        if (fault == "damaged" || fault == "partial") {
            QFile file(path);
            // Cut in the header, or among the slots after the pupils.
            QVERIFY(file.resize(fault == "damaged" ? 40 : file.size() - 100));
        }

        FakePlatform platform;
        platform.fileAnswers = {fault == "cancel" ? QString() : path};
        const QByteArray before = jobSnapshotBytes(job);
        QVERIFY(!chooseJobToCombine(job, platform));
        QCOMPARE(jobSnapshotBytes(job), before);
        const QStringList shown = enter.isEmpty() ? platform.messages : platform.questions;
        QCOMPARE(platform.messages.size() + platform.questions.size(), told.isEmpty() ? 0 : 1);
        QVERIFY2(told.isEmpty() || shown.value(0).contains(told), qPrintable(shown.value(0)));
        QStringList enterAnswers;
        for (const Platform::DefaultAnswer answer : platform.questionDefaults)
            enterAnswers << (answer == Platform::DefaultAnswer::Yes ? "yes" : "no");
        QCOMPARE(enterAnswers, enter.isEmpty() ? QStringList() : QStringList{enter});

        // A warning is not a refusal: answered yes, the file is added.
        if (!enter.isEmpty()) {
            platform.fileAnswers = {path};
            platform.questionAnswers = {true};
            QVERIFY(chooseJobToCombine(job, platform));
        }
    }

    // The file's roster against the job's: told after the question as it
    // always was when they differ, with what becomes of the file's ties
    // (their pupils 1 and 2 tied to its first two) and how many find none.
    void rosterNote_tellsWhatBecomesOfTheTies_data() {
        QTest::addColumn<QString>("ourRoster");  // "grade/class/number/name;..."
        QTest::addColumn<QString>("theirRoster");
        QTest::addColumn<bool>("companionThere");
        QTest::addColumn<QString>("note");  // empty: none; Enter answers no where ties are lost
        using namespace JobCombineTexts;
        const QString a = "6/1/1/青木;6/1/2/井上", b = "6/1/2/井上;6/1/1/青木";
        QTest::newRow("neither has a roster") << ""
                                              << "" << true << "";
        QTest::newRow("the same pupils, in another order") << a << b << true << "";
        QTest::newRow("ours none: theirs is taken")
            << "" << a << true << kRosterTaken.arg(2).arg(2);
        QTest::newRow("theirs none") << a << "" << false << kNoRosterThere.arg(2);
        QTest::newRow("others: every tie finds a pupil")
            << b + ";6/3/1/太田" << a << true
            << kRostersDiffer.arg(3).arg(2) + u'\n' + kAllTiesFound.arg(2);
        QTest::newRow("others: one tie finds none")
            << "6/1/2/井上;6/2/1/江藤" << a << true
            << kRostersDiffer.arg(2).arg(2) + u'\n' + kTiesLost.arg(2).arg(1);
    }
    void rosterNote_tellsWhatBecomesOfTheTies() {
        QFETCH(QString, ourRoster);
        QFETCH(QString, theirRoster);
        QFETCH(bool, companionThere);
        QFETCH(QString, note);
        const auto companion = [](const QString& text, std::map<int, int> ties) {
            QVector<RosterPupil> pupils;
            for (const QString& pupil : text.split(u';', Qt::SkipEmptyParts)) {
                const QStringList f = pupil.split(u'/');
                pupils.append({f[0], f[1], f[2].toInt(), f[3], "", ""});
            }
            return JobCompanion{Roster(pupils), pupils.isEmpty() ? std::map<int, int>() : ties, {}};
        };
        JobState job = keyed({{5, 6}, {301}});
        const JobState other = keyed({{7}, {8}});
        const QString path = dir.filePath(QStringLiteral("roster_note.ptl"));
        QVERIFY(saveJobFile(path, other).saved);
        QFile::remove(jobCompanionPath(path));
        if (companionThere)
            QVERIFY(saveJobCompanion(path, companion(theirRoster, {{1, 0}, {2, 1}})).ok());

        const QString asked = combineQuestion(path, job, other).text;
        FakePlatform platform;
        platform.fileAnswers = {path};
        platform.questionAnswers = {true};
        QVERIFY(chooseJobToCombine(job, platform, nullptr, companion(ourRoster, {{1, 0}})));
        QCOMPARE(platform.questions,
                 QStringList{note.isEmpty() ? asked : asked + QStringLiteral("\n\n") + note});
        const bool warns = note.endsWith(JobCombineTexts::kTiesLost.arg(2).arg(1));
        QCOMPARE(platform.questionDefaults,
                 QList<Platform::DefaultAnswer>{warns ? Platform::DefaultAnswer::No
                                                      : Platform::DefaultAnswer::Yes});
    }

    void journalWithACombine_replaysToTheCombinedJob() {
        JobState job = keyed({{5, 6}, {301}});
        FakePlatform platform;
        OrderEntry engine(job, platform);
        engine.Form_Load(QStringLiteral("/x"));
        JournalWriter writer;
        writer.setPath(dir.filePath(QStringLiteral("run-0.journal")));
        QVERIFY(writer.begin(job));
        const auto apply = [&](const JournalEntry& entry) {
            writer.record(entry);
            applyJournalEntry(engine, platform, entry);
        };
        for (const QChar c : QStringLiteral("12\r/"))
            apply({JournalEntry::Kind::KeyPress, c.unicode()});
        apply(JournalEntry::combine(
            savedAndLoaded(keyed(randomPupils(30, 4)), QStringLiteral("o.ptl"))));
        for (const QChar c : QStringLiteral("7\r/8\r"))
            apply({JournalEntry::Kind::KeyPress, c.unicode()});
        QVERIFY(job.personRecords[34].startsWith(QStringLiteral("(34) 7 ")));

        const std::optional<JournalContents> contents = readJournalFile(writer.path());
        QVERIFY(contents && contents->unsaved);
        QCOMPARE(jobSnapshotBytes(replayJournal(*contents, QStringLiteral("/x"))),
                 jobSnapshotBytes(job));
    }
};

QTEST_GUILESS_MAIN(TestJobCombine)
#include "tst_job_combine.moc"
