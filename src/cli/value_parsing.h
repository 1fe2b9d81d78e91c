#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>

#include "effect/parameter_catalogue.h"

namespace korvanne {

// The values that korvanne-cli's commands read from their words: hex digits, whole numbers in a
// range, parameter names and values, notes and decimal numbers. Each returns the value, or
// nothing together with the one sentence that says what the word should have been.

// Exactly `digits` hex digits, with or without 0x, given back in upper case.
std::optional<QString> hexDigits(QString text, int digits);

// A whole number from `minimum` to `maximum`; a negative one is written -5.
std::optional<int> wholeNumber(const QString& word, int minimum, int maximum);

// A catalogue parameter by its name, letter case ignored; nothing when there is none.
const CatalogueEntry* parameterByName(const QString& name);

// `set NAME VALUE`: the name may be several words, the value is the last word. A bare value is
// the shown value, as the effect window shows it (effect/shown_values.h): a knob's 0.0 to 10.0,
// the harmonic pitch's semitones, on or off.
struct SetRequest {
    enum Kind { Angle, Pitch, Raw, Shown };
    const CatalogueEntry* entry = nullptr;
    Kind kind = Shown;
    int angle = 0;          // Angle: whole degrees, -180..180
    int pitch = 0;          // Pitch: semitones, -12..12
    std::uint32_t raw = 0;  // Raw
    int setting = 0;        // Shown: the control's setting (a knob's angle, a pitch entry, 1/0)
};
std::optional<SetRequest> parseSetRequest(QStringList words, QString& error);

// `coefficients NOTE GAIN Q`: the note's index in the generator's note list (A1 ... G#5), the
// gain in dB and Q, numbers read the same way whatever the user's locale.
struct CoefficientRequest {
    int note = 0;
    double gain = 0;
    double q = 0;
};
std::optional<CoefficientRequest> parseCoefficientRequest(const QStringList& words, QString& error);

// A note of the note cut (A2 ... E3, letter case ignored) as its code 0..7.
std::optional<int> noteCutCode(const QString& word);

// A MIDI channel word (omni, letter case ignored, or 1..16) as the caption of its menu item.
std::optional<QString> midiChannelCaption(const QString& word);

// Words of the form key=value for `command` (assign, footswitch), keys letter case ignored and
// given back in lower case; a word without "=" continues the value before it, so a parameter
// name of several words may come unquoted. Every key must be one of `keys`, given once.
std::optional<std::map<QString, QString>> parseKeyValues(const QStringList& words,
                                                         const QStringList& keys,
                                                         const QString& command, QString& error);

}  // namespace korvanne
