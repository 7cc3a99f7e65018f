#include "taxreturn/StatementPage3Form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "taxreturn/StatementPage3Print.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementPage3.h"
#include "taxreturn/StatementSlots.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* box) { return box->text().toStdString(); }
QString Small(std::int64_t v) { return v == 0 ? QString() : QString::number(v); }

bool IsRateKey(char32_t ch) { return AcceptRate(KeyCodeOf(ch)) == 0; }

// The column heads of the current form (取得年月 in its two columns), broken where
// the words allow.
const char* const kHeads[StatementPage3Form::ColumnCount] = {"減価償却資産の\n名称等",
                                                  "面積又は\n数量",
                                                  "取得年",
                                                  "取得月",
                                                  "取得価額",
                                                  "償却の基礎に\nなる金額",
                                                  "償却方法",
                                                  "耐用\n年数",
                                                  "償却率",
                                                  "償却期間\n（月）",
                                                  "本年分の\n普通償却費",
                                                  "割増（特別）\n償却費",
                                                  "本年分の\n償却費合計",
                                                  "事業専用\n割合",
                                                  "本年分の必要\n経費算入額",
                                                  "未償却残高\n（期末残高）",
                                                  "摘要"};

// The widest text of each text column, in half-width places.
int TextWidth(int column) {
    switch (column) {
        case StatementPage3Form::Name1:
            return FieldWidth::AssetName;
        case StatementPage3Form::QT:
            return FieldWidth::Quantity;
        case StatementPage3Form::SyouKyaku:
            return FieldWidth::Method;
        default:
            return FieldWidth::AssetNote;
    }
}

}  // namespace

StatementPage3Form::StatementPage3Form(AppContext& app, QWidget* parent)
    : StatementForm(app, 3, QStringLiteral("青色申告書３ページ"), parent) {
    setObjectName(QStringLiteral("StatementPage3Form"));
    TrimWorkingSet();

    auto* schedule = new QGroupBox(QStringLiteral("○減価償却費の計算"), this);
    auto* g = new QGridLayout(schedule);
    g->setVerticalSpacing(1);
    g->setHorizontalSpacing(2);
    for (int c = 0; c < ColumnCount; ++c) {
        auto* head = Caption(QString::fromUtf8(kHeads[c]), schedule);
        head->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        g->addWidget(head, 0, c);
    }
    for (int r = 1; r <= kAssetTotalRow; ++r) {
        Row& row = assets_[U(r)];
        row.fill(nullptr);
        if (r == kAssetTotalRow) {
            g->addWidget(Caption(QStringLiteral("計"), schedule), r, Name1);
            for (Column c : {Hi, TokuHi, Goukei, Keihi, Zandaka}) row[c] = ShowBox();
            row[Bikou] = TextBox(FieldWidth::AssetNote);
        } else {
            for (Column c : {Name1, QT, SyouKyaku, Bikou}) row[c] = TextBox(TextWidth(c));
            for (Column c : {Nen, Tuki, Nensuu, Kikan, Jigyo})
                row[c] = NumberBox([this, r, c] { AssetLeft(r, c); });
            for (Column c : {Gaku, KisoGaku, Hi, TokuHi, Keihi, Zandaka})
                row[c] = AmountBox([this, r, c] { AssetLeft(r, c); });
            auto* rate = new FilteredLineEdit(app_.prompt, this);
            rate->SetKeyFilter(IsRateKey);
            rate->setMaxLength(FieldWidth::Rate);
            OnLeave(rate, [this, r] { AssetLeft(r, Ritsu); });
            row[Ritsu] = rate;
            row[Goukei] = ShowBox();
        }
        for (int c = 0; c < ColumnCount; ++c) {
            if (row[U(c)] == nullptr) continue;
            row[U(c)]->setObjectName(QStringLiteral("Asset_%1_%2").arg(r).arg(c));
            const int chars = c == Name1                                  ? 10
                              : (c == QT || c == SyouKyaku || c == Bikou) ? 5
                              : (c == Nen || c == Tuki || c == Nensuu || c == Kikan || c == Jigyo)
                                  ? 3
                              : c == Ritsu ? 5
                                           : 10;
            row[U(c)]->setMinimumWidth(
                row[U(c)]->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 8);
            g->addWidget(row[U(c)], r, c);
        }
    }

    // Each table's columns: the head and, for a text, its widest text (0: an amount).
    struct TableColumn {
        const char* head;
        int textWidth;
    };
    auto table = [this](const QString& title, const std::vector<TableColumn>& columns,
                        auto& boxes) {
        auto* box = new QGroupBox(title, this);
        auto* tg = new QGridLayout(box);
        tg->setVerticalSpacing(1);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            QLabel* head = Caption(QString::fromUtf8(columns[c].head), box);
            head->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            tg->addWidget(head, 0, static_cast<int>(c));
        }
        for (int r = 1; r <= 2; ++r) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const int width = columns[c].textWidth;
                QLineEdit* e = width == 0 ? static_cast<QLineEdit*>(AmountBox({})) : TextBox(width);
                boxes[U(r)][c] = e;
                tg->addWidget(e, r, static_cast<int>(c));
            }
        }
        return box;
    };
    QGroupBox* interest = table(QStringLiteral("○利子割引料の内訳（金融機関を除く）"),
                                {{"支払先の住所・氏名", FieldWidth::Payee},
                                 {"期末現在の借入金等の金額", 0},
                                 {"本年中の利子割引料", 0},
                                 {"左のうち必要経費算入額", 0}},
                                interest_);
    QGroupBox* rent = table(QStringLiteral("○地代家賃の内訳"),
                            {{"支払先の住所・氏名", FieldWidth::RentPayee},
                             {"賃借物件", FieldWidth::Property},
                             {"本年中の賃借料", 0},
                             {"権利金等", 0},
                             {"左の賃借料のうち\n必要経費算入額", 0}},
                            rent_);
    QGroupBox* fees = table(QStringLiteral("○税理士・弁護士等の報酬・料金の内訳"),
                            {{"支払先の住所・氏名", FieldWidth::Payee},
                             {"本年中の報酬等の金額", 0},
                             {"左のうち必要経費算入額", 0},
                             {"所得税及び復興特別所得税の\n源泉徴収税額", 0}},
                            fees_);
    // The breakdown amounts are stored and shown as they are left.
    for (int r = 1; r <= 2; ++r) {
        InterestRow& i = data_.interest[U(r)];
        RentRow& n = data_.rent[U(r)];
        FeeRow& f = data_.fees[U(r)];
        const std::pair<QLineEdit*, Amount*> amounts[] = {
            {interest_[U(r)][1], &i.KariGaku}, {interest_[U(r)][2], &i.Waribiki},
            {interest_[U(r)][3], &i.keihi2},   {rent_[U(r)][2], &n.Gaku3},
            {rent_[U(r)][3], &n.Gaku31},       {rent_[U(r)][4], &n.keihi3},
            {fees_[U(r)][1], &f.ZeiGaku},      {fees_[U(r)][2], &f.Keihi4},
            {fees_[U(r)][3], &f.Gensen4}};
        for (const auto& [box, field] : amounts) {
            QLineEdit* b = box;
            Amount* a = field;
            OnLeave(b, [this, b, a] { BreakdownLeft(b, *a); });
        }
    }
    auto* memoBox = new QGroupBox(QStringLiteral("○本年中における特殊事情"), this);
    auto* ml = new QHBoxLayout(memoBox);
    memo_ = TextBox();
    memo_->setMaxLength(FieldWidth::MemoChars);
    memo_->setObjectName(QStringLiteral("Memo"));
    ml->addWidget(memo_);

    auto* layout = new QVBoxLayout(Body());
    layout->addWidget(schedule);
    auto* lower = new QGridLayout;
    lower->addWidget(interest, 0, 0);
    lower->addWidget(rent, 0, 1);
    lower->addWidget(fees, 1, 0);
    lower->addWidget(memoBox, 1, 1);
    layout->addLayout(lower);

    // Tab and Enter go along an asset row from left to right, then to the next row, as
    // on the form; then the breakdowns row by row and the memo.
    std::vector<QWidget*> order;
    for (int r = 1; r <= kAssetTotalRow; ++r)
        for (QLineEdit* box : assets_[U(r)]) order.push_back(box);
    for (int r = 1; r <= 2; ++r)
        for (QLineEdit* box : interest_[U(r)]) order.push_back(box);
    for (int r = 1; r <= 2; ++r)
        for (QLineEdit* box : rent_[U(r)]) order.push_back(box);
    for (int r = 1; r <= 2; ++r)
        for (QLineEdit* box : fees_[U(r)]) order.push_back(box);
    order.push_back(memo_);
    ChainFocus(order);

    if (!LoadFile()) return;
    loaded_ = true;
    // The register's assets fill their rows, which are its to change (固定資産台帳).
    if (auto fed = feed_.Tables(app_.state.TaxReturnData, &filled_)) {
        data_ = ReadPage3(*fed);
    } else {
        filled_ = FilledAssetRows{};
        data_ = ReadPage3(app_.state.TaxReturnData);
    }
    for (int r = 1; r <= kAssetRows; ++r) {
        if (!filled_.FromRegister(r)) continue;
        for (QLineEdit* box : assets_[U(r)]) {
            if (box == nullptr) continue;
            box->setReadOnly(true);
            box->setToolTip(QStringLiteral("固定資産台帳の資産です。台帳の画面で変更して下さい。"));
        }
    }
    ShowAll();
    FinishLayout();
}

void StatementPage3Form::ShowRow(int r) {
    const AssetRow& a = data_.assets[U(r)];
    Row& row = assets_[U(r)];
    auto amount = [&](Column c, Amount v) { row[c]->setText(Q(ScreenAmountOrEmpty(v))); };
    amount(Hi, a.Hi);
    amount(TokuHi, a.TokuHi);
    amount(Zandaka, a.Zandaka);
    // A row with no depreciation shows neither its total nor its expense.
    amount(Goukei, a.Goukei);
    amount(Keihi, a.Goukei == 0 && r != kAssetTotalRow ? 0 : a.Keihi);
    if (r == kAssetTotalRow) return;
    amount(Gaku, a.Gaku);
    amount(KisoGaku, a.KisoGaku);
    row[Nen]->setText(Small(a.Nen));
    row[Tuki]->setText(Small(a.Tuki));
    row[Nensuu]->setText(Small(a.Nensuu));
    row[Kikan]->setText(Small(a.Kikan));
    row[Jigyo]->setText(Small(a.Jigyo));
}

void StatementPage3Form::ShowAll() {
    for (int r = 1; r <= kAssetRows; ++r) {
        const AssetRow& a = data_.assets[U(r)];
        Row& row = assets_[U(r)];
        row[Name1]->setText(Q(a.Name1));
        row[QT]->setText(Q(a.QT));
        row[SyouKyaku]->setText(Q(a.SyouKyaku));
        row[Ritsu]->setText(Q(a.Ritsu));
        row[Bikou]->setText(Q(a.Bikou));
        ShowRow(r);
    }
    assets_[kAssetTotalRow][Bikou]->setText(Q(data_.assets[kAssetTotalRow].Bikou));
    ShowRow(kAssetTotalRow);
    for (int r = 1; r <= 2; ++r) {
        const InterestRow& i = data_.interest[U(r)];
        const RentRow& n = data_.rent[U(r)];
        const FeeRow& f = data_.fees[U(r)];
        interest_[U(r)][0]->setText(Q(i.Name2));
        interest_[U(r)][1]->setText(Q(ScreenAmountOrEmpty(i.KariGaku)));
        interest_[U(r)][2]->setText(Q(ScreenAmountOrEmpty(i.Waribiki)));
        interest_[U(r)][3]->setText(Q(ScreenAmountOrEmpty(i.keihi2)));
        rent_[U(r)][0]->setText(Q(n.Name3));
        rent_[U(r)][1]->setText(Q(n.Buken));
        rent_[U(r)][2]->setText(Q(ScreenAmountOrEmpty(n.Gaku3)));
        rent_[U(r)][3]->setText(Q(ScreenAmountOrEmpty(n.Gaku31)));
        rent_[U(r)][4]->setText(Q(ScreenAmountOrEmpty(n.keihi3)));
        fees_[U(r)][0]->setText(Q(f.Name4));
        fees_[U(r)][1]->setText(Q(ScreenAmountOrEmpty(f.ZeiGaku)));
        fees_[U(r)][2]->setText(Q(ScreenAmountOrEmpty(f.Keihi4)));
        fees_[U(r)][3]->setText(Q(ScreenAmountOrEmpty(f.Gensen4)));
    }
    memo_->setText(Q(data_.Memo));
}

void StatementPage3Form::BreakdownLeft(QLineEdit* box, Amount& field) {
    std::optional<Amount> v = TypedAmount(box->text());
    if (!v) {
        app_.prompt.Beep();
        v = 0;
    }
    field = *v;
    box->setText(Q(ScreenAmountOrEmpty(*v)));
}

void StatementPage3Form::AssetLeft(int r, Column c) {
    if (filled_.FromRegister(r)) return;  // the register's figures stay as it gives them
    AssetRow& a = data_.assets[U(r)];
    QLineEdit* box = assets_[U(r)][c];
    bool ok = true;
    auto amount = [&]() -> Amount {
        std::optional<Amount> v = TypedAmount(box->text());
        if (!v) {
            app_.prompt.Beep();
            return 0;
        }
        return *v;
    };
    auto small = [&]() -> std::int16_t {
        auto v = TypedSmallNumber(box->text());
        if (!v) {
            app_.prompt.Beep();
            return 0;
        }
        return *v;
    };
    auto depreciate = [&](DepreciationTrigger trigger) {
        switch (OrdinaryDepreciation(a, trigger, a.Hi)) {
            case DepreciationResult::Computed:
                ok = AfterDepreciation(data_, r) && ok;
                break;
            case DepreciationResult::BadRate:
                Tell(kBadRateMessage);
                break;
            case DepreciationResult::TooLarge:
                ok = false;
                break;
            case DepreciationResult::Unchanged:
                break;
        }
    };
    switch (c) {
        case Nen:
            a.Nen = small();
            break;
        case Tuki:
            a.Tuki = small();
            break;
        case Nensuu:
            a.Nensuu = small();
            break;
        case Gaku:
            a.Gaku = amount();
            break;
        case KisoGaku:
            a.KisoGaku = amount();
            depreciate(DepreciationTrigger::Base);
            break;
        case Ritsu:
            a.Ritsu = S(box);
            depreciate(DepreciationTrigger::Rate);
            break;
        case Kikan: {
            const std::int16_t months = small();
            if (months > 12) {
                app_.prompt.MsgBox(kMonthsMessage, MsgStyle::Ok, "");
                // Back into the box once this focus change has settled.
                QTimer::singleShot(0, box, [box] { box->setFocus(); });
                return;
            }
            a.Kikan = months;
            if (months >= 1) depreciate(DepreciationTrigger::Months);
            break;
        }
        case Hi:
        case TokuHi:
            (c == Hi ? a.Hi : a.TokuHi) = amount();
            ok = AfterDepreciationTyped(data_, r);
            break;
        case Jigyo:
            a.Jigyo = small();
            ok = AfterBusinessShare(data_, r);
            break;
        case Keihi:
            a.Keihi = amount();
            ok = TotalAssetColumn(data_, AssetColumn::Keihi);
            break;
        case Zandaka:
            a.Zandaka = amount();
            ok = TotalAssetColumn(data_, AssetColumn::Zandaka);
            break;
        default:
            break;
    }
    ShowRow(r);
    ShowRow(kAssetTotalRow);
    if (!ok) Tell(std::string(kOverflowMessage) + "（" + std::to_string(r) + "行目）");
}

void StatementPage3Form::CollectBoxes() {
    if (QWidget* f = focusWidget()) f->clearFocus();
    for (int r = 1; r <= kAssetRows; ++r) {
        AssetRow& a = data_.assets[U(r)];
        const Row& row = assets_[U(r)];
        a.Name1 = S(row[Name1]);
        a.QT = S(row[QT]);
        a.SyouKyaku = S(row[SyouKyaku]);
        a.Ritsu = S(row[Ritsu]);
        a.Bikou = S(row[Bikou]);
    }
    data_.assets[kAssetTotalRow].Bikou = S(assets_[kAssetTotalRow][Bikou]);
    for (int r = 1; r <= 2; ++r) {
        data_.interest[U(r)].Name2 = S(interest_[U(r)][0]);
        data_.rent[U(r)].Name3 = S(rent_[U(r)][0]);
        data_.rent[U(r)].Buken = S(rent_[U(r)][1]);
        data_.fees[U(r)].Name4 = S(fees_[U(r)][0]);
    }
    data_.Memo = S(memo_);
    WritePage3(app_.state.TaxReturnData, data_);
    // The register's rows are never stored: it fills them afresh each time.
    ClearFilledRows(app_.state.TaxReturnData, filled_);
}

std::vector<SlotText> StatementPage3Form::PageSlots() const {
    return Page3Slots(data_, app_.state.FiscalYear);
}

std::unique_ptr<StatementPreview> StatementPage3Form::MakePreview(std::vector<SlotText> texts) {
    return std::make_unique<StatementPage3Print>(app_, std::move(texts), this);
}

TaxReturnTables StatementPage3Form::PageTables() const {
    TaxReturnTables t = app_.state.TaxReturnData;
    WritePage3(t, data_);
    return t;
}

}  // namespace tabulo
