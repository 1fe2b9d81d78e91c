#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/bootloader_side.h"
#include "sim/line_settings.h"
#include "sim/paced_line.h"
#include "sim/pedal_state.h"
#include "sim/stm32_bootloader.h"

namespace korvanne {

// Faults the simulated pedal can be told to show.
struct PedalFaults {
    enum class Silence { None, StatusRequest, Everything };
    enum class Garble { None, ReplaceDigit, DropCr };

    Silence silence = Silence::None;
    // The status reply leaves in this many pieces, with a pause between them.
    int tornPieces = 1;
    std::int64_t tornGapUs = 30'000;
    // One entry of the status reply is damaged: a digit becomes 'X', or its CR goes missing.
    Garble garble = Garble::None;
    int garbledEntry = 3;
    // The cable is pulled once this many bytes have been received.
    std::optional<std::size_t> pullAfterBytes;
    // The answer to an upload replaces the usual one when set, and leaves in this many pieces
    // (tornGapUs apart), so the editor reads it in several reads.
    std::optional<std::string> uploadAnswer;
    int uploadAnswerPieces = 1;
    // Faults of the bootloader side (negative acknowledge, a lost answer, silence from a step).
    BootloaderFault bootloader;
    // The bootloader refuses Read Memory, as with read protection on.
    bool bootloaderRefusesReads = false;
    // The settings memory dump leaves in this many pieces, with a pause between them.
    int dumpPieces = 1;
    std::int64_t dumpGapUs = 200'000;
    // The dump stops this many bytes short of its end.
    std::size_t dumpShortBy = 0;
};

struct PedalOptions {
    int firmware = 13;
    int algorithm = 14;
    int effect = 0;
    // An algorithm image to run from the start, as if it had been uploaded; empty keeps the
    // default address table. A malformed image is refused (see loadImage).
    std::vector<std::uint8_t> image;
    bool startInBootloader = false;
    bool pacing = true;
    std::int64_t answerLatencyUs = 0;
    // A command left incomplete this long is given up, so the stream resynchronises.
    std::int64_t incompleteCommandTimeoutUs = 200'000;
    PedalFaults faults;
};

// The pedal's firmware side, without any clock or toolkit of its own: bytes go in with the time
// they were handed over, answers come out paced at the line's rate. Commands are told apart by
// their first byte and known length; an unknown first byte is dropped so the stream
// resynchronises.
//
// Decisions where the messages alone leave room:
// - Assign (04): each control reports flag 1 only when the message's flag is set and its code is
//   not FFFF (unassigned); the code is reported as sent.
// - Footswitch (08): each byte must be 00 or 01; the mode is short × 2 + long.
// - Command 09 is shared by the tuning and the note cut. The pedal cannot tell them apart, so it
//   records both readings: the tuning when byte 1 is 0 to 8 and byte 2 is -5 to +3, the note
//   filter when both bytes are note codes (00 to 07, FF for none) in the order the note cut
//   sends them (first filled first, notes ascending). A message that fits both (09 01 FF, or
//   09 01 02) changes both.
// - Parameter writes (01) land on every parameter whose address they carry (an image may give
//   several parameters address 0000); Range has no word in the table and sits at 0000, where
//   the editor writes it. Other addresses are kept in strayWrites.
// - The settings memory answers at I2C address 50 only.
class PedalModel final : private BootloaderHost {
public:
    static constexpr std::uint8_t SettingsMemoryI2c = 0x50;
    static constexpr std::uint8_t DumpMarker = 0xAB;
    static constexpr std::size_t MinImageSize = 128;  // header of 127 bytes and some program
    static constexpr const char* UploadErrorText = "UPLOAD ERROR";

    explicit PedalModel(PedalOptions options = {},
                        std::unique_ptr<BootloaderSide> bootloader = nullptr);
    ~PedalModel() override;

    // Bytes from the bridge, handed over at nowUs. Returns how many the pedal took: fewer than
    // size only when the cable is pulled on the way.
    std::size_t receive(const std::uint8_t* data, std::size_t size, std::int64_t nowUs);
    // Answer bytes that have crossed the wire by nowUs.
    std::size_t available(std::int64_t nowUs);
    std::size_t take(std::uint8_t* buffer, std::size_t max, std::int64_t nowUs);
    // When the next answer byte arrives (or an incomplete command is given up), if after nowUs.
    std::optional<std::int64_t> nextOutputAfter(std::int64_t nowUs);
    // Drops the answer bytes that have arrived by nowUs; bytes still on the wire come later.
    void purgeOutput(std::int64_t nowUs);
    // A transmit purge at the bridge: bytes written but not yet on the wire would be dropped by
    // a real bridge. This model has already taken them, so it counts them instead: a count above
    // zero is a message a real pedal would have received cut short.
    void purgeInput(std::int64_t nowUs);
    std::size_t bytesAPurgeWouldDrop() const { return bytesAPurgeWouldDrop_; }
    void setLine(const LineSettings& line);

    const LineSettings& line() const { return line_.line(); }
    const std::vector<LineSettings>& lineHistory() const { return lineHistory_; }
    const std::vector<std::uint8_t>& received() const { return received_; }
    // When each received byte had fully arrived, in µs (parallel to received()).
    const std::vector<std::int64_t>& receivedAtUs() const { return receivedAtUs_; }
    const std::vector<std::string>& events() const { return events_; }

    PedalState& state() { return state_; }
    const PedalState& state() const { return state_; }
    PedalOptions& options() { return options_; }
    bool inBootloader() const { return inBootloader_; }
    BootloaderSide& bootloaderSide() { return *bootloader_; }
    void setBootloaderSide(std::unique_ptr<BootloaderSide> bootloader);

    bool cablePulled() const { return pulled_; }
    // True after Go found no program that can start: the pedal answers nothing until it is
    // powered up in its bootloader again.
    bool firmwareCrashed() const { return crashed_; }
    void pullCable();

    // Takes an algorithm image as the running one: byte 0 is 00, the length field equals the
    // size, the size is plausible and the number's digits are decimal. On refusal, says why.
    bool loadImage(const std::vector<std::uint8_t>& image, std::string* why = nullptr);
    // The answer to an accepted upload of algorithm `algorithm`, e.g. "UPLOAD OK 0014".
    static std::string uploadOkText(int algorithm);

private:
    void answer(const std::vector<std::uint8_t>& bytes) override;
    void answerLate(const std::vector<std::uint8_t>& bytes, std::int64_t delayUs) override;
    void startFirmware() override;
    std::optional<std::uint8_t> lineParity() const override;

    void handleByte(std::uint8_t byte, std::int64_t arrivalNs);
    void giveUpIncomplete(std::int64_t nowNs);
    void dispatch(const std::vector<std::uint8_t>& command, std::int64_t doneNs);
    void upload(const std::vector<std::uint8_t>& command, std::int64_t doneNs);
    void sendStatus(std::int64_t doneNs);
    void sendMemoryDump(std::int64_t doneNs);
    void send(const std::vector<std::uint8_t>& bytes, std::int64_t doneNs, bool isStatus = false);
    void writeParameter(std::uint16_t address, std::uint32_t value);
    void shared09(std::uint8_t first, std::uint8_t second);
    void enterBootloader();
    void note(std::string event);

    PedalOptions options_;
    PedalState state_;
    PacedLine line_;
    std::vector<LineSettings> lineHistory_;
    std::vector<std::uint8_t> received_;
    std::vector<std::int64_t> receivedAtUs_;
    std::size_t bytesAPurgeWouldDrop_ = 0;
    std::vector<std::string> events_;
    std::unique_ptr<BootloaderSide> bootloader_;
    bool inBootloader_ = false;
    bool pulled_ = false;
    bool crashed_ = false;
    std::vector<std::uint8_t> pending_;  // the command being received
    std::int64_t lastArrivalNs_ = 0;
    std::int64_t bootByteNs_ = 0;  // arrival of the byte the bootloader side is handling
};

}  // namespace korvanne
