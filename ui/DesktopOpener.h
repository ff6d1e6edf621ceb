#pragma once
#include "ui/Opener.h"

namespace quorrel {

// Asks the desktop to open a folder or an address: through xdg-open where
// it is installed, whose exit status tells whether a program took it;
// otherwise through Qt's desktop services.
class DesktopOpener : public Opener {
public:
    void Open(const QUrl& url, FailureHandler onFailure) override;
};

} // namespace quorrel
