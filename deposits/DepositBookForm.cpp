#include "deposits/DepositBookForm.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "deposits/DepositTable.h"
#include "ui/GridCellEditor.h"
#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "store/FileLimits.h"

namespace tabulo {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }


bool AcceptsDepositKey(int column, char32_t ch) {
    switch (column) {
        case DepositColumn::Name:
        case DepositColumn::Maturity:
            return IsCp932Text(EncodeUtf8(ch));
        case DepositColumn::AccountNo:
            return AcceptCodeChar(KeyCodeOf(ch)) == 0;
        case DepositColumn::Carried:
        case DepositColumn::Current:
            return AcceptNumber(KeyCodeOf(ch)) == 0;
        default:
            return false;
    }
}

}  // namespace

DepositBookForm::DepositBookForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("預金データ入力"), QStringLiteral("DepositBookForm"), parent) {
    memoryAtOpen_ = app_.state.DepositBook;
    loaded_ = LoadFile();
    table_ = std::make_unique<DepositTable>(fileBook_);

    auto* layout = new QVBoxLayout(this);
    BuildGrid();
    layout->addWidget(grid_);

    // The totals sit under their amount columns.
    auto* totals = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("合計額"), this);
    caption->setObjectName(QStringLiteral("GoukeiCaption"));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    zenKurikoshi_ = new QLabel(this);
    zenKurikoshi_->setObjectName(QStringLiteral("ZenKurikoshi"));
    genGoukei_ = new QLabel(this);
    genGoukei_->setObjectName(QStringLiteral("GenGoukei"));
    int leading = grid_->frameWidth();
    for (int c = 0; c < DepositColumn::Carried; ++c) leading += grid_->columnWidth(c);
    caption->setFixedWidth(leading);
    for (QLabel* l : {zenKurikoshi_, genGoukei_}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMargin(2);
    }
    zenKurikoshi_->setFixedWidth(grid_->columnWidth(DepositColumn::Carried));
    genGoukei_->setFixedWidth(grid_->columnWidth(DepositColumn::Current));
    totals->setSpacing(0);
    totals->addWidget(caption);
    totals->addWidget(zenKurikoshi_);
    totals->addWidget(genGoukei_);
    totals->addStretch();
    layout->addLayout(totals);

    auto* bottom = new QHBoxLayout;
    auto* hint = new QLabel(
        QStringList{QStringLiteral("項目への入力は"),
                    QStringLiteral("マウスで該当のセルをクリック"),
                    QStringLiteral("またはEnterキーを押します"),
                    QStringLiteral("再度Enterキーを押しますと、入力モード解除になります"),
                    QStringLiteral("入力ミスなどの取り消しはEscキーで元の状態に復帰します")}
            .join(QLatin1Char('\n')),
        this);
    hint->setObjectName(QStringLiteral("Coment"));
    hint->setFrameShape(QFrame::Panel);
    hint->setFrameShadow(QFrame::Sunken);
    hint->setMargin(6);
    bottom->addWidget(hint);
    bottom->addStretch();
    auto makeButton = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoDefault(false);
        b->setMinimumSize(110, 40);
        return b;
    };
    endYesNo_ = makeButton("EndYesNo", "終了(F10)", "登録して終了します");
    chudan_ = makeButton("Chudan", "中断(F5)", "作業を中断します");
    bottom->addWidget(endYesNo_, 0, Qt::AlignBottom);
    bottom->addWidget(chudan_, 0, Qt::AlignBottom);
    layout->addLayout(bottom);
    connect(endYesNo_, &QPushButton::clicked, this, &DepositBookForm::CloseForm);
    connect(chudan_, &QPushButton::clicked, this, &DepositBookForm::CancelEdit);

    FillGrid();
    ShowTotals();
    WatchFunctionKeys();

    if (!loaded_) {
        // Nothing was read, so nothing may be stored over the file.
        QTimer::singleShot(0, this, [this] {
            Finish();
            QDialog::reject();
        });
    }
}

DepositBookForm::~DepositBookForm() { Finish(); }

bool DepositBookForm::LoadFile() {
    SharedState& s = app_.state;
    Result<std::vector<std::byte>> bytes =
        ReadWholeFile(s.DepositPath, static_cast<std::size_t>(kMaxDepositFileSize));
    if (!bytes) {
        ShowFileError(app_.prompt, bytes.error(), app_.state);
        return false;
    }
    if (bytes->empty()) {
        fileExisted_ = false;
        fileBook_ = ClearedDepositBook();
    } else {
        Result<DepositBookRecord> book = DecodeDepositBook(*bytes);
        if (!book) {
            FileError e = book.error();
            if (e.path.empty()) e.path = s.DepositPath.string();
            ShowFileError(app_.prompt, e, app_.state);
            return false;
        }
        fileExisted_ = true;
        fileBook_ = *book;
    }
    s.DepositBook = fileBook_;
    return true;
}

void DepositBookForm::BuildGrid() {
    grid_ = new QTableWidget(kAccountCount, DepositColumn::Count, this);
    grid_->setObjectName(QStringLiteral("Grid1"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("名      称"),
                                      QStringLiteral("口座No."), QStringLiteral("繰越預金高"),
                                      QStringLiteral("現預金額"), QStringLiteral("満期")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QFontMetrics fm(grid_->font());
    const int pad = 16;
    // A column of n bytes holds n half-width or n/2 full-width characters; room for
    // the wider of the two, plus a half-width one for a name that mixes them.
    auto half = [&](int n) {
        return std::max(fm.horizontalAdvance(QString(n, QLatin1Char('W'))),
                        fm.horizontalAdvance(QString(n / 2, QChar(0xFF37))) +
                            fm.horizontalAdvance(QString(n % 2, QLatin1Char('W')))) +
               fm.horizontalAdvance(QLatin1Char('W'));
    };
    auto head = [&](int c) {
        return fm.horizontalAdvance(grid_->horizontalHeaderItem(c)->text()) + pad + 8;
    };
    int widths[DepositColumn::Count] = {
        std::max(half(3) + pad, head(0)),
        std::max(half(kAccountNameBytes) + pad, head(1)),
        std::max(half(kAccountNoWidth) + pad, head(2)),
        // Room for "-2,147,483,648", the widest amount a cell can hold.
        std::max(half(14) + pad, head(3)),
        std::max(half(14) + pad, head(4)),
        std::max(half(kMaturityWidth) + pad, head(5)),
    };
    int width = 2 * grid_->frameWidth() + 4;
    for (int c = 0; c < DepositColumn::Count; ++c) {
        grid_->setColumnWidth(c, widths[c]);
        width += widths[c];
    }
    grid_->verticalHeader()->setDefaultSectionSize(fm.height() + 8);
    grid_->setFixedWidth(width);
    grid_->setFixedHeight(grid_->horizontalHeader()->sizeHint().height() +
                          kAccountCount * grid_->verticalHeader()->defaultSectionSize() +
                          2 * grid_->frameWidth() + 2);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    GridCellEditor::Hooks hooks;
    hooks.accepts = AcceptsDepositKey;
    hooks.transform = [](int column, char32_t ch) -> char32_t {
        // Account numbers take capitals; the key is upper-cased before the filter.
        if (column == DepositColumn::AccountNo && ch >= U'a' && ch <= U'z') return ch - U'a' + U'A';
        return ch;
    };
    hooks.openText = [](int column, const QString& text) {
        return column == DepositColumn::Name ? text : text.trimmed();
    };
    hooks.commit = [this](int row, int column, const QString& typed) -> std::optional<QString> {
        CellCommit done = table_->Commit(row + 1, column, S(typed));
        if (!done.ok) {
            if (!done.message.empty())
                app_.prompt.MsgBox(done.message, MsgStyle::Exclamation, "エラー確認");
            return std::nullopt;
        }
        return Q(done.text);
    };
    hooks.maxLength = [](int column) {
        if (column == DepositColumn::AccountNo) return kAccountNoWidth;
        if (column == DepositColumn::Maturity) return kMaturityWidth;
        return 32767;
    };
    hooks.alignment = [](int column) {
        return column == DepositColumn::Name ? Qt::AlignLeft | Qt::AlignVCenter
                                             : Qt::AlignRight | Qt::AlignVCenter;
    };
    cellEditor_ = new GridCellEditor(grid_, app_.prompt, DepositColumn::Name,
                                     DepositColumn::Maturity, std::move(hooks), this);
    connect(cellEditor_, &GridCellEditor::Committed, this, [this] {
        table_->ApplyBalances(app_.state.DepositBook);
        ShowTotals();
    });
}

void DepositBookForm::FillGrid() {
    const QColor fixedColour(0xE0, 0xE0, 0xE0);
    for (int k = 1; k <= kAccountCount; ++k) {
        for (int c = 0; c < DepositColumn::Count; ++c) {
            auto* cell = new QTableWidgetItem(Q(table_->Cell(k, c)));
            Qt::Alignment align = c == DepositColumn::Name ? Qt::AlignLeft : Qt::AlignRight;
            cell->setTextAlignment(align | Qt::AlignVCenter);
            if (c == DepositColumn::No) {
                cell->setFlags(Qt::ItemIsEnabled);
                cell->setBackground(fixedColour);
            } else {
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            grid_->setItem(k - 1, c, cell);
        }
    }
    grid_->setCurrentCell(0, DepositColumn::Name);
}

void DepositBookForm::ShowTotals() {
    std::optional<DepositTotals> totals = table_->Totals();
    zenKurikoshi_->setText(totals ? Q(AmountCellText(totals->carried)) : QString());
    genGoukei_->setText(totals ? Q(AmountCellText(totals->current)) : QString());
}

void DepositBookForm::CloseForm() {
    if (cellEditor_->IsEditing()) {
        app_.prompt.Beep();
        return;
    }
    if (app_.prompt.MsgBox("登録しますか？", MsgStyle::YesNoWarning, "登録確認") != Answer::Yes)
        return;
    std::optional<StorePlan> plan = table_->Store(fileBook_, fileExisted_);
    if (!plan) {
        app_.prompt.MsgBox(kTotalTooLargeMessage, MsgStyle::Exclamation, "エラー確認");
        return;
    }
    if (plan->askCorrection) {
        int answer =
            app_.prompt.MsgBox("預金額が訂正されていますが、前年繰越預金額も訂正しますか？",
                               MsgStyle::YesNoWarning, "訂正確認");
        ApplyCorrectionAnswer(*plan, answer == Answer::Yes);
    }
    SharedState& s = app_.state;
    DepositBookRecord previous = s.DepositBook;
    s.DepositBook = plan->book;
    Status saved = SaveDepositBook(s);
    if (!saved) {
        ShowFileError(app_.prompt, saved.error(), app_.state);
        // A save whose folder flush failed is on the disk all the same: memory keeps
        // what the file holds, and the form is done.
        if (!saved.error().applied) {
            s.DepositBook = previous;
            return;
        }
    }
    Finish();
    accept();
}

void DepositBookForm::CancelEdit() {
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    // Nothing of this visit is kept: the cash book writes DepositBook whole later,
    // and must not write balances the user has just cancelled.
    app_.state.DepositBook = memoryAtOpen_;
    Finish();
    QDialog::reject();
}



bool DepositBookForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F10:
            CloseForm();
            return true;
        case Qt::Key_F5:
            CancelEdit();
            return true;
        default:
            return false;
    }
}



}  // namespace tabulo
