// SPDX-License-Identifier: MIT
#include "domain/tools/photo_folder.h"

#include <ctime>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// The processor time this thread has taken, in milliseconds: what the
// GUI thread spends, whatever else the machine is doing.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The smallest step the thread's clock makes: a fraction of a microsecond on
// Linux, a whole scheduler tick (10 to 16 ms) where Windows counts it, so a
// short piece of work read there may show as one tick or as none.
double threadClockStep() {
    const double first = threadMilliseconds();
    double now = first;
    while (now == first)
        now = threadMilliseconds();
    return now - first;
}

const QStringList kSuffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"),
                               QStringLiteral("png")};

}  // namespace

class TestPhotoFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileName_givesItsPhotoNumber_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");  // 0: none
        QTest::newRow("digits only") << "132.jpg" << 132;
        QTest::newRow("leading zeros") << "0132.jpg" << 132;
        QTest::newRow("camera prefix") << "IMG_0132.JPG" << 132;
        QTest::newRow("last run counts") << "2024運動会_0132.jpeg" << 132;
        QTest::newRow("dots in the name") << "class.3.0132.png" << 132;
        QTest::newRow("digits after the number") << "0132_a.jpg" << 132;
        QTest::newRow("full-width digits") << "写真１３２.jpg" << 132;
        QTest::newRow("largest") << "10000.jpg" << 10000;
        QTest::newRow("past the largest") << "10001.jpg" << 0;
        QTest::newRow("a date") << "IMG_20240512.jpg" << 0;
        QTest::newRow("many zeros") << "000000000007.jpg" << 7;
        QTest::newRow("zero") << "0000.jpg" << 0;
        QTest::newRow("no digits") << "photo.jpg" << 0;
        QTest::newRow("digits in the extension only") << "photo.mp4" << 0;
        QTest::newRow("hidden") << ".0132.jpg" << 0;
        QTest::newRow("shadow file of another system") << "._0132.jpg" << 0;
        QTest::newRow("no extension") << "0132" << 132;
    }
    void fileName_givesItsPhotoNumber() {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(photoNumberOfFileName(name).value_or(0), number);
    }

    void typedNumber_readAsOrderEntryReadsIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("number");
        QTest::newRow("digits") << "132" << 132;
        QTest::newRow("removal before") << "-132" << 132;
        QTest::newRow("removal after") << "132-" << 132;
        QTest::newRow("leading zeros") << "0007" << 7;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("minus alone") << "-" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("past the largest") << "10001" << 0;
    }
    void typedNumber_readAsOrderEntryReadsIt() {
        QFETCH(QString, typed);
        QFETCH(int, number);
        QCOMPARE(photoNumberOfTyped(typed), number);
    }

    void folder_indexesImagesByNumber_firstNameWins() {
        QTemporaryDir temp;
        const QDir dir(temp.path());
        for (const char* name :
             {"IMG_0132.JPG", "0132.jpg", "5.PNG", "7.txt", "._0005.jpg", "8.svg", "IMG_0009.jpeg"})
            touch(dir, QString::fromUtf8(name));
        QVERIFY(dir.mkdir(QStringLiteral("0010.jpg")));  // a folder is no photo
        PhotoFolder folder(kSuffixes);
        QVERIFY(folder.open(temp.path()));
        QCOMPARE(folder.photoCount(), 3);
        QCOMPARE(folder.fileOf(132), dir.filePath(QStringLiteral("0132.jpg")));
        QCOMPARE(folder.namesOf(132), QStringList({"0132.jpg", "IMG_0132.JPG"}));
        QCOMPARE(folder.fileOf(5), dir.filePath(QStringLiteral("5.PNG")));
        QCOMPARE(folder.fileOf(9), dir.filePath(QStringLiteral("IMG_0009.jpeg")));
        QCOMPARE(folder.numbers(), QVector<int>({5, 9, 132}));
        for (const int none : {0, 7, 8, 10, 133, 10001, -1})
            QVERIFY2(folder.fileOf(none).isEmpty(), qPrintable(QString::number(none)));
    }

    void folder_changingWhileOpen_indexFollows() {
        QTemporaryDir temp;
        const QString path = temp.path() + QStringLiteral("/photos");
        QDir dir(temp.path());
        QVERIFY(dir.mkdir(QStringLiteral("photos")));
        dir.cd(QStringLiteral("photos"));
        touch(dir, QStringLiteral("0132.jpg"));
        PhotoFolder folder(kSuffixes);
        QVERIFY(folder.open(path));
        QSignalSpy changed(&folder, &PhotoFolder::changed);

        touch(dir, QStringLiteral("0200.jpg"));  // copied in
        QTRY_COMPARE(folder.fileOf(200), dir.filePath(QStringLiteral("0200.jpg")));
        QCOMPARE(folder.photoCount(), 2);

        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("0132.jpg")),
                              dir.filePath(QStringLiteral("0123.jpg"))));  // a number put right
        QTRY_VERIFY(folder.fileOf(132).isEmpty());
        QCOMPARE(folder.fileOf(123), dir.filePath(QStringLiteral("0123.jpg")));

        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("0200.jpg"))));
        QTRY_VERIFY(folder.fileOf(200).isEmpty());
        QCOMPARE(folder.photoCount(), 1);
        QVERIFY(changed.count() >= 3);

        // The whole folder gone (a card taken out): nothing left to show.
        // Windows keeps a folder that is being watched until the watch lets
        // go of it, so removing it cannot stand for a card taken out there.
        if (QSysInfo::productType() == QLatin1String("windows"))
            QSKIP("Windows does not remove a folder while it is watched");
        QVERIFY(dir.removeRecursively());
        QTRY_COMPARE(folder.photoCount(), 0);
        QVERIFY(!folder.isReadable());
        QVERIFY(!folder.open(temp.path() + QStringLiteral("/none")));
    }

    void rescan_ofTwentyThousandFiles_keepsTheCallingThreadFree() {
        QTemporaryDir temp, other;
        const QDir dir(temp.path());
        for (int n = 1; n <= 10000; ++n)
            for (const char* prefix : {"IMG_", "DSC_"}) {
                QFile file(dir.filePath(QStringLiteral("%1%2.jpg")
                                            .arg(QLatin1String(prefix))
                                            .arg(n, 5, 10, QLatin1Char('0'))));
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        touch(QDir(other.path()), QStringLiteral("0005.png"));
        PhotoFolder folder(kSuffixes);
        QVERIFY(folder.open(temp.path()));
        QCOMPARE(folder.namesOf(5).size(), 2);
        QSignalSpy scanned(&folder, &PhotoFolder::scanned);

        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("DSC_00005.jpg"))));
        const double start = threadMilliseconds();
        folder.rescan();
        const double took = threadMilliseconds() - start;
        // Read elsewhere (listing it here takes tens of milliseconds), and
        // handed over later: the index is still the one before.
        const double step = threadClockStep();
        QVERIFY2(took < 5 + step,
                 qPrintable(QStringLiteral("%1 ms (clock step %2 ms)").arg(took).arg(step)));
        QCOMPARE(folder.namesOf(5).size(), 2);
        QVERIFY(scanned.wait());
        QCOMPARE(folder.namesOf(5), QStringList({"IMG_00005.jpg"}));
        QCOMPARE(folder.photoCount(), 10000);

        // A reading under way when another folder is opened is dropped.
        scanned.clear();
        folder.rescan();
        QVERIFY(folder.open(other.path()));
        folder.rescan();
        QVERIFY(scanned.wait());
        QCOMPARE(scanned.count(), 1);
        QCOMPARE(folder.photoCount(), 1);
        QCOMPARE(folder.fileOf(5), QDir(other.path()).filePath(QStringLiteral("0005.png")));
    }
};

QTEST_GUILESS_MAIN(TestPhotoFolder)
#include "tst_photo_folder.moc"
