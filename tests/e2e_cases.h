// One table of whole-launch cases, run against both the POSIX build and the
// Windows build under Wine, which must give the same results.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace launcher::e2e {

struct FileSpec {
  std::string path;  // a Windows path
  std::string bytes;
  bool readOnlyHidden = false;
};

struct Expectation {
  std::string path;                  // a Windows path
  std::optional<std::string> bytes;  // nullopt: the file must not exist
};

struct LaunchCase {
  std::string name;
  std::string tail;  // the exact command-line tail
  // Variables set (or, with nullopt, removed) on top of ProgramFiles=D:\Programme
  // and TEMP=C:\TEMP.
  std::map<std::string, std::optional<std::string>> environment;
  // The registry's ProgramFilesDir: unchanged when unset, removed when it holds nullopt.
  std::optional<std::optional<std::string>> registry;
  // A folder for the user's temporary path to name (it gets a trailing separator).
  std::string tempPathFolder;
  std::vector<FileSpec> files;
  std::vector<std::string> installers;  // program paths that get the installer stand-in
  std::string startedAs;  // the installer path as the launcher names it, if not installers[0]
  int installerSeconds = 0;

  int status = 1;
  std::vector<Expectation> expectations;
  std::optional<std::string> installerArgs;  // nullopt: no installer may have run
  std::optional<std::string> installerSaw;
  std::string attributesSeen = "";  // what the stand-in saw of setup.iss: "plain" or "readonly"
  std::string tempFolder = "C:\\TEMP";
  int tempCopies = -1;  // how many temporary copies the folder must hold (-1: not checked)
  double minSeconds = 0;
  double maxSeconds = 30;
};

std::vector<LaunchCase> SharedCases();

}  // namespace launcher::e2e
