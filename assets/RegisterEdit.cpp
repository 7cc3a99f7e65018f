#include "assets/RegisterEdit.h"

#include <cstdio>

#include "store/Text.h"

namespace tabulo {
namespace {

// A whole number typed in a box: blanks and commas dropped, digits only.
std::optional<std::int64_t> ReadWhole(const std::string& text) {
    std::string digits;
    for (char c : Trim(text))
        if (c != ',') digits += c;
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::int64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

FileError Refused(const std::string& why) { return FileError{FileErrorCode::BadFormat, {}, why, true}; }

}  // namespace

std::string DateText(std::int32_t d) {
    if (d <= 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100);
    return text;
}

std::int32_t ReadDate(const std::string& text) {
    const std::string t = Trim(text);
    std::vector<int> parts{0};
    int digits = 0;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            parts.back() = parts.back() * 10 + (c - '0');
            if (++digits > 8) return 0;
        } else if ((c == '-' || c == '/' || c == '.') && digits > 0) {
            parts.push_back(0);
            digits = 0;
        } else {
            return 0;
        }
    }
    std::int32_t d = 0;
    if (parts.size() == 1 && t.size() == 8) d = parts[0];
    else if (parts.size() == 3) d = parts[0] * 10000 + parts[1] * 100 + parts[2];
    return IsCalendarDate(d) ? d : 0;
}

AssetFields FieldsOf(const FixedAsset& a) {
    AssetFields f;
    f.name = a.AssetName;
    f.kind = a.AssetKind;
    f.quantity = a.Quantity;
    f.acquiredOn = DateText(a.AcquiredOn);
    f.firstUsedOn = DateText(a.FirstUsedOn);
    f.cost = std::to_string(a.Cost);
    f.usefulLife = a.UsefulLife > 0 ? std::to_string(a.UsefulLife) : "";
    f.method = a.Method;
    f.businessShare = std::to_string(a.BusinessShare);
    f.openingBookValue = std::to_string(a.OpeningBookValue);
    f.disposalKind = a.DisposalKind;
    f.disposalMonth = a.DisposalMonth > 0 ? std::to_string(a.DisposalMonth) : "";
    return f;
}

Result<FixedAsset> ReadAssetFields(const AssetFields& f, int year) {
    FixedAsset a;
    a.AssetName = Trim(f.name);
    a.AssetKind = static_cast<std::int16_t>(f.kind);
    a.Quantity = Trim(f.quantity);
    if (IsBlank(a.AssetName)) return Refused("名称を入力して下さい。");
    a.AcquiredOn = ReadDate(f.acquiredOn);
    if (a.AcquiredOn == 0) return Refused("取得年月日を 2026-04-01 のように入力して下さい。");
    a.FirstUsedOn = IsBlank(f.firstUsedOn) ? a.AcquiredOn : ReadDate(f.firstUsedOn);
    if (a.FirstUsedOn == 0) return Refused("事業供用年月日を 2026-04-01 のように入力して下さい。");
    auto cost = ReadWhole(f.cost);
    if (!cost || *cost <= 0 || *cost > 2147483647) return Refused("取得価額を入力して下さい。");
    a.Cost = static_cast<Amount>(*cost);
    a.Method = static_cast<std::int16_t>(f.method);
    if (IsBlank(f.usefulLife)) {
        a.UsefulLife = 0;
    } else {
        auto life = ReadWhole(f.usefulLife);
        if (!life || *life > 100) return Refused("耐用年数は２年から１００年です。");
        a.UsefulLife = static_cast<std::int16_t>(*life);
    }
    if (IsBlank(f.businessShare)) {
        a.BusinessShare = 100;
    } else {
        auto share = ReadWhole(f.businessShare);
        if (!share || *share < 1 || *share > 100) return Refused("事業専用割合は１％から１００％です。");
        a.BusinessShare = static_cast<std::int16_t>(*share);
    }
    if (IsBlank(f.openingBookValue)) {
        // An asset first used this year (or later) starts from its cost.
        if (a.FirstUsedOn / 10000 < year)
            return Refused("前年以前から使っている資産は、期首の帳簿価額（未償却残高）を入力して下さい。");
        a.OpeningBookValue = a.Cost;
    } else {
        auto opening = ReadWhole(f.openingBookValue);
        if (!opening || *opening > a.Cost) return Refused("期首の帳簿価額は０円から取得価額までです。");
        a.OpeningBookValue = static_cast<Amount>(*opening);
    }
    a.DisposalKind = static_cast<std::int16_t>(f.disposalKind);
    if (a.DisposalKind == DisposalKind::Kept) {
        a.DisposalMonth = 0;
    } else {
        auto month = ReadWhole(f.disposalMonth);
        if (!month || *month < 1 || *month > 12)
            return Refused("売却・除却の月（１から１２）を入力して下さい。");
        a.DisposalMonth = static_cast<std::int16_t>(*month);
        if (a.FirstUsedOn / 10000 > year)
            return Refused("まだ使い始めていない資産は売却・除却できません。");
    }
    if (std::string why = AssetFault(a); !why.empty()) return Refused(why);
    return a;
}

Result<std::int16_t> ReadShareText(const std::string& text) {
    std::string t = Trim(text);
    if (!t.empty() && t.back() == '%') t.pop_back();
    if (IsBlank(t)) return std::int16_t{0};
    auto v = ReadWhole(t);
    if (!v || *v > 100) return Refused("事業割合は０％から１００％です（空欄は全額が経費）。");
    return static_cast<std::int16_t>(*v);
}

Result<AssetRegister> WithAsset(const AssetRegister& assets, std::size_t index, const FixedAsset& asset,
                                int year) {
    if (index > assets.size()) return Refused("資産がありません。");
    AssetRegister out = assets;
    if (index == out.size()) {
        if (out.size() >= static_cast<std::size_t>(kMaxAssets))
            return Refused("資産は" + std::to_string(kMaxAssets) + "件までです。");
        out.push_back(asset);
    } else {
        out[index] = asset;
    }
    auto done = DepreciateRegister(out, year);
    if (!done) return Refused(done.error().detail);
    return out;
}

std::vector<ScheduleYear> AssetSchedule(const FixedAsset& asset, int year, int limit) {
    std::vector<ScheduleYear> out;
    AssetRegister one{asset};
    for (int y = year; y < year + limit && !one.empty(); ++y) {
        auto done = DepreciateRegister(one, y);
        if (!done) break;
        const AssetYear& f = done->assets[0];
        out.push_back({y, one[0].OpeningBookValue, f});
        // Written down to what it keeps for good (the 1-yen memorandum value): the year
        // before was the last, unless this is the first year shown.
        if (one[0].FirstUsedOn / 10000 <= y && f.depreciation == 0) {
            if (out.size() > 1) out.pop_back();
            break;
        }
        one = NextYearRegister(one, *done);
    }
    return out;
}

}  // namespace tabulo
