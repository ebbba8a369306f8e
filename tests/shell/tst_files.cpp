// The file and folder helpers of start-up.
#include "shell/files.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tovrik;
using namespace tovrik::shell;

class FilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QDir().mkpath(QDir::homePath()); }
    void specialFolderBuffer();
    void defaultOutputFolder_data();
    void defaultOutputFolder();
    void fileExists_data();
    void fileExists();
};

void FilesTest::specialFolderBuffer() {
    const QString buffer = GetSpecialFolderPath(CsidlDesktop);
    QCOMPARE(buffer.size(), 512);
    const qsizetype nul = buffer.indexOf(QChar(u'\0'));
    QVERIFY(nul > 0);
    QCOMPARE(buffer.count(QChar(u'\0')), 1);
    QCOMPARE(buffer.mid(nul + 1), QString(511 - nul, u' '));
    QVERIFY(QFileInfo(buffer.left(nul)).isDir());
    QCOMPARE(GetSpecialFolderPath(5), QString()); // no such folder here
}

void FilesTest::defaultOutputFolder_data() {
    QTest::addColumn<bool>("desktopExists");
    QTest::addColumn<QString>("desktop");
    QTest::newRow("the desktop folder") << true << u"Schreibtisch"_s;
    QTest::newRow("no desktop folder: home") << false << u"Schreibtisch"_s;
    const QString part(200, u'd');
    QTest::newRow("a desktop path longer than the buffer")
        << true << part + u'/' + part + u'/' + part;
}

void FilesTest::defaultOutputFolder() {
    QFETCH(bool, desktopExists);
    QFETCH(QString, desktop);
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + u"/.config"_s).toLocal8Bit());
    QDir(home.path()).mkpath(u".config"_s);
    {
        // The desktop environment's own name for it.
        QFile dirs(home.path() + u"/.config/user-dirs.dirs"_s);
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/" + desktop.toUtf8() + "\"\n");
    }
    if (desktopExists)
        QVERIFY(QDir(home.path()).mkpath(desktop));
    const QString expected =
        desktopExists ? home.path() + u'/' + desktop + u'/' : QDir(home.path()).path() + u'/';
    QCOMPARE(GetDefaultOutputFolder(), expected);
}

void FilesTest::fileExists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("a file") << u"present.txt"_s << true;
    QTest::newRow("a folder") << u"folder"_s << true;
    QTest::newRow("missing name") << u"absent.txt"_s << false;
    QTest::newRow("missing folder") << u"nowhere/absent.txt"_s << false;
    QTest::newRow("empty path") << QString() << false;
    // Archives that normalise time stamps leave files dated 1970-01-01 00:00:00.
    QTest::newRow("a file dated at the epoch") << u"epoch.txt"_s << true;
}

void FilesTest::fileExists() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QFile present(dir.filePath(u"present.txt"_s));
    QVERIFY(present.open(QIODevice::WriteOnly));
    present.close();
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
    QFile epoch(dir.filePath(u"epoch.txt"_s));
    QVERIFY(epoch.open(QIODevice::WriteOnly));
    QVERIFY(epoch.setFileTime(QDateTime::fromSecsSinceEpoch(0), QFileDevice::FileModificationTime));
    epoch.close();
    QCOMPARE(FileExists(name.isEmpty() ? QString() : dir.filePath(name)), exists);
}

QTEST_GUILESS_MAIN(FilesTest)
#include "tst_files.moc"
