#include "shell/About.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "platform/SystemInfo.h"
#include "ui/AppContext.h"
#include "shell/ProgramInfo.h"
#include "shell/ToolIcons.h"

namespace tabulo {

About::About(AppContext&, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramIcon(48));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = new QLabel(QString::fromUtf8(kProgramName), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(QStringLiteral("バージョン ") + QString::fromUtf8(kProgramVersion), this);
    auto* note = new QLabel(QString::fromUtf8(kProgramNote), this);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    system_ = new QLabel(SystemText(), this);
    processor_ = new QLabel(ProcessorText(), this);
    memory_ = new QLabel(MemoryText(), this);
    processor_->setWordWrap(true);

    command1_ = new QPushButton(QStringLiteral("OK"), this);
    command1_->setDefault(true);
    command1_->setMinimumWidth(96);
    connect(command1_, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(version);
    text->addWidget(note);
    text->addSpacing(8);
    text->addWidget(line);
    text->addSpacing(4);
    text->addWidget(system_);
    text->addWidget(processor_);
    text->addWidget(memory_);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

QString About::SystemText() const { return QSysInfo::prettyProductName(); }

QString About::ProcessorText() const {
    return QStringLiteral("CPU: ") + QString::fromStdString(ProcessorModel());
}

QString About::MemoryText() const {
    const auto percent = AvailableMemoryPercent();
    return QStringLiteral("使用可能ﾒﾓﾘ容量: ") +
           (percent ? QString::number(*percent) : QStringLiteral("-")) + QStringLiteral("%");
}

}  // namespace tabulo
