// What a careless command line or a damaged disk brings to tabulo-cli: an output
// file that would land on the books, an existing file, a link or a device as the
// output; ledgers that are huge, endless or no file at all; sums that overflow; a
// layout with absurd values. Each is refused with status 2 and a message naming the
// file, and every file of the data folder stays as it was.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/cli/CliRun.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::CliRun;
using testing::Outcome;
using testing::ReadBytes;
using testing::WriteBytes;

// The largest ledger the format allows: the header and 32,767 lines of 42 bytes.
constexpr std::uintmax_t kLargestLedger = 18 + 32767ull * 42;

bool Names(const Outcome& r, const std::string& what) {
    return r.err.find(what) != std::string::npos;
}

// The two commands that write a file, each with the given output.
std::vector<std::vector<std::string>> Writers(const fs::path& year, const std::string& output) {
    return {{"export", "ledger", year.string(), "-o", output},
            {"print", "month", "4", year.string(), "-o", output}};
}

TEST_F(CliRun, OutputOntoTheBooksIsRefusedHoweverItIsSpelt) {
    fs::create_directory_symlink(year, temp / "link-to-year");
    fs::create_directories(temp / "elsewhere");
    fs::create_hard_link(year / "KEIRI13.DAT", temp / "elsewhere" / "same-as-ledger.dat");
    const std::string ledgerBefore = ReadBytes(year / "KEIRI13.DAT");
    const struct {
        std::string output;
        bool force;
        const char* why;
    } cases[] = {
        {(year / "KEIRI13.DAT").string(), false, "the ledger itself"},
        {(year / "KEIRI13.DAT").string(), true, "the ledger itself, with --force"},
        {(year / "MASTER.DAT").string(), true, "the master"},
        {(temp / "elsewhere" / ".." / "KEIRIDATA" / "KEIRI13.DAT").string(), true, "through .."},
        {(temp / "link-to-year" / "YOKIN13.DAT").string(), true, "through a linked folder"},
        {(year / "keiri13.dat").string(), true, "another case"},
        {(year / "report.csv").string(), false, "a new file in the data folder"},
        {(year / "sub" / "report.csv").string(), false, "a folder beneath it"},
        {(temp / "elsewhere" / "same-as-ledger.dat").string(), true, "a hard link to the ledger"},
    };
    for (const auto& c : cases) {
        for (auto args : Writers(year, c.output)) {
            SCOPED_TRACE(std::string(c.why) + ": " + args[0]);
            if (c.force) args.push_back("--force");
            Outcome r = Unchanged(args);
            EXPECT_EQ(r.status, 2) << r.err;
            EXPECT_TRUE(Names(r, c.output)) << r.err;
            EXPECT_TRUE(r.out.empty());
        }
    }
    EXPECT_EQ(ReadBytes(temp / "elsewhere" / "same-as-ledger.dat"), ledgerBefore);
    EXPECT_FALSE(fs::exists(year / "sub"));
}

TEST_F(CliRun, AnExistingOutputFileIsReplacedOnlyWithForce) {
    for (auto args : Writers(year, (temp / "out.file").string())) {
        SCOPED_TRACE(args[0]);
        WriteBytes(temp / "out.file", "kept");
        Outcome r = Unchanged(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_TRUE(Names(r, (temp / "out.file").string())) << r.err;
        EXPECT_TRUE(Names(r, "--force")) << r.err;
        EXPECT_EQ(ReadBytes(temp / "out.file"), "kept");

        args.push_back("--force");
        Outcome forced = Unchanged(args);
        EXPECT_EQ(forced.status, 0) << forced.err;
        const std::string now = ReadBytes(temp / "out.file");
        EXPECT_NE(now, "kept");
        EXPECT_EQ(now.substr(0, 4), args[0] == "print" ? "%PDF" : "\x8d\x73,\x94");
    }
    // --force is for the commands that write a file.
    EXPECT_EQ(Cli({"check", year.string(), "--force"}).status, 2);
}

TEST_F(CliRun, OutputGoesOnlyToARegularFileNeverThroughALinkOrOntoADevice) {
    WriteBytes(temp / "target.csv", "target");
    fs::create_symlink(temp / "target.csv", temp / "link.csv");
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    fs::create_directories(temp / "folder");
    struct stat nullBefore {};
    ASSERT_EQ(::stat("/dev/null", &nullBefore), 0);
    for (const std::string& output : {(temp / "link.csv").string(), (temp / "fifo").string(),
                                     (temp / "folder").string(), std::string("/dev/null")}) {
        for (auto args : Writers(year, output)) {
            SCOPED_TRACE(output + ": " + args[0]);
            args.push_back("--force");
            Outcome r = Unchanged(args);
            EXPECT_EQ(r.status, 2) << r.err;
            EXPECT_TRUE(Names(r, output)) << r.err;
        }
    }
    EXPECT_TRUE(fs::is_symlink(temp / "link.csv"));
    EXPECT_EQ(ReadBytes(temp / "target.csv"), "target");
    EXPECT_TRUE(fs::is_fifo(temp / "fifo"));
    EXPECT_TRUE(fs::is_directory(temp / "folder"));
    struct stat nullAfter {};
    ASSERT_EQ(::stat("/dev/null", &nullAfter), 0);
    EXPECT_TRUE(S_ISCHR(nullAfter.st_mode));
    EXPECT_EQ(nullAfter.st_ino, nullBefore.st_ino);
}

// The ledger as a huge sparse file, one byte larger than any ledger, a link to an
// endless device and a FIFO: every command refuses it by name, without waiting.
TEST_F(CliRun, LedgersThatAreHugeEndlessOrNoFileAreRefusedByName) {
    const fs::path ledger = year / "KEIRI13.DAT";
    const std::string good = ReadBytes(ledger);
    auto sparse = [&](std::uintmax_t size) {
        WriteBytes(ledger, good);
        fs::resize_file(ledger, size);
    };
    const struct {
        const char* why;
        std::function<void()> make;
    } cases[] = {
        {"a sparse file of 8 GB", [&] { sparse(8ull << 30); }},
        {"one byte over the largest ledger", [&] { sparse(kLargestLedger + 1); }},
        {"a link to /dev/zero",
         [&] {
             fs::remove(ledger);
             fs::create_symlink("/dev/zero", ledger);
         }},
        {"a FIFO",
         [&] {
             fs::remove(ledger);
             ASSERT_EQ(::mkfifo(ledger.c_str(), 0600), 0);
         }},
    };
    const std::vector<std::vector<std::string>> commands = {
        {"check", year.string()},
        {"export", "ledger", year.string()},
        {"export", "summary", year.string()},
        {"print", "month", "4", year.string(), "-o", (temp / "m.pdf").string()},
    };
    for (const auto& c : cases) {
        c.make();
        for (const auto& args : commands) {
            SCOPED_TRACE(std::string(c.why) + ": " + args[0] + " " + args[1]);
            Outcome r = Unchanged(args);
            EXPECT_EQ(r.status, 2) << r.out << r.err;
            EXPECT_TRUE(Names(r, ledger.string())) << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
            EXPECT_FALSE(fs::exists(temp / "m.pdf"));
        }
        fs::remove(ledger);
    }
    // The largest ledger the format allows is read (zeros: a year without lines).
    sparse(kLargestLedger);
    Outcome largest = Unchanged({"export", "ledger", year.string()});
    EXPECT_EQ(largest.status, 0) << largest.err;
}

TEST_F(CliRun, OtherDataFilesThatAreNoRegularFileAreRefusedByName) {
    for (const char* name : {"DATE.DAT", "MASTER.DAT", "YOKIN13.DAT", "SHINKOKU.DAT"}) {
        for (bool fifo : {true, false}) {
            SCOPED_TRACE(std::string(name) + (fifo ? " as a FIFO" : " linked to /dev/zero"));
            const std::string good = ReadBytes(year / name);
            fs::remove(year / name);
            if (fifo)
                ASSERT_EQ(::mkfifo((year / name).c_str(), 0600), 0);
            else
                fs::create_symlink("/dev/zero", year / name);
            Outcome r = Unchanged({"check", year.string()});
            EXPECT_EQ(r.status, 2) << r.out << r.err;
            EXPECT_TRUE(Names(r, (year / name).string())) << r.err;
            fs::remove(year / name);
            WriteBytes(year / name, good);
        }
    }
    // A FIFO named like the journal is no journal, and is not waited on.
    ASSERT_EQ(::mkfifo((year / "KEIRI13.JNL").c_str(), 0600), 0);
    EXPECT_EQ(Unchanged({"export", "deposits", year.string()}).status, 0);
}

TEST_F(CliRun, AWriteProtectedFolderIsReadAsItIs) {
    // The command line opens every file for reading only, so a write-protected copy
    // reads. (The system's administrator may write anyway: nothing to see then.)
    if (::geteuid() == 0) GTEST_SKIP() << "root writes to write-protected files";
    for (const auto& e : fs::directory_iterator(year))
        fs::permissions(e.path(), fs::perms::owner_read | fs::perms::group_read);
    fs::permissions(year, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Unchanged({"check", year.string()}).status, 0);
    EXPECT_EQ(Unchanged({"export", "summary", year.string()}).status, 0);
    Outcome p = Unchanged({"print", "month", "4", year.string(), "-o", (temp / "m.pdf").string()});
    EXPECT_EQ(p.status, 0) << p.err;
    fs::permissions(year, fs::perms::owner_all);
}

// 4-byte little-endian amount and 2-byte count, as the ledger stores them.
std::string Le(std::int64_t v, int width) {
    std::string b;
    for (int i = 0; i < width; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

// A ledger line: date, weekday （日）, item, income, expense, balance, remarks.
std::string Line(const char* date, int item, std::int64_t in, std::int64_t out) {
    return std::string(date) + "\x81\x69\x93\xfa\x81\x6a" + Le(item, 2) + Le(in, 4) + Le(out, 4) +
           Le(0, 4) + std::string(16, ' ');
}

TEST_F(CliRun, SumsThatOverflowNameTheLedgerAndTheLine) {
    // Two sales of 2,000,000,000 yen in April: the second takes every sum of them,
    // the month's, the summary's and the statement's, past what an amount holds.
    WriteBytes(year / "KEIRI13.DAT", Le(3, 2) + std::string(16, '\0') + Line("130401", 1, 2000000000, 0) +
                                         Line("130402", 1, 2000000000, 0) +
                                         Line("130403", 4, 0, 100));
    setenv("TABULO_HOME", (temp / "home").c_str(), 1);
    const std::vector<std::vector<std::string>> commands = {
        {"print", "month", "4", year.string(), "-o", (temp / "o.pdf").string()},
        {"print", "income", "4", year.string(), "-o", (temp / "o.pdf").string()},
        {"print", "item", "1", year.string(), "-o", (temp / "o.pdf").string()},
        {"print", "summary", year.string(), "-o", (temp / "o.pdf").string()},
        {"print", "statement", "1", year.string(), "-o", (temp / "o.pdf").string()},
        {"export", "summary", year.string()},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        Outcome r = Unchanged(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_TRUE(Names(r, "オーバーフローしました。")) << r.err;
        EXPECT_TRUE(Names(r, (year / "KEIRI13.DAT").string() + " 2行目")) << r.err;
        EXPECT_FALSE(fs::exists(temp / "o.pdf"));
        EXPECT_TRUE(r.out.empty());
    }
    // check names the line of the aggregation's overflow as it names its own findings.
    Outcome check = Unchanged({"check", year.string()});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.err.find("KEIRI13.DAT 2行: 集計できません: "), std::string::npos) << check.err;
    unsetenv("TABULO_HOME");
}

TEST_F(CliRun, ALayoutWithAnAbsurdFontSizeIsALayoutError) {
    // The user's own layout in the program folder, with a font of 10^12 points.
    setenv("TABULO_HOME", (temp / "home").c_str(), 1);
    const fs::path layout = temp / "home" / "FORM" / "shinkoku-1.FRW";
    const std::string shipped = ReadBytes(fs::path(TABULO_CLI_TESTS) / ".." / ".." / "FORM" / "shinkoku-1.FRW");
    const std::size_t at = shipped.find("\r\n5,");
    ASSERT_NE(at, std::string::npos);
    const std::size_t comma = shipped.find(',', shipped.find('"', shipped.find('"', at) + 1));
    const std::size_t end = shipped.find('\r', comma);
    WriteBytes(layout, shipped.substr(0, comma + 1) + "1000000000000" + shipped.substr(end));
    Outcome r = Unchanged(
        {"print", "statement", "1", year.string(), "-o", (temp / "s.pdf").string()});
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(Names(r, layout.string())) << r.err;
    EXPECT_TRUE(Names(r, "文字の大きさ")) << r.err;
    EXPECT_FALSE(fs::exists(temp / "s.pdf"));
    unsetenv("TABULO_HOME");
}

}  // namespace
}  // namespace tabulo
