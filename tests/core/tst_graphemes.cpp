// The cutter's grapheme check against Unicode's own test data: every line of
// GraphemeBreakTest.txt and every emoji sequence of emoji-test.txt, in UTF-8
// and in UTF-16.
#include "core/graphemes.h"
#include "core/sms.h"
#include "core/utf8.h"

#include <QFile>
#include <QTest>

#include <string>
#include <vector>

using namespace tovrik::core;

namespace {

struct Case {
    std::vector<char32_t> codePoints;
    std::vector<bool> breakBefore; // before each code point after the first
    QByteArray line;
};

QString dataFile(const char *relative) {
    const QByteArray root = qgetenv("UNICODE_DATA");
    return QString::fromLocal8Bit(root.isEmpty() ? QByteArray("/usr/share/unicode") : root) +
           QLatin1Char('/') + QLatin1StringView(relative);
}

std::vector<Case> read(const QString &path, bool emoji) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s: install Debian's unicode-data", qPrintable(path));
    std::vector<Case> cases;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const QByteArray data = line.left(line.indexOf(emoji ? ';' : '#')).trimmed();
        if (data.isEmpty() || line.startsWith('#'))
            continue;
        Case c;
        c.line = line.trimmed();
        bool pendingBreak = true;
        for (const QByteArray &token : data.split(' ')) {
            if (token.isEmpty())
                continue;
            if (token == "\xC3\xB7" || token == "\xC3\x97") { // ÷ and ×
                pendingBreak = token == "\xC3\xB7";
                continue;
            }
            if (!c.codePoints.empty())
                c.breakBefore.push_back(emoji ? false : pendingBreak);
            c.codePoints.push_back(char32_t(token.toUInt(nullptr, 16)));
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

// Checks one case in one form; the disagreements go to `failures`.
template <class Char> void check(const Case &c, QStringList &failures) {
    std::basic_string<Char> text;
    std::vector<std::ptrdiff_t> positions; // after each code point but the last
    std::string utf8;
    for (char32_t cp : c.codePoints) {
        if constexpr (sizeof(Char) == 1) {
            char bytes[4];
            text.append(bytes, EncodeUtf8(cp, bytes));
        } else if (cp >= 0x10000) {
            text.push_back(char16_t(0xD7C0 + (cp >> 10)));
            text.push_back(char16_t(0xDC00 | (cp & 0x3FF)));
        } else {
            text.push_back(char16_t(cp));
        }
        char bytes[4];
        utf8.append(bytes, EncodeUtf8(cp, bytes));
        positions.push_back(std::ptrdiff_t(text.size()));
    }
    positions.pop_back();
    // As the cutter asks: with the shortcut its scan allows.
    GraphemeBoundaries<Char> boundaries;
    boundaries.setText(text, ScanSms(utf8).plainGraphemes);
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (boundaries.isBoundary(positions[k]) != c.breakBefore[k])
            failures << QStringLiteral("%1-bit, after code point %2: %3")
                            .arg(sizeof(Char) * 8)
                            .arg(k + 1)
                            .arg(QString::fromUtf8(c.line));
    }
}

// Two runs of regional indicators, each longer than the stretch ICU is
// given and each after "x" and one lone indicator: flags pair up from a run's
// start, so a boundary falls after an even count of them. Asked from the
// start on, and the second run before the first.
template <class Char> void checkLongRuns(QStringList &failures) {
    constexpr int Count = 1 + 2 * 20000; // in a run
    constexpr std::ptrdiff_t Width = sizeof(Char) == 1 ? 4 : 2;
    std::basic_string<Char> text;
    for (int run = 0; run < 2; ++run) {
        text.push_back(Char('x'));
        for (int k = 0; k < Count; ++k) {
            const char32_t c = k % 2 == 0 ? 0x1F1E9 : 0x1F1EA; // D, E
            if constexpr (sizeof(Char) == 1) {
                char bytes[4];
                EncodeUtf8(c, bytes);
                text.append(bytes, 4);
            } else {
                text.push_back(char16_t(0xD7C0 + (c >> 10)));
                text.push_back(char16_t(0xDC00 | (c & 0x3FF)));
            }
        }
    }
    const std::ptrdiff_t runLength = 1 + Count * Width;
    for (const bool secondFirst : {false, true}) {
        GraphemeBoundaries<Char> boundaries;
        boundaries.setText(text);
        for (const int run : secondFirst ? std::vector{1, 0} : std::vector{0, 1})
            for (int k = 1; k < Count; k += 97)
                if (boundaries.isBoundary(run * runLength + 1 + k * Width) != (k % 2 == 0))
                    failures << QStringLiteral("%1-bit, run %2, after %3 indicators%4")
                                    .arg(sizeof(Char) * 8)
                                    .arg(run + 1)
                                    .arg(k)
                                    .arg(secondFirst ? QStringLiteral(", the second run first")
                                                     : QString());
    }
}

} // namespace

class TestGraphemes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conformance_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("emoji");
        QTest::newRow("GraphemeBreakTest") << dataFile("auxiliary/GraphemeBreakTest.txt") << false;
        QTest::newRow("emoji-test") << dataFile("emoji-test.txt") << true;
    }
    void conformance() {
        QFETCH(QString, file);
        QFETCH(bool, emoji);
        QString path = file;
        if (!QFile::exists(path)) // Debian keeps emoji-test.txt in one of two places
            path = dataFile("emoji/emoji-test.txt");
        const std::vector<Case> cases = read(path, emoji);
        QVERIFY(cases.size() > (emoji ? 4000u : 600u));
        QStringList failures;
        for (const Case &c : cases) {
            check<char>(c, failures);
            check<char16_t>(c, failures);
        }
        QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 disagreements, first: %2")
                                                    .arg(failures.size())
                                                    .arg(failures.value(0))));
    }

    void longRunOfFlags() {
        QStringList failures;
        checkLongRuns<char>(failures);
        checkLongRuns<char16_t>(failures);
        QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 disagreements, first: %2")
                                                    .arg(failures.size())
                                                    .arg(failures.value(0))));
    }
};

QTEST_GUILESS_MAIN(TestGraphemes)
#include "tst_graphemes.moc"
