#pragma once
// The statement pages' own views of the tax-return tables (SHINKOKU.DAT): page 2's
// wage tables and calculation figures, page 3's assets and breakdowns, and page 1's
// stock entries. Each page reads its part and writes back only its own values, so a
// save of one page leaves every value of the others exactly as it was read.

#include <array>
#include <cstdint>
#include <string>

#include "store/Records.h"

namespace tabulo {

// Amount columns of a wage table: rows 1..persons, then "その他" (employees only),
// then the total row.
struct WageColumns {
    std::array<Amount, 8> KyuRyo{};  // 給料
    std::array<Amount, 8> Syouyo{};  // 賞与
    std::array<Amount, 8> Goukei{};  // 合計
    std::array<Amount, 8> Gensen{};  // 源泉徴収額
};

inline constexpr int kFamilyRows = 4;    // total row 5
inline constexpr int kEmployeeRows = 5;  // row 6 その他, total row 7
inline constexpr int kFamilyTotalRow = 5;
inline constexpr int kEmployeeOtherRow = 6;
inline constexpr int kEmployeeTotalRow = 7;
inline constexpr int kPage2Figures = 11;

struct Page2Data {
    // 専従者給与の内訳, rows 1..4.
    std::array<std::string, 5> Name1;
    std::array<std::string, 5> Zokugara;
    std::array<std::int16_t, 5> Nenrei{};
    std::array<std::int16_t, 5> Gtuki{};
    WageColumns family;  // rows 1..5
    // 給料賃金の内訳, rows 1..5; Ninzuu is the number of persons of the その他 row.
    std::array<std::string, 6> Name2;
    std::array<std::int16_t, 6> Nenrei2{};
    std::array<std::int16_t, 6> Gtuki2{};
    std::string Ninzuu;
    WageColumns employees;  // rows 1..7
    // Calculation figures 1..11.
    std::array<Amount, 12> Syukei{};
};

inline constexpr int kAssetRows = 10;  // row 11 holds the totals
inline constexpr int kAssetTotalRow = 11;

struct AssetRow {
    std::string Name1;        // 償却資産の名称
    std::string QT;           // 面積,数量
    std::int16_t Nen = 0;     // 取得年
    std::int16_t Tuki = 0;    // 取得月
    Amount Gaku = 0;          // 取得価額
    Amount KisoGaku = 0;      // 償却の基礎金額
    std::string SyouKyaku;    // 償却方法
    std::int16_t Nensuu = 0;  // 耐用年数
    std::string Ritsu;        // 償却率: "0.250" or "1/n"
    std::int16_t Kikan = 0;   // 償却期間 (months)
    Amount Hi = 0;            // 普通償却費
    Amount TokuHi = 0;        // 割増償却費
    Amount Goukei = 0;        // 償却費合計
    std::int16_t Jigyo = 0;   // 専用割合 (%)
    Amount Keihi = 0;         // 経費算入額
    Amount Zandaka = 0;       // 未償却残高
    std::string Bikou;        // 摘要
    bool operator==(const AssetRow&) const = default;
};

struct InterestRow {
    std::string Name2;
    Amount KariGaku = 0, Waribiki = 0, keihi2 = 0;
};
struct RentRow {
    std::string Name3, Buken;
    Amount Gaku3 = 0, Gaku31 = 0, keihi3 = 0;
};
struct FeeRow {
    std::string Name4;
    Amount ZeiGaku = 0, Keihi4 = 0, Gensen4 = 0;
};

struct Page3Data {
    std::array<AssetRow, 12> assets;      // rows 1..10, 11 the totals
    std::array<InterestRow, 3> interest;  // rows 1..2
    std::array<RentRow, 3> rent;
    std::array<FeeRow, 3> fees;
    std::string Memo;
};

// Page 1: the stock entries (values 2 and 5 of the last 48 values of the file) and
// the deduction: page 2's figure 9 (the 55万円 deduction) when it is not 0, else
// figure 11 (the 10万円 one).
Amount StoredStatementEntry(const TaxReturnTables& t, int index);
void StoreStatementEntry(TaxReturnTables& t, int index, Amount value);
Amount StoredDeduction(const TaxReturnTables& t);
// Page 3's 本年分の必要経費算入額 total (the totals row), as stored and printed.
Amount StoredDepreciation(const TaxReturnTables& t);

Page2Data ReadPage2(const TaxReturnTables& t);
void WritePage2(TaxReturnTables& t, const Page2Data& d);
Page3Data ReadPage3(const TaxReturnTables& t);
void WritePage3(TaxReturnTables& t, const Page3Data& d);

}  // namespace tabulo
