#include "consumptiontax/ConsumptionTaxForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "consumptiontax/TaxReturnPages.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QTableWidget* ViewGrid(QWidget* parent, const char* name, int rows, const QStringList& heads) {
    auto* grid = new QTableWidget(rows, static_cast<int>(heads.size()), parent);
    grid->setObjectName(QString::fromUtf8(name));
    grid->setFont(GridFont(10.5));
    grid->setHorizontalHeaderLabels(heads);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid->font()).height() + 6);
    return grid;
}

QTableWidgetItem* Cell(const QString& text, bool amount) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment((amount ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return cell;
}

const QColor kLeastColour(0xFF, 0xF4, 0xC0);

}  // namespace

ConsumptionTaxForm::ConsumptionTaxForm(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("消費税の計算"));
    setObjectName(QStringLiteral("ConsumptionTaxForm"));
    auto loaded = LoadYearTaxBooks(app_.state);
    if (!loaded) {
        const FileError& e = loaded.error();
        app_.prompt.MsgBox("消費税の計算に要るファイルを読めません。\r\n" + e.path + "\r\n" + e.detail,
                           MsgStyle::Exclamation, "エラー確認");
    } else {
        year_ = std::move(*loaded);
        returns_ = ComputeTaxReturn(year_.Totals, year_.Settings, year_.Year);
        loaded_ = true;
    }

    auto* layout = new QVBoxLayout(this);
    head_ = new QLabel(this);
    head_->setObjectName(QStringLiteral("TaxHead"));
    head_->setWordWrap(true);
    layout->addWidget(head_);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("UnconfirmedNote"));
    note_->setWordWrap(true);
    note_->setStyleSheet(QStringLiteral("color:#c00000;"));
    layout->addWidget(note_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("TaxTabs"));
    layout->addWidget(tabs_, 1);

    // 比較.
    const auto rows = ComparisonRows(returns_);
    QStringList heads = {QStringLiteral("項目")};
    for (const MethodReturn& r : returns_) heads << Q((r.Least ? "◎" : "") + MethodHead(r));
    comparison_ = ViewGrid(this, "ComparisonGrid", static_cast<int>(rows.size()), heads);
    tabs_->addTab(comparison_, QStringLiteral("計算方法の比較(&1)"));

    // 申告書・付表.
    auto* sheets = new QWidget(this);
    auto* sheetsLayout = new QVBoxLayout(sheets);
    auto* pick = new QHBoxLayout;
    method_ = new QComboBox(sheets);
    method_->setObjectName(QStringLiteral("ShownMethod"));
    for (const MethodReturn& r : returns_) method_->addItem(Q(MethodHead(r)));
    auto* pickLabel = new QLabel(QStringLiteral("計算方法(&M)"), sheets);
    pickLabel->setBuddy(method_);
    pick->addWidget(pickLabel);
    pick->addWidget(method_);
    pick->addStretch(1);
    sheetsLayout->addLayout(pick);
    lines_ = ViewGrid(sheets, "LinesGrid", 0, {QStringLiteral("帳票"), QStringLiteral("欄"),
                                               QStringLiteral("項目"), QStringLiteral("金額（円）")});
    sheetsLayout->addWidget(lines_, 1);
    tabs_->addTab(sheets, QStringLiteral("申告書・付表(&2)"));

    // 税区分別集計.
    QStringList monthHeads = {QStringLiteral("税区分")};
    for (int m = 1; m <= 12; ++m) monthHeads << QStringLiteral("%1月").arg(m);
    monthHeads << QStringLiteral("計");
    categories_ = ViewGrid(this, "CategoryGrid", 0, monthHeads);
    tabs_->addTab(categories_, QStringLiteral("税区分別集計(&3)"));

    // 区分を変えた行.
    const auto marked = MarkedLineRows(year_.Totals);
    marked_ = ViewGrid(this, "MarkedGrid", static_cast<int>(marked.size()),
                       {QStringLiteral("出所"), QStringLiteral("日付"), QStringLiteral("摘要"),
                        QStringLiteral("金額"), QStringLiteral("項目・科目の税区分"), QStringLiteral("この行の税区分")});
    for (std::size_t i = 0; i < marked.size(); ++i)
        for (std::size_t c = 0; c < marked[i].size(); ++c)
            marked_->setItem(static_cast<int>(i), static_cast<int>(c), Cell(Q(marked[i][c]), c == 3));
    marked_->resizeColumnsToContents();
    for (int c = 0; c < marked_->columnCount(); ++c) marked_->setColumnWidth(c, marked_->columnWidth(c) + 16);
    tabs_->addTab(marked_, QStringLiteral("区分を変えた行(&4)"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* print = new QPushButton(QStringLiteral("印刷(F8)"), this);
    print->setObjectName(QStringLiteral("PrintData"));
    auto* end = new QPushButton(QStringLiteral("終了(F10)"), this);
    end->setObjectName(QStringLiteral("EndYesNo"));
    for (QPushButton* b : {print, end}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumHeight(32);
        buttons->addWidget(b);
    }
    connect(print, &QPushButton::clicked, this, &ConsumptionTaxForm::PrintData);
    connect(end, &QPushButton::clicked, this, &QDialog::accept);
    print->setEnabled(loaded_);
    layout->addLayout(buttons);

    // The head: the year, the registration and the settings.
    const TaxSettings& t = year_.Settings;
    QString headText = QStringLiteral("%1%2年分（%3年）　登録番号 %4　")
                           .arg(Q(Trim(app_.state.EraName)))
                           .arg(app_.state.FiscalYear)
                           .arg(year_.Year)
                           .arg(t.RegistrationNo.empty() ? QStringLiteral("（未設定）") : Q(t.RegistrationNo));
    if (!t.Taxable)
        headText += QStringLiteral("免税事業者の設定です。課税事業者となった場合の税額を示します。");
    else if (t.Method == TaxMethod::None)
        headText += QStringLiteral("計算方法は設定されていません（消費税の設定で選びます）。");
    else
        headText += QStringLiteral("設定の計算方法：%1").arg(QString::fromUtf8(TaxMethodName(t.Method)));
    if (t.Amended) headText += QStringLiteral("（修正申告）");
    head_->setText(headText);
    std::string notes;
    for (const std::string& n : UnconfirmedNotes(returns_)) notes += (notes.empty() ? "" : "\n") + n;
    note_->setText(Q(notes));
    note_->setVisible(!notes.empty());

    FillComparison();
    FillCategories();
    // The settings' method first, else the cheapest.
    int shown = 0;
    for (std::size_t i = 0; i < returns_.size(); ++i)
        if (returns_[i].Least) shown = static_cast<int>(i);
    for (std::size_t i = 0; i < returns_.size(); ++i)
        if (t.Taxable && returns_[i].Method == t.Method) shown = static_cast<int>(i);
    connect(method_, &QComboBox::currentIndexChanged, this, [this](int i) { ShowMethod(i); });
    method_->setCurrentIndex(shown);
    ShowMethod(shown);

    resize(980, 620);
    PlaceForm(this);
    comparison_->resizeRowsToContents();
    comparison_->setFocus();
}

void ConsumptionTaxForm::FillComparison() {
    const auto rows = ComparisonRows(returns_);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i);
        comparison_->setItem(r, 0, Cell(Q(rows[i].Label), false));
        for (std::size_t m = 0; m < rows[i].Cells.size(); ++m) {
            // The rows of amounts are right-aligned; the words left.
            const bool amount = i < 7 && returns_[m].Fault.empty();
            auto* cell = Cell(Q(rows[i].Cells[m]), amount);
            if (returns_[m].Least) {
                cell->setBackground(kLeastColour);
                QFont bold = cell->font();
                bold.setBold(true);
                cell->setFont(bold);
            }
            if (!returns_[m].Fault.empty() || (i == 8 && !returns_[m].NeedsMet))
                cell->setForeground(QColor(0xC0, 0, 0));
            comparison_->setItem(r, static_cast<int>(m) + 1, cell);
        }
    }
    // The methods share the width; what a method needs wraps inside its cell.
    comparison_->setColumnWidth(0, 170);
    comparison_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    for (int c = 1; c < comparison_->columnCount(); ++c)
        comparison_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    comparison_->setWordWrap(true);
    comparison_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    comparison_->setCurrentCell(0, 0);
}

void ConsumptionTaxForm::FillCategories() {
    const auto rows = CategoryMonthRows(year_.Totals);
    categories_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i);
        categories_->setItem(r, 0, Cell(Q(rows[i].Name), false));
        for (std::size_t m = 0; m < 12; ++m) {
            const Yen v = rows[i].Months[m];  // an empty month stays blank
            categories_->setItem(r, static_cast<int>(m) + 1, Cell(v == 0 ? QString() : Q(TaxYenText(v)), true));
        }
        categories_->setItem(r, 13, Cell(Q(TaxYenText(rows[i].Total)), true));
    }
    categories_->resizeColumnsToContents();
    for (int c = 0; c < categories_->columnCount(); ++c)
        categories_->setColumnWidth(c, categories_->columnWidth(c) + 12);
}

void ConsumptionTaxForm::ShowMethod(int index) {
    lines_->setRowCount(0);
    if (index < 0 || index >= static_cast<int>(returns_.size())) return;
    const MethodReturn& r = returns_[static_cast<std::size_t>(index)];
    if (!r.Fault.empty()) {
        lines_->setRowCount(1);
        lines_->setItem(0, 2, Cell(QStringLiteral("計算できません：") + Q(r.Fault), false));
        return;
    }
    int row = 0;
    for (const std::string& sheet : SheetsOf(r)) {
        const auto lines = SheetLines(r, sheet);
        lines_->setRowCount(row + 1 + static_cast<int>(lines.size()));
        auto* title = Cell(Q(SheetTitle(sheet)), false);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        lines_->setItem(row, 0, Cell(Q(sheet), false));
        lines_->setItem(row, 2, title);
        ++row;
        for (const TaxLine& l : lines) {
            lines_->setItem(row, 0, Cell(QString(), false));
            lines_->setItem(row, 1, Cell(Q(l.Mark), false));
            lines_->setItem(row, 2, Cell(Q(l.Name), false));
            lines_->setItem(row, 3, Cell(Q(TaxYenText(l.Amount)), true));
            ++row;
        }
    }
    lines_->setColumnWidth(0, 80);
    lines_->setColumnWidth(1, 40);
    lines_->setColumnWidth(3, 150);
    lines_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
}

void ConsumptionTaxForm::PrintData() {
    if (!loaded_) return;
    const auto index = static_cast<std::size_t>(std::max(method_->currentIndex(), 0));
    std::optional<WaitCursor> wait(std::in_place);
    const PrintDocument doc = PrintConsumptionTax(app_.state, year_, returns_, index);
    wait.reset();
    SendToPrinter(app_, doc);
}

void ConsumptionTaxForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F8: PrintData(); return;
        case Qt::Key_F10:
        case Qt::Key_Escape: accept(); return;
        default: break;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tabulo
