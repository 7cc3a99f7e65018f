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

}  // namespace tabulo
