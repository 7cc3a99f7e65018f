#include "cli/ConsumptionTaxExport.h"

#include "consumptiontax/ConsumptionTax.h"
#include "store/SharedState.h"

namespace tabulo {

Result<CsvRows> ConsumptionTaxCsv(const SharedState& s, const std::string& method,
                                  int businessClass) {
    auto year = LoadYearTaxBooks(s);
    if (!year) return year.error();
    TaxMethod m = year->Settings.Method;
    if (method == "2wari") m = TaxMethod::TwentyPercent;
    else if (method == "3wari") m = TaxMethod::ThirtyPercent;
    else if (method == "kani") m = TaxMethod::Simplified;
    else if (method == "gensoku") m = TaxMethod::General;
    const std::string path = TaxSettingsPath(s).string();
    if (method.empty() && !year->Settings.Taxable)
        return BadFormatError(path, "この年は免税事業者の設定です。--method で計算方法を選ぶと、"
                                    "課税事業者となった場合の税額を出力します。");
    if (m == TaxMethod::None)
        return BadFormatError(path, "消費税の計算方法が設定されていません。--method で選んでください。");
    TaxComputeOptions options;
    options.BusinessClass = businessClass;
    const MethodReturn r = ComputeMethod(year->Totals, year->Settings, m, year->Year, options);
    if (!r.Fault.empty()) return BadFormatError(path, r.Fault);
    CsvRows rows = {{"欄", "名称", "金額"}};
    for (const TaxLine& l : r.Lines)
        rows.push_back({l.Sheet + l.Mark, l.Name, std::to_string(l.Amount)});
    for (const std::string& source : r.UnconfirmedSources)
        rows.push_back({"注", std::string(UnconfirmedRuleNote()) + "（" + source + "）", ""});
    return rows;
}

}  // namespace tabulo
