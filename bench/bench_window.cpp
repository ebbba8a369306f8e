// The window's long commands on big lists: "Start Splitting" on a
// 10-million-character message (about 65,000 rows at 160), then the clipboard
// copy, the one-file save and the spreadsheet export of 65,000 ticked rows up
// to the moment Calc would be started. Before them, what the user meets
// first: pasting a long message into the message box and typing into it.
#include "output/calcbackend.h"
#include "prose.h"
#include "settings/settingsstore.h"
#include "testdesktop.h"
#include "ui/form1.h"
#include "ui/messageedit.h"
#include "ui/resultsview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

class MemorySettings : public tovrik::settings::Settings {
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
    std::unique_ptr<tovrik::shell::SpreadsheetApplication> createSpreadsheet() override {
        return std::make_unique<tovrik::output::CalcApplication>(
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
    tovrik::ui::Form1 form{settings, desktop};
    Window() {
        form.Form_Load(folder.path());
        form.show();
        QCoreApplication::processEvents();
    }
    // About 65,000 rows of 160-character pieces, all ticked.
    void fill(int rows) {
        const QString text = prose(qsizetype(rows) * 160);
        tovrik::commands::ResultsModel::Batch batch(form.results(), text);
        for (int r = 0; r < rows; ++r)
            batch.append(QStringView(text).sliced(qsizetype(r) * 160, 160));
    }
};

// A message of the given length in one paragraph, the hardest case for the
// box's layout: prose with its line breaks turned into blanks (kind 1; with
// an emoji, a Thai and a Devanagari word in every sentence, kind 2), or one
// word without any blank (kind 0, a pasted data blob), or tabs alone (kind 3).
QString message(qsizetype length, int kind) {
    if (kind == 3)
        return QString(length, u'\t');
    if (kind == 2) {
        QString text = prose(length).replace(u"\r\n"_s, u"  "_s);
        text.replace(u". "_s, u" \U0001F600 \u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35 "
                              u"\u0928\u092E\u0938\u094D\u0924\u0947 \U0001F44D\U0001F3FD. "_s);
        text.truncate(length);
        if (text.back().isHighSurrogate())
            text.back() = u' '; // (no half emoji at the end)
        return text;
    }
    if (kind == 1)
        return prose(length).replace(u"\r\n"_s, u"  "_s);
    static const QString alphabet =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"_s;
    QString text;
    text.reserve(length);
    while (text.size() < length)
        text += alphabet;
    text.truncate(length);
    return text;
}

// The window settles as it would before the next frame: pending layout and
// one paint of the message box.
void settle(tovrik::ui::Form1 &form) {
    QCoreApplication::processEvents();
    form.Text2->viewport()->repaint();
}

// Ctrl+V into the empty message box, the text on the clipboard as any
// program puts it there.
void paste(tovrik::ui::Form1 &form, const QString &text) {
    auto *data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
    QTest::keyClick(form.Text2, Qt::Key_V, Qt::ControlModifier);
    settle(form);
}

// Arguments: length, kind of message (see message()).
void BM_PasteMessage(benchmark::State &state) {
    Window w;
    const QString text = message(state.range(0), int(state.range(1)));
    w.form.Text2->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        w.form.Text2->clear();
        settle(w.form);
        state.ResumeTiming();
        paste(w.form, text);
    }
    if (w.form.Text2->text().size() != text.size())
        state.SkipWithError("the paste did not arrive whole");
}
BENCHMARK(BM_PasteMessage)
    ->ArgNames({"chars", "kind"})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 3})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_PasteMessage)
    ->Name("BM_PasteMessage10M")
    ->ArgNames({"chars", "kind"})
    ->Args({10'000'000, 1})
    ->Args({10'000'000, 2})
    ->Args({10'000'000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The box repainted, as each blink of the cursor repaints it, over a letter
// under 50,000 accents: one line that takes Qt a second to shape.
void BM_RepaintLongGrapheme(benchmark::State &state) {
    Window w;
    w.form.Text2->setFocus();
    paste(w.form, u"e"_s + QString(50'000, QChar(0x0301)));
    settle(w.form);
    for (auto _ : state)
        w.form.Text2->viewport()->repaint();
}
BENCHMARK(BM_RepaintLongGrapheme)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// One key typed into a pasted message, the cursor at its start (0) or its
// end (1). Arguments: length, kind of message, where.
void BM_TypeKey(benchmark::State &state) {
    Window w;
    w.form.Text2->setFocus();
    paste(w.form, message(state.range(0), int(state.range(1))));
    w.form.Text2->setCursorPosition(state.range(2) ? w.form.Text2->text().size() : 0);
    settle(w.form);
    const qsizetype before = w.form.Text2->text().size();
    for (auto _ : state) {
        QTest::keyClick(w.form.Text2, Qt::Key_X);
        settle(w.form);
    }
    if (w.form.Text2->text().size() != before + qsizetype(state.iterations()))
        state.SkipWithError("a key did not arrive");
}
BENCHMARK(BM_TypeKey)
    ->ArgNames({"chars", "kind", "end"})
    ->ArgsProduct({{1'000'000}, {1, 2, 0, 3}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_TypeKey)
    ->Name("BM_TypeKey10M")
    ->ArgNames({"chars", "kind", "end"})
    ->ArgsProduct({{10'000'000}, {1, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

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

// Ctrl+A in the list, and the repaint.
void BM_SelectAll(benchmark::State &state) {
    Window w;
    w.fill(int(state.range(0)));
    w.form.ListView1->setFocus();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(w.form.ListView1, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::processEvents();
        state.PauseTiming();
        w.form.ListView1->clearSelection();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectAll)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

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

// The copy of 65,000 ticked rows, after one piece of the given length (a
// data blob that the space mode keeps whole): the copy costs the text it
// copies, not every row the width of the longest.
void BM_CopyToClipboard(benchmark::State &state) {
    Window w;
    if (state.range(0) > 0) {
        const QString blob = message(state.range(0), 0);
        tovrik::commands::ResultsModel::Batch(w.form.results(), blob).append(blob);
    }
    w.fill(65000);
    w.form.results().setAllChecked(true);
    for (auto _ : state)
        w.form.PushButton6_Click();
    state.counters["chars"] = double(w.desktop.clipboard.size());
}
BENCHMARK(BM_CopyToClipboard)
    ->ArgName("first")
    ->Arg(0)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

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
