// The saves of the register and of the shares with the Nth write, flush, rename or
// removal failing or the process stopping there (also half-way through a write): a
// fresh read finds exactly the old or exactly the new file, and a save that reports
// success left the new one.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "assets/AssetFiles.h"
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

std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind('.', 0) == 0 && name.find(".tmp") != std::string::npos) continue;
        files[name] = ReadBytes(e.path());
    }
    return files;
}

FixedAsset Asset(const char* name, Amount cost) {
    FixedAsset a;
    a.AssetName = name;
    a.AcquiredOn = a.FirstUsedOn = 20260201;
    a.Cost = a.OpeningBookValue = cost;
    a.UsefulLife = 4;
    return a;
}
AssetRegister OldRegister() { return {Asset("パソコン", 250000)}; }
AssetRegister NewRegister() { return {Asset("パソコン", 250000), Asset("複合機", 420000)}; }
ItemShares OldShares() {
    ItemShares s{};
    s[23] = 40;
    return s;
}
ItemShares NewShares() {
    ItemShares s = OldShares();
    s[12] = 70;
    return s;
}

struct Save {
    const char* name;
    std::function<Status(const fs::path&)> run;
    std::function<bool(const fs::path&, bool wantNew)> readsAs;
};

std::vector<Save> Saves() {
    return {
        {"register", [](const fs::path& d) { return SaveAssetRegister(d / "SHISAN08.DAT", NewRegister()); },
         [](const fs::path& d, bool wantNew) {
             auto r = LoadAssetRegister(d / "SHISAN08.DAT");
             return r.ok() && *r == (wantNew ? NewRegister() : OldRegister());
         }},
        {"shares", [](const fs::path& d) { return SaveItemShares(d / "ANBUN08.DAT", NewShares()); },
         [](const fs::path& d, bool wantNew) {
             auto r = LoadItemShares(d / "ANBUN08.DAT");
             return r.ok() && *r == (wantNew ? NewShares() : OldShares());
         }},
    };
}

TEST(AssetFaults, EveryFaultPointLeavesTheOldOrTheNewFile) {
    for (const Save& save : Saves()) {
        SCOPED_TRACE(save.name);
        TempFolder dir;
        auto reset = [&] {
            for (const auto& e : fs::directory_iterator(dir.path())) fs::remove(e.path());
            ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN08.DAT", OldRegister()).ok());
            ASSERT_TRUE(SaveItemShares(dir / "ANBUN08.DAT", OldShares()).ok());
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
        for (int n = 1; n <= counting.calls; ++n) {
            std::vector<FaultyFiles> faults{FaultyFiles(n, Fault::Fail), FaultyFiles(n, Fault::Stop)};
            const std::size_t size = counting.writeSizes[static_cast<std::size_t>(n - 1)];
            if (size > 1) faults.emplace_back(n, Fault::Stop, size / 2);
            for (FaultyFiles& files : faults) {
                SCOPED_TRACE("call " + std::to_string(n));
                reset();
                Status result = Ok();
                {
                    ScopedFileOps use(files);
                    result = save.run(dir.path());
                }
                ASSERT_TRUE(files.reached);
                const auto now = Files(dir.path());
                EXPECT_TRUE(now == before || now == after) << "neither the old nor the new file";
                const bool isNew = now == after;
                EXPECT_TRUE(save.readsAs(dir.path(), isNew));
                if (!files.stopped) {
                    EXPECT_EQ(isNew, result.ok() || result.error().applied);
                }
            }
        }
    }
}

}  // namespace
}  // namespace tabulo
