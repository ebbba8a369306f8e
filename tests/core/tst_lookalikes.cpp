// The look-alike table, its replacement, and when a message is replaced.
#include "core/lookalikes.h"
#include "core/pieces.h"
#include "core/sms.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tovrik::core;

Q_DECLARE_METATYPE(tovrik::core::Replacement)
Q_DECLARE_METATYPE(tovrik::core::SmsUnits)

namespace {

std::string utf8(const QString &text) {
    return text.toStdString();
}

} // namespace

class LookAlikesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every entry: one code point, sorted and once, to characters of the basic
    // table that cost a septet each; never nothing, never two blanks; and the
    // replacement finds it in a text.
    void table() {
        const auto entries = LookAlikes();
        QVERIFY(entries.size() > 40);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const LookAlikeEntry &e = entries[i];
            const QString what = QString::number(uint(e.from), 16);
            QVERIFY2(e.from >= 0x80, qPrintable(what));
            QVERIFY2(i == 0 || entries[i - 1].from < e.from, qPrintable(what));
            QVERIFY2(!e.to.empty() && e.to.find("  ") == std::string_view::npos, qPrintable(what));
            const SmsScan scan = ScanSms(e.to);
            QVERIFY2(scan.encoding == SmsEncoding::Gsm7 && !scan.escapes &&
                         scan.units == std::ptrdiff_t(e.to.size()),
                     qPrintable(what));
            QCOMPARE(LookAlike(e.from), e.to);
            const std::string text = "a" + QString::fromUcs4(&e.from, 1).toStdString() + "b";
            std::string out;
            QCOMPARE(ReplaceLookAlikes(text, out), std::size_t(1));
            QCOMPARE(out, "a" + std::string(e.to) + "b");
        }
        QCOMPARE(LookAlike(U'a'), std::string_view());
        QCOMPARE(LookAlike(U'\U0001F600'), std::string_view());
    }

    void replacement_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<Replacement>("replace");
        QTest::addColumn<SmsUnits>("sms");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("replaced");

        const QString curly = u"It\u2019s \u201Cgreat\u201D \u2013 see you\u2026"_s;
        const QString straight = u"It's \"great\" - see you..."_s;
        QTest::newRow("always: GSM-7 once replaced")
            << curly << Replacement::Always << SmsUnits::Standalone << straight << 5;
        QTest::newRow("always: an emoji keeps it UCS-2")
            << curly + u"\U0001F600"_s << Replacement::Always << SmsUnits::Standalone
            << curly + u"\U0001F600"_s << 0;
        QTest::newRow("when cheaper: one SMS either way")
            << curly << Replacement::WhenCheaper << SmsUnits::Standalone << curly << 0;
        const QString longCurly = curly + u" "_s + QString(60, u'x');
        QTest::newRow("when cheaper: two SMS become one")
            << longCurly << Replacement::WhenCheaper << SmsUnits::Concat
            << straight + u" "_s + QString(60, u'x') << 5;
        QTest::newRow("no-break spaces become one blank each")
            << u"a\u00A0b\u202Fc"_s << Replacement::Always << SmsUnits::Concat << u"a b c"_s << 2;
    }

    void replacement() {
        QFETCH(QString, message);
        QFETCH(Replacement, replace);
        QFETCH(SmsUnits, sms);
        QFETCH(QString, sent);
        QFETCH(int, replaced);
        const std::string text = utf8(message);
        PieceSplitter splitter;
        PieceOptions options;
        options.sms = sms;
        options.replace = replace;
        QVERIFY(splitter.split(text, options));
        QCOMPARE(QString::fromStdString(std::string(splitter.text())), sent);
        QCOMPARE(int(splitter.replaced()), replaced);
        for (const std::string_view piece : splitter.pieces())
            QVERIFY(piece.data() >= splitter.text().data() &&
                    piece.data() + piece.size() <= splitter.text().data() + splitter.text().size());
    }

    // What makes a message UCS-2: each character once, in order, at most so many.
    void withoutGsm7() {
        const std::string text = utf8(u"a\u00E7b\U0001F600c\u00E7\u0436\u0437"_s);
        WithoutGsm7 found;
        CharactersWithoutGsm7(text, 2, found);
        QCOMPARE(found.characters.size(), std::size_t(2));
        QCOMPARE(found.characters[0], std::string_view("\xC3\xA7"));
        QCOMPARE(found.characters[1], std::string_view("\xF0\x9F\x98\x80"));
        QCOMPARE(found.more, std::size_t(2));
        CharactersWithoutGsm7("plain GSM-7 [text] \xE2\x82\xAC", 5, found);
        QVERIFY(found.characters.empty() && found.more == 0);
        // Controls and the grave accent among ASCII of either table, in
        // the blocks of sixty-four bytes and in the bytes after them.
        CharactersWithoutGsm7("plain [text]\tthen` more than sixty-four {bytes}\x01 of GSM-7, "
                              "then the last few\x7F\r\n",
                              5, found);
        QCOMPARE(found.characters, (std::vector<std::string_view>{"\t", "`", "\x01", "\x7F"}));
        // One at the very end, after any number of bytes.
        for (std::size_t before = 0; before < 200; ++before)
            for (const std::string_view last : {"`", "\xD0\xB6", "\xF0\x9F\x98\x80"}) {
                const std::string ending = std::string(before, 'a') + std::string(last);
                CharactersWithoutGsm7(ending, 5, found);
                QCOMPARE(found.characters, std::vector<std::string_view>{last});
            }
        // Against another set of characters, which lacks the default
        // alphabet's, and the default again.
        const std::string_view twice[] = {"\xC3\xA9-\xC3\xA9"}; // é-é
        CharactersWithoutGsm7(
            twice, [](char32_t c) { return c == '-'; }, 5, found);
        QCOMPARE(found.characters, std::vector<std::string_view>{"\xC3\xA9"});
        QCOMPARE(found.more, std::size_t(0));
        CharactersWithoutGsm7(
            twice, [](char32_t c) { return c != '-'; }, 5, found, true); // ASCII looked at too
        QCOMPARE(found.characters, std::vector<std::string_view>{"-"});
        CharactersWithoutGsm7(twice[0], 5, found);
        QVERIFY(found.characters.empty());
        // Text after text, past the count where what was seen is forgotten.
        for (int texts = 0; texts < 70000; ++texts) {
            CharactersWithoutGsm7("\xC3\xA9 \xD0\xB6", 5, found); // é (GSM-7) and ж
            if (found.characters.size() != 1 || found.more != 0)
                QFAIL(qPrintable(u"text %1: %2 found"_s.arg(texts).arg(found.characters.size())));
        }

        // A message cut with a numbering: its characters, then the format's.
        std::string error;
        const auto number = NumberFormat::parse("%k/%n \xE2\x80\x93 %t \xC3\xA7", &error);
        QVERIFY(number);
        PieceSplitter splitter;
        PieceOptions options;
        options.sms = SmsUnits::Concat;
        options.number = &*number;
        QVERIFY(splitter.split("abc \xC3\xA7", options));
        splitter.withoutGsm7(5, found);
        QCOMPARE(found.characters.size(), std::size_t(2));
        QCOMPARE(found.characters[0], std::string_view("\xC3\xA7"));
        QCOMPARE(found.characters[1], std::string_view("\xE2\x80\x93"));
    }
};

QTEST_GUILESS_MAIN(LookAlikesTest)
#include "tst_lookalikes.moc"
