#pragma once

#include <cstdio>

#include "cli/terminal_progress.h"
#include "transfer/firmware_upgrade_view.h"

namespace korvanne {

// The firmware upgrade window on a terminal: its one firmware item, the verify option from the
// command line, and the progress bar drawn on the error stream.
class CliFirmwareView final : public FirmwareUpgradeView {
public:
    CliFirmwareView(bool verify, std::FILE* out, bool terminal)
        : verify_(verify), progress_(out, terminal) {}

    void showBelowMainWindow() override { shown_ = true; }
    void hideWindow() override {
        shown_ = false;
        progress_.finish();
    }
    bool windowShown() const override { return shown_; }
    int itemCount() const override { return 1; }
    QString itemText(int) const override { return QStringLiteral("Firmware_13"); }
    int selectedIndex() const override { return selected_; }
    void selectItem(int index) override { selected_ = index; }
    void setUpgradeEnabled(bool) override {}
    void setProgressMaximum(int maximum) override { progress_.setMaximum(maximum); }
    void setProgress(int position) override { progress_.setValue(position); }
    // The terminal's bar shows the progress only.
    void setPhase(const QString&) override {}
    bool verifyAfterWriting() const override { return verify_; }

private:
    bool verify_;
    TerminalProgress progress_;
    bool shown_ = false;
    int selected_ = -1;
};

}  // namespace korvanne
