#include "store/DataSet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/Drives.h"
#include "platform/Fd.h"
#include "platform/Prompt.h"
#include "store/BinaryRecords.h"
#include "store/Dates.h"
#include "store/Journal.h"
#include "store/LedgerFile.h"
#include "store/RecordedChange.h"
#include "store/StoredLedger.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"
#include "store/FileLimits.h"

namespace tabulo {
namespace {

constexpr const char* kErrorTitle = "エラー確認";

FileError WithPath(FileError e, const std::filesystem::path& path) {
    e.path = path.string();
    return e;
}

// Reads a whole file, naming it in any error.
Result<std::vector<std::byte>> Load(const std::filesystem::path& path,
                                    std::size_t maxSize = kMaxWholeFileSize) {
    auto bytes = ReadWholeFile(path, maxSize);
    if (!bytes) return WithPath(bytes.error(), path);
    return bytes;
}

Status Save(const std::filesystem::path& path, const Result<std::vector<std::byte>>& bytes) {
    if (!bytes) {
        FileError e = WithPath(bytes.error(), path);
        e.writing = true;
        return e;
    }
    return AtomicSave(path, *bytes);
}

FileError OverflowError(const std::filesystem::path& path) {
    FileError e;
    e.code = FileErrorCode::Overflow;
    e.path = path.string();
    e.detail = "金額の合計が大きすぎます。";
    return e;
}

}  // namespace

// ---- Settings ----

Status ReadSetupFile(SharedState& s) {
    const auto path = s.ProgramFolder / "TAB_SET3.DAT";
    auto bytes = Load(path);
    if (!bytes) return bytes.error();
    if (bytes->empty()) {
        auto defaults = DecodeSetupFile({});
        s.SetupLines = *defaults;
        return WriteSetupFile(s);
    }
    auto lines = DecodeSetupFile(*bytes);
    if (!lines) return WithPath(lines.error(), path);
    s.SetupLines = *lines;
    UpdatePageLimit(s);
    return Ok();
}

Status WriteSetupFile(SharedState& s) {
    Status st = Save(s.ProgramFolder / "TAB_SET3.DAT", EncodeSetupFile(s.SetupLines));
    UpdatePageLimit(s);
    return st;
}

void UpdatePageLimit(SharedState& s) {
    // Integer rounding as the old conversion did it: halves to the even number.
    double limit = std::nearbyint(Val(s.SetupLines[2]) * 0.1);
    limit = std::clamp(limit, static_cast<double>(INT16_MIN), static_cast<double>(INT16_MAX));
    s.PageLimit = static_cast<std::int16_t>(limit);
}

// ---- Paths ----

Status BuildDataFolder(SharedState& s) {
    auto drive = ResolveDataDrive(s.ProgramFolder, s.SetupLines[1], ProcessEnvironment());
    if (!drive) return drive.error();
    s.DataFolder = drive->dataFolder;
    s.DataFolderDisplay = drive->displayFolder;
    s.FiscalYearPath = YearFilePath(s.DataFolder, YearFileKind::FiscalYear, 0);
    return Ok();
}

Status BuildDataPaths(SharedState& s) {
    if (auto st = BuildDataFolder(s); !st) return st;
    SetYearPaths(s);
    return Ok();
}

void SetYearPaths(SharedState& s) {
    s.MasterPath = YearFilePath(s.DataFolder, YearFileKind::Master, s.FiscalYear);
    s.TaxReturnPath = YearFilePath(s.DataFolder, YearFileKind::TaxReturn, s.FiscalYear);
    s.LedgerPath = YearFilePath(s.DataFolder, YearFileKind::Ledger, s.FiscalYear);
    s.DepositPath = YearFilePath(s.DataFolder, YearFileKind::DepositBook, s.FiscalYear);
}

std::filesystem::path YearFilePath(const SharedState& s, YearFileKind kind) {
    const std::filesystem::path folder = s.LedgerPath.empty() ? s.DataFolder : s.LedgerPath.parent_path();
    return YearFilePath(folder, kind, s.FiscalYear);
}

// ---- The read-data action ----

namespace {

enum class StepEnd { Done, Skipped, Stopped };

// Runs one step of the read with the retry rules for a missing data disk.
class ReadSteps {
public:
    ReadSteps(SharedState& s, Prompt& prompt) : s_(s), prompt_(prompt) {}

    // `pathStep`: forming paths, where any error may be passed over.
    template <class Step>
    StepEnd Run(Step&& step, bool pathStep = false) {
        for (;;) {
            Status st = step();
            if (st) return StepEnd::Done;
            const FileError& e = st.error();
            if (e.code == FileErrorCode::DiskNotReady) {
                // キャンセル gives up the read: a user without the disk at hand is
                // never held in the message.
                int answer = prompt_.MsgBox(DisplayFolder() + " にデータディスクが準備されていません！！",
                                            MsgStyle::Exclamation + MsgStyle::OkCancel, kErrorTitle);
                if (answer == Answer::Ok) continue;
                return StepEnd::Stopped;
            }
            if (e.code == FileErrorCode::DeviceUnavailable) {
                prompt_.MsgBox("パスが有りません！！", MsgStyle::Exclamation, kErrorTitle);
                return StepEnd::Skipped;
            }
            if (pathStep) {
                int answer = prompt_.MsgBox("パスが有りません！！", MsgStyle::Exclamation, kErrorTitle);
                return answer == Answer::Ok ? StepEnd::Skipped : StepEnd::Stopped;
            }
            ShowFileError(prompt_, e, s_);
            return StepEnd::Stopped;
        }
    }

    // The drive is looked at again before each file is read: a stick may have been
    // pulled out meanwhile.
    Status Probe() {
        auto drive = ResolveDataDrive(s_.ProgramFolder, s_.SetupLines[1], ProcessEnvironment());
        if (!drive) return drive.error();
        return ProbeDataFolder(*drive);
    }

private:
    std::string DisplayFolder() const {
        auto drive = ResolveDataDrive(s_.ProgramFolder, s_.SetupLines[1], ProcessEnvironment());
        return drive ? drive->displayFolder : s_.DataFolder.string();
    }
    SharedState& s_;
    Prompt& prompt_;
};

}  // namespace

void ReadDataSet(SharedState& s, Prompt& prompt, const std::function<void()>& askFiscalYear) {
    s.DataLoaded = 0;
    ReadSteps steps(s, prompt);
    bool complete = true;
    auto run = [&](auto&& step, bool pathStep = false) {
        StepEnd end = steps.Run(step, pathStep);
        if (end == StepEnd::Skipped) complete = false;
        return end != StepEnd::Stopped;
    };

    // Without a data folder there is nothing to read.
    if (steps.Run([&] { return BuildDataFolder(s); }, true) != StepEnd::Done) return;

    bool haveYear = false;
    auto readYear = [&]() -> Status {
        if (auto st = steps.Probe(); !st) return st;
        auto r = ReadFiscalYearFile(s);
        if (!r) return r.error();
        // A year of 0 names no file of the year: the disk has no fiscal year yet.
        haveYear = *r && s.FiscalYear > 0;
        return Ok();
    };
    if (!run(readYear)) return;
    if (!haveYear && complete) {
        prompt.MsgBox("年度ファイルが有りません！！", MsgStyle::Exclamation, kErrorTitle);
        // The fiscal-year form writes DATE.DAT itself; the year is then read from it.
        if (askFiscalYear) askFiscalYear();
        if (!run(readYear)) return;
        if (!haveYear) return;  // the form was closed without a year
    }
    if (!haveYear) return;

    if (!run([&] { return BuildDataPaths(s); }, true)) return;
    auto fileStep = [&](auto routine) {
        return [&s, &steps, routine]() -> Status {
            if (auto st = steps.Probe(); !st) return st;
            return routine(s);
        };
    };
    // An operation cut short last time is undone before anything of the year is read.
    if (!run(fileStep(
            [&prompt](SharedState& st) { return RecoverInterruptedOperation(st, prompt); })))
        return;
    if (!run(fileStep([](SharedState& st) { return LoadMaster(st); }))) return;
    if (!run(fileStep([](SharedState& st) { return ReadLedgerHeader(st); }))) return;
    if (!run(fileStep([&prompt](SharedState& st) { return CheckLedgerDates(st, prompt); }))) return;
    s.ErrorFlag = 0;
    if (!run(fileStep([](SharedState& st) { return LoadDepositBook(st); }))) return;

    if (complete) s.DataLoaded = 1;
}

Status RecoverInterruptedOperation(SharedState& s, Prompt& prompt) {
    RemoveStaleTempFiles(s.DataFolder);
    auto settled = SettleJournal(JournalPathFor(s.LedgerPath));
    if (!settled) return settled.error();
    if (settled->outcome == Recovery::RolledBack)
        prompt.MsgBox(kRecoveredMessage, MsgStyle::Exclamation, kRecoveredTitle);
    if (settled->outcome == Recovery::SetAside)
        prompt.MsgBox(SetAsideMessage(settled->setAsideAs.filename().string()),
                      MsgStyle::Exclamation, kRecoveredTitle);
    return Ok();
}

std::string SetAsideMessage(const std::string& keptAs) {
    return "前回中断された処理の記録がありましたが、その後にデータが書き換えられているため、"
           "記録は使わずにデータをそのままにしました。\r\n記録は " +
           keptAs + " という名前で残してあります。";
}

Status SettleBeforeWrite(const SharedState& s) {
    if (s.LedgerPath.empty()) return Ok();
    auto settled = SettleJournal(JournalPathFor(s.LedgerPath), AfterRecovery::Keep);
    if (!settled) return settled.error();
    return Ok();
}

// ---- Single files ----

Result<bool> ReadFiscalYearFile(SharedState& s) {
    auto bytes = Load(s.FiscalYearPath);
    if (!bytes) return bytes.error();
    if (bytes->empty()) return false;
    auto v = DecodeFiscalYearFile(*bytes);
    if (!v) return WithPath(v.error(), s.FiscalYearPath);
    // A year outside its era names files no date of the year could ever fall in
    // (year 100 would even give the tag "00"): the file is refused before any path
    // is formed from it, so nothing is created.
    if (v->FiscalYear < 0 || v->FiscalYear > 99 ||
        (v->FiscalYear > 0 && !WesternYear(v->EraName, YearTag(v->FiscalYear)))) {
        return BadFormatError(s.FiscalYearPath.string(),
                              "年度 " + std::to_string(v->FiscalYear) + " は" +
                                  (v->EraName.empty() ? std::string("元号") : v->EraName) +
                                  "の範囲外です。");
    }
    s.FiscalYear = v->FiscalYear;
    s.EraName = v->EraName;
    s.FiscalYearSpare = v->FiscalYearSpare;
    return true;
}

Status WriteFiscalYearFile(SharedState& s) {
    if (Status st = SettleBeforeWrite(s); !st) return st;
    return Save(s.FiscalYearPath,
                EncodeFiscalYearFile({s.FiscalYear, s.EraName, s.FiscalYearSpare}));
}

Status LoadMaster(SharedState& s) {
    auto bytes = Load(s.MasterPath);
    if (!bytes) return bytes.error();
    if (bytes->empty()) return Ok();
    auto m = DecodeMasterFile(*bytes, s.KubunNames);
    if (!m) return WithPath(m.error(), s.MasterPath);
    s.MasterHeader = m->header;
    s.ItemTable = m->items;
    s.ItemTableEdit = m->items;
    s.ReportTitleName = s.MasterHeader[MasterField::BusinessName];
    return Ok();
}

Status SaveMaster(SharedState& s) {
    if (Status settled = SettleBeforeWrite(s); !settled) return settled;
    // ItemTable takes the edited items only once they are on the disk, so that a
    // failed save leaves the loaded tables matching the file.
    Status st = Save(s.MasterPath, EncodeMasterFile(s.MasterHeader, s.ItemTableEdit));
    if (st || st.error().applied) s.ItemTable = s.ItemTableEdit;
    return st;
}

Status LoadTaxReturnData(SharedState& s) {
    auto bytes = Load(s.TaxReturnPath);
    if (!bytes) return bytes.error();
    if (bytes->empty()) {
        s.TaxReturnData = DefaultTaxReturnData();
        return Ok();
    }
    auto t = DecodeTaxReturnFile(*bytes, s.TaxReturnData);
    if (!t) return WithPath(t.error(), s.TaxReturnPath);
    s.TaxReturnData = std::move(*t);
    return Ok();
}

Status SaveTaxReturnData(SharedState& s) {
    if (Status st = SettleBeforeWrite(s); !st) return st;
    return Save(s.TaxReturnPath, EncodeTaxReturnFile(s.TaxReturnData));
}

Status LoadDepositBook(SharedState& s) {
    auto bytes = Load(s.DepositPath, static_cast<std::size_t>(kMaxDepositFileSize));
    if (!bytes) return bytes.error();
    if (bytes->empty()) {
        // Only a missing or zero-length file is a new deposit book; a short one is
        // damaged and stays as it is.
        DepositBookRecord cleared = ClearedDepositBook();
        DepositBookRecord kept = s.DepositBook;
        s.DepositBook = cleared;
        Status st = SaveDepositBook(s);
        if (!st && !st.error().applied) s.DepositBook = kept;
        return st;
    }
    auto book = DecodeDepositBook(*bytes);
    if (!book) return WithPath(book.error(), s.DepositPath);
    s.DepositBook = std::move(*book);
    return Ok();
}

Result<StagedFile> StageDepositBook(const SharedState& s, const DepositBookRecord& book) {
    StagedFile staged;
    staged.path = s.DepositPath;
    auto record = EncodeDepositBook(book);
    if (!record) {
        FileError e = WithPath(record.error(), s.DepositPath);
        e.writing = true;
        return e;
    }
    // The record sits at byte 1; anything another program put after it is kept, so
    // a file that cannot be read is not written either.
    auto old = Load(s.DepositPath, static_cast<std::size_t>(kMaxDepositFileSize));
    if (!old) return old.error();
    std::error_code ec;
    staged.existed = !old->empty() || std::filesystem::exists(s.DepositPath, ec);
    staged.after = std::move(*record);
    if (old->size() > kDepositBookSize) {
        staged.after.insert(staged.after.end(),
                            old->begin() + static_cast<std::ptrdiff_t>(kDepositBookSize),
                            old->end());
    }
    staged.before = std::move(*old);
    return staged;
}

Status SaveDepositBook(SharedState& s) {
    // The deposit file is one the cash book's journal covers: an older journal must
    // never be applied over this save.
    if (Status st = SettleBeforeWrite(s); !st) return st;
    auto staged = StageDepositBook(s, s.DepositBook);
    if (!staged) return staged.error();
    // Each account whose stored bytes change is recorded in the year's history, in the
    // same commit as the file.
    auto done = CommitRecorded(s, *staged, DepositChangeRecords(staged->before, staged->after));
    if (!done) return done.error();
    return Ok();
}

Status ReadLedgerHeader(SharedState& s) {
    const auto& path = s.LedgerPath;
    // The year read afresh: what the cash book knew of the old file's balances goes.
    s.BalanceMark = LedgerBalanceMark{};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) return FileErrorFromErrno(errno, path.string());
        s.LedgerHeader = LedgerHeaderRecord{};
        return Ok();
    }
    // A FIFO, a device or a file larger than any ledger is refused before it is read.
    if (auto refused = UnreadableKind(st, path.string(), kMaxLedgerFileSize)) return *refused;
    if (st.st_size == 0) {
        // An empty ledger is no ledger: it is removed, and the year has no lines. Only
        // the file itself goes: a link that leads to an empty file stays.
        struct stat own {};
        if (::lstat(path.c_str(), &own) == 0 && S_ISREG(own.st_mode) && own.st_size == 0 &&
            ::unlink(path.c_str()) != 0)
            return FileErrorFromErrno(errno, path.string(), true);
        s.LedgerHeader = LedgerHeaderRecord{};
        return Ok();
    }
    auto h = ReadLedgerFileHeader(path);
    if (!h) return h.error();
    s.LedgerHeader = h->value_or(LedgerHeaderRecord{});
    return Ok();
}

Result<LedgerHeaderRecord> DecodeLedgerFile(std::span<const std::byte> bytes,
                                            const std::filesystem::path& path) {
    return DecodeLedgerFile(bytes, bytes.size(), path);
}

Result<LedgerHeaderRecord> DecodeLedgerFile(std::span<const std::byte> head, std::uint64_t fileSize,
                                            const std::filesystem::path& path) {
    auto h = DecodeLedgerHeader(head.first(std::min<std::size_t>(head.size(), fileSize)));
    if (!h) return WithPath(h.error(), path);
    if (h->LineCount < 0) {
        return BadFormatError(path.string(),
                              "行数が負の数（" + std::to_string(h->LineCount) + "）になっています。");
    }
    if (LedgerLineOffset(h->LineCount + 1) > fileSize) {
        return BadFormatError(path.string(), "行数 " + std::to_string(h->LineCount) +
                                                 " に対してファイルが短すぎます。");
    }
    return h;
}

Result<std::optional<LedgerHeaderRecord>> ReadLedgerFileHeader(const std::filesystem::path& path) {
    // O_NONBLOCK: a FIFO of that name is refused below instead of waited on.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::optional<LedgerHeaderRecord>{};
        return FileErrorFromErrno(errno, path.string());
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileErrorFromErrno(errno, path.string());
    if (auto refused = UnreadableKind(st, path.string(), kMaxLedgerFileSize)) return *refused;
    if (st.st_size == 0) return std::optional<LedgerHeaderRecord>{};
    std::array<std::byte, kLedgerHeaderSize> head{};
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::pread(fd.get(), head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FileErrorFromErrno(errno, path.string());
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    auto h = DecodeLedgerFile(std::span<const std::byte>(head.data(), got), static_cast<std::uint64_t>(st.st_size), path);
    if (!h) return h.error();
    return std::optional<LedgerHeaderRecord>{*h};
}

// ---- Ledger walks ----

bool LedgerTotalsRule::Add(const LedgerLine& line) { return Add(line.Indata, line.Outdata); }

bool LedgerTotalsRule::Add(Amount indata, Amount outdata) {
    if (__builtin_add_overflow(in_, indata, &in_) ||
        __builtin_add_overflow(out_, outdata, &out_)) {
        overflow_ = true;
    }
    return !overflow_;
}

std::optional<LedgerHeaderRecord> LedgerTotalsRule::Totals(LedgerHeaderRecord header) const {
    Amount closing = 0;
    if (overflow_ || __builtin_sub_overflow(in_, out_, &closing)) return std::nullopt;
    header.TotalIn = in_;
    header.TotalOut = out_;
    header.ClosingBalance = closing;
    return header;
}

Status ComputeLedgerTotals(SharedState& s) {
    const LedgerHeaderRecord& h = s.LedgerHeader;
    LedgerTotalsRule totals(h.OpeningBalance);
    // Only the amounts count: they are read in place.
    Status walked = WalkStoredLines(s, h.LineCount, [&](int, StoredLedgerLine line) {
        return totals.Add(line.Indata(), line.Outdata());
    }, LineTexts::Unchecked);
    if (!walked) return walked;
    auto done = totals.Totals(h);
    if (!done) return OverflowError(s.LedgerPath);
    s.LedgerHeader = *done;
    return Ok();
}

Result<int> FindFirstLineOnOrAfter(const SharedState& s, std::string_view date) {
    const int count = s.LedgerHeader.LineCount;
    if (count <= 0) return count;
    int found = count;
    StoredDate stored;
    Status bad = Ok();
    Status walked = WalkStoredLines(s, count, [&](int n, StoredLedgerLine line) {
        if (!stored.Read(line, s.LedgerPath, n)) {
            bad = stored.error();
            return false;
        }
        if (stored.text() < date) return true;
        found = n;
        return false;
    });
    if (!walked) return walked.error();
    if (!bad) return bad.error();
    return found;
}

Status CheckLedgerDates(SharedState& s, Prompt& prompt) {
    s.ErrorFlag = 0;
    LedgerDateRule rule;
    StoredDate date;
    Status bad = Ok();
    Status walked = WalkStoredLines(s, s.LedgerHeader.LineCount,
                                    [&](int n, StoredLedgerLine line) {
                                        if (!date.Read(line, s.LedgerPath, n)) {
                                            bad = date.error();
                                            return false;
                                        }
                                        if (rule.InOrder(n, line.ItemNo(), date.text())) return true;
                                        prompt.MsgBox(rule.Next(n, line.ItemNo(), date.text()),
                                                      MsgStyle::Exclamation, kErrorTitle);
                                        s.ErrorFlag = -1;
                                        return true;
                                    });
    if (!walked) return walked;
    return bad;
}

std::string LedgerDateRule::Next(int n, const LedgerLine& line) {
    return Next(n, line.ItemNo, line.NenGetsuBi);
}

std::string LedgerDateRule::Next(int n, int itemNo, std::string_view date) {
    if (n == 1) Remember(date);
    if (itemNo <= 0) return {};
    if (IsBlank(date)) return " " + std::to_string(n) + "行の年月日が入力されていません！";
    std::string message;
    if (date < remembered()) message = " " + std::to_string(n) + "行の年月日が前の行より以前の日付です！";
    Remember(date);
    return message;
}

bool LedgerDateRule::InOrder(int n, int itemNo, std::string_view date) {
    // The usual date, six characters without blanks, after another such date: compared
    // as one number (the bytes in order, most significant first), remembered in place.
    if (n > 1 && date.size() == 6 && rememberedLength_ == 6) {
        if (itemNo <= 0) return true;
        if (date.front() != ' ' && date.back() != ' ' && date.find(' ') == std::string_view::npos) {
            std::uint64_t now = 0, before = 0;
            std::memcpy(&now, date.data(), 6);
            std::memcpy(&before, remembered_.data(), 6);
            if constexpr (std::endian::native == std::endian::little) {
                now = __builtin_bswap64(now);
                before = __builtin_bswap64(before);
            }
            if (now < before) return false;
            std::memcpy(remembered_.data(), date.data(), 6);
            return true;
        }
    }
    if (n == 1) Remember(date);
    if (itemNo <= 0) return true;
    if (IsBlank(date) || date < remembered()) return false;  // Next gives the message
    Remember(date);
    return true;
}

void LedgerDateRule::Remember(std::string_view date) {
    if (date.size() <= remembered_.size()) {
        std::memcpy(remembered_.data(), date.data(), date.size());
        rememberedLength_ = date.size();
        long_.clear();
    } else {
        long_.assign(date);
        rememberedLength_ = kLong;
    }
}

// ---- Clearing ----

void FillKubunNames(SharedState& s) {
    s.KubunNames = {"", "収入", "収入", "収入", "支出", "支出", "支出", ""};
}

void ClearYearData(SharedState& s) {
    s.FiscalYear = 0;
    s.EraName.clear();
    s.LedgerHeader = LedgerHeaderRecord{};
    s.BalanceMark = LedgerBalanceMark{};
    s.MasterHeader[MasterField::BusinessName].clear();
    s.ReportTitleName.clear();
    s.ItemTable.fill(ItemEntry{});
    s.ItemTableEdit.fill(ItemEntry{});
    // A shorter tax-return file on the next disk must not keep this year's values.
    s.TaxReturnData = DefaultTaxReturnData();
    s.DataLoaded = 0;
}

std::string FileErrorMessage(const FileError& e) {
    std::string text;
    if (e.code == FileErrorCode::Overflow) {
        text = "オーバーフローしました。";
        if (!e.path.empty()) text += LineBreak + e.path;
        if (e.line > 0) text += " " + std::to_string(e.line) + "行目";
    } else if (!e.path.empty()) {
        text = e.path + (e.writing ? " に書き込めません。" : " を読み込めません。");
    }
    if (!e.detail.empty()) {
        if (!text.empty()) text += LineBreak;
        text += e.detail;
    }
    if (e.applied) {
        text += LineBreak;
        text += "内容は書き込まれましたが、ディスクへの書き込みの確定を確認できませんでした。";
    }
    return text;
}

void ShowFileError(Prompt& prompt, const FileError& e) {
    prompt.MsgBox(FileErrorMessage(e), MsgStyle::Exclamation, kErrorTitle);
}

std::string DisplayPath(const SharedState& s, const std::string& path) {
    if (s.DataFolder.empty() || s.DataFolderDisplay.empty()) return path;
    const std::filesystem::path p(path);
    const auto rel = p.lexically_normal().lexically_relative(s.DataFolder.lexically_normal());
    if (rel.empty() || *rel.begin() == "..") return path;
    // A letter drive keeps the Windows form the user knows: A:\KEIRIDATA\KEIRI07.DAT.
    const bool letter = s.DataFolderDisplay.size() > 2 && s.DataFolderDisplay[1] == ':';
    if (rel == ".") return s.DataFolderDisplay;
    std::string tail = rel.string();
    if (letter) {
        for (char& c : tail)
            if (c == '/') c = '\\';
        return s.DataFolderDisplay + "\\" + tail;
    }
    return (std::filesystem::path(s.DataFolderDisplay) / rel).string();
}

void ShowFileError(Prompt& prompt, const FileError& e, const SharedState& s) {
    FileError shown = e;
    shown.path = DisplayPath(s, e.path);
    ShowFileError(prompt, shown);
}

}  // namespace tabulo
