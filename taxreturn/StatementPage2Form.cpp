#include "taxreturn/StatementPage2Form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "books/BooksChecks.h"
#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "store/SharedState.h"
#include "taxreturn/StatementPage2Print.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementSlots.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* const kFigureCaptions[12] = {
    "",
    "個別評価による本年分繰入額",
    "年末における一括評価による貸倒引当金の繰入れの対象となる貸金の合計額",
    "本年分繰入限度額",
    "本年分繰入額",
    "本年分の貸倒引当金繰入額（①＋④）",
    "本年分の不動産所得の金額",
    "青色申告特別控除前の所得金額",
    "65万円又は55万円と⑥のいずれか少ない方の金額（不動産所得から差し引かれる青色申告特別控除額です"
    "。）",
    "青色申告特別控除額（65万円又は55万円の青色申告特別控除を受ける場合）",
    "10万円と⑥のいずれか少ない方の金額（不動産所得から差し引かれる青色申告特別控除額です。）",
    "青色申告特別控除額（上記以外の場合）"};

}  // namespace

StatementPage2Form::StatementPage2Form(AppContext& app, QWidget* parent)
    : StatementForm(app, 2, QStringLiteral("青色申告書２ページ"), parent) {
    setObjectName(QStringLiteral("StatementPage2Form"));
    TrimWorkingSet();
    QGroupBox* monthly = MonthlySectionBox();
    QGroupBox* employees =
        WageTableBox(QStringLiteral("○給料賃金の内訳"), false, kEmployeeRows, kEmployeeTotalRow);
    QGroupBox* family =
        WageTableBox(QStringLiteral("○専従者給与の内訳"), true, kFamilyRows, kFamilyTotalRow);
    QGroupBox* provision = FiguresBox(QStringLiteral("○貸倒引当金繰入額の計算"), 1, 5);
    QGroupBox* deduction = FiguresBox(QStringLiteral("○青色申告特別控除額の計算"), 6, 11);
    auto* top = new QHBoxLayout;
    top->addWidget(monthly);
    auto* right = new QVBoxLayout;
    right->addWidget(provision);
    right->addWidget(deduction);
    deductionNote_ = new QLabel(this);
    deductionNote_->setObjectName(QStringLiteral("DeductionNote"));
    deductionNote_->setWordWrap(true);
    right->addWidget(deductionNote_);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(Body());
    layout->addLayout(top);
    layout->addWidget(employees);
    layout->addWidget(family);

    // Tab and Enter go along each row from left to right, then to the next row, in the
    // order of the screen: the figures, the employees, the family employees.
    std::vector<QWidget*> order;
    for (int i = 1; i <= kPage2Figures; ++i) order.push_back(syukei_[U(i)]);
    for (int r = 1; r <= kEmployeeOtherRow; ++r) {
        if (r == kEmployeeOtherRow) order.push_back(ninzuu_);
        for (QLineEdit* box : employees_[U(r)]) order.push_back(box);
    }
    for (int r = 1; r <= kFamilyRows; ++r)
        for (QLineEdit* box : family_[U(r)]) order.push_back(box);
    ChainFocus(order);

    if (!LoadFile()) return;
    ShowOpening();
}

// ○月別売上金額及び仕入金額: sales and purchases of each month, shown only.
QGroupBox* StatementPage2Form::MonthlySectionBox() {
    auto* monthly = new QGroupBox(QStringLiteral("○月別売上（収入）金額及び仕入金額"), this);
    auto* mg = new QGridLayout(monthly);
    mg->setVerticalSpacing(1);
    mg->addWidget(Caption(QStringLiteral("月"), monthly), 0, 0);
    mg->addWidget(Caption(QStringLiteral("売上（収入）金額"), monthly), 0, 1);
    mg->addWidget(Caption(QStringLiteral("仕入金額"), monthly), 0, 2);
    for (int i = 1; i <= 15; ++i) {
        const QString label = i <= 12   ? QStringLiteral("%1月").arg(i)
                              : i == 13 ? QStringLiteral("家事消費等")
                              : i == 14 ? QStringLiteral("雑収入")
                                        : QStringLiteral("計");
        mg->addWidget(Caption(label, monthly), i, 0);
        gaku_[U(i)] = ShowBox();
        gaku_[U(i)]->setObjectName(QStringLiteral("Gaku_%1").arg(i));
        mg->addWidget(gaku_[U(i)], i, 1);
        if (i <= 12 || i == 15) {
            gaku1_[U(i)] = ShowBox();
            gaku1_[U(i)]->setObjectName(QStringLiteral("Gaku1_%1").arg(i));
            mg->addWidget(gaku1_[U(i)], i, 2);
        }
    }

    return monthly;
}

// A wage table: `persons` rows of people, then その他 (employees only) and the total.
QGroupBox* StatementPage2Form::WageTableBox(const QString& title, bool familyTable, int persons,
                                            int rows) {
    auto* box = new QGroupBox(title, this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(1);
    const char* heads[ColumnCount] = {"氏名",
                                      "続柄",
                                      "年齢",
                                      "従事月数",
                                      familyTable ? "給料" : "給料賃金",
                                      "賞与",
                                      "合計",
                                      "所得税及び復興特別\n所得税の源泉徴収税額"};
    for (int c = 0; c < ColumnCount; ++c) {
        if (!familyTable && c == Zokugara) continue;
        QLabel* head = Caption(QString::fromUtf8(heads[c]), box);
        head->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        g->addWidget(head, 0, c);
    }
    for (int r = 1; r <= rows; ++r) {
        Row& row = familyTable ? family_[U(r)] : employees_[U(r)];
        row.fill(nullptr);
        const bool person = r <= persons;
        const bool total = r == rows;
        if (person) {
            row[Name] = TextBox(FieldWidth::PersonName);
            if (familyTable) row[Zokugara] = TextBox(FieldWidth::Relation);
            row[Nenrei] = NumberBox();
            row[Gtuki] = NumberBox();
        } else {
            g->addWidget(Caption(total ? QStringLiteral("計") : QStringLiteral("その他"), box),
                         r, Name);
            if (!total) {
                ninzuu_ = TextBox(FieldWidth::Persons);
                ninzuu_->setObjectName(QStringLiteral("Ninzuu"));
                ninzuu_->setPlaceholderText(QStringLiteral("人数"));
                g->addWidget(ninzuu_, r, Nenrei);
            }
        }
        for (Column c : {KyuRyo, Syouyo, Gensen}) {
            if (total) {
                row[c] = ShowBox();
            } else {
                row[c] = AmountBox([this, familyTable, r, c] { WageLeft(familyTable, r, c); });
            }
        }
        row[Goukei] = ShowBox();
        for (int c = 0; c < ColumnCount; ++c) {
            if (row[U(c)] == nullptr) continue;
            row[U(c)]->setObjectName(
                QStringLiteral("%1_%2_%3")
                    .arg(familyTable ? QStringLiteral("Family") : QStringLiteral("Employee"))
                    .arg(r)
                    .arg(c));
            g->addWidget(row[U(c)], r, c);
        }
    }
    return box;
}

// Figures `first`..`last` of the provision or the deduction, each with its caption.
QGroupBox* StatementPage2Form::FiguresBox(const QString& title, int first, int last) {
    auto* box = new QGroupBox(title, this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(1);
    for (int i = first; i <= last; ++i) {
        auto* caption = Caption(
            Q(CircledNumber(i)) + QStringLiteral(" ") + QString::fromUtf8(kFigureCaptions[i]),
            box);
        caption->setWordWrap(true);
        g->addWidget(caption, i, 0);
        // Figure 5 is worked out and figure 7 comes from page 1.
        syukei_[U(i)] =
            (i == 5 || i == 7) ? ShowBox() : AmountBox([this, i] { SyukeiLeft(i); });
        syukei_[U(i)]->setObjectName(QStringLiteral("Syukei_%1").arg(i));
        g->addWidget(syukei_[U(i)], i, 1);
    }
    return box;
}

// The page as the year's files and the books give it, on opening.
void StatementPage2Form::ShowOpening() {
    loaded_ = true;
    // Figure 7 is page 1's line 43, reversals and provisions included.
    OpeningPage2Values opening =
        OpeningPage2(app_.state.ItemTable, FedTotals(), Fed(app_.state.TaxReturnData), &slipFigures_);
    data_ = std::move(opening.data);
    monthly_ = std::move(opening.monthly);
    // Which special deduction the books allow: 65万円 for books kept by double entry
    // that balance and were kept as electronic books all year, 55万円 for the others
    // kept by double entry, 10万円 otherwise (also when the books cannot be worked out).
    deduction_ = YearSpecialDeduction(app_.state);
    offer_.limit = deduction_.limit;
    deductionNote_->setText(Q(SpecialDeductionWords(deduction_)));
    OfferDeductionFigures();
    for (int i = 1; i <= 15; ++i) {
        gaku_[U(i)]->setText(Q(ScreenAmount(monthly_.sales[U(i)])));
        if (gaku1_[U(i)]) gaku1_[U(i)]->setText(Q(ScreenAmount(monthly_.purchases[U(i)])));
    }
    for (int r = 1; r <= kFamilyRows; ++r) {
        family_[U(r)][Name]->setText(Q(data_.Name1[U(r)]));
        family_[U(r)][Zokugara]->setText(Q(data_.Zokugara[U(r)]));
        family_[U(r)][Nenrei]->setText(data_.Nenrei[U(r)] ? QString::number(data_.Nenrei[U(r)])
                                                          : QString());
        family_[U(r)][Gtuki]->setText(data_.Gtuki[U(r)] ? QString::number(data_.Gtuki[U(r)])
                                                        : QString());
    }
    for (int r = 1; r <= kEmployeeRows; ++r) {
        employees_[U(r)][Name]->setText(Q(data_.Name2[U(r)]));
        employees_[U(r)][Nenrei]->setText(data_.Nenrei2[U(r)] ? QString::number(data_.Nenrei2[U(r)])
                                                              : QString());
        employees_[U(r)][Gtuki]->setText(data_.Gtuki2[U(r)] ? QString::number(data_.Gtuki2[U(r)])
                                                            : QString());
    }
    ninzuu_->setText(Q(data_.Ninzuu));
    ShowWages();
    ShowFigures();
    FinishLayout();
    std::vector<std::string> failures = monthly_.failures;
    for (int n : opening.figure7FailedLines) failures.push_back("１ページ (" + std::to_string(n) + ")");
    Tell(FailuresMessage(failures));
}

void StatementPage2Form::ShowWages() {
    for (int r = 1; r <= kFamilyTotalRow; ++r) {
        family_[U(r)][KyuRyo]->setText(Q(ScreenAmountOrEmpty(data_.family.KyuRyo[U(r)])));
        family_[U(r)][Syouyo]->setText(Q(ScreenAmountOrEmpty(data_.family.Syouyo[U(r)])));
        family_[U(r)][Goukei]->setText(Q(ScreenAmountOrEmpty(data_.family.Goukei[U(r)])));
        family_[U(r)][Gensen]->setText(Q(ScreenAmountOrEmpty(data_.family.Gensen[U(r)])));
    }
    for (int r = 1; r <= kEmployeeTotalRow; ++r) {
        employees_[U(r)][KyuRyo]->setText(Q(ScreenAmountOrEmpty(data_.employees.KyuRyo[U(r)])));
        employees_[U(r)][Syouyo]->setText(Q(ScreenAmountOrEmpty(data_.employees.Syouyo[U(r)])));
        employees_[U(r)][Goukei]->setText(Q(ScreenAmountOrEmpty(data_.employees.Goukei[U(r)])));
        employees_[U(r)][Gensen]->setText(Q(ScreenAmountOrEmpty(data_.employees.Gensen[U(r)])));
    }
}

void StatementPage2Form::ShowFigures() {
    for (int i = 1; i <= kPage2Figures; ++i)
        syukei_[U(i)]->setText(Q(ScreenAmountOrEmpty(data_.Syukei[U(i)])));
}

void StatementPage2Form::WageLeft(bool familyTable, int row, Column c) {
    Row& boxes = familyTable ? family_[U(row)] : employees_[U(row)];
    WageColumns& w = familyTable ? data_.family : data_.employees;
    std::optional<Amount> v = TypedAmount(boxes[c]->text());
    if (!v) {
        app_.prompt.Beep();
        v = 0;
    }
    std::array<Amount, 8>& column = c == KyuRyo ? w.KyuRyo : c == Syouyo ? w.Syouyo : w.Gensen;
    column[U(row)] = *v;
    const WageColumn which = c == KyuRyo   ? WageColumn::KyuRyo
                             : c == Syouyo ? WageColumn::Syouyo
                                           : WageColumn::Gensen;
    const int persons = familyTable ? kFamilyRows : kEmployeeOtherRow;
    const bool ok = RecomputeWageRow(w, persons, row, which);
    ShowWages();
    if (!ok) Tell(FailuresMessage({familyTable ? "専従者給与の合計" : "給料賃金の合計"}));
}

void StatementPage2Form::SyukeiLeft(int i) {
    std::optional<Amount> v = TypedAmount(syukei_[U(i)]->text());
    if (!v) {
        app_.prompt.Beep();
        v = 0;
    }
    data_.Syukei[U(i)] = *v;
    if ((i == 1 || i == 4) && !RecomputeFigure5(data_)) Tell(FailuresMessage({"(5)"}));
    if (i == 6) OfferDeductionFigures();
    ShowFigures();
}

void StatementPage2Form::OfferDeductionFigures() {
    // A figure the program put there is replaced: 0, the last offer, or what any limit
    // offers (a new year's file starts with the 10万円 one). Figures typed are kept.
    const DeductionOffer before = offer_;
    offer_ = OfferDeduction(offer_.limit, data_.Syukei[6], data_.Syukei[7]);
    TakeDeductionOffer(data_.Syukei, before, offer_);
}

void StatementPage2Form::CollectBoxes() {
    if (QWidget* f = focusWidget()) f->clearFocus();
    auto small = [this](QLineEdit* box) -> std::int16_t {
        auto v = TypedSmallNumber(box->text());
        if (!v) {
            app_.prompt.Beep();
            box->clear();
            return 0;
        }
        return *v;
    };
    for (int r = 1; r <= kFamilyRows; ++r) {
        data_.Name1[U(r)] = family_[U(r)][Name]->text().toStdString();
        data_.Zokugara[U(r)] = family_[U(r)][Zokugara]->text().toStdString();
        data_.Nenrei[U(r)] = small(family_[U(r)][Nenrei]);
        data_.Gtuki[U(r)] = small(family_[U(r)][Gtuki]);
    }
    for (int r = 1; r <= kEmployeeRows; ++r) {
        data_.Name2[U(r)] = employees_[U(r)][Name]->text().toStdString();
        data_.Nenrei2[U(r)] = small(employees_[U(r)][Nenrei]);
        data_.Gtuki2[U(r)] = small(employees_[U(r)][Gtuki]);
    }
    data_.Ninzuu = ninzuu_->text().toStdString();
    WritePage2(app_.state.TaxReturnData, data_);
}

std::vector<SlotText> StatementPage2Form::PageSlots() const {
    return Page2Slots(monthly_, data_, app_.state.FiscalYear);
}

std::unique_ptr<StatementPreview> StatementPage2Form::MakePreview(std::vector<SlotText> texts) {
    return std::make_unique<StatementPage2Print>(app_, std::move(texts), this);
}

TaxReturnTables StatementPage2Form::PageTables() const {
    TaxReturnTables t = app_.state.TaxReturnData;
    WritePage2(t, data_);
    return t;
}

}  // namespace tabulo
