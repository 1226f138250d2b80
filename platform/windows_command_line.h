// Splitting a command line into words the way Windows programs read it.
#pragma once

#include <cstddef>

namespace launcher {

// Splits `commandLine` into at most `maxWords` words, stored NUL-terminated
// in `storage` (`capacity` bytes) and pointed to from `words`, which is
// then ended by a null pointer. The first word, the program, runs to the
// next double quote when it starts with one, else to the first blank or
// tab; the others follow the C runtime's rules for quotes and backslashes.
// Returns the number of words, or -1 when they do not fit.
int SplitCommandLine(const char* commandLine, char* storage, std::size_t capacity, char** words,
                     int maxWords);

}  // namespace launcher
