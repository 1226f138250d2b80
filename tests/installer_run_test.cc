#include "launcher/installer_run.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/text.h"
#include "tests/fake_platform.h"

namespace launcher {
namespace {

using testing::FakePlatform;
using testing::Fault;
using testing::kFileAttributeReadOnly;
using testing::Op;

constexpr const char* kCopy = R"(C:\TEMP\tempab.iss)";
constexpr const char* kResponse = R"(C:\sysprep\P\setup.iss)";
constexpr const char* kInstaller = R"(C:\sysprep\P\setup.exe)";

class RunInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(plan.tempCopyPath, kPathCapacity, kCopy);
    CopyText(plan.responseFilePath, kPathCapacity, kResponse);
    CopyText(plan.installerPath, kPathCapacity, kInstaller);
    platform.AddFile(kCopy, "copy", kFileAttributeReadOnly);
    platform.AddFile(kResponse, "response");
  }

  FakePlatform platform;
  LaunchPlan plan;
};

TEST_F(RunInstallerTest, AnInstallerThatEndsAtOnceIsWaitedForOnce) {
  platform.AddFile(kInstaller, "MZ");
  EXPECT_EQ(RunInstaller(plan, platform), 1);
  EXPECT_EQ(platform.commands, std::vector<std::string>{R"("C:\sysprep\P\setup.exe" /k)"});
  EXPECT_EQ(platform.waits, 1);
  EXPECT_EQ(platform.sleptMs, 0u);
  // The copy stays after a started installer.
  EXPECT_TRUE(platform.HasFile(kCopy));
}

TEST_F(RunInstallerTest, AnInstallerThatNeverEndsGets361SlicesAndStatus1) {
  platform.AddFile(kInstaller, "MZ");
  platform.installerEndsAtWait = 0;
  EXPECT_EQ(RunInstaller(plan, platform), 1);
  EXPECT_EQ(platform.waits, 361);
  EXPECT_EQ(platform.Count(Op::kWaitForSingleObject), 361);
  const std::string& last = platform.calls.back();
  EXPECT_EQ(last.substr(last.size() - 7), ", 1000)");
}

TEST_F(RunInstallerTest, AnInstallerEndingInTheLastSliceIsStillWaitedFor) {
  platform.AddFile(kInstaller, "MZ");
  platform.installerEndsAtWait = 361;
  EXPECT_EQ(RunInstaller(plan, platform), 1);
  EXPECT_EQ(platform.waits, 361);
}

TEST_F(RunInstallerTest, FailingWaitsCountAsTimeOuts) {
  platform.AddFile(kInstaller, "MZ");
  platform.Inject(Fault{Op::kWaitForSingleObject, 1, testing::FaultKind::kFail, true});
  EXPECT_EQ(RunInstaller(plan, platform), 1);
  EXPECT_EQ(platform.waits, 361);
}

TEST_F(RunInstallerTest, AFailedStartPausesAndRemovesTheCopy) {
  EXPECT_EQ(RunInstaller(plan, platform), 0);
  EXPECT_EQ(platform.sleptMs, 1000u);
  EXPECT_EQ(platform.waits, 0);
  EXPECT_FALSE(platform.HasFile(kCopy));
  EXPECT_EQ(platform.FileBytes(kResponse), "response");
}

TEST_F(RunInstallerTest, AFailedStartWithoutASeparateCopyRemovesNothing) {
  CopyText(plan.tempCopyPath, kPathCapacity, kResponse);
  EXPECT_EQ(RunInstaller(plan, platform), 0);
  EXPECT_EQ(platform.sleptMs, 1000u);
  EXPECT_EQ(platform.FileBytes(kResponse), "response");
  EXPECT_TRUE(platform.HasFile(kCopy));
  EXPECT_EQ(platform.Count(Op::kDeleteFileA), 0);
}

TEST_F(RunInstallerTest, ARefusedStartCountsAsFailed) {
  platform.AddFile(kInstaller, "MZ");
  platform.Inject(Fault{Op::kCreateProcessA, 1});
  EXPECT_EQ(RunInstaller(plan, platform), 0);
  EXPECT_FALSE(platform.HasFile(kCopy));
}

// Unquoted, "C:\sysprep\My App\setup.exe /k" would start C:\sysprep\My.exe.
TEST_F(RunInstallerTest, AnInstallerPathWithABlankIsQuoted) {
  CopyText(plan.installerPath, kPathCapacity, R"(C:\sysprep\My App\setup.exe)");
  platform.AddFile(R"(C:\sysprep\My.exe)", "planted");
  platform.AddFile(R"(C:\sysprep\My App\setup.exe)", "MZ");
  EXPECT_EQ(RunInstaller(plan, platform), 1);
  EXPECT_EQ(platform.commands, std::vector<std::string>{R"("C:\sysprep\My App\setup.exe" /k)"});
  EXPECT_EQ(platform.programs, std::vector<std::string>{R"(C:\SYSPREP\MY APP\SETUP.EXE)"});

  // The fake reads an unquoted line as Windows does, so the quotes matter.
  char unquoted[] = R"(C:\sysprep\My App\setup.exe /k)";
  ProcessInformation info;
  ASSERT_TRUE(platform.CreateProcessA(unquoted, &info));
  EXPECT_EQ(platform.programs.back(), R"(C:\SYSPREP\MY.EXE)");
}

TEST(DeleteFileIfPresent, RemovesAReadOnlyFileAndIgnoresAMissingOne) {
  FakePlatform platform;
  platform.AddFile(kCopy, "x", kFileAttributeReadOnly);
  DeleteFileIfPresent(kCopy, platform);
  EXPECT_FALSE(platform.HasFile(kCopy));
  EXPECT_EQ(platform.calls.front(), R"(SearchPathA(C:\TEMP, C:\TEMP\tempab.iss))");

  const std::size_t before = platform.calls.size();
  DeleteFileIfPresent(kCopy, platform);
  EXPECT_EQ(platform.calls.size(), before + 1);  // only the look-up
}

TEST(DeleteFileIfPresent, IgnoresFailures) {
  FakePlatform platform;
  platform.AddFile(kCopy, "x");
  platform.Inject(Fault{Op::kSetFileAttributesA, 1});
  platform.Inject(Fault{Op::kDeleteFileA, 1});
  DeleteFileIfPresent(kCopy, platform);
  EXPECT_TRUE(platform.HasFile(kCopy));
  DeleteFileIfPresent(kCopy, platform);
  EXPECT_FALSE(platform.HasFile(kCopy));
}

}  // namespace
}  // namespace launcher
