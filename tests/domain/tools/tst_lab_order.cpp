// SPDX-License-Identifier: MIT
// The lab order folder: its plan (what goes where with which count), the
// DPOF print order read back line by line as a lab's reader takes it, and
// the folder made on disk with files of its own; a cancel leaves nothing, a
// photo lost part way is left out and told; a card written to a drive's top.

#include "domain/files/system_files.h"
#include "domain/reports/report_document.h"
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

bool threeDigits(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{3}$"));
    return digits.match(text).hasMatch();
}

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
            else if (f.captured(1) == u"PRT QTY" && threeDigits(f.captured(2)))
                mrk.prints.last().second = f.captured(2).toInt();
            else if (f.captured(1) == u"PRT PID" && threeDigits(f.captured(2)))
                mrk.printIds << f.captured(2);
            else if (f.captured(1) == u"PRT QTY" || f.captured(1) == u"PRT PID")
                mrk.wellFormed = false;  // readers take exactly three digits
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

    // A JPEG by its bytes when jpeg, whatever its name.
    QString addPhoto(int number, const QString& name, bool jpeg = true) {
        const QString path = photos->filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write((jpeg ? QByteArray("\xFF\xD8\xFF\xE0") : QByteArray("\x89PNG")) +
                       QByteArray::number(number) + QByteArray(5000, 'x') + "\xFF\xD9");
        snapshot.photoFiles[number] = path;
        return path;
    }

    LabOrderResult write(const LabOrderPlan& plan, const std::atomic<bool>& cancel,
                         const LabOrderProgress& progress = {},
                         LabOrderCopying copying = LabOrderCopying::CloneWherePossible) {
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
        addPhoto(400, QStringLiteral("0400.jpg"), false);  // a PNG by its bytes
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
        QCOMPARE(plan.orderId, QStringLiteral("20260501-093005"));
        QCOMPARE(plan.folderName,
                 QStringLiteral("ＡＢＣ写真館_Sports _Day__ラボ出力_20260501-093005"));

        // Each size's card: the DPOF print order read back. 小's one photo
        // is a PNG named .jpg: no card.
        QCOMPARE(plan.cards.size(), 2);
        const Mrk large = readMrk(autPrintText(plan.cards[0].header, plan.cards[0].jobs));
        QCOMPARE(plan.cards[0].folder, QStringLiteral("DPOF_大"));
        QVERIFY(large.wellFormed);
        QCOMPARE(large.header.value("GEN REV"), QStringLiteral("01.10"));
        QCOMPARE(large.header.value("GEN DTM"), QStringLiteral("2026:05:01:09:30:05"));
        QCOMPARE(large.header.value("USR NAM"),
                 QStringLiteral("\"L 1/1 20260501-093005 Sports 'Day'\""));
        QCOMPARE(large.prints,
                 (QVector<QPair<QString, int>>{{"../DCIM/100PICTR/PICT0005.JPG", 4}}));
        const Mrk medium = readMrk(autPrintText(plan.cards[1].header, plan.cards[1].jobs));
        QCOMPARE(medium.prints,
                 (QVector<QPair<QString, int>>{{"../DCIM/100PICTR/PICT0150.JPG", 2}}));

        // The notes: UTF-8 with a byte-order mark, the order's id, what goes
        // on a card, every number left out.
        const QByteArray notes = labOrderNotes(plan, {});
        QVERIFY(notes.startsWith("\xEF\xBB\xBF"));
        const QString notesText = QString::fromUtf8(notes);
        for (const char* line : {"20260501-093005", "いちばん上", "DPOF_大：大 1／1", "401（1 枚）",
                                 "1200（1 枚）", "400（1 枚）"})
            QVERIFY2(notesText.contains(QString::fromUtf8(line)), line);

        // Only the plain folders when DPOF is not wanted, and the reverse.
        for (const auto& [dpof, plain] : {std::pair{true, false}, std::pair{false, true}}) {
            const LabOrderPlan one = planLabOrder(snapshot, {dpof, plain}, made);
            for (const LabOrderFile& file : one.files)
                QCOMPARE(file.target.startsWith(u"DPOF_"), dpof);
        }
    }

    // The largest job: 1,001, 3,000 and 4,999 photos, one of them ordered
    // 1,500 times. Every card a reader takes: at most 999 jobs, three-digit
    // ids and counts, only its own photos, every print on exactly one card.
    void plan_largestJob_dealsEachSizeOntoCardsOfAtMost999Jobs() {
        snapshot.job = makeJob({1, 1001, 800, 1002, 4001, 500, 4002, 9000, 100});
        QString entry;
        for (int n = 1; n <= 9000; ++n) {
            snapshot.photoFiles[n] = snapshot.photoFiles[5];  // one JPEG serves every number
            entry += QString::number(n) + u' ';
        }
        snapshot.job.personRecords[1] = personRecordText(1, entry, QStringLiteral("0 "));
        snapshot.job.personRecords[2] =
            personRecordText(2, QStringLiteral("7 ").repeated(1499), QStringLiteral("0 "));
        snapshot.job.personCount = 2;
        snapshot.job.pendingEntry.clear();
        const LabOrderPlan plan = planLabOrder(snapshot, {true, false}, made);

        QMap<QString, int> cardsOfSize;
        QMap<int, int> printsOf;
        for (const LabOrderCard& card : plan.cards) {
            const QString size = ReportText::sizeName(card.size);
            ++cardsOfSize[size];
            const Mrk mrk = readMrk(autPrintText(card.header, card.jobs));
            QVERIFY2(mrk.wellFormed, qPrintable(card.folder));
            QVERIFY(mrk.prints.size() <= 999);
            QCOMPARE(mrk.printIds.size(), mrk.prints.size());
            QCOMPARE(mrk.printIds.last(),
                     QStringLiteral("%1").arg(mrk.prints.size(), 3, 10, QLatin1Char('0')));
            QVERIFY(mrk.header.value("USR NAM").contains(
                QStringLiteral("%1/%2 20260501-093005").arg(card.index).arg(card.count)));
            QSet<QString> onCard;
            for (const LabOrderFile& file : plan.files)
                if (file.target.startsWith(card.folder + u'/'))
                    onCard << QStringLiteral("../") + file.target.mid(card.folder.size() + 1);
            for (const auto& [source, quantity] : mrk.prints) {
                QVERIFY2(onCard.contains(source), qPrintable(source));
                printsOf[QFileInfo(source).baseName().mid(4).toInt()] += quantity;
            }
        }
        // 大: 1,000 photos of one print and photo 7's 1,500 as two jobs.
        QCOMPARE(cardsOfSize, (QMap<QString, int>{{"大", 2}, {"中", 4}, {"小", 6}}));
        QCOMPARE(plan.cards[1].folder, QStringLiteral("DPOF_大_2／2"));
        QCOMPARE(printsOf.value(7), 1500);
        QCOMPARE(printsOf.value(8), 1);
        QCOMPARE(printsOf.value(9000 % 10000), 1);
        int prints = 0;
        for (const int p : std::as_const(printsOf))
            prints += p;
        QCOMPARE(prints, 9000 + 1499);
    }

    void write_makesFilesOfItsOwn_neverLinksToThePhotos_data() {
        QTest::addColumn<int>("copying");
        QTest::newRow("clone where possible") << int(LabOrderCopying::CloneWherePossible);
        QTest::newRow("copies") << int(LabOrderCopying::CopyAlways);
    }
    void write_makesFilesOfItsOwn_neverLinksToThePhotos() {
        QFETCH(int, copying);
#ifndef Q_OS_WIN
        // A photo that is a symbolic link is read through, as the preview
        // does. (QFile::link makes a shortcut file on Windows.)
        const QString elsewhere = addPhoto(150, QStringLiteral("elsewhere.jpg"));
        QFile::remove(photos->filePath("IMG_0150.JPG"));
        QVERIFY(QFile::link(elsewhere, photos->filePath("IMG_0150.JPG")));
        snapshot.photoFiles[150] = photos->filePath("IMG_0150.JPG");
#endif

        const LabOrderPlan plan = planLabOrder(snapshot, {}, made);
        const std::atomic<bool> cancel{false};
        QVector<int> steps;
        const LabOrderResult result = write(
            plan, cancel, [&](int done, int) { steps << done; }, LabOrderCopying(copying));
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(QFileInfo(result.path).fileName(), plan.folderName);
        QCOMPARE(steps.last(), plan.files.size() + plan.cards.size() + plan.texts.size() + 1);
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
                                "小/0400_1枚.jpg",
                                LabOrderTexts::kNotesFile};
        expected.sort();
        QCOMPARE(filesUnder(result.path), expected);
        // The CSV is the lab export's, in Shift_JIS.
        QCOMPARE(readAll(QDir(result.path).filePath(csvName)),
                 labExportBytes(labExportTable(snapshot.job, LabExportKind::ByPhoto),
                                LabExportEncoding::ShiftJis)
                     .bytes);
        // Every photo a file of its own with the photo's bytes: nothing the
        // lab writes into the order reaches the studio's originals.
        QSet<quint64> originals;
        for (const QString& name : QDir(photos->path()).entryList(QDir::Files))
            originals << fileStamp(photos->filePath(name)).identity;
        for (const LabOrderFile& file : plan.files) {
            const QString put = QDir(result.path).filePath(file.target);
            QVERIFY2(!QFileInfo(put).isSymLink(), qPrintable(file.target));
            QVERIFY2(!originals.contains(fileStamp(put).identity), qPrintable(file.target));
            QCOMPARE(readAll(put), readAll(file.source));
        }
        // A retoucher saving into the order changes the order's file only.
        const QByteArray original = readAll(snapshot.photoFiles[5]);
        QFile retouched(QDir(result.path).filePath("大/0005_4枚.jpg"));
        QVERIFY(retouched.open(QIODevice::ReadWrite) && retouched.write("retouched") == 9);
        retouched.close();
        QCOMPARE(readAll(snapshot.photoFiles[5]), original);
        QCOMPARE(result.cloned + result.copied, int(plan.files.size()));
        if (LabOrderCopying(copying) == LabOrderCopying::CopyAlways)
            QCOMPARE(result.cloned, 0);
        for (const char* told :
             {"401（1 枚）", "1200（1 枚）", "400（1 枚）", "写真 3 点、プリント 7 枚",
              "DPOF_大：大 1／1（写真 1 点、プリント 4 枚）"})
            QVERIFY2(result.message.contains(QString::fromUtf8(told)), told);

        // Made again, it takes the next free name and leaves the first alone.
        const LabOrderResult again = write(plan, cancel);
        QVERIFY(again.written);
        QCOMPARE(QFileInfo(again.path).fileName(), plan.folderName + "(2)");
        QCOMPARE(QDir(destination->path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{plan.folderName, plan.folderName + "(2)"}));
    }

    void write_dpofOnly_countsWhatItWrote() {
        const std::atomic<bool> cancel{false};
        const LabOrderResult result = write(planLabOrder(snapshot, {true, false}, made), cancel);
        QVERIFY2(result.written, qPrintable(result.message));
        QVERIFY2(result.message.contains(QStringLiteral("写真 2 点、プリント 6 枚")),
                 qPrintable(result.message));
        QVERIFY(result.message.contains(
            LabOrderTexts::kNotJpegLeftOut.arg(QStringLiteral("400（1 枚）"))));
    }

    void write_cancelled_leavesNothing_data() {
        QTest::addColumn<int>("copying");
        QTest::newRow("clone where possible") << int(LabOrderCopying::CloneWherePossible);
        QTest::newRow("copies") << int(LabOrderCopying::CopyAlways);
    }
    void write_cancelled_leavesNothing() {
        QFETCH(int, copying);
        std::atomic<bool> cancel{false};
        const LabOrderResult result = write(
            planLabOrder(snapshot, {}, made), cancel,
            [&](int done, int) { cancel = cancel || done == 2; }, LabOrderCopying(copying));
        QVERIFY(!result.written);
        QVERIFY(result.cancelled);
        QVERIFY(!result.leftBehind);
        QCOMPARE(result.message, LabOrderTexts::kCancelled);
        QCOMPARE(QDir(destination->path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // A photo removed while the order is made is left out of every form,
    // its cause told; the rest of the order is made.
    void write_photoGonePartWay_isLeftOutAndTold() {
        const LabOrderPlan plan = planLabOrder(snapshot, {}, made);
        const std::atomic<bool> cancel{false};
        const QString gone = snapshot.photoFiles[150];
        const LabOrderResult result = write(plan, cancel, [&](int done, int) {
            if (done == 1)
                QFile::remove(gone);
        });
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(result.skipped.size(), 1);
        QCOMPARE(result.skipped[0].number, 150);
        QVERIFY2(result.message.contains(QStringLiteral("150（2 枚）：写真がありません")),
                 qPrintable(result.message));
        QVERIFY(result.message.contains(QStringLiteral("写真 2 点、プリント 5 枚")));
        const QStringList files = filesUnder(result.path);
        QVERIFY(!files.contains("中/0150_2枚.JPG"));
        QVERIFY(!files.contains("DPOF_中/DCIM/100PICTR/PICT0150.JPG"));
        QVERIFY(!files.contains("DPOF_中/MISC/AUTPRINT.MRK"));  // its only photo
        QVERIFY(files.contains("DPOF_大/MISC/AUTPRINT.MRK"));
        QVERIFY(QString::fromUtf8(readAll(QDir(result.path).filePath(LabOrderTexts::kNotesFile)))
                    .contains(QStringLiteral("150（2 枚）")));
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

    // A card's DCIM and MISC go to the top of an empty drive or folder; one
    // that holds anything (a camera's DCIM, say) is refused and left alone.
    void writeCard_putsTheCardAtTheTopOfAnEmptyRootOnly() {
        const std::atomic<bool> cancel{false};
        const LabOrderResult order = write(planLabOrder(snapshot, {true, false}, made), cancel);
        QVERIFY2(order.written, qPrintable(order.message));
        const QString card = order.cards[0].folder;

        QTemporaryDir used;
        QVERIFY(QDir(used.path()).mkpath("DCIM/100CANON"));
        const LabOrderCardResult refused = writeLabOrderCard(card, used.path(), cancel);
        QVERIFY(refused.refused && !refused.written);
        QVERIFY2(refused.message.contains("DCIM"), qPrintable(refused.message));
        QCOMPARE(filesUnder(used.path()), (QStringList{"DCIM", "DCIM/100CANON"}));

        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir("System Volume Information"));
        const LabOrderCardResult written = writeLabOrderCard(card, root.path(), cancel);
        QVERIFY2(written.written, qPrintable(written.message));
        QCOMPARE(filesUnder(root.path()),
                 (QStringList{"DCIM", "DCIM/100PICTR", "DCIM/100PICTR/PICT0005.JPG", "MISC",
                              "MISC/AUTPRINT.MRK", "System Volume Information"}));
        QCOMPARE(readAll(root.filePath("MISC/AUTPRINT.MRK")), readAll(card + "/MISC/AUTPRINT.MRK"));
        QCOMPARE(readAll(root.filePath("DCIM/100PICTR/PICT0005.JPG")),
                 readAll(snapshot.photoFiles[5]));

        std::atomic<bool> stop{true};
        QTemporaryDir cancelled;
        const LabOrderCardResult none = writeLabOrderCard(card, cancelled.path(), stop);
        QVERIFY(none.cancelled && !none.written);
        QCOMPARE(none.message, LabOrderTexts::kCardCancelled);
        QCOMPARE(filesUnder(cancelled.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestLabOrder)
#include "tst_lab_order.moc"
