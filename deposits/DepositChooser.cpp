#include "deposits/DepositChooser.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/SharedState.h"

namespace tabulo {

DepositChooser::DepositChooser(AppContext& app, int preselect, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("預金ファイル選択"));
    setObjectName(QStringLiteral("DepositChooser"));
    // A fixed-pitch face, so that the entries line up under the column heads.
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(11);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    auto* heads = new QLabel(
        QStringLiteral(" No.   名      称　　  口座Ｎｏ．    　預金額　　  満期 "), this);
    heads->setObjectName(QStringLiteral("Label1"));
    heads->setTextFormat(Qt::PlainText);
    heads->setFrameShape(QFrame::Panel);
    heads->setFrameShadow(QFrame::Raised);
    heads->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(heads);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("YokinList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(list_, 1);

    auto* hint =
        new QLabel(QStringLiteral("預金データの選択方法は\n"
                                  "該当の預金ファイルをダブルクリックするか\n"
                                  "該当の預金ファイルにカーソルを移動してEnterキーを押します。"),
                   this);
    hint->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(hint);

    entries_ = ChooserEntries(app_.state.DepositBook);
    for (const AccountEntry& e : entries_) list_->addItem(QString::fromStdString(e.text));

    QFontMetrics fm(list_->font());
    int textWidth = fm.horizontalAdvance(heads->text());
    for (const AccountEntry& e : entries_)
        textWidth = std::max(textWidth, fm.horizontalAdvance(QString::fromStdString(e.text)));
    list_->setMinimumWidth(textWidth + 2 * list_->frameWidth() +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 12);
    list_->setMinimumHeight(fm.height() * 8);

    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Choose(list_->row(item)); });
    list_->installEventFilter(this);

    int row = PreselectedEntry(entries_, preselect);
    if (row < 0) {
        app_.prompt.MsgBox("預金データがありません！", MsgStyle::Ok, "");
        app_.state.ErrorFlag = 1;
    } else {
        list_->setCurrentRow(row);
    }
    list_->setFocus(Qt::OtherFocusReason);
}

void DepositChooser::Choose(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    int account = entries_[row].account;
    int answer = app_.prompt.MsgBox(AccountQuestion(app_.state.DepositBook, account),
                                    MsgStyle::YesNoWarning, "口座確認");
    if (answer == Answer::Yes) {
        chosen_ = account;
        accept();
        return;
    }
    list_->setFocus(Qt::OtherFocusReason);
}

bool DepositChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Choose(list_->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DepositChooser::keyPressEvent(QKeyEvent* event) {
    // There is no cancel key: only the close box leaves without a choice.
    if (event->key() == Qt::Key_Escape) return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Choose(list_->currentRow());
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tabulo
