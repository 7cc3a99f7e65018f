#pragma once
// Acting on a modal dialog in the form tests: exec() blocks the test, so the action is
// queued and runs from the dialog's own event loop once it is shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace tabulo::testing {

// Runs `act` on the next modal dialog other than `except` that opens (and, when
// `name` is given, has that object name). Gives up after two seconds with a failure;
// nothing runs once `live` has expired (the test is over).
inline void OnNextModal(std::weak_ptr<bool> live, const QWidget* except,
                        std::function<void(QWidget*)> act, const QString& name = QString()) {
    auto poll = std::make_shared<std::function<void()>>();
    auto tries = std::make_shared<int>(0);
    *poll = [act, poll, tries, live, except, name] {
        if (live.expired()) return;
        QWidget* m = QApplication::activeModalWidget();
        if (m && m != except && m->isVisible() && (name.isEmpty() || m->objectName() == name)) {
            // Acted on from the dialog's own event loop: a dialog closed while it is
            // still being shown would leave exec() waiting.
            QPointer<QWidget> dialog(m);
            QTimer::singleShot(10, [act, dialog, live] {
                if (dialog && !live.expired()) act(dialog);
            });
        } else if (++*tries < 400) {
            QTimer::singleShot(5, *poll);
        } else {
            ADD_FAILURE() << "no dialog opened";
        }
    };
    QTimer::singleShot(0, *poll);
}

}  // namespace tabulo::testing
