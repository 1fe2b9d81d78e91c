#pragma once

#include <string>

#include "device/ft_status.h"

namespace korvanne {

// The text a failed library call's tag is followed by in the error report, e.g. " - Invalid
// handle..." for status 1. Empty for status 0. A bridge the user may not open gets what to do.
std::string FtErrorSuffix(FtStatus status);

}  // namespace korvanne
