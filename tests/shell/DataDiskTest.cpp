// The data-disk actions on a year read from hand-written files: the copy onto a second
// disk, the next year's disk, the drive that cannot be swapped, failures half way, and
// the automatic copies with their rotation. This year's folder must never change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "shell/CheckStartup.h"
#include "ebooks/ElectronicBooks.h"
#include "shell/DataDisk.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/RollbackJournal.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "tests/support/RollbackJournalWriter.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FakePrompt;
using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Blanks(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "20";
    return s;
}
std::string Zeros(int n) { return std::string(static_cast<std::size_t>(n) * 2, '0'); }

// DATE.DAT: 13,"平成",0 CR LF in Shift-JIS (平成 = 95bd 90ac).
const std::string kDate13 = FromHex("3133 2c 22 95bd90ac 22 2c 30 0d0a");
const std::string kDate14 = FromHex("3134 2c 22 95bd90ac 22 2c 30 0d0a");
// KEIRI13.DAT: one line of 1,000 income on item 1 (header totals as written by 終了).
const std::string kLedger13 = FromHex(
    "0100 00000000 e8030000 00000000 e8030000"
    "313330343031 81698c8e816a 0100 e8030000 00000000 e8030000" +
    Blanks(16));

// YOKIN<nn>.DAT with account 1 "MIZUHO": carried (hex, 4 bytes) and current balance
// in slot 1 and in the totals.
std::string Deposit(const std::string& carried, const std::string& current) {
    std::string h;
    h += Blanks(18) + "4d495a55484f" + Blanks(12);
    for (int i = 2; i <= 20; ++i) h += Blanks(18);
    for (int i = 0; i <= 20; ++i) h += Blanks(14);
    h += Zeros(4) + carried + Zeros(19 * 4);  // CarriedBalance
    h += Zeros(4) + current + Zeros(19 * 4);  // CurrentBalance
    h += Zeros(21 * 4);                       // SpareAmount
    for (int i = 0; i <= 20; ++i) h += Blanks(10);
    h += carried + current;  // CarriedTotal, CurrentTotal
    h += Blanks(394);
    return FromHex(h);
}

// Every file of a folder tree with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> m;
    if (!fs::exists(root)) return m;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) m[fs::relative(e.path(), root).string()] = ReadBytes(e.path());
    return m;
}

class DataDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        s.ProgramFolder = home.path();
        ASSERT_EQ(CheckStartup(s, prompt, [](const std::string&) { return std::nullopt; }),
                  StartupResult::Ready);
        year = home.path() / "drives" / "A" / "KEIRIDATA";
        WriteBytes(year / "DATE.DAT", kDate13);
        // MASTER.DAT as written, with an end-of-file mark after it that no writer of
        // ours makes: the next year's copy must keep it, byte for byte.
        s.MasterHeader[MasterField::BusinessName] = "山田商店";
        s.ItemTable[1].ItemName = "売上";
        s.ItemTable[1].ItemKubun = 1;
        auto encoded = EncodeMasterFile(s.MasterHeader, s.ItemTable);
        ASSERT_TRUE(encoded.ok());
        master.assign(reinterpret_cast<const char*>(encoded->data()), encoded->size());
        master += '\x1a';
        WriteBytes(year / "MASTER.DAT", master);
        WriteBytes(year / "KEIRI13.DAT", kLedger13);
        WriteBytes(year / "YOKIN13.DAT", Deposit("10270000", "50c30000"));  // 10,000 / 50,000
        ReadDataSet(s, prompt, {});
        ASSERT_EQ(s.DataLoaded, 1) << prompt.LastText();
        prompt.Clear();
        before = Snapshot(year);
        io.env = [this](const std::string& name) -> std::optional<std::string> {
            if (name == "TABULO_DRIVE_A" && swapped) return stick.string();
            return std::nullopt;
        };
        io.chooseFolder = [this]() -> std::optional<fs::path> {
            if (choices.empty()) return std::nullopt;
            fs::path p = choices.front();
            choices.erase(choices.begin());
            return p;
        };
        // Answering the swap question is putting the other disk in.
        prompt.onShow = [this](const testing::ShownBox& box) {
            if (box.title == "セット確認" || box.title == "フロッピーセット確認")
                swapped = swapOnQuestion;
        };
        stick = home.path() / "stick";
        fs::create_directories(stick);
    }
    void ExpectThisYearUntouched() { EXPECT_EQ(Snapshot(year), before); }

    TempFolder home;
    SharedState s;
    FakePrompt prompt;
    DiskServices io;
    fs::path year, stick;
    std::string master;
    std::map<std::string, std::string> before;
    std::vector<fs::path> choices;
    bool swapped = false;
    bool swapOnQuestion = true;
};

TEST_F(DataDisk, NextYearDiskCarriesTheBalancesAndLeavesThisYearAsItWas) {
    const SharedState kept = s;
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{
                  "翌年度のデータディスクを作成しますか？",
                  "翌年のデータを書き込みします。フォーマット済みのディスクを(A)"
                  "ドライブにセットしましたか？",
                  "繰り越し処理が終了しました。ディスクを今年のディスクと取り替えて下さい"}));
    EXPECT_EQ(prompt.shown[0].title, "作成確認");
    EXPECT_EQ(prompt.shown[2].title, "取り替え確認");

    const fs::path next = stick / "KEIRIDATA";
    EXPECT_EQ(ReadBytes(next / "DATE.DAT"), kDate14);
    EXPECT_EQ(ReadBytes(next / "KEIRI14.DAT"), std::string(18, '\0'));
    // Carried balances are this year's current ones: 50,000 in slot 1 and the total.
    EXPECT_EQ(ReadBytes(next / "YOKIN14.DAT"), Deposit("50c30000", "50c30000"));
    EXPECT_EQ(ReadBytes(next / "MASTER.DAT"), master);
    auto tax = ReadWholeFile(next / "SHINKOKU.DAT");
    ASSERT_TRUE(tax.ok());
    auto tables = DecodeTaxReturnFile(*tax, DefaultTaxReturnData());
    ASSERT_TRUE(tables.ok());
    for (const auto& line : tables->lines)
        for (const auto& v : line)
            if (v.type != TaxValue::Str) {
                EXPECT_EQ(v.number, 0);
            }

    ExpectThisYearUntouched();
    EXPECT_EQ(s.FiscalYear, kept.FiscalYear);
    EXPECT_EQ(s.LedgerPath, kept.LedgerPath);
    EXPECT_EQ(s.DepositPath, kept.DepositPath);
    EXPECT_EQ(s.LedgerHeader, kept.LedgerHeader);
    EXPECT_EQ(s.DepositBook, kept.DepositBook);
    EXPECT_EQ(s.TaxReturnData, kept.TaxReturnData);
    // A year that never chose item accounts gives the next year none either.
    EXPECT_FALSE(fs::exists(next / "KAMOKU.DAT"));
}

// The item accounts of the double-entry books belong with the master: the next year
// gets them byte for byte.
TEST_F(DataDisk, NextYearDiskTakesTheItemAccountsAlong) {
    const std::string accounts = "\"1\",106\r\n\"2\",0\r\n";
    WriteBytes(year / "KAMOKU.DAT", accounts);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "KAMOKU.DAT"), accounts);
}

// The double-entry books go over as the next year's opening balance sheet: 現金
// 5,000 + the year's 1,000 = 6,000, and 元入金 5,000 + the 1,000 of the year (its item
// names no account here, so it folds into 元入金 like the income) = 6,000.
TEST_F(DataDisk, NextYearDiskCarriesTheClosingBalancesAsOpenings) {
    // FRK1, two openings, no slips; 現金 (101) 5,000; 元入金 (302) 5,000.
    WriteBytes(year / "FURIKAE13.DAT",
               FromHex("46524b31 0200 00000000 6500 88130000 2e01 88130000"));
    before = Snapshot(year);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "FURIKAE14.DAT"),
              FromHex("46524b31 0200 00000000 6500 70170000 2e01 70170000"));
    ExpectThisYearUntouched();
}

// The fixed-asset register goes over with the year's closing book values as the next
// year's openings; an asset scrapped this year stays behind. The shares go along byte
// for byte.
TEST_F(DataDisk, NextYearDiskCarriesTheAssetRegisterAndTheShares) {
    // One asset of the register, 70 bytes, with its opening book value last but the
    // disposal; the name and the method are given.
    auto asset = [](const std::string& name, const std::string& cost, const std::string& opening,
                    const std::string& disposal) {
        return name + "0200" + Blanks(10) + "592f3101 592f3101" + cost +
               "0f00 0200 6400" + opening + disposal;
    };
    // 内装 (93e0 9195): 旧定額法, 15 years, cost 1,000,000, 500,000 at the start of 2001;
    // 棚 (9249): cost 150,000, scrapped (2) in March.
    WriteBytes(year / "SHISAN13.DAT",
               FromHex("53534e31 0200" + asset("93e09195" + Blanks(28), "40420f00", "20a10700", "0000 0000") +
                       asset("9249" + Blanks(30), "f0490200", "f0490200", "0300 0200")));
    const std::string shares = FromHex("41424e31" + Zeros(2 * 22) + "2800" + Zeros(2 * 27));
    WriteBytes(year / "ANBUN13.DAT", shares);
    before = Snapshot(year);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    // 2001: 1,000,000 x 0.9 x 0.066 = 59,400; 500,000 - 59,400 = 440,600 (18b90600).
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "SHISAN14.DAT"),
              FromHex("53534e31 0100" + asset("93e09195" + Blanks(28), "40420f00", "18b90600", "0000 0000")));
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "ANBUN14.DAT"), shares);
    ExpectThisYearUntouched();
}

// The van of 令和8年, first used in April: the next year's disk opens 令和9年 with it at
// its closing book value of 2,099,400 (2,400,000 less 300,600), everything else as it was.
TEST_F(DataDisk, NextYearDiskOpensTheVansYearAtItsClosingBookValue) {
    for (const char* name : {"KEIRI13.DAT", "YOKIN13.DAT"}) {
        std::string stem(name);
        fs::rename(year / name, year / (stem.substr(0, stem.size() - 6) + "08.DAT"));
    }
    WriteBytes(year / "DATE.DAT", FromHex("38 2c 22 97df9861 22 2c 30 0d0a"));  // 8,"令和",0
    // 営業用バン, 車両運搬具, 1台, 2026-04-01 both, 2,400,000, 6 years, 定額法, 80 %.
    auto van = [](const std::string& opening) {
        return "89638bc69770836f8393" + Blanks(22) + "0500" + "3191e4" + Blanks(7) +
               "31263501 31263501 009f2400 0600 0100 5000" + opening + "0000 0000";
    };
    WriteBytes(year / "SHISAN08.DAT", FromHex("53534e31 0100" + van("009f2400")));
    ReadDataSet(s, prompt, {});
    ASSERT_EQ(s.DataLoaded, 1) << prompt.LastText();
    ASSERT_EQ(s.FiscalYear, 8);
    before = Snapshot(year);
    prompt.Clear();
    ASSERT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "DATE.DAT"), FromHex("39 2c 22 97df9861 22 2c 30 0d0a"));
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "SHISAN09.DAT"), FromHex("53534e31 0100" + van("c8082000")));
    ExpectThisYearUntouched();
}

// A register that does not follow its layout stops the next year's disk with a message
// naming it, and nothing is written.
TEST_F(DataDisk, NextYearDiskRefusesABrokenRegister) {
    WriteBytes(year / "SHISAN13.DAT", FromHex("53534e31 0500"));
    before = Snapshot(year);
    EXPECT_NE(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_NE(prompt.LastText().find("SHISAN13.DAT"), std::string::npos) << prompt.LastText();
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "DATE.DAT"));
    ExpectThisYearUntouched();
}

// Books kept as electronic books go on so: the next year's history starts with the
// setting, marked as carried over, and counts for the whole year. A year that switched
// the setting off (or never had it) gives the next year no history.
TEST_F(DataDisk, NextYearDiskCarriesTheElectronicBooksSettingWhenItIsOn) {
    // RRK1; On at 2026-01-05 09:00 (user), then Off at 2026-06-10 12:00.
    const std::string on =
        "2c000000 01000000 3230323630313035303930303030 0b00 00000000 00000000 0000 0000";
    const std::string onBytes = FromHex(on);
    const std::string checked = FromHex("00000000") + onBytes;  // the check before: 0
    const auto check1 = HistoryCrc32(std::as_bytes(std::span(checked.data(), checked.size())));
    std::string onRecord = onBytes;
    for (int i = 0; i < 4; ++i) onRecord += static_cast<char>((check1 >> (8 * i)) & 0xff);
    onRecord += FromHex("2c000000");
    WriteBytes(year / "RIREKI13.DAT", FromHex("52524b31") + onRecord);
    s.HistoryClock = [] { return std::string("20261228170000"); };
    before = Snapshot(year);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    ExpectThisYearUntouched();
    auto next = LoadHistory(stick / "KEIRIDATA" / "RIREKI14.DAT");
    ASSERT_TRUE(next.ok());
    EXPECT_TRUE(next->Damage.empty());
    ASSERT_EQ(next->Records.size(), 1u);
    EXPECT_EQ(next->Records[0].Operation, HistoryOperation::ElectronicBooksOn);
    EXPECT_EQ(next->Records[0].Target, kCarriedOverTarget);
    EXPECT_EQ(next->Records[0].Sequence, 1u);
    EXPECT_EQ(next->Records[0].When, "20261228170000");  // made with the disk
    const auto standing = StandingOfElectronicBooks(*next);
    EXPECT_TRUE(standing.wholeYear);
    EXPECT_TRUE(standing.setting.carriedOver);

    // Switched off this year: nothing carried.
    fs::remove_all(stick / "KEIRIDATA");
    s.HistoryClock = [] { return std::string("20260610120000"); };
    ASSERT_TRUE(SwitchElectronicBooks(s, false).ok());
    before = Snapshot(year);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "RIREKI14.DAT"));
}

// A stick swapped in the same drive is mounted where this year's was: the next year's
// books must come from this year's disk, read before the swap, or the new disk would
// get only what is in memory. Every file of the year goes over, as onto another drive.
TEST_F(DataDisk, NextYearDiskOnADiskSwappedInTheSameDriveCarriesEveryFileOfTheBooks) {
    // Item 2 (no line of the year uses it) on 普通預金 (106), the other 49 on none.
    std::string accounts;
    for (int item = 1; item <= 50; ++item)
        accounts += std::to_string(item) + (item == 2 ? ",106\r\n" : ",0\r\n");
    WriteBytes(year / "KAMOKU.DAT", accounts);
    WriteBytes(year / "FURIKAE13.DAT",
               FromHex("46524b31 0200 00000000 6500 88130000 2e01 88130000"));
    const std::string history = FromHex("52524b31");  // a history of the year with no change
    WriteBytes(year / "RIREKI13.DAT", history);
    before = Snapshot(year);
    const fs::path away = home.path() / "this-years-disk";
    prompt.onShow = [&](const testing::ShownBox& box) {
        if (box.title != "セット確認") return;
        // Taking this year's disk out and putting an empty one in the same drive.
        fs::rename(year, away);
        fs::create_directories(year);
    };
    ASSERT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(ReadBytes(year / "DATE.DAT"), kDate14);
    EXPECT_EQ(ReadBytes(year / "KAMOKU.DAT"), accounts);
    EXPECT_EQ(ReadBytes(year / "FURIKAE14.DAT"),
              FromHex("46524b31 0200 00000000 6500 70170000 2e01 70170000"));
    EXPECT_EQ(ReadBytes(year / "RIREKI13.DAT"), history);
    EXPECT_EQ(ReadBytes(year / "MASTER.DAT"), master);
    EXPECT_EQ(Snapshot(away), before);
}

// The consumption-tax settings go on to the next year byte for byte but for the
// interim payments, which are the year's own; a damaged settings file stops the disk
// before anything is written.
TEST_F(DataDisk, NextYearDiskCarriesTheConsumptionTaxSettingsWithoutTheInterimPayments) {
    // Taxable, 簡易課税, tax included, class 5, filed, by registration, T1234567890123,
    // interim 120,000 and 33,000, item 3 category 2, item 3 class 4.
    std::string settings = FromHex("43545831 01 02 01 05 01 01") + "T1234567890123" +
                           FromHex("c0d40100 e8800000");
    std::string categories(50, '\0'), classes(50, '\0');
    categories[2] = '\x02';
    classes[2] = '\x04';
    settings += categories + classes;
    ASSERT_EQ(settings.size(), 132u);
    WriteBytes(year / "SHOHIZEI13.DAT", settings);
    before = Snapshot(year);
    ASSERT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    std::string next = settings;
    next.replace(24, 8, std::string(8, '\0'));
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "SHOHIZEI14.DAT"), next);
    ExpectThisYearUntouched();

    fs::remove_all(stick / "KEIRIDATA");
    WriteBytes(year / "SHOHIZEI13.DAT", settings.substr(0, 100));
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Failed);
    EXPECT_NE(prompt.LastText().find("SHOHIZEI13.DAT"), std::string::npos) << prompt.LastText();
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "SHOHIZEI14.DAT"));
}

// Whatever the next year's disk is (another disk swapped into the drive, a folder
// chosen when the drive's disk cannot be swapped, or a disk in a second drive letter
// that holds the year), it gets every file of the year's
// books: the next year's own and this year's history, and nothing of this year left
// behind or changed.
TEST_F(DataDisk, NextYearDiskOnEachKindOfTargetHoldsEveryFileOfTheYear) {
    std::string accounts;
    for (int item = 1; item <= 50; ++item) accounts += std::to_string(item) + ",0\r\n";
    WriteBytes(year / "KAMOKU.DAT", accounts);
    WriteBytes(year / "FURIKAE13.DAT", FromHex("46524b31 0200 00000000 6500 88130000 2e01 88130000"));
    WriteBytes(year / "RIREKI13.DAT", FromHex("52524b31"));
    WriteBytes(year / "SHISAN13.DAT",
               FromHex("53534e31 0100 9249" + Blanks(30) + "0200" + Blanks(10) +
                       "592f3101 592f3101 f0490200 0f00 0200 6400 f0490200 0000 0000"));
    WriteBytes(year / "ANBUN13.DAT", FromHex("41424e31" + Zeros(2 * 22) + "2800" + Zeros(2 * 27)));
    WriteBytes(year / "SHOHIZEI13.DAT", FromHex("43545831 01 02 01 05 01 01") + "T1234567890123" +
                                            std::string(8 + 100, '\0'));
    before = Snapshot(year);
    const std::set<std::string> expected{"DATE.DAT",      "MASTER.DAT",   "SHINKOKU.DAT",  "KAMOKU.DAT",
                                         "KEIRI14.DAT",   "YOKIN14.DAT",  "FURIKAE14.DAT", "SHISAN14.DAT",
                                         "ANBUN14.DAT",   "SHOHIZEI14.DAT", "RIREKI13.DAT"};
    auto names = [](const fs::path& folder) {
        std::set<std::string> out;
        for (const auto& [name, bytes] : Snapshot(folder)) out.insert(name);
        return out;
    };
    // A disk swapped into the same drive.
    ASSERT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(names(stick / "KEIRIDATA"), expected);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "KAMOKU.DAT"), accounts);
    ExpectThisYearUntouched();
    // A folder chosen for a drive whose disk cannot be swapped.
    swapOnQuestion = false;
    const fs::path chosen = home.path() / "usb";
    choices = {chosen};
    prompt.Clear();
    ASSERT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(names(chosen / "KEIRIDATA"), expected);
    EXPECT_EQ(Snapshot(chosen / "KEIRIDATA"), Snapshot(stick / "KEIRIDATA"));
    ExpectThisYearUntouched();
    // The same year kept on a second drive letter (B), its disk swapped for the new one.
    const fs::path onB = home.path() / "drives" / "B" / "KEIRIDATA";
    fs::create_directories(onB);
    for (const auto& [name, bytes] : before) WriteBytes(onB / name, bytes);
    s.SetupLines[1] = "B";
    ReadDataSet(s, prompt, {});
    ASSERT_EQ(s.DataLoaded, 1) << prompt.LastText();
    ASSERT_EQ(s.DataFolder, onB);
    const fs::path stickB = home.path() / "stickB";
    fs::create_directories(stickB);
    swapped = false;
    swapOnQuestion = true;
    io.env = [&](const std::string& name) -> std::optional<std::string> {
        if (name == "TABULO_DRIVE_B" && swapped) return stickB.string();
        return std::nullopt;
    };
    prompt.Clear();
    ASSERT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(prompt.shown.at(1).text,
              "翌年のデータを書き込みします。フォーマット済みのディスクを(B)"
              "ドライブにセットしましたか？");
    EXPECT_EQ(names(stickB / "KEIRIDATA"), expected);
    EXPECT_EQ(Snapshot(stickB / "KEIRIDATA"), Snapshot(stick / "KEIRIDATA"));
    EXPECT_EQ(Snapshot(onB), before);
    ExpectThisYearUntouched();
}

// A slip book the next year cannot be worked out from stops the disk before anything
// is written, naming the file.
TEST_F(DataDisk, ADamagedSlipBookStopsTheNextYearDiskWithNothingWritten) {
    WriteBytes(year / "FURIKAE13.DAT", FromHex("46524b31 0200 00000000 6500 8813"));
    before = Snapshot(year);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Failed);
    EXPECT_NE(prompt.LastText().find("FURIKAE13.DAT"), std::string::npos) << prompt.LastText();
    // The disk's folder (made when the disk was looked at) holds nothing.
    EXPECT_TRUE(Snapshot(stick).empty());
    ExpectThisYearUntouched();
}

TEST_F(DataDisk, NextYearDiskNeedsTheDataAndNoOpenFormAndStopsAtEachNo) {
    s.DataLoaded = 0;
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Refused);
    EXPECT_EQ(prompt.LastText(),
              "ファイルを読み込まないと翌年度のデータディスクは作成出来ません！！");
    s.DataLoaded = 1;
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, true), DiskOutcome::Refused);
    EXPECT_EQ(prompt.LastText(),
              "ファイルが開いた状態では翌年度のデータディスクは作成出来ません！！");

    prompt.Clear();
    prompt.Answer(Answer::No);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Cancelled);
    EXPECT_EQ(prompt.shown.size(), 1u);
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Cancelled);
    EXPECT_TRUE(Snapshot(stick).empty());
    ExpectThisYearUntouched();
}

TEST_F(DataDisk, ADriveThatCannotBeSwappedGetsAChosenFolderNeverThisYearsOwn) {
    swapOnQuestion = false;  // drive A is a folder of the program's own: no disk to swap
    const fs::path other = home.path() / "usb";
    choices = {home.path() / "drives" / "A", year, other};
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done);
    const auto texts = prompt.Texts();
    EXPECT_EQ(
        std::count(
            texts.begin(), texts.end(),
            "今年度のデータフォルダーには書き込めません！！\r\n別のフォルダーを選んでください。"),
        2);
    EXPECT_EQ(ReadBytes(other / "KEIRIDATA" / "DATE.DAT"), kDate14);
    ExpectThisYearUntouched();
    EXPECT_EQ(ReadBytes(year / "DATE.DAT"), kDate13);

    // Cancelling the folder dialog ends the action with nothing written.
    prompt.Clear();
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Cancelled);
    EXPECT_EQ(prompt.LastText(), "作業を中止しました。");
    ExpectThisYearUntouched();
}

TEST_F(DataDisk, BackupCopiesThroughTheStagingFolderOntoTheSwappedDisk) {
    WriteBytes(home.path() / "KEIRIDATA3" / "OLD.DAT", "old");
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::string>{
                  "データディスクのバックアップしますか？",
                  "フロッピーディスクをバックアップ用ディスクと交換してください。",
                  "終了しました。フロッピーディスクを元のデータディスクと交換してください。"}));
    EXPECT_EQ(prompt.shown[0].title, "バックアップ確認");
    EXPECT_EQ(prompt.shown[1].title, "フロッピーセット確認");
    EXPECT_EQ(Snapshot(stick / "KEIRIDATA"), before);
    EXPECT_EQ(Snapshot(home.path() / "KEIRIDATA3"), before);  // emptied first
    ExpectThisYearUntouched();
}

TEST_F(DataDisk, BackupWithAFormOpenOrNoAtTheSwapWritesNothingToTheDisk) {
    EXPECT_EQ(BackupDataDisk(s, prompt, io, true), DiskOutcome::Refused);
    EXPECT_EQ(prompt.Texts(),
              std::vector<std::string>{"ファイルが開いた状態ではバックアップは出来ません！！"});

    prompt.Clear();
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Cancelled);
    EXPECT_EQ(prompt.LastText(), "作業を中止しました。");
    EXPECT_EQ(Snapshot(home.path() / "KEIRIDATA3"), before);  // the staging folder stays filled
    EXPECT_TRUE(Snapshot(stick).empty());
    ExpectThisYearUntouched();
}

// A disk that fills up while one file is written (every other call goes through).
class FullWhileWriting : public FileOps {
  public:
    explicit FullWhileWriting(std::string name) : name_(std::move(name)) {}
    int Open(const char* path, int flags, mode_t mode) override {
        const int fd = FileOps::Open(path, flags, mode);
        if (std::string(path).ends_with("/" + name_)) fd_ = fd;
        return fd;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (fd == fd_) {
            errno = ENOSPC;
            return -1;
        }
        return FileOps::Write(fd, data, size);
    }

  private:
    std::string name_;
    int fd_ = -1;
};

TEST_F(DataDisk, ACopyFailingHalfWayNamesTheProblemAndLeavesTheOlderBackupWhole) {
    WriteBytes(stick / "KEIRIDATA" / "DATE.DAT", kDate13);
    WriteBytes(stick / "KEIRIDATA" / "KEIRI13.DAT", std::string(18, '\0'));
    const auto older = Snapshot(stick);
    FullWhileWriting full("YOKIN13.DAT");
    {
        ScopedFileOps use(full);
        EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Failed);
    }
    EXPECT_TRUE(prompt.LastText().starts_with("データが有りません！！")) << prompt.LastText();
    EXPECT_NE(prompt.LastText().find("YOKIN13.DAT"), std::string::npos) << prompt.LastText();
    EXPECT_EQ(prompt.shown.back().title, "エラー確認");
    EXPECT_EQ(Snapshot(stick), older);
    for (const auto& e : fs::recursive_directory_iterator(stick))
        EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
    ExpectThisYearUntouched();
}

// The journal of the cash book stays on the data disk between operations with its
// mark cleared; it holds nothing a copy needs. One whose mark is still set belongs
// to an operation cut short: that operation is undone before anything is copied.
TEST_F(DataDisk, NoCopyTakesTheJournalAndAnOperationCutShortIsUndoneFirst) {
    WriteBytes(year / "KEIRI13.JNL", std::string(64, '\0'));
    ASSERT_FALSE(JournalIsLive(year / "KEIRI13.JNL"));
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "KEIRI13.JNL"));
    EXPECT_FALSE(fs::exists(home.path() / "KEIRIDATA3" / "KEIRI13.JNL"));
    EXPECT_EQ(Snapshot(stick / "KEIRIDATA"), before);

    fs::remove_all(stick);
    fs::create_directories(stick);
    swapped = false;  // the data disk is back in the drive
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "KEIRI13.JNL"));
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "KEIRI14.JNL"));

    using namespace std::chrono;
    const auto now = sys_days{year_month_day{std::chrono::year{2026}, month{6}, day{1}}} + hours{3};
    ASSERT_TRUE(AutoBackup(home.path(), year, now).ok());
    for (const auto& e : fs::recursive_directory_iterator(home.path() / "backup"))
        EXPECT_NE(e.path().extension(), ".JNL") << e.path();

    // An operation cut short after its journal was written, before the ledger was: the
    // copies hold the ledger as it was before it, and carry no journal.
    std::string changed = kLedger13;
    changed[2] = '\x7f';
    changed[19] = 'X';
    const auto asBytes = [](const std::string& t) {
        std::vector<std::byte> b;
        for (char c : t) b.push_back(static_cast<std::byte>(c));
        return b;
    };
    const std::vector<std::byte> old = asBytes(kLedger13), now2 = asBytes(changed);
    FileChange change{year / "KEIRI13.DAT", true, old, now2, {ByteRange{0, old.size()}}, {}};
    const std::vector<std::byte> journal = EncodeJournal(std::span<const FileChange>(&change, 1));
    WriteBytes(year / "KEIRI13.JNL", std::string(reinterpret_cast<const char*>(journal.data()), journal.size()));
    ASSERT_TRUE(JournalIsLive(year / "KEIRI13.JNL"));
    fs::remove_all(stick);
    fs::create_directories(stick);
    swapped = false;
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "KEIRI13.DAT"), kLedger13);
    EXPECT_EQ(ReadBytes(home.path() / "KEIRIDATA3" / "KEIRI13.DAT"), kLedger13);
    EXPECT_EQ(ReadBytes(year / "KEIRI13.DAT"), kLedger13);
    EXPECT_FALSE(JournalIsLive(year / "KEIRI13.JNL"));
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "KEIRI13.JNL"));

    // The same operation with every write on the disk had finished: the backup keeps
    // it, and never undoes it through the journal it left.
    WriteBytes(year / "KEIRI13.JNL", std::string(reinterpret_cast<const char*>(journal.data()), journal.size()));
    WriteBytes(year / "KEIRI13.DAT", changed);
    fs::remove_all(stick);
    fs::create_directories(stick);
    swapped = false;
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "KEIRI13.DAT"), changed);
    EXPECT_EQ(ReadBytes(year / "KEIRI13.DAT"), changed);
    EXPECT_FALSE(fs::exists(year / "KEIRI13.JNL"));
}

// The histories of changes travel with the year byte for byte: onto the backup disk,
// into the automatic copies, onto the next year's disk (with one carried from an
// earlier year), and back with a restore, which keeps the ones it replaces.
TEST_F(DataDisk, TheHistoriesTravelByteForByteWithEveryCopyAndComeBackWithARestore) {
    // The mark, then bytes a text-mode copy or a trimming writer would change.
    const std::string h13 = FromHex("52524b31 30000000 01000000 0d0a 1a 00 20 ff 0a 0d 00000000");
    const std::string h12 = FromHex("52524b31 2c000000 01000000 00 1a 20 20 0d");
    WriteBytes(year / "RIREKI13.DAT", h13);
    WriteBytes(year / "RIREKI12.DAT", h12);
    before = Snapshot(year);

    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "RIREKI13.DAT"), h13);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "RIREKI12.DAT"), h12);

    using namespace std::chrono;
    const auto now = sys_days{year_month_day{std::chrono::year{2026}, month{6}, day{1}}} + hours{3};
    ASSERT_TRUE(AutoBackup(home.path(), year, now).ok());
    const std::vector<fs::path> copies = FinishedCopies(home.path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadBytes(copies[0] / "RIREKI13.DAT"), h13);
    EXPECT_EQ(ReadBytes(copies[0] / "RIREKI12.DAT"), h12);

    fs::remove_all(stick);
    fs::create_directories(stick);
    swapped = false;  // the data disk is back in the drive
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done) << prompt.LastText();
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "RIREKI13.DAT"), h13);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "RIREKI12.DAT"), h12);
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "RIREKI14.DAT"));  // begins with its first change
    ExpectThisYearUntouched();

    // After the copy the year grew: one more change in its history and a slip book. A
    // restore of the copy brings back the history and the books as they were then,
    // and the replaced files are kept whole in a copy of their own.
    const std::string grown = h13 + FromHex("2c000000 02000000");
    WriteBytes(year / "RIREKI13.DAT", grown);
    const std::string slips = FromHex("46524b31 0000 00000000");
    WriteBytes(year / "FURIKAE13.DAT", slips);
    auto restored = RestoreCopy(copies[0], year, home.path() / "backup", "20260601-050000");
    ASSERT_TRUE(restored.ok()) << restored.error().detail;
    EXPECT_EQ(ReadBytes(year / "RIREKI13.DAT"), h13);
    EXPECT_EQ(ReadBytes(year / "RIREKI12.DAT"), h12);
    EXPECT_FALSE(fs::exists(year / "FURIKAE13.DAT"));
    EXPECT_EQ(restored->removed, std::vector<std::string>{"FURIKAE13.DAT"});
    EXPECT_EQ(ReadBytes(restored->keptAs / "RIREKI13.DAT"), grown);
    EXPECT_EQ(ReadBytes(restored->keptAs / "FURIKAE13.DAT"), slips);
    EXPECT_EQ(Snapshot(year), before);
}

TEST(DataFileNames, TheBooksAndTheHistoriesAreDataFilesACopyCarries) {
    for (const char* name : {"DATE.DAT", "MASTER.DAT", "SHINKOKU.DAT", "KAMOKU.DAT", "KEIRI13.DAT",
                             "KEIRI13.DA2", "YOKIN07.DAT", "FURIKAE13.DAT", "SEIZO13.DAT", "RIREKI13.DAT"})
        EXPECT_TRUE(IsDataFileName(name)) << name;
    for (const char* name : {"KEIRI13.JNL", "RIREKI1.DAT", "RIREKI131.DAT", "RIREKIab.DAT", "rireki13.dat",
                             "FURIKAE13.DA2", ".RIREKI13.DAT", "KEIRI13.DAT.tmp", "出納簿.csv"})
        EXPECT_FALSE(IsDataFileName(name)) << name;
    EXPECT_TRUE(IsHistoryFileName("RIREKI00.DAT"));
    EXPECT_FALSE(IsHistoryFileName("FURIKAE13.DAT"));
}

TEST_F(DataDisk, ANextYearDiskOverAYearAsksNamingItAndKeepsItBeside) {
    WriteBytes(stick / "KEIRIDATA" / "DATE.DAT", kDate14);
    WriteBytes(stick / "KEIRIDATA" / "KEIRI14.DAT", kLedger13);
    WriteBytes(stick / "KEIRIDATA" / "MASTER.DAT", master);
    const auto held = Snapshot(stick / "KEIRIDATA");

    // No: nothing is written.
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Cancelled);
    ASSERT_GE(prompt.shown.size(), 4u);
    const testing::ShownBox question = prompt.shown[2];
    EXPECT_EQ(question.title, "上書き確認");
    EXPECT_EQ(question.style, MsgStyle::YesNoWarning);
    EXPECT_NE(question.text.find("平成14年度のデータ（DATE.DAT、KEIRI14.DAT、MASTER.DAT）が有ります。"),
              std::string::npos)
        << question.text;
    EXPECT_NE(question.text.find("KEIRIDATA-"), std::string::npos) << question.text;
    EXPECT_EQ(prompt.LastText(), "作業を中止しました。");
    EXPECT_EQ(Snapshot(stick / "KEIRIDATA"), held);
    EXPECT_EQ(std::distance(fs::directory_iterator(stick), fs::directory_iterator()), 1);

    // Yes: the new year in KEIRIDATA, the old one whole beside it under the name given.
    prompt.Clear();
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "DATE.DAT"), kDate14);
    EXPECT_EQ(ReadBytes(stick / "KEIRIDATA" / "KEIRI14.DAT"), std::string(18, '\0'));
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(stick))
        if (e.path().filename() != "KEIRIDATA") kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(prompt.shown[2].text.find(kept[0].filename().string()), std::string::npos);
    EXPECT_EQ(Snapshot(kept[0]), held);
    ExpectThisYearUntouched();
}

TEST_F(DataDisk, ABackupOverAnotherYearKeepsThatYearBeside) {
    WriteBytes(stick / "KEIRIDATA" / "DATE.DAT", FromHex("3132 2c 22 95bd90ac 22 2c 30 0d0a"));
    WriteBytes(stick / "KEIRIDATA" / "KEIRI12.DAT", kLedger13);
    const auto held = Snapshot(stick / "KEIRIDATA");
    EXPECT_EQ(BackupDataDisk(s, prompt, io, false), DiskOutcome::Done);
    EXPECT_EQ(Snapshot(stick / "KEIRIDATA"), before);
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(stick))
        if (e.path().filename() != "KEIRIDATA") kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(Snapshot(kept[0]), held);
    EXPECT_NE(prompt.LastText().find(kept[0].filename().string()), std::string::npos)
        << prompt.LastText();
}

TEST_F(DataDisk, ANextEraYearOutsideTheEraIsRefused) {
    s.EraName = "令和";
    s.FiscalYear = 99;
    EXPECT_EQ(MakeNextYearDisk(s, prompt, io, false), DiskOutcome::Failed);
    EXPECT_NE(prompt.LastText().find("令和100年"), std::string::npos) << prompt.LastText();
    EXPECT_TRUE(Snapshot(stick).empty());
}

TEST(DisplayPathTest, FilesOnALetterDriveAreNamedInTheDrivesForm) {
    SharedState s;
    s.ProgramFolder = "/home/u/.local/share/tabulo";
    s.SetupLines[1] = "A";
    ASSERT_TRUE(BuildDataFolder(s).ok());
    EXPECT_EQ(DisplayPath(s, (s.DataFolder / "KEIRI07.DAT").string()),
              "A:\\KEIRIDATA\\KEIRI07.DAT");
    EXPECT_EQ(DisplayPath(s, s.DataFolder.string()), "A:\\KEIRIDATA");
    // Anything outside the data folder keeps its own path.
    EXPECT_EQ(DisplayPath(s, "/tmp/x/KEIRI07.DAT"), "/tmp/x/KEIRI07.DAT");
    EXPECT_EQ(DisplayPath(s, (s.ProgramFolder / "TAB_SET3.DAT").string()),
              (s.ProgramFolder / "TAB_SET3.DAT").string());

    // A directory drive shows its real path.
    s.SetupLines[1] = "/media/usb";
    ASSERT_TRUE(BuildDataFolder(s).ok());
    EXPECT_EQ(DisplayPath(s, "/media/usb/KEIRIDATA/MASTER.DAT"), "/media/usb/KEIRIDATA/MASTER.DAT");

    // The message box names the file that way.
    s.SetupLines[1] = "A";
    ASSERT_TRUE(BuildDataFolder(s).ok());
    FakePrompt prompt;
    FileError e = BadFormatError((s.DataFolder / "MASTER.DAT").string(), "3行目");
    ShowFileError(prompt, e, s);
    EXPECT_EQ(prompt.LastText(), "A:\\KEIRIDATA\\MASTER.DAT を読み込めません。\r\n3行目");
}

TEST_F(DataDisk, AutomaticCopiesSkipAnIdenticalYearAndKeepTwentyAndTheFirstOfEachMonth) {
    using namespace std::chrono;
    const fs::path root = home.path() / "backup";
    // Twenty-five older copies, five a month from January to May.
    for (int m = 1; m <= 5; ++m)
        for (int d = 1; d <= 5; ++d) {
            char name[32];
            std::snprintf(name, sizeof name, "2026%02d%02d-120000", m, d);
            WriteBytes(root / name / "DATE.DAT", "old");
        }
    const auto now = sys_days{year_month_day{std::chrono::year{2026}, month{6}, day{1}}} + hours{3};
    ASSERT_TRUE(AutoBackup(home.path(), year, now).ok());
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(root))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 22u);  // the newest 20 and the first of January and February
    EXPECT_EQ(names[0], "20260101-120000");
    EXPECT_EQ(names[1], "20260201-120000");
    EXPECT_EQ(names[2], "20260202-120000");
    EXPECT_EQ(Snapshot(root / names.back()), before);

    // The same year read again makes no copy; a changed file does.
    ASSERT_TRUE(AutoBackup(home.path(), year, now + minutes{5}).ok());
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 22);
    WriteBytes(year / "KEIRI13.DAT", kLedger13 + "x");
    ASSERT_TRUE(AutoBackup(home.path(), year, now + minutes{10}).ok());
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 22);
    names.clear();
    for (const auto& e : fs::directory_iterator(root))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(ReadBytes(root / names.back() / "KEIRI13.DAT"), kLedger13 + "x");
}

// A disk with no room left: writes fail until a copy is let go (renamed to go).
class FullDisk : public FileOps {
  public:
    bool staysFull = false;
    int letGo = 0;
    int Rename(const char* from, const char* to) override {
        const int r = FileOps::Rename(from, to);
        if (r == 0 && std::string(to).ends_with(".old")) ++letGo;
        return r;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (staysFull || letGo == 0) {
            errno = ENOSPC;
            return -1;
        }
        return FileOps::Write(fd, data, size);
    }
};

TEST_F(DataDisk, OnAFullDiskTheCopyThatGoesGoesFirstAndAFailedCopyNeverCounts) {
    using namespace std::chrono;
    const fs::path root = home.path() / "backup";
    auto put = [&] {
        fs::remove_all(root);
        for (int d = 1; d <= 22; ++d) {
            char name[32];
            std::snprintf(name, sizeof name, "202605%02d-120000", d);
            WriteBytes(root / name / "DATE.DAT", "old");
        }
    };
    put();
    auto names = [&] {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(root)) n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    };
    const auto now = sys_days{year_month_day{std::chrono::year{2026}, month{5}, day{30}}} + hours{3};

    // A disk that stays full: the copy fails and leaves nothing; the copies the
    // rotation keeps once a copy is made are there, whole.
    FullDisk full;
    full.staysFull = true;
    {
        ScopedFileOps use(full);
        Status st = AutoBackup(home.path(), year, now);
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.error().code, FileErrorCode::DiskFull);
    }
    auto left = names();
    EXPECT_EQ(left.size(), 20u);  // the first of May and the newest 19
    EXPECT_EQ(left.front(), "20260501-120000");
    for (const std::string& n : left) {
        EXPECT_EQ(Snapshot(root / n), (std::map<std::string, std::string>{{"DATE.DAT", "old"}})) << n;
    }

    // Room is made by letting go the copies that go once this one is made: the copy
    // is made, and the newest twenty and the first of the month are there.
    put();
    FullDisk room;
    {
        ScopedFileOps use(room);
        ASSERT_TRUE(AutoBackup(home.path(), year, now).ok());
    }
    EXPECT_EQ(room.letGo, 2);
    left = names();
    ASSERT_EQ(left.size(), 21u);
    EXPECT_EQ(left.front(), "20260501-120000");
    EXPECT_EQ(Snapshot(root / left.back()), before);
}

TEST_F(DataDisk, WhatACopyCutShortLeftGoesAtTheNextStart) {
    const fs::path root = home.path() / "backup";
    WriteBytes(root / "20260101-120000" / "DATE.DAT", "whole");
    WriteBytes(root / ".partial-20260102-120000" / "DATE.DAT", "half");
    WriteBytes(root / ".20260103-120000.new" / "DATE.DAT", "half");
    WriteBytes(root / ".20251201-120000.old" / "DATE.DAT", "going");
    WriteBytes(home.path() / ".KEIRIDATA3.new" / "DATE.DAT", "half");
    WriteBytes(home.path() / "KEIRIDATA3" / "DATE.DAT", "staged");
    SharedState again;
    again.ProgramFolder = home.path();
    ASSERT_EQ(CheckStartup(again, prompt, [](const std::string&) { return std::nullopt; }),
              StartupResult::Ready);
    std::vector<std::string> n;
    for (const auto& e : fs::directory_iterator(root)) n.push_back(e.path().filename().string());
    EXPECT_EQ(n, std::vector<std::string>{"20260101-120000"});
    EXPECT_FALSE(fs::exists(home.path() / ".KEIRIDATA3.new"));
    EXPECT_EQ(ReadBytes(home.path() / "KEIRIDATA3" / "DATE.DAT"), "staged");
}

}  // namespace
}  // namespace tabulo
