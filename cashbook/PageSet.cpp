#include "cashbook/PageSet.h"

#include <QGridLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

PageSet::PageSet(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("日付検索"));
    setModal(true);
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
    font.setPointSize(11);
    setFont(font);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("検索日付を入力"), this), 0, 0);
    checkDate_ = new QLineEdit(this);
    checkDate_->setMaxLength(6);
    checkDate_->setInputMethodHints(Qt::ImhDigitsOnly);
    checkDate_->setFixedWidth(checkDate_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 9);
    checkDate_->installEventFilter(this);
    layout->addWidget(checkDate_, 0, 1);
    pageIdou_ = new QPushButton(QStringLiteral("ページ移動"), this);
    pageIdou_->setToolTip(QStringLiteral("検索日付のページへ移動します"));
    pageIdou_->setAutoDefault(false);
    connect(pageIdou_, &QPushButton::clicked, this, &PageSet::GoToPage);
    layout->addWidget(pageIdou_, 1, 0, 1, 2);
    checkDate_->setFocus();
}

void PageSet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + ((area.width() - width()) * 3) / 5,
             area.y() + ((area.height() - height()) * 3) / 4);
    }
}

bool PageSet::eventFilter(QObject* watched, QEvent* event) {
    if (watched != checkDate_) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Up: case Qt::Key_Down:
        case Qt::Key_Left: case Qt::Key_Right:
            return true;
        case Qt::Key_Backspace: case Qt::Key_Delete: case Qt::Key_Tab: case Qt::Key_Backtab:
        case Qt::Key_Escape: case Qt::Key_Home: case Qt::Key_End:
            return false;
        default: break;
        }
        const QString text = key->text().toUpper();
        if (text.isEmpty()) return false;
        for (char32_t ch : text.toUcs4()) {
            if (AcceptDigits(KeyCodeOf(ch)) != 0) {
                app_.prompt.Beep();
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        for (char32_t ch : im->commitString().toUpper().toUcs4()) {
            if (AcceptDigits(KeyCodeOf(ch)) != 0) {
                app_.prompt.Beep();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PageSet::GoToPage() {
    requested_ = checkDate_->text().toStdString();
    accept();
}

}  // namespace tabulo
