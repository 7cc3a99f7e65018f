// What each cash-book operation appends to the year's history, against records whose
// bytes are written by hand from the line and deposit layouts; what is refused when
// the history cannot take them; and 元に戻す: each operation undone leaves the ledger
// and the deposit file byte for byte as they were before it, with the history grown
// by the undo's records.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "cashbook/Aggregation.h"
#include "cashbook/Ledger.h"
#include "cashbook/Undo.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/History.h"
#include "store/Journal.h"
#include "tests/cashbook/LedgerFixture.h"
#include "tests/support/FakePrompt.h"

namespace tabulo {

// Failed comparisons show a record's fields, its bytes as hex.
void PrintTo(const HistoryRecord& r, std::ostream* os);

namespace {

using testing::FromHex;
using testing::kBlank16;
using testing::kBlank6;
using testing::kMon;
using testing::kSat;
using testing::kTue;
using testing::kWed;
using testing::ReadBytes;
using testing::WriteBytes;

std::string H(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto& p : parts) s += p + " ";
    return s;
}

std::vector<std::byte> B(const std::string& hex) {
    const std::string bytes = FromHex(hex);
    const auto* p = reinterpret_cast<const std::byte*>(bytes.data());
    return {p, p + bytes.size()};
}

std::string Hex(const std::vector<std::byte>& v) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::byte b : v) {
        out += digits[std::to_integer<int>(b) >> 4];
        out += digits[std::to_integer<int>(b) & 15];
    }
    return out;
}

constexpr const char* kWhen = "20261208093000";

// Three lines of April from an opening balance of 10,000:
//   1 130401 item 1 (収入) income 5,000            15,000
//   2 130402 item 4 (支出) expense 2,000           13,000
//   3 130403 item 2 (預金引出, account 1) 3,000     16,000
const std::string kHeader = "0300 10270000 00000000 00000000 00000000";
const std::string kLine1 = H({"313330343031", kMon, "0100 88130000 00000000 983a0000", kBlank16});
const std::string kLine2 = H({"313330343032", kTue, "0400 00000000 d0070000 c8320000", kBlank16});
const std::string kLine3 = H({"313330343033", kWed, "0200 b80b0000 00000000 803e0000", kBlank16});

// Account 1 as the history keeps it: 普通預金 (9581 92ca 9761 8be0), no number, carried 0, current 100,000,
// spare 0, no maturity, then the totals (carried 0, current 100,000).
std::string Account1(const std::string& current, const std::string& currentTotal) {
    return H({"958192ca97618be0 20202020202020202020", "2020202020202020202020202020", "00000000",
              current, "00000000", "20202020202020202020", "00000000", currentTotal});
}

class CashBookHistory : public testing::LedgerFixture {
  protected:
    void SetUp() override {
        LedgerFixture::SetUp();
        s.HistoryClock = [] { return std::string(kWhen); };
        Load(H({kHeader, kLine1, kLine2, kLine3}));
        DepositBookRecord book = ClearedDepositBook();
        book.AccountName[1] = "普通預金";
        book.CurrentBalance[1] = 100000;
        book.CurrentTotal = 100000;
        auto bytes = EncodeDepositBook(book);
        ASSERT_TRUE(bytes.ok());
        WriteBytes(s.DepositPath,
                   std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        s.DepositBook = book;
    }

    // The cash book screen's list for 元に戻す, as the application hands it over.
    UndoLists undo;

    std::filesystem::path History() const { return HistoryPath(s); }

    std::vector<HistoryRecord> Records() const {
        auto h = LoadHistory(History());
        EXPECT_TRUE(h.ok());
        if (!h) return {};
        EXPECT_TRUE(h->Damage.empty());
        return h->Records;
    }

    static HistoryRecord Rec(std::uint32_t seq, HistoryOperation op, int target, std::uint32_t undoOf,
                             const std::string& oldHex, const std::string& newHex) {
        return HistoryRecord{seq, kWhen, op, target, undoOf, B(oldHex), B(newHex)};
    }

    std::string Deposit() const { return ReadBytes(s.DepositPath); }

    // The cash book's log settled, as a read of the year does, so that a file changed
    // by hand afterwards is not written over by the log.
    void Settle() const { ASSERT_TRUE(SettleJournal(JournalPathFor(s.LedgerPath)).ok()); }
};

// ---- Recording ----

TEST_F(CashBookHistory, APostOnALineRecordsItsOldAndNewBytesAndTheAccountItMoved) {
    RowFields row{"130403", "（水）", 2, ""};
    DepositChange d{2, 1, 3000};
    ASSERT_TRUE(PostAmount(s, 3, 1, 4500, "04", row, &d, &undo.CashBook).ok());
    // 13,000 + 4,500; the withdrawal takes 1,500 more from account 1: 98,500.
    const std::string newLine3 = H({"313330343033", kWed, "0200 94110000 00000000 5c440000", kBlank16});
    EXPECT_EQ(Records(),
              (std::vector<HistoryRecord>{
                  Rec(1, HistoryOperation::CashBookChange, 3, 0, kLine3, newLine3),
                  Rec(2, HistoryOperation::DepositChange, 1, 0, Account1("a0860100", "a0860100"),
                      Account1("c4800100", "c4800100")),
              }));
}

TEST_F(CashBookHistory, APostAfterTheLastLineRecordsTheLineAddedAndASkippedLineBlank) {
    RowFields row{"130407", "（土）", 1, "追加"};
    ASSERT_TRUE(PostAmount(s, 5, 1, 700, "04", row, nullptr, &undo.CashBook).ok());
    // Line 4 skipped: blank, carrying 16,000; line 5 16,000 + 700.
    const std::string blank4 = H({kBlank6, kBlank6, "0000 00000000 00000000 803e0000", kBlank16});
    const std::string line5 = H({"313330343037", kSat, "0100 bc020000 00000000 3c410000",
                                 "92c789c1 202020202020202020202020"});
    EXPECT_EQ(Records(), (std::vector<HistoryRecord>{
                             Rec(1, HistoryOperation::CashBookPost, 4, 0, "", blank4),
                             Rec(2, HistoryOperation::CashBookPost, 5, 0, "", line5),
                         }));
}

TEST_F(CashBookHistory, FieldChangesRecordOneRecordALineAndAPageSaveOneForEachLineChanged) {
    ASSERT_TRUE(WriteLineRemarks(s, 2, "訂正", &undo.CashBook).ok());
    const std::string line2 = H({"313330343032", kTue, "0400 00000000 d0070000 c8320000",
                                 "92f990b3 202020202020202020202020"});
    std::array<RowFields, kRowsPerPage> rows{};
    rows[0] = {"130401", "（月）", 1, "現金売上"};
    rows[1] = {"130402", "（火）", 4, "訂正"};
    rows[2] = {"130404", "（水）", 2, ""};
    ASSERT_TRUE(SavePage(s, 1, rows, &undo.CashBook).ok());
    // 現金売上: 8cbb 8be0 9484 8fe3. Line 2 is as stored: no record. Line 3's date.
    const std::string line1 = H({"313330343031", kMon, "0100 88130000 00000000 983a0000",
                                 "8cbb8be094848fe3 2020202020202020"});
    const std::string line3 = H({"313330343034", kWed, "0200 b80b0000 00000000 803e0000", kBlank16});
    EXPECT_EQ(Records(), (std::vector<HistoryRecord>{
                             Rec(1, HistoryOperation::CashBookChange, 2, 0, kLine2, line2),
                             Rec(2, HistoryOperation::CashBookChange, 1, 0, kLine1, line1),
                             Rec(3, HistoryOperation::CashBookChange, 3, 0, kLine3, line3),
                         }));
}

TEST_F(CashBookHistory, ADateOnANewLineIsAPostAndAnItemChangedIsAChange) {
    ASSERT_TRUE(WriteLineDate(s, 4, "130409", "（水）", &undo.CashBook).ok());
    ASSERT_TRUE(WriteLineItem(s, 2, 8, &undo.CashBook).ok());
    // The new line carries the last balance, 16,000; line 2's item 4 becomes 8.
    const std::string line4 = H({"313330343039", kWed, "0000 00000000 00000000 803e0000", kBlank16});
    const std::string line2 = H({"313330343032", kTue, "0800 00000000 d0070000 c8320000", kBlank16});
    EXPECT_EQ(Records(), (std::vector<HistoryRecord>{
                             Rec(1, HistoryOperation::CashBookPost, 4, 0, "", line4),
                             Rec(2, HistoryOperation::CashBookChange, 2, 0, kLine2, line2),
                         }));
}

TEST_F(CashBookHistory, InsertAndDeleteRecordTheLineAddedOrTakenAndTheAccountCorrected) {
    ASSERT_TRUE(InsertLine(s, 2, &undo.CashBook).ok());
    ASSERT_TRUE(DeleteLine(s, 4, 1, &undo.CashBook).ok());  // the withdrawal, now line 4
    // The inserted blank carries line 1's 15,000; the deleted withdrawal's 3,000
    // goes back to account 1: 103,000. Its balance as stored when it was deleted is
    // the one the insert's recalculation left (16,000).
    const std::string blank = H({kBlank6, kBlank6, "0000 00000000 00000000 983a0000", kBlank16});
    EXPECT_EQ(Records(),
              (std::vector<HistoryRecord>{
                  Rec(1, HistoryOperation::CashBookInsert, 2, 0, "", blank),
                  Rec(2, HistoryOperation::CashBookDelete, 4, 0, kLine3, ""),
                  Rec(3, HistoryOperation::DepositChange, 1, 0, Account1("a0860100", "a0860100"),
                      Account1("58920100", "58920100")),
              }));
}

TEST_F(CashBookHistory, RecalculationAndAFieldWrittenUnchangedRecordNothing) {
    ASSERT_TRUE(RecalculateAll(s).ok());
    ASSERT_TRUE(RecalculateFromPage(s, 1).ok());
    ASSERT_TRUE(WriteLineItem(s, 2, 4, &undo.CashBook).ok());
    ASSERT_TRUE(FinishEntry(s).ok());
    EXPECT_FALSE(std::filesystem::exists(History()));
    EXPECT_TRUE(undo.CashBook.empty());
}

TEST_F(CashBookHistory, AHistoryThatCannotTakeTheRecordsRefusesTheOperationAndWritesNothing) {
    // The file's end is not a record's end (a write cut short by hand).
    WriteBytes(History(), FromHex("52524b31 300000"));
    const std::string ledger = File(), deposit = Deposit(), history = ReadBytes(History());
    RowFields row{"130403", "（水）", 2, ""};
    DepositChange d{2, 1, 3000};
    Status st = PostAmount(s, 3, 1, 4500, "04", row, &d, &undo.CashBook);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().path, History().string());
    EXPECT_NE(st.error().detail.find("履歴に記録できないため、この変更は書き込みませんでした。"),
              std::string::npos);
    EXPECT_EQ(File(), ledger);
    EXPECT_EQ(Deposit(), deposit);
    EXPECT_EQ(ReadBytes(History()), history);
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 100000);
    EXPECT_FALSE(DeleteLine(s, 3, 1, &undo.CashBook).ok());
    EXPECT_FALSE(InsertLine(s, 1, &undo.CashBook).ok());
    EXPECT_FALSE(WriteLineRemarks(s, 1, "x", &undo.CashBook).ok());
    EXPECT_EQ(File(), ledger);
    EXPECT_EQ(Deposit(), deposit);
    EXPECT_TRUE(undo.CashBook.empty());
}

// A record in the middle whose size is broken ends every reading there: what the
// next change appended after it was never found again. The change is refused with the
// reason the history's readers give, and nothing is written.
TEST_F(CashBookHistory, AHistoryDamagedInTheMiddleTakesNoRecordsAndSaysWhereItStops) {
    ASSERT_TRUE(WriteLineRemarks(s, 2, "訂正", &undo.CashBook).ok());
    ASSERT_TRUE(DeleteLine(s, 3, 1, &undo.CashBook).ok());
    Settle();
    std::string history = ReadBytes(History());
    history[kHistoryHeaderSize] = '\x2d';  // record 1 says 45 bytes; the file's end is whole
    WriteBytes(History(), history);
    auto read = LoadHistory(History());
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read->Damage.size(), 1u);
    const std::string reason = read->Damage[0].Reason;
    EXPECT_EQ(reason, "履歴の記録 1 の大きさが壊れています。記録 1 から先は読めません。");

    const std::string ledger = File(), deposit = Deposit();
    auto refused = [&](const FileError& e, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(e.path, History().string());
        EXPECT_NE(e.detail.find(reason), std::string::npos) << e.detail;
        EXPECT_EQ(File(), ledger);
        EXPECT_EQ(Deposit(), deposit);
        EXPECT_EQ(ReadBytes(History()), history);
    };
    RowFields row{"130407", "（土）", 1, "追加"};
    Status posted = PostAmount(s, 4, 1, 700, "04", row, nullptr, &undo.CashBook);
    ASSERT_FALSE(posted.ok());
    refused(posted.error(), "post");
    auto inserted = InsertLine(s, 1, &undo.CashBook);
    ASSERT_FALSE(inserted.ok());
    refused(inserted.error(), "insert");
    Status remarks = WriteLineRemarks(s, 1, "x", &undo.CashBook);
    ASSERT_FALSE(remarks.ok());
    refused(remarks.error(), "remarks");
    auto undone = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_FALSE(undone.ok());
    refused(undone.error(), "undo");
    EXPECT_EQ(undo.CashBook.size(), 2u);
}

// ---- Undo ----

struct UndoCase {
    const char* name;
    std::function<Status(SharedState&)> run;
};

TEST_F(CashBookHistory, EachOperationUndoneLeavesTheFilesAsBeforeAndTheHistoryGrown) {
    const std::vector<UndoCase> cases{
        {"post on a line",
         [this](SharedState& s) { return PostAmount(s, 2, 2, 2500, "04", {"130402", "（火）", 4, ""}, nullptr, &undo.CashBook); }},
        {"post with a deposit correction",
         [this](SharedState& s) {
             DepositChange d{2, 1, 3000};
             return PostAmount(s, 3, 1, 4500, "04", {"130403", "（水）", 2, ""}, &d, &undo.CashBook);
         }},
        {"post after the last line, one skipped",
         [this](SharedState& s) { return PostAmount(s, 5, 1, 700, "04", {"130407", "（土）", 1, "追加"}, nullptr, &undo.CashBook); }},
        {"remarks changed", [this](SharedState& s) { return WriteLineRemarks(s, 1, "訂正", &undo.CashBook); }},
        {"date on a new line", [this](SharedState& s) { return WriteLineDate(s, 4, "130409", "（月）", &undo.CashBook); }},
        {"insert", [this](SharedState& s) { return InsertLine(s, 1, &undo.CashBook).ok() ? Ok() : Status(FileError{}); }},
        {"delete", [this](SharedState& s) { return DeleteLine(s, 1, 0, &undo.CashBook); }},
        {"delete with a deposit correction", [this](SharedState& s) { return DeleteLine(s, 3, 1, &undo.CashBook); }},
    };
    const std::string ledger = File(), deposit = Deposit();
    const LedgerHeaderRecord header = s.LedgerHeader;
    const DepositBookRecord book = *DecodeDepositBook(
        std::as_bytes(std::span(deposit.data(), deposit.size())));
    const DepositBookRecord held = s.DepositBook;
    std::size_t recorded = 0;
    for (const UndoCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.run(s).ok());
        ASSERT_NE(File(), ledger);
        const std::vector<HistoryRecord> done = Records();
        ASSERT_GT(done.size(), recorded);
        const std::vector<HistoryRecord> op(done.begin() + static_cast<std::ptrdiff_t>(recorded), done.end());

        auto undone = UndoLastCashBookOperation(s, undo.CashBook);
        ASSERT_TRUE(undone.ok());
        EXPECT_TRUE(undone->undone) << undone->refusal;
        EXPECT_EQ(File(), ledger);
        EXPECT_EQ(Deposit(), deposit);
        EXPECT_EQ(s.LedgerHeader, header);
        // The book as the program held it, or as read back from the file restored.
        EXPECT_TRUE(s.DepositBook == book || s.DepositBook == held);

        // The operation's records stay; one undo record each follows, last first.
        const std::vector<HistoryRecord> all = Records();
        ASSERT_EQ(all.size(), done.size() + op.size());
        for (std::size_t i = 0; i < op.size(); ++i) {
            const HistoryRecord& u = all[done.size() + i];
            const HistoryRecord& o = op[op.size() - 1 - i];
            EXPECT_EQ(u.UndoOf, o.Sequence);
            EXPECT_EQ(u.Target, o.Target);
        }
        recorded = all.size();
        EXPECT_TRUE(undo.CashBook.empty());
    }
}

TEST_F(CashBookHistory, AnUndoRecordsTheOppositeChangeNamingWhatItUndoes) {
    ASSERT_TRUE(DeleteLine(s, 3, 1, &undo.CashBook).ok());
    auto undone = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(undone.ok());
    ASSERT_TRUE(undone->undone);
    EXPECT_EQ(undone->line, 3);
    const auto all = Records();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2], Rec(3, HistoryOperation::DepositChange, 1, 2, Account1("58920100", "58920100"),
                          Account1("a0860100", "a0860100")));
    EXPECT_EQ(all[3], Rec(4, HistoryOperation::CashBookInsert, 3, 1, "", kLine3));
}

TEST_F(CashBookHistory, RepeatedUndoWalksBackToTheStartAndThenHasNothingLeft) {
    const std::string ledger = File();
    ASSERT_TRUE(PostAmount(s, 2, 2, 2500, "04", {"130402", "（火）", 4, ""}, nullptr, &undo.CashBook).ok());
    ASSERT_TRUE(WriteLineRemarks(s, 2, "訂正", &undo.CashBook).ok());
    ASSERT_TRUE(InsertLine(s, 1, &undo.CashBook).ok());
    for (int i = 0; i < 3; ++i) {
        auto undone = UndoLastCashBookOperation(s, undo.CashBook);
        ASSERT_TRUE(undone.ok());
        EXPECT_TRUE(undone->undone) << i;
    }
    EXPECT_EQ(File(), ledger);
    auto more = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(more.ok());
    EXPECT_FALSE(more->undone);
    EXPECT_EQ(more->refusal, kNothingToUndoMessage);
    EXPECT_EQ(Records().size(), 6u);
}

TEST_F(CashBookHistory, AnUndoNoLongerPossibleSaysWhyAndChangesNothing) {
    const std::string ledger = File();
    ASSERT_TRUE(PostAmount(s, 2, 2, 2500, "04", {"130402", "（火）", 4, ""}, nullptr, &undo.CashBook).ok());
    // The line's remarks changed behind the program's back.
    Settle();
    std::string bytes = File();
    bytes[18 + 42 + 26] = 'X';
    WriteBytes(s.LedgerPath, bytes);
    const std::string history = ReadBytes(History());
    auto undone = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(undone.ok());
    EXPECT_FALSE(undone->undone);
    EXPECT_EQ(undone->refusal, "出納帳の 2 行目がこの操作の後に変更されているため、元に戻せません。");
    EXPECT_EQ(File(), bytes);
    EXPECT_EQ(ReadBytes(History()), history);
    EXPECT_EQ(undo.CashBook.size(), 1u);

    // Only a balance changed (a recalculation since): that is no change to an entry.
    bytes[18 + 42 + 26] = ' ';
    bytes[18 + 2 * 42 + kLedgerZandakaOffset] = '\x01';
    WriteBytes(s.LedgerPath, bytes);
    auto balanceOnly = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(balanceOnly.ok());
    EXPECT_TRUE(balanceOnly->undone) << balanceOnly->refusal;
    EXPECT_EQ(File(), ledger);
}

TEST_F(CashBookHistory, AnUndoRefusesWhenTheFileOrTheAccountChangedSince) {
    DepositChange d{2, 1, 3000};
    ASSERT_TRUE(PostAmount(s, 3, 1, 4500, "04", {"130403", "（水）", 2, ""}, &d, &undo.CashBook).ok());
    Settle();
    const std::string deposit = Deposit();
    std::string changed = deposit;
    changed[756 + 4 + 3] = '\x01';  // account 1's current balance
    WriteBytes(s.DepositPath, changed);
    auto undone = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(undone.ok());
    EXPECT_FALSE(undone->undone);
    EXPECT_EQ(undone->refusal, "預金口座 1 がこの操作の後に変更されているため、元に戻せません。");
    EXPECT_EQ(Deposit(), changed);
    WriteBytes(s.DepositPath, deposit);

    // A line added behind the program's back.
    const std::string ledger = File();
    WriteBytes(s.LedgerPath, ledger + std::string(42, ' '));
    auto longer = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(longer.ok());
    EXPECT_FALSE(longer->undone);
    EXPECT_NE(longer->refusal.find("ほかから変更されているため、元に戻せません。"), std::string::npos);
    WriteBytes(s.LedgerPath, ledger);
    auto fine = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(fine.ok());
    EXPECT_TRUE(fine->undone) << fine->refusal;
}

// Every positioned write, with the file it went to.
class RecordingWrites : public FileOps {
  public:
    struct Write {
        std::string file;
        off_t offset = 0;
        std::size_t size = 0;
    };
    std::vector<Write> writes;
    ssize_t Pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
        char name[4096] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(link.c_str(), name, sizeof name - 1);
        writes.push_back({n > 0 ? std::filesystem::path(name).filename().string() : "", offset, size});
        return FileOps::Pwrite(fd, data, size, offset);
    }
};

TEST_F(CashBookHistory, AnUndoOfAnAddedLineWritesNoByteBeyondTheLedgerItLeaves) {
    const std::string ledger = File();
    // A line added after the last one (and one skipped over, written blank).
    ASSERT_TRUE(PostAmount(s, 5, 1, 700, "04", {"130407", "（土）", 1, "追加"}, nullptr, &undo.CashBook).ok());
    ASSERT_EQ(File().size(), ledger.size() + 2 * 42);
    RecordingWrites recording;
    {
        ScopedFileOps scoped(recording);
        auto undone = UndoLastCashBookOperation(s, undo.CashBook);
        ASSERT_TRUE(undone.ok());
        ASSERT_TRUE(undone->undone) << undone->refusal;
    }
    EXPECT_EQ(File(), ledger);
    bool wroteLedger = false;
    for (const RecordingWrites::Write& w : recording.writes) {
        if (w.file != "KEIRI13.DAT") continue;
        wroteLedger = true;
        EXPECT_LE(static_cast<std::size_t>(w.offset) + w.size, ledger.size())
            << "a write at " << w.offset << " of " << w.size << " bytes";
    }
    EXPECT_TRUE(wroteLedger);
}

TEST_F(CashBookHistory, AnUndoAfterTheItemsCategoryChangedGivesTheBalancesOfTodaysMaster) {
    ASSERT_TRUE(PostAmount(s, 2, 2, 2500, "04", {"130402", "（火）", 4, ""}, nullptr, &undo.CashBook).ok());
    // Item 2 becomes 口座振り込み, which does not move the cash, and 集計 works every
    // balance out again under it: line 3 no longer adds its 3,000.
    Item(2, "振込入金", 3);
    testing::FakePrompt prompt;
    auto totalled = AggregateYear(s, prompt);
    ASSERT_TRUE(totalled.ok());
    ASSERT_TRUE(*totalled);
    EXPECT_EQ(File().substr(18),
              FromHex(H({kLine1, "313330343032", kTue, "0400 00000000 c4090000 d4300000", kBlank16,
                         "313330343033", kWed, "0200 b80b0000 00000000 d4300000", kBlank16})));

    auto undone = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_TRUE(undone.ok());
    ASSERT_TRUE(undone->undone) << undone->refusal;
    // Line 2 has its 2,000 back; the balances follow today's master: 13,000 on both.
    const std::string line3 = H({"313330343033", kWed, "0200 b80b0000 00000000 c8320000", kBlank16});
    ExpectFile(H({kHeader, kLine1, kLine2, line3}));
    // The undo's record holds the line as it is now stored.
    const std::vector<HistoryRecord> all = Records();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].UndoOf, 1u);
    EXPECT_EQ(Hex(all[1].NewBytes), Hex(B(kLine2)));
    // Nothing is left for a recalculation to correct.
    const std::string undoneFile = File();
    ASSERT_TRUE(RecalculateAll(s).ok());
    EXPECT_EQ(File(), undoneFile);
}

TEST_F(CashBookHistory, AnUndoTheHistoryCannotTakeIsRefusedAndWritesNothing) {
    ASSERT_TRUE(DeleteLine(s, 3, 1, &undo.CashBook).ok());
    Settle();
    std::string history = ReadBytes(History());
    history.pop_back();
    WriteBytes(History(), history);
    const std::string ledger = File(), deposit = Deposit();
    auto undone = UndoLastCashBookOperation(s, undo.CashBook);
    ASSERT_FALSE(undone.ok());
    EXPECT_EQ(undone.error().path, History().string());
    EXPECT_EQ(File(), ledger);
    EXPECT_EQ(Deposit(), deposit);
    EXPECT_EQ(undo.CashBook.size(), 1u);
}

}  // namespace
}  // namespace tabulo

namespace tabulo {
void PrintTo(const HistoryRecord& r, std::ostream* os) {
    *os << "{#" << r.Sequence << " " << r.When << " op " << static_cast<int>(r.Operation) << " target "
        << r.Target << " undoes " << r.UndoOf << " old " << Hex(r.OldBytes) << " new "
        << Hex(r.NewBytes) << "}";
}
}  // namespace tabulo
