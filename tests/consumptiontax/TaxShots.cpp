// Shows the consumption-tax screens with the grocery year and saves a picture of each,
// and the printout as a PDF, to look at them as a user would:
//   QT_QPA_PLATFORM=offscreen tabulo_ctax_shots <folder>
#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/PdfOutput.h"
#include "consumptiontax/ConsumptionTaxForm.h"
#include "consumptiontax/TaxReturnPages.h"
#include "consumptiontax/TaxSettingsForm.h"
#include "platform/Fonts.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "ui/AppContext.h"

namespace {

std::filesystem::path out;

void Shoot(QWidget* w, const char* name) {
    w->show();
    QTest::qWait(200);
    const std::string file = (out / (std::string(name) + ".png")).string();
    if (!w->grab().save(QString::fromStdString(file))) std::cerr << "could not save " << file << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: tabulo_ctax_shots <folder>\n";
        return 2;
    }
    out = argv[1];
    std::filesystem::create_directories(out);
    const std::filesystem::path data = out / "KEIRIDATA";
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data);
    tabulo::RegisterFontSubstitutions();

    using namespace tabulo;
    SharedState s;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
    s.DataFolder = data;
    s.LedgerPath = data / "KEIRI08.DAT";
    s.FiscalYear = 8;
    s.EraName = "令和";
    s.ReportTitleName = "青空商店";
    const struct {
        const char* name;
        int kubun, line;
    } items[] = {{"店頭売上", 1, 1}, {"預金引出", 2, 0}, {"振込入金", 3, 1}, {"仕入", 4, 3},
                 {"預入れ", 5, 0},   {"電話代", 6, 12},  {"前月繰越", 7, 0}, {"損害保険", 6, 15},
                 {"租税公課", 4, 8}, {"消耗品", 4, 17},  {"農家仕入", 4, 3}};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        auto& e = s.ItemTable[i + 1];
        e.ItemName = items[i].name;
        e.ItemKubun = static_cast<std::int16_t>(items[i].kubun);
        e.ItemKubun3 = static_cast<std::int16_t>(items[i].line);
    }
    s.ItemTableEdit = s.ItemTable;
    const struct {
        const char* date;
        int item;
        Amount amount;
        const char* remarks;
    } lines[] = {{"080310", 1, 5432100, "店頭売上"}, {"080311", 3, 1654300, "配達分"},
                 {"080312", 4, 3791500, "市場仕入"}, {"080401", 6, 992200, "電話・配送"},
                 {"080615", 11, 110000, "包装資材"}, {"081110", 6, 55000, "【免】山田文具"},
                 {"080520", 8, 48000, "店舗保険"},   {"080610", 9, 15000, "印紙"}};
    LedgerHeaderRecord h;
    h.LineCount = static_cast<std::int16_t>(std::size(lines));
    std::vector<std::byte> bytes = EncodeLedgerHeader(h);
    for (const auto& l : lines) {
        LedgerLine line = BlankLedgerLine(0);
        line.NenGetsuBi = l.date;
        line.Youbi = "（月）";
        line.ItemNo = static_cast<std::int16_t>(l.item);
        const int kubun = s.ItemTable[static_cast<std::size_t>(l.item)].ItemKubun;
        (kubun >= 4 && kubun <= 6 ? line.Outdata : line.Indata) = l.amount;
        line.Bikou = l.remarks;
        auto encoded = EncodeLedgerLine(line);
        if (!encoded) return 1;
        bytes.insert(bytes.end(), encoded->begin(), encoded->end());
    }
    {
        std::ofstream f(s.LedgerPath, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    s.LedgerHeader = h;
    TaxSettings t;
    t.Taxable = true;
    t.Method = TaxMethod::Simplified;
    t.BusinessClass = 2;
    t.SimpleElectionFiled = true;
    t.RegistrationNo = "T7123456789012";
    t.ItemCategory[1] = TaxCategory::Sales8;
    t.ItemCategory[4] = TaxCategory::Purchase8;
    t.ItemCategory[11] = TaxCategory::Purchase10NoInvoice;
    t.ItemClass[1] = 2;
    if (!SaveTaxSettings(TaxSettingsPath(s), t)) return 1;

    {
        TaxSettingsForm f(app);
        Shoot(&f, "taxsettings");
        TaxCategoryPicker picker(TaxCategory::Purchase10NoInvoice, QStringLiteral("（勘定科目どおり：課税仕入10%）"), &f);
        Shoot(&picker, "taxcategorypicker");
    }
    {
        ConsumptionTaxForm f(app);
        Shoot(&f, "taxcompare");
        f.tabs()->setCurrentIndex(1);
        Shoot(&f, "taxlines-kani");
        f.methodBox()->setCurrentIndex(2);
        Shoot(&f, "taxlines-gensoku");
        f.tabs()->setCurrentIndex(2);
        Shoot(&f, "taxcategories");
        f.tabs()->setCurrentIndex(3);
        Shoot(&f, "taxmarked");
        auto year = LoadYearTaxBooks(s);
        if (!year) return 1;
        for (std::size_t m = 0; m < f.Returns().size(); ++m) {
            const PrintDocument doc = PrintConsumptionTax(s, *year, f.Returns(), m);
            const auto pdf = out / ("shohizei-" + std::to_string(m) + ".pdf");
            if (!WritePdf(doc, pdf)) std::cerr << "could not write " << pdf << "\n";
        }
    }
    for (const auto& b : prompt.shown) std::cerr << "message: " << b.text << "\n";
    std::cout << "written to " << out << "\n";
    return 0;
}
