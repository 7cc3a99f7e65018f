// A folder replaced whole, and the rule by which a look at the folder tells a
// finished replacement from one cut short, for every state the renames can leave
// (with and without a swap of two names in one call).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/Drives.h"
#include "platform/FileOps.h"
#include "platform/WholeFolder.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

using Files = std::map<std::string, std::string>;

Files Read(const fs::path& folder) {
    Files f;
    if (!fs::exists(folder)) return f;
    for (const auto& e : fs::directory_iterator(folder)) f[e.path().filename().string()] = ReadBytes(e.path());
    return f;
}

void Put(const fs::path& folder, const Files& files) {
    fs::create_directories(folder);
    for (const auto& [name, bytes] : files) WriteBytes(folder / name, bytes);
}

std::vector<FolderFile> AsFolderFiles(const Files& files) {
    std::vector<FolderFile> out;
    for (const auto& [name, bytes] : files) {
        FolderFile f{name, {}};
        for (char c : bytes) f.bytes.push_back(static_cast<std::byte>(c));
        out.push_back(f);
    }
    return out;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> n;
    for (const auto& e : fs::directory_iterator(folder)) n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
}

const Files kOld{{"DATE.DAT", "13"}, {"KEIRI13.DAT", "old ledger"}};
const Files kNew{{"DATE.DAT", "13"}, {"KEIRI13.DAT", "new ledger"}, {"YOKIN13.DAT", "book"}};

class WholeFolder : public ::testing::Test {
  protected:
    TempFolder disk;
    fs::path target = disk.path() / "KEIRIDATA";
    fs::path fresh = disk.path() / ".KEIRIDATA.new";
    fs::path old = disk.path() / ".KEIRIDATA.old";
};

TEST_F(WholeFolder, ALookTellsAFinishedReplacementFromOneCutShort) {
    struct Case {
        const char* state;
        std::function<void()> make;
        Files expected;
    };
    const std::vector<Case> cases = {
        {"the old folder renamed aside, the new one not yet in place",
         [&] { Put(old, kOld); Put(fresh, kNew); }, kOld},
        {"the same, with an empty folder a look at the drive made in its place",
         [&] { Put(old, kOld); Put(fresh, kNew); fs::create_directories(target); }, kOld},
        {"the new folder in place, the old one half removed",
         [&] { Put(target, kNew); Put(old, {{"DATE.DAT", "13"}}); }, kNew},
        {"swapped: the old files wait under the new folder's name",
         [&] { Put(target, kNew); Put(fresh, kOld); }, kNew},
        {"the new folder half written beside the old one",
         [&] { Put(target, kOld); Put(fresh, {{"DATE.DAT", "13"}}); }, kOld},
        {"a first copy that never reached its place", [&] { Put(fresh, kNew); }, {}},
        {"a folder to be kept renamed aside, the new one not yet in place",
         [&] { Put(disk.path() / ".KEIRIDATA.keep-20260101-090000", kOld); Put(fresh, kNew); }, kOld},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        fs::remove_all(disk.path());
        fs::create_directories(disk.path());
        c.make();
        auto settled = SettleFolder(target);
        ASSERT_TRUE(settled.ok());
        EXPECT_TRUE(*settled);
        EXPECT_EQ(Read(target), c.expected);
        for (const std::string& name : Names(disk.path())) EXPECT_EQ(name, "KEIRIDATA");
        // A second look finds nothing to do.
        EXPECT_FALSE(*SettleFolder(target));
    }

    // The old folder to be kept, the new one in place: it takes its kept name.
    fs::remove_all(disk.path());
    Put(target, kNew);
    Put(disk.path() / ".KEIRIDATA.keep-20260101-090000", kOld);
    ASSERT_TRUE(SettleFolder(target).ok());
    EXPECT_EQ(Read(target), kNew);
    EXPECT_EQ(Read(disk.path() / "KEIRIDATA-20260101-090000"), kOld);
    EXPECT_EQ(Names(disk.path()), (std::vector<std::string>{"KEIRIDATA", "KEIRIDATA-20260101-090000"}));
}

TEST_F(WholeFolder, AReadOfTheDiskPutsTheOldFolderBackBeforeItLooksInside) {
    Put(old, kOld);
    Put(fresh, kNew);
    DataDrive drive;
    drive.directory = disk.path();
    drive.dataFolder = target;
    ASSERT_TRUE(ProbeDataFolder(drive).ok());
    EXPECT_EQ(Read(target), kOld);
    EXPECT_EQ(Names(disk.path()), std::vector<std::string>{"KEIRIDATA"});
}

TEST_F(WholeFolder, ReplacesWithAndWithoutASwapAndKeepsWhatItIsToldTo) {
    for (bool canExchange : {true, false}) {
        SCOPED_TRACE(canExchange ? "swap" : "renames");
        fs::remove_all(disk.path());
        fs::create_directories(disk.path());
        FaultyFiles files;
        files.canExchange = canExchange;
        ScopedFileOps use(files);
        // Onto no folder, over an old one (which goes), over one that is kept.
        ASSERT_TRUE(ReplaceFolder(target, AsFolderFiles(kOld)).ok());
        EXPECT_EQ(Read(target), kOld);
        ASSERT_TRUE(ReplaceFolder(target, AsFolderFiles(kNew)).ok());
        EXPECT_EQ(Read(target), kNew);
        EXPECT_EQ(Names(disk.path()), std::vector<std::string>{"KEIRIDATA"});
        ASSERT_TRUE(ReplaceFolder(target, AsFolderFiles(kOld), {"20260101-090000"}).ok());
        EXPECT_EQ(Read(target), kOld);
        EXPECT_EQ(Read(KeptFolderPath(target, "20260101-090000").parent_path() /
                       "KEIRIDATA-20260101-090000"),
                  kNew);
        // A second kept folder of the same tag gets a name of its own.
        EXPECT_EQ(KeptFolderPath(target, "20260101-090000").filename(), "KEIRIDATA-20260101-090000-2");
    }
}

TEST_F(WholeFolder, AFailedReplacementLeavesTheOldFolderAndNothingBeside) {
    Put(target, kOld);
    for (int n = 1;; ++n) {
        FaultyFiles files(n, testing::Fault::Fail);
        Status st = Ok();
        {
            ScopedFileOps use(files);
            st = ReplaceFolder(target, AsFolderFiles(kNew));
        }
        if (!files.reached) break;
        SCOPED_TRACE("call " + std::to_string(n));
        // Failed: the old folder; done (or only the last flush failed): the new one.
        const bool applied = st.ok() || st.error().applied;
        EXPECT_EQ(Read(target), applied ? kNew : kOld);
        if (applied) {
            fs::remove_all(target);
            Put(target, kOld);
        }
        ASSERT_TRUE(SettleFolder(target).ok());
        EXPECT_EQ(Names(disk.path()), std::vector<std::string>{"KEIRIDATA"});
    }
}

}  // namespace
}  // namespace tabulo
