// Opening each statement screen on a full year's totals, with its tax-return file
// read from a temporary folder (the time from the click to a filled screen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <random>

#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "taxreturn/StatementPage1Form.h"
#include "taxreturn/StatementPage2Form.h"
#include "taxreturn/StatementPage3Form.h"
#include "taxreturn/StatementPage4Form.h"
#include "bench/BenchBooks.h"
#include "bench/BenchYear.h"
#include "bench/BenchScreens.h"
#include "ui/AppContext.h"

namespace {

using namespace tabulo;
using bench::App;
using bench::NoToolbar;

class SilentPrompt : public Prompt {
  public:
    int MsgBox(std::string_view, int, std::string_view) override { return Answer::Yes; }
    void Beep() override {}
};

struct Year {
    Year() {
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() / ("tabulo-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        s.TaxReturnPath = dir / "SHINKOKU.DAT";
        s.ProgramFolder = TABULO_SOURCE_DIR;
        for (int i = 1; i <= kItemCount; ++i) {
            auto& item = s.ItemTable[static_cast<std::size_t>(i)];
            item.ItemName = "項目";
            item.ItemKubun2 = static_cast<std::int16_t>(i % 4);
            item.ItemKubun3 = static_cast<std::int16_t>(i % 46);
            for (int c = 1; c <= 14; ++c)
                s.MonthlyItemTable[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)] =
                    12345 * c;
        }
        s.TaxReturnData = DefaultTaxReturnData();
        SaveTaxReturnData(s);
    }
    ~Year() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::filesystem::path dir;
    SharedState s;
};

template <class Form>
void BM_OpenStatementScreen(benchmark::State& state) {
    App();
    Year year;
    SilentPrompt prompt;
    NoToolbar toolbar;
    AppContext ctx{year.s, prompt, toolbar};
    for (auto _ : state) {
        Form form(ctx);
        if (!form.Loaded()) state.SkipWithError("not loaded");
    }
}
BENCHMARK_TEMPLATE(BM_OpenStatementScreen, StatementPage1Form)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_OpenStatementScreen, StatementPage2Form)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_OpenStatementScreen, StatementPage3Form)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// Page 4 works its figures out of the books on opening: a 10,000-line year with 500
// transfer slips and opening balances (the goal is 20 ms or less).
void BM_OpenStatementPage4(benchmark::State& state) {
    App();
    bench::BenchYear year;
    SharedState& s = year.s;
    s.TaxReturnPath = year.folder() / "SHINKOKU.DAT";
    s.ProgramFolder = TABULO_SOURCE_DIR;
    s.TaxReturnData = DefaultTaxReturnData();
    SaveTaxReturnData(s);
    if (!bench::WriteBenchBooks(s)) state.SkipWithError("books not written");
    SilentPrompt prompt;
    NoToolbar toolbar;
    AppContext ctx{s, prompt, toolbar};
    for (auto _ : state) {
        StatementPage4Form form(ctx);
        if (!form.Loaded()) state.SkipWithError("not loaded");
    }
}
BENCHMARK(BM_OpenStatementPage4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
