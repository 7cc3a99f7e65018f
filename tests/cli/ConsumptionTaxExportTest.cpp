// export consumption-tax on the fixture year moved to 令和8 (2026): a cash sale of
// 5,000 and a sale on credit of 80,000 by slip (課税売上10%), a purchase on an item
// with no account (対象外). Sales 85,000 with tax: 課税標準額 77,000, 消費税額 6,006.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "consumptiontax/TaxSettings.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class ConsumptionTaxExport : public ::testing::Test {
  protected:
    void SetUp() override {
        // 8,"令和",0 with 令和 in CP932.
        WriteBytes(dir / "DATE.DAT", std::string("8,\"\x97\xDF\x98\x61\",0\r\n"));
        WriteBytes(dir / "MASTER.DAT", ReadBytes(FixturePath("MASTER.DAT")));
        WriteBytes(dir / "KEIRI08.DAT", ReadBytes(FixturePath("KEIRI13.DAT")));
        WriteBytes(dir / "YOKIN08.DAT", ReadBytes(FixturePath("YOKIN13.DAT")));
        WriteBytes(dir / "KAMOKU.DAT", ReadBytes(FixturePath("books/KAMOKU.DAT")));
        WriteBytes(dir / "FURIKAE08.DAT", ReadBytes(FixturePath("books/FURIKAE13.DAT")));
    }
    struct Run {
        int status = -1;
        std::string out, err;
    };
    Run Export(std::vector<std::string> extra) {
        std::vector<std::string> args = {"export", "consumption-tax", dir.path().string(),
                                         "--encoding", "utf-8"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto p = ParseArguments(args);
        EXPECT_TRUE(p.request) << p.error;
        if (!p.request) return {};
        std::ostringstream out, err;
        Run r;
        r.status = RunExport(p.request->exportRequest, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
    void Settings(TaxSettings t) { ASSERT_TRUE(SaveTaxSettings(dir / "SHOHIZEI08.DAT", t).ok()); }
    static bool Has(const std::string& csv, const std::string& row) {
        return csv.find(row + "\r\n") != std::string::npos || csv.find(row + "\n") != std::string::npos;
    }
    TempFolder dir;
};

TEST_F(ConsumptionTaxExport, EachMethodGivesTheLinesOfItsReturn) {
    TaxSettings t;
    t.Taxable = true;
    t.Method = TaxMethod::Simplified;
    t.BusinessClass = 5;
    Settings(t);
    const Run kani = Export({});
    ASSERT_EQ(kani.status, ExitStatus::Ok) << kani.err;
    // The header first (after the byte-order mark of a UTF-8 file).
    EXPECT_EQ(kani.out.find("欄,名称,金額"), kani.out.rfind("\xEF\xBB\xBF", 0) == 0 ? 3u : 0u);
    EXPECT_TRUE(Has(kani.out, "第一表①,課税標準額,77000")) << kani.out;
    EXPECT_TRUE(Has(kani.out, "第一表②,消費税額,6006"));
    EXPECT_TRUE(Has(kani.out, "第一表④,控除対象仕入税額,3003"));
    EXPECT_TRUE(Has(kani.out, "第一表⑨,差引税額,3000"));
    EXPECT_TRUE(Has(kani.out, "第一表⑳,譲渡割額（納税額）,800"));
    EXPECT_TRUE(Has(kani.out, "第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,3800"));

    const Run twenty = Export({"--method", "2wari"});
    ASSERT_EQ(twenty.status, ExitStatus::Ok) << twenty.err;
    EXPECT_TRUE(Has(twenty.out, "第一表④,控除対象仕入税額,4804"));
    EXPECT_TRUE(Has(twenty.out, "第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,1500"));
    const Run gensoku = Export({"--method=gensoku"});
    EXPECT_TRUE(Has(gensoku.out, "第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,7600"));
    // --class: class 1 takes 90 %: 5,405 deducted, 600 + 100 due.
    const Run class1 = Export({"--class", "1"});
    EXPECT_TRUE(Has(class1.out, "第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,700"))
        << class1.out;
}

TEST_F(ConsumptionTaxExport, AnExemptYearNeedsAMethodAndThenShowsWhatRegisteringWouldCost) {
    const Run plain = Export({});
    EXPECT_EQ(plain.status, ExitStatus::Refused);
    EXPECT_NE(plain.err.find("免税事業者"), std::string::npos) << plain.err;
    const Run twenty = Export({"--method", "2wari"});
    ASSERT_EQ(twenty.status, ExitStatus::Ok) << twenty.err;
    EXPECT_TRUE(Has(twenty.out, "第一表㉖,消費税及び地方消費税の合計（納付又は還付）税額,1500"));
    // 簡易課税 without any class chosen is refused with the reason.
    const Run kani = Export({"--method", "kani"});
    EXPECT_EQ(kani.status, ExitStatus::Refused);
    EXPECT_NE(kani.err.find("事業区分"), std::string::npos);
}

TEST_F(ConsumptionTaxExport, TheOptionsAreRefusedWhereTheyDoNotBelong) {
    EXPECT_FALSE(ParseArguments({"export", "consumption-tax", "--method", "half"}).request);
    EXPECT_FALSE(ParseArguments({"export", "consumption-tax", "--class", "7"}).request);
    EXPECT_FALSE(ParseArguments({"export", "ledger", "--method", "kani"}).request);
    EXPECT_FALSE(ParseArguments({"check", "--class", "2"}).request);
}

TEST_F(ConsumptionTaxExport, CheckNotesARegistrationNumberOfAWrongFormOrCheckDigit) {
    // Bytes 10..23 hold the number: "T712345678901X" is no number at all.
    std::string bytes(kTaxSettingsSize, '\0');
    bytes.replace(0, 4, "CTX1");
    bytes[6] = 1;
    bytes.replace(10, 14, "T712345678901X");
    WriteBytes(dir / "SHOHIZEI08.DAT", bytes);
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck(dir.path(), out, err), ExitStatus::Fault);
    EXPECT_NE(err.str().find(kRegistrationNoFormMessage), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("\nSHOHIZEI08.DAT: "), std::string::npos) << err.str();
    // A check digit that does not match is only a note.
    bytes.replace(10, 14, "T7123456789013");
    WriteBytes(dir / "SHOHIZEI08.DAT", bytes);
    // (The fixture's books have faults of their own; the settings add only the note.)
    std::ostringstream out2, err2;
    RunCheck(dir.path(), out2, err2, true);
    const std::string all = out2.str() + err2.str();
    EXPECT_NE(all.find("注記: SHOHIZEI08.DAT: 登録番号の先頭の数字"), std::string::npos) << all;
    EXPECT_EQ(all.find("\nSHOHIZEI08.DAT: "), std::string::npos) << all;
}

}  // namespace
}  // namespace tabulo
