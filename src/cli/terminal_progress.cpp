#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdint>

namespace korvanne {

void TerminalProgress::setValue(int value) {
    if (!terminal_) return;
    const int clamped = std::clamp(value, 0, maximum_);
    const int percent = int(100LL * clamped / maximum_);
    // Redraw only when the figure changes: a firmware has a few hundred blocks.
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    const int filled = int(std::int64_t(Width) * clamped / maximum_);
    char bar[Width + 1];
    for (int i = 0; i < Width; ++i) bar[i] = i < filled ? '#' : '-';
    bar[Width] = '\0';
    std::fprintf(out_, "\r[%s] %3d%%", bar, percent);
    std::fflush(out_);
    drawn_ = true;
}

void TerminalProgress::finish() {
    if (!drawn_) return;
    std::fprintf(out_, "\n");
    std::fflush(out_);
    drawn_ = false;
    lastPercent_ = -1;
}

}  // namespace korvanne
