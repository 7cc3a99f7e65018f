// tabulo-cli as a user starts it: the whole process, from exec to exit, on a
// 10,000-line year (item 8 carries 2,000 lines, 50 pages of the item ledger).
// Wall time is what counts; run with bench/cli.sh for medians.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchHistory.h"

extern char** environ;

namespace tabulo::bench {
namespace {

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

// The same year with a history of 20,000 changes beside it.
const std::filesystem::path& HistoryFolder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path out = Folder().folder().parent_path() / "KEIRIDATA-HISTORY";
        std::filesystem::remove_all(out);
        std::filesystem::copy(Folder().folder(), out, std::filesystem::copy_options::recursive);
        WriteBenchHistory(BenchHistoryPath(out, Folder().state().FiscalYear));
        return out;
    }();
    return folder;
}

// Runs `program` with `args`, its output to /dev/null; aborts on an unexpected status.
void Run(const std::string& program, const std::vector<std::string>& args, int expected) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string name = program;
    std::vector<char*> argv{name.data()};
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

// `args` with DIR (the data folder), PDF (an output file, which every run after the
// first replaces: hence --force with it) and JOURNAL (the year as a ledger-format
// journal) filled in.
std::vector<std::string> Filled(std::vector<std::string> args) {
    const std::filesystem::path folder = Folder().folder();
    for (auto& a : args) {
        if (a == "DIR") a = folder.string();
        if (a == "HISTORYDIR") a = HistoryFolder().string();
        if (a == "PDF") a = (folder.parent_path() / "out.pdf").string();
        if (a == "JOURNAL") a = (folder.parent_path() / "year.ledger").string();
    }
    return args;
}

void Cli(benchmark::State& state, std::vector<std::string> args) {
    args = Filled(std::move(args));
    for (auto _ : state) Run(TABULO_CLI, args, 0);
}

// The same for a command that finds faults (status 1): the history written for the
// benchmark is not the history of the year's books, and check says so.
void CliFindingFaults(benchmark::State& state, std::vector<std::string> args) {
    args = Filled(std::move(args));
    for (auto _ : state) Run(TABULO_CLI, args, 1);
}

// The floor every command stands on: the process started, its arguments read.
BENCHMARK_CAPTURE(Cli, version, std::vector<std::string>{"--version"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, check, std::vector<std::string>{"check", "DIR"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// With a history of 20,000 changes: the check reads it whole; history lists it.
BENCHMARK_CAPTURE(CliFindingFaults, check_with_history, std::vector<std::string>{"check", "HISTORYDIR"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, history, std::vector<std::string>{"history", "HISTORYDIR"})
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
                  std::vector<std::string>{"print", "item", "8", "DIR", "-o", "PDF", "--force"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, print_summary,
                  std::vector<std::string>{"print", "summary", "DIR", "-o", "PDF", "--force"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The peers, on the same year in the same run, each only when it is there: another
// build of tabulo-cli named by TABULO_BASE_CLI (to compare two builds), and ledger and
// hledger on the year as a journal, as `bal --monthly` (their per-item monthly totals).
std::string OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "";
    for (std::size_t at = 0; at <= dirs.size();) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        const std::filesystem::path candidate = std::filesystem::path(dirs.substr(at, end - at)) / name;
        if (end > at && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        at = end + 1;
    }
    return {};
}

void Peer(benchmark::State& state, const std::string& program, std::vector<std::string> args) {
    args = Filled(std::move(args));
    for (auto _ : state) Run(program, args, 0);
}

const bool kPeers = [] {
    auto add = [](const std::string& name, const std::string& program,
                  std::vector<std::string> args) {
        benchmark::RegisterBenchmark(name.c_str(), Peer, program, std::move(args))
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    if (const char* base = std::getenv("TABULO_BASE_CLI"); base != nullptr && *base != 0) {
        add("Base/check", base, {"check", "DIR"});
        add("Base/export_summary", base, {"export", "summary", "DIR"});
    }
    if (std::string ledger = OnPath("ledger"); !ledger.empty())
        add("Peer/ledger_bal_monthly", ledger, {"-f", "JOURNAL", "bal", "--monthly"});
    if (std::string hledger = OnPath("hledger"); !hledger.empty())
        add("Peer/hledger_bal_monthly", hledger, {"-f", "JOURNAL", "bal", "--monthly"});
    return true;
}();

}  // namespace
}  // namespace tabulo::bench
