#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanne {

// The nineteen effect parameters the editor sets live: their records, their order, their
// processor addresses and the encodings between a control and the 32-bit value the pedal takes.

// A standard parameter (shapes the octave sound). Fields in the pedal's documented order.
struct standard_parameter {
    bool is_assigned = false;           // not used for standard parameters
    std::uint8_t num_of_addresses = 1;  // set at creation, never read
    std::string parameter_name;
    std::uint8_t parameter_type = 0;  // not used
    bool control_type = false;        // not used
    std::uint32_t value = 0;          // wire encoding, as last sent or read
    std::uint16_t address = 0x0000;

    standard_parameter(std::string name, std::uint16_t initialAddress, std::uint8_t numOfAddresses)
        : num_of_addresses(numOfAddresses),
          parameter_name(std::move(name)),
          address(initialAddress) {}
};

// An assignable parameter (can also sit on the pedal's own controls and be stored in it).
struct assignable_parameter {
    std::uint16_t address = 0xFFFF;
    bool is_assigned = false;  // set when the pedal reports it on one of its controls
    std::string parameter_name;
    bool control_type = false;  // not used
    std::uint32_t value = 0;

    assignable_parameter(std::string name, std::uint16_t initialAddress, bool isAssigned)
        : address(initialAddress), is_assigned(isAssigned), parameter_name(std::move(name)) {}
};

// Catalogue order: the position of each value in the status reply's block, in preset files and
// in every other list of all nineteen values.
enum class Param : int {
    Dry,
    SubMix,
    Minus1Oct,
    Minus2Oct,
    Wave,
    LowPass,
    HighPass,
    FirstHarmonic,
    Split,
    Range,
    InputLevel,
    HarmonicPitch,
    WaveClip,
    DominantNotesCut,
    HighNotesCut,
    DryHpf,
    LimitRangeUp,
    NoiseGateStatus,
    NoiseGateThreshold,
};
inline constexpr int ParameterCount = 19;
inline constexpr int order(Param p) {
    return static_cast<int>(p);
}

// The read-back scale that marks the plain knob encoding (value = step << 13).
inline constexpr std::uint32_t KnobScale = 0x800000;
inline constexpr std::uint32_t KnobMaximumValue = 0x007FE000;
inline constexpr std::uint32_t WaveOn = 0x00400000;
inline constexpr std::uint32_t WaveOff = 0x00600000;

enum class Encoding { Knob, WaveSwitch, Switch, PitchTable, CheckBox };

struct CatalogueEntry {
    Param param;
    const char* name;
    bool assignable;
    std::optional<int> word;  // index in the image's address table; Range has none
    Encoding encoding;
    std::uint32_t readBackScale;  // knobs only; 0 otherwise
};

// The nineteen entries in catalogue order.
const std::array<CatalogueEntry, ParameterCount>& ParameterCatalogue();
const CatalogueEntry& catalogueEntry(Param p);

using ParameterValues = std::array<std::uint32_t, ParameterCount>;

// The nineteen records, created once in the effect window's creation order (the nine assignable
// ones, then the ten standard ones) and shared by everything that reads or writes a value.
class ParameterRecords {
public:
    ParameterRecords();

    std::vector<standard_parameter> StandardParameters;
    std::vector<assignable_parameter> AssignableParameters;

    // Access by catalogue order.
    const std::string& name(Param p) const;
    std::uint32_t value(Param p) const;
    void setValue(Param p, std::uint32_t value);
    std::uint16_t address(Param p) const;
    void setAddress(Param p, std::uint16_t address);
    bool isAssignable(Param p) const { return catalogueEntry(p).assignable; }

    ParameterValues values() const;
    // The assignable record with that name (the assignment lists find records by their text).
    assignable_parameter* findAssignable(std::string_view name);

private:
    struct Slot {
        bool assignable;
        std::size_t index;
    };
    std::array<Slot, ParameterCount> slots_{};
};

// Reads words 0 to 20 of the address table in an algorithm image line (characters 7 + 4k to
// 10 + 4k, counting from 1) and gives each to its record; words 9 to 11 are read and unused and
// Range keeps its address. Every word is checked before any record changes, so a short or
// non-hexadecimal line leaves all addresses as they were. Returns an error text, empty on success.
std::string LoadParameterAddresses(std::string_view imageLine, ParameterRecords& records);

// A knob's pointer in whole degrees, -180 to 180: minimum at -135, turning towards the maximum
// the angle decreases through -180 (= 180) down to -45, the maximum.
inline constexpr int KnobMinimumAngle = -135;
inline constexpr int KnobMaximumAngle = -45;
inline constexpr int KnobPositions = 270;  // positions 0 to 269

struct EncodedKnob {
    int angle;            // snapped out of the dead zone (-135 < a < -45)
    int position;         // 0 to 269
    int step;             // 0 to 1023
    std::uint32_t value;  // step << 13
};
EncodedKnob EncodeKnob(int angle);
// The angle that shows a value read back from the pedal or a preset (steps above 1022 clamp).
int DecodeKnob(std::uint32_t value, std::uint32_t scale);
// Position 0..269 <-> angle, for widgets that count positions.
int knobAngleFromPosition(int position);
int knobPositionFromAngle(int angle);

// Values of "1st Harmonic Pitch" for the entries "-12" to "+12".
inline constexpr std::array<std::uint32_t, 25> HarmonicPitchTable{
    0x00200000, 0x0022AAA8, 0x00255558, 0x00280000, 0x002AAAA8, 0x002D5558, 0x00300000,
    0x0032AAA8, 0x00355558, 0x00380000, 0x003AAAA8, 0x003D5558, 0x00400000, 0x00455558,
    0x004AAAA8, 0x00500000, 0x00555558, 0x005AAAA8, 0x00600000, 0x00655558, 0x006AAAA8,
    0x00700000, 0x00755558, 0x007AAAA8, 0x00800000};
// The entry showing a table value, or nothing when no entry has it.
std::optional<int> harmonicPitchEntry(std::uint32_t value);
// The entries' texts "-12" ... "0" ... "+12".
std::string harmonicPitchText(int entry);

// The nineteen 32-bit big-endian values that a status reply carries from `start` on, as far as
// the reply holds them whole (a short reply gives fewer).
inline constexpr std::size_t ParameterBlockStart = 26;
inline constexpr std::size_t ParameterBlockBytes = 76;
std::vector<std::uint32_t> ParameterValueBlock(const std::vector<std::uint8_t>& entries,
                                               std::size_t start = ParameterBlockStart);

// The dump labels written when values arrive from the pedal, in catalogue order.
std::string parameterDumpLabel(Param p);

}  // namespace korvanne
