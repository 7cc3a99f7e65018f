#include "cashbook/ItemChooser.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "cashbook/Categories.h"
#include "cashbook/PageView.h"
#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

ItemChooser::ItemChooser(AppContext& app, int currentItem, int lockedCategory, QWidget* parent)
    : QDialog(parent),
      app_(app),
      previousItem_(currentItem),
      lockedCategory_(lockedCategory),
      chosen_(currentItem) {
    setWindowTitle(QStringLiteral("区分選択"));
    setModal(true);
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
    font.setPointSize(11);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (int i = 1; i <= kItemCount; ++i) {
        const auto& item = app_.state.ItemTable[static_cast<std::size_t>(i)];
        list_->addItem(Q(RightAlign(std::to_string(i), 2) + " " + TrimRight(item.ItemName)));
    }
    list_->setMinimumSize(list_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 26,
                          list_->fontMetrics().height() * 16);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* it) { Choose(list_->row(it)); });
    layout->addWidget(list_);

    auto* hint = new QLabel(QStringLiteral("確定はEnterキー キャンセルはEscキー"), this);
    layout->addWidget(hint);
    auto* chudan = new QPushButton(QStringLiteral("中断"), this);
    chudan->setAutoDefault(false);
    connect(chudan, &QPushButton::clicked, this, &ItemChooser::reject);
    layout->addWidget(chudan);

    int start = HasItem(previousItem_) ? previousItem_ - 1 : 0;
    list_->setCurrentRow(start);
    list_->scrollToItem(list_->item(start), QAbstractItemView::PositionAtTop);
    list_->setFocus();
}

void ItemChooser::reject() {
    chosen_ = 0;
    QDialog::reject();
}

bool ItemChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Choose(list_->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ItemChooser::Choose(int row) {
    if (row < 0) return;
    // The number is the entry's first two characters.
    const int chosen = list_->item(row)->text().left(2).trimmed().toInt();
    ItemChoice verdict = JudgeItemChoice(app_.state.ItemTable, lockedCategory_,
                                         previousItem_, chosen);
    if (!verdict.refusal.empty()) app_.prompt.MsgBox(verdict.refusal, MsgStyle::Ok, "");
    chosen_ = verdict.selection;
    accept();
}

}  // namespace tabulo
