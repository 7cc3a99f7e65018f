#include "cashbook/Undo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "cashbook/Ledger.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"

namespace tabulo {

namespace {

using Bytes = std::vector<std::byte>;

bool IsCashBookRecord(HistoryOperation op) {
    return op == HistoryOperation::CashBookPost || op == HistoryOperation::CashBookChange ||
           op == HistoryOperation::CashBookInsert || op == HistoryOperation::CashBookDelete;
}

// The entry fields of a stored line: all of its bytes but the balance.
bool SameEntry(const std::byte* a, const std::byte* b) {
    return std::memcmp(a, b, kLedgerZandakaOffset) == 0 &&
           std::memcmp(a + kLedgerBikouOffset, b + kLedgerBikouOffset,
                       kLedgerLineSize - kLedgerBikouOffset) == 0;
}

Bytes LineOf(const Bytes& file, int n) {
    const std::size_t at = LedgerLineOffset(n);
    if (n < 1 || at + kLedgerLineSize > file.size()) return {};
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at),
                 file.begin() + static_cast<std::ptrdiff_t>(at + kLedgerLineSize));
}

UndoOutcome Refused(std::string why) { return UndoOutcome{false, std::move(why), 0}; }

std::string ChangedSince(const SharedState& s) {
    return "出納帳のファイル（" + DisplayPath(s, s.LedgerPath.string()) +
           "）がこの操作の後にほかから変更されているため、元に戻せません。";
}

std::string LineChanged(std::size_t at) {
    const auto n = static_cast<int>((at - kLedgerHeaderSize) / kLedgerLineSize) + 1;
    return "出納帳の " + std::to_string(n) + " 行目がこの操作の後に変更されているため、元に戻せません。";
}

// Why the ledger no longer holds what the operation left, or "" when it does. Only
// entry fields count: a balance the walks recomputed since is no change.
std::string LedgerRefusal(const SharedState& s, const LedgerImage& image, const Bytes& now) {
    if (now.size() != image.newLength || image.headerAfter.size() < 2 || now.size() < 2 ||
        std::memcmp(now.data(), image.headerAfter.data(), 2) != 0)  // the line count
        return ChangedSince(s);
    std::size_t from = 0;
    for (std::size_t i = 0; i < image.runAt.size(); ++i) {
        const std::size_t at = image.runAt[i], size = image.runSize[i];
        const std::byte* after = image.runAfter.data() + from;
        from += size;
        if ((at - kLedgerHeaderSize) % kLedgerLineSize != 0) continue;  // a balance alone
        const bool same = size == kLedgerLineSize ? SameEntry(now.data() + at, after)
                                                  : std::memcmp(now.data() + at, after, size) == 0;
        if (!same) return LineChanged(at);
    }
    // The lines it added.
    for (std::size_t at = image.oldLength; at < image.newLength; ++at) {
        if (now[at] == image.grown[at - image.oldLength]) continue;
        const std::size_t line = at < kLedgerHeaderSize ? at
                                                        : at - (at - kLedgerHeaderSize) % kLedgerLineSize;
        const std::size_t offset = (at - kLedgerHeaderSize) % kLedgerLineSize;
        if (at >= kLedgerHeaderSize && offset >= kLedgerZandakaOffset && offset < kLedgerBikouOffset)
            continue;  // a balance
        return line < kLedgerHeaderSize ? ChangedSince(s) : LineChanged(line);
    }
    return {};
}

// The ledger as it was before the operation, from the file as it is now.
Bytes LedgerBefore(const LedgerImage& image, const Bytes& now) {
    Bytes out = now;
    out.resize(image.oldLength, std::byte{0});
    std::copy(image.headerBefore.begin(), image.headerBefore.end(), out.begin());
    std::size_t from = 0;
    for (std::size_t i = 0; i < image.runAt.size(); ++i) {
        std::memcpy(out.data() + image.runAt[i], image.runBefore.data() + from, image.runSize[i]);
        from += image.runSize[i];
    }
    return out;
}

// The balances of `ledger` from line `from` on, as a post works them out: under the
// master as it is now (an item's category may have changed since the operation),
// going on from the stored balance of the line before. The lines before `from` are
// left as they are. An overflow is an error and nothing is changed.
Status WalkBalancesFrom(const SharedState& s, Bytes& ledger, int from) {
    auto header = DecodeLedgerHeader(ledger);
    if (!header) return Ok();  // no lines to walk
    const std::size_t held = ledger.size() < kLedgerHeaderSize
                                 ? 0
                                 : (ledger.size() - kLedgerHeaderSize) / kLedgerLineSize;
    const int count = std::min(static_cast<int>(header->LineCount), static_cast<int>(held));
    ReferenceBalance walk(*header, s.ItemTable);
    Bytes walked = ledger;
    for (int n = 1; n <= count; ++n) {
        std::byte* at = walked.data() + LedgerLineOffset(n);
        const StoredLedgerLine line(at);
        std::string decoded;
        std::string_view date;
        if (line.PlainDate()) {
            date = line.DateBytes();
        } else if (auto text = line.Date()) {
            decoded = std::move(*text);
            date = decoded;
        }
        const RawLineFields fields = line.Fields();
        auto z = walk.Next(n, fields, date);
        if (n < from) {
            walk.ContinueFrom(fields.zandaka);
            continue;
        }
        if (!z) return z.error();
        if (*z != fields.zandaka) PutRawAmount(at + kLedgerZandakaOffset, *z);
    }
    ledger = std::move(walked);
    return Ok();
}

FileChange WholeFileChange(const std::filesystem::path& path, const Bytes& before,
                           const Bytes& after) {
    FileChange c;
    c.path = path;
    c.existed = true;
    c.before = before;
    c.after = after;
    // The whole of the new contents; a file made shorter is cut to its new length.
    c.ranges.push_back({0, after.size()});
    return c;
}

}  // namespace

Result<UndoOutcome> UndoLastCashBookOperation(SharedState& s, CashBookUndoList& steps) {
    if (steps.empty()) return Refused(kNothingToUndoMessage);
    const CashBookUndoStep& step = steps.back();
    if (step.LedgerPath != s.LedgerPath)
        return Refused("この操作は別の年度の出納帳のものなので、元に戻せません。");
    if (s.ReadOnly) return FileErrorFromErrno(EROFS, s.LedgerPath.string(), true);
    // A journal left behind is settled first, so that the files read are the books.
    if (Status st = SettleBeforeWrite(s); !st) return st.error();

    auto ledger = OpenYearLedger(s);
    if (!ledger) return ledger.error();
    const Bytes now(ledger->Bytes().begin(), ledger->Bytes().end());
    if (std::string why = LedgerRefusal(s, step.Ledger, now); !why.empty()) return Refused(why);
    Bytes restored = LedgerBefore(step.Ledger, now);
    // The entries come back as they were; their balances follow today's master, as
    // after any post (a 集計 since may have worked them out under another category).
    int firstLine = 0;
    for (const HistoryRecord& r : step.Records)
        if (IsCashBookRecord(r.Operation))
            firstLine = firstLine == 0 ? r.Target : std::min(firstLine, r.Target);
    if (firstLine > 0)
        if (Status st = WalkBalancesFrom(s, restored, firstLine); !st) return st.error();

    // The deposit account the operation corrected, unless it has changed since.
    std::optional<HistoryRecord> depositRecord;
    for (const HistoryRecord& r : step.Records)
        if (r.Operation == HistoryOperation::DepositChange) depositRecord = r;
    Bytes depositNow, depositRestored;
    if (depositRecord) {
        auto read = ReadWholeFile(s.DepositPath, kMaxDepositFileSize);
        if (!read) {
            FileError e = read.error();
            e.path = s.DepositPath.string();
            return e;
        }
        depositNow = std::move(*read);
        if (DepositAccountBytes(depositNow, depositRecord->Target) != depositRecord->NewBytes)
            return Refused("預金口座 " + std::to_string(depositRecord->Target) +
                           " がこの操作の後に変更されているため、元に戻せません。");
        depositRestored = depositNow;
        PutDepositAccountBytes(depositRestored, depositRecord->Target, depositRecord->OldBytes);
    }

    // The undo's records, the operation's taken back last first.
    std::vector<HistoryRecord> undo;
    const std::string when = HistoryNow(s);
    for (auto r = step.Records.rbegin(); r != step.Records.rend(); ++r) {
        HistoryRecord u{0, when, r->Operation, r->Target, r->Sequence, {}, {}};
        if (IsCashBookRecord(r->Operation)) {
            switch (r->Operation) {
            case HistoryOperation::CashBookPost:
            case HistoryOperation::CashBookInsert:
                u.Operation = HistoryOperation::CashBookDelete;
                u.OldBytes = LineOf(now, r->Target);
                break;
            case HistoryOperation::CashBookDelete:
                u.Operation = HistoryOperation::CashBookInsert;
                u.NewBytes = LineOf(restored, r->Target);
                break;
            default:
                u.OldBytes = LineOf(now, r->Target);
                u.NewBytes = LineOf(restored, r->Target);
                break;
            }
        } else {
            u.OldBytes = r->NewBytes;
            u.NewBytes = r->OldBytes;
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
    changes.push_back(WholeFileChange(s.LedgerPath, now, restored));
    if (depositRecord) changes.push_back(WholeFileChange(s.DepositPath, depositNow, depositRestored));
    changes.push_back(history->Change());
    if (Status st = CommitChanges(JournalPathFor(s.LedgerPath), changes); !st) return st.error();

    // The state follows the files.
    s.BalanceMark = LedgerBalanceMark{};
    if (auto header = DecodeLedgerHeader(restored); header)
        s.LedgerHeader = *header;
    else
        s.LedgerHeader = LedgerHeaderRecord{};
    if (depositRecord)
        if (auto book = DecodeDepositBook(depositRestored); book) s.DepositBook = *book;
    steps.pop_back();
    return UndoOutcome{true, {}, firstLine};
}

}  // namespace tabulo
