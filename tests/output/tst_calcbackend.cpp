#include "output/calcbackend.h"
#include "shell/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtGui/private/qzipreader_p.h>

#include <optional>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tovrik;
using namespace tovrik::output;
using namespace tovrik::shell;

namespace {

// Records what would be started instead of starting it.
struct RecordingLauncher {
    QList<QStringList> calls; // program first, then the arguments
    bool succeeds = true;

    ProgramLauncher launcher() {
        return [this](const QString &program, const QStringList &arguments) {
            calls.append(QStringList{program} + arguments);
            return succeeds;
        };
    }
};

// Quoted fields may hold commas, doubled quotes and line breaks.
QList<QStringList> ParseCsv(const QString &text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u',') {
            record.append(std::exchange(field, QString()));
        } else if (ch == u'\n') {
            record.append(std::exchange(field, QString()));
            records.append(std::exchange(record, QStringList()));
        } else if (ch != u'\r') {
            field += ch;
        }
    }
    if (!field.isEmpty() || !record.isEmpty()) {
        record.append(field);
        records.append(record);
    }
    return records;
}

struct CellCase {
    const char *name;
    int row;
    int column;
    QString text;
};

// One workbook holds them all, so Calc converts only once.
QList<CellCase> RoundTripCells() {
    return {
        {"header", 1, 1, u"Results"_s},
        {"formula stays text", 2, 1, u"=1+1"_s},
        {"leading zeros stay text", 3, 1, u"007"_s},
        {"blanks at either end", 4, 1, u" padded  "_s},
        {"non-ASCII", 5, 1, u"Grüße – 日本 😀"_s},
        {"empty row in between", 6, 1, QString()},
        {"line break", 7, 1, u"two\nlines"_s},
        {"quotes and comma", 8, 1, u"say \"hi\", then go"_s},
        {"markup characters", 9, 1, u"<b>&amp; & </b>"_s},
        {"escape-like text", 10, 1, u"_x0041_"_s},
        {"number-like text", 11, 1, u"1.5E3"_s},
        {"boolean-like text", 12, 1, u"TRUE"_s},
        {"third column", 12, 3, u"far right"_s},
        {"tab and control character", 12, 2, u"a\tb\u0007c"_s},
        {"escaped underscore", 13, 1, u"_x005F_ and _x000d_"_s},
        {"NUL", 13, 2, u"ab\0cd"_s},
        {"U+FFFE and U+FFFF", 13, 3, u"nc \uFFFE \uFFFF end"_s},
        {"escape-like text of fewer digits", 11, 2, u"_x0a_ _xd_ _x1_ _x41_"_s},
    };
}

// How a folder in the temporary folder differs from an earlier export's.
enum class Twist { None, Recent, OtherName, OpenToOthers, HoldsMore, Link, OtherOwner };

bool BackDate(const QString &path) {
    const timespec times[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace
Q_DECLARE_METATYPE(Twist)

class TestCalcBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void findsProgram_data();
    void findsProgram();

    void showOpensFileAsNewDocument();
    void showStartsEachWorkbookOnce();
    void showFailsWhenCalcDoesNotStart();
    void showFailsWhenFileCannotBeMade_data();
    void showFailsWhenFileCannotBeMade();
    void showNamesWhyTheFileFailed();
    void earlierExportsAreRemoved_data();
    void earlierExportsAreRemoved();

    void cellLimits_data();
    void cellLimits();

    void autofit_data();
    void autofit();
    void clearingNeverGrowsTheSheet_data();
    void clearingNeverGrowsTheSheet();

    void roundTrip_data();
    void roundTrip();
    void roundTripAddsNothing();

private:
    void convertWithCalc();

    QTemporaryDir m_scratch;
    QString m_soffice;
    QString m_tempPath;
    std::optional<QList<QStringList>> m_converted;
    QString m_conversionError;
};

void TestCalcBackend::initTestCase() {
    QVERIFY(m_scratch.isValid());
    // Every file the backend writes lands in here and goes with it.
    m_tempPath = m_scratch.filePath(u"tmp"_s);
    QVERIFY(QDir().mkpath(m_tempPath));
    m_soffice = QStandardPaths::findExecutable(u"soffice"_s);
}

void TestCalcBackend::init() {
    qputenv("TMPDIR", QFile::encodeName(m_tempPath));
}

void TestCalcBackend::findsProgram_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("soffice only") << QStringList{u"soffice"_s} << u"soffice"_s;
    QTest::newRow("libreoffice only") << QStringList{u"libreoffice"_s} << u"libreoffice"_s;
    QTest::newRow("both: soffice first")
        << QStringList{u"libreoffice"_s, u"soffice"_s} << u"soffice"_s;
    QTest::newRow("neither") << QStringList{u"scalc"_s} << QString();
}

void TestCalcBackend::findsProgram() {
    QFETCH(QStringList, installed);
    QFETCH(QString, expected);

    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    for (const QString &name : installed) {
        QFile program(bin.filePath(name));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write("#!/bin/sh\n");
        program.close();
        QVERIFY(program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const QString found = FindCalcProgram();
    const bool created = CreateCalcApplication() != nullptr;
    qputenv("PATH", path);

    QCOMPARE(found, expected.isEmpty() ? QString() : bin.filePath(expected));
    QCOMPARE(created, !expected.isEmpty());
}

void TestCalcBackend::showOpensFileAsNewDocument() {
    RecordingLauncher recorder;
    CalcApplication calc(u"/opt/calc/soffice"_s, recorder.launcher());
    calc.addWorkbook().activeSheet().setCell(1, 1, u"Results"_s);

    calc.setVisible(false);
    QVERIFY(recorder.calls.isEmpty());

    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 1);
    const QStringList call = recorder.calls.first();
    QCOMPARE(call.size(), 4);
    QCOMPARE(call.mid(0, 3), (QStringList{u"/opt/calc/soffice"_s, u"--calc"_s, u"-n"_s}));
    const QFileInfo file(call[3]);
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(call[3]));
    QCOMPARE(file.suffix(), u"xlsx"_s);
    QVERIFY(file.absolutePath().startsWith(m_tempPath));
    QCOMPARE(
        QDir(file.absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{file.fileName()});
    // Nobody else may read the user's messages from the folder.
    QCOMPARE(QFileInfo(file.absolutePath()).permissions() &
                 (QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther),
             QFile::Permissions());
}

void TestCalcBackend::showStartsEachWorkbookOnce() {
    RecordingLauncher recorder;
    CalcApplication calc(u"soffice"_s, recorder.launcher());
    calc.addWorkbook().activeSheet().setCell(1, 1, u"first"_s);
    calc.addWorkbook().activeSheet().setCell(1, 1, u"second"_s);

    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 2);
    QVERIFY(recorder.calls[0].last() != recorder.calls[1].last());

    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 2);

    calc.addWorkbook();
    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 3);
    QVERIFY(QFileInfo::exists(recorder.calls[2].last()));
}

void TestCalcBackend::showFailsWhenCalcDoesNotStart() {
    RecordingLauncher recorder;
    recorder.succeeds = false;
    CalcApplication calc(u"/opt/calc/soffice"_s, recorder.launcher());
    calc.addWorkbook().activeSheet().setCell(1, 1, u"Results"_s);

    try {
        calc.setVisible(true);
        QFAIL("no Failure");
    } catch (const Failure &failure) {
        QVERIFY2(failure.description().contains(u"/opt/calc/soffice"_s),
                 qPrintable(failure.description()));
    }
    // Nothing will read the file: it must not be left behind.
    QCOMPARE(recorder.calls.size(), 1);
    QVERIFY(!QFileInfo::exists(recorder.calls[0].last()));

    // The workbook was not shown, so the next attempt tries again.
    recorder.succeeds = true;
    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 2);
}

void TestCalcBackend::showFailsWhenFileCannotBeMade_data() {
    QTest::addColumn<bool>("plainFile"); // else nothing is there
    QTest::newRow("a file in the folder's place") << true;
    QTest::newRow("a folder that does not exist") << false;
}

void TestCalcBackend::showFailsWhenFileCannotBeMade() {
    QFETCH(bool, plainFile);
    const QString notAFolder = m_scratch.filePath(u"not-a-folder"_s);
    if (plainFile) {
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    const QStringList inRoot = QDir(u"/"_s).entryList({u"Tovrik-*"_s}, QDir::AllEntries);

    RecordingLauncher recorder;
    CalcApplication calc(u"soffice"_s, recorder.launcher());
    calc.addWorkbook().activeSheet().setCell(1, 1, u"Results"_s);
    try {
        calc.setVisible(true);
        QFAIL("no Failure");
    } catch (const Failure &failure) {
        // The user learns which folder to mend.
        QVERIFY2(failure.description().contains(notAFolder), qPrintable(failure.description()));
    }
    QVERIFY(recorder.calls.isEmpty());
    QCOMPARE(QDir(u"/"_s).entryList({u"Tovrik-*"_s}, QDir::AllEntries), inRoot);
    QFile::remove(notAFolder);
}

// A disk that fills up while the workbook is written (here a file size
// limit) is named as the cause.
void TestCalcBackend::showNamesWhyTheFileFailed() {
    QTemporaryDir temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    RecordingLauncher recorder;
    CalcApplication calc(u"soffice"_s, recorder.launcher());
    calc.addWorkbook().activeSheet().setCell(1, 1, u"Results"_s);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 512;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    QString description;
    try {
        calc.setVisible(true);
    } catch (const Failure &failure) {
        description = failure.description();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY2(description.contains(QString::fromLocal8Bit(std::strerror(EFBIG))),
             qPrintable(description));
    QVERIFY(recorder.calls.isEmpty());
}

void TestCalcBackend::earlierExportsAreRemoved_data() {
    QTest::addColumn<Twist>("twist");
    QTest::addColumn<bool>("atExit"); // else at the next export
    QTest::addColumn<bool>("removed");
    QTest::newRow("earlier export") << Twist::None << false << true;
    QTest::newRow("earlier export, at exit") << Twist::None << true << true;
    QTest::newRow("recent: Calc may still read it") << Twist::Recent << false << false;
    QTest::newRow("recent, at exit") << Twist::Recent << true << false;
    QTest::newRow("another name") << Twist::OtherName << false << false;
    QTest::newRow("open to others") << Twist::OpenToOthers << false << false;
    QTest::newRow("holds more than the workbook") << Twist::HoldsMore << false << false;
    QTest::newRow("a link to a folder") << Twist::Link << false << false;
    QTest::newRow("another user's") << Twist::OtherOwner << true << false;
}

void TestCalcBackend::earlierExportsAreRemoved() {
    QFETCH(Twist, twist);
    QFETCH(bool, atExit);
    QFETCH(bool, removed);
    QTemporaryDir temp;
    QTemporaryDir elsewhere;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));

    // The folder as an export leaves it; a link points at such a folder.
    const QString name = twist == Twist::OtherName ? u"Tovrik-Ab12Cd.old"_s : u"Tovrik-Ab12Cd"_s;
    const QString entry = temp.filePath(name);
    const QString folder = twist == Twist::Link ? elsewhere.filePath(name) : entry;
    QVERIFY(QDir().mkpath(folder));
    QFile workbook(folder + u"/Tovrik.xlsx"_s);
    QVERIFY(workbook.open(QIODevice::WriteOnly));
    workbook.write("the user's messages");
    workbook.close();
    if (twist == Twist::HoldsMore) {
        QFile more(folder + u"/notes.txt"_s);
        QVERIFY(more.open(QIODevice::WriteOnly));
    }
    if (twist == Twist::Link)
        QVERIFY(QFile::link(folder, entry));
    const uid_t other = geteuid() == 0 ? 65534 : 0;
    if (twist == Twist::OtherOwner && chown(QFile::encodeName(folder).constData(), other, other))
        QSKIP("cannot give a folder to another user (not root)");
    QCOMPARE(
        chmod(QFile::encodeName(folder).constData(), twist == Twist::OpenToOthers ? 0755 : 0700),
        0);
    if (twist != Twist::Recent)
        QVERIFY(BackDate(folder));

    RecordingLauncher recorder;
    if (atExit) {
        RemoveOldSpreadsheetFiles();
    } else {
        CalcApplication calc(u"soffice"_s, recorder.launcher());
        calc.addWorkbook().activeSheet().setCell(1, 1, u"Results"_s);
        calc.setVisible(true);
        QCOMPARE(recorder.calls.size(), 1);
        QVERIFY(QFileInfo::exists(recorder.calls[0].last())); // Calc has yet to read it
    }
    QCOMPARE(QFileInfo::exists(entry), !removed);
    QCOMPARE(QFileInfo::exists(workbook.fileName()), !removed);
}

void TestCalcBackend::cellLimits_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("inside"); // put in the middle of the text

    QTest::newRow("row 0") << 0 << 1 << 1 << false << QString();
    QTest::newRow("column 0") << 1 << 0 << 1 << false << QString();
    QTest::newRow("negative row") << -1 << 1 << 1 << false << QString();
    QTest::newRow("past the last row") << MaxSheetRows + 1 << 1 << 1 << false << QString();
    QTest::newRow("past the last column") << 1 << MaxSheetColumns + 1 << 1 << false << QString();
    QTest::newRow("text too long") << 1 << 1 << MaxCellTextLength + 1 << false << QString();
    QTest::newRow("last row") << MaxSheetRows << 1 << 1 << true << QString();
    QTest::newRow("last column") << 1 << MaxSheetColumns << 1 << true << QString();
    QTest::newRow("longest text") << 1 << 1 << MaxCellTextLength << true << QString();
    // Stored as _x0000_ and _x005F_x0041_: six characters more each.
    QTest::newRow("longest text with a NUL") << 1 << 1 << MaxCellTextLength << false << u"\0"_s;
    QTest::newRow("a NUL with room for its escape")
        << 1 << 1 << MaxCellTextLength - 6 << true << u"\0"_s;
    QTest::newRow("longest text that reads like an escape")
        << 1 << 1 << MaxCellTextLength << false << u"_x0041_"_s;
}

void TestCalcBackend::cellLimits() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, length);
    QFETCH(bool, accepted);
    QFETCH(QString, inside);

    RecordingLauncher recorder;
    CalcApplication calc(u"soffice"_s, recorder.launcher());
    Worksheet &sheet = calc.addWorkbook().activeSheet();
    QString text(length - inside.size(), u'x');
    text.insert(text.size() / 2, inside);
    if (!accepted) {
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.setCell(row, column, text));
        return;
    }
    sheet.setCell(row, column, text);
    sheet.autofitColumns();
    // The written file must accept whatever the sheet accepted.
    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 1);
}

void TestCalcBackend::autofit_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("width");

    QTest::newRow("longest text wins") << QStringList{u"Results"_s, u"a"_s, u"abcdefghij"_s} << 10;
    QTest::newRow("longest line of several") << QStringList{u"abc\nabcdef\nab"_s} << 6;
    QTest::newRow("accents count one") << QStringList{u"Grüße"_s, u"e\u0301"_s} << 5;
    QTest::newRow("wide characters count two") << QStringList{u"日本語"_s} << 6;
    QTest::newRow("kana count two") << QStringList{u"かなカナ"_s} << 8;
    QTest::newRow("Hangul counts two") << QStringList{u"한국어"_s} << 6;
    QTest::newRow("emoji counts two") << QStringList{u"ok 😀"_s} << 5;
    QTest::newRow("Cyrillic and the euro sign count one") << QStringList{u"Привет €"_s} << 8;
    QTest::newRow("fullwidth counts two, the replacement character one")
        << QStringList{u"\uFF21\uFFFD"_s} << 3;
    QTest::newRow("clamped") << QStringList{QString(400, u'x')} << MaxColumnWidth;
    QTest::newRow("empty column keeps its width") << QStringList{QString(), QString()} << 0;
}

void TestCalcBackend::autofit() {
    QFETCH(QStringList, texts);
    QFETCH(int, width);

    for (const bool whole : {false, true}) {
        RecordingLauncher recorder;
        CalcApplication calc(u"soffice"_s, recorder.launcher());
        auto &book = static_cast<CalcWorkbook &>(calc.addWorkbook());
        Worksheet &sheet = book.activeSheet();
        for (int i = 0; i < texts.size(); ++i)
            sheet.setCell(i + 1, 2, texts[i]);
        sheet.setCell(1, 3, QString(20, u'y')); // a wider neighbour
        if (whole)
            sheet.autofitColumns();
        else
            sheet.autofitColumn(2);
        QCOMPARE(book.sheet().columnWidth(2), width);
        QCOMPARE(book.sheet().columnWidth(1), 0);
        if (!whole)
            continue;
        // The workbook holds the widths fitted, and none for a column without.
        calc.setVisible(true);
        QCOMPARE(recorder.calls.size(), 1);
        const QByteArray xml =
            QZipReader(recorder.calls[0].last()).fileData(u"xl/worksheets/sheet1.xml"_s);
        QVERIFY(xml.contains("<sheetData"));
        QVERIFY(!xml.contains(R"(<col min="1")"));
        const QRegularExpressionMatch fitted =
            QRegularExpression(uR"re(<col min="2" max="2" width="([0-9.]+)")re"_s)
                .match(QString::fromUtf8(xml));
        QCOMPARE(fitted.hasMatch(), width > 0);
        if (width > 0) // (the format adds the cell's padding to the width)
            QVERIFY2(fitted.captured(1).toDouble() >= width &&
                         fitted.captured(1).toDouble() < width + 1,
                     qPrintable(fitted.captured(1)));
        QVERIFY(xml.contains(R"(<col min="3" max="3")"));
    }
}

void TestCalcBackend::clearingNeverGrowsTheSheet_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("firstWidth"); // of column 1 after the fit
    QTest::newRow("one past the row's last cell") << 1 << 2 << 1;
    QTest::newRow("a row past the last") << 2 << 1 << 1;
    QTest::newRow("the one cell") << 1 << 1 << 0;
}

// Run under "make sanitize": a write past a row's end shows there.
void TestCalcBackend::clearingNeverGrowsTheSheet() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, firstWidth);
    CalcWorksheet sheet;
    sheet.setCell(1, 1, u"a"_s);
    sheet.setCell(row, column, QString());
    sheet.autofitColumns();
    QCOMPARE(sheet.columnWidth(1), firstWidth);
    QCOMPARE(sheet.columnWidth(2), 0);
}

void TestCalcBackend::roundTrip_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    for (const CellCase &cell : RoundTripCells())
        QTest::newRow(cell.name) << cell.row << cell.column << cell.text;
}

void TestCalcBackend::convertWithCalc() {
    m_converted.emplace();
    m_conversionError = u"the workbook was not written"_s;
    RecordingLauncher recorder;
    CalcApplication calc(m_soffice, recorder.launcher());
    Worksheet &sheet = calc.addWorkbook().activeSheet();
    for (const CellCase &cell : RoundTripCells())
        sheet.setCell(cell.row, cell.column, cell.text);
    sheet.autofitColumns();
    calc.setVisible(true);
    QCOMPARE(recorder.calls.size(), 1);
    const QString xlsx = recorder.calls[0].last();

    // A profile of its own lets this run headless beside a running Calc.
    const QString out = m_scratch.filePath(u"csv"_s);
    QProcess convert;
    convert.setProcessChannelMode(QProcess::MergedChannels);
    convert.start(m_soffice,
                  {u"-env:UserInstallation="_s +
                       QUrl::fromLocalFile(m_scratch.filePath(u"profile"_s)).toString(),
                   u"--headless"_s, u"--convert-to"_s,
                   u"csv:Text - txt - csv (StarCalc):44,34,76,1"_s, u"--outdir"_s, out, xlsx});
    const bool finished = convert.waitForFinished(120000);
    const QString log = QString::fromLocal8Bit(convert.readAll());
    QFile csv(QDir(out).filePath(QFileInfo(xlsx).completeBaseName() + u".csv"_s));
    if (!finished || convert.exitCode() != 0 || !csv.open(QIODevice::ReadOnly)) {
        m_conversionError = u"conversion failed: "_s + log;
        return;
    }
    m_conversionError.clear();
    *m_converted = ParseCsv(QString::fromUtf8(csv.readAll()));
}

void TestCalcBackend::roundTrip() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);

    if (m_soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    if (!m_converted)
        convertWithCalc();
    QVERIFY2(m_conversionError.isEmpty(), qPrintable(m_conversionError));

    const QList<QStringList> &records = *m_converted;
    QVERIFY2(row <= records.size(), "row missing");
    QVERIFY2(column <= records[row - 1].size(), "column missing");
    QCOMPARE(records[row - 1][column - 1], text);
}

void TestCalcBackend::roundTripAddsNothing() {
    if (m_soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    if (!m_converted)
        convertWithCalc();
    QVERIFY2(m_conversionError.isEmpty(), qPrintable(m_conversionError));

    // The used range is rows 1 to 13 and columns 1 to 3, and nothing else.
    const QList<QStringList> &records = *m_converted;
    QCOMPARE(records.size(), 13);
    for (const QStringList &record : records)
        QCOMPARE(record.size(), 3);
}

QTEST_GUILESS_MAIN(TestCalcBackend)
#include "tst_calcbackend.moc"
