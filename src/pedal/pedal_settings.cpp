#include "pedal/pedal_settings.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"

namespace korvanne {

PedalSettings::PedalSettings(Services& services, DeviceMessages& messages, Communication& link,
                             std::function<bool(const QString&)> rememberInstrument)
    : services_(services),
      messages_(messages),
      link_(link),
      rememberInstrument_(std::move(rememberInstrument)) {}

QString PedalSettings::midiChannelCaption(int index) {
    return index == 0 ? QStringLiteral("OMNI") : QString::number(index);
}

void PedalSettings::checkPair(PedalMenuItem on, PedalMenuItem off) {
    if (!view_) return;
    view_->setItemChecked(on, true);
    view_->setItemChecked(off, false);
}

void PedalSettings::send(const Message& message, const QString& name) {
    services_.log.ConsoleLog(QString::fromStdString(hexText(message)));
    DeviceMessages::Exchange exchange(messages_, name);
    exchange.send(message);
}

Outcome PedalSettings::menuStandardClick() {
    return chooseRange(RangeStandard, QStringLiteral("GUITAR"));
}

Outcome PedalSettings::menuLowClick() {
    return chooseRange(RangeLow, QStringLiteral("BASS"));
}

Outcome PedalSettings::chooseRange(std::uint8_t range, const QString& fileText) {
    const std::uint8_t before = link_.InstrumentRange;
    link_.InstrumentRange = range;
    const Outcome outcome = ChangeInstrument();
    // Answered No (or refused): the pedal keeps its range, and so do the marks and the file.
    if (!outcome.ok()) link_.InstrumentRange = before;
    if (view_) {
        // Set both ways, as a menu item may have toggled its own mark when clicked.
        view_->setItemChecked(PedalMenuItem::menuStandard, link_.InstrumentRange == RangeStandard);
        view_->setItemChecked(PedalMenuItem::menuLow, link_.InstrumentRange == RangeLow);
    }
    if (!outcome.ok()) return outcome;
    // The pedal has been told even when this fails: the file only remembers the choice.
    rememberInstrument_(fileText);
    return outcome;
}

Outcome PedalSettings::ChangeInstrument() {
    LogSink& log = services_.log;
    Dialogs& dialogs = services_.dialogs;
    const Message message = msg::instrumentRange(link_.InstrumentRange);
    // Only the two ranges have a command; any other value has nothing to send.
    if (message.empty())
        return Outcome::refused(QStringLiteral("There is no such instrument range."));
    log.ConsoleLog("checksum byte: " + QString::fromStdString(hex2(message.back())));
    if (!messages_.linkFree("Instrument Range")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Change current Instrument?"))) return Outcome::cancelled();
    send(message, "Instrument Range");
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
    send(msg::bypassStoring(store), "Bypass Status");
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
    send(msg::rangeLimit(status), "Limit Range");
}

void PedalSettings::menuMIDIchannelsClickItem(const QString& caption) {
    LogSink& log = services_.log;
    log.ConsoleAppend("Midi channel: " + caption);
    std::uint8_t channel = 0;
    if (caption != QLatin1String("OMNI")) {
        bool ok = false;
        const int n = caption.toInt(&ok);
        // Only the seventeen items exist; anything else is not a channel.
        if (!ok || n < 1 || n > 16) return;
        channel = static_cast<std::uint8_t>(n);
    }
    send(msg::midiChannel(channel), "MIDI channel");
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
    services_.log.ConsoleLog("MIDI channel: " + QString::number(entry));
}

}  // namespace korvanne
