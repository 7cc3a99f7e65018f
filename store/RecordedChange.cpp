#include "store/RecordedChange.h"

#include <algorithm>
#include <optional>

#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"

namespace tabulo {

std::filesystem::path YearJournalPath(const SharedState& s) {
    return YearFilePath(s, YearFileKind::RedoLog);
}

Result<std::uint32_t> CommitRecorded(const SharedState& s, const StagedFile& file,
                                     std::vector<HistoryRecord> records) {
    if (file.existed && file.before == file.after) return std::uint32_t{0};
    const std::filesystem::path historyPath = HistoryPath(s);
    const std::string when = HistoryNow(s);
    for (HistoryRecord& r : records) r.When = when;
    std::vector<FileChange> changes{file.Change()};
    std::optional<HistoryAppend> history;
    if (!records.empty()) {
        auto staged = HistoryAppend::Stage(historyPath, records);
        if (!staged) {
            FileError e = staged.error();
            e.path = historyPath.string();
            e.detail = "履歴ファイル " + historyPath.filename().string() + " に記録できないため、" +
                       file.path.filename().string() + " は保存しませんでした。" + e.detail;
            e.writing = true;
            e.applied = false;
            return e;
        }
        history = std::move(*staged);
        changes.push_back(history->Change());
    }
    if (Status st = CommitChanges(YearJournalPath(s), changes); !st) return st.error();
    return history ? history->FirstSequence() : std::uint32_t{0};
}

std::vector<HistoryRecord> DepositChangeRecords(std::span<const std::byte> before,
                                                std::span<const std::byte> after) {
    std::vector<std::byte> cleared;
    const auto whole = [&](std::span<const std::byte> bytes) {
        if (bytes.size() >= kDepositBookSize) return bytes;
        if (cleared.empty()) cleared = *EncodeDepositBook(ClearedDepositBook());
        return std::span<const std::byte>(cleared);
    };
    const auto old = whole(before);
    const auto now = whole(after);
    std::vector<HistoryRecord> records;
    for (int slot = 0; slot < kAccountSlots; ++slot) {
        auto a = DepositAccountBytes(old, slot);
        auto b = DepositAccountBytes(now, slot);
        // An account changed when its own fields did; the totals that follow them in
        // its bytes move with every account, and are recorded with the one that moved.
        const auto own = static_cast<std::ptrdiff_t>(kDepositAccountBytes - 8);
        if (std::equal(a.begin(), a.begin() + own, b.begin())) continue;
        HistoryRecord r;
        r.Operation = HistoryOperation::DepositChange;
        r.Target = slot;
        r.OldBytes = std::move(a);
        r.NewBytes = std::move(b);
        records.push_back(std::move(r));
    }
    return records;
}

}  // namespace tabulo
