#include "effect/parameter_catalogue.h"

#include <algorithm>

#include "device/hex_text.h"
#include "device/message_builders.h"

namespace korvanne {

namespace {

constexpr std::array<CatalogueEntry, ParameterCount> catalogue{{
    {Param::Dry, "Dry", false, 0, Encoding::Knob, KnobScale},
    {Param::SubMix, "Sub Mix", false, 1, Encoding::Knob, KnobScale},
    {Param::Minus1Oct, "-1 Oct", false, 2, Encoding::Knob, KnobScale},
    {Param::Minus2Oct, "-2 Oct", false, 3, Encoding::Knob, KnobScale},
    {Param::Wave, "Wave", false, 4, Encoding::WaveSwitch, 0},
    {Param::LowPass, "Low Pass", false, 5, Encoding::Knob, 24},
    {Param::HighPass, "High Pass", false, 6, Encoding::Knob, 16},
    {Param::FirstHarmonic, "1st Harmonic", false, 7, Encoding::Knob, KnobScale},
    {Param::Split, "Split", false, 8, Encoding::Switch, 0},
    {Param::Range, "Range", false, std::nullopt, Encoding::Knob, 22},
    {Param::InputLevel, "Input Level", true, 12, Encoding::Knob, KnobScale},
    {Param::HarmonicPitch, "1st Harmonic Pitch", true, 13, Encoding::PitchTable, 0},
    {Param::WaveClip, "Wave Clip", true, 14, Encoding::Knob, KnobScale},
    {Param::DominantNotesCut, "Dominant Notes Cut", true, 15, Encoding::CheckBox, 0},
    {Param::HighNotesCut, "High Notes Cut", true, 16, Encoding::CheckBox, 0},
    {Param::DryHpf, "Dry HPF", true, 17, Encoding::Knob, KnobScale},
    {Param::LimitRangeUp, "Limit Range UP", true, 18, Encoding::Switch, 0},
    {Param::NoiseGateStatus, "Noise Gate Status", true, 19, Encoding::Switch, 0},
    {Param::NoiseGateThreshold, "Noise Gate Threshold", true, 20, Encoding::Knob, KnobScale},
}};

// The window creates the records in this order; the lists keep it.
constexpr std::array<Param, 9> assignableCreation{
    Param::InputLevel,       Param::HarmonicPitch,   Param::WaveClip,
    Param::DominantNotesCut, Param::HighNotesCut,    Param::DryHpf,
    Param::LimitRangeUp,     Param::NoiseGateStatus, Param::NoiseGateThreshold};
constexpr std::array<Param, 10> standardCreation{
    Param::Dry,      Param::Minus1Oct, Param::SubMix,        Param::Minus2Oct, Param::LowPass,
    Param::HighPass, Param::Range,     Param::FirstHarmonic, Param::Wave,      Param::Split};

constexpr int AddressWordsRead = 21;
constexpr std::size_t FirstWordCharacter = 6;  // character 7, counting from 1

}  // namespace

const std::array<CatalogueEntry, ParameterCount>& ParameterCatalogue() {
    return catalogue;
}

const CatalogueEntry& catalogueEntry(Param p) {
    return catalogue[static_cast<std::size_t>(order(p))];
}

ParameterRecords::ParameterRecords() {
    AssignableParameters.reserve(assignableCreation.size());
    StandardParameters.reserve(standardCreation.size());
    for (std::size_t i = 0; i < assignableCreation.size(); ++i) {
        const Param p = assignableCreation[i];
        AssignableParameters.emplace_back(catalogueEntry(p).name, 0xFFFF, false);
        slots_[static_cast<std::size_t>(order(p))] = {true, i};
    }
    for (std::size_t i = 0; i < standardCreation.size(); ++i) {
        const Param p = standardCreation[i];
        StandardParameters.emplace_back(catalogueEntry(p).name, 0x0000, 1);
        slots_[static_cast<std::size_t>(order(p))] = {false, i};
    }
}

const std::string& ParameterRecords::name(Param p) const {
    const Slot s = slots_[static_cast<std::size_t>(order(p))];
    return s.assignable ? AssignableParameters[s.index].parameter_name
                        : StandardParameters[s.index].parameter_name;
}

std::uint32_t ParameterRecords::value(Param p) const {
    const Slot s = slots_[static_cast<std::size_t>(order(p))];
    return s.assignable ? AssignableParameters[s.index].value : StandardParameters[s.index].value;
}

void ParameterRecords::setValue(Param p, std::uint32_t value) {
    const Slot s = slots_[static_cast<std::size_t>(order(p))];
    (s.assignable ? AssignableParameters[s.index].value : StandardParameters[s.index].value) =
        value;
}

std::uint16_t ParameterRecords::address(Param p) const {
    const Slot s = slots_[static_cast<std::size_t>(order(p))];
    return s.assignable ? AssignableParameters[s.index].address
                        : StandardParameters[s.index].address;
}

void ParameterRecords::setAddress(Param p, std::uint16_t address) {
    const Slot s = slots_[static_cast<std::size_t>(order(p))];
    (s.assignable ? AssignableParameters[s.index].address : StandardParameters[s.index].address) =
        address;
}

ParameterValues ParameterRecords::values() const {
    ParameterValues v{};
    for (const CatalogueEntry& e : catalogue)
        v[static_cast<std::size_t>(order(e.param))] = value(e.param);
    return v;
}

assignable_parameter* ParameterRecords::findAssignable(std::string_view name) {
    for (assignable_parameter& record : AssignableParameters) {
        if (record.parameter_name == name) return &record;
    }
    return nullptr;
}

std::string LoadParameterAddresses(std::string_view imageLine, ParameterRecords& records) {
    std::array<std::uint16_t, AddressWordsRead> words{};
    for (int k = 0; k < AddressWordsRead; ++k) {
        const std::size_t at = FirstWordCharacter + 4 * static_cast<std::size_t>(k);
        if (imageLine.size() < at + 4) {
            return "The effect's algorithm image is too short to hold its parameter addresses (" +
                   std::to_string(imageLine.size()) + " characters).";
        }
        const std::string_view digits = imageLine.substr(at, 4);
        const auto bytes = HexToBytes(digits);
        if (!bytes) {
            return "'" + std::string(digits) +
                   "' is not a valid hexadecimal address in the effect's algorithm image "
                   "(characters " +
                   std::to_string(at + 1) + " to " + std::to_string(at + 4) + ").";
        }
        words[static_cast<std::size_t>(k)] =
            static_cast<std::uint16_t>((*bytes)[0] << 8 | (*bytes)[1]);
    }
    for (const CatalogueEntry& e : catalogue) {
        if (e.word) records.setAddress(e.param, words[static_cast<std::size_t>(*e.word)]);
    }
    return {};
}

int knobPositionFromAngle(int angle) {
    // Whole turns fold back into -180..180; -180 is the same pointer as 180.
    angle %= 360;
    if (angle > 180) angle -= 360;
    if (angle <= -180) angle += 360;
    if (angle <= KnobMinimumAngle) return -(angle + 135);  // -179..-135 -> 44..0
    if (angle >= 0) return 224 - angle;                    // 180..0 -> 44..224
    if (angle >= KnobMaximumAngle) return 224 - angle;     // -1..-45 -> 225..269
    // The dead zone between maximum and minimum: whichever end is nearer, -90 to the minimum.
    return angle <= -90 ? 0 : KnobPositions - 1;
}

int knobAngleFromPosition(int position) {
    position = std::clamp(position, 0, KnobPositions - 1);
    if (position <= 44) return -135 - position;
    return 224 - position;
}

EncodedKnob EncodeKnob(int angle) {
    const int position = knobPositionFromAngle(angle);
    const int snapped = (angle > KnobMinimumAngle && angle < KnobMaximumAngle)
                            ? (angle <= -90 ? KnobMinimumAngle : KnobMaximumAngle)
                            : angle;
    // p × 1023 / 269, rounded to the nearest (the quotient never ends in exactly one half).
    const int step = (position * 1023 * 2 + 269) / (2 * 269);
    return {snapped, position, step, static_cast<std::uint32_t>(step) << 13};
}

int DecodeKnob(std::uint32_t value, std::uint32_t scale) {
    std::uint64_t step = 0;
    if (scale == KnobScale) {
        step = value >> 13;
    } else if (scale != 0) {
        // Wide arithmetic so a large value clamps instead of wrapping to a small step.
        step = (std::uint64_t{value} * (8192 / scale)) >> 3;
    }
    const int v = step > 1022 ? 1023 : static_cast<int>(step);
    struct Segment {
        int lo, hi, a0, a1;
    };
    static constexpr Segment segments[] = {
        {0, 169, -135, -179}, {170, 339, 180, 135}, {340, 511, 136, 90},
        {512, 680, 89, 45},   {681, 850, 44, 0},    {851, 1023, -1, -45},
    };
    for (const Segment& s : segments) {
        if (v >= s.lo && v <= s.hi) return s.a0 + (v - s.lo) * (s.a1 - s.a0) / (s.hi - s.lo);
    }
    return KnobMaximumAngle;
}

std::optional<int> harmonicPitchEntry(std::uint32_t value) {
    const auto at = std::find(HarmonicPitchTable.begin(), HarmonicPitchTable.end(), value);
    if (at == HarmonicPitchTable.end()) return std::nullopt;
    return static_cast<int>(at - HarmonicPitchTable.begin());
}

std::string harmonicPitchText(int entry) {
    const int semitones = entry - 12;
    return semitones > 0 ? "+" + std::to_string(semitones) : std::to_string(semitones);
}

std::vector<std::uint32_t> ParameterValueBlock(const std::vector<std::uint8_t>& entries,
                                               std::size_t start) {
    std::vector<std::uint32_t> values;
    for (std::size_t i = 0; i < ParameterCount; ++i) {
        const std::size_t at = start + 4 * i;
        if (at + 4 > entries.size()) break;
        values.push_back(std::uint32_t{entries[at]} << 24 | std::uint32_t{entries[at + 1]} << 16 |
                         std::uint32_t{entries[at + 2]} << 8 | entries[at + 3]);
    }
    return values;
}

std::string parameterDumpLabel(Param p) {
    switch (p) {
        case Param::Dry:
            return "Dry: \t";
        case Param::SubMix:
            return "Sub Mix: ";
        case Param::Minus1Oct:
            return "Sub -1: \t";
        case Param::Minus2Oct:
            return "Sub -2: \t";
        case Param::Wave:
            return "Wave: \t";
        case Param::LowPass:
            return "LPF: \t";
        case Param::HighPass:
            return "HPF: \t";
        case Param::FirstHarmonic:
            return "1st Harmonic: \t";
        case Param::Split:
            return "Split: \t";
        case Param::Range:
            return "Range: \t";
        case Param::InputLevel:
            return "Input Lvl: \t";
        case Param::HarmonicPitch:
            return "Harmonic pitch: \t";
        case Param::WaveClip:
            return "Clip: \t";
        case Param::DominantNotesCut:
            return "Dominant notes cut: \t";
        case Param::HighNotesCut:
            return "High notes cut: \t";
        case Param::DryHpf:
            return "Dry HPF: \t";
        case Param::LimitRangeUp:
            return "Limit Range UP: \t";
        case Param::NoiseGateStatus:
        case Param::NoiseGateThreshold:
            break;
    }
    return std::string(catalogueEntry(p).name) + ": \t";
}

}  // namespace korvanne
