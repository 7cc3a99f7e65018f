// The preview against a year's cash book: its deposit lines, written here byte by byte
// as the ledger's layout gives them, and the preview's CSV.
#include <gtest/gtest.h>

#include <string>

#include "statements/PreviewRows.h"
#include "store/SharedState.h"
#include "tests/support/TempFolder.h"

using namespace tabulo;
using namespace tabulo::statements;
using tabulo::testing::TempFolder;
using tabulo::testing::WriteBytes;

namespace {

std::string Le(long v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((static_cast<unsigned long>(v) >> (8 * i)) & 0xFF);
    return out;
}

// One 42-byte line: date 6, weekday 6, item 2, in 4, out 4, balance 4, remarks 16.
std::string Line(const std::string& date, int item, long in, long out, long balance) {
    return date + std::string(6, ' ') + Le(item, 2) + Le(in, 4) + Le(out, 4) + Le(balance, 4) +
           std::string(16, ' ');
}

}  // namespace

TEST(StatementPreviewBooks, TheCashBooksDepositLinesWithTheirSide) {
    TempFolder dir;
    const auto ledger = dir.path() / "KEIRI08.DAT";
    // Header: 3 lines, opening balance and totals 0.
    WriteBytes(ledger, Le(3, 2) + std::string(16, '\0') + Line("080403", 6, 0, 450, 0) +
                           Line("080403", 4, 0, 900, -900) + Line("080410", 3, 5000, 0, -900));
    SharedState s;
    s.ReadOnly = true;
    s.LedgerPath = ledger;
    s.LedgerHeader.LineCount = 3;
    s.EraName = "令和";
    s.ItemTable[3].ItemKubun = Kubun::IntoAccount;
    s.ItemTable[4].ItemKubun = Kubun::Expense;
    s.ItemTable[6].ItemKubun = Kubun::DebitAccount;
    auto entries = DepositEntries(s);
    ASSERT_TRUE(entries) << entries.error().detail;
    // The cash expense of line 2 moves no account.
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0], (BookEntry{{2026, 4, 3}, 0, 450}));
    EXPECT_EQ((*entries)[1], (BookEntry{{2026, 4, 10}, 5000, 0}));
}

TEST(StatementPreviewBooks, TheCsvOfThePreview) {
    StatementRow coffee;
    coffee.date = {2026, 4, 3};
    coffee.description = "コーヒー, 2杯";
    coffee.out = 900;
    StatementRow pay;
    pay.date = {2026, 4, 25};
    pay.description = "振込 \"ABC\"";
    pay.in = 120000;
    const std::string csv = PreviewCsv({{RowState::Unsure, coffee, "会議費"}, {RowState::New, pay, ""}});
    EXPECT_EQ(csv,
              "状態,日付,摘要,入金,出金,項目・科目\n"
              "要確認,2026-04-03,\"コーヒー, 2杯\",,900,会議費\n"
              "新規,2026-04-25,\"振込 \"\"ABC\"\"\",120000,,\n");
}
