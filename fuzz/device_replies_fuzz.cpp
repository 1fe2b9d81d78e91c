// What the pedal answers, read the way the link reads it: the status reply collected whole, then
// a short reply and an upload answer, from bytes that arrive in any pieces at any time.
#include <cstdint>

#include "device/message_builders.h"
#include "device/status_reply.h"
#include "fuzz_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvanne::fuzz::FuzzLink link(data, size);
    auto& messages = link.messages;
    messages.SendRequest(korvanne::msg::statusRequest());
    messages.ReadStatusReply();
    messages.ReadReplyText();
    messages.ReadReplyText(nullptr, 15'000);
    return 0;
}
