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

QTableWidget* MakeEntryGrid(QWidget* parent, const QString& name, int rows,
                            const QStringList& heads, const std::vector<int>& widths) {
    auto* grid = new QTableWidget(rows, static_cast<int>(widths.size()), parent);
    grid->setObjectName(name);
    grid->setFont(GridFont(11));
    grid->setHorizontalHeaderLabels(heads);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid->font()).height() + 6);
    int width = 2 * grid->frameWidth() + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        grid->setColumnWidth(static_cast<int>(c), widths[c]);
        width += widths[c];
    }
    grid->setFixedWidth(width);
    grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height() +
                           18 * grid->verticalHeader()->defaultSectionSize());
    return grid;
}

QTableWidgetItem* EntryCell(const QString& text, Qt::Alignment align, bool editable) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(align | Qt::AlignVCenter);
    cell->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled);
    if (!editable) cell->setBackground(QColor(0xE0, 0xE0, 0xE0));
    return cell;
}

QPushButton* SideButton(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumHeight(36);
    return b;
}

QVBoxLayout* SidePanel(QWidget* parent, QLayout* top, const QString& note,
                       std::initializer_list<QPushButton*> buttons) {
    auto* side = new QVBoxLayout;
    if (top != nullptr) {
        side->addLayout(top);
        side->addSpacing(12);
    }
    auto* panel = new QLabel(note, parent);
    panel->setObjectName(QStringLiteral("Coment"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMargin(6);
    side->addWidget(panel);
    side->addStretch(1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : buttons) row->addWidget(b);
    side->addLayout(row);
    return side;
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
