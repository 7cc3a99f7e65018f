#include "taxreturn/StatementChecks.h"

#include "taxreturn/StatementFormats.h"

namespace tabulo {
namespace {

struct Pair {
    const char* first;
    Amount a;
    const char* second;
    Amount b;
};

std::string Disagree(const Pair& p) {
    return std::string(p.first) + " " + AmountText(p.a) + " と" + p.second + " " + AmountText(p.b) +
           " が一致しません。";
}

}  // namespace

std::vector<std::string> CrossPageChecks(const Page1Figures& page1, const MonthlySection& monthly,
                                         const Page2Data& page2, const Page3Data& page3) {
    const StatementLineAmounts& l = page1.lines;
    std::vector<std::string> out;
    if (l[1] != monthly.sales[15])
        out.push_back(Disagree({"１ページ①売上（収入）金額", l[1],
                                "２ページの月別売上（収入）金額の計", monthly.sales[15]}));
    const Amount assets = page3.assets[kAssetTotalRow].Keihi;
    if (l[kDepreciationLine] != assets) {
        std::string text = Disagree({"１ページ⑱減価償却費", l[kDepreciationLine],
                                     "３ページの本年分の必要経費算入額の計", assets});
        if (page1.cashBookDepreciation != 0)
            text += "出納簿で⑱に集計した " + AmountText(page1.cashBookDepreciation) +
                    " を含みます" + (assets != 0 ? "（二重計上のおそれ）。" : "。");
        out.push_back(std::move(text));
    }
    if (l[20] != page2.employees.Goukei[kEmployeeTotalRow])
        out.push_back(Disagree({"１ページ⑳給料賃金", l[20], "２ページの給料賃金の内訳の計",
                                page2.employees.Goukei[kEmployeeTotalRow]}));
    if (l[38] != page2.family.Goukei[kFamilyTotalRow])
        out.push_back(Disagree({"１ページ㊳専従者給与", l[38], "２ページの専従者給与の内訳の計",
                                page2.family.Goukei[kFamilyTotalRow]}));
    if (l[39] != page2.Syukei[5])
        out.push_back(Disagree({"１ページ㊴貸倒引当金", l[39],
                                "２ページの本年分の貸倒引当金繰入額⑤", page2.Syukei[5]}));
    return out;
}

std::vector<std::string> CrossPageChecks(const ItemTableArray& items, const MonthlyTable& totals,
                                         const TaxReturnTables& t, const SlipFigures* slips) {
    return CrossPageChecks(OpeningPage1(items, totals, t, slips),
                           ComputeMonthlySection(items, totals, slips),
                           ReadPage2(t), ReadPage3(t));
}

std::string CrossPageChecksText(const std::vector<std::string>& checks) {
    if (checks.empty()) return {};
    std::string text = "ページ間で一致しない金額があります：";
    for (const std::string& c : checks) text += "\n・" + c;
    return text;
}

}  // namespace tabulo
