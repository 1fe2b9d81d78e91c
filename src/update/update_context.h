#pragma once

#include <QString>

namespace korvanne {

class Timer;
struct Services;

// The Info menu's items the version check sets. The main window's side implements it over its
// menu; tests and a command-line front end can implement it without any.
class UpdateMenu {
public:
    virtual ~UpdateMenu() = default;

    // "New version available:" with the version found appended, or "No update available".
    virtual QString newVersionCaption() const = 0;
    virtual void setNewVersionCaption(const QString& text) = 0;
    // "Update Now".
    virtual void setUpdateNowEnabled(bool enabled) = 0;
};

// What the version check and the updater need of the program around them: the seams, the
// check's timer, the editor's version, the new-version notice setting and the Info menu.
// MainController implements it.
class UpdateContext {
public:
    virtual ~UpdateContext() = default;

    virtual Services& services() = 0;
    virtual Timer& TimerCheckWebVersion() = 0;
    virtual UpdateMenu& updateMenu() = 0;

    // The running editor's version.
    virtual QString editorVersion() const = 0;
    // The new-version notice is shown (the start-up setting).
    virtual bool showUpdateMessage() const = 0;
    // The notice stays off from the next start.
    virtual void stopShowingUpdateMessage() = 0;
};

}  // namespace korvanne
