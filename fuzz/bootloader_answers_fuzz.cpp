// The pedal's bootloader answering anything at all to a whole upgrade: synchronisation, Get, the
// erase, blocks, a read back, the version record and Go. Each step ends at the first answer that
// is not an acknowledge, as the upgrade does.
#include <array>
#include <cstdint>
#include <vector>

#include "fuzz_link.h"
#include "transfer/bootloader_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvanne::fuzz::FuzzLink link(data, size);
    korvanne::BootloaderProtocol boot(link.messages, link.log);
    boot.enterBootloaderLine();
    boot.synchronise("sync: ");
    std::vector<std::uint8_t> codes;
    boot.getCommands(&codes);
    if (boot.EraseFlash()) {
        std::array<std::uint8_t, 256> block{};
        for (int i = 0; i < 3 && boot.writeBlock(block, "writing block"); ++i) {
        }
        std::vector<std::uint8_t> back;
        bool refused = false;
        boot.readMemory(korvanne::boot::FlashStart, 256, back, &refused);
        if (back.size() > 256) __builtin_trap();
        if (boot.WriteFirmwareVersion(13)) boot.SendGoCommand();
    }
    korvanne::BootloaderProtocol::describe(boot.failure());
    boot.leaveBootloaderLine();
    return 0;
}
