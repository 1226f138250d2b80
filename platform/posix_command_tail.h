// The command-line tail on a POSIX host, where there is no Windows command
// line: the program's arguments joined by single blanks, exactly as given,
// less the characters of code 1 to 32 at its start.
#pragma once

#include <cstddef>

namespace launcher {

// Joins `arguments` (`count` of them) into `tail` (`capacity` bytes). A
// tail too long for the buffer is cut; since any buffer of more than 256
// bytes then holds more than 255 characters, the run still refuses it.
// Returns `tail`.
const char* JoinArguments(int count, const char* const* arguments, char* tail,
                          std::size_t capacity);

}  // namespace launcher
