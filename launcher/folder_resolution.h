// Finding the machine's Program Files folder and a temporary folder. Each
// comes from a fixed chain of sources ending in a fixed folder, so a folder
// always results.
#pragma once

#include <cstddef>
#include <cstdint>

#include "launcher/platform.h"

namespace launcher {

// Fills `programFilesDir` (kFolderCapacity bytes) from %ProgramFiles%, else
// the registry's ProgramFilesDir value, else "C:\Progra~1".
void ResolveProgramFilesDir(Platform& platform, char* programFilesDir);

// Fills `tempDir` (kFolderCapacity bytes) from %TEMP%, else the user's
// temporary path, else "C:\windows\temp", then creates that folder (one
// level; the outcome is ignored).
void ResolveTempDir(Platform& platform, char* tempDir);

// Reads one registry value into `data` (`capacity` bytes, at least 256),
// accepting at most 255 bytes of it, and terminates it. True on success;
// `data` is left empty on failure.
bool ReadRegistryString(Platform& platform, RegistryRoot root, const char* subKey,
                        const char* valueName, std::uint32_t* valueType, char* data,
                        std::size_t capacity);

}  // namespace launcher
