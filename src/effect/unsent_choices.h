#pragma once

#include <cstdint>
#include <functional>

namespace korvanne {

// Choices the user made in lists that a command sends later ("Set Tuning", "Assign", "Set
// Footswitch Mode"): pending from a change until that command has written them to the pedal or
// the pedal's own state has been read back onto the lists. `show` is told each time it flips.
class UnsentChoices {
public:
    std::function<void(bool)> show;

    bool pending() const { return pending_; }

    // A change of a list; ignored while the pedal's state is read back onto the lists.
    void changed() {
        ++edits_;
        if (!readingBack_) set(true);
    }
    // Taken when the message is built: `sent` clears the mark only when no change came after it
    // (the window stays live while a command waits on the pedal).
    std::uint64_t edits() const { return edits_; }
    void sent(std::uint64_t editsSent) {
        if (editsSent == edits_) set(false);
    }

    // While the pedal's state goes onto the lists, their change handlers mark nothing; `readBack`
    // then clears the mark when every list shows what the pedal reported.
    class ReadBack {
    public:
        explicit ReadBack(UnsentChoices& c) : c_(c), was_(c.readingBack_) {
            c_.readingBack_ = true;
        }
        ~ReadBack() { c_.readingBack_ = was_; }
        ReadBack(const ReadBack&) = delete;
        ReadBack& operator=(const ReadBack&) = delete;

    private:
        UnsentChoices& c_;
        bool was_;
    };
    void readBack() { set(false); }

    // Shows the current state again (a new view).
    void reshow() const {
        if (show) show(pending_);
    }

private:
    void set(bool pending) {
        if (pending == pending_) return;
        pending_ = pending;
        if (show) show(pending_);
    }

    bool pending_ = false;
    bool readingBack_ = false;
    std::uint64_t edits_ = 0;
};

}  // namespace korvanne
