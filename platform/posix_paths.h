// How the POSIX stand-in maps Windows paths onto the host.
#pragma once

#include <cstddef>

namespace launcher {

// Maps `windowsPath` into `hostPath` (`capacity` bytes): "X:\rest" and
// "X:rest" become "<root>/x/rest", the drive letter in lower case; any
// other path stays a host path. Every backslash becomes a slash. False
// when the result does not fit.
bool MapWindowsPath(const char* root, const char* windowsPath, char* hostPath,
                    std::size_t capacity);

}  // namespace launcher
