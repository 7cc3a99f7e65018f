#include "assets/Depreciation.h"

#include <algorithm>
#include <limits>

namespace tabulo {
namespace {

constexpr std::int64_t kAmountMax = std::numeric_limits<Amount>::max();

// The figures of the rules table one year's work asks for, with the rows it used.
class RuleUse {
  public:
    explicit RuleUse(RegisterYear& y) : y_(y) {}
    std::optional<TaxRule> Find(std::string_view key, std::int32_t date) {
        auto row = FindTaxRule(key, date);
        if (row) Note(*row);
        return row;
    }
    bool lastUnconfirmed = false;

  private:
    void Note(const TaxRule& row) {
        lastUnconfirmed = !row.confirmed;
        for (const TaxRule& r : y_.rules)
            if (r.key == row.key && r.from == row.from) return;
        y_.rules.push_back(row);
    }
    RegisterYear& y_;
};

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a <= 0 ? 0 : (a + b - 1) / b; }

FileError AssetError(std::size_t index, const std::string& why, int code = FileErrorCode::BadFormat) {
    return FileError{code, {}, "資産 " + std::to_string(index + 1) + ": " + why};
}

}  // namespace

bool RegisterYear::unconfirmed() const {
    return std::any_of(rules.begin(), rules.end(), [](const TaxRule& r) { return !r.confirmed; });
}

int StraightLineRateThousandths(int life, std::int32_t date) {
    auto unit = FindTaxRule("depreciation.straight_line.rate_unit", date);
    if (!unit || life <= 0) return 0;
    // 1/n rounded up to the unit (thousandths).
    return static_cast<int>(CeilDiv(unit->denominator, static_cast<std::int64_t>(life) * unit->numerator));
}

int OldStraightLineRateThousandths(int life, std::int32_t date) {
    auto unit = FindTaxRule("depreciation.old_straight_line.rate_unit", date);
    if (!unit || life <= 0) return 0;
    return static_cast<int>(unit->denominator / (static_cast<std::int64_t>(life) * unit->numerator));
}

std::string RateText(int thousandths) {
    std::string digits = std::to_string(thousandths % 1000);
    return std::to_string(thousandths / 1000) + "." + std::string(3 - digits.size(), '0') + digits;
}

Amount BusinessPart(Amount amount, int share) {
    const std::int64_t product = static_cast<std::int64_t>(amount) * share;
    // Int(x + 0.51) with x = product / 100; a negative amount (a refund) mirrors it.
    if (product < 0) return static_cast<Amount>(-((-product + 51) / 100));
    return static_cast<Amount>((product + 51) / 100);
}

Result<RegisterYear> DepreciateRegister(const AssetRegister& assets, int year) {
    RegisterYear y;
    RuleUse rules(y);
    std::int64_t smallAssetTotal = 0;
    std::int64_t depreciation = 0, expense = 0, privatePart = 0, closing = 0;
    for (std::size_t i = 0; i < assets.size(); ++i) {
        const FixedAsset& a = assets[i];
        if (std::string why = AssetFault(a); !why.empty()) return AssetError(i, why);
        AssetYear r;
        const int usedYear = a.FirstUsedOn / 10000, usedMonth = a.FirstUsedOn / 100 % 100;
        const Amount opening = a.OpeningBookValue;
        if (usedYear > year) {
            // Not in use yet: nothing this year.
            r.closingBookValue = opening;
            y.assets.push_back(r);
            closing += opening;
            continue;
        }
        const int firstMonth = usedYear == year ? usedMonth : 1;
        const int lastMonth = a.DisposalMonth > 0 ? a.DisposalMonth : 12;
        r.months = std::max(0, lastMonth - firstMonth + 1);
        if (a.DisposalMonth > 0 && usedYear == year && a.DisposalMonth < usedMonth)
            return AssetError(i, "売却・除却の月が事業供用の月より前です。");
        if (!rules.Find("depreciation.fraction_rounded_up", a.AcquiredOn))
            return AssetError(i, "減価償却の端数処理の規則がありません。");
        bool unconfirmed = rules.lastUnconfirmed;
        std::int64_t d = 0;
        switch (a.Method) {
        case AssetMethod::StraightLine: {
            auto unit = rules.Find("depreciation.straight_line.rate_unit", a.AcquiredOn);
            if (!unit) return AssetError(i, "平成19年3月31日以前に取得した資産は旧定額法です。");
            unconfirmed |= rules.lastUnconfirmed;
            const int rate = StraightLineRateThousandths(a.UsefulLife, a.AcquiredOn);
            r.base = a.Cost;
            r.rateText = RateText(rate);
            d = CeilDiv(static_cast<std::int64_t>(a.Cost) * rate * r.months, 1000 * 12);
            d = std::min<std::int64_t>(d, std::max<std::int64_t>(0, opening - 1));
            break;
        }
        case AssetMethod::OldStraightLine: {
            auto unit = rules.Find("depreciation.old_straight_line.rate_unit", a.AcquiredOn);
            auto base = rules.Find("depreciation.old_straight_line.base", a.AcquiredOn);
            auto floor = rules.Find("depreciation.old_straight_line.floor", a.AcquiredOn);
            auto years = rules.Find("depreciation.old_straight_line.final_years", a.AcquiredOn);
            if (!unit || !base || !floor || !years)
                return AssetError(i, "平成19年4月1日以後に取得した資産は定額法です。");
            const int rate = OldStraightLineRateThousandths(a.UsefulLife, a.AcquiredOn);
            // The book value the ordinary years stop at: what 95 % of the cost (rounded
            // up, 3,333,333 -> 3,166,667) leaves.
            const std::int64_t limit =
                a.Cost - CeilDiv(static_cast<std::int64_t>(a.Cost) * (floor->denominator - floor->numerator),
                                 floor->denominator);
            if (opening > limit) {
                r.base = static_cast<Amount>(a.Cost * base->numerator / base->denominator);
                r.rateText = RateText(rate);
                d = CeilDiv(static_cast<std::int64_t>(a.Cost) * base->numerator * rate * r.months,
                            base->denominator * 1000 * 12);
                d = std::min<std::int64_t>(d, opening - limit);
            } else {
                // The equal years: (5 % of the cost - 1 yen) / 5 a year, ending at 1 yen.
                r.base = static_cast<Amount>(std::max<std::int64_t>(0, limit - 1));
                r.rateText = "1/" + std::to_string(years->numerator / years->denominator);
                d = CeilDiv(r.base * static_cast<std::int64_t>(r.months) * years->denominator,
                            years->numerator * 12);
                d = std::min<std::int64_t>(d, std::max<std::int64_t>(0, opening - 1));
            }
            break;
        }
        case AssetMethod::LumpSum: {
            auto lower = rules.Find("depreciation.lump_sum.lower", a.AcquiredOn);
            unconfirmed |= rules.lastUnconfirmed;
            auto upper = rules.Find("depreciation.lump_sum.upper", a.AcquiredOn);
            unconfirmed |= rules.lastUnconfirmed;
            auto years = rules.Find("depreciation.lump_sum.years", a.AcquiredOn);
            unconfirmed |= rules.lastUnconfirmed;
            if (!lower || !upper || !years || a.Cost < lower->numerator || a.Cost >= upper->numerator)
                return AssetError(i, "一括償却資産は取得価額10万円以上20万円未満の資産です。");
            const int n = static_cast<int>(years->numerator / years->denominator);
            const int index = year - usedYear;  // 0 in the year of first use
            // A third each year whatever the months, sold or scrapped or not; the last
            // year takes what is left.
            const std::int64_t share = CeilDiv(a.Cost, n);
            d = index < 0 || index >= n ? 0 : index < n - 1 ? share : a.Cost - share * (n - 1);
            d = std::min<std::int64_t>(std::max<std::int64_t>(0, d), opening);
            r.base = a.Cost;
            r.rateText = "1/" + std::to_string(n);
            r.months = 12;
            break;
        }
        case AssetMethod::SmallAsset: {
            auto limit = rules.Find("depreciation.small_asset.limit", a.AcquiredOn);
            unconfirmed |= rules.lastUnconfirmed;
            if (!limit) return AssetError(i, "この取得日の少額減価償却資産の特例はありません。");
            if (a.Cost >= limit->numerator)
                return AssetError(i, "少額減価償却資産は取得価額" +
                                         std::to_string(limit->numerator / 10000) + "万円未満の資産です。");
            if (usedYear == year) {
                auto cap = rules.Find("depreciation.small_asset.annual_cap", a.FirstUsedOn);
                unconfirmed |= rules.lastUnconfirmed;
                smallAssetTotal += a.Cost;
                if (!cap || smallAssetTotal > cap->numerator)
                    return AssetError(i, "少額減価償却資産の取得価額の合計が年" +
                                             std::to_string(cap ? cap->numerator / 10000 : 0) +
                                             "万円を超えます。");
                d = opening;
            }
            r.base = a.Cost;
            r.remarks = "措法28の2";
            break;
        }
        }
        r.unconfirmed = unconfirmed;
        r.depreciation = static_cast<Amount>(d);
        r.expense = BusinessPart(r.depreciation, a.BusinessShare);
        r.privatePart = r.depreciation - r.expense;
        const Amount left = static_cast<Amount>(opening - d);
        if (a.DisposalMonth > 0 && a.Method != AssetMethod::LumpSum) {
            r.disposalBookValue = left;
            r.closingBookValue = 0;
        } else {
            r.closingBookValue = left;
        }
        depreciation += r.depreciation;
        expense += r.expense;
        privatePart += r.privatePart;
        closing += r.closingBookValue;
        if (depreciation > kAmountMax || closing > kAmountMax)
            return AssetError(i, "合計が大きすぎます。", FileErrorCode::Overflow);
        y.assets.push_back(std::move(r));
    }
    y.depreciation = static_cast<Amount>(depreciation);
    y.expense = static_cast<Amount>(expense);
    y.privatePart = static_cast<Amount>(privatePart);
    y.closingBookValue = static_cast<Amount>(closing);
    std::sort(y.rules.begin(), y.rules.end(), [](const TaxRule& a, const TaxRule& b) {
        const auto table = TaxRuleTable();
        auto at = [&](const TaxRule& r) {
            return std::find_if(table.begin(), table.end(), [&](const TaxRule& t) {
                       return t.key == r.key && t.from == r.from;
                   }) - table.begin();
        };
        return at(a) < at(b);
    });
    return y;
}

AssetRegister NextYearRegister(const AssetRegister& assets, const RegisterYear& done) {
    AssetRegister next;
    for (std::size_t i = 0; i < assets.size() && i < done.assets.size(); ++i) {
        const FixedAsset& a = assets[i];
        const AssetYear& r = done.assets[i];
        if (a.DisposalMonth > 0 && a.Method != AssetMethod::LumpSum) continue;
        if ((a.Method == AssetMethod::LumpSum || a.Method == AssetMethod::SmallAsset) &&
            r.closingBookValue == 0)
            continue;
        FixedAsset n = a;
        n.OpeningBookValue = r.closingBookValue;
        // A sold or scrapped 一括償却資産 goes on to its third year: the mark stays only
        // for the year it happened in.
        n.DisposalMonth = 0;
        n.DisposalKind = DisposalKind::Kept;
        next.push_back(std::move(n));
    }
    return next;
}

std::vector<std::string> ClosingNote(const RegisterYear& year) {
    struct Caption {
        std::string_view key;
        const char* text;
    };
    static const Caption captions[] = {
        {"depreciation.straight_line.rate_unit", "定額法の償却率（1/耐用年数を千分の一に切上げ）"},
        {"depreciation.old_straight_line.rate_unit", "旧定額法の償却率（1/耐用年数を千分の一に切捨て）"},
        {"depreciation.old_straight_line.base", "旧定額法の償却の基礎（取得価額の9/10）"},
        {"depreciation.old_straight_line.floor", "旧定額法の償却可能限度（取得価額の5%まで）"},
        {"depreciation.old_straight_line.final_years", "5%到達後の均等償却の年数（5年、1円まで）"},
        {"depreciation.fraction_rounded_up", "償却費の1円未満の端数（切上げ：49,999÷5 = 9,999.8 → 10,000円、5年目9,999円）"},
        {"depreciation.lump_sum.lower", "一括償却資産の下限（取得価額）"},
        {"depreciation.lump_sum.upper", "一括償却資産の上限（取得価額未満）"},
        {"depreciation.lump_sum.years", "一括償却資産の年数"},
        {"depreciation.small_asset.limit", "少額減価償却資産の取得価額の上限（未満）"},
        {"depreciation.small_asset.annual_cap", "少額減価償却資産の年間の合計限度"},
    };
    std::vector<std::string> lines;
    for (const TaxRule& r : year.rules) {
        std::string text(r.key);
        for (const Caption& c : captions)
            if (c.key == r.key) text = c.text;
        std::string figure = r.denominator == 1 ? std::to_string(r.numerator)
                                                : std::to_string(r.numerator) + "/" + std::to_string(r.denominator);
        lines.push_back(text + "：" + figure + "（" + std::string(r.source) + "）" +
                        (r.confirmed ? "確定" : "改正案・未成立"));
    }
    return lines;
}

}  // namespace tabulo
