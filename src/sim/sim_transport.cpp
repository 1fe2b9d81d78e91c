#include "sim/sim_transport.h"

#include <algorithm>
#include <cstdio>

#include "core/clock.h"

namespace korvanne {

SimTransport::SimTransport(Clock& clock) : clock_(clock) {
    virtualClock_ = dynamic_cast<VirtualClock*>(&clock);
    if (virtualClock_)
        eventSourceId_ = virtualClock_->addEventSource([this] { return nextEvent(); });
}

SimTransport::~SimTransport() {
    if (virtualClock_) virtualClock_->removeEventSource(eventSourceId_);
}

PedalModel& SimTransport::addPedal(PedalOptions options, std::string serial,
                                   std::string description) {
    if (serial.empty()) {
        char text[16];
        std::snprintf(text, sizeof text, "KVSIM%04zu", pedals_.size() + 1);
        serial = text;
    }
    auto bridge = std::make_unique<Bridge>();
    bridge->serial = std::move(serial);
    bridge->description = std::move(description);
    bridge->model = std::make_unique<PedalModel>(std::move(options));
    pedals_.push_back(std::move(bridge));
    return *pedals_.back()->model;
}

PedalModel* SimTransport::pedalBySerial(const std::string& serial) {
    for (auto& b : pedals_) {
        if (b->serial == serial) return b->model.get();
    }
    return nullptr;
}

PedalModel* SimTransport::pedalByHandle(FtHandle handle) {
    for (auto& b : pedals_) {
        if (handle != 0 && b->handle == handle) return b->model.get();
    }
    return nullptr;
}

SimTransport::Bridge* SimTransport::visible(std::uint32_t index) {
    for (auto& b : pedals_) {
        if (b->model->cablePulled()) continue;
        if (index-- == 0) return b.get();
    }
    return nullptr;
}

FtStatus SimTransport::lookUp(FtHandle handle, Bridge*& bridge) {
    bridge = nullptr;
    for (auto& b : pedals_) {
        if (handle != 0 && b->handle == handle) bridge = b.get();
    }
    if (!bridge) return ft::INVALID_HANDLE;
    return bridge->model->cablePulled() ? ft::IO_ERROR : ft::OK;
}

std::optional<std::int64_t> SimTransport::nextEvent() {
    std::optional<std::int64_t> best;
    const std::int64_t now = clock_.nowUs();
    for (auto& b : pedals_) {
        if (b->handle == 0 || b->model->cablePulled()) continue;
        if (auto at = b->model->nextOutputAfter(now); at && (!best || *at < *best)) best = at;
    }
    return best;
}

FtStatus SimTransport::deviceCount(std::uint32_t& count) {
    count = static_cast<std::uint32_t>(std::count_if(
        pedals_.begin(), pedals_.end(), [](const auto& b) { return !b->model->cablePulled(); }));
    return ft::OK;
}

FtStatus SimTransport::serialNumber(std::uint32_t index, std::string& serial) {
    Bridge* b = visible(index);
    if (!b) return ft::DEVICE_NOT_FOUND;
    serial = b->serial;
    return ft::OK;
}

FtStatus SimTransport::description(std::uint32_t index, std::string& description) {
    Bridge* b = visible(index);
    if (!b) return ft::DEVICE_NOT_FOUND;
    description = b->description;
    return ft::OK;
}

FtStatus SimTransport::openBySerialNumber(const std::string& serial, FtHandle& handle) {
    for (auto& b : pedals_) {
        if (b->serial != serial || b->model->cablePulled()) continue;
        // As with a real bridge, a second open of a device in use fails.
        if (b->handle != 0) return ft::DEVICE_NOT_OPENED;
        b->handle = nextHandle_++;
        handle = b->handle;
        return ft::OK;
    }
    return ft::DEVICE_NOT_FOUND;
}

FtStatus SimTransport::close(FtHandle handle) {
    Bridge* b = nullptr;
    const FtStatus status = lookUp(handle, b);
    if (!b) return status;
    b->handle = 0;  // closing an unplugged bridge still frees its handle
    return ft::OK;
}

FtStatus SimTransport::setBaudRate(FtHandle handle, std::uint32_t baud) {
    Bridge* b = nullptr;
    if (const FtStatus status = lookUp(handle, b); status != ft::OK) return status;
    if (baud == 0) return ft::INVALID_BAUD_RATE;
    b->line.baud = baud;
    b->model->setLine(b->line);
    return ft::OK;
}

FtStatus SimTransport::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                              std::uint8_t stopBits, std::uint8_t parity) {
    Bridge* b = nullptr;
    if (const FtStatus status = lookUp(handle, b); status != ft::OK) return status;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4) {
        return ft::INVALID_PARAMETER;
    }
    b->line.wordLength = wordLength;
    b->line.stopBits = stopBits;
    b->line.parity = parity;
    b->model->setLine(b->line);
    return ft::OK;
}

FtStatus SimTransport::purge(FtHandle handle, std::uint32_t mask) {
    Bridge* b = nullptr;
    if (const FtStatus status = lookUp(handle, b); status != ft::OK) return status;
    if (mask & ft::PURGE_RX) b->model->purgeOutput(clock_.nowUs());
    if (mask & ft::PURGE_TX) b->model->purgeInput(clock_.nowUs());
    return ft::OK;
}

FtStatus SimTransport::queueStatus(FtHandle handle, std::uint32_t& waiting) {
    Bridge* b = nullptr;
    if (const FtStatus status = lookUp(handle, b); status != ft::OK) return status;
    waiting = static_cast<std::uint32_t>(b->model->available(clock_.nowUs()));
    return ft::OK;
}

FtStatus SimTransport::read(FtHandle handle, std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& bytesRead) {
    bytesRead = 0;
    Bridge* b = nullptr;
    if (const FtStatus status = lookUp(handle, b); status != ft::OK) return status;
    bytesRead = static_cast<std::uint32_t>(b->model->take(buffer, count, clock_.nowUs()));
    return ft::OK;
}

FtStatus SimTransport::write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    Bridge* b = nullptr;
    if (const FtStatus status = lookUp(handle, b); status != ft::OK) return status;
    bytesWritten = static_cast<std::uint32_t>(b->model->receive(buffer, count, clock_.nowUs()));
    return bytesWritten == count ? ft::OK : ft::IO_ERROR;
}

}  // namespace korvanne
