#include "store/LedgerFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <filesystem>

#include "store/BinaryRecords.h"
#include "store/Journal.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class LedgerFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = temp / "KEIRI13.DAT";
        original = ReadBytes(FixturePath("KEIRI13.DAT"));
        WriteBytes(path, original);
    }
    TempFolder temp;
    std::filesystem::path path;
    std::string original;
};

TEST_F(LedgerFileTest, ReadsTheFixture) {
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->Size(), 18u + 3 * 42);
    auto h = f->ReadHeader();
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h->LineCount, 3);
    auto l2 = f->ReadLine(2);
    ASSERT_TRUE(l2.ok());
    EXPECT_EQ(l2->NenGetsuBi, "130402");
    EXPECT_EQ(l2->Youbi, "（月）");
    EXPECT_EQ(l2->Outdata, 1200);
    EXPECT_EQ(l2->Bikou, "ABC             ");
    auto l3 = f->ReadLine(3);
    ASSERT_TRUE(l3.ok());
    EXPECT_EQ(*l3, BlankLedgerLine(13800));
    EXPECT_FALSE(f->ReadLine(4).ok());
    EXPECT_FALSE(f->ReadLine(0).ok());
}

TEST_F(LedgerFileTest, RewritingEveryLineUnchangedKeepsEveryByte) {
    {
        auto f = LedgerFile::Open(path);
        ASSERT_TRUE(f.ok());
        f->WriteHeader(*f->ReadHeader());
        for (int n = 1; n <= 3; ++n) ASSERT_TRUE(f->WriteLine(n, *f->ReadLine(n)).ok());
        ASSERT_TRUE(f->Commit().ok());
    }
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(LedgerFileTest, NothingReachesTheFileWithoutCommit) {
    {
        auto f = LedgerFile::Open(path);
        ASSERT_TRUE(f.ok());
        LedgerLine line = *f->ReadLine(1);
        line.Indata = 999;
        ASSERT_TRUE(f->WriteLine(1, line).ok());
        ASSERT_TRUE(f->WriteLine(5, line).ok());
        // Pending changes are visible to the same operation.
        EXPECT_EQ(f->ReadLine(1)->Indata, 999);
        EXPECT_EQ(f->Size(), 18u + 5 * 42);
    }
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(LedgerFileTest, DiscardDropsPendingChanges) {
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    LedgerLine line = *f->ReadLine(2);
    line.Bikou = "変更";
    ASSERT_TRUE(f->WriteLine(2, line).ok());
    f->Discard();
    EXPECT_EQ(f->ReadLine(2)->Bikou, "ABC             ");
    ASSERT_TRUE(f->Commit().ok());
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(LedgerFileTest, CommitWritesOnlyTheChangedLine) {
    {
        auto f = LedgerFile::Open(path);
        ASSERT_TRUE(f.ok());
        LedgerLine line = *f->ReadLine(2);
        line.Zandaka = 1;
        ASSERT_TRUE(f->WriteLine(2, line).ok());
        ASSERT_TRUE(f->Commit().ok());
    }
    std::string now = ReadBytes(path);
    std::string expected = original;
    expected.replace(18 + 42 + 22, 4, std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(now, expected);
}

TEST_F(LedgerFileTest, LinePastTheEndLeavesBlankLinesBetween) {
    {
        auto f = LedgerFile::Open(path);
        ASSERT_TRUE(f.ok());
        LedgerLine line = *f->ReadLine(1);
        ASSERT_TRUE(f->WriteLine(5, line).ok());
        ASSERT_TRUE(f->Commit().ok());
    }
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->Size(), 18u + 5 * 42);
    EXPECT_EQ(*f->ReadLine(4), BlankLedgerLine(0));
    EXPECT_EQ(f->ReadLine(5)->NenGetsuBi, "130401");
    EXPECT_EQ(ReadBytes(path).substr(0, original.size()), original);
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(LedgerFileTest, FullDiskAtCommitLeavesTheFileAsItWas) {
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    LedgerLine line = *f->ReadLine(1);
    line.Indata = 1;
    ASSERT_TRUE(f->WriteLine(1, line).ok());
    for (int n = 4; n <= 10; ++n) ASSERT_TRUE(f->WriteLine(n, line).ok());
    Status st = Ok();
    {
        FileSizeLimit limit(200);  // room for the old 144 bytes and a little more
        st = f->Commit();
    }
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, FileErrorCode::DiskFull);
    // The journal, holding the new bytes, is written first and meets the full disk.
    EXPECT_EQ(st.error().path, JournalPathFor(path).string());
    EXPECT_EQ(ReadBytes(path), original);
}

TEST(LedgerFileNew, OpenCreatesAnEmptyFileAndHeaderReadsAsZero) {
    TempFolder temp;
    auto path = temp / "KEIRI05.DAT";
    {
        auto f = LedgerFile::Open(path);
        ASSERT_TRUE(f.ok());
        EXPECT_EQ(f->Size(), 0u);
        auto h = f->ReadHeader();
        ASSERT_TRUE(h.ok());
        EXPECT_EQ(*h, LedgerHeaderRecord{});
        EXPECT_FALSE(f->ReadLine(1).ok());
    }
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(LedgerFileNew, HeaderOnlyFileForANewYear) {
    TempFolder temp;
    auto path = temp / "KEIRI14.DAT";
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    f->WriteHeader(LedgerHeaderRecord{});
    ASSERT_TRUE(f->Commit().ok());
    EXPECT_EQ(ReadBytes(path), std::string(18, '\0'));
}

TEST(LedgerFileNew, ShortHeaderIsReported) {
    TempFolder temp;
    auto path = temp / "KEIRI13.DAT";
    WriteBytes(path, std::string("\x03\x00\x10", 3));
    auto f = LedgerFile::Open(path);
    ASSERT_TRUE(f.ok());
    auto h = f->ReadHeader();
    ASSERT_FALSE(h.ok());
    EXPECT_EQ(h.error().path, path.string());
}

TEST_F(LedgerFileTest, ReadOnlyOpenWritesNothingAndCreatesNothing) {
    // The command line's open: the file reads, a commit fails and changes nothing,
    // and no journal is made. (Root could write a write-protected file: the mode of
    // the open, not the file's permissions, is what keeps it unchanged.)
    auto f = LedgerFile::Open(path, LedgerFile::Access::ReadOnly);
    ASSERT_TRUE(f.ok());
    ASSERT_TRUE(f->ReadLine(3).ok());
    f->SetBalance(1, 1);
    EXPECT_FALSE(f->Commit().ok());
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(std::filesystem::exists(temp / "KEIRI13.JNL"));
    auto missing = LedgerFile::Open(temp / "KEIRI14.DAT", LedgerFile::Access::ReadOnly);
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().path.find("KEIRI14.DAT"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp / "KEIRI14.DAT"));
}

TEST_F(LedgerFileTest, TheLargestLedgerOpensAndOneByteMoreDoesNot) {
    std::filesystem::resize_file(path, kMaxLedgerFileSize);
    EXPECT_TRUE(LedgerFile::Open(path).ok());
    std::filesystem::resize_file(path, kMaxLedgerFileSize + 1);
    auto f = LedgerFile::Open(path);
    ASSERT_FALSE(f.ok());
    EXPECT_EQ(f.error().path, path.string());
    EXPECT_EQ(std::filesystem::file_size(path), kMaxLedgerFileSize + 1);
}

TEST(LedgerFileNew, MissingFolderIsAnError) {
    TempFolder temp;
    auto f = LedgerFile::Open(temp / "nowhere" / "KEIRI13.DAT");
    ASSERT_FALSE(f.ok());
    EXPECT_NE(f.error().path.find("KEIRI13.DAT"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
