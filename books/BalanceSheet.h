#pragma once
// Statement page 4: the balance sheet (貸借対照表, 資産負債調) of the year, worked out
// of the opening balance sheet and the trial balance, and the 製造原価の計算 of a
// user who manufactures, whose figures are typed on the page and kept in their own
// file of the year's folder.

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "books/TrialBalance.h"

namespace tabulo {

// One row of the balance sheet: the balance on the row's own side (an asset's debit
// balance, a liability's or capital's credit balance) on 1 January and 31 December.
struct BalanceSheetRow {
    int code = 0;
    Amount opening = 0;  // 1月1日（期首）
    Amount closing = 0;  // 12月31日（期末）
};

struct BalanceSheet {
    // Every named row of the form, in its order: the asset column (101.. and 事業主貸
    // last) and the liability and capital column (201.., 事業主借, 元入金).
    std::vector<BalanceSheetRow> assets;
    std::vector<BalanceSheetRow> claims;
    // 青色申告特別控除前の所得金額: the year's income less its expenses (31 December).
    Amount income = 0;
    Amount assetsOpening = 0, assetsClosing = 0;  // 合計 of the asset column
    Amount claimsOpening = 0, claimsClosing = 0;  // 合計 of the other column
    // No opening 元入金 was kept: it is the opening assets less the opening
    // liabilities, as the return works it out.
    bool capitalWorkedOut = false;
    // Cash-book lines whose item names no account: their amounts are on no row.
    int unassignedLines = 0;
    int firstUnassignedItem = 0;

    bool OpeningAgrees() const { return assetsOpening == claimsOpening; }
    bool ClosingAgrees() const { return assetsClosing == claimsClosing; }
    bool SidesAgree() const { return OpeningAgrees() && ClosingAgrees(); }
    // The row of `code`, or null.
    const BalanceSheetRow* Find(int code) const;
};

// The balance sheet of a trial balance and the opening balances it was built from.
// Any figure beyond 32 bits is an overflow error.
Result<BalanceSheet> BuildBalanceSheet(const TrialBalance& tb, const SlipBook& book);

// The balance sheet of the year read into `s`: its slips, openings and item accounts
// read from the year's folder (nothing is written) and its trial balance.
Result<BalanceSheet> YearBalanceSheet(const SharedState& s);

// The sentences of the balance sheet's faults, for the screen and `check`: a column
// whose sides differ on 1 January or 31 December (naming both totals), and
// cash-book lines left out because their item names no account.
std::vector<std::string> BalanceSheetNotes(const BalanceSheet& sheet);

// ---------------------------------------------------------------- 製造原価の計算
// The lines of the calculation, 1..23, as the form numbers them:
//   1 期首原材料棚卸高  2 原材料仕入高  3 小計 (1+2)  4 期末原材料棚卸高
//   5 差引原材料費 (3-4)  6 労務費  7 外注工賃  8 電力費  9 水道光熱費  10 修繕費
//   11 減価償却費  12-16 free lines named by the user  17 雑費  18 計 (7..17)
//   19 総製造費 (5+6+18)  20 期首半製品・仕掛品棚卸高  21 小計 (19+20)
//   22 期末半製品・仕掛品棚卸高  23 製品製造原価 (21-22)
inline constexpr int kCostLines = 23;
inline constexpr int kCostFreeLines = 5;      // lines 12..16
inline constexpr int kCostFreeFirst = 12;
inline constexpr int kCostCaptionBytes = 16;  // a free line's name, CP932
// The lines typed by the user, in line order; the others are sums.
inline constexpr std::array<int, 17> kCostInputLines = {1,  2,  4,  6,  7,  8,  9,  10, 11,
                                                        12, 13, 14, 15, 16, 17, 20, 22};
bool IsCostInputLine(int line);

struct ManufacturingCost {
    std::array<Amount, kCostLines + 1> lines{};                  // 1..23, 0 unused
    std::array<std::string, kCostFreeLines> freeNames;           // lines 12..16, UTF-8
    bool operator==(const ManufacturingCost&) const = default;
    // True when any line holds a figure: the user manufactures.
    bool Used() const;
};

// Lines 3, 5, 18, 19, 21 and 23 from the typed ones; false (the sums unchanged) when
// one would leave the 32-bit range.
bool ComputeManufacturingCost(ManufacturingCost& cost);

// SEIZO<nn>.DAT (binary, little-endian, no padding; <nn> as KEIRI<nn>.DAT), 152 bytes:
//     0  4  fixed string  "SZG1" (the format mark)
//     4 68  Long x 17     the typed lines 1, 2, 4, 6..17, 20, 22 in that order
//    72 80  fixed string x 5  the names of lines 12..16, 16 bytes each, CP932,
//                         blank-filled on the right
// The sums are not kept: they are worked out on reading.
inline constexpr std::size_t kCostFileSize = 152;
inline constexpr const char* kCostFileMark = "SZG1";

std::filesystem::path ManufacturingCostPath(const SharedState& s);
// Why the names cannot be kept, or "": a name with no CP932 form or longer than 16 bytes.
std::string ManufacturingCostFault(const ManufacturingCost& cost);
Result<std::vector<std::byte>> EncodeManufacturingCost(const ManufacturingCost& cost);
Result<ManufacturingCost> DecodeManufacturingCost(std::span<const std::byte> bytes,
                                                  const std::string& path);
// A missing or empty file: nothing manufactured.
Result<ManufacturingCost> LoadManufacturingCost(const std::filesystem::path& path);
// Replaced whole (written beside, flushed, renamed); nothing written when refused.
Status SaveManufacturingCost(const std::filesystem::path& path, const ManufacturingCost& cost);

// One way a SEIZO<nn>.DAT does not follow its layout, in Japanese and English.
struct CostFileFault {
    std::string text;
    std::string textEn;
};
// Every way the file at `path` does not follow the layout, for `check`: not a plain
// file, unreadable, a length other than 152 bytes, another format mark, a free line's
// name that is not CP932 or holds control characters, a sum beyond 32 bits. None for
// a file that reads (a missing or empty file: nothing manufactured).
std::vector<CostFileFault> ManufacturingCostFileFaults(const std::filesystem::path& path);

}  // namespace tabulo
