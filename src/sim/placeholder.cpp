// Replaced by the simulated pedal model.
