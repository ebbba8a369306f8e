#include "core/utf8.h"

#include <QByteArray>
#include <QTest>

class Utf8Test : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstInvalid_data();
    void firstInvalid();
    void scan_data();
    void scan();
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

    // Faults among 64-byte blocks of multi-byte text, and at their edges.
    const QByteArray e = QByteArray("\xC3\xA9").repeated(40);
    const QByteArray a63(63, 'a');
    row("overlong in a block", e + "\xC0\x80" + e, 80);
    row("E0 overlong in a block", e + "\xE0\x9F\xBF" + e, 80);
    row("surrogate in a block", "a" + e + "\xED\xA0\x80" + e, 81);
    row("F0 overlong in a block", e + "\xF0\x8F\xBF\xBF" + e, 80);
    row("above U+10FFFF in a block", e + "\xF4\x90\x80\x80" + e, 80);
    row("F5 in a block", e + "\xF5\x80\x80\x80" + e, 80);
    row("lone continuation in a block", e + "\x80" + e, 80);
    row("two-byte lead without its end at a block edge", a63 + "\xC3" + "a" + e, 63);
    row("three-byte lead at a block edge, bad third byte", a63 + "\xE2\x82(" + e, 63);
    row("three-byte lead cut short by a two-byte block", a63.first(62) + "\xE2\x82" + "a" + e, 62);
    row("four-byte sequence across a block edge", a63 + "\xF0\x9F\x98\x80" + e, -1);
    row("highest and lowest of each length in a block",
        e + "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF\xE0\xA0\x80\xF0\x90\x80\x80" + e, -1);
}

void Utf8Test::firstInvalid() {
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, offset);
    QCOMPARE(
        qsizetype(tovrik::core::FirstInvalidUtf8(bytes.constData(), std::size_t(bytes.size()))),
        offset);
}

void Utf8Test::scan_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("final");
    QTest::addColumn<bool>("refuseNul");
    QTest::addColumn<qsizetype>("valid");
    QTest::addColumn<qsizetype>("error");
    QTest::addColumn<bool>("nul");

    const QByteArray e = QByteArray("\xC3\xA9").repeated(40);
    QTest::newRow("cut off, more to come")
        << QByteArray("ab\xE2\x82") << false << false << qsizetype(2) << qsizetype(-1) << false;
    QTest::newRow("cut off at the end")
        << QByteArray("ab\xE2\x82") << true << false << qsizetype(2) << qsizetype(2) << false;
    QTest::newRow("bad before it is whole")
        << QByteArray("ab\xE0\x80") << false << false << qsizetype(2) << qsizetype(2) << false;
    QTest::newRow("NUL allowed") << e + '\0' + e << true << false << qsizetype(161) << qsizetype(-1)
                                 << false;
    QTest::newRow("NUL refused in a block")
        << e + '\0' + e << true << true << qsizetype(80) << qsizetype(80) << true;
    QTest::newRow("NUL refused among ASCII")
        << QByteArray(100, 'a') + '\0' << true << true << qsizetype(100) << qsizetype(100) << true;
    QTest::newRow("NUL inside a block of ASCII")
        << QByteArray(10, 'a') + '\0' + QByteArray(100, 'a') << true << true << qsizetype(10)
        << qsizetype(10) << true;
    QTest::newRow("bad byte before a NUL")
        << QByteArray("a\xFF\0", 3) << true << true << qsizetype(1) << qsizetype(1) << false;
}

void Utf8Test::scan() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, final);
    QFETCH(bool, refuseNul);
    QFETCH(qsizetype, valid);
    QFETCH(qsizetype, error);
    QFETCH(bool, nul);
    const tovrik::core::Utf8Scan scan =
        tovrik::core::ScanUtf8(bytes.constData(), std::size_t(bytes.size()), final, refuseNul);
    QCOMPARE(qsizetype(scan.valid), valid);
    QCOMPARE(qsizetype(scan.error), error);
    QCOMPARE(scan.nul, nul);
}

QTEST_GUILESS_MAIN(Utf8Test)
#include "tst_utf8.moc"
