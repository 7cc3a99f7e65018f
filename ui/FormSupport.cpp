#include "ui/FormSupport.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/PrintDocument.h"
#include "platform/Prompt.h"
#include "ui/AppContext.h"

namespace tabulo {

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

void PlaceForm(QWidget* form) {
    QWidget* over = form->parentWidget();
    while (over != nullptr && over->parentWidget() != nullptr) over = over->parentWidget();
    if (over != nullptr) over = over->window();
    if (over == nullptr || !over->isVisible()) {
        QWidget* active = QApplication::activeWindow();
        over = active != form ? active : nullptr;
    }
    QScreen* screen = over != nullptr && over->screen() != nullptr ? over->screen()
                      : form->screen() != nullptr                  ? form->screen()
                                                  : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    // The window's frame: as it is once shown; before that the room keeps space for a
    // title bar and borders, and the form is centred by its own size.
    const QSize frame = form->isVisible() ? form->frameSize() - form->size() : QSize(0, 0);
    const QSize margin = form->isVisible() ? frame : QSize(16, 40);
    const QSize room(std::max(200, area.width() - margin.width()),
                     std::max(150, area.height() - margin.height()));
    if (form->width() > room.width() || form->height() > room.height())
        form->resize(form->size().boundedTo(room));
    const QSize outer = form->size() + frame;
    const QPoint centre = over != nullptr ? over->frameGeometry().center() : area.center();
    int x = centre.x() - outer.width() / 2;
    int y = centre.y() - outer.height() / 2;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    form->move(x, y);
}

bool SendToPrinter(AppContext& app, const PrintDocument& doc) {
    if (app.output != nullptr && app.output->Print(doc)) return true;
    app.prompt.MsgBox("プリンターのエラーです。印刷できません！", MsgStyle::Ok, "");
    return false;
}

}  // namespace tabulo
