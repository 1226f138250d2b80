#include "tests/e2e_hosts.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace launcher::e2e {
namespace {

constexpr const char* kDefaultProgramFiles = "D:\\Programme";
constexpr const char* kDefaultTemp = "C:\\TEMP";

// Runs a program with the given environment; its output goes to `output`.
int Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
          const fs::path& cwd, const std::string& output = "/dev/null") {
  std::vector<std::string> args = arguments;
  std::vector<std::string> env = environment;
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> InheritedEnvironment() {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) env.push_back(*entry);
  return env;
}

fs::path MakeScratch(const char* prefix) {
  std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
  return mkdtemp(pattern.data());
}

class PosixHost final : public Host {
 public:
  PosixHost() : root_(MakeScratch("launcher-parity")) {}
  ~PosixHost() override { fs::remove_all(root_); }

  std::string Name() const override { return "Posix"; }

  void Reset() override {
    for (const auto& entry : fs::directory_iterator(root_)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
      fs::remove_all(entry.path());
    }
    for (const char* folder : {"c", "d", "record", "cwd"}) fs::create_directories(root_ / folder);
  }

  fs::path HostPath(const std::string& windowsPath) const override {
    std::string rest = windowsPath.substr(2);
    for (char& c : rest) c = c == '\\' ? '/' : c;
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    const std::string drive(1, static_cast<char>(std::tolower(windowsPath[0])));
    return rest.empty() ? root_ / drive : root_ / drive / rest;
  }

  fs::path RecordFolder() const override { return root_ / "record"; }
  std::string DefaultProgramFiles() const override { return kDefaultProgramFiles; }
  bool CanSetProgramFiles() const override { return true; }

  Outcome Run(const LaunchCase& c) override {
    for (const FileSpec& file : c.files) {
      WriteFile(HostPath(file.path), file.bytes);
      if (file.readOnlyHidden) {
        fs::permissions(HostPath(file.path),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
      }
    }
    for (const std::string& installer : c.installers) {
      fs::create_directories(HostPath(installer).parent_path());
      fs::copy_file(LAUNCHER_FIXTURES "/record_installer.sh", HostPath(installer));
    }
    const fs::path key =
        root_ / "registry/HKEY_LOCAL_MACHINE/SOFTWARE/Microsoft/Windows/CurrentVersion";
    if (c.registry) {
      fs::create_directories(key);
      if (*c.registry) {
        WriteFile(key / "ProgramFilesDir", **c.registry);
      } else {
        fs::remove(key / "ProgramFilesDir");
      }
    }

    std::map<std::string, std::optional<std::string>> variables = {
        {"ProgramFiles", kDefaultProgramFiles}, {"TEMP", kDefaultTemp}};
    for (const auto& [name, value] : c.environment) variables[name] = value;
    std::vector<std::string> env = {"LAUNCHER_ROOT=" + root_.string(),
                                    "INSTALLER_RECORD=" + RecordFolder().string(),
                                    "PATH=/usr/bin:/bin"};
    if (!c.tempPathFolder.empty()) {
      fs::create_directories(HostPath(c.tempPathFolder));
      env.push_back("TMPDIR=" + HostPath(c.tempPathFolder).string());
    }
    if (c.installerSeconds > 0)
      env.push_back("INSTALLER_SECONDS=" + std::to_string(c.installerSeconds));
    for (const auto& [name, value] : variables) {
      if (value) env.push_back(name + "=" + *value);
    }

    std::vector<std::string> args = {LAUNCHER_BINARY};
    if (!c.tail.empty()) args.push_back(c.tail);
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome;
    outcome.status = Spawn(args, env, root_ / "cwd");
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
  }

 private:
  fs::path root_;
};

class WineHost final : public Host {
 public:
  WineHost(fs::path wine, fs::path windowsBuild)
      : wine_(std::move(wine)),
        build_(std::move(windowsBuild)),
        prefix_(MakeScratch("launcher-wine")) {
    env_ = InheritedEnvironment();
    env_.push_back("WINEPREFIX=" + prefix_.string());
    env_.push_back("WINEDEBUG=-all");
    env_.push_back("WINEDLLOVERRIDES=mscoree,mshtml=");
  }

  ~WineHost() override {
    Spawn({WineServer(), "-k"}, env_, {});
    fs::remove_all(prefix_);
  }

  bool Boot(std::string& why) {
    if (Spawn({wine_.string(), "wineboot", "-i"}, env_, {}, Log()) != 0) {
      why = "wineboot failed; see " + Log();
      return false;
    }
    // Keep one server for the whole suite, so each run starts quickly.
    Spawn({WineServer(), "-p"}, env_, {});
    fs::create_directories(prefix_ / "drive_d");
    fs::remove(prefix_ / "dosdevices" / "d:");
    fs::create_symlink("../drive_d", prefix_ / "dosdevices" / "d:");
    return true;
  }

  std::string Name() const override { return "Wine"; }

  void Reset() override {
    for (const char* folder : {"sysprep", "TEMP", "TMPPATH", "record"}) {
      MakeWritable(prefix_ / "drive_c" / folder);
      fs::remove_all(prefix_ / "drive_c" / folder);
    }
    for (const auto& entry : fs::directory_iterator(prefix_ / "drive_d")) {
      MakeWritable(entry.path());
      fs::remove_all(entry.path());
    }
    fs::create_directories(RecordFolder());
  }

  fs::path HostPath(const std::string& windowsPath) const override {
    std::string rest = windowsPath.substr(2);
    for (char& c : rest) c = c == '\\' ? '/' : c;
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    const std::string drive =
        std::string("drive_") + static_cast<char>(std::tolower(windowsPath[0]));
    return rest.empty() ? prefix_ / drive : prefix_ / drive / rest;
  }

  fs::path RecordFolder() const override { return prefix_ / "drive_c" / "record"; }
  // Wine gives every new process the prefix's own folder, whatever the
  // parent's environment or the registry say.
  std::string DefaultProgramFiles() const override { return "C:\\Program Files"; }
  bool CanSetProgramFiles() const override { return false; }

  std::string RunProbe(const std::string& spec) {
    WriteFile(prefix_ / "drive_c" / "probe.txt", spec + "result C:\\record\\probe.out\n");
    fs::remove(RecordFolder() / "probe.out");
    const int status = Spawn(
        {wine_.string(), (build_ / "chain_probe.exe").string(), "C:\\probe.txt"}, env_, {}, Log());
    return "exit " + std::to_string(status) + "\n" + ReadFile(RecordFolder() / "probe.out");
  }

  Outcome Run(const LaunchCase& c) override {
    std::ostringstream spec;
    spec << "launcher " << WindowsPath(build_ / "launcher.exe") << "\n";
    spec << "cmdline launcher.exe" << (c.tail.empty() ? "" : " ") << c.tail << "\n";
    spec << "result C:\\record\\result.txt\n";
    std::map<std::string, std::optional<std::string>> variables = {
        {"ProgramFiles", kDefaultProgramFiles}, {"TEMP", kDefaultTemp}};
    for (const auto& [name, value] : c.environment) variables[name] = value;
    variables["INSTALLER_RECORD"] = "C:\\record";
    variables["INSTALLER_SECONDS"] =
        c.installerSeconds > 0 ? std::optional<std::string>(std::to_string(c.installerSeconds))
                               : std::nullopt;
    // The user's temporary path comes from TMP first.
    variables["TMP"] = c.tempPathFolder.empty() ? std::optional<std::string>("C:\\windows\\temp")
                                                : std::optional<std::string>(c.tempPathFolder);
    if (!c.tempPathFolder.empty()) fs::create_directories(HostPath(c.tempPathFolder));
    for (const auto& [name, value] : variables) {
      if (value) {
        spec << "set " << name << "=" << *value << "\n";
      } else {
        spec << "unset " << name << "\n";
      }
    }
    if (c.registry) {
      if (*c.registry) {
        spec << "registry " << **c.registry << "\n";
      } else {
        spec << "registry-delete\n";
      }
    }
    for (const FileSpec& file : c.files) {
      WriteFile(HostPath(file.path), file.bytes);
      if (file.readOnlyHidden) spec << "attributes 3 " << file.path << "\n";
    }
    for (const std::string& installer : c.installers) {
      fs::create_directories(HostPath(installer).parent_path());
      fs::copy_file(build_ / "installer_standin.exe", HostPath(installer));
    }
    WriteFile(prefix_ / "drive_c" / "spec.txt", spec.str());

    Outcome outcome;
    const int driver =
        Spawn({wine_.string(), (build_ / "launcher_driver.exe").string(), "C:\\spec.txt"}, env_, {},
              Log());
    std::istringstream result(ReadFile(RecordFolder() / "result.txt"));
    std::string word;
    long ms = -1;
    if (driver != 0 || !(result >> word >> outcome.status >> word >> ms)) {
      outcome.status = -100 - driver;
      return outcome;
    }
    fs::remove(RecordFolder() / "result.txt");
    outcome.seconds = static_cast<double>(ms) / 1000.0;
    return outcome;
  }

 private:
  std::string WineServer() const {
    const fs::path beside = wine_.parent_path() / "wineserver64";
    return (fs::exists(beside) ? beside : wine_.parent_path() / "wineserver").string();
  }
  std::string Log() const {
    return (prefix_.parent_path() / (prefix_.filename().string() + ".log")).string();
  }
  static std::string WindowsPath(const fs::path& path) {
    std::string text = "Z:" + path.string();
    for (char& c : text) c = c == '/' ? '\\' : c;
    return text;
  }
  static void MakeWritable(const fs::path& path) {
    if (!fs::is_directory(path)) return;
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
  }

  fs::path wine_;
  fs::path build_;
  fs::path prefix_;
  std::vector<std::string> env_;
};

}  // namespace

std::string RunChainProbe(Host& wine, const std::string& spec) {
  return dynamic_cast<WineHost&>(wine).RunProbe(spec);
}

std::unique_ptr<Host> MakePosixHost() { return std::make_unique<PosixHost>(); }

std::unique_ptr<Host> MakeWineHost(std::string& why) {
  const fs::path build = LAUNCHER_WINDOWS_BUILD;
  for (const char* program :
       {"launcher.exe", "launcher_driver.exe", "installer_standin.exe", "chain_probe.exe"}) {
    if (!fs::exists(build / program)) {
      why = (build / program).string() + " is missing: build the windows preset first";
      return nullptr;
    }
  }
  if (!fs::exists(LAUNCHER_WINE)) {
    why = std::string("no Wine at ") + LAUNCHER_WINE;
    return nullptr;
  }
  auto host = std::make_unique<WineHost>(LAUNCHER_WINE, build);
  if (!host->Boot(why)) return nullptr;
  return host;
}

}  // namespace launcher::e2e
