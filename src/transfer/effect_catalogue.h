#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/decimal_digits.h"
#include "device/status_reply.h"  // algorithmUploadNotice

namespace korvanne {

// The algorithm resource that belongs to an effect name: every blank and "-" becomes "_", every
// "+" becomes "plus" and every upper-case "X" becomes "mult", in that order; nothing else changes
// (a lower-case "x" stays). "Korvanne MK3 0014" -> "Korvanne_MK3_0014".
std::string EffectResourceName(std::string_view effectName);

// The newest algorithm the editor carries, read from the first effect list item: characters 13
// to 17 (counting from 1, fewer when the text is shorter), leading blanks skipped, the rest
// decimal digits. "Korvanne MK3 0014" -> 14. A name that does not carry a number there gives
// nothing, so the caller can keep what it had instead of failing.
std::optional<std::uint32_t> LatestAlgorithmNumberFrom(std::string_view firstItem);

// How the pedal's algorithm compares with the newest one the editor carries.
enum class AlgorithmCheck {
    Current,    // at least the newest: the effect window may open
    Older,      // below it: the user is asked to upload the newest
    NotANumber  // no status read yet, or garbled digits: an error for the user
};
AlgorithmCheck checkDeviceAlgorithm(std::string_view deviceAlgorithm,
                                    std::uint32_t latestAlgorithmNumber);

}  // namespace korvanne
