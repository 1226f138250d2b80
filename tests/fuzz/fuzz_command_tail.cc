// Skipping the program's name in any command line, double-byte lead bytes
// included: the tail always lies inside the line and never starts blank.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/command_tail.h"
#include "tests/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  launcher::testing::FakePlatform platform;
  // The first byte chooses the code page's lead bytes: 0x81 up to it.
  for (unsigned byte = 0x81; byte <= data[0]; ++byte) {
    platform.leadBytes.insert(static_cast<unsigned char>(byte));
  }
  const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
  const char* begin = line.c_str();
  const char* tail = launcher::SkipProgramName(begin, platform);
  const std::size_t length = std::strlen(begin);
  if (tail < begin || tail > begin + length) std::abort();
  const unsigned char first = static_cast<unsigned char>(*tail);
  if (first >= 1 && first <= 32) std::abort();
  // An unquoted name ends at the first character of code 32 or less, and
  // the blanks after it go too.
  if (begin[0] != '"') {
    const char* end = begin;
    while (static_cast<unsigned char>(*end) > 32) ++end;
    while (static_cast<unsigned char>(*end) >= 1 && static_cast<unsigned char>(*end) <= 32) ++end;
    if (tail != end) std::abort();
  }
  return 0;
}
