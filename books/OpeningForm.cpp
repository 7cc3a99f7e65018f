#include "books/OpeningForm.h"

#include <cstdint>

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "books/BookRows.h"
#include "books/BooksForms.h"
#include "books/Slips.h"
#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/GridCellEditor.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

const char* SideText(int code) {
    const Account* a = FindAccount(code);
    if (a == nullptr) return "";
    switch (a->side) {
        case AccountSide::Asset: return "資産";
        case AccountSide::Liability: return "負債";
        case AccountSide::Capital: return "資本";
        default: return "";
    }
}

}  // namespace

OpeningForm::OpeningForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("期首残高"), QStringLiteral("OpeningForm"), parent) {
    loaded_ = LoadBooks(app_, book_, accounts_);
    // A year that kept no opening balances is offered what the cash book and the
    // deposit book already know; nothing is kept until 登録.
    std::vector<OpeningBalance> shown = book_.Openings;
    if (loaded_ && shown.empty()) {
        auto offered = OfferedOpenings(app_.state);
        if (offered) {
            shown = std::move(*offered);
            offered_ = !shown.empty();
        }
    }
    const QFont gothic = GridFont(11);
    const QFontMetrics fm(gothic);

    const int ch = fm.horizontalAdvance(QLatin1Char('0'));
    grid_ = MakeEntryGrid(
        this, QStringLiteral("OpeningGrid"), 0,
        {QStringLiteral("番号"), QStringLiteral("勘定科目"), QStringLiteral("区分"),
         QStringLiteral("1月1日の金額")},
        {ch * 5 + 16, fm.horizontalAdvance(QString(9, QChar(0x3000))) + 16,
         fm.horizontalAdvance(QStringLiteral("資産")) + 20,
         std::max(ch * 15, fm.horizontalAdvance(QStringLiteral("1月1日の金額"))) + 20});
    for (const AccountChoice& a : AccountChoices(app_.state.ItemTable, true)) {
        const int row = grid_->rowCount();
        grid_->insertRow(row);
        codes_.push_back(a.code);
        Amount balance = 0;
        for (const OpeningBalance& o : shown)
            if (o.AccountCode == a.code) balance = o.Balance;
        grid_->setItem(row, ColCode, EntryCell(QString::number(a.code), Qt::AlignRight, false));
        grid_->setItem(row, ColName, EntryCell(Q(a.name), Qt::AlignLeft, false));
        grid_->setItem(row, ColSide, EntryCell(QString::fromUtf8(SideText(a.code)), Qt::AlignCenter, false));
        grid_->setItem(row, ColAmount, EntryCell(Q(FormatAmount(balance, true)), Qt::AlignRight, true));
    }

    GridCellEditor::Hooks hooks;
    hooks.accepts = [](int, char32_t c) { return (c >= U'0' && c <= U'9') || c == U',' || c == U'-'; };
    hooks.openText = [](int, const QString& text) {
        QString plain = text.trimmed();
        plain.remove(QLatin1Char(','));
        return plain;
    };
    hooks.commit = [this](int, int, const QString& typed) -> std::optional<QString> {
        // The lowest 32-bit value has no opposite, and the books negate balances.
        auto value = AmountFromText(S(typed.trimmed()));
        if (!value || *value == INT32_MIN) {
            app_.prompt.MsgBox(kOverflowMessage, MsgStyle::Exclamation, "エラー確認");
            return std::nullopt;
        }
        return Q(FormatAmount(*value, true));
    };
    hooks.maxLength = [](int) { return 14; };
    hooks.alignment = [](int) { return Qt::AlignRight | Qt::AlignVCenter; };
    cellEditor_ = new GridCellEditor(grid_, app_.prompt, ColAmount, ColAmount, std::move(hooks), this);
    connect(cellEditor_, &GridCellEditor::Committed, this, [this] { ShowTotals(); });

    auto total = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromUtf8(name));
        l->setFont(gothic);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(ch * 15 + 10);
        return l;
    };
    debitTotal_ = total("DebitTotal");
    creditTotal_ = total("CreditTotal");
    difference_ = total("Difference");
    auto* totals = new QGridLayout;
    totals->addWidget(new QLabel(QStringLiteral("借方合計（資産・事業主貸）"), this), 0, 0);
    totals->addWidget(debitTotal_, 0, 1);
    totals->addWidget(new QLabel(QStringLiteral("貸方合計（負債・資本）"), this), 1, 0);
    totals->addWidget(creditTotal_, 1, 1);
    totals->addWidget(new QLabel(QStringLiteral("差額"), this), 2, 0);
    totals->addWidget(difference_, 2, 1);

    auto* capital = SideButton(this, "Capital", "元入金(F6)");
    auto* touroku = SideButton(this, "Touroku", "登録(F10)");
    auto* chudan = SideButton(this, "Chudan", "中断(F5)");
    connect(capital, &QPushButton::clicked, this, &OpeningForm::SetCapital);
    connect(touroku, &QPushButton::clicked, this, &OpeningForm::Register);
    connect(chudan, &QPushButton::clicked, this, &OpeningForm::CancelEdit);
    if (!loaded_) {
        capital->setEnabled(false);
        touroku->setEnabled(false);
    }
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_);
    QString guide = QStringLiteral("金額の欄をクリックするかEnterキーを押して入力します。\n"
                                   "もう一度Enterキーで確定、Escキーで元に戻ります。\n"
                                   "借方と貸方の差額は元入金(F6)で元入金に入れられます。\n"
                                   "期首残高は年の初めに一度入力します。翌年度には\n"
                                   "翌年度データディスク作成で期末の残高が移ります。");
    if (offered_)
        guide += QStringLiteral("\n\n現金は出納簿の繰越、その他の預金は前年繰越預金額の\n"
                                "合計を入れてあります。確かめて、違うときは\n"
                                "直してから登録(F10)してください。");
    layout->addLayout(SidePanel(this, totals, guide, {capital, touroku, chudan}));

    ShowTotals();
    WatchFunctionKeys();
    grid_->setCurrentCell(0, ColAmount);
    grid_->setFocus();
    adjustSize();
    PlaceForm(this);
}

OpeningForm::~OpeningForm() { Finish(); }

int OpeningForm::RowOf(int code) const {
    for (std::size_t r = 0; r < codes_.size(); ++r)
        if (codes_[r] == code) return static_cast<int>(r);
    return -1;
}

std::vector<OpeningBalance> OpeningForm::Openings() const {
    std::vector<OpeningBalance> openings;
    for (std::size_t r = 0; r < codes_.size(); ++r) {
        const auto value =
            AmountFromText(S(grid_->item(static_cast<int>(r), ColAmount)->text())).value_or(0);
        if (value != 0) openings.push_back({static_cast<std::int16_t>(codes_[r]), value});
    }
    return openings;
}

void OpeningForm::ShowTotals() {
    auto sides = SumOpenings(Openings());
    if (!sides) {
        debitTotal_->clear();
        creditTotal_->clear();
        difference_->setText(QString::fromUtf8(kOverflowMessage));
        return;
    }
    debitTotal_->setText(Q(FormatAmount(sides->debit, false)));
    creditTotal_->setText(Q(FormatAmount(sides->credit, false)));
    difference_->setText(
        Q(FormatAmount(std::int64_t{sides->debit} - std::int64_t{sides->credit}, false)));
    difference_->setStyleSheet(sides->Balances() ? QString() : QStringLiteral("color:#C00000;"));
}

void OpeningForm::SetCapital() {
    if (!loaded_ || cellEditor_->IsEditing()) {
        app_.prompt.Beep();
        return;
    }
    auto capital = BalancingCapital(Openings());
    if (!capital) {
        ReportBooksError(app_, capital.error());
        return;
    }
    const int row = RowOf(AccountCode::Capital);
    grid_->item(row, ColAmount)->setText(Q(FormatAmount(*capital, true)));
    grid_->setCurrentCell(row, ColAmount);
    ShowTotals();
}

void OpeningForm::Register() {
    if (!loaded_ || cellEditor_->IsEditing()) {
        app_.prompt.Beep();
        return;
    }
    const std::vector<OpeningBalance> openings = Openings();
    auto sides = SumOpenings(openings);
    if (!sides) {
        ReportBooksError(app_, sides.error());
        return;
    }
    const char* question = sides->Balances()
                               ? "期首残高を登録しますか？"
                               : "借方合計と貸方合計が一致していません。このまま登録しますか？";
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, "登録確認") != Answer::Yes) return;
    Status st = KeepOpenings(app_.state, accounts_, book_, openings);
    if (!st) {
        ReportBooksError(app_, st.error());
        if (!st.error().applied) return;
    }
    Finish();
    accept();
}

void OpeningForm::CancelEdit() {
    if (cellEditor_->IsEditing()) {
        app_.prompt.Beep();
        return;
    }
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes) return;
    Finish();
    QDialog::reject();
}

bool OpeningForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F5: CancelEdit(); return true;
        case Qt::Key_F6: SetCapital(); return true;
        case Qt::Key_F10: Register(); return true;
        default: return false;
    }
}

}  // namespace tabulo
