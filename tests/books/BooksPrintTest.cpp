// The printouts of the books: 48 rows a page with the heads and the page number on
// every page, amounts right-aligned with commas, long names kept inside their column.

#include <gtest/gtest.h>

#include <algorithm>

#include "books/BooksPrint.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

std::vector<std::string> Texts(const PrintPage& page) {
    std::vector<std::string> t;
    for (const DrawOp& op : page.ops)
        if (op.kind == DrawKind::Text) t.push_back(op.text);
    return t;
}

bool Has(const std::vector<std::string>& t, const std::string& text) {
    return std::find(t.begin(), t.end(), text) != t.end();
}

TEST(BooksPrint, AJournalOfAHundredEntriesTakesThreePagesEachWithItsHeadsAndNumber) {
    SharedState s;
    s.EraName = "令和";
    s.FiscalYear = 8;
    s.ReportTitleName = "山田商店";
    SlipBook book;
    book.Openings = {{AccountCode::Cash, 1000}, {AccountCode::Capital, 1000}};
    std::vector<BookEntry> journal(100);
    for (std::size_t i = 0; i < journal.size(); ++i) {
        journal[i].source = BookEntry::Slip;
        journal[i].number = static_cast<int>(i) + 1;
        journal[i].date = "080315";
        journal[i].posting = {AccountCode::Receivables, AccountCode::Sales,
                              static_cast<Amount>(1234567), false};
        journal[i].remarks = "掛売り";
    }
    const PrintDocument doc = PrintJournal(s, book, journal);
    // 2 openings + 100 entries = 102 rows: 48, 48 and 6.
    ASSERT_EQ(doc.pages.size(), 3u);
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        const auto t = Texts(doc.pages[p]);
        EXPECT_TRUE(Has(t, "仕　訳　帳")) << p;
        EXPECT_TRUE(Has(t, "山田商店")) << p;
        EXPECT_TRUE(Has(t, "令和8年分")) << p;
        EXPECT_TRUE(Has(t, "借方科目")) << p;
        EXPECT_TRUE(Has(t, "- " + std::to_string(p + 1) + " / 3 -")) << p;
        EXPECT_EQ(doc.pages[p].scaleWidth, 200);
        EXPECT_EQ(doc.pages[p].scaleHeight, 287);
    }
    const auto first = Texts(doc.pages[0]);
    EXPECT_TRUE(Has(first, "期首残高"));
    EXPECT_TRUE(Has(first, "     1,234,567"));  // 14 places, right-aligned
    EXPECT_TRUE(Has(first, "03/15"));
    EXPECT_TRUE(Has(first, "振替伝票 1"));
    const auto last = Texts(doc.pages[2]);
    EXPECT_TRUE(Has(last, "振替伝票 100"));
    EXPECT_FALSE(Has(last, "振替伝票 94"));  // on page 2
}

TEST(BooksPrint, TheLedgerRunsFromTheOpeningToTheTotals) {
    SharedState s;
    std::vector<BookEntry> journal(2);
    journal[0] = {BookEntry::CashBook, 3, "130401", {AccountCode::Cash, 1, 5000, false}, 1, ""};
    journal[1] = {BookEntry::CashBook, 4, "130402", {17, AccountCode::Cash, 1200, false}, 2, ""};
    SlipBook book;
    book.Openings = {{AccountCode::Cash, 10000}};
    auto ledger = BuildGeneralLedger(journal, book, AccountCode::Cash);
    ASSERT_TRUE(ledger.ok());
    const PrintDocument doc = PrintGeneralLedger(s, *ledger);
    ASSERT_EQ(doc.pages.size(), 1u);
    const auto t = Texts(doc.pages[0]);
    EXPECT_TRUE(Has(t, "総勘定元帳　現金（101）"));
    EXPECT_TRUE(Has(t, "前期繰越"));
    EXPECT_TRUE(Has(t, "        10,000"));  // the opening
    EXPECT_TRUE(Has(t, "        15,000"));  // after the sale
    EXPECT_TRUE(Has(t, "        13,800"));  // after the supplies, and the closing
    EXPECT_TRUE(Has(t, "消耗品費"));
    EXPECT_TRUE(Has(t, "出納簿 4"));
    EXPECT_TRUE(Has(t, "合計"));
}

TEST(BooksPrint, AnAccountIsNamedByItsCodeOrItsName) {
    ItemTableArray items{};
    items[5].ItemName = "リース料";
    items[5].ItemKubun3 = 25;
    EXPECT_EQ(AccountNamed("101", items), AccountCode::Cash);
    EXPECT_EQ(AccountNamed(" 現金 ", items), AccountCode::Cash);
    EXPECT_EQ(AccountNamed("売掛金", items), AccountCode::Receivables);
    EXPECT_EQ(AccountNamed("リース料", items), 25);  // a free line named by its item
    EXPECT_EQ(AccountNamed("150", items), 0);
    EXPECT_EQ(AccountNamed("売掛", items), 0);
    EXPECT_EQ(AccountNamed("", items), 0);
    EXPECT_EQ(AccountNamed("99999", items), 0);
}

}  // namespace
}  // namespace tabulo
