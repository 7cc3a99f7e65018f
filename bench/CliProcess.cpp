// tabulo-cli as a user starts it: the whole process, from exec to exit, on a
// 10,000-line year (item 8 carries 2,000 lines, 50 pages of the item ledger).
// Wall time is what counts; run with bench/cli.sh for medians.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchYear.h"
#include "cashbook/Ledger.h"
#include "platform/AtomicFile.h"
#include "store/DataSet.h"
#include "store/LedgerFile.h"

extern char** environ;

namespace tabulo::bench {
namespace {

// The benchmark year as a whole data folder: DATE.DAT, MASTER.DAT, SHINKOKU.DAT, the
// ledger with its balances and totals worked out, and a cleared deposit book.
class BenchFolder {
  public:
    BenchFolder() {
        SharedState& s = year_.s;
        {
            // Dates in order within each month, as the date check wants them.
            auto f = LedgerFile::Open(s.LedgerPath);
            int first = 1;
            std::string month;
            for (int n = 1; n <= kYearLines; ++n) {
                LedgerLine line = *f->ReadLine(n);
                if (line.NenGetsuBi.substr(2, 2) != month) {
                    month = line.NenGetsuBi.substr(2, 2);
                    first = n;
                }
                const int day = std::min(28, (n - first) * 28 / 834 + 1);
                line.NenGetsuBi =
                    line.NenGetsuBi.substr(0, 4) + (day < 10 ? "0" : "") + std::to_string(day);
                if (!f->WriteLine(n, line).ok()) std::abort();
            }
            if (!f->Commit().ok()) std::abort();
        }
        if (!RecalculateAll(s).ok() || !ComputeLedgerTotals(s).ok()) std::abort();
        {
            auto f = LedgerFile::Open(s.LedgerPath);
            f->WriteHeader(s.LedgerHeader);
            if (!f->Commit().ok()) std::abort();
        }
        folder_ = year_.folder() / "KEIRIDATA";
        std::filesystem::create_directories(folder_);
        std::filesystem::copy_file(s.LedgerPath,
                                   folder_ / ("KEIRI" + YearTag(s.FiscalYear) + ".DAT"));
        auto save = [&](const char* name, const Result<std::vector<std::byte>>& bytes) {
            if (!bytes || !AtomicSave(folder_ / name, *bytes).ok()) std::abort();
        };
        save("DATE.DAT", EncodeFiscalYearFile({s.FiscalYear, s.EraName, 0}));
        MasterHeaderArray header;
        header[MasterField::BusinessName] = s.ReportTitleName;
        save("MASTER.DAT", EncodeMasterFile(header, s.ItemTable));
        save("SHINKOKU.DAT", EncodeTaxReturnFile(DefaultTaxReturnData()));
        save(("YOKIN" + YearTag(s.FiscalYear) + ".DAT").c_str(),
             EncodeDepositBook(ClearedDepositBook()));
    }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    BenchYear year_;
    std::filesystem::path folder_;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

// Runs tabulo-cli with `args`, its output to /dev/null; aborts on an unexpected status.
void RunCli(const std::vector<std::string>& args, int expected) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = TABULO_CLI;
    std::vector<char*> argv{program.data()};
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        std::abort();
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != expected) std::abort();
}

void Cli(benchmark::State& state, std::vector<std::string> args) {
    const std::string folder = Folder().folder().string();
    const std::string pdf = (Folder().folder().parent_path() / "out.pdf").string();
    for (auto& a : args) {
        if (a == "DIR") a = folder;
        if (a == "PDF") a = pdf;
    }
    for (auto _ : state) RunCli(args, 0);
}

BENCHMARK_CAPTURE(Cli, check, std::vector<std::string>{"check", "DIR"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, export_summary, std::vector<std::string>{"export", "summary", "DIR"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, export_ledger, std::vector<std::string>{"export", "ledger", "DIR"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, export_trial_balance,
                  std::vector<std::string>{"export", "trial-balance", "DIR"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, export_journal_hledger,
                  std::vector<std::string>{"export", "journal", "DIR", "--format", "hledger"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, print_item_8,
                  std::vector<std::string>{"print", "item", "8", "DIR", "-o", "PDF"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, print_summary,
                  std::vector<std::string>{"print", "summary", "DIR", "-o", "PDF"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tabulo::bench
