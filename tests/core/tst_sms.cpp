#include "core/national.h"
#include "core/pieces.h"
#include "core/sms.h"
#include "core/utf8.h"

#include <QRandomGenerator>
#include <QTest>

#include <unicode/ubrk.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <random>

using namespace Qt::StringLiterals;
namespace core = tovrik::core;
using core::PieceOptions;
using core::SmsEncoding;
using core::SmsUnits;
using core::SplitMode;

Q_DECLARE_METATYPE(tovrik::core::SplitMode)
Q_DECLARE_METATYPE(tovrik::core::SmsUnits)
Q_DECLARE_METATYPE(tovrik::core::SmsEncoding)
Q_DECLARE_METATYPE(tovrik::core::Language)

namespace {

// The core measures and cuts UTF-8; these tests write their messages in
// UTF-16 and read the pieces back as views of them.
class Utf8 {
public:
    explicit Utf8(QStringView text) : m_bytes(text.toUtf8()), m_unitAt(m_bytes.size() + 1) {
        qsizetype units = 0;
        for (qsizetype i = 0; i <= m_bytes.size(); ++i) {
            m_unitAt[i] = units;
            if (i < m_bytes.size() && (uchar(m_bytes[i]) & 0xC0) != 0x80)
                units += uchar(m_bytes[i]) >= 0xF0 ? 2 : 1;
        }
    }
    std::string_view view() const { return {m_bytes.constData(), std::size_t(m_bytes.size())}; }
    // A piece of view() as the same stretch of `text`.
    QStringView map(QStringView text, std::string_view piece) const {
        const qsizetype from = piece.data() - m_bytes.constData();
        const qsizetype to = from + qsizetype(piece.size());
        return text.sliced(m_unitAt[from], m_unitAt[to] - m_unitAt[from]);
    }

private:
    QByteArray m_bytes;
    QList<qsizetype> m_unitAt; // the UTF-16 offset of each byte offset
};

core::SmsScan scanSms(QStringView text) {
    return core::ScanSms(Utf8(text).view());
}
qsizetype smsCost(QStringView text, SmsEncoding encoding) {
    return core::SmsCost(Utf8(text).view(), encoding);
}
qsizetype smsSegments(QStringView text) {
    return core::SmsSegments(Utf8(text).view());
}

class PieceSplitter {
public:
    bool split(const QString &message, const PieceOptions &options) {
        m_message = message;
        m_utf8.emplace(m_message);
        return m_splitter.split(m_utf8->view(), options);
    }
    std::vector<QStringView> pieces() const {
        std::vector<QStringView> pieces;
        for (const std::string_view piece : m_splitter.pieces())
            pieces.push_back(m_utf8->map(m_message, piece));
        return pieces;
    }
    qsizetype segments() { return m_splitter.segments(); }
    core::PieceSplitter::Cost cost(qsizetype index) const { return m_splitter.cost(index); }
    core::ShiftTables tables() const { return m_splitter.tables(); }

private:
    QString m_message;
    std::optional<Utf8> m_utf8;
    core::PieceSplitter m_splitter;
};

const QString Euro = u"\u20AC"_s;
const QString Smile = u"\U0001F600"_s;
const QString ZheCyrillic = u"\u0436"_s;
const QString Acute = u"e\u0301"_s; // one grapheme, two code units

QString times(const QString &unit, qsizetype count) {
    return unit.repeated(count);
}

// The cut positions ICU allows, asked of the whole message at once.
QList<bool> graphemeBoundaries(const QString &text) {
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator *finder =
        ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar *>(text.utf16()),
                  std::int32_t(text.size()), &status);
    QList<bool> boundaries(text.size() + 1);
    for (qsizetype p = 0; p <= text.size(); ++p)
        boundaries[p] = U_SUCCESS(status) && ubrk_isBoundary(finder, std::int32_t(p));
    ubrk_close(finder);
    return boundaries;
}

// Random messages of words, blanks, periods, line breaks, extension
// characters, emoji and combining marks, with long words and one grapheme
// now and then too big for any SMS.
QString randomMessage(quint32 seed, bool gsm7Only) {
    QRandomGenerator random(seed);
    static const QStringList parts = {u"word"_s,
                                      u"a"_s,
                                      u" "_s,
                                      u" "_s,
                                      u" "_s,
                                      u"  "_s,
                                      u"."_s,
                                      u". "_s,
                                      u"\r\n"_s,
                                      u"]"_s,
                                      Euro,
                                      u"{x}"_s,
                                      Smile,
                                      Acute,
                                      ZheCyrillic,
                                      u"\u00E7"_s,
                                      u"\U0001F468\u200D\U0001F469"_s,
                                      u"\U0001F1E9\U0001F1EA"_s,
                                      u"\U00020BB7"_s, // a CJK ideograph of the third plane
                                      u"Supercalifragilisticexpialidocious"_s};
    static const QStringList gsm7Parts = {u"word"_s,    u" "_s,      u"  "_s, u". "_s,
                                          u"\r\n"_s,    u"]"_s,      Euro,    u"{x}"_s,
                                          u"\u00C7a"_s, u"\u0394"_s, u"@"_s};
    QString message;
    const int count = random.bounded(0, 220);
    for (int i = 0; i < count; ++i) {
        if (gsm7Only) {
            // Every fourth seed: ASCII of a septet each, as many as bytes.
            const int kinds = seed % 4 == 0 ? 5 : int(gsm7Parts.size());
            const int pick = random.bounded(kinds + 1);
            message += pick < kinds ? gsm7Parts.at(pick) : times(u"x"_s, random.bounded(100, 400));
            continue;
        }
        const int pick = random.bounded(int(parts.size()) + 2);
        if (pick == int(parts.size()))
            message += times(u"x"_s, random.bounded(100, 400)); // a word too long for one SMS
        else if (pick == int(parts.size()) + 1)
            message += u"o"_s + times(u"\u0301"_s, random.bounded(1, 90)); // a heavy grapheme
        else
            message += parts.at(pick);
    }
    return message;
}

} // namespace

class SmsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void alphabet();
    void characters_data();
    void characters();
    void segments_data();
    void segments();
    void plainGraphemesNeedNoFinder_data();
    void plainGraphemesNeedNoFinder();
    void modeRules_data();
    void modeRules();
    void budgets_data();
    void budgets();
    void properties_data();
    void properties();
    void nationalCosts_data();
    void nationalCosts();
    void graphemesStayWhole_data();
    void graphemesStayWhole();
    void droppedBlanksLeaveRoom_data();
    void droppedBlanksLeaveRoom();
    void blanksJoinWhereTheirSeptetsFit_data();
    void blanksJoinWhereTheirSeptetsFit();
};

void SmsTest::alphabet() {
    // Every code unit alone: 127 characters of one septet, 10 of two.
    int basic = 0;
    int extension = 0;
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const QChar c{char16_t(u)};
        if (c.isSurrogate())
            continue;
        const core::SmsScan scan = scanSms(QStringView(&c, 1));
        if (scan.encoding == SmsEncoding::Gsm7)
            (scan.units == 1 ? basic : extension) += 1;
    }
    QCOMPARE(basic, 127);
    QCOMPARE(extension, 10);

    // Past ASCII, the septets read from a character's bytes are its code
    // point's; and a character with a GSM-7 form is a grapheme of its own.
    for (char32_t c = 0x80; c < 0x110000; ++c) {
        unsigned char bytes[8] = {};
        core::EncodeUtf8(c, reinterpret_cast<char *>(bytes));
        const int septets = core::Gsm7Septets(c);
        if (core::Gsm7SeptetsAt(bytes) != septets || (septets > 0 && !core::BreaksBothWays(c)))
            QFAIL(qPrintable(u"U+"_s + QString::number(quint32(c), 16)));
    }
    // A character at the very end of a text held in just its own bytes: the
    // scan reads nothing past it (the sanitizer build would see it).
    for (const std::string_view last : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"})
        for (std::size_t size = 16; size < 40; ++size) {
            const auto text = std::make_unique<char[]>(size);
            std::memset(text.get(), 'a', size - last.size());
            std::memcpy(text.get() + size - last.size(), last.data(), last.size());
            core::ScanSms({text.get(), size});
        }

    // In long runs, scanned several units at a time, each costs the same.
    for (char16_t u = 0; u < 0x100; ++u) {
        const QString unit(QChar{u});
        const core::SmsScan alone = scanSms(unit);
        const core::SmsScan run = scanSms(u"ab"_s + unit.repeated(17));
        QCOMPARE(run.encoding, alone.encoding);
        QCOMPARE(run.escapes, alone.escapes);
        if (alone.encoding == SmsEncoding::Gsm7)
            QCOMPARE(run.units, 2 + 17 * alone.units);
    }
    const core::SmsScan table = scanSms(u"\f^{}\\[~]|"_s + Euro);
    QCOMPARE(table.encoding, SmsEncoding::Gsm7);
    QCOMPARE(table.units, 20);
    QVERIFY(table.escapes);
}

void SmsTest::characters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<SmsEncoding>("encoding");
    QTest::addColumn<int>("units");

    QTest::newRow("capital C cedilla") << u"\u00C7"_s << SmsEncoding::Gsm7 << 1;
    QTest::newRow("small c cedilla") << u"\u00E7"_s << SmsEncoding::Ucs2 << 1;
    QTest::newRow("tab") << u"a\tb"_s << SmsEncoding::Ucs2 << 3;
    QTest::newRow("backtick") << u"`"_s << SmsEncoding::Ucs2 << 1;
    QTest::newRow("no-break space") << u"a\u00A0b"_s << SmsEncoding::Ucs2 << 3;
    QTest::newRow("CR LF") << u"\r\n"_s << SmsEncoding::Gsm7 << 2;
    QTest::newRow("Greek capitals") << u"\u0394\u03A9\u03A3"_s << SmsEncoding::Gsm7 << 3;
    QTest::newRow("small Greek") << u"\u03B1"_s << SmsEncoding::Ucs2 << 1;
    QTest::newRow("extension in UCS-2 costs one") << u"[\u0436]"_s << SmsEncoding::Ucs2 << 3;
    QTest::newRow("emoji costs two units") << Smile << SmsEncoding::Ucs2 << 2;
}

void SmsTest::characters() {
    QFETCH(QString, text);
    QFETCH(SmsEncoding, encoding);
    QFETCH(int, units);
    const core::SmsScan scan = scanSms(text);
    QCOMPARE(scan.encoding, encoding);
    QCOMPARE(scan.units, units);
}

void SmsTest::segments_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("segments");
    QTest::addColumn<int>("firstPart"); // UTF-16 units of the first part, -1 not checked

    for (const auto &[septets, count] :
         {std::pair{159, 1}, {160, 1}, {161, 2}, {305, 2}, {306, 2}, {307, 3}, {320, 3}})
        QTest::addRow("GSM-7 %d septets", septets) << times(u"a"_s, septets) << count << -1;
    for (const auto &[units, count] :
         {std::pair{69, 1}, {70, 1}, {71, 2}, {134, 2}, {135, 3}, {160, 3}})
        QTest::addRow("UCS-2 %d units", units)
            << ZheCyrillic + times(u"a"_s, units - 1) << count << -1;

    QTest::newRow("153 escapes are never cut") << times(u"]"_s, 153) << 3 << 76;
    QTest::newRow("euro at septets 152-153 stays")
        << times(u"a"_s, 151) + Euro + times(u"a"_s, 10) << 2 << 152;
    QTest::newRow("euro at septet 153 moves on")
        << times(u"a"_s, 152) + Euro + times(u"a"_s, 10) << 2 << 152;
    QTest::newRow("pair at units 65-66 stays")
        << times(ZheCyrillic, 65) + Smile + times(u"a"_s, 10) << 2 << 67;
    QTest::newRow("pair at unit 66 moves on")
        << times(ZheCyrillic, 66) + Smile + times(u"a"_s, 10) << 2 << 66;
    QTest::newRow("a grave accent, ASCII, then Chinese: three bytes a unit")
        << u"`"_s + times(u"a"_s, 255) + times(u"\u4F60"_s, 80) << 6 << 67;
    QTest::newRow("70 e with acute") << times(Acute, 70) << 3 << 66;
    QTest::newRow("67 e with acute, 134 units") << times(Acute, 67) << 3 << 66;
    QTest::newRow("empty") << QString() << 0 << -1;
}

void SmsTest::segments() {
    QFETCH(QString, message);
    QFETCH(int, segments);
    QFETCH(int, firstPart);
    QCOMPARE(smsSegments(message), segments);

    // A phone's parts are what the concatenated exact cut gives.
    PieceSplitter splitter;
    QVERIFY(splitter.split(message, {SmsUnits::Concat, SplitMode::Exact, 0, nullptr}));
    QCOMPARE(qsizetype(splitter.pieces().size()), segments);
    QCOMPARE(splitter.segments(), segments);
    if (firstPart >= 0)
        QCOMPARE(splitter.pieces().front().size(), firstPart);
}

void SmsTest::plainGraphemesNeedNoFinder_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("plain");

    // Every code point the scan calls plain, in three orders, and mixed with
    // code points that join: the finder must find a boundary between any two
    // plain code points (CR LF aside).
    QString all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const QString one = QString::fromUcs4(&c, 1);
        if ((c < 0xD800 || c > 0xDFFF) && scanSms(one).plainGraphemes)
            all += one;
    }
    QVERIFY(all.size() > 20000);
    const auto shuffled = [&](QString extra, unsigned seed) {
        QList<QString> points;
        for (qsizetype i = 0; i < all.size(); i += all[i].isHighSurrogate() ? 2 : 1)
            points.append(all.sliced(i, all[i].isHighSurrogate() ? 2 : 1));
        for (qsizetype i = 0; i < extra.size(); i += extra[i].isHighSurrogate() ? 2 : 1)
            for (int copies = 0; copies < 300; ++copies)
                points.append(extra.sliced(i, extra[i].isHighSurrogate() ? 2 : 1));
        std::shuffle(points.begin(), points.end(), std::mt19937(seed));
        return points.join(QString());
    };
    QTest::newRow("all plain, ascending") << all << true;
    QTest::newRow("all plain, shuffled") << shuffled(QString(), 7) << true;
    // Text of the common scripts needs no finder: Latin, Greek, Cyrillic,
    // punctuation and currency, CJK, Hangul syllables, full-width forms, emoji.
    QTest::newRow("common scripts")
        << u"caf\u00E9 \u03A9\u03B1 \u0436 \u1E9E \u201Cquoted\u201D \u2013 20\u20AC \u2026 "
           u"\u2122 \u2192 \u4F60\u597D \u3002 \uD55C \uFF01 \U0001F600"_s
        << true;
    // Combining marks, joiners, a prepended mark, jamo, regional
    // indicators, an emoji modifier, a variation selector.
    const QString joining = u"\u0301\u0483\u200D\u200C\u0600\u1100\u1161\u11A8\uFE0F"
                            u"\U0001F1E9\U0001F3FB\U000E0041\u0E33\u0903"_s;
    QTest::newRow("plain among joining code points") << shuffled(joining, 8) << false;

    QTest::newRow("combining acute") << Acute << false;
    QTest::newRow("emoji with a modifier") << u"\U0001F44D\U0001F3FD"_s << false;
    QTest::newRow("flag") << u"\U0001F1E9\U0001F1EA"_s << false;
    QTest::newRow("Hangul jamo") << u"\u1100\u1161"_s << false;
    QTest::newRow("zero-width joiner") << u"a\u200Db"_s << false;
}

void SmsTest::plainGraphemesNeedNoFinder() {
    QFETCH(QString, text);
    QFETCH(bool, plain);
    QCOMPARE(scanSms(text).plainGraphemes, plain);
    const auto isPlain = [&](qsizetype from, qsizetype length) {
        return scanSms(QStringView(text).sliced(from, length)).plainGraphemes;
    };
    const QList<bool> boundaries = graphemeBoundaries(text);
    qsizetype previous = 0; // the code point before p starts here
    for (qsizetype p = 1; p < text.size(); ++p) {
        if (text[p].isLowSurrogate() && text[p - 1].isHighSurrogate())
            continue;
        const qsizetype next = p + 1 < text.size() && text[p].isHighSurrogate() ? p + 2 : p + 1;
        if (isPlain(previous, p - previous) && isPlain(p, next - p))
            QVERIFY2(boundaries[p], qPrintable(u"no boundary between U+%1 and U+%2"_s
                                                   .arg(text[previous].unicode(), 4, 16)
                                                   .arg(text[p].unicode(), 4, 16)));
        previous = p;
    }
}

void SmsTest::modeRules_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<SmsUnits>("sms");
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QList<SmsEncoding>>("encodings");

    const auto a = [](int n) { return times(u"a"_s, n); };
    const auto gsm = [](int n) { return QList<SmsEncoding>(n, SmsEncoding::Gsm7); };
    const SmsUnits standalone = SmsUnits::Standalone;
    // ASCII without a GSM-7 form (a grave accent, a tab), plain text long
    // enough to be scanned in blocks, then Cyrillic: pieces count units.
    for (const QString &first : {u"`"_s, u"\t"_s}) {
        QStringList pieces{first + a(66)};
        QString rest = a(189) + times(ZheCyrillic, 104) + u"b"_s;
        for (; rest.size() > 67; rest.remove(0, 67))
            pieces << rest.left(67);
        pieces << rest;
        QTest::addRow("exact: %s, then Cyrillic, counts units",
                      first == u"`"_s ? "a grave accent" : "a tab")
            << first + a(255) + times(ZheCyrillic, 104) + u"b"_s << SmsUnits::Concat
            << SplitMode::Exact << pieces << QList<SmsEncoding>(pieces.size(), SmsEncoding::Ucs2);
    }
    QTest::newRow("space: the blank after a word counts")
        << a(159) + u" b"_s << standalone << SplitMode::Space << QStringList{a(159), u"b"_s}
        << gsm(2);
    QTest::newRow("space: a word of 159 and its blank do not fit behind another")
        << u"b "_s + a(159) << standalone << SplitMode::Space << QStringList{u"b"_s, a(159)}
        << gsm(2);
    QTest::newRow("space: a word that fills the SMS, its blank dropped")
        << a(160) + u" b"_s << standalone << SplitMode::Space << QStringList{a(160), u"b"_s}
        << gsm(2);
    QTest::newRow("space: a word too long is cut, its tail gathers on")
        << a(200) + u" b c"_s << standalone << SplitMode::Space
        << QStringList{a(160), a(40) + u" b c"_s} << gsm(2);
    QTest::newRow("space: escapes cost two")
        << times(u"["_s, 79) + u" bc"_s << standalone << SplitMode::Space
        << QStringList{times(u"["_s, 79), u"bc"_s} << gsm(2);
    QTest::newRow("space: an emoji makes only its piece UCS-2")
        << a(100) + u" "_s + a(50) + u" "_s + a(20) + u" "_s + Smile << standalone
        << SplitMode::Space << QStringList{a(100) + u" "_s + a(50), a(20) + u" "_s + Smile}
        << QList<SmsEncoding>{SmsEncoding::Gsm7, SmsEncoding::Ucs2};
    QTest::newRow("period: a kept period counts")
        << a(159) + u".b."_s << standalone << SplitMode::Period
        << QStringList{a(159) + u"."_s, u"b."_s} << gsm(2);
    QTest::newRow("period: a sentence too long is cut")
        << a(170) + u". b."_s << standalone << SplitMode::Period
        << QStringList{a(160), a(10) + u". b."_s} << gsm(2);
    QTest::newRow("exact: UCS-2 pieces hold 70")
        << ZheCyrillic + a(99) << standalone << SplitMode::Exact
        << QStringList{ZheCyrillic + a(69), a(30)}
        << QList<SmsEncoding>{SmsEncoding::Ucs2, SmsEncoding::Gsm7};
    QTest::newRow("concat: a message that fits one SMS is one part")
        << a(79) + u" "_s + a(80) << SmsUnits::Concat << SplitMode::Space
        << QStringList{a(79) + u" "_s + a(80)} << gsm(1);
    QTest::newRow("concat: otherwise parts of 153 or 67, one encoding")
        << a(40) + u" "_s + a(40) + u" "_s + Smile << SmsUnits::Concat << SplitMode::Space
        << QStringList{a(40), a(40) + u" "_s + Smile} << QList<SmsEncoding>(2, SmsEncoding::Ucs2);
    QTest::newRow("concat: a word over the part is cut")
        << a(170) << SmsUnits::Concat << SplitMode::Space << QStringList{a(153), a(17)} << gsm(2);
}

void SmsTest::modeRules() {
    QFETCH(QString, message);
    QFETCH(SmsUnits, sms);
    QFETCH(SplitMode, mode);
    QFETCH(QStringList, pieces);
    QFETCH(QList<SmsEncoding>, encodings);
    PieceSplitter splitter;
    QVERIFY(splitter.split(message, {sms, mode, 0, nullptr}));
    QStringList got;
    QList<SmsEncoding> gotEncodings;
    for (qsizetype i = 0; i < qsizetype(splitter.pieces().size()); ++i) {
        got.append(splitter.pieces()[i].toString());
        gotEncodings.append(splitter.cost(i).encoding);
    }
    QCOMPARE(got, pieces);
    QCOMPARE(gotEncodings, encodings);
}

void SmsTest::budgets_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("gsm7"); // -1: every piece is UCS-2
    QTest::addColumn<int>("ucs2");
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("an emoji bigger than any piece is a piece, whole")
        << Smile + u"ab"_s << -1 << 1 << SplitMode::Exact << QStringList{Smile, u"a"_s, u"b"_s};
    QTest::newRow("a blank joined to a mark ends no word")
        << u"ab \u0301cd ef"_s << -1 << 5 << SplitMode::Space
        << QStringList{u"ab \u0301c"_s, u"d ef"_s};
}

void SmsTest::budgets() {
    QFETCH(QString, message);
    QFETCH(int, gsm7);
    QFETCH(int, ucs2);
    QFETCH(SplitMode, mode);
    QFETCH(QStringList, pieces);
    const Utf8 utf8(message);
    core::SmsCutter cutter;
    cutter.setMessage(utf8.view(), core::ScanSms(utf8.view()));
    std::vector<std::string_view> cut;
    cutter.cut({gsm7 >= 0, gsm7, ucs2}, mode, cut);
    QStringList got;
    for (const std::string_view piece : cut)
        got.append(utf8.map(message, piece).toString());
    QCOMPARE(got, pieces);
}

void SmsTest::properties_data() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("gsm7Only");
    QTest::addColumn<SmsUnits>("sms");
    QTest::addColumn<SplitMode>("mode");
    for (quint32 seed = 1; seed <= 40; ++seed)
        for (const bool gsm7Only : {false, true})
            for (const auto &[sms, smsName] :
                 {std::pair{SmsUnits::Standalone, "standalone"}, {SmsUnits::Concat, "concat"}})
                for (const auto &[mode, modeName] : {std::pair{SplitMode::Exact, "exact"},
                                                     {SplitMode::Space, "space"},
                                                     {SplitMode::Period, "period"}})
                    QTest::addRow("seed %u%s %s %s", seed, gsm7Only ? " GSM-7" : "", smsName,
                                  modeName)
                        << seed << gsm7Only << sms << mode;
}

void SmsTest::properties() {
    QFETCH(quint32, seed);
    QFETCH(bool, gsm7Only);
    QFETCH(SmsUnits, sms);
    QFETCH(SplitMode, mode);
    const QString message = randomMessage(seed, gsm7Only);
    PieceSplitter splitter;
    QVERIFY(splitter.split(message, {sms, mode, 0, nullptr}));
    const std::vector<QStringView> pieces = splitter.pieces();
    const QList<bool> boundaries = graphemeBoundaries(message);
    const bool concat = sms == SmsUnits::Concat;
    const SmsEncoding whole = scanSms(message).encoding;

    // The grapheme around position p, when p cuts into one.
    const auto graphemeAt = [&](qsizetype p) {
        qsizetype from = p;
        qsizetype to = p;
        while (!boundaries[from])
            --from;
        while (!boundaries[to])
            ++to;
        return QStringView(message).sliced(from, to - from);
    };

    qsizetype position = 0; // where the message is not yet given back
    for (qsizetype i = 0; i < qsizetype(pieces.size()); ++i) {
        const QStringView piece = pieces[std::size_t(i)];
        const QString where = u"piece %1 of %2"_s.arg(i).arg(pieces.size());
        QVERIFY2(!piece.isEmpty(), qPrintable(where));
        const qsizetype start = piece.data() - message.constData();
        // Back to back, but for blanks: those space mode drops, and those
        // that would have been a piece of their own.
        const QStringView gap = QStringView(message).sliced(position, start - position);
        QVERIFY2(gap.count(u' ') == gap.size(), qPrintable(where));
        QVERIFY2(piece.count(u' ') < piece.size(), qPrintable(where));
        position = start + piece.size();

        // It fits its capacity.
        const core::SmsScan scan = scanSms(piece);
        const SmsEncoding encoding = concat ? whole : scan.encoding;
        QCOMPARE(splitter.cost(i).encoding, encoding);
        const qsizetype units = encoding == SmsEncoding::Gsm7 ? scan.units : piece.size();
        QCOMPARE(splitter.cost(i).units, units);
        const qsizetype capacity = concat && pieces.size() > 1 ? core::PartCapacity(encoding)
                                                               : core::SingleCapacity(encoding);
        QVERIFY2(units <= capacity, qPrintable(where));

        // No grapheme is cut unless it alone is too big.
        for (const qsizetype cut : {start, position}) {
            if (!boundaries[cut]) {
                const QStringView grapheme = graphemeAt(cut);
                QVERIFY2(smsCost(grapheme, SmsEncoding::Ucs2) >
                             core::PartCapacity(SmsEncoding::Ucs2),
                         qPrintable(where + u": "_s + grapheme.toString().toHtmlEscaped() + u" "_s +
                                    QString::number(grapheme.size())));
            }
        }
    }
    const QStringView rest = QStringView(message).sliced(position);
    QVERIFY(rest.count(u' ') == rest.size());

    // What makes it UCS-2: its characters that are UCS-2 alone, each once,
    // in order, the first three named.
    QStringList without;
    for (const char32_t c : message.toStdU32String()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (scanSms(character).encoding == SmsEncoding::Ucs2 && !without.contains(character))
            without += character;
    }
    const Utf8 bytes(message);
    core::WithoutGsm7 found;
    core::CharactersWithoutGsm7(bytes.view(), 3, found);
    QStringList named;
    for (const std::string_view c : found.characters)
        named += QString::fromUtf8(c.data(), qsizetype(c.size()));
    QCOMPARE(named, without.mid(0, 3));
    QCOMPARE(qsizetype(found.more), std::max<qsizetype>(without.size() - 3, 0));
}

// What a text costs with national tables, against a plain sum over its
// characters: the scan, the cost of every pair at once, and the characters
// no enabled table has. National characters fall at every offset of the
// scans' blocks of sixteen bytes.
void SmsTest::nationalCosts_data() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<quint32>("languages");
    using core::Language;
    using core::LanguageBit;
    const quint32 latin = LanguageBit(Language::Turkish) | LanguageBit(Language::Spanish) |
                          LanguageBit(Language::Portuguese);
    const quint32 indic = LanguageBit(Language::Hindi) | LanguageBit(Language::Punjabi) |
                          LanguageBit(Language::Urdu) | LanguageBit(Language::Turkish);
    quint32 every = 0;
    for (const Language l : core::AllLanguages())
        every |= LanguageBit(l);
    for (quint32 seed = 1; seed <= 30; ++seed) {
        QTest::addRow("seed %u, tr es pt", seed) << seed << latin;
        QTest::addRow("seed %u, hi pa ur tr", seed) << seed << indic;
        if (seed % 5 == 0) // 182 pairs
            QTest::addRow("seed %u, every language", seed) << seed << every;
    }
}

void SmsTest::nationalCosts() {
    QFETCH(quint32, seed);
    QFETCH(quint32, languages);
    QRandomGenerator random(seed);
    QString message = randomMessage(seed, seed % 2 == 0);
    static const QStringList national = {u"ğ"_s, u"Ş"_s, u"ı"_s, u"Ú"_s, u"ã"_s, u"ç"_s, u"`"_s,
                                         u"न"_s, u"ि"_s, u"।"_s, u"ੴ"_s, u"س"_s, u"،"_s, u"ಪ"_s};
    for (int n = random.bounded(0, 12); n > 0; --n) {
        qsizetype at = random.bounded(0, int(message.size()) + 1);
        if (at < message.size() && message[at].isLowSurrogate())
            ++at; // not between the halves of a pair
        message.insert(at, national[random.bounded(0, int(national.size()))]);
    }
    const Utf8 text(message);
    const std::u32string characters = message.toStdU32String();

    core::NationalTables tables;
    tables.enable(core::LanguageSet(languages));
    std::vector<std::ptrdiff_t> costs;
    tables.costs(text.view(), costs);
    QCOMPARE(costs.size(), tables.pairs().size());
    for (std::size_t p = 0; p < tables.pairs().size(); ++p) {
        const core::Gsm7Alphabet &alphabet = tables.pairs()[p].alphabet;
        std::ptrdiff_t sum = 0;
        bool all = true;
        for (const char32_t c : characters) {
            sum += alphabet.septets(c);
            all = all && alphabet.septets(c) != 0;
        }
        const core::SmsScan scan = core::ScanSms(text.view(), alphabet);
        QCOMPARE(scan.encoding, all ? SmsEncoding::Gsm7 : SmsEncoding::Ucs2);
        if (all)
            QCOMPARE(scan.units, sum);
        QCOMPARE(costs[p], all ? sum : -1);
    }
    // Given the default tables' septets, only the characters whose cost
    // differs between pairs are looked at: the sums are the same.
    QString gsm7 = randomMessage(seed, true);
    static const QStringList varying = {u"Ä"_s,  u"ñ"_s, u"ß"_s, u"Ω"_s, u"€"_s, u"^"_s, u"|"_s,
                                        u"\\"_s, u"~"_s, u"Q"_s, u"@"_s, u"_"_s, u"$"_s};
    for (int n = random.bounded(0, 40); n > 0; --n)
        gsm7.insert(random.bounded(0, int(gsm7.size()) + 1),
                    varying[random.bounded(0, int(varying.size()))]);
    gsm7 += u"\\"_s; // and one among the last bytes
    const Utf8 gsm7Text(gsm7);
    const core::SmsScan byDefault = core::ScanSms(gsm7Text.view());
    QCOMPARE(byDefault.encoding, SmsEncoding::Gsm7);
    std::vector<std::ptrdiff_t> fromDefault;
    tables.costs(gsm7Text.view(), fromDefault, byDefault.units);
    for (std::size_t p = 0; p < tables.pairs().size(); ++p) {
        std::ptrdiff_t sum = 0;
        bool all = true;
        for (const char32_t c : gsm7.toStdU32String()) {
            sum += tables.pairs()[p].alphabet.septets(c);
            all = all && tables.pairs()[p].alphabet.septets(c) != 0;
        }
        QCOMPARE(fromDefault[p], all ? sum : -1);
    }
    // More of one such character than a byte counts in each place of a block.
    const std::string carets = std::string(16 * 600, '^') + "ab";
    tables.costs(carets, fromDefault, core::ScanSms(carets).units);
    for (std::size_t p = 0; p < tables.pairs().size(); ++p) {
        const core::Gsm7Alphabet &alphabet = tables.pairs()[p].alphabet;
        const int caret = alphabet.septets('^');
        const int a = alphabet.septets('a');
        const int b = alphabet.septets('b');
        QCOMPARE(fromDefault[p], caret == 0 || a == 0 || b == 0 ? -1 : 16 * 600 * caret + a + b);
    }

    // A control character no table has, among bytes counted sixteen at a
    // time: no pair sends the text.
    for (const QString &control : {u"\u0000"_s, u"\u000B"_s, u"\u001F"_s}) {
        std::vector<std::ptrdiff_t> none;
        tables.costs(Utf8(u"\n"_s + control + u"a"_s.repeated(40)).view(), none);
        QVERIFY(std::all_of(none.begin(), none.end(), [](std::ptrdiff_t c) { return c == -1; }));
    }

    // Tables built for other languages first are built again for these.
    core::NationalTables reused;
    reused.enable(core::LanguageBit(core::Language::Spanish));
    reused.enable(core::LanguageSet(languages));
    std::vector<std::ptrdiff_t> again;
    reused.costs(text.view(), again);
    QCOMPARE(again, costs);

    core::WithoutGsm7 found;
    const std::string_view texts[] = {text.view()};
    core::CharactersWithoutGsm7(
        texts, [&](char32_t c) { return tables.has(c); }, 100, found);
    std::u32string expected;
    for (const char32_t c : characters)
        if (!tables.has(c) && expected.find(c) == std::u32string::npos)
            expected += c;
    std::u32string listed;
    for (const std::string_view c : found.characters)
        listed += QString::fromUtf8(c.data(), qsizetype(c.size())).toStdU32String();
    QCOMPARE(QString::fromStdU32String(listed), QString::fromStdU32String(expected));
}

void SmsTest::graphemesStayWhole_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<SmsUnits>("sms");
    const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s;
    const QString japan = u"\U0001F1EF\U0001F1F5"_s;
    const QString thumbs = u"\U0001F44D\U0001F3FD"_s;   // a thumb with a skin tone
    const QString na = u"\u0928"_s;                     // Devanagari NA
    const QString ka = u"\u0915"_s;                     // Devanagari KA
    const QString koKai = u"\u0E01"_s;                  // Thai KO KAI
    const QString kshi = u"\u0915\u094D\u0937\u093F"_s; // one Devanagari syllable
    for (const auto &[sms, name] :
         {std::pair{SmsUnits::Standalone, "standalone"}, std::pair{SmsUnits::Concat, "concat"}}) {
        const auto row = [&](const char *what, const QString &message) {
            QTest::addRow("%s, %s", what, name) << message << sms;
        };
        row("family after Devanagari", times(na, 66) + family);
        row("flag after Devanagari", times(ka, 67) + japan);
        row("flag after Thai", times(koKai, 67) + japan);
        row("skin tone after Thai", times(koKai, 68) + thumbs);
        row("family after Thai", times(koKai, 65) + family + times(koKai, 10));
        row("syllables", times(kshi, 40));
        // UCS-2 from the first character on; the skin tone among the last bytes.
        row("skin tone after Cyrillic, then Latin", u"\u0436"_s + times(u"a"_s, 131) + thumbs);
        row("a prepended mark stays with what follows",
            times(u"x"_s, 64) + u"\uD7FE\u0600"_s + u"\U0001F600"_s + times(u"y"_s, 80));
    }
}

// Wherever a cut falls, it falls between graphemes as ICU finds them in the
// whole message.
void SmsTest::graphemesStayWhole() {
    QFETCH(QString, message);
    QFETCH(SmsUnits, sms);
    const QList<bool> boundaries = graphemeBoundaries(message);
    PieceSplitter splitter;
    QVERIFY(splitter.split(message, {sms, SplitMode::Exact, 0, nullptr}));
    const std::vector<QStringView> pieces = splitter.pieces();
    QVERIFY(pieces.size() > 1);
    for (const QStringView piece : pieces) {
        const qsizetype start = piece.data() - message.constData();
        QVERIFY2(boundaries[start] && boundaries[start + piece.size()],
                 qPrintable(piece.toString()));
    }
}

// Blanks a cut drops (pieces of blanks alone, the blank at a cut in space
// mode) can let a message take fewer pieces with a pair of national tables
// than its septets fill: such a pair is not passed over for one that looked
// as good.
void SmsTest::droppedBlanksLeaveRoom_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<SmsUnits>("sms");
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<core::Language>("language"); // enabled, and expected in use
    QTest::addColumn<qsizetype>("pieces");
    const auto text = [](int pipes, int xs) {
        return u"|"_s.repeated(pipes) + u"x"_s.repeated(xs);
    };
    const QString blanks = u" "_s.repeated(150);
    const auto pt = core::Language::Portuguese;
    QTest::newRow("a run of blanks") << text(5, 144) + u" "_s.repeated(160) + u"a"_s
                                     << SmsUnits::Concat << SplitMode::Space << pt << qsizetype(2);
    QTest::newRow("a run of blanks, exact")
        << text(80, 0) + u" "_s.repeated(3000) + u"a"_s << SmsUnits::Concat << SplitMode::Exact
        << pt << qsizetype(2);
    QTest::newRow("a run of blanks, SMS of their own")
        << text(6, 149) + u" "_s.repeated(165) + u"a"_s << SmsUnits::Standalone << SplitMode::Space
        << pt << qsizetype(2);
    QTest::newRow("blanks last") << text(3, 105) + u" "_s + text(8, 127) + blanks
                                 << SmsUnits::Concat << SplitMode::Space << pt << qsizetype(2);
    QTest::newRow("blanks first") << blanks + text(2, 125) + u" "_s + text(10, 103) + u" "_s +
                                         text(1, 152)
                                  << SmsUnits::Concat << SplitMode::Exact << pt << qsizetype(3);
    // Words that fill parts of 153 septets with the default tables, each cut
    // dropping its blank: seven parts, where the Turkish table's 149 take eight.
    QStringList words;
    for (const int euros : {3, 5, 5, 5, 5, 5, 5})
        words << u"a"_s.repeated(153 - 2 * euros) + Euro.repeated(euros);
    QTest::newRow("the blanks at the cuts")
        << words.join(u' ') << SmsUnits::Concat << SplitMode::Space << core::Language::Default
        << qsizetype(7);
}

void SmsTest::droppedBlanksLeaveRoom() {
    QFETCH(QString, message);
    QFETCH(SmsUnits, sms);
    QFETCH(SplitMode, mode);
    QFETCH(core::Language, language);
    QFETCH(qsizetype, pieces);
    const core::LanguageSet enabled =
        core::LanguageBit(language == core::Language::Default ? core::Language::Turkish : language);
    PieceSplitter splitter;
    QVERIFY(splitter.split(message, {sms, mode, 0, nullptr, core::Replacement::Never, enabled}));
    QCOMPARE(qsizetype(splitter.pieces().size()), pieces);
    QCOMPARE(splitter.tables().locking, language);
}

// Trailing blanks join the last part only as far as they fit it, counted in
// the septets of the tables in use (two for a character of a single shift
// table).
void SmsTest::blanksJoinWhereTheirSeptetsFit_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<core::LanguageSet>("languages");
    QTest::addColumn<std::ptrdiff_t>("room"); // of a part with the tables chosen
    const QString blanks = u" "_s.repeated(20);
    const auto es = core::LanguageBit(core::Language::Spanish);
    QTest::newRow("Spanish single shift, exact")
        << u"a"_s.repeated(149) + u"á"_s.repeated(74) + blanks << SplitMode::Exact << es
        << std::ptrdiff_t(149);
    QTest::newRow("Spanish single shift, period")
        << u"a"_s.repeated(149) + u"á"_s.repeated(74) + blanks << SplitMode::Period << es
        << std::ptrdiff_t(149);
    QTest::newRow("Urdu, both tables")
        << u"ا"_s + u"a"_s.repeated(145) + u"#"_s.repeated(73) + blanks << SplitMode::Exact
        << core::LanguageBit(core::Language::Urdu) << std::ptrdiff_t(146);
}

void SmsTest::blanksJoinWhereTheirSeptetsFit() {
    QFETCH(QString, message);
    QFETCH(SplitMode, mode);
    QFETCH(core::LanguageSet, languages);
    QFETCH(std::ptrdiff_t, room);
    PieceSplitter splitter;
    QVERIFY(splitter.split(
        message, {SmsUnits::Concat, mode, 0, nullptr, core::Replacement::Never, languages}));
    QCOMPARE(splitter.pieces().size(), std::size_t(2));
    for (qsizetype i = 0; i < 2; ++i)
        QVERIFY2(splitter.cost(i).units <= room,
                 qPrintable(QString::number(splitter.cost(i).units)));
    QCOMPARE(splitter.cost(1).units, room); // the blanks that fit are kept
}

QTEST_GUILESS_MAIN(SmsTest)
#include "tst_sms.moc"
