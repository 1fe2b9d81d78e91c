#pragma once

#include <array>
#include <functional>

#include "effect/note_tracking_filter.h"
#include "ui/secondary_window.h"

class QCheckBox;
class QPushButton;

namespace korvanne {

// The note cut window: eight note boxes, "Save" and "Get". It shows the boxes and forwards every
// change to the note tracking filter.
class TformNoteTrackingFilter final : public SecondaryWindow, public NoteCutView {
    Q_OBJECT
public:
    explicit TformNoteTrackingFilter(QWidget* parent = nullptr);
    void attach(NoteTrackingFilter* filter);
    // Told what "Save" did, for the program to show.
    std::function<void(const Outcome&)> saved;

    QCheckBox* box(int code) const { return boxes_.at(static_cast<std::size_t>(code)); }

    // NoteCutView.
    bool isBoxChecked(int code) const override;
    void setBoxEnabled(int code, bool enabled) override;

private:
    std::array<QCheckBox*, NoteTrackingFilter::Notes> boxes_{};
    QPushButton* btnSave;
    QPushButton* btnGet;
};

}  // namespace korvanne
