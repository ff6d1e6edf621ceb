#pragma once
#include "ui/Opener.h"

namespace quorrel {

// Asks the desktop to open a folder or an address.
class DesktopOpener : public Opener {
public:
    void Open(const QUrl& url) override;
};

} // namespace quorrel
