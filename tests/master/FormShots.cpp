// Renders the item master, the deposit book and the account chooser with sample
// data into PNG files, to look at the screens without a desktop:
//   QT_QPA_PLATFORM=offscreen tabulo_master_deposit_shots <folder>
#include <QApplication>
#include <QTableWidget>
#include <filesystem>
#include <iostream>

#include "deposits/DepositChooser.h"
#include "deposits/DepositBookForm.h"
#include "ui/FilteredLineEdit.h"
#include "ui/GridCellEditor.h"
#include "master/MasterForm.h"
#include "platform/Fonts.h"
#include "ui/AppContext.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: tabulo_master_deposit_shots <folder>\n";
        return 2;
    }
    std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    tabulo::RegisterFontSubstitutions();

    tabulo::SharedState s;
    tabulo::testing::FakePrompt prompt;
    tabulo::testing::FakeToolbar toolbar;
    tabulo::AppContext app{s, prompt, toolbar};
    s.KubunNames = {"", "収入", "収入", "収入", "支出", "支出", "支出", ""};
    s.MasterHeader = {"山田商店",
                      "東京都新宿区西新宿1-2-3",
                      "東京都新宿区西新宿1-2-3",
                      "小売業",
                      "山田商店",
                      "山田太郎",
                      "ヤマダタロウ",
                      "03-1234-5678",
                      "03-9999-0000",
                      "新宿商工会",
                      "東京都渋谷区道玄坂2-1",
                      "佐藤一郎",
                      "03-0000-1111"};
    const char* names[] = {"売上",     "雑収入",     "預金引出", "振込入金",        "仕入",
                           "預金預入", "口座引落し", "前年繰越", "一二三四五六七八"};
    int codes[][3] = {{1, 1, 1}, {1, 2, 1}, {2, 0, 0}, {3, 0, 0}, {4, 0, 5},
                      {5, 0, 0}, {6, 0, 8}, {7, 0, 0}, {4, 0, 31}};
    for (int i = 0; i < 9; ++i) {
        s.ItemTable[i + 1] = {names[i], static_cast<std::int16_t>(codes[i][0]),
                              s.KubunNames[codes[i][0]], static_cast<std::int16_t>(codes[i][1]),
                              static_cast<std::int16_t>(codes[i][2])};
    }
    s.ItemTableEdit = s.ItemTable;
    {
        tabulo::MasterForm f(app);
        f.resize(f.sizeHint());
        tabulo::testing::ShowActive(&f);
        f.grid()->setCurrentCell(4, 1);
        tabulo::testing::Key(f.grid(), Qt::Key_Return);
        QApplication::processEvents();
        f.grab().save(QString::fromStdString((out / "masform.png").string()));
        tabulo::testing::Key(f.cellEditor()->editor(), Qt::Key_Escape);
    }

    s.DepositPath = out / "YOKIN07.DAT";
    std::filesystem::remove(s.DepositPath);
    {
        tabulo::DepositBookRecord b = tabulo::ClearedDepositBook();
        b.AccountName[1] = "三井住友銀行普通";
        b.AccountNo[1] = "123-4567890";
        b.CarriedBalance[1] = 1234567;
        b.CurrentBalance[1] = 2345678;
        b.AccountName[3] = "ゆうちょ定期";
        b.AccountNo[3] = "10180-1234567";
        b.CarriedBalance[3] = 1000000000;
        b.CurrentBalance[3] = -999999999;
        b.Maturity[3] = "R8.03.31";
        b.AccountName[4] = "信用金庫当座預金ｶﾅ";
        b.AccountNo[4] = "";
        b.CurrentBalance[4] = 5000;
        b.CarriedTotal = 1001234567;
        b.CurrentTotal = -997649321;
        s.DepositBook = b;
        if (!tabulo::SaveDepositBook(s)) return 1;
        tabulo::DepositBookForm f(app);
        f.resize(f.sizeHint());
        tabulo::testing::ShowActive(&f);
        f.grid()->setCurrentCell(2, 4);
        tabulo::testing::Key(f.grid(), Qt::Key_Return);
        QApplication::processEvents();
        f.grab().save(QString::fromStdString((out / "yokinform.png").string()));
    }
    {
        tabulo::DepositChooser d(app, 3);
        d.resize(d.sizeHint());
        tabulo::testing::ShowActive(&d);
        QApplication::processEvents();
        d.grab().save(QString::fromStdString((out / "selyokin.png").string()));
    }
    std::cout << "written to " << out << "\n";
    return 0;
}
