// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "gui/alerts/frm_alert.h"
#include "gui/alerts/frm_stop.h"
#include "gui/alerts/frm_t_alert.h"
#include "gui/dialogs/frm_appli.h"
#include "gui/dialogs/frm_end.h"
#include "gui/dialogs/frm_nyuuryoku.h"
#include "gui/dialogs/frm_start.h"
#include "gui/input/form1.h"
#include "gui/input/frm_teisei.h"
#include "gui/setup/frm_film.h"
#include "gui/setup/frm_settei_joho.h"
#include "gui/tools/frm_lab_export.h"
#include "gui/tools/frm_lab_order.h"
#include "gui/tools/frm_photo_preview.h"
#include "gui/tools/frm_photo_search.h"
#include "gui/tools/frm_sample_sheet.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/window_helpers.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

template <class W>
QWidget& windowOf(WindowRegistry& windows) {
    return windows.get<W>();
}

// Every window, and what it is to a screen reader.
const struct {
    const char* name;
    QWidget& (*get)(WindowRegistry&);
    QAccessible::Role role;
} kWindows[] = {
    {"frmStart", windowOf<frmStart>, QAccessible::Window},
    {"FrmFilm", windowOf<FrmFilm>, QAccessible::Window},
    {"Form1", windowOf<Form1>, QAccessible::Window},
    {"frmPhotoPreview", windowOf<frmPhotoPreview>, QAccessible::Window},
    {"frmTeisei", windowOf<frmTeisei>, QAccessible::Dialog},
    {"frmSetteiJoho", windowOf<frmSetteiJoho>, QAccessible::Dialog},
    {"frmNyuuryoku", windowOf<frmNyuuryoku>, QAccessible::Dialog},
    {"frmAppli", windowOf<frmAppli>, QAccessible::Dialog},
    {"FrmEnd", windowOf<FrmEnd>, QAccessible::Dialog},
    {"frmLabExport", windowOf<frmLabExport>, QAccessible::Dialog},
    {"frmPhotoSearch", windowOf<frmPhotoSearch>, QAccessible::Dialog},
    {"frmSampleSheet", windowOf<frmSampleSheet>, QAccessible::Dialog},
    {"frmLabOrder", windowOf<frmLabOrder>, QAccessible::Dialog},
    {"frmAlert", windowOf<frmAlert>, QAccessible::AlertMessage},
    {"frmTAlert", windowOf<frmTAlert>, QAccessible::AlertMessage},
    {"frmStop", windowOf<frmStop>, QAccessible::AlertMessage},
};

}  // namespace

// What a screen reader is given: every window's role, every control's name,
// each value with its caption, the boxes' names taken from their labels,
// and the alert windows' texts.
class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;

    static QString readName(QObject* object) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
        return face ? face->text(QAccessible::Name) : QStringLiteral("<not accessible>");
    }

    QWidget& window(const QString& name) {
        for (const auto& entry : kWindows)
            if (name == QLatin1String(entry.name))
                return entry.get(program->windows);
        qFatal("no window %s", qPrintable(name));
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>(QStringLiteral("/x"));
        program->job = makeJob();
    }
    void cleanup() { program.reset(); }

    void windows_haveTheirRoles_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kWindows)); ++i)
            QTest::newRow(kWindows[i].name) << i;
    }
    void windows_haveTheirRoles() {
        QFETCH(int, index);
        QWidget& shown = kWindows[index].get(program->windows);
        QCOMPARE(QAccessible::queryAccessibleInterface(&shown)->role(), kWindows[index].role);
        QCOMPARE(readName(&shown), shown.windowTitle());
    }

    // A control is read by its name; a value keeps its text as its name and
    // is read with its caption: the label that labels it, or where the
    // screen shows none, its description.
    void controls_readWithTheirCaptions_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("name");  // empty: the value shown
        QTest::addColumn<QString>("caption");
        const auto row = [](const char* window, const char* control, const char* name,
                            const char* caption) {
            QTest::addRow("%s.%s", window, control)
                << QString::fromLatin1(window) << QString::fromLatin1(control)
                << QString::fromUtf8(name) << QString::fromUtf8(caption);
        };
        row("Form1", "centralwidget", "写真番号入力", "");
        row("Form1", "List1", "最近の入力", "");
        row("Form1", "Pic1", "登録済データの履歴", "");
        row("Form1", "VScroll1", "入力枚数", "");
        row("Form1", "Frame1", "印刷", "");
        row("Form1", "Frame2", "保存と終了", "");
        row("Form1", "Label1", "", "入力中の写真番号");
        row("Form1", "Label3", "", "入力枚数");
        row("Form1", "tbHGoukei", "", "合計");
        row("Form1", "tbNin", "", "処理人数");
        row("Form1", "tbDaiNanMai", "", "（大）");
        row("Form1", "tbChuNanMai", "", "（中）");
        row("Form1", "tbShouNanMai", "", "（小）");
        row("frmTeisei", "Pic1", "元のデータ", "元のデータ");
        row("frmTeisei", "Pic2", "訂正後のデータ", "訂正後のデータ");
        row("FrmEnd", "Image1", "確認", "");
        row("frmAlert", "Image1", "警告", "");
        row("frmTAlert", "Image1", "警告", "");
        row("frmPhotoPreview", "lblNumber", "", "写真番号");
        row("frmPhotoPreview", "lblSize", "", "サイズ");
        row("frmSampleSheet", "lblFolder", "", "写真フォルダ：");
        row("frmSampleSheet", "prgReading", "進み具合", "");
        row("frmLabOrder", "lblPhotoFolderPath", "", "写真フォルダー：");
        row("frmLabOrder", "prgWork", "進み具合", "");
    }
    void controls_readWithTheirCaptions() {
        QFETCH(QString, window);
        QFETCH(QString, widget);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Form1& input = program->windows.get<Form1>();
        input.show();
        QVERIFY(QTest::qWaitForWindowActive(&input));
        typeIntoFocus(QStringLiteral("12\r45"));  // every value of the input screen shown

        QWidget* shown = control(&this->window(window), qPrintable(widget));
        QVERIFY(shown);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(shown);
        if (auto* label = qobject_cast<QLabel*>(shown); label && name.isEmpty()) {
            if (label->text().isEmpty())  // a folder not chosen, a size not known
                label->setText(QStringLiteral("7"));
            name = label->text();
        }
        QCOMPARE(face->text(QAccessible::Name), name);
        if (caption.isEmpty())
            return;
        QString read = face->text(QAccessible::Description);
        for (const auto& [label, relation] : face->relations(QAccessible::Label))
            read = label->text(QAccessible::Name);
        QCOMPARE(read, caption);
    }

    void settingsBoxes_areNamedByTheirRowAndColumn_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("name");
        QTest::newRow("tbDaiStart") << "tbDaiStart"
                                    << "ネガ（大） 始めのNo.";
        QTest::newRow("tbChuEnd") << "tbChuEnd"
                                  << "ネガ（中） 終わりのNo.";
        QTest::newRow("tbShouMai") << "tbShouMai"
                                   << "ネガ（小）スナップ （枚数）";
        QTest::newRow("tbShouTanka") << "tbShouTanka"
                                     << "写真（小）の単価";
        QTest::newRow("tbTokuisaki") << "tbTokuisaki"
                                     << "得意先";
        QTest::newRow("tbSatueisha") << "tbSatueisha"
                                     << "撮影者";
    }
    void settingsBoxes_areNamedByTheirRowAndColumn() {
        QFETCH(QString, box);
        QFETCH(QString, name);
        auto& view = program->windows.get<frmSetteiJoho>();
        QCOMPARE(readName(control(&view, qPrintable(box))), name);
        auto& setup = program->windows.get<FrmFilm>();
        QCOMPARE(readName(control(&setup, qPrintable(box))), name);
    }

    void correctionBoxes_areNamedByTheirQuestions() {
        auto& correction = program->windows.get<frmTeisei>();
        QCOMPARE(readName(control(&correction, "Text1")),
                 QStringLiteral("何番の個人データですか？"));
        QCOMPARE(readName(control(&correction, "Text2")), QStringLiteral("写真番号"));
    }

    void pictures_giveTheirRowsAsText() {
        Form1& form = program->windows.get<Form1>();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        typeIntoFocus(QStringLiteral("12\r45\r/301\r/"));
        QAccessibleInterface* history =
            QAccessible::queryAccessibleInterface(control(&form, "Pic1"));
        QVERIFY(history);
        QCOMPARE(history->role(), QAccessible::Graphic);
        const QStringList rows = history->text(QAccessible::Value).split(u'\n');
        QCOMPARE(rows, (QStringList{QStringLiteral("(1) 12 45 ¥.1600"),
                                    QStringLiteral("(2) 301 ¥.100")}));

        // The correction screen's pictures are read the same way.
        auto& correction = program->windows.get<frmTeisei>();
        correction.show();
        QVERIFY(QTest::qWaitForWindowActive(&correction));
        control<QLineEdit>(&correction, "Text1")->setText(QStringLiteral("2"));
        QCOMPARE(QAccessible::queryAccessibleInterface(control(&correction, "Pic1"))
                     ->text(QAccessible::Value),
                 QStringLiteral("(2) 301 ¥.100"));
    }

    void alertTexts_areReadable() {
        auto& alert = program->windows.get<frmAlert>();
        const QList<QLabel*> labels = alert.findChildren<QLabel*>();
        QVERIFY(!labels.isEmpty());
        int read = 0;
        for (QLabel* label : labels) {
            if (label->text().isEmpty())
                continue;
            QCOMPARE(readName(label), label->text());
            ++read;
        }
        QVERIFY(read >= 2);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
