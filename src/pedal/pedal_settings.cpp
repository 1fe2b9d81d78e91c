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

Outcome PedalSettings::send(const Message& message, const QString& name) {
    services_.log.ConsoleLog(QString::fromStdString(hexText(message)));
    DeviceMessages::Exchange exchange(messages_, name);
    if (!exchange) return Outcome::busy();
    exchange.send(message);
    return Outcome::done();
}

Outcome PedalSettings::sendAndMark(const Message& message, const QString& name, PedalMenuItem on,
                                   PedalMenuItem off) {
    const Outcome sent = send(message, name);
    if (sent.ok()) checkPair(on, off);
    return sent;
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
    return send(message, "Instrument Range");
}

Outcome PedalSettings::menuStoreBypassStatusClick() {
    return sendAndMark(msg::bypassStoring(true), "Bypass Status",
                       PedalMenuItem::menuStoreBypassStatus,
                       PedalMenuItem::menuDoNotStoreBypassStatus);
}

Outcome PedalSettings::menuDoNotStoreBypassStatusClick() {
    return sendAndMark(msg::bypassStoring(false), "Bypass Status",
                       PedalMenuItem::menuDoNotStoreBypassStatus,
                       PedalMenuItem::menuStoreBypassStatus);
}

Outcome PedalSettings::ChangeStoreBypassStatus(bool store) {
    return store ? menuStoreBypassStatusClick() : menuDoNotStoreBypassStatusClick();
}

Outcome PedalSettings::menuRangeLimitONClick() {
    return sendAndMark(msg::rangeLimit(1), "Limit Range", PedalMenuItem::menuRangeLimitON,
                       PedalMenuItem::menuRangeLimitOFF);
}

Outcome PedalSettings::menuRangeLimitOFFClick() {
    return sendAndMark(msg::rangeLimit(0), "Limit Range", PedalMenuItem::menuRangeLimitOFF,
                       PedalMenuItem::menuRangeLimitON);
}

Outcome PedalSettings::RangeLimit(std::uint8_t status) {
    return status == 1 ? menuRangeLimitONClick() : menuRangeLimitOFFClick();
}

Outcome PedalSettings::menuMIDIchannelsClickItem(const QString& caption) {
    LogSink& log = services_.log;
    log.ConsoleAppend("Midi channel: " + caption);
    std::uint8_t channel = 0;
    if (caption != QLatin1String("OMNI")) {
        bool ok = false;
        const int n = caption.toInt(&ok);
        // Only the seventeen items exist; anything else is not a channel.
        if (!ok || n < 1 || n > 16) {
            return Outcome::refused(QStringLiteral("There is no MIDI channel %1.").arg(caption));
        }
        channel = static_cast<std::uint8_t>(n);
    }
    return send(msg::midiChannel(channel), "MIDI channel");
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
