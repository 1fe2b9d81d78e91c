#include "effect/note_tracking_filter.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "effect/effect_context.h"

namespace korvanne {

const std::array<QString, NoteTrackingFilter::Notes> NoteTrackingFilter::NoteNames{
    "A2", "A#2", "B2", "C3", "C#3", "D3", "D#3", "E3"};

NoteTrackingFilter::NoteTrackingFilter(EffectContext& main) : main_(main) {}

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

void NoteTrackingFilter::btnSaveClick() {
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;
    const Message message = noteFilterMessage();
    log.ConsoleLog("byte 1: " + QString::fromStdString(hex2(message[1])));
    log.ConsoleLog("byte 2: " + QString::fromStdString(hex2(message[2])));
    log.ConsoleLog("Set note filters: " + QString::fromStdString(hexText(message)));
    log.ConsoleLog(QString::number(message.size()));
    // The window can be opened at any time; without a pedal there is nobody to tell.
    if (!main_.communication().Linked) {
        dialogs.inform(NotLinkedMessage);
        return;
    }
    DeviceMessages::Exchange exchange(main_.messages(), "Note Cut");
    exchange.purgeTransmit();
    exchange.send(message);
    exchange.pause(AfterWriteMs);
}

}  // namespace korvanne
