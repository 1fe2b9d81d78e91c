#pragma once

class QWidget;

namespace korvanne {

// Widens every caption of `window` placed by position (not by a layout) whose text no longer fits
// its designed width, as with a look's bolder or larger font: about the caption's alignment
// (centred captions grow on both sides), within its parent. Each caption starts again from its
// designed place, so a smaller look gives the designed layout back.
void fitCaptions(QWidget* window);

}  // namespace korvanne
