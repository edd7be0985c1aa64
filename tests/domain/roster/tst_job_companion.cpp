// SPDX-License-Identifier: MIT
// The job's companion file: the roster, the ties and the photo folder
// written and read back whole; a damaged one refused with its cause and
// kept aside while the job loads on; a save never over another program's.

#include "domain/roster/job_companion.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

JobCompanion bigCompanion() {
    QVector<RosterPupil> pupils;
    for (int i = 0; i < 2000; ++i)
        pupils.append({QString::number(1 + i / 400), QString::number(1 + i / 40 % 10), 1 + i % 40,
                       QStringLiteral("生徒 %1").arg(i), QStringLiteral("せいと %1").arg(i),
                       i % 2 ? QStringLiteral("ID%1").arg(i) : QString()});
    JobCompanion companion;
    companion.roster = Roster(pupils);
    for (int pupil = 1; pupil <= 1500; ++pupil)
        companion.ties[pupil] = (pupil * 7) % 2000;
    companion.photoFolder = QStringLiteral("D:/写真/運動会");
    return companion;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class TestJobCompanion : public QObject {
    Q_OBJECT

private slots:
    void read_refusesWhatItCannotTrust_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        using namespace JobCompanionTexts;
        QTest::newRow("cut short")
            << jobCompanionBytes(bigCompanion()).left(5000) << kNotJson.arg(5000);
        QTest::newRow("a newer format") << QByteArray(R"({"format": 2})") << kNewerFormat.arg(2);
        QTest::newRow("a pupil without a name")
            << QByteArray(R"({"format": 1, "roster": [{"class": "1", "number": 3}]})")
            << kBadPupil.arg(1);
        QTest::newRow("a tie past the roster")
            << QByteArray(R"({"format": 1, "roster": [], "ties": [[4, 0]]})") << kBadTie.arg(4);
        QTest::newRow("too large") << QByteArray(kMaxJobCompanionBytes + 1, ' ') << kTooLarge;
    }
    void read_refusesWhatItCannotTrust() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const JobCompanionRead read = readJobCompanion(bytes);
        QVERIFY(!read.companion);
        QCOMPARE(read.problem, problem);
    }

    // A job combined in brings its pupils' ties, renumbered with them: to
    // our roster's pupil of the same class and number (or ID), or with its
    // own roster when ours has none; a pupil our roster lacks stays untied.
    void carryCombinedTies_renumbersAndMatchesByPupil() {
        JobCompanion theirs;
        theirs.roster = Roster({{"6", "1", 1, "山田", "", "A1"},
                                {"6", "1", 2, "佐藤", "", ""},
                                {"6", "3", 9, "転入生", "", ""}});
        theirs.ties = {{1, 1}, {2, 0}, {3, 2}};

        JobCompanion none;
        QCOMPARE(carryCombinedTies(none, theirs, 11), 0);
        QCOMPARE(none.roster.size(), 3);
        QCOMPARE(none.ties, (std::map<int, int>{{11, 1}, {12, 0}, {13, 2}}));

        JobCompanion ours;
        ours.roster = Roster({{"6", "1", 2, "佐藤", "", ""}, {"6", "2", 7, "山田", "", "a1"}});
        ours.ties = {{1, 0}};
        QCOMPARE(carryCombinedTies(ours, theirs, 5), 1);  // 転入生 is not in ours
        QCOMPARE(ours.ties, (std::map<int, int>{{1, 0}, {5, 0}, {6, 1}}));
        QCOMPARE(ours.roster.size(), 2);
    }

    void saveAndLoad_keepEverything_andADamagedOneIsSetAside() {
        QTemporaryDir dir;
        const QString job = dir.filePath(QStringLiteral("運動会.ptl"));
        const JobCompanion companion = bigCompanion();
        QVERIFY(loadJobCompanion(job).companion.isEmpty());  // none: a job as always

        QVERIFY(saveJobCompanion(job, companion).ok());
        JobCompanionLoad loaded = loadJobCompanion(job);
        QVERIFY2(loaded.problem.isEmpty(), qPrintable(loaded.problem));
        QVERIFY(loaded.companion == companion);
        QCOMPARE(loaded.companion.roster.find("2", "1", 1), 400);

        // Another program's change is not written over.
        write(jobCompanionPath(job), jobCompanionBytes(JobCompanion{}));
        QCOMPARE(saveJobCompanion(job, companion, loaded.fileDigest).step, FileStep::TargetChanged);

        // Damaged twice: the job loads empty, each damaged file kept.
        for (const QString& aside :
             {QStringLiteral(".pictor.damaged"), QStringLiteral(".pictor.damaged(2)")}) {
            write(jobCompanionPath(job), "{\"format\": 1, \"roster\": [");
            loaded = loadJobCompanion(job);
            QVERIFY(loaded.companion.isEmpty());
            QCOMPARE(loaded.setAside, job + aside);
            QVERIFY(loaded.problem.contains(QDir::toNativeSeparators(job + aside)));
            QVERIFY(!QFile::exists(jobCompanionPath(job)));
        }
    }
};

QTEST_GUILESS_MAIN(TestJobCompanion)
#include "tst_job_companion.moc"
