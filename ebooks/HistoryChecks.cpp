#include "ebooks/HistoryChecks.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "books/Accounts.h"
#include "books/BooksFiles.h"
#include "ebooks/ElectronicBooks.h"
#include "store/BinaryRecords.h"

namespace tabulo {
namespace {

using Bytes = std::vector<std::byte>;

std::string N(std::uint64_t n) { return std::to_string(n); }

// The sizes an operation stores: its old and new bytes, each either none or `size`.
struct Shape {
    std::size_t size = 0;
    bool hasOld = false, hasNew = false;
};

// What each operation stores and which targets it names; false for an operation
// whose records carry no bytes of a fixed size (the electronic-books setting).
bool ShapeOf(HistoryOperation op, Shape& shape, std::int64_t& low, std::int64_t& high) {
    switch (op) {
        case HistoryOperation::CashBookPost:
        case HistoryOperation::CashBookInsert:
            shape = {kLedgerLineSize, false, true};
            low = 1, high = static_cast<std::int64_t>(kMaxLedgerLines);
            return true;
        case HistoryOperation::CashBookChange:
            shape = {kLedgerLineSize, true, true};
            low = 1, high = static_cast<std::int64_t>(kMaxLedgerLines);
            return true;
        case HistoryOperation::CashBookDelete:
            shape = {kLedgerLineSize, true, false};
            low = 1, high = static_cast<std::int64_t>(kMaxLedgerLines);
            return true;
        case HistoryOperation::DepositChange:
            shape = {kDepositAccountBytes, true, true};
            low = 0, high = kAccountCount;
            return true;
        case HistoryOperation::SlipAdd:
            shape = {kSlipRecordSize, false, true};
            low = 1, high = INT32_MAX;
            return true;
        case HistoryOperation::SlipChange:
            shape = {kSlipRecordSize, true, true};
            low = 1, high = INT32_MAX;
            return true;
        case HistoryOperation::SlipDelete:
            shape = {kSlipRecordSize, true, false};
            low = 1, high = INT32_MAX;
            return true;
        case HistoryOperation::ItemAccountChange:
            shape = {2, true, true};
            low = 1, high = kItemCount;
            return true;
        default:
            return false;
    }
}

// Why the program could never have written `r`, in Japanese and English; "" when it could.
std::pair<std::string, std::string> Impossible(const HistoryRecord& r) {
    const std::string at = "記録 " + N(r.Sequence) + "（" + HistoryOperationName(r.Operation) + "）";
    const std::string atEn = "record " + N(r.Sequence) + " (" + HistoryOperationName(r.Operation) + ")";
    if (r.UndoOf != 0 && r.UndoOf >= r.Sequence)
        return {at + "は、それ以後の記録 " + N(r.UndoOf) + " を元に戻したことになっています。",
                atEn + " undoes record " + N(r.UndoOf) + ", which is not an earlier one."};
    const auto sizes = [&](const char* what, const char* whatEn) {
        return std::pair{at + "の" + what + "の大きさ（変更前 " + N(r.OldBytes.size()) +
                             " バイト、変更後 " + N(r.NewBytes.size()) + " バイト）は、この操作が記録するものではありません。",
                         atEn + " holds " + whatEn + " of " + N(r.OldBytes.size()) + " and " +
                             N(r.NewBytes.size()) + " bytes, which this operation never records."};
    };
    const auto target = [&](const char* what, const char* whatEn) {
        return std::pair{at + "の対象 " + std::to_string(r.Target) + " は、" + what + "ではありません。",
                         atEn + " is about " + std::to_string(r.Target) + ", which is not " + whatEn + "."};
    };
    Shape shape;
    std::int64_t low = 0, high = 0;
    if (ShapeOf(r.Operation, shape, low, high)) {
        const bool oldOk = r.OldBytes.size() == (shape.hasOld ? shape.size : 0);
        const bool newOk = r.NewBytes.size() == (shape.hasNew ? shape.size : 0);
        if (!oldOk || !newOk) return sizes("値", "values");
        if (r.Target < low || r.Target > high) {
            switch (r.Operation) {
                case HistoryOperation::DepositChange: return target("預金口座（0〜20）", "a deposit account (0..20)");
                case HistoryOperation::ItemAccountChange: return target("項目（1〜50）", "an item (1..50)");
                case HistoryOperation::SlipAdd:
                case HistoryOperation::SlipChange:
                case HistoryOperation::SlipDelete: return target("振替伝票の番号", "a slip's number");
                default: return target("出納簿の行（1〜32767）", "a cash-book line (1..32767)");
            }
        }
        return {};
    }
    switch (r.Operation) {
        case HistoryOperation::OpeningChange:
            // A balance set, changed or cleared: 4 bytes on either side, not none on both.
            if ((!r.OldBytes.empty() && r.OldBytes.size() != 4) ||
                (!r.NewBytes.empty() && r.NewBytes.size() != 4) ||
                (r.OldBytes.empty() && r.NewBytes.empty()))
                return sizes("残高", "balances");
            if (!IsBalanceSheetAccount(r.Target))
                return target("貸借対照表の勘定科目", "a balance-sheet account");
            return {};
        case HistoryOperation::ElectronicBooksOn:
        case HistoryOperation::ElectronicBooksOff:
            if (!r.OldBytes.empty() || !r.NewBytes.empty()) return sizes("値", "values");
            if (r.Target != 0 && !(r.Operation == HistoryOperation::ElectronicBooksOn &&
                                   r.Target == kCarriedOverTarget))
                return target("この設定の記録が持つ値", "a value this setting's record has");
            return {};
        default:
            return {};  // an operation the reading already reports
    }
}

// A book's lines or slips as the records give them, from the first record on. A slot
// the records never gave (a line or slip from before the history began) is unknown.
struct Replayed {
    std::vector<std::optional<Bytes>> slots;
    bool countKnown = false;  // an addition at the end told how many there were
    std::uint32_t last = 0;   // the last record played
    void Reach(std::size_t n) {
        if (slots.size() < n) slots.resize(n);
    }
};

void PlayCashBook(Replayed& b, const HistoryRecord& r) {
    const auto t = static_cast<std::size_t>(r.Target);
    switch (r.Operation) {
        case HistoryOperation::CashBookPost:
            // Added after the last line: there were t - 1 lines.
            b.slots.resize(t - 1);
            b.slots.push_back(r.NewBytes);
            b.countKnown = true;
            break;
        case HistoryOperation::CashBookInsert:
            b.Reach(t - 1);
            b.slots.insert(b.slots.begin() + static_cast<std::ptrdiff_t>(t - 1), r.NewBytes);
            break;
        case HistoryOperation::CashBookDelete:
            b.Reach(t);
            b.slots.erase(b.slots.begin() + static_cast<std::ptrdiff_t>(t - 1));
            break;
        case HistoryOperation::CashBookChange:
            b.Reach(t);
            b.slots[t - 1] = r.NewBytes;
            break;
        default:
            return;
    }
    b.last = r.Sequence;
}

void PlaySlips(Replayed& b, const HistoryRecord& r) {
    const auto t = static_cast<std::size_t>(r.Target);
    switch (r.Operation) {
        case HistoryOperation::SlipAdd:
            if (r.UndoOf == 0) {
                // A slip kept is added after the last one: there were t - 1 slips.
                b.slots.resize(t - 1);
                b.countKnown = true;
            } else {
                b.Reach(t - 1);  // a deletion undone puts the slip back where it was
            }
            b.slots.insert(b.slots.begin() + static_cast<std::ptrdiff_t>(t - 1), r.NewBytes);
            break;
        case HistoryOperation::SlipDelete:
            b.Reach(t);
            b.slots.erase(b.slots.begin() + static_cast<std::ptrdiff_t>(t - 1));
            break;
        case HistoryOperation::SlipChange:
            b.Reach(t);
            b.slots[t - 1] = r.NewBytes;
            break;
        default:
            return;
    }
    b.last = r.Sequence;
}

// The entry fields of a stored line: all of its bytes but the balance.
bool SameEntry(std::span<const std::byte> a, std::span<const std::byte> b) {
    return std::memcmp(a.data(), b.data(), kLedgerZandakaOffset) == 0 &&
           std::memcmp(a.data() + kLedgerBikouOffset, b.data() + kLedgerBikouOffset,
                       kLedgerLineSize - kLedgerBikouOffset) == 0;
}

std::string CutWords() { return "（履歴の末尾が切り取られたおそれがあります）"; }
std::string CutWordsEn() { return " (the end of the history may have been cut off)"; }

// The first place where the book differs from what the records give, or none.
std::optional<HistoryCheckFinding> Compare(const Replayed& b, const std::vector<Bytes>& held,
                                           bool lines) {
    if (b.last == 0) return std::nullopt;  // no record of this book
    const char* unit = lines ? "行" : "件";
    const std::string book = lines ? "出納簿" : "振替伝票";
    const std::string bookEn = lines ? "the cash book" : "the slip book";
    const std::string last = "履歴の" + book + "の最後の記録 " + N(b.last);
    const std::string lastEn = "after record " + N(b.last) + ", the last of " + bookEn + " in the history,";
    if ((b.countKnown && held.size() != b.slots.size()) || held.size() < b.slots.size())
        return HistoryCheckFinding{
            b.last,
            last + " の後は " + N(b.slots.size()) + " " + unit + "ですが、" + book + "には " +
                N(held.size()) + " " + unit + "あります" + CutWords() + "。",
            lastEn + " it holds " + N(b.slots.size()) + (lines ? " lines" : " slips") + ", but has " +
                N(held.size()) + CutWordsEn() + "."};
    for (std::size_t i = 0; i < b.slots.size(); ++i) {
        if (!b.slots[i]) continue;
        const Bytes& want = *b.slots[i];
        const bool same = lines ? want.size() == kLedgerLineSize && SameEntry(want, held[i])
                                : want == held[i];
        if (same) continue;
        const std::string which = lines ? N(i + 1) + " 行目" : "振替伝票 " + N(i + 1);
        const std::string whichEn = lines ? "line " + N(i + 1) : "slip " + N(i + 1);
        return HistoryCheckFinding{
            b.last,
            which + "は、" + last + " の後の内容と違います" + CutWords() + "。",
            whichEn + " is not what it was " + lastEn.substr(0, lastEn.size() - 1) + CutWordsEn() + "."};
    }
    return std::nullopt;
}

}  // namespace

std::vector<HistoryCheckFinding> ImpossibleHistoryRecords(const std::vector<HistoryRecord>& records) {
    std::vector<HistoryCheckFinding> out;
    for (const HistoryRecord& r : records) {
        auto [ja, en] = Impossible(r);
        if (!ja.empty()) out.push_back({r.Sequence, std::move(ja), std::move(en)});
    }
    return out;
}

bool HistoryHoldsNoRecord(std::span<const std::byte> bytes) {
    return bytes.empty() ||
           (bytes.size() == kHistoryHeaderSize &&
            std::memcmp(bytes.data(), kHistoryFileMark, kHistoryHeaderSize) == 0);
}

std::vector<HistoryCheckFinding> HistoryAgainstBooks(const std::vector<HistoryRecord>& records,
                                                     std::span<const std::byte> ledger,
                                                     std::span<const std::byte> slips) {
    std::vector<HistoryCheckFinding> out;
    // Records that could not have been written say nothing of the books.
    if (!ImpossibleHistoryRecords(records).empty()) return out;
    Replayed cash, slip;
    for (const HistoryRecord& r : records) {
        PlayCashBook(cash, r);
        PlaySlips(slip, r);
    }
    std::vector<Bytes> lines;
    if (auto header = DecodeLedgerHeader(ledger); header && ledger.size() >= kLedgerHeaderSize) {
        const std::size_t held = (ledger.size() - kLedgerHeaderSize) / kLedgerLineSize;
        const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(header->LineCount, 0)), held);
        for (std::size_t n = 1; n <= count; ++n) {
            const auto at = static_cast<std::ptrdiff_t>(LedgerLineOffset(static_cast<int>(n)));
            lines.emplace_back(ledger.begin() + at, ledger.begin() + at + static_cast<std::ptrdiff_t>(kLedgerLineSize));
        }
    }
    std::vector<Bytes> stored;
    for (std::size_t i = 0;; ++i) {
        Bytes one = StoredSlip(slips, i);
        if (one.empty()) break;
        stored.push_back(std::move(one));
    }
    if (auto f = Compare(cash, lines, true)) out.push_back(std::move(*f));
    if (auto f = Compare(slip, stored, false)) out.push_back(std::move(*f));
    return out;
}

}  // namespace tabulo
