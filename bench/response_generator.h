// Generated response files for measurements: sections and keys, Program
// Files paths in every letter case and both forms, paths on other drives,
// some lines longer than 255 characters, CR LF and LF line ends.
#pragma once

#include <cstddef>
#include <string>

namespace launcher::bench {

inline std::string GenerateResponse(std::size_t size) {
  static const char* const kPaths[] = {
      "C:\\Program Files\\Vendor\\App", "c:\\program files\\vendor\\lib",
      "C:\\PROGRA~1\\VENDOR\\BIN",      "c:\\Progra~1\\Shared",
      "D:\\Program Files\\Data",        "E:\\Apps\\Tool",
      "C:\\Windows\\System32",          "C:\\PROGRAM FILES (X86)\\Old"};
  std::string text;
  text.reserve(size + 512);
  unsigned state = 12345;
  const auto next = [&state] { return state = state * 1103515245u + 12345u; };
  for (int section = 0; text.size() < size; ++section) {
    text += "[Section" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 12 && text.size() < size; ++key) {
      const unsigned r = next() >> 8;
      const std::string path = kPaths[r % 8];
      std::string line =
          "Key" + std::to_string(key) + "=" + path + "\\file" + std::to_string(r % 1000) + ".dll";
      if (r % 17 == 0) {  // a long list of paths on one line
        while (line.size() < 300 + r % 200) line += ";" + std::string(kPaths[(r >> 4) % 8]);
      }
      if (r % 5 == 0) line += "  ; a comment without paths";
      text += line + (r % 3 == 0 ? "\n" : "\r\n");
    }
  }
  text.resize(size);
  return text;
}

}  // namespace launcher::bench
