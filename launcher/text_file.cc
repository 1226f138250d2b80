#include "launcher/text_file.h"

#include <algorithm>
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
  const void* nul = std::memchr(reader.block, '\0', read);
  reader.nulAt = nul == nullptr
                     ? read
                     : static_cast<std::uint32_t>(static_cast<const char*>(nul) - reader.block);
  return true;
}

// Writes all of `data` through the platform. False on any failure.
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

bool FlushBlock(TextWriter& writer) {
  if (writer.used == 0) return !writer.failed;
  if (!writer.failed && !WriteAll(*writer.platform, writer.file, writer.block, writer.used)) {
    writer.failed = true;
  }
  writer.used = 0;
  return !writer.failed;
}

void PutBytes(TextWriter& writer, const char* bytes, std::size_t count) {
  while (count > 0) {
    if (writer.used == kTextBlockSize) FlushBlock(writer);
    const std::size_t room = std::min<std::size_t>(kTextBlockSize - writer.used, count);
    std::memcpy(writer.block + writer.used, bytes, room);
    writer.used += static_cast<std::uint32_t>(room);
    bytes += room;
    count -= room;
  }
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
  const std::size_t limit = capacity - 1;
  std::size_t count = 0;
  while (count < limit) {
    if (reader.position == reader.length && !Refill(reader)) break;
    // Copy the run of ordinary bytes in one go. It ends before the first
    // LF, before a CR that may open a CR LF pair (one just before that LF,
    // or last in the window), and before a NUL (the block's first is known
    // from its read); the byte after the run is looked at alone.
    const char* start = reader.block + reader.position;
    const std::size_t window =
        std::min<std::size_t>(reader.length - reader.position, limit - count);
    const void* lineFeed = std::memchr(start, '\n', window);
    std::size_t run = lineFeed == nullptr
                          ? window
                          : static_cast<std::size_t>(static_cast<const char*>(lineFeed) - start);
    if (run > 0 && start[run - 1] == '\r') --run;
    if (reader.nulAt >= reader.position) {
      run = std::min<std::size_t>(run, reader.nulAt - reader.position);
    }
    std::memcpy(piece + count, start, run);
    count += run;
    reader.position += static_cast<std::uint32_t>(run);
    if (run == window) continue;

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
  while (length > 0) {
    const char* lineEnd = static_cast<const char*>(std::memchr(text, '\n', length));
    const std::size_t run = lineEnd == nullptr ? length : static_cast<std::size_t>(lineEnd - text);
    PutBytes(writer, text, run);
    if (lineEnd == nullptr) return;
    PutBytes(writer, "\r\n", 2);
    text += run + 1;
    length -= run + 1;
  }
}

void WritePieceText(TextWriter& writer, const char* text, std::size_t length) {
  if (length > 0 && text[length - 1] == '\n') {
    PutBytes(writer, text, length - 1);
    PutBytes(writer, "\r\n", 2);
  } else {
    PutBytes(writer, text, length);
  }
}

bool CloseTextWriter(TextWriter& writer) {
  bool complete = FlushBlock(writer);
  if (!writer.platform->CloseHandle(writer.file)) complete = false;
  writer.file = kInvalidHandle;
  return complete;
}

}  // namespace launcher
