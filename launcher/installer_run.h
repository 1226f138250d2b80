// Starting the package's installer, waiting for it a bounded time, and
// cleaning up after a start that failed.
#pragma once

#include "launcher/launch_plan.h"
#include "launcher/platform.h"

namespace launcher {

constexpr std::uint32_t kWaitSliceMs = 1000;
constexpr int kMaxFurtherSlices = 360;  // so at most 361 waits in all
constexpr std::uint32_t kFailedStartPauseMs = 1000;

// Starts "<installerPath>" /k and waits for it, at most about six minutes.
// Returns 1 when it was started, 0 when not; after a failed start the
// temporary copy, if separate from the response file, is removed.
int RunInstaller(const LaunchPlan& plan, Platform& platform);

// Removes `path` if it exists, clearing its attributes first so that a
// read-only file can go. Failures are ignored.
void DeleteFileIfPresent(const char* path, Platform& platform);

}  // namespace launcher
