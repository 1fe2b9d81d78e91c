#include "transfer/algorithm_image.h"

#include <algorithm>
#include <string>

#include "device/hex_text.h"
#include "transfer/effect_catalogue.h"

namespace korvanne {

ImageLineConversion convertImageLine(std::string_view line, std::span<std::uint8_t> out) {
    ImageLineConversion result;
    result.byteCount = line.size() / 2;
    // Never past the end of the destination, however long the line.
    result.converted =
        hexTextToBytes(line, out.data(), std::min<std::size_t>(result.byteCount, out.size()));
    return result;
}

std::vector<std::uint8_t> decodeImageLine(std::string_view line) {
    std::vector<std::uint8_t> bytes(line.size() / 2);
    bytes.resize(convertImageLine(line, bytes).converted);
    return bytes;
}

std::optional<std::uint16_t> AlgorithmImage::wordAt(std::size_t offset) const {
    if (offset + 2 > bytes_.size()) return std::nullopt;
    return static_cast<std::uint16_t>(bytes_[offset] << 8 | bytes_[offset + 1]);
}

std::optional<std::uint8_t> AlgorithmImage::command() const {
    if (bytes_.empty()) return std::nullopt;
    return bytes_[0];
}

std::optional<std::uint16_t> AlgorithmImage::lengthField() const {
    return wordAt(LengthOffset);
}

std::optional<std::uint16_t> AlgorithmImage::addressWord(std::size_t k) const {
    if (k >= AddressWords) return std::nullopt;
    return wordAt(AddressTableOffset + 2 * k);
}

std::optional<std::uint32_t> AlgorithmImage::algorithmNumber() const {
    const auto word = wordAt(AlgorithmNumberOffset);
    if (!word) return std::nullopt;
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text.push_back(digits[(*word >> shift) & 0xF]);
    return decimalFromDigits(text);
}

std::optional<std::uint16_t> AlgorithmImage::unreadWord() const {
    return wordAt(UnreadWordOffset);
}

std::string AlgorithmImage::fault() const {
    const std::size_t size = bytes_.size();
    if (size == 0) return "it is empty";
    if (bytes_[0] != UploadCommand) return "it does not begin with the upload command 00";
    if (size < MinimumSize) {
        return "it holds " + std::to_string(size) + " bytes, fewer than the " +
               std::to_string(MinimumSize) + " of an image's header and program";
    }
    if (size > MaximumSize) {
        return "it holds more than " + std::to_string(MaximumSize) +
               " bytes, the most an image can hold";
    }
    if (const std::uint16_t length = *lengthField(); length != size) {
        return "its length field says " + std::to_string(length) + " bytes, but it holds " +
               std::to_string(size);
    }
    const std::uint16_t number = *wordAt(AlgorithmNumberOffset);
    if (!algorithmNumber()) {
        return "its algorithm number " + hex4(number) + " is not written in decimal digits";
    }
    if (*algorithmNumber() == 0) return "its algorithm number is 0000";
    for (std::size_t k = 0; k < AddressWords; ++k) {
        const std::uint16_t word = *addressWord(k);
        if (k < RequiredWords && word == 0) {
            return "its address table gives no address in word " + std::to_string(k) +
                   ", which every effect uses";
        }
        if (k >= ParameterWords && word != 0) {
            return "its address table uses word " + std::to_string(k) + ", beyond the " +
                   std::to_string(ParameterWords) + " parameter words";
        }
        if (word == 0) continue;
        for (std::size_t j = 0; j < k; ++j) {
            if (*addressWord(j) == word) {
                return "its address table gives address " + hex4(word) + " to both word " +
                       std::to_string(j) + " and word " + std::to_string(k);
            }
        }
    }
    return {};
}

}  // namespace korvanne
