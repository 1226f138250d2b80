#include "platform/windows_command_line.h"

namespace launcher {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

class WordWriter {
 public:
  WordWriter(char* storage, std::size_t capacity, char** words, int maxWords)
      : storage_(storage), capacity_(capacity), words_(words), maxWords_(maxWords) {}

  bool Begin() {
    if (count_ + 1 >= maxWords_ || used_ >= capacity_) return false;
    words_[count_++] = storage_ + used_;
    return true;
  }
  bool Put(char c) {
    if (used_ + 1 >= capacity_) return false;
    storage_[used_++] = c;
    return true;
  }
  bool End() {
    if (used_ >= capacity_) return false;
    storage_[used_++] = '\0';
    words_[count_] = nullptr;
    return true;
  }
  int count() const { return count_; }

 private:
  char* storage_;
  std::size_t capacity_;
  char** words_;
  int maxWords_;
  std::size_t used_ = 0;
  int count_ = 0;
};

// Reads one argument after the program name; returns the position after it.
const char* ReadArgument(const char* cursor, WordWriter& out, bool& ok) {
  bool inQuotes = false;
  for (;;) {
    int backslashes = 0;
    while (*cursor == '\\') {
      ++backslashes;
      ++cursor;
    }
    if (*cursor == '"') {
      for (int i = 0; i < backslashes / 2; ++i) ok = ok && out.Put('\\');
      if (backslashes % 2 == 1) {
        ok = ok && out.Put('"');
      } else if (inQuotes && cursor[1] == '"') {
        ok = ok && out.Put('"');
        ++cursor;
      } else {
        inQuotes = !inQuotes;
      }
      ++cursor;
      continue;
    }
    for (int i = 0; i < backslashes; ++i) ok = ok && out.Put('\\');
    if (*cursor == '\0' || (!inQuotes && IsBlank(*cursor))) return cursor;
    const char c = *cursor++;
    ok = out.Put(c) && ok;
  }
}

}  // namespace

int SplitCommandLine(const char* commandLine, char* storage, std::size_t capacity, char** words,
                     int maxWords) {
  if (maxWords < 1) return -1;
  words[0] = nullptr;
  WordWriter out(storage, capacity, words, maxWords);
  const char* cursor = commandLine;
  bool ok = out.Begin();
  if (*cursor == '"') {
    for (++cursor; *cursor != '\0' && *cursor != '"'; ++cursor) ok = ok && out.Put(*cursor);
    if (*cursor == '"') ++cursor;
  } else {
    for (; *cursor != '\0' && !IsBlank(*cursor); ++cursor) ok = ok && out.Put(*cursor);
  }
  ok = ok && out.End();
  for (;;) {
    while (IsBlank(*cursor)) ++cursor;
    if (*cursor == '\0' || !ok) break;
    ok = out.Begin();
    cursor = ReadArgument(cursor, out, ok);
    ok = ok && out.End();
  }
  return ok ? out.count() : -1;
}

}  // namespace launcher
