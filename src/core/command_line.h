#pragma once

#include <string>
#include <vector>

namespace korvanne {

// The parameter text Windows hands a started program, built from an argument list so that each
// argument arrives whole: every argument in double quotes, separated by one blank, with quotes
// and the backslashes before them escaped as the program's argument parser expects.
std::string windowsCommandLine(const std::vector<std::string>& arguments);

}  // namespace korvanne
