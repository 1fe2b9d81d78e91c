#include "scripted_transport.h"

#include <algorithm>

#include "core/clock.h"

namespace korvanne::test {

ScriptedTransport::ScriptedTransport(VirtualClock* clock) : clock_(clock) {
    if (clock_) {
        sourceId_ = clock_->addEventSource([this]() -> std::optional<std::int64_t> {
            if (pending_.empty()) return std::nullopt;
            return pending_.front().first;
        });
    }
}

ScriptedTransport::~ScriptedTransport() {
    if (clock_) clock_->removeEventSource(sourceId_);
}

void ScriptedTransport::arrive(std::int64_t atMs, std::vector<std::uint8_t> bytes) {
    // After every arrival due at the same time or earlier, so arrivals keep their order.
    const std::int64_t atUs = atMs * 1000;
    const auto place = std::upper_bound(pending_.begin(), pending_.end(), atUs,
                                        [](std::int64_t t, const auto& p) { return t < p.first; });
    pending_.emplace(place, atUs, std::move(bytes));
}

void ScriptedTransport::arrive(std::int64_t atMs, std::string_view bytes) {
    arrive(atMs, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::int64_t ScriptedTransport::nowUs() const {
    return clock_ ? clock_->nowUs() : INT64_MAX;
}

void ScriptedTransport::settle() {
    const std::int64_t now = nowUs();
    auto due = pending_.begin();
    for (; due != pending_.end() && due->first <= now; ++due) {
        queue_.insert(queue_.end(), due->second.begin(), due->second.end());
    }
    pending_.erase(pending_.begin(), due);
}

FtStatus ScriptedTransport::check(const char* operation, FtHandle handle, bool needsLine) const {
    if (auto it = failing.find(operation); it != failing.end()) return it->second;
    if (!open || handle != OpenHandle) return ft::INVALID_HANDLE;
    if (needsLine && goneFromMs && nowUs() >= *goneFromMs * 1000) return ft::IO_ERROR;
    return ft::OK;
}

FtStatus ScriptedTransport::deviceCount(std::uint32_t& count) {
    if (auto it = failing.find("deviceCount"); it != failing.end()) return it->second;
    count = static_cast<std::uint32_t>(devices.size());
    return ft::OK;
}

FtStatus ScriptedTransport::serialNumber(std::uint32_t index, std::string& serial) {
    if (auto it = failing.find("serialNumber"); it != failing.end()) return it->second;
    if (index >= devices.size()) return ft::DEVICE_NOT_FOUND;
    serial = devices[index].serial;
    return ft::OK;
}

FtStatus ScriptedTransport::description(std::uint32_t index, std::string& description) {
    if (auto it = failing.find("description"); it != failing.end()) return it->second;
    if (index >= devices.size()) return ft::DEVICE_NOT_FOUND;
    description = devices[index].description;
    return ft::OK;
}

FtStatus ScriptedTransport::openBySerialNumber(const std::string& serial, FtHandle& handle) {
    openedSerial = serial;
    if (auto it = failing.find("open"); it != failing.end()) return it->second;
    const bool known = std::any_of(devices.begin(), devices.end(),
                                   [&](const Device& d) { return d.serial == serial; });
    if (!known) return ft::DEVICE_NOT_FOUND;
    open = true;
    handle = OpenHandle;
    return ft::OK;
}

FtStatus ScriptedTransport::close(FtHandle handle) {
    if (const FtStatus s = check("close", handle); s != ft::OK) return s;
    open = false;
    return ft::OK;
}

FtStatus ScriptedTransport::setBaudRate(FtHandle handle, std::uint32_t b) {
    if (const FtStatus s = check("setBaudRate", handle); s != ft::OK) return s;
    baud = b;
    return ft::OK;
}

FtStatus ScriptedTransport::setDataCharacteristics(FtHandle handle, std::uint8_t w, std::uint8_t s,
                                                   std::uint8_t p) {
    if (const FtStatus status = check("setDataCharacteristics", handle); status != ft::OK)
        return status;
    wordLength = w;
    stopBits = s;
    parity = p;
    return ft::OK;
}

FtStatus ScriptedTransport::purge(FtHandle handle, std::uint32_t mask) {
    if (const FtStatus s = check("purge", handle); s != ft::OK) return s;
    purges.push_back(mask);
    settle();
    if (mask & ft::PURGE_RX) queue_.clear();
    return ft::OK;
}

FtStatus ScriptedTransport::queueStatus(FtHandle handle, std::uint32_t& waiting) {
    if (const FtStatus s = check("queueStatus", handle, true); s != ft::OK) return s;
    settle();
    waiting = static_cast<std::uint32_t>(queue_.size());
    return ft::OK;
}

FtStatus ScriptedTransport::read(FtHandle handle, std::uint8_t* buffer, std::uint32_t count,
                                 std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (const FtStatus s = check("read", handle, true); s != ft::OK) return s;
    settle();
    const std::size_t n = std::min<std::size_t>(count, queue_.size());
    std::copy_n(queue_.begin(), n, buffer);
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
    bytesRead = static_cast<std::uint32_t>(n);
    return ft::OK;
}

FtStatus ScriptedTransport::write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                                  std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    if (const FtStatus s = check("write", handle, true); s != ft::OK) return s;
    written.insert(written.end(), buffer, buffer + count);
    bytesWritten = count;
    return ft::OK;
}

}  // namespace korvanne::test
