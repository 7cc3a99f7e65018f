#pragma once
// The start-up window: a small centred window with the program's caption, shown while
// the start-up check runs from a one-shot timer once the window has been painted.

#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace tabulo {

class StartupWindow : public QWidget {
    Q_OBJECT
public:
    // `startup` runs once from the timer after the window has first been painted (or,
    // should no paint come, a moment after it was shown).
    explicit StartupWindow(std::function<void()> startup, QWidget* parent = nullptr);
    ~StartupWindow() override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> startup_;
    QLabel* caption_ = nullptr;
    QTimer* timer1_ = nullptr;
    bool cursorSet_ = false;
    bool started_ = false;
};

}  // namespace tabulo
