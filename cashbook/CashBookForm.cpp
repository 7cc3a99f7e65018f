#include "cashbook/CashBookForm.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "cashbook/Aggregation.h"
#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "cashbook/PageSet.h"
#include "cashbook/PageView.h"
#include "cashbook/ItemChooser.h"
#include "cashbook/Undo.h"
#include "deposits/DepositChooser.h"
#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"

namespace tabulo {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Windows colours are blue-green-red: 0xC0FFFF is #FFFFC0, 0xFFFFC0 is #C0FFFF.
const QColor kFocusColour(0xFF, 0xFF, 0xC0);
const QColor kLockedColour(0xC0, 0xFF, 0xFF);

const char* const kRowRefused = "この行には入力できません！";
const char* const kDateFirst = "先に日付を入力してください";
const char* const kKubunHint = "区分の選択は区分のセルをクリックまたはEnterキーを押します";
const char* const kDepositHint = "預金データの選択は入力セルをクリックします";

// The toolbar buttons the main window gives up while the cash book is open.
constexpr int kToolbarOff[] = {ToolButton::Input, ToolButton::ItemLedger, ToolButton::Master,
                               ToolButton::Deposits, ToolButton::End};

std::string WithoutCommas(const QString& text) {
    std::string s = Trim(S(text));
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    return s;
}

}  // namespace

CashBookForm::CashBookForm(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("データ入力"));
    setModal(true);
    TrimWorkingSet();
    BuildScreen();
    for (int b : kToolbarOff) app_.toolbar.SetButtonEnabled(b, false);

    page_ = LastPage(LineCount(), app_.state.PageLimit);
    ShowPage();
    focusRow_ = 1;
    for (int r = 1; r <= 10; ++r) {
        if (LineOf(r) == LineCount() + 1) focusRow_ = r;
    }
    field(ColDate, focusRow_)->setFocus();
}

CashBookForm::~CashBookForm() = default;

void CashBookForm::GoToLine(int line) {
    if (line < 1 || line > LineCount()) return;
    const int page = (line + 9) / 10;
    if (page > app_.state.PageLimit) return;
    page_ = page;
    ShowPage();
    focusCol_ = ColDate;
    focusRow_ = line - (page - 1) * 10;
    field(ColDate, focusRow_)->setFocus();
}

// ---- Building the screen ----

void CashBookForm::BuildScreen() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
    font.setPointSize(11);
    font.setStyleHint(QFont::Monospace);
    setFont(font);
    normalBase_ = palette().color(QPalette::Base);
    const int ch = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(6);

    // Line count, fiscal year and page.
    auto* top = new QHBoxLayout;
    auto framed = [&](QLabel* l, int chars) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(ch * chars + 10);
        return l;
    };
    top->addWidget(new QLabel(QStringLiteral("登録データ数"), this));
    dataMax_ = framed(new QLabel(this), 6);
    top->addWidget(dataMax_);
    top->addSpacing(ch * 3);
    top->addWidget(new QLabel(QStringLiteral("年度"), this));
    midashi_ = framed(new QLabel(Q(RightAlign(std::to_string(app_.state.FiscalYear), 3)), this), 4);
    top->addWidget(midashi_);
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("ページ"), this));
    pageLabel_ = framed(new QLabel(this), 4);
    top->addWidget(pageLabel_);
    outer->addLayout(top);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    const char* heads[] = {"No", "年月日", "曜日", "区分", "項目名", "収入", "支出", "残高", "備考"};
    for (int c = 0; c < 9; ++c) {
        auto* h = new QLabel(Q(heads[c]), this);
        h->setAlignment(Qt::AlignCenter);
        h->setFrameShape(QFrame::Panel);
        h->setFrameShadow(QFrame::Raised);
        h->setStyleSheet(QStringLiteral("background:#000080; color:white; padding:2px;"));
        grid->addWidget(h, 0, c);
    }
    auto box = [&](int chars, bool display, Qt::Alignment align) {
        auto* e = new QLineEdit(this);
        e->setFixedWidth(ch * chars + 12);
        e->setAlignment(align | Qt::AlignVCenter);
        if (display) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
        } else {
            e->installEventFilter(this);
        }
        return e;
    };
    for (int r = 1; r <= 10; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r - 1)];
        row.no = new QLabel(this);
        row.no->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.no->setMinimumWidth(ch * 5);
        row.date = box(7, false, Qt::AlignLeft);
        row.date->setMaxLength(6);
        row.date->setInputMethodHints(Qt::ImhDigitsOnly);
        row.youbi = box(7, true, Qt::AlignLeft);
        row.kubun = box(3, false, Qt::AlignRight);
        row.kubun->setReadOnly(true);
        row.name = box(17, true, Qt::AlignLeft);
        row.in = box(11, false, Qt::AlignRight);
        row.out = box(11, false, Qt::AlignRight);
        row.in->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
        row.out->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
        row.zandaka = box(14, true, Qt::AlignRight);  // room for "-2,147,483,648"
        row.bikou = box(17, false, Qt::AlignLeft);
        const QString n = QString::number(r);
        row.date->setObjectName(QStringLiteral("NenGetsuBi") + n);
        row.kubun->setObjectName(QStringLiteral("Kubun") + n);
        row.in->setObjectName(QStringLiteral("Indata") + n);
        row.out->setObjectName(QStringLiteral("Outdata") + n);
        row.bikou->setObjectName(QStringLiteral("Bikou") + n);
        QWidget* cells[] = {row.no, row.date, row.youbi, row.kubun, row.name,
                            row.in, row.out, row.zandaka, row.bikou};
        for (int c = 0; c < 9; ++c) grid->addWidget(cells[c], r, c);
    }
    outer->addLayout(grid);

    coution_ = new QLabel(this);
    coution_->setStyleSheet(QStringLiteral("color:#000080;"));
    coution_->setMinimumHeight(QFontMetrics(font).height() + 4);
    outer->addWidget(coution_);
    coution_->setText(QString());

    auto* keys = new QHBoxLayout;
    keys->setSpacing(3);
    keys->addWidget(MakeButton(CopyAboveButton, QStringLiteral("同上(F2)")));
    keys->addWidget(MakeButton(InsertButton, QStringLiteral("挿入(F3)")));
    keys->addWidget(MakeButton(DeleteButton, QStringLiteral("削除(F4)")));
    keys->addWidget(MakeButton(CancelButton, QStringLiteral("中断(F5)")));
    keys->addWidget(MakeButton(SearchDateButton, QStringLiteral("ページ検索(F6)")));
    keys->addWidget(MakeButton(LineHistoryButton, QStringLiteral("行履歴(Shift+F6)")));
    keys->addWidget(MakeButton(AggregateButton, QStringLiteral("集計(F7)")));
    keys->addWidget(MakeButton(PrintCashBookButton, QStringLiteral("印刷(F8)")));
    keys->addWidget(MakeButton(PrintIncomeButton, QStringLiteral("収入印刷(F9)")));
    keys->addWidget(MakeButton(CloseButton, QStringLiteral("終了(F10)")));
    outer->addLayout(keys);
    auto* pages = new QHBoxLayout;
    pages->setSpacing(3);
    pages->addWidget(MakeButton(RecalculateButton, QStringLiteral("再計算")));
    pages->addWidget(MakeButton(UndoButton, QStringLiteral("元に戻す(Ctrl+Z)")));
    pages->addStretch(1);
    pages->addWidget(MakeButton(FirstPageButton, QStringLiteral("最初のページへ")));
    pages->addWidget(MakeButton(SearchBackwardButton, QStringLiteral("前のページへ")));
    pages->addWidget(MakeButton(SearchForwardButton, QStringLiteral("後のページへ")));
    pages->addWidget(MakeButton(LastPageButton, QStringLiteral("最終ページへ")));
    outer->addLayout(pages);

    connect(button(CopyAboveButton), &QPushButton::clicked, this, [this] {
        actionRow_ = focusRow_;
        CopyLineAbove();
    });
    connect(button(InsertButton), &QPushButton::clicked, this, &CashBookForm::InsertLineAtCursor);
    connect(button(DeleteButton), &QPushButton::clicked, this, &CashBookForm::DeleteLineAtCursor);
    connect(button(CancelButton), &QPushButton::clicked, this, &CashBookForm::CancelEdit);
    connect(button(SearchDateButton), &QPushButton::clicked, this, &CashBookForm::SearchDate);
    connect(button(AggregateButton), &QPushButton::clicked, this, &CashBookForm::Aggregate);
    connect(button(PrintCashBookButton), &QPushButton::clicked, this,
            &CashBookForm::PrintCashBookMonth);
    connect(button(PrintIncomeButton), &QPushButton::clicked, this,
            &CashBookForm::PrintIncomeMonth);
    connect(button(CloseButton), &QPushButton::clicked, this, &CashBookForm::CloseForm);
    connect(button(UndoButton), &QPushButton::clicked, this, &CashBookForm::UndoLast);
    connect(button(RecalculateButton), &QPushButton::clicked, this, &CashBookForm::Recalculate);
    connect(button(FirstPageButton), &QPushButton::clicked, this, &CashBookForm::ShowFirstPage);
    connect(button(SearchBackwardButton), &QPushButton::clicked, this,
            &CashBookForm::SearchDateBackward);
    connect(button(SearchForwardButton), &QPushButton::clicked, this,
            &CashBookForm::SearchDateForward);
    connect(button(LastPageButton), &QPushButton::clicked, this, &CashBookForm::ShowLastPage);
    connect(button(LineHistoryButton), &QPushButton::clicked, this,
            &CashBookForm::ShowLineHistory);
}

QPushButton* CashBookForm::MakeButton(ButtonId id, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    // The buttons never take the focus: it stays in the field it came from.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setMinimumHeight(QFontMetrics(font()).height() + 14);
    buttons_[static_cast<std::size_t>(id)] = b;
    return b;
}

void CashBookForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceForm(this);
}

// ---- Helpers ----

QLineEdit* CashBookForm::field(int col, int row) const {
    const Row& r = rows_.at(static_cast<std::size_t>(row - 1));
    switch (col) {
    case ColDate: return r.date;
    case ColItem: return r.kubun;
    case ColIn: return r.in;
    case ColOut: return r.out;
    case ColRemarks: return r.bikou;
    case ColWeekday: return r.youbi;
    case ColName: return r.name;
    case ColBalance: return r.zandaka;
    default: return nullptr;
    }
}

bool CashBookForm::Locate(QObject* w, int& col, int& row) const {
    for (int r = 1; r <= 10; ++r)
        for (int c = ColDate; c <= ColRemarks; ++c)
            if (field(c, r) == w) {
                col = c;
                row = r;
                return true;
            }
    return false;
}

int CashBookForm::LineOf(int row) const { return LineOfRow(page_, row); }
int CashBookForm::LineCount() const { return app_.state.LedgerHeader.LineCount; }

RowFields CashBookForm::FieldsOf(int row) const {
    RowFields f;
    f.date = Trim(S(field(ColDate, row)->text()));
    f.youbi = Trim(S(field(ColWeekday, row)->text()));
    f.itemNo = static_cast<int>(Val(S(field(ColItem, row)->text())));
    f.bikou = S(field(ColRemarks, row)->text());
    return f;
}

void CashBookForm::Report(const FileError& e) {
    if (e.code == FileErrorCode::Overflow)
        app_.prompt.MsgBox(e.detail, MsgStyle::Exclamation, "エラー確認");
    else
        ShowFileError(app_.prompt, e, app_.state);
}

void CashBookForm::Paint(QLineEdit* f, Tint t) {
    QPalette pal = f->palette();
    pal.setColor(QPalette::Base, t == Tint::Focus    ? kFocusColour
                                 : t == Tint::Locked ? kLockedColour
                                                     : normalBase_);
    f->setPalette(pal);
}

void CashBookForm::ApplyLocks(int row) {
    bool inLocked = true, outLocked = true;
    AmountLocks(rowCategory_[static_cast<std::size_t>(row - 1)], inLocked, outLocked);
    QLineEdit* in = field(ColIn, row);
    QLineEdit* out = field(ColOut, row);
    in->setReadOnly(inLocked);
    out->setReadOnly(outLocked);
    Paint(in, inLocked ? Tint::Locked : Tint::Normal);
    Paint(out, outLocked ? Tint::Locked : Tint::Normal);
}

// ---- Pages ----

void CashBookForm::ShowPage() {
    std::array<std::optional<LedgerLine>, kRowsPerPage> lines;
    if (auto read = ReadPage(app_.state, page_)) {
        lines = *read;
    } else {
        Report(read.error());
    }
    const PageRows view = BuildPageRows(app_.state.ItemTable, page_, lines);
    for (int r = 1; r <= 10; ++r) {
        const RowView& v = view[static_cast<std::size_t>(r - 1)];
        Row& row = rows_[static_cast<std::size_t>(r - 1)];
        row.no->setText(Q(v.no));
        row.date->setText(Q(v.date));
        row.youbi->setText(Q(v.youbi));
        row.kubun->setText(Q(v.kubun));
        row.name->setText(Q(v.name));
        row.in->setText(Q(v.indata));
        row.out->setText(Q(v.outdata));
        row.zandaka->setText(Q(v.zandaka));
        row.bikou->setText(Q(v.bikou));
        Paint(row.date, Tint::Normal);
        rowCategory_[static_cast<std::size_t>(r - 1)] = v.category;
        // A stored date was checked when it was entered, so its row counts as dated.
        rowDateValid_[static_cast<std::size_t>(r - 1)] = !v.date.empty();
        ApplyLocks(r);
    }
    // The line just before the page, for 同上 on row 1.
    prevDate_.clear();
    prevYoubi_.clear();
    const int before = LineOf(1) - 1;
    if (before >= 1 && before <= LineCount()) {
        if (auto line = ReadLedgerLineAt(app_.state, before)) {
            prevDate_ = Trim(line->NenGetsuBi);
            prevYoubi_ = Trim(line->Youbi);
        }
    }
    pageLabel_->setText(QString::number(page_));
    dataMax_->setText(LineCount() > 0 ? QString::number(LineCount()) : QString());
}

bool CashBookForm::SavePageNow() {
    std::array<RowFields, kRowsPerPage> fields;
    for (int r = 1; r <= 10; ++r) fields[static_cast<std::size_t>(r - 1)] = FieldsOf(r);
    Status st = SavePage(app_.state, page_, fields, &app_.undo.CashBook);
    if (!st) Report(st.error());
    return st.ok();
}

void CashBookForm::ChangePage(int newPage, int col, int row) {
    SavePageNow();
    if (Status st = RecalculateFromPage(app_.state, page_); !st) Report(st.error());
    page_ = newPage;
    ShowPage();
    FocusField(col, row);
}

// ---- Entering and leaving fields ----

void CashBookForm::Enter(int col, int row) {
    activeCol_ = col;
    activeRow_ = row;
    focusCol_ = col;
    focusRow_ = row;
    enterPage_ = page_;
    QLineEdit* f = field(col, row);
    const int cat = rowCategory_[static_cast<std::size_t>(row - 1)];
    switch (col) {
    case ColDate:
    case ColRemarks:
        f->setText(Q(Trim(S(f->text()))));
        enterText_ = S(f->text());
        if (col == ColDate) Paint(f, Tint::Focus);
        break;
    case ColItem:
        coution_->setText(Q(kKubunHint));
        enterText_ = S(f->text());
        break;
    case ColIn:
    case ColOut: {
        if (!f->isReadOnly()) Paint(f, Tint::Focus);
        const std::string plain = WithoutCommas(f->text());
        f->setText(Q(plain));
        enterValue_ = AmountFromText(plain).value_or(0);
        if (IsDepositCategory(cat)) coution_->setText(Q(kDepositHint));
        break;
    }
    default: break;
    }
}

bool CashBookForm::Leave() {
    if (activeCol_ == 0) return true;
    const int col = activeCol_, row = activeRow_;
    activeCol_ = activeRow_ = 0;
    actionRow_ = row;
    bool stay = false;
    switch (col) {
    case ColDate: stay = !LeaveDate(row); break;
    case ColItem: coution_->setText(QString()); break;
    case ColIn:
    case ColOut: LeaveAmount(col, row); break;
    case ColRemarks: LeaveBikou(row); break;
    default: break;
    }
    if (stay) {
        QLineEdit* f = field(col, row);
        if (f->hasFocus()) {
            Enter(col, row);
        } else {
            QTimer::singleShot(0, this, [this, col, row] { FocusField(col, row); });
        }
        return false;
    }
    return true;
}

bool CashBookForm::LeaveDate(int row) {
    QLineEdit* f = field(ColDate, row);
    const std::string text = Trim(S(f->text()));
    if (text == enterText_ || page_ != enterPage_) {
        Paint(f, Tint::Normal);
        return true;
    }
    WeekdayResult w = DateToWeekday(text, app_.state.EraName, app_.prompt);
    if (w.failed != 0) {
        f->clear();
        field(ColWeekday, row)->clear();
        return false;
    }
    field(ColWeekday, row)->setText(Q(w.youbi));
    rowDateValid_[static_cast<std::size_t>(row - 1)] = true;
    Paint(f, Tint::Normal);
    CommitDate(row, enterText_, text, w.youbi);
    return true;
}

void CashBookForm::CommitDate(int row, const std::string& oldDate, const std::string& date,
                         const std::string& youbi) {
    if (Status st = WriteLineDate(app_.state, LineOf(row), date, youbi, &app_.undo.CashBook); !st) {
        Report(st.error());
        return;
    }
    dataMax_->setText(LineCount() > 0 ? QString::number(LineCount()) : QString());
    if (oldDate.empty() || MonthOf(oldDate) == MonthOf(date)) return;
    // The month changed: an income or expense line is posted again so that the
    // balances follow the new month.
    const int cat = rowCategory_[static_cast<std::size_t>(row - 1)];
    const Amount in = AmountFromText(WithoutCommas(field(ColIn, row)->text())).value_or(0);
    const Amount out = AmountFromText(WithoutCommas(field(ColOut, row)->text())).value_or(0);
    Status st = Ok();
    if (cat == Kubun::Income && in > 0)
        st = PostAmount(app_.state, LineOf(row), 1, in, MonthOf(date), FieldsOf(row), nullptr,
                            &app_.undo.CashBook);
    else if (cat == Kubun::Expense && out > 0)
        st = PostAmount(app_.state, LineOf(row), 2, out, MonthOf(date), FieldsOf(row), nullptr,
                            &app_.undo.CashBook);
    else
        return;
    if (!st) Report(st.error());
    ShowPage();
}

void CashBookForm::LeaveAmount(int col, int row) {
    QLineEdit* f = field(col, row);
    const bool locked = f->isReadOnly();
    std::string text = WithoutCommas(f->text());
    if (text.size() > 8) {
        app_.prompt.Beep();
        text.assign(1, '0');  // (assigning a literal trips a false -Wrestrict in GCC 12)
    }
    const Amount value = AmountFromText(text).value_or(0);
    const int cat = rowCategory_[static_cast<std::size_t>(row - 1)];
    if (!locked && value != enterValue_ && page_ == enterPage_) {
        const int side = col == ColIn ? 1 : 2;
        DepositChange dep{cat, chosenAccount_.value_or(0), static_cast<Amount>(enterValue_)};
        const bool withAccount = IsDepositCategory(cat) && chosenAccount_.has_value();
        Status st = PostAmount(app_.state, LineOf(row), side, value,
                               MonthOf(Trim(S(field(ColDate, row)->text()))), FieldsOf(row),
                               withAccount ? &dep : nullptr, &app_.undo.CashBook);
        if (!st) Report(st.error());
        ShowPage();
    } else {
        f->setText(Q(AmountText(value)));
    }
    coution_->setText(QString());
    chosenAccount_.reset();
    if (!f->isReadOnly()) Paint(f, Tint::Normal);
}

void CashBookForm::LeaveBikou(int row) {
    QLineEdit* f = field(ColRemarks, row);
    const std::string text = CutToBytes(S(f->text()), 16);
    f->setText(Q(text));
    if (text != enterText_ && page_ == enterPage_) {
        if (Status st = WriteLineRemarks(app_.state, LineOf(row), text, &app_.undo.CashBook); !st) Report(st.error());
    }
}

void CashBookForm::FocusField(int col, int row) {
    if (activeCol_ == col && activeRow_ == row) return;
    if (activeCol_ != 0 && !Leave()) return;
    QLineEdit* f = field(col, row);
    f->setFocus(Qt::OtherFocusReason);
    // Without an active window no focus event arrives; enter the field here then.
    if (activeCol_ != col || activeRow_ != row) Enter(col, row);
}

bool CashBookForm::BeginAction() { return Leave(); }

void CashBookForm::EndAction() {
    if (!closing_) FocusField(focusCol_, focusRow_);
}

// ---- Events ----

namespace {
// Ctrl+F: 検索.
bool IsSearchKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_F &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}
// Ctrl+Z: 元に戻す.
bool IsUndoKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_Z &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}
}  // namespace


bool CashBookForm::eventFilter(QObject* watched, QEvent* event) {
    int col = 0, row = 0;
    if (!Locate(watched, col, row)) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        auto* fe = static_cast<QFocusEvent*>(event);
        if (activeCol_ == col && activeRow_ == row) break;
        if (fe->reason() == Qt::ActiveWindowFocusReason && activeCol_ != 0) break;
        if (activeCol_ != 0) Leave();
        Enter(col, row);
        break;
    }
    case QEvent::FocusOut: {
        auto* fe = static_cast<QFocusEvent*>(event);
        // A message box or chooser taking the window is not leaving the field.
        if (fe->reason() == Qt::ActiveWindowFocusReason || fe->reason() == Qt::PopupFocusReason)
            break;
        if (closing_) break;
        if (activeCol_ == col && activeRow_ == row) Leave();
        break;
    }
    case QEvent::KeyPress:
        return FieldKey(col, row, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->commitString().isEmpty() && TypedText(col, row, im->commitString())) return true;
        break;
    }
    case QEvent::MouseButtonRelease:
        if (col == ColItem) {
            ChooseItem(row);
            return true;
        }
        if (col == ColIn || col == ColOut) AskAccount(col, row);
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void CashBookForm::keyPressEvent(QKeyEvent* event) {
    if (IsUndoKey(event)) {
        UndoLast();
        return;
    }
    if (IsSearchKey(event)) {
        SearchBooks();
        return;
    }
    if (ShiftedKey(event) || FunctionKey(event->key())) return;
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void CashBookForm::reject() {}

void CashBookForm::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    CancelEdit();
}

void CashBookForm::done(int result) {
    closing_ = true;
    activeCol_ = activeRow_ = 0;
    for (int b : kToolbarOff) app_.toolbar.SetButtonEnabled(b, true);
    TrimWorkingSet();
    QDialog::done(result);
}

bool CashBookForm::FunctionKey(int key) {
    switch (key) {
    case Qt::Key_F2: actionRow_ = focusRow_; CopyLineAbove(); return true;
    case Qt::Key_F3: actionRow_ = focusRow_; InsertLineAtCursor(); return true;
    case Qt::Key_F4: actionRow_ = focusRow_; DeleteLineAtCursor(); return true;
    case Qt::Key_F5: CancelEdit(); return true;
    case Qt::Key_F6: SearchDate(); return true;
    case Qt::Key_F7: Aggregate(); return true;
    case Qt::Key_F8: PrintCashBookMonth(); return true;
    case Qt::Key_F9: PrintIncomeMonth(); return true;
    case Qt::Key_F10: CloseForm(); return true;
    case Qt::Key_F11:  // 仕訳: the journal at this line's entry
        if (app_.forms != nullptr)
            if (const auto line = app_.forms->OpenJournalEntry(EntrySource::CashBookLine, LineOf(focusRow_), this))
                GoToLine(*line);
        return true;
    default: return false;
    }
}

// The function keys with Shift, which are not the plain keys' actions.
bool CashBookForm::ShiftedKey(const QKeyEvent* key) {
    if (key->modifiers() != Qt::ShiftModifier) return false;
    if (key->key() == Qt::Key_F6) {
        ShowLineHistory();
        return true;
    }
    return false;
}

bool CashBookForm::AmountBlocked(int col, int row) const {
    const int cat = rowCategory_[static_cast<std::size_t>(row - 1)];
    return field(col, row)->isReadOnly() || (IsDepositCategory(cat) && !chosenAccount_);
}

// True when the key is used up here.
bool CashBookForm::FieldKey(int col, int row, QKeyEvent* key) {
    // Ctrl+Z undoes the last change to the book, not the typing in the field.
    if (IsUndoKey(key)) {
        UndoLast();
        return true;
    }
    // Ctrl+F: the search of the books, as in the main window.
    if (IsSearchKey(key)) {
        SearchBooks();
        return true;
    }
    if (ShiftedKey(key) || FunctionKey(key->key())) return true;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (col == ColItem)
            ChooseItem(row);
        else
            MoveNext(col, row);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Tab: MoveNext(col, row); return true;
    case Qt::Key_Left:
    case Qt::Key_Backtab: MovePrev(col, row); return true;
    case Qt::Key_Up: MoveVertical(col, row, -1); return true;
    case Qt::Key_Down: MoveVertical(col, row, +1); return true;
    case Qt::Key_Escape: return true;
    case Qt::Key_Delete:
        if (col == ColDate) {
            field(col, row)->clear();
            return true;
        }
        if (col == ColIn || col == ColOut) return AmountBlocked(col, row);
        return col == ColItem;
    case Qt::Key_Backspace:
        if (col == ColIn || col == ColOut) return AmountBlocked(col, row);
        return col == ColItem;
    case Qt::Key_Home:
    case Qt::Key_End: return false;
    default: break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return true;
    const QString text = key->text();
    if (text.isEmpty()) return false;
    return TypedText(col, row, text);
}

// The filters of typed (or input-method) text; true when the text is refused.
bool CashBookForm::TypedText(int col, int row, const QString& text) {
    const int line = LineOf(row);
    const int cat = rowCategory_[static_cast<std::size_t>(row - 1)];
    switch (col) {
    case ColDate:
        if (!MayTypeOnLine(line, LineCount())) {
            app_.prompt.MsgBox(kRowRefused, MsgStyle::Ok, "");
            return true;
        }
        for (char32_t c : text.toUpper().toUcs4())
            if (AcceptDigits(KeyCodeOf(c)) != 0) {
                app_.prompt.Beep();
                return true;
            }
        return false;
    case ColItem: return true;
    case ColIn:
    case ColOut:
        if (!MayTypeOnLine(line, LineCount())) {
            app_.prompt.MsgBox(kRowRefused, MsgStyle::Ok, "");
            return true;
        }
        if (IsDepositCategory(cat) && !chosenAccount_) {
            // A blank asks for the account, as a click on the field does.
            if (text == QStringLiteral(" ")) {
                AskAccount(col, row);
                return true;
            }
            app_.prompt.MsgBox("このデータは預金データのため、先に預金ファイルの指定が必要です！",
                               MsgStyle::Ok, "");
            return true;
        }
        if (field(col, row)->isReadOnly()) return true;
        for (char32_t c : text.toUpper().toUcs4())
            if (AcceptNumber(KeyCodeOf(c)) != 0) {
                app_.prompt.Beep();
                return true;
            }
        return false;
    case ColRemarks:
        if (!MayTypeOnLine(line, LineCount())) {
            app_.prompt.MsgBox(kRowRefused, MsgStyle::Ok, "");
            return true;
        }
        if (!rowDateValid_[static_cast<std::size_t>(row - 1)]) {
            app_.prompt.MsgBox("先に日付を入力してください！", MsgStyle::Ok, "");
            FocusField(ColDate, row);
            return true;
        }
        // Nothing that the file could not hold in CP932 gets in.
        if (!IsCp932Text(S(text))) {
            app_.prompt.Beep();
            return true;
        }
        return false;
    default: return true;
    }
}

void CashBookForm::MoveNext(int col, int row) {
    if (col < ColRemarks) {
        FocusField(col + 1, row);
    } else if (row < 10) {
        FocusField(ColDate, row + 1);
    } else if (page_ < app_.state.PageLimit) {
        if (!Leave()) return;
        ChangePage(page_ + 1, ColDate, 1);
    }
}

void CashBookForm::MovePrev(int col, int row) {
    if (col > ColDate) {
        FocusField(col - 1, row);
    } else if (row > 1) {
        FocusField(ColRemarks, row - 1);
    } else if (page_ > 1) {
        if (!Leave()) return;
        ChangePage(page_ - 1, ColRemarks, 10);
    }
}

void CashBookForm::MoveVertical(int col, int row, int step) {
    const int target = row + step;
    if (target >= 1 && target <= 10) {
        FocusField(col, target);
        return;
    }
    if (col == ColIn || col == ColOut) {
        app_.prompt.Beep();
        return;
    }
    if (step < 0 && page_ > 1) {
        if (!Leave()) return;
        ChangePage(page_ - 1, col, 10);
    } else if (step > 0 && page_ < app_.state.PageLimit) {
        if (!Leave()) return;
        ChangePage(page_ + 1, col, 1);
    }
}

// ---- Item and account choice ----

void CashBookForm::ChooseItem(int row) {
    if (row < 1 || row > 10) {
        app_.prompt.Beep();
        return;
    }
    if (!rowDateValid_[static_cast<std::size_t>(row - 1)]) {
        app_.prompt.MsgBox(kDateFirst, MsgStyle::Ok, "");
        FocusField(ColDate, row);
        return;
    }
    SharedState& s = app_.state;
    const int previous = static_cast<int>(Val(S(field(ColItem, row)->text())));
    int chosen = 0;
    {
        ItemChooser chooser(app_, previous,
                            LockedCategoryFor(rowCategory_[static_cast<std::size_t>(row - 1)]), this);
        chooser.exec();
        chosen = chooser.Chosen();
    }
    if (chosen > 0) {
        field(ColItem, row)->setText(Q(RightAlign(std::to_string(chosen), 2)));
        const auto& item = s.ItemTable[static_cast<std::size_t>(chosen)];
        field(ColName, row)->setText(Q(FirstChars(TrimRight(item.ItemName), 16)));
        rowCategory_[static_cast<std::size_t>(row - 1)] = CategoryOf(s.ItemTable, chosen);
        ApplyLocks(row);
        // The item is written at once, like every other field.
        if (chosen != previous)
            if (Status st = WriteLineItem(s, LineOf(row), chosen, &app_.undo.CashBook); !st) Report(st.error());
    }
    activeCol_ = activeRow_ = 0;
    FocusField(ColItem, row);
}

void CashBookForm::AskAccount(int col, int row) {
    const int cat = rowCategory_[static_cast<std::size_t>(row - 1)];
    const std::string question = DepositFieldQuestion(cat, col == ColIn ? 1 : 2);
    if (question.empty()) return;
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, "口座の確認") != Answer::Yes) return;
    chosenAccount_.reset();
    {
        DepositChooser chooser(app_, 0, this);
        chooser.exec();
        chosenAccount_ = chooser.Chosen();
    }
    if (!chosenAccount_ && (cat == Kubun::Deposit || cat == Kubun::DebitAccount))
        app_.prompt.MsgBox("先に新規の預金ファイルの入力をしてください！！。", MsgStyle::Exclamation,
                           "エラー確認");
    QLineEdit* f = field(col, row);
    if (!f->hasFocus()) f->setFocus(Qt::OtherFocusReason);
}

// ---- Buttons ----

void CashBookForm::CopyLineAbove() {
    if (!BeginAction()) return;
    const int row = actionRow_;
    std::string date, youbi;
    if (row > 1) {
        date = Trim(S(field(ColDate, row - 1)->text()));
        youbi = Trim(S(field(ColWeekday, row - 1)->text()));
    } else {
        date = prevDate_;
        youbi = prevYoubi_;
    }
    if (date.empty() || !MayTypeOnLine(LineOf(row), LineCount())) {
        app_.prompt.Beep();
        EndAction();
        return;
    }
    const std::string old = Trim(S(field(ColDate, row)->text()));
    field(ColDate, row)->setText(Q(date));
    field(ColWeekday, row)->setText(Q(youbi));
    rowDateValid_[static_cast<std::size_t>(row - 1)] = true;
    // Written at once, so the date shown is the date stored.
    if (old != date) CommitDate(row, old, date, youbi);
    focusCol_ = ColDate;
    focusRow_ = row;
    EndAction();
}

void CashBookForm::InsertLineAtCursor() {
    if (!BeginAction()) return;
    const int line = LineOf(actionRow_);
    if (line < 1 || line > LineCount()) {
        app_.prompt.Beep();
        app_.prompt.MsgBox("挿入位置を指定してください！！", MsgStyle::Exclamation, "エラー確認");
        EndAction();
        return;
    }
    if (app_.prompt.MsgBox("行挿入しますか？", MsgStyle::YesNoWarning, "挿入確認") == Answer::Yes) {
        SavePageNow();
        auto r = InsertLine(app_.state, line, &app_.undo.CashBook);
        if (!r)
            Report(r.error());
        else if (*r == InsertOutcome::CapacityFull)
            app_.prompt.MsgBox(kCapacityMessage, MsgStyle::Exclamation, "エラー確認");
        ShowPage();
    }
    EndAction();
}

void CashBookForm::DeleteLineAtCursor() {
    if (!BeginAction()) return;
    const int line = LineOf(actionRow_);
    if (line < 1 || line > LineCount()) {
        app_.prompt.Beep();
        app_.prompt.MsgBox("削除行を指定してください！！", MsgStyle::Exclamation, "エラー確認");
        EndAction();
        return;
    }
    if (app_.prompt.MsgBox("行削除しますか？", MsgStyle::YesNoWarning, "削除確認") == Answer::Yes) {
        SharedState& s = app_.state;
        int account = 0;
        auto stored = ReadLedgerLineAt(s, line);
        if (!stored) {
            Report(stored.error());
            EndAction();
            return;
        }
        const int cat = CategoryOf(s.ItemTable, stored->ItemNo);
        if (IsDepositCategory(cat)) {
            app_.prompt.MsgBox(DeletedDepositNotice(cat) + LineBreak +
                                   "訂正する預金ファイルを指定してください！！。",
                               MsgStyle::Exclamation, "預金ファイル指定確認");
            {
                DepositChooser chooser(app_, 0, this);
                chooser.exec();
                // Closed without a choice: the line goes, no account is corrected.
                account = chooser.Chosen().value_or(0);
            }
        }
        if (Status st = DeleteLine(s, line, account, &app_.undo.CashBook); !st) Report(st.error());
        ShowPage();
    }
    EndAction();
}

void CashBookForm::CancelEdit() {
    if (!BeginAction()) return;
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") == Answer::Yes) {
        done(QDialog::Rejected);
        return;
    }
    EndAction();
}

void CashBookForm::SetButtonsVisible(bool on) {
    for (QPushButton* b : buttons_) b->setVisible(on);
}

void CashBookForm::SearchDate() {
    if (!BeginAction()) return;
    SetButtonsVisible(false);
    std::optional<std::string> date;
    {
        PageSet dialog(app_, this);
        dialog.exec();
        date = dialog.RequestedDate();
    }
    if (date && LineCount() > 0)
        JumpToSearchDate(*date);
    else
        app_.prompt.Beep();
    SetButtonsVisible(true);
    EndAction();
}

void CashBookForm::JumpToSearchDate(const std::string& date) {
    auto page = SearchPage(app_.state, date);
    if (!page) {
        Report(page.error());
        return;
    }
    if (!page->has_value()) return;
    SavePageNow();
    page_ = std::min(**page, static_cast<int>(app_.state.PageLimit));
    ShowPage();
}

void CashBookForm::Aggregate() {
    if (!BeginAction()) return;
    if (app_.prompt.MsgBox("集計作業をしますか？", MsgStyle::YesNoWarning, "集計確認") !=
        Answer::Yes) {
        EndAction();
        return;
    }
    bool totalled = false;
    {
        WaitCursor wait;
        if (SavePageNow()) {
            auto result = AggregateYear(app_.state, app_.prompt);
            if (!result)
                Report(result.error());
            else
                totalled = *result;
            // The balances were worked out again.
            ShowPage();
        }
    }
    if (totalled && app_.forms != nullptr) app_.forms->OpenForm(FormId::MonthlyTotalsForm, this);
    EndAction();
}

void CashBookForm::PrintCashBookMonth() {
    if (!BeginAction()) return;
    if (SavePageNow() && app_.forms != nullptr)
        app_.forms->OpenForm(FormId::CashBookMonthPrintForm, this);
    EndAction();
}

void CashBookForm::PrintIncomeMonth() {
    if (!BeginAction()) return;
    if (SavePageNow() && app_.forms != nullptr)
        app_.forms->OpenForm(FormId::IncomeMonthPrintForm, this);
    EndAction();
}

void CashBookForm::CloseForm() {
    if (!BeginAction()) return;
    if (app_.prompt.MsgBox("終了しますか？", MsgStyle::YesNoWarning, "終了確認") == Answer::Yes) {
        if (SavePageNow()) {
            Status st = FinishEntry(app_.state);
            if (st) {
                done(QDialog::Accepted);
                return;
            }
            Report(st.error());
        }
    }
    EndAction();
}

void CashBookForm::UndoLast() {
    if (!BeginAction()) return;
    auto undone = UndoLastCashBookOperation(app_.state, app_.undo.CashBook);
    if (!undone) {
        Report(undone.error());
    } else if (!undone->undone) {
        app_.prompt.Beep();
        app_.prompt.MsgBox(undone->refusal, MsgStyle::Exclamation, "元に戻す");
    } else {
        // The page of the line it was about, read afresh; the rows shown are not
        // saved over what was undone.
        const int line = std::clamp(undone->line, 1, LineCount() + 1);
        page_ = std::clamp(PageOfLine(line), 1, static_cast<int>(app_.state.PageLimit));
        focusRow_ = std::clamp(line - (page_ - 1) * kRowsPerPage, 1, kRowsPerPage);
    }
    ShowPage();
    EndAction();
}

void CashBookForm::Recalculate() {
    if (!BeginAction()) return;
    if (Status st = RecalculateAll(app_.state); !st) Report(st.error());
    ShowPage();
    EndAction();
}

void CashBookForm::ShowFirstPage() {
    if (!BeginAction()) return;
    if (page_ != 1)
        ChangePage(1, focusCol_, focusRow_);
    else
        EndAction();
}

void CashBookForm::SearchDateBackward() {
    if (!BeginAction()) return;
    if (page_ > 1) {
        ChangePage(page_ - 1, focusCol_, focusRow_);
    } else {
        app_.prompt.Beep();
        EndAction();
    }
}

void CashBookForm::SearchDateForward() {
    if (!BeginAction()) return;
    if (page_ < app_.state.PageLimit) {
        ChangePage(page_ + 1, focusCol_, focusRow_);
    } else {
        app_.prompt.Beep();
        EndAction();
    }
}

void CashBookForm::ShowLastPage() {
    if (!BeginAction()) return;
    const int last = LastPage(LineCount(), app_.state.PageLimit);
    if (page_ != last)
        ChangePage(last, focusCol_, focusRow_);
    else
        EndAction();
}

void CashBookForm::SearchBooks() {
    // Leaving the field writes it, so that the search finds what was typed.
    if (!BeginAction()) return;
    std::optional<int> line;
    if (app_.forms == nullptr)
        app_.prompt.Beep();
    else
        line = app_.forms->OpenSearchOverCashBook(this);
    EndAction();
    if (line) GoToLine(*line);
}

void CashBookForm::ShowLineHistory() {
    // Leaving the field writes it, so that its change is in the history shown.
    if (!BeginAction()) return;
    if (app_.forms == nullptr || !app_.forms->OpenLineHistory(LineOf(focusRow_), this)) app_.prompt.Beep();
    EndAction();
}

}  // namespace tabulo
