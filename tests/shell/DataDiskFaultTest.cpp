// The copies of a whole year (the backup onto a second disk, the next year's disk, the
// automatic copies and the restore of one) with the Nth write, flush, rename, removal or folder creation
// failing, or the process stopping there (also half-way through a write), for every N
// each reaches; on file systems that can swap two folders in one call and on those
// that cannot (a FAT stick). After each, the next look at the disk (a read of it, the
// next start) must find exactly the folder before the copy or exactly the copy, the
// result shown must say which, and nothing of ours may be left beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "platform/FileOps.h"
#include "platform/WholeFolder.h"
#include "shell/CheckStartup.h"
#include "shell/DataDisk.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Restore.h"
#include "store/Journal.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FakePrompt;
using testing::Fault;
using testing::FromHex;
using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A folder tree: every file with its bytes, every folder as "<name>/". The stamp in
// the name of a kept folder is left out, so that runs compare.
using Tree = std::map<std::string, std::string>;

Tree TreeOf(const fs::path& root) {
    static const std::regex stamp(R"(-[0-9]{8}-[0-9]{6}(-[0-9]+)?)");
    Tree t;
    if (!fs::exists(root)) return t;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = std::regex_replace(fs::relative(e.path(), root).string(), stamp, "-kept");
        if (e.is_directory())
            t[name + "/"] = "";
        else
            t[name] = ReadBytes(e.path());
    }
    return t;
}

// Names beginning with a dot anywhere under `root`: nothing of ours may stay.
int Leftovers(const fs::path& root) {
    int n = 0;
    if (!fs::exists(root)) return 0;
    for (const auto& e : fs::recursive_directory_iterator(root))
        n += e.path().filename().string().starts_with(".");
    return n;
}

std::string Bytes(const Result<std::vector<std::byte>>& v) {
    return std::string(reinterpret_cast<const char*>(v->data()), v->size());
}

struct Counts {
    int runs = 0, old = 0, fresh = 0, mixed = 0, wrongStatus = 0, leftovers = 0;
};

class CopyFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        s.ProgramFolder = home.path();
        ASSERT_EQ(CheckStartup(s, prompt, [](const std::string&) { return std::nullopt; }),
                  StartupResult::Ready);
        year = home.path() / "drives" / "A" / "KEIRIDATA";
        WriteYear(year, 13, 3);
        // A journal kept between operations, its mark cleared: no copy takes it.
        WriteBytes(year / "KEIRI13.JNL", std::string(40, '\0'));
        ReadDataSet(s, prompt, {});
        ASSERT_EQ(s.DataLoaded, 1) << prompt.LastText();
        thisYear = TreeOf(year);
        stick = home.path() / "stick";
        fs::create_directories(stick);
        io.env = [this](const std::string& name) -> std::optional<std::string> {
            if (name == "TABULO_DRIVE_A" && swapped) return stick.string();
            return std::nullopt;
        };
    }

    // A year's data folder: DATE.DAT, MASTER.DAT, SHINKOKU.DAT, a ledger of `lines`
    // lines and a deposit book.
    static void WriteYear(const fs::path& folder, int era, int lines) {
        WriteBytes(folder / "DATE.DAT",
                   Bytes(EncodeFiscalYearFile({static_cast<std::int16_t>(era), "平成", 0})));
        MasterHeaderArray header;
        header[MasterField::BusinessName] = "試験商店";
        ItemTableArray items;
        items[1] = {"売上", 1, "収入", 1, 1};
        WriteBytes(folder / "MASTER.DAT", Bytes(EncodeMasterFile(header, items)));
        auto tax = DefaultTaxReturnData();
        tax.lines[9][0].number = 4321;
        WriteBytes(folder / "SHINKOKU.DAT", Bytes(EncodeTaxReturnFile(tax)));
        LedgerHeaderRecord h;
        h.LineCount = static_cast<std::int16_t>(lines);
        auto ledger = EncodeLedgerHeader(h);
        for (int i = 1; i <= lines; ++i) {
            LedgerLine l = BlankLedgerLine(1000 * i);
            char date[8];
            std::snprintf(date, sizeof date, "%02d04%02d", era, i);
            l.NenGetsuBi = date;
            l.Youbi = "（月）";
            l.ItemNo = 1;
            l.Indata = 1000;
            auto bytes = EncodeLedgerLine(l);
            ledger.insert(ledger.end(), bytes->begin(), bytes->end());
        }
        char tag[8];
        std::snprintf(tag, sizeof tag, "%02d", era);
        WriteBytes(folder / ("KEIRI" + std::string(tag) + ".DAT"),
                   std::string(reinterpret_cast<const char*>(ledger.data()), ledger.size()));
        DepositBookRecord book = ClearedDepositBook();
        book.AccountName[1] = "普通預金";
        book.CurrentBalance[1] = 50000 + era;
        book.CurrentTotal = 50000 + era;
        WriteBytes(folder / ("YOKIN" + std::string(tag) + ".DAT"), Bytes(EncodeDepositBook(book)));
        // The double-entry books: 現金 (101) 1,000 and 元入金 (302) 1,000 to open with;
        // the next year's disk writes the next year's openings from them.
        WriteBytes(folder / ("FURIKAE" + std::string(tag) + ".DAT"),
                   FromHex("46524b31 0200 00000000 6500 e8030000 2e01 e8030000"));
    }

    void PutTree(const fs::path& root, const Tree& t) {
        fs::remove_all(root);
        fs::create_directories(root);
        for (const auto& [name, bytes] : t) {
            if (name.ends_with("/"))
                fs::create_directories(root / name.substr(0, name.size() - 1));
            else
                WriteBytes(root / name, bytes);
        }
    }

    // The next look at the disks: a read of the stick, the next start of the program
    // (which looks at this year's disk too).
    void LookAgain() {
        DataDrive drive;
        drive.directory = stick;
        drive.dataFolder = stick / "KEIRIDATA";
        ASSERT_TRUE(ProbeDataFolder(drive).ok());
        DataDrive own;
        own.directory = year.parent_path();
        own.dataFolder = year;
        ASSERT_TRUE(ProbeDataFolder(own).ok());
        ASSERT_TRUE(SettleAutomaticCopies(home.path()).ok());
    }

    // Everything a copy may change, each a target of its own: the stick, the staging
    // folder, the automatic copies, this year's folder.
    // (The year's part is the folder that holds it: a restore may keep the old folder
    // beside it.)
    enum Part { Stick, Staging, Copies, Year, kParts };
    std::array<Tree, kParts> Disks() {
        std::array<Tree, kParts> t{TreeOf(stick), TreeOf(home.path() / "KEIRIDATA3"),
                                   TreeOf(home.path() / "backup"), TreeOf(year.parent_path())};
        // A data folder a look made and nothing wrote is no copy.
        t[Stick].erase("KEIRIDATA/");
        return t;
    }

    // Runs `op` (true: it reported success) with a fault at every call it reaches, one
    // at a time, from the present state; each run is looked at as above. `main`: the
    // target whose state the result reports.
    Counts Sweep(const std::string& what, const std::function<bool()>& op, bool canExchange,
                 Part main = Stick) {
        SCOPED_TRACE(what);
        const auto start = Disks();
        const Tree stickStart = TreeOf(stick);
        const Tree stagingStart = TreeOf(home.path() / "KEIRIDATA3");
        const Tree copiesStart = TreeOf(home.path() / "backup");
        const Tree yearStart = TreeOf(year.parent_path());
        auto reset = [&] {
            if (TreeOf(year.parent_path()) != yearStart) PutTree(year.parent_path(), yearStart);
            PutTree(stick, stickStart);
            PutTree(home.path() / "KEIRIDATA3", stagingStart);
            PutTree(home.path() / "backup", copiesStart);
            if (stagingStart.empty()) fs::remove_all(home.path() / "KEIRIDATA3");
            if (copiesStart.empty()) fs::remove_all(home.path() / "backup");
        };
        FaultyFiles counting;
        counting.canExchange = canExchange;
        bool ok = false;
        {
            ScopedFileOps use(counting);
            ok = op();
        }
        EXPECT_TRUE(ok);
        LookAgain();
        const auto after = Disks();
        EXPECT_NE(after[main], start[main]) << "the copy changed nothing";
        EXPECT_EQ(Leftovers(stick) + Leftovers(home.path()), 0);
        EXPECT_GT(counting.calls, 5);
        if (main != Year) {
            EXPECT_EQ(TreeOf(year), thisYear) << "this year's folder changed";
        }

        Counts c;
        auto one = [&](FaultyFiles files, const std::string& how) {
            SCOPED_TRACE(how);
            reset();
            files.canExchange = canExchange;
            bool reported = false;
            {
                ScopedFileOps use(files);
                reported = op();
            }
            if (!files.reached) return;
            ++c.runs;
            LookAgain();
            const auto now = Disks();
            bool whole = true;
            for (int part = 0; part < kParts; ++part) {
                const bool same = now[part] == start[part] || now[part] == after[part];
                EXPECT_TRUE(same) << "part " << part << " is neither the old nor the new folder";
                whole = whole && same;
            }
            const bool isOld = now[main] == start[main];
            const bool isNew = now[main] == after[main];
            c.old += whole && isOld;
            c.fresh += whole && isNew;
            c.mixed += !whole;
            if (main != Year) {
                EXPECT_EQ(TreeOf(year), thisYear) << "this year's folder changed";
            }
            if (!files.stopped && reported != isNew) {
                ++c.wrongStatus;
                ADD_FAILURE() << "the result says " << (reported ? "done" : "failed");
            }
            const int left = Leftovers(stick) + Leftovers(home.path() / "backup") +
                             Leftovers(home.path() / "KEIRIDATA3") + Leftovers(year.parent_path());
            int beside = 0;
            for (const auto& e : fs::directory_iterator(home.path()))
                beside += e.path().filename().string().starts_with(".KEIRIDATA");
            c.leftovers += left + beside > 0;
            EXPECT_EQ(left + beside, 0) << "left on a disk";
        };
        for (int n = 1; n <= counting.calls; ++n) {
            one(FaultyFiles(n, Fault::Fail), "call " + std::to_string(n) + " fails");
            one(FaultyFiles(n, Fault::Stop), "stopped at call " + std::to_string(n));
            const std::size_t size = counting.writeSizes[static_cast<std::size_t>(n - 1)];
            if (size >= 2)
                one(FaultyFiles(n, Fault::Stop, size / 2), "write " + std::to_string(n) + " torn");
        }
        reset();
        std::printf("%-46s %s: runs %d, old %d, new %d, mixed %d, wrong status %d, leftovers %d\n",
                    what.c_str(), canExchange ? "swap   " : "renames", c.runs, c.old, c.fresh,
                    c.mixed, c.wrongStatus, c.leftovers);
        EXPECT_EQ(c.mixed, 0);
        EXPECT_EQ(c.wrongStatus, 0);
        EXPECT_EQ(c.leftovers, 0);
        EXPECT_GT(c.old, 0);
        EXPECT_GT(c.fresh, 0);
        return c;
    }

    // Runs a disk action; answering `question` is putting the other disk in.
    bool WithSwapAt(const char* question, const std::function<DiskOutcome(Prompt&)>& action) {
        FakePrompt p;
        swapped = false;
        p.onShow = [this, question](const testing::ShownBox& box) {
            if (box.title == question) swapped = true;
        };
        return action(p) == DiskOutcome::Done;
    }
    bool Backup() {
        return WithSwapAt("フロッピーセット確認",
                          [this](Prompt& p) { return BackupDataDisk(s, p, io, false); });
    }
    bool NextYear() {
        return WithSwapAt("セット確認", [this](Prompt& p) { return MakeNextYearDisk(s, p, io, false); });
    }
    bool AutoCopy() {
        using namespace std::chrono;
        const auto now = sys_days{year_month_day{std::chrono::year{2026}, month{6}, day{15}}} + hours{12};
        return AutoBackup(home.path(), year, now).ok();
    }

    TempFolder home;
    SharedState s;
    FakePrompt prompt;
    DiskServices io;
    fs::path year, stick;
    Tree thisYear;
    bool swapped = false;
};

TEST_F(CopyFaults, TheBackupIsTheOldFolderOrTheNewOneAfterEveryFault) {
    for (bool canExchange : {true, false}) {
        // Onto an empty disk, with a staging folder left by an earlier backup.
        fs::remove_all(stick);
        fs::create_directories(stick);
        WriteYear(home.path() / "KEIRIDATA3", 12, 1);
        Sweep("backup onto an empty disk", [this] { return Backup(); }, canExchange);
        // Over an older backup of the same year.
        fs::remove_all(stick);
        WriteYear(stick / "KEIRIDATA", 13, 1);
        Sweep("backup over an older backup", [this] { return Backup(); }, canExchange);
        // Over another year: that year is kept beside the copy.
        fs::remove_all(stick);
        WriteYear(stick / "KEIRIDATA", 11, 2);
        Sweep("backup over another year", [this] { return Backup(); }, canExchange);
    }
    // No copy took the journal.
    EXPECT_FALSE(fs::exists(stick / "KEIRIDATA" / "KEIRI13.JNL"));
    EXPECT_FALSE(fs::exists(home.path() / "KEIRIDATA3" / "KEIRI13.JNL"));
}

TEST_F(CopyFaults, TheNextYearDiskIsTheOldFolderOrTheNewOneAfterEveryFault) {
    for (bool canExchange : {true, false}) {
        fs::remove_all(stick);
        fs::create_directories(stick);
        Sweep("next-year disk onto an empty disk", [this] { return NextYear(); }, canExchange);
        // A disk that holds a year: replaced after the question, the year kept beside.
        fs::remove_all(stick);
        WriteYear(stick / "KEIRIDATA", 14, 30);
        Sweep("next-year disk over a year (kept)", [this] { return NextYear(); }, canExchange);
    }
}

TEST_F(CopyFaults, AnAutomaticCopyIsWholeOrAbsentAfterEveryFault) {
    // Twenty-one older copies over four months: the new one lets one go (the second
    // of February; the first of each month stays).
    for (int m = 2; m <= 5; ++m)
        for (int d = 1; d <= (m == 5 ? 6 : 5); ++d) {
            char name[32];
            std::snprintf(name, sizeof name, "2026%02d%02d-120000", m, d);
            WriteYear(home.path() / "backup" / name, 13, d % 3);
        }
    for (bool canExchange : {true, false}) {
        const Counts c =
            Sweep("automatic copy (one let go)", [this] { return AutoCopy(); }, canExchange, Copies);
        EXPECT_GT(c.runs, 0);
    }
    // What a run without faults leaves: the new copy, the second of February gone.
    ASSERT_TRUE(AutoCopy());
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(home.path() / "backup"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 21u);
    EXPECT_EQ(names[0], "20260201-120000");
    EXPECT_EQ(names[1], "20260203-120000");
    Tree expected = TreeOf(year);
    expected.erase("KEIRI13.JNL");
    EXPECT_EQ(TreeOf(home.path() / "backup" / names.back()), expected);
}

TEST_F(CopyFaults, ARestoreLeavesTheOldYearOrTheCopyAfterEveryFault) {
    // The copy: the year with three lines and a history. Since then the year grew to
    // five lines, a manufacturing-cost file the copy lacks, and a journal set aside
    // (which stays with the folder, whatever is restored).
    const fs::path copy = home.path() / "backup" / "20260601-120000";
    WriteYear(copy, 13, 3);
    WriteBytes(copy / "RIREKI13.DAT", "RRK1");
    WriteYear(year, 13, 5);
    WriteBytes(year / "RIREKI13.DAT", "RRK1" + std::string(44, '\x01'));
    WriteBytes(year / "SEIZO13.DAT", std::string(64, '\0'));
    WriteBytes(year / "KEIRI13-ASIDE1.JNL", "TABJRNL3");
    thisYear = TreeOf(year);

    std::string said;
    auto restore = [&] {
        auto report = RestoreCopy(copy, year, home.path() / "backup", "20260615-120000");
        said = report ? DescribeRestore(*report, "\n") : FileErrorMessage(report.error());
        const char* const expected = report ? "のコピーからデータを戻しました。年度のファイルはすべてコピーのとおりです。"
                                            : "データは戻していません。データフォルダーは元のままです。";
        EXPECT_NE(said.find(expected), std::string::npos) << said;
        return report.ok();
    };
    for (bool canExchange : {true, false}) {
        Sweep("restore of an automatic copy", restore, canExchange, Year);
        // A folder inside the data folder, which no copy carries: the old data folder
        // is kept whole beside the restored one.
        fs::create_directories(year / "自分のメモ");
        WriteBytes(year / "自分のメモ" / "memo.txt", "memo");
        Sweep("restore over a folder holding a folder", restore, canExchange, Year);
        fs::remove_all(year / "自分のメモ");
    }

    // What a run without faults leaves: the copy's files, the journal set aside, the
    // file the copy lacks gone from the folder and kept, with the rest replaced, in a
    // copy of its own.
    ASSERT_TRUE(restore());
    Tree expected = TreeOf(copy);
    expected["KEIRI13-ASIDE1.JNL"] = "TABJRNL3";
    EXPECT_EQ(TreeOf(year), expected);
    Tree kept = thisYear;
    kept.erase("KEIRI13-ASIDE1.JNL");
    EXPECT_EQ(TreeOf(home.path() / "backup" / "20260615-120000"), kept);
    EXPECT_NE(said.find("SEIZO13.DAT"), std::string::npos) << said;
}

}  // namespace
}  // namespace tabulo
