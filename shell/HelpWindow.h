#pragma once
// The help window: the program's Japanese HTML help book in a browser window of its
// own, with a contents button and back and forward.

#include <QWidget>

#include <filesystem>

#include "shell/HelpHost.h"

class QTextBrowser;

namespace tabulo {

class HelpWindow : public QWidget, public HelpHost {
    Q_OBJECT
public:
    // `helpFolder` holds index.html (the contents) and usage.html (using the help).
    explicit HelpWindow(std::filesystem::path helpFolder, QWidget* parent = nullptr);

    void ShowContents() override;
    void ShowHelpOnHelp() override;
    void ShowPage(const std::string& fileName) override;
    void CloseHelp() override;

    QTextBrowser* Browser() const { return browser_; }

private:
    void Open(const QString& fileName);

    std::filesystem::path helpFolder_;
    QTextBrowser* browser_ = nullptr;
};

}  // namespace tabulo
