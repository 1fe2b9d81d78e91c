#include "effect/note_tracking_filter.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/command_exchange.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
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

std::string NoteTrackingFilter::noteFilterMessage(std::string* first, std::string* second) const {
    std::string byte1 = "FF";
    std::string byte2 = "FF";
    for (int code = 0; view_ && code < Notes; ++code) {
        if (!view_->isBoxChecked(code)) continue;
        if (byte1 == "FF") {
            byte1 = hex2(static_cast<std::uint32_t>(code));
        } else {
            byte2 = hex2(static_cast<std::uint32_t>(code));
        }
    }
    if (first) *first = byte1;
    if (second) *second = byte2;
    return "09" + byte1 + byte2;
}

void NoteTrackingFilter::btnSaveClick() {
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;
    std::string byte1, byte2;
    const std::string text = noteFilterMessage(&byte1, &byte2);
    log.ConsoleLog("byte 1: " + QString::fromStdString(byte1));
    log.ConsoleLog("byte 2: " + QString::fromStdString(byte2));
    log.ConsoleLog("Set note filters: " + QString::fromStdString(text));
    log.ConsoleLog(QString::number(text.size() / 2));
    // The window can be opened at any time; without a pedal there is nobody to tell.
    if (!main_.communication().Linked) {
        dialogs.inform(NotLinkedMessage);
        return;
    }
    CommandExchange exchange(main_.messages(), "Note Cut");
    exchange.purgeTransmit();
    exchange.send(text);
    exchange.pause(AfterWriteMs);
}

}  // namespace korvanne
