#include "statements/Import.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>

#include "books/Accounts.h"
#include "books/BooksFiles.h"
#include "books/TrialBalance.h"
#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "cashbook/Overflow.h"
#include "platform/AtomicFile.h"
#include "statements/PreviewRows.h"
#include "statements/StatementText.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/ImportedRows.h"
#include "store/LedgerFile.h"
#include "store/RecordedChange.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo::statements {

namespace {

using Bytes = std::vector<std::byte>;

std::uint32_t DateNumber(const StatementDate& d) {
    return static_cast<std::uint32_t>(d.year * 10000 + d.month * 100 + d.day);
}

std::string DateText(const StatementDate& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

// The refusal of a whole import because of one row.
FileError RowRefused(const StatementRow& r, const std::string& why) {
    FileError e = BadFormatError({}, "明細の " + std::to_string(r.line) + " 行目（" + DateText(r.date) + " " +
                                         r.description + "）: " + why + "取り込みは行いませんでした。");
    e.line = r.line;
    return e;
}

FileError Refused(const std::string& why) { return BadFormatError({}, why); }

// The date of a line or slip of the year: YYMMDD with the fiscal year's era year.
std::string YearDate(const char* yy, const StatementDate& d) {
    const auto two = [](int v) { return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10); };
    return std::string(yy) + two(d.month) + two(d.day);
}

ImportedKind KindOf(StatementKind k) {
    return k == StatementKind::Bank ? ImportedKind::Bank : ImportedKind::Card;
}

// A cash-book or slip date (YYMMDD of the fiscal year's era) as a Western date.
std::optional<StatementDate> WesternDate(const SharedState& s, std::string_view yymmdd) {
    const std::string d = Trim(yymmdd);
    if (d.size() != 6 || !std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto year = WesternYear(s.EraName, d.substr(0, 2));
    if (!year) return std::nullopt;
    return StatementDate{*year, (d[2] - '0') * 10 + (d[3] - '0'), (d[4] - '0') * 10 + (d[5] - '0')};
}

// The slips that owe on or pay off 未払金, as the card's rows compare with them.
Result<std::vector<BookEntry>> CardEntries(const SharedState& s) {
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    std::vector<BookEntry> out;
    for (const TransferSlip& slip : book->Slips) {
        const bool owed = slip.CreditCode == kCardPayableAccount;
        const bool paid = slip.DebitCode == kCardPayableAccount;
        if (!owed && !paid) continue;
        auto date = WesternDate(s, slip.SlipDate);
        if (!date) continue;
        out.push_back(BookEntry{*date, paid ? slip.SlipAmount : 0, owed ? slip.SlipAmount : 0});
    }
    return out;
}

// What the year's history says was imported: the keys of this statement's rows, and
// the books' entries that every import of the same kind accounts for.
struct Imported {
    std::set<RowKey> keys;
    std::vector<BookEntry> entries;
};
Result<Imported> ImportedBefore(const SharedState& s, const ImportTarget& target) {
    auto history = LoadHistory(HistoryPath(s));
    if (!history) return history.error();
    Imported out;
    const std::string name = target.Name();
    for (const ImportedRows& rows : ImportsInHistory(history->Records)) {
        if (rows.kind != KindOf(target.kind)) continue;
        for (const ImportedRow& r : rows.rows) {
            if (rows.name == name) out.keys.insert(RowKey{r.fingerprint, r.occurrence});
            out.entries.push_back(BookEntry{{static_cast<int>(r.date / 10000),
                                             static_cast<int>(r.date / 100 % 100),
                                             static_cast<int>(r.date % 100)},
                                            r.in, r.out});
        }
    }
    return out;
}

FileError HistoryRefused(const SharedState& s, FileError e) {
    e.path = HistoryPath(s).string();
    e.writing = true;
    if (!e.detail.empty()) e.detail += LineBreak;
    e.detail += "履歴に記録できないため、取り込みは行いませんでした。";
    return e;
}

// The records that say which rows were taken, as many as the rows need.
std::vector<HistoryRecord> ImportRecords(const ImportTarget& target, const std::vector<ImportRow>& rows) {
    std::vector<HistoryRecord> out;
    const std::string name = target.Name();
    const std::size_t per = ImportedRowsPerRecord(name.size());
    for (std::size_t from = 0; from < rows.size(); from += per) {
        ImportedRows part{KindOf(target.kind), name, {}};
        for (std::size_t i = from; i < std::min(rows.size(), from + per); ++i)
            part.rows.push_back(ImportedRow{rows[i].key.fingerprint, rows[i].key.occurrence,
                                            DateNumber(rows[i].row.date), rows[i].row.in,
                                            rows[i].row.out});
        HistoryRecord r;
        r.Operation = HistoryOperation::StatementImport;
        r.Target = target.kind == StatementKind::Bank ? target.account : 0;
        r.NewBytes = EncodeImportedRows(part);
        out.push_back(std::move(r));
    }
    return out;
}

std::string RemarksOf(const ImportRow& r, int width) {
    const std::string text = IsBlank(r.remarks) ? r.row.description : r.remarks;
    return CutToBytes(Trim(text), width);
}

FileChange WholeFileChange(const std::filesystem::path& path, bool existed, const Bytes& before,
                           const Bytes& after) {
    FileChange c;
    c.path = path;
    c.existed = existed;
    c.before = before;
    c.after = after;
    c.ranges.push_back({0, std::max(before.size(), after.size())});
    return c;
}

// The entry fields of a stored line: all of its bytes but the balance.
bool SameEntry(const std::byte* a, const std::byte* b) {
    return std::memcmp(a, b, kLedgerZandakaOffset) == 0 &&
           std::memcmp(a + kLedgerBikouOffset, b + kLedgerBikouOffset,
                       kLedgerLineSize - kLedgerBikouOffset) == 0;
}

// ---- A bank statement: cash-book lines and the deposit account ----

Result<ImportOutcome> ImportBankRows(SharedState& s, const ImportTarget& target,
                                     const std::vector<ImportRow>& rows, const char* yy) {
    auto opened = OpenYearLedger(s);
    if (!opened) return opened.error();
    LedgerFile& ledger = *opened;
    auto header = ledger.ReadHeader();
    if (!header) return header.error();
    const Bytes before(ledger.Bytes().begin(), ledger.Bytes().end());
    const int count = std::max<int>(header->LineCount, 0);
    const int added = static_cast<int>(rows.size());
    const int capacity = std::min(LineCapacity(s), 32767);
    if (count + added > capacity)
        return Refused("出納帳の行数が上限（" + std::to_string(capacity) + " 行）を超えるため取り込めません（今 " +
                       std::to_string(count) + " 行、取り込む行 " + std::to_string(added) +
                       " 行）。取り込みは行いませんでした。");

    // Each new line goes after the last line whose date is on or before its own (the
    // dates compare as text, as the cash book's do); rows of one day keep their order.
    std::vector<std::pair<std::string, int>> dated;
    for (int n = 1; n <= count; ++n) {
        if (!ledger.HasLine(n)) return ledger.ReadLine(n).error();
        const std::string date = Trim(StoredLedgerLine(ledger.RawLine(n).data()).DateBytes());
        if (!date.empty()) dated.emplace_back(date, n);
    }
    std::stable_sort(dated.begin(), dated.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> latest(dated.size());
    for (std::size_t i = 0; i < dated.size(); ++i)
        latest[i] = std::max(i > 0 ? latest[i - 1] : 0, dated[i].second);

    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return DateNumber(rows[a].row.date) < DateNumber(rows[b].row.date);
    });
    struct NewLine {
        int after = 0;  // the old line it follows (0: before line 1)
        LedgerLine line;
    };
    std::vector<NewLine> lines;
    DepositBookRecord book = s.DepositBook;
    for (std::size_t i : order) {
        const ImportRow& r = rows[i];
        const std::string date = YearDate(yy, r.row.date);
        auto at = std::upper_bound(dated.begin(), dated.end(), std::string(date),
                                   [](const std::string& d, const auto& e) { return d < e.first; });
        const int after = at == dated.begin() ? 0 : latest[static_cast<std::size_t>(at - dated.begin() - 1)];
        LedgerLine line = BlankLedgerLine(0);
        line.NenGetsuBi = date;
        line.Youbi = WeekdayText(date, s.EraName);
        line.ItemNo = static_cast<std::int16_t>(r.target);
        line.Indata = r.row.in;
        line.Outdata = r.row.out;
        line.Bikou = RemarksOf(r, 16);
        const int kubun = CategoryOf(s.ItemTable, r.target);
        auto moved = CorrectForAmountChange(book, kubun, target.account, 0, r.row.in + r.row.out);
        if (!moved) return RowRefused(r.row, std::string(kOverflowMessage) + " ");
        book = *moved;
        lines.push_back(NewLine{after, std::move(line)});
    }

    // The lines from the first place that changes move down past the new ones.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const NewLine& a, const NewLine& b) { return a.after < b.after; });
    const int first = lines.front().after + 1;
    std::vector<Bytes> moved;
    for (int n = first; n <= count; ++n) {
        auto raw = ledger.RawLine(n);
        moved.emplace_back(raw.begin(), raw.end());
    }
    std::vector<int> placedAt;
    int m = first;
    std::size_t next = 0;
    const auto placeNew = [&](int after) -> Status {
        for (; next < lines.size() && lines[next].after == after; ++next) {
            if (Status w = ledger.WriteLine(m, lines[next].line); !w) return w;
            placedAt.push_back(m++);
        }
        return Ok();
    };
    if (Status st = placeNew(first - 1); !st) return st.error();
    for (int n = first; n <= count; ++n) {
        const Bytes& old = moved[static_cast<std::size_t>(n - first)];
        ledger.WriteRawLine(m++, std::span<const std::byte, kLedgerLineSize>(old.data(), kLedgerLineSize));
        if (Status st = placeNew(n); !st) return st.error();
    }

    // The full recalculation, as a typed insert runs it.
    LedgerHeaderRecord h = *header;
    h.LineCount = static_cast<std::int16_t>(count + added);
    ReferenceBalance balance(h, s.ItemTable);
    Amount last = h.OpeningBalance;
    for (int n = 1; n <= h.LineCount; ++n) {
        auto raw = ledger.RawLine(n);
        auto z = balance.Next(n, ReadRawLineFields(raw), StoredLedgerLine(raw.data()).DateBytes());
        if (!z) return z.error();
        ledger.SetBalance(n, *z);
        last = *z;
    }
    h.ClosingBalance = last;
    ledger.WriteHeader(h);

    auto deposit = StageDepositBook(s, book);
    if (!deposit) return deposit.error();
    std::vector<HistoryRecord> records;
    for (int n : placedAt) {
        auto raw = ledger.RawLine(n);
        records.push_back(HistoryRecord{0, {}, HistoryOperation::CashBookInsert, n, 0, {},
                                        Bytes(raw.begin(), raw.end())});
    }
    for (HistoryRecord& r : DepositChangeRecords(deposit->before, deposit->after))
        records.push_back(std::move(r));
    for (HistoryRecord& r : ImportRecords(target, rows)) records.push_back(std::move(r));
    const std::string when = HistoryNow(s);
    for (HistoryRecord& r : records) r.When = when;
    auto history = HistoryAppend::Stage(HistoryPath(s), records);
    if (!history) return HistoryRefused(s, history.error());

    ImportOutcome out;
    out.undo.ledgerBefore = before;
    out.undo.ledgerAfter.assign(ledger.Bytes().begin(), ledger.Bytes().end());
    const FileChange also[] = {deposit->Change(), history->Change()};
    if (Status st = ledger.Commit(also); !st) {
        s.BalanceMark = LedgerBalanceMark{};
        return st.error();
    }
    s.LedgerHeader = h;
    s.DepositBook = book;
    s.BalanceMark = LedgerBalanceMark{};
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].Sequence = history->FirstSequence() + static_cast<std::uint32_t>(i);
    out.taken = added;
    out.firstLine = placedAt.empty() ? 0 : placedAt.front();
    out.undo.account = target.account;
    out.undo.accountAfter = DepositAccountBytes(deposit->after, target.account);
    // The account as it was: what its record kept (none: its bytes did not move).
    out.undo.accountBefore = out.undo.accountAfter;
    for (const HistoryRecord& r : records)
        if (r.Operation == HistoryOperation::DepositChange && r.Target == target.account)
            out.undo.accountBefore = r.OldBytes;
    out.undo.records = std::move(records);
    return out;
}

// ---- A card statement: transfer slips ----

Result<ImportOutcome> ImportCardRows(SharedState& s, const ImportTarget& target,
                                     const std::vector<ImportRow>& rows, const char* yy) {
    const std::filesystem::path path = SlipBookPath(s);
    auto read = ReadWholeFile(path, kMaxSlipFileSize);
    if (!read) return read.error();
    const Bytes before = std::move(*read);
    std::error_code ec;
    const bool existed = !before.empty() || std::filesystem::exists(path, ec);
    // A year without slips has no slip book yet (or an empty one).
    auto book = before.empty() ? Result<SlipBook>(SlipBook{}) : DecodeSlipBook(before, path.string());
    if (!book) return book.error();
    auto chosen = LoadItemAccounts(ItemAccountsPath(s));
    if (!chosen) return chosen.error();
    SlipBook changed = *book;
    const std::size_t firstSlip = changed.Slips.size();
    for (const ImportRow& r : rows) {
        TransferSlip slip;
        const std::string date = YearDate(yy, r.row.date);
        slip.SlipDate = date;
        const bool refund = r.row.in > 0;
        slip.DebitCode = static_cast<std::int16_t>(refund ? kCardPayableAccount : r.target);
        slip.CreditCode = static_cast<std::int16_t>(refund ? r.target : kCardPayableAccount);
        slip.SlipAmount = refund ? r.row.in : r.row.out;
        slip.SlipRemarks = RemarksOf(r, kSlipRemarksBytes);
        if (std::string why = SlipFault(slip); !why.empty()) return RowRefused(r.row, why);
        changed.Slips.push_back(std::move(slip));
    }
    if (std::string why = SlipBookFault(changed); !why.empty()) return Refused(why);
    auto tb = BuildTrialBalance(s, changed, *chosen);
    if (!tb) return tb.error();
    auto encoded = EncodeSlipBook(changed);
    if (!encoded) {
        FileError e = encoded.error();
        e.path = path.string();
        return e;
    }
    const Bytes after = std::move(*encoded);
    std::vector<HistoryRecord> records;
    for (std::size_t i = firstSlip; i < changed.Slips.size(); ++i)
        records.push_back(HistoryRecord{0, {}, HistoryOperation::SlipAdd, static_cast<std::int32_t>(i + 1), 0,
                                        {}, StoredSlip(after, i)});
    for (HistoryRecord& r : ImportRecords(target, rows)) records.push_back(std::move(r));
    const std::string when = HistoryNow(s);
    for (HistoryRecord& r : records) r.When = when;
    auto history = HistoryAppend::Stage(HistoryPath(s), records);
    if (!history) return HistoryRefused(s, history.error());
    const FileChange changes[] = {WholeFileChange(path, existed, before, after), history->Change()};
    if (Status st = CommitChanges(YearJournalPath(s), changes); !st) return st.error();
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].Sequence = history->FirstSequence() + static_cast<std::uint32_t>(i);
    ImportOutcome out;
    out.taken = static_cast<int>(rows.size());
    out.undo.slipPath = path;
    out.undo.slipsBefore = before;
    out.undo.slipsAfter = after;
    out.undo.records = std::move(records);
    return out;
}

}  // namespace

std::string ImportTarget::Name() const {
    return kind == StatementKind::Bank ? "口座" + std::to_string(account) : "カード" + card;
}

std::vector<Profile> LoadLayouts(const std::vector<std::filesystem::path>& folders,
                                 std::vector<FileError>* faults) {
    std::vector<Profile> out;
    std::set<std::string> names;
    for (const auto& folder : folders)
        for (Profile& p : LoadProfiles(folder.string(), faults))
            if (names.insert(p.name).second) out.push_back(std::move(p));
    return out;
}

Result<OpenedStatement> OpenStatement(const std::filesystem::path& path, const std::vector<Profile>& layouts,
                                      const std::string& layoutName) {
    auto bytes = ReadWholeFile(path, kMaxStatementFileSize);
    if (!bytes) return bytes.error();
    auto decoded = DecodeStatement(*bytes, path.string());
    if (!decoded) return decoded.error();
    const Profile* layout = nullptr;
    if (!layoutName.empty()) {
        for (const Profile& p : layouts)
            if (p.name == layoutName) layout = &p;
        if (!layout) return BadFormatError(path.string(), "取り込み設定がありません: " + layoutName);
    } else {
        auto found = RecogniseProfiles(layouts, decoded->text);
        if (found.empty())
            return BadFormatError(path.string(), "どの取り込み設定の見出しとも合いません。取り込み設定を選んでください。");
        layout = found.front();
    }
    auto read = ReadStatement(*layout, decoded->text, path.string());
    if (!read) return read.error();
    return OpenedStatement{decoded->encoding, *layout, std::move(*read)};
}

std::string ChoiceName(const SharedState& s, StatementKind kind, int target) {
    if (target == 0) return {};
    if (kind == StatementKind::Card) return AccountName(target, s.ItemTable);
    if (target < 1 || target > kItemCount) return {};
    const std::string name = TrimRight(s.ItemTable[static_cast<std::size_t>(target)].ItemName);
    return name.empty() ? "項目" + std::to_string(target) : name;
}

int FiscalWesternYear(const SharedState& s) {
    char yy[8];
    std::snprintf(yy, sizeof yy, "%02d", static_cast<int>(s.FiscalYear));
    return WesternYear(s.EraName, yy).value_or(0);
}

Result<std::vector<PreviewLine>> PreviewImport(const SharedState& s, const ImportTarget& target,
                                               const std::vector<StatementRow>& rows,
                                               const ImportChoices& choices) {
    const std::string name = target.Name();
    const std::vector<RowKey> keys = KeyRows(name, rows);
    auto imported = ImportedBefore(s, target);
    if (!imported) return imported.error();
    auto books = target.kind == StatementKind::Bank ? DepositEntries(s) : CardEntries(s);
    if (!books) return books.error();
    const std::vector<RowState> states =
        ClassifyRows(rows, keys, imported->keys, *books, imported->entries, FiscalWesternYear(s));
    std::vector<PreviewLine> out;
    out.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        PreviewLine line;
        line.row = rows[i];
        line.key = keys[i];
        line.state = states[i];
        line.assigned = AssignRow(choices.rules, choices.lastChoice, rows[i].description);
        line.ticked = line.state == RowState::New;
        out.push_back(std::move(line));
    }
    return out;
}

std::vector<ImportRow> TickedRows(const std::vector<PreviewLine>& preview) {
    std::vector<ImportRow> out;
    for (const PreviewLine& p : preview)
        if (p.ticked && (p.state == RowState::New || p.state == RowState::Unsure))
            out.push_back(ImportRow{p.row, p.key, p.assigned.target, p.assigned.remarks});
    return out;
}

Result<ImportOutcome> ImportRows(SharedState& s, const ImportTarget& target,
                                 const std::vector<ImportRow>& given) {
    if (s.ReadOnly) return FileErrorFromErrno(EROFS, s.LedgerPath.string(), true);
    const bool bank = target.kind == StatementKind::Bank;
    const std::string name = target.Name();
    if (name.size() > kMaxImportNameBytes) return Refused("カードの名前が長すぎます。");
    if (bank) {
        // An account without its number is no account (the cash book does not offer it).
        if (target.account < 1 || target.account > kAccountCount ||
            IsBlank(s.DepositBook.AccountNo[static_cast<std::size_t>(target.account)]))
            return Refused("預金口座 " + std::to_string(target.account) + " はありません。");
    } else if (IsBlank(target.card)) {
        return Refused("カードの名前がありません。");
    }
    // A journal left behind is settled first, so that the files read are the books.
    if (Status st = SettleBeforeWrite(s); !st) return st.error();
    auto imported = ImportedBefore(s, target);
    if (!imported) return imported.error();

    ImportOutcome out;
    const int year = FiscalWesternYear(s);
    std::vector<ImportRow> rows;
    std::set<RowKey> seen = imported->keys;
    for (const ImportRow& r : given) {
        if (!seen.insert(r.key).second) {
            ++out.alreadyIn;
            continue;
        }
        if (r.row.date.year != year)
            return RowRefused(r.row, "今年度（" + std::to_string(year) + "年）の日付ではありません。");
        if ((r.row.in > 0) == (r.row.out > 0) || r.row.in < 0 || r.row.out < 0)
            return RowRefused(r.row, "入金か出金のどちらか一方に金額が要ります。");
        if (bank) {
            const int kubun = CategoryOf(s.ItemTable, r.target);
            const int want = r.row.in > 0 ? Kubun::IntoAccount : Kubun::DebitAccount;
            if (r.target < 1 || r.target > kItemCount || kubun != want)
                return RowRefused(r.row, std::string(r.row.in > 0 ? "入金" : "出金") + "の行には区分 " +
                                             std::to_string(want) + "（" +
                                             (want == Kubun::IntoAccount ? "口座振り込み" : "口座引落とし") +
                                             "）の項目を選んでください。");
        } else if (r.target == kCardPayableAccount || !SlipAccount(r.target)) {
            return RowRefused(r.row, "勘定科目を選んでください（未払金のほかの科目）。");
        }
        const std::string remarks = RemarksOf(r, bank ? 16 : kSlipRemarksBytes);
        if (!ToCp932(remarks))
            return RowRefused(r.row, "摘要に Shift-JIS で書けない文字があります。備考を書き直してください。");
        rows.push_back(r);
    }
    if (rows.empty()) return out;
    char yy[8];
    std::snprintf(yy, sizeof yy, "%02d", (static_cast<int>(s.FiscalYear) % 100 + 100) % 100);
    auto done = bank ? ImportBankRows(s, target, rows, yy) : ImportCardRows(s, target, rows, yy);
    if (!done) return done.error();
    done->alreadyIn = out.alreadyIn;
    done->undo.ledgerPath = s.LedgerPath;
    done->undo.kind = target.kind;
    done->undo.taken = done->taken;
    return done;
}

Result<ImportUndoOutcome> UndoImport(SharedState& s, const ImportUndoStep& step) {
    const auto refused = [](std::string why) { return ImportUndoOutcome{false, std::move(why)}; };
    if (step.ledgerPath != s.LedgerPath)
        return refused("この取り込みは別の年度のものなので、元に戻せません。");
    if (s.ReadOnly) return FileErrorFromErrno(EROFS, s.LedgerPath.string(), true);
    if (Status st = SettleBeforeWrite(s); !st) return st.error();
    const bool bank = step.kind == StatementKind::Bank;
    Bytes ledgerNow, depositNow, depositRestored, slipsNow;
    if (bank) {
        auto read = ReadWholeFile(s.LedgerPath, kMaxLedgerFileSize);
        if (!read) return read.error();
        ledgerNow = std::move(*read);
        const Bytes& after = step.ledgerAfter;
        bool same = ledgerNow.size() == after.size() && after.size() >= kLedgerHeaderSize &&
                    std::memcmp(ledgerNow.data(), after.data(), 2) == 0;
        for (std::size_t at = kLedgerHeaderSize; same && at + kLedgerLineSize <= after.size();
             at += kLedgerLineSize)
            same = SameEntry(ledgerNow.data() + at, after.data() + at);
        if (!same)
            return refused("出納帳（" + DisplayPath(s, s.LedgerPath.string()) +
                           "）が取り込みの後に変更されているため、元に戻せません。");
        auto deposit = ReadWholeFile(s.DepositPath, kMaxDepositFileSize);
        if (!deposit) return deposit.error();
        depositNow = std::move(*deposit);
        if (DepositAccountBytes(depositNow, step.account) != step.accountAfter)
            return refused("預金口座 " + std::to_string(step.account) +
                           " が取り込みの後に変更されているため、元に戻せません。");
        depositRestored = depositNow;
        PutDepositAccountBytes(depositRestored, step.account, step.accountBefore);
    } else {
        auto read = ReadWholeFile(step.slipPath, kMaxSlipFileSize);
        if (!read) return read.error();
        slipsNow = std::move(*read);
        if (slipsNow != step.slipsAfter)
            return refused("振替伝票（" + DisplayPath(s, step.slipPath.string()) +
                           "）が取り込みの後に変更されているため、元に戻せません。");
    }

    // A year that had no slip book before gets an empty one: the same book, and the
    // file is never cut to nothing.
    Bytes slipsRestored = step.slipsBefore;
    if (!bank && slipsRestored.empty()) {
        auto empty = EncodeSlipBook(SlipBook{});
        if (!empty) return empty.error();
        slipsRestored = std::move(*empty);
    }

    // The undo's records, the import's taken back last first.
    std::vector<HistoryRecord> undo;
    const std::string when = HistoryNow(s);
    for (auto r = step.records.rbegin(); r != step.records.rend(); ++r) {
        HistoryRecord u{0, when, r->Operation, r->Target, r->Sequence, r->NewBytes, r->OldBytes};
        if (r->Operation == HistoryOperation::CashBookInsert) {
            u.Operation = HistoryOperation::CashBookDelete;
            const std::size_t at = LedgerLineOffset(r->Target);
            u.OldBytes.assign(ledgerNow.begin() + static_cast<std::ptrdiff_t>(at),
                              ledgerNow.begin() + static_cast<std::ptrdiff_t>(at + kLedgerLineSize));
            u.NewBytes.clear();
        } else if (r->Operation == HistoryOperation::SlipAdd) {
            u.Operation = HistoryOperation::SlipDelete;
        }
        undo.push_back(std::move(u));
    }
    auto history = HistoryAppend::Stage(HistoryPath(s), undo);
    if (!history) {
        FileError e = history.error();
        e.path = HistoryPath(s).string();
        e.writing = true;
        if (!e.detail.empty()) e.detail += LineBreak;
        e.detail += "履歴に記録できないため、元に戻しませんでした。";
        return e;
    }
    std::vector<FileChange> changes;
    if (bank) {
        changes.push_back(WholeFileChange(s.LedgerPath, true, ledgerNow, step.ledgerBefore));
        changes.push_back(WholeFileChange(s.DepositPath, true, depositNow, depositRestored));
    } else {
        changes.push_back(WholeFileChange(step.slipPath, true, slipsNow, slipsRestored));
    }
    changes.push_back(history->Change());
    if (Status st = CommitChanges(YearJournalPath(s), changes); !st) return st.error();
    if (bank) {
        s.BalanceMark = LedgerBalanceMark{};
        auto h = DecodeLedgerHeader(step.ledgerBefore);
        s.LedgerHeader = h ? *h : LedgerHeaderRecord{};
        if (auto book = DecodeDepositBook(depositRestored)) s.DepositBook = *book;
    }
    return ImportUndoOutcome{true, {}};
}

}  // namespace tabulo::statements
