#pragma once
// The two files of the year's fixed assets and private shares, in the year's data
// folder beside the cash book. A year that keeps no register has neither file, and
// reading never creates one.
//
// SHISAN<nn>.DAT, the fixed-asset register (binary, little-endian, no padding; <nn> as
// KEIRI<nn>.DAT):
//   header, 6 bytes:
//     0  4  fixed string  "SSN1" (the format mark)
//     4  2  Integer       AssetCount: assets that follow (0..kMaxAssets)
//   asset i (i = 1..AssetCount), 70 bytes each, from byte 6:
//     0 32  fixed string  AssetName: CP932, blank-filled on the right, not blank
//    32  2  Integer       AssetKind: 1 建物, 2 建物附属設備, 3 構築物, 4 機械装置,
//                         5 車両運搬具, 6 工具器具備品, 7 その他
//    34 10  fixed string  Quantity (面積・数量): CP932, blank-filled
//    44  4  Long          AcquiredOn: date of acquisition, yyyymmdd (Western years)
//    48  4  Long          FirstUsedOn: date of first use, yyyymmdd, not before AcquiredOn
//    52  4  Long          Cost (取得価額): yen, more than 0
//    56  2  Integer       UsefulLife (耐用年数): years 2..100 for methods 1 and 2, else 0..100
//    58  2  Integer       Method: 1 定額法, 2 旧定額法, 3 一括償却資産, 4 少額減価償却資産
//    60  2  Integer       BusinessShare (事業専用割合): percent 1..100
//    62  4  Long          OpeningBookValue: the book value at the start of the file's
//                         year (the cost for an asset first used in that year), 0..Cost
//    66  2  Integer       DisposalMonth: 0 = kept; 1..12 the month of the file's year in
//                         which it was sold or scrapped
//    68  2  Integer       DisposalKind: 0 = kept, 1 = 売却 (sold), 2 = 除却 (scrapped);
//                         0 exactly when DisposalMonth is 0
// The file is exactly 6 + 70 × AssetCount bytes long.
//
// ANBUN<nn>.DAT, the business share of each item's expenses (家事按分) (binary):
//     0  4  fixed string  "ABN1" (the format mark)
//     4 100 Integer × 50  the business share of items 1..50 in percent: 1..99 splits the
//                         item's total; 0 (or 100) = no share, the item counts whole
// The file is exactly 104 bytes long.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;

inline constexpr std::size_t kRegisterHeaderSize = 6;
inline constexpr std::size_t kAssetRecordSize = 70;
inline constexpr int kAssetNameBytes = 32;
inline constexpr int kQuantityBytes = 10;
inline constexpr int kMaxAssets = 999;
inline constexpr std::size_t kSharesFileSize = 104;
inline constexpr const char* kRegisterFileMark = "SSN1";
inline constexpr const char* kSharesFileMark = "ABN1";

namespace AssetMethod {
inline constexpr std::int16_t StraightLine = 1;     // 定額法
inline constexpr std::int16_t OldStraightLine = 2;  // 旧定額法
inline constexpr std::int16_t LumpSum = 3;          // 一括償却資産
inline constexpr std::int16_t SmallAsset = 4;       // 少額減価償却資産
}  // namespace AssetMethod

namespace DisposalKind {
inline constexpr std::int16_t Kept = 0;
inline constexpr std::int16_t Sold = 1;       // 売却
inline constexpr std::int16_t Scrapped = 2;   // 除却
}  // namespace DisposalKind

inline constexpr int kAssetKindCount = 7;
// The name of kind 1..7 (the balance-sheet account), "" for any other.
std::string AssetKindName(int kind);
// The name of method 1..4, "" for any other.
std::string AssetMethodName(int method);

struct FixedAsset {
    std::string AssetName;  // UTF-8, at most 32 CP932 bytes
    std::int16_t AssetKind = 6;
    std::string Quantity;   // UTF-8, at most 10 CP932 bytes
    std::int32_t AcquiredOn = 0;
    std::int32_t FirstUsedOn = 0;
    Amount Cost = 0;
    std::int16_t UsefulLife = 0;
    std::int16_t Method = AssetMethod::StraightLine;
    std::int16_t BusinessShare = 100;
    Amount OpeningBookValue = 0;
    std::int16_t DisposalMonth = 0;
    std::int16_t DisposalKind = DisposalKind::Kept;
    bool operator==(const FixedAsset&) const = default;
};

using AssetRegister = std::vector<FixedAsset>;

// Business shares of items 1..50 (index 0 unused); 0 = none.
using ItemShares = std::array<std::int16_t, kItemCount + 1>;

std::filesystem::path AssetRegisterPath(const SharedState& s);
std::filesystem::path ItemSharesPath(const SharedState& s);

// Whether yyyymmdd is a day of the calendar.
bool IsCalendarDate(std::int32_t yyyymmdd);

// Why an asset cannot be kept, or "" when it can (the layout's limits above).
std::string AssetFault(const FixedAsset& asset);
// Why a share cannot be kept, or "": a share is 0..100.
std::string ShareFault(std::int16_t share);

Result<std::vector<std::byte>> EncodeAssetRegister(const AssetRegister& assets);
// `path` names the file in the messages; every asset is checked as AssetFault does.
Result<AssetRegister> DecodeAssetRegister(std::span<const std::byte> bytes, const std::string& path);
// A missing or empty file is a year without assets.
Result<AssetRegister> LoadAssetRegister(const std::filesystem::path& path);
// Checks every asset first and writes nothing when one is refused; the file is replaced
// whole (written beside, flushed, renamed), so a failure leaves the old one.
Status SaveAssetRegister(const std::filesystem::path& path, const AssetRegister& assets);

std::vector<std::byte> EncodeItemShares(const ItemShares& shares);
Result<ItemShares> DecodeItemShares(std::span<const std::byte> bytes, const std::string& path);
// A missing or empty file: every item counts whole.
Result<ItemShares> LoadItemShares(const std::filesystem::path& path);
Status SaveItemShares(const std::filesystem::path& path, const ItemShares& shares);

}  // namespace tabulo
