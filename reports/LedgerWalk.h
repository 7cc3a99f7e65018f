#pragma once
// Reading the year's ledger for a report: one read, lines 1..LineCount in file order,
// each looked at in place (StoredLedgerLine) so that a report decodes only the fields
// it prints.

#include "platform/FileError.h"
#include "store/SharedState.h"
#include "store/StoredLedger.h"

namespace tabulo {

// Calls visit(n, StoredLedgerLine) for every line; a visit returns a bool (false ends
// the walk), a Status or a Result<bool> (an error ends the walk with it). An empty
// year reads nothing.
template <class Visit>
Status WalkLedger(const SharedState& s, Visit visit) {
    return WalkStoredLines(s, s.LedgerHeader.LineCount, visit);
}

}  // namespace tabulo
