#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanne {

// A dotted version ("1.19", "2.0"): whole numbers separated by single points. Leading and
// trailing blanks and line ends are dropped first, since web servers often add a line end.
// Anything else (empty text, letters, "1..2", a number beyond 32 bits) gives nothing.
std::optional<std::vector<unsigned>> parseVersion(std::string_view text);

// The text with leading and trailing blanks, tabs and line ends removed.
std::string trimVersionText(std::string_view text);

// Compares number by number, a missing number counting as 0 (1.2 == 1.2.0): negative when a is
// older, 0 when equal, positive when a is newer.
int compareVersions(const std::vector<unsigned>& a, const std::vector<unsigned>& b);

// Whether `server` names a newer version than `own`; equal versions mean no update. Nothing
// when either text is not a version.
std::optional<bool> IsNewerVersion(std::string_view server, std::string_view own);

}  // namespace korvanne
