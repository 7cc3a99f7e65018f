// Taking a statement's rows into the books: where the lines go, what the deposit
// account, the slips and the history get, that no row is ever taken twice, and that
// 元に戻す takes the whole import back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "books/BooksFiles.h"
#include "books/TrialBalance.h"
#include "cashbook/Ledger.h"
#include "statements/Import.h"
#include "statements/StatementText.h"
#include "store/History.h"
#include "store/ImportedRows.h"
#include "store/Text.h"
#include "store/SharedState.h"
#include "tests/statements/ImportYear.h"

using namespace tabulo;
using namespace tabulo::statements;
using tabulo::testing::FakePrompt;
using tabulo::testing::ImportYear;

namespace {

StatementRow Row(int line, int month, int day, const char* what, Amount in, Amount out) {
    StatementRow r;
    r.line = line;
    r.date = {2026, month, day};
    r.description = what;
    r.in = in;
    r.out = out;
    return r;
}

ImportTarget Account1() { return ImportTarget{StatementKind::Bank, 1, {}}; }
ImportTarget Card() { return ImportTarget{StatementKind::Card, 0, "楽天カード"}; }

// The preview with every row given `item`, as a user choosing one item for all would.
std::vector<PreviewLine> Preview(const SharedState& s, const ImportTarget& t,
                                 const std::vector<StatementRow>& rows, int inItem, int outItem) {
    auto p = PreviewImport(s, t, rows, {});
    EXPECT_TRUE(p) << (p ? "" : p.error().detail);
    if (!p) return {};
    for (PreviewLine& l : *p) l.assigned.target = l.row.in > 0 ? inItem : outItem;
    return *p;
}

std::vector<RowState> States(const std::vector<PreviewLine>& p) {
    std::vector<RowState> out;
    for (const PreviewLine& l : p) out.push_back(l.state);
    return out;
}

struct Line {
    std::string date;
    int item;
    Amount in, out, balance;
    std::string remarks;
    bool operator==(const Line&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Line& l) {
    return o << l.date << " item " << l.item << " " << l.in << "/" << l.out << " = " << l.balance << " "
             << l.remarks;
}

std::vector<Line> Lines(const SharedState& s) {
    std::vector<Line> out;
    for (int n = 1; n <= s.LedgerHeader.LineCount; ++n) {
        auto l = ReadLedgerLineAt(s, n);
        EXPECT_TRUE(l);
        if (!l) break;
        out.push_back({Trim(l->NenGetsuBi), l->ItemNo, l->Indata, l->Outdata, l->Zandaka, TrimRight(l->Bikou)});
    }
    return out;
}

std::vector<HistoryRecord> History(const ImportYear& y) {
    auto h = LoadHistory(y.data / "RIREKI08.DAT");
    EXPECT_TRUE(h);
    EXPECT_TRUE(h->Damage.empty());
    return h->Records;
}

}  // namespace

TEST(StatementImport, BankRowsBecomeDepositLinesInDateOrderAndMoveTheAccount) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    const std::vector<StatementRow> rows = {
        Row(2, 4, 3, "ﾃﾞﾝｷﾀﾞｲ", 0, 4500),      // before the income of the 5th
        Row(3, 4, 10, "フリコミ　カ）ヤマダ", 80000, 0),  // after the withdrawal of the 10th
        Row(4, 4, 30, "カード代金", 0, 12000),  // after the last line
    };
    auto preview = Preview(s, Account1(), rows, 3, 6);
    EXPECT_EQ(States(preview), (std::vector<RowState>{RowState::New, RowState::New, RowState::New}));
    auto done = ImportRows(s, Account1(), TickedRows(preview));
    ASSERT_TRUE(done) << done.error().detail;
    EXPECT_EQ(done->taken, 3);
    EXPECT_EQ(done->firstLine, 2);

    // Categories 3 and 6 leave the cash balance as it was; the remarks are the
    // description as written, cut to the field.
    EXPECT_EQ(Lines(s), (std::vector<Line>{{"080401", 7, 10000, 0, 10000, ""},
                                           {"080403", 6, 0, 4500, 10000, "ﾃﾞﾝｷﾀﾞｲ"},
                                           {"080405", 1, 5000, 0, 15000, ""},
                                           {"080410", 2, 3000, 0, 18000, ""},
                                           {"080410", 3, 80000, 0, 18000, "フリコミ　カ）ヤ"},
                                           {"080420", 4, 0, 2000, 16000, ""},
                                           {"080430", 6, 0, 12000, 16000, "カード代金"}}));
    EXPECT_EQ(s.LedgerHeader.LineCount, 7);
    EXPECT_EQ(s.LedgerHeader.ClosingBalance, 16000);
    // As typing the three lines would: +80,000 −4,500 −12,000.
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 163500);
    EXPECT_EQ(s.DepositBook.CurrentTotal, 163500);

    // What the next read finds is what memory holds.
    FakePrompt again;
    SharedState t = y.Fresh(again);
    EXPECT_EQ(t.LedgerHeader, s.LedgerHeader);
    EXPECT_EQ(t.DepositBook, s.DepositBook);
    auto weekday = ReadLedgerLineAt(t, 2);
    ASSERT_TRUE(weekday);
    EXPECT_EQ(TrimRight(weekday->Youbi), "（金）");  // 2026-04-03

    // The history: each line inserted where it now stands, the account, then the rows.
    const auto h = History(y);
    ASSERT_EQ(h.size(), 5u);
    EXPECT_EQ(h[0].Operation, HistoryOperation::CashBookInsert);
    EXPECT_EQ(h[0].Target, 2);
    EXPECT_EQ(h[1].Target, 5);
    EXPECT_EQ(h[2].Target, 7);
    EXPECT_EQ(h[3].Operation, HistoryOperation::DepositChange);
    EXPECT_EQ(h[4].Operation, HistoryOperation::StatementImport);
    EXPECT_EQ(h[4].Target, 1);
    auto taken = DecodeImportedRows(h[4].NewBytes);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->name, "口座1");
    ASSERT_EQ(taken->rows.size(), 3u);
    EXPECT_EQ(taken->rows[1].date, 20260410u);
    EXPECT_EQ(taken->rows[1].in, 80000);
}

TEST(StatementImport, NoRowIsTakenTwiceAndAnOverlappingDownloadAddsOnlyItsNewRows) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    const std::vector<StatementRow> first = {Row(2, 4, 3, "コーヒー", 0, 450), Row(3, 4, 3, "コーヒー", 0, 450),
                                             Row(4, 4, 12, "振込", 9000, 0)};
    auto done = ImportRows(s, Account1(), TickedRows(Preview(s, Account1(), first, 3, 6)));
    ASSERT_TRUE(done) << done.error().detail;
    EXPECT_EQ(done->taken, 3);  // the two equal coffees are two rows
    const auto files = y.Files();

    // The same file again: every row is in the books, nothing is ticked or written.
    auto again = Preview(s, Account1(), first, 3, 6);
    EXPECT_EQ(States(again), (std::vector<RowState>{RowState::InBooks, RowState::InBooks, RowState::InBooks}));
    EXPECT_TRUE(TickedRows(again).empty());
    // Even when asked to take them all, none is taken again.
    std::vector<ImportRow> forced;
    for (PreviewLine& l : again) forced.push_back({l.row, l.key, l.row.in > 0 ? 3 : 6, ""});
    auto twice = ImportRows(s, Account1(), forced);
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->taken, 0);
    EXPECT_EQ(twice->alreadyIn, 3);
    EXPECT_EQ(y.Files(), files);

    // A later download overlapping the first: the line numbers differ, the rows are the
    // same; a third coffee of the 3rd is new.
    const std::vector<StatementRow> second = {Row(5, 4, 3, "コーヒー", 0, 450), Row(6, 4, 3, "コーヒー", 0, 450),
                                              Row(7, 4, 3, "コーヒー", 0, 450), Row(8, 4, 12, "振込", 9000, 0),
                                              Row(9, 4, 15, "ｺｳｷﾖｳﾘﾖｳｷﾝ", 0, 3000)};
    auto overlap = Preview(s, Account1(), second, 3, 6);
    EXPECT_EQ(States(overlap), (std::vector<RowState>{RowState::InBooks, RowState::InBooks, RowState::New,
                                                      RowState::InBooks, RowState::New}));
    auto more = ImportRows(s, Account1(), TickedRows(overlap));
    ASSERT_TRUE(more);
    EXPECT_EQ(more->taken, 2);
    EXPECT_EQ(s.LedgerHeader.LineCount, 9);
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 100000 - 450 * 3 + 9000 - 3000);

    // The same rows of another account are that account's own.
    s.DepositBook.AccountName[2] = "当座預金";
    auto other = PreviewImport(s, ImportTarget{StatementKind::Bank, 2, {}}, {Row(2, 4, 12, "振込", 9000, 0)}, {});
    ASSERT_TRUE(other);
    EXPECT_EQ((*other)[0].state, RowState::New);
}

TEST(StatementImport, AHandTypedLineMakesTheRowUnsureAndItIsTakenOnlyWhenTicked) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    // Typed by hand: a debit of 6,000 on 4/25 on account 1.
    DepositChange d{6, 1, 0};
    ASSERT_TRUE(PostAmount(s, 5, 2, 6000, "04", RowFields{"080425", "（土）", 6, "電話代"}, &d));
    const std::vector<StatementRow> rows = {Row(2, 4, 25, "NTT", 0, 6000), Row(3, 4, 26, "NTT", 0, 6000)};
    auto preview = Preview(s, Account1(), rows, 3, 6);
    EXPECT_EQ(States(preview), (std::vector<RowState>{RowState::Unsure, RowState::New}));
    EXPECT_FALSE(preview[0].ticked);
    auto done = ImportRows(s, Account1(), TickedRows(preview));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->taken, 1);
    // The unsure row is still shown as unsure, not dropped; the imported one is in the
    // books and does not make it sure.
    auto after = Preview(s, Account1(), rows, 3, 6);
    EXPECT_EQ(States(after), (std::vector<RowState>{RowState::Unsure, RowState::InBooks}));
    // Ticked by the user, it is taken.
    after[0].ticked = true;
    auto ticked = ImportRows(s, Account1(), TickedRows(after));
    ASSERT_TRUE(ticked);
    EXPECT_EQ(ticked->taken, 1);
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 100000 - 3 * 6000);
}

TEST(StatementImport, ARowThatCannotBeTakenRefusesTheWholeImportAndWritesNothing) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    const auto files = y.Files();
    const std::vector<StatementRow> rows = {Row(2, 4, 3, "振込", 5000, 0), Row(3, 12, 30, "引落", 0, 100)};
    std::vector<StatementRow> late = rows;
    late[1].date.year = 2027;
    // Another year's row is listed apart and never ticked...
    auto preview = Preview(s, Account1(), late, 3, 6);
    EXPECT_EQ(preview[1].state, RowState::OutsideYear);
    EXPECT_EQ(TickedRows(preview).size(), 1u);
    // ...and refused when given anyway.
    std::vector<ImportRow> all;
    for (const PreviewLine& l : preview) all.push_back({l.row, l.key, l.row.in > 0 ? 3 : 6, ""});
    auto refused = ImportRows(s, Account1(), all);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().detail.find("明細の 3 行目"), std::string::npos) << refused.error().detail;
    EXPECT_EQ(refused.error().line, 3);

    const auto tryWith = [&](int inItem, int outItem, const std::vector<StatementRow>& r) {
        std::vector<ImportRow> chosen;
        for (const PreviewLine& l : Preview(s, Account1(), r, inItem, outItem))
            chosen.push_back({l.row, l.key, l.assigned.target, ""});
        return ImportRows(s, Account1(), chosen);
    };
    // Money in on an item of category 6, money out on a cash expense, no item.
    EXPECT_FALSE(tryWith(6, 6, rows));
    EXPECT_FALSE(tryWith(3, 4, rows));
    EXPECT_FALSE(tryWith(3, 0, rows));
    // A row with no amount, and one that would take the account beyond 32 bits.
    EXPECT_FALSE(tryWith(3, 6, {Row(2, 4, 3, "残高照会", 0, 0)}));
    EXPECT_FALSE(tryWith(3, 6, {Row(2, 4, 3, "大口", 2147483000, 0)}));
    // A description with no Shift-JIS form.
    auto emoji = tryWith(3, 6, {Row(2, 4, 3, "\xF0\x9F\x98\x80 振込", 5000, 0)});
    ASSERT_FALSE(emoji);
    EXPECT_NE(emoji.error().detail.find("Shift-JIS"), std::string::npos);
    // More lines than the settings allow.
    s.SetupLines[2] = "5";
    auto full = tryWith(3, 6, rows);
    ASSERT_FALSE(full);
    EXPECT_NE(full.error().detail.find("上限（5 行）"), std::string::npos) << full.error().detail;

    EXPECT_EQ(y.Files(), files);
    FakePrompt again;
    EXPECT_EQ(y.Fresh(again).DepositBook, s.DepositBook);
}

TEST(StatementImport, CardRowsBecomeSlipsOwedOnAccruedExpensesAndTheTrialBalanceBalances) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    const std::vector<StatementRow> rows = {Row(5, 4, 2, "ＡＭＡＺＯＮ．ＣＯ．ＪＰ", 0, 3980),
                                            Row(6, 4, 8, "ｽﾀｰﾊﾞｯｸｽ", 0, 550),
                                            Row(7, 4, 9, "ＡＭＡＺＯＮ返品", 1200, 0)};
    const int supplies = 17, meetings = 14;  // 消耗品費, 接待交際費
    ASSERT_FALSE(AccountName(supplies, s.ItemTable).empty());
    ASSERT_FALSE(AccountName(meetings, s.ItemTable).empty());
    auto preview = PreviewImport(s, Card(), rows, {});
    ASSERT_TRUE(preview);
    (*preview)[0].assigned.target = supplies;
    (*preview)[1].assigned.target = meetings;
    (*preview)[1].assigned.remarks = "打合せ";
    (*preview)[2].assigned.target = supplies;
    auto done = ImportRows(s, Card(), TickedRows(*preview));
    ASSERT_TRUE(done) << done.error().detail;
    EXPECT_EQ(done->taken, 3);
    auto book = LoadSlipBook(y.data / "FURIKAE08.DAT");
    ASSERT_TRUE(book);
    ASSERT_EQ(book->Slips.size(), 3u);
    EXPECT_EQ(book->Slips[0], (TransferSlip{"080402", supplies, kCardPayableAccount, 3980, "ＡＭＡＺＯＮ．ＣＯ．ＪＰ"}));
    EXPECT_EQ(book->Slips[1], (TransferSlip{"080408", meetings, kCardPayableAccount, 550, "打合せ"}));
    // A refund pays the card's debt back the other way.
    EXPECT_EQ(book->Slips[2], (TransferSlip{"080409", kCardPayableAccount, supplies, 1200, "ＡＭＡＺＯＮ返品"}));
    auto chosen = LoadItemAccounts(y.data / "KAMOKU.DAT");
    ASSERT_TRUE(chosen);
    auto tb = BuildTrialBalance(s, *book, *chosen);
    ASSERT_TRUE(tb);
    EXPECT_TRUE(tb->Balances());
    const auto h = History(y);
    ASSERT_EQ(h.size(), 4u);
    EXPECT_EQ(h[2].Operation, HistoryOperation::SlipAdd);
    EXPECT_EQ(h[2].Target, 3);
    EXPECT_EQ(h[3].Operation, HistoryOperation::StatementImport);
    EXPECT_EQ(h[3].Target, 0);

    // Again: all in the books. A slip typed by hand on 未払金 makes its row unsure.
    auto again = PreviewImport(s, Card(), rows, {});
    ASSERT_TRUE(again);
    EXPECT_EQ(States(*again), (std::vector<RowState>{RowState::InBooks, RowState::InBooks, RowState::InBooks}));
    book->Slips.push_back(TransferSlip{"080420", meetings, kCardPayableAccount, 800, "手入力"});
    ASSERT_TRUE(SaveSlipBook(y.data / "FURIKAE08.DAT", *book));
    auto unsure = PreviewImport(s, Card(), {Row(9, 4, 20, "喫茶", 0, 800)}, {});
    ASSERT_TRUE(unsure);
    EXPECT_EQ((*unsure)[0].state, RowState::Unsure);

    // The card's own account or none is refused.
    (*unsure)[0].ticked = true;
    (*unsure)[0].assigned.target = kCardPayableAccount;
    EXPECT_FALSE(ImportRows(s, Card(), TickedRows(*unsure)));
    (*unsure)[0].assigned.target = 0;
    EXPECT_FALSE(ImportRows(s, Card(), TickedRows(*unsure)));
}

TEST(StatementImport, UndoTakesTheWholeImportBackAndTheRowsAreNewAgain) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    const auto files = y.Files();
    const std::vector<StatementRow> rows = {Row(2, 4, 3, "引落", 0, 4500), Row(3, 4, 10, "振込", 80000, 0)};
    auto done = ImportRows(s, Account1(), TickedRows(Preview(s, Account1(), rows, 3, 6)));
    ASSERT_TRUE(done);
    const LedgerHeaderRecord header = s.LedgerHeader;
    // Closing the cash book with 終了 writes its totals: no change of an entry.
    ASSERT_TRUE(FinishEntry(s));
    auto undone = UndoImport(s, done->undo);
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->undone) << undone->refusal;
    // The books are byte for byte as before; the history keeps the import and its undo.
    auto now = y.Files();
    EXPECT_EQ(now["KEIRI08.DAT"], files.at("KEIRI08.DAT"));
    EXPECT_EQ(now["YOKIN08.DAT"], files.at("YOKIN08.DAT"));
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 100000);
    EXPECT_EQ(s.LedgerHeader.LineCount, 4);
    const auto h = History(y);
    ASSERT_EQ(h.size(), 8u);
    EXPECT_EQ(h[4].Operation, HistoryOperation::StatementImport);
    EXPECT_EQ(h[4].UndoOf, 4u);
    EXPECT_EQ(h[5].Operation, HistoryOperation::DepositChange);
    EXPECT_EQ(h[6].Operation, HistoryOperation::CashBookDelete);
    EXPECT_EQ(h[6].Target, 5);  // the line of 4/10, after the withdrawal of that day
    EXPECT_EQ(h[7].Target, 2);
    EXPECT_EQ(h[7].UndoOf, 1u);
    auto preview = Preview(s, Account1(), rows, 3, 6);
    EXPECT_EQ(States(preview), (std::vector<RowState>{RowState::New, RowState::New}));

    // Imported again, then a line changed by hand: the undo is refused, nothing moves.
    auto redo = ImportRows(s, Account1(), TickedRows(preview));
    ASSERT_TRUE(redo);
    EXPECT_EQ(s.LedgerHeader, header);
    ASSERT_TRUE(WriteLineRemarks(s, 3, "手で直した"));
    const auto changed = y.Files();
    auto refused = UndoImport(s, redo->undo);
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->undone);
    EXPECT_NE(refused->refusal.find("変更されている"), std::string::npos);
    EXPECT_EQ(y.Files(), changed);
}

TEST(StatementImport, UndoOfACardImportTakesItsSlipsBack) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    SlipBook book;
    book.Slips.push_back(TransferSlip{"080401", 14, kCardPayableAccount, 700, "前からの伝票"});
    ASSERT_TRUE(SaveSlipBook(y.data / "FURIKAE08.DAT", book));
    const auto files = y.Files();
    auto preview = PreviewImport(s, Card(), {Row(3, 4, 2, "文具", 0, 980)}, {});
    ASSERT_TRUE(preview);
    (*preview)[0].assigned.target = 17;
    auto done = ImportRows(s, Card(), TickedRows(*preview));
    ASSERT_TRUE(done);
    auto undone = UndoImport(s, done->undo);
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->undone);
    EXPECT_EQ(y.Files()["FURIKAE08.DAT"], files.at("FURIKAE08.DAT"));
    auto again = PreviewImport(s, Card(), {Row(3, 4, 2, "文具", 0, 980)}, {});
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)[0].state, RowState::New);
}

TEST(StatementImport, TheRecordOfTheRowsTakenReadsAsItsLayoutSays) {
    // Kind 1, name "口座3" (7 bytes of UTF-8), one row: fingerprint 0x0102030405060708,
    // occurrence 2, date 20260403, in 0, out 4500 (0x1194).
    const unsigned char bytes[] = {1, 7, 0xE5, 0x8F, 0xA3, 0xE5, 0xBA, 0xA7, '3',
                                   0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,
                                   2, 0, 0, 0,
                                   0x33, 0x26, 0x35, 0x01,  // 20260403 = 0x01352633
                                   0, 0, 0, 0,
                                   0x94, 0x11, 0, 0};
    std::vector<std::byte> v;
    for (unsigned char b : bytes) v.push_back(static_cast<std::byte>(b));
    auto rows = DecodeImportedRows(v);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->kind, ImportedKind::Bank);
    EXPECT_EQ(rows->name, "口座3");
    ASSERT_EQ(rows->rows.size(), 1u);
    EXPECT_EQ(rows->rows[0], (ImportedRow{0x0102030405060708ull, 2, 20260403, 0, 4500}));
    EXPECT_EQ(EncodeImportedRows(*rows), v);
    // A row cut short, an unknown kind, a name longer than the bytes: not a record.
    v.pop_back();
    EXPECT_FALSE(DecodeImportedRows(v));
    v.push_back(std::byte{0});
    v[0] = std::byte{3};
    EXPECT_FALSE(DecodeImportedRows(v));
    v[0] = std::byte{1};
    v[1] = std::byte{200};
    EXPECT_FALSE(DecodeImportedRows(v));
    // One record holds as many rows as fit in a history record's bytes.
    EXPECT_EQ(ImportedRowsPerRecord(7), (kHistoryMaxValueBytes - 9) / 24);
}

TEST(StatementImport, AnImportOfManyRowsIsRecordedInSeveralRecordsAndUndoneWhole) {
    ImportYear y;
    FakePrompt prompt;
    SharedState s = y.Fresh(prompt);
    std::vector<StatementRow> rows;
    for (int i = 0; i < 400; ++i) rows.push_back(Row(i + 2, 5 + i % 3, 1 + i % 28, "振替", 0, 10 + i));
    auto done = ImportRows(s, Account1(), TickedRows(Preview(s, Account1(), rows, 3, 6)));
    ASSERT_TRUE(done) << done.error().detail;
    EXPECT_EQ(done->taken, 400);
    int records = 0;
    for (const HistoryRecord& r : History(y)) records += r.Operation == HistoryOperation::StatementImport;
    EXPECT_EQ(records, 3);  // 170 rows a record
    auto again = Preview(s, Account1(), rows, 3, 6);
    EXPECT_TRUE(TickedRows(again).empty());
    // In date order: May, June, July after the April lines, each month's days rising.
    auto lines = Lines(s);
    ASSERT_EQ(lines.size(), 404u);
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i - 1].date, lines[i].date) << i;
    auto undone = UndoImport(s, done->undo);
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->undone);
    EXPECT_EQ(TickedRows(Preview(s, Account1(), rows, 3, 6)).size(), 400u);
}
