#pragma once
// The benchmark year as a whole data folder, for the command line timed as a whole
// process, and the same year as a ledger-format journal for the peers it is timed
// against (ledger and hledger read it; their monthly per-item totals are the cells of
// `export summary`).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchYear.h"
#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "platform/AtomicFile.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/LedgerFile.h"
#include "store/StoredLedger.h"
#include "store/Text.h"

namespace tabulo::bench {

// The benchmark year as a whole data folder: DATE.DAT, MASTER.DAT, SHINKOKU.DAT, the
// ledger with its balances and totals worked out, and a cleared deposit book.
inline void WriteLedgerJournal(const SharedState& s, const std::filesystem::path& out);

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
                                   YearFilePath(folder_, YearFileKind::Ledger, s.FiscalYear));
        auto save = [&](const char* name, const Result<std::vector<std::byte>>& bytes) {
            if (!bytes || !AtomicSave(folder_ / name, *bytes).ok()) std::abort();
        };
        save("DATE.DAT", EncodeFiscalYearFile({s.FiscalYear, s.EraName, 0}));
        MasterHeaderArray header;
        header[MasterField::BusinessName] = s.ReportTitleName;
        save("MASTER.DAT", EncodeMasterFile(header, s.ItemTable));
        save("SHINKOKU.DAT", EncodeTaxReturnFile(DefaultTaxReturnData()));
        save(YearFileName(YearFileKind::DepositBook, s.FiscalYear).c_str(),
             EncodeDepositBook(ClearedDepositBook()));
        WriteLedgerJournal(s, year_.folder() / "year.ledger");
    }
    const std::filesystem::path& folder() const { return folder_; }
    const SharedState& state() const { return year_.s; }

  private:
    BenchYear year_;
    std::filesystem::path folder_;
};

// Writes the year of `s` (its ledger and item table) as a ledger-format journal: one
// transaction a line that has an item, dated in the Western calendar, between the
// item's account (Income:name for the income side, Expenses:name for the expense
// side) and cash or the bank. Used only to time the peers on the same year.
inline void WriteLedgerJournal(const SharedState& s, const std::filesystem::path& out) {
    std::ofstream journal(out, std::ios::binary);
    Status walked = WalkStoredLines(
        s.LedgerPath, s.LedgerHeader.LineCount, [&](int, StoredLedgerLine line) {
            const int item = line.ItemNo();
            if (item < 1 || item > kItemCount) return true;
            const std::string date(line.DateBytes());
            auto year = WesternYear(s.EraName, date.substr(0, 2));
            if (!year) std::abort();
            const ItemEntry& entry = s.ItemTable[static_cast<std::size_t>(item)];
            const int kubun = entry.ItemKubun;
            const bool income = IsIncomeSide(kubun);
            const std::string name = TrimRight(entry.ItemName);
            const std::string account = (income ? "Income:" : "Expenses:") + name;
            const bool bank = kubun == Kubun::IntoAccount || kubun == Kubun::DebitAccount;
            const long amount = income ? -static_cast<long>(line.Indata()) : line.Outdata();
            journal << *year << '/' << date.substr(2, 2) << '/' << date.substr(4, 2) << ' ' << name
                    << "\n    " << account << "  " << amount << "\n    "
                    << (bank ? "Assets:Bank" : "Assets:Cash") << "\n\n";
            return true;
        });
    if (!walked || !journal) std::abort();
}

}  // namespace tabulo::bench
