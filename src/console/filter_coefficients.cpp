#include "console/filter_coefficients.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "device/hex_text.h"

namespace korvanne::filter {

const std::array<std::string_view, NoteCount>& noteNames() {
    static constexpr std::array<std::string_view, NoteCount> names{
        "A1", "A#1", "B1", "C2", "C#2", "D2", "D#2", "E2", "F2", "F#2", "G2", "G#2",
        "A2", "A#2", "B2", "C3", "C#3", "D3", "D#3", "E3", "F3", "F#3", "G3", "G#3",
        "A3", "A#3", "B3", "C4", "C#4", "D4", "D#4", "E4", "F4", "F#4", "G4", "G#4",
        "A4", "A#4", "B4", "C5", "C#5", "D5", "D#5", "E5", "F5", "F#5", "G5", "G#5"};
    return names;
}

double CalcNoteFrequency(int noteOffset) {
    return ReferenceHz * std::pow(2.0, noteOffset / 12.0);
}

Coefficients peakingEqualiser(double frequencyHz, double q, double boostDb) {
    const double A = std::pow(10.0, boostDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * frequencyHz / SampleRateHz;
    const double sn = std::sin(w0);
    const double cs = std::cos(w0);
    const double alpha = sn / (2.0 * q);
    const double a0 = 1.0 + alpha / A;
    const double g = std::pow(10.0, 0.0 / 20.0) / a0;  // the fixed output gain of 0 dB
    Coefficients c;
    c.b0 = (1.0 + alpha * A) * g;
    c.b1 = -2.0 * cs * g;
    c.b2 = (1.0 - alpha * A) * g;
    c.c3 = 2.0 * cs / a0;
    c.c4 = -(1.0 - alpha / A) / a0;
    return c;
}

double roundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5) return below + 1.0;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::uint32_t toFixedPoint(double value) {
    // Reduce modulo 2^32 in floating point: converting a value beyond 64 bits to an integer type
    // would be undefined, and only the low 32 bits are kept anyway.
    constexpr double wrap = 4294967296.0;
    const double scaled = value * FixedPointOne;
    // Nothing sound can be made of a value that does not scale to a finite number.
    if (!std::isfinite(scaled)) return 0;
    double low = std::fmod(roundHalfEven(scaled), wrap);
    if (low < 0) low += wrap;
    return static_cast<std::uint32_t>(low);
}

std::string shortestDecimal(double value, std::string_view separator) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
    if (const auto point = text.find('.'); point != std::string::npos) {
        text.replace(point, 1, separator);
    }
    return text;
}

namespace {

// "'00', '80', '75', '76'" for 0x00807576, the pairs most significant first.
std::string quotedPairs(std::uint32_t value) {
    const std::string digits = hex8(value);
    std::string text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) text += ", ";
        text += '\'';
        text += digits.substr(static_cast<std::size_t>(2 * i), 2);
        text += '\'';
    }
    return text;
}

}  // namespace

std::optional<std::vector<std::string>> coefficientTable(std::string_view noteName,
                                                         double frequencyHz, double q,
                                                         double boostDb,
                                                         std::string_view separator) {
    if (!(q > 0) || !std::isfinite(q) || !std::isfinite(boostDb) || !std::isfinite(frequencyHz))
        return std::nullopt;
    const Coefficients c = peakingEqualiser(frequencyHz, q, boostDb);
    const double values[5] = {c.b0, c.b1, c.b2, c.c3, c.c4};
    // A coefficient must also stay finite once scaled to fixed point (a huge gain can push it
    // beyond the largest double).
    for (double v : values) {
        if (!std::isfinite(v) || !std::isfinite(v * FixedPointOne)) return std::nullopt;
    }
    std::vector<std::string> lines;
    lines.push_back(std::string(noteName) + "_" + shortestDecimal(std::fabs(boostDb), separator) +
                    "db_" + (boostDb < 0 ? "cut" : "boost") + "_Q" + shortestDecimal(q, separator) +
                    " : array[0..19] of string =");
    lines.push_back("(" + quotedPairs(toFixedPoint(values[0])) + ", ");
    for (int i = 1; i <= 3; ++i) lines.push_back(quotedPairs(toFixedPoint(values[i])) + ", ");
    lines.push_back(quotedPairs(toFixedPoint(values[4])) + ");");
    return lines;
}

}  // namespace korvanne::filter
