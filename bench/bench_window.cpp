// The window's long commands on big lists: "Start Splitting" on a
// 10-million-character message (about 65,000 rows at 160), then the clipboard
// copy, the one-file save and the spreadsheet export of 65,000 ticked rows up
// to the moment Calc would be started.
#include "calcbackend.h"
#include "form1.h"
#include "prose.h"
#include "resultsview.h"
#include "settingsstore.h"
#include "testdesktop.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

class MemorySettings : public tovrik::Settings {
public:
    QString ReadSetting(const QString &key, const QVariant &fallback) const override {
        return m_values.value(key, fallback.toString());
    }
    void WriteSetting(const QString &key, const QString &value) override {
        m_values.insert(key, value);
    }

private:
    QHash<QString, QString> m_values;
};

// Calc as the window gets it, but the launch is only recorded.
class BenchDesktop : public tovrik::testing::TestDesktop {
public:
    int launches = 0;
    std::unique_ptr<tovrik::SpreadsheetApplication> createSpreadsheet() override {
        return std::make_unique<tovrik::CalcApplication>(
            u"soffice"_s, [this](const QString &, const QStringList &) {
                ++launches;
                return true;
            });
    }
};

using tovrik::bench::prose;

struct Window {
    MemorySettings settings;
    BenchDesktop desktop;
    QTemporaryDir folder;
    tovrik::Form1 form{settings, desktop};
    Window() {
        form.Form_Load(folder.path());
        form.show();
        QCoreApplication::processEvents();
    }
    // About 65,000 rows of 160-character pieces, all ticked.
    void fill(int rows) {
        const QString text = prose(qsizetype(rows) * 160);
        tovrik::ResultsModel::Batch batch(form.results(), text);
        for (int r = 0; r < rows; ++r)
            batch.append(QStringView(text).sliced(qsizetype(r) * 160, 160));
    }
};

void BM_StartSplitting(benchmark::State &state) {
    Window w;
    w.form.Text2->setPlainText(prose(10'000'000));
    QCoreApplication::processEvents();
    for (auto _ : state) {
        w.form.PushButton2_Click();
        // The view lays the new rows out and paints them.
        QCoreApplication::processEvents();
        w.form.ListView1->viewport()->repaint();
    }
    state.counters["rows"] = w.form.results().count();
}
BENCHMARK(BM_StartSplitting)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// "Tick All" from the list's context menu, then the repaint.
void BM_TickAll(benchmark::State &state) {
    Window w;
    w.fill(int(state.range(0)));
    QCoreApplication::processEvents();
    bool tick = true;
    for (auto _ : state) {
        (tick ? w.form.ListView1->tickAllAction() : w.form.ListView1->untickAllAction())->trigger();
        QCoreApplication::processEvents();
        tick = !tick;
    }
    state.counters["rows"] = w.form.results().count();
}
BENCHMARK(BM_TickAll)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

// Every row selected (Ctrl+A), then Space ticks or unticks every selected row.
void BM_SpaceOnAllRows(benchmark::State &state) {
    Window w;
    w.fill(int(state.range(0)));
    QCoreApplication::processEvents();
    w.form.ListView1->selectAll();
    for (auto _ : state) {
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s);
        QCoreApplication::sendEvent(w.form.ListView1, &space);
        QCoreApplication::processEvents();
    }
    if (w.form.ListView1->selectionModel()->selectedRows().size() != w.form.results().count())
        state.SkipWithError("Ctrl+A did not select every row");
}
BENCHMARK(BM_SpaceOnAllRows)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

void BM_CopyToClipboard(benchmark::State &state) {
    Window w;
    w.fill(65000);
    w.form.results().setAllChecked(true);
    for (auto _ : state)
        w.form.PushButton6_Click();
    state.counters["chars"] = double(w.desktop.clipboard.size());
}
BENCHMARK(BM_CopyToClipboard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_SaveOneFile(benchmark::State &state) {
    Window w;
    w.fill(65000);
    w.form.results().setAllChecked(true);
    const QString file = w.folder.filePath(u"list.txt"_s);
    for (auto _ : state) {
        w.desktop.saveAnswers = {file};
        w.form.PushButton1_Click();
    }
    state.counters["bytes"] = double(QFileInfo(file).size());
}
BENCHMARK(BM_SaveOneFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ExportToCalc(benchmark::State &state) {
    Window w;
    w.fill(65000);
    w.form.results().setAllChecked(true);
    for (auto _ : state)
        w.form.PushButton3_Click();
    state.counters["launches"] = w.desktop.launches;
}
BENCHMARK(BM_ExportToCalc)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(ui);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
