#include "launcher/response_rewrite.h"

#include <cstring>

#include "launcher/file_replace.h"
#include "launcher/launch_sequence.h"
#include "launcher/text.h"

namespace launcher {
namespace {

// Searched for in this order in an upper-cased copy of the piece.
constexpr const char kShortPattern[] = "C:\\PROGRA~1";
constexpr const char kLongPattern[] = "C:\\PROGRAM FILES";
constexpr std::size_t kShortPatternLength = sizeof kShortPattern - 1;
constexpr std::size_t kLongPatternLength = sizeof kLongPattern - 1;

// How many following tick values are tried when the copy's name is taken.
constexpr std::uint32_t kTempCopyAttempts = 256;

// Creates the temporary copy under a name nobody else holds, moving on to
// the following tick values while the name is taken.
bool CreateTempCopy(LaunchPlan& plan, Platform& platform, TextWriter& copy) {
  for (std::uint32_t attempt = 0; attempt < kTempCopyAttempts; ++attempt) {
    if (plan.tempCopyPath[0] == '\0') return false;
    if (CreateTextWriter(copy, platform, plan.tempCopyPath)) return true;
    if (!IsNameTakenError(platform.GetLastError())) return false;
    ComposeTempCopyPath(plan.tempDir, plan.tempCopyTick + attempt + 1, plan.tempCopyPath);
  }
  return false;
}

// Writes the whole localised copy. False, with no copy left behind, when
// it could not be made complete.
bool WriteLocalisedCopy(LaunchPlan& plan, Platform& platform) {
  TextReader reader;
  if (!OpenTextReader(reader, platform, plan.responseFilePath)) return false;
  TextWriter copy;
  if (!CreateTempCopy(plan, platform, copy)) {
    CloseTextReader(reader);
    return false;
  }

  char piece[kPieceCapacity];
  while (const std::size_t length = ReadPiece(reader, piece, sizeof piece)) {
    RewriteLine(piece, length, plan.programFilesDir, copy, platform);
  }
  const bool readWhole = !reader.failed && !reader.sawNul;
  CloseTextReader(reader);
  const bool writtenWhole = CloseTextWriter(copy);
  if (readWhole && writtenWhole) return true;
  platform.DeleteFileA(plan.tempCopyPath);
  return false;
}

// Both patterns hold ":\", which upper-casing never makes or changes.
// Returns the place of the first ":\", or nullptr when there is none: the
// piece then needs no upper-casing or search.
const char* FirstColonBackslash(const char* piece, std::size_t length) {
  const char* end = piece + length;
  for (const char* colon = piece;
       (colon = static_cast<const char*>(
            std::memchr(colon, ':', static_cast<std::size_t>(end - colon)))) != nullptr;
       ++colon) {
    if (colon + 1 < end && colon[1] == '\\') return colon;
  }
  return nullptr;
}

struct Match {
  std::size_t position = 0;
  std::size_t length = 0;  // 0: no match
};

// The first occurrence of the short pattern, or failing that of the long
// one, in one pass over the places of ':' from `from` on.
Match FindPrefix(const char* upper, std::size_t length, const char* from) {
  Match firstLong;
  const char* end = upper + length;
  for (const char* colon = from; colon != nullptr && colon < end; ++colon) {
    colon =
        static_cast<const char*>(std::memchr(colon, ':', static_cast<std::size_t>(end - colon)));
    if (colon == nullptr) break;
    if (colon == upper) continue;
    const char* start = colon - 1;
    const std::size_t room = static_cast<std::size_t>(end - start);
    if (room >= kShortPatternLength &&
        std::memcmp(start, kShortPattern, kShortPatternLength) == 0) {
      return {static_cast<std::size_t>(start - upper), kShortPatternLength};
    }
    if (firstLong.length == 0 && room >= kLongPatternLength &&
        std::memcmp(start, kLongPattern, kLongPatternLength) == 0) {
      firstLong = {static_cast<std::size_t>(start - upper), kLongPatternLength};
    }
  }
  return firstLong;
}

}  // namespace

void RewriteLine(const char* piece, std::size_t length, const char* programFilesDir,
                 TextWriter& copy, Platform& platform) {
  const char* first = FirstColonBackslash(piece, length);
  if (first == nullptr) {
    WritePieceText(copy, piece, length);
    return;
  }
  char upper[kPieceCapacity];
  std::memcpy(upper, piece, length);
  upper[length] = '\0';
  platform.CharUpperBuffA(upper, static_cast<std::uint32_t>(length));

  const Match match = FindPrefix(upper, length, upper + (first - piece));
  if (match.length == 0) {
    WritePieceText(copy, piece, length);
    return;
  }
  WritePieceText(copy, piece, match.position);
  WriteText(copy, programFilesDir, std::strlen(programFilesDir));
  WritePieceText(copy, piece + match.position + match.length,
                 length - match.position - match.length);
}

void RewriteResponseFile(LaunchPlan& plan, Platform& platform) {
  if (!WriteLocalisedCopy(plan, platform)) {
    CopyText(plan.tempCopyPath, kPathCapacity, plan.responseFilePath);
  }
  // A read-only response file could not be replaced otherwise.
  platform.SetFileAttributesA(plan.responseFilePath, kFileAttributeNormal);
  if (HasSeparateTempCopy(plan)) {
    ReplaceFileContent(platform, plan.tempCopyPath, plan.responseFilePath);
  }
}

}  // namespace launcher
