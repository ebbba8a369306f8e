// The output commands over a results list: clipboard text, text files and
// the spreadsheet export, with a scripted desktop.
#include "commands/resultsmodel.h"
#include "commands/splitsettings.h"
#include "output/clipboard.h"
#include "output/excelexport.h"
#include "output/textfiles.h"
#include "settings/settingsstore.h"
#include "shell/pointershape.h"
#include "testdesktop.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
bool syncFails = false;
}

// Takes the C library's place in this program: a disk that fails the sync
// (EIO) after taking the data.
extern "C" int fdatasync(int fd) {
    if (syncFails) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fdatasync, fd));
}

using namespace Qt::StringLiterals;
using namespace tovrik;
using namespace tovrik::commands;
using namespace tovrik::output;
using namespace tovrik::settings;
using namespace tovrik::shell;
using tovrik::testing::TestDesktop;

namespace {

class NullSettings : public Settings {
public:
    QString ReadSetting(const QString &, const QVariant &d) const override { return d.toString(); }
    void WriteSetting(const QString &, const QString &) override {}
};

// rows: "text" or "text|sub1|sub2"; a leading "+" ticks the row.
void fill(ResultsModel &list, const QStringList &headers, const QStringList &rows) {
    for (const QString &h : headers)
        list.addColumn(h);
    for (QString row : rows) {
        const bool ticked = row.startsWith(u'+');
        if (ticked)
            row.remove(0, 1);
        QStringList cells = row.split(u'|');
        const QString text = cells.takeFirst();
        list.appendRow(text, cells);
        list.setChecked(list.count(), ticked);
    }
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const auto noPump = [] {};

// A file-size limit stands in for a full disk: writes past it fail with
// EFBIG instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    bool isSet() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};

} // namespace

class OutputCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void clipboardText_data();
    void clipboardText();
    void copyCommand();
    void copyEmptyListKeepsClipboard();
    void clipboardRetries_data();
    void clipboardRetries();
    void copyReadFailureIsReported();

    void oneFile_data();
    void oneFile();
    void oneFileDialogAndCancel();
    void oneFileReplacesAndKeepsOnFailure();
    void fullDiskKeepsEveryFile_data();
    void fullDiskKeepsEveryFile();
    void perFile_data();
    void perFile();
    void perFileUnwritableFolder();
    void perFilePrefixStaysInTheFolder_data();
    void perFilePrefixStaysInTheFolder();

    void exportRows();
    void exportLimits();
    void exportWithoutApplication();
    void exportFailingCall_data();
    void exportFailingCall();
};

void OutputCommandsTest::clipboardText_data() {
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two columns aligned")
        << QStringList{u"A"_s, u"B"_s} << QStringList{u"+ab|x"_s, u"+abcd|yy"_s}
        << u"ab  \tx\r\nabcd\tyy\r\n"_s;
    QTest::newRow("unticked rows give nothing, trailing blanks go")
        << QStringList{u"Results"_s} << QStringList{u"+Hello "_s, u"World"_s, u"+Again"_s}
        << u"Hello\r\nAgain\r\n"_s;
    QTest::newRow("no row ticked")
        << QStringList{u"Results"_s} << QStringList{u"one"_s, u"two"_s} << QString();
    QTest::newRow("blank-only row becomes an empty line")
        << QStringList{u"Results"_s} << QStringList{u"+   "_s, u"+x"_s} << u"\r\nx\r\n"_s;
    QTest::newRow("unticked long cell widens the column")
        << QStringList{u"A"_s, u"B"_s} << QStringList{u"+a|1"_s, u"abcdef|2"_s}
        << u"a     \t1\r\n"_s;
    QTest::newRow("last cell of blanks is dropped, tabs stay")
        << QStringList{u"A"_s, u"B"_s} << QStringList{u"+a|  "_s} << u"a\t\r\n"_s;
    QTest::newRow("line breaks inside a piece stay")
        << QStringList{u"Results"_s} << QStringList{u"+a\r\nb"_s} << u"a\r\nb\r\n"_s;
}

void OutputCommandsTest::clipboardText() {
    QFETCH(QStringList, headers);
    QFETCH(QStringList, rows);
    QFETCH(QString, expected);
    ResultsModel list;
    fill(list, headers, rows);
    QCOMPARE(ClipboardText(list, noPump), expected);
}

void OutputCommandsTest::copyCommand() {
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+one"_s, u"two"_s});
    TestDesktop desktop;
    PointerShape pointer;
    QList<int> pointerLog;
    pointer.onChanged([&](int v) { pointerLog.append(v); });
    PushButton6_Click({list, pointer, desktop, noPump});
    QCOMPARE(desktop.clipboard, u"one\r\n"_s);
    QCOMPARE(desktop.messageTexts(),
             QStringList{u"Results have been copied to the clipboard.\r\rClick a text area where "
                         u"you normally type and press Ctrl+V to paste the clipboard."_s});
    QCOMPARE(desktop.messages.first().title, u"Tovrik"_s);
    QCOMPARE(pointerLog, (QList<int>{11, 0}));
}

void OutputCommandsTest::copyEmptyListKeepsClipboard() {
    ResultsModel list;
    list.addColumn(u"Results"_s);
    TestDesktop desktop;
    PointerShape pointer;
    PushButton6_Click({list, pointer, desktop, noPump});
    QCOMPARE(desktop.clipboard, u"before"_s);
    QCOMPARE(desktop.clearAttempts, 0);
    QCOMPARE(desktop.messages.size(), 1); // the message is shown all the same
}

void OutputCommandsTest::clipboardRetries_data() {
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<bool>("placed");
    QTest::newRow("first attempt") << 0 << 1 << true;
    QTest::newRow("busy for a while") << 999 << 1000 << true;
    QTest::newRow("gives up after 1,000") << 5000 << 1000 << false;
}

void OutputCommandsTest::clipboardRetries() {
    QFETCH(int, failures);
    QFETCH(int, attempts);
    QFETCH(bool, placed);
    TestDesktop desktop;
    desktop.setFailures = failures;
    QCOMPARE(SetClipboardText(desktop, u"x"_s, 0), placed);
    QCOMPARE(desktop.setAttempts, attempts);

    desktop.clearFailures = failures;
    ClearClipboard(desktop);
    QCOMPARE(desktop.clearAttempts, attempts);
}

void OutputCommandsTest::copyReadFailureIsReported() {
    // A list whose header names more columns than the rows can serve is fine;
    // a row that vanishes while reading is a failure of line 110.
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+one"_s});
    TestDesktop desktop;
    PointerShape pointer;
    bool cleared = false;
    PushButton6_Click({list, pointer, desktop, [&] {
                           if (!cleared && list.count() == 1) {
                               cleared = true;
                               list.clear();
                           }
                       }});
    QCOMPARE(desktop.messages.size(), 2);
    QVERIFY(desktop.messages.at(0).text.contains(u"PushButton6_Click at line 110"_s));
    QCOMPARE(desktop.messages.at(0).title, u"Application Error"_s);
    QCOMPARE(desktop.clipboard, u"before"_s);
    QCOMPARE(pointer.value(), 0);
}

void OutputCommandsTest::oneFile_data() {
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty list: header line only")
        << QStringList{u"Results"_s} << QStringList{} << QByteArray("Results\t\r\n");
    QTest::newRow("first and third ticked")
        << QStringList{u"Results"_s} << QStringList{u"+one"_s, u"two"_s, u"+three"_s}
        << QByteArray("Results\t\r\none\t\r\n\r\nthree\t\r\n");
    QTest::newRow("two columns, non-ASCII in UTF-8")
        << QStringList{u"A"_s, u"B"_s} << QStringList{u"+Grüße|x"_s}
        << QByteArray("A\tB\t\r\nGr\xc3\xbc\xc3\x9f\x65\tx\t\r\n");
    QTest::newRow("line break in a piece is kept")
        << QStringList{u"Results"_s} << QStringList{u"+a\nb"_s}
        << QByteArray("Results\t\r\na\nb\t\r\n");
}

void OutputCommandsTest::oneFile() {
    QFETCH(QStringList, headers);
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    ResultsModel list;
    fill(list, headers, rows);
    NullSettings store;
    SplitSettings settings(store);
    settings.setOption(8, true);
    TestDesktop desktop;
    const QString name = dir.filePath(u"notes"_s); // no suffix is added
    desktop.saveAnswers = {name};
    PointerShape pointer;
    QString dialogName;
    PushButton1_Click({{list, pointer, desktop, noPump},
                       settings,
                       [] { return QString(); },
                       [] { return QString(); },
                       dialogName});
    QCOMPARE(readFile(name), expected);
    QVERIFY(desktop.messages.isEmpty());
    QCOMPARE(pointer.value(), 0);
}

void OutputCommandsTest::oneFileDialogAndCancel() {
    QTemporaryDir dir;
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+one"_s});
    NullSettings store;
    SplitSettings settings(store);
    settings.setOption(8, true);
    TestDesktop desktop;
    const QString first = dir.filePath(u"first.txt"_s);
    desktop.saveAnswers = {first, QString()};
    PointerShape pointer;
    QString dialogName;
    const SaveCommand command{{list, pointer, desktop, noPump},
                              settings,
                              [] { return QString(); },
                              [] { return QString(); },
                              dialogName};
    PushButton1_Click(command);
    QCOMPARE(desktop.saveTitle, u"Save List"_s);
    QCOMPARE(desktop.saveFilters, (QStringList{u"Text Files (*.txt)"_s, u"All Files (*)"_s}));
    QFile::remove(first);

    // The dialog opens with the earlier name; Cancel writes nothing.
    PushButton1_Click(command);
    QCOMPARE(desktop.saveInitialNames, (QStringList{QString(), first}));
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(desktop.messages.isEmpty());
}

void OutputCommandsTest::oneFileReplacesAndKeepsOnFailure() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old content that is longer than the new one");
    }
    WriteTextFile(u"new"_s, path);
    QCOMPARE(readFile(path), QByteArray("new"));

    // A pipe (or a device) of that name is refused and stays what it is.
    const QString pipe = dir.filePath(u"pipe.txt"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY_THROWS_EXCEPTION(Failure, WriteTextFile(u"new"_s, pipe));
    QVERIFY(!QFileInfo(pipe).isFile());
    QVERIFY(QFile::remove(pipe));

    // The disk takes no more than a few bytes (a file-size limit stands in
    // for a full disk): the write fails and the old file stays whole.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 8;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        WriteTextFile(QString(100000, u'x'), path);
    } catch (const Failure &failure) {
        failed = failure.description().contains(path);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(failed);
    QCOMPARE(readFile(path), QByteArray("new"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"out.txt"_s});
}

void OutputCommandsTest::fullDiskKeepsEveryFile_data() {
    QTest::addColumn<bool>("diskFull"); // else the sync fails
    QTest::addColumn<int>("option");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("line");
    const QStringList one{u"list.txt"_s};
    const QStringList each{u"Split_1.txt"_s, u"Split_2.txt"_s, u"Split_3.txt"_s};
    QTest::newRow("full disk, one file") << true << 8 << one << 122;
    QTest::newRow("full disk, per file") << true << 9 << each << 130;
    QTest::newRow("failing sync, one file") << false << 8 << one << 122;
    QTest::newRow("failing sync, per file") << false << 9 << each << 130;
}

void OutputCommandsTest::fullDiskKeepsEveryFile() {
    QFETCH(bool, diskFull);
    QFETCH(int, option);
    QFETCH(QStringList, files);
    QFETCH(int, line);
    QTemporaryDir dir;
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("OLD " + name.toUtf8());
    }
    // Pieces small enough to sit in a write buffer until the file is closed.
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+piece one"_s, u"+piece two"_s, u"+piece three"_s});
    NullSettings store;
    SplitSettings settings(store);
    settings.setOption(option, true);
    TestDesktop desktop;
    desktop.saveAnswers = {dir.filePath(files.first())};
    PointerShape pointer;
    QString dialogName;
    {
        std::optional<FileSizeLimit> full;
        if (diskFull)
            QVERIFY(full.emplace(4).isSet());
        syncFails = !diskFull;
        PushButton1_Click({{list, pointer, desktop, noPump},
                           settings,
                           [&] { return dir.path() + u'/'; },
                           [] { return u"Split_"_s; },
                           dialogName});
        syncFails = false;
    }
    for (const QString &name : files)
        QCOMPARE(readFile(dir.filePath(name)), "OLD " + name.toUtf8());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             files);
    // The first file that was not written is reported, by name and cause,
    // and the save ends there.
    QCOMPARE(desktop.messages.size(), 1);
    const QString &report = desktop.messages.first().text;
    QCOMPARE(desktop.messages.first().title, u"Application Error"_s);
    QVERIFY2(report.contains(u"PushButton1_Click at line %1"_s.arg(line)), qPrintable(report));
    QVERIFY(report.contains(files.first()));
    QVERIFY2(report.contains(QString::fromLocal8Bit(std::strerror(diskFull ? EFBIG : EIO))),
             qPrintable(report));
    QCOMPARE(pointer.value(), 0);
}

void OutputCommandsTest::perFile_data() {
    QTest::addColumn<QString>("folderSuffix");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("expectedFiles");
    QTest::newRow("folder with separator")
        << u"/out/"_s << u"Split_"_s
        << QStringList{u"out/Split_1.txt"_s, u"out/Split_2.txt"_s, u"out/Split_3.txt"_s};
    QTest::newRow("empty prefix") << u"/out/"_s << QString()
                                  << QStringList{u"out/1.txt"_s, u"out/2.txt"_s, u"out/3.txt"_s};
    QTest::newRow("folder typed without its separator still holds the files")
        << u"/out"_s << u"Split_"_s
        << QStringList{u"out/Split_1.txt"_s, u"out/Split_2.txt"_s, u"out/Split_3.txt"_s};
    // Dots make hidden files, but inside the folder.
    QTest::newRow("dot prefix") << u"/out/"_s << u"."_s
                                << QStringList{u"out/.1.txt"_s, u"out/.2.txt"_s, u"out/.3.txt"_s};
    QTest::newRow("dot dot prefix")
        << u"/out/"_s << u".."_s
        << QStringList{u"out/..1.txt"_s, u"out/..2.txt"_s, u"out/..3.txt"_s};
}

void OutputCommandsTest::perFile() {
    QFETCH(QString, folderSuffix);
    QFETCH(QString, prefix);
    QFETCH(QStringList, expectedFiles);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"out"_s));
    // An existing file of a row's name is replaced.
    const QString existing = dir.path() + u'/' + expectedFiles.at(2);
    {
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("older and longer content");
    }
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+one "_s, u"two\r\n"_s, u"three"_s});
    NullSettings store;
    SplitSettings settings(store);
    settings.setOption(9, true);
    TestDesktop desktop;
    PointerShape pointer;
    QString dialogName;
    const QString folder = dir.path() + folderSuffix;
    PushButton1_Click({{list, pointer, desktop, noPump},
                       settings,
                       [&] { return folder; },
                       [&] { return prefix; },
                       dialogName});
    const QList<QByteArray> contents = {"one ", "two\r\n", "three"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(readFile(dir.path() + u'/' + expectedFiles.at(i)), contents.at(i));
    QCOMPARE(desktop.messageTexts(), QStringList{u"Done Saved."_s});
    QVERIFY(desktop.saveInitialNames.isEmpty()); // no dialog
}

void OutputCommandsTest::perFileUnwritableFolder() {
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"one"_s, u"two"_s});
    NullSettings store;
    SplitSettings settings(store);
    settings.setOption(9, true);
    TestDesktop desktop;
    PointerShape pointer;
    QString dialogName;
    PushButton1_Click({{list, pointer, desktop, noPump},
                       settings,
                       [] { return u"/nonexistent-folder/"_s; },
                       [] { return u"Split_"_s; },
                       dialogName});
    // One report, for the first file; no "Done Saved." after it.
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages.first().title, u"Application Error"_s);
    QVERIFY(desktop.messages.first().text.contains(u"PushButton1_Click at line 130"_s));
    // The folder's own separator joins it to the name: no doubled one.
    QVERIFY2(
        desktop.messages.first().text.contains(u"Cannot write /nonexistent-folder/Split_1.txt"_s),
        qPrintable(desktop.messages.first().text));
}

void OutputCommandsTest::perFilePrefixStaysInTheFolder_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("refusal");
    const QString slash = u"The prefix cannot contain /."_s;
    QTest::newRow("parent folder") << u"../x_"_s << slash;
    QTest::newRow("sub-folder") << u"a/b_"_s << slash;
    QTest::newRow("NUL") << u"x\0y"_s << u"The prefix cannot contain a NUL character."_s;
}

void OutputCommandsTest::perFilePrefixStaysInTheFolder() {
    QFETCH(QString, prefix);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(u"out/a"_s));
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+one"_s, u"two"_s});
    NullSettings store;
    SplitSettings settings(store);
    settings.setOption(9, true);
    TestDesktop desktop;
    PointerShape pointer;
    QString dialogName;
    PushButton1_Click({{list, pointer, desktop, noPump},
                       settings,
                       [&] { return dir.filePath(u"out/"_s); },
                       [&] { return prefix; },
                       dialogName});
    QCOMPARE(desktop.messageTexts(), QStringList{refusal});
    QCOMPARE(desktop.messages.first().title, u"Tovrik"_s);
    QCOMPARE(desktop.messages.first().icon, MessageIcon::None);
    QDirIterator written(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QVERIFY2(!written.hasNext(), qPrintable(written.next()));
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.text(1).toString(), u"one"_s);
    QVERIFY(list.checked(1));
}

void OutputCommandsTest::exportRows() {
    ResultsModel list;
    fill(list, {u"Results"_s, u"Note"_s}, {u"+=first|a=b=c"_s, u"second|x"_s, u"+third|=="_s});
    TestDesktop desktop;
    PointerShape pointer;
    QList<int> pointerLog;
    pointer.onChanged([&](int v) { pointerLog.append(v); });
    PushButton3_Click({list, pointer, desktop, noPump});
    const QStringList expected = {
        u"create"_s, // the probe
        u"create"_s,
        u"Workbooks.add"_s,
        u"Cells(1,1)=Results"_s,
        u"Columns(1).Autofit"_s,
        u"Cells(1,2)=Note"_s,
        u"Columns(2).Autofit"_s,
        u"Cells(2,1)==first"_s, // column 1 keeps its "="
        u"Cells(2,2)=abc"_s,
        u"Cells(4,1)=third"_s, // unticked row 2 leaves sheet row 3 empty
        u"Cells(4,2)="_s,
        u"Columns.Autofit"_s,
        u"Visible=True"_s,
    };
    QCOMPARE(desktop.spreadsheetLog, expected);
    QVERIFY(desktop.messages.isEmpty());
    QCOMPARE(pointerLog, (QList<int>{11, 0}));
}

void OutputCommandsTest::exportLimits() {
    for (const int rows : {0, MaxSpreadsheetRows, MaxSpreadsheetRows + 1}) {
        ResultsModel list;
        list.addColumn(u"Results"_s);
        const QString text(rows, u'x');
        {
            ResultsModel::Batch batch(list, text);
            for (int i = 0; i < rows; ++i)
                batch.append(QStringView(text).sliced(i, 1));
        }
        if (rows > 0)
            list.setChecked(1, true);
        TestDesktop desktop;
        PointerShape pointer;
        PushButton3_Click({list, pointer, desktop, noPump});
        if (rows == 0) {
            QCOMPARE(desktop.spreadsheetLog, QStringList{u"create"_s}); // the probe only
            QVERIFY(desktop.messages.isEmpty());
        } else if (rows == MaxSpreadsheetRows) {
            QCOMPARE(desktop.spreadsheetLog.last(), u"Visible=True"_s);
            QVERIFY(desktop.spreadsheetLog.contains(u"Cells(2,1)=x"_s));
            QVERIFY(desktop.messages.isEmpty());
        } else {
            QCOMPARE(desktop.messageTexts(), QStringList{u"Excel can hold only 65,000 rows."_s});
            QCOMPARE(desktop.spreadsheetLog, QStringList{u"create"_s});
            QCOMPARE(pointer.value(), 0);
        }
    }
}

void OutputCommandsTest::exportWithoutApplication() {
    ResultsModel list;
    fill(list, {u"Results"_s}, {u"+one"_s});
    TestDesktop desktop;
    desktop.spreadsheetInstalled = false;
    PointerShape pointer;
    PushButton3_Click({list, pointer, desktop, noPump});
    QCOMPARE(desktop.messageTexts(),
             (QStringList{u"Excel is not installed on this computer. You need to have it "
                          u"installed to use this software without error."_s,
                          u"Excel is not installed on this computer. You need to have it "
                          u"installed to use this feature."_s}));
    QCOMPARE(desktop.messages.first().title, u"Tovrik"_s);
}

void OutputCommandsTest::exportFailingCall_data() {
    QTest::addColumn<QString>("failOn");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("later"); // a call that still follows
    QTest::newRow("data cell") << u"Cells(2,1)"_s << 154 << u"Cells(3,1)=two"_s;
    QTest::newRow("first header") << u"Cells(1,1)"_s << 126 << u"Cells(1,2)=Note"_s;
    QTest::newRow("second header") << u"Cells(1,2)"_s << 130 << u"Cells(2,1)=one"_s;
}

void OutputCommandsTest::exportFailingCall() {
    QFETCH(QString, failOn);
    QFETCH(int, line);
    QFETCH(QString, later);
    ResultsModel list;
    fill(list, {u"Results"_s, u"Note"_s}, {u"+one|a"_s, u"+two|b"_s});
    TestDesktop desktop;
    desktop.spreadsheetFailOn = failOn;
    PointerShape pointer;
    PushButton3_Click({list, pointer, desktop, noPump});
    QCOMPARE(desktop.messages.size(), 1);
    QVERIFY2(desktop.messages.first().text.contains(u"PushButton3_Click at line %1"_s.arg(line)),
             qPrintable(desktop.messages.first().text));
    // The following steps ran, to the fit and showing; the pointer is back.
    QVERIFY(desktop.spreadsheetLog.contains(later));
    QCOMPARE(desktop.spreadsheetLog.last(), u"Visible=True"_s);
    QCOMPARE(pointer.value(), 0);
}

QTEST_GUILESS_MAIN(OutputCommandsTest)
#include "tst_outputcommands.moc"
