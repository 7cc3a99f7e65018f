#include "reports/ItemLinesForm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "reports/ItemLedger.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

constexpr int kColumns = 8;
// Column widths and the grid's height in twips (15 to a screen pixel).
constexpr int kWidths[kColumns] = {750, 700, 560, 2000, 1120, 1120, 1120, 2000};
constexpr int kGridHeight = 4125;
constexpr int Px(int twips) { return twips / 15; }

// The buttons this form switches off while it is open; all but 読み込み come back.
constexpr int kLocked[] = {ToolButton::Read,   ToolButton::Input,    ToolButton::ItemLedger,
                           ToolButton::Master, ToolButton::Deposits, ToolButton::End};
constexpr int kRestored[] = {ToolButton::Input, ToolButton::ItemLedger, ToolButton::Master,
                             ToolButton::Deposits, ToolButton::End};

}  // namespace

ItemLinesForm::ItemLinesForm(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("項目別表示"));
    setObjectName(QStringLiteral("ItemLinesForm"));
    const QFont gothic = GridFont(10.8);
    QFont buttonFont(QStringLiteral("ＭＳ ゴシック"));
    buttonFont.setPointSizeF(10.3);
    setFont(buttonFont);

    for (int b : kLocked) app_.toolbar.SetButtonEnabled(b, false);

    koumokuList_ = new QComboBox(this);
    koumokuList_->setObjectName(QStringLiteral("ItemLinesFormList"));
    koumokuList_->setFont(gothic);
    koumokuList_->setMaxVisibleItems(20);
    for (int k = 1; k <= kItemCount; ++k)
        koumokuList_->addItem(QString::fromStdString(ItemListEntry(app_.state, k)));
    koumokuList_->setCurrentIndex(-1);
    koumokuList_->setMinimumWidth(260);
    connect(koumokuList_, &QComboBox::activated, this, &ItemLinesForm::ShowItemLines);

    model_ = new TextGridModel(kColumns, this);
    model_->SetHeaders({QStringLiteral("年月日"), QStringLiteral("曜日"), QStringLiteral("区分"),
                        QStringLiteral("  項   目"), QStringLiteral("  収入"),
                        QStringLiteral("  支出"), QStringLiteral("   残"),
                        QStringLiteral("  備    考")});
    grid1_ = MakeTextGrid(model_, gothic, this);
    // The widths of the form design, widened where the face here needs more room, so
    // that no date, amount or name is cut.
    const QFontMetrics fm(gothic);
    const int pad = 10;
    const int needed[kColumns] = {fm.horizontalAdvance(QStringLiteral("000000")),
                                  fm.horizontalAdvance(QStringLiteral("（月）")),
                                  fm.horizontalAdvance(QStringLiteral("000")),
                                  fm.horizontalAdvance(QString(8, QChar(0x3000))),
                                  fm.horizontalAdvance(QString(10, QLatin1Char('0'))),
                                  fm.horizontalAdvance(QString(10, QLatin1Char('0'))),
                                  fm.horizontalAdvance(QString(10, QLatin1Char('0'))),
                                  fm.horizontalAdvance(QString(8, QChar(0x3000)))};
    int width = 2 * grid1_->frameWidth() + grid1_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < kColumns; ++c) {
        const int w = std::max(Px(kWidths[c]), needed[c] + pad);
        grid1_->setColumnWidth(c, w);
        width += w;
    }
    grid1_->setFixedSize(width, Px(kGridHeight));

    auto* inCaption = new QLabel(QStringLiteral("収入合計"), this);
    auto* outCaption = new QLabel(QStringLiteral("支出合計"), this);
    inGaku_ = new QLabel(this);
    inGaku_->setObjectName(QStringLiteral("InGaku"));
    outGaku_ = new QLabel(this);
    outGaku_->setObjectName(QStringLiteral("OutGaku"));
    for (QLabel* l : {inGaku_, outGaku_}) {
        l->setFont(gothic);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(Px(1120) + 16);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    printData_ = new QPushButton(QStringLiteral("印刷(F8)"), this);
    printData_->setObjectName(QStringLiteral("PrintData"));
    printData_->setToolTip(QStringLiteral("選択した項目を印刷します"));
    endYesNo_ = new QPushButton(QStringLiteral("終了(F10)"), this);
    endYesNo_->setObjectName(QStringLiteral("EndYesNo"));
    endYesNo_->setToolTip(QStringLiteral("項目別表示を終了します"));
    connect(printData_, &QPushButton::clicked, this, &ItemLinesForm::PrintData);
    connect(endYesNo_, &QPushButton::clicked, this, &ItemLinesForm::CloseForm);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("項目選択"), this));
    top->addWidget(koumokuList_);
    top->addStretch();
    top->addWidget(inCaption);
    top->addWidget(inGaku_);
    top->addSpacing(12);
    top->addWidget(outCaption);
    top->addWidget(outGaku_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(printData_);
    buttons->addWidget(endYesNo_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid1_);
    layout->addLayout(buttons);

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    adjustSize();
    PlaceForm(this);
}

ItemLinesForm::~ItemLinesForm() = default;

void ItemLinesForm::ShowItemLines(int index) {
    if (index < 0) return;
    TrimWorkingSet();
    inGaku_->clear();
    outGaku_->clear();
    model_->Clear();
    income_ = expense_ = 0;
    auto selection = SelectItemLines(app_.state, index + 1);
    if (!selection) {
        ShowFileError(app_.prompt, selection.error(), app_.state);
        return;
    }
    std::vector<QStringList> rows;
    rows.reserve(selection->rows.size());
    for (const ItemLedgerRow& r : selection->rows) {
        QStringList row;
        row.reserve(kColumns);
        for (const std::string& text : r) row << QString::fromStdString(text);
        rows.push_back(std::move(row));
    }
    model_->SetRows(std::move(rows));
    income_ = selection->income;
    expense_ = selection->expense;
    inGaku_->setText(QString::fromStdString(selection->incomeLabel));
    outGaku_->setText(QString::fromStdString(selection->expenseLabel));
    grid1_->scrollToTop();
    if (model_->rowCount() > 0) grid1_->setCurrentIndex(model_->index(0, 7));
    grid1_->setFocus();
}

void ItemLinesForm::PrintData() {
    if (koumokuList_->currentIndex() < 0) {
        app_.prompt.MsgBox("データを選択してください！", MsgStyle::Ok, "");
        return;
    }
    if (app_.prompt.MsgBox("印刷しますか？", MsgStyle::YesNoWarning, "印刷確認") != Answer::Yes)
        return;
    TrimWorkingSet();
    {
        WaitCursor wait;
        // The printout is made from the grid, as the screen shows it.
        std::vector<ItemLedgerRow> rows(static_cast<std::size_t>(model_->rowCount()));
        for (int r = 0; r < model_->rowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c)
                rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                    model_->Text(r, c).toStdString();
        }
        const PrintDocument doc =
            PrintItemLedger(app_.state, app_.prompt, ItemLedgerPrintTable(rows, income_, expense_),
                            koumokuList_->currentIndex() + 1);
        SendToPrinter(app_, doc);
    }
    koumokuList_->setFocus();
}

void ItemLinesForm::CloseForm() {
    if (app_.prompt.MsgBox("終了しますか？", MsgStyle::YesNoWarning, "終了確認") != Answer::Yes)
        return;
    for (int b : kRestored) app_.toolbar.SetButtonEnabled(b, true);
    finished_ = true;
    accept();
}

void ItemLinesForm::reject() { CloseForm(); }

void ItemLinesForm::closeEvent(QCloseEvent* event) {
    if (finished_) {
        event->accept();
        return;
    }
    event->ignore();
    CloseForm();
}

bool ItemLinesForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F8:
            PrintData();
            return true;
        case Qt::Key_F10:
            CloseForm();
            return true;
        default:
            return false;
    }
}

bool ItemLinesForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && FunctionKey(key->key())) return true;
        if (watched == koumokuList_) {
            // The item is picked from the list only.
            if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) return true;
            if (!key->text().isEmpty() && key->text().at(0).isPrint()) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tabulo
