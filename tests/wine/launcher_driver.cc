// Test driver for the Windows build: starts launcher.exe with an exact
// command line, a chosen environment and chosen registry contents, waits
// for it and reports its exit status. Wine quotes Unix arguments itself,
// so the exact command line comes from a spec file, one directive a line:
//   launcher <path of launcher.exe>
//   cmdline <the launcher's whole command line, verbatim>
//   set <NAME>=<value>          unset <NAME>
//   registry <ProgramFilesDir value>    registry-delete
//   attributes <hex> <file>     (set before the start)
//   result <file to write "status <n> ms <elapsed>" into>
// The registry value is restored afterwards.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kValue[] = "ProgramFilesDir";

struct SavedValue {
  bool present = false;
  std::string data;
};

SavedValue ReadValue() {
  SavedValue saved;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != 0) return saved;
  char data[4096];
  DWORD size = sizeof data;
  DWORD type = 0;
  if (RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == 0) {
    saved.present = true;
    saved.data.assign(data, size);
  }
  RegCloseKey(key);
  return saved;
}

bool WriteValue(const SavedValue& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != 0) return false;
  LONG status = 0;
  if (value.present) {
    status =
        RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
  } else {
    status = RegDeleteValueA(key, kValue);
    if (status == ERROR_FILE_NOT_FOUND) status = 0;
  }
  RegCloseKey(key);
  return status == 0;
}

std::string Trimmed(const char* line) {
  std::string text = line;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 100;
  FILE* spec = std::fopen(argv[1], "rb");
  if (spec == nullptr) return 101;
  std::string launcher, commandLine, result;
  SavedValue wanted = ReadValue();
  const SavedValue original = wanted;
  bool changeRegistry = false;
  char line[8192];
  while (std::fgets(line, sizeof line, spec) != nullptr) {
    const std::string text = Trimmed(line);
    const std::size_t blank = text.find(' ');
    const std::string verb = text.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (verb == "launcher") {
      launcher = rest;
    } else if (verb == "cmdline") {
      commandLine = rest;
    } else if (verb == "result") {
      result = rest;
    } else if (verb == "set") {
      const std::size_t equals = rest.find('=');
      SetEnvironmentVariableA(rest.substr(0, equals).c_str(), rest.substr(equals + 1).c_str());
    } else if (verb == "unset") {
      SetEnvironmentVariableA(rest.c_str(), nullptr);
    } else if (verb == "registry") {
      wanted = SavedValue{true, rest + std::string(1, '\0')};
      changeRegistry = true;
    } else if (verb == "attributes") {
      const std::size_t split = rest.find(' ');
      const DWORD attributes = std::strtoul(rest.substr(0, split).c_str(), nullptr, 16);
      if (!SetFileAttributesA(rest.substr(split + 1).c_str(), attributes)) return 105;
    } else if (verb == "registry-delete") {
      wanted = SavedValue{};
      changeRegistry = true;
    }
  }
  std::fclose(spec);
  if (changeRegistry && !WriteValue(wanted)) return 102;

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string mutableLine = commandLine;
  const DWORD begin = GetTickCount();
  if (!CreateProcessA(launcher.c_str(), &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return 103;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const DWORD elapsed = GetTickCount() - begin;
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (changeRegistry) WriteValue(original);

  FILE* out = std::fopen(result.c_str(), "wb");
  if (out == nullptr) return 104;
  std::fprintf(out, "status %lu ms %lu\n", static_cast<unsigned long>(status),
               static_cast<unsigned long>(elapsed));
  std::fclose(out);
  return 0;
}
