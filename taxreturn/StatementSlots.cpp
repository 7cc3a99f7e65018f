#include "taxreturn/StatementSlots.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "store/Text.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementPage3.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

constexpr double kHeaderSize = 9;
constexpr double kBoxSize = 14;
constexpr double kFreeCaptionSize = 6;
// Page 3: asset names, the rows, the memo.
constexpr double kNameSize = 8.4;
constexpr double kRowSize = 9;
constexpr double kMemoSize = 7.4;
constexpr double kYearSize = 14;

SlotText Boxed(std::int64_t v, double size = kBoxSize) { return {BoxedAmount(v), size, 15}; }

// The characters of a UTF-8 text, one string each.
std::vector<std::string> Characters(const std::string& utf8) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        out.push_back(utf8.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

OpeningPage2Values OpeningPage2(const ItemTableArray& items, const MonthlyTable& totals,
                                const TaxReturnTables& t, const SlipFigures* slips) {
    OpeningPage2Values v;
    v.data = ReadPage2(t);
    v.monthly = ComputeMonthlySection(items, totals, slips);
    const Figure7 f7 = ComputeFigure7(items, totals, t, slips);
    v.data.Syukei[7] = f7.value;
    v.figure7FailedLines = f7.failedLines;
    return v;
}

std::vector<SlotText> OpeningPageSlots(const MasterHeaderArray& header, const ItemTableArray& items,
                                       const MonthlyTable& totals, const TaxReturnTables& t,
                                       int fiscalYear, int page, const SlipFigures* slips) {
    switch (page) {
        case 1:
            return Page1Slots(header, OpeningPage1(items, totals, t, slips), fiscalYear);
        case 2: {
            const OpeningPage2Values v = OpeningPage2(items, totals, t, slips);
            return Page2Slots(v.monthly, v.data, fiscalYear);
    }
    default:
        return Page3Slots(ReadPage3(t), fiscalYear);
    }
}

SlotText YearSlot(int fiscalYear) {
    SlotText year{fiscalYear > 0 ? SmallNumber(fiscalYear, 2) : std::string(), kYearSize, 2};
    year.optional = true;
    return year;
}

std::string CharRange(const std::string& utf8, int first, int last) {
    std::string out;
    const std::vector<std::string> chars = Characters(utf8);
    for (int k = std::max(first, 1); k <= last && k <= static_cast<int>(chars.size()); ++k)
        out += chars[static_cast<std::size_t>(k - 1)];
    return out;
}

namespace {

// A digit or a dash of a house number ("1-2-3", "１－２").
bool InNumber(const std::string& ch) {
    if (ch.size() == 1) return std::isdigit(static_cast<unsigned char>(ch[0])) || ch == "-";
    static constexpr std::string_view kWide[] = {"０", "１", "２", "３", "４", "５", "６",
                                                 "７", "８", "９", "－", "‐",  "ー"};
    for (std::string_view w : kWide)
        if (ch == w) return true;
    return false;
}

bool OneOf(const std::string& ch, std::string_view set) {
    return !ch.empty() && set.find(ch) != std::string_view::npos;
}

}  // namespace

std::pair<std::string, std::string> SplitAddress(const std::string& text, int firstWidth) {
    if (Cp932Width(text) <= firstWidth) return {text, {}};
    const std::vector<std::string> chars = Characters(text);
    std::size_t best = 0;
    int bestRank = -1;
    int width = 0;
    for (std::size_t k = 1; k < chars.size(); ++k) {
        width += Cp932Width(chars[k - 1]);
        if (width > firstWidth) break;
        const std::string& before = chars[k - 1];
        const std::string& after = chars[k];
        if (InNumber(before) && InNumber(after)) continue;  // never inside a number
        int rank = 1;
        if (OneOf(before, "市区町村郡"))
            rank = 3;
        else if (OneOf(before, "都道府県"))
            rank = 2;
        else if (before == " " || before == "　")
            rank = 2;
        if (rank >= bestRank) {
            bestRank = rank;
            best = k;
        }
    }
    if (best == 0) {
        // Nowhere natural within the line: as many characters as fit.
        width = 0;
        while (best < chars.size() && width + Cp932Width(chars[best]) <= firstWidth)
            width += Cp932Width(chars[best++]);
        if (best == 0) best = 1;
    }
    std::string first, rest;
    for (std::size_t k = 0; k < chars.size(); ++k) (k < best ? first : rest) += chars[k];
    return {first, rest};
}

std::vector<SlotText> Page1Slots(const MasterHeaderArray& h, const Page1Figures& page,
                                 int fiscalYear) {
    std::vector<SlotText> s;
    auto header = [&](const std::string& text) { s.push_back({text, kHeaderSize, 0}); };
    auto split = [&](const std::string& text, int first) {
        header(CharRange(text, 1, first));
        header(CharRange(text, first + 1, 1 << 20));
    };
    header(h[MasterField::Address]);
    header(h[MasterField::Location]);
    split(h[MasterField::LineOfBusiness], 6);
    split(h[MasterField::TradeName], 5);
    header(h[MasterField::NameReading]);
    header(h[MasterField::Name]);
    header(h[MasterField::PhoneHome]);
    header(h[MasterField::PhoneBusiness]);
    header(h[MasterField::Association]);
    // The accountant's address takes two lines, broken where an address breaks.
    const auto [line1, line2] =
        SplitAddress(h[MasterField::AccountantAddress], FieldWidth::HeaderLine);
    header(line1);
    header(line2);
    header(h[MasterField::AccountantName]);
    header(h[MasterField::AccountantPhone]);
    // The free lines' captions share their cell with the line's own caption width.
    for (int k = 1; k <= 6; ++k) s.push_back({page.freeLineNames[U(k)], kFreeCaptionSize, 0});
    for (const char* t : {"1", "1", "12", "31"}) header(t);
    for (int n = 1; n <= kStatementLineCount; ++n) s.push_back(Boxed(page.lines[U(n)]));
    s.push_back(YearSlot(fiscalYear));
    return s;
}

std::vector<SlotText> Page2Slots(const MonthlySection& m, const Page2Data& d, int fiscalYear) {
    constexpr double kColumnSize = 12;   // the monthly columns
    constexpr double kTableSize = 10.5;  // the wage tables
    std::vector<SlotText> s;
    // Two positions kept free on the form (the period of the page).
    s.push_back({"", 10.5, 0});
    s.push_back({"", 12, 0});
    for (int i = 1; i <= 12; ++i) s.push_back({ColumnAmount(m.sales[U(i)]), kColumnSize, 10});
    for (int i = 13; i <= 15; ++i) s.push_back(Boxed(m.sales[U(i)]));
    for (int i = 1; i <= 12; ++i) s.push_back({ColumnAmount(m.purchases[U(i)]), kColumnSize, 10});
    s.push_back(Boxed(m.purchases[15]));

    auto text = [&](const std::string& t) { s.push_back({t, kTableSize, 0}); };
    auto small = [&](std::int64_t v) {
        s.push_back({v == 0 ? "" : SmallNumber(v, 2), kTableSize, 2});
    };
    auto amount = [&](std::int64_t v) { s.push_back({ColumnAmountOrEmpty(v), kTableSize, 10}); };
    auto boxedSmall = [&](std::int64_t v, int boxes, bool blankZero) {
        const int width = 2 * boxes - 1;
        s.push_back({v == 0 && blankZero ? "" : BoxedDigits(v, boxes), kTableSize, width});
    };
    const WageColumns& f = d.family;
    int familyMonths = 0;
    for (int r = 1; r <= kFamilyRows; ++r) {
        text(d.Name1[U(r)]);
        text(d.Zokugara[U(r)]);
        small(d.Nenrei[U(r)]);
        small(d.Gtuki[U(r)]);
        amount(f.KyuRyo[U(r)]);
        amount(f.Syouyo[U(r)]);
        amount(f.Goukei[U(r)]);
        amount(f.Gensen[U(r)]);
        familyMonths += d.Gtuki[U(r)];
    }
    boxedSmall(familyMonths, 2, true);
    amount(f.KyuRyo[kFamilyTotalRow]);
    amount(f.Syouyo[kFamilyTotalRow]);
    amount(f.Goukei[kFamilyTotalRow]);
    boxedSmall(f.Gensen[kFamilyTotalRow], 6, true);
    for (int i = 1; i <= kPage2Figures; ++i) s.push_back(Boxed(d.Syukei[U(i)]));
    const WageColumns& e = d.employees;
    int employeeMonths = 0;
    for (int r = 1; r <= kEmployeeRows; ++r) {
        text(d.Name2[U(r)]);
        small(d.Nenrei2[U(r)]);
        small(d.Gtuki2[U(r)]);
        amount(e.KyuRyo[U(r)]);
        amount(e.Syouyo[U(r)]);
        amount(e.Goukei[U(r)]);
        amount(e.Gensen[U(r)]);
        employeeMonths += d.Gtuki2[U(r)];
    }
    text(d.Ninzuu);
    for (int r : {kEmployeeOtherRow}) {
        amount(e.KyuRyo[U(r)]);
        amount(e.Syouyo[U(r)]);
        amount(e.Goukei[U(r)]);
        amount(e.Gensen[U(r)]);
    }
    boxedSmall(employeeMonths, 3, true);
    amount(e.KyuRyo[kEmployeeTotalRow]);
    amount(e.Syouyo[kEmployeeTotalRow]);
    amount(e.Goukei[kEmployeeTotalRow]);
    boxedSmall(e.Gensen[kEmployeeTotalRow], 6, true);
    s.push_back(YearSlot(fiscalYear));
    return s;
}

std::vector<SlotText> Page3Slots(const Page3Data& d, int fiscalYear) {
    std::vector<SlotText> s;
    auto text = [&](const std::string& t, double size = kRowSize) { s.push_back({t, size, 0}); };
    auto small = [&](std::int64_t v, int width) {
        s.push_back({v == 0 ? "" : SmallNumber(v, width), kRowSize, width});
    };
    auto amount = [&](std::int64_t v) { s.push_back({ColumnAmountOrEmpty(v), kRowSize, 10}); };
    // The memo column holds eight half-width characters at the row's size; a longer
    // memo (the register's "措法28の2") is printed smaller so that it stays inside.
    auto memo = [&](const std::string& m) {
        const int width = Cp932Width(m);
        text(m, width > FieldWidth::AssetNote ? kRowSize * FieldWidth::AssetNote / width : kRowSize);
    };
    for (int r = 1; r <= kAssetRows; ++r) {
        const AssetRow& a = d.assets[U(r)];
        text(a.Name1, kNameSize);
        text(a.QT);
        small(a.Nen, 2);
        small(a.Tuki, 2);
        amount(a.Gaku);
        amount(a.KisoGaku);
        text(a.SyouKyaku);
        small(a.Nensuu, 2);
        text(a.Ritsu);
        small(a.Kikan, 2);
        amount(a.Hi);
        amount(a.TokuHi);
        amount(a.Goukei);
        small(a.Jigyo, 3);
        amount(a.Keihi);
        amount(a.Zandaka);
        memo(a.Bikou);
    }
    const AssetRow& t = d.assets[kAssetTotalRow];
    amount(t.Hi);
    amount(t.TokuHi);
    amount(t.Goukei);
    amount(t.Keihi);
    amount(t.Zandaka);
    memo(t.Bikou);
    for (int r = 1; r <= 2; ++r) {
        const InterestRow& i = d.interest[U(r)];
        text(i.Name2);
        amount(i.KariGaku);
        amount(i.Waribiki);
        amount(i.keihi2);
    }
    for (int r = 1; r <= 2; ++r) {
        const RentRow& n = d.rent[U(r)];
        text(n.Name3);
        text(n.Buken);
        amount(n.Gaku3);
        amount(n.Gaku31);
        amount(n.keihi3);
    }
    for (int r = 1; r <= 2; ++r) {
        const FeeRow& f = d.fees[U(r)];
        text(f.Name4);
        amount(f.ZeiGaku);
        amount(f.Keihi4);
        amount(f.Gensen4);
    }
    for (int k = 0; k < 5; ++k) text(CharRange(d.Memo, 35 * k + 1, 35 * k + 35), kMemoSize);
    s.push_back(YearSlot(fiscalYear));
    return s;
}

}  // namespace tabulo
