#pragma once
// The records of the year's data files as the program holds them in memory.
// Text fields are UTF-8 and keep whatever padding the file had (readers trim only
// where they compare or display), so a record read and written back is unchanged.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tabulo {

using Amount = std::int32_t;

// Item categories (区分): how a line moves cash and deposits.
namespace Kubun {
inline constexpr int None = 0;
inline constexpr int Income = 1;           // 収入
inline constexpr int FromAccount = 2;      // 預金繰り入れ
inline constexpr int IntoAccount = 3;      // 口座振り込み
inline constexpr int Expense = 4;          // 支出
inline constexpr int Deposit = 5;          // 預金
inline constexpr int DebitAccount = 6;     // 口座引落とし
inline constexpr int CarryOver = 7;        // 繰越
}  // namespace Kubun

inline constexpr int kItemCount = 50;
inline constexpr int kAccountSlots = 21;   // slots 0..20; the screens use 1..20
inline constexpr int kAccountCount = 20;

// The 18-byte header at the start of KEIRI<nn>.DAT.
struct LedgerHeaderRecord {
    std::int16_t LineCount = 0;
    Amount OpeningBalance = 0;
    Amount TotalIn = 0;
    Amount TotalOut = 0;
    Amount ClosingBalance = 0;
    bool operator==(const LedgerHeaderRecord&) const = default;
};

// One 42-byte line of the cash book.
struct LedgerLine {
    std::string NenGetsuBi;  // 6 bytes, YYMMDD or blanks
    std::string Youbi;       // 6 bytes, such as "（月）"
    std::int16_t ItemNo = 0;
    Amount Indata = 0;
    Amount Outdata = 0;
    Amount Zandaka = 0;
    std::string Bikou;  // 16 bytes
    bool operator==(const LedgerLine&) const = default;
};

// The single 1,536-byte record of YOKIN<nn>.DAT.
struct DepositBookRecord {
    std::array<std::string, kAccountSlots> AccountName;  // 18 bytes each
    std::array<std::string, kAccountSlots> AccountNo;    // 14 bytes each
    std::array<Amount, kAccountSlots> CarriedBalance{};
    std::array<Amount, kAccountSlots> CurrentBalance{};
    std::array<Amount, kAccountSlots> SpareAmount{};
    std::array<std::string, kAccountSlots> Maturity;  // 10 bytes each
    Amount CarriedTotal = 0;
    Amount CurrentTotal = 0;
    std::string DepositNote;  // 394 bytes
    bool operator==(const DepositBookRecord&) const = default;
};

// One item of the master (items 1..50).
struct ItemEntry {
    std::string ItemName;
    std::int16_t ItemKubun = 0;
    std::string ItemKubunName;
    std::int16_t ItemKubun2 = 0;
    std::int16_t ItemKubun3 = 0;
    bool operator==(const ItemEntry&) const = default;
};

// Index 0 is unused so that item i is ItemTable[i].
using ItemTableArray = std::array<ItemEntry, kItemCount + 1>;

// The thirteen header strings of MASTER.DAT, in file order.
namespace MasterField {
inline constexpr int BusinessName = 0;   // 事業所名
inline constexpr int Address = 1;        // 住所
inline constexpr int Location = 2;       // 事業所所在地
inline constexpr int LineOfBusiness = 3; // 業種名
inline constexpr int TradeName = 4;      // 屋号
inline constexpr int Name = 5;           // 氏名
inline constexpr int NameReading = 6;    // フリガナ
inline constexpr int PhoneHome = 7;      // 電話(自宅)
inline constexpr int PhoneBusiness = 8;  // 電話(事業所)
inline constexpr int Association = 9;    // 加入団体名
inline constexpr int AccountantAddress = 10;  // 税理士住所
inline constexpr int AccountantName = 11;     // 税理士氏名
inline constexpr int AccountantPhone = 12;    // 税理士電話番号
inline constexpr int Count = 13;
}  // namespace MasterField
using MasterHeaderArray = std::array<std::string, MasterField::Count>;

// One value of SHINKOKU.DAT: a quoted string or a number (Integer or Long).
struct TaxValue {
    enum Type : std::uint8_t { Str, Int, Long };
    Type type = Str;
    std::string text;
    std::int32_t number = 0;
    bool operator==(const TaxValue&) const = default;
};

// SHINKOKU.DAT as its lines of values, in file order; TaxReturnLayout() in
// store/TaxReturnFile.h gives the type of every value of every line.
struct TaxReturnTables {
    std::vector<std::vector<TaxValue>> lines;
    bool operator==(const TaxReturnTables&) const = default;
};

}  // namespace tabulo
