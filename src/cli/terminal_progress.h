#pragma once

#include <cstdio>

namespace korvanne {

// A progress bar on a terminal: one line redrawn in place, "[#####-----]  50%". Where the stream
// is not a terminal (a log, a pipe) nothing is drawn, so scripts see no control characters.
class TerminalProgress {
public:
    static constexpr int Width = 40;

    explicit TerminalProgress(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}
    ~TerminalProgress() { finish(); }

    void setMaximum(int maximum) { maximum_ = maximum > 0 ? maximum : 1; }
    void setValue(int value);
    // Ends the line the bar is drawn on.
    void finish();

private:
    std::FILE* out_;
    bool terminal_;
    int maximum_ = 100;
    int lastPercent_ = -1;
    bool drawn_ = false;
};

}  // namespace korvanne
