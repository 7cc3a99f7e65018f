#include "books/ItemAccountForm.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "books/BooksForms.h"
#include "books/Slips.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

ItemAccountForm::ItemAccountForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("項目の勘定科目"), QStringLiteral("ItemAccountForm"), parent) {
    loaded_ = LoadBooks(app_, book_, accounts_);
    edited_ = accounts_;
    const QFont gothic = GridFont(11);
    const QFontMetrics fm(gothic);
    const int ch = fm.horizontalAdvance(QLatin1Char('0'));

    grid_ = MakeEntryGrid(this, QStringLiteral("ItemAccountGrid"), kItemCount,
                          {QStringLiteral("No."), QStringLiteral("項目名"), QStringLiteral("区分3"),
                           QStringLiteral("勘定科目")},
                          {ch * 3 + 20, fm.horizontalAdvance(QString(8, QChar(0x3000))) + 20,
                           fm.horizontalAdvance(QStringLiteral("区分3")) + 20,
                           fm.horizontalAdvance(QString(12, QChar(0x3000))) + 20});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);
    for (int i = 1; i <= kItemCount; ++i) ShowItem(i);
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { ChooseAccount(); });
    // The current cell stays in the account column.
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (row >= 0 && column != ColAccount) grid_->setCurrentCell(row, ColAccount);
    });

    auto* choose = SideButton(this, "Choose", "科目選択(F2)");
    auto* touroku = SideButton(this, "Touroku", "登録(F10)");
    auto* chudan = SideButton(this, "Chudan", "中断(F5)");
    connect(choose, &QPushButton::clicked, this, &ItemAccountForm::ChooseAccount);
    connect(touroku, &QPushButton::clicked, this, &ItemAccountForm::Register);
    connect(chudan, &QPushButton::clicked, this, &ItemAccountForm::CancelEdit);
    if (!loaded_) {
        choose->setEnabled(false);
        touroku->setEnabled(false);
    }
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(SidePanel(
        this, nullptr,
        QStringLiteral("収入でも経費でもない項目（事業主貸、借入金の返済など）に、\n"
                       "貸借対照表の勘定科目を決めます。\n"
                       "勘定科目の欄でEnterキー、ダブルクリックまたはF2で\n"
                       "一覧から選びます。Deleteキーで指定を外します。\n"
                       "区分3が申告書１ページの行を示す項目はその科目になり、\n"
                       "ここでは変えられません（灰色の行）。"),
        {choose, touroku, chudan}));

    WatchFunctionKeys();
    for (int i = 1; i <= kItemCount; ++i)
        if (Choosable(i)) {
            grid_->setCurrentCell(i - 1, ColAccount);
            break;
        }
    grid_->setFocus();
    adjustSize();
    PlaceForm(this);
}

ItemAccountForm::~ItemAccountForm() { Finish(); }

bool ItemAccountForm::Choosable(int itemNo) const {
    // An item's page-1 line wins over a chosen account; ItemAccount says which applies.
    ItemAccountArray none{};
    return ItemAccount(itemNo, app_.state.ItemTable, none) == 0;
}

void ItemAccountForm::ShowItem(int itemNo) {
    const ItemEntry& item = app_.state.ItemTable[static_cast<std::size_t>(itemNo)];
    const int row = itemNo - 1;
    const bool choosable = Choosable(itemNo);
    const int account = ItemAccount(itemNo, app_.state.ItemTable, edited_);
    auto set = [&](int column, const QString& text, Qt::Alignment align) {
        grid_->setItem(row, column, EntryCell(text, align, column == ColAccount && choosable));
    };
    set(ColNo, QString::number(itemNo), Qt::AlignRight);
    set(ColName, Q(TrimRight(item.ItemName)), Qt::AlignLeft);
    set(ColLine, QString::number(item.ItemKubun3), Qt::AlignRight);
    set(ColAccount,
        account == 0 ? QString()
                     : QStringLiteral("%1 %2").arg(account).arg(Q(AccountName(account, app_.state.ItemTable))),
        Qt::AlignLeft);
}

void ItemAccountForm::ChooseAccount() {
    const int row = grid_->currentRow();
    if (!loaded_ || row < 0 || !Choosable(row + 1)) {
        app_.prompt.Beep();
        return;
    }
    const auto index = static_cast<std::size_t>(row + 1);
    const int chosen = PickAccount(app_, true, true, edited_[index], this);
    if (chosen >= 0) {
        edited_[index] = static_cast<std::int16_t>(chosen);
        ShowItem(row + 1);
    }
    grid_->setCurrentCell(row, ColAccount);
    grid_->setFocus();
}

bool ItemAccountForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space: ChooseAccount(); return true;
            case Qt::Key_Delete:
            case Qt::Key_Backspace: {
                const int row = grid_->currentRow();
                if (row < 0 || !Choosable(row + 1)) {
                    app_.prompt.Beep();
                } else {
                    edited_[static_cast<std::size_t>(row + 1)] = 0;
                    ShowItem(row + 1);
                    grid_->setCurrentCell(row, ColAccount);
                }
                return true;
            }
            default: break;
        }
    }
    return GridForm::eventFilter(watched, event);
}

void ItemAccountForm::Register() {
    if (!loaded_) return;
    if (app_.prompt.MsgBox("項目の勘定科目を登録しますか？", MsgStyle::YesNoWarning, "登録確認") !=
        Answer::Yes)
        return;
    Status st = KeepItemAccounts(app_.state, book_, accounts_, edited_);
    if (!st) {
        ReportBooksError(app_, st.error());
        if (!st.error().applied) return;
    }
    Finish();
    accept();
}

void ItemAccountForm::CancelEdit() {
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes) return;
    Finish();
    QDialog::reject();
}

bool ItemAccountForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F2: ChooseAccount(); return true;
        case Qt::Key_F5: CancelEdit(); return true;
        case Qt::Key_F10: Register(); return true;
        default: return false;
    }
}

}  // namespace tabulo
