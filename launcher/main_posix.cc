// The POSIX entry of the stand-in build: the arguments form the tail, and
// the run's status is the exit status.
#include "launcher/launch_sequence.h"
#include "launcher/system_platform.h"
#include "platform/posix_command_tail.h"

int main(int argc, char** argv) {
  // Room for more than the longest tail a run accepts, so that a longer one
  // is still seen as too long.
  char tail[1024];
  launcher::Platform& platform = launcher::SystemPlatform();
  return launcher::RunLauncher(launcher::JoinArguments(argc - 1, argv + 1, tail, sizeof tail),
                               platform);
}
