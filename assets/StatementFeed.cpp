#include "assets/StatementFeed.h"

#include <filesystem>
#include <limits>

#include "assets/PrivateShares.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// Where the tax-return tables keep page 3: the asset rows (group 7, columns 1..17 as
// the page numbers them) and their totals row (group 8: 普通償却費, 割増償却費, 合計,
// 経費算入額, 未償却残高, 摘要).
constexpr int kAssetGroup = 7;
constexpr int kTotalsGroup = 8;
namespace Col {
constexpr int Name = 1, Quantity = 2, Year = 3, Month = 4, Cost = 5, Base = 6, Method = 7,
              Life = 8, Rate = 9, Months = 10, Ordinary = 11, Extra = 12, Total = 13,
              Share = 14, Expense = 15, Left = 16, Note = 17;
}
constexpr int kNameWidth = 10;     // half-width places of the name box
constexpr int kQuantityWidth = 4;  // of 面積又は数量

std::size_t U(int i) { return static_cast<std::size_t>(i); }

bool RowIsEmpty(const TaxReturnTables& t, int r) {
    if (!IsBlank(TaxText(t, kAssetGroup, r, Col::Name))) return false;
    for (int c : {Col::Cost, Col::Base, Col::Ordinary, Col::Extra, Col::Total, Col::Expense, Col::Left})
        if (TaxNumber(t, kAssetGroup, r, c) != 0) return false;
    return true;
}

// The stored row an asset owns: its name and cost.
bool RowIsAssets(const TaxReturnTables& t, int r, const FixedAsset& a) {
    return TrimRight(TaxText(t, kAssetGroup, r, Col::Name)) == TrimRight(StatementAssetName(a)) &&
           TaxNumber(t, kAssetGroup, r, Col::Cost) == a.Cost;
}

void ClearRow(TaxReturnTables& t, int r) {
    for (int c = Col::Name; c <= Col::Note; ++c) {
        if (TaxAt(t, kAssetGroup, r, c).type == TaxValue::Str)
            SetTaxText(t, kAssetGroup, r, c, "");
        else
            SetTaxNumber(t, kAssetGroup, r, c, 0);
    }
}

void WriteAssetRow(TaxReturnTables& t, int r, const FixedAsset& a, const AssetYear& y) {
    ClearRow(t, r);
    SetTaxText(t, kAssetGroup, r, Col::Name, StatementAssetName(a));
    SetTaxText(t, kAssetGroup, r, Col::Quantity, CutToBytes(a.Quantity, kQuantityWidth));
    SetTaxNumber(t, kAssetGroup, r, Col::Year, EraYearOf(a.AcquiredOn));
    SetTaxNumber(t, kAssetGroup, r, Col::Month, a.AcquiredOn / 100 % 100);
    SetTaxNumber(t, kAssetGroup, r, Col::Cost, a.Cost);
    SetTaxNumber(t, kAssetGroup, r, Col::Base, y.base);
    SetTaxText(t, kAssetGroup, r, Col::Method, StatementMethodText(a.Method));
    SetTaxNumber(t, kAssetGroup, r, Col::Life, a.UsefulLife);
    SetTaxText(t, kAssetGroup, r, Col::Rate, y.rateText);
    SetTaxNumber(t, kAssetGroup, r, Col::Months, y.months);
    SetTaxNumber(t, kAssetGroup, r, Col::Ordinary, y.depreciation);
    SetTaxNumber(t, kAssetGroup, r, Col::Total, y.depreciation);
    SetTaxNumber(t, kAssetGroup, r, Col::Share, a.BusinessShare);
    SetTaxNumber(t, kAssetGroup, r, Col::Expense, y.expense);
    SetTaxNumber(t, kAssetGroup, r, Col::Left, y.closingBookValue);
    std::string note = y.remarks;
    if (a.DisposalKind != DisposalKind::Kept)
        note = (a.DisposalKind == DisposalKind::Sold ? "売却" : "除却") + std::to_string(a.DisposalMonth) + "月";
    SetTaxText(t, kAssetGroup, r, Col::Note, note);
}

// Row 11 of the page: the sums of the ten rows. False (nothing written) on overflow.
bool TotalRows(TaxReturnTables& t) {
    constexpr int columns[] = {Col::Ordinary, Col::Extra, Col::Total, Col::Expense, Col::Left};
    std::array<std::int64_t, 5> sums{};
    for (int r = 1; r <= kStatementAssetRows; ++r)
        for (std::size_t k = 0; k < sums.size(); ++k) sums[k] += TaxNumber(t, kAssetGroup, r, columns[k]);
    for (std::int64_t s : sums)
        if (s > std::numeric_limits<Amount>::max() || s < std::numeric_limits<Amount>::min()) return false;
    for (std::size_t k = 0; k < sums.size(); ++k)
        SetTaxNumber(t, kTotalsGroup, 1, static_cast<int>(k) + 1, static_cast<Amount>(sums[k]));
    return true;
}

}  // namespace

int AssetKindAccount(int kind) {
    switch (kind) {
        case 1: case 3: return 111;  // 建物 (and 構築物)
        case 2: return 112;          // 建物附属設備
        case 4: return 113;          // 機械装置
        case 5: return 114;          // 車両運搬具
        default: return 115;         // 工具器具備品 (and その他)
    }
}

int EraYearOf(std::int32_t yyyymmdd) {
    const int year = yyyymmdd / 10000;
    if (yyyymmdd >= 20190501) return year - 2018;  // 令和
    if (yyyymmdd >= 19890108) return year - 1988;  // 平成
    return year - 1925;                            // 昭和
}

std::string StatementAssetName(const FixedAsset& a) {
    return TrimRight(CutToBytes(a.AssetName, kNameWidth));
}

std::string StatementMethodText(int method) {
    switch (method) {
        case AssetMethod::StraightLine: return "定額法";
        case AssetMethod::OldStraightLine: return "旧定額";
        case AssetMethod::LumpSum: return "一括";
        case AssetMethod::SmallAsset: return "少額";
    }
    return "";
}

Result<FilledAssetRows> FillAssetRows(TaxReturnTables& t, const AssetRegister& assets,
                                      const RegisterYear& year) {
    FilledAssetRows rows;
    if (assets.empty()) return rows;
    TaxReturnTables out = HasTaxReturnShape(t) ? t : DefaultTaxReturnData();
    // The rows an asset already owns, then the empty ones in page order.
    std::vector<int> place(assets.size(), 0);
    std::array<bool, kStatementAssetRows + 1> taken{};
    for (std::size_t i = 0; i < assets.size(); ++i)
        for (int r = 1; r <= kStatementAssetRows; ++r)
            if (!taken[U(r)] && RowIsAssets(out, r, assets[i])) {
                place[i] = r;
                taken[U(r)] = true;
                break;
            }
    // A 別紙明細 row stored before is the register's too.
    for (int r = 1; r <= kStatementAssetRows; ++r)
        if (!taken[U(r)] && TrimRight(TaxText(out, kAssetGroup, r, Col::Name)) == kMoreAssetsRowName) {
            ClearRow(out, r);
        }
    std::vector<int> free;
    for (int r = 1; r <= kStatementAssetRows; ++r)
        if (!taken[U(r)] && RowIsEmpty(out, r)) free.push_back(r);
    std::vector<std::size_t> unplaced;
    for (std::size_t i = 0; i < assets.size(); ++i)
        if (place[i] == 0) unplaced.push_back(i);
    std::size_t next = 0;
    const bool overflow = unplaced.size() > free.size();
    const std::size_t single = overflow ? (free.empty() ? 0 : free.size() - 1) : unplaced.size();
    for (; next < single; ++next) place[unplaced[next]] = free[next];
    int moreRow = 0;
    if (overflow && !free.empty()) moreRow = free.back();
    for (std::size_t i = 0; i < assets.size(); ++i) {
        if (place[i] == 0) continue;
        WriteAssetRow(out, place[i], assets[i], year.assets[i]);
        rows.account[U(place[i])] = AssetKindAccount(assets[i].AssetKind);
        rows.assets[U(place[i])].push_back(i);
    }
    if (overflow) {
        if (moreRow == 0)
            return FileError{FileErrorCode::BadFormat, {},
                             "３ページの減価償却資産の行に空きがありません（台帳の資産を記入できません）。"};
        std::int64_t cost = 0, ordinary = 0, expense = 0, left = 0;
        for (std::size_t k = next; k < unplaced.size(); ++k) {
            const std::size_t i = unplaced[k];
            cost += assets[i].Cost;
            ordinary += year.assets[i].depreciation;
            expense += year.assets[i].expense;
            left += year.assets[i].closingBookValue;
            rows.assets[U(moreRow)].push_back(i);
        }
        constexpr std::int64_t hi = std::numeric_limits<Amount>::max();
        if (cost > hi || ordinary > hi || left > hi)
            return FileError{FileErrorCode::Overflow, {}, "台帳の資産の合計が大きすぎます。"};
        ClearRow(out, moreRow);
        SetTaxText(out, kAssetGroup, moreRow, Col::Name, kMoreAssetsRowName);
        SetTaxNumber(out, kAssetGroup, moreRow, Col::Cost, static_cast<Amount>(cost));
        SetTaxNumber(out, kAssetGroup, moreRow, Col::Ordinary, static_cast<Amount>(ordinary));
        SetTaxNumber(out, kAssetGroup, moreRow, Col::Total, static_cast<Amount>(ordinary));
        SetTaxNumber(out, kAssetGroup, moreRow, Col::Expense, static_cast<Amount>(expense));
        SetTaxNumber(out, kAssetGroup, moreRow, Col::Left, static_cast<Amount>(left));
        // The row holds assets of several kinds: its account is that of the first.
        rows.account[U(moreRow)] = AssetKindAccount(assets[unplaced[next]].AssetKind);
    }
    if (!TotalRows(out))
        return FileError{FileErrorCode::Overflow, {}, "３ページの減価償却費の合計が大きすぎます。"};
    t = std::move(out);
    return rows;
}

void ClearFilledRows(TaxReturnTables& t, const FilledAssetRows& rows) {
    if (!HasTaxReturnShape(t)) return;
    bool any = false;
    for (int r = 1; r <= kStatementAssetRows; ++r)
        if (rows.FromRegister(r)) {
            ClearRow(t, r);
            any = true;
        }
    if (any) TotalRows(t);  // fewer figures than before: the sums fit
}

std::vector<std::string> RowsDisagreeing(const TaxReturnTables& stored, const AssetRegister& assets,
                                         const RegisterYear& year) {
    std::vector<std::string> out;
    if (!HasTaxReturnShape(stored)) return out;
    for (int r = 1; r <= kStatementAssetRows; ++r)
        for (std::size_t i = 0; i < assets.size() && i < year.assets.size(); ++i) {
            if (!RowIsAssets(stored, r, assets[i])) continue;
            const AssetYear& y = year.assets[i];
            const Amount typed = TaxNumber(stored, kAssetGroup, r, Col::Total);
            const Amount typedExpense = TaxNumber(stored, kAssetGroup, r, Col::Expense);
            if (typed != y.depreciation || typedExpense != y.expense)
                out.push_back("行 " + std::to_string(r) + " " + StatementAssetName(assets[i]) +
                              ": 償却費 " + std::to_string(typed) + "・経費算入額 " +
                              std::to_string(typedExpense) + "（台帳 " + std::to_string(y.depreciation) +
                              "・" + std::to_string(y.expense) + "）");
            break;
        }
    return out;
}

MonthlyTable YearFeed::Totals(const ItemTableArray& items, const MonthlyTable& totals) const {
    return BusinessTotals(items, totals, shares);
}

Result<TaxReturnTables> YearFeed::Tables(const TaxReturnTables& t, FilledAssetRows* rows) const {
    TaxReturnTables out = t;
    if (!reg) {
        if (rows) *rows = FilledAssetRows{};
        return out;
    }
    auto filled = FillAssetRows(out, reg->assets, reg->year);
    if (!filled) return filled.error();
    if (rows) *rows = *filled;
    return out;
}

Result<YearFeed> ReadYearFeed(const SharedState& s) {
    YearFeed feed;
    std::error_code ec;
    if (std::filesystem::is_regular_file(AssetRegisterPath(s), ec)) {
        auto reg = ReadYearRegister(s);
        if (!reg) return reg.error();
        feed.reg = std::move(*reg);
    }
    auto shares = LoadItemShares(ItemSharesPath(s));
    if (!shares) return shares.error();
    feed.shares = *shares;
    return feed;
}

}  // namespace tabulo
