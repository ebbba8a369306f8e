// The cutting routine on a 10 MB (UTF-16) message of English prose, limit 160.
#include "cutter.h"
#include "prose.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

using tovrik::bench::prose;

constexpr qsizetype MessageUnits = 5'000'000; // 10 MB as UTF-16

const QString &message() {
    static const QString text = prose(MessageUnits);
    return text;
}

void BM_Cut(benchmark::State &state, tovrik::SplitMode mode) {
    const QString &text = message();
    std::int64_t pieces = 0;
    for (auto _ : state) {
        pieces = 0;
        tovrik::CutMessage(text, 160, mode, [&](QStringView piece) {
            benchmark::DoNotOptimize(piece.data());
            ++pieces;
        });
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * text.size() * std::int64_t(sizeof(char16_t)));
    state.counters["pieces"] = double(pieces);
}

} // namespace

BENCHMARK_CAPTURE(BM_Cut, exact, tovrik::SplitMode::Exact)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, space, tovrik::SplitMode::Space)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, period, tovrik::SplitMode::Period)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
