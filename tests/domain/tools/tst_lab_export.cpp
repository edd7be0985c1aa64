// SPDX-License-Identifier: MIT
// The lab export of a job keyed through the order-entry engine, written to
// disk and read back by Python's csv module, which knows nothing of the
// writer.

#include "domain/entry/order_entry.h"
#include "domain/files/job_file_writer.h"
#include "domain/tools/lab_export.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <map>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using Rows = QVector<QStringList>;

class TestLabExport : public QObject {
    Q_OBJECT

    JobState job;
    FakePlatform platform;
    std::unique_ptr<QTemporaryDir> dir;
    LabExportResult result;
    QByteArray bytes;

    // Writes the export, then returns its rows as Python reads them (none
    // when anything failed, the test failing with it).
    Rows exportAndRead(LabExportKind kind, LabExportEncoding encoding) {
        const QString path = dir->filePath(QStringLiteral("export.csv"));
        result = writeLabExport(path, job, kind, encoding);
        QFile file(path);
        bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (!result.written || python.isEmpty()) {
            QTest::qFail(result.written ? "python3 is needed to read the exports back"
                                        : qPrintable(result.message),
                         __FILE__, __LINE__);
            return {};
        }
        QProcess process;
        process.start(python, {QStringLiteral("-c"),
                               QStringLiteral("import csv, json, sys\n"
                                              "with open(sys.argv[1], encoding=sys.argv[2], "
                                              "newline='') as f:\n"
                                              "    print(json.dumps(list(csv.reader(f))))\n"),
                               path,
                               encoding == LabExportEncoding::Utf8 ? QStringLiteral("utf-8-sig")
                                                                   : QStringLiteral("cp932")});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            QTest::qFail(process.readAllStandardError().constData(), __FILE__, __LINE__);
            return {};
        }
        Rows rows;
        for (const QJsonValue row :
             QJsonDocument::fromJson(process.readAllStandardOutput()).array())
            rows.append(row.toVariant().toStringList());
        return rows;
    }

private Q_SLOTS:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        job = makeJob();  // large 1-100, medium 101-300, small 301-999
        job.customerName = QStringLiteral("さくら小学校");
        job.eventName = QStringLiteral("運動会");
        job.shootingDate = QStringLiteral("2024/10/5");
        OrderEntry engine(job, platform);
        engine.Form_Load(dir->path());
        keyPerson(engine, {5, 5, 150, 400, 5});
        typeKeys(engine, QStringLiteral("301\r999\r12\r-999\r/"));  // 999 taken back
        keyPerson(engine, {100, 101, 300, 999});
        typeKeys(engine, QStringLiteral("7\r7\r"));  // still being keyed
        QCOMPARE(int(job.personCount), 3);
    }

    void export_agreesWithTheJob_data() {
        QTest::addColumn<LabExportKind>("kind");
        QTest::addColumn<LabExportEncoding>("encoding");
        for (const auto kind : {LabExportKind::ByPhoto, LabExportKind::ByPupil})
            for (const auto encoding : {LabExportEncoding::ShiftJis, LabExportEncoding::Utf8})
                QTest::addRow("%s %s", kind == LabExportKind::ByPhoto ? "by photo" : "by pupil",
                              encoding == LabExportEncoding::Utf8 ? "UTF-8" : "Shift_JIS")
                    << kind << encoding;
    }
    void export_agreesWithTheJob() {
        QFETCH(LabExportKind, kind);
        QFETCH(LabExportEncoding, encoding);
        const Rows rows = exportAndRead(kind, encoding);
        QVERIFY(!rows.isEmpty());

        // CR LF ends every line; only UTF-8 starts with a byte-order mark.
        QCOMPARE(bytes.count("\r\n"), rows.size());
        QCOMPARE(bytes.count('\n'), rows.size());
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), encoding == LabExportEncoding::Utf8);

        // Rows of the registered pupils only; the open one is mentioned.
        QVERIFY(result.message.contains(QStringLiteral("データ %1 行").arg(rows.size() - 1)));
        QVERIFY(result.message.contains(LabExportTexts::kPendingLeftOut.arg(2)));

        const auto size = [](int n) {
            return QString(n <= 100 ? u'大' : n <= 300 ? u'中' : u'小');
        };
        const QStringList jobColumns = {QStringLiteral("さくら小学校"), QStringLiteral("運動会"),
                                        QStringLiteral("2024/10/5")};
        Rows expected;
        if (kind == LabExportKind::ByPhoto) {
            // The job's counts less the open entry's two prints of 7.
            for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
                const int count = job.printCounts[n] - (n == 7 ? 2 : 0);
                if (count != 0)
                    expected.append(
                        QStringList{QString::number(n), size(n), QString::number(count)} +
                        jobColumns);
            }
        }
        for (int k = 1; kind == LabExportKind::ByPupil && k <= int(job.personCount); ++k) {
            const QString& record = job.personRecords[k];
            const qsizetype marker = record.indexOf(kAmountMarker);
            std::map<int, int> prints;
            for (const int n : photoTokens(record.left(marker)))
                ++prints[n];
            const QString amount =
                plainDecimal(readNumber(record.mid(marker + kAmountMarker.size())));
            for (const auto& [n, count] : prints)
                expected.append(QStringList{QString::number(k), QString::number(n), size(n),
                                            QString::number(count), amount} +
                                jobColumns);
        }
        QCOMPARE(rows.mid(1), expected);
    }

    void awkwardCustomer_survivesOrIsSubstituted_data() {
        QTest::addColumn<LabExportEncoding>("encoding");
        QTest::addColumn<QString>("expected");
        QTest::newRow("UTF-8") << LabExportEncoding::Utf8
                               << QStringLiteral("北町\"第一\",小学校\r\n分校\U0001F363\u301C");
        // What the job file writes for them: "〓", and the look-alike "～".
        QTest::newRow("Shift_JIS")
            << LabExportEncoding::ShiftJis << QStringLiteral("北町\"第一\",小学校\r\n分校〓～");
    }
    void awkwardCustomer_survivesOrIsSubstituted() {
        QFETCH(LabExportEncoding, encoding);
        QFETCH(QString, expected);
        job.customerName = QStringLiteral("北町\"第一\",小学校\r\n分校\U0001F363\u301C");
        const bool substituted = expected != job.customerName.toText();
        for (const auto kind : {LabExportKind::ByPhoto, LabExportKind::ByPupil}) {
            const Rows rows = exportAndRead(kind, encoding);
            QVERIFY(rows.size() > 1);
            for (const QStringList& row : rows.mid(1)) {
                QCOMPARE(row.size(), rows[0].size());
                QCOMPARE(row[row.size() - 3], expected);
            }
            QCOMPARE(result.message.contains(
                         LabExportTexts::kSubstituted.arg(QStringLiteral("・得意先名：「北町"))),
                     substituted);
        }
    }

    void formulaLikeTexts_getAQuote_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");  // as the UTF-8 file holds it
        QTest::newRow("sum") << "=1+2 さくら小"
                             << "'=1+2 さくら小";
        QTest::newRow("function") << "=ROW()*1000"
                                  << "'=ROW()*1000";
        QTest::newRow("plus") << "+1"
                              << "'+1";
        QTest::newRow("minus") << "-1+2"
                               << "'-1+2";
        QTest::newRow("at") << "@SUM(1)"
                            << "'@SUM(1)";
        QTest::newRow("tab") << "\t=1"
                             << "'\t=1";
        QTest::newRow("carriage return") << "\r=1"
                                         << "'\r=1";
        QTest::newRow("full-width") << "＝１＋２"
                                    << "'＝１＋２";
        QTest::newRow("full-width plus") << "＋１"
                                         << "'＋１";
        QTest::newRow("full-width minus") << "－１"
                                          << "'－１";
        QTest::newRow("full-width at") << "＠ホーム"
                                       << "'＠ホーム";
        QTest::newRow("minus sign") << "\u22121"
                                    << "'\u22121";
        QTest::newRow("sign inside") << "さくら=1"
                                     << "さくら=1";
        QTest::newRow("quote already") << "'=1"
                                       << "'=1";
    }
    void formulaLikeTexts_getAQuote() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        job.customerName = job.eventName = job.shootingDate = text;
        // A negative price makes pupil 1's amount negative: it stays a number.
        job.largeUnitPrice = -800;
        for (const auto encoding : {LabExportEncoding::Utf8, LabExportEncoding::ShiftJis}) {
            const Rows rows = exportAndRead(LabExportKind::ByPupil, encoding);
            QVERIFY(rows.size() > 1);
            QString written = expected;
            if (encoding == LabExportEncoding::ShiftJis)
                written.replace(u'\u2212', u'－');  // the job file's look-alike
            for (const QStringList& row : rows.mid(1))
                QCOMPARE(row.mid(5), QStringList(3, written));
            QCOMPARE(rows[1].mid(0, 5), (QStringList{"1", "5", "大", "3", "-1800"}));
        }
    }

    // With a roster, 個人別 ends with each pupil's class, number and name;
    // without one, it is as it always was.
    void byPupil_withARoster_endsWithTheNames() {
        const LabExportTable plain = labExportTable(job, LabExportKind::ByPupil);
        JobCompanion companion;
        companion.roster =
            Roster({{"6", "1", 3, "=山田 太郎", "", ""}, {"6", "2", 1, "佐藤", "", ""}});
        companion.ties = {{1, 0}, {3, 1}};
        const LabExportTable named = labExportTable(job, LabExportKind::ByPupil, companion);
        const QStringList rosterColumns = {"学年", "組", "出席番号", "氏名"};
        QCOMPARE(named.columns, plain.columns + rosterColumns);
        QCOMPARE(named.rows.size(), plain.rows.size());
        for (qsizetype r = 0; r < named.rows.size(); ++r) {
            QCOMPARE(named.rows[r].mid(0, plain.columns.size()), plain.rows[r]);
            const QString pupil = plain.rows[r][0];
            const QStringList expected = pupil == u"1" ? QStringList{"6", "1", "3", "'=山田 太郎"}
                                         : pupil == u"3" ? QStringList{"6", "2", "1", "佐藤"}
                                                         : QStringList{"", "", "", ""};
            QCOMPARE(named.rows[r].mid(plain.columns.size()), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestLabExport)
#include "tst_lab_export.moc"
