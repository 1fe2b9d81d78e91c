#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanne::filter {

// The peaking equaliser (biquad) the console's generator prints for the pedal's program sources:
// the Audio EQ Cookbook formulas in 64-bit floating point, normalised by a0 with the feedback
// coefficients negated, written as 32-bit fixed point with 23 fractional bits.

inline constexpr int NoteCount = 48;
inline constexpr int ReferenceIndex = 12;  // A2 in the note list
inline constexpr double ReferenceHz = 110.0;
inline constexpr double SampleRateHz = 48000.0;
inline constexpr double FixedPointOne = 8388608.0;  // 2^23, 1.0 is 0x00800000

// A1, A#1, ... G#5: the note picker's items in order.
const std::array<std::string_view, NoteCount>& noteNames();

// 110 Hz x 2^(offset / 12), the offset counted in semitones from A2.
double CalcNoteFrequency(int noteOffset);

// b0, b1, b2, then the negated feedback coefficients c3 = -a1/a0 and c4 = -a2/a0.
struct Coefficients {
    double b0 = 0, b1 = 0, b2 = 0, c3 = 0, c4 = 0;
};
Coefficients peakingEqualiser(double frequencyHz, double q, double boostDb);

// Nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value);
// value x 2^23 rounded half to even, as the low 32 bits of its two's complement; 0 when value x
// 2^23 is not a finite number.
std::uint32_t toFixedPoint(double value);

// The shortest decimal text that reads back as the same number, never with an exponent, the
// decimal point written as `separator` (6 -> "6", 1.41 -> "1.41", 0.5 with "," -> "0,5").
std::string shortestDecimal(double value, std::string_view separator = ".");

// The six lines the generator prints: the header (note, gain, cut or boost, Q) and one line of
// four quoted byte pairs per coefficient. Nothing when the filter cannot be computed (Q not above
// 0, or a coefficient that is not a finite number even once scaled to fixed point).
std::optional<std::vector<std::string>> coefficientTable(std::string_view noteName,
                                                         double frequencyHz, double q,
                                                         double boostDb,
                                                         std::string_view separator = ".");

}  // namespace korvanne::filter
