#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/outcome.h"
#include "device/device_messages.h"
#include "device/message_builders.h"
#include "effect/unsent_choices.h"

namespace korvanne {

struct Services;
class DeviceMessages;
class FxSettings;

// The tuning lists of the effect settings window. Selecting an entry from code runs the list's
// change handler, as a user's choice does.
class TuningView {
public:
    virtual ~TuningView() = default;
    virtual void selectTuning(int position) = 0;
    virtual void selectSemitones(int position) = 0;
    virtual int tuningPosition() const = 0;
    // The lists hold a choice "Set Tuning" has not sent yet.
    virtual void showTuningPending(bool pending) { (void)pending; }
};

// How the instrument is tuned (one of eight tunings, shifted by -5 to +3 semitones), sent with
// "Set Tuning" and read back from the status reply; and the tuning data upload.
class Tunings {
public:
    static const QStringList TuningEntries;    // position = tuning number
    static const QStringList SemitoneEntries;  // position = semitones + 5
    static constexpr int SemitoneOffset = 5;
    static constexpr int NoTuningSelected = 0;
    static constexpr int BypassSettleMs = 400;  // the pedal needs it after bypass, before the data
    static constexpr int AfterWriteMs = 100;

    Tunings(Services& services, DeviceMessages& messages, FxSettings& fx);
    Tunings(const Tunings&) = delete;
    Tunings& operator=(const Tunings&) = delete;
    void setView(TuningView* view);

    // A choice made in the lists that "Set Tuning" has not sent yet (and that was not replaced by
    // the pedal's own tuning, read back).
    bool pending() const { return unsent_.pending(); }

    std::uint8_t CurrentTuning = 0;
    std::int8_t SemitoneVariation = 0;

    void cmbGuitarTuningChange(int position);
    void cmbSemitonesVariationChange(const QString& text);
    // Done once sent; Cancelled when the user says No; Failed when the message could not be
    // written whole.
    Outcome btnSetTuningClick();
    // Status reply entries index (tuning) and index + 1 (semitones).
    void ApplyTuning(const std::vector<std::uint8_t>& entries, std::size_t index);
    // The tuning data as one 1280-character hex text; logged.
    QString BuildTuningData();
    // Done once sent; Cancelled when the user says No.
    Outcome menuUploadTuningsDataClick();

    // The "Set Tuning" message for the current choice.
    Message tuningMessage() const;

private:
    // Every transfer step puts the pedal in bypass first; this is where the tuning data does it.
    void switchToBypass(DeviceMessages::Exchange& exchange);

    Services& services_;
    DeviceMessages& messages_;
    FxSettings& fx_;  // the one bypass sender
    TuningView* view_ = nullptr;
    UnsentChoices unsent_;
};

}  // namespace korvanne
