#include "commands/resultsmodel.h"
#include "shell/failure.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using tovrik::commands::ResultsModel;

using Access = std::function<void(const ResultsModel &)>;
Q_DECLARE_METATYPE(Access)

namespace {
QStringList texts(const ResultsModel &model) {
    QStringList result;
    for (int i = 1; i <= model.count(); ++i)
        result.append(model.text(i).toString());
    return result;
}

// Two columns, rows "one" (with a sub-item) and "two".
void fill(ResultsModel &model) {
    model.addColumn(u"Message"_s);
    model.addColumn(u"Length"_s);
    model.appendRow(u"one"_s, {u"3"_s});
    model.appendRow(u"two"_s);
}
} // namespace

class ResultsModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readingMissingCellsThrows_data();
    void readingMissingCellsThrows();
    void cells();
    void batchAfterRows();
    void batchInsertsOnce();
    void longRowShowsItsStart_data();
    void longRowShowsItsStart();
    void checkMarks();
    void clearEmptiesList();
    void checksThatChangeNothingAreNotSignalled();
};

void ResultsModelTest::readingMissingCellsThrows_data() {
    QTest::addColumn<Access>("access");
    QTest::newRow("row 0") << Access([](const ResultsModel &m) { m.text(0); });
    QTest::newRow("row past the end") << Access([](const ResultsModel &m) { m.text(3); });
    QTest::newRow("check of row 0") << Access([](const ResultsModel &m) { m.checked(0); });
    QTest::newRow("sub-item 0") << Access([](const ResultsModel &m) { m.subItem(1, 0); });
    QTest::newRow("sub-item past the columns")
        << Access([](const ResultsModel &m) { m.subItem(1, 2); });
    QTest::newRow("cell column 0") << Access([](const ResultsModel &m) { m.cell(1, 0); });
    QTest::newRow("cell column 3") << Access([](const ResultsModel &m) { m.cell(1, 3); });
    QTest::newRow("header 0") << Access([](const ResultsModel &m) { m.headerText(0); });
    QTest::newRow("header 3") << Access([](const ResultsModel &m) { m.headerText(3); });
}

void ResultsModelTest::readingMissingCellsThrows() {
    QFETCH(Access, access);
    ResultsModel model;
    fill(model);
    try {
        access(model);
        QFAIL("no failure thrown");
    } catch (const tovrik::shell::Failure &failure) {
        QCOMPARE(failure.description(), u"Index out of bounds"_s);
    }
}

void ResultsModelTest::cells() {
    ResultsModel model;
    fill(model);
    QCOMPARE(model.headerText(2), u"Length"_s);
    QCOMPARE(model.cell(1, 1), u"one"_s);
    QCOMPARE(model.cell(1, 2), u"3"_s);
    QCOMPARE(model.subItem(1, 1), u"3"_s);
    QVERIFY(model.cell(2, 2).isEmpty());
    QVERIFY(model.subItem(2, 1).isEmpty());
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), u"3"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"Length"_s);
}

void ResultsModelTest::batchAfterRows() {
    ResultsModel model;
    fill(model);
    const QString source = u"alpha beta gamma"_s;
    {
        ResultsModel::Batch batch(model, source);
        batch.append(QStringView(source).sliced(6, 4));
        batch.append(QStringView(source).first(5));
    }
    QCOMPARE(texts(model), (QStringList{u"one"_s, u"two"_s, u"beta"_s, u"alpha"_s}));
    QCOMPARE(model.cell(1, 2), u"3"_s);
    QVERIFY(!model.checked(3));
}

void ResultsModelTest::batchInsertsOnce() {
    ResultsModel model;
    model.addColumn(u"Message"_s);
    QSignalSpy inserted(&model, &ResultsModel::rowsInserted);
    const QString source = u"abcdef"_s;
    {
        ResultsModel::Batch batch(model, source);
        for (qsizetype i = 0; i < source.size(); i += 2)
            batch.append(QStringView(source).sliced(i, 2));
        QCOMPARE(model.count(), 0); // nothing shows until the batch ends
    }
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted[0][1].toInt(), 0);
    QCOMPARE(inserted[0][2].toInt(), 2);
    QCOMPARE(texts(model), (QStringList{u"ab"_s, u"cd"_s, u"ef"_s}));
    // An empty batch inserts nothing.
    { ResultsModel::Batch batch(model, source); }
    QCOMPARE(inserted.size(), 1);
}

void ResultsModelTest::longRowShowsItsStart_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QString a4096(4096, u'a');
    QTest::newRow("4096 shown whole") << a4096 << a4096;
    QTest::newRow("longer cut with an ellipsis") << a4096 + u"b"_s << a4096 + u"\u2026"_s;
    QTest::newRow("pair at the cut kept whole")
        << QString(4095, u'a') + u"\U0001F600zz"_s << QString(4095, u'a') + u"\u2026"_s;
}

void ResultsModelTest::longRowShowsItsStart() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    ResultsModel model;
    model.addColumn(u"Message"_s);
    model.appendRow(text);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), shown);
    // The row's text itself is never shortened.
    QCOMPARE(model.text(1), text);
    QCOMPARE(model.data(model.index(0, 0), Qt::EditRole).toString(), text);
}

void ResultsModelTest::checkMarks() {
    ResultsModel model;
    fill(model);
    model.appendRow(u"three"_s);
    QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsUserCheckable));
    QVERIFY(!model.flags(model.index(0, 1)).testFlag(Qt::ItemIsUserCheckable));

    QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.checked(2));
    QCOMPARE(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    model.setChecked(1, true);
    model.toggleCheckedRows({{0, 0}, {2, 2}});
    QCOMPARE((QList<bool>{model.checked(1), model.checked(2), model.checked(3)}),
             (QList<bool>{false, true, true}));
    model.invertAllChecked();
    QCOMPARE((QList<bool>{model.checked(1), model.checked(2), model.checked(3)}),
             (QList<bool>{true, false, false}));
    model.setAllChecked(false);
    QVERIFY(!model.checked(1) && !model.checked(2) && !model.checked(3));
}

void ResultsModelTest::clearEmptiesList() {
    ResultsModel model;
    fill(model);
    model.clear();
    QCOMPARE(model.count(), 0);
    QCOMPARE(model.headerCount(), 2);
    model.appendRow(u"again"_s);
    QCOMPARE(texts(model), QStringList{u"again"_s});
}

void ResultsModelTest::checksThatChangeNothingAreNotSignalled() {
    ResultsModel model;
    fill(model);
    QSignalSpy changed(&model, &ResultsModel::dataChanged);
    model.toggleCheckedRows({});
    model.toggleCheckedRows({{5, 7}}); // past the last row
    model.clear();
    model.setAllChecked(true); // no rows
    model.invertAllChecked();
    QCOMPARE(changed.count(), 0);
}

QTEST_GUILESS_MAIN(ResultsModelTest)
#include "tst_resultsmodel.moc"
