// The history file against a dump written from its table (checks computed with zlib's
// CRC-32), the appends that grow it, and what reading reports of a history whose bytes
// were changed, cut or taken out.

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>

#include "store/BinaryRecords.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/SharedState.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::byte> Bytes(const std::string& s) {
    const auto* p = reinterpret_cast<const std::byte*>(s.data());
    return {p, p + s.size()};
}

// RIREKI13.DAT: a line posted, deleted, and the delete undone by putting it back.
const std::string kRecord1 =
    "30000000 01000000 3230323631323038303933303030"  // 48 bytes, 1, 20261208093000
    "0100 0c000000 00000000 0000 0400"                // post, line 12, undoes nothing, 0 old, 4 new
    "41424344"                                        // new: ABCD
    "a9879bc7 30000000";                              // check, 48 again
const std::string kRecord2 =
    "30000000 02000000 3230323631323038303933313035"  // 2, 20261208093105
    "0400 0c000000 00000000 0400 0000"                // delete, line 12, 4 old, 0 new
    "41424344"                                        // old: ABCD
    "1a099ac8 30000000";
const std::string kRecord3 =
    "30000000 03000000 3230323631323038303933323130"  // 3, 20261208093210
    "0300 0c000000 02000000 0000 0400"                // insert, line 12, undoes record 2
    "41424344"
    "693ce360 30000000";
const std::string kMark = "52524b31";  // RRK1

std::string Dump() { return FromHex(kMark + kRecord1 + kRecord2 + kRecord3); }

std::vector<HistoryRecord> ExpectedRecords() {
    return {
        {1, "20261208093000", HistoryOperation::CashBookPost, 12, 0, {}, Bytes("ABCD")},
        {2, "20261208093105", HistoryOperation::CashBookDelete, 12, 0, Bytes("ABCD"), {}},
        {3, "20261208093210", HistoryOperation::CashBookInsert, 12, 2, {}, Bytes("ABCD")},
    };
}

std::span<const std::byte> Span(const std::string& s) {
    return std::as_bytes(std::span(s.data(), s.size()));
}

TEST(HistoryFile, ReadsEveryFieldOfADumpWrittenFromTheTable) {
    const HistoryContents h = DecodeHistory(Span(Dump()));
    EXPECT_TRUE(h.Damage.empty());
    EXPECT_EQ(h.Records, ExpectedRecords());
    EXPECT_STREQ(HistoryOperationName(h.Records[2].Operation), "出納簿 挿入");
}

TEST(HistoryFile, AppendsGrowTheFileByteForByteAsTheTableSays) {
    TempFolder dir;
    SharedState s;
    s.DataFolder = dir.path();
    s.FiscalYear = 13;
    const auto path = HistoryPath(s);
    EXPECT_EQ(path.filename(), "RIREKI13.DAT");

    for (const HistoryRecord& r : ExpectedRecords()) {
        auto tail = ReadHistoryTail(path);
        ASSERT_TRUE(tail.ok());
        HistoryRecord unnumbered = r;
        unnumbered.Sequence = 0;  // the tail numbers it
        auto bytes = EncodeHistoryAppend(*tail, unnumbered);
        ASSERT_TRUE(bytes.ok());
        std::string file = std::filesystem::exists(path) ? ReadBytes(path) : "";
        file.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        WriteBytes(path, file);
    }
    EXPECT_EQ(ReadBytes(path), Dump());

    auto tail = ReadHistoryTail(path);
    ASSERT_TRUE(tail.ok());
    EXPECT_EQ(tail->FileSize, 4u + 3 * 48);
    EXPECT_EQ(tail->NextSequence, 4u);
    EXPECT_EQ(tail->LastCheck, 0x60e33c69u);
}

TEST(HistoryFile, AMissingFileIsAnEmptyHistoryAndACutOneRefusesTheAppend) {
    TempFolder dir;
    const auto path = dir.path() / "RIREKI13.DAT";
    auto tail = ReadHistoryTail(path);
    ASSERT_TRUE(tail.ok());
    EXPECT_EQ(tail->FileSize, 0u);
    EXPECT_EQ(tail->NextSequence, 1u);
    auto loaded = LoadHistory(path);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded->Records.empty());
    EXPECT_TRUE(loaded->Damage.empty());

    WriteBytes(path, Dump().substr(0, Dump().size() - 3));
    EXPECT_FALSE(ReadHistoryTail(path).ok());
}

TEST(HistoryFile, RefusesARecordItCannotHold) {
    HistoryRecord r = ExpectedRecords()[0];
    r.When = "2026-12-08";
    EXPECT_FALSE(EncodeHistoryAppend({}, r).ok());
    // A time of 14 digits, with any one byte just outside 0..9 (or far from it).
    for (std::size_t at = 0; at < 14; ++at) {
        for (const char c : {'/', ':', '?', ' ', '\x99', '\xb9'}) {
            r.When = "20261208093000";
            r.When[at] = c;
            EXPECT_FALSE(EncodeHistoryAppend({}, r).ok()) << "byte " << at << " is " << int(c);
        }
    }
    r.When = "20261208093000";
    EXPECT_TRUE(EncodeHistoryAppend({}, r).ok());
    r.When = "2026120809300";  // one short
    EXPECT_FALSE(EncodeHistoryAppend({}, r).ok());
    r = ExpectedRecords()[0];
    r.NewBytes.assign(kHistoryMaxValueBytes + 1, std::byte{0x20});
    EXPECT_FALSE(EncodeHistoryAppend({}, r).ok());
}

TEST(HistoryFile, NamesARecordWhoseBytesWereChangedAndReadsOnPastIt) {
    std::string bytes = Dump();
    // Record 2's old amount: ABCD -> ABCE.
    bytes[4 + 48 + 36 + 3] = 'E';
    const HistoryContents h = DecodeHistory(Span(bytes));
    ASSERT_EQ(h.Damage.size(), 1u);
    EXPECT_EQ(h.Damage[0].Sequence, 2u);
    EXPECT_EQ(h.Damage[0].Offset, 52u);
    EXPECT_EQ(h.Damage[0].Reason, "履歴の記録 2 の内容が書き換えられているか、壊れています。");
    EXPECT_EQ(h.Records.size(), 3u);
}

TEST(HistoryFile, NamesTheGapWhereARecordWasTakenOut) {
    const std::string bytes = FromHex(kMark + kRecord1 + kRecord3);
    const HistoryContents h = DecodeHistory(Span(bytes));
    ASSERT_EQ(h.Damage.size(), 1u);
    EXPECT_EQ(h.Damage[0].Sequence, 3u);
    EXPECT_EQ(h.Damage[0].Reason, "履歴の記録 3 の前に記録が抜けています（2〜2）。");
}

TEST(HistoryFile, ARewrittenRecordWithARecomputedCheckBreaksTheChainAtTheNextOne) {
    // The record changed and its own check made to fit: the record after it was
    // chained to the old check, so that one fails.
    std::string bytes = FromHex(kMark + kRecord1 + kRecord2 + kRecord3);
    bytes[4 + 48 + 36 + 3] = 'E';
    const std::uint32_t prev = 0xc79b87a9u;
    std::array<std::byte, 4> p{};
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::byte>((prev >> (8 * i)) & 0xff);
    const std::uint32_t forged =
        HistoryCrc32(Span(bytes).subspan(52, 40), HistoryCrc32(p));
    for (int i = 0; i < 4; ++i) bytes[52 + 40 + i] = static_cast<char>((forged >> (8 * i)) & 0xff);
    const HistoryContents h = DecodeHistory(Span(bytes));
    ASSERT_EQ(h.Damage.size(), 1u);
    EXPECT_EQ(h.Damage[0].Sequence, 3u);
}

TEST(HistoryFile, ASizeThatDoesNotHoldTogetherEndsTheReadingWithAReport) {
    std::string bytes = Dump();
    bytes[4 + 48] = 0x7f;  // record 2's size
    const HistoryContents h = DecodeHistory(Span(bytes));
    EXPECT_EQ(h.Records.size(), 1u);
    ASSERT_EQ(h.Damage.size(), 1u);
    EXPECT_EQ(h.Damage[0].Sequence, 2u);

    const HistoryContents wrongMark = DecodeHistory(Span(FromHex("52524b32" + kRecord1)));
    EXPECT_TRUE(wrongMark.Records.empty());
    ASSERT_EQ(wrongMark.Damage.size(), 1u);
}

// Records staged with an operation go out under the cash book's redo log: the log's
// record holds the history's new bytes, so a power cut after the commit leaves a
// history that the next read completes together with the file it changed.
TEST(HistoryFile, StagedRecordsGoOutWithTheOperationAndAreReplayedAfterACut) {
    TempFolder dir;
    const auto history = dir.path() / "RIREKI13.DAT";
    const auto ledger = dir.path() / "KEIRI13.DAT";
    const auto journal = JournalPathFor(ledger);
    WriteBytes(history, FromHex(kMark + kRecord1));
    const std::string oldLedger = "old ledger bytes", newLedger = "new ledger bytes, longer";
    WriteBytes(ledger, oldLedger);

    std::vector<HistoryRecord> records = {ExpectedRecords()[1], ExpectedRecords()[2]};
    records[0].Sequence = records[1].Sequence = 99;  // numbered by the file, not the caller
    auto staged = HistoryAppend::Stage(history, records);
    ASSERT_TRUE(staged.ok());
    EXPECT_EQ(staged->FirstSequence(), 2u);
    EXPECT_EQ(staged->OldLength(), 52u);
    EXPECT_EQ(staged->NewLength(), 52u + 96u);
    StagedFile ledgerChange{ledger, true, Bytes(oldLedger), Bytes(newLedger)};
    const std::vector<FileChange> changes = {ledgerChange.Change(), staged->Change()};
    ASSERT_TRUE(CommitChanges(journal, changes).ok());
    EXPECT_EQ(ReadBytes(history), Dump());
    EXPECT_EQ(ReadBytes(ledger), newLedger);

    // The cut: the log reached the disk, the in-place writes did not.
    WriteBytes(history, FromHex(kMark + kRecord1));
    WriteBytes(ledger, oldLedger);
    auto settled = SettleJournal(journal);
    ASSERT_TRUE(settled.ok());
    EXPECT_EQ(settled->outcome, Recovery::Completed);
    EXPECT_EQ(ReadBytes(history), Dump());
    EXPECT_EQ(ReadBytes(ledger), newLedger);
    EXPECT_EQ(LoadHistory(history)->Records, ExpectedRecords());
}

TEST(HistoryFile, TheFirstStagedRecordCreatesTheFileWithItsMark) {
    TempFolder dir;
    const auto history = dir.path() / "RIREKI13.DAT";
    const auto ledger = dir.path() / "KEIRI13.DAT";
    WriteBytes(ledger, "ledger");
    auto staged = HistoryAppend::Stage(history, std::vector<HistoryRecord>{ExpectedRecords()[0]});
    ASSERT_TRUE(staged.ok());
    StagedFile ledgerChange{ledger, true, Bytes("ledger"), Bytes("LEDGER")};
    const std::vector<FileChange> changes = {ledgerChange.Change(), staged->Change()};
    ASSERT_TRUE(CommitChanges(JournalPathFor(ledger), changes).ok());
    EXPECT_EQ(ReadBytes(history), FromHex(kMark + kRecord1));
}

TEST(HistoryFile, AnOperationOnAnotherYearsHistoryIsRefusedBeforeAnythingIsWritten) {
    TempFolder dir;
    const auto ledger = dir.path() / "KEIRI13.DAT";
    WriteBytes(ledger, "ledger");
    auto staged = HistoryAppend::Stage(dir.path() / "RIREKI14.DAT",
                                       std::vector<HistoryRecord>{ExpectedRecords()[0]});
    ASSERT_TRUE(staged.ok());
    const std::vector<FileChange> changes = {staged->Change()};
    // A read of the log would refuse a file of another year: so does the commit.
    EXPECT_FALSE(CommitChanges(JournalPathFor(ledger), changes).ok());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "RIREKI14.DAT"));
    EXPECT_FALSE(std::filesystem::exists(JournalPathFor(ledger)));
}

TEST(HistoryFile, TellsAnEndCutShortFromABrokenSize) {
    // The file ends inside record 3, its leading fields whole or not even those.
    for (std::size_t keep : {4u + 48 + 48 + 40, 4u + 48 + 48 + 20, 4u + 48 + 48 + 2}) {
        const HistoryContents cut = DecodeHistory(Span(Dump().substr(0, keep)));
        EXPECT_EQ(cut.Records.size(), 2u) << keep;
        ASSERT_EQ(cut.Damage.size(), 1u) << keep;
        EXPECT_EQ(cut.Damage[0].Sequence, 3u);
        EXPECT_EQ(cut.Damage[0].Fault, HistoryFault::CutShort) << keep;
        EXPECT_EQ(cut.Damage[0].Reason, "履歴の記録 3 の途中でファイルが終わっています（" +
                                            std::to_string(keep - 100) + " バイトしかありません）。記録 3 から先は読めません。");
    }
    // A size that disagrees with the values' sizes, larger than what is left or not.
    for (char size : {'\x7f', '\x2f'}) {
        std::string bytes = Dump();
        bytes[4 + 48] = size;
        const HistoryContents h = DecodeHistory(Span(bytes));
        ASSERT_EQ(h.Damage.size(), 1u);
        EXPECT_EQ(h.Damage[0].Fault, HistoryFault::Size);
        EXPECT_EQ(h.Damage[0].Reason, "履歴の記録 2 の大きさが壊れています。記録 2 から先は読めません。");
    }
    // The kinds of the other damage.
    EXPECT_EQ(DecodeHistory(Span(FromHex(kMark + kRecord1 + kRecord3))).Damage.at(0).Fault,
              HistoryFault::Missing);
    std::string changed = Dump();
    changed[4 + 48 + 36 + 3] = 'E';
    EXPECT_EQ(DecodeHistory(Span(changed)).Damage.at(0).Fault, HistoryFault::Changed);
    EXPECT_EQ(DecodeHistory(Span(FromHex("52524b32" + kRecord1))).Damage.at(0).Fault, HistoryFault::Header);
}

// The history was written up to 256 MiB and read up to 16 MiB: past that every change
// still succeeded, and no reader could read the history again. One limit holds for
// both: the writer takes a history up to the limit exactly, its readers read that
// file, and the change that would pass the limit is refused with nothing written.
TEST(HistoryFile, TheWriterStopsAtTheLimitItsReadersRead) {
    // Records of cash-book changes (44 + 42 + 42 bytes) and posts (44 + 42) filling
    // the file after its mark exactly: 128 × changes + 86 × posts = limit - 4.
    const std::uint64_t body = kMaxHistoryFileSize - kHistoryHeaderSize;
    std::uint64_t posts = 0;
    while ((body - 86 * posts) % 128 != 0) ++posts;
    const std::uint64_t changes = (body - 86 * posts) / 128;
    const std::vector<std::byte> line(42, std::byte{0x20});
    const HistoryRecord change{0, "20261208093000", HistoryOperation::CashBookChange, 1, 0, line, line};
    const HistoryRecord post{0, "20261208093000", HistoryOperation::CashBookPost, 2, 0, {}, line};

    // All but the last post, as the program would have appended them.
    std::string file;
    HistoryTail tail;
    auto append = [&](const HistoryRecord& r) {
        auto bytes = EncodeHistoryAppend(tail, r);
        ASSERT_TRUE(bytes.ok());
        file.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        tail.FileSize = file.size();
        tail.NextSequence += 1;
        tail.LastCheck = static_cast<std::uint32_t>(
            LoadLittleEndian(bytes->data() + bytes->size() - 8, 4));
    };
    for (std::uint64_t i = 0; i < changes; ++i) append(change);
    for (std::uint64_t i = 0; i + 1 < posts; ++i) append(post);
    ASSERT_EQ(file.size() + 86, kMaxHistoryFileSize);
    TempFolder dir;
    const auto history = dir.path() / "RIREKI13.DAT";
    const auto journal = JournalPathFor(dir.path() / "KEIRI13.DAT");
    WriteBytes(history, file);

    // The last post takes the file to the limit exactly; every reader reads it whole.
    auto last = HistoryAppend::Stage(history, std::vector<HistoryRecord>{post});
    ASSERT_TRUE(last.ok()) << last.error().detail;
    EXPECT_EQ(last->NewLength(), kMaxHistoryFileSize);
    const std::vector<FileChange> lastChange = {last->Change()};
    ASSERT_TRUE(CommitChanges(journal, lastChange).ok());
    ASSERT_EQ(std::filesystem::file_size(history), kMaxHistoryFileSize);
    auto read = LoadHistory(history);
    ASSERT_TRUE(read.ok()) << read.error().detail;
    EXPECT_TRUE(read->Damage.empty());
    EXPECT_EQ(read->Records.size(), changes + posts);
    EXPECT_EQ(read->Records.back().Sequence, changes + posts);

    // One more record: refused, saying why, the file as it was.
    const std::string full = ReadBytes(history);
    auto more = HistoryAppend::Stage(history, std::vector<HistoryRecord>{post});
    ASSERT_FALSE(more.ok());
    EXPECT_EQ(more.error().path, history.string());
    EXPECT_EQ(more.error().detail, "履歴ファイルが上限の " + std::to_string(kMaxHistoryFileSize) +
                                       " バイトに達するため、これ以上記録できません。");
    EXPECT_EQ(ReadBytes(history), full);

    // A file past the limit (written by hand, or by an older program) is refused by
    // its reader and by its writer alike, naming it.
    WriteBytes(history, full + "x");
    auto past = LoadHistory(history);
    ASSERT_FALSE(past.ok());
    EXPECT_EQ(past.error().path, history.string());
    EXPECT_FALSE(HistoryAppend::Stage(history, std::vector<HistoryRecord>{post}).ok());
}

// An append first walks the records' sizes from the start; a long history is walked
// through several windows of the file, and a record damaged deep inside one of them
// stops the append with the reason a full reading gives, whichever of its sizes broke.
TEST(HistoryFile, AnAppendWalksALongHistoryAndStopsWhereAFullReadingStops) {
    const std::vector<std::byte> line(42, std::byte{0x20});
    const HistoryRecord change{0, "20261208093000", HistoryOperation::CashBookChange, 1, 0, line, line};
    std::string file;
    HistoryTail tail;
    std::vector<std::size_t> at;  // where each record begins
    for (int i = 0; i < 2000; ++i) {
        auto bytes = EncodeHistoryAppend(tail, change);
        ASSERT_TRUE(bytes.ok());
        at.push_back(file.empty() ? kHistoryHeaderSize : file.size());
        file.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        tail.FileSize = file.size();
        tail.NextSequence += 1;
        tail.LastCheck = static_cast<std::uint32_t>(LoadLittleEndian(bytes->data() + bytes->size() - 8, 4));
    }
    ASSERT_GT(file.size(), 3u * 65536u);
    TempFolder dir;
    const auto history = dir.path() / "RIREKI13.DAT";
    WriteBytes(history, file);
    ASSERT_TRUE(HistoryAppend::Stage(history, std::vector<HistoryRecord>{change}).ok());

    const std::size_t r = at[1499];  // record 1500: 128 bytes, its size at +0, its sizes of values at +32
    struct Damage {
        const char* what;
        std::size_t offset;
        char value;
    };
    for (const Damage& d : {Damage{"the size at its end", r + 124, '\x7f'},
                            Damage{"its size", r, '\x7f'},
                            Damage{"the size of its old bytes", r + 32, '\x2b'},
                            Damage{"its size past the file's end", r + 2, '\x01'}}) {
        SCOPED_TRACE(d.what);
        std::string damaged = file;
        damaged[d.offset] = d.value;
        WriteBytes(history, damaged);
        auto read = LoadHistory(history);
        ASSERT_TRUE(read.ok());
        ASSERT_FALSE(read->Damage.empty());
        EXPECT_EQ(read->Damage[0].Sequence, 1500u);
        auto staged = HistoryAppend::Stage(history, std::vector<HistoryRecord>{change});
        ASSERT_FALSE(staged.ok());
        EXPECT_NE(staged.error().detail.find(read->Damage[0].Reason), std::string::npos)
            << staged.error().detail << " / " << read->Damage[0].Reason;
        EXPECT_EQ(ReadBytes(history), damaged);
    }
}

// The check is zlib's CRC-32 however the bytes are split: against its published check
// value and a bit-by-bit reference over every length and split of a buffer.
TEST(HistoryFile, TheCheckIsTheCrc32OfZlibOverAnyLengthAndSplit) {
    const std::string nine = "123456789";
    EXPECT_EQ(HistoryCrc32(Span(nine)), 0xCBF43926u);
    EXPECT_EQ(HistoryCrc32({}), 0u);
    const auto reference = [](std::span<const std::byte> bytes) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (std::byte b : bytes) {
            c ^= std::to_integer<std::uint32_t>(b);
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return ~c;
    };
    std::string buffer;
    std::uint32_t x = 12345;
    for (int i = 0; i < 300; ++i) {
        x = x * 1103515245u + 12345u;
        buffer.push_back(static_cast<char>(x >> 16));
    }
    for (std::size_t length : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 64u, 299u, 300u}) {
        const auto whole = Span(buffer).first(length);
        const std::uint32_t expected = reference(whole);
        EXPECT_EQ(HistoryCrc32(whole), expected) << length;
        for (std::size_t cut = 0; cut <= length; cut += 3)
            EXPECT_EQ(HistoryCrc32(whole.subspan(cut), HistoryCrc32(whole.first(cut))), expected)
                << length << " cut at " << cut;
    }
}

// The reading a record at a time (the check, the 65万円 rule) hands over the records
// and finds the damage of the full read, also on a history far larger than the
// window it is read through, with records up to the largest a record may hold.
TEST(HistoryFile, ReadingRecordByRecordGivesTheRecordsAndDamageOfTheFullRead) {
    TempFolder dir;
    const auto path = dir.path() / "RIREKI13.DAT";
    const auto same = [&](const std::string& bytes) {
        WriteBytes(path, bytes);
        auto full = LoadHistory(path);
        ASSERT_TRUE(full.ok());
        std::vector<HistoryRecord> handed;
        auto damage = ReadHistoryRecords(path, [&handed](const HistoryRecordView& r) {
            handed.push_back({r.Sequence, std::string(r.When), r.Operation, r.Target, r.UndoOf,
                              std::vector<std::byte>(r.OldBytes.begin(), r.OldBytes.end()),
                              std::vector<std::byte>(r.NewBytes.begin(), r.NewBytes.end())});
        });
        ASSERT_TRUE(damage.ok());
        EXPECT_EQ(handed, full->Records);
        ASSERT_EQ(damage->size(), full->Damage.size());
        for (std::size_t i = 0; i < damage->size(); ++i) {
            EXPECT_EQ((*damage)[i].Sequence, full->Damage[i].Sequence);
            EXPECT_EQ((*damage)[i].Offset, full->Damage[i].Offset);
            EXPECT_EQ((*damage)[i].Reason, full->Damage[i].Reason);
        }
    };
    std::string small = Dump();
    small[4 + 48 + 36 + 3] = 'E';  // record 2's old bytes changed
    same(small);

    // 600 records of 0 to 4,096 bytes each side: some 1.6 MB, many windows.
    std::string large;
    HistoryTail tail;
    std::vector<std::size_t> at;
    for (int i = 0; i < 600; ++i) {
        HistoryRecord r;
        r.When = "20270105090000";
        r.Operation = HistoryOperation::CashBookChange;
        r.Target = 1 + i;
        r.OldBytes.assign(static_cast<std::size_t>(i * 97 % (kHistoryMaxValueBytes + 1)), std::byte{'o'});
        r.NewBytes.assign(i % 7 == 0 ? kHistoryMaxValueBytes : static_cast<std::size_t>(i * 31 % 300), std::byte{'n'});
        auto bytes = EncodeHistoryAppend(tail, r);
        ASSERT_TRUE(bytes.ok());
        at.push_back(large.size() + (large.empty() ? kHistoryHeaderSize : 0));
        large.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        tail.FileSize = large.size();
        tail.NextSequence += 1;
        tail.LastCheck = static_cast<std::uint32_t>(LoadLittleEndian(bytes->data() + bytes->size() - 8, 4));
    }
    ASSERT_GT(large.size(), 1'500'000u);
    same(large);
    std::string changed = large;
    changed[at[345] + 40] = 'X';
    same(changed);
    same(large.substr(0, large.size() - 100));  // the last record cut short
    same("");
    same("RRK1");
    same("XXXX");
}

// A listing reads the history once in order, keeping only where each record begins,
// then again newest first: the second reading gives the same records, whole, from a
// file far larger than the window, and the file it was opened on even when the
// history is replaced meanwhile. An offset that is not a record's start is refused.
TEST(HistoryFile, ReadingAgainAtTheRecordsChosenGivesThemInTheOrderAsked) {
    TempFolder dir;
    const auto path = dir.path() / "RIREKI13.DAT";
    std::string large;
    HistoryTail tail;
    for (int i = 0; i < 500; ++i) {
        HistoryRecord r;
        r.When = "20270105090000";
        r.Operation = i % 2 == 0 ? HistoryOperation::CashBookChange : HistoryOperation::SlipChange;
        r.Target = 1 + i;
        r.OldBytes.assign(static_cast<std::size_t>(i * 89 % (kHistoryMaxValueBytes + 1)), std::byte{'o'});
        r.NewBytes.assign(i % 5 == 0 ? kHistoryMaxValueBytes : static_cast<std::size_t>(i * 13 % 200), std::byte{'n'});
        auto bytes = EncodeHistoryAppend(tail, r);
        ASSERT_TRUE(bytes.ok());
        large.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        tail.FileSize = large.size();
        tail.NextSequence += 1;
        tail.LastCheck = static_cast<std::uint32_t>(LoadLittleEndian(bytes->data() + bytes->size() - 8, 4));
    }
    WriteBytes(path, large);
    auto full = LoadHistory(path);
    ASSERT_TRUE(full.ok());
    ASSERT_EQ(full->Records.size(), 500u);

    auto reader = HistoryReader::Open(path);
    ASSERT_TRUE(reader.ok());
    std::vector<std::uint32_t> offsets;
    auto damage = reader->ReadAll([&](const HistoryRecordView& r) { offsets.push_back(static_cast<std::uint32_t>(r.Offset)); });
    ASSERT_TRUE(damage.ok());
    EXPECT_TRUE(damage->empty());
    ASSERT_EQ(offsets.size(), 500u);
    EXPECT_EQ(offsets.front(), kHistoryHeaderSize);

    // The history replaced (as the program saves a file: a new one renamed over it)
    // by an empty one after the first reading.
    WriteBytes(dir.path() / "RIREKI13.NEW", "RRK1");
    std::filesystem::rename(dir.path() / "RIREKI13.NEW", path);
    const auto copy = [](const HistoryRecordView& r) {
        return HistoryRecord{r.Sequence, std::string(r.When), r.Operation, r.Target, r.UndoOf,
                             std::vector<std::byte>(r.OldBytes.begin(), r.OldBytes.end()),
                             std::vector<std::byte>(r.NewBytes.begin(), r.NewBytes.end())};
    };
    std::vector<std::uint32_t> newestFirst(offsets.rbegin(), offsets.rend());
    std::vector<HistoryRecord> again;
    ASSERT_TRUE(reader->ReadAt(newestFirst, [&](const HistoryRecordView& r) { again.push_back(copy(r)); }).ok());
    EXPECT_EQ(again, std::vector<HistoryRecord>(full->Records.rbegin(), full->Records.rend()));

    // Every third, oldest first.
    std::vector<std::uint32_t> some;
    for (std::size_t i = 0; i < offsets.size(); i += 3) some.push_back(offsets[i]);
    again.clear();
    ASSERT_TRUE(reader->ReadAt(some, [&](const HistoryRecordView& r) { again.push_back(copy(r)); }).ok());
    ASSERT_EQ(again.size(), some.size());
    for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i], full->Records[i * 3]);

    int handed = 0;
    const auto count = [&handed](const HistoryRecordView&) { ++handed; };
    const std::vector<std::uint32_t> inside{offsets[7] + 2};
    EXPECT_FALSE(reader->ReadAt(inside, count).ok());
    const std::vector<std::uint32_t> beyond{static_cast<std::uint32_t>(large.size())};
    EXPECT_FALSE(reader->ReadAt(beyond, count).ok());
    const std::vector<std::uint32_t> header{0};
    EXPECT_FALSE(reader->ReadAt(header, count).ok());
    EXPECT_EQ(handed, 0);
}

}  // namespace
}  // namespace tabulo
