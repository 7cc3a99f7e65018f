#pragma once
// The double-entry books of the bench year, written into its folder: statement lines
// for its income and expense items, opening balances and 500 credit sales on slips.

#include <cstdio>

#include "books/BooksFiles.h"
#include "store/SharedState.h"

namespace tabulo::bench {

inline bool WriteBenchBooks(SharedState& s) {
    for (auto [item, line] : {std::pair{1, 1}, {3, 1}, {4, 3}, {6, 12}, {8, 11}, {9, 1}, {10, 1}})
        s.ItemTable[static_cast<std::size_t>(item)].ItemKubun3 = static_cast<std::int16_t>(line);
    SlipBook book;
    book.Openings = {{AccountCode::Cash, 100000}, {AccountCode::Capital, 100000}};
    for (int i = 0; i < 500; ++i) {
        char date[8];
        std::snprintf(date, sizeof date, "08%02d%02d", i % 12 + 1, i % 28 + 1);
        book.Slips.push_back({date, AccountCode::Receivables, AccountCode::Sales, 1000 + i, "掛売り"});
    }
    return SaveSlipBook(SlipBookPath(s), book).ok();
}

}  // namespace tabulo::bench
