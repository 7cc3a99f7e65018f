#pragma once
// Hands a file or a folder to the desktop (its PDF viewer, its file manager). The forms
// go through this so that tests see the address without a desktop.

class QUrl;

namespace tabulo {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when the desktop has nothing that opens it.
    virtual bool Open(const QUrl& url) = 0;
};

// QDesktopServices: xdg-open and the desktop's choice of program.
class DesktopUrlOpener : public UrlOpener {
public:
    bool Open(const QUrl& url) override;
};

}  // namespace tabulo
