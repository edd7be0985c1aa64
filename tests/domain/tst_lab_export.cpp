// SPDX-License-Identifier: MIT
// The lab export of a job keyed through the order-entry engine, written to
// disk and read back by Python's csv module, which knows nothing of the
// writer.

#include "domain/job_file_writer.h"
#include "domain/lab_export.h"
#include "domain/order_entry.h"
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

namespace {

using Rows = QVector<QStringList>;

// The file's rows as Python's csv module reads them; empty when it could
// not (the test has then failed).
Rows readWithPython(const QString& path, const QString& encoding) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        QTest::qFail("python3 is needed to read the exports back", __FILE__, __LINE__);
        return {};
    }
    QProcess process;
    process.start(python, {QStringLiteral("-c"),
                           QStringLiteral("import csv, json, sys\n"
                                          "with open(sys.argv[1], encoding=sys.argv[2], "
                                          "newline='') as f:\n"
                                          "    print(json.dumps(list(csv.reader(f))))\n"),
                           path, encoding});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        QTest::qFail(process.readAllStandardError().constData(), __FILE__, __LINE__);
        return {};
    }
    Rows rows;
    for (const QJsonValue row : QJsonDocument::fromJson(process.readAllStandardOutput()).array())
        rows.append(row.toVariant().toStringList());
    return rows;
}

QString pythonEncoding(LabExportEncoding encoding) {
    return encoding == LabExportEncoding::Utf8 ? QStringLiteral("utf-8-sig")
                                               : QStringLiteral("cp932");
}

// The size of a number in the job of makeJob().
QString sizeInDefaultJob(int n) {
    return n <= 100 ? QStringLiteral("大") : n <= 300 ? QStringLiteral("中") : QStringLiteral("小");
}

}  // namespace

class TestLabExport : public QObject {
    Q_OBJECT

    JobState job;
    FakePlatform platform;
    std::unique_ptr<QTemporaryDir> dir;

    Rows exportAndRead(LabExportKind kind, LabExportEncoding encoding, LabExportResult* result,
                       QByteArray* bytes = nullptr) {
        const QString path = dir->filePath(QStringLiteral("export.csv"));
        *result = writeLabExport(path, job, kind, encoding);
        if (!result->written) {
            QTest::qFail(qPrintable(result->message), __FILE__, __LINE__);
            return {};
        }
        QFile file(path);
        if (bytes && file.open(QIODevice::ReadOnly))
            *bytes = file.readAll();
        return readWithPython(path, pythonEncoding(encoding));
    }

private Q_SLOTS:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        job = makeJob();
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
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("encoding");
        for (const auto kind : {LabExportKind::ByPhoto, LabExportKind::ByPupil})
            for (const auto encoding : {LabExportEncoding::ShiftJis, LabExportEncoding::Utf8})
                QTest::addRow("%s %s", kind == LabExportKind::ByPhoto ? "by photo" : "by pupil",
                              encoding == LabExportEncoding::Utf8 ? "UTF-8" : "Shift_JIS")
                    << int(kind) << int(encoding);
    }
    void export_agreesWithTheJob() {
        QFETCH(int, kind);
        QFETCH(int, encoding);
        LabExportResult result;
        QByteArray bytes;
        const Rows rows =
            exportAndRead(LabExportKind(kind), LabExportEncoding(encoding), &result, &bytes);
        QVERIFY(!rows.isEmpty());

        // CR LF ends every line; only UTF-8 starts with a byte-order mark.
        QCOMPARE(bytes.count("\r\n"), rows.size());
        QCOMPARE(bytes.count('\n'), rows.size());
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"),
                 LabExportEncoding(encoding) == LabExportEncoding::Utf8);

        // Rows of the registered pupils only; the open one is mentioned.
        QCOMPARE(result.rows, rows.size() - 1);
        QVERIFY(result.message.contains(QStringLiteral("データ %1 行").arg(result.rows)));
        QVERIFY(result.message.contains(JobFileSaveMessages::kPendingLeftOut.arg(2)));

        const QStringList jobColumns = {QStringLiteral("さくら小学校"), QStringLiteral("運動会"),
                                        QStringLiteral("2024/10/5")};
        if (LabExportKind(kind) == LabExportKind::ByPhoto) {
            QCOMPARE(rows[0], (QStringList{QStringLiteral("写真番号"), QStringLiteral("サイズ"),
                                           QStringLiteral("枚数")} +
                               QStringList{QStringLiteral("得意先名"), QStringLiteral("行事名"),
                                           QStringLiteral("撮影年月日")}));
            // The job's counts less the open entry's two prints of 7.
            Rows expected;
            for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
                const int count = job.printCounts[n] - (n == 7 ? 2 : 0);
                if (count != 0)
                    expected.append(QStringList{QString::number(n), sizeInDefaultJob(n),
                                                QString::number(count)} +
                                    jobColumns);
            }
            QCOMPARE(rows.mid(1), expected);
            return;
        }

        QVERIFY(rows[0][4].contains(QStringLiteral("個人の金額")));
        Rows expected;
        for (int k = 1; k <= int(job.personCount); ++k) {
            const QString& record = job.personRecords[k];
            const qsizetype marker = record.indexOf(kAmountMarker);
            std::map<int, int> prints;
            for (const int n : photoTokens(record.left(marker)))
                ++prints[n];
            const QString amount =
                QString::number(readNumber(record.mid(marker + kAmountMarker.size())));
            for (const auto& [n, count] : prints)
                expected.append(QStringList{QString::number(k), QString::number(n),
                                            sizeInDefaultJob(n), QString::number(count), amount} +
                                jobColumns);
        }
        QCOMPARE(rows.mid(1), expected);
    }

    void awkwardCustomer_survivesOrIsSubstituted_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("expected");
        QTest::newRow("UTF-8") << int(LabExportEncoding::Utf8)
                               << QStringLiteral("北町\"第一\",小学校\r\n分校\U0001F363\u301C");
        // What the job file writes for them: "〓", and the look-alike "～".
        QTest::newRow("Shift_JIS") << int(LabExportEncoding::ShiftJis)
                                   << QStringLiteral("北町\"第一\",小学校\r\n分校〓～");
    }
    void awkwardCustomer_survivesOrIsSubstituted() {
        QFETCH(int, encoding);
        QFETCH(QString, expected);
        const QString customer = QStringLiteral("北町\"第一\",小学校\r\n分校\U0001F363\u301C");
        job.customerName = customer;
        for (const auto kind : {LabExportKind::ByPhoto, LabExportKind::ByPupil}) {
            LabExportResult result;
            const Rows rows = exportAndRead(kind, LabExportEncoding(encoding), &result);
            QVERIFY(rows.size() > 1);
            for (const QStringList& row : rows.mid(1)) {
                QCOMPARE(row.size(), rows[0].size());
                QCOMPARE(row[row.size() - 3], expected);
            }
            const bool substituted = expected != customer;
            QCOMPARE(result.substitutions.size(), substituted ? 1 : 0);
            const QString notice = LabExportTexts::kSubstituted.arg(QString());
            QCOMPARE(result.message.contains(notice), substituted);
            if (substituted)
                QVERIFY(result.message.contains(QStringLiteral("・得意先名：")));
        }
    }

    void suggestedName_followsTheJobFileName_data() {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("customer and event")
            << QStringLiteral("さくら小学校") << QStringLiteral("さくら小学校_運動会_個人別.csv");
        QTest::newRow("long") << QString(200, u'あ') << QString();
    }
    void suggestedName_followsTheJobFileName() {
        QFETCH(QString, customer);
        QFETCH(QString, expected);
        job.customerName = customer;
        const QString name = defaultLabExportFileName(job, LabExportKind::ByPupil);
        QVERIFY(name.endsWith(QStringLiteral("_個人別.csv")));
        QVERIFY(QFile::encodeName(name).size() <= 255);
        if (!expected.isEmpty())
            QCOMPARE(name, expected);
        else
            QVERIFY(name.contains(QStringLiteral("運動会")));
    }
};

QTEST_GUILESS_MAIN(TestLabExport)
#include "tst_lab_export.moc"
