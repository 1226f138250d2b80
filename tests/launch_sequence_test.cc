#include "launcher/launch_sequence.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/fake_platform.h"

namespace launcher {
namespace {

using testing::FakePlatform;
using testing::Op;

struct TailCase {
  const char* tail;
  const char* packageArg;
  const char* responseFilePath;
  const char* installerPath;
};

void PrintTo(const TailCase& c, std::ostream* out) { *out << "tail [" << c.tail << "]"; }

class TailToPaths : public ::testing::TestWithParam<TailCase> {};

TEST_P(TailToPaths, NormalisesAndComposes) {
  const TailCase& c = GetParam();
  char packageArg[kPathCapacity];
  char responseFilePath[kPathCapacity] = {};
  char installerPath[kPathCapacity] = {};
  ASSERT_TRUE(NormalisePackageArgument(c.tail, packageArg));
  EXPECT_STREQ(packageArg, c.packageArg);
  ASSERT_TRUE(ComposePackagePaths(packageArg, responseFilePath, installerPath));
  EXPECT_STREQ(responseFilePath, c.responseFilePath);
  EXPECT_STREQ(installerPath, c.installerPath);
}

INSTANTIATE_TEST_SUITE_P(
    Tails, TailToPaths,
    ::testing::Values(
        TailCase{"Office", "Office", R"(C:\sysprep\Office\setup.iss)",
                 R"(C:\sysprep\Office\setup.exe)"},
        TailCase{R"("D:\pkgs\app one" /x)", R"(D:\pkgs\app one)", R"(D:\pkgs\app one\setup.iss)",
                 R"(D:\pkgs\app one\setup.exe)"},
        TailCase{"\"Office", "Office", R"(C:\sysprep\Office\setup.iss)",
                 R"(C:\sysprep\Office\setup.exe)"},
        TailCase{"Office extra", "Office extra", R"(C:\sysprep\Office extra\setup.iss)",
                 R"(C:\sysprep\Office extra\setup.exe)"},
        TailCase{"Office ", "Office ", R"(C:\sysprep\Office \setup.iss)",
                 R"(C:\sysprep\Office \setup.exe)"},
        TailCase{"D:", "D:", R"(D:\setup.iss)", R"(D:\setup.exe)"},
        TailCase{"D:pkgs", "D:pkgs", R"(D:pkgs\setup.iss)", R"(D:pkgs\setup.exe)"},
        TailCase{R"(\\server\share\pkg)", R"(\\server\share\pkg)",
                 R"(C:\sysprep\\\server\share\pkg\setup.iss)",
                 R"(C:\sysprep\\\server\share\pkg\setup.exe)"},
        TailCase{R"(pkgs\app)", R"(pkgs\app)", R"(C:\sysprep\pkgs\app\setup.iss)",
                 R"(C:\sysprep\pkgs\app\setup.exe)"},
        TailCase{"\"a\"b", "a", R"(C:\sysprep\a\setup.iss)", R"(C:\sysprep\a\setup.exe)"},
        TailCase{"\"", "", R"(C:\sysprep\\setup.iss)", R"(C:\sysprep\\setup.exe)"},
        TailCase{"\"\"", "", R"(C:\sysprep\\setup.iss)", R"(C:\sysprep\\setup.exe)"},
        TailCase{"\"D:\"", "D:", R"(D:\setup.iss)", R"(D:\setup.exe)"}));

// A double quote left inside the argument cannot be part of a Windows path
// and would end the quoted installer path early.
TEST(NormalisePackageArgument, RefusesAStrayQuote) {
  char packageArg[kPathCapacity];
  for (const char* tail : {"Office\"", "a\"b\"", "x\" /evil \"y"}) {
    SCOPED_TRACE(tail);
    EXPECT_FALSE(NormalisePackageArgument(tail, packageArg));
  }
  // What follows the closing quote is dropped, quotes included.
  EXPECT_TRUE(NormalisePackageArgument("\"a\"\"b\"", packageArg));
  EXPECT_STREQ(packageArg, "a");
}

TEST(NormalisePackageArgument, AcceptsTailsUpTo255Characters) {
  char packageArg[kPathCapacity];
  EXPECT_TRUE(NormalisePackageArgument(std::string(255, 'a').c_str(), packageArg));
  EXPECT_EQ(std::string(packageArg), std::string(255, 'a'));
  EXPECT_FALSE(NormalisePackageArgument(std::string(256, 'a').c_str(), packageArg));
  // A quoted tail is measured before its quotes are removed.
  EXPECT_FALSE(NormalisePackageArgument(("\"" + std::string(255, 'a') + "\"").c_str(), packageArg));
}

// The installer command, the longest text built from the argument, must fit
// 255 characters: at most 242 in the folder form and 231 in the name form.
TEST(ComposePackagePaths, KeepsTheArgumentBounds) {
  char response[kPathCapacity];
  char installer[kPathCapacity];
  const std::string folder = "D:" + std::string(240, 'f');
  EXPECT_TRUE(ComposePackagePaths(folder.c_str(), response, installer));
  EXPECT_EQ(std::string(installer).size() + 3, 255u);
  EXPECT_FALSE(ComposePackagePaths((folder + "f").c_str(), response, installer));
  const std::string name(231, 'n');
  EXPECT_TRUE(ComposePackagePaths(name.c_str(), response, installer));
  EXPECT_EQ(std::string(installer).size() + 3, 255u);
  EXPECT_FALSE(ComposePackagePaths((name + "n").c_str(), response, installer));
}

TEST(ComposeTempCopyPath, NamesTheCopyByTheTickInLowercaseHex) {
  char path[kPathCapacity];
  ASSERT_TRUE(ComposeTempCopyPath(R"(C:\TEMP)", 171, path));
  EXPECT_STREQ(path, R"(C:\TEMP\tempab.iss)");
  ASSERT_TRUE(ComposeTempCopyPath(R"(C:\TEMP\)", 0xDEADBEEF, path));
  EXPECT_STREQ(path, R"(C:\TEMP\\tempdeadbeef.iss)");
  ASSERT_TRUE(ComposeTempCopyPath(R"(C:\TEMP)", 0, path));
  EXPECT_STREQ(path, R"(C:\TEMP\temp0.iss)");
  // At most 238 characters of folder leave room for the longest name.
  EXPECT_TRUE(ComposeTempCopyPath(std::string(238, 't').c_str(), 0xFFFFFFFF, path));
  EXPECT_FALSE(ComposeTempCopyPath(std::string(239, 't').c_str(), 0xFFFFFFFF, path));
  EXPECT_STREQ(path, "");
}

class RunLauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.environment = {{"ProgramFiles", R"(D:\Programme)"}, {"TEMP", R"(C:\TEMP)"}};
    platform.AddFile(R"(C:\sysprep\Office\setup.iss)", "Folder=C:\\Program Files\\Office\r\n");
    platform.AddFile(R"(C:\sysprep\Office\setup.exe)", "MZ");
  }

  bool Called(Op op) const { return platform.Count(op) > 0; }

  FakePlatform platform;
};

TEST_F(RunLauncherTest, EmptyTailDoesNothing) {
  EXPECT_EQ(RunLauncher("", platform), 0);
  EXPECT_TRUE(platform.calls.empty());
  EXPECT_FALSE(platform.HasFolder(R"(C:\TEMP)"));
}

TEST_F(RunLauncherTest, TypicalRunLocalisesAndStarts) {
  EXPECT_EQ(RunLauncher("Office", platform), 1);
  EXPECT_EQ(platform.FileBytes(R"(C:\sysprep\Office\setup.iss)"),
            "Folder=D:\\Programme\\Office\r\n");
  ASSERT_EQ(platform.commands.size(), 1u);
  EXPECT_EQ(platform.commands[0], R"("C:\sysprep\Office\setup.exe" /k)");
  // The installer saw the localised file; the copy stays in the temporary folder.
  EXPECT_EQ(platform.filesAtStart.at(R"(C:\SYSPREP\OFFICE\SETUP.ISS)").bytes,
            "Folder=D:\\Programme\\Office\r\n");
  EXPECT_EQ(platform.FileBytes(R"(C:\TEMP\tempab.iss)"), "Folder=D:\\Programme\\Office\r\n");
  EXPECT_EQ(platform.openHandles(), 0);
}

TEST_F(RunLauncherTest, ResolvesFoldersAndTakesTheTickBeforeLookingAtThePackage) {
  EXPECT_EQ(RunLauncher("Missing", platform), 0);
  EXPECT_TRUE(platform.HasFolder(R"(C:\TEMP)"));
  EXPECT_TRUE(Called(Op::kGetTickCount));
  std::vector<std::string> order;
  for (const std::string& call : platform.calls) {
    for (const char* name :
         {"ExpandEnvironmentStringsA(%ProgramFiles%)", "ExpandEnvironmentStringsA(%TEMP%)",
          "CreateDirectoryA(", "GetTickCount(", "CreateFileA(", "CreateProcessA("}) {
      if (call.rfind(name, 0) == 0 && (order.empty() || order.back() != name)) {
        order.push_back(name);
      }
    }
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"ExpandEnvironmentStringsA(%ProgramFiles%)",
                                      "ExpandEnvironmentStringsA(%TEMP%)", "CreateDirectoryA(",
                                      "GetTickCount(", "CreateFileA(", "CreateProcessA("}));
}

// Inputs that would not fit end the run before anything is read or started.
TEST_F(RunLauncherTest, RefusesInputsThatDoNotFit) {
  const std::string tooLongName(232, 'n');
  platform.AddFile("C:\\sysprep\\" + tooLongName + "\\setup.exe", "MZ");
  for (const std::string& tail : {std::string(256, 'a'), tooLongName, "D:" + std::string(241, 'f'),
                                  std::string("Office\"")}) {
    SCOPED_TRACE(tail);
    FakePlatform fresh = platform;
    EXPECT_EQ(RunLauncher(tail.c_str(), fresh), 0);
    EXPECT_EQ(fresh.Count(Op::kCreateFileA), 0);
    EXPECT_EQ(fresh.Count(Op::kCreateProcessA), 0);
    EXPECT_EQ(fresh.Count(Op::kSetFileAttributesA), 0);
  }
}

TEST_F(RunLauncherTest, StatusIsNeverTheInstallersOwnCode) {
  platform.installerEndsAtWait = 3;
  EXPECT_EQ(RunLauncher("Office", platform), 1);
  EXPECT_EQ(platform.waits, 3);
}

}  // namespace
}  // namespace launcher
