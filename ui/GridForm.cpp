#include "ui/GridForm.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "ui/AppContext.h"

namespace tabulo {

GridForm::GridForm(AppContext& app, const QString& caption, const QString& objectName,
                   QWidget* parent)
    : QDialog(parent), app_(app) {
    setWindowTitle(caption);
    setObjectName(objectName);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(11);
    setFont(font);
    for (int i = 0; i < 9; ++i) {
        toolbarBefore_[i] = app_.toolbar.IsButtonEnabled(i);
        app_.toolbar.SetButtonEnabled(i, false);
    }
}

void GridForm::Finish() {
    if (finished_) return;
    finished_ = true;
    // The buttons go back to what they were when the form opened.
    for (int i = 0; i < 9; ++i) app_.toolbar.SetButtonEnabled(i, toolbarBefore_[i]);
    OnFinish();
}

void GridForm::WatchFunctionKeys() {
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void GridForm::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    Cancel();
}

void GridForm::closeEvent(QCloseEvent* event) {
    if (finished_) {
        event->accept();
        return;
    }
    event->ignore();
    Cancel();
}

bool GridForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && FunctionKey(key->key())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void GridForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            focusNextChild();
            return;
        case Qt::Key_Escape:
            return;  // nothing on these forms closes with Esc
        default:
            if (FunctionKey(event->key())) return;
            QDialog::keyPressEvent(event);
    }
}

}  // namespace tabulo
