// "Start Splitting" end to end on a 10 MB message: settings, limit, cutting
// and the rows of the results list (about 65,000 at limit 160).
#include "desktop.h"
#include "pointershape.h"
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

// The same prose as bench_cutter, so the figures compare.
QString prose(qsizetype units) {
    static const QStringList sentences = {
        u"The morning train left the station a few minutes late, as it did most days."_s,
        u"She folded the letter twice and slipped it into the pocket of her coat."_s,
        u"Nobody in the village could remember when the old mill had last turned."_s,
        u"If you leave now, you will reach the harbour before the tide comes in."_s,
        u"He asked whether the meeting had been moved to Thursday afternoon."_s,
        u"Prices rose again in March, though more slowly than the analysts expected."_s,
        u"The children ran down to the river, shouting and laughing all the way."_s,
        u"Why would anyone build a house so far from the nearest road?"_s,
        u"A thin rain had started to fall, and the streets were nearly empty."_s,
        u"Please bring your passport, two photographs and a copy of the form."_s,
        u"It was, by any measure, the strangest summer the town had ever seen."_s,
        u"They talked until midnight about books, music and the friends they had lost."_s,
        u"The committee will publish its findings at the end of the month."_s,
        u"What a relief it was to hear her voice on the telephone again!"_s,
        u"Most of the furniture had been sold, but the piano was still there."_s,
        u"Our flight was cancelled, so we spent the night in a small hotel near the airport."_s,
        u"Turn left at the bakery and walk on until you see the blue door."_s,
        u"The results were encouraging, although the sample was rather small."_s,
    };
    QString text;
    text.reserve(units + 128);
    std::uint32_t state = 12345;
    while (text.size() < units) {
        state = state * 1664525u + 1013904223u;
        text += sentences.at((state >> 16) % sentences.size());
        text += ((state >> 8) % 23 == 0) ? u"\r\n"_s : u" "_s;
    }
    text.truncate(units);
    return text;
}

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
