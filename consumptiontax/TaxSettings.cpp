#include "consumptiontax/TaxSettings.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/AtomicFile.h"
#include "store/DataSet.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {

void PutLong(std::vector<std::byte>& b, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = std::byte((u >> (8 * i)) & 0xFF);
}

std::int32_t GetLong(std::span<const std::byte> b, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(b[at + static_cast<std::size_t>(i)]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

constexpr std::size_t kCategoriesAt = 32;
constexpr std::size_t kClassesAt = 82;

}  // namespace

const char* TaxMethodName(TaxMethod m) {
    switch (m) {
        case TaxMethod::None: return "";
        case TaxMethod::TwentyPercent: return "2割特例";
        case TaxMethod::Simplified: return "簡易課税";
        case TaxMethod::General: return "原則課税";
        case TaxMethod::ThirtyPercent: return "3割特例";
    }
    return "";
}

std::filesystem::path TaxSettingsPath(const SharedState& s) {
    const std::filesystem::path folder =
        s.LedgerPath.empty() ? s.DataFolder : s.LedgerPath.parent_path();
    return folder / ("SHOHIZEI" + YearTag(s.FiscalYear) + ".DAT");
}

bool RegistrationNoWellFormed(const std::string& no) {
    if (no.size() != 14 || no[0] != 'T') return false;
    for (std::size_t i = 1; i < no.size(); ++i)
        if (no[i] < '0' || no[i] > '9') return false;
    return true;
}

bool RegistrationNoCheckDigitMatches(const std::string& no) {
    if (!RegistrationNoWellFormed(no)) return false;
    int sum = 0;
    // The 12 digits after the check digit, n counted from the right (n = 1 is the last).
    for (int n = 1; n <= 12; ++n) {
        const int p = no[static_cast<std::size_t>(14 - n)] - '0';
        sum += p * (n % 2 == 1 ? 1 : 2);
    }
    return no[1] - '0' == 9 - sum % 9;
}

std::string TaxSettingsFault(const TaxSettings& t) {
    if (!t.RegistrationNo.empty() && !RegistrationNoWellFormed(t.RegistrationNo))
        return kRegistrationNoFormMessage;
    if (static_cast<int>(t.Method) > static_cast<int>(TaxMethod::ThirtyPercent))
        return "計算方法の値が正しくありません。";
    if (t.BusinessClass > 6) return "事業区分は1〜6です。";
    if (t.InterimTax < 0 || t.InterimLocalTax < 0) return "中間納付税額に負の数は入りません。";
    for (int i = 1; i <= kItemCount; ++i) {
        const auto n = static_cast<std::size_t>(i);
        if (static_cast<int>(t.ItemCategory[n]) > kTaxCategoryLimit)
            return "項目" + std::to_string(i) + "の税区分が正しくありません。";
        if (t.ItemClass[n] > 6) return "項目" + std::to_string(i) + "の事業区分は1〜6です。";
    }
    return {};
}

std::optional<Amount> TaxYenFromText(std::string_view text, bool signedAllowed) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    bool negative = false;
    if (signedAllowed && !text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    } else if (signedAllowed && text.starts_with("△")) {
        negative = true;
        text.remove_prefix(std::string_view("△").size());
    }
    if (text.empty()) return negative ? std::nullopt : std::optional<Amount>(0);
    std::int64_t v = 0;
    bool digit = false;
    for (char c : text) {
        if (c == ',') continue;
        if (c < '0' || c > '9') return std::nullopt;
        digit = true;
        v = v * 10 + (c - '0');
        if (v > 2147483647) return std::nullopt;
    }
    if (!digit) return std::nullopt;
    return static_cast<Amount>(negative ? -v : v);
}

std::vector<std::byte> EncodeTaxSettings(const TaxSettings& t) {
    const bool amended = t.Amended || t.PriorTax != 0 || t.PriorLocalTax != 0;
    std::vector<std::byte> b(amended ? kAmendedTaxSettingsSize : kTaxSettingsSize, std::byte{0});
    std::memcpy(b.data(), amended ? kAmendedTaxSettingsMark : kTaxSettingsMark, 4);
    b[4] = std::byte(t.Taxable ? 1 : 0);
    b[5] = std::byte(static_cast<std::uint8_t>(t.Method));
    b[6] = std::byte(t.TaxIncluded ? 1 : 0);
    b[7] = std::byte(t.BusinessClass);
    b[8] = std::byte(t.SimpleElectionFiled ? 1 : 0);
    b[9] = std::byte(t.ByRegistration ? 1 : 0);
    for (std::size_t i = 0; i < 14; ++i)
        b[10 + i] = std::byte(i < t.RegistrationNo.size() ? t.RegistrationNo[i] : ' ');
    PutLong(b, 24, t.InterimTax);
    PutLong(b, 28, t.InterimLocalTax);
    for (std::size_t i = 1; i <= kItemCount; ++i) {
        b[kCategoriesAt + i - 1] = std::byte(static_cast<std::uint8_t>(t.ItemCategory[i]));
        b[kClassesAt + i - 1] = std::byte(t.ItemClass[i]);
    }
    if (amended) {
        b[132] = std::byte(t.Amended ? 1 : 0);
        PutLong(b, 136, t.PriorTax);
        PutLong(b, 140, t.PriorLocalTax);
    }
    return b;
}

Result<TaxSettings> DecodeTaxSettings(std::span<const std::byte> b, const std::string& path) {
    const bool amended = b.size() >= 4 && std::memcmp(b.data(), kAmendedTaxSettingsMark, 4) == 0;
    if (!amended && (b.size() < 4 || std::memcmp(b.data(), kTaxSettingsMark, 4) != 0))
        return BadFormatError(path, "消費税の設定ファイルではありません。");
    const std::size_t size = amended ? kAmendedTaxSettingsSize : kTaxSettingsSize;
    if (b.size() != size)
        return BadFormatError(path, "消費税の設定ファイルの長さが " + std::to_string(size) +
                                        " バイトではありません。");
    auto flag = [&](std::size_t at, bool& out) {
        const auto v = static_cast<int>(b[at]);
        if (v > 1) return false;
        out = v == 1;
        return true;
    };
    TaxSettings t;
    if (!flag(4, t.Taxable) || !flag(6, t.TaxIncluded) || !flag(8, t.SimpleElectionFiled) ||
        !flag(9, t.ByRegistration))
        return BadFormatError(path, "消費税の設定に 0 でも 1 でもない値があります。");
    t.Method = static_cast<TaxMethod>(static_cast<std::uint8_t>(b[5]));
    t.BusinessClass = static_cast<std::uint8_t>(b[7]);
    std::string no;
    for (std::size_t i = 0; i < 14; ++i) no += static_cast<char>(b[10 + i]);
    t.RegistrationNo = no == std::string(14, ' ') ? std::string() : no;
    t.InterimTax = GetLong(b, 24);
    t.InterimLocalTax = GetLong(b, 28);
    for (std::size_t i = 1; i <= kItemCount; ++i) {
        t.ItemCategory[i] = static_cast<TaxCategory>(static_cast<std::uint8_t>(b[kCategoriesAt + i - 1]));
        t.ItemClass[i] = static_cast<std::uint8_t>(b[kClassesAt + i - 1]);
    }
    if (amended) {
        if (!flag(132, t.Amended) || b[133] != std::byte{0} || b[134] != std::byte{0} ||
            b[135] != std::byte{0})
            return BadFormatError(path, "消費税の設定に 0 でも 1 でもない値があります。");
        t.PriorTax = GetLong(b, 136);
        t.PriorLocalTax = GetLong(b, 140);
    }
    if (std::string why = TaxSettingsFault(t); !why.empty()) return BadFormatError(path, why);
    return t;
}

Result<TaxSettings> LoadTaxSettings(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return TaxSettings{};
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileErrorFromErrno(errno, path.string());
    std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return FileErrorFromErrno(EIO, path.string());
    return DecodeTaxSettings(std::as_bytes(std::span<const char>(raw)), path.string());
}

Status SaveTaxSettings(const std::filesystem::path& path, const TaxSettings& t) {
    if (std::string why = TaxSettingsFault(t); !why.empty())
        return FileError{FileErrorCode::BadFormat, path.string(), why, true};
    return AtomicSave(path, EncodeTaxSettings(t));
}

}  // namespace tabulo
