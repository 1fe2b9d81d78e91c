#include "effect/tunings.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "effect/fx_settings.h"
#include "effect/tuning_data.h"

namespace korvanne {

const QStringList Tunings::TuningEntries{
    "No Tuning Selected", "Standard (EADGBE)", "Drop D (DADGBE)", "DADGAD",     "open D (DADF#AD)",
    "Blues G (DGDGBD)",   "Open A (EAC#EAE)",  "Open C (CGCGCE)", "Bass Guitar"};

const QStringList Tunings::SemitoneEntries{"-5", "-4", "-3", "-2", "-1", "0", "+1", "+2", "+3"};

Tunings::Tunings(Services& services, DeviceMessages& messages, FxSettings& fx)
    : services_(services), messages_(messages), fx_(fx) {}

void Tunings::setView(TuningView* view) {
    view_ = view;
    unsent_.show = [this](bool pending) {
        if (view_) view_->showTuningPending(pending);
    };
    unsent_.reshow();
}

void Tunings::cmbGuitarTuningChange(int position) {
    if (position >= 0 && position < TuningEntries.size()) {
        CurrentTuning = static_cast<std::uint8_t>(position);
        unsent_.changed();
    }
}

void Tunings::cmbSemitonesVariationChange(const QString& text) {
    bool ok = false;
    const int semitones = text.toInt(&ok);  // "+3" reads as 3
    if (ok && semitones >= -SemitoneOffset && semitones <= 3) {
        SemitoneVariation = static_cast<std::int8_t>(semitones);
        unsent_.changed();
    }
}

Message Tunings::tuningMessage() const {
    return msg::setTuning(CurrentTuning, SemitoneVariation);
}

Outcome Tunings::btnSetTuningClick() {
    Dialogs& dialogs = services_.dialogs;
    const Message message = tuningMessage();
    const std::uint64_t edits = unsent_.edits();
    services_.log.ConsoleLog("Tuning Message: " + QString::fromStdString(hexText(message)));
    if (!messages_.linkFree("Set Tuning")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Set new tuning?"))) return Outcome::cancelled();
    DeviceMessages::Exchange exchange(messages_, "Set Tuning");
    if (!exchange) return Outcome::busy();
    exchange.purgeTransmit();
    if (exchange.send(message) != message.size()) {
        return Outcome::failed(
            QStringLiteral("The tuning was not sent: the pedal's line did not "
                           "take the message."));
    }
    unsent_.sent(edits);
    exchange.pause(AfterWriteMs);
    return Outcome::done();
}

void Tunings::ApplyTuning(const std::vector<std::uint8_t>& entries, std::size_t index) {
    if (entries.size() < index + 2) return;
    const int tuning = entries[index];
    const int semitones = std::int8_t(entries[index + 1]);
    LogSink& log = services_.log;
    log.ConsoleLog("Current Tuning: " + QString::number(tuning));
    log.ConsoleLog("Semitones variation: " + QString::fromStdString(hex2(entries[index + 1])));
    // A number outside the lists leaves that list, and what "Set Tuning" sends, as they were:
    // the choice held here is always the one the window shows.
    const UnsentChoices::ReadBack reading(unsent_);
    const bool tuningShown = tuning < TuningEntries.size();
    const bool semitonesShown = semitones >= -SemitoneOffset && semitones <= 3;
    if (tuningShown) {
        CurrentTuning = static_cast<std::uint8_t>(tuning);
        if (view_) view_->selectTuning(tuning);
    }
    if (semitonesShown) {
        SemitoneVariation = static_cast<std::int8_t>(semitones);
        if (view_) view_->selectSemitones(semitones + SemitoneOffset);
    }
    // A list left as it was still holds the user's choice, not the pedal's.
    if (tuningShown && semitonesShown) unsent_.readBack();
}

QString Tunings::BuildTuningData() {
    const QString text = QString::fromStdString(tuningDataText());
    services_.log.ConsoleLog("tuning data: " + text);
    return text;
}

void Tunings::switchToBypass(DeviceMessages::Exchange& exchange) {
    // Sent from this exchange's own step, the bypass goes out now, before the pause.
    if (exchange.entered()) fx_.SendBypass(true);
}

Outcome Tunings::menuUploadTuningsDataClick() {
    Dialogs& dialogs = services_.dialogs;
    BuildTuningData();  // logs the table it sends
    if (!messages_.linkFree("Upload Tuning Data")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Upload Tuning Data?"))) return Outcome::cancelled();
    DeviceMessages::Exchange exchange(messages_, "Upload Tuning Data");
    switchToBypass(exchange);
    exchange.pause(BypassSettleMs);
    std::vector<std::uint32_t> words;
    for (const TuningRecord& record : TuningData)
        words.insert(words.end(), record.begin(), record.end());
    const Message message = msg::tuningData(words);
    services_.log.ConsoleLog("num_of_bytes: " + QString::number(message.size()));
    exchange.purgeTransmit();
    exchange.send(message);
    exchange.pause(AfterWriteMs);
    return Outcome::done();
}

}  // namespace korvanne
