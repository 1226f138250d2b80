// What the Wine test programs share: their spec files (one directive a
// line: a verb, a blank and the rest), the environment directives, and the
// registry value ProgramFilesDir.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace wine_spec {

struct Directive {
  std::string verb;
  std::string rest;
};

// The file's directives; `ok` is false when it cannot be read.
inline std::vector<Directive> ReadDirectives(const char* path, bool& ok) {
  std::vector<Directive> directives;
  FILE* spec = std::fopen(path, "rb");
  ok = spec != nullptr;
  if (!ok) return directives;
  char line[8192];
  while (std::fgets(line, sizeof line, spec) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t blank = text.find(' ');
    directives.push_back(
        {text.substr(0, blank), blank == std::string::npos ? "" : text.substr(blank + 1)});
  }
  std::fclose(spec);
  return directives;
}

// "set NAME=value" and "unset NAME" change this process's environment,
// which its children inherit. True when the directive was one of them.
inline bool ApplyEnvironment(const Directive& directive) {
  if (directive.verb == "set") {
    const std::size_t equals = directive.rest.find('=');
    SetEnvironmentVariableA(directive.rest.substr(0, equals).c_str(),
                            directive.rest.substr(equals + 1).c_str());
    return true;
  }
  if (directive.verb == "unset") {
    SetEnvironmentVariableA(directive.rest.c_str(), nullptr);
    return true;
  }
  return false;
}

constexpr char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kValue[] = "ProgramFilesDir";

struct RegistryValue {
  bool present = false;
  std::string data;  // the value's bytes, its terminator included
};

inline RegistryValue ReadProgramFilesDir() {
  RegistryValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != 0) return value;
  char data[4096];
  DWORD size = sizeof data;
  DWORD type = 0;
  if (RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == 0) {
    value.present = true;
    value.data.assign(data, size);
  }
  RegCloseKey(key);
  return value;
}

// Sets the value as a REG_SZ, or removes it when not present.
inline bool WriteProgramFilesDir(const RegistryValue& value) {
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

// A "registry <text>" or "registry-delete" directive as the value it asks for.
inline bool RegistryDirective(const Directive& directive, RegistryValue& value) {
  if (directive.verb == "registry") {
    value = {true, directive.rest + std::string(1, '\0')};
    return true;
  }
  if (directive.verb == "registry-delete") {
    value = {};
    return true;
  }
  return false;
}

}  // namespace wine_spec
