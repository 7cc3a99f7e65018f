#include "cli/AssetsExport.h"

#include "assets/PrivateShares.h"
#include "assets/YearAssets.h"

namespace tabulo {
namespace {

std::string Day(std::int32_t yyyymmdd) {
    const std::string d = std::to_string(yyyymmdd);
    return d.size() == 8 ? d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) : d;
}
std::string N(std::int64_t v) { return std::to_string(v); }

}  // namespace

Result<CsvRows> AssetsCsv(const SharedState& s) {
    auto reg = ReadYearRegister(s);
    if (!reg) return reg.error();
    CsvRows rows{{"名称", "種類", "数量", "取得年月日", "事業供用年月日", "取得価額", "償却方法",
                  "耐用年数", "償却率", "償却期間", "期首帳簿価額", "本年分の償却費", "事業専用割合",
                  "必要経費算入額", "事業主貸", "期末帳簿価額", "摘要"}};
    std::int64_t opening = 0;
    for (std::size_t i = 0; i < reg->assets.size(); ++i) {
        const FixedAsset& a = reg->assets[i];
        const AssetYear& y = reg->year.assets[i];
        opening += a.OpeningBookValue;
        std::string remarks = y.remarks;
        if (a.DisposalKind != DisposalKind::Kept)
            remarks += std::string(remarks.empty() ? "" : " ") +
                       (a.DisposalKind == DisposalKind::Sold ? "売却" : "除却") + N(a.DisposalMonth) +
                       "月 帳簿価額" + N(y.disposalBookValue);
        if (y.unconfirmed) remarks += std::string(remarks.empty() ? "" : " ") + "改正案に基づく";
        rows.push_back({a.AssetName, AssetKindName(a.AssetKind), a.Quantity, Day(a.AcquiredOn),
                        Day(a.FirstUsedOn), N(a.Cost), AssetMethodName(a.Method),
                        a.UsefulLife > 0 ? N(a.UsefulLife) : "", y.rateText, N(y.months),
                        N(a.OpeningBookValue), N(y.depreciation), N(a.BusinessShare), N(y.expense),
                        N(y.privatePart), N(y.closingBookValue), remarks});
    }
    const RegisterYear& t = reg->year;
    rows.push_back({"合計", "", "", "", "", "", "", "", "", "", N(opening), N(t.depreciation), "",
                    N(t.expense), N(t.privatePart), N(t.closingBookValue), ""});
    for (const std::string& line : ClosingNote(t)) rows.push_back({"注", line});
    return rows;
}

Result<CsvRows> PrivateSharesCsv(const SharedState& s, const MonthlyTable& table) {
    auto shares = LoadItemShares(ItemSharesPath(s));
    if (!shares) return shares.error();
    auto split = SplitPrivateShares(s.ItemTable, table, *shares);
    if (!split) return split.error();
    CsvRows rows{{"項目", "項目名", "行", "年間合計", "事業割合", "必要経費", "事業主貸"}};
    for (const ShareLine& l : split->lines)
        rows.push_back({N(l.item), l.name, N(l.line), N(l.total), l.share > 0 ? N(l.share) : "",
                        N(l.expense), N(l.privatePart)});
    rows.push_back({"合計", "", "", N(split->total), "", N(split->expense), N(split->privatePart)});
    return rows;
}

}  // namespace tabulo
