#include "tests/reference_rewrite.h"

#include <vector>

namespace launcher::testing {
namespace {

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::string ReferenceRewrite(const std::string& input, const std::string& programFilesDir) {
  if (input.find('\0') != std::string::npos) return input;

  // Text-mode reading: CR LF is one '\n'.
  std::string text;
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n') continue;
    text += input[i];
  }

  // Pieces of at most 255 characters, each ending after a '\n'.
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : text) {
    piece += c;
    if (c == '\n' || piece.size() == 255) {
      pieces.push_back(piece);
      piece.clear();
    }
  }
  if (!piece.empty()) pieces.push_back(piece);

  std::string output;
  for (std::string& each : pieces) {
    const std::string upper = AsciiUpper(each);
    std::size_t at = upper.find("C:\\PROGRA~1");
    std::size_t length = 11;
    if (at == std::string::npos) {
      at = upper.find("C:\\PROGRAM FILES");
      length = 16;
    }
    if (at != std::string::npos) each.replace(at, length, programFilesDir);
    for (char c : each) {
      if (c == '\n') output += '\r';
      output += c;
    }
  }
  return output;
}

}  // namespace launcher::testing
