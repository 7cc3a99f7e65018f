// The memory the window holds on a 10,000-line year: the year read, the cash book
// open on its last page, the aggregation run and the summary screen shown, on Qt's
// offscreen platform. Reported as counters: RSS (resident now) and HWM (the peak), in
// MB, read from /proc/self/status, and the whole window's RSS after each step. The peak is the process's: run one benchmark per
// process (--benchmark_filter), BM_WholeWindow for the program as the user has it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchBooks.h"
#include "bench/BenchFolder.h"
#include "bench/BenchScreens.h"
#include "books/BookViewForm.h"
#include "cashbook/Aggregation.h"
#include "cashbook/CashBookForm.h"
#include "platform/Fonts.h"
#include "platform/PrinterHost.h"
#include "reports/MonthlyTotalsForm.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "ui/TextGridModel.h"
#include "ui/AppContext.h"

namespace {

using namespace tabulo;

double StatusMb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024;
    return 0;
}

void BM_CashBookAndSummaryShown(benchmark::State& state) {
    QApplication& app = bench::App();
    bench::BenchFolder folder;
    SharedState& s = const_cast<SharedState&>(folder.state());
    bench::YesPrompt prompt;
    bench::NoToolbar toolbar;
    AppContext ctx{s, prompt, toolbar};
    for (auto _ : state) {
        CashBookForm cashBook(ctx);
        cashBook.show();
        app.processEvents();
        auto totalled = AggregateYear(s, prompt);
        if (!totalled || !*totalled) state.SkipWithError("aggregation refused");
        MonthlyTotalsForm summary(ctx);
        summary.show();
        app.processEvents();
        state.counters["RSS_MB"] = StatusMb("VmRSS:");
        state.counters["HWM_MB"] = StatusMb("VmHWM:");
    }
}
BENCHMARK(BM_CashBookAndSummaryShown)->Iterations(1)->Unit(benchmark::kMillisecond);

// The whole window as the program sets it up: its fonts, the printer host and the
// help, the main window shown and the year read from its data folder as the user reads
// it (データ読み込み), the cash book opened from it, 集計 run and the summary screen
// shown over both, then the books' screens: 仕訳帳 and 総勘定元帳 (the ledger of the
// first account, cash) over all of them.
void BM_WholeWindow(benchmark::State& state) {
    QApplication& app = bench::App();
    RegisterFontSubstitutions();
    QFont uiFont(QStringLiteral("IPAPGothic"));
    uiFont.setPointSize(10);
    QApplication::setFont(uiFont);
    bench::BenchFolder folder;
    SharedState& s = const_cast<SharedState&>(folder.state());
    // The data folder is the year's KEIRIDATA, on a drive named by its path.
    s.ProgramFolder = folder.folder().parent_path() / "program";
    std::filesystem::create_directories(s.ProgramFolder);
    s.SetupLines[1] = folder.folder().parent_path().string();
    bench::YesPrompt prompt;
    PrinterHost printer(s.ProgramFolder);
    HelpOnDemand help(s.ProgramFolder / "help");
    for (auto _ : state) {
        MainWindow main(s, prompt, &printer, &help);
        main.show();
        app.processEvents();
        main.ReadYear();
        if (s.DataLoaded != 1 || s.LedgerHeader.LineCount != bench::kYearLines)
            state.SkipWithError("the year was not read");
        // The items' accounts, opening balances and 500 slips: the books' screens have
        // every line of the year to show.
        if (!bench::WriteBenchBooks(s)) state.SkipWithError("books not written");
        app.processEvents();
        state.counters["1_year_read_MB"] = StatusMb("VmRSS:");
        CashBookForm cashBook(main.Context(), &main);
        cashBook.show();
        app.processEvents();
        state.counters["2_cash_book_MB"] = StatusMb("VmRSS:");
        auto totalled = AggregateYear(s, prompt);
        if (!totalled || !*totalled) state.SkipWithError("aggregation refused");
        MonthlyTotalsForm summary(main.Context(), &cashBook);
        summary.show();
        app.processEvents();
        state.counters["3_summary_MB"] = StatusMb("VmRSS:");
        BookViewForm journal(main.Context(), BookViewForm::Kind::Journal, &main);
        journal.show();
        app.processEvents();
        state.counters["4_journal_MB"] = StatusMb("VmRSS:");
        BookViewForm ledger(main.Context(), BookViewForm::Kind::Ledger, &main);
        ledger.show();
        ledger.ChooseListedAccount(0);
        app.processEvents();
        state.counters["journal_rows"] = journal.model()->rowCount();
        state.counters["ledger_rows"] = ledger.model()->rowCount();
        if (!journal.Loaded() || !ledger.Loaded() || journal.model()->rowCount() == 0 ||
            ledger.model()->rowCount() < 3)
            state.SkipWithError("the books' screens show nothing");
        state.counters["RSS_MB"] = StatusMb("VmRSS:");
        state.counters["HWM_MB"] = StatusMb("VmHWM:");
    }
}
BENCHMARK(BM_WholeWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
