// Runs the folder chains in-process on the real Win32 layer. Wine gives
// every new process its own ProgramFiles, so the variable's source can only
// be chosen from inside the process. Reads directives like the driver's
// (set, unset, registry, registry-delete, result) from a spec file, then
// writes "programFilesDir=<...>" and "tempDir=<...>" lines to the result.
#include <cstdio>
#include <string>

#include "launcher/folder_resolution.h"
#include "launcher/launch_plan.h"
#include "launcher/system_platform.h"
#include "tests/wine/wine_spec.h"

int main(int argc, char** argv) {
  if (argc != 2) return 100;
  bool readable = false;
  const auto directives = wine_spec::ReadDirectives(argv[1], readable);
  if (!readable) return 101;

  std::string result;
  const wine_spec::RegistryValue original = wine_spec::ReadProgramFilesDir();
  wine_spec::RegistryValue wanted = original;
  bool registryChanged = false;
  for (const wine_spec::Directive& directive : directives) {
    if (wine_spec::ApplyEnvironment(directive)) continue;
    if (wine_spec::RegistryDirective(directive, wanted)) {
      if (!wine_spec::WriteProgramFilesDir(wanted)) return 102;
      registryChanged = true;
    } else if (directive.verb == "result") {
      result = directive.rest;
    }
  }

  launcher::Platform& platform = launcher::SystemPlatform();
  char programFilesDir[launcher::kFolderCapacity];
  char tempDir[launcher::kFolderCapacity];
  launcher::ResolveProgramFilesDir(platform, programFilesDir);
  launcher::ResolveTempDir(platform, tempDir);
  if (registryChanged) wine_spec::WriteProgramFilesDir(original);

  FILE* out = std::fopen(result.c_str(), "wb");
  if (out == nullptr) return 104;
  std::fprintf(out, "programFilesDir=%s\ntempDir=%s\n", programFilesDir, tempDir);
  std::fclose(out);
  return 0;
}
