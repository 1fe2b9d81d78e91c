#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvanne {

// How far an image line was turned into bytes.
struct ImageLineConversion {
    std::size_t byteCount = 0;  // characters / 2, rounded down: what the line claims to hold
    std::size_t converted = 0;  // bytes actually converted before a non-hex character or the end
                                // of the destination
};

// Turns digit pairs into bytes from the start of the line (first digit = high nibble), stopping
// at the first character that is not a hexadecimal digit, at a lone last digit, or when `out` is
// full, so a line longer than the transmit buffer never writes past it.
ImageLineConversion convertImageLine(std::string_view line, std::span<std::uint8_t> out);

// The same, into a vector holding exactly the converted bytes.
std::vector<std::uint8_t> decodeImageLine(std::string_view line);

// A decoded algorithm image, which is also the complete upload message:
//   0 command 0x00, 1-2 total length (big-endian), 3-122 sixty 16-bit address words,
//   123-124 algorithm number as two bytes whose hex digits spell the decimal number,
//   125-126 a word the editor does not read, 127 on the processor's program, sent unchanged.
// Fields that the bytes do not reach read as nothing rather than past the end.
class AlgorithmImage {
public:
    static constexpr std::uint8_t UploadCommand = 0x00;
    static constexpr std::size_t LengthOffset = 1;
    static constexpr std::size_t AddressTableOffset = 3;
    static constexpr std::size_t AddressWords = 60;
    static constexpr std::size_t ParameterWords = 21;  // the words the effect window reads
    static constexpr std::size_t AlgorithmNumberOffset = 123;
    static constexpr std::size_t UnreadWordOffset = 125;
    static constexpr std::size_t ProgramOffset = 127;
    // The header up to the program and at least one program byte; the length field's limit.
    static constexpr std::size_t MinimumSize = ProgramOffset + 1;
    static constexpr std::size_t MaximumSize = 0xFFFF;
    // Address words 0 to 8 (Dry to Split) hold the parameters every effect has.
    static constexpr std::size_t RequiredWords = 9;

    AlgorithmImage() = default;
    explicit AlgorithmImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    static AlgorithmImage fromLine(std::string_view line) {
        return AlgorithmImage(decodeImageLine(line));
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    std::optional<std::uint8_t> command() const;
    std::optional<std::uint16_t> lengthField() const;
    // Address word k, 0..59; nothing for k beyond the table or an image too short to hold it.
    std::optional<std::uint16_t> addressWord(std::size_t k) const;
    // Bytes 123-124 read as four hex digits spelling a decimal number (0x00 0x14 -> 14); nothing
    // when a digit is A-F.
    std::optional<std::uint32_t> algorithmNumber() const;
    std::optional<std::uint16_t> unreadWord() const;

    // Why these bytes cannot be an algorithm image, judged by the fixed fields every built-in
    // image honours: the upload command, a length field equal to the size, a decimal algorithm
    // number, and an address table whose parameter words name distinct addresses, with the nine
    // that every effect has present and the words beyond the 21 parameters unused. Empty when
    // they can; otherwise a clause that reads after "... is not an algorithm image: ".
    std::string fault() const;

private:
    std::optional<std::uint16_t> wordAt(std::size_t offset) const;

    std::vector<std::uint8_t> bytes_;
};

}  // namespace korvanne
