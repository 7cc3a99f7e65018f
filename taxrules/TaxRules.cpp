#include "taxrules/TaxRules.h"

#include <array>

namespace tabulo {
namespace {

// Keep each subject's rows together, oldest first. A row without a source, or two rows
// of one key whose periods overlap, fails the table's own test.
constexpr std::array kRules = {
    // The blue return's special deduction (租税特別措置法第25条の2).
    TaxRule{"blue.deduction.simple", 20200101, kRuleOpenEnd, 100000, 1,
            "租税特別措置法第25条の2第1項; 国税庁 タックスアンサー No.2072", true},
    TaxRule{"blue.deduction.double_entry", 20200101, kRuleOpenEnd, 550000, 1,
            "租税特別措置法第25条の2第3項; 国税庁 タックスアンサー No.2072", true},
    TaxRule{"blue.deduction.electronic", 20200101, kRuleOpenEnd, 650000, 1,
            "租税特別措置法第25条の2第4項; 国税庁 タックスアンサー No.2072", true},

    // Consumption tax.
    // The rates on and after the rise of October 2019: the whole rate, and the national
    // part of it (the local tax is 22/78 of the national tax).
    TaxRule{"ctax.rate.standard", 20191001, kRuleOpenEnd, 10, 100,
            "消費税法第29条; 地方税法第72条の83; 国税庁 タックスアンサー No.6303", true},
    TaxRule{"ctax.rate.reduced", 20191001, kRuleOpenEnd, 8, 100,
            "所得税法等の一部を改正する法律（平成28年法律第15号）附則第34条; 国税庁 タックスアンサー No.6303", true},
    TaxRule{"ctax.national.standard", 20191001, kRuleOpenEnd, 78, 1000,
            "消費税法第29条; 国税庁 タックスアンサー No.6303", true},
    TaxRule{"ctax.national.reduced", 20191001, kRuleOpenEnd, 624, 10000,
            "平成28年法律第15号附則第34条; 国税庁 タックスアンサー No.6303", true},
    TaxRule{"ctax.local.share", 20191001, kRuleOpenEnd, 22, 78,
            "地方税法第72条の83; 国税庁 消費税及び地方消費税の申告書（一般用・簡易課税用）の記載要領", true},
    // Roundings: the tax base is cut to whole thousands, the tax due to whole hundreds.
    TaxRule{"ctax.round.tax_base", 20191001, kRuleOpenEnd, 1000, 1,
            "国税通則法第118条第1項; 国税庁 申告書の記載要領", true},
    TaxRule{"ctax.round.net_tax", 20191001, kRuleOpenEnd, 100, 1,
            "国税通則法第119条第1項; 地方税法第20条の4の2第3項; 国税庁 申告書の記載要領", true},
    // 簡易課税: the deemed purchase share of each business class 1..6.
    TaxRule{"ctax.simple.class1", 20150401, kRuleOpenEnd, 90, 100,
            "消費税法施行令第57条第1項; 国税庁 タックスアンサー No.6505", true},
    TaxRule{"ctax.simple.class2", 20150401, kRuleOpenEnd, 80, 100,
            "消費税法施行令第57条第1項; 国税庁 タックスアンサー No.6505", true},
    TaxRule{"ctax.simple.class3", 20150401, kRuleOpenEnd, 70, 100,
            "消費税法施行令第57条第1項; 国税庁 タックスアンサー No.6505", true},
    TaxRule{"ctax.simple.class4", 20150401, kRuleOpenEnd, 60, 100,
            "消費税法施行令第57条第1項; 国税庁 タックスアンサー No.6505", true},
    TaxRule{"ctax.simple.class5", 20150401, kRuleOpenEnd, 50, 100,
            "消費税法施行令第57条第1項; 国税庁 タックスアンサー No.6505", true},
    TaxRule{"ctax.simple.class6", 20150401, kRuleOpenEnd, 40, 100,
            "消費税法施行令第57条第1項; 国税庁 タックスアンサー No.6505", true},
    // One class (or two together) making 75 % of the taxed sales may carry its share to
    // the rest (the special rule of the several classes).
    TaxRule{"ctax.simple.dominant_share", 20150401, kRuleOpenEnd, 75, 100,
            "消費税法施行令第57条第3項; 国税庁 タックスアンサー No.6505", true},
    // 2割特例: a filer taxable only because of the invoice registration deducts 80 % of
    // the output tax, for a period that holds a day of this range.
    TaxRule{"ctax.special.twenty", 20231001, 20260930, 80, 100,
            "平成28年法律第15号附則第51条の2; 国税庁 インボイス制度 2割特例の概要", true},
    // 3割特例 for individuals, 2027 and 2028: the 令和8年度 reform outline.
    TaxRule{"ctax.special.thirty", 20270101, 20281231, 70, 100,
            "令和8年度税制改正の大綱（令和7年12月閣議決定）", false},
    // Purchases from a seller without registration: the share of the tax that may still
    // be deducted, by the date of the purchase, as the law stands ...
    TaxRule{"ctax.no_invoice.share", 20231001, 20260930, 80, 100,
            "平成28年法律第15号附則第52条; 国税庁 タックスアンサー No.6498", true},
    TaxRule{"ctax.no_invoice.share", 20261001, 20290930, 50, 100,
            "平成28年法律第15号附則第53条; 国税庁 タックスアンサー No.6498", true},
    // ... and as the 令和8年度 reform outline would extend it.
    TaxRule{"ctax.no_invoice.share.reform", 20231001, 20260930, 80, 100,
            "平成28年法律第15号附則第52条; 国税庁 タックスアンサー No.6498", true},
    TaxRule{"ctax.no_invoice.share.reform", 20261001, 20280930, 70, 100,
            "令和8年度税制改正の大綱（令和7年12月閣議決定）", false},
    TaxRule{"ctax.no_invoice.share.reform", 20281001, 20300930, 50, 100,
            "令和8年度税制改正の大綱（令和7年12月閣議決定）", false},
    TaxRule{"ctax.no_invoice.share.reform", 20301001, 20310930, 30, 100,
            "令和8年度税制改正の大綱（令和7年12月閣議決定）", false},

    // Depreciation.
    // 定額法 for assets acquired from 2007-04-01: the rate of a useful life of n years is
    // 1/n rounded up to thousandths (耐用年数省令 別表第八: 6 years 0.167, 15 years 0.067).
    TaxRule{"depreciation.straight_line.rate_unit", 20070401, kRuleOpenEnd, 1, 1000,
            "減価償却資産の耐用年数等に関する省令 別表第八; 国税庁 タックスアンサー No.2106", true},
    // 旧定額法 for assets acquired up to 2007-03-31: the rate is 1/n cut to thousandths
    // (別表第七: 6 years 0.166), applied to 90 % of the cost ...
    TaxRule{"depreciation.old_straight_line.rate_unit", kRuleOpenStart, 20070331, 1, 1000,
            "減価償却資産の耐用年数等に関する省令 別表第七; 国税庁 タックスアンサー No.2105", true},
    TaxRule{"depreciation.old_straight_line.base", kRuleOpenStart, 20070331, 9, 10,
            "所得税法施行令第120条第1項第1号イ(1); 国税庁 タックスアンサー No.2105", true},
    // ... until the book value is 5 % of the cost; then (5 % of the cost - 1 yen) is spread
    // equally over five years, ending at 1 yen.
    TaxRule{"depreciation.old_straight_line.floor", kRuleOpenStart, 20070331, 5, 100,
            "所得税法施行令第134条第1項第1号; 国税庁 タックスアンサー No.2105", true},
    TaxRule{"depreciation.old_straight_line.final_years", kRuleOpenStart, 20070331, 5, 1,
            "所得税法施行令第134条第2項; 国税庁 タックスアンサー No.2105 (注4)", true},
    // A fraction of a yen of a year's depreciation is rounded up (所得税; 法人税 cuts it):
    // (50,000 - 1) / 5 = 9,999.8 makes 10,000 for four years and 9,999 in the fifth.
    // The agency's own filing system rounds so, the 95 % of the cost included.
    TaxRule{"depreciation.fraction_rounded_up", kRuleOpenStart, kRuleOpenEnd, 1, 1,
            "国税庁 確定申告書等作成コーナー「減価償却費の端数処理」(切上げ)", true},
    // 一括償却資産: cost from 100,000 to under 200,000 yen, a third in each of three years.
    TaxRule{"depreciation.lump_sum.lower", 19980401, kRuleOpenEnd, 100000, 1,
            "所得税法施行令第139条第1項; 国税庁 確定申告書等作成コーナー「一括償却資産」", true},
    TaxRule{"depreciation.lump_sum.upper", 19980401, kRuleOpenEnd, 200000, 1,
            "所得税法施行令第139条第1項; 国税庁 確定申告書等作成コーナー「一括償却資産」", true},
    TaxRule{"depreciation.lump_sum.years", 19980401, kRuleOpenEnd, 3, 1,
            "所得税法施行令第139条第1項; 国税庁 確定申告書等作成コーナー「一括償却資産」", true},
    // 少額減価償却資産 of a blue-return filer: cost under the limit, acquired in the period,
    // all expensed in the year of use, up to the year's cap. The 令和8年度 reform outline
    // proposes 400,000 yen and three more years.
    TaxRule{"depreciation.small_asset.limit", 20060401, 20260331, 300000, 1,
            "租税特別措置法第28条の2; 国税庁 確定申告書等作成コーナー「少額減価償却資産」", true},
    TaxRule{"depreciation.small_asset.limit", 20260401, 20290331, 400000, 1,
            "令和8年度税制改正の大綱 (令和7年12月26日閣議決定)", false},
    TaxRule{"depreciation.small_asset.annual_cap", 20060401, 20260331, 3000000, 1,
            "租税特別措置法第28条の2第1項; 国税庁 確定申告書等作成コーナー「少額減価償却資産」", true},
    TaxRule{"depreciation.small_asset.annual_cap", 20260401, 20290331, 3000000, 1,
            "令和8年度税制改正の大綱 (令和7年12月26日閣議決定)", false},
};

}  // namespace

std::span<const TaxRule> TaxRuleTable() { return kRules; }

std::optional<TaxRule> FindTaxRule(std::string_view key, RuleDate date) {
    for (const TaxRule& r : kRules) {
        if (r.key == key && r.from <= date && date <= r.to) return r;
    }
    return std::nullopt;
}

std::string_view UnconfirmedRuleNote() {
    return "この数値は税制改正案（未成立）に基づいています。成立した法令で確かめてください。";
}

}  // namespace tabulo
