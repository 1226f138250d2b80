// Normalising any tail and composing its paths: nothing is written past a
// buffer (the sanitizers watch), and the bounds and forms hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/launch_sequence.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool EndsWith(const char* text, const char* end) {
  const std::size_t a = std::strlen(text);
  const std::size_t b = std::strlen(end);
  return a >= b && std::strcmp(text + a - b, end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string tail(reinterpret_cast<const char*>(data), size);
  const char* text = tail.c_str();
  char packageArg[launcher::kPathCapacity];
  if (!launcher::NormalisePackageArgument(text, packageArg)) {
    Check(std::strlen(text) > 255 || std::strchr(packageArg, '"') != nullptr ||
          packageArg[0] == '\0');
    return 0;
  }
  Check(std::strlen(text) <= 255);
  Check(std::strchr(packageArg, '"') == nullptr);
  // What the argument must be: the tail, or what stands between its quotes.
  std::string expected = text;
  if (!expected.empty() && expected[0] == '"') {
    expected =
        expected.substr(1, expected.find('"', 1) == std::string::npos ? std::string::npos
                                                                      : expected.find('"', 1) - 1);
  }
  Check(expected == packageArg);

  char response[launcher::kPathCapacity];
  char installer[launcher::kPathCapacity];
  const std::size_t length = std::strlen(packageArg);
  const bool folderForm = length >= 2 && packageArg[1] == ':';
  const bool composed = launcher::ComposePackagePaths(packageArg, response, installer);
  Check(composed == (length <= (folderForm ? 242u : 231u)));
  if (composed) {
    Check(std::strlen(installer) + 3 <= 255);
    Check(EndsWith(response, "\\setup.iss") && EndsWith(installer, "\\setup.exe"));
    Check(folderForm == (std::strncmp(response, "C:\\sysprep\\", 11) != 0 ||
                         (length >= 2 && packageArg[1] == ':')));
  }
  return 0;
}
