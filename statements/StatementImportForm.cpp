#include "statements/StatementImportForm.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "books/Accounts.h"
#include "books/BooksForms.h"
#include "cashbook/ItemChooser.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/Records.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/EntryScreen.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {

using namespace statements;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

constexpr const char* kTitle = "取り込み確認";
constexpr const char* kErrorTitle = "エラー確認";

QString Yen(Amount v) { return v == 0 ? QString() : Q(FormatAmount(v, true)); }

bool Takeable(const PreviewLine& p) { return p.state == RowState::New || p.state == RowState::Unsure; }

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    QPushButton* b = SideButton(parent, name, caption);
    b->setMinimumHeight(32);
    return b;
}

}  // namespace

StatementImportForm::StatementImportForm(AppContext& app, std::vector<std::filesystem::path> layoutFolders,
                                         QWidget* parent)
    : GridForm(app, QStringLiteral("明細の取り込み"), QStringLiteral("StatementImportForm"), parent),
      layoutFolders_(std::move(layoutFolders)) {
    std::vector<FileError> faults;
    layouts_ = LoadLayouts(layoutFolders_, &faults);
    for (const FileError& f : faults) ShowFileError(app_.prompt, f);
    if (!layoutFolders_.empty()) {
        auto rules = LoadRuleBook(layoutFolders_.front().string());
        if (rules)
            rules_ = std::move(*rules);
        else
            ShowFileError(app_.prompt, rules.error());
    }

    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("FileEdit"));
    file_->setMinimumWidth(420);
    auto* browse = Button(this, "BrowseButton", "参照...");
    layout_ = new QComboBox(this);
    layout_->setObjectName(QStringLiteral("LayoutBox"));
    layout_->addItem(QStringLiteral("（見出しから自動）"), QString());
    for (const Profile& p : layouts_)
        layout_->addItem(Q(p.name) + (p.kind == StatementKind::Card ? QStringLiteral("（カード）") : QString()),
                         Q(p.name));
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("TargetBox"));
    const DepositBookRecord& book = app_.state.DepositBook;
    for (int k = 1; k <= kAccountCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (IsBlank(book.AccountNo[i])) continue;  // no number: not an account
        target_->addItem(QStringLiteral("%1 %2").arg(k).arg(Q(TrimRight(book.AccountName[i]))), k);
    }
    target_->addItem(QStringLiteral("カード"), 0);
    card_ = new QLineEdit(this);
    card_->setObjectName(QStringLiteral("CardEdit"));
    card_->setPlaceholderText(QStringLiteral("カードの名前（楽天カード など）"));
    auto syncCard = [this] { card_->setEnabled(target_->currentData().toInt() == 0); };
    connect(target_, &QComboBox::currentIndexChanged, this, syncCard);
    syncCard();

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);
    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("ファイル"), fileRow);
    top->addRow(QStringLiteral("取り込み設定"), layout_);
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(target_);
    targetRow->addWidget(card_, 1);
    top->addRow(QStringLiteral("取り込み先"), targetRow);

    const QFont gothic = GridFont(10.5);
    const QFontMetrics fm(gothic);
    const auto wide = [&](int zenkaku) { return fm.horizontalAdvance(QString(zenkaku, QChar(0x3000))) + 16; };
    model_ = new TextGridModel(ColumnCount, this);
    model_->SetHeaders({QStringLiteral("取込"), QStringLiteral("状態"), QStringLiteral("日付"), QStringLiteral("摘要"),
                        QStringLiteral("入金"), QStringLiteral("出金"), QStringLiteral("項目・科目"),
                        QStringLiteral("備考")});
    for (int c : {ColTake, ColState}) model_->SetAlignment(c, Qt::AlignCenter);
    for (int c : {ColIn, ColOut}) model_->SetAlignment(c, Qt::AlignRight);
    // A statement of many rows shows at once: a row's texts are made when it is seen.
    grid_ = MakeTextGrid(model_, gothic, this);
    grid_->setObjectName(QStringLiteral("PreviewGrid"));
    const int widths[] = {wide(2), wide(3), fm.horizontalAdvance(QStringLiteral("2026-04-01")) + 16, wide(16),
                          wide(5), wide(5), wide(8), wide(8)};
    for (int c = 0; c < ColumnCount; ++c) grid_->setColumnWidth(c, widths[c]);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setTabKeyNavigation(false);
    grid_->setMinimumHeight(fm.height() * 18);
    int total = 0;
    for (int w : widths) total += w;
    grid_->setMinimumWidth(total + 24);
    grid_->installEventFilter(this);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& at) {
        if (at.column() == ColTake)
            ToggleRow();
        else
            ChooseTarget();
    });
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Summary"));

    auto* read = Button(this, "ReadButton", "読み込み(F2)");
    auto* choose = Button(this, "ChooseButton", "項目・科目(F4)");
    auto* keep = Button(this, "KeepRuleButton", "規則に追加(F6)");
    auto* rules = Button(this, "RulesButton", "規則一覧(F7)");
    importButton_ = Button(this, "ImportButton", "取り込み(F10)");
    auto* undo = Button(this, "UndoButton", "元に戻す(Ctrl+Z)");
    auto* close = Button(this, "EndButton", "終了(F5)");
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("明細のファイル"), file_->text(),
                                                            QStringLiteral("明細 (*.csv *.CSV *.txt);;すべて (*)"));
        if (!chosen.isEmpty()) file_->setText(chosen);
    });
    connect(read, &QPushButton::clicked, this, &StatementImportForm::ReadStatementFile);
    connect(choose, &QPushButton::clicked, this, &StatementImportForm::ChooseTarget);
    connect(keep, &QPushButton::clicked, this, &StatementImportForm::KeepRule);
    connect(rules, &QPushButton::clicked, this, &StatementImportForm::OpenRules);
    connect(importButton_, &QPushButton::clicked, this, &StatementImportForm::Import);
    connect(undo, &QPushButton::clicked, this, &StatementImportForm::UndoLastImport);
    connect(close, &QPushButton::clicked, this, &StatementImportForm::CloseForm);

    auto* note = new QLabel(
        QStringLiteral("ファイルと取り込み先を選び、読み込み(F2)で明細を表示します。\n"
                       "スペースキーで取り込む行を選び（新規の行は選んであります）、\n"
                       "Enterキーか F4 で項目（預金の明細）または勘定科目（カードの明細）を\n"
                       "選びます。F6 でその行の選択を規則にします。\n"
                       "既存: 取り込み済み　要確認: 同じ日付・金額の行が帳簿にある\n"
                       "年度外: 今年度の日付でない（取り込みません）"),
        this);
    note->setObjectName(QStringLiteral("Coment"));
    note->setFrameShape(QFrame::Panel);
    note->setFrameShadow(QFrame::Sunken);
    note->setMargin(6);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {read, choose, keep, rules, importButton_, undo, close}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    head->addLayout(top, 1);
    head->addWidget(note);
    layout->addLayout(head);
    layout->addWidget(grid_, 1);
    layout->addWidget(summary_);
    layout->addLayout(buttons);

    WatchFunctionKeys();
    ShowRows();
    file_->setFocus();
    adjustSize();
    PlaceForm(this);
}

StatementImportForm::~StatementImportForm() { Finish(); }

ImportTarget StatementImportForm::Target() const {
    const int account = target_->currentData().toInt();
    if (account > 0) return ImportTarget{StatementKind::Bank, account, {}};
    return ImportTarget{StatementKind::Card, 0, Trim(S(card_->text()))};
}

void StatementImportForm::ReadStatementFile() {
    const std::string path = Trim(S(file_->text()));
    if (path.empty()) {
        app_.prompt.MsgBox("明細のファイルを指定してください。", MsgStyle::Exclamation, kErrorTitle);
        file_->setFocus();
        return;
    }
    std::optional<WaitCursor> wait(std::in_place);
    auto opened = OpenStatement(std::filesystem::path(path), layouts_, S(layout_->currentData().toString()));
    wait.reset();
    if (!opened) {
        ShowFileError(app_.prompt, opened.error());
        return;
    }
    const ImportTarget target = Target();
    if (opened->layout.kind != target.kind) {
        app_.prompt.MsgBox(opened->layout.kind == StatementKind::Bank
                               ? "「" + opened->layout.name + "」は銀行の明細です。取り込み先に預金口座を選んでください。"
                               : "「" + opened->layout.name + "」はカードの明細です。取り込み先にカードを選び、その名前を入れてください。",
                           MsgStyle::Exclamation, kErrorTitle);
        target_->setFocus();
        return;
    }
    if (target.kind == StatementKind::Card && target.card.empty()) {
        app_.prompt.MsgBox("カードの名前を入れてください。", MsgStyle::Exclamation, kErrorTitle);
        card_->setFocus();
        return;
    }
    opened_ = std::move(*opened);
    shownTarget_ = target;
    preview_.clear();
    Refresh();
    grid_->setFocus();
    SetCurrent(0, ColTarget);
}

void StatementImportForm::Refresh() {
    auto preview = PreviewImport(app_.state, shownTarget_, opened_.read.rows, ChoicesFor(rules_, shownTarget_.kind));
    if (!preview) {
        ShowFileError(app_.prompt, preview.error(), app_.state);
        return;
    }
    // Rows of another year are listed apart, after the year's own.
    std::stable_partition(preview->begin(), preview->end(),
                          [](const PreviewLine& p) { return p.state != RowState::OutsideYear; });
    // The user's own ticks and choices stay on the rows that are still to take.
    for (std::size_t i = 0; i < preview->size() && i < preview_.size(); ++i) {
        PreviewLine& now = (*preview)[i];
        if (!Takeable(now) || !(preview_[i].key == now.key)) continue;
        now.ticked = preview_[i].ticked;
        const Assignment& mine = preview_[i].assigned;
        if (mine.target != 0 && !mine.fromRule && !mine.fromLastChoice) now.assigned = mine;
    }
    preview_ = std::move(*preview);
    ShowRows();
}

int StatementImportForm::CurrentRow() const { return grid_->currentIndex().row(); }

void StatementImportForm::SetCurrent(int row, int column) {
    if (row >= 0 && row < model_->rowCount()) grid_->setCurrentIndex(model_->index(row, column));
}

void StatementImportForm::ShowRows() {
    const QModelIndex current = grid_->currentIndex();
    model_->SetLazyRows(static_cast<int>(preview_.size()), [this](int r) { return RowTexts(r); });
    int counts[4] = {0, 0, 0, 0}, ticked = 0;
    for (const PreviewLine& p : preview_) {
        ++counts[static_cast<int>(p.state)];
        ticked += p.ticked && Takeable(p);
    }
    summary_->setText(preview_.empty() ? QStringLiteral("明細を読み込んでいません。")
                                       : QStringLiteral("%1（%2）　新規 %3 行　既存 %4 行　要確認 %5 行　年度外 %6 行　取り込む行 %7 行")
                                             .arg(Q(opened_.layout.name))
                                             .arg(QString::fromUtf8(EncodingName(opened_.encoding)))
                                             .arg(counts[0])
                                             .arg(counts[1])
                                             .arg(counts[2])
                                             .arg(counts[3])
                                             .arg(ticked));
    if (current.isValid()) SetCurrent(current.row(), current.column());
}

QStringList StatementImportForm::RowTexts(int r) const {
    const PreviewLine& p = preview_[static_cast<std::size_t>(r)];
    const std::string name = ChoiceName(app_.state, shownTarget_.kind, p.assigned.target);
    return {Takeable(p) ? (p.ticked ? QStringLiteral("■") : QStringLiteral("□")) : QString(),
            QString::fromUtf8(RowStateName(p.state)),
            QStringLiteral("%1-%2-%3")
                .arg(p.row.date.year, 4, 10, QLatin1Char('0'))
                .arg(p.row.date.month, 2, 10, QLatin1Char('0'))
                .arg(p.row.date.day, 2, 10, QLatin1Char('0')),
            Q(p.row.description),
            Yen(p.row.in),
            Yen(p.row.out),
            p.assigned.target == 0 ? QString() : QStringLiteral("%1 %2").arg(p.assigned.target).arg(Q(name)),
            Q(p.assigned.remarks)};
}

void StatementImportForm::ToggleRow() {
    const int r = CurrentRow();
    if (r < 0 || r >= static_cast<int>(preview_.size()) || !Takeable(preview_[static_cast<std::size_t>(r)])) {
        app_.prompt.Beep();
        return;
    }
    PreviewLine& p = preview_[static_cast<std::size_t>(r)];
    p.ticked = !p.ticked;
    ShowRows();
}

void StatementImportForm::ChooseTarget() {
    const int r = CurrentRow();
    if (r < 0 || r >= static_cast<int>(preview_.size()) || !Takeable(preview_[static_cast<std::size_t>(r)])) {
        app_.prompt.Beep();
        return;
    }
    PreviewLine& p = preview_[static_cast<std::size_t>(r)];
    int chosen = 0;
    if (shownTarget_.kind == StatementKind::Bank) {
        // Money in takes an item of category 3, money out one of category 6.
        ItemChooser chooser(app_, p.assigned.target, p.row.in > 0 ? Kubun::IntoAccount : Kubun::DebitAccount, this);
        chooser.exec();
        chosen = chooser.Chosen();
    } else {
        chosen = std::max(0, PickAccount(app_, false, false, p.assigned.target, this));
        if (chosen == kCardPayableAccount) {
            app_.prompt.MsgBox("未払金はカードの支払い先の科目です。費用の科目を選んでください。", MsgStyle::Exclamation,
                               kErrorTitle);
            chosen = 0;
        }
    }
    if (chosen > 0) {
        p.assigned.target = chosen;
        p.assigned.fromRule = p.assigned.fromLastChoice = false;
        p.ticked = true;
        ShowRows();
    }
    SetCurrent(r, ColTarget);
    grid_->setFocus();
}

void StatementImportForm::KeepRule() {
    const int r = CurrentRow();
    if (r < 0 || r >= static_cast<int>(preview_.size()) || preview_[static_cast<std::size_t>(r)].assigned.target == 0) {
        app_.prompt.Beep();
        return;
    }
    const PreviewLine& p = preview_[static_cast<std::size_t>(r)];
    const ImportRule rule{Trim(p.row.description), p.assigned.target, p.assigned.remarks};
    if (std::string why = RuleFault(rule, shownTarget_.kind); !why.empty()) {
        app_.prompt.MsgBox(why, MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    const std::string item = ChoiceName(app_.state, shownTarget_.kind, rule.target);
    if (app_.prompt.MsgBox("摘要に「" + rule.contains + "」を含む行を「" + item + "」にする規則を追加しますか？",
                           MsgStyle::YesNoWarning, "規則の確認") != Answer::Yes)
        return;
    KeepAsRule(rules_, shownTarget_.kind, rule);
    SaveRules();
    Refresh();
}

void StatementImportForm::SaveRules() {
    if (layoutFolders_.empty()) return;
    if (Status st = SaveRuleBook(layoutFolders_.front().string(), rules_); !st) ShowFileError(app_.prompt, st.error());
}

void StatementImportForm::OpenRules() {
    const std::string folder = layoutFolders_.empty() ? std::string() : layoutFolders_.front().string();
    ImportRulesForm form(app_, rules_, folder, this);
    form.exec();
    if (!preview_.empty()) Refresh();
    grid_->setFocus();
}

void StatementImportForm::Import() {
    std::vector<ImportRow> rows = TickedRows(preview_);
    if (rows.empty()) {
        app_.prompt.MsgBox("取り込む行がありません。", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    for (std::size_t i = 0; i < preview_.size(); ++i) {
        const PreviewLine& p = preview_[i];
        if (p.ticked && Takeable(p) && p.assigned.target == 0) {
            SetCurrent(static_cast<int>(i), ColTarget);
            app_.prompt.MsgBox(shownTarget_.kind == StatementKind::Bank ? "項目を選んでいない行があります。"
                                                                         : "勘定科目を選んでいない行があります。",
                               MsgStyle::Exclamation, kErrorTitle);
            return;
        }
    }
    if (app_.prompt.MsgBox(std::to_string(rows.size()) + " 行を取り込みますか？", MsgStyle::YesNoWarning, kTitle) !=
        Answer::Yes)
        return;
    std::optional<WaitCursor> wait(std::in_place);
    auto done = ImportRows(app_.state, shownTarget_, rows);
    wait.reset();
    if (!done) {
        if (done.error().path.empty())
            app_.prompt.MsgBox(done.error().detail, MsgStyle::Exclamation, kErrorTitle);
        else
            ShowFileError(app_.prompt, done.error(), app_.state);
        if (done.error().line > 0)
            for (std::size_t i = 0; i < preview_.size(); ++i)
                if (preview_[i].row.line == done.error().line) SetCurrent(static_cast<int>(i), ColTarget);
        return;
    }
    if (done->taken > 0) undo_.push_back(std::move(done->undo));
    RememberChoices(rules_, shownTarget_.kind, rows);
    SaveRules();
    preview_.clear();
    Refresh();
    std::string told = std::to_string(done->taken) + " 行を取り込みました。";
    if (done->alreadyIn > 0) told += "（" + std::to_string(done->alreadyIn) + " 行は取り込み済みでした）";
    app_.prompt.MsgBox(told, MsgStyle::Ok, "");
}

void StatementImportForm::UndoLastImport() {
    if (undo_.empty()) {
        app_.prompt.MsgBox("元に戻せる取り込みがありません。", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    if (app_.prompt.MsgBox("直前の取り込み（" + std::to_string(undo_.back().taken) + " 行）を元に戻しますか？",
                           MsgStyle::YesNoWarning, "元に戻す確認") != Answer::Yes)
        return;
    auto undone = UndoImport(app_.state, undo_.back());
    if (!undone) {
        ShowFileError(app_.prompt, undone.error(), app_.state);
        return;
    }
    if (!undone->undone) {
        app_.prompt.MsgBox(undone->refusal, MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    undo_.pop_back();
    if (!opened_.read.rows.empty()) Refresh();
}

void StatementImportForm::CloseForm() {
    Finish();
    QDialog::reject();
}

bool StatementImportForm::FunctionKey(int key) {
    switch (key) {
    case Qt::Key_F2: ReadStatementFile(); return true;
    case Qt::Key_F4: ChooseTarget(); return true;
    case Qt::Key_F5: CloseForm(); return true;
    case Qt::Key_F6: KeepRule(); return true;
    case Qt::Key_F7: OpenRules(); return true;
    case Qt::Key_F10: Import(); return true;
    default: return false;
    }
}

bool StatementImportForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier) {
            UndoLastImport();
            return true;
        }
        if (watched == grid_ && key->modifiers() == Qt::NoModifier) {
            switch (key->key()) {
            case Qt::Key_Space: ToggleRow(); return true;
            case Qt::Key_Return:
            case Qt::Key_Enter: ChooseTarget(); return true;
            default: break;
            }
        }
    }
    return GridForm::eventFilter(watched, event);
}

// ---- 取り込みの規則 ----

ImportRulesForm::ImportRulesForm(AppContext& app, RuleBook& book, const std::string& folder, QWidget* parent)
    : GridForm(app, QStringLiteral("取り込みの規則"), QStringLiteral("ImportRulesForm"), parent),
      book_(book),
      folder_(folder) {
    grid_ = new QTableWidget(0, ColumnCount, this);
    grid_->setObjectName(QStringLiteral("RulesGrid"));
    grid_->setFont(GridFont(10.5));
    grid_->setHorizontalHeaderLabels({QStringLiteral("種類"), QStringLiteral("摘要に含む文字"),
                                      QStringLiteral("項目・科目の番号"), QStringLiteral("備考")});
    const QFontMetrics fm(grid_->font());
    const auto wide = [&](int zenkaku) { return fm.horizontalAdvance(QString(zenkaku, QChar(0x3000))) + 16; };
    const int widths[] = {wide(4), wide(16), wide(9), wide(10)};
    for (int c = 0; c < ColumnCount; ++c) grid_->setColumnWidth(c, widths[c]);
    grid_->setMinimumWidth(widths[0] + widths[1] + widths[2] + widths[3] + 24);
    grid_->setMinimumHeight(fm.height() * 14);
    grid_->verticalHeader()->setVisible(false);
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);
    for (const ImportRule& r : book_.bank) AddRow(StatementKind::Bank, r);
    for (const ImportRule& r : book_.card) AddRow(StatementKind::Card, r);
    grid_->installEventFilter(this);

    auto* touroku = Button(this, "Touroku", "登録(F10)");
    auto* chudan = Button(this, "Chudan", "中断(F5)");
    connect(touroku, &QPushButton::clicked, this, &ImportRulesForm::Register);
    connect(chudan, &QPushButton::clicked, this, &ImportRulesForm::CancelEdit);
    auto* note = new QLabel(QStringLiteral("種類は「預金」か「カード」。預金の規則は項目の番号（1〜50）、\n"
                                           "カードの規則は勘定科目のコードを書きます。\n"
                                           "Insertキーで行を追加、Deleteキーで行を削除します。\n"
                                           "上の規則ほど先に当てはめます。"),
                            this);
    note->setFrameShape(QFrame::Panel);
    note->setFrameShadow(QFrame::Sunken);
    note->setMargin(6);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(touroku);
    buttons->addWidget(chudan);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    WatchFunctionKeys();
    grid_->setFocus();
    if (grid_->rowCount() > 0) grid_->setCurrentCell(0, ColText);
    adjustSize();
    PlaceForm(this);
}

ImportRulesForm::~ImportRulesForm() { Finish(); }

void ImportRulesForm::AddRow(StatementKind kind, const ImportRule& rule) {
    const int r = grid_->rowCount();
    grid_->insertRow(r);
    grid_->setItem(r, ColKind, new QTableWidgetItem(kind == StatementKind::Bank ? QStringLiteral("預金")
                                                                                : QStringLiteral("カード")));
    grid_->setItem(r, ColText, new QTableWidgetItem(Q(rule.contains)));
    grid_->setItem(r, ColTarget, new QTableWidgetItem(rule.target == 0 ? QString() : QString::number(rule.target)));
    grid_->setItem(r, ColRemarks, new QTableWidgetItem(Q(rule.remarks)));
}

void ImportRulesForm::Register() {
    RuleBook changed = book_;
    changed.bank.clear();
    changed.card.clear();
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const auto text = [&](int c) { return grid_->item(r, c) ? Trim(S(grid_->item(r, c)->text())) : std::string(); };
        if (text(ColText).empty() && text(ColTarget).empty()) continue;  // a row left blank
        const std::string kindText = text(ColKind);
        const bool bank = kindText == "預金" || kindText == "bank";
        const bool card = kindText == "カード" || kindText == "card";
        ImportRule rule{text(ColText), static_cast<int>(Val(text(ColTarget))), text(ColRemarks)};
        std::string why = !bank && !card ? "種類は「預金」か「カード」です。"
                                         : RuleFault(rule, bank ? StatementKind::Bank : StatementKind::Card);
        if (!why.empty()) {
            grid_->setCurrentCell(r, bank || card ? ColTarget : ColKind);
            app_.prompt.MsgBox(std::to_string(r + 1) + " 行目: " + why, MsgStyle::Exclamation, kErrorTitle);
            return;
        }
        (bank ? changed.bank : changed.card).push_back(std::move(rule));
    }
    if (!folder_.empty())
        if (Status st = SaveRuleBook(folder_, changed); !st) {
            ShowFileError(app_.prompt, st.error());
            return;
        }
    book_ = std::move(changed);
    Finish();
    accept();
}

void ImportRulesForm::CancelEdit() {
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes) return;
    Finish();
    QDialog::reject();
}

bool ImportRulesForm::FunctionKey(int key) {
    switch (key) {
    case Qt::Key_F5: CancelEdit(); return true;
    case Qt::Key_F10: Register(); return true;
    default: return false;
    }
}

bool ImportRulesForm::eventFilter(QObject* watched, QEvent* event) {
    // While a cell is edited its keys go to the editor, not to the grid.
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Insert) {
            AddRow(StatementKind::Bank, {});
            grid_->setCurrentCell(grid_->rowCount() - 1, ColText);
            return true;
        }
        if (key->key() == Qt::Key_Delete && grid_->currentRow() >= 0) {
            grid_->removeRow(grid_->currentRow());
            return true;
        }
    }
    return GridForm::eventFilter(watched, event);
}

}  // namespace tabulo
