#include "launcher/text_file.h"

#include <cstring>

namespace launcher {
namespace {

// Refills the block. False at the end of the file or after an error.
bool Refill(TextReader& reader) {
  reader.position = 0;
  reader.length = 0;
  if (reader.atEnd || reader.failed) return false;
  std::uint32_t read = 0;
  if (!reader.platform->ReadFile(reader.file, reader.block, kTextBlockSize, &read)) {
    reader.failed = true;
    return false;
  }
  if (read == 0) {
    reader.atEnd = true;
    return false;
  }
  reader.length = read;
  return true;
}

bool FlushBlock(TextWriter& writer) {
  if (writer.used == 0) return !writer.failed;
  if (!writer.failed && !WriteAll(*writer.platform, writer.file, writer.block, writer.used)) {
    writer.failed = true;
  }
  writer.used = 0;
  return !writer.failed;
}

void PutByte(TextWriter& writer, char byte) {
  if (writer.used == kTextBlockSize) FlushBlock(writer);
  writer.block[writer.used++] = byte;
}

}  // namespace

bool OpenTextReader(TextReader& reader, Platform& platform, const char* path) {
  reader.platform = &platform;
  reader.position = reader.length = 0;
  reader.atEnd = reader.failed = reader.sawNul = false;
  reader.file = platform.CreateFileA(path, FileAccess::kReadExisting);
  return reader.file != kInvalidHandle;
}

std::size_t ReadPiece(TextReader& reader, char* piece, std::size_t capacity) {
  std::size_t count = 0;
  while (count + 1 < capacity && !reader.sawNul) {
    if (reader.position == reader.length && !Refill(reader)) break;
    char byte = reader.block[reader.position++];
    if (byte == '\0') {
      reader.sawNul = true;
      break;
    }
    if (byte == '\r') {
      // A CR followed by LF, perhaps in the next block, is one line end.
      if (reader.position == reader.length) Refill(reader);
      if (reader.position < reader.length && reader.block[reader.position] == '\n') {
        ++reader.position;
        byte = '\n';
      }
    }
    piece[count++] = byte;
    if (byte == '\n') break;
  }
  piece[count] = '\0';
  if (reader.sawNul || reader.failed) return 0;
  return count;
}

void CloseTextReader(TextReader& reader) {
  if (reader.file != kInvalidHandle) reader.platform->CloseHandle(reader.file);
  reader.file = kInvalidHandle;
}

bool CreateTextWriter(TextWriter& writer, Platform& platform, const char* path) {
  writer.platform = &platform;
  writer.used = 0;
  writer.failed = false;
  writer.file = platform.CreateFileA(path, FileAccess::kCreateNew);
  return writer.file != kInvalidHandle;
}

void WriteText(TextWriter& writer, const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') PutByte(writer, '\r');
    PutByte(writer, text[i]);
  }
}

bool CloseTextWriter(TextWriter& writer) {
  bool complete = FlushBlock(writer);
  if (!writer.platform->CloseHandle(writer.file)) complete = false;
  writer.file = kInvalidHandle;
  return complete;
}

bool WriteAll(Platform& platform, Handle file, const char* data, std::size_t size) {
  while (size > 0) {
    const std::uint32_t chunk = size > kTextBlockSize ? static_cast<std::uint32_t>(kTextBlockSize)
                                                      : static_cast<std::uint32_t>(size);
    std::uint32_t written = 0;
    if (!platform.WriteFile(file, data, chunk, &written) || written == 0 || written > chunk) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace launcher
