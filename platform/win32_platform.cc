// The platform layer over the real Windows API.
#include <windows.h>

#include "launcher/system_platform.h"

namespace launcher {
namespace {

HANDLE ToWin32(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle FromWin32(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE || handle == nullptr ? kInvalidHandle
                                                             : reinterpret_cast<Handle>(handle);
}

class Win32Platform final : public Platform {
 public:
  std::uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer,
                                          std::uint32_t size) override {
    return ::ExpandEnvironmentStringsA(source, buffer, size);
  }

  long RegOpenKeyExA(RegistryRoot, const char* subKey, RegistryKey* key) override {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &opened);
    *key = reinterpret_cast<RegistryKey>(opened);
    return status;
  }

  long RegQueryValueExA(RegistryKey key, const char* valueName, std::uint32_t* valueType,
                        unsigned char* data, std::uint32_t* size) override {
    DWORD type = 0;
    DWORD length = *size;
    const LONG status =
        ::RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName, nullptr, &type, data, &length);
    *valueType = type;
    *size = length;
    return status;
  }

  long RegCloseKey(RegistryKey key) override { return ::RegCloseKey(reinterpret_cast<HKEY>(key)); }

  std::uint32_t GetTempPathA(std::uint32_t size, char* buffer) override {
    return ::GetTempPathA(size, buffer);
  }

  bool CreateDirectoryA(const char* path) override {
    return ::CreateDirectoryA(path, nullptr) != 0;
  }

  std::uint32_t GetTickCount() override { return ::GetTickCount(); }

  std::uint32_t GetLastError() override { return ::GetLastError(); }

  Handle CreateFileA(const char* path, FileAccess access) override {
    const bool reading = access == FileAccess::kReadExisting;
    const bool creating = access == FileAccess::kCreateNew;
    return FromWin32(::CreateFileA(
        path, reading ? GENERIC_READ : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        creating ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  bool ReadFile(Handle file, void* buffer, std::uint32_t size, std::uint32_t* read) override {
    DWORD count = 0;
    const BOOL ok = ::ReadFile(ToWin32(file), buffer, size, &count, nullptr);
    *read = count;
    return ok != 0;
  }

  bool WriteFile(Handle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override {
    DWORD count = 0;
    const BOOL ok = ::WriteFile(ToWin32(file), data, size, &count, nullptr);
    *written = count;
    return ok != 0;
  }

  bool FlushFileBuffers(Handle file) override { return ::FlushFileBuffers(ToWin32(file)) != 0; }

  bool CloseHandle(Handle file) override { return ::CloseHandle(ToWin32(file)) != 0; }

  bool SetFileAttributesA(const char* path, std::uint32_t attributes) override {
    return ::SetFileAttributesA(path, attributes) != 0;
  }

  bool CopyFileA(const char* source, const char* target, bool failIfExists) override {
    return ::CopyFileA(source, target, failIfExists ? TRUE : FALSE) != 0;
  }

  bool MoveFileExA(const char* from, const char* to) override {
    return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool DeleteFileA(const char* path) override { return ::DeleteFileA(path) != 0; }

  std::uint32_t SearchPathA(const char* folder, const char* fileName, std::uint32_t size,
                            char* buffer) override {
    char* filePart = nullptr;
    return ::SearchPathA(folder, fileName, nullptr, size, buffer, &filePart);
  }

  void CharUpperBuffA(char* text, std::uint32_t length) override { ::CharUpperBuffA(text, length); }

  bool IsDBCSLeadByte(unsigned char byte) override { return ::IsDBCSLeadByte(byte) != 0; }

  bool CreateProcessA(char* commandLine, ProcessInformation* info) override {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      return false;
    }
    info->process = reinterpret_cast<Handle>(process.hProcess);
    info->thread = reinterpret_cast<Handle>(process.hThread);
    return true;
  }

  std::uint32_t WaitForSingleObject(Handle process, std::uint32_t milliseconds) override {
    return ::WaitForSingleObject(ToWin32(process), milliseconds);
  }

  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

// At namespace scope and trivially destructible: no guard, no exit handler.
Win32Platform systemPlatform;

}  // namespace

Platform& SystemPlatform() { return systemPlatform; }

const char* SystemCommandLine() { return ::GetCommandLineA(); }

}  // namespace launcher
