#pragma once

#include <QString>

namespace korvanne {

class LinkView;
class TransferView;
class UpdateMenu;

// What the operations ask of the front end they run under (the desktop's main window, or
// korvanne-cli): where the link, the transfers and the version check show what they do, the
// enabling rules, the picked effect and its settings window. Each front end implements it once.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    virtual LinkView& linkView() = 0;
    virtual TransferView& transferView() = 0;
    virtual UpdateMenu& updateMenu() = 0;

    // The commands that need a linked, ready pedal (all of them: true; or false).
    virtual void EnableUSBobjects(bool status) = 0;
    // The buttons that need the pedal's algorithm to be the current one.
    virtual void EnableEffectButtons(bool status) = 0;
    virtual void setAssignEnabled(bool enabled) = 0;
    virtual void showAllParametersEnabled(bool enabled) = 0;
    // An exchange with the pedal is in progress (other device commands wait).
    virtual void setBusy(bool busy) = 0;

    // The effect list's picked entry: its position (-1 for none) and its text.
    virtual int pickedEffect() const = 0;
    virtual QString pickedEffectText() const = 0;
    // Opens the effect settings window for the picked effect.
    virtual void OpenEffectWindow() = 0;

    // Whether a status read sends the switch and bypass states it shows back to the pedal, as
    // the window's controls do. A front end without controls reads without writing anything.
    virtual bool echoesWhatItReads() const = 0;
};

}  // namespace korvanne
