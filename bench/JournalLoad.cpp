// The cash book's operations under the redo log, on a quiet disk and on a busy one: a
// second process rewrites a large file on the same file system and flushes it over and
// over, so that every flush of ours waits behind it. Wall time per operation, and the
// flushes each makes (fsync and fdatasync, the folder's included): one, the log's.
//
//   load 0/1: the disk quiet or busy
//
// Run with --benchmark_enable_random_interleaving=true --benchmark_repetitions=N to
// measure quiet and busy alternately in one run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cashbook/Ledger.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/Journal.h"
#include "store/SharedState.h"

namespace {

using namespace tabulo;

constexpr int kLines = 10000;

// A 10,000-line year (平成13) of income and expense lines; the last line a withdrawal from
// account 1 (category 2), so that changing it corrects the deposit book.
class Year {
  public:
    Year() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("tabulo-jbench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        s.LedgerPath = dir_ / "KEIRI13.DAT";
        s.DepositPath = dir_ / "YOKIN13.DAT";
        s.SetupLines[2] = "20000";
        s.PageLimit = 2000;
        // The year the files are named for: its history goes with every operation.
        s.FiscalYear = 13;
        s.EraName = "平成";
        s.ItemTable[1] = {"売上", 1, "収入", 0, 0};
        s.ItemTable[2] = {"預金引出", 2, "収入", 0, 0};
        s.ItemTable[4] = {"仕入", 4, "支出", 0, 0};
        LedgerHeaderRecord h;
        h.LineCount = kLines;
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        Amount balance = 0;
        for (int n = 1; n <= kLines; ++n) {
            LedgerLine line = BlankLedgerLine(0);
            line.NenGetsuBi = "130401";
            line.Youbi = "（日）";
            line.ItemNo = n == kLines ? 2 : n % 3 == 0 ? 4 : 1;
            if (line.ItemNo == 4)
                line.Outdata = 50;
            else
                line.Indata = 100;
            balance += line.Indata - line.Outdata;
            line.Zandaka = balance;
            auto encoded = EncodeLedgerLine(line);
            bytes.insert(bytes.end(), encoded->begin(), encoded->end());
        }
        std::ofstream(s.LedgerPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        h.LineCount = kLines;
        s.LedgerHeader = h;
        s.DepositBook = ClearedDepositBook();
        s.DepositBook.AccountName[1] = "普通預金";
        s.DepositBook.CurrentBalance[1] = 1000000;
        s.DepositBook.CurrentTotal = 1000000;
        auto deposit = EncodeDepositBook(s.DepositBook);
        std::ofstream(s.DepositPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(deposit->data()), static_cast<std::streamsize>(deposit->size()));
    }
    ~Year() {
        SettleDataFolder(dir_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& dir() const { return dir_; }
    SharedState s;

  private:
    std::filesystem::path dir_;
};

// A second process that rewrites 8 MiB beside the year and flushes it, over and over.
class DiskLoad {
  public:
    explicit DiskLoad(const std::filesystem::path& file) : file_(file) {
        pid_ = ::fork();
        if (pid_ != 0) return;
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::vector<char> block(8u << 20);
        for (unsigned round = 0;; ++round) {
            std::fill(block.begin(), block.end(), static_cast<char>(round));
            if (::pwrite(fd, block.data(), block.size(), 0) < 0 || ::fdatasync(fd) != 0) ::_exit(1);
        }
    }
    ~DiskLoad() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove(file_, ec);
    }

  private:
    std::filesystem::path file_;
    pid_t pid_ = -1;
};

// Passes every call on and counts the flushes.
class CountingFiles : public FileOps {
  public:
    int Fsync(int fd) override {
        ++flushes;
        return FileOps::Fsync(fd);
    }
    int Fdatasync(int fd) override {
        ++flushes;
        return FileOps::Fdatasync(fd);
    }
    long flushes = 0;
};

enum Op { kChangeLastLine, kChangeWithDeposit, kInsertAndDelete, kChangeLine1, kChangeAndSettle };

void Check(const Status& st, benchmark::State& state) {
    if (!st) state.SkipWithError((st.error().path + ": " + st.error().detail).c_str());
}

void BM_RedoLog(benchmark::State& state) {
    const auto op = static_cast<Op>(state.range(0));
    Year y;
    std::optional<DiskLoad> load;
    if (state.range(1) != 0) {
        load.emplace(y.dir() / "load.bin");
        ::usleep(200000);  // the load under way
    }
    CountingFiles counting;
    ScopedFileOps use(counting);
    RowFields income{"130401", "（日）", 1, ""};
    RowFields withdrawal{"130401", "（日）", 2, ""};
    Amount amount = 100;
    long operations = 0;
    for (auto _ : state) {
        const Amount previous = amount;
        amount = amount == 100 ? 200 : 100;
        switch (op) {
            case kChangeLastLine:
                Check(PostAmount(y.s, kLines - 1, 1, amount, "04", income), state);
                ++operations;
                break;
            case kChangeWithDeposit: {
                DepositChange d{2, 1, previous};
                Check(PostAmount(y.s, kLines, 1, amount, "04", withdrawal, &d), state);
                ++operations;
                break;
            }
            case kInsertAndDelete:
                Check(InsertLine(y.s, kLines).ok() ? Ok() : Status(FileError{}), state);
                Check(DeleteLine(y.s, kLines, 0), state);
                operations += 2;
                break;
            case kChangeLine1:
                Check(PostAmount(y.s, 1, 1, amount, "04", income), state);
                ++operations;
                break;
            case kChangeAndSettle: {
                // A change, then what a save of the deposit book or a statement page
                // does first: the journal settled.
                Check(PostAmount(y.s, kLines - 1, 1, amount, "04", income), state);
                auto settled = SettleJournal(JournalPathFor(y.s.LedgerPath), AfterRecovery::Keep);
                if (!settled) state.SkipWithError("settling failed");
                ++operations;
                break;
            }
        }
    }
    state.counters["flushes_per_op"] =
        benchmark::Counter(static_cast<double>(counting.flushes) / static_cast<double>(std::max(operations, 1L)));
    state.counters["ops"] = static_cast<double>(operations);
}

void Args(benchmark::internal::Benchmark* b) {
    b->ArgNames({"op", "load"});
    for (int load : {0, 1})
        for (int op : {kChangeLastLine, kChangeWithDeposit, kInsertAndDelete, kChangeLine1, kChangeAndSettle})
            b->Args({op, load});
}
BENCHMARK(BM_RedoLog)->Apply(Args)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
