// The record of one run: its folders and paths, each a NUL-terminated
// narrow string in a fixed buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace launcher {

constexpr std::size_t kFolderCapacity = 1024;  // 1023 characters and the terminator
constexpr std::size_t kPathCapacity = 256;     // 255 characters and the terminator

struct LaunchPlan {
  char programFilesDir[kFolderCapacity] = {};
  char tempDir[kFolderCapacity] = {};
  char tempCopyPath[kPathCapacity] = {};  // empty when no copy name could be composed
  char packageArg[kPathCapacity] = {};
  char responseFilePath[kPathCapacity] = {};
  char installerPath[kPathCapacity] = {};
  std::uint32_t tempCopyTick = 0;  // the tick count that named the temporary copy
};

// True when the plan has a temporary copy separate from the response file.
bool HasSeparateTempCopy(const LaunchPlan& plan);

}  // namespace launcher
