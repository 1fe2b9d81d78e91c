#pragma once

namespace korvanne {

class MainController;

// What the editor's start-up prepares for the pedal operations, shared with korvanne-cli: the
// line parameters, normal (not upgrade) mode, the effect list, the editor's version, the newest
// algorithm and firmware numbers. It touches neither the settings files nor the network.
void PrepareOperations(MainController& controller);

}  // namespace korvanne
