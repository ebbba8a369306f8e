#include "core/national.h"
#include "core/numbering.h"
#include "core/pieces.h"

#include <QTest>

using namespace Qt::StringLiterals;
using tovrik::core::NumberFormat;
using tovrik::core::PieceSplitter;
using tovrik::core::SmsEncoding;
using tovrik::core::SmsUnits;
using tovrik::core::SplitMode;

Q_DECLARE_METATYPE(tovrik::core::SplitMode)
Q_DECLARE_METATYPE(tovrik::core::SmsUnits)
Q_DECLARE_METATYPE(tovrik::core::SmsEncoding)

namespace {

std::string utf8(const QString &text) {
    return text.toStdString();
}

struct Numbered {
    QStringList pieces;
    QList<SmsEncoding> encodings;
    QList<qsizetype> units;
};

std::optional<Numbered> split(PieceSplitter &splitter, const QString &message, SmsUnits sms,
                              SplitMode mode, int limit, const QString &format,
                              const char *languages = "") {
    std::string error;
    const std::optional<NumberFormat> number = NumberFormat::parse(utf8(format), &error);
    if (!number)
        qFatal("bad format %s: %s", qPrintable(format), error.c_str());
    tovrik::core::LanguageSet set = 0;
    if (*languages && !tovrik::core::ParseLanguages(languages, set, error))
        qFatal("bad languages %s: %s", languages, error.c_str());
    const std::string text = utf8(message);
    if (!splitter.split(text, {sms, mode, limit, &*number, tovrik::core::Replacement::Never, set}))
        return std::nullopt;
    Numbered out;
    const qsizetype count = qsizetype(splitter.pieces().size());
    for (qsizetype i = 0; i < count; ++i) {
        out.pieces.append(QString::fromStdString(
            number->render(i + 1, count, splitter.pieces()[std::size_t(i)])));
        out.encodings.append(splitter.cost(i).encoding);
        out.units.append(splitter.cost(i).units);
    }
    return out;
}

std::optional<Numbered> split(const QString &message, SmsUnits sms, SplitMode mode, int limit,
                              const QString &format) {
    PieceSplitter splitter;
    return split(splitter, message, sms, mode, limit, format);
}

bool operator==(const Numbered &a, const Numbered &b) {
    return a.pieces == b.pieces && a.encodings == b.encodings && a.units == b.units;
}

} // namespace

class NumberingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formats_data();
    void formats();
    void countWidthIsReserved_data();
    void countWidthIsReserved();
    void examples_data();
    void examples();
    void noRoomLeft();
    void splitterReused();
};

void NumberingTest::formats_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("rendered"); // piece "x" as number 7 of 12; empty: refused

    QTest::newRow("prefix") << u"%k/%n %t"_s << u"7/12 x"_s;
    QTest::newRow("suffix") << u"%t (%k/%n)"_s << u"x (7/12)"_s;
    QTest::newRow("literal percent") << u"%k%% %t"_s << u"7% x"_s;
    QTest::newRow("text alone") << u"%t"_s << u"x"_s;
    QTest::newRow("no text") << u"%k/%n"_s << QString();
    QTest::newRow("text twice") << u"%t %t"_s << QString();
    QTest::newRow("unknown field") << u"%x %t"_s << QString();
    QTest::newRow("lone percent at the end") << u"%t %"_s << QString();
}

void NumberingTest::formats() {
    QFETCH(QString, format);
    QFETCH(QString, rendered);
    std::string error;
    const std::optional<NumberFormat> number = NumberFormat::parse(utf8(format), &error);
    QCOMPARE(number.has_value(), !rendered.isEmpty());
    if (number)
        QCOMPARE(QString::fromStdString(number->render(7, 12, "x")), rendered);
    else
        QVERIFY(!error.empty());
}

void NumberingTest::countWidthIsReserved_data() {
    QTest::addColumn<SmsUnits>("sms");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("count");

    // "k/n " around 10 characters under the limit 14; 8 once n has two digits.
    QTest::newRow("9 parts") << SmsUnits::Off << 90 << 9;
    QTest::newRow("10 parts reserve the second digit") << SmsUnits::Off << 91 << 12;
    // In SMS: 156 septets with one digit each, 154 with two.
    QTest::newRow("SMS, 9 parts") << SmsUnits::Standalone << 9 * 156 << 9;
    QTest::newRow("SMS, 10 parts") << SmsUnits::Standalone << 9 * 156 + 1 << 10;
}

void NumberingTest::countWidthIsReserved() {
    QFETCH(SmsUnits, sms);
    QFETCH(int, length);
    QFETCH(int, count);
    const QString message = u"a"_s.repeated(length);
    const auto numbered = split(message, sms, SplitMode::Exact, 14, u"%k/%n %t"_s);
    QVERIFY(numbered);
    QCOMPARE(numbered->pieces.size(), count);
    const qsizetype limit = sms == SmsUnits::Off ? 14 : 160;
    QString joined;
    for (qsizetype i = 0; i < numbered->pieces.size(); ++i) {
        const QString &piece = numbered->pieces[i];
        const QString head = u"%1/%2 "_s.arg(i + 1).arg(count);
        QVERIFY2(piece.startsWith(head), qPrintable(piece));
        QVERIFY2(piece.size() <= limit, qPrintable(piece));
        QCOMPARE(numbered->units[i], piece.size());
        joined += piece.sliced(head.size());
    }
    QCOMPARE(joined, message);
}

void NumberingTest::examples_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<SmsUnits>("sms");
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QList<SmsEncoding>>("encodings");

    const QString fox = u"The quick brown fox jumps over the lazy dog."_s;
    QTest::newRow("characters, prefix, space mode")
        << fox << SmsUnits::Off << SplitMode::Space << u"%k/%n %t"_s
        << QStringList{u"1/3 The quick brown"_s, u"2/3 fox jumps over"_s, u"3/3 the lazy dog."_s}
        << QList<SmsEncoding>(3, SmsEncoding::Gsm7);
    QTest::newRow("characters, suffix, period mode")
        << u"One. Two. Three."_s << SmsUnits::Off << SplitMode::Period << u"%t (%k/%n)"_s
        << QStringList{u"One. Two. (1/2)"_s, u" Three. (2/2)"_s}
        << QList<SmsEncoding>(2, SmsEncoding::Gsm7);

    const QString words = u"word "_s.repeated(40).trimmed(); // 199 septets
    QTest::newRow("SMS, a GSM-7 numbering keeps GSM-7")
        << words << SmsUnits::Standalone << SplitMode::Space << u"(%k/%n) %t"_s
        << QStringList{u"(1/2) "_s + u"word "_s.repeated(30).trimmed(),
                       u"(2/2) "_s + u"word "_s.repeated(10).trimmed()}
        << QList<SmsEncoding>(2, SmsEncoding::Gsm7);
    QTest::newRow("SMS, a numbering with an ellipsis makes every piece UCS-2")
        << words << SmsUnits::Standalone << SplitMode::Space << u"%t \u2026%k/%n"_s
        << QStringList{u"word "_s.repeated(13).trimmed() + u" \u20261/4"_s,
                       u"word "_s.repeated(13).trimmed() + u" \u20262/4"_s,
                       u"word "_s.repeated(13).trimmed() + u" \u20263/4"_s,
                       u"word"_s + u" \u20264/4"_s}
        << QList<SmsEncoding>(4, SmsEncoding::Ucs2);
    QTest::newRow("concat, the numbering chooses UCS-2 for all")
        << words << SmsUnits::Concat << SplitMode::Space << u"\u2026%t"_s
        << QStringList{u"\u2026"_s + u"word "_s.repeated(13).trimmed(),
                       u"\u2026"_s + u"word "_s.repeated(13).trimmed(),
                       u"\u2026"_s + u"word "_s.repeated(13).trimmed(), u"\u2026word"_s}
        << QList<SmsEncoding>(4, SmsEncoding::Ucs2);
    QTest::newRow("concat, one part when the numbered message fits one SMS")
        << u"a"_s.repeated(156) << SmsUnits::Concat << SplitMode::Exact << u"%k/%n %t"_s
        << QStringList{u"1/1 "_s + u"a"_s.repeated(156)} << QList<SmsEncoding>{SmsEncoding::Gsm7};
}

void NumberingTest::examples() {
    QFETCH(QString, message);
    QFETCH(SmsUnits, sms);
    QFETCH(SplitMode, mode);
    QFETCH(QString, format);
    QFETCH(QStringList, pieces);
    QFETCH(QList<SmsEncoding>, encodings);
    const auto numbered = split(message, sms, mode, 20, format);
    QVERIFY(numbered);
    QCOMPARE(numbered->pieces, pieces);
    QCOMPARE(numbered->encodings, encodings);
}

void NumberingTest::noRoomLeft() {
    QVERIFY(split(u"abc"_s, SmsUnits::Off, SplitMode::Exact, 5, u"%k/%n %t"_s));
    QVERIFY(!split(u"abc"_s, SmsUnits::Off, SplitMode::Exact, 4, u"%k/%n %t"_s));
    // 67 + 1 + 2 units of numbering leave nothing of a UCS-2 SMS.
    const QString ellipses = u"\u2026"_s.repeated(66);
    QVERIFY(split(u"abc"_s, SmsUnits::Standalone, SplitMode::Exact, 0, ellipses + u"%t%k/%n"_s));
    QVERIFY(
        !split(u"abc"_s, SmsUnits::Standalone, SplitMode::Exact, 0, ellipses + u"\u2026%t%k/%n"_s));
}

// One splitter cutting with one numbering and set of languages after another
// cuts as a new one would: what it keeps of the last cut is not stale.
void NumberingTest::splitterReused() {
    const QString message = u"some words "_s.repeated(40);
    const struct {
        const char16_t *format;
        const char *languages;
    } cuts[] = {{u"%k/%n %t", "tr"},       {u"[%k/%n] %t", "tr"},     {u"\u011F%k/%n %t", "tr"},
                {u"\u00F5%k/%n %t", "tr"}, {u"\u00F5%k/%n %t", "pt"}, {u"%k/%n %t", ""}};
    PieceSplitter reused;
    for (const auto &cut : cuts) {
        const QString format = QString::fromUtf16(cut.format);
        PieceSplitter fresh;
        const auto expected =
            split(fresh, message, SmsUnits::Concat, SplitMode::Space, 0, format, cut.languages);
        QVERIFY(expected == split(reused, message, SmsUnits::Concat, SplitMode::Space, 0, format,
                                  cut.languages));
    }
}

QTEST_GUILESS_MAIN(NumberingTest)
#include "tst_numbering.moc"
