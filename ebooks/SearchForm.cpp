#include "ebooks/SearchForm.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Column widths of the results in characters of the grid font.
constexpr int kColumnChars[kSearchColumns] = {12, 12, 18, 18, 13, 28};

}  // namespace

SearchForm::SearchForm(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("検索"));
    setObjectName(QStringLiteral("SearchForm"));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    auto* conditions = new QGridLayout;
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    auto range = [&](QLineEdit* a, QLineEdit* b) {
        auto* row = new QHBoxLayout;
        row->addWidget(a);
        row->addWidget(label("〜"));
        row->addWidget(b);
        row->addStretch();
        return row;
    };
    from_ = Field("FromDate", 12);
    to_ = Field("ToDate", 12);
    min_ = Field("MinAmount", 12);
    max_ = Field("MaxAmount", 12);
    text_ = Field("SearchText", 24);
    account_ = Field("Account", 16);
    item_ = Field("Item", 16);
    from_->setToolTip(QStringLiteral("2026-04-01、20260401、出納簿と同じ 080401、月だけなら 2026-04"));
    to_->setToolTip(from_->toolTip());
    min_->setToolTip(QStringLiteral("上限と同じ金額を入れると、その金額だけを探します"));
    max_->setToolTip(min_->toolTip());
    text_->setToolTip(QStringLiteral("備考・摘要の一部（全角・半角、大文字・小文字の区別なし）"));
    account_->setToolTip(QStringLiteral("勘定科目のコードか名前（借方・貸方のどちらでも）"));
    item_->setToolTip(QStringLiteral("項目の番号か名前（出納簿の行だけ）"));

    conditions->addWidget(label("期間"), 0, 0);
    conditions->addLayout(range(from_, to_), 0, 1);
    conditions->addWidget(label("金額"), 0, 2);
    conditions->addLayout(range(min_, max_), 0, 3);
    conditions->addWidget(label("備考・摘要"), 1, 0);
    conditions->addWidget(text_, 1, 1);
    conditions->addWidget(label("勘定科目"), 1, 2);
    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(account_);
    accountRow->addWidget(label("項目"));
    accountRow->addWidget(item_);
    accountRow->addStretch();
    conditions->addLayout(accountRow, 1, 3);
    outer->addLayout(conditions);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* search = button("Kensaku", "検索(Enter)");
    QPushButton* clear = button("Clear", "条件クリア");
    buttons->addStretch();
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("Count"));
    buttons->addWidget(count_);
    buttons->addStretch();
    QPushButton* close = button("Tojiru", "閉じる(Esc)");
    outer->addLayout(buttons);
    connect(search, &QPushButton::clicked, this, [this] { RunSearch(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearSearch(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    const QFont font = GridFont(10.5);
    model_ = new TextGridModel(kSearchColumns, this);
    QStringList headers;
    for (const std::string& h : SearchHeaders()) headers << Q(h);
    model_->SetHeaders(headers);
    model_->SetAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    grid_ = MakeTextGrid(model_, font, this);
    grid_->setObjectName(QStringLiteral("Results"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    const int ch = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
    int width = 0;
    for (int c = 0; c < kSearchColumns; ++c) {
        grid_->setColumnWidth(c, kColumnChars[c] * ch + 8);
        width += kColumnChars[c] * ch + 8;
    }
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumSize(width + 24, 16 * (QFontMetrics(font).height() + 4));
    grid_->installEventFilter(this);
    connect(grid_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenResult(index.row()); });
    outer->addWidget(grid_, 1);

    setTabOrder(from_, to_);
    setTabOrder(to_, min_);
    setTabOrder(min_, max_);
    setTabOrder(max_, text_);
    setTabOrder(text_, account_);
    setTabOrder(account_, item_);
    setTabOrder(item_, grid_);
    from_->setFocus();
    ShowRows();
}

SearchForm::~SearchForm() = default;

QLineEdit* SearchForm::Field(const char* name, int chars) {
    auto* f = new QLineEdit(this);
    f->setObjectName(QString::fromUtf8(name));
    f->setMinimumWidth(QFontMetrics(f->font()).horizontalAdvance(QLatin1Char('0')) * chars + 12);
    f->installEventFilter(this);
    return f;
}

QLineEdit* SearchForm::FieldOf(SearchRefusal::Field f) const {
    switch (f) {
    case SearchRefusal::From: return from_;
    case SearchRefusal::To: return to_;
    case SearchRefusal::Min: return min_;
    case SearchRefusal::Max: return max_;
    case SearchRefusal::Text: return text_;
    case SearchRefusal::Account: return account_;
    case SearchRefusal::Item: return item_;
    }
    return from_;
}

void SearchForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceForm(this);
}

bool SearchForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && watched == grid_) {
            const QModelIndex current = grid_->currentIndex();
            if (current.isValid())
                OpenResult(current.row());
            else
                app_.prompt.Beep();
            return true;
        }
        if (enter && qobject_cast<QLineEdit*>(watched) != nullptr) {
            if (RunSearch() && !rows_.empty()) grid_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool SearchForm::RunSearch() {
    SearchInput input{S(from_->text()), S(to_->text()),   S(min_->text()),  S(max_->text()),
                      S(text_->text()), S(account_->text()), S(item_->text())};
    const ReadConditions read =
        ReadSearchConditions(input, app_.state.EraName, app_.state.ItemTable);
    if (!read.conditions) {
        app_.prompt.MsgBox(read.refusal.ja, MsgStyle::Exclamation, "エラー確認");
        QLineEdit* f = FieldOf(read.refusal.field);
        f->setFocus();
        f->selectAll();
        return false;
    }
    Result<std::vector<SearchRow>> found = [&] {
        WaitCursor wait;
        return SearchYear(app_.state, *read.conditions);
    }();
    if (!found) {
        ShowFileError(app_.prompt, found.error(), app_.state);
        return false;
    }
    rows_ = std::move(*found);
    ShowRows();
    return true;
}

void SearchForm::ClearSearch() {
    for (QLineEdit* f : {from_, to_, min_, max_, text_, account_, item_}) f->clear();
    rows_.clear();
    ShowRows();
    from_->setFocus();
}

void SearchForm::ShowRows() {
    std::vector<QStringList> cells;
    cells.reserve(rows_.size());
    for (const SearchRow& row : rows_) {
        QStringList texts;
        for (const std::string& t : SearchRowTexts(row, app_.state.ItemTable)) texts << Q(t);
        cells.push_back(std::move(texts));
    }
    model_->SetRows(std::move(cells));
    count_->setText(rows_.empty() ? QStringLiteral("該当なし")
                                  : QStringLiteral("%1 件").arg(rows_.size()));
    if (!rows_.empty()) grid_->setCurrentIndex(model_->index(0, 0));
}

void SearchForm::OpenResult(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        app_.prompt.Beep();
        return;
    }
    const BookEntry& e = rows_[static_cast<std::size_t>(row)].entry;
    const EntrySource source =
        e.source == BookEntry::Slip ? EntrySource::Slip : EntrySource::CashBookLine;
    const std::string label = SourceLabel(e);
    if (app_.forms == nullptr || !app_.forms->OpenEntrySource(source, e.number, this)) {
        // The line or slip is no longer there (changed since the search, or the
        // year's files could not be read, which the screen has said).
        app_.prompt.MsgBox(label + " を表示できません。検索し直してください。", MsgStyle::Exclamation,
                           "エラー確認");
        grid_->setFocus();
        return;
    }
    // The source may have been changed or deleted meanwhile: search again, and keep
    // the cursor near where it was.
    if (RunSearch() && !rows_.empty()) {
        const int back = std::min(row, static_cast<int>(rows_.size()) - 1);
        grid_->setCurrentIndex(model_->index(back, 0));
    }
    grid_->setFocus();
}

}  // namespace tabulo
