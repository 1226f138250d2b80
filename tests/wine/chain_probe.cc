// Runs the folder chains in-process on the real Win32 layer. Wine gives
// every new process its own ProgramFiles, so the variable's source can only
// be chosen from inside the process. Reads directives like the driver's
// (set, unset, registry, registry-delete, result) from a spec file, then
// writes "programFilesDir=<...>" and "tempDir=<...>" lines to the result.
#include <windows.h>

#include <cstdio>
#include <string>

#include "launcher/folder_resolution.h"
#include "launcher/launch_plan.h"
#include "launcher/system_platform.h"

namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

bool SetRegistry(const std::string* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != 0) return false;
  LONG status = 0;
  if (value != nullptr) {
    status = RegSetValueExA(key, "ProgramFilesDir", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value->c_str()),
                            static_cast<DWORD>(value->size() + 1));
  } else {
    status = RegDeleteValueA(key, "ProgramFilesDir");
    if (status == ERROR_FILE_NOT_FOUND) status = 0;
  }
  RegCloseKey(key);
  return status == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 100;
  FILE* spec = std::fopen(argv[1], "rb");
  if (spec == nullptr) return 101;
  std::string result;
  char line[8192];
  const std::string original = "C:\\Program Files";
  bool registryChanged = false;
  while (std::fgets(line, sizeof line, spec) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t blank = text.find(' ');
    const std::string verb = text.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (verb == "result") {
      result = rest;
    } else if (verb == "set") {
      const std::size_t equals = rest.find('=');
      SetEnvironmentVariableA(rest.substr(0, equals).c_str(), rest.substr(equals + 1).c_str());
    } else if (verb == "unset") {
      SetEnvironmentVariableA(rest.c_str(), nullptr);
    } else if (verb == "registry") {
      if (!SetRegistry(&rest)) return 102;
      registryChanged = true;
    } else if (verb == "registry-delete") {
      if (!SetRegistry(nullptr)) return 102;
      registryChanged = true;
    }
  }
  std::fclose(spec);

  launcher::Platform& platform = launcher::SystemPlatform();
  char programFilesDir[launcher::kFolderCapacity];
  char tempDir[launcher::kFolderCapacity];
  launcher::ResolveProgramFilesDir(platform, programFilesDir);
  launcher::ResolveTempDir(platform, tempDir);
  if (registryChanged) SetRegistry(&original);

  FILE* out = std::fopen(result.c_str(), "wb");
  if (out == nullptr) return 104;
  std::fprintf(out, "programFilesDir=%s\ntempDir=%s\n", programFilesDir, tempDir);
  std::fclose(out);
  return 0;
}
