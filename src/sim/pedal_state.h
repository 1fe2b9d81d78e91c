#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace korvanne {

// The nineteen effect parameters in catalogue order: the order of the status reply's value
// block and of every other list of all nineteen values.
namespace param {
inline constexpr int Count = 19;
inline constexpr int Dry = 0, SubMix = 1, Minus1Oct = 2, Minus2Oct = 3, Wave = 4, LowPass = 5,
                     HighPass = 6, FirstHarmonic = 7, Split = 8, Range = 9, InputLevel = 10,
                     HarmonicPitch = 11, WaveClip = 12, DominantNotesCut = 13, HighNotesCut = 14,
                     DryHpf = 15, LimitRangeUp = 16, NoiseGateStatus = 17, NoiseGateThreshold = 18;
// The nine that the store message carries, in its order.
inline constexpr int FirstAssignable = InputLevel;
inline constexpr int AssignableCount = 9;

// Index of the parameter's address in an algorithm image's address table; Range has none.
std::optional<int> addressWord(int parameter);
// Low Pass, High Pass and Range are reported as small step numbers: their full step count.
std::optional<int> reportedSteps(int parameter);
}  // namespace param

// An algorithm image's sixty-word table of signal-processor addresses.
using AddressTable = std::array<std::uint16_t, 60>;

// The table the pedal runs with until an algorithm is uploaded.
AddressTable defaultAddressTable();

// Assignments as the pedal reports them: a flag and a 16-bit code for Control I to IV and the
// remote footswitch, in that order.
struct Assignments {
    std::array<std::uint8_t, 5> flags{};
    std::array<std::uint16_t, 5> codes{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
};

// Note codes of the note cut choice; 0xFF is "none".
struct NoteFilter {
    std::uint8_t first = 0xFF;
    std::uint8_t second = 0xFF;
};

inline constexpr std::size_t SettingsMemorySize = 16384;
inline constexpr std::size_t TuningDataSize = 640;

// Everything the pedal's firmware side remembers.
struct PedalState {
    int firmware = 13;
    int algorithm = 14;               // decimal; reported as two bytes whose hex digits spell it
    int effect = 0;                   // decimal; reported as one byte whose hex digits spell it
    std::vector<std::uint8_t> image;  // the loaded algorithm image, empty until one is uploaded
    AddressTable addresses = defaultAddressTable();
    std::array<std::uint32_t, param::Count> values{};    // as last written (wire encoding)
    std::map<std::uint16_t, std::uint32_t> strayWrites;  // writes to addresses no parameter has
    std::array<std::uint32_t, param::AssignableCount> storedValues{};
    bool parametersStored = false;

    int footswitchMode = 0;  // short-press byte × 2 + long-press byte
    int tuning = 0;
    int semitones = 0;  // -5 to +3
    NoteFilter noteFilter;
    Assignments assignments;
    bool bypass = false;
    bool storeBypass = false;
    std::uint8_t instrumentRange = 255;  // 255 standard, 186 low
    bool rangeLimit = false;
    std::uint8_t midiChannel = 0;  // 0 OMNI, 1 to 16
    std::array<std::uint8_t, TuningDataSize> tuningData{};
    bool tuningDataLoaded = false;
    std::array<std::uint8_t, SettingsMemorySize> settingsMemory{};

    PedalState();
};

// Range has no word in the address table; the editor keeps it at address 0000.
inline constexpr std::uint16_t RangeAddress = 0x0000;

// The address a parameter currently has (none for a parameter outside the catalogue).
std::optional<std::uint16_t> parameterAddress(const PedalState& state, int parameter);

}  // namespace korvanne
