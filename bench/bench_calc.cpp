// The largest export: a header and 65,000 pieces of 160 characters, from the
// first setCell up to the moment Calc would be started. Target: under 1 s.

#include "output/calcbackend.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void BM_CalcExport(benchmark::State &state) {
    const int rows = int(state.range(0));
    QStringList texts;
    texts.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        QString text = u"(%1/%2) "_s.arg(i + 1).arg(rows);
        while (text.size() < 160)
            text += u"Lorem ipsum dolor sit amet, consectetur adipiscing elit. "_s;
        texts.append(text.left(160));
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));

    qint64 fileSize = 0;
    for (auto _ : state) {
        QString file;
        tovrik::output::CalcApplication calc(u"soffice"_s,
                                             [&](const QString &, const QStringList &args) {
                                                 file = args.last();
                                                 return true;
                                             });
        tovrik::shell::Worksheet &sheet = calc.addWorkbook().activeSheet();
        sheet.setCell(1, 1, u"Results"_s);
        for (int i = 0; i < rows; ++i)
            sheet.setCell(i + 2, 1, texts[i]);
        sheet.autofitColumn(1);
        sheet.autofitColumns();
        calc.setVisible(true);

        state.PauseTiming();
        fileSize = QFileInfo(file).size();
        QDir(QFileInfo(file).absolutePath()).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["xlsx_bytes"] = double(fileSize);
}

} // namespace

BENCHMARK(BM_CalcExport)->Arg(65000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
