#include "ui/DesktopOpener.h"

#include <QDesktopServices>

namespace quorrel {

void DesktopOpener::Open(const QUrl& url) {
    // A desktop without a handler for the address simply opens nothing.
    QDesktopServices::openUrl(url);
}

} // namespace quorrel
