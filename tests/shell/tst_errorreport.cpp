#include "shell/errorreport.h"
#include "shell/failure.h"
#include "testdesktop.h"

#include <QTest>

#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;
using tovrik::shell::MessageIcon;
using tovrik::testing::TestDesktop;

namespace {
const QString Tail = u"\r\rPlease email screenshot of this message to support@quandrel.example"_s;
}

class ErrorReportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reportText_data();
    void reportText();
    void reportShowsWarningBox();
    void failingStepIsReported_data();
    void failingStepIsReported();
    void twoFailuresGiveTwoReportsInOrder();
    void moreCountsUnderLastNumber();
    void throwingTestEntersBranch();
    void passingStepsReportNothing();
};

void ErrorReportTest::reportText_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("typical")
        << u"desc"_s << u"PushButton5_Click"_s << 104
        << u"desc\r\nin Tovrik2021/08/31.Form1.PushButton5_Click at line 104"_s + Tail;
    QTest::newRow("empty description")
        << QString() << u"Option4_Click"_s << 7
        << u"\r\nin Tovrik2021/08/31.Form1.Option4_Click at line 7"_s + Tail;
    QTest::newRow("line 0")
        << u"Index out of bounds"_s << u"Form_Load"_s << 0
        << u"Index out of bounds\r\nin Tovrik2021/08/31.Form1.Form_Load at line 0"_s + Tail;
}

void ErrorReportTest::reportText() {
    QFETCH(QString, description);
    QFETCH(QString, handler);
    QFETCH(int, line);
    QFETCH(QString, expected);
    const QString text =
        tovrik::shell::ErrorReportText(description, tovrik::shell::LocationLiteral(handler), line);
    QCOMPARE(text, expected);
    // The box is read from a screenshot: the bytes matter, not just the look.
    QCOMPARE(text.toUtf8(), expected.toUtf8());
}

void ErrorReportTest::reportShowsWarningBox() {
    TestDesktop desktop;
    tovrik::shell::ReportHandlerError(
        desktop, tovrik::shell::LocationLiteral(u"PushButton2_Click"_s), 128, u"Out of memory"_s);
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages[0].title, u"Application Error"_s);
    QCOMPARE(desktop.messages[0].icon, MessageIcon::Warning);
    QCOMPARE(desktop.messages[0].text,
             u"Out of memory\r\nin Tovrik2021/08/31.Form1.PushButton2_Click at line 128"_s + Tail);
}

void ErrorReportTest::failingStepIsReported_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("description");
    QTest::newRow("failure") << 0 << u"Index out of bounds"_s;
    QTest::newRow("bad_alloc") << 1 << u"Out of memory"_s;
    QTest::newRow("std exception") << 2 << u"disk gone"_s;
}

void ErrorReportTest::failingStepIsReported() {
    QFETCH(int, kind);
    QFETCH(QString, description);
    TestDesktop desktop;
    tovrik::shell::HandlerSteps steps(desktop, u"PushButton3_Click"_s);
    bool nextRan = false;
    const bool ok = steps.step(130, [&] {
        if (kind == 0)
            throw tovrik::shell::Failure(u"Index out of bounds"_s);
        if (kind == 1)
            throw std::bad_alloc();
        throw std::runtime_error("disk gone");
    });
    QVERIFY(!ok);
    QVERIFY(steps.step(132, [&] { nextRan = true; }));
    QVERIFY(nextRan);
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages[0].title, u"Application Error"_s);
    QCOMPARE(desktop.messages[0].icon, MessageIcon::Warning);
    QCOMPARE(desktop.messages[0].text,
             tovrik::shell::ErrorReportText(
                 description, tovrik::shell::LocationLiteral(u"PushButton3_Click"_s), 130));
}

void ErrorReportTest::twoFailuresGiveTwoReportsInOrder() {
    TestDesktop desktop;
    tovrik::shell::HandlerSteps steps(desktop, u"Form_Load"_s);
    steps.step(10, [] { throw tovrik::shell::Failure(u"first"_s); });
    steps.step(12, [] {});
    steps.step(14, [] { throw tovrik::shell::Failure(u"second"_s); });
    const QString location = tovrik::shell::LocationLiteral(u"Form_Load"_s);
    QCOMPARE(desktop.messageTexts(),
             (QStringList{tovrik::shell::ErrorReportText(u"first"_s, location, 10),
                          tovrik::shell::ErrorReportText(u"second"_s, location, 14)}));
}

void ErrorReportTest::moreCountsUnderLastNumber() {
    TestDesktop desktop;
    tovrik::shell::HandlerSteps steps(desktop, u"PushButton2_Click"_s);
    steps.step(106, [] {});
    QVERIFY(!steps.more([] { throw tovrik::shell::Failure(u"late"_s); }));
    QCOMPARE(desktop.messageTexts(),
             QStringList{tovrik::shell::ErrorReportText(
                 u"late"_s, tovrik::shell::LocationLiteral(u"PushButton2_Click"_s), 106)});
}

void ErrorReportTest::throwingTestEntersBranch() {
    TestDesktop desktop;
    tovrik::shell::HandlerSteps steps(desktop, u"PushButton2_Click"_s);
    const bool entered =
        steps.test(100, []() -> bool { throw tovrik::shell::Failure(u"no folder"_s); });
    QVERIFY(entered);
    QCOMPARE(desktop.messageTexts(),
             QStringList{tovrik::shell::ErrorReportText(
                 u"no folder"_s, tovrik::shell::LocationLiteral(u"PushButton2_Click"_s), 100)});
    // A test that answers normally is taken at its word.
    QVERIFY(!steps.test(102, [] { return false; }));
    QCOMPARE(desktop.messages.size(), 1);
}

void ErrorReportTest::passingStepsReportNothing() {
    TestDesktop desktop;
    tovrik::shell::HandlerSteps steps(desktop, u"Form_Load"_s);
    int runs = 0;
    QVERIFY(steps.step(1, [&] { ++runs; }));
    QVERIFY(steps.more([&] { ++runs; }));
    QVERIFY(steps.test(2, [&] { return ++runs == 3; }));
    QCOMPARE(runs, 3);
    QVERIFY(desktop.messages.isEmpty());
}

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "tst_errorreport.moc"
