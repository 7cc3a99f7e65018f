// The start-up check, the settings and fiscal-year rules, and the machine facts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "platform/Locale.h"
#include "platform/ShippedFiles.h"
#include "platform/SystemInfo.h"
#include "shell/CheckStartup.h"
#include "shell/CommandLine.h"
#include "shell/FiscalYearRules.h"
#include "shell/SettingsRules.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using testing::FakePrompt;
using testing::FromHex;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// TAB_SET3.DAT as a first start writes it: "A", "2000" and six "0", CR LF each.
const std::string kDefaultSettings = FromHex(
    "41 0d0a"            // A
    "32 30 30 30 0d0a"   // 2000
    "30 0d0a 30 0d0a 30 0d0a 30 0d0a 30 0d0a 30 0d0a");

EnvLookup Env(std::map<std::string, std::string> vars) {
    return [vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

struct Shell : ::testing::Test {
    TempFolder home;
    SharedState s;
    FakePrompt prompt;
    Shell() { s.ProgramFolder = home.path(); }
};

// ---- Start-up ----

// A save of the settings killed before its rename left its temporary file in the
// program folder, and every later start left it there.
TEST_F(Shell, StartingRemovesWhatAKilledSaveOfTheSettingsLeft) {
    WriteBytes(home / "TAB_SET3.DAT", kDefaultSettings);
    const auto old = fs::file_time_type::clock::now() - hours(1);
    for (const char* name : {".TAB_SET3.DAT.tmp4242-0", ".TAB_SET3.DAT.tmp4242-1", "メモ.txt"}) {
        WriteBytes(home / name, "B\r\n");
        fs::last_write_time(home / name, old);
    }
    ASSERT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    EXPECT_FALSE(fs::exists(home / ".TAB_SET3.DAT.tmp4242-0"));
    EXPECT_FALSE(fs::exists(home / ".TAB_SET3.DAT.tmp4242-1"));
    EXPECT_TRUE(fs::exists(home / "メモ.txt"));  // not ours
    EXPECT_EQ(ReadBytes(home / "TAB_SET3.DAT"), kDefaultSettings);
}

TEST_F(Shell, FirstStartWritesDefaultSettingsAndCreatesDriveA) {
    ASSERT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(ReadBytes(home / "TAB_SET3.DAT"), kDefaultSettings);
    EXPECT_TRUE(fs::is_directory(home.path() / "drives" / "A" / "KEIRIDATA"));
    EXPECT_EQ(s.SetupLines[1], "A");
    EXPECT_EQ(s.PageLimit, 200);
    EXPECT_EQ(s.KubunNames[1], "収入");
    EXPECT_EQ(s.KubunNames[3], "収入");
    EXPECT_EQ(s.KubunNames[4], "支出");
    EXPECT_EQ(s.KubunNames[6], "支出");
    EXPECT_EQ(s.KubunNames[0], "");
    EXPECT_EQ(s.KubunNames[7], "");
}

TEST_F(Shell, MissingDriveAsksForTheDiskUntilItIsMounted) {
    WriteBytes(home / "TAB_SET3.DAT", FromHex("42 0d0a 32 30 30 30 0d0a") +
                                          FromHex("30 0d0a 30 0d0a 30 0d0a 30 0d0a 30 0d0a 30 0d0a"));
    TempFolder media;  // outside the program folder, like a real mount point
    const fs::path stick = media.path() / "stick";
    prompt.onShow = [&](const testing::ShownBox&) {
        // The user mounts the stick while the third message is up.
        if (prompt.shown.size() == 3) fs::create_directories(stick);
    };
    ASSERT_EQ(CheckStartup(s, prompt, Env({{"TABULO_DRIVE_B", stick.string()}})),
              StartupResult::Ready);
    ASSERT_EQ(prompt.shown.size(), 3u);
    for (const auto& box : prompt.shown) {
        EXPECT_EQ(box.text, "B:ドライブにデータディスクをセットしてください！！");
        EXPECT_EQ(box.title, "エラー確認");
    }
    EXPECT_TRUE(fs::is_directory(stick / "KEIRIDATA"));
    // The stick's mount point is not ours to make.
    EXPECT_FALSE(fs::exists(home.path() / "drives" / "B"));
}

TEST_F(Shell, MissingDirectoryDriveNamesTheDirectory) {
    TempFolder media;
    const fs::path stick = media.path() / "usb";
    WriteBytes(home / "TAB_SET3.DAT", stick.string() + "\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    prompt.onShow = [&](const testing::ShownBox&) { fs::create_directories(stick); };
    ASSERT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, stick.string() + " にデータディスクをセットしてください！！");
    EXPECT_TRUE(fs::is_directory(stick / "KEIRIDATA"));
}

TEST_F(Shell, GivingUpOnTheDiskEndsTheStartUp) {
    WriteBytes(home / "TAB_SET3.DAT", "B\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    prompt.Answer(Answer::Cancel);
    TempFolder media;
    EXPECT_EQ(CheckStartup(s, prompt, Env({{"TABULO_DRIVE_B", (media / "nowhere").string()}})),
              StartupResult::Abandoned);
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(Shell, DriveThatIsAFileAsksAgainWithPathMessage) {
    WriteBytes(home / "TAB_SET3.DAT", "C\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    TempFolder media;
    const fs::path notADir = media / "plain-file";
    WriteBytes(notADir, "x");
    prompt.onShow = [&](const testing::ShownBox&) {
        if (prompt.shown.size() == 2) {
            fs::remove(notADir);
            fs::create_directories(notADir);
        }
    };
    ASSERT_EQ(CheckStartup(s, prompt, Env({{"TABULO_DRIVE_C", notADir.string()}})),
              StartupResult::Ready);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "パスが見つかりません！！");
}

// A setting that names no drive cannot come right by retrying: it was an endless loop.
TEST_F(Shell, DriveSettingThatNamesNoDriveIsReportedOnceAndStartUpGoesOn) {
    WriteBytes(home / "TAB_SET3.DAT", "12\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "12 にデータディスクをセットしてください！！");
}

// ---- Settings boxes ----

TEST_F(Shell, SettingsBoxesGetTheirDefaultsAndTheCountIsCapped) {
    EXPECT_EQ(SettingsBoxOnLeave(0, "", prompt), "A");
    EXPECT_EQ(SettingsBoxOnLeave(1, "", prompt), "2000");
    EXPECT_EQ(SettingsBoxOnLeave(2, "", prompt), "0");
    EXPECT_EQ(SettingsBoxOnLeave(3, "", prompt), "0");
    EXPECT_EQ(SettingsBoxOnLeave(4, "", prompt), "0");
    EXPECT_EQ(SettingsBoxOnLeave(1, "10000", prompt), "10000");
    EXPECT_EQ(SettingsBoxOnLeave(2, "-1.5", prompt), "-1.5");
    EXPECT_TRUE(prompt.shown.empty());

    EXPECT_EQ(SettingsBoxOnLeave(1, "20000", prompt), "10000");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "データ件数は10,000件までです。");
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
}

TEST_F(Shell, SavingTheSettingsClearsTheYearAndWritesTheFile) {
    ASSERT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    s.DataLoaded = 1;
    s.FiscalYear = 13;
    s.EraName = "平成";
    s.ItemTable[1].ItemName = "売上";

    ASSERT_TRUE(SaveSettingsAndReset(s, {"b ", "3000", "1.5", "-2", "0"}, prompt, Env({})));
    EXPECT_EQ(s.DataLoaded, 0);
    EXPECT_EQ(s.FiscalYear, 0);
    EXPECT_EQ(s.ItemTable[1].ItemName, "");
    EXPECT_EQ(s.SetupLines[1], "B");
    EXPECT_EQ(s.PageLimit, 300);
    EXPECT_EQ(ReadBytes(home / "TAB_SET3.DAT"),
              "B\r\n3000\r\n1.5\r\n-2\r\n0\r\n0\r\n0\r\n0\r\n");
    // The new drive has been probed and its data folder made.
    EXPECT_TRUE(fs::is_directory(home.path() / "drives" / "B" / "KEIRIDATA"));
}

TEST_F(Shell, SettingsThatCannotBeWrittenAreReportedAndLeftAsTheyWere) {
    ASSERT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    // A folder where the settings file should be: the replacing rename fails.
    fs::remove(home / "TAB_SET3.DAT");
    fs::create_directories(home.path() / "TAB_SET3.DAT" / "in-the-way");
    const auto before = s.SetupLines;
    EXPECT_FALSE(StoreSettingsBoxes(s, {"A", "5000", "0", "0", "0"}, prompt));
    EXPECT_EQ(s.SetupLines, before);
    EXPECT_EQ(s.PageLimit, 200);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
    EXPECT_TRUE(fs::is_directory(home.path() / "TAB_SET3.DAT" / "in-the-way"));
}

// ---- Fiscal year ----

TEST(FiscalYear, ProposesTheEraOfToday) {
    EXPECT_EQ(ProposedEraName(year{2026} / January / 15), "令和");
    EXPECT_EQ(ProposedEraName(year{2019} / May / 1), "令和");
    EXPECT_EQ(ProposedEraName(year{2019} / April / 30), "平成");
    EXPECT_EQ(ProposedEraName(year{2018} / December / 31), "平成");
}

TEST_F(Shell, RegisteringTheYearWritesDateDat) {
    ASSERT_EQ(CheckStartup(s, prompt, Env({})), StartupResult::Ready);
    s.DataFolder = home.path() / "drives" / "A" / "KEIRIDATA";
    s.FiscalYearPath = s.DataFolder / "DATE.DAT";

    EXPECT_EQ(RegisterFiscalYear(s, "令和", "0", prompt), FiscalYearEntry::Refused);
    EXPECT_EQ(RegisterFiscalYear(s, "", "8", prompt), FiscalYearEntry::Refused);
    EXPECT_EQ(RegisterFiscalYear(s, "    ", "8", prompt), FiscalYearEntry::Refused);
    EXPECT_FALSE(fs::exists(s.FiscalYearPath) && fs::file_size(s.FiscalYearPath) > 0);
    EXPECT_EQ(s.FiscalYear, 0);

    // A quote would end the era's quoted value in DATE.DAT early.
    EXPECT_EQ(RegisterFiscalYear(s, "令\"和", "8", prompt), FiscalYearEntry::Refused);
    EXPECT_EQ(RegisterFiscalYear(s, "令和😀", "8", prompt), FiscalYearEntry::Refused);
    // A year beyond two digits would not fit the file names.
    EXPECT_EQ(RegisterFiscalYear(s, "令和", "100", prompt), FiscalYearEntry::Refused);

    ASSERT_EQ(RegisterFiscalYear(s, "令和元年号", "8", prompt), FiscalYearEntry::Saved);
    EXPECT_EQ(s.FiscalYear, 8);
    EXPECT_EQ(s.EraName, "令和元年");  // the first four characters
    // 8,"令和元年",0 CR LF in Shift-JIS.
    EXPECT_EQ(ReadBytes(s.FiscalYearPath),
              FromHex("38 2c 22 97df 9861 8cb3 944e 22 2c 30 0d0a"));
}

TEST_F(Shell, FiscalYearThatCannotBeWrittenKeepsTheOldYear) {
    s.DataFolder = home.path() / "not-mounted" / "KEIRIDATA";
    s.FiscalYearPath = s.DataFolder / "DATE.DAT";
    s.FiscalYear = 0;
    EXPECT_EQ(RegisterFiscalYear(s, "令和", "8", prompt), FiscalYearEntry::Failed);
    EXPECT_EQ(s.FiscalYear, 0);
    EXPECT_EQ(s.EraName, "");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
}

// ---- Machine facts ----

TEST(SystemInfo, ReadsProcessorModelAndFreeMemory) {
    const char* cpuinfo =
        "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz\n"
        "processor\t: 1\nmodel name\t: other\n";
    EXPECT_EQ(ProcessorModelFrom(cpuinfo), "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
    EXPECT_EQ(ProcessorModelFrom("processor : 0\n"), "");

    const char* meminfo = "MemTotal:        8000000 kB\nMemFree:  100 kB\nMemAvailable:    2000000 kB\n";
    EXPECT_EQ(AvailableMemoryPercentFrom(meminfo), 25);
    EXPECT_EQ(AvailableMemoryPercentFrom("MemTotal: 0 kB\nMemAvailable: 0 kB\n"), std::nullopt);
    EXPECT_EQ(AvailableMemoryPercentFrom("MemTotal: 100 kB\n"), std::nullopt);
    // This machine's own figure is a percentage.
    const auto here = AvailableMemoryPercent();
    ASSERT_TRUE(here.has_value());
    EXPECT_GE(*here, 0);
    EXPECT_LE(*here, 100);
}

// ---- Shipped files ----

TEST(ShippedFiles, CopiesMissingFilesAndNeverReplacesOnes) {
    TempFolder shipped, home;
    WriteBytes(shipped / "FORM/shinkoku-1.FRW", "shipped 1");
    WriteBytes(shipped / "FORM/shinkoku-2.FRW", "shipped 2");
    WriteBytes(shipped / "FORM/notes.txt", "not a layout");
    WriteBytes(shipped / "help/index.html", "contents");
    WriteBytes(home / "FORM/shinkoku-2.FRW", "adjusted by the user");

    const auto r = CopyShippedFiles(shipped.path(), home.path());
    EXPECT_TRUE(r.failures.empty());
    EXPECT_EQ(r.copied.size(), 2u);
    EXPECT_EQ(ReadBytes(home / "FORM/shinkoku-1.FRW"), "shipped 1");
    EXPECT_EQ(ReadBytes(home / "FORM/shinkoku-2.FRW"), "adjusted by the user");
    EXPECT_FALSE(fs::exists(home / "FORM/notes.txt"));
    EXPECT_EQ(ReadBytes(home / "help/index.html"), "contents");

    // A second start copies nothing.
    EXPECT_TRUE(CopyShippedFiles(shipped.path(), home.path()).copied.empty());
}

TEST(ShippedFiles, FoundBesideTheExecutableOrInTheInstalledShareFolder) {
    TempFolder tree;
    WriteBytes(tree / "build/shell/help/index.html", "x");
    EXPECT_EQ(ShippedFilesFolder(tree.path() / "build" / "shell"), tree.path() / "build" / "shell");
    WriteBytes(tree / "usr/share/tabulo/help/index.html", "x");
    fs::create_directories(tree.path() / "usr" / "bin");
    EXPECT_EQ(ShippedFilesFolder(tree.path() / "usr" / "bin"),
              tree.path() / "usr" / "share" / "tabulo");
}

// ---- tabulo's command line, read before Qt starts ----

TEST(CommandLine, HelpVersionAndTheInstallCheckEndWithoutAWindow) {
    EXPECT_EQ(ReadCommandLine({}).kind, LaunchKind::Window);
    EXPECT_EQ(ReadCommandLine({"--help"}).kind, LaunchKind::Help);
    EXPECT_EQ(ReadCommandLine({"-h"}).kind, LaunchKind::Help);
    EXPECT_EQ(ReadCommandLine({"--version"}).kind, LaunchKind::Version);
    EXPECT_EQ(ReadCommandLine({"--check-install"}).kind, LaunchKind::CheckInstall);
    // The help answers whatever else was asked; the version comes before the check.
    EXPECT_EQ(ReadCommandLine({"--check-install", "--help"}).kind, LaunchKind::Help);
    EXPECT_EQ(ReadCommandLine({"--check-install", "--version"}).kind, LaunchKind::Version);
}

TEST(CommandLine, QtsOwnWindowOptionsPassAndEverythingElseIsRefused) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-platform", "offscreen"},
                                               {"--platform", "xcb"},
                                               {"-style=fusion"},
                                               {"-session", "abc", "-reverse"},
                                               {"-qwindowgeometry", "800x600", "--check-install"}}) {
        const Launch l = ReadCommandLine(args);
        EXPECT_NE(l.kind, LaunchKind::Refused) << args[0];
    }
    EXPECT_EQ(ReadCommandLine({"-qwindowgeometry", "800x600", "--check-install"}).kind,
              LaunchKind::CheckInstall);
    const Launch unknown = ReadCommandLine({"--frobnicate"});
    EXPECT_EQ(unknown.kind, LaunchKind::Refused);
    EXPECT_EQ(unknown.refused, "--frobnicate");
    EXPECT_EQ(ReadCommandLine({"notes.txt"}).refused, "notes.txt");
    EXPECT_EQ(ReadCommandLine({"-style"}).refused, "-style");      // its value is missing
    EXPECT_EQ(ReadCommandLine({"-reverse=1"}).refused, "-reverse=1");  // takes no value
    EXPECT_EQ(ReadCommandLine({"-"}).refused, "-");
}

TEST(CommandLine, TheUsageSpeaksTheLocalesLanguage) {
    std::map<std::string, std::string> vars;
    const EnvLookup env = [&vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
    EXPECT_FALSE(PrefersJapanese(env));
    vars["LANG"] = "ja_JP.UTF-8";
    EXPECT_TRUE(PrefersJapanese(env));
    vars["LC_MESSAGES"] = "C";  // before LANG
    EXPECT_FALSE(PrefersJapanese(env));
    vars["LC_ALL"] = "ja_JP.eucJP";  // before both
    EXPECT_TRUE(PrefersJapanese(env));
    vars["LC_ALL"] = "";  // an empty one does not count
    EXPECT_FALSE(PrefersJapanese(env));
    EXPECT_EQ(TabuloUsage(true).rfind("使い方: tabulo", 0), 0u);
    EXPECT_EQ(TabuloUsage(false).rfind("Usage: tabulo", 0), 0u);
}

TEST(FiscalYearRules, TheProposedYearIsTodaysYearOfItsEra) {
    using namespace std::chrono;
    EXPECT_EQ(ProposedEraYear(year{2026} / December / 8), 8);
    EXPECT_EQ(ProposedEraYear(year{2019} / May / 1), 1);
    EXPECT_EQ(ProposedEraYear(year{2019} / April / 30), 31);
    EXPECT_EQ(ProposedEraYear(year{2001} / January / 1), 13);
}

}  // namespace
}  // namespace tabulo
