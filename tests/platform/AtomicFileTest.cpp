#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::span<const std::byte> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

int FilesIn(const fs::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
};

TEST(AtomicSave, ReplacesTheWholeFile) {
    TempFolder temp;
    auto path = temp / "MASTER.DAT";
    WriteBytes(path, "old contents that are longer");
    ASSERT_TRUE(AtomicSave(path, Bytes("new")).ok());
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(FilesIn(temp.path()), 1);
    ASSERT_TRUE(AtomicSave(temp / "NEW.DAT", Bytes("")).ok());
    EXPECT_TRUE(fs::exists(temp / "NEW.DAT"));
}

TEST(AtomicSave, FullDiskLeavesTheOldFile) {
    TempFolder temp;
    auto path = temp / "SHINKOKU.DAT";
    WriteBytes(path, "old");
    Status st = Ok();
    {
        FileSizeLimit limit(100);
        st = AtomicSave(path, Bytes(std::string(5000, 'x')));
    }
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, FileErrorCode::DiskFull);
    EXPECT_EQ(st.error().path, path.string());
    EXPECT_TRUE(st.error().writing);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FilesIn(temp.path()), 1);  // no half-written file left beside it
}

TEST(AtomicSave, MissingFolderIsAnErrorNamingTheFile) {
    TempFolder temp;
    auto st = AtomicSave(temp / "gone" / "DATE.DAT", Bytes("x"));
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().path.find("DATE.DAT"), std::string::npos);
}

TEST(AtomicSave, TargetThatIsAFolderStaysAndNoTempRemains) {
    TempFolder temp;
    fs::create_directories(temp / "YOKIN13.DAT");
    auto st = AtomicSave(temp / "YOKIN13.DAT", Bytes("x"));
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(fs::is_directory(temp / "YOKIN13.DAT"));
    EXPECT_EQ(FilesIn(temp.path()), 1);
}

TEST(ReadWholeFile, MissingReadsEmptyFolderIsError) {
    TempFolder temp;
    auto missing = ReadWholeFile(temp / "none");
    ASSERT_TRUE(missing.ok());
    EXPECT_TRUE(missing->empty());
    WriteBytes(temp / "f", std::string("a\0b", 3));
    auto f = ReadWholeFile(temp / "f");
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->size(), 3u);
    EXPECT_FALSE(ReadWholeFile(temp.path()).ok());
}

TEST(ReadWholeFile, OnlyARegularFileWithinTheLimitIsRead) {
    TempFolder temp;
    WriteBytes(temp / "f", "12345");
    EXPECT_EQ(ReadWholeFile(temp / "f", 5)->size(), 5u);
    auto large = ReadWholeFile(temp / "f", 4);
    ASSERT_FALSE(large.ok());
    EXPECT_EQ(large.error().path, (temp / "f").string());
    // A sparse file far larger than any file of the program is refused unread.
    fs::resize_file(temp / "f", 8ull << 30);
    EXPECT_FALSE(ReadWholeFile(temp / "f").ok());
    // A FIFO is not waited on; a link to an endless device is not read.
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    auto fifo = ReadWholeFile(temp / "fifo");
    ASSERT_FALSE(fifo.ok());
    EXPECT_EQ(fifo.error().path, (temp / "fifo").string());
    fs::create_symlink("/dev/zero", temp / "zero");
    EXPECT_FALSE(ReadWholeFile(temp / "zero").ok());
}

}  // namespace
}  // namespace tabulo
