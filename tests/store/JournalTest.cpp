#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FileOps.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/RollbackJournal.h"
#include "store/LedgerFile.h"
#include "store/SharedState.h"
#include "tests/support/RollbackJournalWriter.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FakePrompt;
using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::span<const std::byte> AsBytes(const std::string& s) {
    return std::as_bytes(std::span(s.data(), s.size()));
}
std::string Text(const std::vector<std::byte>& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size());
}

class JournalTest : public ::testing::Test {
  protected:
    // A change of two ranges in one file that grows, and a file the operation creates.
    void SetUp() override {
        ledgerBefore = "HEADER" + std::string(30, 'a');
        ledgerAfter = "header" + std::string(20, 'a') + "bbbbbbbbbbZZZZ";
        depositAfter = "NEW FILE";
        changes = {
            FileChange{temp / "KEIRI13.DAT",
                       true,
                       AsBytes(ledgerBefore),
                       AsBytes(ledgerAfter),
                       {{0, 6}, {26, 40}},
                       {}},
            FileChange{temp / "YOKIN13.DAT", false, {}, AsBytes(depositAfter), {{0, 8}}, {}},
        };
    }
    TempFolder temp;
    std::string ledgerBefore, ledgerAfter, depositAfter;
    std::vector<FileChange> changes;
};

TEST_F(JournalTest, HoldsTheOldBytesOfEveryRangeAndTheOldLengths) {
    auto entries = DecodeJournal(EncodeJournal(changes));
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries->size(), 2u);
    const JournalEntry& ledger = (*entries)[0];
    EXPECT_EQ(ledger.name, "KEIRI13.DAT");
    EXPECT_TRUE(ledger.existed);
    EXPECT_EQ(ledger.oldLength, 36u);
    ASSERT_EQ(ledger.ranges.size(), 2u);
    EXPECT_EQ(Text(ledger.ranges[0].oldBytes), "HEADER");
    EXPECT_EQ(ledger.ranges[1].offset, 26u);
    // Only the part that lay inside the old file: the rest goes with the old length.
    EXPECT_EQ(Text(ledger.ranges[1].oldBytes), "aaaaaaaaaa");
    EXPECT_FALSE((*entries)[1].existed);
    EXPECT_EQ((*entries)[1].oldLength, 0u);
}

// Puts a decoded journal's old bytes back into `bytes`.
std::string RolledBack(std::string bytes, const JournalEntry& e) {
    for (const JournalRange& r : e.ranges)
        for (std::size_t i = 0; i < r.oldBytes.size(); ++i)
            bytes[r.offset + i] = static_cast<char>(r.oldBytes[i]);
    bytes.resize(e.oldLength);
    return bytes;
}

TEST(JournalTouchedRuns, RunsTheWriterTouchedRestoreTheSameBytesAsAComparison) {
    // Lines of 42 bytes whose balances (4 bytes each) move, one line rewritten
    // whole, a balance written back unchanged and the file grown by a line.
    std::string before(8 + 42 * 20, 'x');
    for (std::size_t i = 0; i < before.size(); ++i) before[i] = static_cast<char>('a' + i % 23);
    std::string after = before + std::string(42, 'n');
    std::vector<ByteRange> touched = {{0, 8}};
    for (std::size_t line = 3; line < 21; ++line) {
        const std::size_t at = 8 + 42 * line + 22;
        touched.push_back({at, at + 4});
        if (line == 9) continue;  // written with the value it had
        for (std::size_t i = 0; i < 4; ++i) after[at + i] = static_cast<char>('0' + line % 10);
    }
    // Line 2 rewritten whole, with only its first and last bytes different.
    after[8 + 42 * 2] = '!';
    after[8 + 42 * 2 + 41] = '?';
    touched.insert(touched.begin() + 1, ByteRange{8 + 42 * 2, 8 + 42 * 3});
    after[3] = 'H';
    const ByteRange whole{0, after.size()};
    FileChange compared{"KEIRI13.DAT", true, AsBytes(before), AsBytes(after), {whole}, {}};
    FileChange known = compared;
    known.touched = touched;
    auto fromCompare = DecodeJournal(EncodeJournal({&compared, 1}));
    auto fromTouched = DecodeJournal(EncodeJournal({&known, 1}));
    ASSERT_TRUE(fromCompare.ok());
    ASSERT_TRUE(fromTouched.ok());
    EXPECT_EQ(RolledBack(after, (*fromTouched)[0]), before);
    EXPECT_EQ(RolledBack(after, (*fromCompare)[0]), before);
    // Short runs are kept whole (the header, the balances of lines 3-19; line 20
    // lies past the old length); the rewritten line was compared: two bytes.
    std::size_t kept = 0;
    for (const JournalRange& r : (*fromTouched)[0].ranges) kept += r.oldBytes.size();
    EXPECT_EQ(kept, 8u + 2u + 17u * 4u);

    // Runs out of order are not trusted: the journal compares instead.
    FileChange shuffled = known;
    std::swap(shuffled.touched[1], shuffled.touched[2]);
    auto fromShuffled = DecodeJournal(EncodeJournal({&shuffled, 1}));
    ASSERT_TRUE(fromShuffled.ok());
    EXPECT_EQ(RolledBack(after, (*fromShuffled)[0]), before);
}

TEST_F(JournalTest, AJournalCutShortOrChangedIsNeverTakenForWhole) {
    const std::vector<std::byte> whole = EncodeJournal(changes);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<std::byte> torn(whole.begin(),
                                    whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(DecodeJournal(torn).ok()) << "cut at " << cut;
    }
    for (std::size_t at = 0; at < whole.size(); ++at) {
        std::vector<std::byte> changed = whole;
        changed[at] ^= std::byte{0x01};
        EXPECT_FALSE(DecodeJournal(changed).ok()) << "byte " << at;
    }
}

TEST_F(JournalTest, ANameLeavingTheFolderIsRefused) {
    std::string outside = "x";
    std::vector<FileChange> bad = {
        FileChange{temp / "sub" / "..", true, AsBytes(outside), AsBytes(outside), {{0, 1}}, {}}};
    EXPECT_FALSE(DecodeJournal(EncodeJournal(bad)).ok());
}

TEST_F(JournalTest, RecoveryPutsBackTheOldBytesAndLengthsAndRemovesNewFiles) {
    // Cut short after the ledger was written and part of the new file.
    WriteBytes(temp / "KEIRI13.DAT", ledgerAfter);
    WriteBytes(temp / "YOKIN13.DAT", depositAfter.substr(0, 3));
    const fs::path journal = temp / "KEIRI13.JNL";
    WriteBytes(journal, Text(EncodeJournal(changes)));
    auto r = RecoverJournal(journal);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, Recovery::RolledBack);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
    EXPECT_FALSE(fs::exists(temp / "YOKIN13.DAT"));
    EXPECT_FALSE(fs::exists(journal));
    // Rolling back is repeatable: a journal found again after a cut during recovery
    // gives the same files.
    WriteBytes(journal, Text(EncodeJournal(changes)));
    ASSERT_TRUE(RecoverJournal(journal).ok());
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
    EXPECT_EQ(*RecoverJournal(journal), Recovery::None);
}

TEST_F(JournalTest, ATornJournalIsRemovedAndTheFilesLeftAlone) {
    WriteBytes(temp / "KEIRI13.DAT", ledgerBefore);
    const fs::path journal = temp / "KEIRI13.JNL";
    const std::string whole = Text(EncodeJournal(changes));
    WriteBytes(journal, whole.substr(0, whole.size() / 2));
    auto r = RecoverJournal(journal);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, Recovery::TornRemoved);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
    EXPECT_FALSE(fs::exists(journal));
}

TEST_F(JournalTest, ACommitIsTwoFlushesOfTheLogAndAFailedOneLeavesTheOldFiles) {
    WriteBytes(temp / "KEIRI13.DAT", ledgerBefore);
    const fs::path journal = temp / "KEIRI13.JNL";
    testing::FaultyFiles first;
    {
        ScopedFileOps use(first);
        ASSERT_TRUE(CommitChanges(journal, changes).ok());
    }
    // A new log: the record's flush, its folder's, then the checksum's.
    EXPECT_EQ(first.flushCalls.size(), 3u);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerAfter);
    EXPECT_EQ(ReadBytes(temp / "YOKIN13.DAT"), depositAfter);
    // The log keeps the record; this program has written it into the files, so
    // nothing is left for a read of its own to settle.
    EXPECT_EQ(ReadBytes(journal).substr(0, 8), "TABJRNL3");
    EXPECT_FALSE(JournalIsLive(journal));

    // The next operation appends to the log and flushes nothing else.
    std::vector<FileChange> back = {FileChange{temp / "KEIRI13.DAT", true, AsBytes(ledgerAfter),
                                               AsBytes(ledgerBefore), {{0, 36}}, {}}};
    testing::FaultyFiles second;
    {
        ScopedFileOps use(second);
        ASSERT_TRUE(CommitChanges(journal, back).ok());
    }
    // The record, then its checksum: two flushes, both of the log.
    EXPECT_EQ(second.flushCalls.size(), 2u);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
    // Settling writes nothing new, flushes the files and empties the log.
    EXPECT_EQ(*RecoverJournal(journal, AfterRecovery::Keep), Recovery::Completed);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
    EXPECT_EQ(ReadBytes(temp / "YOKIN13.DAT"), depositAfter);
    EXPECT_EQ(ReadBytes(journal), "TABJRNL3");
    EXPECT_EQ(*RecoverJournal(journal, AfterRecovery::Keep), Recovery::None);

    // Each call of a commit failing in turn (a full disk, an I/O error): the old files,
    // and nothing for the next read to undo.
    int tried = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " fails");
        fs::remove(journal);
        WriteBytes(temp / "KEIRI13.DAT", ledgerBefore);
        fs::remove(temp / "YOKIN13.DAT");
        testing::FaultyFiles files(n, testing::Fault::Fail);
        Status st = Ok();
        {
            ScopedFileOps use(files);
            st = CommitChanges(journal, changes);
        }
        if (!files.reached) break;
        ++tried;
        EXPECT_FALSE(st.ok());
        EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
        EXPECT_FALSE(fs::exists(temp / "YOKIN13.DAT"));
        EXPECT_FALSE(JournalIsLive(journal));
        EXPECT_EQ(*RecoverJournal(journal), Recovery::None);
        EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledgerBefore);
        EXPECT_FALSE(fs::exists(journal));
    }
    EXPECT_GE(tried, 6);
}

// A disk that keeps failing from the log's flush on: the operation is reported as
// failed and nothing can be taken back out, yet no later read, however fresh, finds
// the record whole and writes it into the files.
TEST_F(JournalTest, ARecordWhoseOperationWasReportedFailedIsNeverReplayed) {
    for (const bool appended : {false, true}) {
        SCOPED_TRACE(appended ? "appended to a log" : "a new log");
        // The same folder made afresh: the ledger, and for `appended` an earlier
        // operation already in the log (the ledger rewritten as it was).
        auto fresh = [&](const fs::path& folder) {
            fs::remove_all(folder);
            fs::create_directories(folder);
            WriteBytes(folder / "KEIRI13.DAT", ledgerBefore);
            std::vector<FileChange> there = changes;
            for (FileChange& c : there) c.path = folder / c.path.filename();
            if (appended) {
                std::vector<FileChange> same = {FileChange{folder / "KEIRI13.DAT", true, AsBytes(ledgerBefore),
                                                           AsBytes(ledgerBefore), {{0, 36}}, {}}};
                EXPECT_TRUE(CommitChanges(folder / "KEIRI13.JNL", same).ok());
            }
            return there;
        };
        // Which call is the commit's first flush: the same commit made once unharmed.
        testing::FaultyFiles probe;
        {
            std::vector<FileChange> there = fresh(temp / "probe");
            ScopedFileOps use(probe);
            ASSERT_TRUE(CommitChanges(temp / "probe" / "KEIRI13.JNL", there).ok());
        }
        ASSERT_FALSE(probe.flushCalls.empty());
        // That flush, and every call after it, fails.
        const fs::path folder = temp / (appended ? "appended" : "new");
        std::vector<FileChange> there = fresh(folder);
        testing::FaultyFiles sticky(probe.flushCalls.front(), testing::Fault::Stop);
        Status st = Ok();
        {
            ScopedFileOps use(sticky);
            st = CommitChanges(folder / "KEIRI13.JNL", there);
        }
        ASSERT_TRUE(sticky.reached);
        EXPECT_FALSE(st.ok());
        EXPECT_EQ(ReadBytes(folder / "KEIRI13.DAT"), ledgerBefore);
        // The next start: the disk as it was left, read by a program that remembers
        // nothing of the failure.
        const fs::path next = temp / "next";
        fs::remove_all(next);
        fs::create_directories(next);
        fs::copy_file(folder / "KEIRI13.DAT", next / "KEIRI13.DAT");
        fs::copy_file(folder / "KEIRI13.JNL", next / "KEIRI13.JNL");
        auto settled = RecoverJournal(next / "KEIRI13.JNL");
        ASSERT_TRUE(settled.ok());
        EXPECT_EQ(*settled, Recovery::RolledBack);
        EXPECT_EQ(ReadBytes(next / "KEIRI13.DAT"), ledgerBefore);
        EXPECT_FALSE(fs::exists(next / "YOKIN13.DAT"));
        // And this program, reading on, does the same.
        ASSERT_TRUE(RecoverJournal(folder / "KEIRI13.JNL").ok());
        EXPECT_EQ(ReadBytes(folder / "KEIRI13.DAT"), ledgerBefore);
        EXPECT_FALSE(fs::exists(folder / "YOKIN13.DAT"));
    }
}

// A log as its layout says, written here byte by byte: the mark, then one record
// (u32 length of the body, u64 checksum of the body mixed with the record's place)
// with one file and two runs.
std::string HandWrittenLog(std::uint64_t oldLength, bool goodSum) {
    auto le = [](std::uint64_t v, int width) {
        std::string out;
        for (int i = 0; i < width; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
        return out;
    };
    std::string body = le(1, 4) + le(11, 2) + "KEIRI13.DAT" + le(1, 1) + le(oldLength, 8) +
                       le(40, 8) + le(2, 4);
    body += le(0, 4) + le(6, 2) + "HEADER" + "header";           // bytes 0..5
    body += le(30, 4) + le(4, 2) + "ZZZZ";                        // 36..39, new only
    std::uint64_t sum = JournalBodyChecksum(AsBytes(body)) ^ (8 * 0x9E3779B97F4A7C15ull);
    if (!goodSum) sum ^= 1;
    return "TABJRNL3" + le(body.size(), 4) + le(sum, 8) + body;
}

TEST(RedoLog, ARecordIsWrittenIntoTheFilesAgainWhereverTheyDoNotHoldItYet) {
    TempFolder temp;
    const fs::path journal = temp / "KEIRI13.JNL";
    const std::string before = "HEADER" + std::string(30, 'a');
    const std::string after = "header" + std::string(30, 'a') + "ZZZZ";
    // The record reached the log; of the files' writes, none, the first, or all.
    for (const std::string& now : {before, "header" + std::string(30, 'a'), after}) {
        SCOPED_TRACE(now);
        WriteBytes(temp / "KEIRI13.DAT", now);
        WriteBytes(journal, HandWrittenLog(36, true));
        EXPECT_EQ(*InspectJournal(journal), Recovery::Completed);
        EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), now);  // looking writes nothing
        EXPECT_EQ(*RecoverJournal(journal), Recovery::Completed);
        EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), after);
        EXPECT_FALSE(fs::exists(journal));
    }
    // The record's own write cut short: the files never saw it; the operation is
    // reported as undone.
    WriteBytes(temp / "KEIRI13.DAT", before);
    std::string torn = HandWrittenLog(36, true);
    WriteBytes(journal, torn.substr(0, torn.size() - 3));
    EXPECT_EQ(*RecoverJournal(journal), Recovery::RolledBack);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), before);
    WriteBytes(journal, HandWrittenLog(36, false));
    EXPECT_EQ(*RecoverJournal(journal), Recovery::RolledBack);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), before);
    // Files that hold neither (restored from a copy, replaced by hand) are kept and
    // the log is set aside.
    const std::string other = "HEADEX" + std::string(30, 'a');
    WriteBytes(temp / "KEIRI13.DAT", other);
    WriteBytes(journal, HandWrittenLog(36, true));
    auto settled = SettleJournal(journal);
    ASSERT_TRUE(settled.ok());
    EXPECT_EQ(settled->outcome, Recovery::SetAside);
    EXPECT_EQ(settled->setAsideAs, temp / "KEIRI13-ASIDE1.JNL");
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), other);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13-ASIDE1.JNL"), HandWrittenLog(36, true));
    // So is a file longer than any length the log gave it.
    fs::remove(temp / "KEIRI13-ASIDE1.JNL");
    WriteBytes(temp / "KEIRI13.DAT", after + "x");
    WriteBytes(journal, HandWrittenLog(36, true));
    EXPECT_EQ(*RecoverJournal(journal), Recovery::SetAside);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), after + "x");
}

// A record with a good checksum whose old length lies far beyond what a ledger can
// be: the log is damaged and goes; nothing is extended.
TEST(RedoLog, ARecordBeyondTheFilesLimitsIsRemovedAsDamaged) {
    TempFolder temp;
    const fs::path journal = temp / "KEIRI13.JNL";
    const std::string ledger = "HEADER" + std::string(30, 'a');
    WriteBytes(temp / "KEIRI13.DAT", ledger);
    WriteBytes(journal, HandWrittenLog(1ull << 40, true));
    EXPECT_EQ(*InspectJournal(journal), Recovery::TornRemoved);
    EXPECT_EQ(*RecoverJournal(journal), Recovery::TornRemoved);
    EXPECT_EQ(fs::file_size(temp / "KEIRI13.DAT"), ledger.size());
    EXPECT_FALSE(fs::exists(journal));
}

// Many operations: the log is settled whenever it would grow past its limit, and
// the files always end as the last operation left them.
TEST(RedoLog, AFullLogIsSettledBeforeItGrowsFurther) {
    TempFolder temp;
    const fs::path journal = temp / "KEIRI13.JNL";
    SetJournalSettleSize(300);
    std::string ledger(600, 'a');
    WriteBytes(temp / "KEIRI13.DAT", ledger);
    std::size_t longest = 0;
    for (int k = 0; k < 40; ++k) {
        std::string next = ledger;
        next[static_cast<std::size_t>(k * 13 % 600)] = static_cast<char>('A' + k % 26);
        if (k % 7 == 3) next += std::string(50, 'n');     // grows
        if (k % 7 == 5) next.resize(next.size() - 20);    // shrinks
        std::vector<FileChange> c = {FileChange{temp / "KEIRI13.DAT", true, AsBytes(ledger),
                                                AsBytes(next), {{0, next.size()}}, {}}};
        testing::FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            ASSERT_TRUE(CommitChanges(journal, c).ok());
        }
        ledger = next;
        longest = std::max<std::size_t>(longest, fs::file_size(journal));
        EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledger);
    }
    SetJournalSettleSize(kJournalSettleSize);
    EXPECT_LE(longest, 300u + 200u);  // one record past the limit at most
    EXPECT_EQ(*RecoverJournal(journal), Recovery::Completed);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), ledger);
}

// Settling a log this program wrote takes the files as holding it only while they are
// as it left them: a file changed since by another hand is measured against the log,
// which then does not fit and is set aside, the file kept as that hand left it.
TEST(RedoLog, AFileChangedSinceItsWriteIsMeasuredWhenTheLogIsSettled) {
    TempFolder temp;
    const fs::path journal = temp / "KEIRI13.JNL";
    const std::string before(600, 'a');
    std::string after = before;
    after[100] = 'B';
    WriteBytes(temp / "KEIRI13.DAT", before);
    std::vector<FileChange> c = {FileChange{temp / "KEIRI13.DAT", true, AsBytes(before),
                                            AsBytes(after), {{100, 101}}, {}}};
    ASSERT_TRUE(CommitChanges(journal, c).ok());
    ASSERT_FALSE(JournalIsLive(journal));  // the program's own log, its file as written
    const std::string byHand = std::string(100, 'x') + "C" + std::string(300, 'x');
    WriteBytes(temp / "KEIRI13.DAT", byHand);
    auto settled = SettleJournal(journal, AfterRecovery::Keep);
    ASSERT_TRUE(settled.ok());
    EXPECT_EQ(settled->outcome, Recovery::SetAside);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), byHand);
    EXPECT_FALSE(fs::exists(journal));
}

// A log left by another run of the program (its files not yet known to hold it) is
// settled before a new record goes in.
TEST_F(JournalTest, ALogFromAnotherRunIsSettledBeforeTheNextOperation) {
    const fs::path journal = temp / "KEIRI13.JNL";
    WriteBytes(temp / "KEIRI13.DAT", "HEADER" + std::string(30, 'a'));
    WriteBytes(journal, HandWrittenLog(36, true));
    EXPECT_TRUE(JournalIsLive(journal));
    const std::string settled = "header" + std::string(30, 'a') + "ZZZZ";
    std::string next = settled;
    next[10] = 'q';
    std::vector<FileChange> c = {FileChange{temp / "KEIRI13.DAT", true, AsBytes(settled),
                                            AsBytes(next), {{10, 11}}, {}}};
    ASSERT_TRUE(CommitChanges(journal, c).ok());
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), next);
    EXPECT_EQ(*RecoverJournal(journal), Recovery::Completed);
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DAT"), next);
}

TEST_F(JournalTest, AShorterJournalInAKeptFileEndsWhereItsLengthSays) {
    const std::string journal = Text(EncodeJournal(changes));
    std::string kept(5000, 'z');
    kept.replace(0, journal.size(), journal);
    auto entries = DecodeJournal(AsBytes(kept));
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ(entries->size(), 2u);
}

// Reading the data finds the journal of an operation that was cut short.
class ReadWithJournal : public ::testing::Test {
  protected:
    void SetUp() override {
        s.ProgramFolder = temp / "prog";
        s.SetupLines = {"", "A", "2000", "0", "0", "0", "0", "0", "0"};
        FillKubunNames(s);
        disk = s.ProgramFolder / "drives" / "A" / "KEIRIDATA";
        fs::create_directories(disk);
        for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"})
            fs::copy_file(FixturePath(name), disk / name);
        WriteBytes(disk / "KEIRI13.DA2", "never touched");
        ledger = ReadBytes(disk / "KEIRI13.DAT");
        deposit = ReadBytes(disk / "YOKIN13.DAT");
    }
    TempFolder temp;
    SharedState s;
    FakePrompt prompt;
    fs::path disk;
    std::string ledger, deposit;
};

TEST_F(ReadWithJournal, AnInterruptedOperationIsUndoneAndTheUserToldOnce) {
    // A post with a deposit correction that was killed after the ledger was written.
    std::string newLedger = ledger, newDeposit = deposit;
    newLedger[2] = '\x7f';
    newDeposit[760] = '\x55';
    std::vector<FileChange> changes = {
        FileChange{disk / "KEIRI13.DAT", true, AsBytes(ledger), AsBytes(newLedger), {{0, 18}}, {}},
        FileChange{
            disk / "YOKIN13.DAT", true, AsBytes(deposit), AsBytes(newDeposit), {{760, 761}}, {}},
    };
    WriteBytes(disk / "KEIRI13.JNL", Text(EncodeJournal(changes)));
    WriteBytes(disk / "KEIRI13.DAT", newLedger);

    ReadDataSet(s, prompt, {});
    EXPECT_EQ(s.DataLoaded, 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, kRecoveredMessage);
    EXPECT_EQ(prompt.shown[0].title, "復旧確認");
    EXPECT_EQ(ReadBytes(disk / "KEIRI13.DAT"), ledger);
    EXPECT_EQ(ReadBytes(disk / "YOKIN13.DAT"), deposit);
    EXPECT_FALSE(fs::exists(disk / "KEIRI13.JNL"));
    EXPECT_EQ(ReadBytes(disk / "KEIRI13.DA2"), "never touched");

    prompt.Clear();
    ReadDataSet(s, prompt, {});
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ReadWithJournal, AnOperationThatWroteEverythingStaysDone) {
    // Both files written and flushed; only the cleared mark was lost to a power cut.
    std::string newLedger = ledger, newDeposit = deposit;
    newLedger[2] = '\x7f';
    newDeposit[760] = '\x55';
    std::vector<FileChange> changes = {
        FileChange{disk / "KEIRI13.DAT", true, AsBytes(ledger), AsBytes(newLedger), {{0, 18}}, {}},
        FileChange{
            disk / "YOKIN13.DAT", true, AsBytes(deposit), AsBytes(newDeposit), {{760, 761}}, {}},
    };
    WriteBytes(disk / "KEIRI13.JNL", Text(EncodeJournal(changes)));
    WriteBytes(disk / "KEIRI13.DAT", newLedger);
    WriteBytes(disk / "YOKIN13.DAT", newDeposit);
    EXPECT_EQ(*InspectJournal(disk / "KEIRI13.JNL"), Recovery::Completed);
    ReadDataSet(s, prompt, {});
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(ReadBytes(disk / "KEIRI13.DAT"), newLedger);
    EXPECT_EQ(ReadBytes(disk / "YOKIN13.DAT"), newDeposit);
    EXPECT_FALSE(fs::exists(disk / "KEIRI13.JNL"));
}

TEST_F(ReadWithJournal, ATornJournalGoesWithoutAWord) {
    WriteBytes(disk / "KEIRI13.JNL", "TABJRNL2\x01");
    ReadDataSet(s, prompt, {});
    EXPECT_EQ(s.DataLoaded, 1);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(fs::exists(disk / "KEIRI13.JNL"));
    EXPECT_EQ(ReadBytes(disk / "KEIRI13.DAT"), ledger);
}

TEST(LedgerFileJournal, ACommitWritesTheLedgerAloneAndLeavesNoJournal) {
    TempFolder temp;
    const fs::path path = temp / "KEIRI13.DAT";
    WriteBytes(temp / "KEIRI13.DA2", "x");
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    LedgerHeaderRecord h;
    h.LineCount = 1;
    f->WriteHeader(h);
    ASSERT_TRUE(f->WriteLine(1, BlankLedgerLine(5)).ok());
    ASSERT_TRUE(f->Commit().ok());
    EXPECT_EQ(fs::file_size(path), 18u + 42u);
    EXPECT_FALSE(JournalIsLive(temp / "KEIRI13.JNL"));
    EXPECT_EQ(ReadBytes(temp / "KEIRI13.DA2"), "x");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(temp.path()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names.size(), 3u);  // the ledger, the journal kept for the next one, .DA2
}

// A file that shrinks, given one range over its old length (as the undo's whole-file
// changes give it): only the new bytes are written, never bytes past their end, and a
// file cut to nothing is cut, not refused.
TEST(JournalShrinkingFile, ARangePastTheNewLengthWritesOnlyTheNewBytes) {
    TempFolder temp;
    const std::string before = "FRK1" + std::string(40, 'x'), shorter = "FRK1abc";
    WriteBytes(temp / "FURIKAE13.DAT", before);
    const FileChange cut{temp / "FURIKAE13.DAT", true, AsBytes(before), AsBytes(shorter),
                         {{0, before.size()}}, {}};
    ASSERT_TRUE(CommitChanges(temp / "KEIRI13.JNL", std::span(&cut, 1)));
    EXPECT_EQ(ReadBytes(temp / "FURIKAE13.DAT"), shorter);
    const std::string none;
    const FileChange emptied{temp / "FURIKAE13.DAT", true, AsBytes(shorter), AsBytes(none),
                             {{0, shorter.size()}}, {}};
    ASSERT_TRUE(CommitChanges(temp / "KEIRI13.JNL", std::span(&emptied, 1)));
    EXPECT_EQ(ReadBytes(temp / "FURIKAE13.DAT"), "");
}

}  // namespace
}  // namespace tabulo
