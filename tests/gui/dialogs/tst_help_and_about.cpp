// SPDX-License-Identifier: MIT
#include "gui/dialogs/frm_appli.h"
#include "gui/dialogs/frm_nyuuryoku.h"
#include "support/dialogs_fixture.h"

#include <memory>

#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>

namespace {

// The first characters of each line the label's text breaks into at its
// width, with the label's font.
QStringList lineStarts(const QLabel* label) {
    QTextLayout layout(label->text(), label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList starts;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->contentsRect().width());
        starts << label->text().mid(line.textStart(), 4);
    }
    layout.endLayout();
    return starts;
}

}  // namespace

class TestHelpAndAbout : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<DialogsFixture>(); }
    void cleanup() { fixture.reset(); }

    void help_texts_data();
    void help_texts();
    void help_labelsWrapUnclippedInOrder();
    void help_blankRunsBreakLines_data();
    void help_blankRunsBreakLines();
    void help_buttonUnloads();
    void help_closeBoxUnloads();
    void about_texts();
    void about_enterOnButtonUnloads();

private:
    std::unique_ptr<DialogsFixture> fixture;
};

void TestHelpAndAbout::help_texts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label1") << "Label1" << QStringLiteral("（写真番号の入力・訂正方法）");
    QTest::newRow("Label2") << "Label2"
                            << QStringLiteral(
                                   "（１）番号の入力　　　　　　　　　　　　　　　　　　　　　　　"
                                   "　　　　　　　　　　　　　　　　　　　写真番号をキーボードで打"
                                   "ち込み、Enter (エンター・キー)で登録します。");
    QTest::newRow("Label3")
        << "Label3"
        << QStringLiteral(
               "※同番号の写真を複数注文するときは、エンター・キィーを打つと、枚数が加算されます。");
    QTest::newRow("Label4")
        << "Label4"
        << QStringLiteral(
               "（２）個人登録（しめる）前の　データ削除　　　　　　　　　　　　　　　　　　　　　"
               "　　　　　　　　ー（マイナス）記号を付けると、その番号の写真の枚数を１減らすことが"
               "できます。　　　　　　例、－２３　または　２３－（エンター・キィー）");
    QTest::newRow("Label7") << "Label7"
                            << QStringLiteral(
                                   "※入力中の数字の訂正は、Back Space または  "
                                   "．(ﾋﾟﾘｵﾄﾞ)キーで前削除して、打ち直します。");
    QTest::newRow("Label5") << "Label5"
                            << QStringLiteral(
                                   "（３）一人分のデータの登録（しめ）　　　　　　　　　　　　　　"
                                   "　　　　　　　　　　　　　　　　　　　一人分の最後の写真番号を"
                                   "入力したら、　／　 または　　＊　を押します。              "
                                   "　履歴画面に一人分のデータとして登録されます。");
    QTest::newRow("Label6")
        << "Label6"
        << QStringLiteral(
               "（４）すでに登録したデータを訂正するときは、　　　　　　　　　　　　　　　　　　　"
               "　　　　　　　　　[ 登録済データの訂正ボタン ]　をクリックしてください。");
    QTest::newRow("Label8") << "Label8"
                            << QStringLiteral(
                                   "（５）画面に出ていない個人別データを見るときは、　　　　　　　"
                                   "　　　　　　　　　　　　　　　　　　　　横のスクロールボタンを"
                                   "クリックするか、　↑↓キーを使ってデータを表示させてください。");
    QTest::newRow("Command1") << "Command1" << QStringLiteral("Ｏ Ｋ（入力画面にもどる）");
}

void TestHelpAndAbout::help_texts() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    auto& help = fixture->windows.get<frmNyuuryoku>();
    QCOMPARE(help.windowTitle(), QStringLiteral("写真番号を入力・訂正するには"));
    auto* control = help.findChild<QWidget*>(name);
    QVERIFY(control);
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), text);
    else
        QCOMPARE(qobject_cast<QPushButton*>(control)->text(), text);
}

void TestHelpAndAbout::help_labelsWrapUnclippedInOrder() {
    auto& help = fixture->windows.get<frmNyuuryoku>();
    help.show();
    int bottom = 0;
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label7", "Label5", "Label6",
                             "Label8", "Command1"}) {
        auto* control = help.findChild<QWidget*>(name);
        QVERIFY2(control->y() > bottom, name);  // below the one before, no overlap
        QVERIFY2(help.rect().contains(control->geometry()), name);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QVERIFY2(label->wordWrap() || QLatin1String(name) == "Label1", name);
            QVERIFY2(label->heightForWidth(label->width()) <= label->height() || !label->wordWrap(),
                     name);
        }
        bottom = control->geometry().bottom();
    }
}

void TestHelpAndAbout::help_blankRunsBreakLines_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("starts");
    QTest::newRow("Label2") << "Label2" << QStringList{"（１）番", "写真番号"};
    QTest::newRow("Label3") << "Label3" << QStringList{"※同番号"};
    QTest::newRow("Label4") << "Label4" << QStringList{"（２）個", "ー（マイ", "例、－２"};
    QTest::newRow("Label7") << "Label7" << QStringList{"※入力中"};  // "す。" not left alone
    QTest::newRow("Label5") << "Label5" << QStringList{"（３）一", "一人分の", "履歴画面"};
    QTest::newRow("Label6") << "Label6" << QStringList{"（４）す", "[ 登録"};
    QTest::newRow("Label8") << "Label8" << QStringList{"（５）画", "横のスク"};
}

void TestHelpAndAbout::help_blankRunsBreakLines() {
    QFETCH(QString, name);
    QFETCH(QStringList, starts);
    auto& help = fixture->windows.get<frmNyuuryoku>();
    auto* label = help.findChild<QLabel*>(name);
    const QFontMetrics metrics(label->font());
    if (2 * metrics.horizontalAdvance(u' ') != metrics.horizontalAdvance(QChar(0x3000)))
        QSKIP("no monospaced Japanese font installed");
    QCOMPARE(lineStarts(label), starts);
}

void TestHelpAndAbout::help_buttonUnloads() {
    QPointer<frmNyuuryoku> help = &fixture->windows.get<frmNyuuryoku>();
    help->show();
    QTest::mouseClick(help->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QVERIFY(!fixture->windows.find<frmNyuuryoku>());
    QTRY_VERIFY(!help);
    frmNyuuryoku& again = fixture->windows.get<frmNyuuryoku>();
    QVERIFY(!again.isVisible());
}

void TestHelpAndAbout::help_closeBoxUnloads() {
    CloseProbe owner;  // the input screen stays open behind the help
    owner.show();
    QPointer<frmNyuuryoku> help = &fixture->windows.get<frmNyuuryoku>();
    help->show();
    QVERIFY(help->close());
    QVERIFY(!fixture->windows.find<frmNyuuryoku>());
    QTRY_VERIFY(!help);
    QVERIFY(owner.isVisible());
    QVERIFY(owner.isEnabled());
}

void TestHelpAndAbout::about_texts() {
    auto& about = fixture->windows.get<frmAppli>();
    QCOMPARE(about.windowTitle(), QStringLiteral("　　　　このアプリケーションについて　　"));
    QCOMPARE(about.findChild<QLabel*>("Label2")->text(), QStringLiteral("ピクトル"));
    const QString features = about.findChild<QLabel*>("Label1")->text();
    QVERIFY(
        features.contains(QStringLiteral("◎大・中・小のサイズを一度に取り扱うことができます。")));
    QVERIFY(
        features.contains(QStringLiteral("◎特定のソフトと連動してミニラボでプリントできます。")));
    const QString more = about.findChild<QLabel*>("Label3")->text();
    QVERIFY(more.startsWith(QStringLiteral("（特徴）")));
    QVERIFY(more.contains(QStringLiteral("◎写真の番号設定は１～９９９９まで")));
    QVERIFY(more.contains(QStringLiteral("◎一人につき１回１００枚まで登録可能")));
    QCOMPARE(about.findChild<QPushButton*>("Command1")->text(), QStringLiteral("閉じる"));
    // The program's version beside them, clear of them and within the box.
    auto* version = about.findChild<QLabel*>("LabelVersion");
    QCOMPARE(version->text(), QStringLiteral("バージョン " PICTOR_VERSION));
    QVERIFY(about.rect().contains(version->geometry()));
    QVERIFY(version->fontMetrics().horizontalAdvance(version->text()) <= version->width());
    for (const QWidget* other : about.findChildren<QWidget*>())
        QVERIFY2(other == version || !other->geometry().intersects(version->geometry()),
                 qPrintable(other->objectName()));
}

void TestHelpAndAbout::about_enterOnButtonUnloads() {
    QPointer<frmAppli> about = &fixture->windows.get<frmAppli>();
    about->show();
    QVERIFY(QTest::qWaitForWindowActive(about));
    auto* close = about->findChild<QPushButton*>("Command1");
    close->setFocus(Qt::TabFocusReason);
    QTest::keyClick(close, Qt::Key_Return);
    QVERIFY(!fixture->windows.find<frmAppli>());
    QTRY_VERIFY(!about);
}

QTEST_MAIN(TestHelpAndAbout)
#include "tst_help_and_about.moc"
