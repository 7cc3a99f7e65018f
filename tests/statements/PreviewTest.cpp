// The preview's states: rows imported before are found by their fingerprint and
// occurrence, never by a date watermark; a line typed by hand makes a row unsure;
// rows of another year are set apart. Rules and the last choice give the item.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "statements/Preview.h"
#include "statements/Profile.h"
#include "statements/StatementReader.h"

using namespace tabulo;
using namespace tabulo::statements;

namespace {

Profile Bank() {
    Profile p;
    p.name = "テスト銀行";
    p.kind = StatementKind::Bank;
    p.header = {"日付", "摘要", "出金", "入金", "残高"};
    p.dateColumn = 1;
    p.descriptionColumns = {2};
    p.outColumn = 3;
    p.inColumn = 4;
    p.balanceColumn = 5;
    return p;
}

std::vector<StatementRow> Rows(const std::string& body) {
    auto read = ReadStatement(Bank(), "日付,摘要,出金,入金,残高\n" + body, "s.csv");
    EXPECT_TRUE(read) << (read ? "" : read.error().detail);
    return read ? read->rows : std::vector<StatementRow>{};
}

// What the books remember after importing the rows taken.
struct Books {
    std::set<RowKey> imported;
    std::vector<BookEntry> entries;   // every line of the books
    std::vector<BookEntry> importedEntries;
    void Take(const std::vector<StatementRow>& rows, const std::vector<RowKey>& keys,
              const std::vector<RowState>& states) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (states[i] != RowState::New) continue;
            imported.insert(keys[i]);
            entries.push_back({rows[i].date, rows[i].in, rows[i].out});
            importedEntries.push_back({rows[i].date, rows[i].in, rows[i].out});
        }
    }
    std::vector<RowState> Classify(const std::vector<StatementRow>& rows,
                                   const std::vector<RowKey>& keys) const {
        return ClassifyRows(rows, keys, imported, entries, importedEntries, 2026);
    }
};

long Count(const std::vector<RowState>& s, RowState which) {
    return std::count(s.begin(), s.end(), which);
}

}  // namespace

TEST(StatementPreview, ImportingTheSameFileTwiceAddsNothingAndTwoEqualCoffeesAreTwo) {
    const auto rows = Rows("2026/04/03,コーヒー,450,,1000\n2026/04/03,コーヒー,450,,1000\n"
                           "2026/04/04,ﾃﾞﾝｷ,3000,,0\n");
    const auto keys = KeyRows("1", rows);
    // The two identical rows share a fingerprint and differ in their occurrence.
    EXPECT_EQ(keys[0].fingerprint, keys[1].fingerprint);
    EXPECT_EQ(keys[0].occurrence, 1u);
    EXPECT_EQ(keys[1].occurrence, 2u);
    Books books;
    auto first = books.Classify(rows, keys);
    EXPECT_EQ(Count(first, RowState::New), 3);
    books.Take(rows, keys, first);
    auto again = books.Classify(rows, keys);
    EXPECT_EQ(Count(again, RowState::InBooks), 3);
    EXPECT_EQ(Count(again, RowState::New), 0);
}

TEST(StatementPreview, AnOverlappingDownloadAddsOnlyItsNewRows) {
    const auto april = Rows("2026/04/01,振込 ｻﾄｳ,,5000,5000\n2026/04/03,コーヒー,450,,4550\n");
    Books books;
    const auto aprilKeys = KeyRows("1", april);
    books.Take(april, aprilKeys, books.Classify(april, aprilKeys));
    // The later download repeats April 3rd, in full-width letters this time, and adds
    // a second coffee on that day and a row of May.
    const auto later = Rows("2026/04/03,コーヒー,450,,4550\n2026/04/03,コーヒー,450,,4100\n"
                            "2026/05/01,ＡＢＣ,,100,4200\n");
    const auto keys = KeyRows("1", later);
    const auto states = books.Classify(later, keys);
    EXPECT_EQ(states, (std::vector<RowState>{RowState::InBooks, RowState::New, RowState::New}));
    // The same rows for another account are new there.
    const auto other = books.Classify(later, KeyRows("2", later));
    EXPECT_EQ(Count(other, RowState::InBooks), 0);
}

TEST(StatementPreview, AnEarlierRowMissingFromTheFirstDownloadIsStillNew) {
    // No watermark: a row dated before the last imported one is new when it was not
    // imported.
    Books books;
    const auto may = Rows("2026/05/10,家賃,80000,,100000\n");
    const auto mayKeys = KeyRows("1", may);
    books.Take(may, mayKeys, books.Classify(may, mayKeys));
    const auto april = Rows("2026/04/30,電話,5000,,180000\n2026/05/10,家賃,80000,,100000\n");
    EXPECT_EQ(books.Classify(april, KeyRows("1", april)),
              (std::vector<RowState>{RowState::New, RowState::InBooks}));
}

TEST(StatementPreview, AHandTypedLineMakesTheRowUnsureNotDropped) {
    Books books;
    books.entries.push_back({{2026, 4, 3}, 0, 450});  // typed by hand, not imported
    const auto rows = Rows("2026/04/03,コーヒー,450,,1000\n2026/04/03,コーヒー,450,,550\n"
                           "2026/04/03,紅茶,500,,50\n");
    const auto states = books.Classify(rows, KeyRows("1", rows));
    // One typed line accounts for one row only.
    EXPECT_EQ(states, (std::vector<RowState>{RowState::Unsure, RowState::New, RowState::New}));
    EXPECT_STREQ(RowStateName(states[0]), "要確認");
}

TEST(StatementPreview, RowsOfAnotherYearAreSetApart) {
    const auto rows = Rows("2025/12/31,年末,100,,900\n2026/01/01,年始,100,,800\n");
    Books books;
    const auto states = books.Classify(rows, KeyRows("1", rows));
    EXPECT_EQ(states, (std::vector<RowState>{RowState::OutsideYear, RowState::New}));
}

TEST(StatementRules, ARuleMatchesFullAndHalfWidthAlikeAndTheLastChoiceFollows) {
    const std::vector<ImportRule> rules = {{"ﾃﾞﾝﾜ", 12, "電話代"}, {"abc", 7, ""}};
    std::map<std::string, int> last = {{"ヤマダ ショウテン", 3}};
    auto phone = AssignRow(rules, last, "口座振替 デンワリョウキン");
    EXPECT_EQ(phone.target, 12);
    EXPECT_EQ(phone.remarks, "電話代");
    EXPECT_TRUE(phone.fromRule);
    EXPECT_EQ(AssignRow(rules, last, "振込 ＡＢＣ商事").target, 7);
    auto chosen = AssignRow(rules, last, "ﾔﾏﾀﾞ ｼｮｳﾃﾝ");
    EXPECT_EQ(chosen.target, 3);
    EXPECT_TRUE(chosen.fromLastChoice);
    EXPECT_EQ(AssignRow(rules, last, "知らない店").target, 0);
}
