#include "device/status_reply.h"

#include <algorithm>

#include "device/hex_text.h"

namespace korvanne {

namespace {
constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t LF = 0x0A;
}  // namespace

std::vector<std::uint8_t> parseStatusReply(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> entries;
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != CR) continue;
        const std::size_t digits = i - start;
        const bool number = digits >= 1 && digits <= 3 &&
                            std::all_of(data + start, data + i,
                                        [](std::uint8_t c) { return c >= '0' && c <= '9'; });
        if (number) {
            unsigned value = 0;
            for (std::size_t k = start; k < i; ++k) value = value * 10 + (data[k] - '0');
            entries.push_back(static_cast<std::uint8_t>(value % 256));
        } else {
            entries.push_back(entries.empty() ? 0 : entries.back());
        }
        if (i + 1 < size && data[i + 1] == LF) ++i;
        start = i + 1;
    }
    return entries;
}

std::size_t completeStatusEntries(const std::uint8_t* data, std::size_t size) {
    return static_cast<std::size_t>(std::count(data, data + size, CR));
}

std::vector<std::string> statusReplyLogLines(const std::vector<std::uint8_t>& entries,
                                             std::size_t arraySize) {
    std::vector<std::string> lines;
    lines.reserve(entries.size() + 2);
    lines.push_back("num of bytes received: " + std::to_string(entries.size()));
    lines.push_back("received_bytes_array size: " + std::to_string(arraySize));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        lines.push_back(std::to_string(i) + ":    " + hex2(entries[i]));
    }
    return lines;
}

std::string algorithmUploadNotice(std::uint32_t latestAlgorithmNumber) {
    return "Upload the latest version of Korvanne MK3 algorithm:\r\nUpload Korvanne MK3 00" +
           std::to_string(latestAlgorithmNumber);
}

}  // namespace korvanne
