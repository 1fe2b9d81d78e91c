#include "update/tform_update_updater.h"

#include "update/tform_new_version_msg.h"

namespace korvanne {

void TformUpdateUpdater::showNewVersionNotice() {
    if (!notice_) return;
    notice_->show();
}

void TformUpdateUpdater::endApplication() {
    // Closing the main window ends the program, as when the user closes it.
    if (mainWindow_) mainWindow_->close();
}

}  // namespace korvanne
