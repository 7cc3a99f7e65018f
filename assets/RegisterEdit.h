#pragma once
// What the register's screen does with an asset, without the screen: the texts of its
// boxes read into an asset (each refusal naming its box), the register checked whole by
// the depreciation rules after a change, and an asset's years from now until it is
// written off (each year's depreciation and closing book value).

#include <string>
#include <vector>

#include "assets/AssetFiles.h"
#include "assets/Depreciation.h"
#include "platform/FileError.h"

namespace tabulo {

// An asset as its boxes hold it: dates "2026-04-01", "2026/4/1" or "20260401"; amounts
// with or without commas; kind, method and disposal as their list positions (1..).
struct AssetFields {
    std::string name;
    int kind = 6;
    std::string quantity;
    std::string acquiredOn;
    std::string firstUsedOn;  // empty: the day of acquisition
    std::string cost;
    std::string usefulLife;
    int method = AssetMethod::StraightLine;
    std::string businessShare;  // empty: 100
    std::string openingBookValue;  // empty: the cost, for an asset first used this year
    int disposalKind = DisposalKind::Kept;
    std::string disposalMonth;
};

// The boxes of a kept asset.
AssetFields FieldsOf(const FixedAsset& a);
// "2026-04-01" of 20260401; "" of 0.
std::string DateText(std::int32_t yyyymmdd);
// yyyymmdd of a typed date, or 0 when it is not a day of the calendar.
std::int32_t ReadDate(const std::string& text);

// The asset the boxes describe in the register's year `year`; a refusal's message
// names the box ("取得価額を入力して下さい。").
Result<FixedAsset> ReadAssetFields(const AssetFields& f, int year);

// The register of `year` with asset `index` replaced by `asset` (added when `index` is
// the register's size), refused with the rules' message when its depreciation cannot be
// worked out (少額 beyond the year's cap, 定額法 before 2007-04-01, …).
Result<AssetRegister> WithAsset(const AssetRegister& assets, std::size_t index, const FixedAsset& asset,
                                int year);

// A business share typed in percent ("40", "40%"): 0..100, empty = 0 (the item counts
// whole); refused with the reason otherwise.
Result<std::int16_t> ReadShareText(const std::string& text);

// One year of an asset's life.
struct ScheduleYear {
    int year = 0;
    Amount opening = 0;
    AssetYear figures;
    bool operator==(const ScheduleYear&) const = default;
};
// The asset's years from `year` on, as the next-year disks would carry it: until it is
// disposed of, spent, or left at its 1-yen memorandum value (that year included), at
// most `limit` years. An asset the rules refuse gives none.
std::vector<ScheduleYear> AssetSchedule(const FixedAsset& asset, int year, int limit = 60);

}  // namespace tabulo
