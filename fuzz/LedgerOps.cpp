// Ledger operations on a fuzzed year (平成13, so that its dates are days of the year).
// The input is a few operation codes followed by the bytes of KEIRI<nn>.DAT; a year
// whose header reads is worked on with posts, inserts, deletes with deposit
// corrections, recalculations and the end of entry. An operation that fails must leave
// the ledger, the deposit file, the history and the shared state as they were; one
// that succeeds must leave a ledger that reads again, with memory equal to its header,
// and a history that reads whole.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzCommon.h"
#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/SharedState.h"

using namespace tabulo;

namespace {

constexpr std::size_t kOps = 8;  // bytes of operation codes, 4 per operation

const std::filesystem::path& Folder() { return fuzz::TempFolder("/tmp/tabulo-fuzz-XXXXXX"); }

using fuzz::ReadAll;

// The operations, by the code that chooses them, and a change the history recorded.
fuzz::Operation kinds[] = {
    fuzz::Operation("a post"),           fuzz::Operation("an insert"),
    fuzz::Operation("a delete"),         fuzz::Operation("a recalculation"),
    fuzz::Operation("a page recalculated"), fuzz::Operation("the end of entry"),
    fuzz::Operation("a date written"),
};
fuzz::Operation recorded("a change recorded in the history");

void WriteAll(const std::filesystem::path& p, const std::byte* data, std::size_t size) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

Status Apply(SharedState& s, const std::uint8_t* op) {
    const int line = op[1] % 40 + 1;
    // Large amounts now and then, so that balances overflow.
    const std::int64_t wanted = std::int64_t{op[2]} * 1000 * (op[3] & 0x80 ? 100000 : 1);
    const Amount amount = static_cast<Amount>(std::min<std::int64_t>(wanted, INT32_MAX));
    switch (op[0] % 7) {
        case 0: {
            RowFields row{"1304" + std::to_string(10 + op[3] % 20), "（月）", op[3] % 9, "fuzz"};
            DepositChange deposit{CategoryOf(s.ItemTable, op[3] % 9), op[2] % 21,
                                  static_cast<Amount>(op[3])};
            return PostAmount(s, line, op[0] & 0x10 ? 1 : 2, amount, "04", row,
                              op[0] & 0x20 ? &deposit : nullptr);
        }
        case 1: {
            auto r = InsertLine(s, line);
            return r ? Ok() : Status(r.error());
        }
        case 2:
            return DeleteLine(s, line, op[2] % 21);
        case 3:
            return RecalculateAll(s);
        case 4:
            return RecalculateFromPage(s, op[1] % 5 + 1);
        case 5:
            return FinishEntry(s);
        default:
            return WriteLineDate(s, line, "130415", "（木）");
    }
}

// Flushes go nowhere: the checks look at the files, and a run should try inputs,
// not wait for the disk.
class NoFlush : public FileOps {
public:
    int Fsync(int) override { return 0; }
    int Fdatasync(int) override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kOps) return 0;
    static NoFlush noFlush;
    ScopedFileOps quick(noFlush);
    const std::filesystem::path& folder = Folder();
    SharedState s;
    s.DataFolder = folder;
    s.FiscalYear = 13;
    s.EraName = "平成";
    s.LedgerPath = folder / "KEIRI13.DAT";
    s.DepositPath = folder / "YOKIN13.DAT";
    s.SetupLines[2] = "60";
    s.PageLimit = 6;
    for (int i = 1; i <= 8; ++i) {
        s.ItemTable[static_cast<std::size_t>(i)].ItemName = "項目" + std::to_string(i);
        s.ItemTable[static_cast<std::size_t>(i)].ItemKubun = static_cast<std::int16_t>(i % 8);
    }
    std::error_code ec;
    std::filesystem::remove(folder / "KEIRI13.JNL", ec);
    std::filesystem::remove(HistoryPath(s), ec);
    WriteAll(s.LedgerPath, reinterpret_cast<const std::byte*>(data) + kOps, size - kOps);
    DepositBookRecord book = ClearedDepositBook();
    book.CurrentBalance[1] = 2000000000;  // close to the limit, so corrections overflow
    book.CurrentBalance[2] = -5000;
    book.CurrentTotal = 1999995000;
    auto encoded = EncodeDepositBook(book);
    WriteAll(s.DepositPath, encoded->data(), encoded->size());
    s.DepositBook = book;
    if (!ReadLedgerHeader(s)) return 0;

    for (std::size_t k = 0; k + 4 <= kOps; k += 4) {
        const std::string ledgerBefore = ReadAll(s.LedgerPath);
        const std::string depositBefore = ReadAll(s.DepositPath);
        const LedgerHeaderRecord headerBefore = s.LedgerHeader;
        const DepositBookRecord bookBefore = s.DepositBook;
        const std::string historyBefore = ReadAll(HistoryPath(s));
        Status st = Apply(s, data + k);
        fuzz::Require(!JournalIsLive(folder / "KEIRI13.JNL"), "no journal that counts is left");
        if (!st) {
            fuzz::Require(ReadAll(s.LedgerPath) == ledgerBefore,
                          "a failed operation leaves the ledger");
            fuzz::Require(ReadAll(s.DepositPath) == depositBefore,
                          "a failed operation leaves the deposits");
            fuzz::Require(s.LedgerHeader == headerBefore && s.DepositBook == bookBefore,
                          "a failed operation leaves memory");
            fuzz::Require(ReadAll(HistoryPath(s)) == historyBefore,
                          "a failed operation leaves the history");
            continue;
        }
        kinds[data[k] % 7].Succeeded();
        const std::string historyAfter = ReadAll(HistoryPath(s));
        fuzz::Require(historyAfter.size() >= historyBefore.size() &&
                          historyAfter.compare(0, historyBefore.size(), historyBefore) == 0,
                      "the history only grows");
        if (historyAfter.size() > historyBefore.size()) {
            auto history = LoadHistory(HistoryPath(s));
            fuzz::Require(history.ok() && history->Damage.empty(), "the history reads whole");
            recorded.Succeeded();
        }
        SharedState again;
        again.LedgerPath = s.LedgerPath;
        again.DepositPath = s.DepositPath;
        fuzz::Require(ReadLedgerHeader(again).ok(), "the ledger reads after an operation");
        fuzz::Require(again.LedgerHeader == s.LedgerHeader, "memory holds the header on disk");
        fuzz::Require(LoadDepositBook(again).ok() && again.DepositBook == s.DepositBook,
                      "memory holds the deposit book on disk");
    }
    return 0;
}
