// The history played against the books on a book long enough to need many steps of
// insertion and deletion in its middle: the lines the records give are the lines the
// books hold, and one line that differs is named by its number.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "books/Accounts.h"
#include "books/BooksFiles.h"
#include "ebooks/HistoryChecks.h"
#include "store/BinaryRecords.h"

namespace tabulo {
namespace {

using Op = HistoryOperation;
using Bytes = std::vector<std::byte>;

Bytes Line(int n) {
    LedgerLine line = BlankLedgerLine(0);
    line.NenGetsuBi = "130401";
    line.Youbi = "（木）";
    line.ItemNo = 1;
    line.Indata = 1000 + n;
    line.Bikou = "行" + std::to_string(n);
    return *EncodeLedgerLine(line);
}

// A year's history of posts at the end, inserts, deletes (some undone) and changes
// all through a book of some 1,500 lines, with the book each step leaves, worked out
// the plain way.
struct LongYear {
    std::vector<HistoryRecord> records;
    std::vector<Bytes> book;

    void Add(Op op, int target, Bytes newBytes, std::uint32_t undoOf = 0) {
        HistoryRecord r;
        r.Sequence = static_cast<std::uint32_t>(records.size() + 1);
        r.When = "20270105090000";
        r.Operation = op;
        r.Target = target;
        r.UndoOf = undoOf;
        const auto at = book.begin() + (target - 1);
        switch (op) {
            case Op::CashBookPost:
            case Op::CashBookInsert: book.insert(at, newBytes); r.NewBytes = newBytes; break;
            case Op::CashBookDelete: r.OldBytes = *at; book.erase(at); break;
            default: r.OldBytes = *at; *at = newBytes; r.NewBytes = newBytes; break;
        }
        records.push_back(std::move(r));
    }

    LongYear() {
        int n = 0;
        for (int i = 0; i < 1500; ++i) Add(Op::CashBookPost, static_cast<int>(book.size()) + 1, Line(++n));
        for (int i = 0; i < 3000; ++i) {
            const int size = static_cast<int>(book.size());
            const int at = 1 + (i * 7919) % size;
            switch (i % 5) {
                case 0: Add(Op::CashBookInsert, at, Line(++n)); break;
                case 1: Add(Op::CashBookDelete, at, {}); break;
                case 2:  // the delete undone: the line back where it was
                    Add(Op::CashBookInsert, records.back().Target, records.back().OldBytes,
                        records.back().Sequence);
                    break;
                case 3: Add(Op::CashBookDelete, at, {}); break;
                default: Add(Op::CashBookChange, at, Line(++n)); break;
            }
        }
        // Inserts one after another at one place, past any run of lines kept together.
        for (int i = 0; i < 1500; ++i) Add(Op::CashBookInsert, 777, Line(++n));
    }

    Bytes Ledger() const {
        LedgerHeaderRecord header;
        header.LineCount = static_cast<std::int16_t>(book.size());
        Bytes out = EncodeLedgerHeader(header);
        for (const Bytes& line : book) out.insert(out.end(), line.begin(), line.end());
        return out;
    }
};

TEST(HistoryAgainstBooks, ALongBookPlayedThroughItsMiddleMatchesAndOneChangedLineIsNamed) {
    const LongYear year;
    ASSERT_GT(year.book.size(), 2000u);
    Bytes ledger = year.Ledger();
    EXPECT_TRUE(HistoryAgainstBooks(year.records, ledger, {}).empty());

    // A balance the walks work out again is not compared.
    ledger[LedgerLineOffset(1500) + kLedgerZandakaOffset] = std::byte{7};
    EXPECT_TRUE(HistoryAgainstBooks(year.records, ledger, {}).empty());

    // The remarks of line 1,234 changed outside the program.
    ledger[LedgerLineOffset(1234) + kLedgerBikouOffset] = std::byte{'X'};
    const auto found = HistoryAgainstBooks(year.records, ledger, {});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Text.rfind("1234 行目は、", 0), 0u) << found[0].Text;

    // The same history without its last record: the book holds one line more.
    std::vector<HistoryRecord> cut(year.records.begin(), year.records.end() - 1);
    const auto short1 = HistoryAgainstBooks(cut, year.Ledger(), {});
    ASSERT_EQ(short1.size(), 1u);
    EXPECT_NE(short1[0].Text.find("（履歴の末尾が切り取られたおそれがあります）"), std::string::npos);
}

// The books are compared with what the records give without keeping a copy of each
// line: a change to any one byte of a line's entry, or of a slip, is still found.
TEST(HistoryAgainstBooks, EveryByteOfALineButItsBalanceAndEveryByteOfASlipIsCompared) {
    const LongYear year;
    const Bytes ledger = year.Ledger();
    for (std::size_t b = 0; b < kLedgerLineSize; ++b) {
        Bytes changed = ledger;
        changed[LedgerLineOffset(321) + b] ^= std::byte{0x01};
        const auto found = HistoryAgainstBooks(year.records, changed, {});
        if (b >= kLedgerZandakaOffset && b < kLedgerBikouOffset) {
            EXPECT_TRUE(found.empty()) << "byte " << b << " of the balance";
        } else {
            ASSERT_EQ(found.size(), 1u) << "byte " << b;
            EXPECT_EQ(found[0].Text.rfind("321 行目は、", 0), 0u) << found[0].Text;
        }
    }

    SlipBook book;
    std::vector<HistoryRecord> records;
    for (int n = 1; n <= 3; ++n) {
        book.Slips.push_back({"080401", AccountCode::Receivables, AccountCode::Sales, 1000 + n, "ｶｹｳﾘ"});
        HistoryRecord r;
        r.Sequence = static_cast<std::uint32_t>(n);
        r.When = "20270105090000";
        r.Operation = Op::SlipAdd;
        r.Target = n;
        r.NewBytes.resize(kSlipRecordSize);
        ASSERT_TRUE(EncodeSlip(book.Slips.back(), r.NewBytes.data()));
        records.push_back(std::move(r));
    }
    const auto slips = EncodeSlipBook(book);
    ASSERT_TRUE(slips);
    EXPECT_TRUE(HistoryAgainstBooks(records, {}, *slips).empty());
    const std::size_t second = kSlipHeaderSize + kSlipRecordSize;  // no openings: the slips follow the header
    for (std::size_t b = 0; b < kSlipRecordSize; ++b) {
        Bytes changed = *slips;
        changed[second + b] ^= std::byte{0x01};
        const auto found = HistoryAgainstBooks(records, {}, changed);
        ASSERT_EQ(found.size(), 1u) << "byte " << b << " of the slip";
        EXPECT_EQ(found[0].Text.rfind("振替伝票 2は、", 0), 0u) << found[0].Text;
    }
}

TEST(HistoryAgainstBooks, LinesTheHistoryNeverNamedAreNotCompared) {
    // Lines from before the history began are not compared: a history whose first
    // record changes line 3,000 of a book says nothing of lines 1 to 2,999.
    LongYear year;
    std::vector<HistoryRecord> records;
    HistoryRecord change;
    change.Sequence = 1;
    change.When = "20270105090000";
    change.Operation = Op::CashBookChange;
    change.Target = 2000;
    change.OldBytes = year.book[1999];
    change.NewBytes = Line(99999);
    year.book[1999] = change.NewBytes;
    records.push_back(change);
    EXPECT_TRUE(HistoryAgainstBooks(records, year.Ledger(), {}).empty());
    year.book[1998] = Line(5);  // a line the history never named
    EXPECT_TRUE(HistoryAgainstBooks(records, year.Ledger(), {}).empty());
    year.book[1999] = Line(6);  // the one it did
    ASSERT_EQ(HistoryAgainstBooks(records, year.Ledger(), {}).size(), 1u);
}

}  // namespace
}  // namespace tabulo
