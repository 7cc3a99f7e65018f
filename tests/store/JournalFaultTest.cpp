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
#include "cashbook/Undo.h"
#include "platform/FileOps.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/RollbackJournal.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "tests/support/RollbackJournalWriter.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/PowerCut.h"
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
std::vector<std::byte> ToBytes(const std::string& s) {
    const auto* p = reinterpret_cast<const std::byte*>(s.data());
    return std::vector<std::byte>(p, p + s.size());
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

// The data files as a read leaves them, without the journal's own files.
Snapshot DataOnly(Snapshot snap) {
    std::erase_if(snap, [](const auto& e) {
        return e.first.starts_with("data/") && IsJournalFileName(e.first.substr(5));
    });
    return snap;
}

// The cash book screen's list for 元に戻す in the run under test; a fresh read of the
// year (a new start of the program) begins it anew.
UndoLists& ScreenUndo() {
    static UndoLists lists;
    return lists;
}

struct Operation {
    const char* name;
    bool cashBook;  // a journalled ledger operation (the shared state must follow the files)
    int records;    // how many records it appends to the year's history
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
        ScreenUndo() = {};
        SharedState s;
        s.ProgramFolder = program;
        FillKubunNames(s);
        EXPECT_TRUE(ReadSetupFile(s).ok());
        ReadDataSet(s, prompt, {});
        EXPECT_EQ(s.DataLoaded, 1) << prompt.LastText();
        s.TaxReturnData = DefaultTaxReturnData();
        // The history's records carry the same time in every run, so that the files
        // after an operation are the same bytes each time.
        s.HistoryClock = [] { return std::string("20261208093000"); };
        return s;
    }

    static std::vector<Operation> Operations() {
        RowFields income{"130402", "（月）", 1, ""};
        RowFields withdrawal{"130403", "（月）", 2, ""};
        RowFields appended{"130407", "（月）", 1, "追加"};
        return {
            {"post", true, 1, [=](SharedState& s) { return PostAmount(s, 2, 1, 6000, "04", income, nullptr, &ScreenUndo().CashBook); }},
            {"post with deposit", true, 2,
             [=](SharedState& s) {
                 DepositChange d{2, 1, 3000};
                 return PostAmount(s, 3, 1, 4500, "04", withdrawal, &d, &ScreenUndo().CashBook);
             }},
            {"append", true, 1,
             [=](SharedState& s) {
                 return PostAmount(s, s.LedgerHeader.LineCount + 1, 1, 700, "04", appended, nullptr, &ScreenUndo().CashBook);
             }},
            {"insert", true, 1,
             [](SharedState& s) { return InsertLine(s, 2, &ScreenUndo().CashBook).ok() ? Ok() : Status(FileError{}); }},
            {"delete with deposit", true, 2, [](SharedState& s) { return DeleteLine(s, 3, 1, &ScreenUndo().CashBook); }},
            // Neither changes an entry: nothing recorded.
            {"finish", true, 0, [](SharedState& s) { return FinishEntry(s); }},
            {"recalculate", true, 0, [](SharedState& s) { return RecalculateAll(s); }},
            {"save master", false, 0,
             [](SharedState& s) {
                 s.ItemTableEdit[3] = {"振込入金", 3, "収入", 0, 0};
                 return SaveMaster(s);
             }},
            {"save tax return", false, 0,
             [](SharedState& s) {
                 s.TaxReturnData.lines[9][0].number = 1234;
                 return SaveTaxReturnData(s);
             }},
            {"save fiscal year", false, 0,
             [](SharedState& s) {
                 s.FiscalYearSpare = 7;
                 return WriteFiscalYearFile(s);
             }},
            {"save settings", false, 0,
             [](SharedState& s) {
                 s.SetupLines[3] = "12";
                 return WriteSetupFile(s);
             }},
            {"save deposit book", false, 1,  // the account renamed
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
        // The history holds the operation's records when the books hold the
        // operation: every fault point below ends in `before` or `after` whole.
        auto history = LoadHistory(data / "RIREKI13.DAT");
        ASSERT_TRUE(history.ok());
        EXPECT_EQ(history->Records.size(), static_cast<std::size_t>(op.records)) << op.name;
        EXPECT_TRUE(history->Damage.empty()) << op.name;
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
        const auto pageAfter = ReadPage(first, 1);
        ASSERT_TRUE(pageAfter.ok());
        Fresh(prompt);
        const Snapshot after = DataOnly(Take());
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
            // Once the files are written and flushed the operation is done, whatever
            // becomes of the journal's mark after that.
            auto shown = ReadPage(s, 1);
            ASSERT_TRUE(shown.ok());
            EXPECT_TRUE(*shown == (st.ok() ? *pageAfter : *page));
            EXPECT_FALSE(JournalIsLive(data / "KEIRI13.JNL"));
            EXPECT_TRUE(DataOnly(Take()) == (st.ok() ? after : DataOnly(before)));
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
        // A write cut short fails the operation, and the operation is undone: also
        // one of the files' writes after the log's flush (a process killed there for
        // real leaves a committed record, which the power-cut tests below follow).
        for (int n = 1; n <= counting.calls; ++n) {
            const std::size_t size = counting.writeSizes[static_cast<std::size_t>(n - 1)];
            if (size < 2) continue;
            for (std::size_t cut : {std::size_t{1}, size / 2, size - 1, std::size_t{512},
                                    std::size_t{1024}}) {
                if (cut >= size) continue;
                SCOPED_TRACE(std::string(op.name) + ": write " + std::to_string(n) + " cut at " +
                             std::to_string(cut));
                FaultyFiles files(n, Fault::Stop, cut);
                files.sectorCuts = true;
                tried += Try(op, after, files, "torn");
                EXPECT_TRUE(Take() == before);
            }
        }
    }
    std::printf("torn writes tried: %d\n", tried);
    EXPECT_GT(tried, 30);
}


// ---- Power cuts ----


struct Step {
    const char* name;
    std::function<Status(SharedState&)> run;
};
struct Scenario {
    std::string name;
    std::vector<Step> steps;
};

class PowerCuts : public JournalFaults {
  protected:
    // A year of 30 lines, so that a walk's writes span several sectors.
    void SetUp() override {
        JournalFaults::SetUp();
        LedgerHeaderRecord h;
        h.LineCount = 30;
        std::vector<std::byte> ledger = EncodeLedgerHeader(h);
        Amount balance = 10000;
        for (int n = 1; n <= 30; ++n) {
            const int item = n == 1 ? 7 : n == 3 ? 2 : n == 5 ? 5 : n % 2 == 0 ? 1 : 4;
            const Amount in = item == 4 || item == 5 ? 0 : n == 1 ? 10000 : 100 + n;
            const Amount out = item == 4 || item == 5 ? 50 + n : 0;
            balance += in - out;
            char date[7];
            std::snprintf(date, sizeof date, "1304%02d", n);
            auto bytes = EncodeLedgerLine(Line(date, item, in, out, balance));
            ledger.insert(ledger.end(), bytes->begin(), bytes->end());
        }
        WriteBytes(data / "KEIRI13.DAT", Bytes(ledger));
        before = Take();
    }

    void PutData(const std::map<std::string, std::string>& files) {
        for (const auto& e : fs::directory_iterator(data))
            if (e.is_regular_file()) fs::remove(e.path());
        for (const auto& [name, bytes] : files) WriteBytes(data / name, bytes);
    }

    static std::vector<Scenario> Scenarios() {
        std::vector<Scenario> out;
        for (const Operation& op : Operations())
            if (op.cashBook) out.push_back({op.name, {{op.name, op.run}}});
        const auto ops = Operations();
        auto find = [&](const char* name) {
            for (const Operation& op : ops)
                if (std::string(op.name) == name) return Step{op.name, op.run};
            return Step{};
        };
        out.push_back({"post with deposit, then the deposit book saved",
                       {find("post with deposit"), find("save deposit book")}});
        out.push_back({"delete with deposit, then the deposit book saved",
                       {find("delete with deposit"), find("save deposit book")}});
        out.push_back(
            {"post, then a statement page saved", {find("post"), find("save tax return")}});
        out.push_back({"post with deposit, then a statement page saved",
                       {find("post with deposit"), find("save tax return")}});
        // Several operations in one log, their files' writes all unflushed.
        out.push_back({"post, then append, then delete with deposit",
                       {find("post"), find("append"), find("delete with deposit")}});
        // A log full after one operation: the next settles it before its own record.
        const Step post = find("post with deposit");
        const Step insert = find("insert");
        // 元に戻す: the ledger and the account back as before, the history grown.
        const Step undo{"undo", [](SharedState& s) -> Status {
                            auto r = UndoLastCashBookOperation(s, ScreenUndo().CashBook);
                            if (!r) return r.error();
                            EXPECT_TRUE(r->undone) << r->refusal;
                            return Ok();
                        }};
        out.push_back({"post with deposit, then undone", {find("post with deposit"), undo}});
        out.push_back({"delete with deposit, then undone", {find("delete with deposit"), undo}});
        out.push_back({"insert, then append, both undone", {find("insert"), find("append"), undo, undo}});
        out.push_back({"post with deposit, then insert into a full log",
                       {post, {"insert into a full log", [insert](SharedState& s) {
                            SetJournalSettleSize(64);
                            Status st = insert.run(s);
                            SetJournalSettleSize(kJournalSettleSize);
                            return st;
                        }}}});
        return out;
    }

    // Reads the data after a cut and checks what the read gives: one of `allowed`,
    // no journal that still counts, nothing set aside. Returns the snapshot.
    Snapshot ReadAfterCut(const std::vector<const Snapshot*>& allowed, const std::string& what) {
        FakePrompt prompt;
        SharedState again = Fresh(prompt);
        const Snapshot now = DataOnly(Take());
        bool matches = false;
        for (const Snapshot* a : allowed) matches = matches || now == *a;
        EXPECT_TRUE(matches) << what;
        EXPECT_FALSE(JournalIsLive(data / "KEIRI13.JNL")) << what;
        for (const auto& box : prompt.shown)
            EXPECT_EQ(box.text.find("ASIDE"), std::string::npos) << what << ": " << box.text;
        return now;
    }

    // Every crash state of the scenario, by write and by sector. Returns how many.
    long CutEverywhere(const Scenario& sc, bool bySector, long& ofRecovery) {
        SCOPED_TRACE(sc.name + (bySector ? ", by sector" : ", by write"));
        testing::UnflushedFiles noWaiting;
        ScopedFileOps use(noWaiting);
        Put(before);
        FakePrompt quiet;
        SharedState s = Fresh(quiet);
        std::vector<Snapshot> snaps{DataOnly(Take())};
        std::vector<std::size_t> doneAt;
        testing::PowerCutFiles run(data);
        for (const Step& step : sc.steps) {
            {
                ScopedFileOps use(run);
                EXPECT_TRUE(step.run(s).ok()) << step.name;
            }
            doneAt.push_back(run.ops.size());
            snaps.push_back(DataOnly(Take()));
        }
        EXPECT_FALSE(snaps.back() == snaps.front());
        long states = 0;
        long liveSeen = 0;  // every 8th state with a journal that counts is cut again
        for (std::size_t k = 0; k <= run.ops.size(); ++k) {
            // Steps reported done before the cut must stay done.
            std::size_t done = 0;
            while (done < doneAt.size() && doneAt[done] <= k) ++done;
            std::vector<const Snapshot*> allowed{&snaps[done]};
            if (done < sc.steps.size()) allowed.push_back(&snaps[done + 1]);
            testing::CrashPoint cut(run, k, bySector);
            int n = 0;
            for (const std::vector<bool>& subset : cut.Subsets()) {
                for (std::size_t names = 0; names <= cut.NameOps(); ++names) {
                    const std::string what = "cut after op " + std::to_string(k) + ", state " +
                                             std::to_string(n++);
                    const auto files = cut.Files(subset, names);
                    PutData(files);
                    const bool live = JournalIsLive(data / "KEIRI13.JNL");
                    ++states;
                    if (!live || bySector || liveSeen++ % 8 != 0) {
                        ReadAfterCut(allowed, what);
                        continue;
                    }
                    // A cut during the recovery itself: its own writes, cut anywhere.
                    testing::PowerCutFiles recovery(data);
                    Snapshot first;
                    {
                        ScopedFileOps use(recovery);
                        first = ReadAfterCut(allowed, what);
                    }
                    const Snapshot* outcome = nullptr;
                    for (const Snapshot* a : allowed)
                        if (*a == first) outcome = a;
                    if (outcome == nullptr) continue;
                    for (std::size_t r = 0; r < recovery.ops.size(); ++r) {
                        testing::CrashPoint again(recovery, r, false);
                        for (const std::vector<bool>& sub : again.Subsets(2)) {
                            PutData(again.Files(sub, again.NameOps()));
                            ++ofRecovery;
                            ReadAfterCut(allowed, what + ", recovery cut after op " +
                                                      std::to_string(r));
                        }
                    }
                }
            }
        }
        return states;
    }
};

// One test a scenario, so that a run on several cores shares them out.
constexpr int kPowerCutScenarios = 16;

TEST_F(PowerCuts, EveryScenarioHasItsTest) {
    EXPECT_EQ(Scenarios().size(), static_cast<std::size_t>(kPowerCutScenarios));
}

class PowerCutScenario : public PowerCuts, public ::testing::WithParamInterface<int> {};

TEST_P(PowerCutScenario, EveryCrashStateReadsAsTheOldOrTheNewFilesAndDoneStaysDone) {
    const std::vector<Scenario> all = Scenarios();
    ASSERT_LT(static_cast<std::size_t>(GetParam()), all.size());
    const Scenario& sc = all[static_cast<std::size_t>(GetParam())];
    long ofRecovery = 0;
    const long states = CutEverywhere(sc, false, ofRecovery) + CutEverywhere(sc, true, ofRecovery);
    std::printf("%s: %ld crash states, and %ld more cut during the recovery\n", sc.name.c_str(),
                states, ofRecovery);
    EXPECT_GT(states, 20);
    EXPECT_GT(ofRecovery, 0);
}

INSTANTIATE_TEST_SUITE_P(EachScenario, PowerCutScenario, ::testing::Range(0, kPowerCutScenarios));

// Case 1 with the redo log: a posting with a deposit correction, then a save of the
// deposit book. The save settles the log before it writes its own record (the posting
// written into the files and flushed, the log emptied and flushed), so no power cut can bring the
// posting's record back over the save; found again all the same (put back by hand),
// it does not fit the saved files and is set aside, never written over them.
TEST_F(PowerCuts, ALogIsSettledBeforeALaterSaveAndNeverWrittenOverIt) {
    Put(before);
    FakePrompt prompt;
    SharedState s = Fresh(prompt);
    DepositChange d{2, 1, 3000};
    RowFields withdrawal{"130403", "（月）", 2, ""};
    ASSERT_TRUE(PostAmount(s, 3, 1, 4500, "04", withdrawal, &d, &ScreenUndo().CashBook).ok());
    const std::string log = ReadBytes(data / "KEIRI13.JNL");
    ASSERT_EQ(log.substr(0, 8), "TABJRNL3");
    ASSERT_GT(log.size(), 8u);
    s.DepositBook.AccountName[2] = "定期預金";
    s.DepositBook.CurrentBalance[2] = 13;
    s.DepositBook.CurrentTotal += 13;
    ASSERT_TRUE(SaveDepositBook(s).ok());
    // The posting's record is gone from the log; the save's own record (the deposit
    // file with its history) is all it holds.
    const std::string ownLog = ReadBytes(data / "KEIRI13.JNL");
    EXPECT_EQ(ownLog.substr(0, 8), "TABJRNL3");
    EXPECT_EQ(ownLog.find("KEIRI13.DAT"), std::string::npos);
    EXPECT_NE(ownLog.find("YOKIN13.DAT"), std::string::npos);
    EXPECT_NE(ownLog.find("RIREKI13.DAT"), std::string::npos);
    const Snapshot saved = DataOnly(Take());
    prompt.Clear();
    SharedState again = Fresh(prompt);
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    EXPECT_TRUE(DataOnly(Take()) == saved);
    EXPECT_EQ(again.DepositBook.CurrentBalance[1], s.DepositBook.CurrentBalance[1]);
    EXPECT_EQ(again.DepositBook.CurrentBalance[2], 13);
    EXPECT_EQ(again.DepositBook.CurrentTotal, s.DepositBook.CurrentTotal);

    WriteBytes(data / "KEIRI13.JNL", log);
    prompt.Clear();
    Fresh(prompt);
    EXPECT_TRUE(DataOnly(Take()) == saved);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, SetAsideMessage("KEIRI13-ASIDE1.JNL"));
    EXPECT_EQ(ReadBytes(data / "KEIRI13-ASIDE1.JNL"), log);
    prompt.Clear();
    Fresh(prompt);
    EXPECT_TRUE(prompt.shown.empty());
}

// Case 1 with a rollback journal, as an older program left them: the journal of a
// posting whose cleared mark never reached the disk, then a save of the deposit
// book: the posting and the save both stay.
TEST_F(PowerCuts, AStaleRollbackJournalIsNeverRolledOverALaterSave) {
    Put(before);
    FakePrompt prompt;
    SharedState s = Fresh(prompt);
    DepositChange d{2, 1, 3000};
    RowFields withdrawal{"130403", "（月）", 2, ""};
    const Snapshot unposted = DataOnly(Take());
    ASSERT_TRUE(PostAmount(s, 3, 1, 4500, "04", withdrawal, &d, &ScreenUndo().CashBook).ok());
    ASSERT_TRUE(SettleJournal(data / "KEIRI13.JNL").ok());
    const Snapshot posted = DataOnly(Take());
    // The rollback journal the older program wrote for that posting: the old bytes of
    // every file it changed.
    std::vector<StagedFile> staged;
    for (const auto& [name, bytes] : posted) {
        const auto was = unposted.find(name);
        if (!name.starts_with("data/") || (was != unposted.end() && was->second == bytes))
            continue;
        StagedFile file{data / name.substr(5), was != unposted.end(), {}, {}};
        if (was != unposted.end()) file.before = ToBytes(was->second);
        file.after = ToBytes(bytes);
        staged.push_back(std::move(file));
    }
    ASSERT_FALSE(staged.empty());
    std::vector<FileChange> changes;
    for (const StagedFile& file : staged) changes.push_back(file.Change());
    const std::string journal = Bytes(EncodeJournal(changes));
    // The mark as it was before it was cleared: the power went before the page with
    // the cleared mark was written back.
    auto markSet = [&] {
        std::string j = journal;
        j.replace(0, 8, "TABJRNL2");
        WriteBytes(data / "KEIRI13.JNL", j);
    };
    markSet();
    s.DepositBook.AccountName[2] = "定期預金";
    s.DepositBook.CurrentBalance[2] = 13;
    s.DepositBook.CurrentTotal += 13;
    ASSERT_TRUE(SaveDepositBook(s).ok());
    EXPECT_FALSE(JournalIsLive(data / "KEIRI13.JNL"));
    const Snapshot saved = DataOnly(Take());
    prompt.Clear();
    SharedState again = Fresh(prompt);
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    EXPECT_TRUE(DataOnly(Take()) == saved);
    EXPECT_EQ(again.DepositBook.CurrentBalance[1], s.DepositBook.CurrentBalance[1]);
    EXPECT_EQ(again.DepositBook.CurrentBalance[2], 13);
    EXPECT_EQ(again.DepositBook.CurrentTotal, s.DepositBook.CurrentTotal);

    // The same journal found beside a deposit file written by something that did not
    // settle it (a copy put back by hand): the files stay, the journal is set aside
    // under its own name, and the user is told once.
    WriteBytes(data / "KEIRI13.JNL", journal);
    markSet();
    const std::string handWritten = ReadBytes(data / "YOKIN13.DAT");
    std::string changed = handWritten;
    changed[756 + 4] = '\x01';  // account 1's balance, one of the posting's ranges
    WriteBytes(data / "YOKIN13.DAT", changed);
    const Snapshot byHand = DataOnly(Take());
    prompt.Clear();
    Fresh(prompt);
    EXPECT_TRUE(DataOnly(Take()) == byHand);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("KEIRI13-ASIDE1.JNL"), std::string::npos);
    EXPECT_EQ(prompt.shown[0].text, SetAsideMessage("KEIRI13-ASIDE1.JNL"));
    EXPECT_FALSE(fs::exists(data / "KEIRI13.JNL"));
    EXPECT_EQ(ReadBytes(data / "KEIRI13-ASIDE1.JNL").substr(0, 8), "TABJRNL2");
    prompt.Clear();
    Fresh(prompt);
    EXPECT_TRUE(prompt.shown.empty());
}

// Case 2: an automatic copy restored over a folder that an interrupted operation
// left with its journal: the year is exactly the copy, and the replaced files are
// kept as one more copy.
TEST_F(PowerCuts, RestoringACopyOverAnInterruptedOperationGivesExactlyTheCopy) {
    Put(before);
    const fs::path copy = program / "backup" / "20261201-090000";
    fs::create_directories(copy);
    for (const auto& e : fs::directory_iterator(data)) fs::copy_file(e.path(), copy / e.path().filename());
    fs::create_directories(program / "backup" / ".partial-20261202-090000");
    // A later posting, then one cut short after its journal and part of its writes.
    FakePrompt prompt;
    SharedState s = Fresh(prompt);
    RowFields income{"130402", "（月）", 1, ""};
    ASSERT_TRUE(PostAmount(s, 2, 1, 6000, "04", income, nullptr, &ScreenUndo().CashBook).ok());
    const Snapshot posted = DataOnly(Take());
    DepositChange d{2, 1, 3000};
    RowFields withdrawal{"130403", "（月）", 2, ""};
    FaultyFiles cut(5, Fault::Stop);
    {
        ScopedFileOps use(cut);
        EXPECT_FALSE(PostAmount(s, 3, 1, 4500, "04", withdrawal, &d, &ScreenUndo().CashBook).ok());
    }
    ASSERT_TRUE(JournalIsLive(data / "KEIRI13.JNL"));

    auto copies = FinishedCopies(program);
    ASSERT_EQ(copies.size(), 1u);  // the half-written one is not offered
    auto report = RestoreCopy(copies[0], data, program / "backup", "20261208-100000");
    ASSERT_TRUE(report.ok()) << FileErrorMessage(report.error());
    EXPECT_EQ(report->keptAs, program / "backup" / "20261208-100000");
    ASSERT_EQ(report->journals.size(), 1u);
    EXPECT_EQ(report->journals[0].outcome, Recovery::RolledBack);
    const std::string said = DescribeRestore(*report, "\n");
    EXPECT_NE(said.find("2026/12/01 09:00:00 のコピーからデータを戻しました。"), std::string::npos)
        << said;
    EXPECT_NE(said.find("取り消して"), std::string::npos) << said;

    prompt.Clear();
    SharedState again = Fresh(prompt);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(DataOnly(Take()) == DataOnly(before));
    EXPECT_EQ(again.LedgerHeader.LineCount, 30);
    for (const auto& e : fs::directory_iterator(copy))
        EXPECT_EQ(ReadBytes(data / e.path().filename()), ReadBytes(e.path()));
    // The files replaced are the year as it was after the first posting.
    for (const auto& [name, bytes] : posted) {
        if (name.starts_with("data/")) {
            EXPECT_EQ(ReadBytes(program / "backup" / "20261208-100000" / name.substr(5)), bytes)
                << name;
        }
    }
    EXPECT_EQ(FinishedCopies(program).size(), 2u);
}

// Case 4: a journal with a valid checksum whose old length is far beyond what a
// ledger can be is damaged: nothing is extended, the journal goes.
TEST_F(PowerCuts, AJournalBeyondTheFilesLimitsIsRemovedAsDamaged) {
    Put(before);
    const std::string ledger = ReadBytes(data / "KEIRI13.DAT");
    std::string changedLedger = ledger;
    changedLedger[30] ^= 0x01;
    std::vector<FileChange> changes = {FileChange{
        data / "KEIRI13.DAT", true,
        std::as_bytes(std::span(ledger.data(), ledger.size())),
        std::as_bytes(std::span(changedLedger.data(), changedLedger.size())), {{30, 31}}, {}}};
    std::vector<std::byte> j = EncodeJournal(changes);
    ASSERT_TRUE(DecodeJournal(j).ok());
    // The file's old length sits after the file count, the name's length, the name
    // and the flag: 20 + 4 + 2 + 11 + 1.
    const std::size_t at = 20 + 4 + 2 + 11 + 1;
    const std::uint64_t huge = 1ull << 40;
    for (int i = 0; i < 8; ++i) j[at + static_cast<std::size_t>(i)] = std::byte((huge >> (8 * i)) & 0xFF);
    const std::uint64_t sum = JournalBodyChecksum(std::span<const std::byte>(j).subspan(20));
    for (int i = 0; i < 8; ++i) j[12 + static_cast<std::size_t>(i)] = std::byte((sum >> (8 * i)) & 0xFF);
    EXPECT_FALSE(DecodeJournal(j).ok());
    WriteBytes(data / "KEIRI13.JNL", std::string(reinterpret_cast<const char*>(j.data()), j.size()));
    WriteBytes(data / "KEIRI13.DAT", changedLedger);
    EXPECT_EQ(*InspectJournal(data / "KEIRI13.JNL"), Recovery::TornRemoved);
    FakePrompt prompt;
    Fresh(prompt);
    EXPECT_EQ(fs::file_size(data / "KEIRI13.DAT"), ledger.size());
    EXPECT_EQ(ReadBytes(data / "KEIRI13.DAT"), changedLedger);
    EXPECT_FALSE(fs::exists(data / "KEIRI13.JNL"));
}

// Ending the program removes the journal kept between operations: the data disk the
// user takes away holds the described files only.
TEST_F(PowerCuts, SettlingTheFolderLeavesOnlyTheDataFiles) {
    Put(before);
    FakePrompt prompt;
    SharedState s = Fresh(prompt);
    RowFields income{"130402", "（月）", 1, ""};
    ASSERT_TRUE(PostAmount(s, 2, 1, 6000, "04", income, nullptr, &ScreenUndo().CashBook).ok());
    ASSERT_TRUE(fs::exists(data / "KEIRI13.JNL"));
    auto settled = SettleDataFolder(data);
    ASSERT_TRUE(settled.ok());
    ASSERT_EQ(settled->size(), 1u);
    // The posting's record, already in the files, is flushed with them.
    EXPECT_EQ((*settled)[0].outcome, Recovery::Completed);
    for (const auto& e : fs::directory_iterator(data))
        EXPECT_TRUE(IsDataFileName(e.path().filename().string())) << e.path();
}

}  // namespace
}  // namespace tabulo
