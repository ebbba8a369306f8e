// The folder browser, driven with the keyboard: where it opens and what
// Return and Escape give.
#include "shell/folderpicker.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class FolderPickerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keys_data();
    void keys();
};

void FolderPickerTest::keys_data() {
    QTest::addColumn<QString>("start"); // "home", "work", "given" or empty
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing chosen: Return takes home, not the working folder")
        << QString() << int(Qt::Key_Return) << u"home"_s;
    QTest::newRow("a start folder opens there") << u"given"_s << int(Qt::Key_Return) << u"given"_s;
    QTest::newRow("Escape chooses nothing") << QString() << int(Qt::Key_Escape) << QString();
}

void FolderPickerTest::keys() {
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(QString, expected);
    QTemporaryDir root;
    for (const QString &name : {u"home"_s, u"work"_s, u"given"_s})
        QVERIFY(QDir(root.path()).mkdir(name));
    const QString home = QDir::homePath();
    const QString work = QDir::currentPath();
    qputenv("HOME", QFile::encodeName(root.filePath(u"home"_s)));
    QVERIFY(QDir::setCurrent(root.filePath(u"work"_s)));

    // The key goes to whatever has the focus in the dialog once it runs.
    QTimer::singleShot(0, this, [key] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(target, Qt::Key(key));
        if (dialog->isVisible()) // the key was not taken: do not hang
            dialog->close();
    });
    const QString chosen = tovrik::shell::BrowseForFolder(
        nullptr, u"Please select folder:"_s, start.isEmpty() ? QString() : root.filePath(start));

    qputenv("HOME", QFile::encodeName(home));
    QDir::setCurrent(work);
    QCOMPARE(chosen, expected.isEmpty() ? QString() : root.filePath(expected));
}

QTEST_MAIN(FolderPickerTest)
#include "tst_folderpicker.moc"
