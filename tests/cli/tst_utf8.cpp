#include "utf8.h"

#include <QByteArray>
#include <QTest>

class Utf8Test : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstInvalid_data();
    void firstInvalid();
};

void Utf8Test::firstInvalid_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("offset");

    const auto row = [](const char *name, QByteArray bytes, qsizetype offset) {
        QTest::newRow(name) << bytes << offset;
    };
    row("empty", QByteArray(), -1);
    row("ascii", "Hello world. Bye.", -1);
    row("two-byte", "caf\xC3\xA9", -1);
    row("four-byte emoji", "ok \xF0\x9F\x98\x80!", -1);
    row("last before surrogates U+D7FF", "\xED\x9F\xBF", -1);
    row("first after surrogates U+E000", "\xEE\x80\x80", -1);
    row("highest U+10FFFF", "\xF4\x8F\xBF\xBF", -1);
    row("NUL byte is valid", QByteArray("a\0b", 3), -1);

    row("overlong C0 80", "ab\xC0\x80", 2);
    row("overlong C1", "\xC1\xBF", 0);
    row("overlong three-byte", "\xE0\x9F\xBF", 0);
    row("overlong four-byte", "\xF0\x8F\xBF\xBF", 0);
    row("surrogate ED A0 80", "a\xED\xA0\x80", 1);
    row("above U+10FFFF", "\xF4\x90\x80\x80", 0);
    row("F5 lead", "\xF5\x80\x80\x80", 0);
    row("FF byte", "x\xFF", 1);
    row("lone continuation", "abc\x80", 3);
    row("truncated three-byte at end", "abc\xE2\x82", 3);
    row("truncated four-byte at end", "\xF0\x9F\x98", 0);
    row("lead followed by ascii", "\xE2\x28\xA1", 0);
    row("third byte not continuation", "\xE2\x82\x28", 0);
    // Past the first eight plain bytes, and inside an eight-byte block.
    row("bad after a long ascii run", "abcdefghijklmnop\xFFq", 16);
    row("bad inside the first block",
        "abc\x80"
        "defghijk",
        3);
    row("valid sequence straddling blocks", "abcdefg\xC3\xA9hijklmnop", -1);
}

void Utf8Test::firstInvalid() {
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, offset);
    QCOMPARE(qsizetype(tovrik::FirstInvalidUtf8(bytes.constData(), std::size_t(bytes.size()))),
             offset);
}

QTEST_GUILESS_MAIN(Utf8Test)
#include "tst_utf8.moc"
