// An import and its undo with the Nth write, flush, truncate, rename or removal
// failing, or the process stopping there (also half-way through a write), for every N
// they reach. After each, a fresh read of the data must find exactly the files before
// or exactly the files after, the history with them, byte for byte; the result must
// say which, and the shared state of a failed import must be what the files hold.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "platform/FileOps.h"
#include "statements/Import.h"
#include "store/Journal.h"
#include "tests/statements/ImportYear.h"
#include "tests/support/FaultyFiles.h"

namespace tabulo {
namespace {

using namespace statements;
using testing::FakePrompt;
using testing::Fault;
using testing::FaultyFiles;
using testing::ImportYear;

using Files = std::map<std::string, std::string>;

StatementRow Row(int line, int month, int day, const char* what, Amount in, Amount out) {
    StatementRow r;
    r.line = line;
    r.date = {2026, month, day};
    r.description = what;
    r.in = in;
    r.out = out;
    return r;
}

std::vector<ImportRow> Chosen(const SharedState& s, const ImportTarget& t, const std::vector<StatementRow>& rows,
                              int inTarget, int outTarget) {
    auto p = PreviewImport(s, t, rows, {});
    EXPECT_TRUE(p);
    std::vector<ImportRow> out;
    for (const PreviewLine& l : *p) out.push_back({l.row, l.key, l.row.in > 0 ? inTarget : outTarget, ""});
    return out;
}

const ImportTarget kBank{StatementKind::Bank, 1, {}};
const ImportTarget kCard{StatementKind::Card, 0, "ビュー"};

const std::vector<StatementRow> kBankRows = {Row(2, 4, 3, "デンキ", 0, 4500), Row(3, 4, 10, "フリコミ", 80000, 0),
                                             Row(4, 4, 30, "カード", 0, 12000)};
const std::vector<StatementRow> kCardRows = {Row(5, 4, 2, "文具", 0, 3980), Row(6, 4, 9, "返品", 1200, 0)};

struct Operation {
    const char* name;
    // Brings the year to where the operation starts (no faults), then gives the
    // operation to run under them.
    std::function<std::function<Status(SharedState&)>(SharedState&)> prepare;
};

std::vector<Operation> Operations() {
    return {
        {"bank import",
         [](SharedState&) {
             return [](SharedState& s) -> Status {
                 auto done = ImportRows(s, kBank, Chosen(s, kBank, kBankRows, 3, 6));
                 if (!done) return done.error();
                 return Ok();
             };
         }},
        {"card import",
         [](SharedState&) {
             return [](SharedState& s) -> Status {
                 auto done = ImportRows(s, kCard, Chosen(s, kCard, kCardRows, 17, 17));
                 if (!done) return done.error();
                 return Ok();
             };
         }},
        {"undo of a bank import",
         [](SharedState& s) {
             auto done = ImportRows(s, kBank, Chosen(s, kBank, kBankRows, 3, 6));
             EXPECT_TRUE(done);
             ImportUndoStep step = done->undo;
             return [step](SharedState& t) -> Status {
                 auto undone = UndoImport(t, step);
                 if (!undone) return undone.error();
                 return undone->undone ? Ok() : Status(BadFormatError({}, undone->refusal));
             };
         }},
        {"undo of a card import",
         [](SharedState& s) {
             auto done = ImportRows(s, kCard, Chosen(s, kCard, kCardRows, 17, 17));
             EXPECT_TRUE(done);
             ImportUndoStep step = done->undo;
             return [step](SharedState& t) -> Status {
                 auto undone = UndoImport(t, step);
                 if (!undone) return undone.error();
                 return undone->undone ? Ok() : Status(BadFormatError({}, undone->refusal));
             };
         }},
    };
}

class ImportFaults : public ::testing::Test {
  protected:
    // The files as the operation starts, and the operation itself.
    std::function<Status(SharedState&)> Start(const Operation& op, const Files& original) {
        year.Put(original);
        FakePrompt prompt;
        SharedState s = year.Fresh(prompt);
        auto run = op.prepare(s);
        FakePrompt settle;
        year.Fresh(settle);  // the kept journal goes when the data are read
        return run;
    }

    // Runs the operation from `before` with `files` in place, reads the data again and
    // checks the outcome; 0 when the operation never reached the fault.
    int Try(const std::function<Status(SharedState&)>& run, const Files& before, const Files& after,
            FaultyFiles files, const std::string& what) {
        SCOPED_TRACE(what);
        year.Put(before);
        FakePrompt quiet;
        SharedState s = year.Fresh(quiet);
        Status result = Ok();
        {
            ScopedFileOps use(files);
            result = run(s);
        }
        if (!files.reached) return 0;
        const bool applied = result.ok() || result.error().applied;
        FakePrompt prompt;
        SharedState again = year.Fresh(prompt);
        const Files now = year.Files();
        EXPECT_TRUE(now == before || now == after) << "neither the old nor the new files";
        if (!files.stopped) {
            EXPECT_TRUE(now == (applied ? after : before)) << "the result says otherwise";
            // Memory follows the disk.
            EXPECT_EQ(s.LedgerHeader, again.LedgerHeader);
            EXPECT_EQ(s.DepositBook, again.DepositBook);
        }
        EXPECT_FALSE(std::filesystem::exists(year.data / "KEIRI08.JNL"));
        return 1;
    }

    ImportYear year;
};

TEST_F(ImportFaults, EveryFaultPointLeavesTheWholeImportOrNoneOfIt) {
    const Files original = year.Files();
    int tried = 0;
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        auto run = Start(op, original);
        const Files before = year.Files();
        FakePrompt prompt;
        SharedState s = year.Fresh(prompt);
        FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            Status first = run(s);
            ASSERT_TRUE(first.ok()) << first.error().detail << " " << first.error().path;
        }
        year.Fresh(prompt);
        const Files after = year.Files();
        ASSERT_NE(after, before);
        ASSERT_GT(counting.calls, 0);
        for (int n = 1; n <= counting.calls; ++n) {
            tried += Try(run, before, after, FaultyFiles(n, Fault::Fail), "call " + std::to_string(n) + " fails");
            tried += Try(run, before, after, FaultyFiles(n, Fault::Stop), "stopped at call " + std::to_string(n));
            const std::size_t size = counting.writeSizes[static_cast<std::size_t>(n - 1)];
            for (std::size_t cut : {std::size_t{1}, size / 2, std::size_t{512}}) {
                if (size < 2 || cut >= size) continue;
                FaultyFiles torn(n, Fault::Stop, cut);
                torn.sectorCuts = true;
                tried += Try(run, before, after, torn, "write " + std::to_string(n) + " cut at " + std::to_string(cut));
            }
        }
    }
    std::printf("fault points tried: %d\n", tried);
    EXPECT_GT(tried, 40);
}

}  // namespace
}  // namespace tabulo
