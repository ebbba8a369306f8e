#include "commands/limit.h"

#include <QTest>

using namespace Qt::StringLiterals;
using tovrik::core::LimitError;

Q_DECLARE_METATYPE(tovrik::core::LimitError)

// Run under LC_ALL=C.UTF-8: the numeric test follows the system locale.
class LimitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void parseC_data();
    void parseC();
    void roundHalfEven_data();
    void roundHalfEven();
};

void LimitTest::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<LimitError>("error");
    QTest::addColumn<int>("limit");

    QTest::newRow("blanks around") << u" 12 "_s << LimitError::None << 12;
    QTest::newRow("half rounds to even, down") << u"2.5"_s << LimitError::None << 2;
    QTest::newRow("half rounds to even, up") << u"3.5"_s << LimitError::None << 4;
    QTest::newRow("just under half") << u"2.49"_s << LimitError::None << 2;
    QTest::newRow("exponent") << u"1e2"_s << LimitError::None << 100;
    QTest::newRow("plus sign") << u"+7"_s << LimitError::None << 7;
    QTest::newRow("lowest") << u"1"_s << LimitError::None << 1;
    QTest::newRow("highest") << u"32767"_s << LimitError::None << 32767;
    QTest::newRow("1.5 rounds up to 2") << u"1.5"_s << LimitError::None << 2;
    QTest::newRow("32766.5 rounds to even") << u"32766.5"_s << LimitError::None << 32766;

    QTest::newRow("letters") << u"abc"_s << LimitError::NotNumeric << 0;
    QTest::newRow("empty") << QString() << LimitError::NotNumeric << 0;
    QTest::newRow("blanks only") << u"   "_s << LimitError::NotNumeric << 0;
    QTest::newRow("trailing letter") << u"12a"_s << LimitError::NotNumeric << 0;
    QTest::newRow("inf") << u"inf"_s << LimitError::NotNumeric << 0;
    QTest::newRow("nan") << u"nan"_s << LimitError::NotNumeric << 0;
    QTest::newRow("huge exponent") << u"1e400"_s << LimitError::NotNumeric << 0;

    QTest::newRow("zero") << u"0"_s << LimitError::OutOfRange << 0;
    QTest::newRow("negative") << u"-5"_s << LimitError::OutOfRange << 0;
    QTest::newRow("rounds to zero") << u"0.4"_s << LimitError::OutOfRange << 0;
    QTest::newRow("half rounds to zero") << u"0.5"_s << LimitError::OutOfRange << 0;
    QTest::newRow("too high") << u"40000"_s << LimitError::OutOfRange << 0;
    QTest::newRow("one over") << u"32768"_s << LimitError::OutOfRange << 0;
    QTest::newRow("32767.5 rounds over") << u"32767.5"_s << LimitError::OutOfRange << 0;
}

void LimitTest::parse() {
    QFETCH(QString, text);
    QFETCH(LimitError, error);
    QFETCH(int, limit);
    const tovrik::core::ParsedLimit parsed = tovrik::commands::ParseLimit(text);
    QCOMPARE(parsed.error, error);
    if (error == LimitError::None)
        QCOMPARE(parsed.limit, limit);
    // The numeric test and the parser agree on what is a number.
    QCOMPARE(tovrik::commands::IsNumeric(text), error != LimitError::NotNumeric);
}

// tovrik-split's reading: the same on every machine, whatever the locale.
void LimitTest::parseC_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<LimitError>("error");
    QTest::addColumn<int>("limit");

    QTest::newRow("blanks around") << QByteArray(" 12\t") << LimitError::None << 12;
    QTest::newRow("no-break space before") << QByteArray("\xC2\xA0"
                                                         "12")
                                           << LimitError::None << 12;
    QTest::newRow("half rounds to even, down") << QByteArray("2.5") << LimitError::None << 2;
    QTest::newRow("half rounds to even, up") << QByteArray("3.5") << LimitError::None << 4;
    QTest::newRow("plus sign and exponent") << QByteArray("+1.5e1") << LimitError::None << 15;
    QTest::newRow("point first") << QByteArray(".9e1") << LimitError::None << 9;
    QTest::newRow("point last") << QByteArray("7.") << LimitError::None << 7;

    QTest::newRow("group separator") << QByteArray("1,000") << LimitError::NotNumeric << 0;
    QTest::newRow("decimal comma") << QByteArray("2,5") << LimitError::NotNumeric << 0;
    QTest::newRow("point alone") << QByteArray(".") << LimitError::NotNumeric << 0;
    QTest::newRow("exponent without digits") << QByteArray("1e") << LimitError::NotNumeric << 0;
    QTest::newRow("hexadecimal") << QByteArray("0x10") << LimitError::NotNumeric << 0;
    QTest::newRow("inf") << QByteArray("inf") << LimitError::NotNumeric << 0;
    QTest::newRow("two signs") << QByteArray("+-1") << LimitError::NotNumeric << 0;
    QTest::newRow("huge exponent") << QByteArray("1e400") << LimitError::NotNumeric << 0;
    QTest::newRow("blanks only") << QByteArray(" ") << LimitError::NotNumeric << 0;

    QTest::newRow("negative") << QByteArray("-5") << LimitError::OutOfRange << 0;
    QTest::newRow("32767.5 rounds over") << QByteArray("32767.5") << LimitError::OutOfRange << 0;
}

void LimitTest::parseC() {
    QFETCH(QByteArray, text);
    QFETCH(LimitError, error);
    QFETCH(int, limit);
    const tovrik::core::ParsedLimit parsed = tovrik::core::ParseLimitC(text.toStdString());
    QCOMPARE(parsed.error, error);
    QCOMPARE(parsed.limit, limit);
}

void LimitTest::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("2.51") << 2.51 << 3.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("7") << 7.0 << 7.0;
}

void LimitTest::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(tovrik::core::RoundHalfEven(value), rounded);
}

QTEST_GUILESS_MAIN(LimitTest)
#include "tst_limit.moc"
