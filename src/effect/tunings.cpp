#include "effect/tunings.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/command_exchange.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "effect/effect_context.h"
#include "effect/fx_settings.h"
#include "effect/tuning_data.h"

namespace korvanne {

const QStringList Tunings::TuningEntries{
    "No Tuning Selected", "Standard (EADGBE)", "Drop D (DADGBE)", "DADGAD",     "open D (DADF#AD)",
    "Blues G (DGDGBD)",   "Open A (EAC#EAE)",  "Open C (CGCGCE)", "Bass Guitar"};

const QStringList Tunings::SemitoneEntries{"-5", "-4", "-3", "-2", "-1", "0", "+1", "+2", "+3"};

Tunings::Tunings(EffectContext& main) : main_(main) {}

void Tunings::cmbGuitarTuningChange(int position) {
    if (position >= 0 && position < TuningEntries.size()) {
        CurrentTuning = static_cast<std::uint8_t>(position);
    }
}

void Tunings::cmbSemitonesVariationChange(const QString& text) {
    bool ok = false;
    const int semitones = text.toInt(&ok);  // "+3" reads as 3
    if (ok && semitones >= -SemitoneOffset && semitones <= 3) {
        SemitoneVariation = static_cast<std::int8_t>(semitones);
    }
}

std::string Tunings::tuningMessage() const {
    return msg::setTuning(CurrentTuning, SemitoneVariation);
}

Outcome Tunings::btnSetTuningClick() {
    Dialogs& dialogs = main_.services().dialogs;
    const std::string text = tuningMessage();
    main_.services().log.ConsoleLog("Tuning Message: " + QString::fromStdString(text));
    if (!CommandExchange::linkFree(main_.messages(), "Set Tuning")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Set new tuning?"))) return Outcome::cancelled();
    CommandExchange exchange(main_.messages(), "Set Tuning");
    exchange.purgeTransmit();
    exchange.send(text);
    exchange.pause(AfterWriteMs);
    return Outcome::done();
}

void Tunings::ApplyTuning(const std::vector<std::uint8_t>& entries, std::size_t index) {
    if (entries.size() < index + 2) return;
    CurrentTuning = entries[index];
    SemitoneVariation = static_cast<std::int8_t>(entries[index + 1]);
    LogSink& log = main_.services().log;
    log.ConsoleLog("Current Tuning: " + QString::number(CurrentTuning));
    log.ConsoleLog("Semitones variation: " + QString::fromStdString(hex2(entries[index + 1])));
    if (!view_) return;
    // A number outside the lists leaves that list as it is.
    if (CurrentTuning < TuningEntries.size()) view_->selectTuning(CurrentTuning);
    if (SemitoneVariation >= -SemitoneOffset && SemitoneVariation <= 3) {
        view_->selectSemitones(SemitoneVariation + SemitoneOffset);
    }
}

QString Tunings::BuildTuningData() {
    const QString text = QString::fromStdString(tuningDataText());
    main_.services().log.ConsoleLog("tuning data: " + text);
    return text;
}

void Tunings::switchToBypass(CommandExchange& exchange) {
    // Sent from this exchange's own step, the bypass goes out now, before the pause.
    if (exchange.started()) main_.fxSettings().SendBypass(true);
}

void Tunings::menuUploadTuningsDataClick() {
    Dialogs& dialogs = main_.services().dialogs;
    const QString data = BuildTuningData();
    if (!CommandExchange::linkFree(main_.messages(), "Upload Tuning Data")) return;
    if (!dialogs.confirm(QStringLiteral("Upload Tuning Data?"))) return;
    CommandExchange exchange(main_.messages(), "Upload Tuning Data");
    switchToBypass(exchange);
    exchange.pause(BypassSettleMs);
    const std::string text = msg::tuningData(data.toStdString());
    main_.services().log.ConsoleLog("num_of_bytes: " + QString::number(text.size() / 2));
    exchange.purgeTransmit();
    exchange.send(text);
    exchange.pause(AfterWriteMs);
}

}  // namespace korvanne
