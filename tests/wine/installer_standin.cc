// Installer stand-in for the Windows build: records its whole command line
// (installer.cmdline), its arguments one per line (installer.args) and the
// response file beside it as it saw it (installer.saw.iss), and whether
// it was plain or read-only/hidden/system (installer.attrs), into the folder
// named by INSTALLER_RECORD; stays INSTALLER_SECONDS seconds if set; exits 7.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void RecordFolder(char* folder, DWORD size) {
  if (GetEnvironmentVariableA("INSTALLER_RECORD", folder, size) == 0) {
    GetModuleFileNameA(nullptr, folder, size);
    char* separator = std::strrchr(folder, '\\');
    if (separator != nullptr) *separator = '\0';
  }
}

}  // namespace

int main(int argc, char** argv) {
  char folder[MAX_PATH];
  RecordFolder(folder, sizeof folder);
  char path[MAX_PATH * 2];

  std::snprintf(path, sizeof path, "%s\\installer.cmdline", folder);
  if (FILE* out = std::fopen(path, "wb")) {
    std::fputs(GetCommandLineA(), out);
    std::fclose(out);
  }
  std::snprintf(path, sizeof path, "%s\\installer.args", folder);
  if (FILE* out = std::fopen(path, "wb")) {
    for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
    std::fclose(out);
  }

  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  char* separator = std::strrchr(self, '\\');
  if (separator != nullptr) {
    std::strcpy(separator, "\\setup.iss");
    std::snprintf(path, sizeof path, "%s\\installer.saw.iss", folder);
    CopyFileA(self, path, FALSE);
    const DWORD attributes = GetFileAttributesA(self);
    const DWORD unwanted = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::snprintf(path, sizeof path, "%s\\installer.attrs", folder);
    if (FILE* out = std::fopen(path, "wb")) {
      std::fputs((attributes & unwanted) == 0 ? "plain\n" : "readonly\n", out);
      std::fclose(out);
    }
  }

  char seconds[16];
  if (GetEnvironmentVariableA("INSTALLER_SECONDS", seconds, sizeof seconds) != 0) {
    Sleep(static_cast<DWORD>(std::atoi(seconds)) * 1000);
  }
  return 7;
}
