#include "books/SlipForm.h"

#include <algorithm>

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "books/BookRows.h"
#include "books/BooksForms.h"
#include "books/Slips.h"
#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

constexpr int kColumns = 6;
const char* const kNoAccount = "その勘定科目はありません。";
const char* const kChooseSlip = "削除する振替伝票を選んでください！！";

bool IsDigit(char32_t ch) { return ch >= U'0' && ch <= U'9'; }

}  // namespace

SlipForm::SlipForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("振替伝票"), QStringLiteral("SlipForm"), parent) {
    loaded_ = LoadBooks(app_, book_, accounts_);
    BuildScreen();
    FillGrid();
    ClearEntry(false);
    WatchFunctionKeys();
    adjustSize();
    PlaceForm(this);
    field(FieldDate)->setFocus();
}

SlipForm::~SlipForm() { Finish(); }

void SlipForm::BuildScreen() {
    const QFont gothic = GridFont(11);
    const QFontMetrics fm(gothic);
    const int ch = fm.horizontalAdvance(QLatin1Char('0'));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("年度"), this));
    auto* year = new QLabel(QString::number(app_.state.FiscalYear), this);
    year->setFrameShape(QFrame::Panel);
    year->setFrameShadow(QFrame::Sunken);
    year->setMinimumWidth(ch * 4);
    year->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addWidget(year);
    top->addSpacing(ch * 3);
    mode_ = new QLabel(this);
    mode_->setObjectName(QStringLiteral("Mode"));
    mode_->setStyleSheet(QStringLiteral("color:#000080; font-weight:bold;"));
    top->addWidget(mode_);
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("伝票数"), this));
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("SlipCount"));
    count_->setFrameShape(QFrame::Panel);
    count_->setFrameShadow(QFrame::Sunken);
    count_->setMinimumWidth(ch * 6);
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addWidget(count_);
    layout->addLayout(top);

    // The entry line: headings over the fields, as the cash book has them.
    auto* entry = new QGridLayout;
    entry->setHorizontalSpacing(4);
    const char* heads[] = {"年月日", "借方科目", "", "貸方科目", "", "金額", "摘要"};
    for (int c = 0; c < 7; ++c) {
        if (*heads[c] == '\0') continue;
        auto* h = new QLabel(QString::fromUtf8(heads[c]), this);
        h->setAlignment(Qt::AlignCenter);
        h->setStyleSheet(QStringLiteral("background:#000080; color:white; padding:2px;"));
        entry->addWidget(h, 0, c, 1, (c == 1 || c == 3) ? 2 : 1);
    }
    auto box = [&](const char* name, int chars, int maxLength,
                   FilteredLineEdit::KeyFilter filter) {
        auto* e = new FilteredLineEdit(app_.prompt, this);
        e->setObjectName(QString::fromUtf8(name));
        e->setFont(gothic);
        e->setFixedWidth(ch * chars + 14);
        e->setMaxLength(maxLength);
        e->SetKeyFilter(std::move(filter));
        return e;
    };
    fields_[FieldDate] = box("SlipDate", 7, 6, IsDigit);
    fields_[FieldDebit] = box("DebitCode", 4, 3, IsDigit);
    fields_[FieldCredit] = box("CreditCode", 4, 3, IsDigit);
    fields_[FieldAmount] =
        box("SlipAmount", 13, 13, [](char32_t c) { return IsDigit(c) || c == U','; });
    fields_[FieldRemarks] = box("SlipRemarks", 24, kSlipRemarksBytes, [](char32_t c) {
        return IsCp932Text(EncodeUtf8(c)) && c != U'\t';
    });
    field(FieldAmount)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field(FieldDate)->setInputMethodHints(Qt::ImhDigitsOnly);
    field(FieldDebit)->setInputMethodHints(Qt::ImhDigitsOnly);
    field(FieldCredit)->setInputMethodHints(Qt::ImhDigitsOnly);
    field(FieldAmount)->setInputMethodHints(Qt::ImhDigitsOnly);
    auto nameLabel = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromUtf8(name));
        l->setFont(gothic);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setFixedWidth(fm.horizontalAdvance(QString(9, QChar(0x3000))) + 8);
        return l;
    };
    debitName_ = nameLabel("DebitName");
    creditName_ = nameLabel("CreditName");
    entry->addWidget(field(FieldDate), 1, 0);
    entry->addWidget(field(FieldDebit), 1, 1);
    entry->addWidget(debitName_, 1, 2);
    entry->addWidget(field(FieldCredit), 1, 3);
    entry->addWidget(creditName_, 1, 4);
    entry->addWidget(field(FieldAmount), 1, 5);
    entry->addWidget(field(FieldRemarks), 1, 6);
    layout->addLayout(entry);
    connect(field(FieldDebit), &QLineEdit::textChanged, this, [this] { ShowAccountName(FieldDebit); });
    connect(field(FieldCredit), &QLineEdit::textChanged, this, [this] { ShowAccountName(FieldCredit); });
    for (FilteredLineEdit* f : fields_) f->installEventFilter(this);

    auto* hint = new QLabel(
        QStringLiteral("Enterキーで次の欄へ。科目は番号を入力するか、科目の欄でEnterキー"
                       "（空欄のとき）またはF2で一覧から選びます。摘要でEnterキーを押すと登録します。"),
        this);
    hint->setObjectName(QStringLiteral("Hint"));
    hint->setWordWrap(true);
    hint->setStyleSheet(QStringLiteral("color:#000080;"));
    layout->addWidget(hint);

    model_ = new TextGridModel(kColumns, this);
    model_->SetHeaders({QStringLiteral("番号"), QStringLiteral("年月日"), QStringLiteral("借方科目"),
                        QStringLiteral("貸方科目"), QStringLiteral("金額"), QStringLiteral("摘要")});
    model_->SetAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    model_->SetAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    grid_ = MakeTextGrid(model_, gothic, this);
    grid_->setObjectName(QStringLiteral("SlipGrid"));
    const int widths[kColumns] = {
        ch * 6, ch * 7, fm.horizontalAdvance(QString(9, QChar(0x3000))),
        fm.horizontalAdvance(QString(9, QChar(0x3000))), ch * 14,
        fm.horizontalAdvance(QString(12, QChar(0x3000)))};
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < kColumns; ++c) {
        grid_->setColumnWidth(c, widths[c] + 12);
        width += widths[c] + 12;
    }
    grid_->setFixedWidth(width);
    grid_->setMinimumHeight(fm.height() * 18);
    grid_->installEventFilter(this);
    layout->addWidget(grid_, 1);

    auto* keys = new QHBoxLayout;
    keys->setSpacing(3);
    auto make = [&](ButtonId id, const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setMinimumHeight(fm.height() + 14);
        buttons_[static_cast<std::size_t>(id)] = b;
        keys->addWidget(b);
    };
    make(AccountsButton, "AccountList", "科目一覧(F2)");
    make(NewSlipButton, "NewSlip", "新規(F3)");
    make(RemoveButton, "Sakujo", "削除(F4)");
    make(CancelButton, "Chudan", "中断(F5)");
    make(SelectButton, "SelectSlip", "伝票選択(F6)");
    make(KeepButton, "Touroku", "登録(F9)");
    make(CloseButton, "EndYesNo", "終了(F10)");
    make(UndoButton, "Undo", "元に戻す(Ctrl+Z)");
    layout->addLayout(keys);
    connect(button(AccountsButton), &QPushButton::clicked, this, &SlipForm::ChooseAccounts);
    connect(button(NewSlipButton), &QPushButton::clicked, this, &SlipForm::NewSlip);
    connect(button(RemoveButton), &QPushButton::clicked, this, &SlipForm::RemoveSlip);
    connect(button(CancelButton), &QPushButton::clicked, this, &SlipForm::CancelEdit);
    connect(button(SelectButton), &QPushButton::clicked, this, &SlipForm::SelectAccount);
    connect(button(KeepButton), &QPushButton::clicked, this, &SlipForm::KeepShownSlip);
    connect(button(CloseButton), &QPushButton::clicked, this, &SlipForm::CloseForm);
    connect(button(UndoButton), &QPushButton::clicked, this, &SlipForm::UndoLastSlip);
    if (!loaded_)
        for (QPushButton* b : buttons_)
            if (b != button(CancelButton) && b != button(CloseButton)) b->setEnabled(false);
}

void SlipForm::FillGrid() {
    auto rows = SlipViewRows(book_, app_.state.ItemTable, order_);
    std::vector<QStringList> texts;
    texts.reserve(rows.size());
    for (const SlipViewRow& r : rows) {
        QStringList row;
        for (const std::string& t : r) row << Q(t);
        texts.push_back(std::move(row));
    }
    model_->SetRows(std::move(texts));
    count_->setText(QString::number(book_.Slips.size()));
}

int SlipForm::AccountIn(Field f) const {
    const std::string text = Trim(S(field(f)->text()));
    if (text.empty()) return 0;
    const int code = static_cast<int>(Val(text));
    return FindAccount(code) != nullptr && code != AccountCode::Unassigned ? code : -1;
}

void SlipForm::ShowAccountName(Field f) {
    QLabel* label = f == FieldDebit ? debitName_ : creditName_;
    const int code = AccountIn(f);
    label->setText(code > 0 ? Q(AccountName(code, app_.state.ItemTable)) : QString());
}

void SlipForm::ChooseAccount(Field f) {
    const int current = std::max(0, AccountIn(f));
    const int chosen = PickAccount(app_, false, false, current, this);
    activateWindow();  // back from the list, typing goes on here
    if (chosen > 0) {
        field(f)->setText(QString::number(chosen));
        field(static_cast<Field>(f + 1))->setFocus();
    } else {
        field(f)->setFocus();
    }
}

void SlipForm::FieldEnter(Field f) {
    switch (f) {
        case FieldDebit:
        case FieldCredit: {
            const int code = AccountIn(f);
            if (code == 0) {
                ChooseAccount(f);
                return;
            }
            if (code < 0) {
                app_.prompt.MsgBox(kNoAccount, MsgStyle::Exclamation, "エラー確認");
                field(f)->selectAll();
                return;
            }
            break;
        }
        case FieldRemarks: KeepShownSlip(); return;
        default: break;
    }
    field(static_cast<Field>(f + 1))->setFocus();
    field(static_cast<Field>(f + 1))->selectAll();
}

bool SlipForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+Z is the screen's 元に戻す, not the undo of the text being typed.
        if (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier &&
            (watched == grid_ || std::find(fields_.begin(), fields_.end(), watched) != fields_.end())) {
            UndoLastSlip();
            return true;
        }
        if (watched == grid_ && key->modifiers() == Qt::NoModifier) {
            switch (key->key()) {
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    if (auto slip = CurrentSlip()) LoadSlip(*slip);
                    else app_.prompt.Beep();
                    return true;
                case Qt::Key_Delete: RemoveSlip(); return true;
                case Qt::Key_Escape: field(FieldDate)->setFocus(); return true;
                default: break;
            }
        }
        for (int f = 0; f < FieldCount; ++f) {
            if (watched != fields_[static_cast<std::size_t>(f)]) continue;
            switch (key->key()) {
                case Qt::Key_Return:
                case Qt::Key_Enter: FieldEnter(static_cast<Field>(f)); return true;
                case Qt::Key_Down:
                    if (model_->rowCount() > 0) SelectAccount();
                    return true;
                case Qt::Key_Escape: return true;
                default: break;
            }
        }
    }
    return GridForm::eventFilter(watched, event);
}

bool SlipForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F2: ChooseAccounts(); return true;
        case Qt::Key_F3: NewSlip(); return true;
        case Qt::Key_F4: RemoveSlip(); return true;
        case Qt::Key_F5: CancelEdit(); return true;
        case Qt::Key_F6: SelectAccount(); return true;
        case Qt::Key_F9: KeepShownSlip(); return true;
        case Qt::Key_F10: CloseForm(); return true;
        case Qt::Key_F11:  // 仕訳: the journal at the entry of the slip being changed or listed
            if (const auto slip = editing_ ? editing_ : CurrentSlip(); slip && app_.forms != nullptr) {
                if (const auto back = app_.forms->OpenJournalEntry(EntrySource::Slip, static_cast<int>(*slip) + 1, this))
                    GoToSlip(*back);
            } else {
                app_.prompt.Beep();
            }
            return true;
        default: return false;
    }
}

std::optional<std::size_t> SlipForm::CurrentSlip() const {
    const int row = grid_->currentIndex().row();
    if (row < 0 || static_cast<std::size_t>(row) >= order_.size()) return std::nullopt;
    return order_[static_cast<std::size_t>(row)];
}

void SlipForm::LoadSlip(std::size_t index) {
    const TransferSlip& slip = book_.Slips[index];
    editing_ = index;
    field(FieldDate)->setText(Q(slip.SlipDate));
    field(FieldDebit)->setText(QString::number(slip.DebitCode));
    field(FieldCredit)->setText(QString::number(slip.CreditCode));
    field(FieldAmount)->setText(Q(FormatAmount(slip.SlipAmount, false)));
    field(FieldRemarks)->setText(Q(slip.SlipRemarks));
    mode_->setText(QStringLiteral("変更　振替伝票 %1").arg(index + 1));
    field(FieldDate)->setFocus();
    field(FieldDate)->selectAll();
}

void SlipForm::ClearEntry(bool keepDate) {
    editing_.reset();
    for (int f = keepDate ? FieldDebit : FieldDate; f < FieldCount; ++f)
        fields_[static_cast<std::size_t>(f)]->clear();
    mode_->setText(QStringLiteral("新規"));
}

void SlipForm::ChooseAccounts() {
    if (!loaded_) return;
    // The field last given the focus, even while another window is still active.
    if (focusWidget() == field(FieldCredit))
        ChooseAccount(FieldCredit);
    else if (focusWidget() == field(FieldDebit))
        ChooseAccount(FieldDebit);
    else
        app_.prompt.Beep();
}

void SlipForm::NewSlip() {
    if (!loaded_) return;
    ClearEntry(false);
    field(FieldDate)->setFocus();
}

void SlipForm::SelectAccount() {
    if (!loaded_ || model_->rowCount() == 0) {
        app_.prompt.Beep();
        return;
    }
    if (grid_->currentIndex().row() < 0) grid_->setCurrentIndex(model_->index(0, 0));
    grid_->setFocus();
}

bool SlipForm::GoToSlip(int number) {
    if (!loaded_ || number < 1) return false;
    const auto it = std::find(order_.begin(), order_.end(), static_cast<std::size_t>(number - 1));
    if (it == order_.end()) return false;
    const int row = static_cast<int>(it - order_.begin());
    grid_->setCurrentIndex(model_->index(row, 0));
    grid_->scrollTo(model_->index(row, 0));
    grid_->setFocus();
    return true;
}

void SlipForm::KeepShownSlip() {
    if (!loaded_) return;
    TransferSlip slip;
    slip.SlipDate = Trim(S(field(FieldDate)->text()));
    slip.DebitCode = static_cast<std::int16_t>(std::max(0, AccountIn(FieldDebit)));
    slip.CreditCode = static_cast<std::int16_t>(std::max(0, AccountIn(FieldCredit)));
    std::string amount = Trim(S(field(FieldAmount)->text()));
    auto value = AmountFromText(amount);
    if (!value) {
        app_.prompt.MsgBox(kOverflowMessage, MsgStyle::Exclamation, "エラー確認");
        field(FieldAmount)->setFocus();
        return;
    }
    slip.SlipAmount = *value;
    slip.SlipRemarks = TrimRight(S(field(FieldRemarks)->text()));
    const std::size_t number = editing_ ? *editing_ : book_.Slips.size();
    Status st = editing_ ? ChangeSlip(app_.state, accounts_, book_, *editing_, slip, &app_.undo.Slips)
                         : KeepSlip(app_.state, accounts_, book_, slip, &app_.undo.Slips);
    if (!st) {
        ReportBooksError(app_, st.error());
        if (!st.error().applied) return;
    }
    FillGrid();
    for (std::size_t row = 0; row < order_.size(); ++row)
        if (order_[row] == number) {
            grid_->setCurrentIndex(model_->index(static_cast<int>(row), 0));
            grid_->scrollTo(grid_->currentIndex());
        }
    // The next slip is often of the same day: the date stays for it.
    ClearEntry(true);
    field(FieldDate)->setFocus();
    field(FieldDate)->selectAll();
}

void SlipForm::RemoveSlip() {
    if (!loaded_) return;
    std::optional<std::size_t> index = editing_;
    if (!index && grid_->hasFocus()) index = CurrentSlip();
    if (!index) {
        app_.prompt.Beep();
        app_.prompt.MsgBox(kChooseSlip, MsgStyle::Exclamation, "エラー確認");
        return;
    }
    if (app_.prompt.MsgBox("振替伝票 " + std::to_string(*index + 1) + " を削除しますか？",
                           MsgStyle::YesNoWarning, "削除確認") != Answer::Yes)
        return;
    Status st = DeleteSlip(app_.state, accounts_, book_, *index, &app_.undo.Slips);
    if (!st) {
        ReportBooksError(app_, st.error());
        if (!st.error().applied) return;
    }
    FillGrid();
    ClearEntry(true);
    field(FieldDate)->setFocus();
}

void SlipForm::UndoLastSlip() {
    if (!loaded_) return;
    Status st = UndoSlip(app_.state, accounts_, book_, app_.undo.Slips);
    if (!st) {
        app_.prompt.Beep();
        ReportBooksError(app_, st.error());
        return;
    }
    FillGrid();
    ClearEntry(true);
    field(FieldDate)->setFocus();
}

bool SlipForm::Close(const char* question, const char* title) {
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, title) != Answer::Yes) return false;
    Finish();
    return true;
}

void SlipForm::CancelEdit() {
    if (Close("中断しますか？", "中断確認")) QDialog::reject();
}

void SlipForm::CloseForm() {
    if (Close("終了しますか？", "終了確認")) accept();
}

}  // namespace tabulo
