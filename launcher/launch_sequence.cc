#include "launcher/launch_sequence.h"

#include <cstring>

#include "launcher/folder_resolution.h"
#include "launcher/installer_run.h"
#include "launcher/response_rewrite.h"
#include "launcher/text.h"

namespace launcher {
namespace {

// The installer command appends this to the installer's path, so the
// composed paths keep room for it.
constexpr std::size_t kInstallerSwitchLength = sizeof(" /k") - 1;
constexpr std::size_t kComposedPathCapacity = kPathCapacity - kInstallerSwitchLength;

}  // namespace

bool NormalisePackageArgument(const char* commandTail, char* packageArg) {
  std::memset(packageArg, 0, kPathCapacity);
  if (!FormatText(packageArg, kPathCapacity, "%s", commandTail)) return false;
  if (packageArg[0] == '"') {
    // Shift left over the opening quote, stopping at the closing one; the
    // terminator moves along when there is none.
    for (std::size_t i = 1; i < kPathCapacity; ++i) {
      if (packageArg[i] == '"') {
        packageArg[i - 1] = '\0';
        break;
      }
      packageArg[i - 1] = packageArg[i];
      if (packageArg[i] == '\0') break;
    }
  }
  return std::strchr(packageArg, '"') == nullptr;
}

bool ComposePackagePaths(const char* packageArg, char* responseFilePath, char* installerPath) {
  const bool folderForm = packageArg[0] != '\0' && packageArg[1] == ':';
  const char* responseFormat = folderForm ? "%s\\setup.iss" : "C:\\sysprep\\%s\\setup.iss";
  const char* installerFormat = folderForm ? "%s\\setup.exe" : "C:\\sysprep\\%s\\setup.exe";
  return FormatText(responseFilePath, kComposedPathCapacity, responseFormat, packageArg) &&
         FormatText(installerPath, kComposedPathCapacity, installerFormat, packageArg);
}

bool ComposeTempCopyPath(const char* tempDir, std::uint32_t tick, char* tempCopyPath) {
  return FormatText(tempCopyPath, kPathCapacity, "%s\\temp%x.iss", tempDir,
                    static_cast<unsigned>(tick));
}

int RunLauncher(const char* commandTail, Platform& platform) {
  if (commandTail[0] == '\0') return 0;

  LaunchPlan plan;
  ResolveProgramFilesDir(platform, plan.programFilesDir);
  ResolveTempDir(platform, plan.tempDir);
  plan.tempCopyTick = platform.GetTickCount();
  // A name that does not fit leaves the path empty: the run then makes no
  // separate copy.
  ComposeTempCopyPath(plan.tempDir, plan.tempCopyTick, plan.tempCopyPath);

  if (!NormalisePackageArgument(commandTail, plan.packageArg)) return 0;
  if (!ComposePackagePaths(plan.packageArg, plan.responseFilePath, plan.installerPath)) return 0;

  RewriteResponseFile(plan, platform);
  return RunInstaller(plan, platform);
}

}  // namespace launcher
