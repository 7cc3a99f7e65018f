#include "cashbook/Ledger.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "cashbook/Categories.h"
#include "cashbook/Overflow.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/LedgerFile.h"
#include "store/StoredLedger.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

int LastPage(int lineCount, int pageLimit) {
    int page = lineCount / kRowsPerPage + 1;
    return std::max(1, std::min(page, static_cast<int>(pageLimit)));
}

int LineOfRow(int page, int row) { return (page - 1) * kRowsPerPage + row; }

int PageOfLine(int line) { return std::max(1, (line + 9) / kRowsPerPage); }

bool MayTypeOnLine(int line, int lineCount) { return line <= lineCount + 2; }

int LineCapacity(const SharedState& s) {
    double v = Val(s.SetupLines[2]);
    if (v <= 0) return 0;
    return static_cast<int>(std::min(v, 32767.0));
}

std::string MonthOf(std::string_view nenGetsuBi) {
    std::string t = Trim(nenGetsuBi);
    if (t.size() <= 2) return {};
    return t.substr(2, 2);
}

namespace {

// A month as the balance rules compare it (the text of MonthOf, at most two bytes),
// packed into a number so that the walks neither allocate nor compare strings.
class MonthKey {
  public:
    MonthKey() = default;
    explicit MonthKey(std::string_view m)
        : MonthKey(m.data(), static_cast<int>(std::min<std::size_t>(m.size(), 2))) {}
    MonthKey(const char* p, int length) {
        code_ = static_cast<std::uint32_t>(length) << 16;
        if (length == 2) {  // the usual case, without the loop
            code_ |= static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) << 8 |
                     static_cast<std::uint32_t>(static_cast<unsigned char>(p[1]));
            return;
        }
        for (int i = 0; i < length; ++i)
            code_ |= static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])) << (8 * (1 - i));
    }
    bool empty() const { return code_ == 0; }
    bool operator==(const MonthKey&) const = default;
    std::uint32_t code() const { return code_; }
    static MonthKey FromCode(std::uint32_t code) {
        MonthKey k;
        k.code_ = code;
        return k;
    }

  private:
    std::uint32_t code_ = 0;
};

MonthKey MonthKeyOf(std::string_view nenGetsuBi) {
    // Six characters without blanks at either end trim to themselves.
    if (nenGetsuBi.size() == 6 && nenGetsuBi.front() != ' ' && nenGetsuBi.back() != ' ')
        return MonthKey(nenGetsuBi.data() + 2, 2);
    return MonthKey(MonthOf(nenGetsuBi));
}

// The fields of a stored line the balance rules use, and its month.
struct RawView {
    RawLineFields f;
    MonthKey month;
};

// The balance fields and month of a stored line, in place; false for a date that is
// not plain ASCII (RawOf then decodes it).
inline bool PlainRawOf(const std::byte* stored, RawView& out) {
    std::span<const std::byte, kLedgerLineSize> bytes(stored, kLedgerLineSize);
    char plain[2];
    const int length = PlainRawLineMonth(bytes, plain);
    if (length < 0) return false;
    out = RawView{ReadRawLineFields(bytes), MonthKey(plain, length)};
    return true;
}

// The balance fields and month of stored line n without decoding its texts; a date
// that is not plain ASCII is decoded (an error names the line).
Status RawOf(const std::byte* stored, int n, const std::filesystem::path& ledger, RawView& out) {
    if (PlainRawOf(stored, out)) return Ok();
    std::span<const std::byte, kLedgerLineSize> bytes(stored, kLedgerLineSize);
    auto month = RawLineMonth(bytes);
    if (!month) return BadLedgerLine(ledger, n, month.error());
    out = RawView{ReadRawLineFields(bytes), MonthKey(*month)};
    return Ok();
}

// Whether each item number moves the cash balance, looked up once per operation
// rather than once a line.
class CashItems {
  public:
    explicit CashItems(const ItemTableArray& items) {
        for (std::size_t i = 0; i < cash_.size(); ++i)
            cash_[i] = IsCashCategory(CategoryOf(items, static_cast<int>(i)));
    }
    // Item numbers outside the table have no category.
    bool operator()(int itemNo) const {
        const auto i = static_cast<std::size_t>(static_cast<unsigned>(itemNo));
        return i < cash_.size() && cash_[i];
    }
    const std::array<bool, kItemCount + 1>& flags() const { return cash_; }

  private:
    std::array<bool, kItemCount + 1> cash_{};
};

// How many lines from line 1 are known to hold the balance the full recalculation
// gives them, in the ledger file as stamped `stamp`: 0 when nothing is known of that
// file, header or item table.
int KnownToHold(const SharedState& s, const FileStamp& stamp, const CashItems& cash) {
    const LedgerBalanceMark& m = s.BalanceMark;
    if (!m.known || !stamp.present() || !(m.stamp == stamp) || m.path != s.LedgerPath ||
        m.openingBalance != s.LedgerHeader.OpeningBalance ||
        m.lineCount != s.LedgerHeader.LineCount || m.cashItems != cash.flags())
        return 0;
    return std::clamp(m.holdsThrough, 0, m.lineCount);
}

// Remembers that lines 1..holdsThrough of the ledger file as stamped `stamp` hold
// (with the header and items of `s` as they are now).
void MarkBalances(SharedState& s, const FileStamp& stamp, const CashItems& cash, int holdsThrough) {
    if (!stamp.present()) {
        s.BalanceMark = LedgerBalanceMark{};
        return;
    }
    const int count = s.LedgerHeader.LineCount;
    s.BalanceMark = LedgerBalanceMark{true,  stamp, s.LedgerPath, s.LedgerHeader.OpeningBalance,
                                      count, cash.flags(), std::clamp(holdsThrough, 0, count)};
}

// The record of a deposit account the operation corrects; none when its bytes stay.
std::optional<HistoryRecord> DepositRecord(const SharedState& s, const StagedFile& deposit,
                                           int account) {
    if (account < 1 || account > kAccountCount) return std::nullopt;
    std::vector<std::byte> before = deposit.before;
    if (before.size() < kDepositBookSize) {
        // No deposit file yet (or a short one): the book as the program held it.
        auto encoded = EncodeDepositBook(s.DepositBook);
        if (encoded) before = std::move(*encoded);
    }
    auto oldBytes = DepositAccountBytes(before, account);
    auto newBytes = DepositAccountBytes(deposit.after, account);
    if (oldBytes == newBytes) return std::nullopt;
    return HistoryRecord{0, {}, HistoryOperation::DepositChange, account, 0, std::move(oldBytes),
                         std::move(newBytes)};
}

// A history that cannot take the operation's records refuses the operation.
FileError HistoryRefused(const SharedState& s, FileError e) {
    e.path = HistoryPath(s).string();
    e.writing = true;
    if (!e.detail.empty()) e.detail += LineBreak;
    e.detail += "履歴に記録できないため、この変更は書き込みませんでした。";
    return e;
}

std::size_t ImageBytes(const CashBookUndoStep& step) { return step.Ledger.Bytes(); }

// Keeps the step for 元に戻す; the oldest steps are forgotten past the count or the
// memory the undo list may hold (the newest is always kept).
void RememberForUndo(CashBookUndoList& list, CashBookUndoStep step) {
    list.push_back(std::move(step));
    std::size_t bytes = 0;
    for (const CashBookUndoStep& kept : list) bytes += ImageBytes(kept);
    std::size_t drop = 0;
    while (list.size() - drop > 1 &&
           (list.size() - drop > kCashBookUndoSteps || bytes > kCashBookUndoBytes)) {
        bytes -= ImageBytes(list[drop]);
        ++drop;
    }
    if (drop > 0) list.erase(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(drop));
}

// One operation on the ledger: the open file, the header as it will be written,
// and whether the header has to go out at commit.
class Session {
  public:
    // `undo`: where the operation's step for 元に戻す goes; none keeps no step.
    static Result<Session> Open(const SharedState& s, CashBookUndoList* undo = nullptr) {
        auto file = OpenYearLedger(s);
        if (!file) return file.error();
        Session ses(std::move(*file), s.LedgerHeader);
        ses.undo_ = undo;
        // Stamped after the read, so that a write meanwhile makes nothing known.
        ses.known = KnownToHold(s, StampOf(s.LedgerPath), CashItems(s.ItemTable));
        return ses;
    }

    Result<LedgerLine> Read(int n) { return file_.ReadLine(n); }
    Status Write(int n, const LedgerLine& line) { return file_.WriteLine(n, line); }
    LedgerFile& file() { return file_; }

    // A line's balance fields and month without decoding its texts.
    Status Raw(int n, RawView& out) {
        if (const std::byte* stored = file_.FindRawLine(n)) return RawOf(stored, n, file_.path(), out);
        return MissingLedgerLine(file_.path(), n);
    }

    LedgerHeaderRecord header;
    bool headerChanged = false;
    // Lines from line 1 known to hold the full recalculation's balance when opened.
    int known = 0;

    // Sends everything out, with the deposit book `book` when the operation corrects
    // an account: both files change or neither does. The shared state follows the
    // files only when it worked; then lines 1..holdsAfter are known to hold the full
    // recalculation's balance.
    // The stored bytes of line n as they stand (pending writes included).
    std::vector<std::byte> StoredBytes(int n) const {
        auto raw = file_.RawLine(n);
        return {raw.begin(), raw.end()};
    }
    // Notes a change to line n for the year's history; a line written unchanged is
    // no change.
    void Record(HistoryOperation op, int n, std::vector<std::byte> oldBytes,
                std::vector<std::byte> newBytes) {
        if (op == HistoryOperation::CashBookChange && oldBytes == newBytes) return;
        history.push_back(HistoryRecord{0, {}, op, n, 0, std::move(oldBytes), std::move(newBytes)});
    }

    // Sends everything out, with the deposit book `book` when the operation corrects
    // account `account`, and the history records of the operation: all the files
    // change or none does. The shared state follows the files only when it worked;
    // then lines 1..holdsAfter are known to hold the full recalculation's balance.
    Status Commit(SharedState& s, int holdsAfter,
                  const std::optional<DepositBookRecord>& book = std::nullopt, int account = 0) {
        if (headerChanged) file_.WriteHeader(header);
        std::optional<StagedFile> deposit;
        std::vector<FileChange> also;
        std::vector<HistoryRecord> records = std::move(history);
        history.clear();
        if (book) {
            auto staged = StageDepositBook(s, *book);
            if (!staged) {
                file_.Discard();
                return staged.error();
            }
            deposit = std::move(*staged);
            also.push_back(deposit->Change());
            if (auto moved = DepositRecord(s, *deposit, account)) records.push_back(std::move(*moved));
        }
        std::optional<HistoryAppend> appended;
        LedgerImage image;
        if (!s.RecordsCashBookHistory) records.clear();
        if (!records.empty()) {
            const std::string when = HistoryNow(s);
            for (HistoryRecord& r : records) r.When = when;
            auto staged = HistoryAppend::Stage(HistoryPath(s), records);
            if (!staged) {
                file_.Discard();
                return HistoryRefused(s, staged.error());
            }
            appended = std::move(*staged);
            also.push_back(appended->Change());
            if (undo_ != nullptr) image = file_.PendingImage();
        }
        Status st = file_.Commit(also);
        if (st) {
            s.LedgerHeader = header;
            if (book) s.DepositBook = *book;
            MarkBalances(s, StampOf(file_.path()), CashItems(s.ItemTable), holdsAfter);
            if (appended && undo_ != nullptr) {
                for (std::size_t i = 0; i < records.size(); ++i)
                    records[i].Sequence = appended->FirstSequence() + static_cast<std::uint32_t>(i);
                RememberForUndo(*undo_, CashBookUndoStep{s.LedgerPath, std::move(records), std::move(image)});
            }
        } else {
            s.BalanceMark = LedgerBalanceMark{};
        }
        return st;
    }

    // The operation's history records, noted with Record.
    std::vector<HistoryRecord> history;

  private:
    Session(LedgerFile f, const LedgerHeaderRecord& h) : header(h), file_(std::move(f)) {}
    LedgerFile file_;
    CashBookUndoList* undo_ = nullptr;
};

struct Tracker {
    MonthKey month;      // M
    Amount balance = 0;  // R
};

// The stored lines of the open file, looked at in place for a walk that writes only
// balances (which neither move nor grow the file's bytes).
class LineWalk {
  public:
    explicit LineWalk(Session& ses) : bytes_(ses.file().Bytes()), path_(ses.file().path()) {}
    // The balance fields and month of line n; false with `error` set when the file does
    // not hold the line or its date does not read.
    bool Raw(int n, RawView& out, FileError& error) const {
        const std::size_t at = LedgerLineOffset(n);
        if (n < 1 || at + kLedgerLineSize > bytes_.size()) [[unlikely]] {
            error = MissingLedgerLine(path_, n);
            return false;
        }
        const std::byte* p = bytes_.data() + at;
        if (PlainRawOf(p, out)) [[likely]]
            return true;
        Status st = RawOf(p, n, path_, out);
        if (!st) error = st.error();
        return st.ok();
    }

  private:
    std::span<const std::byte> bytes_;
    const std::filesystem::path& path_;
};

// The reference rule for line n: the balance restarts on the first dated line of a
// new month whatever its category; line 1 starts from OpeningBalance. Gives the
// line's balance and moves the tracker on.

// The rule itself, kept inline for the walks: false on an overflow.
inline bool StepReferenceRule(Tracker& t, int n, const RawView& line,
                              const LedgerHeaderRecord& header, bool isCash, Amount& balance) {
    if (t.month.empty()) {
        t.month = line.month;
    } else if (!line.month.empty() && line.month != t.month) {
        t.month = line.month;
        t.balance = 0;
    }
    std::int64_t z = (n == 1) ? header.OpeningBalance : t.balance;
    if (isCash) z += static_cast<std::int64_t>(line.f.indata) - line.f.outdata;
    if (z < INT32_MIN || z > INT32_MAX) return false;
    t.balance = balance = static_cast<Amount>(z);
    return true;
}

Result<Amount> ApplyReferenceRule(Tracker& t, int n, const RawView& line,
                                  const LedgerHeaderRecord& header, bool isCash) {
    Amount z = 0;
    if (!StepReferenceRule(t, n, line, header, isCash, z)) return OverflowError();
    return z;
}

// The reference walk over lines from..LineCount. Only a balance that changed is
// written, and only its four bytes.
Result<Tracker> RecalcWalk(Session& ses, const CashItems& cash, int from, Tracker t) {
    const LineWalk walk(ses);
    FileError error;
    const int first = std::max(from, 1);
    std::vector<Amount> balances;  // written together once the walk is through
    balances.reserve(static_cast<std::size_t>(std::max(ses.header.LineCount - first + 1, 0)));
    for (int n = first; n <= ses.header.LineCount; ++n) {
        RawView line;
        if (!walk.Raw(n, line, error)) [[unlikely]]
            return error;
        Amount z = 0;
        if (!StepReferenceRule(t, n, line, ses.header, cash(line.f.itemNo), z)) [[unlikely]]
            return OverflowError();
        balances.push_back(z);
    }
    ses.file().SetBalances(first, balances);
    return t;
}

// Whether the reference walk over lines from..LineCount would leave every stored
// balance as it is: the same rule as RecalcWalk, on a read of the file that holds
// the lines from `from` on.
Result<bool> BalancesHold(const StoredLedger& stored, const LedgerHeaderRecord& header,
                          const CashItems& cash, int from, Tracker t) {
    const int first = std::max(from, 1);
    const int held =
        std::min(static_cast<int>(header.LineCount), stored.first() + stored.count() - 1);
    for (int n = first; n <= held; ++n) {
        const std::byte* p =
            stored.data() + static_cast<std::size_t>(n - stored.first()) * kLedgerLineSize;
        RawView line;
        if (!PlainRawOf(p, line)) [[unlikely]] {
            if (Status st = RawOf(p, n, stored.path(), line); !st) return st.error();
        }
        Amount z = 0;
        if (!StepReferenceRule(t, n, line, header, cash(line.f.itemNo), z)) [[unlikely]]
            return OverflowError();
        if (z != line.f.zandaka) return false;
    }
    if (held < header.LineCount && first <= header.LineCount)
        return MissingLedgerLine(stored.path(), std::max(held + 1, first));
    return true;
}

// How far from line 1 the stored balances are the full recalculation's, on a read of
// the file from line 1: the walk stops at the first line that differs, overflows or
// does not read (that line is not counted). `before` is the state after line
// `beforeLine` (when the walk gets that far), `last` the state after line `holds`.
struct HoldingPrefix {
    int holds = 0;
    Tracker before;
    Tracker last;
};
HoldingPrefix WalkHoldingPrefix(const StoredLedger& stored, const LedgerHeaderRecord& header,
                                const CashItems& cash, int beforeLine) {
    HoldingPrefix out;
    Tracker t;
    const int held = std::min(static_cast<int>(header.LineCount), stored.count());
    const std::byte* p = stored.data();
    for (int n = 1; n <= held; ++n, p += kLedgerLineSize) {
        RawView line;
        if (!PlainRawOf(p, line)) [[unlikely]] {
            if (!RawOf(p, n, stored.path(), line)) break;
        }
        Amount z = 0;
        if (!StepReferenceRule(t, n, line, header, cash(line.f.itemNo), z)) [[unlikely]]
            break;
        if (z != line.f.zandaka) break;
        out.holds = n;
        out.last = t;
        if (n == beforeLine) out.before = t;
    }
    return out;
}

// The walk back of RecalculateFromPage, from line `from` down to the first line
// `stored` holds: the nearest line with a date gives the month and balance the walk
// starts from. False when none of those lines has a date.
Result<bool> PageWalkStart(const StoredLedger& stored, const std::filesystem::path& ledger,
                           int from, Tracker& t) {
    StoredDate date;
    for (int n = from; n >= stored.first(); --n) {
        auto line = stored.Line(n);
        if (!line) return line.error();
        if (!date.Read(*line, ledger, n)) return date.error();
        if (IsBlank(date.text())) continue;
        t.month = MonthKeyOf(date.text());
        t.balance = line->Zandaka();
        return true;
    }
    return false;
}

// The state of the full recalculation after line n (1..), whose balance holds: the
// month of the nearest line up to n that has one, and line n's balance. False when
// `stored` does not reach back far enough to tell.
bool HeldStateAfter(const StoredLedger& stored, int n, Tracker& t) {
    const std::byte* at = stored.Find(n);
    if (at == nullptr) return false;
    t = Tracker{};
    t.balance = StoredLedgerLine(at).Zandaka();
    for (int k = n; k >= stored.first(); --k) {
        RawView line;
        if (!RawOf(stored.Find(k), k, stored.path(), line)) return false;
        if (line.month.empty()) continue;
        t.month = line.month;
        return true;
    }
    return stored.first() == 1;  // no line from line 1 on has a month
}

// The 42 bytes of a line, for the walks that move lines.
using LineBytes = std::array<std::byte, kLedgerLineSize>;

LineBytes BlankLineBytes() {
    LineBytes out{};
    EncodeLedgerLineTo(BlankLedgerLine(0), out);  // a blank line always encodes
    return out;
}

// Writes `bytes` as line n and gives it its balance by the reference rule.
Status PlaceLine(Session& ses, Tracker& t, int n, const LineBytes& bytes, const CashItems& cash) {
    ses.file().WriteRawLine(n, bytes);
    RawView line;
    if (Status st = ses.Raw(n, line); !st) return st.error();
    auto z = ApplyReferenceRule(t, n, line, ses.header, cash(line.f.itemNo));
    if (!z) return z.error();
    ses.file().SetBalance(n, *z);
    return Ok();
}

bool HasRemarks(std::string_view s) { return !IsBlank(s); }

std::string FittedRemarks(std::string_view s) {
    return HasRemarks(s) ? CutToBytes(TrimRight(s), 16) : std::string();
}

// The balance a line beyond the end starts from: that of the last line, or the
// opening balance of an empty ledger.
Result<Amount> BalanceAtEnd(Session& ses) {
    if (ses.header.LineCount < 1) return ses.header.OpeningBalance;
    auto last = ses.Read(ses.header.LineCount);
    if (!last) return last.error();
    return last->Zandaka;
}

}  // namespace

namespace {
// The history of a line typed on: a line within the ledger (`count` lines before the
// operation) changed, else the lines added up to it (a skipped one blank).
void RecordTypedLine(Session& ses, int count, int L, std::vector<std::byte> before) {
    if (L <= count) {
        ses.Record(HistoryOperation::CashBookChange, L, std::move(before), ses.StoredBytes(L));
        return;
    }
    for (int n = std::max(count + 1, 1); n <= L; ++n)
        ses.Record(HistoryOperation::CashBookPost, n, {}, ses.StoredBytes(n));
}

// At most one line can be skipped; a line further on is never written.
FileError RowOutOfReach(const SharedState& s) {
    return FileError{FileErrorCode::BadFormat, s.LedgerPath.string(), "この行には入力できません！"};
}

// The deposit book with the account of a posted deposit row corrected, worked out
// before anything is written (an overflow writes nothing); none when the post
// corrects no account.
Result<std::optional<DepositBookRecord>> CorrectedDeposit(const SharedState& s,
                                                          const DepositChange* deposit,
                                                          Amount amount) {
    if (!deposit || !IsDepositCategory(deposit->kubun) || deposit->account < 1 ||
        deposit->account > kAccountCount)
        return std::optional<DepositBookRecord>();
    auto corrected = CorrectForAmountChange(s.DepositBook, deposit->kubun, deposit->account,
                                            deposit->oldAmount, amount);
    if (!corrected) return corrected.error();
    return std::optional<DepositBookRecord>(*corrected);
}

// Where the balances of a post on line L start: the balance and month the posted line
// goes on from, in a ledger of `count` lines before the post. Within the ledger, the
// line before gives them when it lies in the posted month; else the month restarts
// from the nearest line before with an item. Beyond the old end, the last line gives
// them (an empty ledger starts from the opening balance) and a skipped line is written
// blank.
Result<Tracker> PostStart(Session& ses, int L, int count, MonthKey posted) {
    Tracker t;
    if (L == 1) {
        t.balance = ses.header.OpeningBalance;
        return t;
    }
    if (L <= count) {
        auto prev = ses.Read(L - 1);
        if (!prev) return prev.error();
        const MonthKey prevMonth = MonthKeyOf(prev->NenGetsuBi);
        if (prevMonth == posted) return Tracker{prevMonth, prev->Zandaka};
        if (HasItem(prev->ItemNo)) return Tracker{prevMonth, 0};
        for (int n = L - 2; n >= 1; --n) {
            auto earlier = ses.Read(n);
            if (!earlier) return earlier.error();
            if (!HasItem(earlier->ItemNo)) continue;
            t.month = MonthKeyOf(earlier->NenGetsuBi);
            t.balance = (t.month == posted) ? earlier->Zandaka : 0;
            break;
        }
        return t;
    }
    if (count >= 1) {
        auto last = ses.Read(count);
        if (!last) return last.error();
        t.balance = last->Zandaka;
        if (t.balance != 0) t.month = MonthKeyOf(last->NenGetsuBi);
    } else {
        t.balance = ses.header.OpeningBalance;
    }
    for (int n = std::max(count + 1, 1); n < L; ++n)
        if (Status w = ses.Write(n, BlankLedgerLine(t.balance)); !w) return w.error();
    return t;
}

// Writes the posted line L (a new line when `grown`) with the row's fields and the
// amount on its side (1 income, else expense), its balance going on from `t`. Unlike
// the full recalculation, only a cash line restarts the month here.
Status WritePostedLine(Session& ses, int L, bool grown, const RowFields& row, int side,
                       Amount amount, const ItemTableArray& items, Tracker& t) {
    LedgerLine line;
    if (grown) {
        line = BlankLedgerLine(0);
    } else {
        auto stored = ses.Read(L);
        if (!stored) return stored.error();
        line = std::move(*stored);
    }
    line.NenGetsuBi = row.date.substr(0, std::min<std::size_t>(row.date.size(), 6));
    line.Youbi = row.youbi;
    line.ItemNo = static_cast<std::int16_t>(row.itemNo);
    line.Indata = side == 1 ? amount : 0;
    line.Outdata = side == 1 ? 0 : amount;
    line.Bikou = FittedRemarks(row.bikou);
    const MonthKey lineMonth = MonthKeyOf(line.NenGetsuBi);
    if (IsCashCategory(CategoryOf(items, line.ItemNo))) {
        if (!t.month.empty() && lineMonth != t.month) t.balance = 0;
        auto z = CheckedAmount(static_cast<std::int64_t>(t.balance) + line.Indata - line.Outdata);
        if (!z) return OverflowError();
        line.Zandaka = *z;
    } else {
        line.Zandaka = t.balance;
    }
    t.balance = line.Zandaka;
    if (!lineMonth.empty()) t.month = lineMonth;
    return ses.Write(L, line);
}

// The balances of the lines from `from` to the end after a post, carried on from `t`:
// only a cash line moves the balance, restarting it when its month is not the one
// carried; only the balances are written.
Status CarryBalances(Session& ses, int from, const CashItems& cash, Tracker& t) {
    const LineWalk walk(ses);
    FileError error;
    std::vector<Amount> balances;  // written together once the walk is through
    balances.reserve(static_cast<std::size_t>(std::max(ses.header.LineCount - from + 1, 0)));
    for (int n = from; n <= ses.header.LineCount; ++n) {
        RawView stored;
        if (!walk.Raw(n, stored, error)) [[unlikely]]
            return error;
        if (cash(stored.f.itemNo)) {
            if (!t.month.empty() && stored.month != t.month) t.balance = 0;
            const std::int64_t z =
                static_cast<std::int64_t>(t.balance) + stored.f.indata - stored.f.outdata;
            if (z < INT32_MIN || z > INT32_MAX) [[unlikely]]
                return OverflowError();
            t.balance = static_cast<Amount>(z);
        }
        if (!stored.month.empty()) t.month = stored.month;
        balances.push_back(t.balance);
    }
    ses.file().SetBalances(from, balances);
    return Ok();
}

}  // namespace

Status PostAmount(SharedState& s, int L, int side, Amount amount, std::string_view month,
                  const RowFields& row, const DepositChange* deposit, CashBookUndoList* undo) {
    if (L < 1 || !MayTypeOnLine(L, s.LedgerHeader.LineCount) || L > 32767) return RowOutOfReach(s);
    auto book = CorrectedDeposit(s, deposit, amount);
    if (!book) return book.error();

    auto opened = Session::Open(s, undo);
    if (!opened) return opened.error();
    Session& ses = *opened;
    const int count = ses.header.LineCount;
    const bool grown = L > count;
    if (grown) ses.header.LineCount = static_cast<std::int16_t>(L);

    auto start = PostStart(ses, L, count, MonthKey(month));
    if (!start) return start.error();
    Tracker t = *start;
    // The line as it was, for the history.
    std::vector<std::byte> before;
    if (!grown && ses.file().HasLine(L)) before = ses.StoredBytes(L);
    if (Status st = WritePostedLine(ses, L, grown, row, side, amount, s.ItemTable, t); !st)
        return st;
    if (Status st = CarryBalances(ses, L + 1, CashItems(s.ItemTable), t); !st) return st;
    ses.header.ClosingBalance = t.balance;
    ses.headerChanged = true;
    RecordTypedLine(ses, count, L, std::move(before));
    // The ledger, the corrected account and the history go out together. The lines
    // before the posted one are as they were.
    return ses.Commit(s, std::min(ses.known, L - 1), *book, *book ? deposit->account : 0);
}

namespace {

// How many lines before a page are read to find where its walk starts.
constexpr int kLookBack = 64;

// The walk of RecalculateFromPage from line `from` on, starting from `t`: checked on
// a read of the file first, so that balances that hold open nothing for writing.
// Afterwards lines 1..holdsAfter are known to hold; when nothing had to change,
// 1..holdsIfHeld.
Status FinishPageWalk(SharedState& s, const StoredLedger& stored, const CashItems& cash, int from,
                      Tracker t, int holdsIfHeld, int holdsAfter) {
    auto hold = BalancesHold(stored, s.LedgerHeader, cash, from, t);
    if (!hold) return hold.error();
    if (*hold) {
        MarkBalances(s, stored.stamp(), cash, holdsIfHeld);
        return Ok();
    }
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    auto walked = RecalcWalk(*opened, cash, from, t);
    if (!walked) return walked.error();
    return opened->Commit(s, holdsAfter);
}

// The walk from the page when the balances are known to hold through line `known`
// (at least S-1) and the walk starts where the full recalculation stands: only the
// lines after `known` can change. False when the file read does not tell (it changed
// meanwhile, or the month lies further back); the caller then walks the whole year.
Result<bool> WalkOnFromKnown(SharedState& s, const CashItems& cash, const FileStamp& stamp,
                             int known) {
    const int count = s.LedgerHeader.LineCount;
    if (known >= count) return true;
    auto tail = StoredLedger::Read(s, std::max(known - kLookBack + 1, 1), count);
    if (!tail) return tail.error();
    if (!(tail->stamp() == stamp)) return false;
    Tracker t;
    if (known >= 1 && !HeldStateAfter(*tail, known, t)) return false;
    if (Status st = FinishPageWalk(s, *tail, cash, known + 1, t, count, count); !st)
        return st.error();
    return true;
}

}  // namespace

Status RecalculateFromPage(SharedState& s, int currentPage) {
    const int count = s.LedgerHeader.LineCount;
    if (count < 1) return Ok();
    const int S = std::max((currentPage - 1) * kRowsPerPage, 1);
    const int back = std::min(S - 1, count);  // the walk back starts here (0: none)
    const CashItems cash(s.ItemTable);

    // Usually the program itself wrote or walked this very file last and knows how
    // far its balances hold: then only the lines just before the page are read, to
    // see that the walk from the page starts where the full recalculation stands,
    // and only the lines after those known are walked.
    {
        const int hi = std::max(back, 1);
        auto near = StoredLedger::Read(s, std::max(hi - kLookBack + 1, 1), hi);
        if (!near) return near.error();
        if (near->first() + near->count() - 1 == hi) {
            Tracker t;
            bool found = false;
            if (back >= 1) {
                auto r = PageWalkStart(*near, s.LedgerPath, back, t);
                if (!r) return r.error();
                found = *r;
            }
            // Whether the lines read tell where the walk starts.
            const bool told = S == 1 || found || near->first() == 1;
            if (told && S > count) return Ok();  // no line from the page on
            // With line S-1 known to hold, the walk starts where the full
            // recalculation stands when it starts from S-1's month (that of the dated
            // line found, as nothing dated lies between; none when there is none) and
            // from S-1's balance.
            const int known = KnownToHold(s, near->stamp(), cash);
            const bool sameStart =
                told && known >= S - 1 &&
                (S == 1 || ((!found || !t.month.empty()) &&
                            t.balance == StoredLedgerLine(near->Find(S - 1)).Zandaka()));
            if (sameStart) {
                auto done = WalkOnFromKnown(s, cash, near->stamp(), known);
                if (!done) return done.error();
                if (*done) return Ok();
            }
        }
    }

    // Otherwise the lines from where the walk back starts to the end are read, when a
    // dated line among the ones just before the page tells where the walk starts: the
    // walk from the page then needs no line before those (a page near the end of a
    // large year reads only the year's end). The lines known to hold before the page
    // still hold afterwards.
    if (const int lo = std::max(std::max(back, 1) - kLookBack + 1, 1); lo > 1) {
        auto tail = StoredLedger::Read(s, lo, count);
        if (!tail) return tail.error();
        if (tail->first() + tail->count() - 1 == count) {
            Tracker t;
            auto found = PageWalkStart(*tail, s.LedgerPath, back, t);
            if (!found) return found.error();
            if (*found) {
                if (S > count) return Ok();  // no line from the page on
                const int known = KnownToHold(s, tail->stamp(), cash);
                return FinishPageWalk(s, *tail, cash, S, t, known, std::min(known, S - 1));
            }
        }
    }

    // Else the whole year is read: the walk back as above, and the walk from the page,
    // with how far from line 1 the balances hold worked out on the way.
    auto stored = StoredLedger::Read(s, 1, count);
    if (!stored) return stored.error();
    Tracker t;
    if (back >= 1)
        if (auto r = PageWalkStart(*stored, s.LedgerPath, back, t); !r) return r.error();
    if (S > count) return Ok();
    const HoldingPrefix prefix = WalkHoldingPrefix(*stored, s.LedgerHeader, cash, S - 1);
    const bool sameStart = S == 1 || (prefix.holds >= S - 1 && t.month == prefix.before.month &&
                                      t.balance == prefix.before.balance);
    if (sameStart)
        return FinishPageWalk(s, *stored, cash, prefix.holds + 1, prefix.last, count, count);
    return FinishPageWalk(s, *stored, cash, S, t, prefix.holds, std::min(prefix.holds, S - 1));
}

Status RecalculateAll(SharedState& s) {
    if (s.LedgerHeader.LineCount < 1) return Ok();
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    auto walked = RecalcWalk(*opened, CashItems(s.ItemTable), 1, Tracker{});
    if (!walked) return walked.error();
    return opened->Commit(s, opened->header.LineCount);
}

ReferenceBalance::ReferenceBalance(const LedgerHeaderRecord& header, const ItemTableArray& items)
    : header_(header) {
    for (std::size_t i = 0; i < cash_.size(); ++i)
        cash_[i] = IsCashCategory(CategoryOf(items, static_cast<int>(i)));
}

Result<Amount> ReferenceBalance::Next(int n, const LedgerLine& line) {
    return Next(n, RawLineFields{line.ItemNo, line.Indata, line.Outdata, line.Zandaka},
                line.NenGetsuBi);
}

Result<Amount> ReferenceBalance::Next(int n, const RawLineFields& f, std::string_view date) {
    Tracker t{MonthKey::FromCode(month_), balance_};
    Amount z = 0;
    const auto item = static_cast<std::size_t>(static_cast<unsigned>(f.itemNo));
    const bool isCash = item < cash_.size() && cash_[item];  // others have no category
    if (!StepReferenceRule(t, n, RawView{f, MonthKeyOf(date)}, header_, isCash, z))
        return OverflowError();
    month_ = t.month.code();
    balance_ = t.balance;
    return z;
}

Result<InsertOutcome> InsertLine(SharedState& s, int L, CashBookUndoList* undo) {
    const int count = s.LedgerHeader.LineCount;
    if (L < 1 || L > count) return InsertOutcome::Inserted;
    if (count >= LineCapacity(s) || count >= 32767) return InsertOutcome::CapacityFull;
    auto opened = Session::Open(s, undo);
    if (!opened) return opened.error();
    Session& ses = *opened;
    ses.header.LineCount = static_cast<std::int16_t>(count + 1);
    ses.headerChanged = true;
    // One pass does the move and the full recalculation: from line L on, each place
    // takes the line that was one place before it (line L the new blank one).
    const CashItems cash(s.ItemTable);
    Tracker t;
    LineBytes carry = BlankLineBytes();
    for (int n = 1; n <= count + 1; ++n) {
        if (n < L) {
            RawView line;
            if (Status st = ses.Raw(n, line); !st) return st.error();
            auto z = ApplyReferenceRule(t, n, line, ses.header, cash(line.f.itemNo));
            if (!z) return z.error();
            ses.file().SetBalance(n, *z);
            continue;
        }
        LineBytes placed = carry;
        if (n <= count) {
            if (!ses.file().HasLine(n)) return ses.Read(n).error();
            auto stored = ses.file().RawLine(n);  // taken before its place is overwritten
            std::copy(stored.begin(), stored.end(), carry.begin());
        }
        if (Status st = PlaceLine(ses, t, n, placed, cash); !st) return st.error();
    }
    ses.Record(HistoryOperation::CashBookInsert, L, {}, ses.StoredBytes(L));
    if (Status st = ses.Commit(s, ses.header.LineCount); !st) return st.error();
    return InsertOutcome::Inserted;
}

Status DeleteLine(SharedState& s, int L, int account, CashBookUndoList* undo) {
    const int count = s.LedgerHeader.LineCount;
    if (L < 1 || L > count) return Ok();
    auto opened = Session::Open(s, undo);
    if (!opened) return opened.error();
    Session& ses = *opened;
    auto doomed = ses.Read(L);
    if (!doomed) return doomed.error();
    ses.Record(HistoryOperation::CashBookDelete, L, ses.StoredBytes(L), {});

    // The account gets the line's amount back; worked out before anything is written.
    std::optional<DepositBookRecord> book;
    const int kubun = CategoryOf(s.ItemTable, doomed->ItemNo);
    if (IsDepositCategory(kubun) && account >= 1 && account <= kAccountCount) {
        auto corrected = CorrectForDeletedLine(s.DepositBook, kubun, account, *doomed);
        if (!corrected) return corrected.error();
        book = *corrected;
    }

    ses.header.LineCount = static_cast<std::int16_t>(count - 1);
    ses.headerChanged = true;
    // One pass does the move and the full recalculation: from line L on, each place
    // takes the line after it; the old last place becomes blank with balance 0.
    const CashItems cash(s.ItemTable);
    Tracker t;
    for (int n = 1; n < count; ++n) {
        if (n < L) {
            RawView line;
            if (Status st = ses.Raw(n, line); !st) return st.error();
            auto z = ApplyReferenceRule(t, n, line, ses.header, cash(line.f.itemNo));
            if (!z) return z.error();
            ses.file().SetBalance(n, *z);
            continue;
        }
        if (!ses.file().HasLine(n + 1)) return ses.Read(n + 1).error();
        LineBytes moved;
        auto stored = ses.file().RawLine(n + 1);
        std::copy(stored.begin(), stored.end(), moved.begin());
        if (Status st = PlaceLine(ses, t, n, moved, cash); !st) return st;
    }
    ses.file().WriteRawLine(count, BlankLineBytes());
    ses.header.ClosingBalance = ses.header.LineCount > 0 ? t.balance : 0;
    // The ledger, the corrected account and the history go out together.
    return ses.Commit(s, ses.header.LineCount, book, book ? account : 0);
}

Status WriteLineDate(SharedState& s, int L, std::string_view date, std::string_view youbi,
                     CashBookUndoList* undo) {
    if (L < 1 || !MayTypeOnLine(L, s.LedgerHeader.LineCount) || L > 32767) return RowOutOfReach(s);
    auto opened = Session::Open(s, undo);
    if (!opened) return opened.error();
    Session& ses = *opened;
    const int count = ses.header.LineCount;
    std::vector<std::byte> before;
    LedgerLine line;
    if (L <= ses.header.LineCount) {
        auto stored = ses.Read(L);
        if (!stored) return stored.error();
        line = *stored;
        before = ses.StoredBytes(L);
    } else {
        auto start = BalanceAtEnd(ses);
        if (!start) return start.error();
        for (int n = ses.header.LineCount + 1; n < L; ++n)
            if (Status w = ses.Write(n, BlankLedgerLine(*start)); !w) return w.error();
        line = BlankLedgerLine(*start);
        ses.header.LineCount = static_cast<std::int16_t>(L);
        ses.headerChanged = true;
    }
    line.NenGetsuBi = std::string(date.substr(0, 6));
    line.Youbi = std::string(youbi);
    if (Status w = ses.Write(L, line); !w) return w;
    RecordTypedLine(ses, count, L, std::move(before));
    return ses.Commit(s, std::min(ses.known, L - 1));
}

namespace {

// `balancesMove`: the change reaches a field the balances depend on.
template <class Change>
Status ChangeStoredLine(SharedState& s, int L, bool balancesMove, Change change, CashBookUndoList* undo) {
    if (L < 1 || L > s.LedgerHeader.LineCount) return Ok();
    auto opened = Session::Open(s, undo);
    if (!opened) return opened.error();
    auto line = opened->Read(L);
    if (!line) return line.error();
    std::vector<std::byte> before = opened->StoredBytes(L);
    change(*line);
    if (Status w = opened->Write(L, *line); !w) return w;
    opened->Record(HistoryOperation::CashBookChange, L, std::move(before), opened->StoredBytes(L));
    return opened->Commit(s, balancesMove ? std::min(opened->known, L - 1) : opened->known);
}

}  // namespace

Status WriteLineItem(SharedState& s, int L, int itemNo, CashBookUndoList* undo) {
    return ChangeStoredLine(
        s, L, true, [&](LedgerLine& line) { line.ItemNo = static_cast<std::int16_t>(itemNo); }, undo);
}

Status WriteLineRemarks(SharedState& s, int L, std::string_view bikou, CashBookUndoList* undo) {
    return ChangeStoredLine(s, L, false,
                            [&](LedgerLine& line) { line.Bikou = FittedRemarks(bikou); }, undo);
}

Status SavePage(SharedState& s, int page, const std::array<RowFields, kRowsPerPage>& rows,
                CashBookUndoList* undo) {
    const int first = LineOfRow(page, 1);
    const int count = s.LedgerHeader.LineCount;
    if (count < first) return Ok();
    const int last = std::min(LineOfRow(page, kRowsPerPage), count);
    // The rows are compared with a read of the page's lines first: a page that was not
    // touched (the usual page change) opens nothing for writing.
    auto stored = StoredLedger::Read(s, first, last);
    if (!stored) return stored.error();
    std::vector<std::pair<int, LedgerLine>> changed;
    int balancesFrom = last + 1;  // the first line whose date or item changes
    for (int n = first; n <= last; ++n) {
        const RowFields& f = rows[static_cast<std::size_t>(n - first)];
        auto read = stored->Decode(n);
        if (!read) return read.error();
        LedgerLine line = *read;
        line.NenGetsuBi = f.date.substr(0, std::min<std::size_t>(f.date.size(), 6));
        line.ItemNo = static_cast<std::int16_t>(f.itemNo);
        line.Youbi = Trim(f.youbi);
        line.Bikou = FittedRemarks(f.bikou);
        // Compared as they will be stored, so a page that was not touched writes nothing.
        LedgerLine same = *read;
        same.NenGetsuBi = TrimRight(same.NenGetsuBi);
        same.Youbi = TrimRight(same.Youbi);
        same.Bikou = TrimRight(same.Bikou);
        LedgerLine now = line;
        now.NenGetsuBi = TrimRight(now.NenGetsuBi);
        now.Bikou = TrimRight(now.Bikou);
        if (now == same) continue;
        if (now.NenGetsuBi != same.NenGetsuBi || now.ItemNo != same.ItemNo)
            balancesFrom = std::min(balancesFrom, n);
        changed.emplace_back(n, std::move(line));
    }
    if (changed.empty()) return Ok();
    auto opened = Session::Open(s, undo);
    if (!opened) return opened.error();
    for (const auto& [n, line] : changed) {
        if (!opened->file().HasLine(n)) return opened->Read(n).error();
        std::vector<std::byte> before = opened->StoredBytes(n);
        if (Status w = opened->Write(n, line); !w) return w;
        // One record a line.
        opened->Record(HistoryOperation::CashBookChange, n, std::move(before),
                       opened->StoredBytes(n));
    }
    return opened->Commit(s, std::min(opened->known, balancesFrom - 1));
}

Result<std::array<std::optional<LedgerLine>, kRowsPerPage>> ReadPage(const SharedState& s,
                                                                     int page) {
    std::array<std::optional<LedgerLine>, kRowsPerPage> out;
    const int first = LineOfRow(page, 1);
    const int count = s.LedgerHeader.LineCount;
    if (count < first) return out;
    const int last = std::min(LineOfRow(page, kRowsPerPage), count);
    auto stored = StoredLedger::Read(s, first, last);
    if (!stored) return stored.error();
    for (int n = first; n <= last; ++n) {
        auto line = stored->Decode(n);
        if (!line) return line.error();
        out[static_cast<std::size_t>(n - first)] = std::move(*line);
    }
    return out;
}

Result<LedgerLine> ReadLedgerLineAt(const SharedState& s, int L) {
    auto stored = StoredLedger::Read(s, L, L);
    if (!stored) return stored.error();
    return stored->Decode(L);
}

Status FinishEntry(SharedState& s) {
    const LedgerHeaderRecord before = s.LedgerHeader;
    if (Status st = ComputeLedgerTotals(s); !st) {
        s.LedgerHeader = before;
        return st;
    }
    auto opened = Session::Open(s);
    if (!opened) {
        s.LedgerHeader = before;
        return opened.error();
    }
    opened->headerChanged = true;
    Status st = opened->Commit(s, opened->known);
    if (!st) s.LedgerHeader = before;
    return st;
}

Result<std::optional<int>> SearchPage(const SharedState& s, std::string_view date) {
    if (date.empty()) return std::optional<int>();
    auto p = FindFirstLineOnOrAfter(s, date);
    if (!p) return p.error();
    return std::optional<int>(PageOfLine(*p));
}

}  // namespace tabulo
