// Drives whole launches against the fake with one platform operation
// failing, the 1st, then the 2nd, and so on until a run meets no fault; for
// every fallible operation, each kind of failure it can have, once or from
// then on. After every run no package may be damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "launcher/launch_sequence.h"
#include "tests/fake_platform.h"
#include "tests/reference_rewrite.h"

namespace launcher {
namespace {

using testing::FakeFile;
using testing::FakePlatform;
using testing::Fault;
using testing::FaultKind;
using testing::Op;

constexpr const char* kResponse = R"(C:\SYSPREP\OFFICE\SETUP.ISS)";
constexpr const char* kStaging = R"(C:\SYSPREP\OFFICE\SETUP.ISS.NEW)";
constexpr const char* kTempFolder = R"(C:\TEMP\)";

struct Scenario {
  const char* name;
  bool installerPresent;
  std::uint32_t responseAttributes;
  bool copyNameTaken;
};

std::string ResponseText() {
  std::string text;
  for (int i = 0; text.size() < 3 * 64 * 1024; ++i) {
    text += "[S" + std::to_string(i) + "]\r\nDir=C:\\Program Files\\App" + std::to_string(i) +
            "\r\nShort=c:\\progra~1\\x\nKeep=D:\\Program Files\\y\r\n";
  }
  return text;
}

FakePlatform World(const Scenario& scenario) {
  FakePlatform platform;
  platform.environment = {{"ProgramFiles", R"(D:\Programme)"}, {"TEMP", R"(C:\TEMP)"}};
  platform.registry["SOFTWARE\\Microsoft\\Windows\\CurrentVersion"]["ProgramFilesDir"] = {
      kRegSz, std::string("E:\\Reg") + '\0'};
  platform.AddFile(kResponse, ResponseText(), scenario.responseAttributes);
  if (scenario.installerPresent) platform.AddFile(R"(C:\sysprep\Office\setup.exe)", "MZ");
  platform.AddFile(R"(C:\sysprep\Other\setup.iss)", "Dir=C:\\Program Files\\Other\r\n");
  platform.AddFile(R"(C:\TEMP\earlier.iss)", "left by someone");
  if (scenario.copyNameTaken) platform.AddFile(R"(C:\TEMP\tempab.iss)", "taken");
  return platform;
}

bool IsTempCopyName(const std::string& key) {
  return key.rfind(kTempFolder, 0) == 0 &&
         key.find('\\', std::strlen(kTempFolder)) == std::string::npos &&
         key.substr(std::strlen(kTempFolder), 4) == "TEMP" && key.size() > 4 &&
         key.substr(key.size() - 4) == ".ISS";
}

struct Sweep {
  int runs = 0;
  int faultsMet = 0;
};

// Checks what no failure may break; returns false after reporting.
void CheckInvariants(const FakePlatform& before, const FakePlatform& after, int status,
                     bool persistent, const std::string& where) {
  SCOPED_TRACE(where);
  // Intact means the old bytes or a whole rewrite with a folder of the
  // chain, which a failing source moves along.
  const std::string old = before.FileBytes(kResponse);
  const auto intact = [&](const std::string& bytes) {
    if (bytes == old) return true;
    for (const char* folder : {"D:\\Programme", "E:\\Reg", "C:\\Progra~1"}) {
      if (bytes == testing::ReferenceRewrite(old, folder)) return true;
    }
    return false;
  };
  EXPECT_TRUE(intact(after.FileBytes(kResponse))) << "response file damaged";

  const auto was = before.Files();
  const auto is = after.Files();
  for (const auto& [key, file] : was) {
    if (key == kResponse) continue;
    const auto found = is.find(key);
    EXPECT_TRUE(found != is.end() && found->second.bytes == file.bytes) << key << " changed";
  }
  for (const auto& [key, file] : is) {
    if (was.count(key) != 0 || key == kResponse || IsTempCopyName(key)) continue;
    // Only when deleting fails too can a staging file stay; never in place.
    EXPECT_TRUE(persistent && key == kStaging) << key << " created";
  }

  const bool started = !after.commands.empty();
  EXPECT_EQ(status, started ? 1 : 0);
  if (started) {
    EXPECT_TRUE(intact(after.filesAtStart.at(kResponse).bytes)) << "installer saw a damaged file";
  }
  EXPECT_EQ(after.openHandles(), 0) << "file handle leaked";
}

Sweep SweepOperation(const Scenario& scenario, Op op, FaultKind kind, bool persistent) {
  Sweep sweep;
  for (int nth = 1;; ++nth) {
    const FakePlatform before = World(scenario);
    FakePlatform platform = before;
    platform.Inject(Fault{op, nth, kind, persistent});
    const int status = RunLauncher("Office", platform);
    ++sweep.runs;
    if (!platform.faultMet) break;
    ++sweep.faultsMet;
    CheckInvariants(before, platform, status, persistent,
                    std::string(scenario.name) + ": " + testing::OpName(op) + " #" +
                        std::to_string(nth) + (persistent ? " onwards" : ""));
    if (::testing::Test::HasFailure()) break;
  }
  return sweep;
}

class FaultSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultSweep, NoFailurePointDamagesAPackage) {
  struct Kind {
    Op op;
    FaultKind kind;
  };
  std::vector<Kind> kinds;
  for (int op = 0; op < static_cast<int>(Op::kGetTickCount); ++op) {
    kinds.push_back({static_cast<Op>(op), FaultKind::kFail});
  }
  kinds.push_back({Op::kWriteFile, FaultKind::kDiskFull});
  kinds.push_back({Op::kCreateFileA, FaultKind::kNameTaken});
  kinds.push_back({Op::kAny, FaultKind::kFail});

  // Every one of these is called in each setting, so its sweep must meet
  // failure points; the sweep is not vacuous.
  const std::vector<Op> alwaysCalled = {Op::kExpandEnvironmentStringsA,
                                        Op::kCreateDirectoryA,
                                        Op::kCreateFileA,
                                        Op::kReadFile,
                                        Op::kWriteFile,
                                        Op::kCloseHandle,
                                        Op::kSetFileAttributesA,
                                        Op::kCopyFileA,
                                        Op::kFlushFileBuffers,
                                        Op::kMoveFileExA,
                                        Op::kCreateProcessA,
                                        Op::kAny};
  Sweep total;
  for (const Kind& kind : kinds) {
    for (bool persistent : {false, true}) {
      const Sweep sweep = SweepOperation(GetParam(), kind.op, kind.kind, persistent);
      total.runs += sweep.runs;
      total.faultsMet += sweep.faultsMet;
      const bool expected =
          std::find(alwaysCalled.begin(), alwaysCalled.end(), kind.op) != alwaysCalled.end();
      if (expected && kind.kind == FaultKind::kFail) {
        EXPECT_GT(sweep.faultsMet, 0) << testing::OpName(kind.op);
      }
    }
  }
  std::printf("[ sweep    ] %s: %d runs, %d failure points\n", GetParam().name, total.runs,
              total.faultsMet);
}

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FaultSweep,
    ::testing::Values(Scenario{"Started", true, kFileAttributeNormal, false},
                      Scenario{"ReadOnlyResponse", true, testing::kFileAttributeReadOnly, false},
                      Scenario{"InstallerMissing", false, kFileAttributeNormal, false},
                      Scenario{"CopyNameTaken", true, kFileAttributeNormal, true}),
    [](const ::testing::TestParamInfo<Scenario>& each) { return std::string(each.param.name); });

// Without faults the sweep's world gives the full rewrite: the invariant
// "old or rewritten" is not met by leaving everything alone.
TEST(FaultSweep, TheFaultlessRunRewrites) {
  const Scenario scenario{"Started", true, kFileAttributeNormal, false};
  const FakePlatform before = World(scenario);
  FakePlatform platform = before;
  EXPECT_EQ(RunLauncher("Office", platform), 1);
  EXPECT_EQ(platform.FileBytes(kResponse),
            testing::ReferenceRewrite(before.FileBytes(kResponse), "D:\\Programme"));
  EXPECT_NE(platform.FileBytes(kResponse), before.FileBytes(kResponse));
}

}  // namespace
}  // namespace launcher
