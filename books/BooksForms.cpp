#include "books/BooksForms.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "books/BookRows.h"
#include "books/TrialBalance.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {

bool LoadBooks(AppContext& app, SlipBook& book, ItemAccountArray& accounts) {
    // The statement's figures as saved: the year-end entries (stock, depreciation) come
    // from them, as on the command line and on page 4.
    if (Status st = LoadTaxReturnData(app.state); !st) {
        ShowFileError(app.prompt, st.error(), app.state);
        return false;
    }
    auto loaded = LoadSlipBook(SlipBookPath(app.state));
    if (!loaded) {
        ShowFileError(app.prompt, loaded.error(), app.state);
        return false;
    }
    auto chosen = LoadItemAccounts(ItemAccountsPath(app.state));
    if (!chosen) {
        ShowFileError(app.prompt, chosen.error(), app.state);
        return false;
    }
    book = std::move(*loaded);
    accounts = *chosen;
    return true;
}

bool LoadBooksToRead(AppContext& app, SlipBook& book, ItemAccountArray& accounts) {
    if (!LoadBooks(app, book, accounts)) return false;
    if (Status st = StartFromYearOpenings(app.state, book); !st) {
        ReportBooksError(app, st.error());
        return false;
    }
    return true;
}

void ReportBooksError(AppContext& app, const FileError& e) {
    const bool refused = e.code == FileErrorCode::Overflow ||
                         (e.code == FileErrorCode::BadFormat && e.writing && !e.applied);
    if (refused)
        app.prompt.MsgBox(e.detail, MsgStyle::Exclamation, "エラー確認");
    else
        ShowFileError(app.prompt, e, app.state);
}

AccountPicker::AccountPicker(AppContext& app, bool balanceSheetOnly, bool allowNone, int current,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("勘定科目の選択"));
    setObjectName(QStringLiteral("AccountPicker"));
    setModal(true);
    setFont(GridFont(11));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("AccountList"));
    auto add = [&](int code, const std::string& name) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 %2").arg(code, 3, 10, QLatin1Char(' ')).arg(QString::fromStdString(name)),
            list_);
        item->setData(Qt::UserRole, code);
        if (code == current) list_->setCurrentItem(item);
    };
    if (allowNone) {
        auto* none = new QListWidgetItem(QStringLiteral("    （なし）"), list_);
        none->setData(Qt::UserRole, 0);
        if (current == 0) list_->setCurrentItem(none);
    }
    for (const AccountChoice& c : AccountChoices(app.state.ItemTable, balanceSheetOnly))
        add(c.code, c.name);
    if (list_->currentRow() < 0) list_->setCurrentRow(0);
    const QFontMetrics fm(list_->font());
    list_->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("000 ＷＷＷＷＷＷＷＷＷ")) + 40);
    list_->setMinimumHeight(fm.height() * 20);
    connect(list_, &QListWidget::itemActivated, this, [this] { Choose(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* hint = new QLabel(QStringLiteral("Enterキーで選択、Escキーで取り消し"), this);
    layout->addWidget(hint);
    adjustSize();
    PlaceForm(this);
}

void AccountPicker::Choose() {
    if (QListWidgetItem* item = list_->currentItem()) {
        chosen_ = item->data(Qt::UserRole).toInt();
        accept();
    }
}

void AccountPicker::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: Choose(); return;
        default: QDialog::keyPressEvent(event);
    }
}

int PickAccount(AppContext& app, bool balanceSheetOnly, bool allowNone, int current,
                QWidget* parent) {
    AccountPicker picker(app, balanceSheetOnly, allowNone, current, parent);
    picker.exec();
    return picker.Chosen();
}

}  // namespace tabulo
