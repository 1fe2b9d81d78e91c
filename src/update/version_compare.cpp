#include "update/version_compare.h"

#include <algorithm>
#include <cstdint>

namespace korvanne {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string trimVersionText(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::optional<std::vector<unsigned>> parseVersion(std::string_view text) {
    const std::string trimmed = trimVersionText(text);
    std::vector<unsigned> numbers;
    std::uint64_t current = 0;
    bool haveDigit = false;
    for (char c : trimmed) {
        if (c >= '0' && c <= '9') {
            current = current * 10 + static_cast<unsigned>(c - '0');
            if (current > 0xFFFFFFFFull) return std::nullopt;
            haveDigit = true;
        } else if (c == '.' && haveDigit) {
            numbers.push_back(static_cast<unsigned>(current));
            current = 0;
            haveDigit = false;
        } else {
            return std::nullopt;
        }
    }
    if (!haveDigit) return std::nullopt;  // empty, or ending in a point
    numbers.push_back(static_cast<unsigned>(current));
    return numbers;
}

int compareVersions(const std::vector<unsigned>& a, const std::vector<unsigned>& b) {
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned x = i < a.size() ? a[i] : 0;
        const unsigned y = i < b.size() ? b[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::optional<bool> IsNewerVersion(std::string_view server, std::string_view own) {
    const auto s = parseVersion(server);
    const auto o = parseVersion(own);
    if (!s || !o) return std::nullopt;
    return compareVersions(*s, *o) > 0;
}

}  // namespace korvanne
