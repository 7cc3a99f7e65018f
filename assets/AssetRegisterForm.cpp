#include "assets/AssetRegisterForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "assets/AssetsPrint.h"
#include "assets/RegisterEdit.h"
#include "assets/YearAssets.h"
#include "ui/EntryScreen.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QWidget* w) { return static_cast<const QLineEdit*>(w)->text().toStdString(); }
QString Yen(Amount a) { return Q(FormatAmount(a, false)); }

QTableWidgetItem* Cell(const QString& text, bool right = false) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return cell;
}

QTableWidget* Table(QWidget* parent, const QString& name, const QStringList& heads,
                    const std::vector<int>& chars) {
    auto* t = new QTableWidget(0, static_cast<int>(heads.size()), parent);
    t->setObjectName(name);
    t->setFont(GridFont(10));
    t->setHorizontalHeaderLabels(heads);
    t->verticalHeader()->hide();
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setTabKeyNavigation(false);
    t->horizontalHeader()->setHighlightSections(false);
    t->verticalHeader()->setDefaultSectionSize(QFontMetrics(t->font()).height() + 4);
    const int ch = QFontMetrics(t->font()).horizontalAdvance(QLatin1Char('0'));
    int width = 2 * t->frameWidth() + t->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    for (std::size_t c = 0; c < chars.size(); ++c) {
        t->setColumnWidth(static_cast<int>(c), ch * chars[c] + 10);
        width += ch * chars[c] + 10;
    }
    t->setMinimumWidth(width);
    return t;
}

}  // namespace

AssetRegisterForm::AssetRegisterForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("固定資産台帳"), QStringLiteral("AssetRegisterForm"), parent) {
    const auto year = AssetYearOf(app_.state);
    auto assets = LoadAssetRegister(AssetRegisterPath(app_.state));
    if (!year) {
        app_.prompt.MsgBox("年度の西暦年が分かりません。年度設定を確かめて下さい。", MsgStyle::Exclamation,
                           "エラー確認");
    } else if (!assets) {
        ShowFileError(app_.prompt, assets.error());
    } else {
        westernYear_ = *year;
        stored_ = edited_ = *assets;
        loaded_ = true;
    }

    grid_ = Table(this, QStringLiteral("AssetGrid"),
                  {QStringLiteral("名称"), QStringLiteral("種類"), QStringLiteral("取得年月日"),
                   QStringLiteral("取得価額"), QStringLiteral("償却方法"), QStringLiteral("耐用"),
                   QStringLiteral("割合"), QStringLiteral("期首帳簿価額"), QStringLiteral("本年償却費"),
                   QStringLiteral("経費算入額"), QStringLiteral("事業主貸"), QStringLiteral("期末帳簿価額"),
                   QStringLiteral("摘要")},
                  {18, 12, 10, 10, 16, 4, 4, 12, 10, 10, 9, 12, 12});
    grid_->setMinimumHeight(grid_->horizontalHeader()->sizeHint().height() +
                            9 * grid_->verticalHeader()->defaultSectionSize());
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (row < 0 || row == previous) return;
        if (static_cast<std::size_t>(row) < edited_.size()) ShowAsset(static_cast<std::size_t>(row));
    });

    // The boxes of one asset.
    auto* editor = new QGroupBox(QStringLiteral("資産の内容"), this);
    auto* eg = new QGridLayout(editor);
    eg->setVerticalSpacing(3);
    boxes_.assign(BoxCount, nullptr);
    auto line = [&](Box b, const char* name, int maxLength) {
        auto* e = new QLineEdit(editor);
        e->setObjectName(QString::fromUtf8(name));
        if (maxLength > 0) e->setMaxLength(maxLength);
        boxes_[static_cast<std::size_t>(b)] = e;
        return e;
    };
    auto combo = [&](Box b, const char* name, const QStringList& items) {
        auto* c = new QComboBox(editor);
        c->setObjectName(QString::fromUtf8(name));
        c->addItems(items);
        boxes_[static_cast<std::size_t>(b)] = c;
        return c;
    };
    line(BoxName, "AssetName", 32);
    QStringList kinds;
    for (int k = 1; k <= kAssetKindCount; ++k) kinds << Q(AssetKindName(k));
    combo(BoxKind, "AssetKind", kinds);
    line(BoxQuantity, "Quantity", 10);
    line(BoxAcquired, "AcquiredOn", 10)->setPlaceholderText(QStringLiteral("2026-04-01"));
    line(BoxFirstUsed, "FirstUsedOn", 10)->setPlaceholderText(QStringLiteral("取得日と同じ"));
    line(BoxCost, "Cost", 13);
    QStringList methods;
    for (int m = 1; m <= 4; ++m) methods << Q(AssetMethodName(m));
    combo(BoxMethod, "Method", methods);
    line(BoxLife, "UsefulLife", 3);
    line(BoxShare, "BusinessShare", 3)->setPlaceholderText(QStringLiteral("100"));
    line(BoxOpening, "OpeningBookValue", 13)->setPlaceholderText(QStringLiteral("本年から使う資産は取得価額"));
    combo(BoxDisposal, "Disposal", {QStringLiteral("使用中"), QStringLiteral("売却"), QStringLiteral("除却")});
    line(BoxDisposalMonth, "DisposalMonth", 2);
    const char* captions[BoxCount] = {"名称",     "種類（勘定科目）", "面積・数量",   "取得年月日",
                                      "事業供用年月日", "取得価額",   "償却方法",     "耐用年数",
                                      "事業専用割合（%）", "期首帳簿価額", "売却・除却", "その月"};
    for (int b = 0; b < BoxCount; ++b) {
        const int column = b / 6, row = b % 6;
        boxes_[static_cast<std::size_t>(b)]->setMaximumWidth(b == BoxName ? 230 : 170);
        eg->addWidget(new QLabel(QString::fromUtf8(captions[b]), editor), row, column * 2);
        eg->addWidget(boxes_[static_cast<std::size_t>(b)], row, column * 2 + 1);
        boxes_[static_cast<std::size_t>(b)]->installEventFilter(this);
    }
    setTabOrder(boxes_[0], boxes_[1]);
    for (int b = 1; b + 1 < BoxCount; ++b)
        setTabOrder(boxes_[static_cast<std::size_t>(b)], boxes_[static_cast<std::size_t>(b + 1)]);

    schedule_ = Table(this, QStringLiteral("ScheduleGrid"),
                      {QStringLiteral("年"), QStringLiteral("期首帳簿価額"), QStringLiteral("償却費"),
                       QStringLiteral("経費算入額"), QStringLiteral("期末帳簿価額")},
                      {5, 12, 10, 10, 12});
    schedule_->setFocusPolicy(Qt::NoFocus);
    auto* scheduleBox = new QGroupBox(QStringLiteral("年ごとの償却費"), this);
    (new QVBoxLayout(scheduleBox))->addWidget(schedule_);

    auto* newButton = SideButton(this, "NewAsset", "新規(F3)");
    auto* apply = SideButton(this, "Apply", "確定(F4)");
    auto* remove = SideButton(this, "Delete", "削除(F6)");
    auto* print = SideButton(this, "Print", "印刷(F8)");
    auto* touroku = SideButton(this, "Touroku", "登録(F10)");
    auto* chudan = SideButton(this, "Chudan", "中断(F5)");
    connect(newButton, &QPushButton::clicked, this, &AssetRegisterForm::NewAsset);
    connect(apply, &QPushButton::clicked, this, [this] { ApplyBoxes(); });
    connect(remove, &QPushButton::clicked, this, &AssetRegisterForm::DeleteAsset);
    connect(print, &QPushButton::clicked, this, &AssetRegisterForm::PrintRegister);
    connect(touroku, &QPushButton::clicked, this, &AssetRegisterForm::Register);
    connect(chudan, &QPushButton::clicked, this, &AssetRegisterForm::CancelEdit);
    for (QPushButton* b : {newButton, apply, remove, print, touroku})
        if (!loaded_) b->setEnabled(false);

    rules_ = new QLabel(this);
    rules_->setObjectName(QStringLiteral("Rules"));
    rules_->setWordWrap(true);
    auto* note = new QLabel(
        QStringLiteral("↑↓で資産を選び、Enterで内容の欄へ。"
                       "欄はEnterで次へ、最後の欄のEnterかF4で確定。"
                       "新しい資産はF3。売った・捨てた資産は「売却・除却」とその月で。"
                       "登録(F10)で保存します。申告書３ページの行と１ページの減価償却費は"
                       "この台帳から記入されます。"),
        this);
    note->setWordWrap(true);
    note->setFixedWidth(300);
    note->setFrameShape(QFrame::Panel);
    note->setFrameShadow(QFrame::Sunken);
    note->setMargin(6);

    auto* buttons = new QGridLayout;
    buttons->addWidget(newButton, 0, 0);
    buttons->addWidget(apply, 0, 1);
    buttons->addWidget(remove, 0, 2);
    buttons->addWidget(print, 1, 0);
    buttons->addWidget(touroku, 1, 1);
    buttons->addWidget(chudan, 1, 2);
    auto* side = new QVBoxLayout;
    side->addWidget(note);
    side->addStretch(1);
    side->addLayout(buttons);
    auto* lower = new QHBoxLayout;
    lower->addWidget(editor, 3);
    lower->addWidget(scheduleBox, 2);
    lower->addLayout(side, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(lower);
    layout->addWidget(rules_);

    WatchFunctionKeys();
    if (loaded_) {
        Recompute(edited_);
        ShowList();
        if (edited_.empty()) {
            NewAsset();
        } else {
            grid_->setCurrentCell(0, 0);
            ShowAsset(0);
            grid_->setFocus();
        }
    }
    adjustSize();
    PlaceForm(this);
}

AssetRegisterForm::~AssetRegisterForm() { Finish(); }

bool AssetRegisterForm::Recompute(const AssetRegister& assets) {
    auto done = DepreciateRegister(assets, westernYear_);
    if (!done) {
        app_.prompt.MsgBox(done.error().detail, MsgStyle::Exclamation, "エラー確認");
        return false;
    }
    edited_ = assets;
    year_ = std::move(*done);
    // The rules the figures rest on; those not yet law are said so.
    QString text;
    for (const std::string& line : ClosingNote(year_))
        if (line.find("改正案") != std::string::npos) text += Q("※ " + line) + QLatin1Char('\n');
    rules_->setText(text.trimmed());
    rules_->setVisible(!text.isEmpty());
    return true;
}

void AssetRegisterForm::ShowList() {
    grid_->setRowCount(static_cast<int>(edited_.size()) + 1);
    for (std::size_t i = 0; i < edited_.size(); ++i) {
        const FixedAsset& a = edited_[i];
        const AssetYear& y = year_.assets[i];
        const int r = static_cast<int>(i);
        std::string note = y.remarks;
        if (a.DisposalKind != DisposalKind::Kept)
            note = std::string(a.DisposalKind == DisposalKind::Sold ? "売却" : "除却") +
                   std::to_string(a.DisposalMonth) + "月";
        if (y.unconfirmed) note += note.empty() ? "改正案" : " 改正案";
        grid_->setItem(r, ColName, Cell(Q(a.AssetName)));
        grid_->setItem(r, ColKind, Cell(Q(AssetKindName(a.AssetKind))));
        grid_->setItem(r, ColAcquired, Cell(Q(DateText(a.AcquiredOn))));
        grid_->setItem(r, ColCost, Cell(Yen(a.Cost), true));
        grid_->setItem(r, ColMethod, Cell(Q(AssetMethodName(a.Method))));
        grid_->setItem(r, ColLife, Cell(a.UsefulLife > 0 ? QString::number(a.UsefulLife) : QString(), true));
        grid_->setItem(r, ColShare, Cell(QString::number(a.BusinessShare), true));
        grid_->setItem(r, ColOpening, Cell(Yen(a.OpeningBookValue), true));
        grid_->setItem(r, ColDepreciation, Cell(Yen(y.depreciation), true));
        grid_->setItem(r, ColExpense, Cell(Yen(y.expense), true));
        grid_->setItem(r, ColPrivate, Cell(Yen(y.privatePart), true));
        grid_->setItem(r, ColClosing, Cell(Yen(y.closingBookValue), true));
        grid_->setItem(r, ColNote, Cell(Q(note)));
    }
    // The totals row.
    const int t = static_cast<int>(edited_.size());
    for (int c = 0; c < ColumnCount; ++c) grid_->setItem(t, c, Cell(QString()));
    grid_->setItem(t, ColName, Cell(QStringLiteral("合計")));
    grid_->setItem(t, ColDepreciation, Cell(Yen(year_.depreciation), true));
    grid_->setItem(t, ColExpense, Cell(Yen(year_.expense), true));
    grid_->setItem(t, ColPrivate, Cell(Yen(year_.privatePart), true));
    grid_->setItem(t, ColClosing, Cell(Yen(year_.closingBookValue), true));
    for (int c = 0; c < ColumnCount; ++c) grid_->item(t, c)->setBackground(QColor(0xE0, 0xE0, 0xE0));
}

void AssetRegisterForm::ShowAsset(std::size_t index) {
    current_ = index;
    const bool kept = index < edited_.size();
    const AssetFields f = kept ? FieldsOf(edited_[index]) : AssetFields{};
    auto set = [&](Box b, const std::string& text) { static_cast<QLineEdit*>(box(b))->setText(Q(text)); };
    auto pick = [&](Box b, int position) { static_cast<QComboBox*>(box(b))->setCurrentIndex(position); };
    set(BoxName, f.name);
    pick(BoxKind, f.kind - 1);
    set(BoxQuantity, f.quantity);
    set(BoxAcquired, f.acquiredOn);
    set(BoxFirstUsed, f.firstUsedOn);
    set(BoxCost, f.cost);
    pick(BoxMethod, f.method - 1);
    set(BoxLife, f.usefulLife);
    set(BoxShare, f.businessShare);
    set(BoxOpening, f.openingBookValue);
    pick(BoxDisposal, f.disposalKind);
    set(BoxDisposalMonth, f.disposalMonth);
    ShowSchedule(kept ? &edited_[index] : nullptr);
}

void AssetRegisterForm::ShowSchedule(const FixedAsset* asset) {
    const std::vector<ScheduleYear> years =
        asset ? AssetSchedule(*asset, westernYear_) : std::vector<ScheduleYear>{};
    schedule_->setRowCount(static_cast<int>(years.size()));
    for (std::size_t i = 0; i < years.size(); ++i) {
        const ScheduleYear& y = years[i];
        const int r = static_cast<int>(i);
        schedule_->setItem(r, 0, Cell(QString::number(y.year), true));
        schedule_->setItem(r, 1, Cell(Yen(y.opening), true));
        schedule_->setItem(r, 2, Cell(Yen(y.figures.depreciation), true));
        schedule_->setItem(r, 3, Cell(Yen(y.figures.expense), true));
        schedule_->setItem(r, 4, Cell(Yen(y.figures.closingBookValue), true));
    }
}

void AssetRegisterForm::NewAsset() {
    if (!loaded_) return;
    ShowAsset(edited_.size());
    grid_->clearSelection();
    box(BoxName)->setFocus();
}

bool AssetRegisterForm::ApplyBoxes() {
    if (!loaded_) return false;
    AssetFields f;
    f.name = S(box(BoxName));
    f.kind = static_cast<QComboBox*>(box(BoxKind))->currentIndex() + 1;
    f.quantity = S(box(BoxQuantity));
    f.acquiredOn = S(box(BoxAcquired));
    f.firstUsedOn = S(box(BoxFirstUsed));
    f.cost = S(box(BoxCost));
    f.method = static_cast<QComboBox*>(box(BoxMethod))->currentIndex() + 1;
    f.usefulLife = S(box(BoxLife));
    f.businessShare = S(box(BoxShare));
    f.openingBookValue = S(box(BoxOpening));
    f.disposalKind = static_cast<QComboBox*>(box(BoxDisposal))->currentIndex();
    f.disposalMonth = S(box(BoxDisposalMonth));
    auto asset = ReadAssetFields(f, westernYear_);
    if (!asset) {
        app_.prompt.MsgBox(asset.error().detail, MsgStyle::Exclamation, "入力確認");
        return false;
    }
    auto changed = WithAsset(edited_, current_, *asset, westernYear_);
    if (!changed) {
        app_.prompt.MsgBox(changed.error().detail, MsgStyle::Exclamation, "入力確認");
        return false;
    }
    const std::size_t at = current_;
    if (!Recompute(*changed)) return false;
    ShowList();
    grid_->setCurrentCell(static_cast<int>(at), 0);
    ShowAsset(at);
    grid_->setFocus();
    return true;
}

void AssetRegisterForm::DeleteAsset() {
    if (!loaded_ || current_ >= edited_.size()) {
        app_.prompt.Beep();
        return;
    }
    if (app_.prompt.MsgBox("「" + edited_[current_].AssetName + "」を台帳から削除しますか？\r\n"
                           "（売った・捨てた資産は、削除せずに売却・除却として下さい）",
                           MsgStyle::YesNoWarning, "削除確認") != Answer::Yes)
        return;
    AssetRegister rest = edited_;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(current_));
    if (!Recompute(rest)) return;
    ShowList();
    const std::size_t at = std::min(current_, edited_.empty() ? 0 : edited_.size() - 1);
    if (edited_.empty()) {
        NewAsset();
    } else {
        grid_->setCurrentCell(static_cast<int>(at), 0);
        ShowAsset(at);
        grid_->setFocus();
    }
}

void AssetRegisterForm::PrintRegister() {
    if (!loaded_) return;
    if (app_.prompt.MsgBox("固定資産台帳を印刷しますか？", MsgStyle::YesNo, "印刷確認") != Answer::Yes) return;
    SendToPrinter(app_, PrintAssetRegister(app_.state, YearRegister{edited_, year_}));
}

void AssetRegisterForm::Register() {
    if (!loaded_) return;
    if (app_.prompt.MsgBox("固定資産台帳を登録しますか？", MsgStyle::YesNoWarning, "登録確認") != Answer::Yes)
        return;
    if (Status st = SaveAssetRegister(AssetRegisterPath(app_.state), edited_); !st) {
        ShowFileError(app_.prompt, st.error());
        return;
    }
    stored_ = edited_;
    Finish();
    accept();
}

void AssetRegisterForm::CancelEdit() {
    if (edited_ != stored_ &&
        app_.prompt.MsgBox("台帳の変更を登録せずに終わりますか？", MsgStyle::YesNoWarning, "中断確認") !=
            Answer::Yes)
        return;
    if (edited_ == stored_ &&
        app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    Finish();
    QDialog::reject();
}

void AssetRegisterForm::NextBox(QWidget* from) {
    for (std::size_t b = 0; b + 1 < boxes_.size(); ++b)
        if (boxes_[b] == from) {
            boxes_[b + 1]->setFocus();
            return;
        }
}

bool AssetRegisterForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == grid_ && enter) {
            const int row = grid_->currentRow();
            if (row >= 0 && static_cast<std::size_t>(row) < edited_.size()) {
                ShowAsset(static_cast<std::size_t>(row));
                box(BoxName)->setFocus();
            } else {
                NewAsset();
            }
            return true;
        }
        for (QWidget* b : boxes_) {
            if (watched != b || !enter) continue;
            if (b == boxes_.back()) ApplyBoxes();
            else NextBox(b);
            return true;
        }
    }
    return GridForm::eventFilter(watched, event);
}

bool AssetRegisterForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F3: NewAsset(); return true;
        case Qt::Key_F4: ApplyBoxes(); return true;
        case Qt::Key_F5: CancelEdit(); return true;
        case Qt::Key_F6: DeleteAsset(); return true;
        case Qt::Key_F8: PrintRegister(); return true;
        case Qt::Key_F10: Register(); return true;
        default: return false;
    }
}

}  // namespace tabulo
