#include "commands/splitsettings.h"
#include "fakesettings.h"

#include <QTest>

using namespace Qt::StringLiterals;
using tovrik::commands::SplitSettings;
using tovrik::testing::FakeSettings;

using Writes = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Writes)
Q_DECLARE_METATYPE(tovrik::core::SplitMode)

namespace {
constexpr int SpaceCaption = 5;
constexpr int ExactCaption = 6;

Writes states(int first, const QList<bool> &values) {
    Writes result;
    for (qsizetype i = 0; i < values.size(); ++i)
        result.append(
            {u"Option"_s + QString::number(first + i), values[i] ? u"True"_s : u"False"_s});
    return result;
}
} // namespace

class SplitSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void limitOptions_data();
    void limitOptions();
    void modeOptions_data();
    void modeOptions();
    void outputOptions_data();
    void outputOptions();
    void handlerStoresEachTime_data();
    void handlerStoresEachTime();
    void typingX_data();
    void typingX();
    void limitOptionAfterX();
    void deselectingRunsNothing();
};

void SplitSettingsTest::limitOptions_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("xText");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<QString>("spaceCaption");
    QTest::addColumn<QString>("exactCaption");
    QTest::addColumn<bool>("text1Enabled");

    QTest::newRow("160") << 1 << u"25"_s << states(1, {true, false, false, false})
                         << u"Split before 160 at space"_s << u"Split at exactly 160"_s << false;
    QTest::newRow("140") << 2 << u"25"_s << states(1, {false, true, false, false})
                         << u"Split before 140 at space"_s << u"Split at exactly 140"_s << false;
    QTest::newRow("150") << 3 << u"25"_s << states(1, {false, false, true, false})
                         << u"Split before 150 at space"_s << u"Split at exactly 150"_s << false;
    QTest::newRow("X") << 4 << u"25"_s << states(1, {false, false, false, true})
                       << u"Split before 25 at space"_s << u"Split at exactly 25"_s << true;
    QTest::newRow("X not numeric")
        << 4 << u"abc"_s << states(1, {false, false, false, true}) << u"Split before abc at space"_s
        << u"Split at exactly abc"_s << true;
    QTest::newRow("X empty") << 4 << QString() << states(1, {false, false, false, true})
                             << u"Split before  at space"_s << u"Split at exactly "_s << true;
    QTest::newRow("X taken as it stands")
        << 4 << u" 7 "_s << states(1, {false, false, false, true}) << u"Split before  7  at space"_s
        << u"Split at exactly  7 "_s << true;
}

void SplitSettingsTest::limitOptions() {
    QFETCH(int, option);
    QFETCH(QString, xText);
    QFETCH(Writes, writes);
    QFETCH(QString, spaceCaption);
    QFETCH(QString, exactCaption);
    QFETCH(bool, text1Enabled);

    FakeSettings store;
    SplitSettings settings(store);
    settings.setXText(xText);
    store.take();
    settings.setOption(option, true);
    QCOMPARE(store.writes, writes);
    QCOMPARE(store.rewrites, 1); // the group at once
    QCOMPARE(settings.caption(SpaceCaption), spaceCaption);
    QCOMPARE(settings.caption(ExactCaption), exactCaption);
    QCOMPARE(settings.text1Enabled(), text1Enabled);
    QCOMPARE(settings.xText(), xText);
}

void SplitSettingsTest::modeOptions_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<tovrik::core::SplitMode>("mode");
    QTest::newRow("space") << 5 << states(5, {true, false, false})
                           << tovrik::core::SplitMode::Space;
    QTest::newRow("exact") << 6 << states(5, {false, true, false})
                           << tovrik::core::SplitMode::Exact;
    QTest::newRow("period") << 7 << states(5, {false, false, true})
                            << tovrik::core::SplitMode::Period;
}

void SplitSettingsTest::modeOptions() {
    QFETCH(int, option);
    QFETCH(Writes, writes);
    QFETCH(tovrik::core::SplitMode, mode);

    FakeSettings store;
    SplitSettings settings(store);
    settings.setXText(u"42"_s);
    settings.setOption(4, true);
    store.take();
    settings.setOption(option, true);
    QCOMPARE(store.writes, writes);
    QCOMPARE(store.rewrites, 1); // the group at once
    QCOMPARE(settings.mode(), mode);
    // A mode never touches the captions or the limit group.
    QCOMPARE(settings.caption(SpaceCaption), u"Split before 42 at space"_s);
    QCOMPARE(settings.caption(ExactCaption), u"Split at exactly 42"_s);
    QVERIFY(settings.option(4));
    QVERIFY(settings.text1Enabled());
}

void SplitSettingsTest::outputOptions_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<bool>("text3Enabled");
    QTest::newRow("one file") << 9 << 8 << states(8, {true, false}) << false;
    QTest::newRow("file per result") << 8 << 9 << states(8, {false, true}) << true;
}

void SplitSettingsTest::outputOptions() {
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(Writes, writes);
    QFETCH(bool, text3Enabled);

    FakeSettings store;
    SplitSettings settings(store);
    settings.setOption(first, true);
    QCOMPARE(settings.text3Enabled(), !text3Enabled);
    store.take();
    settings.setOption(second, true);
    QCOMPARE(store.writes, writes);
    QCOMPARE(store.rewrites, 1); // the group at once
    QCOMPARE(settings.text3Enabled(), text3Enabled);
}

void SplitSettingsTest::handlerStoresEachTime_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<Writes>("writes");
    const QList<bool> limit = {false, true, false, false};
    const QList<bool> mode = {false, false, true};
    const QList<bool> output = {true, false};
    QTest::newRow("Option1") << 1 << states(1, limit) + states(1, limit);
    QTest::newRow("Option2") << 2 << states(1, limit) + states(1, limit);
    QTest::newRow("Option3") << 3 << states(1, limit) + states(1, limit);
    QTest::newRow("Option4") << 4 << states(1, limit) + states(1, limit);
    QTest::newRow("Option5") << 5 << states(5, mode) + states(5, mode);
    QTest::newRow("Option6") << 6 << states(5, mode) + states(5, mode);
    QTest::newRow("Option7") << 7 << states(5, mode) + states(5, mode);
    QTest::newRow("Option8") << 8 << states(8, output) + states(8, output);
    QTest::newRow("Option9") << 9 << states(8, output) + states(8, output);
}

// Run by the program (loading a stored choice), a handler stores its whole
// group as it stands, every time, whichever member it belongs to.
void SplitSettingsTest::handlerStoresEachTime() {
    QFETCH(int, option);
    QFETCH(Writes, writes);
    static constexpr void (SplitSettings::*handlers[])() = {
        &SplitSettings::Option1_Click, &SplitSettings::Option2_Click,
        &SplitSettings::Option3_Click, &SplitSettings::Option4_Click,
        &SplitSettings::Option5_Click, &SplitSettings::Option6_Click,
        &SplitSettings::Option7_Click, &SplitSettings::Option8_Click,
        &SplitSettings::Option9_Click};
    FakeSettings store;
    SplitSettings settings(store);
    settings.setOption(2, true);
    settings.setOption(7, true);
    settings.setOption(8, true);
    store.take();
    // A named, initialised pointer: with -fsanitize, GCC took the indexed
    // one for a value that may be used uninitialized.
    void (SplitSettings::*const handler)() = handlers[option - 1];
    (settings.*handler)();
    (settings.*handler)();
    QCOMPARE(store.writes, writes);
}

void SplitSettingsTest::typingX_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("captionLimits");

    QTest::newRow("typing") << QStringList{u"1"_s, u"12"_s} << QStringList{u"1"_s, u"12"_s};
    QTest::newRow("trailing letter keeps the last number")
        << QStringList{u"1"_s, u"12"_s, u"12a"_s} << QStringList{u"1"_s, u"12"_s, u"12"_s};
    QTest::newRow("deleting back to empty") << QStringList{u"12a"_s, u"12"_s, u"1"_s, u""_s}
                                            << QStringList{u"25"_s, u"12"_s, u"1"_s, u"1"_s};
    QTest::newRow("numeric but out of range shows as typed")
        << QStringList{u"-5"_s, u"0"_s, u"2.5"_s} << QStringList{u"-5"_s, u"0"_s, u"2.5"_s};
}

void SplitSettingsTest::typingX() {
    QFETCH(QStringList, typed);
    QFETCH(QStringList, captionLimits);

    FakeSettings store;
    SplitSettings settings(store);
    settings.setXText(u"25"_s);
    settings.setOption(4, true);
    for (qsizetype i = 0; i < typed.size(); ++i) {
        store.take();
        settings.setXText(typed[i]);
        QCOMPARE(store.writes, (Writes{{u"X Character"_s, typed[i]}}));
        QCOMPARE(settings.caption(SpaceCaption),
                 u"Split before "_s + captionLimits[i] + u" at space"_s);
        QCOMPARE(settings.caption(ExactCaption), u"Split at exactly "_s + captionLimits[i]);
    }
}

void SplitSettingsTest::limitOptionAfterX() {
    FakeSettings store;
    SplitSettings settings(store);
    settings.setXText(u"77"_s);
    settings.setOption(4, true);
    store.take();
    settings.setOption(2, true);
    QCOMPARE(store.writes, states(1, {false, true, false, false}));
    QCOMPARE(settings.caption(SpaceCaption), u"Split before 140 at space"_s);
    QCOMPARE(settings.caption(ExactCaption), u"Split at exactly 140"_s);
    QVERIFY(!settings.text1Enabled());
    QCOMPARE(settings.xText(), u"77"_s);
}

void SplitSettingsTest::deselectingRunsNothing() {
    FakeSettings store;
    SplitSettings settings(store);
    settings.setOption(3, true);
    settings.setOption(7, true);
    store.take();
    settings.setOption(3, false);
    settings.setOption(7, false);
    QVERIFY(store.writes.isEmpty());
    QVERIFY(!settings.mode().has_value());
    QCOMPARE(settings.caption(SpaceCaption), u"Split before 150 at space"_s);
}

QTEST_GUILESS_MAIN(SplitSettingsTest)
#include "tst_splitsettings.moc"
