#include "books/Closing.h"

#include <cstdio>
#include <filesystem>

#include "assets/PrivateShares.h"
#include "assets/StatementFeed.h"
#include "cashbook/Overflow.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// Where the tax-return tables keep the figures: page 3's asset rows (name in column
// 1, 償却費合計 in 13, 経費算入額 in 15) and page 1's stock entries.
constexpr int kAssetGroup = 7;
constexpr int kAssetRows = 10;
constexpr int kAssetNameColumn = 1;
constexpr int kAssetTotalColumn = 13;
constexpr int kAssetBusinessColumn = 15;
constexpr int kEntryGroup = 11;
constexpr int kOpeningStockEntry = 2;
constexpr int kClosingStockEntry = 5;

// Words of an asset's name and the account they choose, the more particular first.
struct AssetWord {
    const char* word;
    int account;
};
constexpr AssetWord kAssetWords[] = {
    {"附属設備", 112}, {"建物", 111},     {"店舗", 111},     {"車両", 114},
    {"自動車", 114},   {"トラック", 114}, {"バイク", 114},   {"軽四", 114},
    {"運搬", 114},     {"機械", 113},     {"装置", 113},     {"土地", 116},
};
constexpr int kDefaultAssetAccount = 115;  // 工具器具備品

}  // namespace

ClosingFigures ReadClosingFigures(const TaxReturnTables& t) {
    ClosingFigures f;
    if (!HasTaxReturnShape(t)) return f;
    f.openingStock = TaxNumber(t, kEntryGroup, kOpeningStockEntry, 1);
    f.closingStock = TaxNumber(t, kEntryGroup, kClosingStockEntry, 1);
    for (int r = 1; r <= kAssetRows; ++r) {
        ClosingFigures::Asset a;
        a.row = r;
        a.name = TrimRight(TaxText(t, kAssetGroup, r, kAssetNameColumn));
        a.total = TaxNumber(t, kAssetGroup, r, kAssetTotalColumn);
        a.business = TaxNumber(t, kAssetGroup, r, kAssetBusinessColumn);
        a.account = AssetAccount(a.name);
        if (a.total != 0 || a.business != 0) f.assets.push_back(std::move(a));
    }
    return f;
}

int AssetAccount(const std::string& name) {
    for (const AssetWord& w : kAssetWords)
        if (name.find(w.word) != std::string::npos) return w.account;
    return kDefaultAssetAccount;
}

void AddItemTotal(ItemYearTotals& totals, const std::byte* raw) {
    const RawLineFields f =
        ReadRawLineFields(std::span<const std::byte, kLedgerLineSize>(raw, kLedgerLineSize));
    if (f.itemNo >= 1 && f.itemNo <= kItemCount)
        totals[static_cast<std::size_t>(f.itemNo)] += std::int64_t{f.indata} + f.outdata;
}

Result<std::vector<ClosingEntry>> ClosingEntries(const ClosingFigures& f) {
    using namespace AccountCode;
    std::vector<ClosingEntry> out;
    auto add = [&](int debit, int credit, Amount amount, std::string remarks) {
        if (amount != 0) out.push_back({{debit, credit, amount, false}, std::move(remarks)});
    };
    add(OpeningStock, Stock, f.openingStock, "期首商品棚卸高");
    add(Stock, ClosingStock, f.closingStock, "期末商品棚卸高");
    for (const ClosingFigures::Asset& a : f.assets) {
        const int account = a.account != 0 ? a.account : AssetAccount(a.name);
        const std::string name = a.name.empty() ? "資産" + std::to_string(a.row) : a.name;
        add(Depreciation, account, a.business, "減価償却費 " + name);
        // The private share: what the asset lost beyond what the business bears. A
        // business share above the whole (a figure typed by hand) leaves none.
        if (a.total > a.business) {
            auto own = CheckedAmount(std::int64_t{a.total} - a.business);
            if (!own) return OverflowError();
            add(OwnerDrawings, account, *own, "減価償却費（家事分） " + name);
        }
    }
    for (const ClosingFigures::Disposal& d : f.disposals)
        add(OwnerDrawings, d.account, d.bookValue,
            std::string(d.sold ? "売却" : "除却") + "資産の帳簿価額 " + d.name);
    for (const ClosingFigures::Share& sh : f.shares)
        add(OwnerDrawings, sh.account, sh.privatePart, "家事分 " + sh.name);
    return out;
}

namespace {

// The statement's tables of the year in `s`: as read into it, else from its file.
Result<TaxReturnTables> YearTables(const SharedState& s) {
    if (HasTaxReturnShape(s.TaxReturnData) || s.TaxReturnPath.empty()) return s.TaxReturnData;
    // The statement was not read into `s` (a caller that needed nothing else of it):
    // the entries come from the year's file all the same, so that no caller builds
    // the books without their year end.
    auto bytes = ReadWholeFile(s.TaxReturnPath);
    if (!bytes) {
        FileError e = bytes.error();
        e.path = s.TaxReturnPath.string();
        return e;
    }
    if (bytes->empty()) return TaxReturnTables{};
    auto tables = DecodeTaxReturnFile(*bytes, DefaultTaxReturnData());
    if (!tables) {
        FileError e = tables.error();
        e.path = s.TaxReturnPath.string();
        return e;
    }
    return *tables;
}

}  // namespace

Result<std::vector<ClosingEntry>> YearClosingEntries(const SharedState& s, const ItemAccountArray& chosen,
                                                     const ItemYearTotals& items) {
    auto stored = YearTables(s);
    if (!stored) return stored.error();
    auto feed = ReadYearFeed(s);
    if (!feed) return feed.error();
    FilledAssetRows rows;
    auto tables = feed->Tables(*stored, &rows);
    if (!tables) {
        FileError e = tables.error();
        if (e.path.empty()) e.path = AssetRegisterPath(s).string();
        return e;
    }
    ClosingFigures f = ReadClosingFigures(*tables);
    for (ClosingFigures::Asset& a : f.assets)
        if (a.row >= 1 && a.row <= kStatementAssetRows && rows.FromRegister(a.row))
            a.account = rows.account[static_cast<std::size_t>(a.row)];
    if (feed->reg)
        for (std::size_t i = 0; i < feed->reg->assets.size(); ++i) {
            const FixedAsset& a = feed->reg->assets[i];
            const AssetYear& y = feed->reg->year.assets[i];
            if (a.DisposalKind == DisposalKind::Kept || y.disposalBookValue == 0) continue;
            f.disposals.push_back({a.AssetName, AssetKindAccount(a.AssetKind), y.disposalBookValue,
                                   a.DisposalKind == DisposalKind::Sold});
        }
    // The private parts, item by item, as page 1 takes the business parts.
    MonthlyTable totals{};
    for (int i = 1; i <= kItemCount; ++i) {
        auto v = CheckedAmount(items[static_cast<std::size_t>(i)]);
        if (!v) return OverflowError();
        totals[static_cast<std::size_t>(i)][14] = *v;
    }
    auto split = SplitPrivateShares(s.ItemTable, totals, feed->shares);
    if (!split) return split.error();
    for (const ShareLine& l : split->lines) {
        if (l.privatePart == 0) continue;
        int account = ItemAccount(l.item, s.ItemTable, chosen);
        if (account == 0) account = AccountCode::Unassigned;
        f.shares.push_back({l.item, l.name, account, l.privatePart});
    }
    return ClosingEntries(f);
}

Result<std::vector<OpeningBalance>> CarriedOpenings(const TrialBalance& tb) {
    using namespace AccountCode;
    std::vector<OpeningBalance> out;
    std::int64_t capital = 0;  // signed with debit positive, as the rows are
    for (const TrialBalanceRow& r : tb.rows) {
        const bool carried = IsBalanceSheetAccount(r.code) && r.code != OwnerDrawings &&
                             r.code != OwnerContributions && r.code != Capital;
        if (!carried) {
            capital += r.closing;
            continue;
        }
        if (r.closing == 0) continue;
        const std::int64_t own = DebitNormal(r.code) ? std::int64_t{r.closing} : -std::int64_t{r.closing};
        auto balance = CheckedAmount(own);
        if (!balance) return OverflowError();
        out.push_back({static_cast<std::int16_t>(r.code), *balance});
    }
    if (capital != 0) {
        auto balance = CheckedAmount(-capital);
        if (!balance) return OverflowError();
        out.push_back({static_cast<std::int16_t>(Capital), *balance});
    }
    return out;
}

Result<std::optional<YearTrial>> ReadYearTrial(const SharedState& s) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(SlipBookPath(s), ec)) return std::optional<YearTrial>{};
    YearTrial y;
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    y.book = std::move(*book);
    auto chosen = LoadItemAccounts(ItemAccountsPath(s));
    if (!chosen) return chosen.error();
    y.chosen = *chosen;
    auto tb = BuildTrialBalance(s, y.book, y.chosen);
    if (!tb) return tb.error();
    y.tb = std::move(*tb);
    return std::optional<YearTrial>{std::move(y)};
}

Result<std::optional<SlipBook>> NextYearSlipBook(const SharedState& s) {
    auto year = ReadYearTrial(s);
    if (!year) return year.error();
    if (!*year) return std::optional<SlipBook>{};
    auto openings = CarriedOpenings((*year)->tb);
    if (!openings) return openings.error();
    SlipBook next;
    next.Openings = std::move(*openings);
    return std::optional<SlipBook>{std::move(next)};
}

std::string ClosingDate(const SharedState& s) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d1231", (s.FiscalYear % 100 + 100) % 100);
    return date;
}

}  // namespace tabulo
