#include "platform/posix_command_tail.h"

namespace launcher {

const char* JoinArguments(int count, const char* const* arguments, char* tail,
                          std::size_t capacity) {
  std::size_t used = 0;
  auto put = [&](char c) {
    // Characters of code 1 to 32 before the first other one are dropped.
    const unsigned char code = static_cast<unsigned char>(c);
    if (used == 0 && code >= 1 && code <= 32) return;
    if (used + 1 < capacity) tail[used++] = c;
  };
  for (int i = 0; i < count; ++i) {
    if (i > 0) put(' ');
    for (const char* c = arguments[i]; *c != '\0'; ++c) put(*c);
  }
  tail[used] = '\0';
  return tail;
}

}  // namespace launcher
