#include "commands/resultsmodel.h"
#include "commands/splitsettings.h"
#include "commands/startsplitting.h"
#include "fakesettings.h"
#include "shell/applicationtitle.h"
#include "shell/errorreport.h"
#include "shell/failure.h"
#include "shell/pointershape.h"
#include "testdesktop.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using tovrik::shell::PointerShape;
using tovrik::testing::FakeSettings;
using tovrik::testing::TestDesktop;

namespace {

const QString NoFolder = u"Folder does not exist. Please select another folder."_s;
const QString NotNumeric = u"Character limit must be numeric entry."_s;
const QString OutOfRange = u"Character limit must be between 1 and 32767."_s;
const QString NoLimit = u"Please choose a character limit."_s;

const QString Sample =
    u"The individual has always had to struggle to keep from being overwhelmed by the tribe. "
    "If you try it, you will be lonely often, and sometimes frightened. But no price is too "
    "high to pay for the privilege of owning yourself."_s;

// One window's worth of state around the command.
struct Form {
    FakeSettings store;
    tovrik::commands::SplitSettings settings{store};
    tovrik::commands::ResultsModel results;
    PointerShape pointer;
    TestDesktop desktop;
    QTemporaryDir folder;
    QString outputFolder = folder.path();
    QString message = Sample;

    Form() { results.addColumn(u"Message"_s); }

    void press() {
        tovrik::commands::PushButton2_Click({settings, results, pointer, desktop,
                                             [this] { return outputFolder; },
                                             [this] { return message; }});
    }
    QStringList rows() const {
        QStringList result;
        for (int i = 1; i <= results.count(); ++i)
            result.append(results.text(i).toString());
        return result;
    }
};

} // namespace

class StartSplittingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingFolder_data();
    void missingFolder();
    void refusedLimit_data();
    void refusedLimit();
    void noModeCutsNothing();
    void modes_data();
    void modes();
    void pressingTwiceGivesSameUncheckedRows();
    void emptyMessageGivesNoRows();
    void failingFolderReadIsReported();
    void failingMessageReadIsReported();
};

void StartSplittingTest::missingFolder_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("missing") << 0;
    QTest::newRow("a file") << 1;
    QTest::newRow("empty") << 2;
}

void StartSplittingTest::missingFolder() {
    QFETCH(int, kind);
    Form form;
    const QString file = form.folder.filePath(u"plain.txt"_s);
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    form.outputFolder = kind == 0   ? form.folder.filePath(u"nowhere"_s)
                        : kind == 1 ? file
                                    : QString();
    form.settings.setOption(1, true);
    form.settings.setOption(5, true);
    form.results.appendRow(u"earlier row"_s);
    form.pointer.set(PointerShape::Hand);

    form.press();
    QCOMPARE(form.desktop.messageTexts(), QStringList{NoFolder});
    QCOMPARE(form.desktop.messages[0].title, tovrik::shell::ApplicationTitle());
    QCOMPARE(form.desktop.messages[0].title, u"Tovrik"_s);
    QCOMPARE(form.desktop.messages[0].icon, tovrik::shell::MessageIcon::None);
    QCOMPARE(form.rows(), QStringList{u"earlier row"_s});
    QCOMPARE(form.pointer.value(), int(PointerShape::Hand));
}

void StartSplittingTest::refusedLimit_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("xText");
    QTest::addColumn<QString>("message");

    QTest::newRow("letters") << 4 << u"abc"_s << NotNumeric;
    QTest::newRow("empty") << 4 << QString() << NotNumeric;
    QTest::newRow("zero") << 4 << u"0"_s << OutOfRange;
    QTest::newRow("negative") << 4 << u"-5"_s << OutOfRange;
    QTest::newRow("too high") << 4 << u"40000"_s << OutOfRange;
    QTest::newRow("no limit chosen") << 0 << u"10"_s << NoLimit;
}

void StartSplittingTest::refusedLimit() {
    QFETCH(int, option);
    QFETCH(QString, xText);
    QFETCH(QString, message);
    Form form;
    form.settings.setXText(xText);
    if (option)
        form.settings.setOption(option, true);
    form.settings.setOption(5, true);
    form.results.appendRow(u"earlier row"_s);

    form.press();
    QCOMPARE(form.desktop.messageTexts(), QStringList{message});
    QCOMPARE(form.desktop.messages[0].title, u"Tovrik"_s);
    QVERIFY(form.rows().isEmpty());
    QCOMPARE(form.pointer.value(), int(PointerShape::Default));
}

void StartSplittingTest::noModeCutsNothing() {
    Form form;
    form.settings.setOption(1, true);
    form.results.appendRow(u"earlier row"_s);
    QList<int> shapes;
    form.pointer.onChanged([&](int value) { shapes.append(value); });

    form.press();
    QVERIFY(form.desktop.messages.isEmpty());
    QVERIFY(form.rows().isEmpty());
    QCOMPARE(shapes, (QList<int>{PointerShape::Busy, PointerShape::Default}));
}

void StartSplittingTest::modes_data() {
    QTest::addColumn<int>("limitOption");
    QTest::addColumn<QString>("xText");
    QTest::addColumn<int>("modeOption");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows");

    const QString hi = u"Hi there. How are you? Fine. Bye."_s;
    QTest::newRow("exact X") << 4 << u"20"_s << 6 << hi
                             << QStringList{u"Hi there. How are yo"_s, u"u? Fine. Bye."_s};
    QTest::newRow("space X") << 4 << u"20"_s << 5 << hi
                             << QStringList{u"Hi there. How are"_s, u"you? Fine. Bye."_s};
    QTest::newRow("period X") << 4 << u"20"_s << 7 << hi
                              << QStringList{u"Hi there."_s, u" How are you? Fine."_s, u" Bye."_s};
    QTest::newRow("X rounded half to even")
        << 4 << u" 2.5 "_s << 6 << u"abcde"_s << QStringList{u"ab"_s, u"cd"_s, u"e"_s};
    QTest::newRow("exact 160") << 1 << QString() << 6 << Sample
                               << QStringList{Sample.first(160), Sample.sliced(160)};
    QTest::newRow("space 160") << 1 << QString() << 5 << Sample
                               << QStringList{Sample.first(157), Sample.sliced(158)};
    QTest::newRow("period 160") << 1 << QString() << 7 << Sample
                                << QStringList{Sample.first(153), Sample.sliced(153)};
    QTest::newRow("exact 140") << 2 << QString() << 6 << Sample
                               << QStringList{Sample.first(140), Sample.sliced(140)};
    QTest::newRow("exact 150") << 3 << QString() << 6 << Sample
                               << QStringList{Sample.first(150), Sample.sliced(150)};
}

void StartSplittingTest::modes() {
    QFETCH(int, limitOption);
    QFETCH(QString, xText);
    QFETCH(int, modeOption);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    Form form;
    form.settings.setXText(xText);
    form.settings.setOption(limitOption, true);
    form.settings.setOption(modeOption, true);
    form.message = message;
    form.pointer.set(PointerShape::Hand);

    form.press();
    QVERIFY(form.desktop.messages.isEmpty());
    QCOMPARE(form.rows(), rows);
    QCOMPARE(form.pointer.value(), int(PointerShape::Default));
}

void StartSplittingTest::pressingTwiceGivesSameUncheckedRows() {
    Form form;
    form.settings.setOption(2, true);
    form.settings.setOption(5, true);
    form.press();
    const QStringList first = form.rows();
    QCOMPARE(first.size(), 2);
    form.results.setChecked(1, true);
    form.results.setChecked(2, true);

    form.press();
    QCOMPARE(form.rows(), first);
    for (int i = 1; i <= form.results.count(); ++i)
        QVERIFY(!form.results.checked(i));
    QVERIFY(form.desktop.messages.isEmpty());
}

void StartSplittingTest::emptyMessageGivesNoRows() {
    Form form;
    form.settings.setOption(1, true);
    form.settings.setOption(7, true);
    form.message.clear();
    form.results.appendRow(u"earlier row"_s);
    form.press();
    QVERIFY(form.rows().isEmpty());
    QVERIFY(form.desktop.messages.isEmpty());
}

void StartSplittingTest::failingFolderReadIsReported() {
    Form form;
    form.settings.setOption(1, true);
    form.settings.setOption(5, true);
    form.results.appendRow(u"earlier row"_s);
    tovrik::commands::PushButton2_Click(
        {form.settings, form.results, form.pointer, form.desktop,
         []() -> QString { throw tovrik::shell::Failure(u"Index out of bounds"_s); },
         [] { return u"never read"_s; }});
    // A failing test enters its branch: the report, then the folder message.
    QCOMPARE(form.desktop.messageTexts(),
             (QStringList{tovrik::shell::ErrorReportText(
                              u"Index out of bounds"_s,
                              tovrik::shell::LocationLiteral(u"PushButton2_Click"_s), 100),
                          NoFolder}));
    QCOMPARE(form.desktop.messages[0].title, u"Application Error"_s);
    QCOMPARE(form.rows(), QStringList{u"earlier row"_s});
}

void StartSplittingTest::failingMessageReadIsReported() {
    Form form;
    form.settings.setOption(1, true);
    form.settings.setOption(7, true);
    tovrik::commands::PushButton2_Click(
        {form.settings, form.results, form.pointer, form.desktop, [&] { return form.outputFolder; },
         []() -> QString { throw tovrik::shell::Failure(u"Out of memory"_s); }});
    QCOMPARE(form.desktop.messageTexts(),
             QStringList{tovrik::shell::ErrorReportText(
                 u"Out of memory"_s, tovrik::shell::LocationLiteral(u"PushButton2_Click"_s), 164)});
    QVERIFY(form.rows().isEmpty());
    // The handler goes on to its last step and puts the pointer back.
    QCOMPARE(form.pointer.value(), int(PointerShape::Default));
}

QTEST_GUILESS_MAIN(StartSplittingTest)
#include "tst_startsplitting.moc"
