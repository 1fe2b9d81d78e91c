#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "core/outcome.h"
#include "device/message_builders.h"

namespace korvanne {

struct Services;
class DeviceMessages;
class Communication;

// The eight note boxes of the note cut window, by note code (0 "A2" to 7 "E3").
class NoteCutView {
public:
    virtual ~NoteCutView() = default;
    virtual bool isBoxChecked(int code) const = 0;
    virtual void setBoxEnabled(int code, bool enabled) = 0;
};

// Up to two notes of the low register (A2 to E3) whose tracking the pedal cuts, sent as one
// 3-byte message. The choice is not read back from the pedal.
class NoteTrackingFilter {
public:
    static constexpr int Notes = 8;
    static constexpr int MaxChecked = 2;
    static constexpr int AfterWriteMs = 100;
    static const std::array<QString, Notes> NoteNames;
    static inline const QString NotLinkedMessage =
        QStringLiteral("No pedal is linked. Link the pedal, then save the note cut again.");

    NoteTrackingFilter(Services& services, DeviceMessages& messages, const Communication& link);
    void setView(NoteCutView* view) { view_ = view; }

    // Number of checked boxes.
    int NoteFilterCount = 0;

    // Any of the eight boxes changed: with two checked, the others cannot be checked.
    void chkNoteChange();
    // Done once sent; refused without a linked pedal (the user is told).
    Outcome btnSaveClick();
    // The message for the boxes checked now.
    Message noteFilterMessage() const;

private:
    Services& services_;
    DeviceMessages& messages_;
    const Communication& link_;
    NoteCutView* view_ = nullptr;
};

}  // namespace korvanne
