#include "launcher/folder_resolution.h"

#include <cstring>

#include "launcher/launch_plan.h"
#include "launcher/text.h"

namespace launcher {
namespace {

constexpr const char* kProgramFilesReference = "%ProgramFiles%";
constexpr const char* kTempReference = "%TEMP%";
constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kProgramFilesValue = "ProgramFilesDir";
constexpr const char* kFallbackProgramFilesDir = "C:\\Progra~1";
constexpr const char* kFallbackTempDir = "C:\\windows\\temp";
constexpr std::uint32_t kMaxRegistryData = 255;

// Expands one variable reference into `folder`. It counts as a folder only
// when the expansion fits, is not empty and is not the reference itself,
// left unexpanded because the variable is undefined.
bool ExpandFolderVariable(Platform& platform, const char* reference, char* folder) {
  std::memset(folder, 0, kFolderCapacity);
  const std::uint32_t length = platform.ExpandEnvironmentStringsA(
      reference, folder, static_cast<std::uint32_t>(kFolderCapacity));
  const bool usable = length >= 1 && length <= kFolderCapacity && folder[0] != '\0' &&
                      !TextEquals(folder, reference);
  if (!usable) std::memset(folder, 0, kFolderCapacity);
  return usable;
}

bool QueryTempPath(Platform& platform, char* folder) {
  std::memset(folder, 0, kFolderCapacity);
  const std::uint32_t length =
      platform.GetTempPathA(static_cast<std::uint32_t>(kFolderCapacity), folder);
  const bool usable = length >= 1 && length < kFolderCapacity && folder[0] != '\0';
  if (!usable) std::memset(folder, 0, kFolderCapacity);
  return usable;
}

}  // namespace

bool ReadRegistryString(Platform& platform, RegistryRoot root, const char* subKey,
                        const char* valueName, std::uint32_t* valueType, char* data,
                        std::size_t capacity) {
  std::memset(data, 0, capacity);
  if (capacity <= kMaxRegistryData) return false;
  RegistryKey key = 0;
  if (platform.RegOpenKeyExA(root, subKey, &key) != 0) return false;
  std::uint32_t size = kMaxRegistryData;
  const long status = platform.RegQueryValueExA(key, valueName, valueType,
                                                reinterpret_cast<unsigned char*>(data), &size);
  platform.RegCloseKey(key);
  // Registry data need not carry its own terminator.
  if (status != 0 || size > kMaxRegistryData) {
    std::memset(data, 0, capacity);
    return false;
  }
  data[size] = '\0';
  return true;
}

void ResolveProgramFilesDir(Platform& platform, char* programFilesDir) {
  if (ExpandFolderVariable(platform, kProgramFilesReference, programFilesDir)) return;
  std::uint32_t valueType = 0;
  if (ReadRegistryString(platform, RegistryRoot::kLocalMachine, kCurrentVersionKey,
                         kProgramFilesValue, &valueType, programFilesDir, kFolderCapacity) &&
      programFilesDir[0] != '\0') {
    return;
  }
  CopyText(programFilesDir, kFolderCapacity, kFallbackProgramFilesDir);
}

void ResolveTempDir(Platform& platform, char* tempDir) {
  if (!ExpandFolderVariable(platform, kTempReference, tempDir) &&
      !QueryTempPath(platform, tempDir)) {
    CopyText(tempDir, kFolderCapacity, kFallbackTempDir);
  }
  // An existing folder is the normal case; any other failure shows later,
  // when the temporary copy cannot be created.
  platform.CreateDirectoryA(tempDir);
}

}  // namespace launcher
