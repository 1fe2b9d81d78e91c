#pragma once

#include "ui/secondary_window.h"

namespace korvanne {

// The firmware upgrade window; its progress and steps arrive with the firmware upgrade.
class TformFirmwareUpgrade final : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TformFirmwareUpgrade(QWidget* parent = nullptr)
        : SecondaryWindow("TformFirmwareUpgrade", "Firmware Upgrade", parent) {}
};

}  // namespace korvanne
