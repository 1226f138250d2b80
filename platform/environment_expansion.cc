#include "platform/environment_expansion.h"

#include <cstring>

namespace launcher {
namespace {

struct Output {
  char* buffer;
  std::uint32_t size;
  std::uint32_t length = 0;  // characters of the whole result so far

  void Append(const char* text, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, ++length) {
      if (length + 1 < size) buffer[length] = text[i];
    }
  }
};

}  // namespace

std::uint32_t ExpandReferences(const char* source, char* buffer, std::uint32_t size,
                               VariableLookup lookup, void* context) {
  Output output{buffer, size};
  const char* cursor = source;
  while (*cursor != '\0') {
    const char* open = std::strchr(cursor, '%');
    if (open == nullptr) {
      output.Append(cursor, static_cast<std::uint32_t>(std::strlen(cursor)));
      break;
    }
    output.Append(cursor, static_cast<std::uint32_t>(open - cursor));
    const char* close = std::strchr(open + 1, '%');
    if (close == nullptr) {
      output.Append(open, static_cast<std::uint32_t>(std::strlen(open)));
      break;
    }
    const std::uint32_t nameLength = static_cast<std::uint32_t>(close - open - 1);
    const char* value = nameLength > 0 ? lookup(context, open + 1, nameLength) : nullptr;
    if (value != nullptr) {
      output.Append(value, static_cast<std::uint32_t>(std::strlen(value)));
    } else {
      output.Append(open, nameLength + 2);
    }
    cursor = close + 1;
  }
  if (size > 0) buffer[output.length < size ? output.length : size - 1] = '\0';
  return output.length + 1;
}

}  // namespace launcher
