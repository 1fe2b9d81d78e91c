#pragma once

#include <QString>

namespace korvanne {

// Questions and messages to the user. The editor shows message boxes and file dialogs;
// tests answer from a script and fail on any question they did not expect.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The button Enter presses. A question whose Yes changes or erases what the pedal holds
    // defaults to No.
    enum class Default { Yes, No };

    // A Yes/No confirmation; true for Yes.
    virtual bool confirm(const QString& text, Default defaultButton = Default::Yes) = 0;
    // An information box with OK.
    virtual void inform(const QString& text) = 0;
    // A box with OK and the warning icon: something failed or needs the user's care.
    virtual void warn(const QString& text) = 0;
    // File dialogs; an empty result means the user cancelled. `filter` is in the
    // "Description (*.ext)|*.ext" form; `defaultSuffix` has no dot.
    virtual QString openFile(const QString& title, const QString& filter,
                             const QString& defaultSuffix, const QString& folder) = 0;
    virtual QString saveFile(const QString& title, const QString& filter,
                             const QString& defaultSuffix, const QString& folder) = 0;
    // A line of text asked under `label`, offered as `initial`; an empty result means the user
    // cancelled.
    virtual QString askText(const QString& title, const QString& label, const QString& initial) = 0;
};

}  // namespace korvanne
