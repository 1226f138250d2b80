// An in-memory platform for tests. The world (files, folders, environment,
// registry, tick count, the installer's behaviour) is plain data; every
// call is recorded; and faults are data too: "the Nth call of operation X
// fails", once or from then on, or the Nth fallible call of any kind.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "launcher/platform.h"

namespace launcher::testing {

enum class Op {
  kExpandEnvironmentStringsA,
  kRegOpenKeyExA,
  kRegQueryValueExA,
  kRegCloseKey,
  kGetTempPathA,
  kCreateDirectoryA,
  kCreateFileA,
  kReadFile,
  kWriteFile,
  kFlushFileBuffers,
  kCloseHandle,
  kSetFileAttributesA,
  kCopyFileA,
  kMoveFileExA,
  kDeleteFileA,
  kSearchPathA,
  kCreateProcessA,
  kWaitForSingleObject,
  // The calls below cannot fail.
  kGetTickCount,
  kGetLastError,
  kCharUpperBuffA,
  kIsDBCSLeadByte,
  kSleep,
  kAny,  // in a fault: the Nth fallible call, whatever its operation
};
const char* OpName(Op op);

enum class FaultKind {
  kFail,       // the call returns its failure value and changes nothing
  kNameTaken,  // CreateFileA: as if a file existed at the name
  kDiskFull,   // WriteFile, CopyFileA: writes half of the data, then fails
};

struct Fault {
  Op op;
  int nth;  // counted from 1, per operation (or over all fallible calls for kAny)
  FaultKind kind = FaultKind::kFail;
  bool persistent = false;  // fail from the Nth call on, not only the Nth
};

constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
constexpr std::uint32_t kFileAttributeHidden = 0x2;

struct FakeFile {
  std::string bytes;
  std::uint32_t attributes = kFileAttributeNormal;
};

class FakePlatform final : public Platform {
 public:
  FakePlatform();

  // --- The world ---
  std::map<std::string, std::string> environment;  // looked up without regard to case
  struct RegistryValue {
    std::uint32_t type = kRegSz;
    std::string data;  // exactly the value's bytes, a string's terminator included
  };
  // Key path (below HKEY_LOCAL_MACHINE) to its values.
  std::map<std::string, std::map<std::string, RegistryValue>> registry;
  std::string tempPath = "C:\\Users\\me\\Temp\\";  // empty: GetTempPathA fails
  std::uint32_t tick = 0xab;
  int installerEndsAtWait = 1;        // the wait that sees the installer end; 0: never
  std::set<unsigned char> leadBytes;  // double-byte lead bytes of the code page

  void AddFolder(const std::string& path);  // with its parents
  void AddFile(const std::string& path, const std::string& bytes,
               std::uint32_t attributes = kFileAttributeNormal);
  bool HasFile(const std::string& path) const;
  bool HasFolder(const std::string& path) const;
  std::string FileBytes(const std::string& path) const;  // "" when missing
  std::uint32_t FileAttributes(const std::string& path) const;
  std::map<std::string, FakeFile> Files() const;  // by normalised name
  std::vector<std::string> FilesIn(const std::string& folder) const;

  // --- Faults ---
  void Inject(const Fault& fault) { faults_.push_back(fault); }

  // --- What happened ---
  std::vector<std::string> calls;                // one line per call: name and arguments
  std::vector<std::string> commands;             // the command lines that were started
  std::vector<std::string> programs;             // the programs they started, normalised
  std::map<std::string, FakeFile> filesAtStart;  // all files when the installer started
  int waits = 0;
  std::uint64_t sleptMs = 0;
  int fallibleCalls = 0;
  bool faultMet = false;
  int openHandles() const { return static_cast<int>(handles_.size()); }
  int Count(Op op) const;

  // --- Platform ---
  std::uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer,
                                          std::uint32_t size) override;
  long RegOpenKeyExA(RegistryRoot root, const char* subKey, RegistryKey* key) override;
  long RegQueryValueExA(RegistryKey key, const char* valueName, std::uint32_t* valueType,
                        unsigned char* data, std::uint32_t* size) override;
  long RegCloseKey(RegistryKey key) override;
  std::uint32_t GetTempPathA(std::uint32_t size, char* buffer) override;
  bool CreateDirectoryA(const char* path) override;
  std::uint32_t GetTickCount() override;
  std::uint32_t GetLastError() override;
  Handle CreateFileA(const char* path, FileAccess access) override;
  bool ReadFile(Handle file, void* buffer, std::uint32_t size, std::uint32_t* read) override;
  bool WriteFile(Handle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override;
  bool FlushFileBuffers(Handle file) override;
  bool CloseHandle(Handle file) override;
  bool SetFileAttributesA(const char* path, std::uint32_t attributes) override;
  bool CopyFileA(const char* source, const char* target, bool failIfExists) override;
  bool MoveFileExA(const char* from, const char* to) override;
  bool DeleteFileA(const char* path) override;
  std::uint32_t SearchPathA(const char* folder, const char* fileName, std::uint32_t size,
                            char* buffer) override;
  void CharUpperBuffA(char* text, std::uint32_t length) override;
  bool IsDBCSLeadByte(unsigned char byte) override;
  bool CreateProcessA(char* commandLine, ProcessInformation* info) override;
  std::uint32_t WaitForSingleObject(Handle process, std::uint32_t milliseconds) override;
  void Sleep(std::uint32_t milliseconds) override;

 private:
  struct OpenFile {
    std::string key;
    bool writable = false;
    std::size_t position = 0;
  };

  // Records the call and returns the fault that hits it, if any.
  const Fault* Enter(Op op, const std::string& details);
  bool Fail(std::uint32_t error);
  bool ParentExists(const std::string& key) const;
  bool StartProgram(const std::string& program);

  std::map<std::string, FakeFile> files_;
  std::set<std::string> folders_;
  std::map<Handle, OpenFile> handles_;
  std::map<RegistryKey, std::string> openKeys_;
  std::vector<Fault> faults_;
  std::map<Op, int> counts_;
  Handle nextHandle_ = 100;
  std::uint32_t lastError_ = 0;
};

// The normalised form of a Windows path: upper case, single separators,
// no trailing separator.
std::string NormalisePath(const std::string& path);

}  // namespace launcher::testing
