// Installer stand-in for measurements: writes the wall-clock time, in
// nanoseconds, at which it started to $INSTALLER_STARTED, stays
// $INSTALLER_MS milliseconds, writes the time it ends and the CPU time it
// used, in nanoseconds, to $INSTALLER_ENDED, and exits.
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

long long Nanoseconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void Stamp(const char* variable) {
  const char* path = std::getenv(variable);
  if (path == nullptr) return;
  const long long now = Nanoseconds(CLOCK_REALTIME);
  if (FILE* out = std::fopen(path, "w")) {
    std::fprintf(out, "%lld %lld\n", now, Nanoseconds(CLOCK_PROCESS_CPUTIME_ID));
    std::fclose(out);
  }
}

}  // namespace

int main() {
  Stamp("INSTALLER_STARTED");
  if (const char* ms = std::getenv("INSTALLER_MS")) {
    const long wait = std::atol(ms);
    timespec pause = {wait / 1000, (wait % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
  }
  Stamp("INSTALLER_ENDED");
  return 0;
}
