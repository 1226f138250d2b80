// Text-mode files, the same on every platform: a CR LF pair reads as one
// line end '\n' (also when it falls across two block reads), a lone CR is
// an ordinary character, and every '\n' is written as CR LF. Data moves in
// large blocks through the platform's raw file calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "launcher/platform.h"

namespace launcher {

constexpr std::size_t kTextBlockSize = 64 * 1024;

struct TextReader {
  Platform* platform = nullptr;
  Handle file = kInvalidHandle;
  std::uint32_t position = 0;  // next unread byte of `block`
  std::uint32_t length = 0;    // bytes held in `block`
  bool atEnd = false;
  bool failed = false;      // a read error happened
  bool sawNul = false;      // the file holds a NUL byte, so it is not narrow text
  std::uint32_t nulAt = 0;  // the first NUL byte in `block`, or `length` when none
  char block[kTextBlockSize];
};

struct TextWriter {
  Platform* platform = nullptr;
  Handle file = kInvalidHandle;
  std::uint32_t used = 0;
  bool failed = false;  // a write error happened; the file is incomplete
  char block[kTextBlockSize];
};

// Opens an existing file. False when it cannot be opened.
bool OpenTextReader(TextReader& reader, Platform& platform, const char* path);

// Reads the next piece into `piece`: at most `capacity` - 1 characters,
// ending after a line end, at the capacity, or at the end of the file, and
// terminates it. Returns its length; 0 when nothing more can be read, which
// is also the case after a read error or a NUL byte.
std::size_t ReadPiece(TextReader& reader, char* piece, std::size_t capacity);

void CloseTextReader(TextReader& reader);

// Creates a new file; never opens an existing file or link. False when it
// cannot be created, with the platform's last error telling why.
bool CreateTextWriter(TextWriter& writer, Platform& platform, const char* path);

// Writes `length` characters, each '\n' as CR LF.
void WriteText(TextWriter& writer, const char* text, std::size_t length);

// The same for a part of a piece, where a '\n' can only be the last character.
void WritePieceText(TextWriter& writer, const char* text, std::size_t length);

// Writes what is buffered and closes the file. False when any write or the
// close failed, so the file cannot be trusted to be complete.
bool CloseTextWriter(TextWriter& writer);

}  // namespace launcher
