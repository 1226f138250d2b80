#include "launcher/response_rewrite.h"

#include <cstring>

#include "launcher/file_replace.h"
#include "launcher/launch_sequence.h"
#include "launcher/text.h"

namespace launcher {
namespace {

// Searched for in this order in an upper-cased copy of the piece.
constexpr const char* kShortPattern = "C:\\PROGRA~1";
constexpr const char* kLongPattern = "C:\\PROGRAM FILES";

// How many following tick values are tried when the copy's name is taken.
constexpr std::uint32_t kTempCopyAttempts = 256;

bool IsNameTaken(Platform& platform) {
  const std::uint32_t error = platform.GetLastError();
  return error == kErrorFileExists || error == kErrorAlreadyExists;
}

// Creates the temporary copy under a name nobody else holds, moving on to
// the following tick values while the name is taken.
bool CreateTempCopy(LaunchPlan& plan, Platform& platform, TextWriter& copy) {
  for (std::uint32_t attempt = 0; attempt < kTempCopyAttempts; ++attempt) {
    if (plan.tempCopyPath[0] == '\0') return false;
    if (CreateTextWriter(copy, platform, plan.tempCopyPath)) return true;
    if (!IsNameTaken(platform)) return false;
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

}  // namespace

void RewriteLine(const char* piece, std::size_t length, const char* programFilesDir,
                 TextWriter& copy, Platform& platform) {
  char comparison[kPieceCapacity];
  std::memcpy(comparison, piece, length);
  comparison[length] = '\0';
  platform.CharUpperA(comparison);

  const char* match = std::strstr(comparison, kShortPattern);
  std::size_t matchLength = std::strlen(kShortPattern);
  if (match == nullptr) {
    match = std::strstr(comparison, kLongPattern);
    matchLength = std::strlen(kLongPattern);
  }
  if (match == nullptr) {
    WriteText(copy, piece, length);
    return;
  }
  const std::size_t before = static_cast<std::size_t>(match - comparison);
  WriteText(copy, piece, before);
  WriteText(copy, programFilesDir, std::strlen(programFilesDir));
  WriteText(copy, piece + before + matchLength, length - before - matchLength);
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
