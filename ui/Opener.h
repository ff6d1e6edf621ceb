#pragma once
#include <QUrl>

namespace quorrel {

// Hands a folder or an address to the desktop (file browser, web browser).
// Tests record what would be opened instead.
class Opener {
public:
    virtual ~Opener() = default;
    virtual void Open(const QUrl& url) = 0;
};

} // namespace quorrel
