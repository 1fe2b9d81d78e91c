#pragma once

#include <QAction>
#include <vector>

#include "device/communication.h"
#include "editor_fixture.h"
#include "sim/pedal_model.h"

namespace korvanne::test {

// The editor linked to one simulated pedal; `sent()` gives what the pedal received since the
// link (or since the last `mark()`).
struct LinkedEditor : EditorFixture {
    PedalModel* pedal = nullptr;
    std::size_t from = 0;

    explicit LinkedEditor(PedalOptions options = {}) {
        pedal = &transport.addPedal(std::move(options));
        start();
        main().action("menuScan")->trigger();
        // Let the echo of the link's values go out.
        clock.advance(300);
        mark();
    }
    void mark() {
        from = pedal->received().size();
        log.clear();
    }
    std::vector<std::uint8_t> sent() const {
        const auto& all = pedal->received();
        return {all.begin() + std::ptrdiff_t(from), all.end()};
    }
    // Runs the status handshake again, as a new link does.
    void readStatus() { operations().communication().ReadDeviceStatus(); }
};

inline std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    return std::vector<std::uint8_t>(list.begin(), list.end());
}

}  // namespace korvanne::test
