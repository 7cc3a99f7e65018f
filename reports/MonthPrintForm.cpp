#include "reports/MonthPrintForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "platform/SystemInfo.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"

namespace tabulo {

MonthPrintForm::MonthPrintForm(AppContext& app, const QString& caption, const QString& objectName,
                               const QString& printTip, QWidget* parent)
    : QDialog(parent), app_(app) {
    setWindowTitle(caption);
    setObjectName(objectName);
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setPointSize(11);
    setFont(f);

    month_ = new QComboBox(this);
    month_->setObjectName(QStringLiteral("自月"));
    for (int m = 1; m <= 12; ++m) month_->addItem(QString::number(m));
    month_->setEditable(false);
    month_->setMaxVisibleItems(12);
    month_->setMinimumWidth(70);
    const unsigned today = static_cast<unsigned>(app_.today().month());
    month_->setCurrentIndex(today >= 1 && today <= 12 ? static_cast<int>(today) - 1 : 0);
    month_->installEventFilter(this);

    print_ = new QPushButton(QStringLiteral("印刷(&P)"), this);
    print_->setObjectName(QStringLiteral("印刷"));
    print_->setToolTip(printTip);
    chudan_ = new QPushButton(QStringLiteral("終了(&X)"), this);
    chudan_->setObjectName(QStringLiteral("Chudan"));
    chudan_->setToolTip(QStringLiteral("作業を終了します"));
    connect(print_, &QPushButton::clicked, this, &MonthPrintForm::PrintMonth);
    connect(chudan_, &QPushButton::clicked, this, &MonthPrintForm::CancelEdit);

    auto* label1 = new QLabel(QStringLiteral("印刷月指定"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(QStringLiteral("月"), this);
    label2->setObjectName(QStringLiteral("Label2"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(20, 18, 20, 16);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(18);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(month_, 0, 1);
    grid->addWidget(label2, 0, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print_);
    buttons->addWidget(chudan_);
    grid->addLayout(buttons, 1, 0, 1, 3);
    adjustSize();
    TrimWorkingSet();
    PlaceForm(this);
}

QString MonthPrintForm::MonthText() const { return month_->currentText(); }

bool MonthPrintForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == month_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The month is picked from the list only: Delete, Backspace and typed
        // characters are swallowed; the arrow keys and F4 still move through the list.
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) return true;
        if (!key->text().isEmpty() && key->text().at(0).isPrint()) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MonthPrintForm::PrintMonth() { AskAndPrint(MonthText()); }

void MonthPrintForm::CancelEdit() { accept(); }

}  // namespace tabulo
