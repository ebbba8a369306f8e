// Records through tovrik-split's record path: 1,000,000 short messages (20 to
// 400 characters, GSM-7 and UCS-2 mixed) as JSON Lines in, JSON Lines out,
// each piece fitting one SMS. Reported as records per second.
#include "cli/records.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int Records = 1'000'000;

// Words of every kind a message holds: plain GSM-7, GSM-7 with escapes or
// accents, and words that make a message UCS-2 (Cyrillic, Chinese, emoji,
// a combining accent, small c cedilla), picked by a fixed-seed generator.
QByteArray records() {
    static const std::array gsm = {"the",
                                   "meeting",
                                   "moved",
                                   "to",
                                   "Thursday",
                                   "please",
                                   "bring",
                                   "your",
                                   "pass",
                                   "and",
                                   "a",
                                   "copy",
                                   "of",
                                   "form",
                                   "caf\xC3\xA9",
                                   "\xC3\xBC"
                                   "ber",
                                   "50",
                                   "\xE2\x82\xAC",
                                   "[ok]",
                                   "{x}",
                                   "price",
                                   "rose",
                                   "again",
                                   "in",
                                   "March",
                                   "hotel",
                                   "near",
                                   "airport",
                                   "\\\"quoted\\\"",
                                   "line\\nbreak",
                                   "@home",
                                   "\xC3\x85r"};
    static const std::array ucs2 = {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", // Cyrillic
                                    "\xE4\xBD\xA0\xE5\xA5\xBD",                         // Chinese
                                    "\xF0\x9F\x98\x80",                                 // an emoji
                                    "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9", // two joined
                                    "cafe\xCC\x81",   // a combining accent
                                    "gar\xC3\xA7on"}; // small c cedilla
    QByteArray out;
    out.reserve(Records * 260);
    std::uint32_t state = 2024;
    const auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int r = 0; r < Records; ++r) {
        const int length = 20 + int(next() % 381);
        const bool unicode = next() % 10 < 3; // three messages in ten are UCS-2
        out += R"({"id":)";
        out += QByteArray::number(r);
        out += R"(,"text":")";
        int written = 0;
        while (written < length) {
            const char *word =
                unicode && next() % 6 == 0 ? ucs2[next() % ucs2.size()] : gsm[next() % gsm.size()];
            if (written > 0) {
                out += ' ';
                ++written;
            }
            out += word;
            written += int(qstrlen(word));
        }
        out += "\"}\n";
    }
    return out;
}

void BM_RecordsJsonlSms(benchmark::State &state) {
    static const QByteArray input = records();
    QTemporaryFile file;
    if (!file.open() || file.write(input) != input.size() || !file.flush()) {
        state.SkipWithError("no temporary file");
        return;
    }
    const int in = ::open(qPrintable(file.fileName()), O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    tovrik::cli::Options options;
    options.sms = tovrik::core::SmsUnits::Standalone;
    options.json = true;
    options.records = tovrik::cli::RecordFormat::Jsonl;
    int status = 0;
    for (auto _ : state) {
        ::lseek(in, 0, SEEK_SET);
        status = tovrik::cli::RunRecords(options, in, out);
    }
    ::close(in);
    ::close(out);
    if (status != 0)
        state.SkipWithError("a record failed");
    state.SetBytesProcessed(state.iterations() * input.size());
    state.counters["records/s"] = benchmark::Counter(double(Records) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_RecordsJsonlSms)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
