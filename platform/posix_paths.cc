#include "platform/posix_paths.h"

#include <cctype>
#include <cstdio>

namespace launcher {

bool MapWindowsPath(const char* root, const char* windowsPath, char* hostPath,
                    std::size_t capacity) {
  const unsigned char drive = static_cast<unsigned char>(windowsPath[0]);
  const bool hasDrive = std::isalpha(drive) && windowsPath[1] == ':';
  int length = 0;
  if (hasDrive) {
    const char* rest = windowsPath[2] == '\\' ? windowsPath + 3 : windowsPath + 2;
    length = std::snprintf(hostPath, capacity, "%s/%c/%s", root, std::tolower(drive), rest);
  } else {
    length = std::snprintf(hostPath, capacity, "%s", windowsPath);
  }
  if (length < 0 || static_cast<std::size_t>(length) >= capacity) return false;
  for (char* cursor = hostPath; *cursor != '\0'; ++cursor) {
    if (*cursor == '\\') *cursor = '/';
  }
  return true;
}

}  // namespace launcher
