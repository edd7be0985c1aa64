// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <memory>

#include <QtTest>

// Large 1-100 at 800, medium 101-300 at 500, small 301-999 at 100.
class TestOrderEntry : public QObject {
    Q_OBJECT

    JobState job;
    FakePlatform platform;
    std::unique_ptr<OrderEntry> engine;

    const InputDisplay& display() const { return engine->display(); }
    void type(const QString& keys) { typeKeys(*engine, keys); }

private Q_SLOTS:
    void init() {
        job = makeJob();
        platform = FakePlatform();
        engine = std::make_unique<OrderEntry>(job, platform);
        engine->Form_Load(QStringLiteral("/opt/pictor"));
        engine->Form_Activate();
        platform.clear();
    }

    void load_setsSoundPathsAndCopyCount() {
        QCOMPARE(job.keySoundPath, QStringLiteral("/opt/pictor/tap.wav"));
        QCOMPARE(job.acceptSoundPath, QStringLiteral("/opt/pictor/menupop.wav"));
        QCOMPARE(job.closeSoundPath, QStringLiteral("/opt/pictor/chimes.wav"));
        QCOMPARE(display().Label3, QStringLiteral("1"));
        QCOMPARE(display().tbNin, QStringLiteral(" 0"));
        QCOMPARE(display().tbDaiNanMai, QStringLiteral(" 0"));
    }

    void digits_appendWithKeySound_enterAddsPrint() {
        type(QStringLiteral("23"));
        QCOMPARE(display().Label1, QStringLiteral("23"));
        QCOMPARE(platform.sounds, QStringList({"tap.wav", "tap.wav"}));
        type(QStringLiteral("\r"));
        QCOMPARE(platform.sounds.last(), QStringLiteral("menupop.wav"));
        QCOMPARE(job.pendingEntry, QStringLiteral("23 "));
        QCOMPARE(job.printCounts[23], 1);
        QCOMPARE(display().tbDaiNanMai, QStringLiteral(" 1"));
        QCOMPARE(display().List1, QStringList({" 23"}));
        QCOMPARE(display().Label5, QStringLiteral(" 1枚"));
        QCOMPARE(display().Label13, QStringLiteral("（ 1人目）"));
        QCOMPARE(display().tbHGoukei, QStringLiteral(" 800"));
        QCOMPARE(job.pendingAmountText, QStringLiteral("800 "));
        QCOMPARE(display().focus, InputFocus::List1);

        // Enter again adds the same number; the next digit replaces the display.
        type(QStringLiteral("\r"));
        QCOMPARE(job.pendingEntry, QStringLiteral("23 23 "));
        QCOMPARE(job.printCounts[23], 2);
        type(QStringLiteral("5"));
        QCOMPARE(display().Label1, QStringLiteral("5"));
    }

    // Photos 23 and 150 are in the folder; 24 is not. "#" sets 3 copies.
    void numberWithoutPhoto_countedAsAnyOther_markedAndSoundedApart_data() {
        QTest::addColumn<bool>("folderChosen");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("lastSound");
        const QString mark = OrderEntry::kNoPhotoMark;
        QTest::newRow("photo") << true << "23\r" << QStringList{" 23"} << "menupop.wav";
        QTest::newRow("no photo") << true << "24\r" << QStringList{" 24" + mark} << "nophoto.wav";
        QTest::newRow("no folder") << false << "24\r" << QStringList{" 24"} << "menupop.wav";
        QTest::newRow("copies") << true << "24#\r"
                                << QStringList{" 24" + mark, " 24" + mark, " 24" + mark}
                                << "nophoto.wav";
        QTest::newRow("removal") << true << "150\r24\r24-\r" << QStringList{" 150"}
                                 << "menupop.wav";
    }
    void numberWithoutPhoto_countedAsAnyOther_markedAndSoundedApart() {
        QFETCH(bool, folderChosen);
        QFETCH(QString, keys);
        QFETCH(QStringList, list);
        QFETCH(QString, lastSound);
        const auto typeInto = [&keys](OrderEntry& into) {
            for (const QChar c : keys)
                c == u'#' ? into.setVScroll1(3) : into.Form_KeyPress(c.unicode());
        };
        // The same keys without any photo check give the same job.
        JobState unchecked = makeJob();
        FakePlatform quiet;
        OrderEntry plain(unchecked, quiet);
        plain.Form_Load(QStringLiteral("/opt/pictor"));
        typeInto(plain);

        if (folderChosen)
            engine->setPhotoCheck([](int n) { return n == 23 || n == 150; });
        typeInto(*engine);
        QCOMPARE(display().List1, list);
        QCOMPARE(platform.sounds.last(), lastSound);
        QCOMPARE(job.pendingEntry, unchecked.pendingEntry);
        QCOMPARE(job.printCounts, unchecked.printCounts);
        QCOMPARE(display().tbHGoukei, plain.display().tbHGoukei);
    }

    void leadingZeros_keptInTheTokenAndCountedAsTheNumber() {
        type(QStringLiteral("007\r"));
        QCOMPARE(job.pendingEntry, QStringLiteral("007 "));
        QCOMPARE(job.printCounts[7], 1);
        QCOMPARE(display().List1, QStringList({" 7"}));
        QVERIFY(platform.alerts.isEmpty());
    }

    void backSpaceAndPoint_editTheDisplay() {
        type(QStringLiteral("23\r\b"));  // right after Enter: edits, does not clear
        QCOMPARE(display().Label1, QStringLiteral("2"));
        QVERIFY(!job.clearInputOnNextKey);
        type(QStringLiteral("..."));  // "." deletes too, and never shows
        QCOMPARE(display().Label1, QString());
        QCOMPARE(job.printCounts[23], 1);
    }

    void amount_sumsEachSizeAtItsPrice() {
        type(QStringLiteral("1\r1\r250\r900\r"));
        QCOMPARE(display().tbHGoukei, QStringLiteral(" 2200"));
        QCOMPARE(job.pendingAmountText, QStringLiteral("2200 "));
        QCOMPARE(job.largeTotalPrints, 2.0);
        QCOMPARE(job.mediumTotalPrints, 1.0);
        QCOMPARE(job.smallTotalPrints, 1);
        QCOMPARE(job.grandTotalPrints, 4.0);
    }

    void numberOutOfRange_orZero_raisesTheAlert_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("zero") << "0";
        QTest::newRow("double minus") << "--23";
        QTest::newRow("lone minus") << "-";
        QTest::newRow("beyond every range") << "1000";
        QTest::newRow("huge") << "99999999999999999999";
    }
    void numberOutOfRange_orZero_raisesTheAlert() {
        QFETCH(QString, keys);
        type(keys + u'\r');
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(platform.alerts, QVector<AlertWindow>({AlertWindow::frmAlert}));
        QCOMPARE(display().Label1, QString());
        QVERIFY(!job.clearInputOnNextKey);
        QVERIFY(!display().form1Enabled);
        QCOMPARE(job.grandTotalPrints, 0.0);

        // The screen takes no keys until the alert closes.
        type(QStringLiteral("5\r"));
        QCOMPARE(job.grandTotalPrints, 0.0);
        engine->alertClosed();
        type(QStringLiteral("5\r"));
        QCOMPARE(job.grandTotalPrints, 1.0);
    }

    void copyCount_addsThatManyPrintsThenReturnsToOne() {
        type(QStringLiteral("23"));
        engine->setVScroll1(3);
        QCOMPARE(display().Label3, QStringLiteral(" 3"));
        type(QStringLiteral("\r"));
        QCOMPARE(job.pendingEntry, QStringLiteral("23 23 23 "));
        QCOMPARE(job.printCounts[23], 3);
        QCOMPARE(display().List1.size(), 3);
        QCOMPARE(display().VScroll1, 1);
        QCOMPARE(display().Label3, QStringLiteral("1"));
    }

    void copyCount_onlyWhileANumberIsTyped() {
        engine->setVScroll1(4);  // empty display
        QVERIFY(platform.beeps >= 1);
        QCOMPARE(display().VScroll1, 1);
        QCOMPARE(display().Label3, QStringLiteral(" 1"));
        platform.clear();
        type(QStringLiteral("23-"));
        engine->setVScroll1(2);
        QVERIFY(platform.beeps >= 1);
        QCOMPARE(display().VScroll1, 1);
    }

    void copyCount_keptAcrossARefusedNumberAndARemoval() {
        type(QStringLiteral("23"));
        engine->setVScroll1(3);
        type(QStringLiteral("00\r"));  // 2300: in no range
        QCOMPARE(platform.alerts.size(), 1);
        engine->alertClosed();
        QCOMPARE(display().Label3, QStringLiteral(" 3"));
        type(QStringLiteral("7\r"));
        QCOMPARE(job.printCounts[7], 3);

        // A count chosen, then the entry turned into a removal: still chosen.
        type(QStringLiteral("7"));
        engine->setVScroll1(2);
        type(QStringLiteral("-\r"));
        QCOMPARE(job.printCounts[7], 2);
        QCOMPARE(display().Label3, QStringLiteral(" 2"));
        type(QStringLiteral("8\r"));
        QCOMPARE(job.printCounts[8], 2);
    }

    void removal_takesTheLastOccurrenceAndNormalisesTheEntry() {
        type(QStringLiteral("007\r12\r7\r45\r"));
        type(QStringLiteral("-7\r"));
        QCOMPARE(job.pendingEntry, QStringLiteral("7 12 45 "));
        QCOMPARE(job.printCounts[7], 1);
        QCOMPARE(display().List1, QStringList({" 7", " 12", " 45"}));
        QCOMPARE(display().Label1, QString());
        QVERIFY(job.clearInputOnNextKey);
        QVERIFY(job.hasPendingEntries);
        QCOMPARE(display().Label5, QStringLiteral(" 3枚"));

        type(QStringLiteral("12-\r"));  // trailing minus removes too
        QCOMPARE(job.pendingEntry, QStringLiteral("7 45 "));
        QCOMPARE(job.printCounts[12], 0);
        QCOMPARE(job.grandTotalPrints, 2.0);
        QVERIFY(platform.alerts.isEmpty());
    }

    void removal_ofTheOnlyPrint_keepsTheLastAmountOnDisplay() {
        type(QStringLiteral("007\r-7\r"));
        QCOMPARE(job.pendingEntry, QString());
        QVERIFY(!job.hasPendingEntries);
        QCOMPARE(display().Label5, QStringLiteral(" 0枚"));
        QCOMPARE(display().tbHGoukei, QStringLiteral(" 800"));
        type(QStringLiteral("/"));  // nothing to close
        QCOMPARE(job.personCount, 0.0);
    }

    void removal_withNoPrintAnywhere_saysThereIsNoData() {
        // Empty slip: the close keys stay ignored until a number is added.
        type(QStringLiteral("-23\r"));
        QCOMPARE(platform.messages,
                 QStringList({QStringLiteral("データがありません！\n写真番号 23 は、このジョブでは"
                                             "まだ誰も注文していないため、取り消せません。")}));
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(display().Label1, QString());
        QVERIFY(job.clearInputOnNextKey);
        type(QStringLiteral("/"));
        QCOMPARE(job.personCount, 0.0);
    }

    void removalRefused_thenClose_closesTheOpenSlipAlone() {
        // Refused, the open slip's print stays, and "/" closes that pupil
        // alone: the next slip is a pupil of its own.
        for (const QChar close : {u'/', u'*', u'='}) {
            type(QStringLiteral("12\r-6\r") + close);
            type(QStringLiteral("5\r/"));
        }
        QCOMPARE(platform.messages.size(), 3);
        QCOMPARE(job.personCount, 6.0);
        QCOMPARE(job.personRecords[5], QStringLiteral("(5) 12 \\.800 "));
        QCOMPARE(job.personRecords[6], QStringLiteral("(6) 5 \\.800 "));
    }

    void removal_ofANumberOnlyOthersOrdered_showsTheInputError() {
        keyPerson(*engine, {23});
        type(QStringLiteral("007\r23-\r"));
        QCOMPARE(platform.alerts, QVector<AlertWindow>({AlertWindow::frmStop}));
        QCOMPARE(display().Label1, QStringLiteral("23-"));
        QCOMPARE(job.pendingEntry, QStringLiteral("7 "));  // normalised all the same
        QCOMPARE(job.printCounts[23], 1);
        QVERIFY(!display().form1Enabled);
    }

    void minusInsideTheNumber_showsTheInputErrorAndKeepsTheText() {
        type(QStringLiteral("2-3\r"));
        QCOMPARE(platform.alerts, QVector<AlertWindow>({AlertWindow::frmStop}));
        QCOMPARE(display().Label1, QStringLiteral("2-3"));
        QVERIFY(!job.clearInputOnNextKey);
        QCOMPARE(job.grandTotalPrints, 0.0);
    }

    void leadingMinusFollowsTheSteps_minus2minus3RemovesA2() {
        // The first character is "-", so «-2-3» is a removal of 2.
        type(QStringLiteral("2\r-2-3\r"));
        QCOMPARE(job.printCounts[2], 0);
        QCOMPARE(display().Label1, QString());
        QVERIFY(platform.alerts.isEmpty());
    }

    void entryLimit_100PrintsThenRefusedAsAWhole() {
        for (int i = 0; i < 99; ++i)
            type(QStringLiteral("301\r"));
        type(QStringLiteral("302"));
        engine->setVScroll1(3);
        type(QStringLiteral("\r"));
        QCOMPARE(platform.messages,
                 QStringList({QStringLiteral("連続データが１００を越えました。一度、しめ（ / "
                                             "を押す）の操作を行ってください。")}));
        QCOMPARE(job.printCounts[302], 0);
        QCOMPARE(parseEntryTokens(job.pendingEntry, 200).size(), 99);
        QCOMPARE(display().Label1, QString());
        QVERIFY(job.clearInputOnNextKey);
        QCOMPARE(display().VScroll1, 1);
        QCOMPARE(display().Label5, QStringLiteral(" 99枚"));

        type(QStringLiteral("302\r"));  // the 100th fits
        QCOMPARE(job.printCounts[302], 1);
        type(QStringLiteral("\r"));  // the 101st does not
        QCOMPARE(job.printCounts[302], 1);
        QCOMPARE(parseEntryTokens(job.pendingEntry, 200).size(), 100);
        QCOMPARE(job.smallTotalPrints, 100);
        QCOMPARE(platform.messages.size(), 2);
    }

    void photoCountLimit_refusesAnAdditionPast32767() {
        job.printCounts[5] = 32766;
        type(QStringLiteral("5"));
        engine->setVScroll1(2);
        type(QStringLiteral("\r"));
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages[0].contains(QStringLiteral("32767")));
        QCOMPARE(job.printCounts[5], 32766);
        QCOMPARE(job.pendingEntry, QString());
        QCOMPARE(job.grandTotalPrints, 0.0);
        type(QStringLiteral("5\r"));  // one more still fits
        QCOMPARE(job.printCounts[5], 32767);
    }

    void close_registersThePerson() {
        type(QStringLiteral("5\r"));
        job.pendingAmountText = QStringLiteral("300 ");  // amount 300 for the separator
        type(QStringLiteral("/"));
        QCOMPARE(job.personRecords[1], QStringLiteral("(1) 5 \\.300 "));
        QCOMPARE(job.personCount, 1.0);
        QCOMPARE(job.lastRecordSlot, 1.0);
        QCOMPARE(display().tbNin, QStringLiteral(" 1"));
        QCOMPARE(display().List1.last(), QStringLiteral("---\\.300 "));
        QCOMPARE(display().tbHGoukei, QString());
        QCOMPARE(display().Label13, QStringLiteral("（ 1人目）"));  // kept until the next number
        QCOMPARE(platform.sounds.last(), QStringLiteral("chimes.wav"));
        QVERIFY(!job.hasPendingEntries);
        QCOMPARE(job.pendingEntry, QString());
        QVERIFY(display().cbMaeEnabled);
    }

    void close_separatorIsTheLastNineCharacters_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("separator");
        QTest::newRow("0") << "0 "
                           << "-----\\.0 ";
        QTest::newRow("300") << "300 "
                             << "---\\.300 ";
        QTest::newRow("1500") << "1500 "
                              << "--\\.1500 ";
        QTest::newRow("123456") << "123456 "
                                << "\\.123456 ";
        QTest::newRow("1234567") << "1234567 "
                                 << ".1234567 ";
    }
    void close_separatorIsTheLastNineCharacters() {
        QFETCH(QString, amount);
        QFETCH(QString, separator);
        type(QStringLiteral("5\r"));
        job.pendingAmountText = amount;
        type(QStringLiteral("/"));
        QCOMPARE(display().List1.last(), separator);
    }

    void closeKeys_allThreeClose_typedNumberDiscarded() {
        type(QStringLiteral("5\r23*"));
        QCOMPARE(job.personRecords[1], QStringLiteral("(1) 5 \\.800 "));
        QCOMPARE(display().Label1, QString());
        type(QStringLiteral("6\r="));
        QCOMPARE(job.personCount, 2.0);
        type(QStringLiteral("23/"));  // nothing open: the number stays
        QCOMPARE(job.personCount, 2.0);
        QCOMPARE(display().Label1, QStringLiteral("23"));
    }

    void recentEntries_keepAtMostEleven() {
        for (int i = 1; i <= 15; ++i)
            type(QString::number(300 + i) + u'\r');
        QCOMPARE(display().List1.size(), 11);
        QCOMPARE(display().List1.first(), QStringLiteral(" 305"));
        QCOMPARE(display().List1.last(), QStringLiteral(" 315"));
        type(QStringLiteral("/"));
        QCOMPARE(display().List1.size(), 11);
        QCOMPARE(display().List1.last(), QStringLiteral("--\\.1500 "));
    }

    void loadedJob_numbersTheNextPersonAfterItsRecords() {
        JobState loaded = makeJob();
        loaded.personCount = 7;
        loaded.lastRecordSlot = 7;
        for (int p = 1; p <= 7; ++p)
            loaded.personRecords[p] = QStringLiteral("(%1) 5 \\.800 ").arg(p);
        OrderEntry other(loaded, platform);
        other.Form_Load(QStringLiteral("/x"));
        other.Form_Activate();
        QCOMPARE(other.display().tbNin, QStringLiteral(" 7"));
        typeKeys(other, QStringLiteral("6\r/"));
        QCOMPARE(loaded.personRecords[8], QStringLiteral("(8) 6 \\.800 "));
    }

    void fullJob_refusesThe1501stCloseAndKeepsTheEntry() {
        job.personCount = 1500;
        job.lastRecordSlot = 1500;
        type(QStringLiteral("5\r/"));
        QCOMPARE(job.personCount, 1500.0);
        QCOMPARE(job.pendingEntry, QStringLiteral("5 "));
        QCOMPARE(job.printCounts[5], 1);
        QCOMPARE(platform.messages, QStringList({OrderEntry::kJobFullMessage}));
        QVERIFY(!platform.sounds.contains(QStringLiteral("chimes.wav")));
        QVERIFY(!engine->closeOpenEntryForFinish());
        QCOMPARE(job.pendingEntry, QStringLiteral("5 "));
    }

    void finishing_closesAnOpenEntryWithoutSound() {
        type(QStringLiteral("7\r23"));  // 23 typed but not entered
        QVERIFY(engine->closeOpenEntryForFinish());
        QCOMPARE(job.personRecords[1], QStringLiteral("(1) 7 \\.800 "));
        QVERIFY(!platform.sounds.contains(QStringLiteral("chimes.wav")));
        QVERIFY(engine->closeOpenEntryForFinish());  // nothing open: nothing registered
        QCOMPARE(job.personCount, 1.0);
    }

    void finishing_closesEvenAfterANoDataRefusal() {
        type(QStringLiteral("7\r-8\r"));
        QVERIFY(engine->closeOpenEntryForFinish());
        QCOMPARE(job.personRecords[1], QStringLiteral("(1) 7 \\.800 "));
    }

    void arrowKeys_pageOnlyWhileTheirButtonIsEnabled() {
        for (int p = 0; p < 20; ++p)
            keyPerson(*engine, {5});
        const Number top = job.historyTopRow;
        engine->Form_KeyDown(OrderEntry::kKeyUp);
        QCOMPARE(job.historyTopRow, top - 1);
        // Down until the window starts at the second-to-last row (19 of 20).
        for (int i = 0; i < 16; ++i)
            engine->Form_KeyDown(OrderEntry::kKeyDown);
        QCOMPARE(job.historyTopRow, 19.0);
        QVERIFY(!display().cbAtoEnabled);
        engine->Form_KeyDown(OrderEntry::kKeyDown);  // disabled: nothing
        QCOMPARE(job.historyTopRow, 19.0);
        engine->Form_KeyDown(65);  // any other key: nothing
        QCOMPARE(job.historyTopRow, 19.0);
    }

    void paging_reEnablesTheOtherButton() {
        for (int p = 0; p < 20; ++p)
            keyPerson(*engine, {5});
        // At the end: 後へ↓ disabled; one step earlier enables it again.
        while (display().cbAtoEnabled)
            engine->PageHistoryLater();
        QCOMPARE(job.historyTopRow, 19.0);
        engine->PageHistoryEarlier();
        QVERIFY(display().cbAtoEnabled);
        // At the start: ↑前へ disabled; one step later enables it again.
        while (display().cbMaeEnabled)
            engine->PageHistoryEarlier();
        QCOMPARE(job.historyTopRow, 1.0);
        engine->PageHistoryLater();
        QVERIFY(display().cbMaeEnabled);
        QCOMPARE(job.historyTopRow, 2.0);
    }

    void activation_refreshesTotalsAndReturnsToTheHistoryEnd() {
        for (int p = 0; p < 20; ++p)
            keyPerson(*engine, {5});
        engine->PageHistoryEarlier();
        engine->PageHistoryEarlier();
        job.largeTotalPrints = 99;  // as a correction would have changed it
        engine->Form_Activate();
        QCOMPARE(job.historyTopRow, 4.0);  // 20 rows - 16
        QCOMPARE(display().tbDaiNanMai, QStringLiteral(" 99"));
        QCOMPARE(display().focus, InputFocus::Form1);
    }
};

QTEST_APPLESS_MAIN(TestOrderEntry)
#include "tst_order_entry.moc"
