#pragma once
// What the register and the shares give the statement: page 3's asset rows filled
// from the register's year (a row the user typed stays for anything the register does
// not hold), and the year's item totals with each split item at its business part, as
// page 1 adds them up. The statement screens, the printouts, the books' closing
// entries and tabulo-cli all read the statement through here, so each shows the same
// figures.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "assets/AssetFiles.h"
#include "assets/YearAssets.h"
#include "platform/FileError.h"
#include "store/Records.h"
#include "store/SharedState.h"

namespace tabulo {

struct SharedState;

inline constexpr int kStatementAssetRows = 10;
// The row that holds the register's assets that do not fit the page, when they do not.
inline constexpr const char* kMoreAssetsRowName = "別紙明細";

// Page 3's rows as the register fills them. Element r (1..10) is row r.
struct FilledAssetRows {
    // The balance-sheet account of a row the register filled; 0 for a row the user
    // typed (its account follows its name) or an empty one.
    std::array<int, kStatementAssetRows + 1> account{};
    // The register's assets each filled row holds, in register order (more than one
    // for the 別紙明細 row).
    std::array<std::vector<std::size_t>, kStatementAssetRows + 1> assets{};
    bool FromRegister(int row) const { return account[static_cast<std::size_t>(row)] != 0; }
};

// The balance-sheet account of an asset kind (1..7): 建物 111, 建物附属設備 112,
// 機械装置 113, 車両運搬具 114, 工具器具備品 115; 構築物 goes with 建物 and その他
// with 工具器具備品, as the balance sheet has no rows of their own.
int AssetKindAccount(int kind);

// The era year (令和8 -> 8) and month of a yyyymmdd date, as page 3's 取得年月 takes them.
int EraYearOf(std::int32_t yyyymmdd);

// The texts of a register asset's row on page 3.
std::string StatementAssetName(const FixedAsset& a);  // cut to the name box
std::string StatementMethodText(int method);          // 定額法, 旧定額, 一括, 少額

// Fills the asset rows (and their totals row) of the tax-return tables `t` from the
// register's year. A stored row with the name and cost of a register asset is that
// asset's (the register's figures replace it); the other assets take the empty rows in
// register order, and when they do not fit the last free row sums the rest as
// 別紙明細. Rows the user typed for other assets are left as they are. The totals row
// is worked out again from the ten rows; a sum beyond 32 bits is an overflow error and
// leaves `t` as it was.
Result<FilledAssetRows> FillAssetRows(TaxReturnTables& t, const AssetRegister& assets,
                                      const RegisterYear& year);

// `t` without the rows the register filled (blank again) and with the totals of the
// rows left: what is stored, so that the register's figures are never kept twice.
void ClearFilledRows(TaxReturnTables& t, const FilledAssetRows& rows);

// The stored rows that a register asset owns but whose figures disagree with the
// register's (a figure typed before the register kept the asset, or a register changed
// since): "行 r 名前: 償却費 x（台帳 y）" each, for `check`.
std::vector<std::string> RowsDisagreeing(const TaxReturnTables& stored, const AssetRegister& assets,
                                         const RegisterYear& year);

// The year's register (when kept) and shares, read once: what the statement's figures
// take from them.
struct YearFeed {
    std::optional<YearRegister> reg;  // none when the year keeps no register
    ItemShares shares{};              // all 0 when the year keeps no shares

    // The year's totals with each split item at its business part.
    MonthlyTable Totals(const ItemTableArray& items, const MonthlyTable& totals) const;
    // The tables with page 3 filled from the register (as they are without one).
    Result<TaxReturnTables> Tables(const TaxReturnTables& t, FilledAssetRows* rows = nullptr) const;
};
Result<YearFeed> ReadYearFeed(const SharedState& s);

}  // namespace tabulo
