// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/window_helpers.h"
#include "windows/form1.h"
#include "windows/frm_alert.h"
#include "windows/frm_film.h"
#include "windows/frm_settei_joho.h"
#include "windows/frm_teisei.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// What a screen reader is given: the boxes' names taken from their labels,
// and the alert windows' texts.
class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;

    static QString readName(QObject* object) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
        return face ? face->text(QAccessible::Name) : QStringLiteral("<not accessible>");
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>(QStringLiteral("/x"));
        program->job = makeJob();
    }
    void cleanup() { program.reset(); }

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
