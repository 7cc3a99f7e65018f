#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteBytes;

EnvLookup Env(std::map<std::string, std::string> vars) {
    return [vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

TEST(ResolveDataDrive, LetterUnderTheProgramFolder) {
    const fs::path prog = "/home/u/.local/share/tabulo";
    auto a = ResolveDataDrive(prog, "a", Env({}));
    ASSERT_TRUE(a.ok());
    EXPECT_EQ(a->directory, prog / "drives" / "A");
    EXPECT_EQ(a->dataFolder, prog / "drives" / "A" / "KEIRIDATA");
    EXPECT_EQ(a->displayFolder, "A:\\KEIRIDATA");
    EXPECT_TRUE(a->createWhenMissing);
    auto d = ResolveDataDrive(prog, "D", Env({}));
    ASSERT_TRUE(d.ok());
    EXPECT_TRUE(d->createWhenMissing);
    EXPECT_EQ(d->displayFolder, "D:\\KEIRIDATA");
}

TEST(ResolveDataDrive, LetterMappedByEnvironment) {
    auto e = ResolveDataDrive("/prog", "E", Env({{"TABULO_DRIVE_E", "/media/stick"}}));
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e->directory, "/media/stick");
    EXPECT_EQ(e->dataFolder, fs::path("/media/stick/KEIRIDATA"));
    EXPECT_EQ(e->displayFolder, "E:\\KEIRIDATA");
    EXPECT_FALSE(e->createWhenMissing);
    // A pulled stick on drive A used to be made again as an empty folder on the
    // local disk, and a new year offered there: a mapped drive is never created.
    auto a = ResolveDataDrive("/prog", "A", Env({{"TABULO_DRIVE_A", "/media/a"}}));
    ASSERT_TRUE(a.ok());
    EXPECT_FALSE(a->createWhenMissing);
}

TEST(ResolveDataDrive, AbsolutePathIsItself) {
    auto p = ResolveDataDrive("/prog", "/mnt/share", Env({}));
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p->dataFolder, fs::path("/mnt/share/KEIRIDATA"));
    EXPECT_EQ(p->displayFolder, "/mnt/share/KEIRIDATA");
    EXPECT_FALSE(p->createWhenMissing);
    // Only drives/<L> belongs to the program; a path, even inside its folder, is the
    // user's and is never created.
    auto under = ResolveDataDrive("/prog", "/prog/mine", Env({}));
    ASSERT_TRUE(under.ok());
    EXPECT_FALSE(under->createWhenMissing);
}

TEST(ResolveDataDrive, AnythingElseIsBadFileName) {
    for (const char* bad : {"", "AB", "relative/dir", "1", "::"}) {
        auto r = ResolveDataDrive("/prog", bad, Env({}));
        ASSERT_FALSE(r.ok()) << bad;
        EXPECT_EQ(r.error().code, FileErrorCode::BadFileName) << bad;
    }
}

TEST(ProbeDataFolder, MissingDriveIsDiskNotReady) {
    TempFolder temp;
    auto d = ResolveDataDrive(temp.path(), (temp / "absent").string(), Env({}));
    ASSERT_TRUE(d.ok());
    d->createWhenMissing = false;
    auto st = ProbeDataFolder(*d);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, FileErrorCode::DiskNotReady);
    EXPECT_FALSE(fs::exists(temp / "absent"));
}

TEST(ProbeDataFolder, FileInsteadOfDriveIsDeviceUnavailable) {
    TempFolder temp;
    WriteBytes(temp / "file", "x");
    auto d = ResolveDataDrive("/prog", (temp / "file").string(), Env({}));
    ASSERT_TRUE(d.ok());
    auto st = ProbeDataFolder(*d);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, FileErrorCode::DeviceUnavailable);
}

TEST(ProbeDataFolder, CreatesDriveAAndTheDataFolder) {
    TempFolder temp;
    auto a = ResolveDataDrive(temp.path(), "A", Env({}));
    ASSERT_TRUE(a.ok());
    ASSERT_TRUE(ProbeDataFolder(*a).ok());
    EXPECT_TRUE(fs::is_directory(temp / "drives" / "A" / "KEIRIDATA"));
    // A mounted stick without the folder gets it; the stick itself is not made.
    fs::create_directories(temp / "stick");
    auto e = ResolveDataDrive(temp.path(), "E", Env({{"TABULO_DRIVE_E", (temp / "stick").string()}}));
    ASSERT_TRUE(e.ok());
    ASSERT_TRUE(ProbeDataFolder(*e).ok());
    EXPECT_TRUE(fs::is_directory(temp / "stick" / "KEIRIDATA"));
}

TEST(ProgramFolderPath, HomeThenXdgThenDefault) {
    EXPECT_EQ(ProgramFolderPath(Env({{"TABULO_HOME", "/t"}, {"XDG_DATA_HOME", "/x"}})), "/t");
    EXPECT_EQ(ProgramFolderPath(Env({{"XDG_DATA_HOME", "/x"}, {"HOME", "/h"}})), "/x/tabulo");
    EXPECT_EQ(ProgramFolderPath(Env({{"HOME", "/h"}})), "/h/.local/share/tabulo");
    EXPECT_EQ(ProgramFolderPath(Env({{"XDG_DATA_HOME", "rel"}, {"HOME", "/h"}})),
              "/h/.local/share/tabulo");
}

}  // namespace
}  // namespace tabulo
