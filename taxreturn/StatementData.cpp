#include "taxreturn/StatementData.h"

#include "store/TaxReturnFile.h"

namespace tabulo {
namespace {

// The file's groups, as the pages use them.
namespace G {
constexpr int FamilyPersons = 1;    // name, relationship, age, months
constexpr int FamilyAmounts = 2;    // salary, bonus, total, withheld; rows 1..5
constexpr int Figures = 3;          // figures 1..11
constexpr int EmployeePersons = 4;  // name, age, months
constexpr int EmployeeCount = 5;    // persons of the その他 row (a text)
constexpr int EmployeeAmounts = 6;  // rows 1..7
constexpr int Assets = 7;
constexpr int AssetTotals = 8;
constexpr int Breakdowns = 9;  // two lines per row
constexpr int Memo = 10;
constexpr int Entries = 11;
}  // namespace G

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::int16_t Int16(const TaxReturnTables& t, int g, int r, int c) {
    return static_cast<std::int16_t>(TaxNumber(t, g, r, c));
}

void ReadWages(const TaxReturnTables& t, int group, int rows, WageColumns& w) {
    for (int r = 1; r <= rows; ++r) {
        w.KyuRyo[U(r)] = TaxNumber(t, group, r, 1);
        w.Syouyo[U(r)] = TaxNumber(t, group, r, 2);
        w.Goukei[U(r)] = TaxNumber(t, group, r, 3);
        w.Gensen[U(r)] = TaxNumber(t, group, r, 4);
    }
}

void WriteWages(TaxReturnTables& t, int group, int rows, const WageColumns& w) {
    for (int r = 1; r <= rows; ++r) {
        SetTaxNumber(t, group, r, 1, w.KyuRyo[U(r)]);
        SetTaxNumber(t, group, r, 2, w.Syouyo[U(r)]);
        SetTaxNumber(t, group, r, 3, w.Goukei[U(r)]);
        SetTaxNumber(t, group, r, 4, w.Gensen[U(r)]);
    }
}

}  // namespace

Amount StoredStatementEntry(const TaxReturnTables& t, int index) {
    return TaxNumber(t, G::Entries, index, 1);
}

void StoreStatementEntry(TaxReturnTables& t, int index, Amount value) {
    SetTaxNumber(t, G::Entries, index, 1, value);
}

Amount StoredDeduction(const TaxReturnTables& t) {
    // Figure 9 is the deduction of books kept by double entry, figure 11 that of any
    // other books; a year claims one of them.
    const Amount doubleEntry = TaxNumber(t, G::Figures, 9, 1);
    return doubleEntry != 0 ? doubleEntry : TaxNumber(t, G::Figures, 11, 1);
}

Amount StoredDepreciation(const TaxReturnTables& t) { return TaxNumber(t, G::AssetTotals, 1, 4); }

Page2Data ReadPage2(const TaxReturnTables& t) {
    Page2Data d;
    for (int r = 1; r <= kFamilyRows; ++r) {
        d.Name1[U(r)] = TaxText(t, G::FamilyPersons, r, 1);
        d.Zokugara[U(r)] = TaxText(t, G::FamilyPersons, r, 2);
        d.Nenrei[U(r)] = Int16(t, G::FamilyPersons, r, 3);
        d.Gtuki[U(r)] = Int16(t, G::FamilyPersons, r, 4);
    }
    ReadWages(t, G::FamilyAmounts, kFamilyTotalRow, d.family);
    for (int i = 1; i <= kPage2Figures; ++i) d.Syukei[U(i)] = TaxNumber(t, G::Figures, i, 1);
    for (int r = 1; r <= kEmployeeRows; ++r) {
        d.Name2[U(r)] = TaxText(t, G::EmployeePersons, r, 1);
        d.Nenrei2[U(r)] = Int16(t, G::EmployeePersons, r, 2);
        d.Gtuki2[U(r)] = Int16(t, G::EmployeePersons, r, 3);
    }
    d.Ninzuu = TaxText(t, G::EmployeeCount, 1, 1);
    ReadWages(t, G::EmployeeAmounts, kEmployeeTotalRow, d.employees);
    return d;
}

void WritePage2(TaxReturnTables& t, const Page2Data& d) {
    for (int r = 1; r <= kFamilyRows; ++r) {
        SetTaxText(t, G::FamilyPersons, r, 1, d.Name1[U(r)]);
        SetTaxText(t, G::FamilyPersons, r, 2, d.Zokugara[U(r)]);
        SetTaxNumber(t, G::FamilyPersons, r, 3, d.Nenrei[U(r)]);
        SetTaxNumber(t, G::FamilyPersons, r, 4, d.Gtuki[U(r)]);
    }
    WriteWages(t, G::FamilyAmounts, kFamilyTotalRow, d.family);
    for (int i = 1; i <= kPage2Figures; ++i) SetTaxNumber(t, G::Figures, i, 1, d.Syukei[U(i)]);
    for (int r = 1; r <= kEmployeeRows; ++r) {
        SetTaxText(t, G::EmployeePersons, r, 1, d.Name2[U(r)]);
        SetTaxNumber(t, G::EmployeePersons, r, 2, d.Nenrei2[U(r)]);
        SetTaxNumber(t, G::EmployeePersons, r, 3, d.Gtuki2[U(r)]);
    }
    SetTaxText(t, G::EmployeeCount, 1, 1, d.Ninzuu);
    WriteWages(t, G::EmployeeAmounts, kEmployeeTotalRow, d.employees);
}

Page3Data ReadPage3(const TaxReturnTables& t) {
    Page3Data d;
    for (int r = 1; r <= kAssetRows; ++r) {
        AssetRow& a = d.assets[U(r)];
        a.Name1 = TaxText(t, G::Assets, r, 1);
        a.QT = TaxText(t, G::Assets, r, 2);
        a.Nen = Int16(t, G::Assets, r, 3);
        a.Tuki = Int16(t, G::Assets, r, 4);
        a.Gaku = TaxNumber(t, G::Assets, r, 5);
        a.KisoGaku = TaxNumber(t, G::Assets, r, 6);
        a.SyouKyaku = TaxText(t, G::Assets, r, 7);
        a.Nensuu = Int16(t, G::Assets, r, 8);
        a.Ritsu = TaxText(t, G::Assets, r, 9);
        a.Kikan = Int16(t, G::Assets, r, 10);
        a.Hi = TaxNumber(t, G::Assets, r, 11);
        a.TokuHi = TaxNumber(t, G::Assets, r, 12);
        a.Goukei = TaxNumber(t, G::Assets, r, 13);
        a.Jigyo = Int16(t, G::Assets, r, 14);
        a.Keihi = TaxNumber(t, G::Assets, r, 15);
        a.Zandaka = TaxNumber(t, G::Assets, r, 16);
        a.Bikou = TaxText(t, G::Assets, r, 17);
    }
    AssetRow& total = d.assets[U(kAssetTotalRow)];
    total.Hi = TaxNumber(t, G::AssetTotals, 1, 1);
    total.TokuHi = TaxNumber(t, G::AssetTotals, 1, 2);
    total.Goukei = TaxNumber(t, G::AssetTotals, 1, 3);
    total.Keihi = TaxNumber(t, G::AssetTotals, 1, 4);
    total.Zandaka = TaxNumber(t, G::AssetTotals, 1, 5);
    total.Bikou = TaxText(t, G::AssetTotals, 1, 6);
    // Row r of the breakdowns is two lines of the file: 2r - 1 and 2r.
    for (int r = 1; r <= 2; ++r) {
        const int a = 2 * r - 1, b = 2 * r;
        d.interest[U(r)] = {TaxText(t, G::Breakdowns, a, 1), TaxNumber(t, G::Breakdowns, a, 2),
                            TaxNumber(t, G::Breakdowns, a, 3), TaxNumber(t, G::Breakdowns, a, 4)};
        d.rent[U(r)] = {TaxText(t, G::Breakdowns, a, 5), TaxText(t, G::Breakdowns, a, 6),
                        TaxNumber(t, G::Breakdowns, a, 7), TaxNumber(t, G::Breakdowns, b, 1),
                        TaxNumber(t, G::Breakdowns, b, 2)};
        d.fees[U(r)] = {TaxText(t, G::Breakdowns, b, 3), TaxNumber(t, G::Breakdowns, b, 4),
                        TaxNumber(t, G::Breakdowns, b, 5), TaxNumber(t, G::Breakdowns, b, 6)};
    }
    d.Memo = TaxText(t, G::Memo, 1, 1);
    return d;
}

void WritePage3(TaxReturnTables& t, const Page3Data& d) {
    for (int r = 1; r <= kAssetRows; ++r) {
        const AssetRow& a = d.assets[U(r)];
        SetTaxText(t, G::Assets, r, 1, a.Name1);
        SetTaxText(t, G::Assets, r, 2, a.QT);
        SetTaxNumber(t, G::Assets, r, 3, a.Nen);
        SetTaxNumber(t, G::Assets, r, 4, a.Tuki);
        SetTaxNumber(t, G::Assets, r, 5, a.Gaku);
        SetTaxNumber(t, G::Assets, r, 6, a.KisoGaku);
        SetTaxText(t, G::Assets, r, 7, a.SyouKyaku);
        SetTaxNumber(t, G::Assets, r, 8, a.Nensuu);
        SetTaxText(t, G::Assets, r, 9, a.Ritsu);
        SetTaxNumber(t, G::Assets, r, 10, a.Kikan);
        SetTaxNumber(t, G::Assets, r, 11, a.Hi);
        SetTaxNumber(t, G::Assets, r, 12, a.TokuHi);
        SetTaxNumber(t, G::Assets, r, 13, a.Goukei);
        SetTaxNumber(t, G::Assets, r, 14, a.Jigyo);
        SetTaxNumber(t, G::Assets, r, 15, a.Keihi);
        SetTaxNumber(t, G::Assets, r, 16, a.Zandaka);
        SetTaxText(t, G::Assets, r, 17, a.Bikou);
    }
    const AssetRow& total = d.assets[U(kAssetTotalRow)];
    SetTaxNumber(t, G::AssetTotals, 1, 1, total.Hi);
    SetTaxNumber(t, G::AssetTotals, 1, 2, total.TokuHi);
    SetTaxNumber(t, G::AssetTotals, 1, 3, total.Goukei);
    SetTaxNumber(t, G::AssetTotals, 1, 4, total.Keihi);
    SetTaxNumber(t, G::AssetTotals, 1, 5, total.Zandaka);
    SetTaxText(t, G::AssetTotals, 1, 6, total.Bikou);
    for (int r = 1; r <= 2; ++r) {
        const int a = 2 * r - 1, b = 2 * r;
        const InterestRow& i = d.interest[U(r)];
        const RentRow& n = d.rent[U(r)];
        const FeeRow& f = d.fees[U(r)];
        SetTaxText(t, G::Breakdowns, a, 1, i.Name2);
        SetTaxNumber(t, G::Breakdowns, a, 2, i.KariGaku);
        SetTaxNumber(t, G::Breakdowns, a, 3, i.Waribiki);
        SetTaxNumber(t, G::Breakdowns, a, 4, i.keihi2);
        SetTaxText(t, G::Breakdowns, a, 5, n.Name3);
        SetTaxText(t, G::Breakdowns, a, 6, n.Buken);
        SetTaxNumber(t, G::Breakdowns, a, 7, n.Gaku3);
        SetTaxNumber(t, G::Breakdowns, b, 1, n.Gaku31);
        SetTaxNumber(t, G::Breakdowns, b, 2, n.keihi3);
        SetTaxText(t, G::Breakdowns, b, 3, f.Name4);
        SetTaxNumber(t, G::Breakdowns, b, 4, f.ZeiGaku);
        SetTaxNumber(t, G::Breakdowns, b, 5, f.Keihi4);
        SetTaxNumber(t, G::Breakdowns, b, 6, f.Gensen4);
    }
    SetTaxText(t, G::Memo, 1, 1, d.Memo);
}

}  // namespace tabulo
