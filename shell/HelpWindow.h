#pragma once
// The help window: the program's Japanese HTML help book in a browser window of its
// own, with a contents button and back and forward.

#include <QWidget>

#include <filesystem>
#include <memory>

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

// The help book the program hands its forms: the help window is made when a page is
// first asked for, so that a run that never opens the help never builds it.
class HelpOnDemand : public HelpHost {
public:
    explicit HelpOnDemand(std::filesystem::path helpFolder) : helpFolder_(std::move(helpFolder)) {}
    ~HelpOnDemand() override;

    void ShowContents() override { Window().ShowContents(); }
    void ShowHelpOnHelp() override { Window().ShowHelpOnHelp(); }
    void ShowPage(const std::string& fileName) override { Window().ShowPage(fileName); }
    void CloseHelp() override;
    // The window, or null while no page has been asked for.
    HelpWindow* Made() const { return window_.get(); }

private:
    HelpWindow& Window();

    std::filesystem::path helpFolder_;
    std::unique_ptr<HelpWindow> window_;
};

}  // namespace tabulo
