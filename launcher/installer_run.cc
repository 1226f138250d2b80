#include "launcher/installer_run.h"

#include <cstring>

#include "launcher/text.h"

namespace launcher {
namespace {

// The installer's path in quotes, a blank and /k.
constexpr std::size_t kInstallerCommandCapacity = kPathCapacity + 2;

void WaitForInstaller(Platform& platform, Handle process) {
  int furtherSlices = 0;
  while (platform.WaitForSingleObject(process, kWaitSliceMs) != kWaitObject0) {
    if (++furtherSlices > kMaxFurtherSlices) return;
  }
}

}  // namespace

void DeleteFileIfPresent(const char* path, Platform& platform) {
  char folder[kPathCapacity];
  if (!CopyText(folder, sizeof folder, path)) return;
  char* lastSeparator = std::strrchr(folder, '\\');
  if (lastSeparator == nullptr) return;
  *lastSeparator = '\0';
  char found[kPathCapacity];
  if (platform.SearchPathA(folder, path, sizeof found, found) == 0) return;
  platform.SetFileAttributesA(path, kFileAttributeNormal);
  platform.DeleteFileA(path);
}

int RunInstaller(const LaunchPlan& plan, Platform& platform) {
  // Quoted, so that a blank in the path cannot make Windows start another
  // program, such as C:\sysprep\My.exe for C:\sysprep\My App\setup.exe.
  char command[kInstallerCommandCapacity];
  ProcessInformation started;
  if (FormatText(command, sizeof command, "\"%s\" /k", plan.installerPath) &&
      platform.CreateProcessA(command, &started)) {
    WaitForInstaller(platform, started.process);
    // The process and thread handles stay open until the launcher ends.
    return 1;
  }
  platform.Sleep(kFailedStartPauseMs);
  if (HasSeparateTempCopy(plan)) DeleteFileIfPresent(plan.tempCopyPath, platform);
  return 0;
}

}  // namespace launcher
