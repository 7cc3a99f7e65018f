#include "shell/FiscalYearForm.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "shell/FiscalYearRules.h"
#include "store/Text.h"

namespace tabulo {
namespace {

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// A character that may go into the era name: one with a Shift-JIS form, and no double
// quote, which would break the quoted value in DATE.DAT.
bool EraCharacterAllowed(const QString& text) {
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c.unicode() < 0x20) return false;
    }
    return IsCp932Text(text.toStdString());
}

}  // namespace

FiscalYearForm::FiscalYearForm(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("年度設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The form opens when a data disk has no year yet: usually the very first read.
    auto* heading = new QLabel(
        QStringLiteral("このデータディスクには、まだ帳簿の年度がありません。\n"
                       "年号と年度を確かめて［登録］を押してください（Enter でも登録します）。"),
        this);
    text1_ = new QLineEdit(this);
    text1_->setMaxLength(4);
    const std::chrono::year_month_day today = ctx_.today();
    text1_->setText(QString::fromStdString(ProposedEraName(today)));
    text2_ = new QLineEdit(this);
    text2_->setMaxLength(2);
    text2_->setAlignment(Qt::AlignRight);
    // Only keys reach the year box: no text is composed there by an input method.
    text2_->setAttribute(Qt::WA_InputMethodEnabled, false);
    text2_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), text2_));
    // This year of the era is proposed, selected so that typing replaces it.
    text2_->setText(QString::number(ProposedEraYear(today)));
    text2_->selectAll();
    text1_->setFixedWidth(80);
    text2_->setFixedWidth(44);
    for (QLineEdit* box : {text1_, text2_}) box->installEventFilter(this);

    touroku_ = new QPushButton(QStringLiteral("登録"), this);
    touroku_->setAutoDefault(false);
    touroku_->setMinimumWidth(96);
    touroku_->installEventFilter(this);
    connect(touroku_, &QPushButton::clicked, this, &FiscalYearForm::Register);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("年号"), this));
    row->addWidget(text1_);
    row->addSpacing(6);
    row->addWidget(text2_);
    row->addWidget(new QLabel(QStringLiteral("年度"), this));
    row->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(touroku_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(heading);
    layout->addSpacing(6);
    layout->addLayout(row);
    layout->addSpacing(10);
    layout->addLayout(buttons);

    // Centred over the main window, where the user is looking.
    adjustSize();
    if (parent != nullptr) {
        const QRect over = parent->window()->frameGeometry();
        move(over.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    text2_->setFocus();
}

bool FiscalYearForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::InputMethod && watched == text1_) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->commitString().isEmpty() && !EraCharacterAllowed(im->commitString())) {
            ctx_.prompt.Beep();
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (IsEnter(key->key())) {
        // Enter in the year box registers: the year is the last thing to type.
        if (watched == touroku_ || watched == text2_) {
            Register();
        } else {
            focusNextChild();
        }
        return true;
    }
    if (watched == text2_) {
        const QString t = key->text();
        const bool editing = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
        // Arrows, Tab, Esc and the like move or close rather than type.
        const bool navigation = !editing && (t.isEmpty() || t[0].unicode() < 0x20);
        const bool digit = t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('9');
        if (!editing && !navigation && !digit) {
            ctx_.prompt.Beep();
            return true;
        }
    } else if (watched == text1_) {
        const QString t = key->text();
        if (!t.isEmpty() && t[0].unicode() >= 0x20 && !EraCharacterAllowed(t)) {
            ctx_.prompt.Beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FiscalYearForm::Register() {
    switch (RegisterFiscalYear(ctx_.state, text1_->text().toStdString(),
                               text2_->text().toStdString(), ctx_.prompt)) {
    case FiscalYearEntry::Saved:
        accept();
        break;
    case FiscalYearEntry::Refused:
        ctx_.prompt.Beep();
        break;
    case FiscalYearEntry::Failed:
        break;  // the error has been shown; the user may try again
    }
}

}  // namespace tabulo
