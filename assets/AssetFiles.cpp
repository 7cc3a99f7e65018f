#include "assets/AssetFiles.h"

#include <algorithm>
#include <cstring>

#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

void PutInteger(std::byte* p, std::int16_t v) {
    StoreLittleEndian(p, static_cast<std::uint16_t>(v), 2);
}
void PutLong(std::byte* p, std::int32_t v) {
    StoreLittleEndian(p, static_cast<std::uint32_t>(v), 4);
}
std::int16_t GetInteger(const std::byte* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(LoadLittleEndian(p, 2)));
}
std::int32_t GetLong(const std::byte* p) {
    return static_cast<std::int32_t>(LoadLittleEndian(p, 4));
}
void PutField(std::byte* p, std::size_t width, const std::string& cp932) {
    std::memset(p, ' ', width);
    std::memcpy(p, cp932.data(), std::min(width, cp932.size()));
}
// A fixed text field as UTF-8 without its trailing blanks; nullopt when not CP932.
std::optional<std::string> GetField(const std::byte* p, std::size_t width) {
    auto text = FromCp932(std::string_view(reinterpret_cast<const char*>(p), width));
    if (!text) return std::nullopt;
    return TrimRight(*text);
}
std::string TextFault(const std::string& text, int width, const char* what) {
    auto bytes = ToCp932(text);
    if (!bytes) return std::string(what) + "にシフトJISで書けない文字があります。";
    if (bytes->size() > static_cast<std::size_t>(width))
        return std::string(what) + "は全角" + std::to_string(width / 2) + "文字（半角" +
               std::to_string(width) + "文字）までです。";
    return {};
}

}  // namespace

std::string AssetKindName(int kind) {
    static const char* const names[] = {"建物", "建物附属設備", "構築物", "機械装置",
                                        "車両運搬具", "工具器具備品", "その他"};
    return kind >= 1 && kind <= kAssetKindCount ? names[kind - 1] : "";
}

std::string AssetMethodName(int method) {
    static const char* const names[] = {"定額法", "旧定額法", "一括償却資産", "少額減価償却資産"};
    return method >= 1 && method <= 4 ? names[method - 1] : "";
}

std::filesystem::path AssetRegisterPath(const SharedState& s) {
    return YearFilePath(s, YearFileKind::Assets);
}

std::filesystem::path ItemSharesPath(const SharedState& s) {
    return YearFilePath(s, YearFileKind::PrivateShares);
}

bool IsCalendarDate(std::int32_t d) {
    const int y = d / 10000, m = d / 100 % 100, day = d % 100;
    if (y < 1900 || y > 2999 || m < 1 || m > 12 || day < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return day <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

std::string AssetFault(const FixedAsset& a) {
    if (IsBlank(a.AssetName)) return "名称を入力してください。";
    if (auto why = TextFault(a.AssetName, kAssetNameBytes, "名称"); !why.empty()) return why;
    if (auto why = TextFault(a.Quantity, kQuantityBytes, "数量"); !why.empty()) return why;
    if (a.AssetKind < 1 || a.AssetKind > kAssetKindCount) return "種類（勘定科目）を選んでください。";
    if (!IsCalendarDate(a.AcquiredOn)) return "取得年月日が正しくありません。";
    if (!IsCalendarDate(a.FirstUsedOn)) return "事業供用年月日が正しくありません。";
    if (a.FirstUsedOn < a.AcquiredOn) return "事業供用年月日が取得年月日より前です。";
    if (a.Cost <= 0) return "取得価額は１円以上です。";
    if (a.Method < AssetMethod::StraightLine || a.Method > AssetMethod::SmallAsset)
        return "償却方法を選んでください。";
    const bool needsLife =
        a.Method == AssetMethod::StraightLine || a.Method == AssetMethod::OldStraightLine;
    if (needsLife ? (a.UsefulLife < 2 || a.UsefulLife > 100) : (a.UsefulLife < 0 || a.UsefulLife > 100))
        return "耐用年数は２年から１００年です。";
    if (a.BusinessShare < 1 || a.BusinessShare > 100) return "事業専用割合は１％から１００％です。";
    if (a.OpeningBookValue < 0 || a.OpeningBookValue > a.Cost)
        return "期首の帳簿価額は０円から取得価額までです。";
    if (a.DisposalMonth < 0 || a.DisposalMonth > 12) return "売却・除却の月は１月から１２月です。";
    if ((a.DisposalMonth == 0) != (a.DisposalKind == DisposalKind::Kept) ||
        a.DisposalKind < DisposalKind::Kept || a.DisposalKind > DisposalKind::Scrapped)
        return "売却・除却は月と区分を両方入力してください。";
    return {};
}

std::string ShareFault(std::int16_t share) {
    if (share < 0 || share > 100) return "事業割合は０％から１００％です。";
    return {};
}

Result<std::vector<std::byte>> EncodeAssetRegister(const AssetRegister& assets) {
    if (assets.size() > static_cast<std::size_t>(kMaxAssets))
        return BadFormatError({}, "資産は" + std::to_string(kMaxAssets) + "件までです。");
    std::vector<std::byte> out(kRegisterHeaderSize + kAssetRecordSize * assets.size());
    std::byte* p = out.data();
    std::memcpy(p, kRegisterFileMark, 4);
    PutInteger(p + 4, static_cast<std::int16_t>(assets.size()));
    p += kRegisterHeaderSize;
    for (std::size_t i = 0; i < assets.size(); ++i, p += kAssetRecordSize) {
        const FixedAsset& a = assets[i];
        if (std::string why = AssetFault(a); !why.empty())
            return FileError{FileErrorCode::BadFormat, {},
                             "資産 " + std::to_string(i + 1) + ": " + why, true};
        PutField(p, kAssetNameBytes, *ToCp932(a.AssetName));
        PutInteger(p + 32, a.AssetKind);
        PutField(p + 34, kQuantityBytes, *ToCp932(a.Quantity));
        PutLong(p + 44, a.AcquiredOn);
        PutLong(p + 48, a.FirstUsedOn);
        PutLong(p + 52, a.Cost);
        PutInteger(p + 56, a.UsefulLife);
        PutInteger(p + 58, a.Method);
        PutInteger(p + 60, a.BusinessShare);
        PutLong(p + 62, a.OpeningBookValue);
        PutInteger(p + 66, a.DisposalMonth);
        PutInteger(p + 68, a.DisposalKind);
    }
    return out;
}

Result<AssetRegister> DecodeAssetRegister(std::span<const std::byte> bytes, const std::string& path) {
    if (bytes.size() < kRegisterHeaderSize || std::memcmp(bytes.data(), kRegisterFileMark, 4) != 0)
        return BadFormatError(path, "固定資産台帳のファイルではありません。");
    const int count = GetInteger(bytes.data() + 4);
    if (count < 0 || count > kMaxAssets ||
        bytes.size() != kRegisterHeaderSize + kAssetRecordSize * static_cast<std::size_t>(count))
        return BadFormatError(path, "件数とファイルの長さが合いません。");
    AssetRegister assets;
    assets.reserve(static_cast<std::size_t>(count));
    const std::byte* p = bytes.data() + kRegisterHeaderSize;
    for (int i = 1; i <= count; ++i, p += kAssetRecordSize) {
        FixedAsset a;
        auto name = GetField(p, kAssetNameBytes);
        auto quantity = GetField(p + 34, kQuantityBytes);
        if (!name || !quantity)
            return BadFormatError(path, "資産 " + std::to_string(i) + ": シフトJISでない文字があります。");
        a.AssetName = *name;
        a.AssetKind = GetInteger(p + 32);
        a.Quantity = *quantity;
        a.AcquiredOn = GetLong(p + 44);
        a.FirstUsedOn = GetLong(p + 48);
        a.Cost = GetLong(p + 52);
        a.UsefulLife = GetInteger(p + 56);
        a.Method = GetInteger(p + 58);
        a.BusinessShare = GetInteger(p + 60);
        a.OpeningBookValue = GetLong(p + 62);
        a.DisposalMonth = GetInteger(p + 66);
        a.DisposalKind = GetInteger(p + 68);
        if (std::string why = AssetFault(a); !why.empty())
            return BadFormatError(path, "資産 " + std::to_string(i) + ": " + why);
        assets.push_back(std::move(a));
    }
    return assets;
}

Result<AssetRegister> LoadAssetRegister(const std::filesystem::path& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    if (bytes->empty()) return AssetRegister{};
    return DecodeAssetRegister(*bytes, path.string());
}

Status SaveAssetRegister(const std::filesystem::path& path, const AssetRegister& assets) {
    auto bytes = EncodeAssetRegister(assets);
    if (!bytes) {
        FileError e = bytes.error();
        e.path = path.string();
        return e;
    }
    return AtomicSave(path, *bytes);
}

std::vector<std::byte> EncodeItemShares(const ItemShares& shares) {
    std::vector<std::byte> out(kSharesFileSize);
    std::memcpy(out.data(), kSharesFileMark, 4);
    for (int i = 1; i <= kItemCount; ++i) PutInteger(out.data() + 4 + 2 * (i - 1), shares[i]);
    return out;
}

Result<ItemShares> DecodeItemShares(std::span<const std::byte> bytes, const std::string& path) {
    if (bytes.size() != kSharesFileSize || std::memcmp(bytes.data(), kSharesFileMark, 4) != 0)
        return BadFormatError(path, "家事按分のファイルではありません。");
    ItemShares shares{};
    for (int i = 1; i <= kItemCount; ++i) {
        shares[i] = GetInteger(bytes.data() + 4 + 2 * (i - 1));
        if (std::string why = ShareFault(shares[i]); !why.empty())
            return BadFormatError(path, "項目 " + std::to_string(i) + ": " + why);
    }
    return shares;
}

Result<ItemShares> LoadItemShares(const std::filesystem::path& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    if (bytes->empty()) return ItemShares{};
    return DecodeItemShares(*bytes, path.string());
}

Status SaveItemShares(const std::filesystem::path& path, const ItemShares& shares) {
    for (int i = 1; i <= kItemCount; ++i)
        if (std::string why = ShareFault(shares[i]); !why.empty())
            return FileError{FileErrorCode::BadFormat, path.string(),
                             "項目 " + std::to_string(i) + ": " + why, true};
    return AtomicSave(path, EncodeItemShares(shares));
}

}  // namespace tabulo
