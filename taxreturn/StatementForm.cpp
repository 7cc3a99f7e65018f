#include "taxreturn/StatementForm.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QValidator>
#include <cmath>
#include <optional>

#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "taxreturn/StatementChecks.h"
#include "taxreturn/StatementPreview.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

const char* const kPageDigits[] = {"", "１", "２", "３", "４"};

bool IsNumberKey(char32_t ch) { return AcceptNumber(KeyCodeOf(ch)) == 0; }
bool IsDigitKey(char32_t ch) { return AcceptDigits(KeyCodeOf(ch)) == 0; }

}  // namespace

std::optional<std::int32_t> TypedAmount(const QString& text) {
    const std::string s = Trim(text.toStdString());
    std::string plain;
    for (char c : s)
        if (c != ',') plain.push_back(c);
    if (plain.size() > 8) return std::nullopt;
    const double v = std::nearbyint(Val(plain));
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<std::int16_t> TypedSmallNumber(const QString& text) {
    const double v = std::nearbyint(Val(Trim(text.toStdString())));
    if (v < INT16_MIN || v > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(v);
}

StatementForm::StatementForm(AppContext& app, int page, const QString& caption, QWidget* parent)
    : QDialog(parent), app_(app), page_(page) {
    setWindowTitle(caption);
    printOut_ = new QPushButton(QStringLiteral("印刷(&P)"), this);
    printOut_->setObjectName(QStringLiteral("PrintOut"));
    xySet_ = new QPushButton(QStringLiteral("座標調整(&S)"), this);
    xySet_->setObjectName(QStringLiteral("XYSet"));
    endYesNo_ = new QPushButton(QStringLiteral("終了(&X)"), this);
    endYesNo_->setObjectName(QStringLiteral("EndYesNo"));
    // Enter moves between the boxes; the buttons answer to their keys and the mouse.
    for (QPushButton* b : {printOut_, xySet_, endYesNo_}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(printOut_, &QPushButton::clicked, this, &StatementForm::PrintOut);
    connect(xySet_, &QPushButton::clicked, this, &StatementForm::OpenPrintOffsets);
    connect(endYesNo_, &QPushButton::clicked, this, &StatementForm::CloseForm);
    showPreview = [](StatementPreview& p) { p.exec(); };
    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("Page"));
    checks_ = new QLabel(this);
    checks_->setObjectName(QStringLiteral("Checks"));
    checks_->setWordWrap(true);
    checks_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    checks_->setStyleSheet(QStringLiteral("color: #a00000;"));
    checks_->hide();
    setSizeGripEnabled(true);
}

void StatementForm::FinishLayout() {
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("Body"));
    scroll->setWidget(body_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printOut_);
    buttons->addWidget(xySet_);
    buttons->addStretch();
    buttons->addWidget(endYesNo_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(checks_);
    layout->addLayout(buttons);
    RefreshChecks();
    // The whole page when the screen has room; otherwise the body scrolls and the
    // buttons stay in sight.
    const QSize content = body_->sizeHint();
    const int scrollbar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QMargins m = layout->contentsMargins();
    resize(content.width() + m.left() + m.right() + scrollbar + 4,
           content.height() + m.top() + m.bottom() + buttons->sizeHint().height() +
               checks_->sizeHint().height() + layout->spacing() * 2 + 4);
    PlaceForm(this);
}

void StatementForm::ChainFocus(const std::vector<QWidget*>& boxes) {
    QWidget* previous = nullptr;
    for (QWidget* box : boxes) {
        if (box == nullptr || box->focusPolicy() == Qt::NoFocus) continue;
        if (previous != nullptr) QWidget::setTabOrder(previous, box);
        previous = box;
    }
}

void StatementForm::RefreshChecks() {
    const std::vector<std::string> checks =
        CrossPageChecks(app_.state.ItemTable, FedTotals(), Fed(PageTables()), &slipFigures_);
    checks_->setText(QString::fromStdString(CrossPageChecksText(checks)));
    checks_->setVisible(!checks.empty());
}

bool StatementForm::LoadFile() {
    if (auto st = LoadTaxReturnData(app_.state); !st) {
        ShowFileError(app_.prompt, st.error());
        return false;
    }
    auto slips = YearSlipFigures(app_.state);
    if (!slips) {
        ShowFileError(app_.prompt, slips.error());
        return false;
    }
    slipFigures_ = *slips;
    auto feed = ReadYearFeed(app_.state);
    if (!feed) {
        ShowFileError(app_.prompt, feed.error());
        return false;
    }
    feed_ = std::move(*feed);
    // A register that does not fit page 3 still lets the page open, with its reason.
    if (auto fed = feed_.Tables(app_.state.TaxReturnData); !fed) Tell(fed.error().detail);
    return true;
}

TaxReturnTables StatementForm::Fed(const TaxReturnTables& t) const {
    auto fed = feed_.Tables(t);
    return fed ? std::move(*fed) : t;
}

MonthlyTable StatementForm::FedTotals() const {
    return feed_.Totals(app_.state.ItemTable, app_.state.MonthlyItemTable);
}

bool StatementForm::Save() {
    CollectBoxes();
    if (auto st = SaveTaxReturnData(app_.state); !st) {
        ShowFileError(app_.prompt, st.error());
        return false;
    }
    return true;
}

void StatementForm::Tell(const std::string& message) {
    if (!message.empty()) app_.prompt.MsgBox(message, MsgStyle::Exclamation, "エラー確認");
}

void StatementForm::PrintOut() {
    // The box being edited counts as left, so the page prints what the screen shows.
    if (QWidget* f = focusWidget()) f->clearFocus();
    const std::string digit = kPageDigits[page_];
    const std::string question = digit + "ページを印刷します。" + LineBreak + "申告書の" + digit +
                                 "ページをプリンターにセットしてください";
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, "印刷確認") != Answer::Yes) return;
    std::optional<WaitCursor> wait(std::in_place);
    if (!Save()) return;
    std::unique_ptr<StatementPreview> preview = MakePreview(PageSlots());
    wait.reset();
    if (preview->Rendered()) showPreview(*preview);
}

void StatementForm::OpenPrintOffsets() {
    if (app_.prompt.MsgBox("印刷座標の調整をしますか？", MsgStyle::YesNoWarning, "作業確認") !=
        Answer::Yes)
        return;
    if (app_.forms == nullptr || !app_.forms->CanOpen(FormId::PrintOffsetsForm)) return;
    app_.state.OffsetOnlyMode = -1;
    app_.forms->OpenForm(FormId::PrintOffsetsForm, this);
    app_.state.OffsetOnlyMode = 0;
}

void StatementForm::CloseForm() {
    if (QWidget* f = focusWidget()) f->clearFocus();
    if (!Save()) {
        // The file stays as it was; the user may still close without saving.
        if (app_.prompt.MsgBox("申告データを保存できませんでした。保存せずに閉じますか？",
                               MsgStyle::YesNoWarning, "終了確認") != Answer::Yes)
            return;
    }
    accept();
}

void StatementForm::reject() { CloseForm(); }

FilteredLineEdit* StatementForm::AmountBox(const std::function<void()>& onLeave) {
    auto* box = new FilteredLineEdit(app_.prompt, this);
    box->SetKeyFilter(IsNumberKey, [](char32_t c) { return c >= U'a' && c <= U'z' ? c - 32 : c; });
    box->setAlignment(Qt::AlignRight);
    box->installEventFilter(this);
    leaveHandlers_.emplace_back(box, onLeave);
    box->setProperty("amount", true);
    return box;
}

FilteredLineEdit* StatementForm::NumberBox(const std::function<void()>& onLeave) {
    auto* box = new FilteredLineEdit(app_.prompt, this);
    box->SetKeyFilter(IsDigitKey);
    box->setAlignment(Qt::AlignRight);
    box->installEventFilter(this);
    leaveHandlers_.emplace_back(box, onLeave);
    return box;
}

namespace {

// Refuses a text wider than the printed cell holds.
class WidthValidator : public QValidator {
  public:
    WidthValidator(int maxWidth, QObject* parent) : QValidator(parent), maxWidth_(maxWidth) {}
    State validate(QString& input, int&) const override {
        return Cp932Width(input.toStdString()) <= maxWidth_ ? Acceptable : Invalid;
    }

  private:
    int maxWidth_;
};

}  // namespace

QLineEdit* StatementForm::TextBox(int maxWidth) {
    auto* box = new QLineEdit(this);
    if (maxWidth > 0) box->setValidator(new WidthValidator(maxWidth, box));
    box->installEventFilter(this);
    return box;
}

void StatementForm::OnLeave(QLineEdit* box, std::function<void()> onLeave) {
    box->installEventFilter(this);
    leaveHandlers_.emplace_back(box, std::move(onLeave));
}

QLineEdit* StatementForm::ShowBox() {
    auto* box = new QLineEdit(this);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QLabel* StatementForm::Caption(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

bool StatementForm::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box != nullptr) {
        if (event->type() == QEvent::FocusIn && box->property("amount").toBool()) {
            QString t = box->text();
            t.remove(QLatin1Char(','));
            box->setText(t.trimmed());
            box->selectAll();
        } else if (event->type() == QEvent::FocusOut) {
            for (auto& [b, handler] : leaveHandlers_)
                if (b == box && handler) handler();
            if (loaded_) RefreshChecks();
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Enter and Down go on to the next box, Up back; Enter is never typed.
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                key->key() == Qt::Key_Down) {
                focusNextChild();
                return true;
            }
            if (key->key() == Qt::Key_Up) {
                focusPreviousChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tabulo
