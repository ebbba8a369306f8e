// The cutting routine on a 10 MB (UTF-16) message of English prose, limit 160,
// with every piece copied out behind a line feed, as a caller would; and the
// SMS cut of texts whose graphemes need the rules throughout.
//
// Reported: the time per piece, and bytes_per_second counting the bytes copied out
// (every byte of every piece is read). "warm" leaves the message in the
// caches from one iteration to the next (it fits the 32 MiB L3 of the machine
// measured); "cold" pushes it out with a 64 MiB pass, untimed, before each.
#include "core/cutter.h"
#include "core/sms.h"
#include "prose.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tovrik::bench::prose;

constexpr qsizetype MessageUnits = 5'000'000; // 10 MB as UTF-16

const QString &message() {
    static const QString text = prose(MessageUnits);
    return text;
}

void BM_Cut(benchmark::State &state, tovrik::core::SplitMode mode, bool cold) {
    const QString &text = message();
    // Room for every unit and a line feed after each piece.
    std::vector<char16_t> out(std::size_t(text.size()) * 2 + 16);
    std::vector<char> evictor(cold ? 64u << 20 : 0);
    std::int64_t pieces = 0;
    std::int64_t copied = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            std::memset(evictor.data(), int(state.iterations()), evictor.size());
            benchmark::ClobberMemory();
            state.ResumeTiming();
        }
        char16_t *end = out.data();
        pieces = 0;
        const QStringView view(text);
        const std::u16string_view units(view.utf16(), std::size_t(view.size()));
        tovrik::core::CutMessage(units, 160, mode, [&](std::u16string_view piece) {
            std::memcpy(end, piece.data(), std::size_t(piece.size()) * sizeof(char16_t));
            end += piece.size();
            *end++ = u'\n';
            ++pieces;
        });
        copied = (end - out.data()) * std::int64_t(sizeof(char16_t));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * copied);
    state.counters["pieces"] = double(pieces);
    // An inverted rate: the time per piece ("16.3ns").
    state.counters["per_piece"] =
        benchmark::Counter(double(pieces), benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
    state.SetLabel(cold ? "message out of cache" : "message stays in cache");
}

// The SMS cut (UTF-8, graphemes kept whole) of 1 MiB without one sure
// grapheme boundary: flag letters, a letter under combining accents, or
// Devanagari without blanks. Their graphemes are worked out near each cut
// only, so the time grows with the text, as for any other.
void BM_SmsCutWithoutSureBoundaries(benchmark::State &state) {
    static const char *const units[] = {"\U0001F1FA", "a\u0301\u0301\u0301", "\u0928\u092E"};
    std::string text;
    while (text.size() < (1u << 20))
        text += units[state.range(0)];
    tovrik::core::SmsCutter cutter;
    std::vector<std::string_view> pieces;
    for (auto _ : state) {
        pieces.clear();
        cutter.setMessage(text);
        cutter.cut({}, tovrik::core::SplitMode::Space, pieces);
        benchmark::DoNotOptimize(pieces.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
    state.counters["pieces"] = double(pieces.size());
}

} // namespace

BENCHMARK(BM_SmsCutWithoutSureBoundaries)
    ->ArgName("kind")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, exact_warm, tovrik::core::SplitMode::Exact, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, space_warm, tovrik::core::SplitMode::Space, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, period_warm, tovrik::core::SplitMode::Period, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, exact_cold, tovrik::core::SplitMode::Exact, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, space_cold, tovrik::core::SplitMode::Space, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Cut, period_cold, tovrik::core::SplitMode::Period, true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
