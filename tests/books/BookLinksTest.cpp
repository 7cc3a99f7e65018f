// The links between the books: every posting in a ledger leads to its journal entry
// and to the cash-book line or slip it came from, and back again.

#include <gtest/gtest.h>

#include "books/BookLinks.h"
#include "books/BookRows.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;

// Openings 現金 1,000 / 元入金 1,000. Cash-book lines: 1 a carry-over (no entry), 2 a
// sale of 10,000 on 5 January, 3 a purchase of 3,000 on 10 January, 4 a sale of 0 (no
// entry), 5 2,000 paid into the bank on 15 January. Slips: 1 a sale on credit of 5,000
// on 10 January, 2 700 taken by the owner on 5 January. In date order, slips after the
// day's lines: line 2, slip 2, line 3, slip 1, line 5.
class Linked : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        Opening(AccountCode::Cash, 1000);
        Opening(AccountCode::Capital, 1000);
        Line("130101", CarryOver, 1000);
        Line("130105", Sales, 10000, "店頭");
        Line("130110", Purchases, 3000);
        Line("130110", Sales, 0);
        Line("130115", ToBank, 2000);
        Slip("130110", AccountCode::Receivables, AccountCode::Sales, 5000, "掛売り");
        Slip("130105", AccountCode::OwnerDrawings, AccountCode::Cash, 700, "家事");
        WriteLedger();
        auto j = BuildJournal(s, book, accounts);
        ASSERT_TRUE(j.ok());
        journal = *j;
        ASSERT_EQ(journal.size(), 5u);
    }
    GeneralLedger Ledger(int code) {
        auto g = BuildGeneralLedger(journal, book, code);
        EXPECT_TRUE(g.ok());
        return g.ok() ? *g : GeneralLedger{};
    }
    std::vector<BookEntry> journal;
};

constexpr auto CB = BookEntry::CashBook;
constexpr auto SL = BookEntry::Slip;

TEST_F(Linked, EachLineAndSlipFindsItsOwnEntryAndLinesWithoutOneFindNone) {
    EXPECT_EQ(FindEntry(journal, {CB, 2}), 0u);
    EXPECT_EQ(FindEntry(journal, {SL, 2}), 1u);
    EXPECT_EQ(FindEntry(journal, {CB, 3}), 2u);
    EXPECT_EQ(FindEntry(journal, {SL, 1}), 3u);
    EXPECT_EQ(FindEntry(journal, {CB, 5}), 4u);
    // The carry-over, the line of 0, a line and a slip past the end.
    EXPECT_EQ(FindEntry(journal, {CB, 1}), std::nullopt);
    EXPECT_EQ(FindEntry(journal, {CB, 4}), std::nullopt);
    EXPECT_EQ(FindEntry(journal, {CB, 6}), std::nullopt);
    EXPECT_EQ(FindEntry(journal, {SL, 3}), std::nullopt);
    // Slip 2 is not line 2.
    EXPECT_EQ(KeyOf(journal[1]), (EntryKey{SL, 2}));
}

TEST_F(Linked, JournalRowsSkipTheOpeningsAndNameTheEntrysSource) {
    const auto rows = JournalViewRows(journal, book, s.ItemTable);
    EXPECT_EQ(JournalOpeningRows(book), 2);
    EXPECT_EQ(EntryOfJournalRow(journal, book, 0), std::nullopt);
    EXPECT_EQ(EntryOfJournalRow(journal, book, 1), std::nullopt);
    EXPECT_EQ(EntryOfJournalRow(journal, book, 2), 0u);
    EXPECT_EQ(EntryOfJournalRow(journal, book, 6), 4u);
    EXPECT_EQ(EntryOfJournalRow(journal, book, 7), std::nullopt);
    EXPECT_EQ(EntryOfJournalRow(journal, book, -1), std::nullopt);
    // The row of each entry is the row the view shows it on.
    const char* sources[] = {"出納簿 2", "振替伝票 2", "出納簿 3", "振替伝票 1", "出納簿 5"};
    for (std::size_t i = 0; i < journal.size(); ++i) {
        const int row = JournalRowOfEntry(book, i);
        EXPECT_EQ(rows.at(static_cast<std::size_t>(row))[5], sources[i]) << i;
        EXPECT_EQ(EntryOfJournalRow(journal, book, row), i);
    }
}

TEST_F(Linked, LedgerRowsLeadToTheirEntriesAndTheTotalsAndOpeningToNone) {
    const GeneralLedger cash = Ledger(AccountCode::Cash);
    // 前期繰越, line 2, slip 2, line 3, line 5, 合計.
    ASSERT_EQ(cash.rows.size(), 4u);
    EXPECT_EQ(EntryOfLedgerRow(journal, cash, 0), std::nullopt);
    EXPECT_EQ(EntryOfLedgerRow(journal, cash, 1), 0u);
    EXPECT_EQ(EntryOfLedgerRow(journal, cash, 2), 1u);
    EXPECT_EQ(EntryOfLedgerRow(journal, cash, 3), 2u);
    EXPECT_EQ(EntryOfLedgerRow(journal, cash, 4), 4u);
    EXPECT_EQ(EntryOfLedgerRow(journal, cash, 5), std::nullopt);
    // The sale on credit does not touch 現金.
    EXPECT_EQ(LedgerRowOfEntry(journal, cash, 3), std::nullopt);
    EXPECT_EQ(LedgerRowOfEntry(journal, cash, 4), 4);
    EXPECT_EQ(LedgerRowOfEntry(journal, cash, 9), std::nullopt);
    // A ledger built from another copy of the journal leads nowhere.
    const std::vector<BookEntry> copy = journal;
    EXPECT_EQ(EntryOfLedgerRow(copy, cash, 1), std::nullopt);
}

TEST_F(Linked, EveryEntryReachesBothPostingsAndEachPostingLeadsBack) {
    for (std::size_t i = 0; i < journal.size(); ++i) {
        const LedgerPlace debit = DebitPosting(journal, i);
        const LedgerPlace credit = CreditPosting(journal, i);
        EXPECT_EQ(debit.account, journal[i].posting.debit);
        EXPECT_EQ(credit.account, journal[i].posting.credit);
        for (const LedgerPlace& p : {debit, credit}) {
            const GeneralLedger g = Ledger(p.account);
            const auto row = LedgerRowOfEntry(journal, g, p.entry);
            ASSERT_TRUE(row.has_value()) << i;
            EXPECT_EQ(EntryOfLedgerRow(journal, g, *row), i);
            // The row shows the entry's date and amount on the posting's side.
            const auto view = LedgerViewRows(g, s.ItemTable);
            EXPECT_EQ(view.at(static_cast<std::size_t>(*row))[0], journal[i].date);
        }
        // From one side to the other and back.
        EXPECT_EQ(CounterpartPosting(journal, i, debit.account), credit);
        EXPECT_EQ(CounterpartPosting(journal, i, credit.account), debit);
    }
    // Line 5: 2,000 into the bank, その他の預金 / 現金.
    EXPECT_EQ(DebitPosting(journal, 4), (LedgerPlace{AccountCode::Deposits, 4}));
    EXPECT_EQ(CreditPosting(journal, 4), (LedgerPlace{AccountCode::Cash, 4}));
    // Slip 2 in 事業主貸's ledger: its only posting, row 1.
    const GeneralLedger drawings = Ledger(AccountCode::OwnerDrawings);
    EXPECT_EQ(LedgerRowOfEntry(journal, drawings, 1), 1);
    EXPECT_EQ(KeyOf(journal[*EntryOfLedgerRow(journal, drawings, 1)]), (EntryKey{SL, 2}));
}

}  // namespace
}  // namespace tabulo
