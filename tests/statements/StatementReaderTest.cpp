// Downloaded statements read by their layouts: the encodings, the shipped layouts
// recognised by their headers, and files refused with their line and reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "statements/Profile.h"
#include "statements/StatementReader.h"
#include "statements/StatementText.h"

using namespace tabulo;
using namespace tabulo::statements;

namespace {

std::vector<std::byte> Fixture(const std::string& name) {
    auto bytes = ReadWholeFile(std::string(TABULO_TEST_DATA) + "/statements/" + name);
    EXPECT_TRUE(bytes) << name;
    return bytes ? *bytes : std::vector<std::byte>{};
}

std::vector<std::byte> Bytes(std::string_view s) {
    const auto* p = reinterpret_cast<const std::byte*>(s.data());
    return {p, p + s.size()};
}

bool Holds(const std::vector<std::byte>& b, std::string_view needle) {
    std::string_view s(reinterpret_cast<const char*>(b.data()), b.size());
    return s.find(needle) != std::string_view::npos;
}

const std::vector<Profile>& Shipped() {
    static const std::vector<Profile> profiles = [] {
        std::vector<FileError> faults;
        auto p = LoadProfiles(TABULO_SHIPPED_PROFILES, &faults);
        EXPECT_TRUE(faults.empty()) << (faults.empty() ? "" : faults[0].detail);
        return p;
    }();
    return profiles;
}

const Profile& Named(const std::string& name) {
    for (const Profile& p : Shipped())
        if (p.name == name) return p;
    ADD_FAILURE() << "no layout " << name;
    static Profile none;
    return none;
}

struct Read {
    DecodedStatement decoded;
    std::vector<std::string> recognised;
    StatementRead rows;
};

Read ReadFixture(const std::string& name, const std::string& profile) {
    Read r;
    auto decoded = DecodeStatement(Fixture(name), name);
    EXPECT_TRUE(decoded) << (decoded ? "" : decoded.error().detail);
    if (!decoded) return r;
    r.decoded = *decoded;
    for (const Profile* p : RecogniseProfiles(Shipped(), r.decoded.text)) r.recognised.push_back(p->name);
    auto rows = ReadStatement(Named(profile), r.decoded.text, name);
    EXPECT_TRUE(rows) << (rows ? "" : rows.error().detail);
    if (rows) r.rows = *rows;
    return r;
}

}  // namespace

TEST(StatementLayouts, EveryShippedLayoutReadsAndWritesBack) {
    const std::vector<std::string> names = {"三菱UFJ銀行", "三井住友銀行", "みずほ銀行", "ゆうちょ銀行",
                                            "住信SBIネット銀行", "楽天銀行", "ビューカード",
                                            "三井住友カード", "楽天カード", "PayPayカード"};
    ASSERT_EQ(Shipped().size(), names.size());
    for (const std::string& n : names) {
        const Profile& p = Named(n);
        auto again = ParseProfile(FormatProfile(p), "again");
        ASSERT_TRUE(again) << n;
        EXPECT_EQ(*again, p) << n;
    }
}

TEST(StatementLayouts, ALayoutFileWithAFaultIsRefusedNamingTheLine) {
    auto bad = ParseProfile("name=x\nkind=bank\nheader=a,b\ndate=zero\n", "x.txt");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().line, 4);
    EXPECT_NE(bad.error().detail.find("4行目"), std::string::npos);
    auto unknown = ParseProfile("name=x\nkind=bank\ncolour=red\n", "x.txt");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().line, 3);
    // A bank layout with one of its two amount columns only cannot tell money in from out.
    auto oneSide = ParseProfile("name=x\nkind=bank\nheader=a\ndate=1\ndescription=2\nin=3\n", "x.txt");
    EXPECT_FALSE(oneSide);
}

TEST(StatementDecoding, Cp932WithNecAndIbmCharactersAndHalfWidthKana) {
    const auto bytes = Fixture("mufg-cp932.csv");
    // The fixture holds ㈱ (87 8A), ① (87 40) and 髙 (FB FC) as CP932 writes them.
    ASSERT_TRUE(Holds(bytes, "\x87\x8A") && Holds(bytes, "\x87\x40") && Holds(bytes, "\xFB\xFC"));
    Read r = ReadFixture("mufg-cp932.csv", "三菱UFJ銀行");
    EXPECT_EQ(r.decoded.encoding, StatementEncoding::Cp932);
    ASSERT_FALSE(r.recognised.empty());
    EXPECT_EQ(r.recognised.front(), "三菱UFJ銀行");
    ASSERT_EQ(r.rows.rows.size(), 5u);
    const StatementRow& first = r.rows.rows[0];
    EXPECT_EQ(first.line, 2);
    EXPECT_EQ(first.date, (StatementDate{2026, 4, 1}));
    EXPECT_EQ(first.description, "振込 ﾌﾘｺﾐ ｶ)ﾔﾏﾀﾞ商店");
    EXPECT_EQ(first.in, 120000);
    EXPECT_EQ(first.out, 0);
    EXPECT_TRUE(first.hasBalance);
    EXPECT_EQ(first.balance, 1120000);
    EXPECT_EQ(r.rows.rows[1].description, "口座振替 ㈱髙島電力");
    EXPECT_EQ(r.rows.rows[1].out, 8800);
    // Two equal coffees on one day stay two rows.
    EXPECT_EQ(r.rows.rows[2].description, r.rows.rows[3].description);
    EXPECT_EQ(r.rows.rows[2].out, 450);
    EXPECT_EQ(r.rows.rows[3].out, 450);
    // Full-width digits and commas in an amount.
    EXPECT_EQ(r.rows.rows[4].in, 55000);
    EXPECT_EQ(r.rows.rows[4].date, (StatementDate{2026, 5, 10}));
}

TEST(StatementDecoding, Utf8WithAMarkAndOneSignedAmount) {
    Read r = ReadFixture("rakuten-bank-bom.csv", "楽天銀行");
    EXPECT_EQ(r.decoded.encoding, StatementEncoding::Utf8WithMark);
    EXPECT_EQ(r.decoded.text.substr(0, 9), "取引日");
    ASSERT_EQ(r.recognised, std::vector<std::string>{"楽天銀行"});
    ASSERT_EQ(r.rows.rows.size(), 2u);
    EXPECT_EQ(r.rows.rows[0].out, 3300);
    EXPECT_EQ(r.rows.rows[0].in, 0);
    EXPECT_EQ(r.rows.rows[0].date, (StatementDate{2026, 4, 1}));
    EXPECT_EQ(r.rows.rows[1].in, 250000);
    EXPECT_EQ(r.rows.rows[1].balance, 346700);
}

TEST(StatementDecoding, Utf8WithoutAMarkNewestFirstComesOutOldestFirst) {
    Read r = ReadFixture("sbi-newest-first.csv", "住信SBIネット銀行");
    EXPECT_EQ(r.decoded.encoding, StatementEncoding::Utf8);
    ASSERT_EQ(r.rows.rows.size(), 2u);
    EXPECT_EQ(r.rows.rows[0].date, (StatementDate{2026, 4, 2}));
    EXPECT_EQ(r.rows.rows[0].line, 3);
    EXPECT_EQ(r.rows.rows[0].out, 3000);
    EXPECT_EQ(r.rows.rows[1].in, 5000);
}

TEST(StatementDecoding, EraDatesOfTheOlderLayout) {
    Read r = ReadFixture("smbc-wareki-cp932.csv", "三井住友銀行");
    ASSERT_EQ(r.rows.rows.size(), 2u);
    EXPECT_EQ(r.rows.rows[0].date, (StatementDate{2018, 1, 15}));
    EXPECT_EQ(r.rows.rows[1].date, (StatementDate{2018, 1, 16}));
    EXPECT_EQ(r.rows.rows[1].in, 2000);
}

TEST(StatementDecoding, CardWithLinesBeforeTheHeaderASeparatorPerCardAndAFooter) {
    Read r = ReadFixture("view-card-cp932.csv", "ビューカード");
    ASSERT_FALSE(r.recognised.empty());
    EXPECT_EQ(r.recognised.front(), "ビューカード");
    EXPECT_EQ(r.rows.headerLine, 4);
    EXPECT_EQ(r.rows.separators, 2);
    ASSERT_EQ(r.rows.rows.size(), 3u);
    EXPECT_EQ(r.rows.rows[0].description, "ＪＲ東日本　ﾓﾊﾞｲﾙSuica");
    EXPECT_EQ(r.rows.rows[0].out, 3000);
    EXPECT_EQ(r.rows.rows[1].description, "文具の髙橋");
    // A refund in the 払戻額 column is money back.
    EXPECT_EQ(r.rows.rows[2].in, 500);
    EXPECT_EQ(r.rows.rows[2].out, 0);
}

TEST(StatementRefusal, ALineThatDoesNotFitIsNamedWithItsReason) {
    const Profile& mufg = Named("三菱UFJ銀行");
    const std::string head = "日付,摘要,摘要内容,支払い金額,預かり金額,差引残高\n";
    struct Case {
        std::string body;
        int line;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"2026/4/1,a,b,100,,900\n2026/4/31,a,b,100,,800\n", 3, "日付が正しくありません"},
        {"2026/4/1,a,b,1O0,,900\n", 2, "金額として読めません"},
        {"2026/4/1,a,b,100,200,900\n", 2, "入金と出金の両方"},
        {"2026/4/1,a,b,2147483648,,900\n", 2, "金額が大きすぎます"},
        {"2026/4/1,a,b,100.5,,900\n", 2, "円未満"},
        {"2026/4/1,a,b\n", 2, "列が足りません"},
        {"2026/4/1,\"a,b,100,,900\n", 2, "引用符"},
        {"昨日,a,b,100,,900\n", 2, "日付として読めません"},
    };
    for (const Case& c : cases) {
        auto read = ReadStatement(mufg, head + c.body, "s.csv");
        ASSERT_FALSE(read) << c.body;
        EXPECT_EQ(read.error().line, c.line) << c.body;
        EXPECT_NE(read.error().detail.find(c.reason), std::string::npos) << read.error().detail;
        EXPECT_NE(read.error().detail.find(std::to_string(c.line) + "行目"), std::string::npos);
    }
    // Another bank's file: the header is not where this layout expects it.
    auto other = ReadStatement(mufg, "取引日,入出金(円),取引後残高(円),入出金内容\n20260401,-1,0,x\n", "s.csv");
    ASSERT_FALSE(other);
    EXPECT_EQ(other.error().line, 1);
    EXPECT_NE(other.error().detail.find("見出し"), std::string::npos);
}

TEST(StatementRefusal, BytesThatAreNeitherEncodingNameTheirLine) {
    // Line 2 ends in a CP932 lead byte with no trail byte.
    auto decoded = DecodeStatement(Bytes("a,b\r\nc,\x82\r\n"), "s.csv");
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().line, 2);
    auto marked = DecodeStatement(Bytes("\xEF\xBB\xBF" "a\n\x93\xfa\n"), "s.csv");
    ASSERT_FALSE(marked);
    EXPECT_EQ(marked.error().line, 2);
}

TEST(StatementRefusal, MoreRowsThanTheLimitAreRefused) {
    const Profile& sbi = Named("住信SBIネット銀行");
    std::string text = "日付,内容,出金金額(円),入金金額(円),残高(円)\n";
    for (int i = 0; i <= kMaxStatementRows; ++i) text += "2026/04/02,x,1,,0\n";
    auto read = ReadStatement(sbi, text, "s.csv");
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().line, kMaxStatementRows + 2);
}

TEST(StatementText, WidthsFoldAlike) {
    EXPECT_EQ(MatchKey("ﾃﾞﾝﾜﾘｮｳｷﾝ"), "デンワリョウキン");
    EXPECT_EQ(MatchKey("ﾊﾟﾝ ｳﾞｧ"), "パン ヴァ");
    EXPECT_EQ(MatchKey("ＡＢＣ　商事"), MatchKey("abc  商事"));
    EXPECT_EQ(FoldWidth("１２３，４５６"), "123,456");
    std::vector<std::string> cells;
    std::string why;
    ASSERT_TRUE(SplitCells("\"a,\"\"b\"\"\",,c,", cells, why));
    EXPECT_EQ(cells, (std::vector<std::string>{"a,\"b\"", "", "c", ""}));
    EXPECT_EQ(SplitLines("a\r\nb\rc\n\n").size(), 4u);
}
