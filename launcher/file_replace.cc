#include "launcher/file_replace.h"

#include "launcher/text.h"
#include "launcher/text_file.h"

namespace launcher {
namespace {

// Windows' narrow file calls take paths of up to 259 characters.
constexpr std::size_t kStagingPathCapacity = 260;

bool CopyBytes(Platform& platform, Handle from, Handle to) {
  char block[kTextBlockSize];
  for (;;) {
    std::uint32_t read = 0;
    if (!platform.ReadFile(from, block, sizeof block, &read)) return false;
    if (read == 0) return true;
    if (!WriteAll(platform, to, block, read)) return false;
  }
}

}  // namespace

bool ReplaceFileContent(Platform& platform, const char* source, const char* target) {
  char staging[kStagingPathCapacity];
  if (!FormatText(staging, sizeof staging, "%s.new", target)) return false;

  const Handle from = platform.CreateFileA(source, FileAccess::kReadExisting);
  if (from == kInvalidHandle) return false;
  // Exclusive creation: an existing file or link at the staging name is
  // never opened, emptied or removed.
  const Handle to = platform.CreateFileA(staging, FileAccess::kCreateNew);
  if (to == kInvalidHandle) {
    platform.CloseHandle(from);
    return false;
  }

  bool complete = CopyBytes(platform, from, to);
  complete = platform.FlushFileBuffers(to) && complete;
  complete = platform.CloseHandle(to) && complete;
  platform.CloseHandle(from);

  if (complete && platform.MoveFileExA(staging, target)) return true;
  platform.DeleteFileA(staging);
  return false;
}

}  // namespace launcher
