// The POSIX stand-in for the Windows platform, so that the launcher builds,
// runs and is tested on a POSIX host. Windows paths live under
// $LAUNCHER_ROOT (see posix_paths.h), the registry is a folder tree there,
// and the installer is started directly, without a shell.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "launcher/system_platform.h"
#include "platform/environment_expansion.h"
#include "platform/posix_paths.h"
#include "platform/windows_command_line.h"

extern char** environ;

namespace launcher {
namespace {

constexpr std::size_t kHostPathCapacity = 4096;
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorMoreData = 234;
constexpr int kMaxOpenKeys = 4;
constexpr int kMaxChildren = 4;

const char* Root() {
  const char* root = std::getenv("LAUNCHER_ROOT");
  return root != nullptr && root[0] != '\0' ? root : ".";
}

const char* LookUpVariable(void*, const char* name, std::uint32_t length) {
  char copy[256];
  if (length >= sizeof copy) return nullptr;
  std::memcpy(copy, name, length);
  copy[length] = '\0';
  return std::getenv(copy);
}

std::uint32_t TranslateErrno(int error) {
  switch (error) {
    case EEXIST:
      return kErrorFileExists;
    case ENOENT:
    case ENOTDIR:
      return kErrorFileNotFound;
    default:
      return kErrorAccessDenied;
  }
}

class PosixPlatform final : public Platform {
 public:
  std::uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer,
                                          std::uint32_t size) override {
    return ExpandReferences(source, buffer, size, LookUpVariable, nullptr);
  }

  // A key is a folder under <root>/registry/<ROOT NAME>/, a value a file in
  // it whose bytes are the string; it reads as REG_SZ with its terminator.
  long RegOpenKeyExA(RegistryRoot, const char* subKey, RegistryKey* key) override {
    for (int slot = 0; slot < kMaxOpenKeys; ++slot) {
      if (openKeys_[slot][0] != '\0') continue;
      char windowsPath[kHostPathCapacity];
      std::snprintf(windowsPath, sizeof windowsPath, "registry\\HKEY_LOCAL_MACHINE\\%s", subKey);
      char relative[kHostPathCapacity];
      if (!MapWindowsPath("", windowsPath, relative, sizeof relative)) return kErrorFileNotFound;
      const int length =
          std::snprintf(openKeys_[slot], kHostPathCapacity, "%s/%s", Root(), relative);
      struct stat info;
      if (length < 0 || static_cast<std::size_t>(length) >= kHostPathCapacity ||
          stat(openKeys_[slot], &info) != 0 || !S_ISDIR(info.st_mode)) {
        openKeys_[slot][0] = '\0';
        return kErrorFileNotFound;
      }
      *key = slot + 1;
      return kErrorSuccess;
    }
    return kErrorAccessDenied;
  }

  long RegQueryValueExA(RegistryKey key, const char* valueName, std::uint32_t* valueType,
                        unsigned char* data, std::uint32_t* size) override {
    const char* keyPath = KeyPath(key);
    if (keyPath == nullptr || std::strchr(valueName, '/') != nullptr) return kErrorFileNotFound;
    char path[kHostPathCapacity];
    std::snprintf(path, sizeof path, "%s/%s", keyPath, valueName);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kErrorFileNotFound;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(fd);
      return kErrorFileNotFound;
    }
    const std::uint64_t needed = static_cast<std::uint64_t>(info.st_size) + 1;
    if (needed > *size) {
      close(fd);
      *size = needed > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(needed);
      return kErrorMoreData;
    }
    std::size_t got = 0;
    while (got + 1 < needed) {
      const ssize_t n = read(fd, data + got, needed - 1 - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    close(fd);
    data[got] = '\0';
    *valueType = kRegSz;
    *size = static_cast<std::uint32_t>(got + 1);
    return kErrorSuccess;
  }

  long RegCloseKey(RegistryKey key) override {
    if (KeyPath(key) == nullptr) return kErrorAccessDenied;
    openKeys_[key - 1][0] = '\0';
    return kErrorSuccess;
  }

  std::uint32_t GetTempPathA(std::uint32_t size, char* buffer) override {
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || folder[0] == '\0') folder = "/tmp";
    const std::size_t length = std::strlen(folder);
    const bool hasSeparator = folder[length - 1] == '/';
    const std::size_t total = length + (hasSeparator ? 0 : 1);
    if (total + 1 > size) return static_cast<std::uint32_t>(total + 1);
    std::snprintf(buffer, size, "%s%s", folder, hasSeparator ? "" : "/");
    return static_cast<std::uint32_t>(total);
  }

  bool CreateDirectoryA(const char* path) override {
    char host[kHostPathCapacity];
    if (!Map(path, host)) return false;
    return Check(mkdir(host, 0777) == 0);
  }

  std::uint32_t GetTickCount() override {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
  }

  std::uint32_t GetLastError() override { return lastError_; }

  Handle CreateFileA(const char* path, FileAccess access) override {
    char host[kHostPathCapacity];
    if (!Map(path, host)) return kInvalidHandle;
    int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    if (access == FileAccess::kReadExisting) flags = O_RDONLY | O_CLOEXEC;
    if (access == FileAccess::kWriteExisting) flags = O_WRONLY | O_CLOEXEC;
    const int fd = open(host, flags, 0666);
    if (!Check(fd >= 0)) return kInvalidHandle;
    return fd;
  }

  bool ReadFile(Handle file, void* buffer, std::uint32_t size, std::uint32_t* read) override {
    *read = 0;
    for (;;) {
      const ssize_t n = ::read(static_cast<int>(file), buffer, size);
      if (n < 0 && errno == EINTR) continue;
      if (!Check(n >= 0)) return false;
      *read = static_cast<std::uint32_t>(n);
      return true;
    }
  }

  bool WriteFile(Handle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override {
    *written = 0;
    for (;;) {
      const ssize_t n = ::write(static_cast<int>(file), data, size);
      if (n < 0 && errno == EINTR) continue;
      if (!Check(n >= 0)) return false;
      *written = static_cast<std::uint32_t>(n);
      return true;
    }
  }

  bool FlushFileBuffers(Handle file) override { return Check(fsync(static_cast<int>(file)) == 0); }

  bool CloseHandle(Handle file) override { return Check(close(static_cast<int>(file)) == 0); }

  // Only the read-only attribute has a counterpart: the owner's write permission.
  bool SetFileAttributesA(const char* path, std::uint32_t attributes) override {
    char host[kHostPathCapacity];
    struct stat info;
    if (!Map(path, host) || !Check(stat(host, &info) == 0)) return false;
    constexpr std::uint32_t kReadOnly = 0x1;
    const mode_t mode = (attributes & kReadOnly) != 0
                            ? (info.st_mode & ~static_cast<mode_t>(S_IWUSR))
                            : (info.st_mode | S_IWUSR);
    return Check(chmod(host, mode & 07777) == 0);
  }

  // In the kernel where it can (copy_file_range), else through a buffer.
  bool CopyFileA(const char* source, const char* target, bool failIfExists) override {
    char hostSource[kHostPathCapacity];
    char hostTarget[kHostPathCapacity];
    if (!Map(source, hostSource) || !Map(target, hostTarget)) return false;
    const int in = open(hostSource, O_RDONLY | O_CLOEXEC);
    if (!Check(in >= 0)) return false;
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL | O_NOFOLLOW : O_TRUNC);
    const int out = open(hostTarget, flags, 0666);
    if (!Check(out >= 0)) {
      close(in);
      return false;
    }
    bool copied = CopyDescriptor(in, out);
    copied = Check(close(out) == 0) && copied;
    close(in);
    return copied;
  }

  bool MoveFileExA(const char* from, const char* to) override {
    char hostFrom[kHostPathCapacity];
    char hostTo[kHostPathCapacity];
    if (!Map(from, hostFrom) || !Map(to, hostTo)) return false;
    return Check(rename(hostFrom, hostTo) == 0);
  }

  bool DeleteFileA(const char* path) override {
    char host[kHostPathCapacity];
    if (!Map(path, host)) return false;
    return Check(unlink(host) == 0);
  }

  std::uint32_t SearchPathA(const char* folder, const char* fileName, std::uint32_t size,
                            char* buffer) override {
    char windowsPath[kHostPathCapacity];
    const bool fullPath =
        fileName[0] == '\\' || fileName[0] == '/' || (fileName[0] != '\0' && fileName[1] == ':');
    std::snprintf(windowsPath, sizeof windowsPath, fullPath ? "%s%s" : "%s\\%s",
                  fullPath ? "" : folder, fileName);
    char host[kHostPathCapacity];
    struct stat info;
    if (!Map(windowsPath, host) || !Check(lstat(host, &info) == 0)) return 0;
    const std::size_t length = std::strlen(windowsPath);
    if (length + 1 > size) return static_cast<std::uint32_t>(length + 1);
    std::memcpy(buffer, windowsPath, length + 1);
    return static_cast<std::uint32_t>(length);
  }

  // ASCII letters only, eight bytes at a time: a byte gets its 0x20 bit
  // cleared exactly when it lies in 'a'..'z'.
  void CharUpperBuffA(char* text, std::uint32_t length) override {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::uint32_t i = 0;
    for (; i + 8 <= length; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, text + i, 8);
      const std::uint64_t low7 = word & ~kHigh;
      const std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;
      const std::uint64_t beyondZ = low7 + (0x80 - 'z' - 1) * kOnes;
      const std::uint64_t lower = atLeastA & ~beyondZ & ~word & kHigh;
      word ^= lower >> 2;
      std::memcpy(text + i, &word, 8);
    }
    for (; i < length; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      text[i] = static_cast<char>(c - (static_cast<unsigned char>(c - 'a') < 26u ? 32 : 0));
    }
  }

  bool IsDBCSLeadByte(unsigned char) override { return false; }

  bool CreateProcessA(char* commandLine, ProcessInformation* info) override {
    char storage[1024];
    char* words[256];
    if (SplitCommandLine(commandLine, storage, sizeof storage, words, 256) < 1) return false;
    char program[kHostPathCapacity];
    if (!Map(words[0], program)) return false;
    pid_t child = 0;
    // glibc reports a failed exec (missing, not executable, not a program)
    // as posix_spawn's own result, so such a start is never a child that
    // exits 127.
    const int error = posix_spawn(&child, program, nullptr, nullptr, words, environ);
    if (error != 0) {
      lastError_ = TranslateErrno(error);
      return false;
    }
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    for (int slot = 0; slot < kMaxChildren; ++slot) {
      if (children_[slot].pid != 0) continue;
      children_[slot] = {child, pidfd};
      info->process = slot + 1;
      info->thread = slot + 1;
      return true;
    }
    return true;
  }

  // Waits on a pidfd, so the wait returns as soon as the child ends.
  std::uint32_t WaitForSingleObject(Handle process, std::uint32_t milliseconds) override {
    if (process < 1 || process > kMaxChildren) return kWaitFailed;
    Child& child = children_[process - 1];
    if (child.ended) return kWaitObject0;
    if (child.pidfd < 0) return kWaitFailed;
    struct pollfd ready = {child.pidfd, POLLIN, 0};
    int result = 0;
    do {
      result = poll(&ready, 1, static_cast<int>(milliseconds));
    } while (result < 0 && errno == EINTR);
    if (result < 0) return kWaitFailed;
    if (result == 0) return kWaitTimeout;
    int status = 0;
    waitpid(child.pid, &status, WNOHANG);
    child.ended = true;
    return kWaitObject0;
  }

  void Sleep(std::uint32_t milliseconds) override {
    struct timespec pause = {static_cast<time_t>(milliseconds / 1000),
                             static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
  }

 private:
  struct Child {
    pid_t pid = 0;
    int pidfd = -1;
    bool ended = false;
  };

  bool CopyDescriptor(int in, int out) {
    bool inKernel = true;
    for (;;) {
      ssize_t n = 0;
      if (inKernel) {
        n = copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (n < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
          inKernel = false;
          continue;
        }
      } else {
        char block[64 * 1024];
        n = read(in, block, sizeof block);
        for (ssize_t done = 0; n > 0 && done < n;) {
          const ssize_t written = write(out, block + done, static_cast<std::size_t>(n - done));
          if (written < 0 && errno == EINTR) continue;
          if (!Check(written > 0)) return false;
          done += written;
        }
      }
      if (n < 0 && errno == EINTR) continue;
      if (!Check(n >= 0)) return false;
      if (n == 0) return true;
    }
  }

  bool Map(const char* windowsPath, char* host) {
    if (MapWindowsPath(Root(), windowsPath, host, kHostPathCapacity)) return true;
    lastError_ = kErrorFileNotFound;
    return false;
  }

  bool Check(bool ok) {
    if (!ok) lastError_ = TranslateErrno(errno);
    return ok;
  }

  const char* KeyPath(RegistryKey key) const {
    if (key < 1 || key > kMaxOpenKeys || openKeys_[key - 1][0] == '\0') return nullptr;
    return openKeys_[key - 1];
  }

  std::uint32_t lastError_ = 0;
  char openKeys_[kMaxOpenKeys][kHostPathCapacity] = {};
  Child children_[kMaxChildren];
};

// At namespace scope and trivially destructible: no guard, no exit handler.
PosixPlatform systemPlatform;

}  // namespace

Platform& SystemPlatform() { return systemPlatform; }

}  // namespace launcher
