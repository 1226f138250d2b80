// The Windows entry: a GUI-subsystem program, so no console ever appears.
// It takes the tail from the raw command line rather than the C runtime's
// own parsing, and returns the run's status as the process exit code.
#include "launcher/command_tail.h"
#include "launcher/launch_sequence.h"
#include "launcher/system_platform.h"

int main() {
  launcher::Platform& platform = launcher::SystemPlatform();
  return launcher::RunLauncher(launcher::SkipProgramName(launcher::SystemCommandLine(), platform),
                               platform);
}
