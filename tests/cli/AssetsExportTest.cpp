// export assets and export private-shares on the fixture year (平成13 = 2001): the
// register's figures worked by hand, the shares' split, and a damaged register refused
// by name with the folder left as it was.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "assets/AssetFiles.h"
#include "cli/Arguments.h"
#include "cli/Check.h"
#include "cli/Commands.h"
#include "store/Text.h"
#include "tests/cli/BooksFolder.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FromHex;
using testing::ReadBytes;
using testing::WriteBytes;

class AssetsExport : public testing::BooksFolder {
  protected:
    static AssetRegister Register() {
        FixedAsset fitting;
        fitting.AssetName = "店舗内装";
        fitting.AssetKind = 2;
        fitting.AcquiredOn = fitting.FirstUsedOn = 19950601;
        fitting.Cost = 1000000;
        fitting.OpeningBookValue = 500000;
        fitting.UsefulLife = 15;
        fitting.Method = AssetMethod::OldStraightLine;
        fitting.BusinessShare = 60;
        FixedAsset pc;
        pc.AssetName = "パソコン";
        pc.Quantity = "1台";
        pc.AcquiredOn = pc.FirstUsedOn = 20011220;
        pc.Cost = pc.OpeningBookValue = 180000;
        pc.Method = AssetMethod::LumpSum;
        return {fitting, pc};
    }
};

TEST(AssetsArguments, ExportAssetsAndPrivateSharesAreKnownWords) {
    for (const char* what : {"assets", "private-shares"}) {
        auto e = ParseArguments({"export", what, "/d"});
        ASSERT_TRUE(e.request) << e.error;
        EXPECT_EQ(e.request->exportRequest.what, what);
        auto p = ParseArguments({"print", what, "/d", "-o", "p.pdf"});
        ASSERT_TRUE(p.request) << p.error;
        EXPECT_EQ(p.request->printRequest.what, what);
        EXPECT_NE(HelpText(true, "export").find(what), std::string::npos);
        EXPECT_NE(HelpText(true, "print").find(what), std::string::npos);
    }
}

TEST_F(AssetsExport, TheRegisterWithTheYearsFiguresWorkedByHand) {
    ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN13.DAT", Register()).ok());
    const auto before = Snapshot();
    Run r = Export({"assets", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    std::istringstream lines(r.out.substr(3));  // after the byte-order mark
    std::vector<std::string> got;
    for (std::string l; std::getline(lines, l);) got.push_back(l);
    ASSERT_GE(got.size(), 5u);
    // 1,000,000 x 0.9 x 0.066 = 59,400; 60 % is 35,640, 23,760 private.
    EXPECT_EQ(got[1], "店舗内装,建物附属設備,,1995-06-01,1995-06-01,1000000,旧定額法,15,0.066,12,"
                      "500000,59400,60,35640,23760,440600,\r");
    // A third of 180,000 in the December of first use.
    EXPECT_EQ(got[2], "パソコン,工具器具備品,1台,2001-12-20,2001-12-20,180000,一括償却資産,,1/3,12,"
                      "180000,60000,100,60000,0,120000,\r");
    EXPECT_EQ(got[3], "合計,,,,,,,,,,680000,119400,,95640,23760,560600,\r");
    EXPECT_EQ(got[4].rfind("注,", 0), 0u);
    EXPECT_NE(r.out.find("切上げ"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(AssetsExport, ADamagedRegisterIsRefusedByName) {
    WriteBytes(dir / "SHISAN13.DAT", FromHex("53534e31 0100"));
    const auto before = Snapshot();
    Run r = Export({"assets", dir.path().string()});
    EXPECT_EQ(r.status, ExitStatus::Refused);
    EXPECT_NE(r.err.find("SHISAN13.DAT"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(AssetsExport, PrivateSharesSplitAnExpenseItem) {
    // Item 4 (1,200 yen paid out on 13-04-02) made an expense of page 1's line 23 (地代家賃) and
    // split at 40 %: 480 to the business, 720 private.
    std::string master = ReadBytes(dir / "MASTER.DAT");
    const std::string line = ToCp932("\"普通預金へ\",5,\"支出\",0,0\r\n").value();
    const auto at = master.find(line);
    ASSERT_NE(at, std::string::npos);
    master.replace(at, line.size(), ToCp932("\"普通預金へ\",4,\"支出\",0,23\r\n").value());
    WriteBytes(dir / "MASTER.DAT", master);
    ItemShares shares{};
    shares[4] = 40;
    ASSERT_TRUE(SaveItemShares(dir / "ANBUN13.DAT", shares).ok());
    const auto before = Snapshot();
    Run r = Export({"private-shares", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(r.status, ExitStatus::Ok) << r.err;
    EXPECT_EQ(r.out, "\xEF\xBB\xBF項目,項目名,行,年間合計,事業割合,必要経費,事業主貸\r\n"
                     "4,普通預金へ,23,1200,40,480,720\r\n"
                     "合計,,,1200,,480,720\r\n");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(AssetsExport, CheckNamesAnAssetTheRulesRefuse) {
    AssetRegister reg = Register();
    reg[1].Method = AssetMethod::StraightLine;  // 定額法 for an asset of 2001
    reg[1].UsefulLife = 4;
    ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN13.DAT", reg).ok());
    auto report = CheckYearFolder(dir.path());
    ASSERT_TRUE(report.ok());
    bool named = false;
    for (const CheckFinding& x : report->findings)
        if (x.fault && x.file == "SHISAN13.DAT" && x.text.find("資産 2") != std::string::npos) named = true;
    EXPECT_TRUE(named);
    // The register as kept gives no finding.
    ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN13.DAT", Register()).ok());
    auto clean = CheckYearFolder(dir.path());
    ASSERT_TRUE(clean.ok());
    for (const CheckFinding& x : clean->findings) EXPECT_NE(x.file, "SHISAN13.DAT") << x.text;
}

// The closing entries the books' exports see: each asset's business share to 減価償却費,
// its private share to 事業主貸, as the statement takes them.
TEST_F(AssetsExport, TheTrialBalanceTakesTheRegistersDepreciation) {
    auto row = [&](const std::string& csv, const std::string& account) {
        std::istringstream lines(csv);
        for (std::string l; std::getline(lines, l);)
            if (l.find("," + account + ",") != std::string::npos || l.rfind(account + ",", 0) == 0) return l;
        return std::string();
    };
    // The last figure of a row: the closing balance.
    auto closing = [](const std::string& line) {
        std::string t = line;
        while (!t.empty() && (t.back() == '\r' || t.back() == '\n')) t.pop_back();
        return std::stoll(t.substr(t.rfind(',') + 1));
    };
    Run without = Export({"trial-balance", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(without.status, ExitStatus::Ok) << without.err;
    ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN13.DAT", Register()).ok());
    Run with = Export({"trial-balance", dir.path().string(), "--encoding", "utf-8"});
    ASSERT_EQ(with.status, ExitStatus::Ok) << with.err;
    const std::string depreciation = row(with.out, "減価償却費");
    ASSERT_FALSE(depreciation.empty()) << with.out;
    EXPECT_EQ(closing(depreciation), 35640 + 60000);
    const std::string before = row(without.out, "事業主貸"), after = row(with.out, "事業主貸");
    ASSERT_FALSE(after.empty()) << with.out;
    EXPECT_EQ(closing(after) - (before.empty() ? 0 : closing(before)), 23760);
}

TEST_F(AssetsExport, CheckNotesABookValueBelowOneYen) {
    AssetRegister reg = Register();
    reg[0].OpeningBookValue = 0;  // the fitting typed as written off
    ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN13.DAT", reg).ok());
    auto report = CheckYearFolder(dir.path());
    ASSERT_TRUE(report.ok());
    bool below = false;
    for (const CheckFinding& x : report->findings)
        if (x.file == "SHISAN13.DAT" && x.text.find("資産 1 店舗内装: 帳簿価額が1円") != std::string::npos)
            below = true;
    EXPECT_TRUE(below);
}

TEST_F(AssetsExport, PrintAssetsIsTheRegistersPrintout) {
    ASSERT_TRUE(SaveAssetRegister(dir / "SHISAN13.DAT", Register()).ok());
    const auto before = Snapshot();
    testing::TempFolder out;
    std::ostringstream err;
    int status = 0;
    PrintRequest r{"assets", 0, dir.path(), out / "a.pdf", false, ""};
    auto doc = BuildPrintout(r, err, status);
    ASSERT_TRUE(doc) << err.str();
    EXPECT_EQ(doc->name, "固定資産台帳");
    std::string all;
    for (const PrintPage& p : doc->pages)
        for (const DrawOp& op : p.ops)
            if (op.kind == DrawKind::Text) all += op.text + "\n";
    EXPECT_NE(all.find("店舗内装"), std::string::npos);
    EXPECT_NE(all.find("440,600"), std::string::npos);
    EXPECT_NE(all.find("旧定額法の償却率"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace tabulo
