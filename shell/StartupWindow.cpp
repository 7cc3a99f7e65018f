#include "shell/StartupWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/ProgramInfo.h"
#include "shell/ToolIcons.h"

namespace tabulo {

StartupWindow::StartupWindow(std::function<void()> startup, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), startup_(std::move(startup)) {
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setFixedSize(360, 150);
    setObjectName(QStringLiteral("StartupWindow"));
    // Dark blue with white captions, set by the palette (a style sheet would cost the
    // start-up its parsing); the border is drawn in paintEvent.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x1f, 0x4e, 0x79));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramIcon(40));
    picture->setAlignment(Qt::AlignHCenter);
    caption_ = new QLabel(QString::fromUtf8(kMainCaption), this);
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(30);
    f.setBold(true);
    caption_->setFont(f);
    caption_->setAlignment(Qt::AlignHCenter);  // centred within the window
    auto* note = new QLabel(QStringLiteral("起動しています..."), this);
    note->setAlignment(Qt::AlignHCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(picture);
    layout->addWidget(caption_);
    layout->addWidget(note);
    layout->addStretch();

    // Centred on the screen: ((screen - window) / 2) in both directions.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;

    timer1_ = new QTimer(this);
    timer1_->setSingleShot(true);
    timer1_->setInterval(0);
    connect(timer1_, &QTimer::timeout, this, [this] {
        started_ = true;
        if (cursorSet_) {
            QApplication::restoreOverrideCursor();
            cursorSet_ = false;
        }
        if (startup_) startup_();
    });
}

StartupWindow::~StartupWindow() {
    if (cursorSet_) QApplication::restoreOverrideCursor();
}

void StartupWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The start-up work runs once the window is painted; should the platform not paint
    // it (a window not exposed), a moment after it was shown.
    if (!started_ && !timer1_->isActive()) timer1_->start(200);
}

void StartupWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter border(this);
    border.setPen(QColor(0x0c, 0x2a, 0x45));
    border.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!started_) {
        started_ = true;
        timer1_->start(0);
    }
}

}  // namespace tabulo
