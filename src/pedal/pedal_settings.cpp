#include "pedal/pedal_settings.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/command_exchange.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "pedal/pedal_context.h"

namespace korvanne {

PedalSettings::PedalSettings(PedalContext& main) : main_(main) {}

QString PedalSettings::midiChannelCaption(int index) {
    return index == 0 ? QStringLiteral("OMNI") : QString::number(index);
}

void PedalSettings::checkPair(PedalMenuItem on, PedalMenuItem off) {
    if (!view_) return;
    view_->setItemChecked(on, true);
    view_->setItemChecked(off, false);
}

void PedalSettings::send(const std::string& text, const QString& name) {
    CommandExchange exchange(main_.messages(), name);
    exchange.send(text);
}

Outcome PedalSettings::menuStandardClick() {
    return chooseRange(RangeStandard, QStringLiteral("GUITAR"));
}

Outcome PedalSettings::menuLowClick() {
    return chooseRange(RangeLow, QStringLiteral("BASS"));
}

Outcome PedalSettings::chooseRange(std::uint8_t range, const QString& fileText) {
    main_.communication().InstrumentRange = range;
    if (range == RangeStandard) {
        checkPair(PedalMenuItem::menuStandard, PedalMenuItem::menuLow);
    } else {
        checkPair(PedalMenuItem::menuLow, PedalMenuItem::menuStandard);
    }
    // The pedal is still told when this fails: the file only remembers the choice for the user.
    main_.rememberInstrument(fileText);
    return ChangeInstrument();
}

Outcome PedalSettings::ChangeInstrument() {
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;
    const std::string text = msg::instrumentRange(main_.communication().InstrumentRange);
    // Only the two ranges have a command; any other value has nothing to send.
    if (text.empty()) return Outcome::refused(QStringLiteral("There is no such instrument range."));
    log.ConsoleLog("checksum byte: " + QString::fromStdString(text.substr(14, 2)));
    if (!CommandExchange::linkFree(main_.messages(), "Instrument Range")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Change current Instrument?"))) return Outcome::cancelled();
    log.ConsoleLog(QString::fromStdString(text));
    send(text, "Instrument Range");
    return Outcome::done();
}

void PedalSettings::menuStoreBypassStatusClick() {
    checkPair(PedalMenuItem::menuStoreBypassStatus, PedalMenuItem::menuDoNotStoreBypassStatus);
    ChangeStoreBypassStatus(true);
}

void PedalSettings::menuDoNotStoreBypassStatusClick() {
    checkPair(PedalMenuItem::menuDoNotStoreBypassStatus, PedalMenuItem::menuStoreBypassStatus);
    ChangeStoreBypassStatus(false);
}

void PedalSettings::ChangeStoreBypassStatus(bool store) {
    const std::string text = msg::bypassStoring(store);
    main_.services().log.ConsoleLog(QString::fromStdString(text));
    send(text, "Bypass Status");
}

void PedalSettings::menuRangeLimitONClick() {
    RangeLimit(1);
    checkPair(PedalMenuItem::menuRangeLimitON, PedalMenuItem::menuRangeLimitOFF);
}

void PedalSettings::menuRangeLimitOFFClick() {
    RangeLimit(0);
    checkPair(PedalMenuItem::menuRangeLimitOFF, PedalMenuItem::menuRangeLimitON);
}

void PedalSettings::RangeLimit(std::uint8_t status) {
    const std::string text = msg::rangeLimit(status);
    main_.services().log.ConsoleLog(QString::fromStdString(text));
    send(text, "Limit Range");
}

void PedalSettings::menuMIDIchannelsClickItem(const QString& caption) {
    LogSink& log = main_.services().log;
    log.ConsoleAppend("Midi channel: " + caption);
    std::uint8_t channel = 0;
    if (caption != QLatin1String("OMNI")) {
        bool ok = false;
        const int n = caption.toInt(&ok);
        // Only the seventeen items exist; anything else is not a channel.
        if (!ok || n < 1 || n > 16) return;
        channel = static_cast<std::uint8_t>(n);
    }
    const std::string text = msg::midiChannel(channel);
    log.ConsoleLog(QString::fromStdString(text));
    send(text, "MIDI channel");
}

void PedalSettings::ShowMidiChannel(std::uint8_t entry) {
    if (view_) {
        for (int i = 0; i < PedalSettingsView::MidiChannelItems; ++i) {
            view_->setMidiChannelChecked(i, false);
        }
        if (const int channel = midiChannelOf(entry); channel <= 16) {
            view_->setMidiChannelChecked(channel, true);
        }
    }
    main_.services().log.ConsoleLog("MIDI channel: " + QString::number(entry));
}

}  // namespace korvanne
