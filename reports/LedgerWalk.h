#pragma once
// Reading the year's ledger for a report: one open, lines 1..LineCount in file order.

#include "platform/FileError.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"

namespace tabulo {

// Calls visit(n, line) for every line; a visit that returns false ends the walk.
// An empty year opens nothing (and so creates no file).
template <class Visit>
Status WalkLedger(const SharedState& s, Visit visit) {
    const int count = s.LedgerHeader.LineCount;
    if (count < 1) return Ok();
    auto file = OpenYearLedger(s);
    if (!file) return file.error();
    for (int n = 1; n <= count; ++n) {
        auto line = file->ReadLine(n);
        if (!line) return line.error();
        if (!visit(n, *line)) break;
    }
    return Ok();
}

}  // namespace tabulo
