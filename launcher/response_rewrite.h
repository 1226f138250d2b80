// Localising the response file: each piece's first Program Files prefix,
// "C:\PROGRA~1" before "C:\PROGRAM FILES" and in any letter case, becomes
// the machine's Program Files folder, through a temporary copy that then
// takes the response file's place.
#pragma once

#include <cstddef>

#include "launcher/launch_plan.h"
#include "launcher/platform.h"
#include "launcher/text_file.h"

namespace launcher {

constexpr std::size_t kPieceCapacity = 256;  // 255 characters and the terminator

// Writes the localised copy to `plan.tempCopyPath` and puts it in place of
// the response file. When no complete copy can be made (the response file
// or the copy cannot be opened, a read or write fails, or the file holds a
// NUL byte), the partial copy is removed, `plan.tempCopyPath` is set to the
// response file's path and the response file keeps its content. The
// response file's attributes are set to normal in every case.
void RewriteResponseFile(LaunchPlan& plan, Platform& platform);

// Writes the rewritten form of one piece (`length` characters, at most 255)
// to `copy`.
void RewriteLine(const char* piece, std::size_t length, const char* programFilesDir,
                 TextWriter& copy, Platform& platform);

}  // namespace launcher
