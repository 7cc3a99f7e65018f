// The four text files of the data set, as bytes: TAB_SET3.DAT, DATE.DAT, MASTER.DAT
// and SHINKOKU.DAT.
#include <string>

#include "store/DataSet.h"
#include "store/TaxReturnFile.h"
#include "store/Text.h"
#include "store/WriteStyle.h"

namespace tabulo {
namespace {

// Settings used when the file is empty (and for lines an older file lacks).
const std::array<std::string, 9> kSetupDefaults = {"", "A", "2000", "0", "0", "0", "0", "0", "0"};

// Master field widths in CP932 bytes.
constexpr int kBusinessNameWidth = 24;
constexpr int kItemNameWidth = 16;
// Header strings per line of MASTER.DAT: 4, 6 and 3.
constexpr int kMasterHeaderLines[] = {4, 6, 3};

}  // namespace

Result<std::vector<std::byte>> EncodeSetupFile(const std::array<std::string, 9>& lines) {
    WriteStyleWriter w;
    for (int i = 1; i <= 8; ++i) {
        if (auto r = w.BareLine(lines[static_cast<std::size_t>(i)]); !r) return r.error();
    }
    return w.Take();
}

Result<std::array<std::string, 9>> DecodeSetupFile(std::span<const std::byte> bytes) {
    std::array<std::string, 9> lines = kSetupDefaults;
    std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t pos = 0;
    for (int i = 1; i <= 8 && pos < all.size(); ++i) {
        std::size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = all.size();
        auto text = FromCp932(all.substr(pos, end - pos));
        if (!text) {
            return BadFormatError({}, std::to_string(i) + " 行目: シフトJISでない文字があります。");
        }
        lines[static_cast<std::size_t>(i)] = std::move(*text);
        pos = end;
        if (pos < all.size() && all[pos] == '\r') ++pos;
        if (pos < all.size() && all[pos] == '\n') ++pos;
    }
    return lines;
}

Result<std::vector<std::byte>> EncodeFiscalYearFile(const FiscalYearValues& v) {
    WriteStyleWriter w;
    w.Number(v.FiscalYear);
    if (auto r = w.Str(v.EraName); !r) return r.error();
    w.Number(v.FiscalYearSpare);
    w.EndLine();
    return w.Take();
}

Result<FiscalYearValues> DecodeFiscalYearFile(std::span<const std::byte> bytes) {
    WriteStyleReader r(bytes);
    FiscalYearValues v;
    auto year = r.Int();
    if (!year) return year.error();
    auto era = r.Str();
    if (!era) return era.error();
    auto spare = r.Int();
    if (!spare) return spare.error();
    v.FiscalYear = *year;
    v.EraName = std::move(*era);
    v.FiscalYearSpare = *spare;
    return v;
}

Result<std::vector<std::byte>> EncodeMasterFile(const MasterHeaderArray& header,
                                                const ItemTableArray& items) {
    WriteStyleWriter w;
    std::size_t field = 0;
    for (int count : kMasterHeaderLines) {
        for (int i = 0; i < count; ++i, ++field) {
            std::string text = header[field];
            if (field == MasterField::BusinessName) text = CutToBytes(text, kBusinessNameWidth);
            if (auto r = w.Str(text); !r) return r.error();
        }
        w.EndLine();
    }
    for (int i = 1; i <= kItemCount; ++i) {
        const ItemEntry& item = items[static_cast<std::size_t>(i)];
        if (auto r = w.Str(CutToBytes(item.ItemName, kItemNameWidth)); !r) return r.error();
        w.Number(item.ItemKubun);
        if (auto r = w.Str(item.ItemKubunName); !r) return r.error();
        w.Number(item.ItemKubun2);
        w.Number(item.ItemKubun3);
        w.EndLine();
    }
    return w.Take();
}

Result<MasterData> DecodeMasterFile(std::span<const std::byte> bytes,
                                    const std::array<std::string, 8>& kubunNames) {
    WriteStyleReader r(bytes);
    MasterData m;
    for (auto& text : m.header) {
        auto s = r.Str();
        if (!s) return s.error();
        text = std::move(*s);
    }
    // An older master may hold fewer than 50 items; the rest stay unused.
    for (std::size_t i = 0; i < m.items.size(); ++i) m.items[i].ItemKubunName = kubunNames[0];
    for (int i = 1; i <= kItemCount && !r.AtEnd(); ++i) {
        ItemEntry& item = m.items[static_cast<std::size_t>(i)];
        auto name = r.Str();
        if (!name) return name.error();
        auto kubun = r.Int();
        if (!kubun) return kubun.error();
        auto kubunName = r.Str();
        if (!kubunName) return kubunName.error();
        auto kubun2 = r.Int();
        if (!kubun2) return kubun2.error();
        auto kubun3 = r.Int();
        if (!kubun3) return kubun3.error();
        item.ItemName = std::move(*name);
        item.ItemKubun = *kubun;
        item.ItemKubunName = std::move(*kubunName);
        item.ItemKubun2 = *kubun2;
        item.ItemKubun3 = *kubun3;
        m.itemsRead = i;
    }
    // The master holds 50 items; lines beyond them would be lost on the next save.
    if (!r.AtEnd()) {
        return BadFormatError({},
                              "項目が" + std::to_string(kItemCount) + "を超えて書かれています。");
    }
    return m;
}

TaxReturnTables DefaultTaxReturnData() {
    TaxReturnTables t;
    for (const auto& types : TaxReturnLineTypes()) {
        std::vector<TaxValue> line;
        for (auto type : types) line.push_back(TaxValue{type, {}, 0});
        t.lines.push_back(std::move(line));
    }
    // The deduction of page 1 line 44 starts at its usual amount.
    SetTaxNumber(t, 3, 11, 1, 100000);
    return t;
}

Result<std::vector<std::byte>> EncodeTaxReturnFile(const TaxReturnTables& t) {
    if (!HasTaxReturnShape(t)) {
        FileError e = BadFormatError({}, "申告データの形が正しくありません。");
        e.writing = true;
        return e;
    }
    WriteStyleWriter w;
    int lineNo = 1;
    for (const auto& line : t.lines) {
        for (const auto& v : line) {
            if (v.type == TaxValue::Str) {
                if (auto r = w.Str(v.text); !r) return r.error();
            } else {
                // An Integer that does not fit 16 bits would make the file unreadable.
                if (v.type == TaxValue::Int && (v.number < INT16_MIN || v.number > INT16_MAX)) {
                    FileError e;
                    e.code = FileErrorCode::Overflow;
                    e.writing = true;
                    e.detail = std::to_string(lineNo) + " 行目: 数値が大きすぎます。";
                    return e;
                }
                w.Number(v.number);
            }
        }
        w.EndLine();
        ++lineNo;
    }
    return w.Take();
}

Result<TaxReturnTables> DecodeTaxReturnFile(std::span<const std::byte> bytes,
                                            const TaxReturnTables& previous) {
    TaxReturnTables t = HasTaxReturnShape(previous) ? previous : DefaultTaxReturnData();
    WriteStyleReader r(bytes);
    auto types = TaxReturnLineTypes();
    for (std::size_t i = 0; i < types.size(); ++i) {
        // An older file ends after group 8 or after group 10; what it lacks stays.
        if ((i == kTaxLinesThroughGroup8 || i == kTaxLinesThroughGroup10) && r.AtEnd()) break;
        for (std::size_t j = 0; j < types[i].size(); ++j) {
            TaxValue& v = t.lines[i][j];
            if (types[i][j] == TaxValue::Str) {
                auto s = r.Str();
                if (!s) return s.error();
                v.text = std::move(*s);
            } else {
                auto n = types[i][j] == TaxValue::Int ? r.Number(INT16_MIN, INT16_MAX) : r.Long();
                if (!n) return n.error();
                v.number = *n;
            }
        }
    }
    return t;
}

}  // namespace tabulo
