// The saves of the slip book and of the item accounts, with the Nth write, flush,
// rename or removal failing or the process stopping there (also half-way through a
// write): a fresh read finds exactly the old or exactly the new file, and a save that
// reports success left the new one.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "books/BooksFiles.h"
#include "platform/FileOps.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::Fault;
using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// The folder's files, without the temporary files a stopped save leaves beside
// (the program removes those at its next start).
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind('.', 0) == 0 && name.find(".tmp") != std::string::npos) continue;
        files[name] = ReadBytes(e.path());
    }
    return files;
}

struct Save {
    const char* name;
    std::function<Status(const fs::path&)> run;
    std::function<bool(const fs::path&, bool wantNew)> readsAs;
};

SlipBook OldBook() {
    SlipBook b;
    b.Openings = {{AccountCode::Cash, 1000}, {AccountCode::Capital, 1000}};
    b.Slips = {{"130401", AccountCode::Receivables, AccountCode::Sales, 500, "掛売り"}};
    return b;
}
SlipBook NewBook() {
    SlipBook b = OldBook();
    b.Slips.push_back({"130402", AccountCode::Cash, AccountCode::Receivables, 500, "回収"});
    return b;
}
ItemAccountArray OldAccounts() {
    ItemAccountArray a{};
    a[8] = AccountCode::Loans;
    return a;
}
ItemAccountArray NewAccounts() {
    ItemAccountArray a = OldAccounts();
    a[9] = AccountCode::OwnerDrawings;
    return a;
}

std::vector<Save> Saves() {
    return {
        {"slip book", [](const fs::path& d) { return SaveSlipBook(d / "FURIKAE13.DAT", NewBook()); },
         [](const fs::path& d, bool wantNew) {
             auto b = LoadSlipBook(d / "FURIKAE13.DAT");
             return b.ok() && *b == (wantNew ? NewBook() : OldBook());
         }},
        {"item accounts",
         [](const fs::path& d) { return SaveItemAccounts(d / "KAMOKU.DAT", NewAccounts()); },
         [](const fs::path& d, bool wantNew) {
             auto a = LoadItemAccounts(d / "KAMOKU.DAT");
             return a.ok() && *a == (wantNew ? NewAccounts() : OldAccounts());
         }},
    };
}

TEST(BooksFaults, EveryFaultPointLeavesTheOldOrTheNewFile) {
    for (const Save& save : Saves()) {
        SCOPED_TRACE(save.name);
        TempFolder dir;
        auto reset = [&] {
            for (const auto& e : fs::directory_iterator(dir.path())) fs::remove(e.path());
            ASSERT_TRUE(SaveSlipBook(dir / "FURIKAE13.DAT", OldBook()).ok());
            ASSERT_TRUE(SaveItemAccounts(dir / "KAMOKU.DAT", OldAccounts()).ok());
        };
        reset();
        const auto before = Files(dir.path());
        FaultyFiles counting;
        {
            ScopedFileOps use(counting);
            ASSERT_TRUE(save.run(dir.path()).ok());
        }
        const auto after = Files(dir.path());
        ASSERT_NE(after, before);
        ASSERT_GT(counting.calls, 0);
        int tried = 0;
        for (int n = 1; n <= counting.calls; ++n) {
            std::vector<FaultyFiles> faults{FaultyFiles(n, Fault::Fail),
                                            FaultyFiles(n, Fault::Stop)};
            if (counting.writeSizes[static_cast<std::size_t>(n - 1)] > 1)
                faults.emplace_back(n, Fault::Stop,
                                    counting.writeSizes[static_cast<std::size_t>(n - 1)] / 2);
            for (FaultyFiles& files : faults) {
                SCOPED_TRACE("call " + std::to_string(n));
                reset();
                Status result = Ok();
                {
                    ScopedFileOps use(files);
                    result = save.run(dir.path());
                }
                ASSERT_TRUE(files.reached);
                ++tried;
                const auto now = Files(dir.path());
                EXPECT_TRUE(now == before || now == after) << "neither the old nor the new file";
                const bool isNew = now == after;
                EXPECT_TRUE(save.readsAs(dir.path(), isNew));
                if (!files.stopped) {
                    const bool applied = result.ok() || result.error().applied;
                    EXPECT_EQ(isNew, applied) << "the result says otherwise";
                }
            }
        }
        EXPECT_GE(tried, 2 * counting.calls);
    }
}

}  // namespace
}  // namespace tabulo
