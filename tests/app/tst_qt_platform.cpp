#include "app/qt_platform.h"

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
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

private Q_SLOTS:
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
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();  // the file dialog's own check runs
        });
        QCOMPARE(platform.chooseFileToOpen(QStringLiteral("データ読み込み"), kFilters, kFilters[1]),
                 path);
        QCOMPARE(caption, QStringLiteral("データ読み込み"));
        QCOMPARE(filters, kFilters);
        QCOMPARE(selectedFilter, kFilters[1]);
        QCOMPARE(accept, QStringLiteral("開く"));

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

        // An existing file: "いいえ" goes back to the dialog, "置き換える" takes it.
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
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == buttonText)
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
        QVERIFY(questions[0].contains(QStringLiteral("置き換えますか")));

        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            answerWith(QStringLiteral("置き換える"), false);
            pick(dialog);
        });
        QCOMPARE(platform.chooseFileToSave(QStringLiteral("データ保存"), suggestion, ptl),
                 existing);
        QCOMPARE(questions.size(), 2);
    }
};

QTEST_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"
