#include "tests/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/environment_expansion.h"

namespace launcher::testing {
namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr long kErrorMoreData = 234;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string ParentOf(const std::string& key) {
  const std::size_t separator = key.rfind('\\');
  return separator == std::string::npos ? std::string() : key.substr(0, separator);
}

bool IsDriveRoot(const std::string& key) { return key.size() == 2 && key[1] == ':'; }

const char* LookUp(void* context, const char* name, std::uint32_t length) {
  auto* environment = static_cast<std::map<std::string, std::string>*>(context);
  const std::string wanted = Upper(std::string(name, length));
  for (const auto& [variable, value] : *environment) {
    if (Upper(variable) == wanted) return value.c_str();
  }
  return nullptr;
}

}  // namespace

const char* OpName(Op op) {
  static const char* const kNames[] = {"ExpandEnvironmentStringsA",
                                       "RegOpenKeyExA",
                                       "RegQueryValueExA",
                                       "RegCloseKey",
                                       "GetTempPathA",
                                       "CreateDirectoryA",
                                       "CreateFileA",
                                       "ReadFile",
                                       "WriteFile",
                                       "FlushFileBuffers",
                                       "CloseHandle",
                                       "SetFileAttributesA",
                                       "CopyFileA",
                                       "MoveFileExA",
                                       "DeleteFileA",
                                       "SearchPathA",
                                       "CreateProcessA",
                                       "WaitForSingleObject",
                                       "GetTickCount",
                                       "GetLastError",
                                       "CharUpperBuffA",
                                       "IsDBCSLeadByte",
                                       "Sleep",
                                       "any"};
  return kNames[static_cast<int>(op)];
}

std::string NormalisePath(const std::string& path) {
  std::string key;
  for (char c : Upper(path)) {
    if (c == '/') c = '\\';
    if (c == '\\' && !key.empty() && key.back() == '\\') continue;
    key += c;
  }
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

FakePlatform::FakePlatform() {}

void FakePlatform::AddFolder(const std::string& path) {
  for (std::string key = NormalisePath(path); !key.empty() && !IsDriveRoot(key);
       key = ParentOf(key)) {
    folders_.insert(key);
  }
}

void FakePlatform::AddFile(const std::string& path, const std::string& bytes,
                           std::uint32_t attributes) {
  const std::string key = NormalisePath(path);
  AddFolder(ParentOf(key));
  files_[key] = FakeFile{bytes, attributes};
}

bool FakePlatform::HasFile(const std::string& path) const {
  return files_.count(NormalisePath(path)) != 0;
}

bool FakePlatform::HasFolder(const std::string& path) const {
  const std::string key = NormalisePath(path);
  return IsDriveRoot(key) || folders_.count(key) != 0;
}

std::string FakePlatform::FileBytes(const std::string& path) const {
  const auto found = files_.find(NormalisePath(path));
  return found == files_.end() ? std::string() : found->second.bytes;
}

std::uint32_t FakePlatform::FileAttributes(const std::string& path) const {
  const auto found = files_.find(NormalisePath(path));
  return found == files_.end() ? 0 : found->second.attributes;
}

std::map<std::string, FakeFile> FakePlatform::Files() const { return files_; }

std::vector<std::string> FakePlatform::FilesIn(const std::string& folder) const {
  std::vector<std::string> names;
  const std::string key = NormalisePath(folder);
  for (const auto& [name, file] : files_) {
    if (ParentOf(name) == key) names.push_back(name.substr(key.size() + 1));
  }
  return names;
}

int FakePlatform::Count(Op op) const {
  const auto found = counts_.find(op);
  return found == counts_.end() ? 0 : found->second;
}

const Fault* FakePlatform::Enter(Op op, const std::string& details) {
  calls.push_back(std::string(OpName(op)) + "(" + details + ")");
  const int nth = ++counts_[op];
  const bool fallible = op < Op::kGetTickCount;
  if (fallible) ++fallibleCalls;
  if (!fallible) return nullptr;
  for (const Fault& fault : faults_) {
    const int count = fault.op == Op::kAny ? fallibleCalls : (fault.op == op ? nth : 0);
    if (count == fault.nth || (fault.persistent && count > fault.nth)) {
      faultMet = true;
      calls.back() += " -> injected fault";
      return &fault;
    }
  }
  return nullptr;
}

bool FakePlatform::Fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool FakePlatform::ParentExists(const std::string& key) const {
  const std::string parent = ParentOf(key);
  return IsDriveRoot(parent) || folders_.count(parent) != 0;
}

std::uint32_t FakePlatform::ExpandEnvironmentStringsA(const char* source, char* buffer,
                                                      std::uint32_t size) {
  if (Enter(Op::kExpandEnvironmentStringsA, source) != nullptr) return 0;
  return ExpandReferences(source, buffer, size, LookUp, &environment);
}

long FakePlatform::RegOpenKeyExA(RegistryRoot, const char* subKey, RegistryKey* key) {
  if (Enter(Op::kRegOpenKeyExA, subKey) != nullptr) return kErrorAccessDenied;
  for (const auto& [path, values] : registry) {
    if (Upper(path) == Upper(subKey)) {
      *key = nextHandle_++;
      openKeys_[*key] = path;
      return 0;
    }
  }
  return kErrorFileNotFound;
}

long FakePlatform::RegQueryValueExA(RegistryKey key, const char* valueName,
                                    std::uint32_t* valueType, unsigned char* data,
                                    std::uint32_t* size) {
  if (Enter(Op::kRegQueryValueExA, valueName) != nullptr) return kErrorAccessDenied;
  const auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return kErrorAccessDenied;
  for (const auto& [name, value] : registry[open->second]) {
    if (Upper(name) != Upper(valueName)) continue;
    *valueType = value.type;
    if (value.data.size() > *size) {
      *size = static_cast<std::uint32_t>(value.data.size());
      return kErrorMoreData;
    }
    std::memcpy(data, value.data.data(), value.data.size());
    *size = static_cast<std::uint32_t>(value.data.size());
    return 0;
  }
  return kErrorFileNotFound;
}

long FakePlatform::RegCloseKey(RegistryKey key) {
  const bool known = openKeys_.erase(key) != 0;
  if (Enter(Op::kRegCloseKey, std::to_string(key)) != nullptr) return kErrorAccessDenied;
  return known ? 0 : kErrorAccessDenied;
}

std::uint32_t FakePlatform::GetTempPathA(std::uint32_t size, char* buffer) {
  if (Enter(Op::kGetTempPathA, "") != nullptr || tempPath.empty()) return 0;
  if (tempPath.size() + 1 > size) return static_cast<std::uint32_t>(tempPath.size() + 1);
  std::memcpy(buffer, tempPath.c_str(), tempPath.size() + 1);
  return static_cast<std::uint32_t>(tempPath.size());
}

bool FakePlatform::CreateDirectoryA(const char* path) {
  if (Enter(Op::kCreateDirectoryA, path) != nullptr) return Fail(kErrorAccessDenied);
  const std::string key = NormalisePath(path);
  if (IsDriveRoot(key) || folders_.count(key) || files_.count(key)) {
    return Fail(kErrorAlreadyExists);
  }
  if (!ParentExists(key)) return Fail(kErrorPathNotFound);
  folders_.insert(key);
  return true;
}

std::uint32_t FakePlatform::GetTickCount() {
  Enter(Op::kGetTickCount, "");
  return tick;
}

std::uint32_t FakePlatform::GetLastError() {
  Enter(Op::kGetLastError, "");
  return lastError_;
}

Handle FakePlatform::CreateFileA(const char* path, FileAccess access) {
  const bool reading = access == FileAccess::kReadExisting;
  const bool creating = access == FileAccess::kCreateNew;
  const Fault* fault = Enter(Op::kCreateFileA, std::string(path) + (reading    ? ", read"
                                                                    : creating ? ", new"
                                                                               : ", write"));
  if (fault != nullptr) {
    Fail(fault->kind == FaultKind::kNameTaken ? kErrorFileExists : kErrorAccessDenied);
    return kInvalidHandle;
  }
  const std::string key = NormalisePath(path);
  if (!creating) {
    if (!files_.count(key)) return Fail(kErrorFileNotFound), kInvalidHandle;
    if (!reading && (files_[key].attributes & kFileAttributeReadOnly)) {
      return Fail(kErrorAccessDenied), kInvalidHandle;
    }
  } else {
    if (files_.count(key) || folders_.count(key)) return Fail(kErrorFileExists), kInvalidHandle;
    if (!ParentExists(key)) return Fail(kErrorPathNotFound), kInvalidHandle;
    files_[key] = FakeFile{};
  }
  const Handle handle = nextHandle_++;
  handles_[handle] = OpenFile{key, !reading, 0};
  return handle;
}

bool FakePlatform::ReadFile(Handle file, void* buffer, std::uint32_t size, std::uint32_t* read) {
  *read = 0;
  if (Enter(Op::kReadFile, std::to_string(file)) != nullptr) return Fail(kErrorAccessDenied);
  const auto open = handles_.find(file);
  if (open == handles_.end() || open->second.writable) return Fail(kErrorAccessDenied);
  const std::string& bytes = files_[open->second.key].bytes;
  const std::size_t count = std::min<std::size_t>(size, bytes.size() - open->second.position);
  std::memcpy(buffer, bytes.data() + open->second.position, count);
  open->second.position += count;
  *read = static_cast<std::uint32_t>(count);
  return true;
}

bool FakePlatform::WriteFile(Handle file, const void* data, std::uint32_t size,
                             std::uint32_t* written) {
  *written = 0;
  const Fault* fault = Enter(Op::kWriteFile, std::to_string(file) + ", " + std::to_string(size));
  const auto open = handles_.find(file);
  if (open == handles_.end() || !open->second.writable) return Fail(kErrorAccessDenied);
  std::uint32_t count = size;
  if (fault != nullptr) count = fault->kind == FaultKind::kDiskFull ? size / 2 : 0;
  files_[open->second.key].bytes.append(static_cast<const char*>(data), count);
  *written = count;
  if (fault != nullptr) return Fail(kErrorDiskFull);
  return true;
}

bool FakePlatform::FlushFileBuffers(Handle file) {
  if (Enter(Op::kFlushFileBuffers, std::to_string(file)) != nullptr) {
    return Fail(kErrorAccessDenied);
  }
  return handles_.count(file) != 0 || Fail(kErrorAccessDenied);
}

bool FakePlatform::CloseHandle(Handle file) {
  const bool known = handles_.erase(file) != 0;
  if (Enter(Op::kCloseHandle, std::to_string(file)) != nullptr) return Fail(kErrorDiskFull);
  return known || Fail(kErrorAccessDenied);
}

bool FakePlatform::SetFileAttributesA(const char* path, std::uint32_t attributes) {
  if (Enter(Op::kSetFileAttributesA, path) != nullptr) return Fail(kErrorAccessDenied);
  const auto found = files_.find(NormalisePath(path));
  if (found == files_.end()) return Fail(kErrorFileNotFound);
  found->second.attributes = attributes;
  return true;
}

bool FakePlatform::CopyFileA(const char* source, const char* target, bool failIfExists) {
  const Fault* fault =
      Enter(Op::kCopyFileA, std::string(source) + ", " + target + (failIfExists ? ", new" : ""));
  const std::string from = NormalisePath(source);
  const std::string to = NormalisePath(target);
  if (!files_.count(from)) return Fail(kErrorFileNotFound);
  if (failIfExists && (files_.count(to) || folders_.count(to))) return Fail(kErrorFileExists);
  if (!ParentExists(to) || folders_.count(to)) return Fail(kErrorPathNotFound);
  if (fault != nullptr && fault->kind != FaultKind::kDiskFull) return Fail(kErrorAccessDenied);
  FakeFile copy = files_[from];
  if (fault != nullptr) copy.bytes.resize(copy.bytes.size() / 2);
  files_[to] = copy;
  if (fault != nullptr) return Fail(kErrorDiskFull);
  return true;
}

bool FakePlatform::MoveFileExA(const char* from, const char* to) {
  if (Enter(Op::kMoveFileExA, std::string(from) + ", " + to) != nullptr) {
    return Fail(kErrorAccessDenied);
  }
  const std::string source = NormalisePath(from);
  const std::string target = NormalisePath(to);
  if (!files_.count(source)) return Fail(kErrorFileNotFound);
  if (!ParentExists(target) || folders_.count(target)) return Fail(kErrorAccessDenied);
  const auto existing = files_.find(target);
  if (existing != files_.end() && (existing->second.attributes & kFileAttributeReadOnly)) {
    return Fail(kErrorAccessDenied);
  }
  for (const auto& [handle, open] : handles_) {
    if (open.key == source || open.key == target) return Fail(kErrorAccessDenied);
  }
  files_[target] = files_[source];
  if (source != target) files_.erase(source);
  return true;
}

bool FakePlatform::DeleteFileA(const char* path) {
  if (Enter(Op::kDeleteFileA, path) != nullptr) return Fail(kErrorAccessDenied);
  const auto found = files_.find(NormalisePath(path));
  if (found == files_.end()) return Fail(kErrorFileNotFound);
  if (found->second.attributes & kFileAttributeReadOnly) return Fail(kErrorAccessDenied);
  files_.erase(found);
  return true;
}

std::uint32_t FakePlatform::SearchPathA(const char* folder, const char* fileName,
                                        std::uint32_t size, char* buffer) {
  if (Enter(Op::kSearchPathA, std::string(folder) + ", " + fileName) != nullptr) {
    return Fail(kErrorAccessDenied), 0;
  }
  const bool fullPath = fileName[0] == '\\' || (fileName[0] != '\0' && fileName[1] == ':');
  const std::string path = fullPath ? fileName : std::string(folder) + "\\" + fileName;
  if (!files_.count(NormalisePath(path))) return Fail(kErrorFileNotFound), 0;
  if (path.size() + 1 > size) return static_cast<std::uint32_t>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<std::uint32_t>(path.size());
}

void FakePlatform::CharUpperBuffA(char* text, std::uint32_t length) {
  Enter(Op::kCharUpperBuffA, std::string(text, length));
  for (std::uint32_t i = 0; i < length; ++i) {
    text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  }
}

bool FakePlatform::IsDBCSLeadByte(unsigned char byte) {
  Enter(Op::kIsDBCSLeadByte, std::to_string(byte));
  return leadBytes.count(byte) != 0;
}

bool FakePlatform::StartProgram(const std::string& program) {
  // Windows adds ".exe" to a program name without an extension.
  std::string key = NormalisePath(program);
  if (key.substr(key.rfind('\\') + 1).find('.') == std::string::npos) key += ".EXE";
  if (files_.count(key) == 0) return false;
  programs.push_back(key);
  return true;
}

bool FakePlatform::CreateProcessA(char* commandLine, ProcessInformation* info) {
  if (Enter(Op::kCreateProcessA, commandLine) != nullptr) return Fail(kErrorAccessDenied);
  const std::string line = commandLine;
  // Windows' reading of the program's name: up to the closing quote, or,
  // unquoted, the shortest blank-ended prefix that names a program.
  bool started = false;
  if (!line.empty() && line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    started =
        StartProgram(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  } else {
    for (std::size_t end = line.find(' '); !started; end = line.find(' ', end + 1)) {
      started = StartProgram(line.substr(0, end));
      if (end == std::string::npos) break;
    }
  }
  if (!started) return Fail(kErrorFileNotFound);
  commands.push_back(line);
  filesAtStart = files_;
  info->process = nextHandle_++;
  info->thread = nextHandle_++;
  return true;
}

std::uint32_t FakePlatform::WaitForSingleObject(Handle process, std::uint32_t milliseconds) {
  ++waits;
  if (Enter(Op::kWaitForSingleObject,
            std::to_string(process) + ", " + std::to_string(milliseconds)) != nullptr) {
    return kWaitFailed;
  }
  if (installerEndsAtWait > 0 && waits >= installerEndsAtWait) return kWaitObject0;
  return kWaitTimeout;
}

void FakePlatform::Sleep(std::uint32_t milliseconds) {
  Enter(Op::kSleep, std::to_string(milliseconds));
  sleptMs += milliseconds;
}

}  // namespace launcher::testing
