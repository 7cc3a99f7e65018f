#pragma once
// The help book as the forms see it: its contents, the page on using the help, one
// page by name, and closing it when the program ends.

#include <string>

namespace tabulo {

class HelpHost {
public:
    virtual ~HelpHost() = default;
    virtual void ShowContents() = 0;        // 目次
    virtual void ShowHelpOnHelp() = 0;      // ヘルプの使い方
    virtual void ShowPage(const std::string& fileName) = 0;  // a page of the help folder
    virtual void CloseHelp() = 0;
};

}  // namespace tabulo
