#pragma once

#include "ui/secondary_window.h"
#include "update/update_view.h"

namespace korvanne {

class TformNewVersionMsg;

// The updater's window, never shown: the windows' side of the version check and the updater.
// It opens the notice and ends the program by closing the main window.
class TformUpdateUpdater final : public SecondaryWindow, public UpdateView {
    Q_OBJECT
public:
    explicit TformUpdateUpdater(QWidget* parent = nullptr)
        : SecondaryWindow("TformUpdateUpdater", "UpdateUpdater", parent) {}

    void attach(TformNewVersionMsg* notice, QWidget* mainWindow) {
        notice_ = notice;
        mainWindow_ = mainWindow;
    }

    void showNewVersionNotice() override;
    void endApplication() override;

private:
    TformNewVersionMsg* notice_ = nullptr;
    QWidget* mainWindow_ = nullptr;
};

}  // namespace korvanne
