// The history's records in words, as the history screen and the command line show
// them: the stored bytes of a line or a slip read back into dates, items, accounts and
// amounts, newest first, damaged records marked.

#include <gtest/gtest.h>

#include "ebooks/HistoryText.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FromHex;

std::vector<std::byte> Hex(const std::string& hex) {
    const std::string s = FromHex(hex);
    const auto* p = reinterpret_cast<const std::byte*>(s.data());
    return {p, p + s.size()};
}

// A cash-book line as stored: 130405, (土), item 1, in 80,000, out 0, balance
// 120,000, remarks 掛売り.
const char* const kLine =
    "313330343035 81699379816a"  // 130405, （土）
    "0100 80380100 00000000 c0d40100"
    "8a7c948482e8 20202020202020202020";
// A slip as stored: 130520 現金 (101) / 売掛金 (106) 80,000, remarks ABC.
const char* const kSlip =
    "313330353230 6500 6a00 80380100"
    "414243 202020202020202020202020202020202020202020";

ItemTableArray Items() {
    ItemTableArray items{};
    items[1].ItemName = "売上";
    return items;
}

TEST(HistoryText, ReadsTheStoredLineAndSlipBackIntoWords) {
    HistoryRecord change{7, "20261208093000", HistoryOperation::CashBookChange, 123, 0, Hex(kLine), Hex(kLine)};
    change.NewBytes[14] = std::byte{0x90};  // in 80,016
    const HistoryRow row = DescribeHistoryRecord(change, Items());
    EXPECT_EQ(row.When, "2026-12-08 09:30:00");
    EXPECT_EQ(row.Operation, "出納簿 訂正");
    EXPECT_EQ(row.Target, "出納簿:123");
    EXPECT_EQ(row.Before, "13年4月5日 売上 入金 80,000円 掛売り");
    EXPECT_EQ(row.After, "13年4月5日 売上 入金 80,016円 掛売り");

    const HistoryRecord slip{8, "20261208093100", HistoryOperation::SlipDelete, 5, 3, Hex(kSlip), {}};
    const HistoryRow s = DescribeHistoryRecord(slip, Items());
    EXPECT_EQ(s.Operation, "元に戻す（3）: 振替伝票 削除");
    EXPECT_EQ(s.Target, "振替:5");
    EXPECT_EQ(s.Before, "13年5月20日 現金 / 売掛金 80,000円 ABC");
    EXPECT_EQ(s.After, "");
}

TEST(HistoryText, ReadsADepositAccountBackIntoItsNameNumberAndBalance) {
    // 普通預金, number 1234567, carried 50,000, current 98,500, spare 0, no maturity,
    // totals 50,000 and 98,500.
    const std::string account =
        "958192ca97618be0 20202020202020202020"
        "31323334353637 20202020202020"
        "50c30000 c4800100 00000000 20202020202020202020"
        "50c30000 c4800100";
    const HistoryRecord r{9, "20261208093200", HistoryOperation::DepositChange, 1, 0, Hex(account),
                          Hex(account)};
    const HistoryRow row = DescribeHistoryRecord(r, Items());
    EXPECT_EQ(row.Operation, "預金 訂正");
    EXPECT_EQ(row.Target, "預金:1");
    EXPECT_EQ(row.Before, "普通預金 1234567 残高 98,500円");
}

TEST(HistoryText, ListsNewestFirstAndMarksTheDamagedRecord) {
    HistoryContents h;
    h.Records.push_back({1, "20261208093000", HistoryOperation::CashBookPost, 1, 0, {}, Hex(kLine)});
    h.Records.push_back({2, "20261208093100", HistoryOperation::CashBookDelete, 1, 0, Hex(kLine), {}});
    h.Damage.push_back({1, 4, "履歴の記録 1 の内容が書き換えられているか、壊れています。"});
    const auto rows = DescribeHistory(h, Items());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Sequence, 2u);
    EXPECT_FALSE(rows[0].Damaged);
    EXPECT_EQ(rows[1].Sequence, 1u);
    EXPECT_TRUE(rows[1].Damaged);
}


TEST(HistoryText, SelectsByLineDayAndOperation) {
    HistoryContents h;
    h.Records.push_back({1, "20261130235959", HistoryOperation::CashBookPost, 12, 0, {}, Hex(kLine)});
    h.Records.push_back({2, "20261201000000", HistoryOperation::CashBookChange, 12, 0, Hex(kLine), Hex(kLine)});
    h.Records.push_back({3, "20261201120000", HistoryOperation::SlipAdd, 12, 0, {}, Hex(kSlip)});
    h.Records.push_back({4, "20261202080000", HistoryOperation::CashBookDelete, 13, 0, Hex(kLine), {}});
    const auto numbers = [&](const HistoryFilter& f) {
        std::vector<std::uint32_t> out;
        for (const HistoryRow& r : SelectHistory(h, f, Items())) out.push_back(r.Sequence);
        return out;
    };
    using V = std::vector<std::uint32_t>;
    EXPECT_EQ(numbers({}), (V{4, 3, 2, 1}));
    // Line 12 of the cash book: not slip 12.
    EXPECT_EQ(numbers({12, "", "", 0}), (V{2, 1}));
    // The day's ends are inside.
    EXPECT_EQ(numbers({0, "20261201", "20261201", 0}), (V{3, 2}));
    EXPECT_EQ(numbers({0, "20261201", "", static_cast<int>(HistoryOperation::CashBookDelete)}), (V{4}));
    EXPECT_EQ(numbers({12, "", "20261130", 0}), (V{1}));
    EXPECT_TRUE(numbers({99, "", "", 0}).empty());
}

TEST(HistoryText, TakesADayInTheUsualWesternForms) {
    EXPECT_EQ(HistoryDay("2026-12-01"), "20261201");
    EXPECT_EQ(HistoryDay("2026/12/01"), "20261201");
    EXPECT_EQ(HistoryDay("20261201"), "20261201");
    EXPECT_EQ(HistoryDay("2026-02-29"), "");
    EXPECT_EQ(HistoryDay("2028-02-29"), "20280229");
    EXPECT_EQ(HistoryDay("2026-13-01"), "");
    EXPECT_EQ(HistoryDay("R08-12-01"), "");
    EXPECT_EQ(HistoryDay(""), "");
}

}  // namespace
}  // namespace tabulo
