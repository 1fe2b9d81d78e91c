#pragma once

#include "ui/secondary_window.h"

namespace korvanne {

// The new-version notice; its contents arrive with the updater.
class TformNewVersionMsg final : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TformNewVersionMsg(QWidget* parent = nullptr)
        : SecondaryWindow("TformNewVersionMsg", "New Version", parent) {}
};

}  // namespace korvanne
