#include "platform/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace tabulo {

bool DesktopUrlOpener::Open(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace tabulo
