// SHINKOKU.DAT as the pages use it: each page reads its values from a file written by
// hand and writes back only its own, leaving every other byte as it was.
#include <gtest/gtest.h>

#include "store/DataSet.h"
#include "store/SharedState.h"
#include "taxreturn/StatementData.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FixturePath;
using testing::ReadBytes;

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t p; (p = bytes.find("\r\n", start)) != std::string::npos; start = p + 2)
        out.push_back(bytes.substr(start, p - start));
    return out;
}

class StatementFile : public ::testing::Test {
  protected:
    void Use(const std::string& fixture) {
        s.TaxReturnPath = dir / "SHINKOKU.DAT";
        testing::WriteBytes(s.TaxReturnPath, ReadBytes(FixturePath(fixture)));
        ASSERT_TRUE(LoadTaxReturnData(s).ok());
    }
    testing::TempFolder dir;
    SharedState s;
};

TEST_F(StatementFile, PagesReadTheirValuesFromTheFile) {
    Use("SHINKOKU.DAT");
    const Page2Data p2 = ReadPage2(s.TaxReturnData);
    EXPECT_EQ(p2.Name1[1], "妻 花子1");
    EXPECT_EQ(p2.Zokugara[4], "専従");
    EXPECT_EQ(p2.Nenrei[3], 3);
    EXPECT_EQ(p2.family.Syouyo[5], 10000);
    EXPECT_EQ(p2.family.Goukei[2], -2);
    EXPECT_EQ(p2.Syukei[1], 10);
    EXPECT_EQ(p2.Syukei[11], 100000);
    EXPECT_EQ(p2.Name2[5], "地代5");
    EXPECT_EQ(p2.Gtuki2[5], 6);
    EXPECT_EQ(p2.Ninzuu, "家賃, 事務所");
    EXPECT_EQ(p2.employees.Gensen[7], 7000);
    const Page3Data p3 = ReadPage3(s.TaxReturnData);
    EXPECT_EQ(p3.assets[10].Name1, "車両10");
    EXPECT_EQ(p3.assets[1].Ritsu, "0.167");
    EXPECT_EQ(p3.assets[1].Zandaka, 1000000);
    EXPECT_EQ(p3.assets[11].Zandaka, 10000000);
    EXPECT_EQ(p3.assets[11].Bikou, "計");
    EXPECT_EQ(p3.interest[2].Name2, "銀行2");
    EXPECT_EQ(p3.rent[1].Gaku31, 500);
    EXPECT_EQ(p3.fees[2].Name4, "C");
    EXPECT_EQ(p3.fees[1].Gensen4, -900);
    EXPECT_EQ(p3.Memo, "備考");
    EXPECT_EQ(StoredStatementEntry(s.TaxReturnData, 1), 111);
}

TEST_F(StatementFile, EachPageSavesOnlyItsOwnValues) {
    Use("SHINKOKU.DAT");
    const std::string before = ReadBytes(s.TaxReturnPath);
    // Page 2 and page 3 written back unchanged: the file is the same, byte for byte.
    WritePage2(s.TaxReturnData, ReadPage2(s.TaxReturnData));
    WritePage3(s.TaxReturnData, ReadPage3(s.TaxReturnData));
    ASSERT_TRUE(SaveTaxReturnData(s).ok());
    EXPECT_EQ(ReadBytes(s.TaxReturnPath), before);

    // A page-1 stock entry changes one line: the 49 + 5th of the file.
    StoreStatementEntry(s.TaxReturnData, 5, 123456);
    ASSERT_TRUE(SaveTaxReturnData(s).ok());
    auto a = Lines(before), b = Lines(ReadBytes(s.TaxReturnPath));
    ASSERT_EQ(a.size(), 97u);
    ASSERT_EQ(b.size(), 97u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i == 49 + 4)
            EXPECT_EQ(b[i], "123456");
        else
            EXPECT_EQ(a[i], b[i]) << "line " << i + 1;
    }

    // A page-3 change touches only the asset line it belongs to.
    Page3Data p3 = ReadPage3(s.TaxReturnData);
    p3.assets[2].Kikan = 7;
    WritePage3(s.TaxReturnData, p3);
    ASSERT_TRUE(SaveTaxReturnData(s).ok());
    auto c = Lines(ReadBytes(s.TaxReturnPath));
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (i == 34)
            EXPECT_NE(c[i].find(",7,250000,"), std::string::npos) << c[i];
        else
            EXPECT_EQ(c[i], b[i]) << "line " << i + 1;
    }
}

TEST_F(StatementFile, AnOlderShortFileIsWrittenWholeOnTheFirstSave) {
    Use("SHINKOKU_G8.DAT");
    StoreStatementEntry(s.TaxReturnData, 2, 5000);
    ASSERT_TRUE(SaveTaxReturnData(s).ok());
    auto full = Lines(ReadBytes(FixturePath("SHINKOKU.DAT")));
    auto saved = Lines(ReadBytes(s.TaxReturnPath));
    ASSERT_EQ(saved.size(), 97u);
    for (std::size_t i = 0; i < 44; ++i) EXPECT_EQ(saved[i], full[i]) << "line " << i + 1;
    // Groups 9 to 11 start empty: blanks and zeros, the entry typed on page 1.
    EXPECT_EQ(saved[44], "\"\",0,0,0,\"\",\"\",0");
    EXPECT_EQ(saved[45], "0,0,\"\",0,0,0");
    EXPECT_EQ(saved[48], "\"\"");
    EXPECT_EQ(saved[49], "0");
    EXPECT_EQ(saved[50], "5000");
    EXPECT_EQ(saved[96], "0");
}

TEST_F(StatementFile, ANewFileStartsWithTheUsualDeduction) {
    s.TaxReturnPath = dir / "SHINKOKU.DAT";
    ASSERT_TRUE(LoadTaxReturnData(s).ok());
    EXPECT_EQ(StoredDeduction(s.TaxReturnData), 100000);
    EXPECT_EQ(ReadPage2(s.TaxReturnData).Syukei[11], 100000);
    EXPECT_EQ(StoredStatementEntry(s.TaxReturnData, 2), 0);
}

}  // namespace
}  // namespace tabulo
