// The electronic-books setting: its records appended to the history safely, the
// setting and its start read back from the history alone, whether the mode was on for
// the whole year, and the special deduction that follows.

#include <gtest/gtest.h>

#include "ebooks/ElectronicBooks.h"
#include "platform/FileOps.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

using Op = HistoryOperation;

HistoryRecord Rec(Op op, const std::string& when, std::int32_t target = 0) {
    HistoryRecord r;
    r.When = when;
    r.Operation = op;
    r.Target = target;
    if (op != Op::ElectronicBooksOn && op != Op::ElectronicBooksOff) r.NewBytes.assign(4, std::byte{1});
    return r;
}

HistoryContents History(std::vector<HistoryRecord> records) {
    HistoryContents h;
    std::uint32_t n = 0;
    for (HistoryRecord& r : records) r.Sequence = ++n;
    h.Records = std::move(records);
    return h;
}

TEST(ElectronicBooksRule, OnFromTheStartOrCarriedOverIsTheWholeYear) {
    // Switched on before the first line was posted.
    auto s = StandingOfElectronicBooks(History({Rec(Op::ElectronicBooksOn, "20270105090000"),
                                                Rec(Op::CashBookPost, "20270105091000"),
                                                Rec(Op::SlipAdd, "20270301100000"),
                                                Rec(Op::CashBookChange, "20271220100000")}));
    EXPECT_TRUE(s.wholeYear);
    EXPECT_EQ(s.reason, "");
    EXPECT_TRUE(s.setting.on);
    EXPECT_EQ(s.setting.since, "20270105090000");
    EXPECT_FALSE(s.setting.carriedOver);

    // Carried over by the next-year disk: the new history's first record.
    s = StandingOfElectronicBooks(History({Rec(Op::ElectronicBooksOn, "20261228170000", kCarriedOverTarget),
                                           Rec(Op::OpeningChange, "20270110090000"),
                                           Rec(Op::CashBookPost, "20270110091000")}));
    EXPECT_TRUE(s.wholeYear);
    EXPECT_TRUE(s.setting.carriedOver);
    EXPECT_EQ(s.setting.since, "20261228170000");
}

TEST(ElectronicBooksRule, SwitchedOnLateOffOrOffAndOnAgainIsNotTheWholeYear) {
    // A line posted before the setting.
    auto s = StandingOfElectronicBooks(History({Rec(Op::CashBookPost, "20270105091000"),
                                                Rec(Op::ElectronicBooksOn, "20270201090000"),
                                                Rec(Op::CashBookPost, "20270202091000")}));
    EXPECT_FALSE(s.wholeYear);
    EXPECT_EQ(s.reason, kEbooksOnLate);
    EXPECT_TRUE(s.setting.on);
    EXPECT_EQ(s.setting.since, "20270201090000");

    // Switched off: the setting is off from then.
    s = StandingOfElectronicBooks(History({Rec(Op::ElectronicBooksOn, "20270101090000"),
                                           Rec(Op::CashBookPost, "20270105091000"),
                                           Rec(Op::ElectronicBooksOff, "20270601090000")}));
    EXPECT_FALSE(s.wholeYear);
    EXPECT_EQ(s.reason, kEbooksSwitchedOff);
    EXPECT_FALSE(s.setting.on);
    EXPECT_EQ(s.setting.since, "20270601090000");

    // Off and on again: on from the latest record, but not the whole year.
    s = StandingOfElectronicBooks(History({Rec(Op::ElectronicBooksOn, "20270101090000"),
                                           Rec(Op::ElectronicBooksOff, "20270601090000"),
                                           Rec(Op::CashBookDelete, "20270602090000"),
                                           Rec(Op::ElectronicBooksOn, "20270701090000")}));
    EXPECT_FALSE(s.wholeYear);
    EXPECT_EQ(s.reason, kEbooksSwitchedOff);
    EXPECT_TRUE(s.setting.on);
    EXPECT_EQ(s.setting.since, "20270701090000");
}

TEST(ElectronicBooksRule, NeverSetOrADamagedHistoryIsNotElectronicBooks) {
    auto s = StandingOfElectronicBooks(HistoryContents{});
    EXPECT_FALSE(s.wholeYear);
    EXPECT_FALSE(s.setting.on);
    EXPECT_EQ(s.setting.since, "");
    EXPECT_EQ(s.reason, kEbooksNeverOn);
    s = StandingOfElectronicBooks(History({Rec(Op::CashBookPost, "20270105091000")}));
    EXPECT_EQ(s.reason, kEbooksNeverOn);

    HistoryContents damaged = History({Rec(Op::ElectronicBooksOn, "20270101090000"),
                                       Rec(Op::CashBookPost, "20270105091000")});
    damaged.Damage.push_back({2, 48, "履歴の記録 2 の内容が書き換えられているか、壊れています。"});
    s = StandingOfElectronicBooks(damaged);
    EXPECT_FALSE(s.wholeYear);
    EXPECT_EQ(s.reason, kEbooksDamaged);
    EXPECT_TRUE(s.setting.on);
}

TEST(ElectronicBooksRule, SixtyFiveOnlyWhenTheBooksAllowFiftyFiveAndTheModeWasOnAllYear) {
    BooksStanding books;
    books.keepsBooks = books.hasOpenings = books.balances = true;
    ASSERT_TRUE(books.AllowsDoubleEntryDeduction());
    ElectronicBooksStanding allYear;
    allYear.wholeYear = true;
    allYear.setting.on = true;
    ElectronicBooksStanding late;
    late.reason = kEbooksOnLate;

    EXPECT_EQ(SpecialDeductionOf(books, allYear).limit, 650000);
    EXPECT_EQ(SpecialDeductionOf(books, late).limit, 550000);
    BooksStanding sidesDiffer = books;
    sidesDiffer.unassigned = 300;  // page 4's sides differ: not complete
    EXPECT_EQ(SpecialDeductionOf(sidesDiffer, allYear).limit, 100000);
    EXPECT_EQ(SpecialDeductionOf(BooksStanding{}, allYear).limit, 100000);
    EXPECT_TRUE(SpecialDeductionOf(books, late).DoubleEntry());
    EXPECT_FALSE(SpecialDeductionOf(BooksStanding{}, allYear).DoubleEntry());

    EXPECT_EQ(SpecialDeductionWords(SpecialDeductionOf(books, allYear)),
              "青色申告特別控除の限度額は 65万円 です（複式簿記の帳簿を、年の初めから優良な電子帳簿として"
              "記録しています）。");
    EXPECT_EQ(SpecialDeductionWords(SpecialDeductionOf(sidesDiffer, allYear)),
              "青色申告特別控除の限度額は 10万円 です（勘定科目のない項目の行があり、未設定科目に 300 円"
              "残っています）。");
    EXPECT_EQ(SpecialDeductionWords(SpecialDeductionOf(BooksStanding{}, allYear)),
              "青色申告特別控除の限度額は 10万円 です（複式簿記の帳簿（振替伝票のファイル）がありません）。");
    EXPECT_EQ(SpecialDeductionWords(SpecialDeductionOf(books, late)),
              "青色申告特別控除の限度額は 55万円 です（優良な電子帳簿の設定の前に、帳簿の変更が記録されて"
              "います）。");
}

// The history file: the setting's records appended, as its table lays them out.
class EbooksFile : public ::testing::Test {
  protected:
    void SetUp() override {
        s.DataFolder = dir.path();
        s.LedgerPath = dir / "KEIRI14.DAT";
        s.FiscalYear = 14;
        s.HistoryClock = [] { return std::string("20270610120000"); };
    }
    std::filesystem::path Path() const { return HistoryPath(s); }
    TempFolder dir;
    SharedState s;
};

// The next-year disk's On record, then the setting switched off, written by hand from
// the table (checks by zlib's CRC-32).
const std::string kOnCarried =
    "2c000000 01000000 3230323730313031303930303030"  // 44 bytes, 1, 20270101090000
    "0b00 01000000 00000000 0000 0000"                // On, carried over, no values
    "cf29ca5a 2c000000";
const std::string kOff =
    "2c000000 02000000 3230323730363130313230303030"  // 2, 20270610120000
    "0c00 00000000 00000000 0000 0000"                // Off
    "af888715 2c000000";

TEST_F(EbooksFile, SwitchingAppendsTheRecordsOfTheTableAndTheSettingIsReadBack) {
    ASSERT_TRUE(AppendHistoryRecord(s, ElectronicBooksRecord(true, "20270101090000", true)).ok());
    EXPECT_EQ(ReadBytes(Path()), FromHex("52524b31" + kOnCarried));
    auto standing = YearElectronicBooksStanding(s);
    ASSERT_TRUE(standing.ok());
    EXPECT_TRUE(standing->wholeYear);
    EXPECT_TRUE(standing->setting.carriedOver);

    ASSERT_TRUE(SwitchElectronicBooks(s, false).ok());
    EXPECT_EQ(ReadBytes(Path()), FromHex("52524b31" + kOnCarried + kOff));
    standing = YearElectronicBooksStanding(s);
    ASSERT_TRUE(standing.ok());
    EXPECT_FALSE(standing->setting.on);
    EXPECT_EQ(standing->setting.since, "20270610120000");
    EXPECT_EQ(standing->reason, kEbooksSwitchedOff);
    // A year without a history: never set.
    std::filesystem::remove(Path());
    standing = YearElectronicBooksStanding(s);
    ASSERT_TRUE(standing.ok());
    EXPECT_EQ(standing->reason, kEbooksNeverOn);
}

TEST_F(EbooksFile, ADamagedEndOrABadRecordIsRefusedAndTheFileLeftAsItWas) {
    WriteBytes(Path(), FromHex("52524b31" + kOnCarried + "2c0000"));  // a record cut short
    const std::string before = ReadBytes(Path());
    EXPECT_FALSE(SwitchElectronicBooks(s, false).ok());
    EXPECT_EQ(ReadBytes(Path()), before);

    WriteBytes(Path(), FromHex("52524b31" + kOnCarried));
    const std::string whole = ReadBytes(Path());
    EXPECT_FALSE(AppendHistoryRecord(s, ElectronicBooksRecord(false, "2027-06-10")).ok());  // not 14 digits
    EXPECT_EQ(ReadBytes(Path()), whole);
}

// The first record's size broken, the file's end whole: switching the setting would
// append a record no reader finds. It is refused with the readers' reason.
TEST_F(EbooksFile, AHistoryDamagedInTheMiddleTakesNoSetting) {
    std::string onOff = FromHex("52524b31" + kOnCarried + kOff);
    onOff[4] = '\x2d';  // record 1 says 45 bytes
    WriteBytes(Path(), onOff);
    Status st = SwitchElectronicBooks(s, true);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().detail, "履歴の記録 1 の大きさが壊れています。記録 1 から先は読めません。");
    EXPECT_EQ(ReadBytes(Path()), onOff);
}

TEST_F(EbooksFile, AFailureAtAnyWriteOrFlushLeavesTheHistoryAsItWas) {
    for (bool existing : {false, true}) {
        const auto reset = [&] {
            std::filesystem::remove(Path());
            std::filesystem::remove(JournalPathFor(s.LedgerPath));
            if (existing) WriteBytes(Path(), FromHex("52524b31" + kOnCarried));
        };
        // Count the calls of a whole switch.
        reset();
        int calls = 0;
        {
            testing::FaultyFiles count;
            ScopedFileOps scope(count);
            ASSERT_TRUE(SwitchElectronicBooks(s, false).ok());
            calls = count.calls;
        }
        ASSERT_GE(calls, 2);  // the write and the flush at least
        for (int at = 1; at <= calls; ++at) {
            reset();
            bool done = false;
            {
                testing::FaultyFiles files(at, testing::Fault::Fail);
                ScopedFileOps scope(files);
                done = SwitchElectronicBooks(s, false).ok();
                ASSERT_TRUE(files.reached) << at;
            }
            // After what the next write or read settles: the switch whole when it was
            // reported done, else the history as it was.
            ASSERT_TRUE(SettleBeforeWrite(s).ok()) << at;
            auto h = LoadHistory(Path());
            ASSERT_TRUE(h.ok()) << at;
            EXPECT_TRUE(h->Damage.empty()) << at;
            EXPECT_EQ(h->Records.size(), (existing ? 1u : 0u) + (done ? 1u : 0u)) << at;
            if (!done && existing) {
                EXPECT_EQ(ReadBytes(Path()), FromHex("52524b31" + kOnCarried)) << at;
            }
            if (!done && !existing) {
                EXPECT_FALSE(std::filesystem::exists(Path())) << at;
            }
        }
    }
}

}  // namespace
}  // namespace tabulo
