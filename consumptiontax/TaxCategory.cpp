#include "consumptiontax/TaxCategory.h"

namespace tabulo {

const char* TaxCategoryName(TaxCategory c) {
    switch (c) {
        case TaxCategory::FromAccount: return "";
        case TaxCategory::Sales10: return "課税売上10%";
        case TaxCategory::Sales8: return "課税売上8%（軽減）";
        case TaxCategory::ZeroRatedSales: return "免税売上";
        case TaxCategory::ExemptSales: return "非課税売上";
        case TaxCategory::Purchase10: return "課税仕入10%";
        case TaxCategory::Purchase8: return "課税仕入8%（軽減）";
        case TaxCategory::Purchase10NoInvoice: return "課税仕入10%（適格請求書なし）";
        case TaxCategory::Purchase8NoInvoice: return "課税仕入8%（適格請求書なし）";
        case TaxCategory::ExemptPurchase: return "非課税仕入";
        case TaxCategory::OutOfScope: return "対象外";
    }
    return "";
}

std::optional<TaxCategory> TaxCategoryFromValue(int value) {
    if (value < 0 || value > kTaxCategoryLimit) return std::nullopt;
    return static_cast<TaxCategory>(value);
}

bool IsSalesCategory(TaxCategory c) {
    return c == TaxCategory::Sales10 || c == TaxCategory::Sales8 ||
           c == TaxCategory::ZeroRatedSales || c == TaxCategory::ExemptSales;
}

bool IsPurchaseCategory(TaxCategory c) {
    return c == TaxCategory::Purchase10 || c == TaxCategory::Purchase8 ||
           c == TaxCategory::Purchase10NoInvoice || c == TaxCategory::Purchase8NoInvoice ||
           c == TaxCategory::ExemptPurchase;
}

bool IsReducedRate(TaxCategory c) {
    return c == TaxCategory::Sales8 || c == TaxCategory::Purchase8 ||
           c == TaxCategory::Purchase8NoInvoice;
}

bool LacksInvoice(TaxCategory c) {
    return c == TaxCategory::Purchase10NoInvoice || c == TaxCategory::Purchase8NoInvoice;
}

TaxCategory DefaultTaxCategory(int accountCode) {
    switch (accountCode) {
        case AccountCode::Sales: return TaxCategory::Sales10;
        case AccountCode::Purchases: return TaxCategory::Purchase10;
        case 8:   // 租税公課
        case AccountCode::Depreciation:
        case 20:  // 給料賃金
        case 24:  // 貸倒金
        case 38:  // 専従者給与
        case 39:  // 貸倒引当金繰入額
        case 40:  // 引当金・準備金の繰入額
        case 41:
            return TaxCategory::OutOfScope;
        case 15:  // 損害保険料
        case 22:  // 利子割引料
            return TaxCategory::ExemptPurchase;
        case 116:  // 土地
            return TaxCategory::ExemptPurchase;
        default: break;
    }
    if (accountCode >= 9 && accountCode <= 31) return TaxCategory::Purchase10;
    if (accountCode >= 111 && accountCode <= 115) return TaxCategory::Purchase10;  // 建物..備品
    return TaxCategory::OutOfScope;
}

namespace {

bool Has(std::string_view remarks, std::string_view mark) { return remarks.find(mark) != std::string_view::npos; }

}  // namespace

bool HasTaxMark(std::string_view remarks) {
    for (std::string_view m : {"【軽】", "【免】", "【標】", "【非】", "【輸】", "【外】"})
        if (Has(remarks, m)) return true;
    return false;
}

TaxCategory LineTaxCategory(TaxCategory base, bool salesSide, std::string_view remarks) {
    if (!HasTaxMark(remarks)) return base;
    if (IsSalesCategory(base)) salesSide = true;
    else if (IsPurchaseCategory(base)) salesSide = false;
    if (Has(remarks, "【外】")) return TaxCategory::OutOfScope;
    if (Has(remarks, "【非】")) return salesSide ? TaxCategory::ExemptSales : TaxCategory::ExemptPurchase;
    if (Has(remarks, "【輸】")) return salesSide ? TaxCategory::ZeroRatedSales : base;
    // The rate: marked, else the base's (a line outside the tax or exempt that a mark
    // makes taxed takes the standard rate).
    bool reduced = IsReducedRate(base);
    if (Has(remarks, "【軽】")) reduced = true;
    else if (Has(remarks, "【標】")) reduced = false;
    const bool taxedBase = base == TaxCategory::Sales10 || base == TaxCategory::Sales8 ||
                           base == TaxCategory::Purchase10 || base == TaxCategory::Purchase8 ||
                           LacksInvoice(base);
    const bool marksRate = Has(remarks, "【軽】") || Has(remarks, "【標】");
    if (!taxedBase && !marksRate && !Has(remarks, "【免】")) return base;
    if (salesSide) return reduced ? TaxCategory::Sales8 : TaxCategory::Sales10;
    if (Has(remarks, "【免】") || LacksInvoice(base)) return reduced ? TaxCategory::Purchase8NoInvoice : TaxCategory::Purchase10NoInvoice;
    return reduced ? TaxCategory::Purchase8 : TaxCategory::Purchase10;
}

}  // namespace tabulo
