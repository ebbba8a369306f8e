// "Start Splitting" end to end on a 10 MB message: settings, limit, cutting
// and the rows of the results list (about 65,000 at limit 160).
#include "desktop.h"
#include "pointershape.h"
#include "prose.h"
#include "resultsmodel.h"
#include "settingsstore.h"
#include "splitsettings.h"
#include "spreadsheet.h"
#include "startsplitting.h"

#include <QDir>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

class NullSettings : public tovrik::Settings {
public:
    QString ReadSetting(const QString &, const QVariant &value) const override {
        return value.toString();
    }
    void WriteSetting(const QString &, const QString &) override {}
};

// Counts messages so that a refused run shows up instead of timing nothing.
class NullDesktop : public tovrik::Desktop {
public:
    int messages = 0;
    void message(const QString &, const QString &, tovrik::MessageIcon) override { ++messages; }
    QString saveFileName(const QString &, const QStringList &, const QString &) override {
        return {};
    }
    QString browseForFolder(const QString &, const QString &) override { return {}; }
    bool clearClipboard() override { return false; }
    bool setClipboardText(const QString &) override { return false; }
    std::unique_ptr<tovrik::SpreadsheetApplication> createSpreadsheet() override { return nullptr; }
    bool openUrl(const QUrl &) override { return false; }
    void seedRandom(quint32) override {}
    double random() override { return 0; }
};

using tovrik::bench::prose; // the same prose as bench_cutter, so the figures compare

void BM_StartSplitting(benchmark::State &state, int modeOption) {
    const QString message = prose(5'000'000);
    NullSettings store;
    tovrik::SplitSettings settings(store);
    settings.setOption(1, true);
    settings.setOption(modeOption, true);
    tovrik::ResultsModel results;
    results.addColumn(u"Message"_s);
    tovrik::PointerShape pointer;
    NullDesktop desktop;
    const tovrik::SplitCommand command{settings,
                                       results,
                                       pointer,
                                       desktop,
                                       [] { return QDir::tempPath(); },
                                       [&] { return message; }};
    for (auto _ : state)
        tovrik::PushButton2_Click(command);
    if (desktop.messages > 0)
        state.SkipWithError("the command showed a message");
    state.SetBytesProcessed(state.iterations() * message.size() * std::int64_t(sizeof(char16_t)));
    state.counters["rows"] = results.count();
}

} // namespace

BENCHMARK_CAPTURE(BM_StartSplitting, exact, 6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartSplitting, space, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartSplitting, period, 7)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
