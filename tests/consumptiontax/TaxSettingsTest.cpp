// The year's consumption-tax settings file against bytes written by hand from its
// layout, the registration number's checks, and saves that fail part-way.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "consumptiontax/TaxSettings.h"
#include "platform/FileOps.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::Fault;
using testing::FaultyFiles;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A grocer's year: taxable, 簡易課税, tax included, class 2, the 届出 filed, taxable by
// registration, T7123456789012, interim 12,345 and 3,400; item 1 課税売上8%（軽減）
// class 2, item 4 課税仕入10%（適格請求書なし）, item 3 class 5.
std::vector<std::byte> GrocerBytes() {
    std::vector<unsigned char> b = {
        'C', 'T', 'X', '1',                  // 0  mark
        0x01, 0x02, 0x01, 0x02, 0x01, 0x01,  // 4  Taxable Method TaxIncluded Class Filed ByReg
        'T', '7', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2',  // 10
        0x39, 0x30, 0x00, 0x00,              // 24 InterimTax 12345
        0x48, 0x0D, 0x00, 0x00,              // 28 InterimLocalTax 3400
    };
    std::vector<unsigned char> categories(50, 0), classes(50, 0);
    categories[0] = 0x02;  // item 1
    categories[3] = 0x07;  // item 4
    classes[0] = 0x02;     // item 1
    classes[2] = 0x05;     // item 3
    b.insert(b.end(), categories.begin(), categories.end());
    b.insert(b.end(), classes.begin(), classes.end());
    std::vector<std::byte> out;
    for (unsigned char c : b) out.push_back(std::byte(c));
    return out;
}

TaxSettings Grocer() {
    TaxSettings t;
    t.Taxable = true;
    t.Method = TaxMethod::Simplified;
    t.TaxIncluded = true;
    t.BusinessClass = 2;
    t.SimpleElectionFiled = true;
    t.ByRegistration = true;
    t.RegistrationNo = "T7123456789012";
    t.InterimTax = 12345;
    t.InterimLocalTax = 3400;
    t.ItemCategory[1] = TaxCategory::Sales8;
    t.ItemCategory[4] = TaxCategory::Purchase10NoInvoice;
    t.ItemClass[1] = 2;
    t.ItemClass[3] = 5;
    return t;
}

TEST(TaxSettingsFile, ReadsAndWritesTheLayoutByteForByte) {
    const auto bytes = GrocerBytes();
    ASSERT_EQ(bytes.size(), kTaxSettingsSize);
    auto read = DecodeTaxSettings(bytes, "SHOHIZEI08.DAT");
    ASSERT_TRUE(read.ok()) << read.error().detail;
    EXPECT_EQ(*read, Grocer());
    EXPECT_EQ(EncodeTaxSettings(Grocer()), bytes);
}

TEST(TaxSettingsFile, AnEmptyRegistrationNumberIsFourteenBlanks) {
    auto bytes = GrocerBytes();
    for (std::size_t i = 10; i < 24; ++i) bytes[i] = std::byte(' ');
    auto read = DecodeTaxSettings(bytes, "x");
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->RegistrationNo, "");
    TaxSettings t = Grocer();
    t.RegistrationNo.clear();
    EXPECT_EQ(EncodeTaxSettings(t), bytes);
}

TEST(TaxSettingsFile, RefusesBytesThatDoNotFollowTheLayout) {
    auto shortFile = GrocerBytes();
    shortFile.pop_back();
    EXPECT_FALSE(DecodeTaxSettings(shortFile, "x").ok());
    auto mark = GrocerBytes();
    mark[3] = std::byte('2');
    EXPECT_FALSE(DecodeTaxSettings(mark, "x").ok());
    auto flag = GrocerBytes();
    flag[4] = std::byte(2);  // Taxable is 0 or 1
    EXPECT_FALSE(DecodeTaxSettings(flag, "x").ok());
    auto category = GrocerBytes();
    category[32] = std::byte(11);  // no such category
    EXPECT_FALSE(DecodeTaxSettings(category, "x").ok());
    auto cls = GrocerBytes();
    cls[82] = std::byte(7);  // classes are 1..6
    EXPECT_FALSE(DecodeTaxSettings(cls, "x").ok());
    auto method = GrocerBytes();
    method[5] = std::byte(5);
    EXPECT_FALSE(DecodeTaxSettings(method, "x").ok());
    auto interim = GrocerBytes();
    interim[27] = std::byte(0x80);  // a negative interim payment
    EXPECT_FALSE(DecodeTaxSettings(interim, "x").ok());
    auto number = GrocerBytes();
    number[10] = std::byte('X');
    EXPECT_FALSE(DecodeTaxSettings(number, "x").ok());
}

TEST(TaxSettingsFile, AMissingFileIsAYearNeverSet) {
    TempFolder dir;
    auto read = LoadTaxSettings(dir / "SHOHIZEI08.DAT");
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read, TaxSettings{});
    EXPECT_FALSE(read->Taxable);
    EXPECT_FALSE(std::filesystem::exists(dir / "SHOHIZEI08.DAT"));
}

TEST(RegistrationNumber, FormIsRefusedAndTheCheckDigitOnlyWarns) {
    EXPECT_TRUE(RegistrationNoWellFormed("T7123456789012"));
    EXPECT_TRUE(RegistrationNoCheckDigitMatches("T7123456789012"));
    EXPECT_TRUE(RegistrationNoWellFormed("T7123456789013"));
    EXPECT_FALSE(RegistrationNoCheckDigitMatches("T7123456789013"));
    EXPECT_FALSE(RegistrationNoWellFormed("T712345678901"));
    EXPECT_FALSE(RegistrationNoWellFormed("7123456789012"));
    EXPECT_FALSE(RegistrationNoWellFormed("t7123456789012"));
    EXPECT_FALSE(RegistrationNoWellFormed("T71234567890１2"));
    TaxSettings t;
    t.RegistrationNo = "T712345678901";
    EXPECT_EQ(TaxSettingsFault(t), kRegistrationNoFormMessage);
    t.RegistrationNo = "T7123456789013";  // a warning only: the settings may be kept
    EXPECT_EQ(TaxSettingsFault(t), "");
}

TEST(TaxSettingsFile, ARefusedSaveWritesNothing) {
    TempFolder dir;
    TaxSettings t = Grocer();
    t.RegistrationNo = "7123456789012";
    EXPECT_FALSE(SaveTaxSettings(dir / "SHOHIZEI08.DAT", t).ok());
    EXPECT_FALSE(std::filesystem::exists(dir / "SHOHIZEI08.DAT"));
}

// Every write, flush and rename of a save failing, or the process stopping there: the
// file reads back as exactly the old or exactly the new settings, and a save that
// reported success left the new ones.
TEST(TaxSettingsFile, ASaveThatFailsPartWayLeavesTheOldSettings) {
    TaxSettings old = Grocer();
    TaxSettings changed = Grocer();
    changed.Method = TaxMethod::General;
    changed.ItemCategory[7] = TaxCategory::ExemptPurchase;
    int faults = 0;
    for (Fault how : {Fault::Fail, Fault::Stop}) {
        for (int at = 1; at <= 12; ++at) {
            TempFolder dir;
            const auto path = dir / "SHOHIZEI08.DAT";
            ASSERT_TRUE(SaveTaxSettings(path, old).ok());
            FaultyFiles files(at, how, 7);
            Status st = Ok();
            {
                ScopedFileOps scoped(files);
                st = SaveTaxSettings(path, changed);
            }
            if (!files.reached) break;
            ++faults;
            auto read = LoadTaxSettings(path);
            ASSERT_TRUE(read.ok()) << "fault at " << at;
            if (st.ok() && how == Fault::Fail) {
                EXPECT_EQ(*read, changed) << at;
            } else {
                EXPECT_TRUE(*read == old || *read == changed) << at;
            }
            if (!st.ok() && !st.error().applied) {
                EXPECT_EQ(*read, old) << "a failed save at " << at;
            }
        }
    }
    EXPECT_GT(faults, 2);
}

}  // namespace
}  // namespace tabulo
