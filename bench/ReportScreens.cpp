// The report screens and printing on a 10,000-line year: picking an item with 2,000
// lines in the item ledger until its grid is filled, and playing item-ledger printouts
// of 50 and 250 pages into PDF files.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <memory>
#include <vector>

#include "bench/BenchScreens.h"
#include "bench/BenchYear.h"
#include "platform/PrintDocument.h"
#include "platform/PrinterHost.h"
#include "platform/Prompt.h"
#include "reports/ItemLedger.h"
#include "reports/ItemLinesForm.h"
#include "ui/AppContext.h"
#include "ui/TextGridModel.h"

namespace {

using namespace tabulo;
using bench::App;
using bench::NoToolbar;

void BM_ItemLedgerSelect2000Lines(benchmark::State& state) {
    App();
    bench::BenchYear year;
    bench::YesPrompt prompt;
    NoToolbar toolbar;
    AppContext ctx{year.s, prompt, toolbar};
    ItemLinesForm form(ctx);
    for (auto _ : state) {
        form.ShowItemLines(7);  // item 8
        if (form.model()->rowCount() != 2000) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_ItemLedgerSelect2000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();

// Pages of 40 lines: 50 pages for the item's 2,000 lines, 250 for five times as many.
void BM_ItemLedgerPrintIntoPdf(benchmark::State& state) {
    App();
    bench::BenchYear year;
    bench::YesPrompt prompt;
    auto sel = SelectItemLines(year.s, 8);
    std::vector<ItemLedgerRow> rows;
    for (int i = 0; i < state.range(0) / 50; ++i)
        rows.insert(rows.end(), sel->rows.begin(), sel->rows.end());
    PrinterHost host(year.folder());
    host.Printer().setOutputFormat(QPrinter::PdfFormat);
    for (auto _ : state) {
        state.PauseTiming();
        const PrintDocument doc =
            PrintItemLedger(year.s, prompt, ItemLedgerPrintTable(rows, sel->income, sel->expense), 8);
        state.ResumeTiming();
        if (!host.Print(doc)) state.SkipWithError("printing failed");
    }
}
BENCHMARK(BM_ItemLedgerPrintIntoPdf)
    ->Arg(50)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
