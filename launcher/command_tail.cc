#include "launcher/command_tail.h"

namespace launcher {
namespace {

// Skips the characters of code 1 to 32 at the start of `text`.
const char* SkipBlanks(const char* text) {
  const unsigned char* cursor = reinterpret_cast<const unsigned char*>(text);
  while (*cursor >= 1 && *cursor <= 32) ++cursor;
  return reinterpret_cast<const char*>(cursor);
}

}  // namespace

const char* SkipProgramName(const char* commandLine, Platform& platform) {
  const unsigned char* cursor = reinterpret_cast<const unsigned char*>(commandLine);
  if (*cursor == '"') {
    ++cursor;
    while (*cursor != '\0' && *cursor != '"') {
      // The byte after a lead byte belongs to it, but never the terminator.
      if (platform.IsDBCSLeadByte(*cursor) && cursor[1] != '\0') ++cursor;
      ++cursor;
    }
    if (*cursor == '"') ++cursor;
  } else {
    while (*cursor > 32) ++cursor;
  }
  return SkipBlanks(reinterpret_cast<const char*>(cursor));
}

}  // namespace launcher
