// SPDX-License-Identifier: MIT
#include "app/qt_texts.h"

#include <QAbstractButton>
#include <QFileIconProvider>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

// Every text a dialog and its child dialogs show: buttons, group titles,
// labels and tabs, without their shortcut marks.
QStringList textsOf(const QWidget& dialog) {
    QStringList texts;
    for (const auto* button : dialog.findChildren<QAbstractButton*>())
        texts << button->text();
    for (const auto* group : dialog.findChildren<QGroupBox*>())
        texts << group->title();
    for (const auto* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    for (const auto* tabs : dialog.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    return texts.replaceInStrings(QStringLiteral("&"), QString());
}

// Texts of Qt's print dialog that Qt's translation lacks, in the contexts
// of Qt's forms, with the program's Japanese.
struct QtText {
    const char* context;
    const char* english;
    const char* japanese;
};
const QtText kAdditions[] = {
    {"QPrintSettingsOutput", "Pages", "ページ指定"},
    {"QPrintSettingsOutput", "Double Sided Printing", "両面印刷"},
    {"QPrintSettingsOutput", "Off", "オフ"},
    {"QPrintSettingsOutput", "Long side binding", "長辺とじ"},
    {"QPrintSettingsOutput", "Short side binding", "短辺とじ"},
    {"QPrintPropertiesWidget", "Advanced", "詳細設定"},
};

}  // namespace

// A run in Japanese whatever the system's language: the tests run under
// the C locale (LC_ALL=C.UTF-8), as a studio PC set to English would.
class TestQtTexts : public QObject {
    Q_OBJECT

    JapaneseRun japanese;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(japanese.install(*QCoreApplication::instance()),
                 "Qt's Japanese translation (qt6-translations-l10n) is missing");
    }

    void widgetsAndQtsWording_areJapan() {
        QWidget widget;
        QCOMPARE(widget.locale().name(), QStringLiteral("ja_JP"));
        QCOMPARE(QLocale().toString(QDate(2026, 12, 7), QLocale::LongFormat),
                 QStringLiteral("2026年12月7日月曜日"));
    }

    void printDialogTexts_data() {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QByteArray>("english");
        QTest::addColumn<QString>("japanese");
        for (const QtText& text : kAdditions)
            QTest::newRow(text.english) << QByteArray(text.context) << QByteArray(text.english)
                                        << QString::fromUtf8(text.japanese);
    }
    void printDialogTexts() {
        QFETCH(QByteArray, context);
        QFETCH(QByteArray, english);
        QFETCH(QString, japanese);
        QCOMPARE(QCoreApplication::translate(context.constData(), english.constData()), japanese);
    }

    // Qt's own print dialog and its printer properties, as the operator
    // opens them from a report's preview.
    void printDialog_showsThemInJapanese() {
        QPrinter printer;
        QPrintDialog dialog(&printer);
        auto* properties = dialog.findChild<QPushButton*>(QStringLiteral("properties"));
        if (!properties)
            QSKIP("the system's own print dialog, in the system's language");
        QStringList texts;
        QTimer::singleShot(0, &dialog, [&] {
            auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (shown && shown != &dialog) {
                texts = textsOf(dialog);
                shown->reject();
            }
        });
        properties->click();  // the properties open as a child of the dialog
        QVERIFY(!texts.isEmpty());
        for (const QtText& text : kAdditions) {
            QVERIFY2(!texts.contains(QLatin1String(text.english)), text.english);
            QVERIFY2(texts.contains(QString::fromUtf8(text.japanese)), text.english);
        }
    }

    // The type column of Qt's file dialog (Explorer's word on Windows).
    void fileDialogsFolderType_isJapanese() {
        const QString type = QFileIconProvider().type(QFileInfo(QDir::tempPath()));
        QVERIFY2(
            type == QStringLiteral("フォルダ") || type == QStringLiteral("ファイル フォルダー"),
            qPrintable(type));
    }

    // Qt's own file dialog wherever a desktop's would speak the desktop's
    // language; Windows' own on Windows.
    void fileDialogOptions_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("native");
        QTest::newRow("X11") << "xcb" << false;
        QTest::newRow("Wayland") << "wayland" << false;
        QTest::newRow("offscreen") << "offscreen" << false;
        QTest::newRow("Windows") << "windows" << true;
    }
    void fileDialogOptions() {
        QFETCH(QString, platform);
        QFETCH(bool, native);
        QCOMPARE(!::fileDialogOptions(platform).testFlag(QFileDialog::DontUseNativeDialog), native);
    }

    // Those Qt opens itself too (the print dialog's), on this platform.
    void qtsOwnFileDialogs_followTheSameChoice() {
        QCOMPARE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs),
                 ::fileDialogOptions(QGuiApplication::platformName())
                     .testFlag(QFileDialog::DontUseNativeDialog));
    }
};

QTEST_MAIN(TestQtTexts)
#include "tst_qt_texts.moc"
