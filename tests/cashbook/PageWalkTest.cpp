// The walk of a page change over a year whose balances the program already knows:
// whatever the operations before it and whatever happened to the file behind the
// program's back, the walk leaves exactly the balances the rule gives, worked out
// here line by line on the decoded file.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cashbook/Ledger.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Text.h"
#include "tests/cashbook/LedgerFixture.h"

namespace tabulo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// Lines 1..LineCount of the year, decoded (entry 0 unused).
std::vector<LedgerLine> Lines(const SharedState& s) {
    std::vector<LedgerLine> out(1);
    for (int n = 1; n <= s.LedgerHeader.LineCount; ++n) {
        auto line = ReadLedgerLineAt(s, n);
        EXPECT_TRUE(line.ok()) << "line " << n;
        out.push_back(line.ok() ? *line : LedgerLine{});
    }
    return out;
}

// The walk of a page change, line by line: from the nearest dated line before the
// line before the page (its month and its balance), then the full recalculation's
// rule from that line on.
std::vector<LedgerLine> AfterPageWalk(const SharedState& s, int page, std::vector<LedgerLine> lines) {
    const int count = s.LedgerHeader.LineCount;
    const int start = std::max((page - 1) * kRowsPerPage, 1);
    ReferenceBalance rule(s.LedgerHeader, s.ItemTable);
    if (start >= 2) {
        int dated = 0;
        for (int n = std::min(start - 1, count); n >= 1 && dated == 0; --n)
            if (!IsBlank(lines[static_cast<std::size_t>(n)].NenGetsuBi)) dated = n;
        if (dated > 0) {
            const LedgerLine& d = lines[static_cast<std::size_t>(dated)];
            EXPECT_TRUE(rule.Next(dated, d).ok());  // takes the line's month
            rule.ContinueFrom(d.Zandaka);
        } else {
            rule.ContinueFrom(0);
        }
    }
    for (int n = start; n <= count; ++n) {
        LedgerLine& line = lines[static_cast<std::size_t>(n)];
        auto z = rule.Next(n, line);
        EXPECT_TRUE(z.ok());
        if (z.ok()) line.Zandaka = *z;
    }
    return lines;
}

class PageWalk : public testing::LedgerFixture {
protected:
    // Raw output of the generator, so that the cases are the same with every library.
    int Pick(int n) { return static_cast<int>(gen_() % static_cast<std::uint32_t>(n)); }

    // Three months, a blank date, and dates that are not blank but have no month;
    // `dated`: one of the months.
    std::string Date(bool dated = false) {
        static const char* dates[] = {"130401", "130415", "130501", "130502", "130601",
                                      "      ", "      ", "1", "13"};
        return dates[Pick(dated ? 5 : 9)];
    }

    // A year of `count` lines with balances that may or may not hold; with
    // `blankPercent` -1 every line has a date of one of the months.
    void Year(int count, int blankPercent) {
        LedgerHeaderRecord h;
        h.LineCount = static_cast<std::int16_t>(count);
        h.OpeningBalance = Pick(3) == 0 ? 300 : 0;
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        for (int n = 1; n <= count; ++n) {
            LedgerLine line = BlankLedgerLine(0);
            line.NenGetsuBi = Pick(100) < blankPercent ? "      " : Date(blankPercent < 0);
            line.Youbi = "（日）";
            line.ItemNo = static_cast<std::int16_t>(Pick(11));
            line.Indata = Pick(2) == 0 ? Pick(1000) : 0;
            line.Outdata = line.Indata == 0 ? Pick(1000) : 0;
            line.Zandaka = Pick(4) == 0 ? Pick(1000) - 500 : 0;
            auto encoded = EncodeLedgerLine(line);
            ASSERT_TRUE(encoded.ok());
            bytes.insert(bytes.end(), encoded->begin(), encoded->end());
        }
        WriteBytes(s.LedgerPath,
                   std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        ASSERT_TRUE(ReadLedgerHeader(s).ok());
    }

    int Line() { return 1 + Pick(std::max<int>(s.LedgerHeader.LineCount, 1)); }
    int Page() { return 1 + Pick(LastPage(s.LedgerHeader.LineCount, s.PageLimit) + 1); }

    // The page change's walk, checked against the rule on the file as it was.
    void PageChange(const std::string& context) {
        const int page = Page();
        const auto expected = AfterPageWalk(s, page, Lines(s));
        ASSERT_TRUE(RecalculateFromPage(s, page).ok()) << context;
        const auto after = Lines(s);
        for (int n = 1; n <= s.LedgerHeader.LineCount; ++n)
            ASSERT_EQ(after[static_cast<std::size_t>(n)], expected[static_cast<std::size_t>(n)])
                << context << ", page " << page << ", line " << n;
    }

    // The file replaced by another with one balance changed: a new file put in its
    // place, as a copy from elsewhere would be.
    void ChangeBehindTheBack() {
        if (s.LedgerHeader.LineCount < 1) return;
        std::string bytes = ReadBytes(s.LedgerPath);
        const std::size_t at = LedgerLineOffset(Line()) + kLedgerZandakaOffset;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x11);
        const auto other = s.LedgerPath.parent_path() / "other.DAT";
        WriteBytes(other, bytes);
        std::filesystem::rename(other, s.LedgerPath);
    }

    void SomeOperation(std::string& did) {
        const int count = s.LedgerHeader.LineCount;
        switch (Pick(11)) {
        case 0: {
            const int line = std::min(Line() + Pick(2), count + 1);
            const std::string date = Date();
            RowFields row{date, "（月）", Pick(11), ""};
            did = "post on line " + std::to_string(line);
            EXPECT_TRUE(PostAmount(s, line, 1 + Pick(2), Pick(900), MonthOf(date), row).ok()) << did;
            break;
        }
        case 1: {
            const int page = Page();
            auto shown = ReadPage(s, page);
            ASSERT_TRUE(shown.ok());
            std::array<RowFields, kRowsPerPage> rows;
            for (std::size_t r = 0; r < rows.size(); ++r)
                if ((*shown)[r])
                    rows[r] = RowFields{Trim((*shown)[r]->NenGetsuBi), Trim((*shown)[r]->Youbi),
                                        (*shown)[r]->ItemNo, (*shown)[r]->Bikou};
            const std::size_t r = static_cast<std::size_t>(Pick(kRowsPerPage));
            switch (Pick(4)) {
            case 0: rows[r].date = Date(); break;
            case 1: rows[r].itemNo = Pick(11); break;
            case 2: rows[r].bikou = "メモ"; break;
            default: break;  // saved as shown
            }
            did = "page " + std::to_string(page) + " saved";
            EXPECT_TRUE(SavePage(s, page, rows).ok()) << did;
            break;
        }
        case 2:
            did = "item written";
            EXPECT_TRUE(WriteLineItem(s, Line(), Pick(11)).ok());
            break;
        case 3:
            did = "date written";
            EXPECT_TRUE(WriteLineDate(s, std::min(Line() + Pick(3), count + 2), Date(), "（火）").ok());
            break;
        case 4:
            did = "remarks written";
            EXPECT_TRUE(WriteLineRemarks(s, Line(), "備考").ok());
            break;
        case 5:
            did = "line inserted";
            if (count >= 1) {
                EXPECT_TRUE(InsertLine(s, Line()).ok());
            }
            break;
        case 6:
            did = "line deleted";
            if (count >= 1) {
                EXPECT_TRUE(DeleteLine(s, Line(), 0).ok());
            }
            break;
        case 7:
            did = "all recalculated";
            EXPECT_TRUE(RecalculateAll(s).ok());
            break;
        case 8:
            did = "file changed behind the program's back";
            ChangeBehindTheBack();
            break;
        case 9: {
            // Item 3 moves between a cash category and a transfer.
            auto& item = s.ItemTable[3];
            item.ItemKubun = static_cast<std::int16_t>(item.ItemKubun == 3 ? 2 : 3);
            did = "item 3 now of category " + std::to_string(item.ItemKubun);
            break;
        }
        default:
            did = "opening balance changed";
            s.LedgerHeader.OpeningBalance += 7;
            break;
        }
    }

    std::mt19937 gen_{20261208};
};

TEST_F(PageWalk, EveryPageChangeLeavesTheBalancesTheRuleGives) {
    for (int year = 0; year < 16; ++year) {
        SCOPED_TRACE("year " + std::to_string(year));
        // Some years have long stretches without dates before a page.
        Year(1 + Pick(160), year % 3 == 0 ? 95 : 15);
        std::string did = "year read";
        for (int step = 0; step < 30; ++step) {
            if (Pick(2) == 0) {
                PageChange("after " + did);
                if (HasFatalFailure()) return;
                did = "page change";
            } else {
                SomeOperation(did);
                if (HasFatalFailure()) return;
            }
        }
    }
}

// A screen just opened on a large year knows nothing of its balances yet: a page
// change far from line 1 (where only the lines before the page and the year's end are
// read) still leaves exactly what the rule gives, the lines before the page as they
// were.
TEST_F(PageWalk, PageChangesFarFromLineOneOfAYearNotYetWalkedFollowTheRule) {
    Year(400, 5);
    for (int page : {40, 39, 30, 12, 41}) {
        s.BalanceMark = LedgerBalanceMark{};
        const auto before = Lines(s);
        const auto expected = AfterPageWalk(s, page, before);
        ASSERT_TRUE(RecalculateFromPage(s, page).ok());
        const auto after = Lines(s);
        for (int n = 1; n <= s.LedgerHeader.LineCount; ++n) {
            ASSERT_EQ(after[static_cast<std::size_t>(n)], expected[static_cast<std::size_t>(n)])
                << "page " << page << ", line " << n;
            if (n < LineOfRow(page, 1) - 1) {
                ASSERT_EQ(after[static_cast<std::size_t>(n)], before[static_cast<std::size_t>(n)]);
            }
        }
        // Then with the little the walk could learn.
        ASSERT_TRUE(RecalculateFromPage(s, page - 1).ok());
        EXPECT_EQ(Lines(s), AfterPageWalk(s, page - 1, after));
    }
}

TEST_F(PageWalk, PageChangesOnADatedYearThatHoldsWriteNothing) {
    Year(120, -1);
    ASSERT_TRUE(RecalculateAll(s).ok());
    const std::string before = ReadBytes(s.LedgerPath);
    for (int page = 1; page <= 13; ++page) {
        ASSERT_TRUE(RecalculateFromPage(s, page).ok());
        ASSERT_TRUE(RecalculateFromPage(s, page).ok());
    }
    EXPECT_EQ(testing::LedgerDump(ReadBytes(s.LedgerPath)), testing::LedgerDump(before));
}

TEST_F(PageWalk, ABalanceChangedBehindTheProgramsBackIsWalkedAgain) {
    // Twelve April lines of income 100 (item 1): balances 100, 200, ... 1,200.
    std::string hex = "0c00 00000000 00000000 00000000 00000000 ";
    for (int n = 1; n <= 12; ++n)
        hex += "313330343031 202020202020 0100 64000000 00000000 00000000 " +
               std::string(testing::kBlank16) + " ";
    Load(hex);
    ASSERT_TRUE(RecalculateAll(s).ok());
    ASSERT_TRUE(RecalculateFromPage(s, 2).ok());
    EXPECT_EQ(ReadLedgerLineAt(s, 11)->Zandaka, 1100);
    // Another copy of the year put in its place, whose line 11 says 5.
    std::string bytes = ReadBytes(s.LedgerPath);
    const std::size_t at = LedgerLineOffset(11) + kLedgerZandakaOffset;
    bytes[at] = 5;
    bytes[at + 1] = 0;
    WriteBytes(s.LedgerPath.parent_path() / "copy.DAT", bytes);
    std::filesystem::rename(s.LedgerPath.parent_path() / "copy.DAT", s.LedgerPath);
    ASSERT_TRUE(RecalculateFromPage(s, 2).ok());
    EXPECT_EQ(ReadLedgerLineAt(s, 11)->Zandaka, 1100);
    EXPECT_EQ(ReadLedgerLineAt(s, 12)->Zandaka, 1200);
}

TEST_F(PageWalk, ACategoryChangedSinceTheLastWalkIsWalkedAgain) {
    // Line 1 income 100 on item 3 (口座振り込み: no cash), line 11 income 100 on item 1.
    std::string hex = "0b00 00000000 00000000 00000000 00000000 ";
    for (int n = 1; n <= 11; ++n)
        hex += std::string(n == 1 ? "313330343031 202020202020 0300 64000000"
                                  : n == 11 ? "313330343031 202020202020 0100 64000000"
                                            : "313330343031 202020202020 0000 00000000") +
               " 00000000 00000000 " + testing::kBlank16 + " ";
    Load(hex);
    ASSERT_TRUE(RecalculateAll(s).ok());
    EXPECT_EQ(ReadLedgerLineAt(s, 11)->Zandaka, 100);
    // Item 3 becomes 預金繰り入れ, which moves cash: from page 1 every balance moves.
    s.ItemTable[3].ItemKubun = 2;
    ASSERT_TRUE(RecalculateFromPage(s, 1).ok());
    EXPECT_EQ(ReadLedgerLineAt(s, 1)->Zandaka, 100);
    EXPECT_EQ(ReadLedgerLineAt(s, 11)->Zandaka, 200);
}

}  // namespace
}  // namespace tabulo
