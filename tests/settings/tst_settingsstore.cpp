// The settings store on disk: immediate writes, defaults, hand-edited files,
// and a location that cannot be written.
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tovrik;

class SettingsStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writesReachTheDiskAtOnce();
    void readFallsBackToTheDefault_data();
    void readFallsBackToTheDefault();
    void handEditedFile();
    void unwritableLocationIsToldOnce();

private:
    QTemporaryDir m_config;
    QString conf() const { return m_config.path() + u"/Quandrel/Tovrik.conf"_s; }
};

void SettingsStoreTest::init() {
    QVERIFY(m_config.isValid());
    QDir(m_config.path()).removeRecursively();
    QDir().mkpath(m_config.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
}

void SettingsStoreTest::writesReachTheDiskAtOnce() {
    SettingsStore store;
    QCOMPARE(store.fileName(), conf());
    store.WriteSetting(u"Prefix"_s, u"Kept_"_s);
    store.WriteSetting(u"X Character"_s, u"1, 2"_s);
    store.WriteSetting(u"Output Folder"_s, QString());
    // Another reader sees the values while the store is still alive.
    QSettings reader(conf(), QSettings::IniFormat);
    QCOMPARE(reader.value(u"Tovrik/Prefix"_s).toString(), u"Kept_"_s);
    QCOMPARE(reader.value(u"Tovrik/X Character"_s).toString(), u"1, 2"_s);
    QCOMPARE(store.ReadSetting(u"X Character"_s, 160), u"1, 2"_s);
    QCOMPARE(store.ReadSetting(u"Output Folder"_s, u"/default/"_s), QString());
    QFile file(conf());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith("[Tovrik]\n"));
    QVERIFY(text.contains("Prefix=Kept_\n"));
}

void SettingsStoreTest::readFallsBackToTheDefault_data() {
    QTest::addColumn<QVariant>("fallback");
    QTest::addColumn<QString>("expected");
    QTest::newRow("number") << QVariant(160) << u"160"_s;
    QTest::newRow("text") << QVariant(u"Split_"_s) << u"Split_"_s;
    QTest::newRow("zero") << QVariant(0) << u"0"_s;
}

void SettingsStoreTest::readFallsBackToTheDefault() {
    QFETCH(QVariant, fallback);
    QFETCH(QString, expected);
    SettingsStore store;
    QCOMPARE(store.ReadSetting(u"Missing"_s, fallback), expected);
}

void SettingsStoreTest::handEditedFile() {
    QDir().mkpath(m_config.path() + u"/Quandrel"_s);
    QFile file(conf());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("garbage line without equals\n[Tovrik]\nOption1=maybe\nPrefix=a, b\n"
               "\x01\x02\xff=\xfe\n[Other]\nOption2=True\n");
    file.close();
    SettingsStore store;
    QCOMPARE(store.ReadSetting(u"Option1"_s, 1), u"maybe"_s);
    QCOMPARE(store.ReadSetting(u"Prefix"_s, u"Split_"_s), u"a, b"_s);
    QCOMPARE(store.ReadSetting(u"Option2"_s, 0), u"0"_s); // another group's key
    store.WriteSetting(u"Option1"_s, u"True"_s);
    QCOMPARE(store.ReadSetting(u"Option1"_s, 1), u"True"_s);
}

void SettingsStoreTest::unwritableLocationIsToldOnce() {
    // A plain file where the folder should be: nothing can be saved there.
    QFile blocker(m_config.path() + u"/Quandrel"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store;
    QStringList told;
    store.onWriteFailure([&](const QString &reason) { told.append(reason); });
    store.WriteSetting(u"Prefix"_s, u"one"_s);
    store.WriteSetting(u"Prefix"_s, u"two"_s);
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().contains(m_config.path() + u"/Quandrel"_s), qPrintable(told.first()));
    // The program keeps working with what it holds.
    QCOMPARE(store.ReadSetting(u"Prefix"_s, u"Split_"_s), u"two"_s);
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
