#pragma once

#include "update/update_context.h"

namespace korvanne {

class MainView;

// The version check's view of the main window: the Info menu's new-version item and Update Now.
class MainUpdateMenu final : public UpdateMenu {
public:
    explicit MainUpdateMenu(MainView& view) : view_(view) {}

    QString newVersionCaption() const override;
    void setNewVersionCaption(const QString& text) override;
    void setUpdateNowEnabled(bool enabled) override;

private:
    MainView& view_;
};

}  // namespace korvanne
