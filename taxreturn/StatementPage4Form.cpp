#include "taxreturn/StatementPage4Form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "cashbook/Overflow.h"
#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "taxreturn/StatementPage4Print.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementSlots.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// The captions of the manufacturing lines; the free lines 12..16 are named by the user.
const char* const kCostCaptions[kCostLines + 1] = {
    "",
    "期首原材料棚卸高",
    "原材料仕入高",
    "小計（①＋②）",
    "期末原材料棚卸高",
    "差引原材料費（③－④）",
    "労務費",
    "外注工賃",
    "電力費",
    "水道光熱費",
    "修繕費",
    "減価償却費",
    "",
    "",
    "",
    "",
    "",
    "雑費",
    "計（⑦～⑰）",
    "総製造費（⑤＋⑥＋⑱）",
    "期首半製品・仕掛品棚卸高",
    "小計（⑲＋⑳）",
    "期末半製品・仕掛品棚卸高",
    "製品製造原価（21－22）"};

}  // namespace

StatementPage4Form::StatementPage4Form(AppContext& app, QWidget* parent)
    : StatementForm(app, 4, QStringLiteral("青色申告書４ページ"), parent) {
    setObjectName(QStringLiteral("StatementPage4Form"));
    TrimWorkingSet();

    notes_ = new QLabel(this);
    notes_->setObjectName(QStringLiteral("BalanceNotes"));
    notes_->setWordWrap(true);
    notes_->setStyleSheet(QStringLiteral("color: #a00000;"));
    notes_->hide();

    // The balance sheet: the asset column and the liability and capital column, each
    // with its 1 January and 31 December figures.
    auto* sheet = new QGroupBox(QStringLiteral("○貸借対照表（資産負債調）"), this);
    auto* sg = new QGridLayout(sheet);
    sg->setVerticalSpacing(1);
    sg->setHorizontalSpacing(4);
    const char* const sideHeads[2] = {"資産の部", "負債・資本の部"};
    for (int side = 0; side < 2; ++side) {
        const int c0 = side * 4;
        auto* head = Caption(QString::fromUtf8(sideHeads[side]), sheet);
        head->setAlignment(Qt::AlignHCenter);
        sg->addWidget(head, 0, c0, 1, 3);
        sg->addWidget(Caption(QStringLiteral("科目"), sheet), 1, c0);
        sg->addWidget(Caption(QStringLiteral("1月1日（期首）"), sheet), 1, c0 + 1);
        sg->addWidget(Caption(QStringLiteral("12月31日（期末）"), sheet), 1, c0 + 2);
    }
    sg->setColumnMinimumWidth(3, 16);
    std::array<int, 2> nextRow = {2, 2};
    auto addRow = [&](int side, const QString& caption, bool withOpening) {
        const int r = nextRow[U(side)]++;
        const int c0 = side * 4;
        sg->addWidget(Caption(caption, sheet), r, c0);
        std::array<QLineEdit*, 2> boxes{};
        for (int k = 0; k < 2; ++k) {
            if (k == 0 && !withOpening) continue;
            boxes[U(k)] = ShowBox();
            boxes[U(k)]->setMinimumWidth(
                boxes[U(k)]->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 11 + 8);
            sg->addWidget(boxes[U(k)], r, c0 + 1 + k);
        }
        return boxes;
    };
    for (const Account& a : ChartOfAccounts()) {
        if (!IsBalanceSheetAccount(a.code)) continue;
        const int side = a.side == AccountSide::Asset ? 0 : 1;
        rows_.emplace_back(a.code, addRow(side, QString::fromUtf8(a.name), true));
        rows_.back().second[0]->setObjectName(QStringLiteral("Opening_%1").arg(a.code));
        rows_.back().second[1]->setObjectName(QStringLiteral("Closing_%1").arg(a.code));
    }
    income_ = addRow(1, QStringLiteral("青色申告特別控除前の所得金額"), false)[1];
    income_->setObjectName(QStringLiteral("Income"));
    // The 合計 rows level with each other, under the longer column.
    const int totalRow = std::max(nextRow[0], nextRow[1]);
    nextRow = {totalRow, totalRow};
    for (int side = 0; side < 2; ++side) {
        totals_[U(side)] = addRow(side, QStringLiteral("合計"), true);
        totals_[U(side)][0]->setObjectName(QStringLiteral("TotalOpening_%1").arg(side));
        totals_[U(side)][1]->setObjectName(QStringLiteral("TotalClosing_%1").arg(side));
    }
    sg->setRowStretch(totalRow + 1, 1);

    // 製造原価の計算: the typed lines in amount boxes, the sums shown.
    auto* cost = new QGroupBox(QStringLiteral("○製造原価の計算"), this);
    auto* cg = new QGridLayout(cost);
    cg->setVerticalSpacing(1);
    cg->setHorizontalSpacing(4);
    auto* hint = Caption(QStringLiteral("原価計算を行っている人だけが記入します。"), cost);
    cg->addWidget(hint, 0, 0, 1, 3);
    for (int line = 1; line <= kCostLines; ++line) {
        cg->addWidget(Caption(QString::number(line), cost), line, 0);
        if (line >= kCostFreeFirst && line < kCostFreeFirst + kCostFreeLines) {
            QLineEdit* name = TextBox(kCostCaptionBytes);
            name->setObjectName(QStringLiteral("CostName_%1").arg(line));
            costNames_[U(line - kCostFreeFirst)] = name;
            cg->addWidget(name, line, 1);
        } else {
            cg->addWidget(Caption(QString::fromUtf8(kCostCaptions[line]), cost), line, 1);
        }
        QLineEdit* box = IsCostInputLine(line)
                             ? static_cast<QLineEdit*>(AmountBox([this, line] { CostLeft(line); }))
                             : ShowBox();
        box->setObjectName(QStringLiteral("Cost_%1").arg(line));
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 11 + 8);
        cost_[U(line)] = box;
        cg->addWidget(box, line, 2);
    }

    auto* layout = new QVBoxLayout(Body());
    layout->addWidget(notes_);
    auto* columns = new QHBoxLayout;
    columns->addWidget(sheet, 3);
    columns->addWidget(cost, 2);
    layout->addLayout(columns);

    // Tab and Enter go down the manufacturing lines, a free line's name before its figure.
    std::vector<QWidget*> order;
    for (int line = 1; line <= kCostLines; ++line) {
        if (line >= kCostFreeFirst && line < kCostFreeFirst + kCostFreeLines)
            order.push_back(CostName(line));
        order.push_back(cost_[U(line)]);
    }
    ChainFocus(order);

    if (!LoadFile()) return;
    auto figures = OpeningPage4(app_.state);
    if (!figures) {
        ShowFileError(app_.prompt, figures.error());
        return;
    }
    page_ = std::move(*figures);
    stored_ = page_.cost;
    loaded_ = true;

    auto show = [](QLineEdit* box, Amount v) {
        if (box != nullptr) box->setText(Q(ScreenAmountOrEmpty(v)));
    };
    for (auto& [code, boxes] : rows_) {
        const BalanceSheetRow* r = page_.sheet.Find(code);
        show(boxes[0], r != nullptr ? r->opening : 0);
        show(boxes[1], r != nullptr ? r->closing : 0);
    }
    show(income_, page_.sheet.income);
    show(totals_[0][0], page_.sheet.assetsOpening);
    show(totals_[0][1], page_.sheet.assetsClosing);
    show(totals_[1][0], page_.sheet.claimsOpening);
    show(totals_[1][1], page_.sheet.claimsClosing);
    std::string notes;
    for (const std::string& n : BalanceSheetNotes(page_.sheet)) notes += (notes.empty() ? "" : "\n") + n;
    if (page_.sheet.capitalWorkedOut)
        notes += std::string(notes.empty() ? "" : "\n") +
                 "元入金は期首残高に入力がないため、1月1日の資産から負債を差し引いて求めました。";
    notes_->setText(Q(notes));
    notes_->setVisible(!notes.empty());
    for (int k = 0; k < kCostFreeLines; ++k) costNames_[U(k)]->setText(Q(page_.cost.freeNames[U(k)]));
    ShowCost();
    FinishLayout();
}

QLineEdit* StatementPage4Form::Opening(int code) const {
    for (const auto& [c, boxes] : rows_)
        if (c == code) return boxes[0];
    return nullptr;
}

QLineEdit* StatementPage4Form::Closing(int code) const {
    for (const auto& [c, boxes] : rows_)
        if (c == code) return boxes[1];
    return nullptr;
}

void StatementPage4Form::ShowCost() {
    for (int line = 1; line <= kCostLines; ++line)
        cost_[U(line)]->setText(Q(ScreenAmountOrEmpty(page_.cost.lines[U(line)])));
}

void StatementPage4Form::CostLeft(int line) {
    QLineEdit* box = cost_[U(line)];
    std::optional<Amount> v = TypedAmount(box->text());
    if (!v) {
        app_.prompt.Beep();
        v = 0;
    }
    const Amount before = page_.cost.lines[U(line)];
    page_.cost.lines[U(line)] = *v;
    if (!ComputeManufacturingCost(page_.cost)) {
        // The sums would leave the range: the figure is not taken.
        page_.cost.lines[U(line)] = before;
        Tell(std::string(kOverflowMessage) + "（製造原価の計算 " + std::to_string(line) + "）");
    }
    ShowCost();
}

void StatementPage4Form::CollectBoxes() {
    if (QWidget* f = focusWidget()) f->clearFocus();
    for (int k = 0; k < kCostFreeLines; ++k)
        page_.cost.freeNames[U(k)] = costNames_[U(k)]->text().toStdString();
}

bool StatementPage4Form::Save() {
    if (!StatementForm::Save()) return false;
    // A year that never typed a figure here keeps no file for it.
    if (page_.cost == stored_) return true;
    const auto path = ManufacturingCostPath(app_.state);
    if (auto st = SaveManufacturingCost(path, page_.cost); !st) {
        ShowFileError(app_.prompt, st.error());
        return false;
    }
    stored_ = page_.cost;
    return true;
}

std::vector<SlotText> StatementPage4Form::PageSlots() const {
    return Page4Slots(page_, app_.state.FiscalYear);
}

std::unique_ptr<StatementPreview> StatementPage4Form::MakePreview(std::vector<SlotText> texts) {
    return std::make_unique<StatementPage4Print>(app_, std::move(texts), this);
}

TaxReturnTables StatementPage4Form::PageTables() const { return app_.state.TaxReturnData; }

}  // namespace tabulo
