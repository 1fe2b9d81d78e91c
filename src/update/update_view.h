#pragma once

namespace korvanne {

// What the version check and the updater need of the windows beyond the main window's menu.
class UpdateView {
public:
    virtual ~UpdateView() = default;
    // Opens the new-version notice without waiting for it.
    virtual void showNewVersionNotice() = 0;
    // Ends the program once the updater has been started.
    virtual void endApplication() = 0;
};

}  // namespace korvanne
