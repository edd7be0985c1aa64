// SPDX-License-Identifier: MIT
#include "app/qt_platform.h"
#include "app/qt_texts.h"
#include "domain/entry/order_entry.h"
#include "domain/entry/range_overlap.h"

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

// The real platform with the beep counted instead of sounded.
class CountingPlatform : public QtPlatform {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// Answers the next dialog of type D that opens, as the operator would, and
// rejects anything left open after a while so that no test can hang.
template <class D>
void whenOpen(std::function<void(D*)> answer) {
    auto* poll = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<D*>(widget);
            if (dialog && dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                delete started;
                answer(dialog);
                // An answer the dialog did not take fails the test instead
                // of leaving it open.
                QTimer::singleShot(5000, dialog, [dialog] {
                    if (dialog->isVisible())
                        dialog->reject();
                });
                return;
            }
        }
        if (started->elapsed() > 5000) {
            poll->stop();
            poll->deleteLater();
            delete started;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                    dialog->reject();
        }
    });
    poll->start(20);
}

// Types a name into a file dialog's name box, as the operator does.
void typeName(QFileDialog* dialog, const QString& name) {
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(box);
    box->setText(name);
}

const QStringList kFilters = {QStringLiteral("すべてのファイル(*.*)"),
                              QStringLiteral("標準ファイル(*.ptl)")};

}  // namespace

class TestQtPlatform : public QObject {
    Q_OBJECT

    // Qt's own dialog texts in Japanese, as the program has them.
    QTranslator qtTexts;

private Q_SLOTS:
    void initTestCase() { QVERIFY(installJapaneseQtTexts(*QCoreApplication::instance(), qtTexts)); }

    void missingSoundFile_givesTheBeep() {
        CountingPlatform platform;
        platform.playSound(QStringLiteral("/nonexistent/tap.wav"));
        QCOMPARE(platform.beeps, 1);
    }

    void soundFile_playsWithoutWaiting() {
        CountingPlatform platform;
        const QString path = QStringLiteral(PICTOR_SOURCE_DIR "/resources/chimes.wav");
        QVERIFY(QFileInfo::exists(path));
        platform.preloadSound(path);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i)
            platform.playSound(path);
        // The chime lasts 400 ms; twenty of them must not hold the caller up.
        QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(platform.beeps, 0);
    }

    void openDialog_givesChosenFileOrNothing() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("job.ptl"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QtPlatform platform;

        QString caption, accept, selectedFilter;
        QStringList filters;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            caption = dialog->windowTitle();
            filters = dialog->nameFilters();
            selectedFilter = dialog->selectedNameFilter();
            accept = dialog->labelText(QFileDialog::Accept);
            // Typed, as the operator does: a selection made while the
            // dialog still reads the folder may be dropped when it is read.
            typeName(dialog, path);
            static_cast<QDialog*>(dialog)->accept();  // the file dialog's own check runs
        });
        QCOMPARE(platform.chooseFileToOpen(QStringLiteral("データ読み込み"), kFilters, kFilters[1]),
                 path);
        QCOMPARE(caption, QStringLiteral("データ読み込み"));
        QCOMPARE(filters, kFilters);
        QCOMPARE(selectedFilter, kFilters[1]);
        QVERIFY2(accept.startsWith(QStringLiteral("開く")), qPrintable(accept));

        whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(platform.chooseFileToOpen(QStringLiteral("データ読み込み"), kFilters, kFilters[1])
                    .isEmpty());
    }

    void saveDialog_addsExtensionAndAsksBeforeReplacing() {
        QTemporaryDir dir;
        QtPlatform platform;
        const QStringList ptl = {kFilters[1]};
        const QString suggestion = dir.filePath(QStringLiteral("さくら小学校_運動会.ptl"));

        // The suggestion is offered; a name typed without extension gets .ptl.
        QStringList offered;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            offered = dialog->selectedFiles();
            typeName(dialog, QStringLiteral("new"));
            static_cast<QDialog*>(dialog)->accept();  // the file dialog's own check runs
        });
        QCOMPARE(platform.chooseFileToSave(QStringLiteral("データ保存"), suggestion, ptl),
                 dir.filePath(QStringLiteral("new.ptl")));
        QCOMPARE(offered, QStringList{suggestion});

        // An existing file: Qt's dialog asks in Japanese; "いいえ" goes back to
        // the dialog, "はい" takes it.
        const QString existing = dir.filePath(QStringLiteral("old.ptl"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QStringList questions;
        const auto pick = [&](QFileDialog* dialog) {
            typeName(dialog, existing);
            static_cast<QDialog*>(dialog)->accept();  // the file dialog's own check runs
        };
        const auto answerWith = [&](const QString& buttonText, bool thenReject) {
            whenOpen<QMessageBox>([&questions, buttonText, thenReject](QMessageBox* box) {
                questions << box->text();
                // Qt's buttons carry their shortcut: "はい(&Y)".
                static const QRegularExpression kShortcut(QStringLiteral("\\(&.\\)|&"));
                for (QAbstractButton* button : box->buttons())
                    if (button->text().remove(kShortcut) == buttonText)
                        button->click();
                if (thenReject)
                    whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
            });
        };
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            answerWith(QStringLiteral("いいえ"), true);
            pick(dialog);
        });
        QVERIFY(platform.chooseFileToSave(QStringLiteral("データ保存"), suggestion, ptl).isEmpty());
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].contains(QStringLiteral("置き換えますか")), qPrintable(questions[0]));

        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            answerWith(QStringLiteral("はい"), false);
            pick(dialog);
        });
        QCOMPARE(platform.chooseFileToSave(QStringLiteral("データ保存"), suggestion, ptl),
                 existing);
        QCOMPARE(questions.size(), 2);
    }

    // What a key typed ahead answers: Enter the default, Esc the escape
    // answer; the buttons in the order given.
    void questions_enterAndEscAnswerAsAsked_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("defaultNo");
        QTest::addColumn<int>("expected");  // a question: 1 yes, 0 no; a choice: the index
        QTest::newRow("question, Enter") << int(Qt::Key_Return) << false << 1;
        QTest::newRow("warning question, Enter") << int(Qt::Key_Return) << true << 0;
        QTest::newRow("choice, Enter") << int(Qt::Key_Return) << false << 2;
        QTest::newRow("choice, Esc") << int(Qt::Key_Escape) << false << 1;
    }
    void questions_enterAndEscAnswerAsAsked() {
        QFETCH(int, key);
        QFETCH(bool, defaultNo);
        QFETCH(int, expected);
        const bool choice = QString(QTest::currentDataTag()).startsWith(u"choice");
        QtPlatform platform;
        QStringList buttons;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            QTest::keyClick(box, Qt::Key(key));
        });
        const QStringList answers{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
        const int answer =
            choice ? platform.askChoice(QStringLiteral("？"), answers, 2, 1)
                   : int(platform.askQuestion(
                         QStringLiteral("？"),
                         defaultNo ? Platform::DefaultAnswer::No : Platform::DefaultAnswer::Yes));
        QCOMPARE(answer, expected);
        if (choice)
            QCOMPARE(buttons, answers);
    }

    void messageBox_titleAndLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");  // empty: only the general rules
        QTest::newRow("100 prints")
            << OrderEntry::kEntryLimitMessage
            << QStringList{QStringLiteral("連続データが１００を越えました。"),
                           QStringLiteral("一度、しめ（ / を押す）の操作を行ってください。")};
        QTest::newRow("short") << kRangeOverlapMessage << QStringList{kRangeOverlapMessage};
        QTest::newRow("job full") << OrderEntry::kJobFullMessage << QStringList();
        QTest::newRow("count limit")
            << OrderEntry::kPhotoCountLimitMessage.arg(9999) << QStringList();
        QTest::newRow("one long sentence")
            << QStringLiteral(
                   "この写真番号はすでに別のサイズの範囲に含まれているため、"
                   "設定を変更してからもう一度入力してください。")
            << QStringList();
        QTest::newRow("own breaks kept")
            << QStringLiteral("保存できませんでした。\n/tmp/a.ptl")
            << QStringList{QStringLiteral("保存できませんでした。"), QStringLiteral("/tmp/a.ptl")};
    }

    // A message box carries the program's title, and its text is broken
    // into lines that the box shows as they are: none wider than the box
    // allows, none left with only the end of a sentence.
    void messageBox_titleAndLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QtPlatform platform;
        QString title, shown;
        bool wrapsAgain = true;
        int widest = 0;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            shown = box->text();
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            const QFontMetricsF metrics(label->font());
            for (const QString& line : shown.split(u'\n'))
                widest = std::max(widest, int(std::ceil(metrics.horizontalAdvance(line))));
            wrapsAgain = label->wordWrap() && label->contentsRect().width() < widest;
            box->accept();
        });
        platform.showMessage(text);
        QCOMPARE(title, QStringLiteral("ピクトル"));
        QVERIFY(!wrapsAgain);
        QVERIFY2(widest <= QtPlatform::kMessageLineWidth, qPrintable(shown));
        const QStringList shownLines = shown.split(u'\n');
        if (!lines.isEmpty())
            QCOMPARE(shownLines, lines);
        QCOMPARE(QString(shown).remove(u'\n').remove(u' '),
                 QString(text).remove(u'\n').remove(u' '));
        for (const QString& line : shownLines)
            QVERIFY2(line.size() > 2 || line == shownLines.constFirst(), qPrintable(shown));
        if (shownLines.size() > 1 && lines.isEmpty()) {
            // Lines of one sentence cut evenly: the last one is no stub.
            QVERIFY2(shownLines.constLast().size() * 3 >= shownLines.constFirst().size(),
                     qPrintable(shown));
        }
    }
};

QTEST_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"
