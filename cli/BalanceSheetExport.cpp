#include "cli/BalanceSheetExport.h"

#include "store/SharedState.h"

namespace tabulo {
namespace {

const char* const kCostNames[kCostLines + 1] = {
    "",         "期首原材料棚卸高", "原材料仕入高", "小計",     "期末原材料棚卸高",
    "差引原材料費", "労務費",       "外注工賃",   "電力費",   "水道光熱費",
    "修繕費",   "減価償却費",     "",           "",         "",
    "",         "",               "雑費",       "計",       "総製造費",
    "期首半製品・仕掛品棚卸高",     "小計",       "期末半製品・仕掛品棚卸高",
    "製品製造原価"};

}  // namespace

CsvRows BalanceSheetCsv(const SharedState& s, const BalanceSheet& sheet,
                        const ManufacturingCost& cost) {
    CsvRows rows{{"区分", "コード", "勘定科目", "1月1日", "12月31日"}};
    auto column = [&](const char* side, const std::vector<BalanceSheetRow>& list) {
        for (const BalanceSheetRow& r : list) {
            if (r.opening == 0 && r.closing == 0) continue;
            rows.push_back({side, std::to_string(r.code), AccountName(r.code, s.ItemTable),
                            std::to_string(r.opening), std::to_string(r.closing)});
        }
    };
    column("資産", sheet.assets);
    rows.push_back({"資産", "", "資産の部 合計", std::to_string(sheet.assetsOpening),
                    std::to_string(sheet.assetsClosing)});
    column("負債・資本", sheet.claims);
    rows.push_back({"負債・資本", "", "青色申告特別控除前の所得金額", "",
                    std::to_string(sheet.income)});
    rows.push_back({"負債・資本", "", "負債・資本の部 合計", std::to_string(sheet.claimsOpening),
                    std::to_string(sheet.claimsClosing)});
    if (cost.Used()) {
        for (int n = 1; n <= kCostLines; ++n) {
            const auto i = static_cast<std::size_t>(n);
            std::string name = kCostNames[i];
            if (n >= kCostFreeFirst && n < kCostFreeFirst + kCostFreeLines)
                name = cost.freeNames[static_cast<std::size_t>(n - kCostFreeFirst)];
            rows.push_back({"製造原価", std::to_string(n), name, "", std::to_string(cost.lines[i])});
        }
    }
    return rows;
}

}  // namespace tabulo
