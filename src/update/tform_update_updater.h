#pragma once

#include "ui/secondary_window.h"

namespace korvanne {

// The window that refreshes the updater program; its contents arrive with the updater.
class TformUpdateUpdater final : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TformUpdateUpdater(QWidget* parent = nullptr)
        : SecondaryWindow("TformUpdateUpdater", "UpdateUpdater", parent) {}
};

}  // namespace korvanne
