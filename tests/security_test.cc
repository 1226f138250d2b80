// What the launcher never does, whatever it is given: open the temporary
// copy through a planted file or link, start an unquoted installer path, or
// write outside the package's response file and the temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "launcher/launch_sequence.h"
#include "launcher/system_platform.h"
#include "tests/fake_platform.h"

namespace fs = std::filesystem;

namespace launcher {
namespace {

using testing::FakePlatform;

// The real POSIX layer: creating the copy never follows a planted link,
// dangling or not, nor opens a planted file.
TEST(PosixExclusiveCreate, NeverOpensAPlantedFileOrLink) {
  char pattern[] = "/tmp/launcher-links-XXXXXX";
  const fs::path root = mkdtemp(pattern);
  setenv("LAUNCHER_ROOT", root.c_str(), 1);
  fs::create_directories(root / "c" / "TEMP");
  std::ofstream(root / "victim") << "precious";
  fs::create_symlink(root / "victim", root / "c" / "TEMP" / "temp1.iss");
  fs::create_symlink(root / "nowhere", root / "c" / "TEMP" / "temp2.iss");
  std::ofstream(root / "c" / "TEMP" / "temp3.iss") << "someone's";

  Platform& platform = SystemPlatform();
  for (const char* name : {"C:\\TEMP\\temp1.iss", "C:\\TEMP\\temp2.iss", "C:\\TEMP\\temp3.iss"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(platform.CreateFileA(name, FileAccess::kCreateNew), kInvalidHandle);
    EXPECT_EQ(platform.GetLastError(), kErrorFileExists);
  }
  std::ifstream victim(root / "victim");
  std::string content;
  victim >> content;
  EXPECT_EQ(content, "precious");
  EXPECT_FALSE(fs::exists(root / "nowhere"));
  const Handle fresh = platform.CreateFileA("C:\\TEMP\\temp4.iss", FileAccess::kCreateNew);
  EXPECT_NE(fresh, kInvalidHandle);
  EXPECT_TRUE(platform.CloseHandle(fresh));
  unsetenv("LAUNCHER_ROOT");
  fs::remove_all(root);
}

// Two launchers on the same tick: the second takes the next name, and each
// package gets its own rewrite.
TEST(SameTick, TwoLaunchersNeverShareACopy) {
  FakePlatform platform;
  platform.environment = {{"ProgramFiles", R"(D:\Programme)"}, {"TEMP", R"(C:\TEMP)"}};
  platform.AddFile(R"(C:\sysprep\A\setup.iss)", "A=C:\\Progra~1\\a\r\n");
  platform.AddFile(R"(C:\sysprep\B\setup.iss)", "B=C:\\Progra~1\\b\r\n");
  platform.AddFile(R"(C:\sysprep\A\setup.exe)", "MZ");
  platform.AddFile(R"(C:\sysprep\B\setup.exe)", "MZ");
  EXPECT_EQ(RunLauncher("A", platform), 1);
  EXPECT_EQ(RunLauncher("B", platform), 1);
  EXPECT_EQ(platform.FileBytes(R"(C:\sysprep\A\setup.iss)"), "A=D:\\Programme\\a\r\n");
  EXPECT_EQ(platform.FileBytes(R"(C:\sysprep\B\setup.iss)"), "B=D:\\Programme\\b\r\n");
  EXPECT_EQ(platform.FileBytes(R"(C:\TEMP\tempab.iss)"), "A=D:\\Programme\\a\r\n");
  EXPECT_EQ(platform.FileBytes(R"(C:\TEMP\tempac.iss)"), "B=D:\\Programme\\b\r\n");
}

std::string RandomTail(std::mt19937& random) {
  static const std::string kAlphabet =
      "abAB:\\\"/ .~%\t\x01\x7f\xe9\x81"
      "C";
  std::uniform_int_distribution<int> length(0, 400);
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::string tail;
  for (int n = length(random); n > 0; --n) tail += kAlphabet[pick(random)];
  return tail;
}

// Any command line: the only files written are the response file the
// argument names and files in the temporary folder, and any start is quoted.
TEST(AnyCommandLine, WritesOnlyTheResponseFileAndTheTemporaryFolder) {
  std::mt19937 random(20261211);
  int started = 0;
  for (int run = 0; run < 3000; ++run) {
    std::string tail = RandomTail(random);
    if (run % 7 == 0) tail = "\"D:" + tail;  // the folder form too
    SCOPED_TRACE(tail);
    FakePlatform platform;
    platform.environment = {{"ProgramFiles", R"(D:\Programme)"}, {"TEMP", R"(C:\TEMP)"}};
    platform.AddFile(R"(C:\windows\system.ini)", "C:\\Program Files\r\n");
    platform.AddFile(R"(C:\sysprep\a\setup.iss)", "C:\\Program Files\r\n");
    platform.AddFile(R"(C:\sysprep\a\setup.exe)", "MZ");
    const auto before = platform.Files();
    const int status = RunLauncher(tail.c_str(), platform);

    char packageArg[kPathCapacity];
    char response[kPathCapacity] = {};
    char installer[kPathCapacity] = {};
    const bool accepted = NormalisePackageArgument(tail.c_str(), packageArg) &&
                          ComposePackagePaths(packageArg, response, installer);
    for (const auto& [key, file] : platform.Files()) {
      const auto old = before.find(key);
      if (old != before.end() && old->second.bytes == file.bytes) continue;
      EXPECT_TRUE(key.rfind("C:\\TEMP\\", 0) == 0 ||
                  (accepted && key == testing::NormalisePath(response)))
          << key << " written";
    }
    for (const std::string& command : platform.commands) {
      EXPECT_EQ(command, "\"" + std::string(installer) + "\" /k");
    }
    EXPECT_EQ(status, platform.commands.empty() ? 0 : 1);
    started += status;
  }
  EXPECT_GT(started, 0);
}

}  // namespace
}  // namespace launcher
