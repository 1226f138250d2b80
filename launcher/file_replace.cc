#include "launcher/file_replace.h"

#include "launcher/text.h"

namespace launcher {
namespace {

// Windows' narrow file calls take paths of up to 259 characters.
constexpr std::size_t kStagingPathCapacity = 260;

// Commits a written file to the disk. False on any failure.
bool Commit(Platform& platform, const char* path) {
  const Handle file = platform.CreateFileA(path, FileAccess::kWriteExisting);
  if (file == kInvalidHandle) return false;
  const bool flushed = platform.FlushFileBuffers(file);
  return platform.CloseHandle(file) && flushed;
}

}  // namespace

bool ReplaceFileContent(Platform& platform, const char* source, const char* target) {
  char staging[kStagingPathCapacity];
  if (!FormatText(staging, sizeof staging, "%s.new", target)) return false;

  // Exclusive: an existing file or link at the staging name is never
  // opened, emptied or removed.
  if (!platform.CopyFileA(source, staging, true)) {
    if (!IsNameTakenError(platform.GetLastError())) platform.DeleteFileA(staging);
    return false;
  }
  if (Commit(platform, staging) && platform.MoveFileExA(staging, target)) return true;
  platform.DeleteFileA(staging);
  return false;
}

}  // namespace launcher
