#include "app/main_update_menu.h"

#include "app/main_view.h"

namespace korvanne {

QString MainUpdateMenu::newVersionCaption() const {
    return view_.text(Control::menuNewAppVersion);
}

void MainUpdateMenu::setNewVersionCaption(const QString& text) {
    view_.setText(Control::menuNewAppVersion, text);
}

void MainUpdateMenu::setUpdateNowEnabled(bool enabled) {
    view_.setEnabled(Control::menuUpdateNow, enabled);
}

}  // namespace korvanne
