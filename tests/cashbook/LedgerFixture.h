#pragma once
// A year's data folder in a temporary directory with a small item master, for the
// cash-book tests. Ledgers are loaded from hand-written hex dumps of the file layout:
//   header, 18 bytes: LineCount(int16) OpeningBalance TotalIn TotalOut ClosingBalance (int32)
//   line, 42 bytes:   date(6) weekday(6) ItemNo(int16) Indata Outdata Zandaka (int32) remarks(16)
// all little-endian, text CP932 filled with blanks.

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "tests/support/TempFolder.h"

namespace tabulo::testing {

// Pieces of the dumps that recur.
inline constexpr const char* kBlank6 = "202020202020";
inline constexpr const char* kBlank16 = "20202020202020202020202020202020";
// Weekday texts in CP932: （ 8169, ） 816a.
inline constexpr const char* kSun = "816993fa816a";  // （日）
inline constexpr const char* kMon = "81698c8e816a";  // （月）
inline constexpr const char* kTue = "816989ce816a";  // （火）
inline constexpr const char* kWed = "81699085816a";  // （水）
inline constexpr const char* kThu = "816996d8816a";  // （木）
inline constexpr const char* kFri = "81698be0816a";  // （金）
inline constexpr const char* kSat = "81699379816a";  // （土）

// The file as hex, one record per line, so a failed comparison shows which line differs.
inline std::string LedgerDump(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 18 || (i > 18 && (i - 18) % 42 == 0)) out += '\n';
        auto b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

class LedgerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        s.LedgerPath = dir / "KEIRI13.DAT";
        s.DepositPath = dir / "YOKIN13.DAT";
        s.SetupLines[1] = "A";
        s.SetupLines[2] = "2000";
        s.PageLimit = 200;
        s.FiscalYear = 13;
        s.EraName = "平成";
        Item(1, "売上", 1);
        Item(2, "預金引出", 2);
        Item(3, "振込入金", 3);
        Item(4, "仕入", 4);
        Item(5, "預入れ", 5);
        Item(6, "口座引落", 6);
        Item(7, "前月繰越", 7);
        Item(8, "経費", 4);
        Item(9, "雑収入", 1);
        Item(10, "定期預金", 5);
    }
    void Item(int n, const std::string& name, int kubun) {
        auto& e = s.ItemTable[static_cast<std::size_t>(n)];
        e.ItemName = name;
        e.ItemKubun = static_cast<std::int16_t>(kubun);
        s.ItemTableEdit[static_cast<std::size_t>(n)] = e;
    }
    void Load(const std::string& hex) {
        const std::string bytes = FromHex(hex);
        WriteBytes(s.LedgerPath, bytes);
        auto header = DecodeLedgerHeader(std::as_bytes(std::span(bytes.data(), 18)));
        ASSERT_TRUE(header.ok());
        s.LedgerHeader = *header;
        s.BalanceMark = LedgerBalanceMark{};  // the year read afresh
    }
    std::string File() const { return ReadBytes(s.LedgerPath); }
    // Compares the whole ledger file with a hand-written dump.
    void ExpectFile(const std::string& hex) const {
        EXPECT_EQ(LedgerDump(File()), LedgerDump(FromHex(hex)));
    }

    TempFolder dir;
    SharedState s;
};

}  // namespace tabulo::testing
