// SPDX-License-Identifier: MIT
// The lab order folder: its plan (what goes where with which count), the
// DPOF print order read back line by line, and the folder made on disk with
// links and with copies; a cancel and a photo lost part way leave nothing.

#include "domain/files/system_files.h"
#include "domain/tools/lab_export.h"
#include "domain/tools/lab_order.h"
#include "support/job_builder.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// An AUTPRINT.MRK as a lab's terminal reads it.
struct Mrk {
    QMap<QString, QString> header;        // "GEN REV" -> "01.10"
    QVector<QPair<QString, int>> prints;  // IMG SRC and PRT QTY of each [JOB]
    QStringList printIds;
    bool wellFormed = true;  // ASCII, CR LF, every job a standard print of a JPEG
};

Mrk readMrk(const QByteArray& bytes) {
    Mrk mrk;
    mrk.wellFormed =
        bytes.endsWith("\r\n") && !bytes.contains("\n\n") &&
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    static const QRegularExpression field(QStringLiteral("^([A-Z]{3} [A-Z]{3}) = (.*)$"));
    static const QRegularExpression source(QStringLiteral("^<IMG SRC = \"(.*)\">$"));
    QString section;
    for (const QString& line : QString::fromLatin1(bytes).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[')) {
            section = line;
            if (section == u"[JOB]")
                mrk.prints.append({QString(), 0});
            continue;
        }
        if (const auto m = source.match(line); m.hasMatch() && section == u"[JOB]") {
            mrk.prints.last().first = m.captured(1);
        } else if (const auto f = field.match(line); f.hasMatch()) {
            if (section == u"[HDR]")
                mrk.header[f.captured(1)] = f.captured(2);
            else if (f.captured(1) == u"PRT QTY")
                mrk.prints.last().second = f.captured(2).toInt();
            else if (f.captured(1) == u"PRT PID")
                mrk.printIds << f.captured(2);
            else if (f.captured(1) == u"PRT TYP" && f.captured(2) != u"STD")
                mrk.wellFormed = false;
            else if (f.captured(1) == u"IMG FMT" && f.captured(2) != u"EXIF2 -J")
                mrk.wellFormed = false;
        } else if (!line.isEmpty()) {
            mrk.wellFormed = false;
        }
    }
    return mrk;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file under folder, relative, sorted.
QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

}  // namespace

class TestLabOrder : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> photos;
    std::unique_ptr<QTemporaryDir> destination;
    LabOrderSnapshot snapshot;
    const QDateTime made{QDate(2026, 5, 1), QTime(9, 30, 5)};

    QString addPhoto(int number, const QString& name) {
        const QString path = photos->filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray("photo ") + QByteArray::number(number) + QByteArray(5000, 'x'));
        snapshot.photoFiles[number] = path;
        return path;
    }

    LabOrderResult write(const LabOrderPlan& plan, const std::atomic<bool>& cancel,
                         const LabOrderProgress& progress = {},
                         LabOrderCopying copying = LabOrderCopying::LinkWherePossible) {
        return writeLabOrder(plan, destination->path(), cancel, progress, copying);
    }

private slots:
    void init() {
        photos = std::make_unique<QTemporaryDir>();
        destination = std::make_unique<QTemporaryDir>();
        // Large 1-100, medium 101-300, small 301-999. Pupil 1: three of 5,
        // 150, and 1200 (in no range); pupil 2: 5, 150, 400 (a PNG) and 401
        // (no photo). The open entry's 7 7 is left out.
        snapshot.job = makeJob();
        snapshot.job.customerName = QStringLiteral("ＡＢＣ写真館");
        snapshot.job.eventName = QStringLiteral("Sports \"Day\"");
        snapshot.job.personRecords[1] =
            personRecordText(1, QStringLiteral("5 5 5 150 1200 "), QStringLiteral("3000 "));
        snapshot.job.personRecords[2] =
            personRecordText(2, QStringLiteral("5 150 400 401 "), QStringLiteral("1400 "));
        snapshot.job.personCount = 2;
        snapshot.job.pendingEntry = QStringLiteral("7 7 ");
        snapshot.photoFiles = QVector<QString>(JobState::kMaxPhotoNumber + 1);
        addPhoto(5, QStringLiteral("0005.jpg"));
        addPhoto(150, QStringLiteral("IMG_0150.JPG"));
        addPhoto(400, QStringLiteral("0400.png"));
        addPhoto(1200, QStringLiteral("1200.jpg"));
        addPhoto(7, QStringLiteral("0007.jpg"));
    }

    void names_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("dcf");
        QTest::addColumn<QString>("plain");
        QTest::newRow("1") << 1 << "DCIM/100PICTR/PICT0001.JPG"
                           << "0001_3枚.jpg";
        QTest::newRow("132") << 132 << "DCIM/100PICTR/PICT0132.JPG"
                             << "0132_3枚.jpg";
        QTest::newRow("9999") << 9999 << "DCIM/100PICTR/PICT9999.JPG"
                              << "9999_3枚.jpg";
        QTest::newRow("10000, the next DCF folder") << 10000 << "DCIM/101PICTR/PICT0001.JPG"
                                                    << "10000_3枚.jpg";
    }
    void names() {
        QFETCH(int, number);
        QFETCH(QString, dcf);
        QFETCH(QString, plain);
        QCOMPARE(dcfPathOf(number), dcf);
        QCOMPARE(plainFileName(number, 3, QStringLiteral("jpg")), plain);
    }

    void dpofText_keepsAsciiOnly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::newRow("ascii") << "ABC Studio"
                               << "ABC Studio";
        QTest::newRow("full-width made half") << "ＡＢＣ１２３"
                                              << "ABC123";
        QTest::newRow("Japanese dropped") << "山田写真館"
                                          << "";
        QTest::newRow("quote made single, blanks closed") << " a \"b\"  c "
                                                          << "a 'b' c";
        QTest::newRow("partly Japanese, left out whole") << "運動会①"
                                                         << "";
    }
    void dpofText_keepsAsciiOnly() {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QCOMPARE(dpofText(text), kept);
    }

    void autPrint_quantityOver999_splitIntoPrintsOfTheSamePhoto() {
        DpofHeader header;
        header.made = made;
        const Mrk mrk = readMrk(autPrintText(header, {{10000, 1500}, {3, 2}}));
        QVERIFY(mrk.wellFormed);
        QCOMPARE(mrk.printIds, (QStringList{"001", "002", "003"}));
        const QVector<QPair<QString, int>> expected = {{"../DCIM/101PICTR/PICT0001.JPG", 999},
                                                       {"../DCIM/101PICTR/PICT0001.JPG", 501},
                                                       {"../DCIM/100PICTR/PICT0003.JPG", 2}};
        QCOMPARE(mrk.prints, expected);
        QVERIFY(!mrk.header.contains("USR NAM"));  // nothing ASCII to say
    }

    void plan_sortsPhotosBySizeAndListsWhatItLeavesOut() {
        const LabOrderPlan plan = planLabOrder(snapshot, {}, made);
        const auto numbers = [](const QVector<LabOrderPhoto>& photos) {
            QVector<QPair<int, int>> list;
            for (const LabOrderPhoto& p : photos)
                list.append({p.number, p.prints});
            return list;
        };
        QCOMPARE(numbers(plan.photos), (QVector<QPair<int, int>>{{5, 4}, {150, 2}, {400, 1}}));
        QCOMPARE(numbers(plan.missing), (QVector<QPair<int, int>>{{401, 1}}));
        QCOMPARE(numbers(plan.unsized), (QVector<QPair<int, int>>{{1200, 1}}));
        QCOMPARE(numbers(plan.notJpeg), (QVector<QPair<int, int>>{{400, 1}}));
        QCOMPARE(plan.pendingPrints, 2);
        QCOMPARE(plan.prints, 7);
        QCOMPARE(plan.folderName, QStringLiteral("ＡＢＣ写真館_Sports _Day__ラボ出力"));

        // Each size's card: the DPOF print order read back.
        QMap<QString, QByteArray> texts;
        for (const LabOrderText& text : plan.texts)
            texts[text.target] = text.bytes;
        QVERIFY(!texts.contains("DPOF_小/MISC/AUTPRINT.MRK"));  // its one photo is a PNG
        const Mrk large = readMrk(texts.value("DPOF_大/MISC/AUTPRINT.MRK"));
        QVERIFY(large.wellFormed);
        QCOMPARE(large.header.value("GEN REV"), QStringLiteral("01.10"));
        QCOMPARE(large.header.value("GEN DTM"), QStringLiteral("2026:05:01:09:30:05"));
        QCOMPARE(large.header.value("USR NAM"), QStringLiteral("\"Sports 'Day'\""));
        QCOMPARE(large.prints,
                 (QVector<QPair<QString, int>>{{"../DCIM/100PICTR/PICT0005.JPG", 4}}));
        const Mrk medium = readMrk(texts.value("DPOF_中/MISC/AUTPRINT.MRK"));
        QCOMPARE(medium.prints,
                 (QVector<QPair<QString, int>>{{"../DCIM/100PICTR/PICT0150.JPG", 2}}));

        // The notes: UTF-8 with a byte-order mark, every number left out.
        const QByteArray notes = texts.value(LabOrderTexts::kNotesFile);
        QVERIFY(notes.startsWith("\xEF\xBB\xBF"));
        const QString notesText = QString::fromUtf8(notes);
        for (const char* line : {"401（1 枚）", "1200（1 枚）", "400（1 枚）"})
            QVERIFY2(notesText.contains(QString::fromUtf8(line)), line);

        // Only the plain folders when DPOF is not wanted, and the reverse.
        for (const auto& [dpof, plain] : {std::pair{true, false}, std::pair{false, true}}) {
            const LabOrderPlan one = planLabOrder(snapshot, {dpof, plain}, made);
            for (const LabOrderFile& file : one.files)
                QCOMPARE(file.target.startsWith(u"DPOF_"), dpof);
        }
    }

    void write_withLinks_makesTheFolderOfSameFiles() {
        const LabOrderPlan plan = planLabOrder(snapshot, {}, made);
        const std::atomic<bool> cancel{false};
        QVector<int> steps;
        const LabOrderResult result = write(plan, cancel, [&](int done, int) { steps << done; });
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(QFileInfo(result.path).fileName(), plan.folderName);
        QCOMPARE(steps.size(), plan.files.size() + plan.texts.size());
        const QString csvName = defaultLabExportFileName(snapshot.job, LabExportKind::ByPhoto);
        QStringList expected = {"DPOF_中",
                                "DPOF_中/DCIM",
                                "DPOF_中/DCIM/100PICTR",
                                "DPOF_中/DCIM/100PICTR/PICT0150.JPG",
                                "DPOF_中/MISC",
                                "DPOF_中/MISC/AUTPRINT.MRK",
                                "DPOF_大",
                                "DPOF_大/DCIM",
                                "DPOF_大/DCIM/100PICTR",
                                "DPOF_大/DCIM/100PICTR/PICT0005.JPG",
                                "DPOF_大/MISC",
                                "DPOF_大/MISC/AUTPRINT.MRK",
                                csvName,
                                "中",
                                "中/0150_2枚.JPG",
                                "大",
                                "大/0005_4枚.jpg",
                                "小",
                                "小/0400_1枚.png",
                                LabOrderTexts::kNotesFile};
        expected.sort();
        QCOMPARE(filesUnder(result.path), expected);
        // The CSV is the lab export's, in Shift_JIS.
        QCOMPARE(readAll(QDir(result.path).filePath(csvName)),
                 labExportBytes(labExportTable(snapshot.job, LabExportKind::ByPhoto),
                                LabExportEncoding::ShiftJis)
                     .bytes);
        // Links: the same file under a second name.
        const FileStamp photo = fileStamp(snapshot.photoFiles[5]);
        const FileStamp linked = fileStamp(QDir(result.path).filePath("大/0005_4枚.jpg"));
        QCOMPARE(linked, photo);
        QCOMPARE(result.linked, int(plan.files.size()));
        for (const char* told : {"401（1 枚）", "1200（1 枚）", "400（1 枚）", "（2 枚）"})
            QVERIFY2(result.message.contains(QString::fromUtf8(told)), told);

        // Made again, it takes the next free name and leaves the first alone.
        const LabOrderResult again = write(plan, cancel);
        QVERIFY(again.written);
        QCOMPARE(QFileInfo(again.path).fileName(), plan.folderName + "(2)");
        QCOMPARE(QDir(destination->path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{plan.folderName, plan.folderName + "(2)"}));
    }

    void write_withCopies_makesFilesOfTheirOwnWithTheSameBytes() {
        const LabOrderPlan plan = planLabOrder(snapshot, {false, true}, made);
        const std::atomic<bool> cancel{false};
        const LabOrderResult result = write(plan, cancel, {}, LabOrderCopying::CopyAlways);
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(result.copied, 3);
        QCOMPARE(result.linked, 0);
        const QString copy = QDir(result.path).filePath("中/0150_2枚.JPG");
        QVERIFY(fileStamp(copy).identity != fileStamp(snapshot.photoFiles[150]).identity);
        QCOMPARE(readAll(copy), readAll(snapshot.photoFiles[150]));
    }

    // Stopped part way, by the operator or by a photo gone: the destination
    // holds what it held before, and the operator is told so.
    void write_stoppedPartWay_leavesNothing_data() {
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("copying");
        QTest::newRow("cancel, links") << true << int(LabOrderCopying::LinkWherePossible);
        QTest::newRow("cancel, copies") << true << int(LabOrderCopying::CopyAlways);
        QTest::newRow("photo gone, links") << false << int(LabOrderCopying::LinkWherePossible);
        QTest::newRow("photo gone, copies") << false << int(LabOrderCopying::CopyAlways);
    }
    void write_stoppedPartWay_leavesNothing() {
        QFETCH(bool, cancelled);
        QFETCH(int, copying);
        const LabOrderPlan plan = planLabOrder(snapshot, {}, made);
        std::atomic<bool> cancel{false};
        const QString lastPhoto = plan.files.last().source;
        const LabOrderResult result = write(
            plan, cancel,
            [&](int done, int) {
                if (done != 2)
                    return;
                if (cancelled)
                    cancel = true;
                else
                    QFile::remove(lastPhoto);
            },
            LabOrderCopying(copying));
        QVERIFY(!result.written);
        QCOMPARE(result.cancelled, cancelled);
        QVERIFY(!result.leftBehind);
        QCOMPARE(QDir(destination->path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        if (cancelled) {
            QCOMPARE(result.message, LabOrderTexts::kCancelled);
        } else {
            QVERIFY2(result.message.contains(QDir::toNativeSeparators(lastPhoto)),
                     qPrintable(result.message));
            QVERIFY(result.message.endsWith(LabOrderTexts::kNothingLeft));
        }
    }

    void write_nothingRegistered_makesNothing() {
        snapshot.job.personCount = 0;
        const std::atomic<bool> cancel{false};
        const LabOrderResult result = write(planLabOrder(snapshot, {}, made), cancel);
        QVERIFY(!result.written);
        QCOMPARE(result.message, LabOrderTexts::kNothingOrdered);
        QVERIFY(QDir(destination->path())
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
};

QTEST_GUILESS_MAIN(TestLabOrder)
#include "tst_lab_order.moc"
