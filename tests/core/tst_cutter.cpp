#include "core/cutter.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using tovrik::core::SplitMode;

Q_DECLARE_METATYPE(tovrik::core::SplitMode)

namespace {

const QString Sample =
    u"The individual has always had to struggle to keep from being overwhelmed by the tribe. "
    "If you try it, you will be lonely often, and sometimes frightened. But no price is too "
    "high to pay for the privilege of owning yourself."_s;

// The window's cut of UTF-16 text; the same cut of the message as UTF-8
// must give the same pieces.
QStringList cut(const QString &message, qsizetype limit, SplitMode mode) {
    QStringList pieces;
    const QStringView view(message);
    tovrik::core::CutMessage(std::u16string_view(view.utf16(), std::size_t(view.size())), limit,
                             mode, [&](std::u16string_view piece) {
                                 pieces.append(
                                     QStringView(piece.data(), qsizetype(piece.size())).toString());
                             });
    QStringList fromUtf8;
    const QByteArray utf8 = message.toUtf8();
    tovrik::core::CutUtf8Message(std::string_view(utf8.constData(), std::size_t(utf8.size())),
                                 limit, mode, [&](std::string_view piece) {
                                     fromUtf8.append(
                                         QString::fromUtf8(piece.data(), qsizetype(piece.size())));
                                 });
    if (fromUtf8 != pieces)
        return {u"the cut of UTF-8 differs"_s};
    return pieces;
}

// A message of words, blank runs, periods, line breaks and characters
// outside the BMP, so that cuts land on every kind of boundary.
QString randomMessage(quint32 seed) {
    QRandomGenerator random(seed);
    static const QStringList parts = {u"word"_s,
                                      u"a"_s,
                                      u"longerword"_s,
                                      u" "_s,
                                      u" "_s,
                                      u" "_s,
                                      u"  "_s,
                                      u"."_s,
                                      u". "_s,
                                      u"\r\n"_s,
                                      u"?"_s,
                                      u"\U0001F600"_s,
                                      u"x\U0001F44Dy"_s,
                                      u"Supercalifragilisticexpialidocious"_s,
                                      u"é"_s};
    QString message;
    const int count = random.bounded(0, 200);
    for (int i = 0; i < count; ++i)
        message += parts.at(random.bounded(int(parts.size())));
    return message;
}

} // namespace

class CutterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void examples_data();
    void examples();
    void sampleText_data();
    void sampleText();
    void surrogatePairsStayWhole_data();
    void surrogatePairsStayWhole();
    void exactProperties_data();
    void exactProperties();
    void spaceProperties_data();
    void spaceProperties();
    void periodProperties_data();
    void periodProperties();
};

void CutterTest::examples_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("limit");
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<QStringList>("pieces");

    const QString fox = u"The quick brown fox jumps over the lazy dog."_s;
    QTest::newRow("fox exact") << fox << 10 << SplitMode::Exact
                               << QStringList{u"The quick "_s, u"brown fox "_s, u"jumps over"_s,
                                              u" the lazy "_s, u"dog."_s};
    QTest::newRow("fox space") << fox << 10 << SplitMode::Space
                               << QStringList{u"The quick"_s, u"brown fox"_s, u"jumps"_s,
                                              u"over the"_s, u"lazy dog."_s};
    QTest::newRow("fox period") << fox << 10 << SplitMode::Period << QStringList{fox};

    const QString hi = u"Hi there. How are you? Fine. Bye."_s;
    QTest::newRow("hi exact") << hi << 20 << SplitMode::Exact
                              << QStringList{u"Hi there. How are yo"_s, u"u? Fine. Bye."_s};
    QTest::newRow("hi space") << hi << 20 << SplitMode::Space
                              << QStringList{u"Hi there. How are"_s, u"you? Fine. Bye."_s};
    QTest::newRow("hi period") << hi << 20 << SplitMode::Period
                               << QStringList{u"Hi there."_s, u" How are you? Fine."_s, u" Bye."_s};

    const QString bye = u"Hello world. Bye."_s;
    QTest::newRow("first word too long, space")
        << bye << 5 << SplitMode::Space << QStringList{u"Hello"_s, u"world."_s, u"Bye."_s};
    QTest::newRow("first sentence too long, period")
        << bye << 5 << SplitMode::Period << QStringList{u"Hello world."_s, u" Bye."_s};

    QTest::newRow("long word whole") << u"Supercalifragilistic is long"_s << 10 << SplitMode::Space
                                     << QStringList{u"Supercalifragilistic"_s, u"is long"_s};
    QTest::newRow("sentence of limit length")
        << u"Abcd."_s << 5 << SplitMode::Period << QStringList{u"Abcd."_s};
    QTest::newRow("blank run") << u"a    b"_s << 2 << SplitMode::Space
                               << QStringList{u"a"_s, u" "_s, u"b"_s};
    QTest::newRow("CR LF count one each")
        << u"ab\r\ncd"_s << 3 << SplitMode::Exact << QStringList{u"ab\r"_s, u"\ncd"_s};

    for (const auto &[name, mode] :
         {std::pair{"exact", SplitMode::Exact}, std::pair{"space", SplitMode::Space},
          std::pair{"period", SplitMode::Period}}) {
        QTest::addRow("empty message %s", name) << QString() << 160 << mode << QStringList();
        QTest::addRow("empty message limit 1 %s", name) << QString() << 1 << mode << QStringList();
    }
    QTest::newRow("message shorter than limit, exact")
        << u"short"_s << 160 << SplitMode::Exact << QStringList{u"short"_s};
    QTest::newRow("message of exactly the limit, exact")
        << u"abcde"_s << 5 << SplitMode::Exact << QStringList{u"abcde"_s};
    QTest::newRow("limit 1 exact")
        << u"abc"_s << 1 << SplitMode::Exact << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("question marks end nothing")
        << u"Yes? No! Maybe."_s << 6 << SplitMode::Period << QStringList{u"Yes? No! Maybe."_s};
    QTest::newRow("line breaks are not blanks")
        << u"one\ntwo three"_s << 9 << SplitMode::Space << QStringList{u"one\ntwo"_s, u"three"_s};
}

void CutterTest::examples() {
    QFETCH(QString, message);
    QFETCH(int, limit);
    QFETCH(SplitMode, mode);
    QFETCH(QStringList, pieces);
    QCOMPARE(cut(message, limit, mode), pieces);
}

void CutterTest::sampleText_data() {
    QTest::addColumn<SplitMode>("mode");
    QTest::addColumn<int>("firstLength");
    QTest::addColumn<QString>("firstEnd");
    QTest::addColumn<int>("secondLength");
    QTest::addColumn<QString>("secondStart");

    QTest::newRow("space") << SplitMode::Space << 157 << u"frightened. But"_s << 65
                           << u"no price"_s;
    QTest::newRow("exact") << SplitMode::Exact << 160 << u"But no"_s << 63 << u" price"_s;
    QTest::newRow("period") << SplitMode::Period << 153 << u"frightened."_s << 70
                            << u" But no price"_s;
}

void CutterTest::sampleText() {
    QFETCH(SplitMode, mode);
    QFETCH(int, firstLength);
    QFETCH(QString, firstEnd);
    QFETCH(int, secondLength);
    QFETCH(QString, secondStart);
    QCOMPARE(Sample.size(), 223);
    const QStringList pieces = cut(Sample, 160, mode);
    QCOMPARE(pieces.size(), 2);
    QCOMPARE(pieces[0].size(), firstLength);
    QVERIFY2(pieces[0].endsWith(firstEnd), qPrintable(pieces[0]));
    QCOMPARE(pieces[1].size(), secondLength);
    QVERIFY2(pieces[1].startsWith(secondStart), qPrintable(pieces[1]));
    QVERIFY(pieces[1].endsWith(u"owning yourself."_s));
}

void CutterTest::surrogatePairsStayWhole_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("pieces");

    const QString smile = u"\U0001F600"_s;
    QTest::newRow("pair across the cut moves it earlier")
        << u"ab"_s + smile + u"cd"_s << 3 << QStringList{u"ab"_s, smile + u"c"_s, u"d"_s};
    QTest::newRow("pair just before the cut")
        << u"a"_s + smile + u"bcd"_s << 3 << QStringList{u"a"_s + smile, u"bcd"_s};
    QTest::newRow("limit 1 takes the pair as one piece")
        << u"a"_s + smile + u"b"_s << 1 << QStringList{u"a"_s, smile, u"b"_s};
    QTest::newRow("limit 1, pairs only") << smile + smile << 1 << QStringList{smile, smile};
    QTest::newRow("limit 2, pairs only") << smile + smile << 2 << QStringList{smile, smile};
    QTest::newRow("pair at the end") << u"a"_s + smile << 2 << QStringList{u"a"_s, smile};
    QTest::newRow("odd limit over pairs")
        << smile + smile + smile << 3 << QStringList{smile, smile, smile};
}

void CutterTest::surrogatePairsStayWhole() {
    QFETCH(QString, message);
    QFETCH(int, limit);
    QFETCH(QStringList, pieces);
    QCOMPARE(cut(message, limit, SplitMode::Exact), pieces);
}

static void addRandomRows() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("limit");
    for (quint32 seed = 1; seed <= 40; ++seed)
        for (int limit : {1, 2, 3, 5, 10, 17, 160})
            QTest::addRow("seed %u limit %d", seed, limit) << seed << limit;
}

void CutterTest::exactProperties_data() {
    addRandomRows();
}

void CutterTest::exactProperties() {
    QFETCH(quint32, seed);
    QFETCH(int, limit);
    const QString message = randomMessage(seed);
    const QStringList pieces = cut(message, limit, SplitMode::Exact);
    QCOMPARE(pieces.join(QString()), message);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString &piece = pieces[i];
        QVERIFY(!piece.isEmpty());
        QVERIFY2(!piece.back().isHighSurrogate(), qPrintable(u"piece %1"_s.arg(i)));
        QVERIFY2(!piece.front().isLowSurrogate(), qPrintable(u"piece %1"_s.arg(i)));
        if (limit == 1) {
            QVERIFY(piece.size() == 1 || (piece.size() == 2 && piece[0].isHighSurrogate()));
        } else if (i + 1 < pieces.size()) {
            // Full, or one short where a pair would have been split.
            QVERIFY2(piece.size() == limit ||
                         (piece.size() == limit - 1 && pieces[i + 1].front().isHighSurrogate()),
                     qPrintable(u"piece %1 of length %2"_s.arg(i).arg(piece.size())));
        } else {
            QVERIFY(piece.size() <= limit);
        }
    }
}

void CutterTest::spaceProperties_data() {
    addRandomRows();
}

void CutterTest::spaceProperties() {
    QFETCH(quint32, seed);
    QFETCH(int, limit);
    const QString message = randomMessage(seed);
    const QStringList pieces = cut(message, limit, SplitMode::Space);
    // Each piece is the message's own stretch, in order; between two pieces
    // lie only blanks: the one dropped at the cut, and any that made no piece.
    const QStringView text(message);
    qsizetype at = 0; // where the previous piece ended
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        QVERIFY(!piece.isEmpty());
        qsizetype start = i == 0 ? at : at + 1;
        while (start < text.size() && !text.sliced(start).startsWith(piece) &&
               text.at(start) == u' ')
            ++start;
        QVERIFY2(start <= text.size() && text.sliced(start).startsWith(piece), qPrintable(piece));
        QVERIFY2(text.sliced(at, start - at).count(u' ') == start - at, qPrintable(piece));
        at = start + piece.size();
        if (piece.contains(u' '))
            QVERIFY2(piece.size() <= limit - 1, qPrintable(piece));
        else if (piece.size() > limit - 1) // a single long word, uncut
            QVERIFY2((start == 0 || message.at(start - 1) == u' ') &&
                         (at == message.size() || message.at(at) == u' '),
                     qPrintable(piece));
    }
    QVERIFY(text.sliced(at).count(u' ') == text.size() - at);
}

void CutterTest::periodProperties_data() {
    addRandomRows();
}

void CutterTest::periodProperties() {
    QFETCH(quint32, seed);
    QFETCH(int, limit);
    const QString message = randomMessage(seed);
    const QStringList pieces = cut(message, limit, SplitMode::Period);
    QCOMPARE(pieces.join(QString()), message);
    for (const QString &piece : pieces) {
        QVERIFY(!piece.isEmpty());
        // Longer than the limit only as one sentence that does not fit alone.
        if (piece.size() > limit)
            QVERIFY2(!piece.chopped(1).contains(u'.'), qPrintable(piece));
    }
}

QTEST_GUILESS_MAIN(CutterTest)
#include "tst_cutter.moc"
