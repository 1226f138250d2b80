// Where a whole launch runs: the POSIX build under a scratch LAUNCHER_ROOT,
// or the Windows build under Wine in a scratch prefix.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/e2e_cases.h"
#include "tests/scratch_files.h"

namespace launcher::e2e {

struct Outcome {
  int status = -1;
  double seconds = 0;
};

class Host {
 public:
  virtual ~Host() = default;
  virtual std::string Name() const = 0;
  // Empties the drives and the record folder for the next case.
  virtual void Reset() = 0;
  // The host file that stands for a Windows path.
  virtual std::filesystem::path HostPath(const std::string& windowsPath) const = 0;
  // Lays out the case's files and installers, and runs the launcher.
  virtual Outcome Run(const LaunchCase& c) = 0;
  // Where the installer stand-in records what it saw.
  virtual std::filesystem::path RecordFolder() const = 0;
  // The Program Files folder a launch sees when the case does not choose one.
  virtual std::string DefaultProgramFiles() const = 0;
  // Whether a case can choose the launcher's ProgramFiles variable.
  virtual bool CanSetProgramFiles() const = 0;
};

// Runs the folder chains inside one process on the Wine host (see
// tests/wine/chain_probe.cc) and returns what it wrote.
std::string RunChainProbe(Host& wine, const std::string& spec);

// Null when the host cannot be had here, with `why` telling the reason.
std::unique_ptr<Host> MakePosixHost();
std::unique_ptr<Host> MakeWineHost(std::string& why);

}  // namespace launcher::e2e
