#include "platform/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <utility>
#include <vector>

namespace tabulo {
namespace {

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QMessageBox::Icon IconOf(int style) {
    switch ((style / 16) % 16) {
    case 1: return QMessageBox::Critical;
    case 2: return QMessageBox::Question;
    case 3: return QMessageBox::Warning;
    case 4: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

struct ButtonDef {
    const char* text;
    int answer;
    QMessageBox::ButtonRole role;
};

}  // namespace

int QtPrompt::MsgBox(std::string_view text, int style, std::string_view title) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) parent = QApplication::activeWindow();
    QMessageBox box(parent);
    box.setIcon(IconOf(style));
    // Message texts break lines with CR LF, as the files do; the label wants LF alone.
    QString shown = FromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    // Style 0 has no title; the window still needs a caption, so it stays empty.
    box.setWindowTitle(style == MsgStyle::Ok ? QString() : FromUtf8(title));

    static const ButtonDef kOk{"OK", Answer::Ok, QMessageBox::AcceptRole};
    static const ButtonDef kCancel{"キャンセル", Answer::Cancel, QMessageBox::RejectRole};
    static const ButtonDef kYes{"はい", Answer::Yes, QMessageBox::YesRole};
    static const ButtonDef kNo{"いいえ", Answer::No, QMessageBox::NoRole};
    static const ButtonDef kAbort{"中止", 3, QMessageBox::RejectRole};
    static const ButtonDef kRetry{"再試行", 4, QMessageBox::AcceptRole};
    static const ButtonDef kIgnore{"無視", 5, QMessageBox::AcceptRole};

    std::vector<const ButtonDef*> defs;
    switch (style % 16) {
    case 1: defs = {&kOk, &kCancel}; break;
    case 2: defs = {&kAbort, &kRetry, &kIgnore}; break;
    case 3: defs = {&kYes, &kNo, &kCancel}; break;
    case 4: defs = {&kYes, &kNo}; break;
    case 5: defs = {&kRetry, &kCancel}; break;
    default: defs = {&kOk}; break;
    }
    // Windows bits 256 and 512 choose the second or third button as the default.
    const std::size_t defaultIndex = static_cast<std::size_t>((style / 256) % 4);

    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (std::size_t i = 0; i < defs.size(); ++i) {
        QPushButton* b = box.addButton(QString::fromUtf8(defs[i]->text), defs[i]->role);
        buttons.emplace_back(b, defs[i]->answer);
        if (i == defaultIndex) box.setDefaultButton(b);
    }
    // Esc answers Cancel (or No) where the box has one, as on Windows.
    for (auto& [b, answer] : buttons) {
        if (answer == Answer::Cancel) box.setEscapeButton(b);
    }
    if (box.escapeButton() == nullptr && defs.size() == 1) box.setEscapeButton(buttons[0].first);

    // The user answers with the normal pointer even in the middle of an hourglass.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QApplication::restoreOverrideCursor();
    for (auto& [b, answer] : buttons) {
        if (box.clickedButton() == b) return answer;
    }
    // Closed without a button: the Cancel answer where there is one, else the first.
    for (auto& [b, answer] : buttons) {
        if (answer == Answer::Cancel || answer == Answer::No) return answer;
    }
    return buttons.front().second;
}

void QtPrompt::Beep() { QApplication::beep(); }

}  // namespace tabulo
