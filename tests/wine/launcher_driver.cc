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
#include <string>

#include "tests/wine/wine_spec.h"

int main(int argc, char** argv) {
  if (argc != 2) return 100;
  bool readable = false;
  const auto directives = wine_spec::ReadDirectives(argv[1], readable);
  if (!readable) return 101;

  std::string launcher, commandLine, result;
  const wine_spec::RegistryValue original = wine_spec::ReadProgramFilesDir();
  wine_spec::RegistryValue wanted = original;
  bool changeRegistry = false;
  for (const wine_spec::Directive& directive : directives) {
    if (wine_spec::ApplyEnvironment(directive)) continue;
    if (wine_spec::RegistryDirective(directive, wanted)) {
      changeRegistry = true;
    } else if (directive.verb == "launcher") {
      launcher = directive.rest;
    } else if (directive.verb == "cmdline") {
      commandLine = directive.rest;
    } else if (directive.verb == "result") {
      result = directive.rest;
    } else if (directive.verb == "attributes") {
      const std::size_t split = directive.rest.find(' ');
      const DWORD attributes = std::strtoul(directive.rest.substr(0, split).c_str(), nullptr, 16);
      if (!SetFileAttributesA(directive.rest.substr(split + 1).c_str(), attributes)) return 105;
    }
  }
  if (changeRegistry && !wine_spec::WriteProgramFilesDir(wanted)) return 102;

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
  if (changeRegistry) wine_spec::WriteProgramFilesDir(original);

  FILE* out = std::fopen(result.c_str(), "wb");
  if (out == nullptr) return 104;
  std::fprintf(out, "status %lu ms %lu\n", static_cast<unsigned long>(status),
               static_cast<unsigned long>(elapsed));
  std::fclose(out);
  return 0;
}
