// The register's and the shares' screens driven by keys on the offscreen platform, with
// scripted answers: the van, the PC as 一括償却資産 and the PC under the 少額 rule typed
// into the register, the rent's share typed on the share screen, both kept in their
// files; then statement pages 1 and 3 open with the figures worked by hand. A refused
// asset and a refused share leave everything as it was.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "assets/AssetRegisterForm.h"
#include "assets/PrivateSharesForm.h"
#include "cashbook/Aggregation.h"
#include "platform/FileOps.h"
#include "store/DataSet.h"
#include "taxreturn/StatementPage1Form.h"
#include "taxreturn/StatementPage3Form.h"
#include "tests/books/BooksYear.h"
#include "tests/master/FormKeys.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/RecordingPrinter.h"
#include "ui/AppContext.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tabulo {
namespace {

using testing::FakePrompt;
using testing::FakeToolbar;
using testing::Key;
using testing::TypeText;
using Box = AssetRegisterForm::Box;

constexpr int kRent = 16;

class AssetScreens : public testing::BooksYear {
  protected:
    void SetUp() override {
        BooksYear::SetUp();
        s.FiscalYear = 8;
        s.EraName = "令和";
        s.LedgerPath = dir / "KEIRI08.DAT";
        s.DepositPath = dir / "YOKIN08.DAT";
        s.TaxReturnPath = dir / "SHINKOKU.DAT";
        s.DataLoaded = 1;
        Item(kRent, "地代家賃", 4, 23);
        Line("080110", testing::BookItem::Sales, 5000000, "売上");
        for (int m = 1; m <= 12; ++m)
            Line("08" + std::string(m < 10 ? "0" : "") + std::to_string(m) + "25", kRent, 100000, "家賃");
        WriteLedger();
        toolbar.enabled = {false, true, true, true, true, false, true, true, true};
        app.output = &printer;
    }
    // Types `text` into a box of the register's form and goes on with Enter.
    static void Enter(AssetRegisterForm& f, Box b, const QString& text = {}) {
        ASSERT_TRUE(f.box(b)->hasFocus()) << static_cast<int>(b);
        if (!text.isEmpty()) TypeText(f.box(b), text);
        Key(f.box(b), Qt::Key_Return);
    }
    // Moves a list box `steps` down (negative: up), then Enter.
    static void Choose(AssetRegisterForm& f, Box b, int steps) {
        ASSERT_TRUE(f.box(b)->hasFocus()) << static_cast<int>(b);
        for (int i = 0; i < std::abs(steps); ++i) Key(f.box(b), steps > 0 ? Qt::Key_Down : Qt::Key_Up);
        Key(f.box(b), Qt::Key_Return);
    }
    static QString Cell(QTableWidget* t, int row, int column) {
        QTableWidgetItem* i = t->item(row, column);
        return i ? i->text().trimmed() : QStringLiteral("(none)");
    }
    // A picture of the form for a person to look at, when asked for.
    static void Shot(QWidget& w, const char* name) {
        if (const char* folder = std::getenv("TABULO_SHOTS"))
            w.grab().save(QString::fromUtf8(folder) + QLatin1Char('/') + QString::fromUtf8(name) +
                          QStringLiteral(".png"));
    }
    // The van, the two PCs, typed by keys.
    void TypeTheYearsAssets(AssetRegisterForm& f) {
        // An empty register opens on a new asset.
        Enter(f, Box::BoxName, QStringLiteral("営業用バン"));
        Choose(f, Box::BoxKind, -1);  // 工具器具備品 -> 車両運搬具
        Enter(f, Box::BoxQuantity, QStringLiteral("1台"));
        Enter(f, Box::BoxAcquired, QStringLiteral("2026-04-01"));
        Enter(f, Box::BoxFirstUsed);
        Enter(f, Box::BoxCost, QStringLiteral("2,400,000"));
        Choose(f, Box::BoxMethod, 0);  // 定額法
        Enter(f, Box::BoxLife, QStringLiteral("6"));
        Enter(f, Box::BoxShare, QStringLiteral("80"));
        Enter(f, Box::BoxOpening);
        Choose(f, Box::BoxDisposal, 0);
        Enter(f, Box::BoxDisposalMonth);  // the last box puts the asset in the list

        Key(f.grid(), Qt::Key_F3);
        Enter(f, Box::BoxName, QStringLiteral("パソコン一括"));
        Choose(f, Box::BoxKind, 0);
        Enter(f, Box::BoxQuantity);
        Enter(f, Box::BoxAcquired, QStringLiteral("2026/12/10"));
        Enter(f, Box::BoxFirstUsed);
        Enter(f, Box::BoxCost, QStringLiteral("180000"));
        Choose(f, Box::BoxMethod, 2);  // 一括償却資産
        Enter(f, Box::BoxLife);
        Enter(f, Box::BoxShare);
        Enter(f, Box::BoxOpening);
        Choose(f, Box::BoxDisposal, 0);
        Enter(f, Box::BoxDisposalMonth);

        Key(f.grid(), Qt::Key_F3);
        Enter(f, Box::BoxName, QStringLiteral("パソコン"));
        Choose(f, Box::BoxKind, 0);
        Enter(f, Box::BoxQuantity);
        Enter(f, Box::BoxAcquired, QStringLiteral("20260215"));
        Enter(f, Box::BoxFirstUsed);
        Enter(f, Box::BoxCost, QStringLiteral("250000"));
        Choose(f, Box::BoxMethod, 3);  // 少額減価償却資産
        Enter(f, Box::BoxLife, QStringLiteral("4"));
        Enter(f, Box::BoxShare);
        Enter(f, Box::BoxOpening);
        Choose(f, Box::BoxDisposal, 0);
        Enter(f, Box::BoxDisposalMonth);
    }

    FakePrompt prompt;
    FakeToolbar toolbar;
    testing::RecordingPrinter printer;
    AppContext app{s, prompt, toolbar};
};

TEST_F(AssetScreens, TheYearsAssetsTypedByKeysAreDepreciatedAndKept) {
    AssetRegisterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_TRUE(f.Loaded());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("固定資産台帳"));
    TypeTheYearsAssets(f);
    EXPECT_TRUE(prompt.shown.empty()) << prompt.LastText();
    ASSERT_EQ(f.Assets().size(), 3u);
    QTableWidget* g = f.grid();
    EXPECT_EQ(Cell(g, 0, AssetRegisterForm::ColKind), QStringLiteral("車両運搬具"));
    EXPECT_EQ(Cell(g, 0, AssetRegisterForm::ColDepreciation), QStringLiteral("300,600"));
    EXPECT_EQ(Cell(g, 0, AssetRegisterForm::ColExpense), QStringLiteral("240,480"));
    EXPECT_EQ(Cell(g, 0, AssetRegisterForm::ColPrivate), QStringLiteral("60,120"));
    EXPECT_EQ(Cell(g, 0, AssetRegisterForm::ColClosing), QStringLiteral("2,099,400"));
    EXPECT_EQ(Cell(g, 1, AssetRegisterForm::ColDepreciation), QStringLiteral("60,000"));
    EXPECT_EQ(Cell(g, 1, AssetRegisterForm::ColClosing), QStringLiteral("120,000"));
    EXPECT_EQ(Cell(g, 2, AssetRegisterForm::ColDepreciation), QStringLiteral("250,000"));
    EXPECT_EQ(Cell(g, 2, AssetRegisterForm::ColClosing), QStringLiteral("0"));
    EXPECT_EQ(Cell(g, 2, AssetRegisterForm::ColNote), QStringLiteral("措法28の2"));
    EXPECT_EQ(Cell(g, 3, AssetRegisterForm::ColName), QStringLiteral("合計"));
    EXPECT_EQ(Cell(g, 3, AssetRegisterForm::ColExpense), QStringLiteral("550,480"));

    // Back on the van: its years until it is written off, the last at 1 yen.
    g->setFocus();
    g->setCurrentCell(0, 0);
    QTableWidget* years = f.schedule();
    ASSERT_GE(years->rowCount(), 6);
    EXPECT_EQ(Cell(years, 0, 0), QStringLiteral("2026"));
    EXPECT_EQ(Cell(years, 1, 2), QStringLiteral("400,800"));
    EXPECT_EQ(Cell(years, 1, 4), QStringLiteral("1,698,600"));
    EXPECT_EQ(Cell(years, years->rowCount() - 1, 4), QStringLiteral("1"));
    Shot(f, "asset-register");

    // 印刷: the register on A4 with the closing note.
    Key(g, Qt::Key_F8);
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_TRUE(printer.HasText(0, 0, "固 定 資 産 台 帳"));
    EXPECT_TRUE(printer.HasText(0, 0, "営業用バン"));

    prompt.Clear();
    Key(g, Qt::Key_F10);  // 登録, Yes
    EXPECT_EQ(prompt.LastText(), "固定資産台帳を登録しますか？");
    EXPECT_FALSE(f.isVisible());
    auto kept = LoadAssetRegister(AssetRegisterPath(s));
    ASSERT_TRUE(kept.ok());
    ASSERT_EQ(kept->size(), 3u);
    EXPECT_EQ((*kept)[0].AssetName, "営業用バン");
    EXPECT_EQ((*kept)[0].AssetKind, 5);
    EXPECT_EQ((*kept)[0].Quantity, "1台");
    EXPECT_EQ((*kept)[0].FirstUsedOn, 20260401);
    EXPECT_EQ((*kept)[0].BusinessShare, 80);
    EXPECT_EQ((*kept)[0].OpeningBookValue, 2400000);
    EXPECT_EQ((*kept)[1].Method, AssetMethod::LumpSum);
    EXPECT_EQ((*kept)[1].AcquiredOn, 20261210);
    EXPECT_EQ((*kept)[2].Method, AssetMethod::SmallAsset);
    EXPECT_EQ((*kept)[2].UsefulLife, 4);
}

TEST_F(AssetScreens, ARefusedAssetIsNamedAndNothingChanges) {
    AssetRegisterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    Enter(f, Box::BoxName, QStringLiteral("机"));
    Choose(f, Box::BoxKind, 0);
    Enter(f, Box::BoxQuantity);
    Enter(f, Box::BoxAcquired, QStringLiteral("2026-02-30"));  // no such day
    Enter(f, Box::BoxFirstUsed);
    Enter(f, Box::BoxCost, QStringLiteral("400000"));
    Choose(f, Box::BoxMethod, 3);  // 少額: above the limit
    Enter(f, Box::BoxLife, QStringLiteral("8"));
    Enter(f, Box::BoxShare);
    Enter(f, Box::BoxOpening);
    Choose(f, Box::BoxDisposal, 0);
    Enter(f, Box::BoxDisposalMonth);
    EXPECT_EQ(prompt.LastText(), "取得年月日を 2026-04-01 のように入力して下さい。");
    EXPECT_TRUE(f.Assets().empty());

    auto* acquired = static_cast<QLineEdit*>(f.box(Box::BoxAcquired));
    acquired->setText(QStringLiteral("2026-02-28"));
    Key(f.grid(), Qt::Key_F4);
    EXPECT_NE(prompt.LastText().find("少額減価償却資産は取得価額"), std::string::npos) << prompt.LastText();
    EXPECT_TRUE(f.Assets().empty());

    prompt.Clear();
    prompt.Answer(Answer::Yes);
    Key(f.grid(), Qt::Key_F5);  // 中断
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(std::filesystem::exists(AssetRegisterPath(s)));  // nothing written
}

// 登録 on a disk that fails: the reason is shown, the screen stays with what was typed,
// and the register kept before is there as it was.
TEST_F(AssetScreens, AFailedSaveKeepsTheScreenAndTheOldFiles) {
    AssetRegisterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    TypeTheYearsAssets(f);
    ASSERT_EQ(f.Assets().size(), 3u);
    ASSERT_TRUE(SaveAssetRegister(AssetRegisterPath(s), {f.Assets()[0]}).ok());
    const std::string before = testing::ReadBytes(AssetRegisterPath(s));
    for (int at = 1; at <= 3; ++at) {
        testing::FaultyFiles faulty(at, testing::Fault::Fail);
        ScopedFileOps use(faulty);
        prompt.Clear();
        Key(f.grid(), Qt::Key_F10);
        if (!faulty.reached) break;
        EXPECT_TRUE(f.isVisible()) << at;
        EXPECT_GE(prompt.shown.size(), 2u) << at;  // the question, then the reason
        EXPECT_EQ(f.Assets().size(), 3u);
        EXPECT_EQ(testing::ReadBytes(AssetRegisterPath(s)), before) << at;
    }
    prompt.Clear();
    prompt.Answer(Answer::Yes);
    Key(f.grid(), Qt::Key_F5);
    EXPECT_EQ(prompt.LastText(), "台帳の変更を登録せずに終わりますか？");
}

TEST_F(AssetScreens, AnAssetIsSoldAndAnotherDeleted) {
    FixedAsset van;
    van.AssetName = "営業用バン";
    van.AssetKind = 5;
    van.AcquiredOn = van.FirstUsedOn = 20260401;
    van.Cost = van.OpeningBookValue = 2400000;
    van.UsefulLife = 6;
    van.BusinessShare = 80;
    FixedAsset desk = van;
    desk.AssetName = "机";
    desk.AssetKind = 6;
    desk.Cost = desk.OpeningBookValue = 120000;
    desk.Method = AssetMethod::LumpSum;
    desk.UsefulLife = 0;
    desk.BusinessShare = 100;
    ASSERT_TRUE(SaveAssetRegister(AssetRegisterPath(s), {van, desk}).ok());

    AssetRegisterForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    ASSERT_EQ(f.Assets().size(), 2u);
    EXPECT_TRUE(f.grid()->hasFocus());
    Key(f.grid(), Qt::Key_Return);  // into the van's boxes
    EXPECT_TRUE(f.box(Box::BoxName)->hasFocus());
    static_cast<QComboBox*>(f.box(Box::BoxDisposal))->setCurrentIndex(DisposalKind::Sold);
    static_cast<QLineEdit*>(f.box(Box::BoxDisposalMonth))->setText(QStringLiteral("12"));
    Key(f.grid(), Qt::Key_F4);
    EXPECT_EQ(Cell(f.grid(), 0, AssetRegisterForm::ColNote), QStringLiteral("売却12月"));
    EXPECT_EQ(Cell(f.grid(), 0, AssetRegisterForm::ColClosing), QStringLiteral("0"));

    f.grid()->setCurrentCell(1, 0);
    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F6);
    EXPECT_EQ(f.Assets().size(), 2u);  // No: kept
    Key(f.grid(), Qt::Key_F6);         // Yes
    ASSERT_EQ(f.Assets().size(), 1u);
    Key(f.grid(), Qt::Key_F10);
    auto kept = LoadAssetRegister(AssetRegisterPath(s));
    ASSERT_TRUE(kept.ok());
    ASSERT_EQ(kept->size(), 1u);
    EXPECT_EQ((*kept)[0].DisposalKind, DisposalKind::Sold);
    EXPECT_EQ((*kept)[0].DisposalMonth, 12);
}

TEST_F(AssetScreens, TheRentsShareIsTypedAndThePagesFollow) {
    {
        AssetRegisterForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        TypeTheYearsAssets(f);
        Key(f.grid(), Qt::Key_F10);
        ASSERT_TRUE(std::filesystem::exists(AssetRegisterPath(s)));
    }
    {
        PrivateSharesForm f(app);
        ASSERT_TRUE(testing::ShowActive(&f));
        ASSERT_TRUE(f.Loaded());
        QTableWidget* g = f.grid();
        int rent = -1;
        for (int r = 0; r < g->rowCount(); ++r)
            if (Cell(g, r, PrivateSharesForm::ColName) == QStringLiteral("地代家賃")) rent = r;
        ASSERT_GE(rent, 0);
        EXPECT_EQ(Cell(g, rent, PrivateSharesForm::ColTotal), QStringLiteral("1,200,000"));
        g->setCurrentCell(rent, PrivateSharesForm::ColShare);
        // A share above 100 is refused and changes nothing.
        TypeText(g, QStringLiteral("140"));
        Key(g, Qt::Key_Return);
        EXPECT_EQ(prompt.LastText(), "事業割合は０％から１００％です（空欄は全額が経費）。");
        EXPECT_EQ(Cell(g, rent, PrivateSharesForm::ColPrivate), QStringLiteral("0"));
        g->setCurrentCell(rent, PrivateSharesForm::ColShare);
        TypeText(g, QStringLiteral("40"));
        Key(g, Qt::Key_Return);
        EXPECT_EQ(Cell(g, rent, PrivateSharesForm::ColShare), QStringLiteral("40%"));
        EXPECT_EQ(Cell(g, rent, PrivateSharesForm::ColExpense), QStringLiteral("480,000"));
        EXPECT_EQ(Cell(g, rent, PrivateSharesForm::ColPrivate), QStringLiteral("720,000"));
        Shot(f, "private-shares");
        Key(g, Qt::Key_F8);
        ASSERT_EQ(printer.printed.size(), 1u);
        EXPECT_TRUE(printer.HasText(0, 0, "家 事 按 分 の 計 算"));
        prompt.Clear();
        Key(g, Qt::Key_F10);
        EXPECT_EQ(prompt.LastText(), "家事按分の割合を登録しますか？");
        auto shares = LoadItemShares(ItemSharesPath(s));
        ASSERT_TRUE(shares.ok());
        EXPECT_EQ((*shares)[kRent], 40);
    }
    // The statement as its screens show it: page 3 from the register, page 1 after 集計.
    auto totals = ComputeMonthlyItemTable(s);
    ASSERT_TRUE(totals.ok());
    s.MonthlyItemTable = *totals;
    {
        StatementPage3Form page3(app);
        ASSERT_TRUE(page3.Loaded());
        EXPECT_EQ(page3.Asset(1, StatementPage3Form::Name1)->text(), QStringLiteral("営業用バン"));
        EXPECT_TRUE(page3.Asset(1, StatementPage3Form::Hi)->isReadOnly());
        EXPECT_EQ(page3.Asset(1, StatementPage3Form::Keihi)->text().trimmed(), QStringLiteral("240,480"));
        EXPECT_EQ(page3.Asset(kAssetTotalRow, StatementPage3Form::Keihi)->text().trimmed(),
                  QStringLiteral("550,480"));
        Shot(page3, "statement-page3");
    }
    {
        StatementPage1Form page1(app);
        ASSERT_TRUE(page1.Loaded());
        EXPECT_EQ(page1.Figures().lines[kDepreciationLine], 550480);
        EXPECT_EQ(page1.Figures().lines[23], 480000);
        Shot(page1, "statement-page1");
    }
    // The year as a data folder a person may print with tabulo-cli, when asked for.
    if (const char* folder = std::getenv("TABULO_SHOTS")) {
        s.MasterPath = dir / "MASTER.DAT";
        s.FiscalYearPath = dir / "DATE.DAT";
        s.MasterHeader[0] = "山田商店";
        s.ItemTableEdit = s.ItemTable;
        ASSERT_TRUE(SaveMaster(s).ok());
        ASSERT_TRUE(WriteFiscalYearFile(s).ok());
        const std::filesystem::path out = std::filesystem::path(folder) / "year";
        std::filesystem::create_directories(out);
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            std::filesystem::copy_file(e.path(), out / e.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace
}  // namespace tabulo
