#pragma once
// A small year on top of a BooksYear fixture: cash 1,000 and 元入金 1,000 at the start,
// a cash sale of 10,000 on 5 January, a purchase of 3,000 in cash on 10 January and a
// sale of 5,000 on credit by slip on 20 January. The ledger file is written; the slip
// book is left in memory.

#include "books/Accounts.h"
#include "tests/books/BooksYear.h"

namespace tabulo::testing {

template <class Fixture>
class WithSmallYear : public Fixture {
  protected:
    void SetUp() override {
        Fixture::SetUp();
        this->Opening(AccountCode::Cash, 1000);
        this->Opening(AccountCode::Capital, 1000);
        this->Line("130105", BookItem::Sales, 10000, "店頭");
        this->Line("130110", BookItem::Purchases, 3000);
        this->Slip("130120", AccountCode::Receivables, AccountCode::Sales, 5000, "掛売り");
        this->WriteLedger();
    }
};

}  // namespace tabulo::testing
