#include "launcher/folder_resolution.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "launcher/launch_plan.h"
#include "tests/fake_platform.h"

namespace launcher {
namespace {

using testing::FakePlatform;
using testing::Fault;
using testing::Op;

constexpr const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

struct ProgramFilesCase {
  const char* name;
  std::optional<std::string> variable;      // ProgramFiles, unset when empty
  std::optional<std::string> registryData;  // ProgramFilesDir's bytes, no key when empty
  bool expansionFails;
  std::string expected;
  bool readsRegistry;
};

void PrintTo(const ProgramFilesCase& c, std::ostream* out) { *out << c.name; }

class ProgramFilesChain : public ::testing::TestWithParam<ProgramFilesCase> {};

TEST_P(ProgramFilesChain, YieldsTheFirstUsableSource) {
  const ProgramFilesCase& c = GetParam();
  FakePlatform platform;
  if (c.variable) platform.environment["ProgramFiles"] = *c.variable;
  if (c.registryData) platform.registry[kKey]["ProgramFilesDir"] = {kRegSz, *c.registryData};
  if (c.expansionFails) platform.Inject(Fault{Op::kExpandEnvironmentStringsA, 1});

  char folder[kFolderCapacity];
  ResolveProgramFilesDir(platform, folder);
  EXPECT_EQ(std::string(folder), c.expected);
  EXPECT_EQ(platform.Count(Op::kRegOpenKeyExA), c.readsRegistry ? 1 : 0);
  // The key is closed whenever it was opened.
  EXPECT_EQ(platform.Count(Op::kRegCloseKey), c.registryData && c.readsRegistry ? 1 : 0);
}

const std::string k1023(1023, 'p');  // expands to exactly 1024 with its terminator
const std::string k1024(1024, 'p');
const std::string nul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Sources, ProgramFilesChain,
    ::testing::Values(
        ProgramFilesCase{"variable", "C:\\Programme", "E:\\Reg" + nul, false, "C:\\Programme",
                         false},
        ProgramFilesCase{"variable of 1024 with terminator", k1023, "E:\\Reg" + nul, false, k1023,
                         false},
        ProgramFilesCase{"variable too long", k1024, "E:\\Reg" + nul, false, "E:\\Reg", true},
        ProgramFilesCase{"expansion fails", "C:\\Programme", "E:\\Reg" + nul, true, "E:\\Reg",
                         true},
        ProgramFilesCase{"variable undefined", std::nullopt, "E:\\Reg" + nul, false, "E:\\Reg",
                         true},
        ProgramFilesCase{"variable empty", "", "E:\\Reg" + nul, false, "E:\\Reg", true},
        ProgramFilesCase{"value of 255 bytes", std::nullopt, std::string(254, 'r') + nul, false,
                         std::string(254, 'r'), true},
        ProgramFilesCase{"value of 256 bytes", std::nullopt, std::string(255, 'r') + nul, false,
                         "C:\\Progra~1", true},
        ProgramFilesCase{"value without terminator", k1024, "E:\\Bare", false, "E:\\Bare", true},
        ProgramFilesCase{"value empty", std::nullopt, nul, false, "C:\\Progra~1", true},
        ProgramFilesCase{"no key", std::nullopt, std::nullopt, false, "C:\\Progra~1", true}));

TEST(ProgramFilesChain, MissingValueInAnExistingKeyFallsBack) {
  FakePlatform platform;
  platform.registry[kKey]["CommonFilesDir"] = {kRegSz, "E:\\Common" + nul};
  char folder[kFolderCapacity];
  ResolveProgramFilesDir(platform, folder);
  EXPECT_STREQ(folder, "C:\\Progra~1");
  EXPECT_EQ(platform.Count(Op::kRegCloseKey), 1);
}

TEST(ReadRegistryString, AcceptsAtMost255BytesAndReportsTheType) {
  FakePlatform platform;
  platform.registry[kKey]["V"] = {2, "%SystemDrive%\\P" + nul};
  char data[kFolderCapacity];
  std::uint32_t type = 0;
  ASSERT_TRUE(ReadRegistryString(platform, RegistryRoot::kLocalMachine, kKey, "V", &type, data,
                                 sizeof data));
  EXPECT_STREQ(data, "%SystemDrive%\\P");  // taken as it comes, not expanded
  EXPECT_EQ(type, 2u);
  EXPECT_EQ(platform.calls[1], "RegQueryValueExA(V)");

  platform.registry[kKey]["V"] = {kRegSz, std::string(256, 'x')};
  EXPECT_FALSE(ReadRegistryString(platform, RegistryRoot::kLocalMachine, kKey, "V", &type, data,
                                  sizeof data));
  EXPECT_STREQ(data, "");
}

TEST(ReadRegistryString, FailedOpenClosesNothing) {
  FakePlatform platform;
  platform.registry[kKey]["V"] = {kRegSz, "x" + nul};
  platform.Inject(Fault{Op::kRegOpenKeyExA, 1});
  char data[kFolderCapacity];
  std::uint32_t type = 0;
  EXPECT_FALSE(ReadRegistryString(platform, RegistryRoot::kLocalMachine, kKey, "V", &type, data,
                                  sizeof data));
  EXPECT_EQ(platform.Count(Op::kRegCloseKey), 0);
}

struct TempCase {
  const char* name;
  std::optional<std::string> variable;
  std::string tempPath;  // empty: GetTempPathA fails
  std::string expected;
};

void PrintTo(const TempCase& c, std::ostream* out) { *out << c.name; }

class TempChain : public ::testing::TestWithParam<TempCase> {};

TEST_P(TempChain, YieldsTheFirstUsableSourceAndCreatesIt) {
  const TempCase& c = GetParam();
  FakePlatform platform;
  platform.AddFolder("C:\\Users\\me");
  platform.AddFolder("C:\\windows");
  if (c.variable) platform.environment["TEMP"] = *c.variable;
  platform.tempPath = c.tempPath;

  char folder[kFolderCapacity];
  ResolveTempDir(platform, folder);
  EXPECT_EQ(std::string(folder), c.expected);
  EXPECT_EQ(platform.calls.back(), "CreateDirectoryA(" + c.expected + ")");
  EXPECT_TRUE(platform.HasFolder(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, TempChain,
    ::testing::Values(TempCase{"variable", "C:\\TEMP", "C:\\Users\\me\\Temp\\", "C:\\TEMP"},
                      TempCase{"variable undefined", std::nullopt, "C:\\Users\\me\\Temp\\",
                               "C:\\Users\\me\\Temp\\"},
                      TempCase{"variable empty", "", "C:\\Users\\me\\Temp\\",
                               "C:\\Users\\me\\Temp\\"},
                      TempCase{"variable too long", std::string(1024, 't'), "C:\\Users\\me\\Temp\\",
                               "C:\\Users\\me\\Temp\\"},
                      TempCase{"no temporary path", std::nullopt, "", "C:\\windows\\temp"},
                      TempCase{"temporary path too long", std::nullopt,
                               "C:\\" + std::string(1021, 't'), "C:\\windows\\temp"}));

TEST(TempChain, AnExistingOrUncreatableFolderIsStillUsed) {
  FakePlatform platform;
  platform.environment["TEMP"] = "Q:\\no\\such\\parent";
  char folder[kFolderCapacity];
  ResolveTempDir(platform, folder);
  EXPECT_STREQ(folder, "Q:\\no\\such\\parent");
  EXPECT_FALSE(platform.HasFolder(folder));

  platform.environment["TEMP"] = "C:\\TEMP";
  platform.AddFolder("C:\\TEMP");
  ResolveTempDir(platform, folder);
  EXPECT_STREQ(folder, "C:\\TEMP");
}

// An unexpanded reference is no folder: it is never used as one.
TEST(Chains, NeverYieldAnUnexpandedReference) {
  FakePlatform platform;
  platform.tempPath = "";
  char programFiles[kFolderCapacity];
  char temp[kFolderCapacity];
  ResolveProgramFilesDir(platform, programFiles);
  ResolveTempDir(platform, temp);
  EXPECT_STREQ(programFiles, "C:\\Progra~1");
  EXPECT_STREQ(temp, "C:\\windows\\temp");
  EXPECT_EQ(platform.Count(Op::kCreateDirectoryA), 1);
}

}  // namespace
}  // namespace launcher
