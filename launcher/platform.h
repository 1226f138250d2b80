// The one seam between the launcher's logic and the operating system.
//
// Each operation keeps the name of the Windows call it stands for and a
// simplified form of its signature. The Win32 layer forwards to the real
// call, the POSIX layer provides a stand-in, and the tests use a fake.
// The logic never includes a platform header.
#pragma once

#include <cstdint>

namespace launcher {

using Handle = std::intptr_t;
constexpr Handle kInvalidHandle = -1;

using RegistryKey = std::intptr_t;
enum class RegistryRoot { kLocalMachine };

enum class FileAccess {
  kReadExisting,   // open an existing file for reading; others may read and write it
  kCreateNew,      // create a new file for writing; fails if anything exists at the name
  kWriteExisting,  // open an existing file for writing, leaving its content
};

constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::uint32_t kWaitObject0 = 0;
constexpr std::uint32_t kWaitTimeout = 0x102;
constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kRegSz = 1;

// True for the errors that say a name is already taken.
inline bool IsNameTakenError(std::uint32_t error) {
  return error == kErrorFileExists || error == kErrorAlreadyExists;
}

struct ProcessInformation {
  Handle process = kInvalidHandle;
  Handle thread = kInvalidHandle;
};

class Platform {
 public:
  // Replaces each %NAME% whose variable is defined by its value. Returns the
  // length of the result including its terminator, a number larger than
  // `size` when it does not fit (the buffer's content is then unspecified),
  // or 0 on failure.
  virtual std::uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer,
                                                  std::uint32_t size) = 0;

  // Registry access. Each returns 0 on success and an error code otherwise.
  // The query fails when the value is missing or its data exceeds `*size`;
  // on success `*size` holds the data's length in bytes.
  virtual long RegOpenKeyExA(RegistryRoot root, const char* subKey, RegistryKey* key) = 0;
  virtual long RegQueryValueExA(RegistryKey key, const char* valueName, std::uint32_t* valueType,
                                unsigned char* data, std::uint32_t* size) = 0;
  virtual long RegCloseKey(RegistryKey key) = 0;

  // The user's temporary folder, ending in a separator. Returns its length
  // without the terminator, or 0 on failure.
  virtual std::uint32_t GetTempPathA(std::uint32_t size, char* buffer) = 0;

  // Creates the last component of `path`. False when it exists or cannot be made.
  virtual bool CreateDirectoryA(const char* path) = 0;

  // Milliseconds since the system started, wrapping at 2^32.
  virtual std::uint32_t GetTickCount() = 0;

  // The error code of the last failed call on this thread.
  virtual std::uint32_t GetLastError() = 0;

  // Raw, untranslated file access. CreateFileA returns kInvalidHandle on
  // failure, with GetLastError() telling kErrorFileExists when kCreateNew
  // met an existing name. ReadFile reports 0 bytes read at the end of the
  // file; both it and WriteFile return false on an error.
  virtual Handle CreateFileA(const char* path, FileAccess access) = 0;
  virtual bool ReadFile(Handle file, void* buffer, std::uint32_t size, std::uint32_t* read) = 0;
  virtual bool WriteFile(Handle file, const void* data, std::uint32_t size,
                         std::uint32_t* written) = 0;
  // Commits written data to the disk. False on failure.
  virtual bool FlushFileBuffers(Handle file) = 0;
  // False when the handle was bad or buffered data could not be written.
  virtual bool CloseHandle(Handle file) = 0;

  // Each returns false on failure.
  virtual bool SetFileAttributesA(const char* path, std::uint32_t attributes) = 0;
  // Copies `source` to `target`, creating it; with `failIfExists`, an
  // existing file or link at `target` makes it fail with kErrorFileExists
  // and is left alone. A copy that fails midway may leave `target` partly
  // written.
  virtual bool CopyFileA(const char* source, const char* target, bool failIfExists) = 0;
  // Renames `from` to `to`, replacing an existing `to` in one step.
  virtual bool MoveFileExA(const char* from, const char* to) = 0;
  virtual bool DeleteFileA(const char* path) = 0;

  // Looks `fileName` up in `folder` (a full path is only tested for
  // existence). Returns the found path's length, or 0 when not found.
  virtual std::uint32_t SearchPathA(const char* folder, const char* fileName, std::uint32_t size,
                                    char* buffer) = 0;

  // Upper-cases `length` characters in place by the code page's mapping;
  // the length never changes.
  virtual void CharUpperBuffA(char* text, std::uint32_t length) = 0;

  // True when `byte` opens a two-byte character in the ANSI code page.
  virtual bool IsDBCSLeadByte(unsigned char byte) = 0;

  // Starts the program that `commandLine` names, with the launcher's own
  // environment and current folder. False when it could not be started.
  virtual bool CreateProcessA(char* commandLine, ProcessInformation* info) = 0;

  // kWaitObject0 once the process has ended, kWaitTimeout after
  // `milliseconds`, kWaitFailed on failure.
  virtual std::uint32_t WaitForSingleObject(Handle process, std::uint32_t milliseconds) = 0;

  virtual void Sleep(std::uint32_t milliseconds) = 0;

 protected:
  // Never deleted through the seam, so the program needs no virtual
  // destructor, and with it no heap release machinery.
  ~Platform() = default;
};

}  // namespace launcher
