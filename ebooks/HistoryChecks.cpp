#include "ebooks/HistoryChecks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
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
std::pair<std::string, std::string> WhyImpossible(const HistoryRecordView& r) {
    // The words are put together only for a record that fails.
    const auto at = [&] { return "記録 " + N(r.Sequence) + "（" + HistoryOperationName(r.Operation) + "）"; };
    const auto atEn = [&] { return "record " + N(r.Sequence) + " (" + HistoryOperationName(r.Operation) + ")"; };
    if (r.UndoOf != 0 && r.UndoOf >= r.Sequence)
        return {at() + "は、それ以後の記録 " + N(r.UndoOf) + " を元に戻したことになっています。",
                atEn() + " undoes record " + N(r.UndoOf) + ", which is not an earlier one."};
    const auto sizes = [&](const char* what, const char* whatEn) {
        return std::pair{at() + "の" + what + "の大きさ（変更前 " + N(r.OldBytes.size()) +
                             " バイト、変更後 " + N(r.NewBytes.size()) + " バイト）は、この操作が記録するものではありません。",
                         atEn() + " holds " + whatEn + " of " + N(r.OldBytes.size()) + " and " +
                             N(r.NewBytes.size()) + " bytes, which this operation never records."};
    };
    const auto target = [&](const char* what, const char* whatEn) {
        return std::pair{at() + "の対象 " + std::to_string(r.Target) + " は、" + what + "ではありません。",
                         atEn() + " is about " + std::to_string(r.Target) + ", which is not " + whatEn + "."};
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

// Fingerprints (0 for unknown) in book order, kept in blocks so that an insertion or
// a deletion in the middle moves one block, not the whole book: a history of 20,000
// changes to a 32,767-line book replays in time linear in the records.
class SlotList {
  public:
    using Value = std::uint64_t;
    static constexpr Value kUnknown = 0;

    std::size_t size() const { return size_; }

    // Cut to `n` slots, or grow to it with unknown ones.
    void Resize(std::size_t n) {
        while (size_ > n) {
            std::vector<Value>& last = blocks_.back();
            const std::size_t drop = std::min(last.size(), size_ - n);
            last.resize(last.size() - drop);
            sizes_.back() = static_cast<std::uint32_t>(last.size());
            size_ -= drop;
            if (last.empty()) {
                spare_.push_back(std::move(last));
                blocks_.pop_back();
                sizes_.pop_back();
            }
        }
        while (size_ < n) {
            if (blocks_.empty() || blocks_.back().size() >= kBlock) {
                // A block let go by a cut is taken again: a book cut and grown back
                // (a line posted in the middle of a history) allocates nothing.
                if (spare_.empty()) {
                    blocks_.emplace_back().reserve(2 * kBlock);
                } else {
                    blocks_.push_back(std::move(spare_.back()));
                    spare_.pop_back();
                }
                sizes_.push_back(0);
            }
            std::vector<Value>& last = blocks_.back();
            const std::size_t add = std::min(kBlock - last.size(), n - size_);
            last.resize(last.size() + add);  // zeros: unknown
            sizes_.back() = static_cast<std::uint32_t>(last.size());
            size_ += add;
        }
    }

    void Insert(std::size_t at, Value value) {
        if (at == size_) {
            Resize(size_ + 1);
            Slot(at) = value;
            return;
        }
        auto [b, i] = Find(at);
        std::vector<Value>& block = blocks_[b];
        block.insert(block.begin() + static_cast<std::ptrdiff_t>(i), value);
        ++sizes_[b];
        ++size_;
        if (block.size() >= 2 * kBlock) {
            std::vector<Value> tail(block.begin() + kBlock, block.end());
            block.resize(kBlock);
            sizes_[b] = kBlock;
            sizes_.insert(sizes_.begin() + static_cast<std::ptrdiff_t>(b) + 1,
                          static_cast<std::uint32_t>(tail.size()));
            blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(tail));
        }
    }

    // Takes the slot out; gives what it held.
    Value Erase(std::size_t at) {
        auto [b, i] = Find(at);
        std::vector<Value>& block = blocks_[b];
        const Value value = block[i];
        block.erase(block.begin() + static_cast<std::ptrdiff_t>(i));
        --sizes_[b];
        --size_;
        if (block.empty()) {
            blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
            sizes_.erase(sizes_.begin() + static_cast<std::ptrdiff_t>(b));
        }
        return value;
    }

    Value& Slot(std::size_t at) {
        auto [b, i] = Find(at);
        return blocks_[b][i];
    }

    // Calls `f(index, value)` for each slot in order until it returns false.
    template <class F>
    void ForEach(F f) const {
        std::size_t n = 0;
        for (const auto& block : blocks_)
            for (Value v : block)
                if (!f(n++, v)) return;
    }

  private:
    static constexpr std::size_t kBlock = 512;

    std::pair<std::size_t, std::size_t> Find(std::size_t at) const {
        std::size_t b = 0;
        while (at >= sizes_[b]) at -= sizes_[b++];
        return {b, at};
    }

    std::vector<std::vector<Value>> blocks_, spare_;
    std::vector<std::uint32_t> sizes_;  // of each block, side by side for Find's walk
    std::size_t size_ = 0;
};

// What a comparison of a line or a slip with the books looks at, in 64 bits: a line's
// entry (every byte but the balance, which the records of later lines move) and a
// slip's bytes with their count. Two that differ give the same fingerprint by chance
// once in 2^64, so a slot compares without keeping a copy of its bytes: a history of
// 20,000 changes replays in a few pages of memory.
class Fingerprint {
  public:
    static constexpr SlotList::Value kNotALine = 1;  // new bytes of another size than a line's

    void Add(std::span<const std::byte> bytes) {
        std::size_t i = 0;
        for (; i + 8 <= bytes.size(); i += 8) {
            std::uint64_t w;
            std::memcpy(&w, bytes.data() + i, 8);
            Mix(w);
        }
        std::uint64_t tail = 0;
        for (std::size_t k = 0; i + k < bytes.size(); ++k)
            tail |= std::to_integer<std::uint64_t>(bytes[i + k]) << (8 * k);
        Mix(tail ^ (std::uint64_t{bytes.size()} << 56));
    }
    // Never 0 (unknown) nor kNotALine.
    SlotList::Value Value() const {
        std::uint64_t h = h_ ^ (h_ >> 31);
        h *= 0x94d049bb133111ebULL;
        h ^= h >> 29;
        return h > kNotALine ? h : h + 2;
    }

    static SlotList::Value OfLine(std::span<const std::byte> line) {
        if (line.size() != kLedgerLineSize) return kNotALine;
        // The entry's bytes side by side in five words, the rest zeros.
        std::array<std::byte, 40> entry{};
        std::memcpy(entry.data(), line.data(), kLedgerZandakaOffset);
        std::memcpy(entry.data() + kLedgerZandakaOffset, line.data() + kLedgerBikouOffset,
                    kLedgerLineSize - kLedgerBikouOffset);
        Fingerprint f;
        f.Add(entry);
        return f.Value();
    }
    static SlotList::Value OfSlip(std::span<const std::byte> slip) {
        Fingerprint f;
        f.Add(slip);
        return f.Value();
    }

  private:
    void Mix(std::uint64_t w) {
        h_ = (h_ ^ w) * 0xbf58476d1ce4e5b9ULL;
        h_ ^= h_ >> 27;
    }
    std::uint64_t h_ = 0x9e3779b97f4a7c15ULL;
};

// A book's lines or slips as the records give them, from the first record on: each
// slot holds the fingerprint of the new bytes last given for it. A slot the records
// never gave (a line or slip from before the history began) is unknown.
struct Replayed {
    SlotList slots;
    bool countKnown = false;  // an addition at the end told how many there were
    std::uint32_t last = 0;   // the last record played
    void Reach(std::size_t n) {
        if (slots.size() < n) slots.Resize(n);
    }
};

void PlayCashBook(Replayed& b, const HistoryRecordView& r) {
    const auto t = static_cast<std::size_t>(r.Target);
    switch (r.Operation) {
        case HistoryOperation::CashBookPost:
            // Added after the last line: there were t - 1 lines.
            b.slots.Resize(t - 1);
            b.slots.Insert(t - 1, Fingerprint::OfLine(r.NewBytes));
            b.countKnown = true;
            break;
        case HistoryOperation::CashBookInsert:
            b.Reach(t - 1);
            b.slots.Insert(t - 1, Fingerprint::OfLine(r.NewBytes));
            break;
        case HistoryOperation::CashBookDelete:
            b.Reach(t);
            b.slots.Erase(t - 1);
            break;
        case HistoryOperation::CashBookChange: {
            b.Reach(t);
            b.slots.Slot(t - 1) = Fingerprint::OfLine(r.NewBytes);
            break;
        }
        default:
            return;
    }
    b.last = r.Sequence;
}

void PlaySlips(Replayed& b, const HistoryRecordView& r) {
    const auto t = static_cast<std::size_t>(r.Target);
    switch (r.Operation) {
        case HistoryOperation::SlipAdd:
            if (r.UndoOf == 0) {
                // A slip kept is added after the last one: there were t - 1 slips.
                b.slots.Resize(t - 1);
                b.countKnown = true;
            } else {
                b.Reach(t - 1);  // a deletion undone puts the slip back where it was
            }
            b.slots.Insert(t - 1, Fingerprint::OfSlip(r.NewBytes));
            break;
        case HistoryOperation::SlipDelete:
            b.Reach(t);
            b.slots.Erase(t - 1);
            break;
        case HistoryOperation::SlipChange: {
            b.Reach(t);
            b.slots.Slot(t - 1) = Fingerprint::OfSlip(r.NewBytes);
            break;
        }
        default:
            return;
    }
    b.last = r.Sequence;
}

std::string CutWords() { return "（履歴の末尾が切り取られたおそれがあります）"; }
std::string CutWordsEn() { return " (the end of the history may have been cut off)"; }

// The first place where the book differs from what the records give, or none. The
// book holds `count` lines or slips; held(i) gives the bytes of the i-th (0-based).
template <class Held>
std::optional<HistoryCheckFinding> Compare(const Replayed& b, std::size_t count, Held held, bool lines) {
    if (b.last == 0) return std::nullopt;  // no record of this book
    const char* unit = lines ? "行" : "件";
    const std::string book = lines ? "出納簿" : "振替伝票";
    const std::string bookEn = lines ? "the cash book" : "the slip book";
    const std::string last = "履歴の" + book + "の最後の記録 " + N(b.last);
    const std::string lastEn = "after record " + N(b.last) + ", the last of " + bookEn + " in the history,";
    if ((b.countKnown && count != b.slots.size()) || count < b.slots.size())
        return HistoryCheckFinding{
            b.last,
            last + " の後は " + N(b.slots.size()) + " " + unit + "ですが、" + book + "には " +
                N(count) + " " + unit + "あります" + CutWords() + "。",
            lastEn + " it holds " + N(b.slots.size()) + (lines ? " lines" : " slips") + ", but has " +
                N(count) + CutWordsEn() + "."};
    std::optional<HistoryCheckFinding> out;
    b.slots.ForEach([&](std::size_t i, SlotList::Value want) {
        if (want == SlotList::kUnknown) return true;
        if (want == (lines ? Fingerprint::OfLine(held(i)) : Fingerprint::OfSlip(held(i)))) return true;
        const std::string which = lines ? N(i + 1) + " 行目" : "振替伝票 " + N(i + 1);
        const std::string whichEn = lines ? "line " + N(i + 1) : "slip " + N(i + 1);
        out = HistoryCheckFinding{
            b.last,
            which + "は、" + last + " の後の内容と違います" + CutWords() + "。",
            whichEn + " is not what it was " + lastEn.substr(0, lastEn.size() - 1) + CutWordsEn() + "."};
        return false;
    });
    return out;
}

}  // namespace

struct HistoryCheckReading::Books {
    Replayed cash, slip;
};

HistoryCheckReading::HistoryCheckReading() : books_(std::make_unique<Books>()) {}
HistoryCheckReading::~HistoryCheckReading() = default;

void HistoryCheckReading::Add(const HistoryRecordView& r) {
    if (auto [ja, en] = WhyImpossible(r); !ja.empty()) impossible_.push_back({r.Sequence, std::move(ja), std::move(en)});
    // Records that could not have been written say nothing of the books: after the
    // first, the books are not played on.
    if (!impossible_.empty()) return;
    PlayCashBook(books_->cash, r);
    PlaySlips(books_->slip, r);
}

std::vector<HistoryCheckFinding> HistoryCheckReading::AgainstBooks(std::span<const std::byte> ledger,
                                                                   std::span<const std::byte> slips) const {
    std::vector<HistoryCheckFinding> out;
    if (!impossible_.empty()) return out;
    std::size_t lines = 0;
    if (auto header = DecodeLedgerHeader(ledger); header && ledger.size() >= kLedgerHeaderSize) {
        const std::size_t held = (ledger.size() - kLedgerHeaderSize) / kLedgerLineSize;
        lines = std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(header->LineCount, 0)), held);
    }
    const auto line = [ledger](std::size_t i) {
        return ledger.subspan(LedgerLineOffset(static_cast<int>(i + 1)), kLedgerLineSize);
    };
    std::vector<Bytes> stored;
    for (std::size_t i = 0;; ++i) {
        Bytes one = StoredSlip(slips, i);
        if (one.empty()) break;
        stored.push_back(std::move(one));
    }
    const auto slip = [&stored](std::size_t i) { return std::span<const std::byte>(stored[i]); };
    if (auto f = Compare(books_->cash, lines, line, true)) out.push_back(std::move(*f));
    if (auto f = Compare(books_->slip, stored.size(), slip, false)) out.push_back(std::move(*f));
    return out;
}

std::vector<HistoryCheckFinding> ImpossibleHistoryRecords(const std::vector<HistoryRecord>& records) {
    HistoryCheckReading reading;
    for (const HistoryRecord& r : records) reading.Add(ViewOf(r));
    return reading.Impossible();
}

bool HistoryHoldsNoRecord(std::span<const std::byte> bytes) {
    return bytes.empty() ||
           (bytes.size() == kHistoryHeaderSize &&
            std::memcmp(bytes.data(), kHistoryFileMark, kHistoryHeaderSize) == 0);
}

std::vector<HistoryCheckFinding> HistoryAgainstBooks(const std::vector<HistoryRecord>& records,
                                                     std::span<const std::byte> ledger,
                                                     std::span<const std::byte> slips) {
    HistoryCheckReading reading;
    for (const HistoryRecord& r : records) reading.Add(ViewOf(r));
    return reading.AgainstBooks(ledger, slips);
}

}  // namespace tabulo
