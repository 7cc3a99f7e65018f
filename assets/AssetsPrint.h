#pragma once
// The printouts of the register and the shares, as pages of drawing operations on A4
// portrait: the fixed-asset register (固定資産台帳) of the year with each asset's
// depreciation, its totals and the closing note of the rules the figures rest on, and
// the private shares of expenses (家事按分). The screens and tabulo-cli print the same
// pages.

#include "assets/PrivateShares.h"
#include "assets/YearAssets.h"
#include "platform/PrintDocument.h"

namespace tabulo {

struct SharedState;

inline constexpr int kRegisterRowsPerPage = 24;
inline constexpr int kShareRowsPerPage = 48;

// Two lines an asset: 名称 / 種類・数量, 取得年月日 / 事業供用日, 取得価額 / 償却の基礎,
// 償却方法 / 耐用年数・償却率, 月数 / 事業割合, 期首帳簿価額 / 本年償却費,
// 経費算入額 / 事業主貸, 期末帳簿価額 / 摘要; then the totals and the closing note.
PrintDocument PrintAssetRegister(const SharedState& s, const YearRegister& reg);

// One line an expense item: 項目, 項目名, 申告書の行, 年間合計, 事業割合, 必要経費,
// 事業主貸; then the totals.
PrintDocument PrintPrivateShares(const SharedState& s, const SharesYear& shares);

}  // namespace tabulo
