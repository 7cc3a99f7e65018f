#include "cli/ReadableYear.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "cli/YearFolder.h"
#include "platform/AtomicFile.h"
#include "store/FileLimits.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

// The files a log writes when it is settled: these must be real copies of regular
// files, never links back into the data folder.
bool SettlingWrites(const std::string& name) {
    for (const char* stem : {"KEIRI", "YOKIN", "RIREKI", "FURIKAE", "KAMOKU"})
        if (name.starts_with(stem)) return true;
    return false;
}

// The year's ledger logs that hold operations not yet written into the files.
std::vector<fs::path> LiveLogs(const fs::path& year) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(year, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 11 && IsJournalFileName(name) && JournalIsLive(entry.path()))
            out.push_back(entry.path());
    }
    return out;
}

FileError CopyFailed(const fs::path& file, const std::error_code& ec) {
    FileError e = FileErrorFromErrno(ec.value(), file.string());
    e.detail = "書き込み途中の操作の記録を反映して読むための一時フォルダーにコピーできません（" +
               ec.message() + "）。データフォルダーには何も書き込んでいません。";
    return e;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

Result<ReadableYear> ReadableYear::Open(const fs::path& folder) {
    ReadableYear year;
    year.given_ = folder;
    year.data_ = YearFolderOf(folder);
    year.read_ = folder;
    const std::vector<fs::path> logs = LiveLogs(year.data_);
    if (logs.empty()) return year;

    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) return CopyFailed(fs::path("TMPDIR"), ec);
    std::string pattern = (base / "tabulo-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return CopyFailed(base, std::error_code(errno, std::generic_category()));
    year.copy_ = pattern;
    year.read_ = year.copy_;
    for (const auto& entry : fs::directory_iterator(year.data_, ec)) {
        const fs::path from = entry.path();
        const std::string name = from.filename().string();
        // Journals set aside earlier and the folders beside the year are no part of it.
        if (IsJournalFileName(name) && name.size() != 11) continue;
        struct stat st {};
        if (::stat(from.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        const bool written = SettlingWrites(name);
        const bool readable = ::stat(from.c_str(), &st) == 0;
        const std::uint64_t limit = FileSizeLimit(name);
        if (readable && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= limit) {
            std::error_code copied;
            fs::copy_file(from, year.copy_ / name, copied);
            if (copied) return CopyFailed(from, copied);
            continue;
        }
        if (written) {
            // A file the settling would write that cannot be copied whole: refused by
            // name, as its reader refuses it.
            if (!readable) return FileErrorFromErrno(errno, from.string());
            if (auto refused = UnreadableKind(st, from.string(), static_cast<std::size_t>(limit)))
                return *refused;
        }
        // Anything else (a FIFO, a device, a file too large for any reader) stays what
        // it is for the readers, which refuse it by name as they do in the folder.
        std::error_code linked;
        fs::create_symlink(from, year.copy_ / name, linked);
        if (linked) return CopyFailed(from, linked);
    }
    if (ec) return CopyFailed(year.data_, ec);
    auto settled = SettleDataFolder(year.copy_, AfterRecovery::Remove);
    if (!settled) return year.Shown(settled.error());
    year.logs_ = std::move(*settled);
    return year;
}

ReadableYear::ReadableYear(ReadableYear&& other) noexcept
    : given_(std::move(other.given_)),
      data_(std::move(other.data_)),
      read_(std::move(other.read_)),
      copy_(std::move(other.copy_)),
      logs_(std::move(other.logs_)) {
    other.copy_.clear();
}

ReadableYear::~ReadableYear() {
    if (copy_.empty()) return;
    std::error_code ec;
    fs::remove_all(copy_, ec);  // the links in it go, never what they name
}

bool ReadableYear::LogRefused() const {
    for (const Settled& s : logs_)
        if (s.outcome == Recovery::SetAside || s.outcome == Recovery::TornRemoved) return true;
    return false;
}

std::string ReadableYear::LogText(const Settled& log, bool japanese) {
    const char* ja = "";
    const char* en = "";
    switch (log.outcome) {
        case Recovery::Completed:
            ja = "まだファイルに書き込まれていない操作の記録があります。その操作を反映して読みました";
            en = "operations not yet written into the files were read and applied";
            break;
        case Recovery::RolledBack:
            ja = "中断された操作の記録があります。その操作を取り消して読みました";
            en = "an operation cut short was read and left out";
            break;
        case Recovery::SetAside:
            ja = "操作の記録がありますが、今のデータには当てはまらないため、反映せずに読みました";
            en = "a journal that does not fit the present files was read and not applied";
            break;
        case Recovery::TornRemoved:
            ja = "壊れた操作の記録があります。反映せずに読みました";
            en = "a damaged journal was read and not applied";
            break;
        case Recovery::None:
            return {};
    }
    return japanese ? std::string(ja) + "（データフォルダーには何も書き込んでいません）。"
                    : std::string(en) + " (nothing was written to the data folder).";
}

std::string ReadableYear::Note(bool japanese) const {
    std::string out;
    for (const Settled& log : logs_) {
        const std::string text = LogText(log, japanese);
        if (!text.empty()) out += "tabulo-cli: " + log.journal.filename().string() + ": " + text + "\n";
    }
    return out;
}

std::string ReadableYear::Shown(std::string text) const {
    if (copy_.empty()) return text;
    Replace(text, copy_.string(), data_.string());
    return text;
}

FileError ReadableYear::Shown(FileError e) const {
    e.path = Shown(std::move(e.path));
    e.detail = Shown(std::move(e.detail));
    return e;
}

}  // namespace tabulo
