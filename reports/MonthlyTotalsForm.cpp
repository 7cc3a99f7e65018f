#include "reports/MonthlyTotalsForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "reports/SummaryTable.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

constexpr int kColumns = 16;
// Column widths in twips (15 twips to a pixel on the screen).
constexpr int kWidthNumber = 500;
constexpr int kWidthName = 2000;
constexpr int kWidthAmount = 1120;
constexpr int kGridHeight = 8172;
constexpr int Px(int twips) { return twips / 15; }

// The screen of statement page 1..4.
FormId StatementScreen(int page) {
    switch (page) {
        case 1: return FormId::StatementPage1Form;
        case 2: return FormId::StatementPage2Form;
        case 3: return FormId::StatementPage3Form;
        default: return FormId::StatementPage4Form;
    }
}

}  // namespace

MonthlyTotalsForm::MonthlyTotalsForm(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("月毎の項目別集計"));
    setObjectName(QStringLiteral("MonthlyTotalsForm"));

    model_ = new TextGridModel(kColumns, this);
    grid1_ = MakeTextGrid(model_, GridFont(10.2), this);

    printOut_ = new QPushButton(QStringLiteral("印刷(&P)"), this);
    printOut_->setObjectName(QStringLiteral("PrintOut"));
    printOut_->setToolTip(QStringLiteral("集計表を印刷します"));
    endYesNo_ = new QPushButton(QStringLiteral("終了(&X)"), this);
    endYesNo_->setObjectName(QStringLiteral("EndYesNo"));
    endYesNo_->setToolTip(QStringLiteral("集計画面を閉じます"));
    const char* captions[4] = {"申告書１ページ印刷", "申告書２ページ印刷", "申告書３ページ印刷",
                               "申告書４ページ印刷"};
    const char* tips[4] = {"申告書１ページの画面へ", "申告書２ページの画面へ",
                           "申告書３ページの画面へ", "申告書４ページの画面へ"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(captions[i]), this);
        b->setObjectName(QStringLiteral("Page%1Print").arg(i + 1));
        b->setToolTip(QString::fromUtf8(tips[i]));
        pagePrint_[i] = b;
        const FormId id = StatementScreen(i + 1);
        b->setEnabled(app_.forms != nullptr && app_.forms->CanOpen(id));
        connect(b, &QPushButton::clicked, this, [this, i] { PrintPage(i + 1); });
    }
    QFont buttonFont = font();
    buttonFont.setPointSizeF(10.2);
    printOut_->setFont(buttonFont);
    endYesNo_->setFont(buttonFont);
    connect(printOut_, &QPushButton::clicked, this, &MonthlyTotalsForm::PrintOut);
    connect(endYesNo_, &QPushButton::clicked, this, &MonthlyTotalsForm::CloseForm);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printOut_);
    buttons->addSpacing(24);
    for (QPushButton* b : pagePrint_) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(endYesNo_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid1_);
    layout->addLayout(buttons);

    TrimWorkingSet();
    BuildSummaryGrid();

    int width = 2 * grid1_->frameWidth();
    for (int c = 0; c < kColumns; ++c) width += grid1_->columnWidth(c);
    // The whole grid when the screen has room for it; on a smaller one the grid scrolls
    // and the window may be made smaller.
    grid1_->setMinimumSize(width + grid1_->verticalScrollBar()->sizeHint().width(),
                           Px(kGridHeight));
    adjustSize();
    const QSize whole = size();
    grid1_->setMinimumSize(320, 160);
    layout->activate();
    resize(whole);
    PlaceForm(this);
}

MonthlyTotalsForm::~MonthlyTotalsForm() = default;

QPushButton* MonthlyTotalsForm::pageButton(int page) const { return pagePrint_[page - 1]; }

QString MonthlyTotalsForm::CellText(int row, int column) const {
    if (row == 0) return model_->headerData(column, Qt::Horizontal).toString();
    return model_->Text(row - 1, column);
}

void MonthlyTotalsForm::BuildSummaryGrid() {
    const SummaryGrid texts = tabulo::BuildSummaryGrid(app_.state);
    QStringList heads;
    for (int c = 0; c < kColumns; ++c)
        heads << QString::fromStdString(texts[0][static_cast<std::size_t>(c)]);
    model_->SetHeaders(heads);
    std::vector<QStringList> rows;
    rows.reserve(51);
    for (int r = 1; r <= 51; ++r) {
        QStringList row;
        for (int c = 0; c < kColumns; ++c)
            row << QString::fromStdString(
                texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
        rows.push_back(std::move(row));
    }
    model_->SetRows(std::move(rows));
    // The amounts are already padded to the right edge of their 10 characters.
    for (int c = 2; c < kColumns; ++c) model_->SetAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    model_->SetAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    // The widths of the form design, widened where the face here needs more room for
    // the 10-character amounts and 16-character names, so that nothing is cut.
    const QFontMetrics fm(grid1_->font());
    const int pad = 2 * grid1_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    grid1_->setColumnWidth(
        0, std::max(Px(kWidthNumber), fm.horizontalAdvance(QStringLiteral("000")) + pad));
    grid1_->setColumnWidth(
        1, std::max(Px(kWidthName), fm.horizontalAdvance(QString(16, QChar(0x3000))) / 2 + pad));
    const int amount =
        std::max(Px(kWidthAmount), fm.horizontalAdvance(QString(10, QLatin1Char('0'))) + pad);
    for (int c = 2; c < kColumns; ++c) grid1_->setColumnWidth(c, amount);
    SetCurrentCell(1, 2);
}

void MonthlyTotalsForm::SetCurrentCell(int row, int column) {
    grid1_->setCurrentIndex(model_->index(row - 1, column));
}

void MonthlyTotalsForm::PrintOut() {
    if (app_.prompt.MsgBox("集計表を印刷しますか？", MsgStyle::YesNoWarning, "印刷確認") !=
        Answer::Yes)
        return;
    TrimWorkingSet();
    {
        WaitCursor wait;
        // The printout is made from the texts on the screen, so paper and screen agree.
        SummaryGrid texts{};
        for (int r = 0; r <= 51; ++r) {
            for (int c = 0; c < kColumns; ++c)
                texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                    CellText(r, c).toStdString();
        }
        const PrintDocument doc =
            PrintSummaryTable(app_.state, SummaryPrintTable(texts), kSummaryCellCount);
        SendToPrinter(app_, doc);
    }
    SetCurrentCell(1, 2);
}

void MonthlyTotalsForm::CloseForm() { accept(); }

void MonthlyTotalsForm::PrintPage(int page) {
    if (app_.forms == nullptr) return;
    const FormId id = StatementScreen(page);
    app_.forms->OpenForm(id, this);
    grid1_->setFocus();
}

}  // namespace tabulo
