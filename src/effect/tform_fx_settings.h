#pragma once

#include "ui/secondary_window.h"

namespace korvanne {

// The effect settings window: the nineteen parameter controls arrive with the effect parameters.
class TformFXsettings final : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TformFXsettings(QWidget* parent = nullptr)
        : SecondaryWindow("TformFXsettings", "Form1", parent) {
        resize(560, 420);
    }
    // Enables or disables every control of the window.
    void SetEffectControlsEnabled(bool enabled) { controlsEnabled_ = enabled; }
    bool effectControlsEnabled() const { return controlsEnabled_; }

private:
    bool controlsEnabled_ = false;
};

}  // namespace korvanne
