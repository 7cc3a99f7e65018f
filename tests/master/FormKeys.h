#pragma once
// Typing into forms in the offscreen tests: QTest::keyClicks only sends Latin-1, so
// Japanese text is sent as key events that carry the character as their text.

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

namespace tabulo::testing {

inline void TypeText(QWidget* target, const QString& text) {
    for (char32_t ch : text.toUcs4()) {
        QString one = QString::fromUcs4(&ch, 1);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, one);
        QApplication::sendEvent(target, &release);
    }
}

inline void Key(QWidget* target, Qt::Key key) { QTest::keyClick(target, key); }

// Shows a form as the active window, so that focus moves as it would on screen.
inline bool ShowActive(QWidget* form) {
    form->show();
    QApplication::setActiveWindow(form);
    form->activateWindow();
    return QTest::qWaitForWindowActive(form);
}

}  // namespace tabulo::testing
