#include "master/MasterForm.h"

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
#include <QVBoxLayout>

#include "ui/FilteredLineEdit.h"
#include "ui/GridCellEditor.h"
#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/FormSupport.h"

namespace tabulo {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
QString Lines(std::initializer_list<const char*> lines) {
    QStringList list;
    for (const char* l : lines) list << QString::fromUtf8(l);
    return list.join(QLatin1Char('\n'));
}

constexpr const char* kBoxLabels[kHeaderBoxCount] = {
    "事業所名",    "住所",         "事業所所在地", "業種名",     "氏名",       "フリガナ",
    "電話(自宅）", "電話(事業所)", "加入団体名",   "税理士住所", "税理士氏名", "税理士電話番号"};

}  // namespace

MasterForm::MasterForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("マスター登録"), QStringLiteral("MasterForm"), parent) {

    auto* layout = new QVBoxLayout(this);
    auto* headerArea = new QWidget(this);
    BuildHeader(headerArea);
    layout->addWidget(headerArea);

    auto* middle = new QHBoxLayout;
    layout->addLayout(middle, 1);
    BuildGrid();
    middle->addWidget(grid_);

    auto* side = new QVBoxLayout;
    middle->addLayout(side);
    auto* legends = new QHBoxLayout;
    legends->setSpacing(24);
    side->addLayout(legends);
    auto addLegend = [&](const char* name, const char* heading, QString text) {
        auto* box = new QVBoxLayout;
        auto* title = new QLabel(QString::fromUtf8(heading), this);
        title->setStyleSheet(QStringLiteral("font-weight: bold;"));
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromUtf8(name));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        box->addWidget(title);
        box->addWidget(label);
        box->addStretch();
        legends->addLayout(box);
    };
    addLegend("KubunLegend", "区分",
              Lines({"１＝収入", "２＝預金繰り入れ", "３＝口座振り込み", " ４＝支出", "５＝預金",
                     "６＝口座引落とし", "７＝繰越"}));
    addLegend("Kubun2Legend", "区分2",
              Lines({"１＝売上", "２＝その他の収入", "３＝家事消費", "これ以外は０"}));
    addLegend("Kubun3Legend", "区分3",
              Lines({"申告書１ページの", "丸数字を登録", "収入はすべて１", "その他は該当の数字"}));

    auto* note = new QLabel(
        Lines({"マスター項目への入力は", "マウスで該当のセルをクリック",
               "またはEnterキーを押します", "再度Enterキーを押しますと、入力モード解除になります",
               "入力ミスなどの取り消しはEscキーで元の状態に復帰します"}),
        this);
    note->setObjectName(QStringLiteral("Coment"));
    note->setFrameShape(QFrame::Panel);
    note->setFrameShadow(QFrame::Sunken);
    note->setMargin(6);
    side->addSpacing(12);
    side->addWidget(note);
    side->addStretch();

    auto makeButton = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoDefault(false);
        b->setMinimumHeight(36);
        return b;
    };
    inputData_ = makeButton("InputData", "項目入力(F2)", "マスター項目入力へ移動します");
    touroku_ = makeButton("Touroku", "登録(F10)", "登録して終了します");
    chudan_ = makeButton("Chudan", "中断(F5)", "作業を中断して終了します");
    kamoku_ = makeButton("Kamoku", "勘定科目(F6)",
                         "収入でも経費でもない項目の勘定科目（複式簿記）を決めます");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(inputData_);
    buttons->addWidget(kamoku_);
    buttons->addWidget(touroku_);
    buttons->addWidget(chudan_);
    side->addLayout(buttons);
    connect(inputData_, &QPushButton::clicked, this, &MasterForm::MoveToGrid);
    connect(touroku_, &QPushButton::clicked, this, &MasterForm::Register);
    connect(chudan_, &QPushButton::clicked, this, &MasterForm::CancelEdit);
    connect(kamoku_, &QPushButton::clicked, this, &MasterForm::OpenItemAccounts);
    kamoku_->setEnabled(app_.forms != nullptr && app_.forms->CanOpen(FormId::ItemAccounts));

    FillGrid();
    WatchFunctionKeys();

    adjustSize();
    PlaceForm(this);
}

MasterForm::~MasterForm() { Finish(); }

void MasterForm::BuildHeader(QWidget* area) {
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    for (int box = 1; box <= kHeaderBoxCount; ++box) {
        auto* label = new QLabel(QString::fromUtf8(kBoxLabels[box - 1]), area);
        label->setObjectName(QStringLiteral("Label1_%1").arg(box));
        auto* edit = new FilteredLineEdit(app_.prompt, area);
        edit->setObjectName(QStringLiteral("Text1_%1").arg(box));
        edit->SetKeyFilter([box](char32_t ch) { return AcceptsHeaderKey(box, ch); },
                           HeaderKeyTransform);
        edit->setText(Q(app_.state.MasterHeader[HeaderFieldOfBox(box)]));
        edit->setCursorPosition(0);
        label->setBuddy(edit);
        boxes_[box - 1] = edit;
        int row = (box - 1) % 6;
        int column = (box - 1) / 6 * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

void MasterForm::BuildGrid() {
    grid_ = new QTableWidget(kItemCount, MasterColumn::Count, this);
    grid_->setObjectName(QStringLiteral("Grid1"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("    項目名"),
                                      QStringLiteral("区分"), QStringLiteral("区分2"),
                                      QStringLiteral("区分3")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QFontMetrics fm(grid_->font());
    int pad = 16;
    int digit = fm.horizontalAdvance(QLatin1Char('0'));
    auto headWidth = [&](int c) {
        return fm.horizontalAdvance(grid_->horizontalHeaderItem(c)->text()) + pad + 8;
    };
    // No. is 450 twips (30 pixels) unless the heading needs more.
    grid_->setColumnWidth(MasterColumn::No, std::max({30, digit * 3 + pad, headWidth(0)}));
    grid_->setColumnWidth(
        MasterColumn::Name,
        std::max(fm.horizontalAdvance(QStringLiteral("ＷＷＷＷＷＷＷＷ")),
                 fm.horizontalAdvance(QString(kItemNameBytes, QLatin1Char('W')))) +
            fm.horizontalAdvance(QLatin1Char('W')) + pad);
    for (int c = MasterColumn::Kubun; c <= MasterColumn::Kubun3; ++c)
        grid_->setColumnWidth(c, std::max(digit * 3 + pad, headWidth(c)));
    grid_->verticalHeader()->setDefaultSectionSize(fm.height() + 8);

    int width = 2 * grid_->frameWidth();
    for (int c = 0; c < MasterColumn::Count; ++c) width += grid_->columnWidth(c);
    width += grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    grid_->setFixedWidth(width);
    grid_->setMinimumHeight(grid_->horizontalHeader()->sizeHint().height() +
                            15 * grid_->verticalHeader()->defaultSectionSize());

    GridCellEditor::Hooks hooks;
    hooks.accepts = [](int column, char32_t ch) { return AcceptsGridKey(column, ch); };
    hooks.openText = [](int column, const QString& text) {
        return column == MasterColumn::Name ? text : text.trimmed();
    };
    hooks.commit = [](int, int column, const QString& typed) -> std::optional<QString> {
        return Q(CommitCellText(column, S(typed)));
    };
    // Codes are at most three digits, which is all the cell shows.
    hooks.maxLength = [](int column) { return column == MasterColumn::Name ? 32767 : 3; };
    hooks.alignment = [](int column) {
        return column == MasterColumn::Name ? Qt::AlignLeft | Qt::AlignVCenter
                                            : Qt::AlignRight | Qt::AlignVCenter;
    };
    cellEditor_ = new GridCellEditor(grid_, app_.prompt, MasterColumn::Name, MasterColumn::Kubun3,
                                     std::move(hooks), this);
}

void MasterForm::FillGrid() {
    const QColor fixedColour(0xE0, 0xE0, 0xE0);
    for (int i = 1; i <= kItemCount; ++i) {
        const ItemEntry& item = app_.state.ItemTableEdit[i];
        auto set = [&](int column, const std::string& text, Qt::Alignment align) {
            auto* cell = new QTableWidgetItem(Q(text));
            cell->setTextAlignment(align | Qt::AlignVCenter);
            if (column == MasterColumn::No) {
                cell->setFlags(Qt::ItemIsEnabled);
                cell->setBackground(fixedColour);
            } else {
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            grid_->setItem(i - 1, column, cell);
        };
        set(MasterColumn::No, ItemNoCellText(i), Qt::AlignRight);
        set(MasterColumn::Name, NameCellText(item), Qt::AlignLeft);
        set(MasterColumn::Kubun, CodeCellText(item.ItemKubun), Qt::AlignRight);
        set(MasterColumn::Kubun2, CodeCellText(item.ItemKubun2), Qt::AlignRight);
        set(MasterColumn::Kubun3, CodeCellText(item.ItemKubun3), Qt::AlignRight);
    }
    grid_->setCurrentCell(0, MasterColumn::Name);
}

void MasterForm::MoveToGrid() {
    if (grid_->currentRow() < 0) grid_->setCurrentCell(0, MasterColumn::Name);
    grid_->setFocus(Qt::OtherFocusReason);
}

void MasterForm::Register() {
    if (cellEditor_->IsEditing()) {
        app_.prompt.Beep();
        return;
    }
    if (app_.prompt.MsgBox("マスターデータを更新しますか？", MsgStyle::YesNoWarning, "更新確認") !=
        Answer::Yes)
        return;

    SharedState& s = app_.state;
    ItemTableArray edited = s.ItemTableEdit;
    for (int i = 1; i <= kItemCount; ++i) {
        auto text = [&](int column) { return S(grid_->item(i - 1, column)->text()); };
        edited[i] = ItemFromCells({text(MasterColumn::Name), text(MasterColumn::Kubun),
                                   text(MasterColumn::Kubun2), text(MasterColumn::Kubun3)},
                                  s.KubunNames);
    }
    std::array<std::string, kHeaderBoxCount> texts;
    for (int box = 1; box <= kHeaderBoxCount; ++box) texts[box - 1] = S(boxes_[box - 1]->text());

    // A failed write leaves the tables as they were, so memory still matches the file;
    // the edits stay on the screen for another try.
    const ItemTableArray oldTable = s.ItemTable;
    const ItemTableArray oldEdit = s.ItemTableEdit;
    const MasterHeaderArray oldHeader = s.MasterHeader;
    s.ItemTableEdit = edited;
    s.MasterHeader = HeaderFromBoxes(texts);
    Status saved = SaveMaster(s);
    if (!saved) {
        s.ItemTable = oldTable;
        s.ItemTableEdit = oldEdit;
        s.MasterHeader = oldHeader;
        ShowFileError(app_.prompt, saved.error(), app_.state);
        return;
    }
    // Report headings use the business name kept at load; keep it current.
    s.ReportTitleName = s.MasterHeader[MasterField::BusinessName];
    Status paths = BuildDataPaths(s);
    if (!paths) ShowFileError(app_.prompt, paths.error(), app_.state);
    Finish();
    accept();
}

void MasterForm::CancelEdit() {
    if (cellEditor_->IsEditing()) {
        app_.prompt.Beep();
        return;
    }
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    SharedState& s = app_.state;
    s.ReportTitleName = s.MasterHeader[MasterField::BusinessName];
    s.ItemTableEdit = s.ItemTable;
    Finish();
    QDialog::reject();
}

void MasterForm::OpenItemAccounts() {
    if (cellEditor_->IsEditing() || !kamoku_->isEnabled()) {
        app_.prompt.Beep();
        return;
    }
    // The accounts screen reads the items as last saved.
    app_.forms->OpenForm(FormId::ItemAccounts, this);
    grid_->setFocus(Qt::OtherFocusReason);
}




bool MasterForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F10:
            Register();
            return true;
        case Qt::Key_F5:
            CancelEdit();
            return true;
        case Qt::Key_F6:
            OpenItemAccounts();
            return true;
        case Qt::Key_F2:
            if (cellEditor_->IsEditing()) {
                app_.prompt.Beep();
            } else {
                MoveToGrid();
            }
            return true;
        default:
            return false;
    }
}



}  // namespace tabulo
