#include "assets/PrivateSharesForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "assets/AssetsPrint.h"
#include "assets/RegisterEdit.h"
#include "ui/EntryScreen.h"
#include "cashbook/Aggregation.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Yen(Amount a) { return Q(FormatAmount(a, false)); }

}  // namespace

PrivateSharesForm::PrivateSharesForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("家事按分"), QStringLiteral("PrivateSharesForm"), parent) {
    // The year's totals as they stand in the cash book, and the shares kept.
    auto totals = ComputeMonthlyItemTable(app_.state);
    auto shares = LoadItemShares(ItemSharesPath(app_.state));
    if (!totals) {
        ShowFileError(app_.prompt, totals.error());
    } else if (!shares) {
        ShowFileError(app_.prompt, shares.error());
    } else {
        totals_ = *totals;
        stored_ = edited_ = *shares;
        loaded_ = Recompute(edited_);
    }
    const QFont gothic = GridFont(11);
    const QFontMetrics fm(gothic);
    const int ch = fm.horizontalAdvance(QLatin1Char('0'));
    grid_ = MakeEntryGrid(this, QStringLiteral("SharesGrid"), 0,
                          {QStringLiteral("No."), QStringLiteral("項目名"), QStringLiteral("行"),
                           QStringLiteral("年間合計"), QStringLiteral("事業割合"), QStringLiteral("必要経費"),
                           QStringLiteral("事業主貸")},
                          {ch * 3 + 20, fm.horizontalAdvance(QString(8, QChar(0x3000))) + 20, ch * 3 + 20,
                           ch * 12 + 20, ch * 8 + 20, ch * 12 + 20, ch * 12 + 20});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        editing_ = false;
        if (row >= 0 && column != ColShare) grid_->setCurrentCell(row, ColShare);
    });

    auto* print = SideButton(this, "Print", "印刷(F8)");
    auto* touroku = SideButton(this, "Touroku", "登録(F10)");
    auto* chudan = SideButton(this, "Chudan", "中断(F5)");
    connect(print, &QPushButton::clicked, this, &PrivateSharesForm::PrintShares);
    connect(touroku, &QPushButton::clicked, this, &PrivateSharesForm::Register);
    connect(chudan, &QPushButton::clicked, this, &PrivateSharesForm::CancelEdit);
    if (!loaded_) {
        print->setEnabled(false);
        touroku->setEnabled(false);
    }
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(SidePanel(
        this, nullptr,
        QStringLiteral("家賃・電話・車など、家庭と共用の経費の\n"
                       "事業に使う割合（％）を入れます。\n"
                       "事業割合の欄で数字を打ってEnter。\n"
                       "Deleteで割合を外します（全額が経費）。\n"
                       "申告書１ページはこの割合の金額を経費とし、\n"
                       "残りは決算整理で事業主貸に振り替えます。\n"
                       "年間合計は出納簿の今の金額です。"),
        {print, touroku, chudan}));
    WatchFunctionKeys();
    ShowList();
    if (grid_->rowCount() > 1) grid_->setCurrentCell(0, ColShare);
    grid_->setFocus();
    adjustSize();
    PlaceForm(this);
}

PrivateSharesForm::~PrivateSharesForm() { Finish(); }

bool PrivateSharesForm::Recompute(const ItemShares& shares) {
    auto split = SplitPrivateShares(app_.state.ItemTable, totals_, shares);
    if (!split) {
        app_.prompt.MsgBox(split.error().detail, MsgStyle::Exclamation, "エラー確認");
        return false;
    }
    edited_ = shares;
    split_ = std::move(*split);
    return true;
}

void PrivateSharesForm::ShowList() {
    grid_->setRowCount(static_cast<int>(split_.lines.size()) + 1);
    auto set = [&](int row, int column, const QString& text, bool right, bool editable) {
        grid_->setItem(row, column, EntryCell(text, right ? Qt::AlignRight : Qt::AlignLeft, editable));
    };
    for (std::size_t i = 0; i < split_.lines.size(); ++i) {
        const ShareLine& l = split_.lines[i];
        const int r = static_cast<int>(i);
        const std::int16_t typed = edited_[static_cast<std::size_t>(l.item)];
        set(r, ColItem, QString::number(l.item), true, false);
        set(r, ColName, Q(TrimRight(l.name)), false, false);
        set(r, ColLine, QString::number(l.line), true, false);
        set(r, ColTotal, Yen(l.total), true, false);
        set(r, ColShare, typed > 0 ? QStringLiteral("%1%").arg(typed) : QString(), true, true);
        set(r, ColExpense, Yen(l.expense), true, false);
        set(r, ColPrivate, Yen(l.privatePart), true, false);
    }
    const int t = static_cast<int>(split_.lines.size());
    set(t, ColItem, QString(), true, false);
    set(t, ColName, QStringLiteral("合計"), false, false);
    set(t, ColLine, QString(), true, false);
    set(t, ColTotal, Yen(split_.total), true, false);
    set(t, ColShare, QString(), true, false);
    set(t, ColExpense, Yen(split_.expense), true, false);
    set(t, ColPrivate, Yen(split_.privatePart), true, false);
}

bool PrivateSharesForm::SetShare(int row, const std::string& text) {
    if (!loaded_ || row < 0 || static_cast<std::size_t>(row) >= split_.lines.size()) {
        app_.prompt.Beep();
        return false;
    }
    auto share = ReadShareText(text);
    if (!share) {
        app_.prompt.MsgBox(share.error().detail, MsgStyle::Exclamation, "入力確認");
        ShowList();
        return false;
    }
    ItemShares next = edited_;
    next[static_cast<std::size_t>(split_.lines[static_cast<std::size_t>(row)].item)] = *share;
    if (!Recompute(next)) {
        ShowList();
        return false;
    }
    ShowList();
    return true;
}

bool PrivateSharesForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = grid_->currentRow();
        const bool onItem = row >= 0 && static_cast<std::size_t>(row) < split_.lines.size();
        QTableWidgetItem* cell = onItem ? grid_->item(row, ColShare) : nullptr;
        const QString typed = key->text();
        if (typed.size() == 1 && (typed[0].isDigit() || typed[0] == QLatin1Char('%'))) {
            if (!cell) {
                app_.prompt.Beep();
                return true;
            }
            // The share is typed over what the cell shows.
            cell->setText((editing_ ? cell->text() : QString()) + typed);
            editing_ = true;
            return true;
        }
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (editing_ && cell) {
                    editing_ = false;
                    if (SetShare(row, cell->text().toStdString()) && row + 1 < grid_->rowCount() - 1)
                        grid_->setCurrentCell(row + 1, ColShare);
                    else
                        grid_->setCurrentCell(row, ColShare);
                } else if (row + 1 < grid_->rowCount() - 1) {
                    grid_->setCurrentCell(row + 1, ColShare);
                }
                return true;
            case Qt::Key_Backspace:
                if (editing_ && cell) {
                    QString t = cell->text();
                    t.chop(1);
                    cell->setText(t);
                    return true;
                }
                [[fallthrough]];
            case Qt::Key_Delete:
                editing_ = false;
                if (onItem) SetShare(row, "");
                else app_.prompt.Beep();
                grid_->setCurrentCell(row, ColShare);
                return true;
            case Qt::Key_Escape:
                if (editing_) {
                    editing_ = false;
                    ShowList();
                    grid_->setCurrentCell(row, ColShare);
                    return true;
                }
                break;
            default: break;
        }
    }
    return GridForm::eventFilter(watched, event);
}

void PrivateSharesForm::PrintShares() {
    if (!loaded_) return;
    if (app_.prompt.MsgBox("家事按分を印刷しますか？", MsgStyle::YesNo, "印刷確認") != Answer::Yes) return;
    SendToPrinter(app_, PrintPrivateShares(app_.state, split_));
}

void PrivateSharesForm::Register() {
    if (!loaded_) return;
    if (app_.prompt.MsgBox("家事按分の割合を登録しますか？", MsgStyle::YesNoWarning, "登録確認") != Answer::Yes)
        return;
    if (Status st = SaveItemShares(ItemSharesPath(app_.state), edited_); !st) {
        ShowFileError(app_.prompt, st.error());
        return;
    }
    stored_ = edited_;
    Finish();
    accept();
}

void PrivateSharesForm::CancelEdit() {
    if (app_.prompt.MsgBox(edited_ != stored_ ? "割合の変更を登録せずに終わりますか？" : "中断しますか？",
                           MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    Finish();
    QDialog::reject();
}

bool PrivateSharesForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F5: CancelEdit(); return true;
        case Qt::Key_F8: PrintShares(); return true;
        case Qt::Key_F10: Register(); return true;
        default: return false;
    }
}

}  // namespace tabulo
