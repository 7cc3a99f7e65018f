#include "cli/YearFolder.h"

#include <system_error>

#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/SharedState.h"
#include "store/FileLimits.h"

namespace tabulo {

std::filesystem::path LedgerJournalPath(const SharedState& s) {
    return JournalPathFor(s.LedgerPath);
}

std::filesystem::path YearFolderOf(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::exists(folder / YearFileName(YearFileKind::FiscalYear, 0), ec) &&
        std::filesystem::exists(folder / "KEIRIDATA" / YearFileName(YearFileKind::FiscalYear, 0), ec)) {
        return folder / "KEIRIDATA";
    }
    return folder;
}

Status OpenYearFolder(SharedState& s, const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return FileError{FileErrorCode::PathNotFound, folder.string(),
                         "データフォルダーが見つかりません。", false};
    }
    FillKubunNames(s);
    s.ReadOnly = true;
    s.DataFolder = YearFolderOf(folder);
    s.DataFolderDisplay = s.DataFolder.string();
    s.FiscalYearPath = s.DataFolder / YearFileName(YearFileKind::FiscalYear, 0);
    auto year = ReadFiscalYearFile(s);
    if (!year) return year.error();
    if (!*year || s.FiscalYear <= 0) {
        return FileError{FileErrorCode::FileNotFound, s.FiscalYearPath.string(),
                         "年度ファイルが有りません！！", false};
    }
    SetYearPaths(s);
    return LoadMaster(s);
}

bool JournalPresent(const SharedState& s) {
    // The journal file stays between operations; only one whose mark is set counts.
    return JournalIsLive(LedgerJournalPath(s));
}

std::string JournalMessage(const SharedState& s) {
    auto verdict = InspectJournal(LedgerJournalPath(s));
    if (!verdict) return kJournalMessage;
    switch (*verdict) {
        case Recovery::Completed:
            // A redo log's records may not be in the files yet: the read writes them.
            return "終わった操作のうち、まだファイルに書き込まれていないかもしれない操作のジャーナルがあります。"
                   "プログラムでデータを読み込むと、ジャーナルの操作がファイルに書き込まれてから、"
                   "ジャーナルは削除されます。";
        case Recovery::SetAside:
            return "中断された操作のジャーナルがありますが、今のデータには当てはまりません。"
                   "プログラムでデータを読み込むと、データはこのままで、ジャーナルは別の名前で残されます。";
        case Recovery::TornRemoved:
            return "壊れたジャーナルがあります。プログラムでデータを読み込むと、ジャーナルは削除され、"
                   "データはこのままです。";
        default:
            return kJournalMessage;
    }
}

namespace {
Result<std::vector<std::byte>> ReadNamed(const std::filesystem::path& path,
                                         std::size_t maxSize = kMaxWholeFileSize) {
    auto bytes = ReadWholeFile(path, maxSize);
    if (!bytes) {
        FileError e = bytes.error();
        e.path = path.string();
        return e;
    }
    return bytes;
}
}  // namespace

Status ReadLedgerHeaderOnly(SharedState& s) {
    // The header and the file's length; the lines are read by what needs them.
    auto header = ReadLedgerFileHeader(s.LedgerPath);
    if (!header) return header.error();
    s.LedgerHeader = header->value_or(LedgerHeaderRecord{});
    return Ok();
}

Status ReadDepositBookOnly(SharedState& s) {
    auto deposit = ReadNamed(s.DepositPath, static_cast<std::size_t>(kMaxDepositFileSize));
    if (!deposit) return deposit.error();
    if (deposit->empty()) {
        s.DepositBook = ClearedDepositBook();
        return Ok();
    }
    auto book = DecodeDepositBook(*deposit);
    if (!book) {
        FileError e = book.error();
        e.path = s.DepositPath.string();
        return e;
    }
    s.DepositBook = std::move(*book);
    return Ok();
}

Status LoadYearFolder(SharedState& s, const std::filesystem::path& folder, bool withTaxReturn) {
    if (Status st = OpenYearFolder(s, folder); !st) return st;
    if (JournalPresent(s)) {
        return FileError{FileErrorCode::BadFormat, LedgerJournalPath(s).string(),
                         JournalMessage(s), false};
    }
    if (withTaxReturn)
        if (Status st = LoadTaxReturnData(s); !st) return st;
    if (Status st = ReadLedgerHeaderOnly(s); !st) return st;
    return ReadDepositBookOnly(s);
}

}  // namespace tabulo
