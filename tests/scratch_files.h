// Whole-file reads and writes for the end-to-end tests' scratch folders.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace launcher::e2e {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes the bytes, making the folders on the way.
inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace launcher::e2e
