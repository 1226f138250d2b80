#include "launcher/text.h"

#include <cstdarg>
#include <cstring>

namespace launcher {
namespace {

// Appends to a bounded buffer, remembering whether everything fitted.
struct BoundedText {
  char* buffer;
  std::size_t capacity;
  std::size_t length = 0;
  bool fits = true;

  void Append(const char* text, std::size_t count) {
    if (!fits || count >= capacity - length) {
      fits = false;
      return;
    }
    std::memcpy(buffer + length, text, count);
    length += count;
  }
};

void AppendHex(BoundedText& out, unsigned value) {
  char digits[sizeof(unsigned) * 2];
  std::size_t count = 0;
  do {
    digits[sizeof digits - ++count] = "0123456789abcdef"[value & 0xFu];
    value >>= 4;
  } while (value != 0);
  out.Append(digits + sizeof digits - count, count);
}

}  // namespace

// Only what the launcher composes: %s, %x (lowercase, no leading zeros) and
// %%. A small formatter of our own keeps the C runtime's printf, and its
// size, out of the program.
bool FormatText(char* buffer, std::size_t capacity, const char* format, ...) {
  if (capacity == 0) return false;
  BoundedText out{buffer, capacity};
  std::va_list arguments;
  va_start(arguments, format);
  for (const char* cursor = format; *cursor != '\0'; ++cursor) {
    if (*cursor != '%') {
      const char* next = std::strchr(cursor, '%');
      const std::size_t count =
          next == nullptr ? std::strlen(cursor) : static_cast<std::size_t>(next - cursor);
      out.Append(cursor, count);
      cursor += count - 1;
      continue;
    }
    switch (*++cursor) {
      case 's': {
        const char* text = va_arg(arguments, const char*);
        out.Append(text, std::strlen(text));
        break;
      }
      case 'x':
        AppendHex(out, va_arg(arguments, unsigned));
        break;
      case '%':
        out.Append("%", 1);
        break;
      default:  // not used by the launcher
        out.fits = false;
        --cursor;
        break;
    }
    if (*cursor == '\0') break;
  }
  va_end(arguments);
  buffer[out.fits ? out.length : 0] = '\0';
  return out.fits;
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
