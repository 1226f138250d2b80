#include "launcher/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace launcher {

bool FormatText(char* buffer, std::size_t capacity, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, capacity, format, arguments);
  va_end(arguments);
  if (length < 0 || static_cast<std::size_t>(length) >= capacity) {
    if (capacity > 0) buffer[0] = '\0';
    return false;
  }
  return true;
}

bool CopyText(char* buffer, std::size_t capacity, const char* source) {
  const std::size_t length = std::strlen(source);
  if (length >= capacity) {
    if (capacity > 0) buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, source, length + 1);
  return true;
}

bool TextEquals(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace launcher
