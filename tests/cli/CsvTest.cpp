// CSV bytes, and the window's CSV entry writing its three files.

#include <gtest/gtest.h>

#include "cli/Csv.h"
#include "cli/YearFolder.h"
#include "store/DataSet.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using testing::FixturePath;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Str(const std::vector<std::byte>& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

TEST(CsvBytes, FieldsAreQuotedOnlyWhereASpreadsheetNeedsIt) {
    auto bytes =
        EncodeCsv({{"a", "b,c", "say \"hi\"", " pad", "", "-5"}, {"x\r\ny"}}, CsvEncoding::Utf8);
    ASSERT_TRUE(bytes.ok());
    // UTF-8 begins with its byte-order mark.
    EXPECT_EQ(Str(*bytes), "\xEF\xBB\xBF" "a,\"b,c\",\"say \"\"hi\"\"\",\" pad\",,-5\r\n\"x\r\ny\"\r\n");
}

TEST(CsvBytes, ShiftJisByDefaultAndRefusedWhenATextHasNoShiftJisForm) {
    auto sjis = EncodeCsv({{"売上", "ｶﾅ"}}, CsvEncoding::Cp932);
    ASSERT_TRUE(sjis.ok());
    EXPECT_EQ(Str(*sjis), "\x94\x84\x8f\xe3,\xb6\xc5\r\n");  // no mark before CP932
    auto emoji = EncodeCsv({{"😀"}}, CsvEncoding::Cp932);
    ASSERT_FALSE(emoji.ok());
    EXPECT_EQ(emoji.error().code, FileErrorCode::NotEncodable);
    EXPECT_TRUE(EncodeCsv({{"😀"}}, CsvEncoding::Utf8).ok());
}

class CsvFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        data = temp / "KEIRIDATA";
        for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"})
            WriteBytes(data / name, ReadBytes(FixturePath(name)));
        fs::create_directories(out);
        ASSERT_TRUE(LoadYearFolder(s, data, false).ok());
    }
    TempFolder temp;
    fs::path data;
    fs::path out = temp / "csv";
    SharedState s;
    testing::FakePrompt prompt;
};

TEST_F(CsvFolder, WritesTheLedgerSummaryAndDepositFiles) {
    auto written = WriteCsvFolder(s, prompt, out, CsvEncoding::Cp932);
    ASSERT_TRUE(written.ok());
    EXPECT_TRUE(*written);
    EXPECT_TRUE(prompt.shown.empty());
    for (const char* name : {kLedgerCsvName, kSummaryCsvName, kDepositsCsvName}) {
        const std::string bytes = ReadBytes(out / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
    }
    // The summary's 合計 row in CP932, April and the half-year 5000.
    EXPECT_NE(ReadBytes(out / kSummaryCsvName).find(",\x8d\x87\x8c\x76,0,0,0,5000,0,0,5000,"),
              std::string::npos);
}

TEST_F(CsvFolder, DateErrorsRefuseAsTheAggregationDoesAndWriteNothing) {
    std::string ledger = ReadBytes(data / "KEIRI13.DAT");
    ledger.replace(18 + 42, 6, "130301");  // line 2 dated before line 1
    WriteBytes(data / "KEIRI13.DAT", ledger);
    auto written = WriteCsvFolder(s, prompt, out, CsvEncoding::Cp932);
    ASSERT_TRUE(written.ok());
    EXPECT_FALSE(*written);
    EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{" 2行の年月日が前の行より以前の日付です！",
                                                        "日付エラーのため集計できません！"}));
    EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace tabulo
