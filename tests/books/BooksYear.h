#pragma once
// A small year for the double-entry tests in a temporary folder: an item master with
// every category, the cash-book lines a test gives (dated, with their item and
// amount), and the slip book and item accounts kept in memory. Balances in the file
// are left 0: everything the books need comes from the items and the amounts.

#include <gtest/gtest.h>

#include <string>

#include "books/BooksFiles.h"
#include "books/TrialBalance.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"
#include "tests/support/TempFolder.h"

namespace tabulo::testing {

// Items of the year: number, name, category, statement line.
namespace BookItem {
inline constexpr int Sales = 1;         // 売上: 収入, line 1
inline constexpr int Withdrawal = 2;    // 預金引出: 預金繰り入れ
inline constexpr int BankSales = 3;     // 振込入金: 口座振り込み, line 1
inline constexpr int Purchases = 4;     // 仕入: 支出, line 3
inline constexpr int ToBank = 5;        // 預入れ: 預金
inline constexpr int Phone = 6;         // 電話代: 口座引落とし, line 12
inline constexpr int CarryOver = 7;     // 前月繰越: 繰越
inline constexpr int Repayment = 8;     // 借入金返済: 口座引落とし, account 借入金
inline constexpr int Drawings = 9;      // 事業主貸: 支出, account 事業主貸
inline constexpr int Loan = 10;         // 借入: 口座振り込み, account 借入金
inline constexpr int Supplies = 11;     // 消耗品: 支出, line 17
inline constexpr int NoAccount = 12;    // 雑支出: 支出, no line, no account
inline constexpr int Collection = 13;   // 売掛金回収: 収入, account 売掛金
inline constexpr int Interest = 14;     // 利息: 口座引落とし, line 22
}  // namespace BookItem

class BooksYear : public ::testing::Test {
  protected:
    void SetUp() override {
        s.DataFolder = dir.path();
        s.LedgerPath = dir / "KEIRI13.DAT";
        s.DepositPath = dir / "YOKIN13.DAT";
        s.FiscalYear = 13;
        s.EraName = "平成";
        using namespace BookItem;
        Item(Sales, "売上", 1, 1);
        Item(Withdrawal, "預金引出", 2, 0);
        Item(BankSales, "振込入金", 3, 1);
        Item(Purchases, "仕入", 4, 3);
        Item(ToBank, "預入れ", 5, 0);
        Item(Phone, "電話代", 6, 12);
        Item(CarryOver, "前月繰越", 7, 0);
        Item(Repayment, "借入金返済", 6, 0);
        Item(Drawings, "事業主貸", 4, 0);
        Item(Loan, "借入", 3, 0);
        Item(Supplies, "消耗品", 4, 17);
        Item(NoAccount, "雑支出", 4, 0);
        Item(Collection, "売掛金回収", 1, 0);
        Item(Interest, "利息", 6, 22);
        accounts[Repayment] = AccountCode::Loans;
        accounts[Drawings] = AccountCode::OwnerDrawings;
        accounts[Loan] = AccountCode::Loans;
        accounts[Collection] = AccountCode::Receivables;
    }
    void Item(int n, const std::string& name, int kubun, int line) {
        auto& e = s.ItemTable[static_cast<std::size_t>(n)];
        e.ItemName = name;
        e.ItemKubun = static_cast<std::int16_t>(kubun);
        e.ItemKubun3 = static_cast<std::int16_t>(line);
    }
    // A cash-book line: income for categories 1–3 and 7, expense for 4–6.
    void Line(const std::string& date, int item, Amount amount, const std::string& remarks = "") {
        LedgerLine line = BlankLedgerLine(0);
        line.NenGetsuBi = date;
        line.Youbi = "（月）";
        line.ItemNo = static_cast<std::int16_t>(item);
        const int kubun = s.ItemTable[static_cast<std::size_t>(item)].ItemKubun;
        (kubun >= 4 && kubun <= 6 ? line.Outdata : line.Indata) = amount;
        line.Bikou = remarks;
        lines.push_back(line);
    }
    void Slip(const std::string& date, int debit, int credit, Amount amount,
              const std::string& remarks = "") {
        book.Slips.push_back({date, static_cast<std::int16_t>(debit),
                              static_cast<std::int16_t>(credit), amount, remarks});
    }
    void Opening(int code, Amount balance) {
        book.Openings.push_back({static_cast<std::int16_t>(code), balance});
    }
    // Writes the ledger file of the lines given so far.
    void WriteLedger() {
        LedgerHeaderRecord h;
        h.LineCount = static_cast<std::int16_t>(lines.size());
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        for (const LedgerLine& line : lines) {
            auto encoded = EncodeLedgerLine(line);
            ASSERT_TRUE(encoded.ok());
            bytes.insert(bytes.end(), encoded->begin(), encoded->end());
        }
        WriteBytes(s.LedgerPath, std::string(reinterpret_cast<const char*>(bytes.data()),
                                             bytes.size()));
        s.LedgerHeader = h;
    }
    TrialBalance Trial() {
        WriteLedger();
        auto tb = BuildTrialBalance(s, book, accounts);
        EXPECT_TRUE(tb.ok()) << (tb.ok() ? "" : tb.error().detail);
        return tb.ok() ? *tb : TrialBalance{};
    }
    // The closing balance of an account (debit positive), 0 when it has no row.
    static Amount Closing(const TrialBalance& tb, int code) {
        const TrialBalanceRow* r = tb.Find(code);
        return r != nullptr ? r->closing : 0;
    }

    TempFolder dir;
    SharedState s;
    SlipBook book;
    ItemAccountArray accounts{};
    std::vector<LedgerLine> lines;
};

}  // namespace tabulo::testing
