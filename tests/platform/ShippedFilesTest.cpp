#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ShippedFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

using Names = std::vector<std::string>;

// The layout of an install: <prefix>/bin/tabulo and <prefix>/share/tabulo/{FORM,help}.
struct InstalledTree {
    TempFolder prefix;
    fs::path bin() const { return prefix / "bin"; }
    fs::path share() const { return prefix / "share/tabulo"; }
    InstalledTree() {
        fs::create_directories(bin());
        WriteBytes(share() / "help/index.html", "目次");
        WriteBytes(share() / "help/style.css", "body {}");
    }
};

TEST(ShippedFilesCheck, AnInstalledProgramFindsItsFilesAndBringsThemIntoAFreshProgramFolder) {
    InstalledTree tree;
    WriteBytes(tree.share() / "FORM/shinkoku-1.FRW", "layout 1");
    WriteBytes(tree.share() / "FORM/README", "not a layout");
    TempFolder home;

    const fs::path shipped = ShippedFilesFolder(tree.bin());
    ASSERT_EQ(shipped, tree.share());
    ASSERT_TRUE(CopyShippedFiles(shipped, home.path()).failures.empty());

    const ShippedCheckResult r = CheckShippedFiles(shipped, home.path());
    EXPECT_EQ(r.problems, Names{});
    EXPECT_EQ(r.present, (Names{"FORM/shinkoku-1.FRW", "help/index.html", "help/style.css"}));
    EXPECT_EQ(ReadBytes(home / "help/index.html"), "目次");
}

TEST(ShippedFilesCheck, NoLayoutsShippedYetIsNoFault) {
    InstalledTree tree;
    fs::create_directories(tree.share() / "FORM");
    TempFolder home;
    CopyShippedFiles(tree.share(), home.path());
    const ShippedCheckResult r = CheckShippedFiles(tree.share(), home.path());
    EXPECT_EQ(r.problems, Names{});
    EXPECT_EQ(r.present, (Names{"help/index.html", "help/style.css"}));
}

TEST(ShippedFilesCheck, AFileTheProgramFolderLacksIsNamed) {
    InstalledTree tree;
    WriteBytes(tree.share() / "FORM/shinkoku-2.FRW", "layout 2");
    TempFolder home;
    // A folder where the layout should go: the copy cannot put the file there.
    fs::create_directories(home / "FORM/shinkoku-2.FRW");
    const ShippedCopyResult copy = CopyShippedFiles(tree.share(), home.path());
    EXPECT_EQ(copy.copied.size(), 2u);  // the two help files

    const ShippedCheckResult r = CheckShippedFiles(tree.share(), home.path());
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("FORM/shinkoku-2.FRW is missing from"), std::string::npos)
        << r.problems[0];
}

TEST(ShippedFilesCheck, AShippedFolderWithoutTheHelpBookIsABrokenInstall) {
    TempFolder shipped, home;
    WriteBytes(shipped / "help/usage.html", "使い方");
    CopyShippedFiles(shipped.path(), home.path());
    const ShippedCheckResult r = CheckShippedFiles(shipped.path(), home.path());
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("index.html is missing"), std::string::npos) << r.problems[0];
    EXPECT_EQ(r.present, Names{"help/usage.html"});
}

TEST(ShippedFilesCheck, AFileTheUserChangedCountsAsPresentAndStaysAsItIs) {
    InstalledTree tree;
    TempFolder home;
    WriteBytes(home / "help/style.css", "body { font-size: 14pt }");
    CopyShippedFiles(tree.share(), home.path());
    EXPECT_EQ(CheckShippedFiles(tree.share(), home.path()).problems, Names{});
    EXPECT_EQ(ReadBytes(home / "help/style.css"), "body { font-size: 14pt }");
}

}  // namespace
}  // namespace tabulo
