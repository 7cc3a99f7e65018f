#include "shell/SettingsForm.h"

#include <QGridLayout>
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
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

struct BoxText {
    const char* label;
    const char* note;
};
constexpr std::array<BoxText, kSettingsBoxes> kBoxes{{
    {"データドライブ", "データファイルのドライブ指定"},
    {"データ件数", "２０００件まで拡張可能"},
    {"印刷Ｘ座標調整", "申告書印刷の横位置"},
    {"印刷Ｙ座標調整", "申告書印刷の縦位置"},
    {"予備設定", ""},
}};

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The drive box takes a letter or a folder path; the others only numbers.
bool KeyAllowed(int box, const QString& text) {
    if (box == 0) {
        return IsCp932Text(text.toStdString()) && !text.contains(QLatin1Char('\n'));
    }
    for (QChar c : text) {
        if (AcceptNumber(KeyCodeOf(c.unicode())) != 0) return false;
    }
    return true;
}

}  // namespace

SettingsForm::SettingsForm(AppContext& ctx, QWidget* parent)
    : SettingsForm(ctx, parent, QStringLiteral("環境設定")) {}

SettingsForm::SettingsForm(AppContext& ctx, QWidget* parent, const QString& caption)
    : QDialog(parent), ctx_(ctx) {
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < kSettingsBoxes; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kBoxes[i].label), this);
        auto* box = new QLineEdit(this);
        box->setFixedWidth(i == 0 ? 200 : 90);
        if (i > 0) {
            box->setAlignment(Qt::AlignRight);
            // Pasted text obeys the same rule as typed keys.
            box->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9.\\-]*")), box));
        }
        box->installEventFilter(this);
        box->setText(QString::fromStdString(ctx_.state.SetupLines[i + 1]));
        label->setBuddy(box);
        auto* note = new QLabel(QString::fromUtf8(kBoxes[i].note), this);
        note->setStyleSheet(QStringLiteral("color: #505050;"));
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1, Qt::AlignLeft);
        grid->addWidget(note, i, 2);
        text1_[static_cast<std::size_t>(i)] = box;
    }
    grid->setColumnStretch(2, 1);

    touroku_ = new QPushButton(QStringLiteral("登録(F10)"), this);
    chudan_ = new QPushButton(QStringLiteral("中断(F5)"), this);
    for (QPushButton* b : {touroku_, chudan_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
        b->installEventFilter(this);
    }
    connect(touroku_, &QPushButton::clicked, this, [this] { Register(); });
    connect(chudan_, &QPushButton::clicked, this, [this] { CancelEdit(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(touroku_);
    buttons->addWidget(chudan_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->addLayout(grid);
    layout->addSpacing(14);
    layout->addLayout(buttons);

    // The read button stays off while the settings are open.
    ctx_.toolbar.SetButtonEnabled(ToolButton::Read, false);
}

SettingsBoxes SettingsForm::Boxes() const {
    SettingsBoxes boxes;
    for (int i = 0; i < kSettingsBoxes; ++i) boxes[i] = Text1(i)->text().toStdString();
    return boxes;
}

void SettingsForm::LeaveSetting(int index) {
    QLineEdit* box = Text1(index);
    const std::string now = SettingsBoxOnLeave(index, box->text().toStdString(), ctx_.prompt);
    box->setText(QString::fromStdString(now));
}

bool SettingsForm::eventFilter(QObject* watched, QEvent* event) {
    int index = -1;
    for (int i = 0; i < kSettingsBoxes; ++i) {
        if (watched == text1_[static_cast<std::size_t>(i)]) index = i;
    }
    if (index >= 0 && event->type() == QEvent::FocusOut && !unloading_) {
        // Only a move within the form counts, not a message box or another window.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            LeaveSetting(index);
    } else if (index >= 0 && event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->commitString().isEmpty() && !KeyAllowed(index, im->commitString())) {
            ctx_.prompt.Beep();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key->key())) {
            if (auto* button = qobject_cast<QPushButton*>(watched)) {
                button->click();
            } else {
                focusNextChild();
            }
            return true;
        }
        const QString t = key->text();
        if (index >= 0 && !t.isEmpty() && t[0].unicode() >= 0x20 && !KeyAllowed(index, t)) {
            ctx_.prompt.Beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsForm::keyPressEvent(QKeyEvent* event) {
    // The function keys work from every field: the boxes pass them on to the form.
    if (event->key() == Qt::Key_F10) {
        Register();
    } else if (event->key() == Qt::Key_F5) {
        CancelEdit();
    } else {
        QDialog::keyPressEvent(event);
    }
}

void SettingsForm::Register() {
    // The box being edited gets its default first, as when it loses the focus.
    for (int i = 0; i < kSettingsBoxes; ++i) {
        if (Text1(i)->hasFocus()) LeaveSetting(i);
    }
    Toolbar& tb = ctx_.toolbar;
    if (ctx_.prompt.MsgBox("設定データを更新しますか？", MsgStyle::YesNoWarning, "更新確認") ==
        Answer::Yes) {
        SaveSettingsAndReset(ctx_.state, Boxes(), ctx_.prompt, ProcessEnvironment());
    }
    // Whether saved, refused or failed, the data can be read (again) from here on.
    tb.SetButtonEnabled(ToolButton::Read, true);
    tb.SetButtonEnabled(ToolButton::Settings, true);
    tb.SetButtonEnabled(ToolButton::PrinterSetup, true);
    tb.SetButtonEnabled(ToolButton::End, true);
    Unload();
}

void SettingsForm::CancelEdit() {
    if (ctx_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    Toolbar& tb = ctx_.toolbar;
    for (int b : {ToolButton::Read, ToolButton::Settings, ToolButton::PrinterSetup, ToolButton::End})
        tb.SetButtonEnabled(b, true);
    Unload();
}

void SettingsForm::Unload() {
    unloading_ = true;
    QDialog::reject();
}

void SettingsForm::reject() {
    if (!unloading_) CancelEdit();
}

}  // namespace tabulo
