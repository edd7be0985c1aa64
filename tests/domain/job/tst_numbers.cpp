// SPDX-License-Identifier: MIT
#include "domain/job/job_state.h"
#include "domain/job/numbers.h"
#include "support/job_builder.h"

#include <QtTest>

class TestNumbers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "23" << 23.0;
        QTest::newRow("leading zeros") << "007" << 7.0;
        QTest::newRow("trailing garbage") << "12abc" << 12.0;
        QTest::newRow("trailing minus") << "23-" << 23.0;
        QTest::newRow("leading minus") << "-23" << -23.0;
        QTest::newRow("inner minus stops") << "2-3" << 2.0;
        QTest::newRow("double minus") << "--23" << 0.0;
        QTest::newRow("lone minus") << "-" << 0.0;
        QTest::newRow("plus") << "+5" << 5.0;
        QTest::newRow("blanks anywhere") << " 1 2 . 5 " << 12.5;
        QTest::newRow("blank after sign") << "- 7" << -7.0;
        QTest::newRow("fraction") << "10.5" << 10.5;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("full-width digits are not digits") << "１２" << 0.0;
        QTest::newRow("signed display form") << " 1500" << 1500.0;
        QTest::newRow("separator item") << "--\\.1500 " << 0.0;
        QTest::newRow("token with blank") << "12 " << 12.0;
    }
    void readNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(::readNumber(text), expected);
    }

    void readWholeNumber_data() {
        // What a range or price box is read as: a value, or -1 for a refusal.
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("yen");
        QTest::addColumn<double>("expected");
        constexpr double refused = -1;
        QTest::newRow("empty") << "" << true << 0.0;
        QTest::newRow("plain") << "1200" << true << 1200.0;
        QTest::newRow("grouped") << "1,200" << true << 1200.0;
        QTest::newRow("full-width grouped") << "１，２００" << true << 1200.0;
        QTest::newRow("blanks around") << " 1,200 " << true << 1200.0;
        QTest::newRow("yen sign") << "¥1,200" << true << 1200.0;
        QTest::newRow("backslash as yen") << "\\800" << true << 800.0;
        QTest::newRow("yen suffix") << "1200円" << true << 1200.0;
        QTest::newRow("both") << "￥ 1,200 円" << true << 1200.0;
        QTest::newRow("negative") << "-50" << true << -50.0;
        QTest::newRow("sign and yen") << "-¥50" << true << -50.0;
        QTest::newRow("yen not for a photo number") << "¥12" << false << refused;
        QTest::newRow("point") << "1.200" << true << refused;
        QTest::newRow("fraction") << "12.5" << false << refused;
        QTest::newRow("trailing text") << "12abc" << true << refused;
        QTest::newRow("blank inside") << "1 200" << true << refused;
        QTest::newRow("group of two") << "1,20" << true << refused;
        QTest::newRow("group of four") << "1,2000" << true << refused;
        QTest::newRow("four before the comma") << "1200,000" << true << refused;
        QTest::newRow("ideographic comma") << "1、200" << true << refused;
        QTest::newRow("yen alone") << "￥" << true << refused;
        QTest::newRow("two signs") << "--5" << true << refused;
        QTest::newRow("minus after") << "5-" << false << refused;
    }
    void readWholeNumber() {
        QFETCH(QString, text);
        QFETCH(bool, yen);
        QFETCH(double, expected);
        const std::optional<Number> read =
            ::readWholeNumber(text, yen ? WholeNumberForm::Yen : WholeNumberForm::Plain);
        QCOMPARE(read.value_or(-1), expected);
    }

    void halfWidthNumberText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full-width digits") << "０１２３４５６７８９"
                                           << "0123456789";
        QTest::newRow("full-width price") << "１２００"
                                          << "1200";
        QTest::newRow("full-width point") << "１２．５"
                                          << "12.5";
        QTest::newRow("full-width minus") << "－５"
                                          << "-5";
        QTest::newRow("minus sign") << "\u22125"
                                    << "-5";
        QTest::newRow("full-width plus") << "＋５"
                                         << "+5";
        QTest::newRow("ideographic blank") << "１\u3000２"
                                           << "1 2";
        QTest::newRow("mixed widths") << "1２3"
                                      << "123";
        QTest::newRow("long-vowel mark stays") << "ー５"
                                               << "ー5";
        QTest::newRow("dash stays") << "\u2015５"
                                    << "\u20155";
        QTest::newRow("ideographic full stop stays") << "１。５"
                                                     << "1。5";
        QTest::newRow("kanji numeral stays") << "五"
                                             << "五";
        QTest::newRow("letters stay") << "ａｂｃ12"
                                      << "ａｂｃ12";
        QTest::newRow("half-width stays") << " -1.5+"
                                          << " -1.5+";
        QTest::newRow("empty") << ""
                               << "";
    }
    void halfWidthNumberText() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(::halfWidthNumberText(typed), expected);
    }

    void readNumber_hugeDigitRunsStayFinite() {
        // An operator leaning on a key must not produce a crash or a NaN.
        const double value = ::readNumber(QString(400, u'9'));
        QVERIFY(value > 1e300);
    }

    void rounding_halvesToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.4") << 2.4 << 2;
        QTest::newRow("2.6") << 2.6 << 3;
        QTest::newRow("32767.4") << 32767.4 << 32767;
        QTest::newRow("-32768.5") << -32768.5 << -32768;
    }
    void rounding_halvesToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(roundToInt16(value).value(), expected);
        QCOMPARE(roundToInt32(value).value(), expected);
    }

    void rounding_outOfRangeIsAnError() {
        QVERIFY(!roundToInt16(32767.5).has_value());  // rounds to 32768
        QVERIFY(!roundToInt16(-32769).has_value());
        QVERIFY(roundToInt32(32768).has_value());
        QVERIFY(!roundToInt32(2147483647.5).has_value());
        QVERIFY(!roundToInt32(1e300).has_value());
        QVERIFY(!roundToInt16(std::numeric_limits<double>::quiet_NaN()).has_value());
    }

    void forms_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("plain");
        QTest::newRow("zero") << 0.0 << " 0"
                              << "0";
        QTest::newRow("five") << 5.0 << " 5"
                              << "5";
        QTest::newRow("negative") << -5.0 << "-5"
                                  << "-5";
        QTest::newRow("no grouping") << 1234567.0 << " 1234567"
                                     << "1234567";
        QTest::newRow("fraction") << 10.5 << " 10.5"
                                  << "10.5";
        QTest::newRow("large whole") << 150000.0 * 29999 << " 4499850000"
                                     << "4499850000";
    }
    void forms() {
        QFETCH(double, value);
        QFETCH(QString, display);
        QFETCH(QString, plain);
        QCOMPARE(signedDisplay(value), display);
        if (value >= 0)
            QCOMPARE(plainDecimal(value), plain);
    }

    void numberOrText_remembersItsKindAndReadsAsNumber() {
        NumberOrText text(QStringLiteral("12abc"));
        QVERIFY(text.isText());
        QCOMPARE(text.value(), 12.0);
        QCOMPARE(text.toText(), QStringLiteral("12abc"));

        NumberOrText number(10.5);
        QVERIFY(number.isNumber());
        QCOMPARE(number.value(), 10.5);
        QCOMPARE(number.toText(), QStringLiteral("10.5"));

        QVERIFY(NumberOrText(5) != NumberOrText(QStringLiteral("5")));
        // An unset field is an empty text that reads 0.
        QVERIFY(NumberOrText().isText());
        QCOMPARE(NumberOrText().toText(), QString());
        QCOMPARE(NumberOrText().value(), 0.0);
    }

    void sizeClass_boundsAreInclusiveAndGapsBelongNowhere() {
        const JobState job = makeJob({1, 100, 800, 201, 300, 500, 401, 999, 100});
        QVERIFY(sizeClassOf(job, 1).large);
        QVERIFY(sizeClassOf(job, 100).large);
        QVERIFY(!sizeClassOf(job, 150).any());  // between large and medium
        QVERIFY(sizeClassOf(job, 201).medium && !sizeClassOf(job, 201).large);
        QVERIFY(sizeClassOf(job, 999).small);
        QVERIFY(!sizeClassOf(job, 1000).any());
    }

    void sizeClass_switchedOffSizeTakesNoNumber() {
        const JobState job = makeJob({0, 0, 0, 0, 0, 0, 1, 500, 100});
        for (int n : {1, 250, 500})
            QVERIFY(sizeClassOf(job, n).small && !sizeClassOf(job, n).large &&
                    !sizeClassOf(job, n).medium);
        QVERIFY(!sizeClassOf(job, 501).any());
    }

    void personRecordText_format() {
        QCOMPARE(personRecordText(3, QStringLiteral("12 12 45 "), QStringLiteral("1500 ")),
                 QStringLiteral("(3) 12 12 45 \\.1500 "));
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
