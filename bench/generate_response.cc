// Writes a generated response file of the given size to standard output.
#include <cstdio>
#include <cstdlib>

#include "bench/response_generator.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string text = launcher::bench::GenerateResponse(std::strtoul(argv[1], nullptr, 10));
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}
