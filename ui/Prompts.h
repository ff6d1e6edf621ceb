#pragma once
#include <QString>

namespace quorrel {

// The message and input boxes the windows use. The real one shows Qt's
// boxes; tests answer in their place.
class Prompts {
public:
    virtual ~Prompts() = default;

    // OK button, the application's title as caption.
    virtual void Information(const QString& text) = 0;
    // Information icon, OK and Cancel; true for OK.
    virtual bool Confirm(const QString& caption, const QString& text) = 0;
    // Information icon, OK button.
    virtual void Notice(const QString& caption, const QString& text) = 0;
    // One-line input; Cancel returns the initial text.
    virtual QString Input(const QString& caption, const QString& prompt, const QString& initial) = 0;
    // A failed command: shows the error text.
    virtual void ErrorBox(const QString& text) = 0;
    // Something could not be opened: the text, then the path, which the user
    // can select and copy with a button.
    virtual void OpenFailed(const QString& text, const QString& path) = 0;
};

} // namespace quorrel
