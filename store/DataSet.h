#pragma once
// The routines that read and write the year's files into the shared tables: the
// settings, the fiscal year, the master, the tax return, the deposit book and the
// ledger header, and the file walks over the ledger.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"
#include "store/Records.h"
#include "store/YearFiles.h"

namespace tabulo {

struct SharedState;
class Prompt;

// ---- Settings file TAB_SET3.DAT (program folder) ----
// Loads SetupLines, or sets the defaults and writes the file when it is empty or
// missing; then sets PageLimit.
Status ReadSetupFile(SharedState& s);
Status WriteSetupFile(SharedState& s);
// PageLimit from SetupLines line 2 (line capacity / 10, rounded).
void UpdatePageLimit(SharedState& s);

// ---- Paths ----
// DataFolder and FiscalYearPath from SetupLines line 1 (see platform/Drives.h).
Status BuildDataFolder(SharedState& s);
// DataFolder, MasterPath, TaxReturnPath, LedgerPath, DepositPath.
Status BuildDataPaths(SharedState& s);
// The year's file paths inside the DataFolder already set, named after FiscalYear.
void SetYearPaths(SharedState& s);
// A file of the year's books beside the year's cash book (in the DataFolder when the
// cash book's path is not set yet).
std::filesystem::path YearFilePath(const SharedState& s, YearFileKind kind);

// ---- The read-data action ----
// Reads DATE.DAT (asking for the fiscal year through `askFiscalYear` on a fresh
// disk), the master, the ledger header (with the date check) and the deposit book,
// with the retry messages of a missing data disk. DataLoaded becomes 1 only when the
// year was read completely.
void ReadDataSet(SharedState& s, Prompt& prompt, const std::function<void()>& askFiscalYear);

// The message shown once when reading the data undid an operation that was cut
// short (the program was ended or the power went while it wrote).
inline constexpr const char* kRecoveredMessage =
    "前回の処理が途中で中断されていました。\r\n"
    "中断される直前の操作を取り消して、データをその操作の前の状態に戻しました。";
inline constexpr const char* kRecoveredTitle = "復旧確認";
// Removes temporary files of interrupted saves and settles the journal of an
// interrupted cash-book operation: rolled back (telling the user once), dropped when
// the operation had written everything, or set aside when the files are no longer
// the ones it was written for (telling the user once, with the name it is kept under).
Status RecoverInterruptedOperation(SharedState& s, Prompt& prompt);
std::string SetAsideMessage(const std::string& keptAs);
// Settles the cash book's journal (its cleared mark made durable, or a journal that
// still counts rolled back) before a save writes a file of the data folder, so that
// no older journal can be applied over what is saved.
Status SettleBeforeWrite(const SharedState& s);

// ---- Single files ----
// Result is false when DATE.DAT is empty (no fiscal year yet).
Result<bool> ReadFiscalYearFile(SharedState& s);
Status WriteFiscalYearFile(SharedState& s);
Status LoadMaster(SharedState& s);
// Copies ItemTableEdit into ItemTable and writes MASTER.DAT.
Status SaveMaster(SharedState& s);
Status LoadTaxReturnData(SharedState& s);
Status SaveTaxReturnData(SharedState& s);
// Reads YOKIN<nn>.DAT; an empty or missing file is created with 21 cleared slots.
Status LoadDepositBook(SharedState& s);
Status SaveDepositBook(SharedState& s);
// The deposit file as it is and as it would be with `book` at byte 1, the bytes after
// the record kept. A file that cannot be read stops the save.
struct StagedFile;
Result<StagedFile> StageDepositBook(const SharedState& s, const DepositBookRecord& book);
// Reads the 18-byte header; an empty ledger file is deleted and LineCount set to 0.
Status ReadLedgerHeader(SharedState& s);
// The header of a non-empty ledger file read whole, refused (naming `path`) when its
// LineCount is negative or points past the end of the file.
Result<LedgerHeaderRecord> DecodeLedgerFile(std::span<const std::byte> bytes,
                                            const std::filesystem::path& path);
// The same judged from the file's first bytes `head` and its length alone.
Result<LedgerHeaderRecord> DecodeLedgerFile(std::span<const std::byte> head, std::uint64_t fileSize,
                                            const std::filesystem::path& path);
// The header of the ledger file at `path` as DecodeLedgerFile judges it, reading only
// its first bytes and its length (none of its lines); nothing when the file is missing
// or empty.
Result<std::optional<LedgerHeaderRecord>> ReadLedgerFileHeader(const std::filesystem::path& path);

// ---- Byte-level forms of the text files (the path routines wrap these) ----
// Strings are written in double quotes, which this style cannot escape: a double
// quote inside a text is written as an apostrophe. A text with no CP932 form is an
// error (NotEncodable), never written lossily. Readers report a file that does not
// follow its layout as BadFormat with the line number in the detail.
// Fails when a line has no CP932 form.
Result<std::vector<std::byte>> EncodeSetupFile(const std::array<std::string, 9>& lines);
// Lines an older, shorter file lacks take their defaults.
Result<std::array<std::string, 9>> DecodeSetupFile(std::span<const std::byte> bytes);
struct FiscalYearValues {
    std::int16_t FiscalYear = 0;
    std::string EraName;
    std::int16_t FiscalYearSpare = 0;
};
Result<std::vector<std::byte>> EncodeFiscalYearFile(const FiscalYearValues& v);
Result<FiscalYearValues> DecodeFiscalYearFile(std::span<const std::byte> bytes);
struct MasterData {
    MasterHeaderArray header;
    ItemTableArray items;
    int itemsRead = 0;  // item lines present in the file
};
Result<std::vector<std::byte>> EncodeMasterFile(const MasterHeaderArray& header,
                                                const ItemTableArray& items);
Result<MasterData> DecodeMasterFile(std::span<const std::byte> bytes,
                                    const std::array<std::string, 8>& kubunNames);
// The tables of an empty SHINKOKU.DAT: "" and 0 everywhere, the deduction 100000.
TaxReturnTables DefaultTaxReturnData();
Result<std::vector<std::byte>> EncodeTaxReturnFile(const TaxReturnTables& t);
// `previous` supplies the tables that an older, shorter file does not hold.
Result<TaxReturnTables> DecodeTaxReturnFile(std::span<const std::byte> bytes,
                                            const TaxReturnTables& previous);

// ---- Ledger walks (each opens and closes the ledger file) ----
// TotalIn, TotalOut and ClosingBalance over lines 1..LineCount into LedgerHeader.
Status ComputeLedgerTotals(SharedState& s);
// First line whose date equals or sorts after `date`; LineCount when none does.
Result<int> FindFirstLineOnOrAfter(const SharedState& s, std::string_view date);
// Reports blank and out-of-order dates line by line; sets ErrorFlag to -1 if any.
Status CheckLedgerDates(SharedState& s, Prompt& prompt);

// The date rule of CheckLedgerDates, one line at a time in file order: the message
// for line n ("" when the line is in order).
class LedgerDateRule {
public:
    std::string Next(int n, const LedgerLine& line);
    // The same from the fields the rule reads: the item number and the date text.
    std::string Next(int n, int itemNo, std::string_view date);
    // True when line n is in order (Next would give ""), moving the rule on as Next
    // does; false leaves the rule as it was, for Next to give the message.
    bool InOrder(int n, int itemNo, std::string_view date);

private:
    // The date of the last dated line: kept in place (a stored date is at most 18
    // bytes of text), so that walking a year copies no strings.
    void Remember(std::string_view date);
    std::string_view remembered() const {
        return rememberedLength_ == kLong ? std::string_view(long_)
                                          : std::string_view(remembered_.data(), rememberedLength_);
    }
    static constexpr std::size_t kLong = static_cast<std::size_t>(-1);
    std::array<char, 24> remembered_{};
    std::size_t rememberedLength_ = 0;
    std::string long_;
};

// The totals rule of ComputeLedgerTotals, one line at a time: every line counts.
class LedgerTotalsRule {
public:
    explicit LedgerTotalsRule(Amount openingBalance) : in_(openingBalance) {}
    // False when a sum no longer fits an amount.
    bool Add(const LedgerLine& line);
    bool Add(Amount indata, Amount outdata);
    // The header with TotalIn, TotalOut and ClosingBalance; nullopt on an overflow.
    std::optional<LedgerHeaderRecord> Totals(LedgerHeaderRecord header) const;

private:
    Amount in_ = 0;
    Amount out_ = 0;
    bool overflow_ = false;
};

// ---- Clearing ----
void FillKubunNames(SharedState& s);
void ClearYearData(SharedState& s);

// The user's message for a failed file operation ("... を読み込めません" and why).
std::string FileErrorMessage(const FileError& e);
// Shows FileErrorMessage with the title "エラー確認".
void ShowFileError(Prompt& prompt, const FileError& e);
// A file of the data folder as the user knows it: "A:\\KEIRIDATA\\KEIRI07.DAT" on a
// letter drive, the real path on a directory drive; other paths unchanged.
std::string DisplayPath(const SharedState& s, const std::string& path);
// ShowFileError naming the file by its DisplayPath.
void ShowFileError(Prompt& prompt, const FileError& e, const SharedState& s);

}  // namespace tabulo
