// Replacing a file's content so that it holds either its old bytes or the
// whole new ones, whatever fails on the way.
#pragma once

#include "launcher/platform.h"

namespace launcher {

// Copies `source` to a new staging file beside `target` ("<target>.new")
// with the platform's file copy, commits it to the disk and renames it over
// `target` in one step. On any
// failure the staging file is removed (unless it was someone else's) and
// `target` is left as it was. True when `target` now holds the copy.
bool ReplaceFileContent(Platform& platform, const char* source, const char* target);

}  // namespace launcher
