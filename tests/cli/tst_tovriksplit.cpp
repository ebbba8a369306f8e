#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unicode/uvernum.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

Run runSplit(const QStringList &arguments, const QByteArray &input,
             const QStringList &environment = {}) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(variables);
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

// The message `times` over, written a copy at a time so the test stays small.
QString writeMessage(const QTemporaryDir &dir, const QByteArray &message, int times = 1) {
    QFile file(dir.filePath(u"message.txt"_s));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    for (int i = 0; i < times; ++i)
        file.write(message);
    return file.fileName();
}

} // namespace

class TovrikSplitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cuts_data();
    void cuts();
    void nationalTables_data();
    void nationalTables();
    void refuses_data();
    void refuses();
    void cutsUnder_data();
    void cutsUnder();
    void refusesNulInLargeFile();
    void faultAfterPiecesWentOut_data();
    void faultAfterPiecesWentOut();
    void staysSmall_data();
    void staysSmall();
    void answersBeforeTheInputEnds_data();
    void answersBeforeTheInputEnds();
    void refusesBeforeTheInputEnds_data();
    void refusesBeforeTheInputEnds();
    void readsFile();
    void missingFile();
    void longSentText();
    void faultsAreReported_data();
    void faultsAreReported();
    void helpAndVersion_data();
    void helpAndVersion();
    void waitsForNonBlockingDescriptors_data();
    void waitsForNonBlockingDescriptors();
    void stopsAtAFailedWrite();
    void fileShrinksWhileRead();
    void nulSearchedFromTheOffset();
    void outOfMemoryKeepsFinishedRecords();
    void outOfMemoryForAWholeMessage();
    void blockThatCannotBeHad();
    void icuThatCannotBeLoaded();
    void wholeMessagesStayNearTheirSize_data();
    void wholeMessagesStayNearTheirSize();
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
    QTest::newRow("a second byte-order mark is a character")
        << QStringList{u"--limit"_s, u"2"_s, u"--mode"_s, u"exact"_s}
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                      "abc")
        << QByteArray("\xEF\xBB\xBF"
                      "a\nbc\n");
    QTest::newRow("NUL is a character without --null")
        << QStringList{u"--limit"_s, u"2"_s, u"--mode"_s, u"exact"_s} << QByteArray("a\0bc", 4)
        << QByteArray("a\0\nbc\n", 6);
    QTest::newRow("empty input") << QStringList() << QByteArray() << QByteArray();
    QTest::newRow("SMS units, numbered")
        << QStringList{u"--sms"_s, u"--mode=exact"_s, u"--number"_s, u"%k/%n %t"_s}
        << QByteArray(75, 'a') + "\xC3\xA7" // small c cedilla: its piece alone is UCS-2
        << "1/2 " + QByteArray(75, 'a') + "\n2/2 \xC3\xA7\n";
    QTest::newRow("records from standard input")
        << QStringList{u"--json"_s, u"--records=lines"_s, u"--sms=concat"_s}
        << QByteArray("Hi\r\n\n")
        << QByteArray(R"({"id":null,"record":1,"encoding":"GSM-7",)"
                      R"("segments":1,"parts":[{"text":"Hi",)"
                      R"("encoding":"GSM-7","units":2}]})"
                      "\n"
                      R"({"id":null,"record":2,"encoding":"GSM-7",)"
                      R"("segments":0,"parts":[]})"
                      "\n");
    const QByteArray empty = R"({"id":null,"encoding":"GSM-7","segments":0,"parts":[]})"
                             "\n";
    QTest::newRow("an empty message as JSON") << QStringList{u"--json"_s} << QByteArray() << empty;
    QTest::newRow("an empty message in SMS units")
        << QStringList{u"--sms"_s, u"--json"_s} << QByteArray() << empty;
    QTest::newRow("a lone byte-order mark is an empty message")
        << QStringList{u"--sms=concat"_s, u"--json"_s} << QByteArray("\xEF\xBB\xBF") << empty;
    QTest::newRow("an empty message numbered")
        << QStringList{u"--number=%t"_s} << QByteArray() << QByteArray();
    QTest::newRow("an empty NUL record")
        << QStringList{u"--json"_s, u"--records=nul"_s} << QByteArray("\0abc", 4)
        << QByteArray(R"({"id":null,"record":1,"encoding":"GSM-7","segments":0,"parts":[]})"
                      "\n"
                      R"({"id":null,"record":2,"encoding":"GSM-7","segments":1,"parts":[)"
                      R"({"text":"abc","encoding":"GSM-7","units":3}]})"
                      "\n");
    QTest::newRow("U+0080 comes back as it came") << QStringList{u"--number=%t"_s}
                                                  << QByteArray("a\xC2\x80"
                                                                "b")
                                                  << QByteArray("a\xC2\x80"
                                                                "b\n");
    QTest::newRow("the top level says what the numbered parts cost")
        << QStringList{u"--sms=concat"_s, u"--json"_s, u"--number"_s, u"%k/%n \u2013 %t"_s}
        << QByteArray("hello")
        << QByteArray(R"({"id":null,"encoding":"UCS-2","segments":1,)"
                      "\"nonGsm7\":{\"characters\":[\"\xE2\x80\x93\"],\"more\":0},\"parts\":["
                      R"({"text":"1/1 )"
                      "\xE2\x80\x93"
                      R"( hello","encoding":"UCS-2","units":11}]})"
                      "\n");
    QTest::newRow("why UCS-2 when each character is in some table but no pair has them all")
        << QStringList{u"--sms=concat"_s, u"--json"_s, u"--language=te"_s}
        << QByteArray("\xE0\xB0\x85\xE0\xB1\xA6\xE2\x82\xAC")
        << QByteArray(R"({"id":null,"encoding":"UCS-2","segments":1,)"
                      "\"nonGsm7\":{\"characters\":[\"\xE0\xB1\xA6\"],\"more\":0},\"parts\":["
                      "{\"text\":\"\xE0\xB0\x85\xE0\xB1\xA6\xE2\x82\xAC\",\"encoding\":\"UCS-2\","
                      "\"units\":3}]}"
                      "\n");
    QTest::newRow("why UCS-2 when the nearest pair lacks an ASCII character")
        << QStringList{u"--sms=concat"_s, u"--json"_s, u"--language=tr,hi"_s}
        << QByteArray("\xC5\x9F/\xE0\xA4\x95\xE0\xA4\x95") // ş/कक
        << QByteArray(R"({"id":null,"encoding":"UCS-2","segments":1,)"
                      R"("nonGsm7":{"characters":["/"],"more":0},"parts":[)"
                      "{\"text\":\"\xC5\x9F/\xE0\xA4\x95\xE0\xA4\x95\",\"encoding\":\"UCS-2\","
                      "\"units\":4}]}"
                      "\n");
    QTest::newRow("characters listed as JSON escapes them")
        << QStringList{u"--sms=concat"_s, u"--json"_s}
        << QByteArray("a\tb\xC2\x85"
                      "c")
        << QByteArray(R"({"id":null,"encoding":"UCS-2","segments":1,)"
                      R"("nonGsm7":{"characters":["\t","\u0085"],"more":0},"parts":[)"
                      R"({"text":"a\tb\u0085c","encoding":"UCS-2","units":5}]})"
                      "\n");
    QTest::newRow("segments count the numbered parts")
        << QStringList{u"--sms=concat"_s, u"--mode=exact"_s, u"--number"_s, u"%k/%n \u2013 %t"_s}
        << QByteArray(150, 'a')
        << "1/3 \xE2\x80\x93 " + QByteArray(61, 'a') + "\n2/3 \xE2\x80\x93 " + QByteArray(61, 'a') +
               "\n3/3 \xE2\x80\x93 " + QByteArray(28, 'a') + "\n";
    QTest::newRow("blanks are no part of their own")
        << QStringList{u"--sms=concat"_s, u"--mode=period"_s}
        << QByteArray(100, 'a') + ". " + QByteArray(151, 'b') + ". "
        << QByteArray(100, 'a') + ".\n " + QByteArray(151, 'b') + ".\n";
    QTest::newRow("a first part of blanks alone is dropped")
        << QStringList{u"--sms=concat"_s, u"--mode=exact"_s} << QByteArray(200, ' ') + "x"
        << QByteArray(47, ' ') + "x\n";
    QTest::newRow("a message of blanks that fits one SMS is that SMS")
        << QStringList{u"--sms"_s} << QByteArray("   ") << QByteArray("   \n");
    QTest::newRow("blanks after the last sentence stay with it")
        << QStringList{u"--sms=concat"_s, u"--mode=period"_s}
        << QByteArray(100, 'a') + ". " + QByteArray(100, 'b') + ".  "
        << QByteArray(100, 'a') + ".\n " + QByteArray(100, 'b') + ".  \n";
    QTest::newRow("160 septets are one SMS in space mode")
        << QStringList{u"--sms"_s} << QByteArray(156, 'a') + " bcd"
        << QByteArray(156, 'a') + " bcd\n";
    QTest::newRow("70 units are one SMS in space mode")
        << QStringList{u"--sms"_s} << QByteArray("\xD0\xB6").repeated(66) + " bcd"
        << QByteArray("\xD0\xB6").repeated(66) + " bcd\n";
    // (Each é after the a straddles two blocks of sixteen bytes.)
    QTest::newRow("a GSM-7 SMS of its own in a UCS-2 message, its characters across blocks")
        << QStringList{u"--sms"_s, u"--mode=exact"_s}
        << "a" + QByteArray("\xC3\xA9").repeated(200) + "\xF0\x9F\x98\x80"
        << "a" + QByteArray("\xC3\xA9").repeated(159) + "\n" + QByteArray("\xC3\xA9").repeated(41) +
               "\xF0\x9F\x98\x80\n";
    QTest::newRow("look-alikes replaced")
        << QStringList{u"--sms"_s, u"--replace=always"_s}
        << QByteArray("It\xE2\x80\x99s \xE2\x80\x9Cgreat\xE2\x80\x9D")
        << QByteArray("It's \"great\"\n");
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

// --language: the pair of tables chosen, and what each part costs with it.
void TovrikSplitTest::nationalTables_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shift"); // "locking/single", "-" for a default table
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("units"); // of each part
    const QString a = u"a"_s;
    const auto concatIn = [](const QString &languages) {
        return QStringList{u"--sms=concat"_s, u"--language"_s, languages};
    };
    const QStringList concatTr = concatIn(u"tr"_s);
    const QStringList concatTrEs = concatIn(u"tr,es"_s);
    QTest::newRow("one table: 155 septets fit one SMS")
        << concatTr << u"ğ"_s + a.repeated(154) << u"tr/-"_s << u"GSM-7"_s << u"155"_s;
    QTest::newRow("one table: 156 take parts of 149")
        << concatTr << u"ğ"_s + a.repeated(155) << u"tr/-"_s << u"GSM-7"_s << u"149 7"_s;
    QTest::newRow("both tables: 152 septets fit one SMS")
        << concatTrEs << u"ğÚ"_s + a.repeated(149) << u"tr/es"_s << u"GSM-7"_s << u"152"_s;
    QTest::newRow("both tables: 153 take parts of 146")
        << concatTrEs << u"ğÚ"_s + a.repeated(150) << u"tr/es"_s << u"GSM-7"_s << u"146 7"_s;
    QTest::newRow("the default tables leave more room for one euro sign")
        << concatTr << u"€"_s << u"-/-"_s << u"GSM-7"_s << u"2"_s;
    QTest::newRow("five euro signs leave one SMS as much room with either: the default first")
        << concatTr << u"€"_s.repeated(5) + a.repeated(90) << u"-/-"_s << u"GSM-7"_s << u"100"_s;
    QTest::newRow("a character no table has: UCS-2")
        << concatTr << u"ğ😀"_s << u"-/-"_s << u"UCS-2"_s << u"3"_s;
    QTest::newRow("a character that starts its block of 256 (U+0600)")
        << concatIn(u"ur"_s) << u"\u0600"_s << u"-/ur"_s << u"GSM-7"_s << u"2"_s;
    QTest::newRow("each SMS of its own uses the pair too")
        << QStringList{u"--sms"_s, u"--language"_s, u"tr"_s} << u"ğ"_s + a.repeated(154)
        << u"tr/-"_s << u"GSM-7"_s << u"155"_s;
    QTest::newRow("SMS of their own are GSM-7 with the tables beside a UCS-2 one")
        << QStringList{u"--sms"_s, u"--language"_s, u"tr"_s}
        << u"Kampanya şimdi başladı, ağustos sonuna kadar geçerli. Hemen arayın, kaçırmayın! "
           u"Çok güzel fırsatlar sizi bekliyor, hepsi burada. Bir de şu var 😀 tamam mı?"_s
        << u"tr/-"_s << u"UCS-2"_s << u"142 12"_s;
    QTest::newRow("SMS of their own keep the default tables when none is GSM-7 with the pair")
        << QStringList{u"--sms"_s, u"--language"_s, u"tr"_s} << u"ş😀"_s << u"-/-"_s << u"UCS-2"_s
        << u"3"_s;
    QTest::newRow("look-alikes always replaced when the tables then send the text")
        << QStringList{u"--sms=concat"_s, u"--replace=always"_s, u"--language"_s, u"tr"_s}
        << u"Şimdi “üç”"_s << u"tr/-"_s << u"GSM-7"_s << u"10"_s;
    QTest::newRow("a pair cut later wins when the first takes more parts than promised")
        << QStringList{u"--sms=concat"_s, u"--mode=period"_s, u"--language"_s, u"tr,es,pt"_s}
        << u"Ú ããããã € geçerli. não Ú ããããã ç ÚÚÚÚÚÚÚ ü "_s + u"x"_s.repeated(40) + u" "_s +
               u"ğ"_s.repeated(20) + u" "_s + u"x"_s.repeated(40) + u" não"_s
        << u"tr/pt"_s << u"GSM-7"_s << u"24 146"_s;
    QTest::newRow("a pair that takes more parts than promised gives way to one with more room")
        << QStringList{u"--sms=concat"_s, u"--mode=period"_s, u"--language"_s, u"tr"_s}
        << u"€"_s.repeated(10) + a.repeated(88) + u"."_s + u"b"_s.repeated(98) + u"."_s +
               u"c"_s.repeated(98) + u"."_s
        << u"-/-"_s << u"GSM-7"_s << u"109 99 99"_s;
    QTest::newRow("of pairs with as many parts and as much room, the earlier stays")
        << concatIn(u"pt"_s)
        << u"{braces} bring fox jumps quick lazy dog. bring bring 5pm, fox fox a Ç tilde~ jumps "
           u"caret^ at Ç jumps the a über café jumps café tilde~ at at the bring tilde~ caret^ "
           u"dog. über over café back\\slash over brown back\\slash a at brown tilde~ jumps 20€ "
           u"[brackets] 5pm, über the pipe| me 20€ 20€ caret"_s
        << u"-/-"_s << u"GSM-7"_s << u"149 148 10"_s;
    QTest::newRow("of pairs cut into as many parts, the one with the most room stays")
        << QStringList{u"--sms=concat"_s, u"--mode=period"_s, u"--language"_s, u"tr,es,pt"_s}
        << u".xxxxxxxxxxxxxxxx[xxxxĞx]xxxxxxxşxxxx[xxxxxxŞxxxxxxxíxõxxşxİxxxxxxxx\\xxxxxxxxÁxxxõxğ"
           u"xxxxêşxxxĞxx\\x}áğİxxxxãxúxxÍxxxxxxxxxĞİxxİxxxxxxxóíx"_s
        << u"tr/pt"_s << u"GSM-7"_s << u"1 146 6"_s;
    QTest::newRow("the numbering's characters choose the tables too")
        << QStringList{u"--sms=concat"_s, u"--language"_s, u"tr"_s, u"--number"_s, u"ğ%k %t"_s}
        << u"Hi"_s << u"tr/-"_s << u"GSM-7"_s << u"5"_s;
    QTest::newRow("no cut inside a national escape pair")
        << QStringList{u"--sms=concat"_s, u"--mode=exact"_s, u"--language"_s, u"es"_s}
        << a.repeated(148) + u"Ú"_s + u"b"_s.repeated(10) << u"-/es"_s << u"GSM-7"_s << u"148 12"_s;
    QTest::newRow("Hindi with its locking table")
        << concatIn(u"hi"_s) << u"नमस्ते, आप कैसे हैं?"_s << u"hi/-"_s << u"GSM-7"_s << u"20"_s;
    QTest::newRow("capitals through the Hindi single shift table, two septets each")
        << QStringList{u"--sms=concat"_s, u"--mode=exact"_s, u"--language"_s, u"hi"_s}
        << u"नमस्ते "_s + u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s.repeated(6) << u"hi/hi"_s << u"GSM-7"_s
        << u"145 146 28"_s;
    QTest::newRow("Kannada DDA has no cell of its own: UCS-2")
        << concatIn(u"kn"_s) << u"ಡ"_s << u"-/-"_s << u"UCS-2"_s << u"1"_s;
    QTest::newRow("Kannada PA goes as its cell")
        << concatIn(u"kn"_s) << u"ಪ"_s << u"kn/-"_s << u"GSM-7"_s << u"1"_s;
    QTest::newRow("Punjabi udaat in the locking table")
        << concatIn(u"pa"_s) << u"ਸੑ ੴ"_s << u"pa/-"_s << u"GSM-7"_s << u"4"_s;
    QTest::newRow("Telugu's single shift table has no euro sign")
        << concatIn(u"te"_s) << u"అ౦€"_s << u"-/-"_s << u"UCS-2"_s << u"3"_s;
    QTest::newRow("Urdu with both tables")
        << concatIn(u"ur"_s) << u"سلام، دوست؟"_s << u"ur/ur"_s << u"GSM-7"_s << u"13"_s;
    QTest::newRow("without --language nothing changes")
        << QStringList{u"--sms=concat"_s} << u"ğ"_s << u"-/-"_s << u"UCS-2"_s << u"1"_s;
}

void TovrikSplitTest::nationalTables() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(QString, shift);
    QFETCH(QString, encoding);
    QFETCH(QString, units);
    const Run run = runSplit(arguments + QStringList{u"--json"_s}, message.toUtf8());
    QCOMPARE(run.exitCode, 0);
    const QJsonObject line = QJsonDocument::fromJson(run.out).object();
    const auto tables = [](const QJsonObject &object) {
        const QJsonObject tables = object.value(u"shift"_s).toObject();
        return tables.value(u"locking"_s).toString(u"-"_s) + u'/' +
               tables.value(u"single"_s).toString(u"-"_s);
    };
    QCOMPARE(tables(line), shift);
    QCOMPARE(line.value(u"encoding"_s).toString(), encoding);
    QStringList measured;
    for (const QJsonValue part : line.value(u"parts"_s).toArray()) {
        measured << QString::number(part[u"units"_s].toInt());
        QCOMPARE(tables(part.toObject()), part[u"encoding"_s] == u"GSM-7"_s ? shift : u"-/-"_s);
    }
    QCOMPARE(measured.join(u' '), units);
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
    QTest::newRow("language without SMS units")
        << QStringList{u"--language"_s, u"tr"_s} << Sample << 2
        << QByteArray("tovrik-split: --language needs --sms or --sms=concat\n");
    QTest::newRow("unknown language in a list")
        << QStringList{u"--sms"_s, u"--language=tr,xx"_s} << Sample << 2
        << QByteArray("tovrik-split: --language: unknown language 'xx'");
    QTest::newRow("language in capitals")
        << QStringList{u"--sms"_s, u"--language"_s, u"HI"_s} << Sample << 2
        << QByteArray("tovrik-split: --language: unknown language 'HI'");
    QTest::newRow("control characters shown escaped, not sent to the terminal")
        << QStringList{u"--mode"_s, u"a\x1B[2J\x7F"_s} << Sample << 2
        << QByteArray("tovrik-split: unknown mode 'a\\x1B[2J\\x7F'");
    QTest::newRow("control character in an unknown option")
        << QStringList{u"--\x1B]0;x\x07"_s} << Sample << 2
        << QByteArray("tovrik-split: unknown option '--\\x1B]0;x\\x07'");
    QTest::newRow("control character in the numbering")
        << QStringList{u"--number"_s, u"%\x1B[31m %t"_s} << Sample << 2
        << QByteArray("tovrik-split: --number: %\\x1B is not");
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
    QTest::newRow("NUL under --null") << QStringList{u"--null"_s} << QByteArray("ab\0c", 4) << 1
                                      << QByteArray("tovrik-split: the input holds a NUL byte; "
                                                    "--null output would be ambiguous\n");
    QTest::newRow("limit with --sms") << QStringList{u"--sms"_s, u"--limit=70"_s} << Sample << 2
                                      << QByteArray("tovrik-split: --limit cannot be given");
    QTest::newRow("records without --json") << QStringList{u"--records"_s, u"lines"_s} << Sample
                                            << 2 << QByteArray("tovrik-split: --records needs");
    QTest::newRow("numbering without %t") << QStringList{u"--number"_s, u"%k/%n"_s} << Sample << 2
                                          << QByteArray("tovrik-split: --number: ");
    QTest::newRow("invalid UTF-8 under --sms")
        << QStringList{u"--sms"_s} << QByteArray("Hello \xC0\x80 there") << 1
        << QByteArray("tovrik-split: invalid UTF-8 at byte 6\n");
    QTest::newRow("NUL under --null, numbered")
        << QStringList{u"--null"_s, u"--number=%k %t"_s} << QByteArray("ab\0c", 4) << 1
        << QByteArray("tovrik-split: the input holds a NUL byte; "
                      "--null output would be ambiguous\n");
    const QByteArray noRoom = "tovrik-split: the numbering leaves no room for the text\n";
    QTest::newRow("an emoji the numbering leaves no room for")
        << QStringList{u"--sms"_s, u"--number"_s, QString(69, QChar(0x0436)) + u"%t"_s}
        << QByteArray("\xF0\x9F\x98\x80") << 1 << noRoom;
    QTest::newRow("an escape the numbering leaves no room for")
        << QStringList{u"--sms"_s, u"--number"_s, QString(159, u'x') + u"%t"_s}
        << QByteArray("\xE2\x82\xAC") << 1 << noRoom;
    QTest::newRow("unknown replacement") << QStringList{u"--replace=sometimes"_s} << Sample << 2
                                         << QByteArray("tovrik-split: unknown replacement");
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

// Settings of the environment that must not change what comes out.
void TovrikSplitTest::cutsUnder_data() {
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QStringList exact3{u"--limit"_s, u"3"_s, u"--mode"_s, u"exact"_s};
    QTest::newRow("emoji across reads") << QStringList{u"TOVRIK_SPLIT_BLOCK=1"_s} << exact3
                                        << QByteArray("ab\xF0\x9F\x98\x80"
                                                      "cd")
                                        << 0
                                        << QByteArray("ab\n\xF0\x9F\x98\x80"
                                                      "c\nd\n")
                                        << QByteArray();
    QTest::newRow("CR LF across reads")
        << QStringList{u"TOVRIK_SPLIT_BLOCK=3"_s} << exact3 << QByteArray("ab\r\ncd") << 0
        << QByteArray("ab\r\n\ncd\n") << QByteArray();
    // Qt takes the locale's name from the environment even where the C
    // library has no such locale installed.
    const QStringList german{u"LC_ALL=de_DE.UTF-8"_s};
    const QByteArray notNumeric("Character limit must be numeric entry.\n");
    QTest::newRow("2.5 under German")
        << german << QStringList{u"--limit"_s, u"2.5"_s, u"--mode"_s, u"exact"_s}
        << QByteArray("abcde") << 0 << QByteArray("ab\ncd\ne\n") << QByteArray();
    QTest::newRow("1,000 under German") << german << QStringList{u"--limit"_s, u"1,000"_s} << Sample
                                        << 2 << QByteArray() << notNumeric;
    QTest::newRow("JSON of bad UTF-8")
        << QStringList() << QStringList{u"--sms"_s, u"--json"_s} << QByteArray("abc\xFF") << 1
        << QByteArray(R"({"id":null,"error":"invalid UTF-8 at byte 3"})"
                      "\n")
        << QByteArray("tovrik-split: invalid UTF-8 at byte 3\n");
    QTest::newRow("1,000 under C")
        << QStringList{u"LC_ALL=C.UTF-8"_s} << QStringList{u"--limit"_s, u"1,000"_s} << Sample << 2
        << QByteArray() << notNumeric;
}

void TovrikSplitTest::cutsUnder() {
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const Run run = runSplit(arguments, input, environment);
    QCOMPARE(run.err, err);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
}

// A file is searched for NUL before anything goes out, even when its
// pieces would fill the output buffer many times over.
void TovrikSplitTest::refusesNulInLargeFile() {
    QTemporaryDir dir;
    const QString path = writeMessage(dir, Sample.repeated(16 * 1024) + '\0');
    const Run run = runSplit({u"--null"_s, path}, QByteArray());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QByteArray("tovrik-split: the input holds a NUL byte; "
                                 "--null output would be ambiguous\n"));
    QCOMPARE(run.out, QByteArray());
}

// Bad UTF-8 deep in a long message is reported where it is; the pieces cut
// before it have gone out already, as the tool writes as it goes, and they
// are right. A message whose pieces fill less than a batch (256 KiB) gives
// no output at all.
void TovrikSplitTest::faultAfterPiecesWentOut_data() {
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<QStringList>("environment");
    QTest::newRow("pipe") << false << qsizetype(4 << 20) << QStringList();
    QTest::newRow("file") << true << qsizetype(4 << 20) << QStringList();
    QTest::newRow("pipe, less than a batch") << false << qsizetype(250 << 10) << QStringList();
    QTest::newRow("file, less than a batch") << true << qsizetype(250 << 10) << QStringList();
    // The pieces cut from the blocks read before the fault wait for a batch.
    QTest::newRow("file, less than a batch, in blocks of 16 KiB")
        << true << qsizetype(250 << 10) << QStringList{u"TOVRIK_SPLIT_BLOCK=16384"_s};
}

void TovrikSplitTest::faultAfterPiecesWentOut() {
    QFETCH(bool, fromFile);
    QFETCH(qsizetype, size);
    QFETCH(QStringList, environment);
    const QByteArray good = Sample.repeated(size / Sample.size() + 1).first(size);
    QTemporaryDir dir;
    const QByteArray bad = good + "\xFF and more";
    const Run run = fromFile ? runSplit({writeMessage(dir, bad)}, QByteArray(), environment)
                             : runSplit({}, bad, environment);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err,
             "tovrik-split: invalid UTF-8 at byte " + QByteArray::number(good.size()) + '\n');
    QCOMPARE(run.out.isEmpty(), size < (256 << 10));
    QVERIFY(runSplit({}, good).out.startsWith(run.out));
}

void TovrikSplitTest::staysSmall_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("mebibyte");
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<int>("pieces"); // -1: not counted here

    const QByteArray words = Sample.repeated((1 << 20) / Sample.size() + 1).first(1 << 20);
    const QByteArray cyrillic = QByteArray("слово ").repeated((1 << 20) / 11);
    QTest::newRow("words") << QStringList() << words << false << -1;
    QTest::newRow("words in a file") << QStringList() << words << true << -1;
    QTest::newRow("multi-byte words") << QStringList() << cyrillic << false << -1;
    QTest::newRow("one long word") << QStringList() << QByteArray(1 << 20, 'x') << false << 1;
    QTest::newRow("one long sentence")
        << QStringList{u"--mode"_s, u"period"_s} << cyrillic << false << 1;
}

// 64 MiB in, whatever their shape: the tool's peak memory stays far below.
// The peak is read from /proc while the tool runs: the one wait4 gives
// counts in the test's own peak from before the child became tovrik-split
// (bench/ has the real figure).
void TovrikSplitTest::staysSmall() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, mebibyte);
    QFETCH(bool, fromFile);
    QFETCH(int, pieces);
    QTemporaryDir dir;
    QList<QByteArray> words{TOVRIK_SPLIT_PATH};
    for (const QString &argument : arguments)
        words << argument.toUtf8();
    if (fromFile)
        words << QFile::encodeName(writeMessage(dir, mebibyte, 64));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int in[2], out[2];
    QVERIFY(::pipe2(in, O_CLOEXEC) == 0 && ::pipe2(out, O_CLOEXEC) == 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    pid_t pid = 0;
    QCOMPARE(::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    std::signal(SIGPIPE, SIG_IGN); // a child that dies early fails the test, not the feeder
    std::thread feeder([&] {
        for (int i = 0; i < (fromFile ? 0 : 64); ++i)
            for (qsizetype done = 0, wrote; done < mebibyte.size(); done += wrote)
                if ((wrote = ::write(in[1], mebibyte.constData() + done,
                                     std::size_t(mebibyte.size() - done))) < 0)
                    break;
        ::close(in[1]);
    });
    qint64 written = 0;
    qint64 lineFeeds = 0;
    long peakKiB = 0;
    QFile status(u"/proc/%1/status"_s.arg(pid));
    char chunk[1 << 16];
    for (ssize_t got; (got = ::read(out[0], chunk, sizeof chunk)) > 0; written += got) {
        lineFeeds += std::count(chunk, chunk + got, '\n');
        if (status.open(QIODevice::ReadOnly)) {
            const QByteArray text = status.readAll();
            status.close();
            if (const qsizetype at = text.indexOf("\nVmHWM:"); at >= 0)
                peakKiB = std::max(peakKiB, std::atol(text.constData() + at + 7));
        }
    }
    feeder.join();
    ::close(out[0]);
    int exit = 0;
    QCOMPARE(::waitpid(pid, &exit, 0), pid);
    QVERIFY(WIFEXITED(exit) && WEXITSTATUS(exit) == 0);
    if (pieces >= 0) {
        QCOMPARE(lineFeeds, pieces);
        QCOMPARE(written, 64 * mebibyte.size() + pieces);
    }
    // AddressSanitizer alone takes some 80 MiB; holding the 64 MiB input
    // would still show above that.
#ifdef __SANITIZE_ADDRESS__
    constexpr long BoundKiB = 128 * 1024;
#else
    constexpr long BoundKiB = 16 * 1024;
#endif
    QVERIFY(peakKiB > 0);
    QVERIFY2(peakKiB < BoundKiB, qPrintable(QString::number(peakKiB) + u" KiB"_s));
}

void TovrikSplitTest::answersBeforeTheInputEnds_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("pieces") << QStringList{u"--flush"_s, u"--limit=6"_s}
                            << QByteArray("Hello world") << QByteArray("Hello\n");
    QTest::newRow("records") << QStringList{u"--flush"_s, u"--json"_s, u"--records=jsonl"_s}
                             << QByteArray(R"({"id":"a","text":"Hi"})"
                                           "\n")
                             << QByteArray(R"({"id":"a","encoding":"GSM-7","segments":1,)"
                                           R"("parts":[{"text":"Hi","encoding":"GSM-7",)"
                                           R"("units":2}]})"
                                           "\n");
}

// With --flush the tool can sit in a pipe as a co-process: what is cut goes
// out while the input stays open.
void TovrikSplitTest::answersBeforeTheInputEnds() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, answer);
    QProcess process;
    process.start(QString::fromUtf8(TOVRIK_SPLIT_PATH), arguments);
    QVERIFY(process.waitForStarted());
    process.write(input);
    QByteArray out;
    while (out.size() < answer.size() && process.waitForReadyRead(10000))
        out += process.readAllStandardOutput();
    QCOMPARE(out, answer);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
}

void TovrikSplitTest::refusesBeforeTheInputEnds_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("error");
    const QByteArray nul("tovrik-split: the input holds a NUL byte");
    const QByteArray bad("tovrik-split: invalid UTF-8 at byte 2");
    QTest::newRow("NUL, pieces") << QStringList{u"--null"_s} << QByteArray("ab\0", 3) << nul;
    QTest::newRow("NUL, SMS") << QStringList{u"--null"_s, u"--sms"_s} << QByteArray("ab\0", 3)
                              << nul;
    QTest::newRow("NUL, numbered")
        << QStringList{u"--null"_s, u"--number=%k %t"_s} << QByteArray("ab\0", 3) << nul;
    QTest::newRow("bad UTF-8, JSON") << QStringList{u"--json"_s} << QByteArray("ab\xFF") << bad;
}

// A whole message with a fault is refused when the fault arrives, not when
// the input ends: an endless input with one (/dev/zero under --null) would
// otherwise be held until memory runs out.
void TovrikSplitTest::refusesBeforeTheInputEnds() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, error);
    QProcess process;
    process.start(QString::fromUtf8(TOVRIK_SPLIT_PATH), arguments);
    QVERIFY(process.waitForStarted());
    process.write(input);
    QVERIFY(process.waitForBytesWritten(10000));
    const bool refused = process.waitForFinished(10000);
    process.closeWriteChannel();
    QVERIFY(refused || process.waitForFinished(10000));
    QVERIFY(refused);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(process.readAllStandardError().startsWith(error), qPrintable(arguments.join(u' ')));
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

// Streamed and whole alike; a control character in the name is shown as
// \xHH, not sent to the terminal.
void TovrikSplitTest::missingFile() {
    QTemporaryDir dir;
    for (const QStringList &options : {QStringList(), QStringList{u"--json"_s}}) {
        const Run run =
            runSplit(options + QStringList{dir.filePath(u"absent\x1B[31m.txt"_s)}, QByteArray());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("absent\\x1B[31m.txt: No such file"), run.err.constData());
        QCOMPARE(run.out, QByteArray());
    }
}

// The text sent after look-alikes are replaced goes out in stretches of a
// batch; each ends where a character does.
void TovrikSplitTest::longSentText() {
    const QByteArray message = QByteArray("\xE2\x80\x9Cq\xE2\x80\x9D\xC3\xA9 ").repeated(300000);
    const Run run = runSplit({u"--sms=concat"_s, u"--replace=always"_s, u"--json"_s}, message);
    QCOMPARE(run.exitCode, 0);
    const QJsonObject line = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(line.value(u"sent"_s).toString(), u"\"q\"\u00E9 "_s.repeated(300000));
}

void TovrikSplitTest::faultsAreReported_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QByteArray>("error");
    const QString full = u"/dev/full"_s;
    const QString folder = QDir::tempPath();
    QTest::newRow("pieces to a full disk")
        << QStringList() << full << QByteArray("cannot write the output");
    QTest::newRow("JSON to a full disk")
        << QStringList{u"--sms"_s, u"--json"_s} << full << QByteArray("cannot write the output");
    QTest::newRow("records to a full disk") << QStringList{u"--json"_s, u"--records=lines"_s}
                                            << full << QByteArray("cannot write the output");
    QTest::newRow("help to a full disk")
        << QStringList{u"--help"_s} << full << QByteArray("cannot write the output");
    QTest::newRow("version to a full disk")
        << QStringList{u"--version"_s} << full << QByteArray("cannot write the output");
    const QByteArray inFolder = folder.toUtf8() + ": Is a directory";
    QTest::newRow("pieces from a folder") << QStringList{folder} << QString() << inFolder;
    QTest::newRow("a message from a folder")
        << QStringList{u"--number=%k %t"_s, folder} << QString() << inFolder;
    QTest::newRow("records from a folder")
        << QStringList{u"--json"_s, u"--records=jsonl"_s, folder} << QString() << inFolder;
}

// A failed read or write is reported, with exit status 1.
void TovrikSplitTest::faultsAreReported() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(QByteArray, error);
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(QString::fromUtf8(TOVRIK_SPLIT_PATH), arguments);
    QVERIFY(process.waitForStarted());
    process.write(Sample + '\n');
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(10000));
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(err.startsWith("tovrik-split: ") && err.contains(error), err.constData());
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

namespace {

// tovrik-split with its standard input and output on the given descriptors
// (-1: a pipe of which the test gets the other end in *in or *out).
pid_t spawn(const QStringList &arguments, int stdinFd, int *in, int *out,
            const QByteArray &environment = {}, bool nonBlocking = false) {
    QList<QByteArray> words{TOVRIK_SPLIT_PATH};
    for (const QString &argument : arguments)
        words << argument.toUtf8();
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (char **e = environ; *e; ++e)
        envp.push_back(*e);
    QByteArray extra = environment;
    if (!extra.isEmpty())
        envp.push_back(extra.data());
    envp.push_back(nullptr);
    int inPipe[2] = {-1, -1}, outPipe[2];
    if ((stdinFd < 0 && ::pipe2(inPipe, O_CLOEXEC) != 0) || ::pipe2(outPipe, O_CLOEXEC) != 0)
        return -1;
    if (nonBlocking) // the child's ends
        for (const int fd : {stdinFd >= 0 ? stdinFd : inPipe[0], outPipe[1]})
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdinFd >= 0 ? stdinFd : inPipe[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (stdinFd < 0) {
        ::close(inPipe[0]);
        *in = inPipe[1];
    }
    ::close(outPipe[1]);
    *out = outPipe[0];
    return pid;
}

QByteArray readToEnd(int fd) {
    QByteArray all;
    char chunk[1 << 16];
    for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;)
        all.append(chunk, got);
    ::close(fd);
    return all;
}

} // namespace

// Descriptors shared without blocking (as some parents hand them on) are
// waited for: the input comes late and the output is read late, and the
// pieces are those of a plain run.
void TovrikSplitTest::waitsForNonBlockingDescriptors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("streaming") << QStringList{u"--limit=20"_s};
    QTest::newRow("whole message") << QStringList{u"--sms"_s, u"--json"_s};
    QTest::newRow("records") << QStringList{u"--records=lines"_s, u"--json"_s};
}

void TovrikSplitTest::waitsForNonBlockingDescriptors() {
    QFETCH(QStringList, arguments);
    const QByteArray input = QByteArray("some words to cut\n").repeated(20000);
    int in = -1, out = -1;
    std::signal(SIGPIPE, SIG_IGN); // a child that fails early fails the test, not the feeder
    const pid_t pid = spawn(arguments, -1, &in, &out, {}, true);
    QVERIFY(pid > 0);
    std::thread feeder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (qsizetype done = 0, wrote = 0; done < input.size() && wrote >= 0; done += wrote)
            wrote = ::write(in, input.constData() + done, std::size_t(input.size() - done));
        ::close(in);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // the pipe fills
    const QByteArray got = readToEnd(out);
    feeder.join();
    int exit = 0;
    QCOMPARE(::waitpid(pid, &exit, 0), pid);
    QVERIFY(WIFEXITED(exit));
    QCOMPARE(WEXITSTATUS(exit), 0);
    QCOMPARE(got, runSplit(arguments, input).out);
}

// With SIGPIPE ignored, as under systemd, a write to a closed pipe fails: the
// records stop there instead of being cut for nobody.
void TovrikSplitTest::stopsAtAFailedWrite() {
    std::signal(SIGPIPE, SIG_IGN); // inherited by the child
    int in = -1, out = -1;
    const pid_t pid = spawn({u"--records=lines"_s, u"--json"_s}, -1, &in, &out);
    QVERIFY(pid > 0);
    bool feederStopped = false;
    std::thread feeder([&] {
        const QByteArray lines = QByteArray("some words\n").repeated(1 << 16);
        for (int i = 0; i < 4096 && !feederStopped; ++i) // 2.75 GiB at most
            feederStopped = ::write(in, lines.constData(), std::size_t(lines.size())) < 0;
        ::close(in);
    });
    char first[10];
    QCOMPARE(::read(out, first, sizeof first), ssize_t(sizeof first));
    ::close(out);
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    feeder.join();
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    QVERIFY2(feederStopped, "tovrik-split read on after its output had failed");
}

// A file cut down while it is read (a log being rotated) ends the input; it
// never kills the tool.
void TovrikSplitTest::fileShrinksWhileRead() {
    QTemporaryDir dir;
    const QString path = writeMessage(dir, Sample.repeated(1024), 256); // some 54 MiB
    int out = -1;
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const pid_t pid = spawn({}, file, nullptr, &out, QByteArrayLiteral("TOVRIK_SPLIT_BLOCK=4096"));
    QVERIFY(pid > 0);
    char first[4096];
    QVERIFY(::read(out, first, sizeof first) > 0);
    QVERIFY(::truncate(QFile::encodeName(path).constData(), 1 << 20) == 0);
    readToEnd(out);
    ::close(file);
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, qPrintable(QString::number(status)));
}

// Under --null nothing goes out before a NUL is found, also when the file is
// read from past its start.
void TovrikSplitTest::nulSearchedFromTheOffset() {
    QTemporaryDir dir;
    const QString path = writeMessage(dir, Sample.repeated(16 * 1024) + '\0');
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QCOMPARE(::lseek(file, 1, SEEK_SET), off_t(1));
    int out = -1;
    const pid_t pid = spawn({u"--null"_s}, file, nullptr, &out);
    QVERIFY(pid > 0);
    QCOMPARE(readToEnd(out), QByteArray());
    ::close(file);
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

namespace {

// tovrik-split with options (shell words) and a file, in about 400 MB of
// address space.
void startWithLittleMemory(QProcess &process, const QString &options, const QString &path) {
    process.setProgram(u"/bin/sh"_s);
    process.setArguments({u"-c"_s, u"ulimit -v 400000 && exec \"$0\" "_s + options + u" \"$1\""_s,
                          QString::fromUtf8(TOVRIK_SPLIT_PATH), path});
    process.start();
}

} // namespace

// A record too big for the memory there is: the records before it go out,
// and it is reported.
void TovrikSplitTest::outOfMemoryKeepsFinishedRecords() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer needs more address space than the limit leaves");
#endif
    std::signal(SIGPIPE, SIG_IGN);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"records"_s);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("one\ntwo\n");
        for (int i = 0; i < 512; ++i)
            file.write(QByteArray(1 << 20, 'x')); // one record of 512 MiB
    }
    QProcess process;
    startWithLittleMemory(process, u"--records=lines --json"_s, path);
    QVERIFY(process.waitForFinished(60000));
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().contains("out of memory at record 3"));
    QCOMPARE(lines.size(), 4); // and the empty rest after the last line feed
    QVERIFY(lines[0].contains(R"("text":"one")"));
    QVERIFY(lines[1].contains(R"("text":"two")"));
    QCOMPARE(lines[2], QByteArray(R"({"id":null,"record":3,"error":"out of memory"})"));
}

// A message whose cut allocates more than the memory there is: told, not
// a crash.
void TovrikSplitTest::outOfMemoryForAWholeMessage() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer needs more address space than the limit leaves");
#endif
    QTemporaryDir dir;
    const QString path = writeMessage(dir, QByteArray(1 << 20, 'x'), 64); // 64 Mi pieces
    QProcess process;
    startWithLittleMemory(process, u"--limit 1 --mode exact --json"_s, path);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardError(),
             QByteArray("tovrik-split: out of memory: the message is too long\n"));
}

void TovrikSplitTest::wholeMessagesStayNearTheirSize_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<bool>("oneWord");
    QTest::newRow("a message from a file") << QStringList{u"--sms"_s, u"--json"_s} << true << false;
    QTest::newRow("a message from a pipe")
        << QStringList{u"--sms"_s, u"--json"_s} << false << false;
    QTest::newRow("a record") << QStringList{u"--sms"_s, u"--json"_s, u"--records=lines"_s} << false
                              << false;
    // One piece as long as the message: its text goes out as it is written.
    QTest::newRow("a word kept whole") << QStringList{u"--json"_s} << true << true;
}

// A message of 64 MiB, cut whole: memory stays within twice its size.
void TovrikSplitTest::wholeMessagesStayNearTheirSize() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, fromFile);
    QFETCH(bool, oneWord);
    std::signal(SIGPIPE, SIG_IGN);
    const QByteArray mebibyte = oneWord
                                    ? QByteArray(1 << 20, 'x')
                                    : Sample.repeated((1 << 20) / Sample.size() + 1).first(1 << 20);
    QTemporaryDir dir;
    const QString path = writeMessage(dir, mebibyte, 64);
    const int file = fromFile ? ::open(QFile::encodeName(path).constData(), O_RDONLY) : -1;
    int in = -1, out = -1;
    const pid_t pid = spawn(arguments, file, &in, &out);
    QVERIFY(pid > 0);
    std::thread feeder([&] {
        for (int i = 0; i < (fromFile ? 0 : 64); ++i)
            for (qsizetype done = 0, wrote; done < mebibyte.size(); done += wrote)
                if ((wrote = ::write(in, mebibyte.constData() + done,
                                     std::size_t(mebibyte.size() - done))) < 0)
                    break;
        if (in >= 0)
            ::close(in);
    });
    // Counted, not kept: the test's own memory would count in the child's
    // peak (the child starts as a copy of this process).
    qint64 written = 0;
    char chunk[1 << 16];
    for (ssize_t got; (got = ::read(out, chunk, sizeof chunk)) > 0;)
        written += got;
    ::close(out);
    feeder.join();
    if (file >= 0)
        ::close(file);
    int status = 0;
    rusage usage{};
    QCOMPARE(::wait4(pid, &status, 0, &usage), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY(written > 64 << 20);
#ifdef __SANITIZE_ADDRESS__
    constexpr long BoundKiB = 2 * 64 * 1024 + 128 * 1024;
#else
    constexpr long BoundKiB = 2 * 64 * 1024;
#endif
    QVERIFY2(usage.ru_maxrss < BoundKiB, qPrintable(QString::number(usage.ru_maxrss) + u" KiB"_s));
}

// A broken installation: the plain cut, which needs no grapheme boundary,
// works without ICU; a cut that needs one says what is missing.
void TovrikSplitTest::icuThatCannotBeLoaded() {
    QTemporaryDir dir;
    QFile junk(dir.filePath(u"libicuuc.so." U_ICU_VERSION_SHORT ""_s));
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("junk") == 4);
    junk.close();
    const QStringList environment{u"LD_LIBRARY_PATH="_s + dir.path()};
    const QByteArray message =
        QString(u"न"_s).repeated(80).toUtf8() + "\xF0\x9F\x87\xAF\xF0\x9F\x87\xB5";
    const Run plain = runSplit({u"--limit"_s, u"70"_s}, message, environment);
    QCOMPARE(plain.exitCode, 0);
    QCOMPARE(plain.out, message + '\n');
    const Run sms = runSplit({u"--sms"_s, u"--mode"_s, u"exact"_s}, message, environment);
    QCOMPARE(sms.exitCode, 1);
    QVERIFY2(sms.err.startsWith("tovrik-split: cannot load libicuuc.so."), sms.err.constData());
    // Records cut before the first that needs it still go out.
    const Run records =
        runSplit({u"--records=lines"_s, u"--json"_s, u"--sms"_s}, "first\n" + message, environment);
    QCOMPARE(records.exitCode, 1);
    QVERIFY2(records.out.startsWith(R"({"id":null,"record":1,)"), records.out.constData());
}

void TovrikSplitTest::blockThatCannotBeHad() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer stops a program that asks for this much instead of failing the call");
#endif
    const Run run = runSplit({}, Sample, {u"TOVRIK_SPLIT_BLOCK=1000000000000000"_s});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith("tovrik-split: out of memory"), run.err.constData());
}

QTEST_GUILESS_MAIN(TovrikSplitTest)
#include "tst_tovriksplit.moc"
