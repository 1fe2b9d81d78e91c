#include "effect/note_tracking_filter.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"

namespace korvanne {

const std::array<QString, NoteTrackingFilter::Notes> NoteTrackingFilter::NoteNames{
    "A2", "A#2", "B2", "C3", "C#3", "D3", "D#3", "E3"};

NoteTrackingFilter::NoteTrackingFilter(Services& services, DeviceMessages& messages,
                                       const Communication& link)
    : services_(services), messages_(messages), link_(link) {}

void NoteTrackingFilter::chkNoteChange() {
    if (!view_) return;
    // Counted from the boxes themselves, so the count can never drift from what is shown.
    NoteFilterCount = 0;
    for (int code = 0; code < Notes; ++code) NoteFilterCount += view_->isBoxChecked(code) ? 1 : 0;
    for (int code = 0; code < Notes; ++code) {
        // Checked boxes stay enabled, so a choice can always be undone.
        if (!view_->isBoxChecked(code)) view_->setBoxEnabled(code, NoteFilterCount != MaxChecked);
    }
}

Message NoteTrackingFilter::noteFilterMessage() const {
    std::uint8_t first = msg::NoNote;
    std::uint8_t second = msg::NoNote;
    for (int code = 0; view_ && code < Notes; ++code) {
        if (!view_->isBoxChecked(code)) continue;
        (first == msg::NoNote ? first : second) = std::uint8_t(code);
    }
    return msg::noteFilter(first, second);
}

Outcome NoteTrackingFilter::btnSaveClick() {
    LogSink& log = services_.log;
    Dialogs& dialogs = services_.dialogs;
    const Message message = noteFilterMessage();
    log.ConsoleLog("byte 1: " + QString::fromStdString(hex2(message[1])));
    log.ConsoleLog("byte 2: " + QString::fromStdString(hex2(message[2])));
    log.ConsoleLog("Set note filters: " + QString::fromStdString(hexText(message)));
    log.ConsoleLog(QString::number(message.size()));
    // The window can be opened at any time; without a pedal there is nobody to tell.
    if (!link_.Linked) {
        dialogs.inform(NotLinkedMessage);
        return Outcome::refused(NotLinkedMessage);
    }
    DeviceMessages::Exchange exchange(messages_, "Note Cut");
    if (!exchange) return Outcome::busy();
    exchange.purgeTransmit();
    exchange.send(message);
    exchange.pause(AfterWriteMs);
    return Outcome::done();
}

}  // namespace korvanne
