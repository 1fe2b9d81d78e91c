#pragma once

#include "ui/secondary_window.h"

namespace korvanne {

// The note cut window; its note boxes arrive with the note tracking filter.
class TformNoteTrackingFilter final : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TformNoteTrackingFilter(QWidget* parent = nullptr)
        : SecondaryWindow("TformNoteTrackingFilter", "Note Cut", parent) {}
};

}  // namespace korvanne
