// End-to-end runs of the built POSIX launcher against real package folders
// in a scratch LAUNCHER_ROOT, with a shell-script installer stand-in.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/scratch_files.h"

namespace fs = std::filesystem;

namespace {

using launcher::e2e::ReadFile;
using launcher::e2e::WriteFile;

struct Outcome {
  int status = -1;
  double seconds = 0;
};

class LauncherRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/launcher-e2e-XXXXXX";
    root = mkdtemp(pattern);
    record = root / "record";
    fs::create_directories(record);
    fs::create_directories(root / "c" / "TEMP");
    environment = {{"LAUNCHER_ROOT", root.string()},
                   {"ProgramFiles", R"(D:\Programme)"},
                   {"TEMP", R"(C:\TEMP)"},
                   {"TMPDIR", (root / "hosttmp").string()},
                   {"INSTALLER_RECORD", record.string()},
                   {"PATH", "/usr/bin:/bin"}};
  }

  void TearDown() override {
    if (!HasFailure()) {
      fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
      fs::remove_all(root);
    } else {
      std::printf("scratch root kept: %s\n", root.c_str());
    }
  }

  // A package folder with a response file and the recording installer.
  fs::path AddPackage(const fs::path& folder, const std::string& response) {
    WriteFile(folder / "setup.iss", response);
    fs::copy_file(LAUNCHER_FIXTURES "/record_installer.sh", folder / "setup.exe");
    return folder;
  }

  Outcome Run(const std::vector<std::string>& arguments, const fs::path& cwd = {}) {
    std::vector<std::string> env;
    for (const auto& [name, value] : environment) env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = {LAUNCHER_BINARY};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, LAUNCHER_BINARY, &actions, nullptr, argv.data(), envp.data()) != 0) {
      ADD_FAILURE() << "cannot start the launcher";
      return outcome;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
  }

  // Runs the launcher in a forked child under a file-size limit, or as the
  // unprivileged user nobody, so that real writes fail.
  int RunRestricted(const std::string& tail, rlim_t fileSizeLimit, bool asNobody) {
    std::vector<std::string> env;
    for (const auto& [name, value] : environment) env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = LAUNCHER_BINARY;
    std::string argument = tail;
    char* argv[] = {program.data(), argument.data(), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
      if (fileSizeLimit != RLIM_INFINITY) {
        // A write past the limit then fails with EFBIG instead of a signal.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      if (asNobody && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
      execve(program.c_str(), argv, envp.data());
      _exit(98);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::vector<std::string> TempCopies(const fs::path& folder) const {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path root;
  fs::path record;
  std::map<std::string, std::string> environment;
};

const std::string kResponse =
    "[Setup]\r\nszDir=C:\\Program Files\\Office\r\nshort=c:\\progra~1\\x\nkeep=D:\\Program "
    "Files\\y\r\n";
const std::string kLocalised =
    "[Setup]\r\nszDir=D:\\Programme\\Office\r\nshort=D:\\Programme\\x\r\nkeep=D:\\Program "
    "Files\\y\r\n";

TEST_F(LauncherRun, LocalisesAndStartsAPackageByName) {
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office", kResponse);
  const Outcome outcome = Run({"Office"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), kLocalised);
  EXPECT_EQ(ReadFile(record / "installer.args"), "/k\n");
  EXPECT_EQ(ReadFile(record / "installer.saw.iss"), kLocalised);
  // The temporary copy stays, named by the tick in lowercase hexadecimal.
  const std::vector<std::string> copies = TempCopies(root / "c" / "TEMP");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_TRUE(std::regex_match(copies[0], std::regex("temp[0-9a-f]{1,8}\\.iss"))) << copies[0];
  EXPECT_EQ(ReadFile(root / "c" / "TEMP" / copies[0]), kLocalised);
  // Nothing else appears in the package.
  EXPECT_EQ(TempCopies(package).size(), 2u);
}

TEST_F(LauncherRun, TakesAQuotedFolderPathAndDropsFurtherWords) {
  const fs::path package = AddPackage(root / "d" / "pkgs" / "app one", kResponse);
  EXPECT_EQ(Run({R"("D:\pkgs\app one" /x)"}).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), kLocalised);
  EXPECT_EQ(ReadFile(record / "installer.args"), "/k\n");
}

TEST_F(LauncherRun, ArgumentsAreJoinedIntoOneTail) {
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office extra", kResponse);
  EXPECT_EQ(Run({"Office", "extra"}).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), kLocalised);
}

TEST_F(LauncherRun, AnEmptyTailDoesNothing) {
  fs::remove(root / "c" / "TEMP");
  EXPECT_EQ(Run({}).status, 0);
  EXPECT_EQ(Run({" \t"}).status, 0);
  EXPECT_FALSE(fs::exists(root / "c" / "TEMP"));
}

TEST_F(LauncherRun, AMissingInstallerGivesStatus0AfterAPauseAndRemovesTheCopy) {
  const fs::path package = root / "c" / "sysprep" / "NoSetup";
  WriteFile(package / "setup.iss", kResponse);
  const Outcome outcome = Run({"NoSetup"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_GE(outcome.seconds, 0.95);
  EXPECT_LT(outcome.seconds, 3.0);
  EXPECT_TRUE(TempCopies(root / "c" / "TEMP").empty());
  // The response file was still localised.
  EXPECT_EQ(ReadFile(package / "setup.iss"), kLocalised);
}

// A start that fails is a failed start, not a child that exits 127.
TEST_F(LauncherRun, AnInstallerThatCannotBeExecutedIsAFailedStart) {
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Broken", kResponse);
  fs::permissions(package / "setup.exe",
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::remove);
  EXPECT_EQ(Run({"Broken"}).status, 0);
  WriteFile(package / "setup.exe", "MZ not a program here");
  fs::permissions(package / "setup.exe", fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(Run({"Broken"}).status, 0);
  EXPECT_FALSE(fs::exists(record / "installer.args"));
}

TEST_F(LauncherRun, WaitsForTheInstallerAndEndsPromptlyAfterIt) {
  AddPackage(root / "c" / "sysprep" / "Slow", kResponse);
  environment["INSTALLER_SECONDS"] = "2";
  const Outcome outcome = Run({"Slow"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_GE(outcome.seconds, 1.9);
  EXPECT_LT(outcome.seconds, 2.8);
}

TEST_F(LauncherRun, AnInstallerPathWithABlankRunsTheRightProgram) {
  AddPackage(root / "c" / "sysprep" / "My App", kResponse);
  WriteFile(root / "c" / "sysprep" / "My", "#!/bin/sh\ntouch \"$INSTALLER_RECORD/planted-ran\"\n");
  fs::permissions(root / "c" / "sysprep" / "My", fs::perms::owner_all);
  EXPECT_EQ(Run({"My App"}).status, 1);
  EXPECT_FALSE(fs::exists(record / "planted-ran"));
  EXPECT_EQ(ReadFile(record / "installer.args"), "/k\n");
}

TEST_F(LauncherRun, AReadOnlyResponseFileIsReplacedAndMadeWritable) {
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office", kResponse);
  fs::permissions(package / "setup.iss", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(Run({"Office"}).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), kLocalised);
  EXPECT_NE(fs::status(package / "setup.iss").permissions() & fs::perms::owner_write,
            fs::perms::none);
}

TEST_F(LauncherRun, AResponseFileWithNulBytesIsLeftAsItIs) {
  const std::string utf16(
      "\xFF\xFE"
      "C\0:\0\\\0P\0R\0O\0G\0R\0A\0~\0"
      "1\0\r\0\n\0",
      28);
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Wide", utf16);
  EXPECT_EQ(Run({"Wide"}).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), utf16);
  EXPECT_TRUE(TempCopies(root / "c" / "TEMP").empty());
}

TEST_F(LauncherRun, TheTemporaryFolderFallsBackToTheHostsAndIsCreated) {
  environment.erase("TEMP");
  AddPackage(root / "c" / "sysprep" / "Office", kResponse);
  EXPECT_EQ(Run({"Office"}).status, 1);
  // Never a folder named after the unexpanded reference.
  EXPECT_FALSE(fs::exists(root / "%TEMP%"));
  const std::vector<std::string> copies = TempCopies(root / "hosttmp");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadFile(root / "hosttmp" / copies[0]), kLocalised);
}

TEST_F(LauncherRun, TheProgramFilesFolderFallsBackToTheRegistryThenTheFixedFolder) {
  environment.erase("ProgramFiles");
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office", "a=C:\\Progra~1\\x\r\n");
  const fs::path key = root / "registry" / "HKEY_LOCAL_MACHINE" / "SOFTWARE" / "Microsoft" /
                       "Windows" / "CurrentVersion";
  WriteFile(key / "ProgramFilesDir", "E:\\Apps");
  EXPECT_EQ(Run({"Office"}).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), "a=E:\\Apps\\x\r\n");

  WriteFile(package / "setup.iss", "a=C:\\Program Files\\x\r\n");
  WriteFile(key / "ProgramFilesDir", std::string(255, 'v'));  // 256 bytes with its terminator
  EXPECT_EQ(Run({"Office"}).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), "a=C:\\Progra~1\\x\r\n");
}

TEST_F(LauncherRun, WithoutLauncherRootDrivesLieInTheCurrentFolder) {
  environment.erase("LAUNCHER_ROOT");
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office", kResponse);
  EXPECT_EQ(Run({"Office"}, root).status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), kLocalised);
}

// The copy-back cannot create its staging file: the response file stays.
TEST_F(LauncherRun, AnUnwritablePackageFolderKeepsItsResponseFile) {
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office", kResponse);
  fs::permissions(root / "c" / "TEMP", fs::perms::all);
  fs::permissions(record, fs::perms::all);
  int status = 0;
  if (geteuid() == 0) {
    // Root writes into any folder; nobody does not.
    fs::permissions(package, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    for (fs::path folder = root; folder != "/"; folder = folder.parent_path()) {
      fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
    }
    status = RunRestricted("Office", RLIM_INFINITY, true);
  } else {
    fs::permissions(package, fs::perms::owner_read | fs::perms::owner_exec);
    status = Run({"Office"}).status;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadFile(package / "setup.iss"), kResponse);
  EXPECT_FALSE(fs::exists(package / "setup.iss.new"));
  // The complete copy stays in the temporary folder.
  const std::vector<std::string> copies = TempCopies(root / "c" / "TEMP");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadFile(root / "c" / "TEMP" / copies[0]), kLocalised);
}

// A disk that fills while the temporary copy is written: no copy is put in
// place and none is left; the installer still runs.
TEST_F(LauncherRun, AFullDiskForTheCopyKeepsTheResponseFile) {
  std::string big;
  while (big.size() < 200 * 1024) big += "Dir=C:\\Program Files\\App\r\n";
  const fs::path package = AddPackage(root / "c" / "sysprep" / "Office", big);
  EXPECT_EQ(RunRestricted("Office", 64 * 1024, false), 1);
  EXPECT_TRUE(ReadFile(package / "setup.iss") == big) << "response file changed";
  EXPECT_TRUE(TempCopies(root / "c" / "TEMP").empty());
  EXPECT_FALSE(fs::exists(package / "setup.iss.new"));
  EXPECT_EQ(ReadFile(record / "installer.args"), "/k\n");
}

// Many launchers at once, one shared temporary folder, each on its own
// package: every package gets its own rewrite.
TEST_F(LauncherRun, ConcurrentLaunchersEachRewriteTheirOwnPackage) {
  constexpr int kLaunchers = 24;
  const auto response = [](int i) {
    return "Pkg=" + std::to_string(i) + "\r\nDir=C:\\Program Files\\App" + std::to_string(i) +
           "\r\n";
  };
  for (int i = 0; i < kLaunchers; ++i) {
    WriteFile(root / "c" / "sysprep" / ("P" + std::to_string(i)) / "setup.iss", response(i));
  }
  std::vector<std::string> env;
  for (const auto& [name, value] : environment) env.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<pid_t> pids;
  for (int i = 0; i < kLaunchers; ++i) {
    std::string program = LAUNCHER_BINARY;
    std::string name = "P" + std::to_string(i);
    char* argv[] = {program.data(), name.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    pids.push_back(pid);
  }
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);  // no installer: a failed start
  }
  for (int i = 0; i < kLaunchers; ++i) {
    std::string expected = response(i);
    expected.replace(expected.find("C:\\Program Files"), 16, "D:\\Programme");
    EXPECT_EQ(ReadFile(root / "c" / "sysprep" / ("P" + std::to_string(i)) / "setup.iss"), expected);
  }
  EXPECT_TRUE(TempCopies(root / "c" / "TEMP").empty());
}

TEST_F(LauncherRun, TooLongATailIsRefused) {
  AddPackage(root / "c" / "sysprep" / "Office", kResponse);
  EXPECT_EQ(Run({"Office", std::string(250, 'x')}).status, 0);
  EXPECT_FALSE(fs::exists(record / "installer.args"));
}

}  // namespace
