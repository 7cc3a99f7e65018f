// Shows each screen of the double-entry books with a small sample year and takes a
// picture of the whole display, to look at the screens as a user sees them:
//   xvfb-run -s "-screen 0 1366x768x24" tabulo_books_shots <folder>
// (the pictures come from `import -window root`, ImageMagick's screen grab).
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "books/BookViewForm.h"
#include "books/BooksForms.h"
#include "books/ItemAccountForm.h"
#include "books/OpeningForm.h"
#include "books/SlipForm.h"
#include "ebooks/ElectronicBooksForm.h"
#include "ebooks/ElectronicBooks.h"
#include "master/MasterForm.h"
#include "taxreturn/StatementPage2Form.h"
#include "platform/Fonts.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/GridCellEditor.h"

namespace {

std::filesystem::path out;

void Shoot(QWidget* w, const char* name) {
    w->show();
    QApplication::setActiveWindow(w);
    w->activateWindow();
    QTest::qWait(400);
    const std::string file = (out / (std::string(name) + ".png")).string();
    const std::string command = "import -window root '" + file + "'";
    if (std::system(command.c_str()) != 0) std::cerr << "could not take " << file << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: tabulo_books_shots <folder>\n";
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
    s.LedgerPath = data / "KEIRI13.DAT";
    s.FiscalYear = 13;
    s.EraName = "平成";
    s.KubunNames = {"", "収入", "収入", "収入", "支出", "支出", "支出", ""};
    const struct {
        const char* name;
        int kubun, line;
    } items[] = {{"売上", 1, 1},     {"預金引出", 2, 0}, {"振込入金", 3, 1}, {"仕入", 4, 3},
                 {"預入れ", 5, 0},   {"電話代", 6, 12},  {"前月繰越", 7, 0}, {"借入金返済", 6, 0},
                 {"事業主貸", 4, 0}, {"借入", 3, 0},     {"消耗品", 4, 17},  {"雑支出", 4, 0}};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        auto& e = s.ItemTable[i + 1];
        e.ItemName = items[i].name;
        e.ItemKubun = static_cast<std::int16_t>(items[i].kubun);
        e.ItemKubun2 = 0;
        e.ItemKubun3 = static_cast<std::int16_t>(items[i].line);
    }
    s.ItemTableEdit = s.ItemTable;
    s.MasterHeader[MasterField::BusinessName] = "山田商店";

    // The cash book: a few lines of January.
    const struct {
        const char* date;
        int item;
        Amount amount;
        const char* remarks;
    } lines[] = {{"130105", 1, 52000, "店頭売上"},  {"130106", 4, 18000, "丸山商事"},
                 {"130110", 11, 3200, "文具"},      {"130115", 9, 50000, "生活費"},
                 {"130120", 1, 61000, "店頭売上"},  {"130125", 12, 1500, ""}};
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
    SlipBook book;
    book.Openings = {{101, 300000}, {104, 1200000}, {106, 120000}, {203, 500000}, {302, 1120000}};
    book.Slips = {{"130112", 106, 1, 80000, "掛売り　佐藤様"},
                  {"130108", 130, 1, 4500, "家事消費"},
                  {"130128", 101, 106, 80000, "売掛金回収"},
                  {"130131", 3, 202, 45000, "掛仕入　丸山商事"}};
    if (!SaveSlipBook(SlipBookPath(s), book)) return 1;
    ItemAccountArray accounts{};
    accounts[8] = 203;
    accounts[9] = 130;
    accounts[10] = 203;
    if (!SaveItemAccounts(ItemAccountsPath(s), accounts)) return 1;

    {
        SlipForm f(app);
        f.field(SlipForm::FieldDate)->setText(QStringLiteral("130205"));
        f.field(SlipForm::FieldDebit)->setText(QStringLiteral("106"));
        f.field(SlipForm::FieldCredit)->setText(QStringLiteral("1"));
        f.field(SlipForm::FieldAmount)->setText(QStringLiteral("32,000"));
        f.field(SlipForm::FieldRemarks)->setText(QStringLiteral("掛売り　鈴木様"));
        Shoot(&f, "slipform");
        AccountPicker picker(app, false, false, 106, &f);
        Shoot(&picker, "accountpicker");
    }
    {
        OpeningForm f(app);
        f.grid()->setCurrentCell(f.RowOf(203), OpeningForm::ColAmount);
        f.cellEditor()->OpenCurrent();
        Shoot(&f, "openingform");
    }
    {
        ItemAccountForm f(app);
        Shoot(&f, "itemaccountform");
    }
    {
        MasterForm f(app);
        Shoot(&f, "masform");
    }
    {
        BookViewForm v(app, BookViewForm::Kind::Journal);
        Shoot(&v, "journal");
    }
    {
        BookViewForm v(app, BookViewForm::Kind::Ledger);
        v.accountList()->setCurrentIndex(2);
        Shoot(&v, "ledger");
    }
    {
        BookViewForm v(app, BookViewForm::Kind::TrialBalance);
        Shoot(&v, "trialbalance");
    }
    {
        // The journal with the cursor on a slip, and the ledger at its debit posting.
        BookViewForm v(app, BookViewForm::Kind::Journal);
        v.ShowEntry({BookEntry::Slip, 1});
        Shoot(&v, "journal-at-slip");
        BookViewForm l(app, BookViewForm::Kind::Ledger, &v);
        l.ShowEntry({BookEntry::Slip, 1});
        Shoot(&l, "ledger-at-posting");
    }
    {
        // The electronic-books setting, switched on before the year's first change.
        s.HistoryClock = [] { return std::string("20010104090000"); };
        if (!SwitchElectronicBooks(s, true)) return 1;
        ElectronicBooksForm f(app);
        Shoot(&f, "denshiform");
    }
    {
        s.TaxReturnPath = data / "SHINKOKU.DAT";
        s.MonthlyItemTable[1][14] = 3000000;
        StatementPage2Form f(app);
        Shoot(&f, "syukei2");
    }
    for (const auto& b : prompt.shown) std::cerr << "message: " << b.text << "\n";
    std::cout << "written to " << out << "\n";
    return 0;
}
