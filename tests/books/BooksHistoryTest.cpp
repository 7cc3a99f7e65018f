// The year's history as the books' changes write it: a record for each slip, opening
// balance, item account and deposit account changed, holding its stored bytes before
// and after (hand-written from the layouts below), written in one commit with the
// change; 元に戻す on the slips; and power cuts at every point of each operation.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "books/Slips.h"
#include "cashbook/Undo.h"
#include "ebooks/ElectronicBooks.h"
#include "platform/FileOps.h"
#include "store/DataSet.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/RecordedChange.h"
#include "tests/books/BooksYear.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/PowerCut.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using Year = testing::BooksYear;
using testing::FromHex;
using testing::ReadBytes;
using testing::WriteBytes;

std::vector<std::byte> Hex(const std::string& hex) {
    const std::string s = FromHex(hex);
    const auto* p = reinterpret_cast<const std::byte*>(s.data());
    return {p, p + s.size()};
}

// Slips as FURIKAE<nn>.DAT stores them: date, debit, credit, amount, 24 bytes of remarks.
const std::string kBlanks16 = "20202020202020202020202020202020";
// 130405 売掛金 / 売上 80,000 掛売り
const std::string kSlipA = "313330343035 6a00 0100 80380100 8a7c948482e8" + kBlanks16 + "2020";
// the same for 90,000
const std::string kSlipA2 = "313330343035 6a00 0100 905f0100 8a7c948482e8" + kBlanks16 + "2020";
// 130402 事業主貸 / 売上 700 家事消費
const std::string kSlipB = "313330343032 8200 0100 bc020000 89c68e968fc194ef" + kBlanks16;

const TransferSlip kA{"130405", AccountCode::Receivables, AccountCode::Sales, 80000, "掛売り"};
const TransferSlip kA2{"130405", AccountCode::Receivables, AccountCode::Sales, 90000, "掛売り"};
const TransferSlip kB{"130402", AccountCode::OwnerDrawings, AccountCode::Sales, 700, "家事消費"};

HistoryRecord Expect(std::uint32_t seq, HistoryOperation op, std::int32_t target,
                     const std::string& oldHex, const std::string& newHex, std::uint32_t undoOf = 0) {
    return {seq, "20261208101500", op, target, undoOf, Hex(oldHex), Hex(newHex)};
}

class BooksHistory : public Year {
  protected:
    void SetUp() override {
        Year::SetUp();
        s.HistoryClock = [] { return std::string("20261208101500"); };
        WriteLedger();
    }
    std::vector<HistoryRecord> History() {
        auto h = LoadHistory(HistoryPath(s));
        EXPECT_TRUE(h.ok());
        if (!h.ok()) return {};
        EXPECT_TRUE(h->Damage.empty());
        return h->Records;
    }
    fs::path Slips() const { return SlipBookPath(s); }
    // The screens' lists for 元に戻す, as the application hands them over.
    UndoLists undo;
};

TEST_F(BooksHistory, EachSlipOperationRecordsTheSlipsStoredBytes) {
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, kB, &undo.Slips).ok());
    ASSERT_TRUE(ChangeSlip(s, accounts, book, 0, kA2, &undo.Slips).ok());
    ASSERT_TRUE(DeleteSlip(s, accounts, book, 1, &undo.Slips).ok());
    // A change that changes nothing writes nothing and records nothing.
    ASSERT_TRUE(ChangeSlip(s, accounts, book, 0, kA2, &undo.Slips).ok());
    const std::vector<HistoryRecord> expected = {
        Expect(1, HistoryOperation::SlipAdd, 1, "", kSlipA),
        Expect(2, HistoryOperation::SlipAdd, 2, "", kSlipB),
        Expect(3, HistoryOperation::SlipChange, 1, kSlipA, kSlipA2),
        Expect(4, HistoryOperation::SlipDelete, 2, kSlipB, ""),
    };
    EXPECT_EQ(History(), expected);
    EXPECT_EQ(ReadBytes(Slips()), FromHex("46524b31 0000 01000000" + kSlipA2));
    EXPECT_EQ(undo.Slips.size(), 4u);
    EXPECT_EQ(HistoryPath(s), dir / "RIREKI13.DAT");
}

TEST_F(BooksHistory, OpeningBalancesRecordEachAccountSetChangedOrCleared) {
    using O = OpeningBalance;
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {O{101, 50000}, O{302, 50000}}).ok());
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {O{302, 50000}, O{101, 70000}, O{106, 20000}}).ok());
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {O{101, 70000}}).ok());
    const std::vector<HistoryRecord> expected = {
        Expect(1, HistoryOperation::OpeningChange, 101, "", "50c30000"),
        Expect(2, HistoryOperation::OpeningChange, 302, "", "50c30000"),
        Expect(3, HistoryOperation::OpeningChange, 101, "50c30000", "70110100"),
        Expect(4, HistoryOperation::OpeningChange, 106, "", "204e0000"),
        Expect(5, HistoryOperation::OpeningChange, 106, "204e0000", ""),
        Expect(6, HistoryOperation::OpeningChange, 302, "50c30000", ""),
    };
    EXPECT_EQ(History(), expected);
    EXPECT_TRUE(undo.Slips.empty());  // only the slips are undone
}

TEST_F(BooksHistory, ItemAccountsRecordEachItemWhoseAccountChanged) {
    ItemAccountArray chosen{};
    ItemAccountArray changed{};
    changed[8] = AccountCode::Loans;
    changed[13] = AccountCode::Receivables;
    ASSERT_TRUE(KeepItemAccounts(s, book, chosen, changed).ok());
    changed[13] = 0;
    changed[11] = AccountCode::Cash;
    ASSERT_TRUE(KeepItemAccounts(s, book, chosen, changed).ok());
    EXPECT_EQ(chosen, changed);
    const std::vector<HistoryRecord> expected = {
        Expect(1, HistoryOperation::ItemAccountChange, 8, "0000", "cb00"),
        Expect(2, HistoryOperation::ItemAccountChange, 13, "0000", "6a00"),
        Expect(3, HistoryOperation::ItemAccountChange, 11, "0000", "6500"),
        Expect(4, HistoryOperation::ItemAccountChange, 13, "6a00", "0000"),
    };
    EXPECT_EQ(History(), expected);
    EXPECT_EQ(*LoadItemAccounts(ItemAccountsPath(s)), changed);
}

TEST_F(BooksHistory, TheDepositBookRecordsEachAccountWhoseStoredBytesChanged) {
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.AccountName[3] = "みずほ";
    s.DepositBook.AccountNo[3] = "1234567";
    s.DepositBook.CarriedBalance[3] = 100000;
    s.DepositBook.CurrentBalance[3] = 150000;
    s.DepositBook.CarriedTotal = 100000;
    s.DepositBook.CurrentTotal = 150000;
    ASSERT_TRUE(SaveDepositBook(s).ok());
    s.DepositBook.CurrentBalance[3] = 140000;
    s.DepositBook.CurrentTotal = 140000;
    ASSERT_TRUE(SaveDepositBook(s).ok());
    // Name 18, number 14, carried, current, spare, maturity 10, then the book's
    // carried and current totals.
    const std::string cleared = "202020202020202020202020202020202020"
                                "2020202020202020202020202020"
                                "00000000 00000000 00000000 20202020202020202020"
                                "00000000 00000000";
    const std::string mizuho = "82dd82b882d9 202020202020202020202020"
                               "31323334353637 20202020202020"
                               "a0860100 f0490200 00000000 20202020202020202020"
                               "a0860100 f0490200";
    const std::string lower = "82dd82b882d9 202020202020202020202020"
                              "31323334353637 20202020202020"
                              "a0860100 e0220200 00000000 20202020202020202020"
                              "a0860100 e0220200";
    const std::vector<HistoryRecord> expected = {
        Expect(1, HistoryOperation::DepositChange, 3, cleared, mizuho),
        Expect(2, HistoryOperation::DepositChange, 3, mizuho, lower),
    };
    EXPECT_EQ(History(), expected);
    // A save that changes nothing records nothing.
    ASSERT_TRUE(SaveDepositBook(s).ok());
    EXPECT_EQ(History().size(), 2u);
}

TEST_F(BooksHistory, AHistoryThatCannotBeAppendedToRefusesTheSaveAndNothingIsWritten) {
    const std::string damaged = FromHex("52524b31 300000");  // the mark and a cut record
    WriteBytes(HistoryPath(s), damaged);
    Status st = KeepSlip(s, accounts, book, kA, &undo.Slips);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(fs::path(st.error().path).filename(), "RIREKI13.DAT");
    EXPECT_NE(st.error().detail.find("履歴ファイル RIREKI13.DAT に記録できないため、FURIKAE13.DAT は保存しませんでした。"),
              std::string::npos)
        << st.error().detail;
    EXPECT_FALSE(fs::exists(Slips()));
    EXPECT_TRUE(book.Slips.empty());
    EXPECT_TRUE(undo.Slips.empty());
    EXPECT_EQ(ReadBytes(HistoryPath(s)), damaged);

    ItemAccountArray chosen{}, changed{};
    changed[8] = AccountCode::Loans;
    EXPECT_FALSE(KeepItemAccounts(s, book, chosen, changed).ok());
    EXPECT_FALSE(fs::exists(ItemAccountsPath(s)));
    EXPECT_EQ(chosen, ItemAccountArray{});

    s.DepositBook = ClearedDepositBook();
    s.DepositBook.AccountName[1] = "口座";
    EXPECT_FALSE(SaveDepositBook(s).ok());
    EXPECT_FALSE(fs::exists(s.DepositPath));
    EXPECT_EQ(ReadBytes(HistoryPath(s)), damaged);
}

// Undo: each operation undone, newest first, leaves the slip book byte for byte as it
// was before it; the history keeps both and names the undone record.
TEST_F(BooksHistory, UndoingEachSlipOperationGivesBackTheFileAsItWas) {
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {{101, 50000}}).ok());
    std::vector<std::string> files{ReadBytes(Slips())};
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    files.push_back(ReadBytes(Slips()));
    ASSERT_TRUE(KeepSlip(s, accounts, book, kB, &undo.Slips).ok());
    files.push_back(ReadBytes(Slips()));
    ASSERT_TRUE(ChangeSlip(s, accounts, book, 0, kA2, &undo.Slips).ok());
    files.push_back(ReadBytes(Slips()));
    ASSERT_TRUE(DeleteSlip(s, accounts, book, 0, &undo.Slips).ok());
    files.push_back(ReadBytes(Slips()));
    EXPECT_EQ(files[4], FromHex("46524b31 0100 01000000 6500 50c30000" + kSlipB));

    for (int k = 3; k >= 0; --k) {
        const std::string history = ReadBytes(HistoryPath(s));
        ASSERT_TRUE(UndoSlip(s, accounts, book, undo.Slips).ok()) << k;
        EXPECT_EQ(ReadBytes(Slips()), files[static_cast<std::size_t>(k)]) << k;
        EXPECT_EQ(*LoadSlipBook(Slips()), book) << k;
        // The history only grew, by one record.
        const std::string grown = ReadBytes(HistoryPath(s));
        EXPECT_EQ(grown.substr(0, history.size()), history) << k;
    }
    const auto records = History();
    ASSERT_EQ(records.size(), 9u);
    const std::vector<HistoryRecord> undone = {
        Expect(6, HistoryOperation::SlipAdd, 1, "", kSlipA2, 5),
        Expect(7, HistoryOperation::SlipChange, 1, kSlipA2, kSlipA, 4),
        Expect(8, HistoryOperation::SlipDelete, 2, kSlipB, "", 3),
        Expect(9, HistoryOperation::SlipDelete, 1, kSlipA, "", 2),
    };
    EXPECT_EQ(std::vector<HistoryRecord>(records.begin() + 5, records.end()), undone);
    EXPECT_TRUE(undo.Slips.empty());

    const std::string history = ReadBytes(HistoryPath(s));
    Status none = UndoSlip(s, accounts, book, undo.Slips);
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().detail, kNothingToUndoMessage);
    EXPECT_EQ(ReadBytes(HistoryPath(s)), history);
    EXPECT_EQ(ReadBytes(Slips()), files[0]);
    // The cash book says it in the same words (the two were defined apart, and
    // differently).
    auto cashBook = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(cashBook.ok());
    EXPECT_EQ(cashBook->refusal, none.error().detail);
}

// A history that cannot be read back whole (a record in the middle with a broken size)
// takes no record of a slip, an opening balance, an item's account or an undo: each
// is refused with the reason the history's readers give, and nothing is written.
TEST_F(BooksHistory, AHistoryDamagedInTheMiddleRefusesEveryChangeOfTheBooks) {
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, kB, &undo.Slips).ok());
    ASSERT_TRUE(SettleJournal(JournalPathFor(s.LedgerPath)).ok());
    std::string history = ReadBytes(HistoryPath(s));
    history[kHistoryHeaderSize] = '\x2d';  // record 1 says 45 bytes
    WriteBytes(HistoryPath(s), history);
    auto read = LoadHistory(HistoryPath(s));
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read->Damage.size(), 1u);
    const std::string reason = read->Damage[0].Reason;
    const std::string slips = ReadBytes(Slips());
    auto refused = [&](const Status& st, const char* what) {
        SCOPED_TRACE(what);
        ASSERT_FALSE(st.ok());
        EXPECT_NE(st.error().detail.find(reason), std::string::npos) << st.error().detail;
        EXPECT_EQ(ReadBytes(HistoryPath(s)), history);
        EXPECT_EQ(ReadBytes(Slips()), slips);
        EXPECT_FALSE(fs::exists(ItemAccountsPath(s)));
    };
    refused(KeepSlip(s, accounts, book, kA2, &undo.Slips), "slip");
    refused(KeepOpenings(s, accounts, book, {OpeningBalance{101, 50000}}), "openings");
    ItemAccountArray chosen{};
    ItemAccountArray changed{};
    changed[8] = AccountCode::Loans;
    refused(KeepItemAccounts(s, book, chosen, changed), "item accounts");
    refused(UndoSlip(s, accounts, book, undo.Slips), "undo");
    EXPECT_EQ(undo.Slips.size(), 2u);
}

TEST_F(BooksHistory, ASlipBookFromAnotherWriterChangesOnlyWhereTheChangeIs) {
    // Slip 1's remarks are "≒" in the code 87 90 (the NEC row of CP932); this program
    // writes the character as 81 e0.
    const std::string slip1 = "313330343035 6a00 0100 80380100 8790" + kBlanks16 + "202020202020";
    const std::string file = "46524b31 0000 02000000" + slip1 + kSlipB;
    WriteBytes(Slips(), FromHex(file));
    auto loaded = LoadSlipBook(Slips());
    ASSERT_TRUE(loaded.ok());
    book = *loaded;
    ASSERT_EQ(book.Slips[0].SlipRemarks, "≒");

    // Slip 2 kept as it is: nothing written, nothing recorded, nothing to undo.
    ASSERT_TRUE(ChangeSlip(s, accounts, book, 1, kB, &undo.Slips).ok());
    EXPECT_EQ(ReadBytes(Slips()), FromHex(file));
    EXPECT_TRUE(History().empty());
    EXPECT_TRUE(undo.Slips.empty());

    // Slip 2 changed: only its bytes change, and the history holds exactly them.
    TransferSlip b2 = kB;
    b2.SlipAmount = 900;
    const std::string slipB2 = "313330343032 8200 0100 84030000 89c68e968fc194ef" + kBlanks16;
    ASSERT_TRUE(ChangeSlip(s, accounts, book, 1, b2, &undo.Slips).ok());
    EXPECT_EQ(ReadBytes(Slips()), FromHex("46524b31 0000 02000000" + slip1 + slipB2));
    EXPECT_EQ(History(), (std::vector<HistoryRecord>{
                             Expect(1, HistoryOperation::SlipChange, 2, kSlipB, slipB2)}));
    ASSERT_TRUE(UndoSlip(s, accounts, book, undo.Slips).ok());
    EXPECT_EQ(ReadBytes(Slips()), FromHex(file));
    EXPECT_EQ(History().size(), 2u);

    // A slip added, a slip deleted before it and the openings changed keep its bytes too.
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    EXPECT_EQ(ReadBytes(Slips()), FromHex("46524b31 0000 03000000" + slip1 + kSlipB + kSlipA));
    ASSERT_TRUE(DeleteSlip(s, accounts, book, 1, &undo.Slips).ok());
    EXPECT_EQ(ReadBytes(Slips()), FromHex("46524b31 0000 02000000" + slip1 + kSlipA));
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {{101, 50000}}).ok());
    EXPECT_EQ(ReadBytes(Slips()), FromHex("46524b31 0100 02000000 6500 50c30000" + slip1 + kSlipA));
    const auto records = History();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[2], Expect(3, HistoryOperation::SlipAdd, 3, "", kSlipA));
    EXPECT_EQ(records[3], Expect(4, HistoryOperation::SlipDelete, 2, kSlipB, ""));
    EXPECT_EQ(records[4], Expect(5, HistoryOperation::OpeningChange, 101, "", "50c30000"));
}

TEST_F(BooksHistory, AnUndoThatWouldWriteNothingIsNoUndo) {
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    const std::string bytes = ReadBytes(Slips());
    const std::string history = ReadBytes(HistoryPath(s));
    // A step whose slip was the same before and after (as a change that wrote
    // another slip's bytes once left behind).
    SlipUndoStep step;
    step.Operation = static_cast<std::int16_t>(HistoryOperation::SlipChange);
    step.Target = 1;
    step.Sequence = 1;
    step.OldBytes = Hex(kSlipA);
    step.NewBytes = Hex(kSlipA);
    step.File = Slips();
    step.FileSize = bytes.size();
    step.FileCheck = HistoryCrc32(std::as_bytes(std::span(bytes.data(), bytes.size())));
    undo.Slips = {step};
    Status undone = UndoSlip(s, accounts, book, undo.Slips);
    ASSERT_FALSE(undone.ok());
    EXPECT_NE(undone.error().detail.find("振替伝票 1"), std::string::npos) << undone.error().detail;
    EXPECT_EQ(ReadBytes(Slips()), bytes);
    EXPECT_EQ(ReadBytes(HistoryPath(s)), history);
}

TEST_F(BooksHistory, AnUndoIsRefusedWhenTheSlipOrTheFileChangedSinceAndChangesNothing) {
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, kB, &undo.Slips).ok());
    // The same slip changed again by another window of the program (its own state).
    SharedState other = s;
    UndoLists otherUndo;  // that window's own
    SlipBook otherBook = book;
    ASSERT_TRUE(ChangeSlip(other, accounts, otherBook, 1, {"130402", 130, 1, 800, "家事消費"}, &otherUndo.Slips).ok());
    const std::string file = ReadBytes(Slips()), history = ReadBytes(HistoryPath(s));
    const SlipBook held = book;
    Status st = UndoSlip(s, accounts, book, undo.Slips);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().detail, "振替伝票 2 はその後また変更されているため、元に戻せません。");
    EXPECT_EQ(ReadBytes(Slips()), file);
    EXPECT_EQ(ReadBytes(HistoryPath(s)), history);
    EXPECT_EQ(book, held);
    EXPECT_EQ(undo.Slips.size(), 2u);

    // The slip as it was, but the file changed behind the program's back (an opening
    // balance written by another program).
    ASSERT_TRUE(ChangeSlip(other, accounts, otherBook, 1, kB, &otherUndo.Slips).ok());
    SlipBook outside = otherBook;
    outside.Openings.push_back({101, 1});
    ASSERT_TRUE(SaveSlipBook(Slips(), outside).ok());
    const std::string changed = ReadBytes(Slips()), grown = ReadBytes(HistoryPath(s));
    st = UndoSlip(s, accounts, book, undo.Slips);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().detail,
              "振替伝票のファイルがその後ほかで変更されているため、振替伝票 2 の操作は元に戻せません。");
    EXPECT_EQ(ReadBytes(Slips()), changed);
    EXPECT_EQ(ReadBytes(HistoryPath(s)), grown);
    EXPECT_EQ(undo.Slips.size(), 2u);
}

// A power cut at every point of each operation: whatever reached the disk, once the
// log is settled the history holds the operation's records exactly when the file
// holds its change; after the whole run both hold it.
class BooksPowerCuts : public BooksHistory {
  protected:
    using Files = std::map<std::string, std::string>;
    static std::optional<std::string> Get(const Files& f, const std::string& name) {
        auto it = f.find(name);
        if (it == f.end()) return std::nullopt;
        return it->second;
    }
    Files Take() {
        Files out;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.is_regular_file()) out[e.path().filename().string()] = ReadBytes(e.path());
        return out;
    }
    void Put(const Files& files) {
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.is_regular_file()) fs::remove(e.path());
        for (const auto& [name, bytes] : files) WriteBytes(dir / name, bytes);
    }

    // Runs `op` once watched, then puts every crash state of it on the disk and
    // settles the log as the next read does. Returns how many states were tried.
    long CutEverywhere(const std::string& file, const std::function<Status()>& op) {
        SCOPED_TRACE(file);
        testing::UnflushedFiles noWaiting;
        ScopedFileOps quick(noWaiting);
        EXPECT_TRUE(SettleJournal(YearJournalPathOf()).ok());
        const Files before = Take();
        testing::PowerCutFiles run(dir.path());
        {
            ScopedFileOps watched(run);
            EXPECT_TRUE(op().ok());
        }
        // The reads below see the log settled, as the next start would.
        EXPECT_TRUE(SettleJournal(YearJournalPathOf()).ok());
        const Files after = Take();
        const auto pair = [&](const Files& f) {
            return std::make_pair(Get(f, file), Get(f, "RIREKI13.DAT"));
        };
        EXPECT_TRUE(Get(before, file) != Get(after, file));
        EXPECT_TRUE(Get(before, "RIREKI13.DAT") != Get(after, "RIREKI13.DAT"));
        long states = 0;
        for (const bool bySector : {false, true}) {
            for (std::size_t k = 0; k <= run.ops.size(); ++k) {
                testing::CrashPoint cut(run, k, bySector);
                for (const std::vector<bool>& subset : cut.Subsets()) {
                    for (std::size_t names = 0; names <= cut.NameOps(); ++names) {
                        Put(cut.Files(subset, names));
                        const auto settled = SettleJournal(YearJournalPathOf());
                        EXPECT_TRUE(settled.ok());
                        ++states;
                        const auto now = pair(Take());
                        const bool old = now == pair(before), done = now == pair(after);
                        EXPECT_TRUE(old || done)
                            << "cut after op " << k << (bySector ? " by sector" : "");
                        if (k == run.ops.size()) {
                            EXPECT_TRUE(done) << "the operation was reported done";
                        }
                    }
                }
            }
        }
        Put(after);
        return states;
    }
    fs::path YearJournalPathOf() const { return JournalPathFor(s.LedgerPath); }
};

TEST_F(BooksPowerCuts, EveryCrashStateHoldsTheRecordsExactlyWhenTheFileHoldsTheChange) {
    using O = OpeningBalance;
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {O{101, 50000}}).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    long states = 0;
    states += CutEverywhere("FURIKAE13.DAT", [&] { return KeepSlip(s, accounts, book, kB, &undo.Slips); });
    states += CutEverywhere("FURIKAE13.DAT", [&] { return ChangeSlip(s, accounts, book, 0, kA2, &undo.Slips); });
    states += CutEverywhere("FURIKAE13.DAT", [&] { return DeleteSlip(s, accounts, book, 1, &undo.Slips); });
    states += CutEverywhere("FURIKAE13.DAT", [&] { return UndoSlip(s, accounts, book, undo.Slips); });
    states += CutEverywhere("FURIKAE13.DAT", [&] {
        return KeepOpenings(s, accounts, book, {O{101, 60000}, O{302, 60000}});
    });
    ItemAccountArray chosen{}, changed{};
    changed[8] = AccountCode::Loans;
    states += CutEverywhere("KAMOKU.DAT", [&] { return KeepItemAccounts(s, book, chosen, changed); });
    s.DepositBook = ClearedDepositBook();
    s.DepositBook.AccountName[2] = "みずほ";
    s.DepositBook.CurrentBalance[2] = 150000;
    states += CutEverywhere("YOKIN13.DAT", [&] { return SaveDepositBook(s); });
    states += CutEverywhere("RIREKI13.DAT", [&] { return SwitchElectronicBooks(s, true); });
    std::printf("%ld crash states\n", states);
    EXPECT_GT(states, 100);
    EXPECT_EQ(History().size(), 11u);  // two for the openings
}

// Every write, flush, rename and truncate of each change of the books failed, or the
// process stopped there (also half way through a write): once the log is settled as
// the next start settles it, the changed file and the history are both as before or
// both as after, and as before whenever the change was reported failed.
TEST_F(BooksPowerCuts, EveryFaultPointLeavesTheFileAndItsHistoryTogether) {
    using O = OpeningBalance;
    ASSERT_TRUE(KeepOpenings(s, accounts, book, {O{101, 50000}}).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, kA, &undo.Slips).ok());
    ASSERT_TRUE(KeepSlip(s, accounts, book, kB, &undo.Slips).ok());
    ASSERT_TRUE(SettleJournal(YearJournalPathOf()).ok());
    const Files start = Take();
    const SharedState startState = s;
    const SlipBook startBook = book;
    const UndoLists startUndo = undo;
    ItemAccountArray changed = accounts;
    changed[8] = AccountCode::Loans;
    DepositBookRecord renamed = ClearedDepositBook();
    renamed.AccountName[2] = "みずほ";
    struct Change {
        const char* name;
        const char* file;
        std::function<Status()> run;
    };
    const std::vector<Change> changes{
        {"slip kept", "FURIKAE13.DAT", [&] { return KeepSlip(s, accounts, book, kA2, &undo.Slips); }},
        {"slip changed", "FURIKAE13.DAT", [&] { return ChangeSlip(s, accounts, book, 0, kA2, &undo.Slips); }},
        {"slip deleted", "FURIKAE13.DAT", [&] { return DeleteSlip(s, accounts, book, 1, &undo.Slips); }},
        {"slip undone", "FURIKAE13.DAT", [&] { return UndoSlip(s, accounts, book, undo.Slips); }},
        {"openings", "FURIKAE13.DAT",
         [&] { return KeepOpenings(s, accounts, book, {O{101, 60000}, O{302, 60000}}); }},
        {"item accounts", "KAMOKU.DAT", [&] {
             ItemAccountArray chosen = accounts;
             return KeepItemAccounts(s, book, chosen, changed);
         }},
        {"deposit book", "YOKIN13.DAT", [&] {
             s.DepositBook = renamed;
             return SaveDepositBook(s);
         }},
        {"electronic books", "RIREKI13.DAT", [&] { return SwitchElectronicBooks(s, true); }},
    };
    const auto reset = [&] {
        Put(start);
        s = startState;
        book = startBook;
        undo = startUndo;
    };
    long runs = 0;
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        const auto pair = [&](const Files& f) {
            return std::make_pair(Get(f, c.file), Get(f, "RIREKI13.DAT"));
        };
        reset();
        testing::FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            ASSERT_TRUE(c.run().ok());
        }
        ASSERT_TRUE(SettleJournal(YearJournalPathOf()).ok());
        const Files after = Take();
        ASSERT_NE(pair(after), pair(start));
        for (int n = 1; n <= counting.calls; ++n) {
            std::vector<testing::FaultyFiles> faults{testing::FaultyFiles(n, testing::Fault::Fail),
                                                     testing::FaultyFiles(n, testing::Fault::Stop)};
            const std::size_t size = counting.writeSizes[static_cast<std::size_t>(n - 1)];
            if (size > 1) faults.emplace_back(n, testing::Fault::Stop, size / 2);
            for (testing::FaultyFiles& files : faults) {
                reset();
                Status result = Ok();
                {
                    ScopedFileOps use(files);
                    result = c.run();
                }
                if (!files.reached) continue;
                ++runs;
                ASSERT_TRUE(SettleJournal(YearJournalPathOf()).ok()) << "call " << n;
                const auto now = pair(Take());
                const bool old = now == pair(start), done = now == pair(after);
                EXPECT_TRUE(old || done) << "call " << n << ": neither the old nor the new files";
                if (!files.stopped) {
                    const bool applied = result.ok() || result.error().applied;
                    EXPECT_EQ(done, applied) << "call " << n << ": the result says otherwise";
                }
            }
        }
    }
    reset();
    std::printf("%ld fault runs\n", runs);
    EXPECT_GT(runs, 50);
}

}  // namespace
}  // namespace tabulo
