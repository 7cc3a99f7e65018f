#include "ui/FilteredLineEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/Prompt.h"

namespace tabulo {

namespace {

bool IsTypedText(const QString& text) {
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    }
    return true;
}

}  // namespace

FilteredLineEdit::FilteredLineEdit(Prompt& prompt, QWidget* parent)
    : QLineEdit(parent), prompt_(prompt) {
    // Pasting goes through InsertTyped; the menu and drops would bypass the filter.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
}

void FilteredLineEdit::SetKeyFilter(KeyFilter filter, KeyTransform transform) {
    filter_ = std::move(filter);
    transform_ = std::move(transform);
}

QString FilteredLineEdit::Filtered(const QString& text) const {
    QString out;
    for (char32_t ch : text.toUcs4()) {
        if (transform_) ch = transform_(ch);
        if (filter_ && !filter_(ch)) return QString();
        out += QString::fromUcs4(&ch, 1);
    }
    return out;
}

bool FilteredLineEdit::InsertTyped(const QString& text) {
    QString accepted = Filtered(text);
    if (accepted.isNull()) {
        prompt_.Beep();
        return false;
    }
    insert(accepted);
    return true;
}

void FilteredLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        QString pasted = QApplication::clipboard()->text();
        pasted.remove(QLatin1Char('\r'));
        pasted.remove(QLatin1Char('\n'));
        InsertTyped(pasted);
        event->accept();
        return;
    }
    bool commandKey = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!commandKey && IsTypedText(event->text())) {
        InsertTyped(event->text());
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FilteredLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QString accepted = Filtered(event->commitString());
    QInputMethodEvent copy(event->preeditString(), event->attributes());
    if (accepted.isNull()) {
        prompt_.Beep();
        copy.setCommitString(QString());
    } else {
        copy.setCommitString(accepted, event->replacementStart(), event->replacementLength());
    }
    QLineEdit::inputMethodEvent(&copy);
}

// The middle button pastes the selection on X11; it would bypass the filter.
void FilteredLineEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) return;
    QLineEdit::mousePressEvent(event);
}

void FilteredLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) return;
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace tabulo
