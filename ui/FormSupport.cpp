#include "ui/FormSupport.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/PrintDocument.h"
#include "platform/Prompt.h"
#include "ui/AppContext.h"

namespace tabulo {

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

void CenterOnScreen(QWidget* form) {
    QScreen* screen = form->screen() != nullptr ? form->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const QSize size = form->frameSize().isValid() ? form->frameSize() : form->size();
    form->move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2);
}

bool SendToPrinter(AppContext& app, const PrintDocument& doc) {
    if (app.output != nullptr && app.output->Print(doc)) return true;
    app.prompt.MsgBox("プリンターのエラーです。印刷できません！", MsgStyle::Ok, "");
    return false;
}

}  // namespace tabulo
