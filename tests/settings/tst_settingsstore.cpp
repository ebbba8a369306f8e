// The settings store on disk: immediate writes, defaults, hand-edited files,
// and a location that cannot be written.
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tovrik;
using namespace tovrik::settings;

namespace {

// Root reads and writes any file whatever its mode; without these two
// capabilities the mode counts for it too. Only the effective set is
// changed, so they come back.
class FileModesCount {
public:
    FileModesCount() {
        if (geteuid() != 0) {
            m_counts = true;
            return;
        }
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, m_saved, sizeof reduced);
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_dropped = m_counts = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FileModesCount() {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
    }
    bool counts() const { return m_counts; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
    bool m_counts = false;
};

enum class Damage { MalformedLine, Unreadable, FolderInItsPlace, LeftoverLock, LockFolder };

} // namespace
Q_DECLARE_METATYPE(Damage)

class SettingsStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writesReachTheDiskAtOnce();
    void readFallsBackToTheDefault_data();
    void readFallsBackToTheDefault();
    void handEditedFile();
    void fullDiskIsToldWithItsReason();
    void unwritableLocationIsToldOnce();
    void damagedFile_data();
    void damagedFile();

private:
    QTemporaryDir m_config;
    // A folder of its own for each case: within a process, Qt keeps the
    // values a file could not take for the next reader of the same path.
    QString m_folder;
    int m_cases = 0;
    QString conf() const { return m_folder + u"/Quandrel/Tovrik.conf"_s; }
};

void SettingsStoreTest::init() {
    QVERIFY(m_config.isValid());
    m_folder = m_config.path() + u'/' + QString::number(++m_cases);
    QVERIFY(QDir().mkpath(m_folder));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder);
}

void SettingsStoreTest::writesReachTheDiskAtOnce() {
    SettingsStore store;
    QCOMPARE(store.fileName(), conf());
    store.WriteSetting(u"Prefix"_s, u"Kept_"_s);
    store.WriteSetting(u"X Character"_s, u"1, 2"_s);
    store.WriteSetting(u"Output Folder"_s, QString());
    store.WriteSettings({{u"Option5"_s, u"False"_s}, {u"Option6"_s, u"True"_s}});
    // Another reader sees the values while the store is still alive.
    QSettings reader(conf(), QSettings::IniFormat);
    QCOMPARE(reader.value(u"Tovrik/Prefix"_s).toString(), u"Kept_"_s);
    QCOMPARE(reader.value(u"Tovrik/X Character"_s).toString(), u"1, 2"_s);
    QCOMPARE(reader.value(u"Tovrik/Option5"_s).toString(), u"False"_s);
    QCOMPARE(reader.value(u"Tovrik/Option6"_s).toString(), u"True"_s);
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
    QDir().mkpath(m_folder + u"/Quandrel"_s);
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

// A full disk (a file size limit stands in for it) is told with its reason.
void SettingsStoreTest::fullDiskIsToldWithItsReason() {
    SettingsStore store;
    store.WriteSetting(u"Prefix"_s, u"Kept_"_s);
    QStringList told;
    store.onWriteFailure([&](const QString &reason) { told.append(reason); });
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
    const rlimit small{16, before.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    store.WriteSetting(u"Output Folder"_s, QString(200, u'f'));
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(told, QStringList{u"Settings cannot be saved: %1 cannot be written (%2)."_s.arg(
                       conf(), QString::fromLocal8Bit(std::strerror(EFBIG)))});
    QCOMPARE(QSettings(conf(), QSettings::IniFormat).value(u"Tovrik/Prefix"_s), u"Kept_"_s);
}

void SettingsStoreTest::unwritableLocationIsToldOnce() {
    // A plain file where the folder should be: nothing can be saved there.
    QFile blocker(m_folder + u"/Quandrel"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store;
    QStringList told;
    store.onWriteFailure([&](const QString &reason) { told.append(reason); });
    store.WriteSetting(u"Prefix"_s, u"one"_s);
    store.WriteSetting(u"Prefix"_s, u"two"_s);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told.first(), u"Settings cannot be saved: the folder %1 cannot be created."_s.arg(
                               m_folder + u"/Quandrel"_s));
    // The program keeps working with what it holds.
    QCOMPARE(store.ReadSetting(u"Prefix"_s, u"Split_"_s), u"two"_s);
}

void SettingsStoreTest::damagedFile_data() {
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("told"); // empty: nothing to tell
    QTest::newRow("malformed line") << Damage::MalformedLine << QString();
    QTest::newRow("unreadable") << Damage::Unreadable << u"cannot be read"_s;
    QTest::newRow("folder in its place") << Damage::FolderInItsPlace << u"is a folder"_s;
    // Left by a crash in a folder since made read-only; or a folder.
    QTest::newRow("leftover lock") << Damage::LeftoverLock << u"is locked by"_s;
    QTest::newRow("folder as the lock") << Damage::LockFolder << u"is locked by"_s;
}

void SettingsStoreTest::damagedFile() {
    QFETCH(Damage, damage);
    QFETCH(QString, told);
    QVERIFY(QDir().mkpath(m_folder + u"/Quandrel"_s));
    if (damage == Damage::FolderInItsPlace) {
        QVERIFY(QDir().mkpath(conf()));
    } else {
        QFile file(conf());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[Tovrik]\nPrefix=kept\n") + QByteArray(8, '\0') + '\n');
        file.close();
        if (damage == Damage::Unreadable)
            QVERIFY(file.setPermissions(QFile::Permissions()));
    }
    const QString lock = conf() + u".lock"_s;
    QFile folder(m_folder + u"/Quandrel"_s);
    const QFileDevice::Permissions open = folder.permissions();
    if (damage == Damage::LockFolder)
        QVERIFY(QDir().mkpath(lock));
    if (damage == Damage::LeftoverLock) {
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("999999\ntovrik\nnowhere\n");
        file.close();
        QVERIFY(folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    }
    const auto reopen = qScopeGuard([&] { folder.setPermissions(open); });
    const FileModesCount modes;
    if (!modes.counts())
        QSKIP("running as root without a way to make file modes count");

    QStringList messages;
    {
        SettingsStore store;
        store.onWriteFailure([&](const QString &message) { messages.append(message); });
        if (damage == Damage::MalformedLine)
            QCOMPARE(store.ReadSetting(u"Prefix"_s, u"Split_"_s), u"kept"_s);
        store.WriteSetting(u"X Character"_s, u"90"_s);
        store.WriteSetting(u"Option1"_s, u"True"_s);
        QCOMPARE(store.ReadSetting(u"X Character"_s, 160), u"90"_s);
    }
    if (told.isEmpty()) {
        QCOMPARE(messages, QStringList());
        QSettings reader(conf(), QSettings::IniFormat);
        QCOMPARE(reader.value(u"Tovrik/Option1"_s).toString(), u"True"_s);
        QCOMPARE(reader.value(u"Tovrik/Prefix"_s).toString(), u"kept"_s);
    } else {
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(conf() + u' ' + told), qPrintable(messages.first()));
    }
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
