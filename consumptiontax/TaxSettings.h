#pragma once
// The year's consumption-tax settings and the categories chosen for the items, kept in
// a file of their own beside the cash book (the master's own file stays as it is). A
// year that never opens the consumption-tax screens has no such file, and reading
// never creates one.
//
// SHOHIZEI<nn>.DAT (binary, little-endian, no padding; <nn> as KEIRI<nn>.DAT), 132 bytes:
//     0  4  fixed string  "CTX1" (the format mark)
//     4  1  byte          Taxable: 0 免税事業者, 1 課税事業者
//     5  1  byte          Method: 0 not chosen, 1 2割特例, 2 簡易課税, 3 原則課税 (割戻し),
//                         4 3割特例
//     6  1  byte          TaxIncluded: 1 税込経理 (amounts include the tax), 0 税抜経理
//     7  1  byte          BusinessClass: 簡易課税's class 1..6 of sales without one of
//                         their own, 0 none chosen
//     8  1  byte          SimpleElectionFiled: 1 the 簡易課税 届出 is filed
//     9  1  byte          ByRegistration: 1 taxable only because of the invoice
//                         registration (what 2割特例 and 3割特例 need)
//    10 14  fixed string  RegistrationNo: ASCII "T" and 13 digits, or 14 blanks
//    24  4  Long          InterimTax: 中間納付税額 (national), yen, 0 or more
//    28  4  Long          InterimLocalTax: 中間納付譲渡割額, yen, 0 or more
//    32 50  bytes         ItemCategory: items 1..50, the TaxCategory value (0 = the
//                         account's)
//    82 50  bytes         ItemClass: items 1..50, the business class 1..6 (0 = BusinessClass)
// An amended return (修正申告) is kept as "CTX2", 144 bytes: the 132 above (with the
// mark "CTX2") and
//   132  1  byte          Amended: 1 this return amends one already filed
//   133  3  bytes         reserved, 0
//   136  4  Long          PriorTax: 既確定税額, the national tax of the return amended
//                         (less than 0 for a refund)
//   140  4  Long          PriorLocalTax: 既確定譲渡割額 (less than 0 for a refund)
// A year that is not amended keeps the 132-byte form.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <span>
#include <string>
#include <vector>

#include "consumptiontax/TaxCategory.h"
#include "platform/FileError.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;

inline constexpr std::size_t kTaxSettingsSize = 132;
inline constexpr const char* kTaxSettingsMark = "CTX1";
inline constexpr std::size_t kAmendedTaxSettingsSize = 144;
inline constexpr const char* kAmendedTaxSettingsMark = "CTX2";

enum class TaxMethod : std::uint8_t {
    None = 0,
    TwentyPercent = 1,  // 2割特例
    Simplified = 2,     // 簡易課税
    General = 3,        // 原則課税 (割戻し)
    ThirtyPercent = 4,  // 3割特例
};
const char* TaxMethodName(TaxMethod m);

struct TaxSettings {
    bool Taxable = false;
    TaxMethod Method = TaxMethod::None;
    bool TaxIncluded = true;
    std::uint8_t BusinessClass = 0;
    bool SimpleElectionFiled = false;
    bool ByRegistration = true;
    std::string RegistrationNo;  // "" or "T" + 13 digits
    Amount InterimTax = 0;
    Amount InterimLocalTax = 0;
    std::array<TaxCategory, kItemCount + 1> ItemCategory{};  // index 0 unused
    std::array<std::uint8_t, kItemCount + 1> ItemClass{};    // index 0 unused
    bool Amended = false;     // 修正申告
    Amount PriorTax = 0;      // ⑬ 既確定税額
    Amount PriorLocalTax = 0; // ㉔ 既確定譲渡割額
    bool operator==(const TaxSettings&) const = default;
};

std::filesystem::path TaxSettingsPath(const SharedState& s);

// The registration number's form: "T" and 13 digits. Wrong form: refused.
bool RegistrationNoWellFormed(const std::string& no);
// The check digit (the first of the 13) against the other 12 by the rule of the
// corporate numbers: 9 − (Σ Pn·Qn mod 9), Pn the digit n counted from the right, Qn 1
// for odd n and 2 for even n. An individual's number need not follow it, so a
// mismatch is a warning only.
bool RegistrationNoCheckDigitMatches(const std::string& no);
inline constexpr const char* kRegistrationNoFormMessage =
    "登録番号は T と13桁の数字です。";
inline constexpr const char* kRegistrationNoCheckMessage =
    "登録番号の先頭の数字（チェック用）が残りの12桁と合いません。番号をお確かめください。";

// Why the settings cannot be kept, or "": a registration number of a wrong form, a
// class outside 0..6, a category no category has, a negative interim payment.
std::string TaxSettingsFault(const TaxSettings& t);

// A yen amount as the user types it on the settings screen: digits with or without
// thousands commas, "" for 0; with `signedAllowed` also a leading "-" or "△" (a refund
// of the return amended). None for anything else or an amount beyond 2,147,483,647.
std::optional<Amount> TaxYenFromText(std::string_view text, bool signedAllowed);

std::vector<std::byte> EncodeTaxSettings(const TaxSettings& t);
// `path` names the file in the messages.
Result<TaxSettings> DecodeTaxSettings(std::span<const std::byte> bytes, const std::string& path);
// A missing file: the settings of a year never set (exempt, nothing chosen).
Result<TaxSettings> LoadTaxSettings(const std::filesystem::path& path);
// Checks first and writes nothing when refused; the file is replaced whole (written
// beside, flushed, renamed), so a failed save leaves the old file.
Status SaveTaxSettings(const std::filesystem::path& path, const TaxSettings& t);

}  // namespace tabulo
