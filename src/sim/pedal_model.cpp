#include "sim/pedal_model.h"

#include <algorithm>
#include <cstdio>

#include "sim/status_reply_text.h"

namespace korvanne {

namespace {

std::string hex2(std::uint8_t b) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

std::uint16_t be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Length of a command by its first byte; the upload (00) carries its own.
std::optional<std::size_t> fixedLength(std::uint8_t first) {
    switch (first) {
        case 0x01:
            return 7;
        case 0x02:
            return 2;
        case 0x03:
            return 37;
        case 0x04:
            return 16;
        case 0x05:
            return 8;
        case 0x07:
            return 2;
        case 0x08:
            return 3;
        case 0x09:
            return 3;
        case 0x0B:
            return 5;
        case 0x0C:
            return 6;
        case 0x0D:
            return 2;
        case 0x0E:
            return 1 + TuningDataSize;
        case 0x0F:
            return 8;
        case 0x10:
            return 2;
        case 0x11:
            return 2;
        default:
            return std::nullopt;
    }
}

bool isNoteCode(std::uint8_t b) {
    return b <= 7 || b == 0xFF;
}

// Two bytes whose hex digits spell a decimal number; none when a digit is not decimal.
std::optional<int> decimalFromHexDigits(std::uint8_t high, std::uint8_t low) {
    const int digits[4] = {high >> 4, high & 0xF, low >> 4, low & 0xF};
    int value = 0;
    for (int d : digits) {
        if (d > 9) return std::nullopt;
        value = value * 10 + d;
    }
    return value;
}

}  // namespace

PedalModel::PedalModel(PedalOptions options, std::unique_ptr<BootloaderSide> bootloader)
    : options_(std::move(options)), bootloader_(std::move(bootloader)) {
    if (!bootloader_) {
        bootloader_ = std::make_unique<Stm32Bootloader>(
            options_.firmware, options_.faults.bootloader, options_.faults.bootloaderRefusesReads);
    }
    state_.firmware = options_.firmware;
    state_.algorithm = options_.algorithm;
    state_.effect = std::clamp(options_.effect, 0, 99);
    if (!options_.image.empty()) {
        std::string why;
        if (!loadImage(options_.image, &why)) note("start image refused: " + why);
    }
    line_.setPacing(options_.pacing);
    if (options_.startInBootloader) enterBootloader();
    if (options_.faults.pullAfterBytes && *options_.faults.pullAfterBytes == 0) pullCable();
}

PedalModel::~PedalModel() = default;

void PedalModel::setBootloaderSide(std::unique_ptr<BootloaderSide> bootloader) {
    bootloader_ =
        bootloader ? std::move(bootloader)
                   : std::make_unique<Stm32Bootloader>(state_.firmware, options_.faults.bootloader,
                                                       options_.faults.bootloaderRefusesReads);
}

void PedalModel::note(std::string event) {
    events_.push_back(std::move(event));
}

std::size_t PedalModel::receive(const std::uint8_t* data, std::size_t size, std::int64_t nowUs) {
    line_.setPacing(options_.pacing);
    std::size_t taken = 0;
    for (; taken < size && !pulled_; ++taken) {
        const std::int64_t arrivalNs = line_.inboundByte(nowUs);
        giveUpIncomplete(arrivalNs);
        received_.push_back(data[taken]);
        receivedAtUs_.push_back(arrivalNs / 1000);
        handleByte(data[taken], arrivalNs);
        const auto& pullAfter = options_.faults.pullAfterBytes;
        if (pullAfter && received_.size() >= *pullAfter) pullCable();
    }
    return taken;
}

std::size_t PedalModel::available(std::int64_t nowUs) {
    giveUpIncomplete(nowUs * 1000);
    return line_.available(nowUs);
}

std::size_t PedalModel::take(std::uint8_t* buffer, std::size_t max, std::int64_t nowUs) {
    giveUpIncomplete(nowUs * 1000);
    return line_.take(buffer, max, nowUs);
}

std::optional<std::int64_t> PedalModel::nextOutputAfter(std::int64_t nowUs) {
    giveUpIncomplete(nowUs * 1000);
    auto next = line_.nextAfter(nowUs);
    if (!pending_.empty() && pending_[0] == 0x00) {
        // An incomplete upload is answered when it is given up.
        const std::int64_t giveUpUs =
            (lastArrivalNs_ + 999) / 1000 + options_.incompleteCommandTimeoutUs + 1;
        if (!next || giveUpUs < *next) next = giveUpUs;
    }
    return next;
}

void PedalModel::purgeOutput(std::int64_t nowUs) {
    line_.purgeArrived(nowUs);
}

void PedalModel::purgeInput(std::int64_t nowUs) {
    // A byte has left the bridge once its first bit is on the wire.
    const std::int64_t byteUs = line_.byteNs() / 1000;
    std::size_t notLeft = 0;
    for (auto at = receivedAtUs_.rbegin(); at != receivedAtUs_.rend() && *at - byteUs > nowUs; ++at)
        ++notLeft;
    if (notLeft == 0) return;
    bytesAPurgeWouldDrop_ += notLeft;
    note("transmit purge while " + std::to_string(notLeft) + " byte(s) had not left the bridge");
}

void PedalModel::setLine(const LineSettings& line) {
    line_.setLine(line);
    lineHistory_.push_back(line);
}

void PedalModel::pullCable() {
    if (pulled_) return;
    pulled_ = true;
    line_.clear();
    pending_.clear();
    note("cable pulled after " + std::to_string(received_.size()) + " bytes");
}

void PedalModel::giveUpIncomplete(std::int64_t nowNs) {
    if (pending_.empty() || inBootloader_) return;
    const std::int64_t deadlineNs = lastArrivalNs_ + options_.incompleteCommandTimeoutUs * 1000;
    if (nowNs <= deadlineNs) return;
    if (pending_[0] == 0x00) {
        note("upload incomplete after " + std::to_string(pending_.size()) + " bytes");
        pending_.clear();
        const std::string text = UploadErrorText;
        send({text.begin(), text.end()}, deadlineNs);
    } else {
        note("command " + hex2(pending_[0]) + " incomplete after " +
             std::to_string(pending_.size()) + " bytes, dropped");
        pending_.clear();
    }
}

void PedalModel::handleByte(std::uint8_t byte, std::int64_t arrivalNs) {
    if (crashed_) return;
    if (inBootloader_) {
        bootByteNs_ = arrivalNs;
        bootloader_->receiveByte(byte, *this);
        return;
    }
    if (pending_.empty() && byte != 0x00 && !fixedLength(byte)) {
        note("unknown byte " + hex2(byte) + " dropped");
        return;
    }
    pending_.push_back(byte);
    lastArrivalNs_ = arrivalNs;
    std::size_t needed = 0;
    if (pending_[0] == 0x00) {
        if (pending_.size() < 3) return;
        // A length field below 3 cannot frame anything; the three bytes make the command.
        needed = std::max<std::size_t>(3, be16(&pending_[1]));
    } else {
        needed = *fixedLength(pending_[0]);
    }
    if (pending_.size() < needed) return;
    std::vector<std::uint8_t> command;
    command.swap(pending_);
    dispatch(command, arrivalNs);
}

void PedalModel::send(const std::vector<std::uint8_t>& bytes, std::int64_t doneNs, bool isStatus) {
    using Silence = PedalFaults::Silence;
    const Silence silence = options_.faults.silence;
    if (pulled_) return;
    if (silence == Silence::Everything || (isStatus && silence == Silence::StatusRequest)) {
        note("answer of " + std::to_string(bytes.size()) + " bytes withheld");
        return;
    }
    line_.send(bytes.data(), bytes.size(), doneNs + options_.answerLatencyUs * 1000);
}

void PedalModel::dispatch(const std::vector<std::uint8_t>& c, std::int64_t doneNs) {
    switch (c[0]) {
        case 0x00:
            upload(c, doneNs);
            break;
        case 0x01:
            writeParameter(be16(&c[1]), be32(&c[3]));
            break;
        case 0x02:
            if (c[1] == 0x00) {
                sendStatus(doneNs);
            } else {
                note("status request with " + hex2(c[1]) + " ignored");
            }
            break;
        case 0x03:
            for (std::size_t i = 0; i < param::AssignableCount; ++i) {
                state_.storedValues[i] = be32(&c[1 + 4 * i]);
            }
            state_.parametersStored = true;
            break;
        case 0x04:
            for (std::size_t i = 0; i < 5; ++i) {
                const std::uint16_t code = be16(&c[6 + 2 * i]);
                state_.assignments.codes[i] = code;
                state_.assignments.flags[i] = (c[1 + i] != 0 && code != 0xFFFF) ? 1 : 0;
            }
            break;
        case 0x05: {
            static constexpr std::uint8_t key[7] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
            if (std::equal(std::begin(key), std::end(key), c.begin() + 1)) {
                enterBootloader();
            } else {
                note("bootloader entry with a wrong key ignored");
            }
            break;
        }
        case 0x07:
            if (c[1] <= 16) {
                state_.midiChannel = c[1];
            } else {
                note("MIDI channel " + hex2(c[1]) + " ignored");
            }
            break;
        case 0x08:
            if (c[1] <= 1 && c[2] <= 1) {
                state_.footswitchMode = c[1] * 2 + c[2];
            } else {
                note("footswitch behaviour " + hex2(c[1]) + hex2(c[2]) + " ignored");
            }
            break;
        case 0x09:
            shared09(c[1], c[2]);
            break;
        case 0x0B:
            if (c[1] == SettingsMemoryI2c) {
                state_.settingsMemory.fill(0xFF);
            } else {
                note("erase: nothing at I2C address " + hex2(c[1]));
            }
            break;
        case 0x0C:
            if (c[1] == SettingsMemoryI2c) {
                sendMemoryDump(doneNs);
            } else {
                note("read: nothing at I2C address " + hex2(c[1]));
            }
            break;
        case 0x0D:
            if (c[1] <= 1) {
                state_.bypass = c[1] == 1;
            } else {
                note("bypass " + hex2(c[1]) + " ignored");
            }
            break;
        case 0x0E:
            std::copy(c.begin() + 1, c.end(), state_.tuningData.begin());
            state_.tuningDataLoaded = true;
            break;
        case 0x0F: {
            std::uint8_t sum = 0;
            for (std::size_t i = 0; i < 7; ++i) sum ^= c[i];
            if (sum != c[7]) {
                note("instrument range with a wrong checksum ignored");
            } else if (c[1] != 0xFF && c[1] != 0xBA) {
                note("instrument range " + hex2(c[1]) + " ignored");
            } else {
                state_.instrumentRange = c[1];
            }
            break;
        }
        case 0x10:
            if (c[1] == 0x01 || c[1] == 0xFF) {
                state_.storeBypass = c[1] == 0x01;
            } else {
                note("bypass storing " + hex2(c[1]) + " ignored");
            }
            break;
        case 0x11:
            if (c[1] == 0x01 || c[1] == 0xFF) {
                state_.rangeLimit = c[1] == 0x01;
            } else {
                note("range limit " + hex2(c[1]) + " ignored");
            }
            break;
        default:
            break;
    }
}

void PedalModel::writeParameter(std::uint16_t address, std::uint32_t value) {
    bool landed = false;
    for (int p = 0; p < param::Count; ++p) {
        const auto at = parameterAddress(state_, p);
        if (at && *at == address) {
            state_.values[static_cast<std::size_t>(p)] = value;
            landed = true;
        }
    }
    if (!landed) state_.strayWrites[address] = value;
}

void PedalModel::shared09(std::uint8_t first, std::uint8_t second) {
    const int semitones = static_cast<std::int8_t>(second);
    const bool tuning = first <= 8 && semitones >= -5 && semitones <= 3;
    // The note cut fills its first byte first and lists notes in code order.
    const bool notes = isNoteCode(first) && isNoteCode(second) &&
                       (first == 0xFF ? second == 0xFF : second > first);
    if (tuning) {
        state_.tuning = first;
        state_.semitones = semitones;
    }
    if (notes) state_.noteFilter = {first, second};
    if (!tuning && !notes) note("09 " + hex2(first) + hex2(second) + " ignored");
}

bool PedalModel::loadImage(const std::vector<std::uint8_t>& image, std::string* why) {
    auto refuse = [why](const char* reason) {
        if (why) *why = reason;
        return false;
    };
    if (image.size() < 3 || image[0] != 0x00) return refuse("not an algorithm upload");
    if (be16(&image[1]) != image.size()) return refuse("length field differs from the size");
    if (image.size() < MinImageSize) return refuse("too short for an algorithm");
    const auto number = decimalFromHexDigits(image[123], image[124]);
    if (!number) return refuse("algorithm number is not decimal");
    state_.image = image;
    for (std::size_t w = 0; w < state_.addresses.size(); ++w) {
        state_.addresses[w] = be16(&image[3 + 2 * w]);
    }
    state_.algorithm = *number;
    return true;
}

std::string PedalModel::uploadOkText(int algorithm) {
    char text[32];
    std::snprintf(text, sizeof text, "UPLOAD OK %04d", algorithm);
    return text;
}

void PedalModel::upload(const std::vector<std::uint8_t>& command, std::int64_t doneNs) {
    std::string why;
    std::string text;
    if (loadImage(command, &why)) {
        text = uploadOkText(state_.algorithm);
    } else {
        note("upload refused: " + why);
        text = UploadErrorText;
    }
    const PedalFaults& f = options_.faults;
    if (f.uploadAnswer) text = *f.uploadAnswer;
    const std::size_t pieces = static_cast<std::size_t>(std::max(f.uploadAnswerPieces, 1));
    const std::size_t pieceSize = (text.size() + pieces - 1) / pieces;
    std::int64_t startNs = doneNs;
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
        const std::size_t n = std::min(pieceSize, text.size() - at);
        send({text.begin() + std::ptrdiff_t(at), text.begin() + std::ptrdiff_t(at + n)}, startNs);
        startNs = line_.outboundFreeNs() + f.tornGapUs * 1000 - options_.answerLatencyUs * 1000;
    }
}

void PedalModel::sendStatus(std::int64_t doneNs) {
    const StatusEntries entries = statusEntries(state_);
    std::string text;
    const PedalFaults& f = options_.faults;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string entry = std::to_string(entries[i]);
        std::string end = "\r\n";
        if (static_cast<int>(i) == f.garbledEntry) {
            if (f.garble == PedalFaults::Garble::ReplaceDigit) entry[0] = 'X';
            if (f.garble == PedalFaults::Garble::DropCr) end = "\n";
        }
        text += entry + end;
    }
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const std::size_t pieces = static_cast<std::size_t>(std::max(f.tornPieces, 1));
    if (pieces == 1) {
        send(bytes, doneNs, true);
        return;
    }
    const std::size_t pieceSize = (bytes.size() + pieces - 1) / pieces;
    std::int64_t startNs = doneNs;
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        const std::size_t n = std::min(pieceSize, bytes.size() - at);
        send({bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + n)}, startNs,
             true);
        // The next piece waits for this one to cross, then for the gap.
        startNs = line_.outboundFreeNs() + f.tornGapUs * 1000 - options_.answerLatencyUs * 1000;
    }
}

void PedalModel::sendMemoryDump(std::int64_t doneNs) {
    const PedalFaults& f = options_.faults;
    std::vector<std::uint8_t> dump;
    dump.reserve(1 + SettingsMemorySize);
    dump.push_back(DumpMarker);
    dump.insert(dump.end(), state_.settingsMemory.begin(), state_.settingsMemory.end());
    dump.resize(dump.size() - std::min(f.dumpShortBy, dump.size()));
    if (dump.size() < 1 + SettingsMemorySize) {
        note("memory dump cut short at " + std::to_string(dump.size()) + " bytes");
    }
    const std::size_t pieces = static_cast<std::size_t>(std::max(f.dumpPieces, 1));
    const std::size_t pieceSize = std::max<std::size_t>(1, (dump.size() + pieces - 1) / pieces);
    std::int64_t startNs = doneNs;
    for (std::size_t at = 0; at < dump.size(); at += pieceSize) {
        const std::size_t n = std::min(pieceSize, dump.size() - at);
        send({dump.begin() + std::ptrdiff_t(at), dump.begin() + std::ptrdiff_t(at + n)}, startNs);
        // The next piece waits for this one to cross, then for the gap.
        startNs = line_.outboundFreeNs() + f.dumpGapUs * 1000 - options_.answerLatencyUs * 1000;
    }
}

void PedalModel::enterBootloader() {
    inBootloader_ = true;
    crashed_ = false;
    pending_.clear();
    bootloader_->enter();
    note("bootloader entered");
}

void PedalModel::answer(const std::vector<std::uint8_t>& bytes) {
    send(bytes, bootByteNs_);
}

void PedalModel::answerLate(const std::vector<std::uint8_t>& bytes, std::int64_t delayUs) {
    send(bytes, bootByteNs_ + delayUs * 1000);
}

void PedalModel::startFirmware() {
    inBootloader_ = false;
    pending_.clear();
    if (!bootloader_->firmwareRuns()) {
        crashed_ = true;
        note("firmware crashed: the flash holds no program that can start");
        return;
    }
    if (const auto number = bootloader_->firmwareNumber()) state_.firmware = *number;
    note("firmware started");
}

std::optional<std::uint8_t> PedalModel::lineParity() const {
    if (lineHistory_.empty()) return std::nullopt;
    return line_.line().parity;
}

}  // namespace korvanne
