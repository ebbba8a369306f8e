#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Sample =
    "The individual has always had to struggle to keep from being overwhelmed by the tribe. "
    "If you try it, you will be lonely often, and sometimes frightened. But no price is too "
    "high to pay for the privilege of owning yourself.";

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runSplit(const QStringList &arguments, const QByteArray &input) {
    QProcess process;
    process.start(QString::fromUtf8(TOVRIK_SPLIT_PATH), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TovrikSplitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cuts_data();
    void cuts();
    void refuses_data();
    void refuses();
    void readsFile();
    void missingFile();
    void helpAndVersion_data();
    void helpAndVersion();
};

void TovrikSplitTest::cuts_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("period with NUL ends")
        << QStringList{u"--limit"_s, u"5"_s, u"--mode"_s, u"period"_s, u"--null"_s}
        << QByteArray("Hello world. Bye.") << QByteArray("Hello world.\0 Bye.\0", 19);
    QTest::newRow("default 160 at space")
        << QStringList() << Sample << Sample.first(157) + '\n' + Sample.sliced(158) + '\n';
    QTest::newRow("exact 160") << QStringList{u"--mode=exact"_s} << Sample
                               << Sample.first(160) + '\n' + Sample.sliced(160) + '\n';
    QTest::newRow("limit rounded half to even")
        << QStringList{u"--limit"_s, u"2.5"_s, u"--mode"_s, u"exact"_s} << QByteArray("abcde")
        << QByteArray("ab\ncd\ne\n");
    QTest::newRow("limit= form") << QStringList{u"--limit=10"_s}
                                 << QByteArray("The quick brown fox jumps over the lazy dog.")
                                 << QByteArray(
                                        "The quick\nbrown fox\njumps\nover the\nlazy dog.\n");
    QTest::newRow("limit counts UTF-16 units")
        << QStringList{u"--limit"_s, u"3"_s, u"--mode"_s, u"exact"_s}
        << QByteArray("ab\xF0\x9F\x98\x80"
                      "cd")
        << QByteArray("ab\n\xF0\x9F\x98\x80"
                      "c\nd\n");
    QTest::newRow("byte-order mark is dropped")
        << QStringList{u"--limit"_s, u"2"_s, u"--mode"_s, u"exact"_s}
        << QByteArray("\xEF\xBB\xBF"
                      "abc")
        << QByteArray("ab\nc\n");
    QTest::newRow("empty input") << QStringList() << QByteArray() << QByteArray();
    QTest::newRow("dash reads standard input")
        << QStringList{u"--limit"_s, u"3"_s, u"--mode"_s, u"exact"_s, u"-"_s}
        << QByteArray("ab\r\ncd") << QByteArray("ab\r\n\ncd\n");
}

void TovrikSplitTest::cuts() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    const Run run = runSplit(arguments, input);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, output);
}

void TovrikSplitTest::refuses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("errorStart");

    QTest::newRow("limit not numeric") << QStringList{u"--limit"_s, u"abc"_s} << Sample << 2
                                       << QByteArray("Character limit must be numeric entry.\n");
    QTest::newRow("limit empty") << QStringList{u"--limit="_s} << Sample << 2
                                 << QByteArray("Character limit must be numeric entry.\n");
    QTest::newRow("limit zero") << QStringList{u"--limit"_s, u"0"_s} << Sample << 2
                                << QByteArray("Character limit must be between 1 and 32767.\n");
    QTest::newRow("negative limit") << QStringList{u"--limit"_s, u"-5"_s} << Sample << 2
                                    << QByteArray("Character limit must be between 1 and 32767.\n");
    QTest::newRow("limit too high") << QStringList{u"--limit"_s, u"40000"_s} << Sample << 2
                                    << QByteArray("Character limit must be between 1 and 32767.\n");
    QTest::newRow("unknown mode") << QStringList{u"--mode"_s, u"word"_s} << Sample << 2
                                  << QByteArray("tovrik-split: unknown mode 'word'");
    QTest::newRow("limit without value") << QStringList{u"--limit"_s} << Sample << 2
                                         << QByteArray("tovrik-split: --limit needs a value");
    QTest::newRow("unknown option") << QStringList{u"--fast"_s} << Sample << 2
                                    << QByteArray("tovrik-split: unknown option '--fast'");
    QTest::newRow("overlong UTF-8") << QStringList() << QByteArray("Hello \xC0\x80 there") << 1
                                    << QByteArray("tovrik-split: invalid UTF-8 at byte 6\n");
    QTest::newRow("surrogate in UTF-8") << QStringList() << QByteArray("\xED\xA0\x80") << 1
                                        << QByteArray("tovrik-split: invalid UTF-8 at byte 0\n");
    QTest::newRow("truncated UTF-8 at end") << QStringList() << Sample + "\xE2\x82" << 1
                                            << QByteArray("tovrik-split: invalid UTF-8 at byte ") +
                                                   QByteArray::number(Sample.size()) + '\n';
}

void TovrikSplitTest::refuses() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, errorStart);
    const Run run = runSplit(arguments, input);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.startsWith(errorStart), run.err.constData());
    QCOMPARE(run.out, QByteArray());
}

void TovrikSplitTest::readsFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"message.txt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Hi there. How are you? Fine. Bye.");
    file.close();
    const Run run = runSplit({u"--limit"_s, u"20"_s, u"--mode"_s, u"period"_s, path}, "ignored");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("Hi there.\n How are you? Fine.\n Bye.\n"));
}

void TovrikSplitTest::missingFile() {
    QTemporaryDir dir;
    const Run run = runSplit({dir.filePath(u"absent.txt"_s)}, QByteArray());
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains("absent.txt"));
    QCOMPARE(run.out, QByteArray());
}

void TovrikSplitTest::helpAndVersion_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("outputStart");
    QTest::newRow("help") << u"--help"_s << QByteArray("Usage: tovrik-split ");
    QTest::newRow("-h") << u"-h"_s << QByteArray("Usage: tovrik-split ");
    QTest::newRow("version") << u"--version"_s << QByteArray("tovrik-split " TOVRIK_VERSION "\n");
}

void TovrikSplitTest::helpAndVersion() {
    QFETCH(QString, argument);
    QFETCH(QByteArray, outputStart);
    const Run run = runSplit({argument}, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(outputStart), run.out.constData());
    QCOMPARE(run.err, QByteArray());
}

QTEST_GUILESS_MAIN(TovrikSplitTest)
#include "tst_tovriksplit.moc"
