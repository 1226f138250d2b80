// The platform layer the build picked, and the process's own command line.
#pragma once

#include "launcher/platform.h"

namespace launcher {

// The one instance of the platform layer that this build was made with.
Platform& SystemPlatform();

}  // namespace launcher

namespace launcher {

// The process command line as Windows hands it over (Windows builds only).
const char* SystemCommandLine();

}  // namespace launcher
