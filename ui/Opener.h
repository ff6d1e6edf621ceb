#pragma once
#include <QString>
#include <QUrl>

#include <functional>

namespace quorrel {

// Hands a folder or an address to the desktop (file browser, web browser).
// Tests record what would be opened instead.
class Opener {
public:
    // Told, on the GUI thread and possibly later, that the desktop could not
    // open the address; the reason in a few words.
    using FailureHandler = std::function<void(const QString& reason)>;

    virtual ~Opener() = default;
    virtual void Open(const QUrl& url, FailureHandler onFailure) = 0;
};

} // namespace quorrel
