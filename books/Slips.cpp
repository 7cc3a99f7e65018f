#include "books/Slips.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "cashbook/Overflow.h"

#include "books/TrialBalance.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/History.h"
#include "store/RecordedChange.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/FileLimits.h"

namespace tabulo {
namespace {

FileError Refused(const SharedState& s, std::string why) {
    return FileError{FileErrorCode::BadFormat, SlipBookPath(s).string(), std::move(why), true};
}

HistoryRecord Record(HistoryOperation op, std::int32_t target, std::vector<std::byte> old,
                     std::vector<std::byte> now, std::uint32_t undoOf = 0) {
    HistoryRecord r;
    r.Operation = op;
    r.Target = target;
    r.UndoOf = undoOf;
    r.OldBytes = std::move(old);
    r.NewBytes = std::move(now);
    return r;
}

// The file at `path` as it holds it now, and `after` to replace it.
Result<StagedFile> StageWholeFile(const std::filesystem::path& path, std::vector<std::byte> after) {
    StagedFile staged;
    staged.path = path;
    auto before = ReadWholeFile(
        staged.path, static_cast<std::size_t>(FileSizeLimit(staged.path.filename().string())));
    if (!before) return before.error();
    std::error_code ec;
    staged.existed = !before->empty() || std::filesystem::exists(staged.path, ec);
    staged.before = std::move(*before);
    staged.after = std::move(after);
    return staged;
}

// What a change to the book records in the history, from the file's bytes before and
// after it.
using Describe = std::function<std::vector<HistoryRecord>(std::span<const std::byte> before,
                                                          std::span<const std::byte> after)>;

// The records of a slip added, changed or deleted at `index`.
Describe SlipRecords(HistoryOperation op, std::size_t index) {
    return [op, index](std::span<const std::byte> before, std::span<const std::byte> after) {
        const bool hadIt = op != HistoryOperation::SlipAdd;
        const bool hasIt = op != HistoryOperation::SlipDelete;
        return std::vector<HistoryRecord>{
            Record(op, static_cast<std::int32_t>(index + 1),
                   hadIt ? StoredSlip(before, index) : std::vector<std::byte>{},
                   hasIt ? StoredSlip(after, index) : std::vector<std::byte>{})};
    };
}

// One record for each account whose opening balance was set, changed or cleared.
std::vector<HistoryRecord> OpeningRecords(std::span<const std::byte> before,
                                          std::span<const std::byte> after) {
    std::map<std::int16_t, std::pair<std::vector<std::byte>, std::vector<std::byte>>> byAccount;
    for (auto& [code, balance] : StoredOpenings(before)) byAccount[code].first = std::move(balance);
    for (auto& [code, balance] : StoredOpenings(after)) byAccount[code].second = std::move(balance);
    std::vector<HistoryRecord> records;
    for (auto& [code, change] : byAccount)
        if (change.first != change.second)
            records.push_back(Record(HistoryOperation::OpeningChange, code, std::move(change.first),
                                     std::move(change.second)));
    return records;
}

// Where slip i of the changed book was in the file before a change: the same place,
// one place on after a slip deleted before it, none for a slip added.
struct SlipPlaces {
    HistoryOperation op = HistoryOperation::SlipChange;
    std::size_t index = 0;
    std::optional<std::size_t> Before(std::size_t i) const {
        if (op == HistoryOperation::SlipAdd && i == index) return std::nullopt;
        if (op == HistoryOperation::SlipDelete && i >= index) return i + 1;
        return i;
    }
};

// A slip that the change leaves as it was keeps the bytes the file holds for it, also
// when the writer would write it otherwise (a file from another writer: CP932 gives
// some characters two codes): a change writes only what it changes, and the history
// records exactly the bytes that change.
void KeepStoredSlips(std::span<const std::byte> before, std::vector<std::byte>& after,
                     const SlipBook& changed, const SlipPlaces& places) {
    auto held = DecodeSlipBook(before, {});
    if (!held) return;  // nothing can be matched in a file that does not read
    const std::size_t from = kSlipHeaderSize + kOpeningRecordSize * held->Openings.size();
    const std::size_t to = kSlipHeaderSize + kOpeningRecordSize * changed.Openings.size();
    for (std::size_t i = 0; i < changed.Slips.size(); ++i) {
        const std::optional<std::size_t> j = places.Before(i);
        if (!j || *j >= held->Slips.size() || held->Slips[*j] != changed.Slips[i]) continue;
        std::copy_n(before.begin() + static_cast<std::ptrdiff_t>(from + kSlipRecordSize * *j),
                    kSlipRecordSize, after.begin() + static_cast<std::ptrdiff_t>(to + kSlipRecordSize * i));
    }
}

// The changed book is checked whole, as the trial balance will read it, then saved
// with its history records; the book in memory follows what the file holds. Gives
// the file as written and the Sequence of the first record (0: nothing changed).
struct Saved {
    StagedFile file;
    std::uint32_t sequence = 0;
};
Result<Saved> SaveChecked(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                          SlipBook changed, const Describe& describe, const SlipPlaces& places) {
    if (std::string why = SlipBookFault(changed); !why.empty()) return Refused(s, why);
    auto tb = BuildTrialBalance(s, changed, chosen);
    if (!tb) return tb.error();
    // An interrupted operation is settled first, so that the file is read as it stands.
    if (Status settled = SettleBeforeWrite(s); !settled) return settled.error();
    auto bytes = EncodeSlipBook(changed);
    if (!bytes) {
        FileError e = bytes.error();
        e.path = SlipBookPath(s).string();
        return e;
    }
    auto staged = StageWholeFile(SlipBookPath(s), std::move(*bytes));
    if (!staged) return staged.error();
    KeepStoredSlips(staged->before, staged->after, changed, places);
    auto sequence = CommitRecorded(s, *staged, describe(staged->before, staged->after));
    if (!sequence) return sequence.error();
    // The book as the file now holds it.
    if (auto written = DecodeSlipBook(staged->after, staged->path.string())) changed = std::move(*written);
    book = std::move(changed);
    return Saved{std::move(*staged), *sequence};
}

// Remembers a slip operation for 元に戻す.
void RememberSlip(SlipUndoList* undo, HistoryOperation op, std::size_t index, const Saved& saved) {
    if (undo == nullptr || saved.sequence == 0) return;  // nothing changed, nothing to undo
    SlipUndoStep step;
    step.Operation = static_cast<std::int16_t>(op);
    step.Target = static_cast<std::int32_t>(index + 1);
    step.Sequence = saved.sequence;
    if (op != HistoryOperation::SlipAdd) step.OldBytes = StoredSlip(saved.file.before, index);
    if (op != HistoryOperation::SlipDelete) step.NewBytes = StoredSlip(saved.file.after, index);
    step.File = saved.file.path;
    step.FileSize = saved.file.after.size();
    step.FileCheck = HistoryCrc32(saved.file.after);
    undo->push_back(std::move(step));
}

// Saves a slip added, changed or deleted at `index`, with its history record, and
// remembers it for 元に戻す in `undo`.
Status SaveSlipOperation(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                         SlipBook changed, HistoryOperation op, std::size_t index,
                         SlipUndoList* undo) {
    auto saved = SaveChecked(s, chosen, book, std::move(changed), SlipRecords(op, index),
                             SlipPlaces{op, index});
    if (!saved) return saved.error();
    RememberSlip(undo, op, index, *saved);
    return Ok();
}

// Why a slip cannot be kept in this year, or "".
std::string SlipYearFault(const SharedState& s, const TransferSlip& slip) {
    if (std::string why = SlipFault(slip); !why.empty()) return why;
    if (slip.SlipDate.substr(0, 2) != YearTag(s.FiscalYear) ||
        WeekdayText(slip.SlipDate, s.EraName).empty())
        return kSlipYearMessage;
    return {};
}

}  // namespace

Status KeepSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                const TransferSlip& slip, SlipUndoList* undo) {
    if (std::string why = SlipYearFault(s, slip); !why.empty()) return Refused(s, why);
    SlipBook changed = book;
    changed.Slips.push_back(slip);
    const std::size_t index = changed.Slips.size() - 1;
    return SaveSlipOperation(s, chosen, book, std::move(changed), HistoryOperation::SlipAdd, index, undo);
}

Status ChangeSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                  std::size_t index, const TransferSlip& slip, SlipUndoList* undo) {
    if (index >= book.Slips.size()) return Refused(s, "その振替伝票はありません。");
    if (std::string why = SlipYearFault(s, slip); !why.empty()) return Refused(s, why);
    SlipBook changed = book;
    changed.Slips[index] = slip;
    return SaveSlipOperation(s, chosen, book, std::move(changed), HistoryOperation::SlipChange, index, undo);
}

Status DeleteSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                  std::size_t index, SlipUndoList* undo) {
    if (index >= book.Slips.size()) return Refused(s, "その振替伝票はありません。");
    SlipBook changed = book;
    changed.Slips.erase(changed.Slips.begin() + static_cast<std::ptrdiff_t>(index));
    return SaveSlipOperation(s, chosen, book, std::move(changed), HistoryOperation::SlipDelete, index, undo);
}

Status UndoSlip(SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                SlipUndoList& undoList) {
    if (undoList.empty()) return Refused(s, kNothingToUndoMessage);
    const SlipUndoStep& step = undoList.back();
    const auto op = static_cast<HistoryOperation>(step.Operation);
    const std::string number = "振替伝票 " + std::to_string(step.Target);
    if (Status settled = SettleBeforeWrite(s); !settled) return settled;
    auto staged = StageWholeFile(SlipBookPath(s), {});
    if (!staged) return staged.error();
    const std::vector<std::byte>& now = staged->before;
    const auto index = static_cast<std::size_t>(step.Target - 1);
    // The slip itself first, so that the message says the more useful thing.
    if (op != HistoryOperation::SlipDelete && StoredSlip(now, index) != step.NewBytes)
        return Refused(s, number + " はその後また変更されているため、元に戻せません。");
    if (step.File != staged->path || now.size() != step.FileSize ||
        HistoryCrc32(now) != step.FileCheck)
        return Refused(s, "振替伝票のファイルがその後ほかで変更されているため、" + number +
                              " の操作は元に戻せません。");
    // The file as it was before the operation: the slip's bytes taken out, put back or
    // put in again where they were, and the count with them.
    std::vector<std::byte> before = now;
    const std::size_t slipsAt = kSlipHeaderSize + kOpeningRecordSize * StoredOpenings(now).size();
    const auto pos = before.begin() + static_cast<std::ptrdiff_t>(slipsAt + kSlipRecordSize * index);
    auto count = static_cast<std::int32_t>((now.size() - slipsAt) / kSlipRecordSize);
    HistoryOperation undo = op;
    switch (op) {
        case HistoryOperation::SlipAdd:
            before.erase(pos, pos + static_cast<std::ptrdiff_t>(kSlipRecordSize));
            count -= 1;
            undo = HistoryOperation::SlipDelete;
            break;
        case HistoryOperation::SlipChange:
            std::copy(step.OldBytes.begin(), step.OldBytes.end(), pos);
            break;
        default:
            before.insert(pos, step.OldBytes.begin(), step.OldBytes.end());
            count += 1;
            undo = HistoryOperation::SlipAdd;
            break;
    }
    StoreLittleEndian(before.data() + 6, static_cast<std::uint32_t>(count), 4);
    auto restored = DecodeSlipBook(before, staged->path.string());
    if (!restored) return restored.error();
    // The year's figures are read again with the slip as it was: the cash book may
    // have changed since.
    auto tb = BuildTrialBalance(s, *restored, chosen);
    if (!tb) return tb.error();
    staged->after = std::move(before);
    const HistoryRecord record =
        Record(undo, step.Target, step.NewBytes, step.OldBytes, step.Sequence);
    auto sequence = CommitRecorded(s, *staged, {record});
    if (!sequence) return sequence.error();
    if (*sequence == 0) {
        // The file already held what the undo would write: nothing was written and
        // nothing recorded, which is no undo to report.
        undoList.pop_back();
        return Refused(s, number + " の操作はファイルを変えていないため、元に戻すものがありません。");
    }
    book = std::move(*restored);
    undoList.pop_back();
    return Ok();
}

std::vector<std::size_t> SlipsByDate(const SlipBook& book) {
    std::vector<std::size_t> order(book.Slips.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return book.Slips[a].SlipDate < book.Slips[b].SlipDate;
    });
    return order;
}

Result<OpeningSides> SumOpenings(const std::vector<OpeningBalance>& openings) {
    std::int64_t debit = 0, credit = 0;
    for (const OpeningBalance& o : openings) (DebitNormal(o.AccountCode) ? debit : credit) += o.Balance;
    auto d = CheckedAmount(debit), c = CheckedAmount(credit);
    if (!d || !c) return OverflowError();
    return OpeningSides{*d, *c};
}

Result<Amount> BalancingCapital(const std::vector<OpeningBalance>& openings) {
    std::int64_t capital = 0;
    for (const OpeningBalance& o : openings) {
        if (o.AccountCode == AccountCode::Capital) continue;
        capital += DebitNormal(o.AccountCode) ? std::int64_t{o.Balance} : -std::int64_t{o.Balance};
    }
    // The lowest 32-bit value has no opposite: the books negate balances.
    auto amount = CheckedAmount(capital);
    if (!amount || *amount == INT32_MIN) return OverflowError();
    return *amount;
}

Status KeepItemAccounts(const SharedState& s, const SlipBook& book, ItemAccountArray& chosen,
                        const ItemAccountArray& changed) {
    if (std::string why = ItemAccountsFault(changed); !why.empty())
        return FileError{FileErrorCode::BadFormat, ItemAccountsPath(s).string(), why, true};
    auto tb = BuildTrialBalance(s, book, changed);
    if (!tb) return tb.error();
    if (Status settled = SettleBeforeWrite(s); !settled) return settled;
    auto staged = StageWholeFile(ItemAccountsPath(s), EncodeItemAccounts(changed));
    if (!staged) return staged.error();
    // The accounts the file held: those in memory when it cannot be read as such.
    ItemAccountArray held = chosen;
    if (staged->before.empty()) held = ItemAccountArray{};
    else if (auto decoded = DecodeItemAccounts(staged->before, staged->path.string())) held = *decoded;
    std::vector<HistoryRecord> records;
    const auto code = [](int c) {
        const auto u = static_cast<std::uint16_t>(c);
        return std::vector<std::byte>{static_cast<std::byte>(u & 0xFF), static_cast<std::byte>(u >> 8)};
    };
    for (int i = 1; i <= kItemCount; ++i) {
        const auto n = static_cast<std::size_t>(i);
        if (held[n] != changed[n])
            records.push_back(Record(HistoryOperation::ItemAccountChange, i, code(held[n]),
                                     code(changed[n])));
    }
    auto sequence = CommitRecorded(s, *staged, std::move(records));
    if (!sequence) return sequence.error();
    chosen = changed;
    return Ok();
}

Status KeepOpenings(const SharedState& s, const ItemAccountArray& chosen, SlipBook& book,
                    const std::vector<OpeningBalance>& openings) {
    SlipBook changed = book;
    changed.Openings = openings;
    auto saved = SaveChecked(s, chosen, book, std::move(changed), OpeningRecords,
                             SlipPlaces{HistoryOperation::SlipChange, 0});
    if (!saved) return saved.error();
    return Ok();
}

}  // namespace tabulo
