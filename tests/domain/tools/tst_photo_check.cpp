// SPDX-License-Identifier: MIT
// The look at the photos before the sample sheets and the lab order: a JPEG
// cut short is told from a whole one by its end, whatever its name; a number
// with two files and a photo that cannot be read are named.

#include "domain/tools/photo_check.h"

#include <QTemporaryDir>
#include <QtTest>

class TestPhotoCheck : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return file.fileName();
    }

private slots:
    void checkPhotoFile_tellsJpegAndWholeFromTheBytes_data() {
        const QByteArray start("\xFF\xD8\xFF\xE1");
        const QByteArray thumbnail = start + QByteArray(3000, 'x') + "\xFF\xD9";
        const QByteArray scan(300 * 1024, 'y');
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("jpeg");
        QTest::addColumn<bool>("whole");
        QTest::newRow("whole") << thumbnail + scan + "\xFF\xD9" << true << true;
        QTest::newRow("cut short: the thumbnail's end is not the photo's")
            << thumbnail + scan << true << false;
        QTest::newRow("short and cut: its thumbnail's end only")
            << thumbnail + QByteArray(2000, 'y') << true << false;
        QTest::newRow("padded after its end")
            << thumbnail + scan + "\xFF\xD9" + QByteArray(500, '\0') << true << true;
        QTest::newRow("a camera's data after its end")
            << thumbnail + scan + "\xFF\xD9" + QByteArray(4000, 'z') << true << true;
        QTest::newRow("a PNG, whatever its name")
            << QByteArray("\x89PNG\r\n") + scan << false << true;
        QTest::newRow("empty") << QByteArray() << false << true;
    }
    void checkPhotoFile_tellsJpegAndWholeFromTheBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, jpeg);
        QFETCH(bool, whole);
        const QString path = write(QStringLiteral("photo.jpg"), bytes);
        const PhotoFileCheck check = checkPhotoFile(path);
        QCOMPARE(check.error, 0);
        QCOMPARE(check.jpeg, jpeg);
        QCOMPARE(check.whole, whole);
        QCOMPARE(isJpegFile(path), jpeg);
    }

    void findPhotoDoubts_namesSeveralFilesCutShortAndUnreadable() {
        const QByteArray whole = QByteArray("\xFF\xD8\xFF") + QByteArray(100, 'x') + "\xFF\xD9";
        const QString first = write(QStringLiteral("0132.jpg"), whole);
        const QString second = write(QStringLiteral("IMG_0132.JPG"), whole);
        const QString cut = write(QStringLiteral("0007.jpg"), whole.left(50));
        const QString fine = write(QStringLiteral("0008.jpg"), whole);
        const QString gone = dir.filePath(QStringLiteral("0009.jpg"));
        const std::atomic<bool> cancel{false};
        const QVector<PhotoDoubt> doubts =
            findPhotoDoubts({{132, {first, second}}, {9, {gone}}, {8, {fine}}, {7, {cut}}}, cancel);
        QCOMPARE(
            photoDoubtLines(doubts),
            (QStringList{
                "7：0007.jpg は終わりが欠けています（コピーが途中で切れたのかもしれません）",
                "9：0009.jpg を読めません。写真がありません（消されたか、動かされたようです）。",
                "132：0132.jpg を使います（使わないファイル：IMG_0132.JPG）"}));
        QVERIFY(photoDoubtQuestion(doubts, QStringLiteral("見本写真"))
                    .contains(QStringLiteral("このまま見本写真を作りますか")));

        const std::atomic<bool> stopped{true};
        QVERIFY(findPhotoDoubts({{7, {cut}}}, stopped).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPhotoCheck)
#include "tst_photo_check.moc"
