// "Start Splitting" end to end on a 10 MB message: settings, limit, cutting
// and the rows of the results list (about 65,000 at limit 160).
#include "commands/resultsmodel.h"
#include "commands/splitsettings.h"
#include "commands/startsplitting.h"
#include "prose.h"
#include "settings/settingsstore.h"
#include "shell/pointershape.h"
#include "testdesktop.h"

#include <QDir>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

class NullSettings : public tovrik::settings::Settings {
public:
    QString ReadSetting(const QString &, const QVariant &value) const override {
        return value.toString();
    }
    void WriteSetting(const QString &, const QString &) override {}
};

using tovrik::bench::prose; // the same prose as bench_cutter, so the figures compare

void BM_StartSplitting(benchmark::State &state, int modeOption) {
    const QString message = prose(5'000'000);
    NullSettings store;
    tovrik::commands::SplitSettings settings(store);
    settings.setOption(1, true);
    settings.setOption(modeOption, true);
    tovrik::commands::ResultsModel results;
    results.addColumn(u"Message"_s);
    tovrik::shell::PointerShape pointer;
    tovrik::testing::TestDesktop desktop;
    const tovrik::commands::SplitCommand command{settings,
                                                 results,
                                                 pointer,
                                                 desktop,
                                                 [] { return QDir::tempPath(); },
                                                 [&] { return message; }};
    for (auto _ : state)
        tovrik::commands::PushButton2_Click(command);
    if (!desktop.messages.isEmpty())
        state.SkipWithError("the command showed a message");
    state.SetBytesProcessed(state.iterations() * message.size() * std::int64_t(sizeof(char16_t)));
    state.counters["rows"] = results.count();
}

} // namespace

BENCHMARK_CAPTURE(BM_StartSplitting, exact, 6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartSplitting, space, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartSplitting, period, 7)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
