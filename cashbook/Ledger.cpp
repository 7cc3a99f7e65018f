#include "cashbook/Ledger.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "cashbook/Categories.h"
#include "cashbook/Overflow.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
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

// One operation on the ledger: the open file, the header as it will be written,
// and whether the header has to go out at commit.
class Session {
  public:
    static Result<Session> Open(const SharedState& s) {
        auto file = OpenYearLedger(s);
        if (!file) return file.error();
        return Session(std::move(*file), s.LedgerHeader);
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

    // Sends everything out, with the deposit book `book` when the operation corrects
    // an account: both files change or neither does. The shared state follows the
    // files only when it worked.
    Status Commit(SharedState& s, const std::optional<DepositBookRecord>& book = std::nullopt) {
        if (headerChanged) file_.WriteHeader(header);
        std::optional<StagedFile> deposit;
        std::vector<FileChange> also;
        if (book) {
            auto staged = StageDepositBook(s, *book);
            if (!staged) {
                file_.Discard();
                return staged.error();
            }
            deposit = std::move(*staged);
            also.push_back(deposit->Change());
        }
        Status st = file_.Commit(also);
        if (st) {
            s.LedgerHeader = header;
            if (book) s.DepositBook = *book;
        }
        return st;
    }

  private:
    Session(LedgerFile f, const LedgerHeaderRecord& h) : header(h), file_(std::move(f)) {}
    LedgerFile file_;
};

struct Tracker {
    MonthKey month;      // M
    Amount balance = 0;  // R
};

// The reference rule for line n: the balance restarts on the first dated line of a
// new month whatever its category; line 1 starts from OpeningBalance. Gives the
// line's balance and moves the tracker on.
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

  private:
    std::array<bool, kItemCount + 1> cash_{};
};

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
    for (int n = std::max(from, 1); n <= ses.header.LineCount; ++n) {
        RawView line;
        if (Status st = ses.Raw(n, line); !st) return st.error();
        auto z = ApplyReferenceRule(t, n, line, ses.header, cash(line.f.itemNo));
        if (!z) return z.error();
        ses.file().SetBalance(n, *z);
    }
    return t;
}

// Whether the reference walk over lines from..LineCount would leave every stored
// balance as it is: the same rule as RecalcWalk, on a read of the file.
Result<bool> BalancesHold(const StoredLedger& stored, const LedgerHeaderRecord& header,
                          const CashItems& cash, int from, Tracker t) {
    // `stored` holds the file from line 1.
    const int first = std::max(from, 1);
    const int held = std::min(static_cast<int>(header.LineCount), stored.count());
    for (int n = first; n <= held; ++n) {
        const std::byte* p = stored.data() + static_cast<std::size_t>(n - 1) * kLedgerLineSize;
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
// At most one line can be skipped; a line further on is never written.
FileError RowOutOfReach(const SharedState& s) {
    return FileError{FileErrorCode::BadFormat, s.LedgerPath.string(), "この行には入力できません！"};
}
}  // namespace

Status PostAmount(SharedState& s, int L, int side, Amount amount, std::string_view month,
                  const RowFields& row, const DepositChange* deposit) {
    if (L < 1 || !MayTypeOnLine(L, s.LedgerHeader.LineCount) || L > 32767) return RowOutOfReach(s);
    // The deposit correction is worked out first: if it overflows, nothing is written.
    std::optional<DepositBookRecord> book;
    if (deposit && IsDepositCategory(deposit->kubun) && deposit->account >= 1 &&
        deposit->account <= kAccountCount) {
        auto corrected = CorrectForAmountChange(s.DepositBook, deposit->kubun, deposit->account,
                                                deposit->oldAmount, amount);
        if (!corrected) return corrected.error();
        book = *corrected;
    }

    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    Session& ses = *opened;
    const int C = ses.header.LineCount;
    const bool grown = L > C;
    if (grown) {
        ses.header.LineCount = static_cast<std::int16_t>(L);
        ses.headerChanged = true;
    }

    // The starting balance D and month M.
    Amount D = 0;
    MonthKey M;
    const MonthKey posted(month);
    if (L == 1) {
        D = ses.header.OpeningBalance;
    } else if (!grown) {
        auto prev = ses.Read(L - 1);
        if (!prev) return prev.error();
        if (MonthKeyOf(prev->NenGetsuBi) == posted) {
            D = prev->Zandaka;
            M = MonthKeyOf(prev->NenGetsuBi);
        } else if (HasItem(prev->ItemNo)) {
            D = 0;
            M = MonthKeyOf(prev->NenGetsuBi);
        } else {
            for (int n = L - 2; n >= 1; --n) {
                auto earlier = ses.Read(n);
                if (!earlier) return earlier.error();
                if (!HasItem(earlier->ItemNo)) continue;
                M = MonthKeyOf(earlier->NenGetsuBi);
                D = (M == posted) ? earlier->Zandaka : 0;
                break;
            }
        }
    } else {
        // Beyond the old end: start from the last line (an empty ledger from the
        // opening balance) and fill a skipped line with a blank one.
        if (C >= 1) {
            auto last = ses.Read(C);
            if (!last) return last.error();
            D = last->Zandaka;
            if (D != 0) M = MonthKeyOf(last->NenGetsuBi);
        } else {
            D = ses.header.OpeningBalance;
        }
        for (int n = std::max(C + 1, 1); n < L; ++n)
            if (Status w = ses.Write(n, BlankLedgerLine(D)); !w) return w.error();
    }

    const CashItems cash(s.ItemTable);
    for (int n = L; n <= ses.header.LineCount; ++n) {
        if (n != L) {
            // A later line: only its balance can change.
            RawView stored;
            if (Status st = ses.Raw(n, stored); !st) return st.error();
            Amount z = D;
            if (cash(stored.f.itemNo)) {
                if (!M.empty() && stored.month != M) D = 0;
                auto checked = CheckedAmount(static_cast<std::int64_t>(D) + stored.f.indata -
                                             stored.f.outdata);
                if (!checked) return OverflowError();
                z = *checked;
            }
            D = z;
            if (!stored.month.empty()) M = stored.month;
            ses.file().SetBalance(n, z);
            continue;
        }
        LedgerLine line;
        if (!grown) {
            auto stored = ses.Read(n);
            if (!stored) return stored.error();
            line = *stored;
        } else {
            line = BlankLedgerLine(0);
        }
        line.NenGetsuBi = row.date.substr(0, std::min<std::size_t>(row.date.size(), 6));
        line.Youbi = row.youbi;
        line.ItemNo = static_cast<std::int16_t>(row.itemNo);
        line.Indata = side == 1 ? amount : 0;
        line.Outdata = side == 1 ? 0 : amount;
        line.Bikou = FittedRemarks(row.bikou);
        const MonthKey lineMonth = MonthKeyOf(line.NenGetsuBi);
        // Unlike the full recalculation, only a cash line restarts the month here.
        if (IsCashCategory(CategoryOf(s.ItemTable, line.ItemNo))) {
            if (!M.empty() && lineMonth != M) D = 0;
            auto z = CheckedAmount(static_cast<std::int64_t>(D) + line.Indata - line.Outdata);
            if (!z) return OverflowError();
            line.Zandaka = *z;
        } else {
            line.Zandaka = D;
        }
        D = line.Zandaka;
        if (!lineMonth.empty()) M = lineMonth;
        if (Status w = ses.Write(n, line); !w) return w.error();
    }
    ses.header.ClosingBalance = D;
    ses.headerChanged = true;
    // The ledger and the corrected account go out together.
    return ses.Commit(s, book);
}

Status RecalculateFromPage(SharedState& s, int currentPage) {
    const int count = s.LedgerHeader.LineCount;
    if (count < 1) return Ok();
    // The walk runs first on a read of the file: on a page change the balances
    // usually hold already, and then the file is not opened for writing at all.
    auto stored = StoredLedger::Read(s, 1, count);
    if (!stored) return stored.error();
    const int S = std::max((currentPage - 1) * kRowsPerPage, 1);
    Tracker t;
    StoredDate date;
    for (int n = std::min(S - 1, count); n >= 1; --n) {
        auto line = stored->Line(n);
        if (!line) return line.error();
        if (!date.Read(*line, s.LedgerPath, n)) return date.error();
        if (IsBlank(date.text())) continue;
        t.month = MonthKeyOf(date.text());
        t.balance = line->Zandaka();
        break;
    }
    const CashItems cash(s.ItemTable);
    auto hold = BalancesHold(*stored, s.LedgerHeader, cash, S, t);
    if (!hold) return hold.error();
    if (*hold) return Ok();
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    auto walked = RecalcWalk(*opened, cash, S, t);
    if (!walked) return walked.error();
    return opened->Commit(s);
}

Status RecalculateAll(SharedState& s) {
    if (s.LedgerHeader.LineCount < 1) return Ok();
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    auto walked = RecalcWalk(*opened, CashItems(s.ItemTable), 1, Tracker{});
    if (!walked) return walked.error();
    return opened->Commit(s);
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

Result<InsertOutcome> InsertLine(SharedState& s, int L) {
    const int count = s.LedgerHeader.LineCount;
    if (L < 1 || L > count) return InsertOutcome::Inserted;
    if (count >= LineCapacity(s) || count >= 32767) return InsertOutcome::CapacityFull;
    auto opened = Session::Open(s);
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
    if (Status st = ses.Commit(s); !st) return st.error();
    return InsertOutcome::Inserted;
}

Status DeleteLine(SharedState& s, int L, int account) {
    const int count = s.LedgerHeader.LineCount;
    if (L < 1 || L > count) return Ok();
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    Session& ses = *opened;
    auto doomed = ses.Read(L);
    if (!doomed) return doomed.error();

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
    // The ledger and the corrected account go out together.
    return ses.Commit(s, book);
}

Status WriteLineDate(SharedState& s, int L, std::string_view date, std::string_view youbi) {
    if (L < 1 || !MayTypeOnLine(L, s.LedgerHeader.LineCount) || L > 32767) return RowOutOfReach(s);
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    Session& ses = *opened;
    LedgerLine line;
    if (L <= ses.header.LineCount) {
        auto stored = ses.Read(L);
        if (!stored) return stored.error();
        line = *stored;
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
    return ses.Commit(s);
}

namespace {

template <class Change>
Status ChangeStoredLine(SharedState& s, int L, Change change) {
    if (L < 1 || L > s.LedgerHeader.LineCount) return Ok();
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    auto line = opened->Read(L);
    if (!line) return line.error();
    change(*line);
    if (Status w = opened->Write(L, *line); !w) return w;
    return opened->Commit(s);
}

}  // namespace

Status WriteLineItem(SharedState& s, int L, int itemNo) {
    return ChangeStoredLine(
        s, L, [&](LedgerLine& line) { line.ItemNo = static_cast<std::int16_t>(itemNo); });
}

Status WriteLineRemarks(SharedState& s, int L, std::string_view bikou) {
    return ChangeStoredLine(s, L, [&](LedgerLine& line) { line.Bikou = FittedRemarks(bikou); });
}

Status SavePage(SharedState& s, int page, const std::array<RowFields, kRowsPerPage>& rows) {
    const int first = LineOfRow(page, 1);
    const int count = s.LedgerHeader.LineCount;
    if (count < first) return Ok();
    const int last = std::min(LineOfRow(page, kRowsPerPage), count);
    // The rows are compared with a read of the page's lines first: a page that was not
    // touched (the usual page change) opens nothing for writing.
    auto stored = StoredLedger::Read(s, first, last);
    if (!stored) return stored.error();
    std::vector<std::pair<int, LedgerLine>> changed;
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
        changed.emplace_back(n, std::move(line));
    }
    if (changed.empty()) return Ok();
    auto opened = Session::Open(s);
    if (!opened) return opened.error();
    for (const auto& [n, line] : changed)
        if (Status w = opened->Write(n, line); !w) return w;
    return opened->Commit(s);
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
    Status st = opened->Commit(s);
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
