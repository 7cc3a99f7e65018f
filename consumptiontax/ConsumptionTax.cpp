#include "consumptiontax/ConsumptionTax.h"

#include <algorithm>
#include <cstdio>

#include "books/Entries.h"
#include "store/Dates.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

__extension__ using Wide = __int128;

// a × num / den, cut toward zero (the forms' 切捨て), with a wide intermediate.
Yen MulDiv(Yen a, Wide num, Wide den) { return static_cast<Yen>(Wide(a) * num / den); }
Yen CutTo(Yen a, Yen unit) { return a / unit * unit; }

// The rows a return rests on, with the note of those not yet law.
struct RuleUse {
    MethodReturn& r;
    std::optional<TaxRule> Find(std::string_view key, RuleDate date) {
        auto row = FindTaxRule(key, date);
        if (row && !row->confirmed) {
            r.Unconfirmed = true;
            const std::string source(row->source);
            if (std::find(r.UnconfirmedSources.begin(), r.UnconfirmedSources.end(), source) ==
                r.UnconfirmedSources.end())
                r.UnconfirmedSources.push_back(source);
        }
        return row;
    }
};

// A row of `key` in force on some day of `year`.
std::optional<TaxRule> RuleOfYear(std::string_view key, int year) {
    for (const TaxRule& row : TaxRuleTable())
        if (row.key == key && row.from <= year * 10000 + 1231 && row.to >= year * 10000 + 101)
            return row;
    return std::nullopt;
}

const char* kRateWords[2] = {"（7.8%適用分）", "（6.24%適用分）"};

}  // namespace

void AddToTotals(TaxTotals& t, TaxCategory c, RuleDate date, Yen amount, int businessClass) {
    const int month = date / 100 % 100;
    if (month >= 1 && month <= 12)
        t.ByMonth[static_cast<std::size_t>(c)][static_cast<std::size_t>(month)] += amount;
    const std::size_t rate = IsReducedRate(c) ? 1 : 0;
    switch (c) {
        case TaxCategory::Sales10:
        case TaxCategory::Sales8: {
            const int cls = businessClass >= 1 && businessClass <= 6 ? businessClass : 0;
            t.Sales[rate][static_cast<std::size_t>(cls)] += amount;
            break;
        }
        case TaxCategory::ZeroRatedSales: t.ZeroRatedSales += amount; break;
        case TaxCategory::ExemptSales: t.ExemptSales += amount; break;
        case TaxCategory::Purchase10:
        case TaxCategory::Purchase8: t.Purchases[rate] += amount; break;
        case TaxCategory::Purchase10NoInvoice:
        case TaxCategory::Purchase8NoInvoice: t.NoInvoicePurchases[rate][date] += amount; break;
        case TaxCategory::ExemptPurchase: t.ExemptPurchases += amount; break;
        case TaxCategory::OutOfScope:
        case TaxCategory::FromAccount: t.OutOfScope += amount; break;
    }
}

TaxCategory ItemTaxCategory(int itemNo, const TaxSettings& settings, const ItemTableArray& items,
                            const ItemAccountArray& chosen) {
    if (itemNo < 1 || itemNo > kItemCount) return TaxCategory::OutOfScope;
    const TaxCategory own = settings.ItemCategory[static_cast<std::size_t>(itemNo)];
    if (own != TaxCategory::FromAccount) return own;
    const int account = ItemAccount(itemNo, items, chosen);
    return account == 0 ? TaxCategory::OutOfScope : DefaultTaxCategory(account);
}

Result<TaxTotals> GatherTaxTotals(const SharedState& s, const SlipBook& book,
                                  const ItemAccountArray& chosen, const TaxSettings& settings,
                                  int year) {
    auto journal = BuildJournal(s, book, chosen);
    if (!journal) return journal.error();
    TaxTotals t;
    for (const BookEntry& e : *journal) {
        if (e.source == BookEntry::Closing) continue;
        const Posting& p = e.posting;
        // The date's month and day; the year is the books' own.
        RuleDate date = year * 10000 + 1231;
        if (e.date.size() == 6) date = year * 10000 + std::atoi(e.date.substr(2, 4).c_str());
        TaxCategory c = TaxCategory::OutOfScope;
        int account = 0;
        int cls = 0;  // the year's class (or --class) applies when the return is worked
        if (e.source == BookEntry::CashBook) {
            c = ItemTaxCategory(e.itemNo, settings, s.ItemTable, chosen);
            account = ItemAccount(e.itemNo, s.ItemTable, chosen);
            const int own = settings.ItemClass[static_cast<std::size_t>(
                std::clamp(e.itemNo, 0, kItemCount))];
            if (own != 0) cls = own;
        } else {
            // A slip: the expense or asset it debits, else the income it credits, else a
            // refund of an expense or a return of sales.
            const auto side = [](int code) {
                const Account* a = FindAccount(code);
                return a == nullptr ? AccountSide::Asset : a->side;
            };
            if (side(p.debit) == AccountSide::Expense ||
                DefaultTaxCategory(p.debit) != TaxCategory::OutOfScope)
                account = p.debit;
            else if (side(p.credit) == AccountSide::Income || side(p.credit) == AccountSide::Expense)
                account = p.credit;
            else if (side(p.debit) == AccountSide::Income)
                account = p.debit;
            c = account == 0 ? TaxCategory::OutOfScope : DefaultTaxCategory(account);
        }
        // A mark in the remarks gives the line a category of its own.
        const TaxCategory usual = c;
        c = LineTaxCategory(usual, account != 0 && p.credit == account, e.remarks);
        if (c != usual)
            t.Marked.push_back({e.source == BookEntry::Slip, e.number, e.date, e.remarks, p.amount, usual, c});
        Yen amount = p.amount;
        if (IsSalesCategory(c)) {
            amount = p.credit == account ? amount : -amount;
        } else if (IsPurchaseCategory(c)) {
            amount = p.debit == account ? amount : -amount;
        }
        AddToTotals(t, c, date, amount, cls);
    }
    return t;
}

std::vector<TaxMethod> MethodsOfYear(int year) {
    std::vector<TaxMethod> m;
    if (RuleOfYear("ctax.special.twenty", year)) m.push_back(TaxMethod::TwentyPercent);
    else if (RuleOfYear("ctax.special.thirty", year)) m.push_back(TaxMethod::ThirtyPercent);
    m.push_back(TaxMethod::Simplified);
    m.push_back(TaxMethod::General);
    return m;
}

MethodReturn ComputeMethod(const TaxTotals& totals, const TaxSettings& settings, TaxMethod method,
                           int year, const TaxComputeOptions& options) {
    MethodReturn r;
    r.Method = method;
    RuleUse rules{r};
    const RuleDate yearEnd = year * 10000 + 1231;
    const auto fail = [&](std::string why) {
        r.Fault = std::move(why);
        return r;
    };
    const auto allowed = MethodsOfYear(year);
    if (std::find(allowed.begin(), allowed.end(), method) == allowed.end())
        return fail(std::to_string(year) + "年分には" + TaxMethodName(method) + "はありません。");

    switch (method) {
        case TaxMethod::TwentyPercent:
        case TaxMethod::ThirtyPercent:
            r.Needs = "登録により課税事業者となった方（基準期間の課税売上高1,000万円以下）";
            r.NeedsMet = settings.ByRegistration;
            break;
        case TaxMethod::Simplified:
            r.Needs = "簡易課税制度選択届出書の提出（基準期間の課税売上高5,000万円以下）";
            r.NeedsMet = settings.SimpleElectionFiled;
            break;
        default: r.Needs = "届出は要りません"; break;
    }

    const auto rate10 = rules.Find("ctax.rate.standard", yearEnd);
    const auto rate8 = rules.Find("ctax.rate.reduced", yearEnd);
    const auto nat10 = rules.Find("ctax.national.standard", yearEnd);
    const auto nat8 = rules.Find("ctax.national.reduced", yearEnd);
    const auto local = rules.Find("ctax.local.share", yearEnd);
    const auto baseCut = rules.Find("ctax.round.tax_base", yearEnd);
    const auto netCut = rules.Find("ctax.round.net_tax", yearEnd);
    if (year < 2020 || !rate10 || !rate8 || !nat10 || !nat8 || !local || !baseCut || !netCut)
        return fail(std::to_string(year) + "年分の消費税の計算には対応していません。");
    const std::array<const TaxRule*, 2> whole = {&*rate10, &*rate8};
    const std::array<const TaxRule*, 2> national = {&*nat10, &*nat8};

    // The amount without tax: × 100/110 (or 100/108) when the books include the tax.
    const auto withoutTax = [&](Yen amount, std::size_t k) {
        if (!settings.TaxIncluded) return amount;
        const TaxRule& w = *whole[k];
        return MulDiv(amount, w.denominator, w.denominator + w.numerator);
    };
    // The national tax in an amount: 7.8/110 (6.24/108) of it, or 7.8 % without tax.
    const auto taxIn = [&](Yen amount, std::size_t k, Wide shareNum, Wide shareDen) {
        const TaxRule& n = *national[k];
        const TaxRule& w = *whole[k];
        Wide num = Wide(n.numerator) * shareNum;
        Wide den = Wide(n.denominator) * shareDen;
        if (settings.TaxIncluded) {
            // rate / (1 + whole rate) = n/d × wd / (wd + wn)
            num *= w.denominator;
            den *= w.denominator + w.numerator;
        }
        return MulDiv(amount, num, den);
    };

    std::array<Yen, 2> sales{};
    for (std::size_t k = 0; k < 2; ++k)
        for (Yen v : totals.Sales[k]) sales[k] += v;
    Yen taxableSales = totals.ZeroRatedSales;  // ⑮ 課税資産の譲渡等の対価の額
    for (std::size_t k = 0; k < 2; ++k) {
        const Yen net = withoutTax(sales[k], k);
        taxableSales += net;
        r.TaxBase[k] = CutTo(net, baseCut->numerator);
        r.OutputTax[k] = MulDiv(r.TaxBase[k], national[k]->numerator, national[k]->denominator);
    }
    const Yen output = r.OutputTax[0] + r.OutputTax[1];
    const Yen allSales = taxableSales + totals.ExemptSales;  // ⑯

    std::vector<TaxLine> sheet;  // the method's worksheet lines
    const char* sheetName = "";
    switch (method) {
        case TaxMethod::TwentyPercent:
        case TaxMethod::ThirtyPercent: {
            sheetName = "付表6";
            const auto share = rules.Find(method == TaxMethod::TwentyPercent ? "ctax.special.twenty"
                                                                              : "ctax.special.thirty",
                                          RuleOfYear(method == TaxMethod::TwentyPercent
                                                         ? "ctax.special.twenty"
                                                         : "ctax.special.thirty",
                                                     year)->from);
            for (std::size_t k = 0; k < 2; ++k) {
                const Yen d = MulDiv(r.OutputTax[k], share->numerator, share->denominator);
                sheet.push_back({sheetName, "", std::string("特別控除税額") + kRateWords[k], d});
            }
            r.Deduction = MulDiv(output, share->numerator, share->denominator);
            sheet.push_back({sheetName, "", "特別控除税額（合計）", r.Deduction});
            break;
        }
        case TaxMethod::Simplified: {
            sheetName = "付表5-3";
            std::array<std::array<Yen, 7>, 2> byClass = totals.Sales;
            int fallback = options.BusinessClass != 0 ? options.BusinessClass : settings.BusinessClass;
            for (std::size_t k = 0; k < 2; ++k) {
                if (byClass[k][0] != 0) {
                    if (fallback < 1 || fallback > 6)
                        return fail("事業区分の決まっていない売上があります。消費税の設定で事業区分を選んでください。");
                    byClass[k][static_cast<std::size_t>(fallback)] += byClass[k][0];
                    byClass[k][0] = 0;
                }
            }
            std::array<Yen, 7> share{};  // percent by class
            for (int c = 1; c <= 6; ++c) {
                const auto row = rules.Find("ctax.simple.class" + std::to_string(c), yearEnd);
                if (!row) return fail("みなし仕入率の行がありません。");
                share[static_cast<std::size_t>(c)] = row->numerator * 100 / row->denominator;
            }
            // Each class's sales without tax over both rates, on the common denominator.
            std::array<Wide, 7> weight{};
            Wide all = 0;
            int classes = 0;
            for (std::size_t c = 1; c <= 6; ++c) {
                weight[c] = Wide(withoutTax(byClass[0][c], 0)) + withoutTax(byClass[1][c], 1);
                all += weight[c];
                if (byClass[0][c] != 0 || byClass[1][c] != 0) ++classes;
            }
            // The deduction when class i's sales take share a(i): per rate, the output
            // tax × Σ sales(i)·a(i) / Σ sales.
            const auto deductionWith = [&](const std::array<Yen, 7>& applied) {
                Yen d = 0;
                for (std::size_t k = 0; k < 2; ++k) {
                    Wide num = 0, den = 0;
                    for (std::size_t c = 1; c <= 6; ++c) {
                        num += Wide(byClass[k][c]) * applied[c];
                        den += byClass[k][c];
                    }
                    if (den != 0) d += MulDiv(r.OutputTax[k], num, den * 100);
                }
                return d;
            };
            Yen best = deductionWith(share);
            std::string how = classes > 1 ? "加重平均のみなし仕入率" : "みなし仕入率";
            if (classes > 1 && all > 0) {
                const auto dominant = rules.Find("ctax.simple.dominant_share", yearEnd);
                const auto reaches = [&](Wide part) {
                    return part * dominant->denominator >= all * dominant->numerator;
                };
                for (std::size_t i = 1; i <= 6; ++i) {
                    if (weight[i] == 0) continue;
                    if (reaches(weight[i])) {
                        std::array<Yen, 7> applied{};
                        for (std::size_t c = 1; c <= 6; ++c) applied[c] = share[i];
                        if (Yen d = deductionWith(applied); d > best) {
                            best = d;
                            how = "第" + std::to_string(i) + "種事業が75%以上の特例";
                        }
                    }
                    for (std::size_t j = 1; j <= 6; ++j) {
                        if (j == i || weight[j] == 0 || share[i] <= share[j]) continue;
                        if (!reaches(weight[i] + weight[j])) continue;
                        std::array<Yen, 7> applied{};
                        for (std::size_t c = 1; c <= 6; ++c) applied[c] = c == i ? share[i] : share[j];
                        if (Yen d = deductionWith(applied); d > best) {
                            best = d;
                            how = "第" + std::to_string(i) + "種・第" + std::to_string(j) +
                                  "種事業で75%以上の特例";
                        }
                    }
                }
            }
            for (std::size_t k = 0; k < 2; ++k)
                for (std::size_t c = 1; c <= 6; ++c)
                    if (byClass[k][c] != 0)
                        sheet.push_back({sheetName, "",
                                         "第" + std::to_string(c) + "種事業の課税売上高" + kRateWords[k],
                                         withoutTax(byClass[k][c], k)});
            r.Deduction = best;
            sheet.push_back({sheetName, "", "控除対象仕入税額（" + how + "）", best});
            break;
        }
        case TaxMethod::General: {
            sheetName = "付表2-3";
            Yen d = 0;
            for (std::size_t k = 0; k < 2; ++k) {
                const Yen paid = totals.Purchases[k];
                const Yen tax = taxIn(paid, k, 1, 1);
                sheet.push_back({sheetName, "", std::string("課税仕入れに係る支払対価の額") + kRateWords[k], paid});
                sheet.push_back({sheetName, "", std::string("課税仕入れに係る消費税額") + kRateWords[k], tax});
                d += tax;
                // Purchases without a qualified invoice: the share of their tax by the
                // purchase date, one sum per period of the share.
                std::map<RuleDate, std::pair<TaxRule, Yen>> periods;
                Yen uncovered = 0;
                for (const auto& [date, amount] : totals.NoInvoicePurchases[k]) {
                    const auto row = options.Reform ? rules.Find("ctax.no_invoice.share.reform", date)
                                                    : rules.Find("ctax.no_invoice.share", date);
                    if (!row) {
                        uncovered += amount;
                        continue;
                    }
                    auto [it, fresh] = periods.try_emplace(row->from, *row, 0);
                    it->second.second += amount;
                }
                for (const auto& [from, period] : periods) {
                    const TaxRule& row = period.first;
                    const Yen tax = taxIn(period.second, k, row.numerator, row.denominator);
                    const std::string pct = std::to_string(row.numerator * 100 / row.denominator) + "%";
                    sheet.push_back({sheetName, "", "適格請求書なしの課税仕入れ（" + pct + "控除）" + kRateWords[k],
                                     period.second});
                    sheet.push_back({sheetName, "", "同上の控除対象税額（" + pct + "）" + kRateWords[k], tax});
                    d += tax;
                }
                if (uncovered != 0)
                    sheet.push_back({sheetName, "", std::string("控除できない適格請求書なしの課税仕入れ") + kRateWords[k],
                                     uncovered});
            }
            // A taxed-sales share below 95 %: only that share of the tax is deducted
            // (一括比例配分方式).
            if (allSales > 0 && Wide(taxableSales) * 100 < Wide(allSales) * 95) {
                sheet.push_back({sheetName, "", "課税売上割合が95%未満のため一括比例配分", 0});
                d = MulDiv(d, taxableSales, allSales);
            }
            r.Deduction = d;
            sheet.push_back({sheetName, "", "控除対象仕入税額", d});
            break;
        }
        case TaxMethod::None: return fail("計算方法が選ばれていません。");
    }

    // 第一表.
    const Yen interim = settings.InterimTax;
    const Yen interimLocal = settings.InterimLocalTax;
    Yen net = 0;
    if (r.Deduction > output) {
        r.ShortfallRefund = r.Deduction - output;  // a refund is not cut
    } else {
        net = CutTo(output - r.Deduction, netCut->numerator);
    }
    r.NetTax = net;
    const Yen payable = std::max<Yen>(net - interim, 0);
    const Yen interimRefund = std::max<Yen>(interim - net, 0);
    r.LocalRefund = MulDiv(r.ShortfallRefund, local->numerator, local->denominator);
    r.LocalTax = CutTo(MulDiv(net, local->numerator, local->denominator), netCut->numerator);
    const Yen localPayable = std::max<Yen>(r.LocalTax - interimLocal, 0);
    const Yen localInterimRefund = std::max<Yen>(interimLocal - r.LocalTax, 0);
    r.Total = (payable + localPayable) - (r.ShortfallRefund + interimRefund + r.LocalRefund + localInterimRefund);
    // An amended return: what this return comes to on each tax less what the return it
    // amends came to (⑭ = ⑪ − ⑬, ㉕ = ㉒ − ㉔, with this return's refunds as less than 0),
    // and the total is what the amendment adds.
    Yen priorTax = 0, priorLocal = 0, moreTax = 0, moreLocal = 0;
    if (settings.Amended) {
        priorTax = settings.PriorTax;
        priorLocal = settings.PriorLocalTax;
        moreTax = payable - r.ShortfallRefund - interimRefund - priorTax;
        moreLocal = localPayable - r.LocalRefund - localInterimRefund - priorLocal;
        r.Total = moreTax + moreLocal;
    }

    const char* first = "第一表";
    r.Lines = {
        {first, "①", "課税標準額", r.TaxBase[0] + r.TaxBase[1]},
        {first, "②", "消費税額", output},
        {first, "③", "控除過大調整税額", 0},
        {first, "④", "控除対象仕入税額", r.Deduction},
        {first, "⑤", "返還等対価に係る税額", 0},
        {first, "⑥", "貸倒れに係る税額", 0},
        {first, "⑦", "控除税額小計", r.Deduction},
        {first, "⑧", "控除不足還付税額", r.ShortfallRefund},
        {first, "⑨", "差引税額", net},
        {first, "⑩", "中間納付税額", interim},
        {first, "⑪", "納付税額", payable},
        {first, "⑫", "中間納付還付税額", interimRefund},
        {first, "⑬", "既確定税額", priorTax},
        {first, "⑭", "差引納付税額", moreTax},
        {first, "⑮", "課税資産の譲渡等の対価の額", taxableSales},
        {first, "⑯", "資産の譲渡等の対価の額", allSales},
        {first, "⑰", "地方消費税の課税標準となる消費税額（控除不足還付税額）", r.ShortfallRefund},
        {first, "⑱", "地方消費税の課税標準となる消費税額（差引税額）", net},
        {first, "⑲", "譲渡割額（還付額）", r.LocalRefund},
        {first, "⑳", "譲渡割額（納税額）", r.LocalTax},
        {first, "㉑", "中間納付譲渡割額", interimLocal},
        {first, "㉒", "納付譲渡割額", localPayable},
        {first, "㉓", "中間納付還付譲渡割額", localInterimRefund},
        {first, "㉔", "既確定譲渡割額", priorLocal},
        {first, "㉕", "差引納付譲渡割額", moreLocal},
        {first, "㉖", "消費税及び地方消費税の合計（納付又は還付）税額", r.Total},
    };
    // 第二表: the tax base and the tax by rate (the rates before October 2019 stay
    // empty), and the tax on which the local tax rests.
    const char* second = "第二表";
    r.Lines.push_back({second, "", "課税標準額", r.TaxBase[0] + r.TaxBase[1]});
    for (std::size_t k : {std::size_t{1}, std::size_t{0}})
        r.Lines.push_back({second, "", std::string("課税資産の譲渡等の対価の額") + kRateWords[k],
                           withoutTax(sales[k], k)});
    r.Lines.push_back({second, "", "課税資産の譲渡等の対価の額（計）",
                       withoutTax(sales[0], 0) + withoutTax(sales[1], 1)});
    for (std::size_t k : {std::size_t{1}, std::size_t{0}})
        r.Lines.push_back({second, "", std::string("消費税額") + kRateWords[k], r.OutputTax[k]});
    r.Lines.push_back({second, "", "消費税額（計）", output});
    r.Lines.push_back({second, "", "地方消費税の課税標準となる消費税額（6.24%及び7.8%適用分）",
                       net - r.ShortfallRefund});
    // 付表1-3 (4-3 for 簡易課税): the tax base and tax by rate.
    const char* base = method == TaxMethod::General ? "付表1-3" : "付表4-3";
    if (method == TaxMethod::TwentyPercent || method == TaxMethod::ThirtyPercent) base = "付表6";
    for (std::size_t k = 0; k < 2; ++k) {
        r.Lines.push_back({base, "", std::string("課税資産の譲渡等の対価の額") + kRateWords[k],
                           withoutTax(sales[k], k)});
        r.Lines.push_back({base, "", std::string("課税標準額") + kRateWords[k], r.TaxBase[k]});
        r.Lines.push_back({base, "", std::string("消費税額") + kRateWords[k], r.OutputTax[k]});
    }
    r.Lines.insert(r.Lines.end(), sheet.begin(), sheet.end());
    return r;
}

std::vector<MethodReturn> ComputeTaxReturn(const TaxTotals& totals, const TaxSettings& settings,
                                           int year, const TaxComputeOptions& options) {
    std::vector<MethodReturn> all;
    for (TaxMethod m : MethodsOfYear(year)) all.push_back(ComputeMethod(totals, settings, m, year, options));
    std::optional<Yen> least;
    for (const MethodReturn& r : all)
        if (r.Fault.empty() && (!least || r.Total < *least)) least = r.Total;
    for (MethodReturn& r : all) r.Least = r.Fault.empty() && least && r.Total == *least;
    return all;
}

std::optional<int> BooksWesternYear(const SharedState& s) {
    char yy[3];
    std::snprintf(yy, sizeof yy, "%02d", (s.FiscalYear % 100 + 100) % 100);
    return WesternYear(s.EraName, yy);
}

Result<YearTaxBooks> LoadYearTaxBooks(const SharedState& s) {
    YearTaxBooks y;
    const auto western = BooksWesternYear(s);
    if (!western) return BadFormatError(s.FiscalYearPath.string(), "年度の西暦年が分かりません。");
    y.Year = *western;
    auto settings = LoadTaxSettings(TaxSettingsPath(s));
    if (!settings) return settings.error();
    y.Settings = *settings;
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    auto chosen = LoadItemAccounts(ItemAccountsPath(s));
    if (!chosen) return chosen.error();
    auto totals = GatherTaxTotals(s, *book, *chosen, y.Settings, y.Year);
    if (!totals) return totals.error();
    y.Totals = std::move(*totals);
    return y;
}

}  // namespace tabulo
