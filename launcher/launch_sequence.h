// The whole run, from the command-line tail to the exit status, and the
// composition of the run's paths.
#pragma once

#include <cstdint>

#include "launcher/launch_plan.h"
#include "launcher/platform.h"

namespace launcher {

// Runs the launcher once. Returns 1 when the installer was started and 0
// otherwise: an empty tail, an input that does not fit, or a failed start.
int RunLauncher(const char* commandTail, Platform& platform);

// Copies the tail into `packageArg` (kPathCapacity bytes); a leading double
// quote is removed and the text cut at the next one. False when the tail
// does not fit or the argument still holds a double quote, which no
// Windows path can contain and which would break the installer's quoting.
bool NormalisePackageArgument(const char* commandTail, char* packageArg);

// Composes the package's response-file and installer paths (kPathCapacity
// bytes each) from a drive path ("D:\pkgs\app") or a name under C:\sysprep\.
// False when the paths, or the installer command built from them, would not
// fit their buffers.
bool ComposePackagePaths(const char* packageArg, char* responseFilePath, char* installerPath);

// Names the temporary copy "<tempDir>\temp<tick in hex>.iss" (kPathCapacity
// bytes). False, with an empty path, when the name does not fit.
bool ComposeTempCopyPath(const char* tempDir, std::uint32_t tick, char* tempCopyPath);

}  // namespace launcher
