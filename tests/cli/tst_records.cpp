#include "cli/json.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/quickrecords.h"
#include "cli/records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using tovrik::cli::RecordFormat;
using RecordOptions = tovrik::cli::Options;
using tovrik::core::SmsUnits;

Q_DECLARE_METATYPE(tovrik::cli::RecordFormat)

namespace {

// A signal raised from inside the next write(), and whether its handler ran
// before the write went on.
volatile sig_atomic_t g_signalInWrite = 0;
volatile sig_atomic_t g_signalled = 0;
bool g_signalledInWrite = false;

} // namespace

extern "C" ssize_t write(int fd, const void *data, size_t size) {
    if (g_signalInWrite) {
        g_signalInWrite = 0;
        ::raise(SIGTERM);
        g_signalledInWrite = g_signalled != 0;
    }
    return ::syscall(SYS_write, fd, data, size);
}

namespace {

struct Run {
    int status = -1;
    QByteArray output;
};

// RunRecords (or RunMessage over the whole input) from and to files; without
// quick, every record takes the general path.
Run run(const RecordOptions &options, const QByteArray &input, bool quick = true) {
    QTemporaryFile in;
    QTemporaryFile out;
    if (!in.open() || !out.open() || in.write(input) != input.size() || !in.flush())
        qFatal("no temporary files");
    const int inFd = ::open(qPrintable(in.fileName()), O_RDONLY);
    Run result;
    if (options.records == RecordFormat::None)
        result.status = tovrik::cli::RunMessage(
            options, std::string_view(input.constData(), std::size_t(input.size())), out.handle());
    else
        result.status = tovrik::cli::RunRecords(options, inFd, out.handle(), quick);
    ::close(inFd);
    out.seek(0);
    result.output = out.readAll();
    return result;
}

RecordOptions jsonRecords(RecordFormat format) {
    RecordOptions options;
    options.sms = SmsUnits::Standalone;
    options.json = true;
    options.records = format;
    return options;
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void jsonStrings_data();
    void jsonStrings();
    void parser_data();
    void parser();
    void outputLine();
    void textFromTheLine_data();
    void textFromTheLine();
    void mixedRecords_data();
    void mixedRecords();
    void quickPathAgrees_data();
    void quickPathAgrees();
    void lineEnds();
    void batchesEndWithLines();
    void longRecord();
    void chunkEdges_data();
    void chunkEdges();
    void flushAnswersBeforeTheInputEnds();
    void singleMessage_data();
    void singleMessage();
    void optionErrors_data();
    void optionErrors();
};

void RecordsTest::jsonStrings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("plain") << u"Hello"_s << QByteArray(R"("Hello")");
    QTest::newRow("quote and backslash") << u"a\"b\\c/"_s << QByteArray(R"("a\"b\\c/")");
    QTest::newRow("named controls") << u"\n\r\t\b\f"_s << QByteArray(R"("\n\r\t\b\f")");
    QTest::newRow("other C0, DEL and C1 controls")
        << u"\u0000\u001F\u007F\u0080\u009F"_s << QByteArray(R"("\u0000\u001f\u007f\u0080\u009f")");
    QTest::newRow("long, mixed")
        << u"Eight units and more: \"quoted\", back\\slash, a\tb\n\u00E7\u20AC "
           u"\U0001F600 \u0436\u0436\u0436\u0436\u0436\u0436\u0436\u0436\u0436 end\u0001"_s
        << QByteArray();
    QTest::newRow("non-ASCII as UTF-8")
        << u"\u00A0\u00E7\u20AC\U0001F600"_s
        << QByteArray("\"\xC2\xA0\xC3\xA7\xE2\x82\xAC\xF0\x9F\x98\x80\"");
}

void RecordsTest::jsonStrings() {
    QFETCH(QString, text);
    QFETCH(QByteArray, json);
    tovrik::cli::ByteBuffer out;
    tovrik::cli::AppendJsonString(out, text.toStdString());
    const QByteArray written(out.view().data(), qsizetype(out.view().size()));
    if (!json.isNull())
        QCOMPARE(written, json);
    for (const char byte : written)
        QVERIFY(byte < 0 || byte >= 0x20);
    // It reads back as the same text.
    const QJsonDocument document = QJsonDocument::fromJson("[" + written + "]");
    QCOMPARE(document.array().at(0).toString(), text);
}

void RecordsTest::parser_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");  // null: refused
    QTest::addColumn<QByteArray>("id"); // as echoed
    QTest::addColumn<QByteArray>("error");

    const auto ok = [](const char *name, const char *line, const QString &text, const char *id) {
        QTest::newRow(name) << QByteArray(line) << text << QByteArray(id) << QByteArray();
    };
    const auto bad = [](const char *name, const char *line, const char *id, const char *error) {
        QTest::newRow(name) << QByteArray(line) << QString() << QByteArray(id) << QByteArray(error);
    };
    ok("text only", R"({"text":"Hi"})", u"Hi"_s, "");
    ok("number id as given", R"( {"id": 1.50e+2 , "text" : "Hi"} )", u"Hi"_s, "1.50e+2");
    ok("negative id as given", R"({"id":-7,"text":"Hi"})", u"Hi"_s, "-7");
    ok("string id as given", R"({"text":"Hi","id":"a\"\u00e9"})", u"Hi"_s, R"("a\"\u00e9")");
    ok("null id is none", R"({"text":"Hi","id":null})", u"Hi"_s, "");
    ok("escapes and a pair", R"({"text":"a\n\u00e7\ud83d\ude00\/"})", u"a\n\u00E7\U0001F600/"_s,
       "");
    ok("long, with escapes and UTF-8 past sixteen bytes",
       "{\"text\":\"0123456789abcdefghij\\u00e9\\\"0123456789abcdefghij\xC3\xA7\\n\"}",
       u"0123456789abcdefghij\u00E9\"0123456789abcdefghij\u00E7\n"_s, "");
    ok("raw UTF-8", "{\"text\":\"\xC3\xA7\xE2\x82\xAC\"}", u"\u00E7\u20AC"_s, "");
    ok("escaped member name", R"({"te\u0078t":"Hi"})", u"Hi"_s, "");
    ok("other members skipped", R"({"a":[1,{"b":null}],"text":"Hi","c":true})", u"Hi"_s, "");
    ok("names that start as text and id do", R"({"textual":"no","identity":1,"text":"Hi","id":3})",
       u"Hi"_s, "3");
    ok("the last text counts", R"({"text":1,"text":"Hi"})", u"Hi"_s, "");
    ok("empty text", R"({"text":""})", QString(u""_s), "");
    ok("CR of a CR LF line end", "{\"text\":\"Hi\"}\r", u"Hi"_s, "");

    bad("not an object", R"(["Hi"])", "", "not a JSON object");
    bad("empty line", "", "", "not a JSON object");
    bad("no text", R"({"id":7})", "7", "no \"text\"");
    bad("text not a string", R"({"id":7,"text":5})", "7", "\"text\" is not a string");
    bad("id neither string nor number", R"({"id":true,"text":"Hi"})", "",
        "\"id\" is not a string or a number");
    bad("unpaired surrogate", R"({"text":"\ud83d x"})", "", "\"text\" holds an unpaired surrogate");
    bad("trailing garbage", R"({"text":"Hi"} x)", "", "invalid JSON: more after the object");
    bad("leading zero", R"({"text":"Hi","n":01})", "", "invalid JSON: ',' or '}' expected");
    bad("exponent without digits", R"({"text":"Hi","n":1e})", "", "invalid JSON: a bad number");
    bad("raw control character", "{\"text\":\"a\tb\"}", "",
        "invalid JSON: a control character inside a string");
    bad("unfinished", R"({"id":7,"text":"Hi")", "", "invalid JSON: ',' or '}' expected");
    bad("bad escape", R"({"text":"\x"})", "", "invalid JSON: an unknown escape in a string");
    bad("invalid UTF-8 in an id", "{\"id\":\"\xFF\",\"text\":\"a\"}", "",
        "invalid UTF-8 at byte 7");
    bad("invalid UTF-8 in the text: the id still names the line",
        "{\"text\":\"ok \xFF\",\"id\":\"a7\"}", "\"a7\"", "invalid UTF-8 at byte 12");
    bad("invalid UTF-8 after the object", "{\"text\":\"a\"}\xC3", "", "invalid UTF-8 at byte 12");
    bad("trailing comma", R"({"text":"Hi",})", "", "invalid JSON: a member name was expected");
}

void RecordsTest::parser() {
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, error);
    tovrik::cli::JsonRecordParser parser;
    const bool ok = parser.parse(std::string_view(line.constData(), std::size_t(line.size())));
    QCOMPARE(ok, !text.isNull());
    QCOMPARE(QByteArray(parser.id().data(), qsizetype(parser.id().size())), id);
    if (ok)
        QCOMPARE(QString::fromUtf8(parser.text().data(), qsizetype(parser.text().size())), text);
    else
        QCOMPARE(QByteArray(parser.error()), error);
}

void RecordsTest::outputLine() {
    // Key order and spacing are fixed: compact, in this order.
    RecordOptions options = jsonRecords(RecordFormat::Lines);
    options.sms = SmsUnits::Off;
    options.limit = 6;
    options.number = QString(u"%k/%n %t"_s).toStdString();
    QCOMPARE(run(options, "ab cd\xC3\xA7\n").output,
             QByteArray(R"({"id":null,"record":1,"encoding":"UCS-2","segments":1,)"
                        "\"nonGsm7\":{\"characters\":[\"\xC3\xA7\"],\"more\":0},\"parts\":["
                        R"({"text":"1/2 ab","encoding":"GSM-7","units":6},)"
                        "{\"text\":\"2/2 cd\xC3\xA7\",\"encoding\":\"UCS-2\",\"units\":7}]}\n"));
}

void RecordsTest::textFromTheLine_data() {
    QTest::addColumn<QByteArray>("text");  // as the line has it
    QTest::addColumn<QByteArray>("after"); // the line's members after the text

    // Pieces of four units: escapes fall at their edges and inside them.
    QTest::newRow("named escapes")
        << QByteArray(R"(a\"b\\c\nd\te\rf\bg\fh\"\"\"\")") << QByteArray();
    QTest::newRow("hex escapes as written")
        << QByteArray(R"(ab\u001fc\u007fd\u0085e\u0001\"f)") << QByteArray();
    QTest::newRow("hex in capitals") << QByteArray(R"(ab\u001Fc\"d\\efghij)") << QByteArray();
    QTest::newRow("escapes that need none")
        << QByteArray(R"(ab\u00e9c\u0041d\/e\"f)") << QByteArray();
    QTest::newRow("an escape that needs none, alone")
        << QByteArray(R"(abc\u0041defgh)") << QByteArray();
    QTest::newRow("quote and backslash in hex")
        << QByteArray(R"(ab\u0022c\u005Cd\"e\\f)") << QByteArray();
    QTest::newRow("DEL and C1 unescaped")
        << QByteArray("ab\x7F\\\\c\xC2\x85\\\\d\\\"e") << QByteArray();
    // With more of the line after the text, the text's bytes are looked at
    // sixteen at a time to its end, the C1 control alone on its own.
    QTest::newRow("C1 unescaped, more after the text")
        << QByteArray("ab\\\\c\xC2\x85"
                      "d\\\"efgh")
        << QByteArray(R"(,"id":"sixteen bytes or more")");
    QTest::newRow("C1 past sixteen bytes")
        << QByteArray("abcdefghijklmnopqrs\xC2\x85tuvwxyz0123456789\\\"u") << QByteArray();
    QTest::newRow("surrogate pair") << QByteArray(R"(ab\ud83d\ude00c\"d\\e)") << QByteArray();
    // Past what their notes may cost, the text is escaped again.
    QTest::newRow("more escapes than are noted")
        << QByteArray(R"(a\nb)").repeated(5000) + R"(\"c\\d)" << QByteArray();
}

void RecordsTest::textFromTheLine() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, after);
    // Each part's text is written as AppendJsonStringBody writes it, whether
    // it is copied from the line or escaped again.
    RecordOptions options = jsonRecords(RecordFormat::Jsonl);
    options.sms = SmsUnits::Off;
    options.limit = 4;
    options.mode = tovrik::core::SplitMode::Exact;
    const QByteArray line = run(options, R"({"text":")" + text + '"' + after + '}').output;
    const QJsonArray parts = QJsonDocument::fromJson(line).object().value(u"parts"_s).toArray();
    QVERIFY2(parts.size() > 2, line.constData());
    QByteArray expected;
    for (const QJsonValue part : parts) {
        tovrik::cli::ByteBuffer out;
        tovrik::cli::AppendJsonString(out,
                                      part.toObject().value(u"text"_s).toString().toStdString());
        expected += R"({"text":)" + QByteArray(out.view().data(), qsizetype(out.view().size()));
    }
    QByteArray written;
    for (qsizetype at = line.indexOf(R"({"text":)"); at >= 0;
         at = line.indexOf(R"({"text":)", at + 1))
        written += line.mid(at, line.indexOf(R"(","encoding")", at) + 1 - at);
    QCOMPARE(written, expected);
}

void RecordsTest::mixedRecords_data() {
    QTest::addColumn<RecordFormat>("format");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected"); // per line: the first part's text, or "!" + error

    const QByteArray longWord(200, 'x');
    QTest::newRow("jsonl") << RecordFormat::Jsonl
                           << QByteArray(R"({"id":1,"text":"one"})"
                                         "\n[2]\n"
                                         R"({"id":"3","text":"three"})"
                                         "\n{\"text\":\"\xFF\"}\n"
                                         R"({"id":5})"
                                         "\n\n"
                                         R"({"text":")" +
                                         longWord + R"("})")
                           << QStringList{u"one"_s,          u"!not a JSON object"_s,
                                          u"three"_s,        u"!invalid UTF-8 at byte 9"_s,
                                          u"!no \"text\""_s, u"!not a JSON object"_s,
                                          QString(160, u'x')};
    QTest::newRow("lines") << RecordFormat::Lines << QByteArray("one\nt\xC3\xA9\n\xC3\n\nlast")
                           << QStringList{u"one"_s, u"t\u00E9"_s, u"!invalid UTF-8 at byte 0"_s,
                                          u""_s, u"last"_s};
    QTest::newRow("nul") << RecordFormat::Nul << QByteArray("one\ntwo\0\x80\0three\0", 16)
                         << QStringList{u"one\ntwo"_s, u"!invalid UTF-8 at byte 0"_s, u"three"_s};
    // A byte-order mark that starts a record is dropped (joined files); an
    // offset counts it, as in a whole message.
    QTest::newRow("lines after marks") << RecordFormat::Lines
                                       << QByteArray("\xEF\xBB\xBF"
                                                     "ab\xFF\nok\n\xEF\xBB\xBF"
                                                     "two\n\xEF\xBB\xBF"
                                                     "x\xFF")
                                       << QStringList{u"!invalid UTF-8 at byte 5"_s, u"ok"_s,
                                                      u"two"_s, u"!invalid UTF-8 at byte 4"_s};
    QTest::newRow("jsonl after marks")
        << RecordFormat::Jsonl
        << QByteArray("\xEF\xBB\xBF{\"text\":\"\xFF\"}\n\xEF\xBB\xBF{\"text\":\"b\"}")
        << QStringList{u"!invalid UTF-8 at byte 12"_s, u"b"_s};
}

void RecordsTest::mixedRecords() {
    QFETCH(RecordFormat, format);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    const Run result = run(jsonRecords(format), input);
    QVERIFY(result.output.endsWith('\n'));
    const QList<QByteArray> lines = result.output.chopped(1).split('\n');
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QJsonParseError parseError;
        const QJsonObject object = QJsonDocument::fromJson(lines[i], &parseError).object();
        QVERIFY2(parseError.error == QJsonParseError::NoError, lines[i].constData());
        // (QJsonDocument drops a U+FEFF from a string: the bytes are looked at.)
        QVERIFY2(!lines[i].contains("\xEF\xBB\xBF"), lines[i].constData());
        const bool failed = expected[i].startsWith(u'!');
        // Records are numbered where ids cannot tell them apart, and on errors.
        if (format != RecordFormat::Jsonl || failed)
            QCOMPARE(object.value(u"record"_s).toInteger(), i + 1);
        else
            QVERIFY(!object.contains(u"record"_s));
        if (failed) {
            QCOMPARE(object.value(u"error"_s).toString(), expected[i].sliced(1));
        } else {
            const QJsonArray parts = object.value(u"parts"_s).toArray();
            QCOMPARE(parts.isEmpty() ? QString(u""_s)
                                     : parts.at(0).toObject().value(u"text"_s).toString(),
                     expected[i]);
        }
    }
    QCOMPARE(result.status, 1);
    if (QByteArrayView(QTest::currentDataTag()) == "jsonl") {
        QCOMPARE(QJsonDocument::fromJson(lines[0]).object().value(u"id"_s).toInt(), 1);
        QCOMPARE(QJsonDocument::fromJson(lines[2]).object().value(u"id"_s).toString(), u"3"_s);
        const QJsonObject last = QJsonDocument::fromJson(lines.back()).object();
        QCOMPARE(last.value(u"segments"_s).toInt(), 2);
        QCOMPARE(last.value(u"parts"_s).toArray().size(), 2);
    }
}

void RecordsTest::quickPathAgrees_data() {
    QTest::addColumn<QString>("languages");
    QTest::newRow("default tables") << QString();
    QTest::newRow("Portuguese, whose table has ~ and €") << u"pt"_s;
    QTest::newRow("Turkish, Spanish, Portuguese") << u"tr,es,pt"_s;
    QTest::newRow("Hindi, Urdu") << u"hi,ur"_s;
    QTest::newRow("Portuguese and Hindi, whose tables lack ASCII") << u"pt,hi"_s;
    QTest::newRow("every language, more pairs than a bit each")
        << u"tr,es,pt,bn,gu,hi,kn,ml,or,pa,ta,te,ur"_s;
}

void RecordsTest::quickPathAgrees() {
    // Random records of text that either path may take: GSM-7 characters,
    // escapes, characters without a GSM-7 form, graphemes of several code
    // points beside blanks, long words, runs of blanks, and lines of other
    // shapes, with faults in them.
    static const char *const Gsm7[] = {"the",        "quick",
                                       "fox",        "a",
                                       "Meet",       "5pm,",
                                       "20€",        "{x}",
                                       "[y]",        "^",
                                       "~~~~",       "|",
                                       R"(\\)",      R"(\")",
                                       R"(a\"b\\c)", "Ç",
                                       "é",          "ü",
                                       "ß",          "ΔΣ",
                                       "\xC2\xA0",   "~~~~~~~~~~~~~~~~",
                                       "    "};
    // (With characters a bit from others: 😠 from 😀, 佀 from 你, U+10000 from
    // U+30000.)
    static const char *const Others[] = {
        "`",           "—",
        "naïve",       "привет",
        "你好佀",      "😀😠",
        "👍🏽",    "👨‍👩‍👧",
        "🇯🇵",          "e\xCC\x81",
        "नमस्ते",        "ก",
        "ş",           "ğ",
        "İ",           "á",
        "ç",           "\xF4\x8F\xBF\xBF\xF0\x90\x80\x80\xF0\xB0\x80\x80",
        "\xD8\x80",    "\xEF\xB8\x8F",
        "\xE2\x80\x8D"};
    // (These send a record the general way.)
    static const char *const Rare[] = {R"(\n)", R"(\u00e9)", R"(\/)", "\xC2\x85",
                                       "\x7F",  " ",         "  "};
    static const char *const Faults[] = {"\xFF",
                                         "\xE2\x82",
                                         "\xC0\xAF",
                                         "\xC1\xBF",
                                         "\xC2\x9F",
                                         "\xE0\x9F\xBF",
                                         "\xED\xA0\x80",
                                         "\xED\xBF\xBF",
                                         "\xF4\x90\x80\x80",
                                         "\xF0\x8F\xBF\xBF",
                                         "\xF5\x80\x80\x80",
                                         "\xF9\x90\x80\x80",
                                         "\xE0\x80\xAF",
                                         "\x80",
                                         "\t",
                                         "\""};
    QFETCH(QString, languages);
    RecordOptions options = jsonRecords(RecordFormat::Jsonl);
    options.sms = SmsUnits::Concat;
    std::string error;
    QVERIFY(languages.isEmpty() ||
            tovrik::core::ParseLanguages(languages.toStdString(), options.languages, error));
    QVERIFY(tovrik::cli::QuickRecords::Serves(options));

    std::mt19937 random(20261210);
    const auto below = [&](unsigned n) { return unsigned(random() % n); };
    QByteArray input;
    for (int record = 0; record < 4000; ++record) {
        QByteArray text;
        const unsigned words = below(8) == 0 ? below(400) : below(60);
        const bool gsm7 = below(2) == 0; // (else one word in three has no GSM-7 form)
        for (unsigned w = 0; w < words; ++w) {
            if (w > 0 && below(12) != 0)
                text += ' ';
            if (below(40) == 0)
                text += QByteArray(int(20 + below(200)), 'x');
            else if (below(40) == 0)
                text += Rare[below(std::size(Rare))];
            else if (gsm7 || below(3) != 0)
                text += Gsm7[below(std::size(Gsm7))];
            else
                text += Others[below(std::size(Others))];
        }
        if (below(60) == 0)
            text.insert(int(below(unsigned(text.size()) + 1)), Faults[below(std::size(Faults))]);
        const QByteArray id =
            below(3) == 0 ? "\"m" + QByteArray::number(record) + '"' : QByteArray::number(record);
        switch (below(40)) {
        case 0:
            input += R"({"text":")" + text + R"(","id":)" + id + "}\n";
            break;
        case 1:
            input += R"({"id":)" + id + R"(,"text":")" + text + R"(","x":[1]})" + "\r\n";
            break;
        case 2:
            input += R"( {"id":-0,"text":")" + text + R"("} )" + "\n";
            break;
        case 3:
            input += R"({"id":"é","text":")" + text + R"("})" + "\n";
            break;
        case 4:
            input += R"({"id":01,"text":")" + text + R"("})" + "\n";
            break;
        case 5:
            input += "{\"id\":\"a\tb\",\"text\":\"" + text + R"("})" + "\n"; // (a tab)
            break;
        case 6:
            input += R"({"id":-,"text":")" + text + R"("})" + "\n";
            break;
        default:
            input += R"({"id":)" + id + R"(,"text":")" + text + R"("})" + "\n";
        }
    }
    // Texts that cost fewer parts with the Portuguese tables, which have ~
    // and € in their basic table.
    for (const char *word : {"~~~~", "€€€€"})
        input += R"({"id":2,"text":")" + (QByteArray(word) + ' ').repeated(40).trimmed() + R"("})" +
                 "\n";
    // Each fault in a text that the quick path would take.
    for (const char *fault : Faults)
        input += R"({"id":4,"text":"ab )" + QByteArray(fault) + R"( cd"})" + "\n";
    // Runs of escapes, longer than the scan settles without a branch.
    for (int run = 1; run <= 9; ++run)
        input += R"({"id":5,"text":"x )" + QByteArray(R"(\\)").repeated(run) + R"(\" y"})" + "\n";
    // A character or an escape cut short by the text's end, where its last
    // sixteen (and sixty-four) bytes are whole.
    for (const char *cut : {"\xC3", "\xE2\x82", "\xF0\x9F\x98", "\\"})
        input +=
            R"({"id":3,"text":")" + QByteArray(64 - int(strlen(cut)), 'a') + cut + R"("})" + "\n";
    // Texts at the longest the quick path takes, and past it.
    for (const int size : {4095, 4096, 4097}) {
        QByteArray text = QByteArray("some plain words ").repeated(300);
        text.truncate(size - 1);
        input += R"({"id":1,"text":")" + text + R"(z"})" + "\n";
    }
    const Run quick = run(options, input);
    const Run general = run(options, input, false);
    QCOMPARE(quick.status, general.status);
    const QList<QByteArray> quickLines = quick.output.split('\n');
    const QList<QByteArray> generalLines = general.output.split('\n');
    QCOMPARE(quickLines.size(), generalLines.size());
    for (qsizetype i = 0; i < quickLines.size(); ++i)
        QCOMPARE(quickLines[i], generalLines[i]);

    // Many of them took the quick path, and it scans sixteen bytes at a
    // time as it does with the widest vectors the processor has.
    tovrik::cli::QuickRecords records(options.languages);
    tovrik::cli::QuickRecords narrow(options.languages, false);
    tovrik::cli::ByteBuffer out;
    tovrik::cli::ByteBuffer narrowOut;
    qsizetype taken = 0;
    const QList<QByteArray> lines = input.split('\n');
    for (const QByteArray &line : lines) {
        const std::string_view bytes(line.constData(), std::size_t(line.size()));
        const bool took = records.write(out, bytes);
        QCOMPARE(narrow.write(narrowOut, bytes), took);
        taken += took;
    }
    QVERIFY2(taken > lines.size() / 10, QByteArray::number(taken).constData());
    QVERIFY(narrowOut.view() == out.view());
    const auto takes = [&](const QByteArray &line) {
        return records.write(out, std::string_view(line.constData(), std::size_t(line.size())));
    };
    QVERIFY(takes(lines[lines.size() - 4]) && takes(lines[lines.size() - 3]));
    QVERIFY(!takes(lines[lines.size() - 2]));
    // A string id is taken, and so is a blank after a character that joins
    // what comes before it (an accent, a skin tone, a variation selector, a
    // joiner) where a part ends.
    if (options.languages == 0) {
        const QByteArray cyrillic = QByteArray("\xD1\x8B").repeated(60); // 60 units
        for (const char *joins : {"e\xCC\x81", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD",
                                  "\xE2\x9D\xA4\xEF\xB8\x8F", "a\xE2\x80\x8D"}) {
            const QByteArray line =
                R"({"id":"m1","text":")" + cyrillic + ' ' + joins + ' ' + cyrillic + R"("})";
            QVERIFY2(takes(line), joins);
            QCOMPARE(run(options, line).output, run(options, line, false).output);
        }
    }
}

void RecordsTest::lineEnds() {
    // CR LF ends a line; a lone CR inside one, or at the end of the input,
    // is text; a BOM is no text, and alone it is an empty input.
    const Run result = run(jsonRecords(RecordFormat::Lines), "\xEF\xBB\xBF"
                                                             "a\r\nb\rc\nd\r");
    QCOMPARE(result.status, 0);
    const QList<QByteArray> lines = result.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].contains(R"("text":"a","encoding":"GSM-7","units":1)"), lines[0]);
    QVERIFY2(lines[1].contains(R"("text":"b\rc","encoding":"GSM-7","units":3)"), lines[1]);
    QVERIFY2(lines[2].contains(R"("text":"d\r","encoding":"GSM-7","units":2)"), lines[2]);
    for (const RecordFormat format : {RecordFormat::Lines, RecordFormat::Jsonl}) {
        const Run alone = run(jsonRecords(format), "\xEF\xBB\xBF");
        QCOMPARE(alone.status, 0);
        QCOMPARE(alone.output, QByteArray());
    }
}

// Output goes out in batches that end where a line does, so output cut short
// (a killed process) ends with a whole line; only a line that alone makes a
// batch goes out before its end.
void RecordsTest::batchesEndWithLines() {
    QTemporaryFile file;
    QVERIFY(file.open());
    tovrik::cli::Output out(file.handle(), '\n', 64);
    const auto written = [&] { return QFile(file.fileName()).size(); };
    out.part(std::string(40, 'a'));
    out.buffer().append('\n');
    out.lineDone();
    out.part(std::string(30, 'b')); // the batch is full, the line is not done
    QCOMPARE(written(), 0);
    out.buffer().append('\n');
    out.lineDone();
    QCOMPARE(written(), 72);
    out.part(std::string(70, 'c')); // a line of more than a batch
    QCOMPARE(written(), 142);
    // A signal that comes while a batch goes to a file waits for the batch
    // (the kernel would stop the write part of the way); to a pipe it does
    // not, as a pipe may block the write for good.
    int pipeFds[2];
    QVERIFY(::pipe(pipeFds) == 0);
    struct sigaction counting {};
    struct sigaction before {};
    counting.sa_handler = [](int) { g_signalled = 1; };
    QVERIFY(::sigaction(SIGTERM, &counting, &before) == 0);
    for (const int fd : {file.handle(), pipeFds[1]}) {
        tovrik::cli::Output batches(fd, '\n', 16);
        g_signalled = 0;
        g_signalInWrite = 1;
        batches.piece(std::string(5000, 'd')); // across a page of the file
        QCOMPARE(g_signalled, 1);
        QCOMPARE(g_signalledInWrite, fd == pipeFds[1]);
    }
    ::sigaction(SIGTERM, &before, nullptr);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

void RecordsTest::longRecord() {
    // Longer than any chunk the reader takes at once.
    const QByteArray text = QByteArray("word ").repeated(200'000);
    const Run result = run(jsonRecords(RecordFormat::Lines), "short\n" + text + "\nend");
    QCOMPARE(result.status, 0);
    const QList<QByteArray> lines = result.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    const QJsonObject object = QJsonDocument::fromJson(lines[1]).object();
    QCOMPARE(object.value(u"parts"_s).toArray().size(), 6250); // 32 words a piece
    QVERIFY(lines[2].contains(R"("text":"end")"));
}

void RecordsTest::chunkEdges_data() {
    QTest::addColumn<RecordFormat>("format");
    QTest::addColumn<QByteArray>("filler"); // a byte in the record before
    QTest::addColumn<QByteArray>("head");   // the record up to the edge
    QTest::addColumn<QByteArray>("tail");   // and the rest
    QTest::addColumn<QString>("expected");  // its first part's text, or "!" + error

    const auto jsonl = [](const char *head) { return QByteArray(R"({"text":")") + head; };
    QTest::newRow("character across") << RecordFormat::Jsonl << QByteArray("x") << jsonl("ab\xC3")
                                      << QByteArray("\xA9\"}") << u"ab\u00E9"_s;
    QTest::newRow("escape across") << RecordFormat::Jsonl << QByteArray("x") << jsonl("ab\\")
                                   << QByteArray("u00e9\"}") << u"ab\u00E9"_s;
    QTest::newRow("fault before") << RecordFormat::Jsonl << QByteArray("x") << jsonl("ab\xFF")
                                  << QByteArray("\"}") << u"!invalid UTF-8 at byte 11"_s;
    QTest::newRow("fault after") << RecordFormat::Jsonl << QByteArray("x") << jsonl("ab")
                                 << QByteArray("\xFF\"}") << u"!invalid UTF-8 at byte 11"_s;
    QTest::newRow("fault in the record before")
        << RecordFormat::Jsonl << QByteArray("\xFF") << jsonl("ab\xC3") << QByteArray("\xA9\"}")
        << u"ab\u00E9"_s;
    QTest::newRow("cut off at the end of the input")
        << RecordFormat::Lines << QByteArray("x") << QByteArray("ab\xC3") << QByteArray()
        << u"!invalid UTF-8 at byte 2"_s;
    QTest::newRow("fault at the end byte, then more")
        << RecordFormat::Lines << QByteArray("x") << QByteArray("ab\xE2\x82")
        << QByteArray("\nmore") << u"!invalid UTF-8 at byte 2"_s;
}

void RecordsTest::chunkEdges() {
    QFETCH(RecordFormat, format);
    QFETCH(QByteArray, filler);
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, tail);
    QFETCH(QString, expected);
    // The reader's first read of a file: 256 KiB and an eighth (whole 4 KiB
    // pages). A record before the one tried ends the head right there.
    constexpr qsizetype Edge = 294'912;
    const qsizetype room = Edge - head.size() - 1; // the filler record and its end byte
    QByteArray input =
        format == RecordFormat::Jsonl
            ? R"({"text":")" + QByteArray(room - 11 - filler.size(), 'x') + filler + R"("})"
            : QByteArray(room - filler.size(), 'x') + filler;
    input += '\n' + head + tail;
    QCOMPARE(input.lastIndexOf(head), Edge - head.size());

    const Run result = run(jsonRecords(format), input);
    const QList<QByteArray> lines = result.output.chopped(1).split('\n');
    QVERIFY(lines.size() >= 2);
    const QJsonObject object = QJsonDocument::fromJson(lines[1]).object();
    if (expected.startsWith(u'!'))
        QCOMPARE(object.value(u"error"_s).toString(), expected.sliced(1));
    else
        QCOMPARE(object.value(u"parts"_s).toArray().at(0).toObject().value(u"text"_s).toString(),
                 expected);
    QCOMPARE(QJsonDocument::fromJson(lines[0]).object().contains(u"error"_s), filler != "x");
}

void RecordsTest::flushAnswersBeforeTheInputEnds() {
    int in[2];
    int out[2];
    QVERIFY(::pipe(in) == 0 && ::pipe(out) == 0);
    RecordOptions options = jsonRecords(RecordFormat::Jsonl);
    options.flush = true;
    int status = -1;
    std::thread worker([&] {
        status = tovrik::cli::RunRecords(options, in[0], out[1]);
        ::close(out[1]);
    });
    const QByteArray record = R"({"id":1,"text":"ping"})"
                              "\n";
    QCOMPARE(::write(in[1], record.constData(), size_t(record.size())), record.size());
    // The answer comes while the input is still open.
    pollfd ready{out[0], POLLIN, 0};
    const bool answered = ::poll(&ready, 1, 10'000) == 1;
    if (!answered) { // let the worker end before failing
        ::close(in[1]);
        worker.join();
    }
    QVERIFY(answered);
    char answer[256];
    const ssize_t got = ::read(out[0], answer, sizeof answer);
    QVERIFY(got > 0);
    QVERIFY(QByteArray(answer, got).contains(R"("text":"ping")"));
    ::close(in[1]);
    worker.join();
    QCOMPARE(status, 0);
    ::close(in[0]);
    ::close(out[0]);
}

void RecordsTest::singleMessage_data() {
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("null");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("text pieces") << false << QString() << false << 0
                                 << QByteArray("Hi there.\n Bye.\n");
    QTest::newRow("numbered, NUL ends") << false << u"%t (%k/%n)"_s << true << 0
                                        << QByteArray("Hi there. (1/2)\0 Bye. (2/2)\0", 28);
    QTest::newRow("JSON") << true << QString() << false << 0
                          << QByteArray(R"({"id":null,"encoding":"GSM-7","segments":1,"parts":[)"
                                        R"({"text":"Hi there.","encoding":"GSM-7","units":9},)"
                                        R"({"text":" Bye.","encoding":"GSM-7","units":5}]})"
                                        "\n");
    QTest::newRow("no room for the text") << true << u"%t 12345678901"_s << false << 1
                                          << QByteArray(R"({"id":null,"error":"the numbering )"
                                                        R"(leaves no room for the text"})"
                                                        "\n");
}

void RecordsTest::singleMessage() {
    QFETCH(bool, json);
    QFETCH(QString, number);
    QFETCH(bool, null);
    QFETCH(int, status);
    QFETCH(QByteArray, output);
    RecordOptions options;
    options.limit = 12;
    options.mode = tovrik::core::SplitMode::Period;
    options.json = json;
    options.null = null;
    if (!number.isNull())
        options.number = number.toStdString();
    const Run result = run(options, "Hi there. Bye.");
    QCOMPARE(result.output, output);
    QCOMPARE(result.status, status);
}

void RecordsTest::optionErrors_data() {
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("defaults") << QByteArrayList() << QString();
    QTest::newRow("limit with SMS") << QByteArrayList{"--sms=concat", "--limit", "9"}
                                    << u"tovrik-split: --limit cannot be given with --sms"_s;
    QTest::newRow("records without JSON")
        << QByteArrayList{"--records=lines"} << u"tovrik-split: --records needs --json"_s;
    QTest::newRow("NUL ends with JSON") << QByteArrayList{"--json", "--null"}
                                        << u"tovrik-split: --null cannot be given with --json"_s;
    QTest::newRow("number without text")
        << QByteArrayList{"--number=%k/%n"} << u"tovrik-split: --number: the format must hold %t"_s;
    QTest::newRow("number not UTF-8")
        << QByteArrayList{"--sms", "--json", "--number", "\xFF%t"}
        << u"tovrik-split: --number: the format is not UTF-8 at byte 0"_s;
}

void RecordsTest::optionErrors() {
    QFETCH(QByteArrayList, arguments);
    QFETCH(QString, error);
    std::vector<std::string> storage{"tovrik-split"};
    for (const QByteArray &argument : arguments)
        storage.push_back(argument.toStdString());
    std::vector<const char *> argv;
    for (const std::string &argument : storage)
        argv.push_back(argument.c_str());
    const tovrik::cli::CommandLine line =
        tovrik::cli::ParseCommandLine(int(argv.size()), argv.data());
    QCOMPARE(line.exitStatus, error.isEmpty() ? -1 : 2);
    QVERIFY2(QString::fromStdString(line.error).startsWith(error), line.error.c_str());
}

QTEST_GUILESS_MAIN(RecordsTest)
#include "tst_records.moc"
