#include "shell/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/FormSupport.h"

namespace tabulo {

HelpWindow::HelpWindow(std::filesystem::path helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), helpFolder_(std::move(helpFolder)) {
    setWindowTitle(QStringLiteral("会計処理 ヘルプ"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* contents = new QPushButton(QStringLiteral("目次(&C)"), this);
    auto* back = new QPushButton(QStringLiteral("戻る(&B)"), this);
    auto* forward = new QPushButton(QStringLiteral("進む(&F)"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->setOpenLinks(true);
    browser_->setSearchPaths({QString::fromStdString(helpFolder_.string())});
    layout->addWidget(browser_);

    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, &HelpWindow::ShowContents);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(640, 560);
}

void HelpWindow::Open(const QString& fileName) {
    const auto path = helpFolder_ / fileName.toStdString();
    if (std::filesystem::exists(path)) {
        browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(path.string())));
    } else {
        browser_->setHtml(QStringLiteral("<p>ヘルプファイル %1 が見つかりません。</p>")
                              .arg(QString::fromStdString(path.string()).toHtmlEscaped()));
    }
    // The first time over the main window; after that where the user left it.
    if (!isVisible()) PlaceForm(this);
    show();
    raise();
    activateWindow();
}

void HelpWindow::ShowContents() { Open(QStringLiteral("index.html")); }
void HelpWindow::ShowHelpOnHelp() { Open(QStringLiteral("usage.html")); }
void HelpWindow::ShowPage(const std::string& fileName) { Open(QString::fromStdString(fileName)); }
void HelpWindow::CloseHelp() { close(); }

HelpOnDemand::~HelpOnDemand() = default;

HelpWindow& HelpOnDemand::Window() {
    if (!window_) window_ = std::make_unique<HelpWindow>(helpFolder_);
    return *window_;
}

void HelpOnDemand::CloseHelp() {
    if (window_) window_->CloseHelp();
}

}  // namespace tabulo
