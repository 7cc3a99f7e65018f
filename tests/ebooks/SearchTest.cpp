// Search of a hand-made year: each condition alone and together selects exactly the
// lines and slips written down beside it.

#include <gtest/gtest.h>

#include "books/Entries.h"
#include "ebooks/Search.h"
#include "tests/books/BooksYear.h"

namespace tabulo {
namespace {

using namespace testing::BookItem;
using Sources = std::vector<std::string>;

// The year (平成13 = 2001): cash-book lines 1..11 and slips 1..3.
class SearchYearTest : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        Line("130101", CarryOver, 5000, "前年より");             // 1: no transaction
        Line("130105", Sales, 10000, "ｶﾌﾞｼｷｶﾞｲｼｬ山田");       // 2: 現金 / 売上
        Line("130110", Purchases, 3000, "ＡＢＣ商事");           // 3: 仕入 / 現金
        Line("130131", Phone, 4500, "NTT 1月分");                // 4: 通信費 / 預金
        Line("130201", CarryOver, 8000);                         // 5: no transaction
        Line("130201", Sales, 10000, "株式会社ヤマダ");          // 6: 現金 / 売上
        Line("130215", Supplies, 9999, "abc文具");               // 7: 消耗品費 / 現金
        Line("130228", Drawings, 10001);                         // 8: 事業主貸 / 現金
        Line("130301", NoAccount, 700, "雑");                    // 9: 未設定科目 / 現金
        Line("", Sales, 200, "日付なし");                        // 10: the date of line 9
        Line("130331", Collection, 20000, "ｱｲｳ");                // 11: 現金 / 売掛金
        Line("130331", Sales, 0, "金額なし");                    // 12: no amount, no entry
        Slip("130110", AccountCode::Purchases, AccountCode::Payables, 3000, "ABC商事 掛仕入");
        Slip("130228", AccountCode::Payables, AccountCode::Deposits, 3000, "ａｂｃ商事 支払");
        Slip("130331", AccountCode::Depreciation, 115, 10000, "パソコン償却");
        WriteLedger();
    }

    // The sources found with `input`, in the order the search gives them.
    Sources Find(const SearchInput& input) {
        const ReadConditions read = ReadSearchConditions(input, s.EraName, s.ItemTable);
        EXPECT_TRUE(read.conditions.has_value()) << read.refusal.ja;
        if (!read.conditions) return {"refused"};
        auto journal = BuildJournal(s, book, accounts);
        EXPECT_TRUE(journal.ok());
        if (!journal) return {"unread"};
        Sources found;
        for (const SearchRow& row : FilterEntries(*journal, *read.conditions, s.EraName))
            found.push_back(SourceLabel(row.entry));
        return found;
    }
    SearchRefusal Refusal(const SearchInput& input) {
        const ReadConditions read = ReadSearchConditions(input, s.EraName, s.ItemTable);
        EXPECT_FALSE(read.conditions.has_value());
        EXPECT_FALSE(read.refusal.ja.empty());
        EXPECT_FALSE(read.refusal.en.empty());
        return read.refusal;
    }
};

TEST_F(SearchYearTest, NoConditionListsEveryTransactionInJournalOrder) {
    // Carry-over lines and a line without an amount are no transaction; a slip follows
    // the cash-book lines of its day.
    EXPECT_EQ(Find({}), (Sources{"出納簿:2", "出納簿:3", "振替:1", "出納簿:4", "出納簿:6",
                                 "出納簿:7", "出納簿:8", "振替:2", "出納簿:9", "出納簿:10",
                                 "出納簿:11", "振替:3"}));
}

TEST_F(SearchYearTest, DateRangeIncludesBothEnds) {
    SearchInput in;
    in.from = "2001-01-10";
    in.to = "2001-02-28";
    EXPECT_EQ(Find(in), (Sources{"出納簿:3", "振替:1", "出納簿:4", "出納簿:6", "出納簿:7",
                                 "出納簿:8", "振替:2"}));
    // The day after the start and the day before the end leave the end days out.
    in.from = "2001-01-11";
    in.to = "2001-02-27";
    EXPECT_EQ(Find(in), (Sources{"出納簿:4", "出納簿:6", "出納簿:7"}));
}

TEST_F(SearchYearTest, OneEndedDateRanges) {
    SearchInput from;
    from.from = "2001-03-01";
    // Line 10 has no date of its own and is dated by the line before it.
    EXPECT_EQ(Find(from), (Sources{"出納簿:9", "出納簿:10", "出納簿:11", "振替:3"}));
    SearchInput to;
    to.to = "2001-01-10";
    EXPECT_EQ(Find(to), (Sources{"出納簿:2", "出納簿:3", "振替:1"}));
}

TEST_F(SearchYearTest, DatesInEveryFormTheProgramWrites) {
    SearchInput western;
    western.from = "2001-01-10";
    western.to = "2001-01-31";
    const Sources expected{"出納簿:3", "振替:1", "出納簿:4"};
    EXPECT_EQ(Find(western), expected);
    for (auto [from, to] : {std::pair{"130110", "130131"}, {"20010110", "20010131"},
                            {"2001/1/10", "2001/1/31"}, {"２００１－０１－１０", "２００１－０１－３１"},
                            {" 2001.01.10 ", "2001.01.31"}}) {
        SearchInput in;
        in.from = from;
        in.to = to;
        EXPECT_EQ(Find(in), expected) << from << " " << to;
    }
    // A month alone: from its first day, to its last.
    SearchInput month;
    month.from = "2001-02";
    month.to = "2001-02";
    EXPECT_EQ(Find(month), (Sources{"出納簿:6", "出納簿:7", "出納簿:8", "振替:2"}));
}

TEST_F(SearchYearTest, AmountRangeIncludesBothEnds) {
    SearchInput in;
    in.min = "3000";
    in.max = "10000";
    EXPECT_EQ(Find(in), (Sources{"出納簿:2", "出納簿:3", "振替:1", "出納簿:4", "出納簿:6",
                                 "出納簿:7", "振替:2", "振替:3"}));
    in.min = "3001";
    in.max = "9999";
    EXPECT_EQ(Find(in), (Sources{"出納簿:4", "出納簿:7"}));
    SearchInput above;
    above.min = "10,001";
    EXPECT_EQ(Find(above), (Sources{"出納簿:8", "出納簿:11"}));
    SearchInput below;
    below.max = "７００円";
    EXPECT_EQ(Find(below), (Sources{"出納簿:9", "出納簿:10"}));
}

TEST_F(SearchYearTest, TheSameAmountInBothLimitsFindsThatAmountAlone) {
    SearchInput in;
    in.min = "3,000";
    in.max = "3000";
    EXPECT_EQ(Find(in), (Sources{"出納簿:3", "振替:1", "振替:2"}));
}

TEST_F(SearchYearTest, TextFindsFullWidthHalfWidthAndCaseAlike) {
    const Sources abc{"出納簿:3", "振替:1", "出納簿:7", "振替:2"};
    for (const char* typed : {"abc", "ABC", "ａｂｃ", "ＡＢＣ", "Abc"}) {
        SearchInput in;
        in.text = typed;
        EXPECT_EQ(Find(in), abc) << typed;
    }
    for (const char* typed : {"カブシキガイシャ", "ｶﾌﾞｼｷ", "ガイシャ山田"}) {
        SearchInput in;
        in.text = typed;
        EXPECT_EQ(Find(in), (Sources{"出納簿:2"})) << typed;
    }
    for (const char* typed : {"ヤマダ", "ﾔﾏﾀﾞ"}) {
        SearchInput in;
        in.text = typed;
        EXPECT_EQ(Find(in), (Sources{"出納簿:6"})) << typed;
    }
    for (const char* typed : {"アイウ", "ｱｲｳ"}) {
        SearchInput in;
        in.text = typed;
        EXPECT_EQ(Find(in), (Sources{"出納簿:11"})) << typed;
    }
    SearchInput ntt;
    ntt.text = "ｎｔｔ　１月";
    EXPECT_EQ(Find(ntt), (Sources{"出納簿:4"}));
    SearchInput none;
    none.text = "ヤマタ";
    EXPECT_EQ(Find(none), Sources{});
    // A carry-over line's remarks are no transaction's.
    SearchInput carried;
    carried.text = "前年";
    EXPECT_EQ(Find(carried), Sources{});
}

TEST_F(SearchYearTest, AccountMatchesEitherSideByCodeOrName) {
    const Sources cash{"出納簿:2", "出納簿:3", "出納簿:6", "出納簿:7", "出納簿:8",
                       "出納簿:9", "出納簿:10", "出納簿:11"};
    for (const char* typed : {"現金", "101", "１０１"}) {
        SearchInput in;
        in.account = typed;
        EXPECT_EQ(Find(in), cash) << typed;
    }
    for (const char* typed : {"202", "買掛金", "買掛"}) {
        SearchInput in;
        in.account = typed;
        EXPECT_EQ(Find(in), (Sources{"振替:1", "振替:2"})) << typed;
    }
    SearchInput deposits;
    deposits.account = "その他の預金";
    EXPECT_EQ(Find(deposits), (Sources{"出納簿:4", "振替:2"}));
    SearchInput sales;
    sales.account = "売上";
    EXPECT_EQ(Find(sales), (Sources{"出納簿:2", "出納簿:6", "出納簿:10"}));
    SearchInput unassigned;
    unassigned.account = "未設定科目";
    EXPECT_EQ(Find(unassigned), (Sources{"出納簿:9"}));
    SearchInput phone;
    phone.account = "12";
    EXPECT_EQ(Find(phone), (Sources{"出納簿:4"}));
}

TEST_F(SearchYearTest, ItemSelectsItsCashBookLinesOnly) {
    for (const char* typed : {"1", "売上", "０１"}) {
        SearchInput in;
        in.item = typed;
        EXPECT_EQ(Find(in), (Sources{"出納簿:2", "出納簿:6", "出納簿:10"})) << typed;
    }
    SearchInput collection;
    collection.item = "回収";
    EXPECT_EQ(Find(collection), (Sources{"出納簿:11"}));
    // The carry-over item has lines, but none is a transaction.
    SearchInput carry;
    carry.item = "前月繰越";
    EXPECT_EQ(Find(carry), Sources{});
}

TEST_F(SearchYearTest, ConditionsTogetherMustAllHold) {
    SearchInput in;
    in.account = "現金";
    in.min = "5000";
    in.from = "2001-02-01";
    EXPECT_EQ(Find(in), (Sources{"出納簿:6", "出納簿:7", "出納簿:8", "出納簿:11"}));
    in.text = "ﾔﾏﾀﾞ";
    EXPECT_EQ(Find(in), (Sources{"出納簿:6"}));
    in.max = "9999";
    EXPECT_EQ(Find(in), Sources{});

    SearchInput slips;
    slips.text = "abc";
    slips.account = "202";
    EXPECT_EQ(Find(slips), (Sources{"振替:1", "振替:2"}));
    slips.to = "2001-01-31";
    EXPECT_EQ(Find(slips), (Sources{"振替:1"}));
    slips.min = slips.max = "3000";
    EXPECT_EQ(Find(slips), (Sources{"振替:1"}));

    SearchInput item;
    item.item = "売上";
    item.from = "130301";
    EXPECT_EQ(Find(item), (Sources{"出納簿:10"}));
    item.text = "日付";
    item.account = "現金";
    item.min = item.max = "200";
    item.to = "2001-03-01";
    EXPECT_EQ(Find(item), (Sources{"出納簿:10"}));
    item.account = "売掛金";  // line 11's, not line 10's
    EXPECT_EQ(Find(item), Sources{});
}

TEST_F(SearchYearTest, ACorrectionTypedWithAMinusIsFoundByItsSignedAmount) {
    Line("130331", Sales, -500, "返品");  // line 13
    WriteLedger();
    SearchInput in;
    in.min = "-1000";
    in.max = "-1";
    EXPECT_EQ(Find(in), (Sources{"出納簿:13"}));
    SearchInput positive;
    positive.min = positive.max = "500";
    EXPECT_EQ(Find(positive), Sources{});
}

TEST_F(SearchYearTest, BadConditionsAreRefusedNamingTheField) {
    auto field = [&](SearchInput in) { return Refusal(in).field; };
    SearchInput in;
    in.from = "2001-02-30";
    EXPECT_EQ(field(in), SearchRefusal::From);
    in.from = "13023";
    EXPECT_EQ(field(in), SearchRefusal::From);
    in.from = "yesterday";
    EXPECT_EQ(field(in), SearchRefusal::From);
    in = {};
    in.to = "2001-13";
    EXPECT_EQ(field(in), SearchRefusal::To);
    in = {};
    in.from = "2001-03-01";
    in.to = "2001-02-28";
    EXPECT_EQ(field(in), SearchRefusal::To);
    EXPECT_NE(Refusal(in).ja.find("期間"), std::string::npos);

    in = {};
    in.min = "1.5";
    EXPECT_EQ(field(in), SearchRefusal::Min);
    in.min = "3000000000";  // beyond 32 bits
    EXPECT_EQ(field(in), SearchRefusal::Min);
    in.min = "-";
    EXPECT_EQ(field(in), SearchRefusal::Min);
    in = {};
    in.max = "abc";
    EXPECT_EQ(field(in), SearchRefusal::Max);
    in = {};
    in.min = "5001";
    in.max = "5000";
    EXPECT_EQ(field(in), SearchRefusal::Max);

    in = {};
    in.account = "9998";
    EXPECT_EQ(field(in), SearchRefusal::Account);
    in.account = "存在しない科目";
    EXPECT_EQ(field(in), SearchRefusal::Account);
    EXPECT_EQ(Refusal(in).en, "no such account: 存在しない科目");
    in.account = "預金";  // 当座預金, 定期預金, その他の預金
    EXPECT_EQ(field(in), SearchRefusal::Account);
    EXPECT_NE(Refusal(in).ja.find("当座預金、定期預金、その他の預金"), std::string::npos);

    in = {};
    in.item = "51";
    EXPECT_EQ(field(in), SearchRefusal::Item);
    in.item = "20";  // no such item in this year
    EXPECT_EQ(field(in), SearchRefusal::Item);
    in.item = "0";
    EXPECT_EQ(field(in), SearchRefusal::Item);
    in.item = "入";  // 振込入金, 借入
    EXPECT_EQ(field(in), SearchRefusal::Item);
}

TEST_F(SearchYearTest, LimitsOfThirtyTwoBitsAreAccepted) {
    SearchInput in;
    in.min = "-2147483648";
    in.max = "2147483647";
    EXPECT_EQ(Find(in).size(), 12u);
}

TEST_F(SearchYearTest, TheRowsShowSourceDateAccountsAmountAndText) {
    SearchInput in;
    in.text = "ABC";
    const ReadConditions read = ReadSearchConditions(in, s.EraName, s.ItemTable);
    ASSERT_TRUE(read.conditions);
    auto journal = BuildJournal(s, book, accounts);
    ASSERT_TRUE(journal.ok());
    const std::vector<SearchRow> rows = FilterEntries(*journal, *read.conditions, s.EraName);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(SearchRowTexts(rows[0], s.ItemTable),
              (std::vector<std::string>{"出納簿:3", "2001-01-10", "仕入金額", "現金", "3,000",
                                        "ＡＢＣ商事"}));
    EXPECT_EQ(SearchRowTexts(rows[1], s.ItemTable),
              (std::vector<std::string>{"振替:1", "2001-01-10", "仕入金額", "買掛金", "3,000",
                                        "ABC商事 掛仕入"}));
    EXPECT_EQ(SearchHeaders(), (std::vector<std::string>{"出所", "日付", "借方", "貸方", "金額", "摘要"}));
}

TEST_F(SearchYearTest, SearchYearReadsTheSlipAndAccountFilesAsTheyAre) {
    s.DataFolder = dir.path();
    ASSERT_TRUE(SaveSlipBook(SlipBookPath(s), book).ok());
    ASSERT_TRUE(SaveItemAccounts(ItemAccountsPath(s), accounts).ok());
    SearchInput in;
    in.account = "借入金";  // no line uses it
    in.text = "";
    const ReadConditions read = ReadSearchConditions(in, s.EraName, s.ItemTable);
    ASSERT_TRUE(read.conditions);
    auto found = SearchYear(s, *read.conditions);
    ASSERT_TRUE(found.ok());
    EXPECT_TRUE(found->empty());

    SearchInput drawings;
    drawings.account = "事業主貸";  // the account chosen for item 9 in KAMOKU.DAT
    auto d = SearchYear(s, *ReadSearchConditions(drawings, s.EraName, s.ItemTable).conditions);
    ASSERT_TRUE(d.ok());
    ASSERT_EQ(d->size(), 1u);
    EXPECT_EQ(SourceLabel((*d)[0].entry), "出納簿:8");
    EXPECT_EQ((*d)[0].western, 20010228);
}

TEST_F(SearchYearTest, ADamagedSlipFileIsAnErrorNotAnEmptyResult) {
    s.DataFolder = dir.path();
    // The header says one slip, and the file ends inside it.
    testing::WriteBytes(SlipBookPath(s), std::string("FRK1\0\0\1\0\0\0" "130101", 16));
    auto found = SearchYear(s, SearchConditions{});
    ASSERT_FALSE(found.ok());
    EXPECT_NE(found.error().path.find("FURIKAE13.DAT"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
