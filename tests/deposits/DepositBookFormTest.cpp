// The deposit book form driven by keys: cell edits, totals, the carry-over question
// and the bytes of the YOKIN file it writes.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "deposits/DepositTable.h"
#include "deposits/DepositBookForm.h"
#include "ui/FilteredLineEdit.h"
#include "ui/GridCellEditor.h"
#include "ui/AppContext.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"
#include "tests/master/FormKeys.h"
#include "platform/FileOps.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/FakeToolbar.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

using testing::FromHex;
using testing::Key;
using testing::TypeText;

// YOKIN<nn>.DAT laid out by hand, 1,536 bytes: 21 names of 18 bytes at 0, 21 account
// numbers of 14 bytes at 378, three tables of 21 little-endian Longs at 672 (carried),
// 756 (current) and 840 (spare), 21 maturities of 10 bytes at 924, the carried and
// current totals at 1134 and 1138, the 394-byte note at 1142. Slot k of a table of
// width w starts at offset + k * w.
std::string ClearedBytes() {
    std::string b(1536, ' ');
    std::fill(b.begin() + 672, b.begin() + 924, '\0');
    std::fill(b.begin() + 1134, b.begin() + 1142, '\0');
    return b;
}
void Put(std::string& b, std::size_t offset, const std::string& hex) {
    std::string bytes = FromHex(hex);
    b.replace(offset, bytes.size(), bytes);
}

// Accounts 1 and 3, a spare amount in slot 2 and a note.
std::string ExistingBook() {
    std::string b = ClearedBytes();
    Put(b, 18 * 1, "958192ca97618be0");        // 普通預金
    Put(b, 378 + 14 * 1, "3132332d34353637");  // 123-4567
    Put(b, 672 + 4 * 1, "a0860100");           // carried 100,000
    Put(b, 756 + 4 * 1, "f0490200");           // current 150,000
    Put(b, 18 * 3, "92e88afa");                // 定期
    Put(b, 378 + 14 * 3, "392d31");            // 9-1
    Put(b, 672 + 4 * 3, "20a10700");           // carried 500,000
    Put(b, 756 + 4 * 3, "20a10700");           // current 500,000
    Put(b, 924 + 10 * 3, "52382e30332e3331");  // R8.03.31
    Put(b, 840 + 4 * 2, "4d000000");           // spare 77
    Put(b, 1134, "c0270900");                  // carried total 600,000
    Put(b, 1138, "10eb0900");                  // current total 650,000
    Put(b, 1142, "6d656d6f");                  // memo
    return b;
}

class DepositBookFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        s.DataFolder = tmp.path();
        // The year of the files: its saves go under its log and into its history.
        s.FiscalYear = 7;
        s.LedgerPath = tmp.path() / "KEIRI07.DAT";
        s.DepositPath = tmp.path() / "YOKIN07.DAT";
        toolbar.enabled = {false, true, true, true, true, false, true, true, true};
    }
    void WriteExisting() {
        testing::WriteBytes(s.DepositPath, ExistingBook());
        const std::string raw = ExistingBook();
        auto bytes = std::as_bytes(std::span(raw.data(), raw.size()));
        s.DepositBook = DecodeDepositBook(bytes).value();  // as the read-data action left it
    }
    QLineEdit* InpData(DepositBookForm& f) { return f.cellEditor()->editor(); }
    QString Cell(DepositBookForm& f, int account, int column) {
        return f.grid()->item(account - 1, column)->text();
    }
    QString Label(DepositBookForm& f, const char* name) {
        return f.findChild<QLabel*>(QString::fromUtf8(name))->text();
    }
    void StartEdit(DepositBookForm& f, int account, int column) {
        f.grid()->setCurrentCell(account - 1, column);
        Key(f.grid(), Qt::Key_Return);
    }
    void EditCell(DepositBookForm& f, int account, int column, const QString& text) {
        StartEdit(f, account, column);
        ASSERT_TRUE(InpData(f)->isVisible());
        InpData(f)->selectAll();
        TypeText(InpData(f), text);
        Key(InpData(f), Qt::Key_Return);
        ASSERT_FALSE(InpData(f)->isVisible());
    }
    std::string Written() { return testing::ReadBytes(s.DepositPath); }

    testing::TempFolder tmp;
    SharedState s;
    testing::FakePrompt prompt;
    testing::FakeToolbar toolbar;
    AppContext app{s, prompt, toolbar};
};

TEST_F(DepositBookFormTest, ShowsTheAccountsAndTheirTotals) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("預金データ入力"));
    EXPECT_FALSE(f.IsNewFile());
    ASSERT_EQ(f.grid()->rowCount(), 20);
    QStringList heads;
    for (int c = 0; c < 6; ++c) heads << f.grid()->horizontalHeaderItem(c)->text();
    EXPECT_EQ(heads, (QStringList{QStringLiteral("No."), QStringLiteral("名      称"),
                                  QStringLiteral("口座No."), QStringLiteral("繰越預金高"),
                                  QStringLiteral("現預金額"), QStringLiteral("満期")}));
    EXPECT_EQ(Cell(f, 1, 0), QStringLiteral("  1"));
    EXPECT_EQ(Cell(f, 1, 1), QStringLiteral("普通預金"));
    EXPECT_EQ(Cell(f, 1, 3), QStringLiteral("    100,000"));
    EXPECT_EQ(Cell(f, 3, 5), QStringLiteral("R8.03.31"));
    EXPECT_EQ(Cell(f, 2, 4), QStringLiteral("          0"));
    EXPECT_EQ(Label(f, "ZenKurikoshi"), QStringLiteral("    600,000"));
    EXPECT_EQ(Label(f, "GenGoukei"), QStringLiteral("    650,000"));
    EXPECT_EQ(Label(f, "GoukeiCaption"), QStringLiteral("合計額"));
    EXPECT_EQ(f.findChild<QPushButton*>(QStringLiteral("EndYesNo"))->text(),
              QStringLiteral("終了(F10)"));
    EXPECT_EQ(f.findChild<QPushButton*>(QStringLiteral("Chudan"))->toolTip(),
              QStringLiteral("作業を中断します"));
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(toolbar.enabled[i]) << i;
}

TEST_F(DepositBookFormTest, EditingOnlyACurrentBalanceAsksNoCorrectionQuestion) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 4, QStringLiteral("200000"));
    EXPECT_EQ(Cell(f, 1, 4), QStringLiteral("    200,000"));
    EXPECT_EQ(Label(f, "GenGoukei"), QStringLiteral("    700,000"));
    EXPECT_EQ(Label(f, "ZenKurikoshi"), QStringLiteral("    600,000"));

    Key(f.grid(), Qt::Key_F10);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "登録しますか？");
    EXPECT_EQ(prompt.shown[0].title, "登録確認");
    EXPECT_EQ(prompt.shown[0].style, 52);
    EXPECT_FALSE(f.isVisible());

    std::string expected = ExistingBook();
    Put(expected, 756 + 4 * 1, "400d0300");  // current 200,000
    Put(expected, 1138, "60ae0a00");         // current total 700,000
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(toolbar.enabled,
              (std::array<bool, 9>{false, true, true, true, true, false, true, true, true}));
}

TEST_F(DepositBookFormTest, RaisingACarryOverAsksAndNoKeepsTheOldTotal) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 3, QStringLiteral("120000"));
    EXPECT_EQ(Label(f, "ZenKurikoshi"), QStringLiteral("    620,000"));
    prompt.Answer(Answer::Yes);
    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F10);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].text, "預金額が訂正されていますが、前年繰越預金額も訂正しますか？");
    EXPECT_EQ(prompt.shown[1].title, "訂正確認");
    EXPECT_EQ(prompt.shown[1].style, 52);

    std::string expected = ExistingBook();
    Put(expected, 672 + 4 * 1, "c0d40100");  // the account keeps 120,000; the total stays 600,000
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(s.DepositBook.CarriedTotal, 600000);
    EXPECT_EQ(s.DepositBook.CarriedBalance[1], 120000);
}

TEST_F(DepositBookFormTest, RaisingACarryOverAndAnsweringYesStoresTheNewTotal) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 3, QStringLiteral("120,000"));
    Key(f.grid(), Qt::Key_F10);  // Yes to both questions
    ASSERT_EQ(prompt.shown.size(), 2u);
    std::string expected = ExistingBook();
    Put(expected, 672 + 4 * 1, "c0d40100");
    Put(expected, 1134, "e0750900");  // carried total 620,000
    EXPECT_EQ(Written(), expected);
}

TEST_F(DepositBookFormTest, ANewFileIsStoredWithoutTheQuestion) {
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EXPECT_TRUE(f.IsNewFile());
    EditCell(f, 2, 1, QStringLiteral("当座"));
    EditCell(f, 2, 2, QStringLiteral("ab-12"));  // typed in lower case
    EXPECT_EQ(Cell(f, 2, 2), QStringLiteral("         AB-12"));
    EditCell(f, 2, 3, QStringLiteral("1000"));
    EditCell(f, 2, 4, QStringLiteral("1000"));
    EditCell(f, 2, 5, QStringLiteral("R9.4.1"));
    Key(f.grid(), Qt::Key_F10);
    ASSERT_EQ(prompt.shown.size(), 1u);

    std::string expected = ClearedBytes();
    Put(expected, 18 * 2, "93968dc0");                             // 当座
    Put(expected, 378 + 14 * 2, "202020202020202020 41422d3132");  // right-aligned AB-12
    Put(expected, 672 + 4 * 2, "e8030000");
    Put(expected, 756 + 4 * 2, "e8030000");
    Put(expected, 924 + 10 * 2, "20202020 52392e342e31");  // right-aligned R9.4.1
    Put(expected, 1134, "e8030000");
    Put(expected, 1138, "e8030000");
    EXPECT_EQ(Written(), expected);
}

TEST_F(DepositBookFormTest, KeysAreFilteredAndEscLeavesTheCell) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 1, 3);
    InpData(f)->clear();
    TypeText(InpData(f), QStringLiteral("12a３4"));
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("124"));
    EXPECT_EQ(prompt.beeps, 2);
    Key(InpData(f), Qt::Key_Escape);
    EXPECT_FALSE(InpData(f)->isVisible());
    EXPECT_EQ(Cell(f, 1, 3), QStringLiteral("    100,000"));

    StartEdit(f, 5, 2);
    TypeText(InpData(f), QStringLiteral("x#あ(1)"));
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("X#(1)"));
    EXPECT_EQ(prompt.beeps, 3);
    Key(InpData(f), Qt::Key_Escape);
    EXPECT_EQ(Cell(f, 5, 2), QString());
}

TEST_F(DepositBookFormTest, AnAmountTooLargeIsRefusedWithAMessage) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 1, 4);
    InpData(f)->clear();
    TypeText(InpData(f), QStringLiteral("3000000000"));
    Key(InpData(f), Qt::Key_Return);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, kAmountTooLargeMessage);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
    EXPECT_TRUE(InpData(f)->isVisible());  // the user can correct it

    // Clicking another cell tries the same text once more: one message, and the box
    // stays on its cell.
    QRect other = f.grid()->visualItemRect(f.grid()->item(4, 1));
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, Qt::NoModifier, other.center());
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_TRUE(InpData(f)->isVisible());
    EXPECT_EQ(InpData(f)->text(), QStringLiteral("3000000000"));
    EXPECT_EQ(f.grid()->currentRow(), 0);
    Key(InpData(f), Qt::Key_Escape);
    EXPECT_EQ(Cell(f, 1, 4), QStringLiteral("    150,000"));
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 150000);
}

TEST_F(DepositBookFormTest, CancelWritesNothingAndForgetsTheEdits) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 4, QStringLiteral("999"));
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 999);  // the balances follow the cells

    prompt.Answer(Answer::No);
    Key(f.grid(), Qt::Key_F5);
    EXPECT_TRUE(f.isVisible());
    Key(f.grid(), Qt::Key_F5);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].text, "中断しますか？");
    EXPECT_EQ(prompt.shown[1].title, "中断確認");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Written(), ExistingBook());
    // Left in memory, the cancelled balance would reach the file with the next
    // cash-book deposit line.
    EXPECT_EQ(s.DepositBook.CurrentBalance[1], 150000);
    EXPECT_TRUE(toolbar.enabled[4]);
}

TEST_F(DepositBookFormTest, TheCloseBoxAsksLikeCancel) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    prompt.Answer(Answer::No);
    f.close();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].title, "中断確認");
    EXPECT_TRUE(f.isVisible());
    f.close();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Written(), ExistingBook());
}

TEST_F(DepositBookFormTest, StoringWhileACellIsEditedOnlyBeeps) {
    WriteExisting();
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    StartEdit(f, 1, 1);
    Key(InpData(f), Qt::Key_F10);
    EXPECT_EQ(prompt.beeps, 1);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Written(), ExistingBook());
}

TEST_F(DepositBookFormTest, AFileThatIsNoDepositBookIsReportedAndLeftAlone) {
    testing::WriteBytes(s.DepositPath, std::string(100, 'x'));
    DepositBookForm f(app);
    EXPECT_FALSE(f.IsLoaded());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].title, "エラー確認");
    f.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Written(), std::string(100, 'x'));
    EXPECT_TRUE(toolbar.enabled[4]);
}

// Every flush fails: the save's record never reaches the log, so the save is not done.
class FlushFails : public FileOps {
  public:
    int Fsync(int) override {
        errno = EIO;
        return -1;
    }
    int Fdatasync(int) override {
        errno = EIO;
        return -1;
    }
};

// The save goes out as a record of the year's log, the flush of the log being its
// commit: when that flush fails, the file stays as it was and the user is told; the
// form keeps the edit until it is saved or cancelled.
TEST_F(DepositBookFormTest, ASaveWhoseLogCannotBeFlushedLeavesTheFileAndTheBookAsTheyWere) {
    WriteExisting();
    const DepositBookRecord held = s.DepositBook;
    DepositBookForm f(app);
    ASSERT_TRUE(testing::ShowActive(&f));
    EditCell(f, 1, 4, QStringLiteral("200000"));
    FlushFails ops;
    {
        ScopedFileOps scoped(ops);
        Key(f.grid(), Qt::Key_F10);
    }
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "登録しますか？");
    EXPECT_NE(prompt.shown[1].text.find("KEIRI07.JNL"), std::string::npos) << prompt.shown[1].text;
    EXPECT_EQ(Written(), ExistingBook());
    EXPECT_FALSE(std::filesystem::exists(s.DataFolder / "RIREKI07.DAT"));
    // The form stays open with the edit; 中断 then keeps nothing of it.
    EXPECT_TRUE(f.isVisible());
    Key(f.grid(), Qt::Key_F5);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(s.DepositBook.CurrentBalance, held.CurrentBalance);
    EXPECT_EQ(s.DepositBook.CurrentTotal, held.CurrentTotal);
    EXPECT_EQ(Written(), ExistingBook());
}

}  // namespace
}  // namespace tabulo
