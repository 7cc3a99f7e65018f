// Every cash-book operation and every whole-file save, with the Nth write, flush,
// truncate, rename or removal failing, or the process stopping there (also half-way
// through a write), for every N the operation reaches. After each, a fresh read of
// the data must find exactly the files before the operation or exactly the files
// after it, byte for byte; the operation's result must say which, and the shared
// state of a failed operation must be what the files hold.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>

#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FakePrompt;
using testing::Fault;
using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

using Snapshot = std::map<std::string, std::string>;

std::string Bytes(const std::vector<std::byte>& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size());
}

LedgerLine Line(const char* date, int item, Amount in, Amount out, Amount z) {
    LedgerLine l = BlankLedgerLine(z);
    l.NenGetsuBi = date;
    l.Youbi = "（月）";
    l.ItemNo = static_cast<std::int16_t>(item);
    l.Indata = in;
    l.Outdata = out;
    return l;
}

struct Operation {
    const char* name;
    bool cashBook;  // a journalled ledger operation (the shared state must follow the files)
    std::function<Status(SharedState&)> run;
};

class JournalFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        program = temp.path() / "prog";
        data = program / "drives" / "A" / "KEIRIDATA";
        fs::create_directories(data);
        WriteYear();
        before = Take();
    }

    // A year with a carry-over, an income, a deposit withdrawal (account 1), an
    // expense and a deposit; the header totals and the last balance are stale, so
    // that 終了 and 再計算 have something to write.
    void WriteYear() {
        WriteBytes(program / "TAB_SET3.DAT", "A\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
        WriteBytes(data / "DATE.DAT", Bytes(*EncodeFiscalYearFile({13, "平成", 0})));
        MasterHeaderArray header;
        header[MasterField::BusinessName] = "試験商店";
        ItemTableArray items;
        auto item = [&](int n, const char* name, int kubun, const char* kubunName) {
            items[static_cast<std::size_t>(n)] = {name, static_cast<std::int16_t>(kubun), kubunName,
                                                  0, 0};
        };
        item(1, "売上", 1, "収入");
        item(2, "預金引出", 2, "収入");
        item(4, "仕入", 4, "支出");
        item(5, "預入れ", 5, "支出");
        item(7, "前月繰越", 7, "");
        WriteBytes(data / "MASTER.DAT", Bytes(*EncodeMasterFile(header, items)));
        WriteBytes(data / "SHINKOKU.DAT", Bytes(*EncodeTaxReturnFile(DefaultTaxReturnData())));

        LedgerHeaderRecord h;
        h.LineCount = 5;
        std::vector<std::byte> ledger = EncodeLedgerHeader(h);
        for (const LedgerLine& l :
             {Line("130401", 7, 10000, 0, 10000), Line("130402", 1, 5000, 0, 15000),
              Line("130403", 2, 3000, 0, 18000), Line("130405", 4, 0, 2000, 16000),
              Line("130406", 5, 0, 1000, 14000)}) {
            auto bytes = EncodeLedgerLine(l);
            ledger.insert(ledger.end(), bytes->begin(), bytes->end());
        }
        WriteBytes(data / "KEIRI13.DAT", Bytes(ledger));

        DepositBookRecord book = ClearedDepositBook();
        book.AccountName[1] = "普通預金";
        book.CurrentBalance[1] = 100000;
        book.CurrentTotal = 100000;
        WriteBytes(data / "YOKIN13.DAT", Bytes(*EncodeDepositBook(book)));
    }

    // Every file of the program folder and the data folder, but the temporary files a
    // killed save leaves (reading the data removes those of an earlier run).
    Snapshot Take() const {
        static const std::regex temporary(R"(\..+\.tmp[0-9]+-[0-9]+)");
        Snapshot snap;
        for (const fs::path& folder : {program, data}) {
            for (const auto& e : fs::directory_iterator(folder)) {
                const std::string name = e.path().filename().string();
                if (!e.is_regular_file() || std::regex_match(name, temporary)) continue;
                snap[(folder == data ? "data/" : "") + name] = ReadBytes(e.path());
            }
        }
        return snap;
    }
    void Put(const Snapshot& snap) {
        for (const fs::path& folder : {program, data})
            for (const auto& e : fs::directory_iterator(folder))
                if (e.is_regular_file()) fs::remove(e.path());
        for (const auto& [name, bytes] : snap)
            WriteBytes(name.starts_with("data/") ? data / name.substr(5) : program / name, bytes);
    }

    // The state a fresh start and read of the data give.
    SharedState Fresh(FakePrompt& prompt) {
        SharedState s;
        s.ProgramFolder = program;
        FillKubunNames(s);
        EXPECT_TRUE(ReadSetupFile(s).ok());
        ReadDataSet(s, prompt, {});
        EXPECT_EQ(s.DataLoaded, 1) << prompt.LastText();
        s.TaxReturnData = DefaultTaxReturnData();
        return s;
    }

    static std::vector<Operation> Operations() {
        RowFields income{"130402", "（月）", 1, ""};
        RowFields withdrawal{"130403", "（月）", 2, ""};
        RowFields appended{"130407", "（月）", 1, "追加"};
        return {
            {"post", true, [=](SharedState& s) { return PostAmount(s, 2, 1, 6000, "04", income); }},
            {"post with deposit", true,
             [=](SharedState& s) {
                 DepositChange d{2, 1, 3000};
                 return PostAmount(s, 3, 1, 4500, "04", withdrawal, &d);
             }},
            {"append", true,
             [=](SharedState& s) { return PostAmount(s, 6, 1, 700, "04", appended); }},
            {"insert", true,
             [](SharedState& s) { return InsertLine(s, 2).ok() ? Ok() : Status(FileError{}); }},
            {"delete with deposit", true, [](SharedState& s) { return DeleteLine(s, 3, 1); }},
            {"finish", true, [](SharedState& s) { return FinishEntry(s); }},
            {"recalculate", true, [](SharedState& s) { return RecalculateAll(s); }},
            {"save master", false,
             [](SharedState& s) {
                 s.ItemTableEdit[3] = {"振込入金", 3, "収入", 0, 0};
                 return SaveMaster(s);
             }},
            {"save tax return", false,
             [](SharedState& s) {
                 s.TaxReturnData.lines[9][0].number = 1234;
                 return SaveTaxReturnData(s);
             }},
            {"save fiscal year", false,
             [](SharedState& s) {
                 s.FiscalYearSpare = 7;
                 return WriteFiscalYearFile(s);
             }},
            {"save settings", false,
             [](SharedState& s) {
                 s.SetupLines[3] = "12";
                 return WriteSetupFile(s);
             }},
            {"save deposit book", false,
             [](SharedState& s) {
                 s.DepositBook.AccountName[2] = "定期預金";
                 return SaveDepositBook(s);
             }},
        };
    }

    // Runs `op` on a fresh read of the year with `files` in place, then reads the
    // data again and checks the outcome. Returns the number of fault points tried
    // (1, or 0 when the operation never reached call N).
    int Try(const Operation& op, const Snapshot& after, FaultyFiles files,
            const std::string& what) {
        SCOPED_TRACE(std::string(op.name) + ", " + what);
        Put(before);
        FakePrompt quiet;
        SharedState s = Fresh(quiet);
        Status result = Ok();
        {
            ScopedFileOps use(files);
            result = op.run(s);
        }
        if (!files.reached) return 0;
        const bool failed = !result.ok();
        const bool applied = !failed || result.error().applied;
        const bool killed = files.stopped;

        if (!killed) {
            // Without a kill the files are already whole, before any recovery (a
            // journal that could not be removed aside).
            Snapshot now = Take();
            now.erase("data/KEIRI13.JNL");
            EXPECT_TRUE(now == (applied ? after : before)) << "files before the next read";
        }
        FakePrompt prompt;
        SharedState again = Fresh(prompt);
        const Snapshot now = Take();
        EXPECT_TRUE(now == before || now == after) << "neither the old nor the new files";
        if (!killed) {
            EXPECT_TRUE(now == (applied ? after : before)) << "the result says otherwise";
        }
        if (op.cashBook && !killed) {
            // Memory follows the disk.
            EXPECT_EQ(s.LedgerHeader, again.LedgerHeader);
            EXPECT_EQ(s.DepositBook, again.DepositBook);
        }
        // Recovery speaks only when it undid something, and then says so once.
        int told = 0;
        for (const auto& box : prompt.shown) told += box.text == kRecoveredMessage;
        EXPECT_LE(told, 1);
        if (told == 1) {
            EXPECT_TRUE(now == before);
        }
        EXPECT_FALSE(fs::exists(data / "KEIRI13.JNL"));
        return 1;
    }

    TempFolder temp;
    fs::path program;
    fs::path data;
    Snapshot before;
};

TEST_F(JournalFaults, EveryFaultPointLeavesTheOldOrTheNewFiles) {
    int tried = 0;
    for (const Operation& op : Operations()) {
        // The run without faults: the files after, and how many calls it makes.
        Put(before);
        FakePrompt prompt;
        SharedState s = Fresh(prompt);
        FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            ASSERT_TRUE(op.run(s).ok()) << op.name;
        }
        Fresh(prompt);  // the kept journal goes when the data are read
        const Snapshot after = Take();
        ASSERT_FALSE(after == before) << op.name << " changed nothing";
        ASSERT_GT(counting.calls, 0) << op.name;
        for (int n = 1; n <= counting.calls; ++n) {
            tried +=
                Try(op, after, FaultyFiles(n, Fault::Fail), "call " + std::to_string(n) + " fails");
            tried +=
                Try(op, after, FaultyFiles(n, Fault::Stop), "stopped at call " + std::to_string(n));
        }
    }
    std::printf("fault points tried: %d\n", tried);
    EXPECT_GT(tried, 100);
}

// The disk gives up in the middle of an operation and comes back (a stick pulled out
// and put in again) without the data being read again: the next look at the book
// finds the files as they were before the operation, as memory has them.
TEST_F(JournalFaults, AnOperationCutShortIsUndoneBeforeTheBookIsShownAgain) {
    for (const Operation& op : Operations()) {
        if (!op.cashBook) continue;
        Put(before);
        FakePrompt prompt;
        SharedState first = Fresh(prompt);
        const auto page = ReadPage(first, 1);
        ASSERT_TRUE(page.ok());
        FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            ASSERT_TRUE(op.run(first).ok());
        }
        for (int n = 1; n <= counting.calls; ++n) {
            SCOPED_TRACE(std::string(op.name) + ", gone at call " + std::to_string(n));
            Put(before);
            SharedState s = Fresh(prompt);
            FaultyFiles files(n, Fault::Stop);
            Status st = Ok();
            {
                ScopedFileOps use(files);
                st = op.run(s);
            }
            ASSERT_FALSE(st.ok());
            auto shown = ReadPage(s, 1);
            ASSERT_TRUE(shown.ok());
            EXPECT_TRUE(*shown == *page);
            Snapshot now = Take();
            EXPECT_FALSE(JournalIsLive(data / "KEIRI13.JNL"));
            now.erase("data/KEIRI13.JNL");
            EXPECT_TRUE(now == before);
        }
    }
}

// A power cut or a kill during a large write leaves part of it on the disk: the
// journal's own write cut short is thrown away, a data file cut short is rolled back.
TEST_F(JournalFaults, WritesCutShortLeaveTheOldFiles) {
    int tried = 0;
    for (const Operation& op : Operations()) {
        Put(before);
        FakePrompt prompt;
        SharedState s = Fresh(prompt);
        FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            ASSERT_TRUE(op.run(s).ok()) << op.name;
        }
        Fresh(prompt);  // the kept journal goes when the data are read
        const Snapshot after = Take();
        for (int n = 1; n <= counting.calls; ++n) {
            const std::size_t size = counting.writeSizes[static_cast<std::size_t>(n - 1)];
            if (size < 2) continue;
            for (std::size_t cut : {std::size_t{1}, size / 2, size - 1}) {
                SCOPED_TRACE(std::string(op.name) + ": write " + std::to_string(n) + " cut at " +
                             std::to_string(cut));
                tried += Try(op, after, FaultyFiles(n, Fault::Stop, cut), "torn");
                EXPECT_TRUE(Take() == before);
            }
        }
    }
    std::printf("torn writes tried: %d\n", tried);
    EXPECT_GT(tried, 30);
}

}  // namespace
}  // namespace tabulo
