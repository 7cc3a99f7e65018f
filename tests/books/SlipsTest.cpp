// Keeping a slip or the opening balances: checked first, then written whole; a
// refusal writes nothing and leaves the book in memory as it was.

#include <gtest/gtest.h>

#include "books/Slips.h"
#include "cashbook/Overflow.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;
using Year = testing::BooksYear;
using testing::ReadBytes;

TEST_F(Year, AKeptSlipIsWrittenAndReadsBack) {
    WriteLedger();
    const TransferSlip slip{"130405", AccountCode::Receivables, AccountCode::Sales, 80000,
                            "掛売り"};
    ASSERT_TRUE(KeepSlip(s, accounts, book, slip).ok());
    ASSERT_EQ(book.Slips.size(), 1u);
    auto read = LoadSlipBook(SlipBookPath(s));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read, book);
    EXPECT_EQ(SlipBookPath(s), dir / "FURIKAE13.DAT");
}

TEST_F(Year, SlipsOutsideTheYearOrFaultyAreRefusedAndNothingIsWritten) {
    WriteLedger();
    const TransferSlip refused[] = {
        {"120405", AccountCode::Receivables, AccountCode::Sales, 1, ""},  // last year
        {"130230", AccountCode::Receivables, AccountCode::Sales, 1, ""},  // no such day
        {"130405", AccountCode::Receivables, AccountCode::Receivables, 1, ""},
        {"130405", AccountCode::Receivables, AccountCode::Sales, 0, ""},
    };
    for (const TransferSlip& slip : refused) {
        Status st = KeepSlip(s, accounts, book, slip);
        ASSERT_FALSE(st.ok()) << slip.SlipDate;
        EXPECT_FALSE(st.error().detail.empty());
        EXPECT_TRUE(book.Slips.empty());
        EXPECT_FALSE(std::filesystem::exists(SlipBookPath(s)));
    }
    EXPECT_EQ(KeepSlip(s, accounts, book, refused[0]).error().detail, kSlipYearMessage);
}

TEST_F(Year, ASlipThatWouldCarryAnAccountBeyondThirtyTwoBitsIsRefused) {
    Line("130101", Sales, 2000000000);
    WriteLedger();
    ASSERT_TRUE(KeepSlip(s, accounts, book,
                         {"130102", AccountCode::Receivables, AccountCode::Sales, 100000000, ""})
                    .ok());
    const std::string before = ReadBytes(SlipBookPath(s));
    // 売上 would reach 2,200,000,000 on its credit side.
    Status st = KeepSlip(s, accounts, book,
                         {"130103", AccountCode::Receivables, AccountCode::Sales, 100000000, ""});
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().detail, kOverflowMessage);
    EXPECT_EQ(book.Slips.size(), 1u);
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), before);
}

TEST_F(Year, OpeningBalancesAreKeptWholeOrNotAtAll) {
    WriteLedger();
    ASSERT_TRUE(KeepOpenings(s, accounts, book,
                             {{AccountCode::Cash, 5000}, {AccountCode::Capital, 5000}})
                    .ok());
    const std::string before = ReadBytes(SlipBookPath(s));
    const std::vector<std::vector<OpeningBalance>> refused = {
        {{AccountCode::Cash, 1}, {AccountCode::Cash, 2}},  // twice
        {{AccountCode::Sales, 1}},                         // not on the balance sheet
        {{AccountCode::Unassigned, 1}},
    };
    for (const auto& openings : refused) {
        EXPECT_FALSE(KeepOpenings(s, accounts, book, openings).ok());
        EXPECT_EQ(book.Openings.size(), 2u);
        EXPECT_EQ(ReadBytes(SlipBookPath(s)), before);
    }
    // Balances whose sum passes 32 bits on one side.
    EXPECT_FALSE(KeepOpenings(s, accounts, book,
                              {{AccountCode::Cash, 2000000000}, {AccountCode::Deposits, 2000000000}})
                     .ok());
    EXPECT_EQ(ReadBytes(SlipBookPath(s)), before);
    auto tb = BuildTrialBalance(s, book, accounts);
    ASSERT_TRUE(tb.ok());
    EXPECT_TRUE(tb->Balances());
}

}  // namespace
}  // namespace tabulo
