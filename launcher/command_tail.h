// The command-line tail: the process command line less the program's name.
#pragma once

#include "launcher/platform.h"

namespace launcher {

// Skips the program's name at the start of `commandLine` (in double quotes
// up to the next quote, a double-byte character never ending it; otherwise
// up to the first character of code 32 or less), then every following
// character of code 1 to 32. Returns a pointer into `commandLine`.
const char* SkipProgramName(const char* commandLine, Platform& platform);

}  // namespace launcher
